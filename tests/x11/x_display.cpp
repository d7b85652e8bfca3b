#include "x11/x_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace quillivar::x11 {
namespace {

// Starts `argv` with standard output and error silenced (but `keepFd`).
pid_t Spawn(std::vector<std::string> argv, const std::string& display, int keepFd = -1) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int null = ::open("/dev/null", O_RDWR);
  ::dup2(null, 0);
  ::dup2(null, 1);
  ::dup2(null, 2);
  for (int fd = 3; fd < 1024; ++fd) {
    if (fd != keepFd) ::close(fd);
  }
  if (!display.empty()) ::setenv("DISPLAY", display.c_str(), 1);
  std::vector<char*> args;
  for (std::string& arg : argv) args.push_back(arg.data());
  args.push_back(nullptr);
  ::execvp(args[0], args.data());
  ::_exit(127);
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
}

unsigned long InternAtom(Display* display, const char* name) {
  return XInternAtom(display, name, False);
}

// A window property of 32-bit items (Xlib hands them over as longs).
std::vector<long> LongsProperty(Display* display, unsigned long window, const char* name,
                                unsigned long type) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(display, window, InternAtom(display, name), 0, 64, False, type, &actual,
                         &format, &count, &after, &data) == Success &&
      data != nullptr && format == 32) {
    const long* items = reinterpret_cast<const long*>(data);
    values.assign(items, items + count);
  }
  if (data != nullptr) XFree(data);
  return values;
}

std::string Title(Display* display, unsigned long window) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, InternAtom(display, "_NET_WM_NAME"), 0, 1024, False,
                         InternAtom(display, "UTF8_STRING"), &actual, &format, &count, &after,
                         &data) == Success &&
      data != nullptr) {
    title.assign(reinterpret_cast<const char*>(data), count);
  }
  if (data != nullptr) XFree(data);
  return title;
}

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }  // windows come and go

}  // namespace

XServer::XServer() {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
  xvfb_ = Spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "1280x800x24",
                 "-nolisten", "tcp", "-noreset"},
                "", pipeFds[1]);
  ::close(pipeFds[1]);
  std::string number;
  char c;
  while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
  ::close(pipeFds[0]);
  if (number.empty()) throw std::runtime_error("Xvfb did not start");
  display_ = ":" + number;

  windowManager_ = Spawn({"openbox", "--sm-disable"}, display_);
  Display* display = XOpenDisplay(display_.c_str());
  if (display == nullptr) throw std::runtime_error("cannot open " + display_);
  const auto deadline = Clock::now() + milliseconds(10'000);
  while (LongsProperty(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK",
                       XA_WINDOW)
             .empty()) {
    if (Clock::now() > deadline) throw std::runtime_error("openbox did not start");
    std::this_thread::sleep_for(milliseconds(20));
  }
  XCloseDisplay(display);
}

XServer::~XServer() {
  Stop(windowManager_);
  Stop(xvfb_);
}

XUser::XUser(const std::string& displayName) : display_(XOpenDisplay(displayName.c_str())) {
  if (display_ == nullptr) throw std::runtime_error("cannot open " + displayName);
  XSetErrorHandler(IgnoreXErrors);
}

XUser::~XUser() { XCloseDisplay(display_); }

std::optional<Window> XUser::ActiveWindow() {
  const std::vector<long> active =
      LongsProperty(display_, DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW", XA_WINDOW);
  if (active.empty() || active[0] == 0) return std::nullopt;
  const auto id = static_cast<unsigned long>(active[0]);
  return Window{id, Title(display_, id)};
}

std::optional<Window> XUser::WaitForActiveWindow(const std::string& title, milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    if (auto window = ActiveWindow(); window && window->title == title) return window;
    std::this_thread::sleep_for(milliseconds(5));
  }
  return std::nullopt;
}

Rect XUser::ClientRect(const Window& window) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(display_, window.id, &attributes);
  int x = 0, y = 0;
  ::Window child = 0;
  XTranslateCoordinates(display_, window.id, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
  return {x, y, attributes.width, attributes.height};
}

Rect XUser::FrameRect(const Window& window) {
  const Rect client = ClientRect(window);
  const std::vector<long> extents =
      LongsProperty(display_, window.id, "_NET_FRAME_EXTENTS", XA_CARDINAL);
  if (extents.size() != 4) return client;
  const int left = static_cast<int>(extents[0]), right = static_cast<int>(extents[1]);
  const int top = static_cast<int>(extents[2]), bottom = static_cast<int>(extents[3]);
  return {client.x - left, client.y - top, client.width + left + right,
          client.height + top + bottom};
}

Rect XUser::Screen() {
  return {0, 0, DisplayWidth(display_, DefaultScreen(display_)),
          DisplayHeight(display_, DefaultScreen(display_))};
}

Clock::time_point XUser::Click(const Window& window, int x, int y) {
  const Rect client = ClientRect(window);
  XTestFakeMotionEvent(display_, -1, client.x + x, client.y + y, CurrentTime);
  XTestFakeButtonEvent(display_, 1, True, CurrentTime);
  XFlush(display_);
  std::this_thread::sleep_for(milliseconds(30));
  const auto released = Clock::now();
  XTestFakeButtonEvent(display_, 1, False, CurrentTime);
  XFlush(display_);
  return released;
}

void XUser::Key(unsigned long keysym, bool down) {
  XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), down ? True : False,
                    CurrentTime);
  XFlush(display_);
}

void XUser::PressReturn() {
  Key(XK_Return, true);
  Key(XK_Return, false);
}

void XUser::PressAltF4() {
  Key(XK_Alt_L, true);
  Key(XK_F4, true);
  Key(XK_F4, false);
  Key(XK_Alt_L, false);
}

}  // namespace quillivar::x11
