#include "testkit/x11/x_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <vector>

namespace quillivar::x11 {
namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// This process's environment, with `overrides` ("NAME=value") put in.
std::vector<std::string> Environment(const std::vector<std::string>& overrides) {
  std::vector<std::string> environment(overrides);
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    const std::string_view name = text.substr(0, text.find('=') + 1);
    const bool overridden = std::any_of(overrides.begin(), overrides.end(),
                                        [name](const std::string& o) { return o.starts_with(name); });
    if (!overridden) environment.emplace_back(text);
  }
  return environment;
}

}  // namespace

pid_t Spawn(const Child& child) {
  std::vector<std::string> argv = child.argv;
  std::vector<std::string> environment = Environment(child.environment);
  const std::vector<char*> args = Pointers(argv);
  const std::vector<char*> envp = Pointers(environment);
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int null = ::open("/dev/null", O_RDWR);
  ::dup2(null, 0);
  ::dup2(child.out >= 0 ? child.out : null, 1);
  if (child.quiet) ::dup2(null, 2);
  for (int fd = 3; fd < 1024; ++fd) {
    if (fd != child.keepFd) ::close(fd);
  }
  ::execvpe(args[0], args.data(), envp.data());
  ::_exit(127);
}

namespace {

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
  xvfb_ = Spawn({.argv = {"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0",
                          "1280x800x24", "-nolisten", "tcp", "-noreset"},
                 .quiet = true,
                 .keepFd = pipeFds[1]});
  ::close(pipeFds[1]);
  std::string number;
  char c;
  while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
  ::close(pipeFds[0]);
  if (number.empty()) throw std::runtime_error("Xvfb did not start");
  display_ = ":" + number;

  windowManager_ = Spawn({.argv = {"openbox", "--sm-disable"},
                          .environment = {"DISPLAY=" + display_},
                          .quiet = true});
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

void XUser::Press(std::initializer_list<unsigned long> keysyms) {
  for (const unsigned long keysym : keysyms) Key(keysym, true);
  for (auto key = std::rbegin(keysyms); key != std::rend(keysyms); ++key) Key(*key, false);
}

void XUser::PressReturn() { Press({XK_Return}); }

void XUser::PressAltF4() { Press({XK_Alt_L, XK_F4}); }

void XUser::HoldReturn(milliseconds duration) {
  XAutoRepeatOn(display_);
  Key(XK_Return, true);
  std::this_thread::sleep_for(duration);
  Key(XK_Return, false);
}

}  // namespace quillivar::x11
