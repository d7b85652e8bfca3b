// A private X server for tests that drive the program as a user would: Xvfb
// on a free display with openbox managing it, and a user who clicks and
// types through the X server (XTest) and reads what the window manager
// shows (active window, frames).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace quillivar::x11 {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  int CentreX2() const { return 2 * x + width; }   // doubled: no rounding
  int CentreY2() const { return 2 * y + height; }
};

// A program to start as a child process.
struct Child {
  std::vector<std::string> argv{};       // argv[0] is looked up on PATH
  std::vector<std::string> environment{};  // "NAME=value", over this process's own
  int out = -1;                          // its standard output; -1: none
  bool quiet = false;                    // its standard error to nowhere too
  int keepFd = -1;                       // one more descriptor it keeps
};

// Everything the child needs is built before the fork: the child of a
// process with threads must not allocate.
pid_t Spawn(const Child& child);

// Xvfb and openbox, stopped with the object.
class XServer {
 public:
  XServer();
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  const std::string& DisplayName() const { return display_; }

 private:
  pid_t xvfb_ = -1;
  pid_t windowManager_ = -1;
  std::string display_;
};

struct Window {
  unsigned long id = 0;
  std::string title;
};

class XUser {
 public:
  explicit XUser(const std::string& displayName);
  ~XUser();
  XUser(const XUser&) = delete;
  XUser& operator=(const XUser&) = delete;

  // The window that has the focus once its title is `title`.
  std::optional<Window> WaitForActiveWindow(const std::string& title, milliseconds limit);
  std::optional<Window> ActiveWindow();

  Rect ClientRect(const Window& window);  // in screen coordinates
  Rect FrameRect(const Window& window);   // with the window manager's frame
  Rect Screen();

  // A left click at a point of the window's client area; returns the moment
  // the button went up, when a push button acts.
  Clock::time_point Click(const Window& window, int x, int y);
  void PressReturn();
  void PressAltF4();
  // The keys pressed in order and released in reverse.
  void Press(std::initializer_list<unsigned long> keysyms);
  // Return held down for `duration`: the X server repeats it, as a
  // keyboard does, after its auto-repeat delay.
  void HoldReturn(milliseconds duration);

 private:
  void Key(unsigned long keysym, bool down);

  Display* display_ = nullptr;
};

}  // namespace quillivar::x11
