#include "notify/session_bus_notifier.h"

#include <systemd/sd-bus.h>

#include <cstring>
#include <memory>
#include <utility>

namespace quillivar {
namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kObject[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";
constexpr int kServerDefaultExpiry = -1;

struct BusUnref {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
struct SlotUnref {
  void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};

std::string Reason(std::string_view what, int negativeErrno) {
  return std::string(what).append(": ").append(std::strerror(-negativeErrno));
}

// What the answer said, once it came.
struct Answer {
  bool came = false;
  bool timedOut = false;  // the answer sd-bus makes up when the wait is over
  std::optional<std::string> failure;
};

int TakeAnswer(sd_bus_message* reply, void* userdata, sd_bus_error* /*unused*/) {
  Answer& answer = *static_cast<Answer*>(userdata);
  answer.came = true;
  if (sd_bus_message_is_method_error(reply, nullptr)) {
    const sd_bus_error* error = sd_bus_message_get_error(reply);
    answer.timedOut = sd_bus_error_has_name(error, SD_BUS_ERROR_NO_REPLY);
    answer.failure = std::string("no notification service took it: ") +
                     (error && error->message ? error->message : "no reason given");
  }
  return 1;
}

std::unique_ptr<sd_bus_message, MessageUnref> NotifyCall(sd_bus* bus, const std::string& app,
                                                         const std::string& icon,
                                                         const Notice& notice, int& result) {
  sd_bus_message* raw = nullptr;
  result = sd_bus_message_new_method_call(bus, &raw, kService, kObject, kInterface, "Notify");
  std::unique_ptr<sd_bus_message, MessageUnref> call(raw);
  if (result < 0) return call;
  // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout
  result = sd_bus_message_append(call.get(), "susssasa{sv}i", app.c_str(), 0u, icon.c_str(),
                                 notice.summary.c_str(), notice.body.c_str(), 0, 0,
                                 kServerDefaultExpiry);
  return call;
}

}  // namespace

SessionBusNotifier::SessionBusNotifier(std::string applicationName, std::string icon,
                                       std::chrono::milliseconds answerWithin)
    : applicationName_(std::move(applicationName)),
      icon_(std::move(icon)),
      answerWithin_(answerWithin) {}

std::optional<std::string> SessionBusNotifier::Send(const Notice& notice) {
  sd_bus* rawBus = nullptr;
  // sd-bus connects to $DBUS_SESSION_BUS_ADDRESS or $XDG_RUNTIME_DIR/bus and
  // never launches a bus of its own.
  int result = sd_bus_open_user(&rawBus);
  const std::unique_ptr<sd_bus, BusUnref> bus(rawBus);
  if (result < 0) return Reason("no session bus", result);
  const auto call = NotifyCall(bus.get(), applicationName_, icon_, notice, result);
  if (result < 0) return Reason("cannot build the notification", result);

  const auto deadline = std::chrono::steady_clock::now() + answerWithin_;
  const auto timeout = std::chrono::duration_cast<std::chrono::microseconds>(answerWithin_);
  Answer answer;
  sd_bus_slot* rawSlot = nullptr;
  // Asynchronous, so that the connection's own start (a bus that takes the
  // connection and never answers) counts against the same wait.
  result = sd_bus_call_async(bus.get(), &rawSlot, call.get(), TakeAnswer, &answer,
                             static_cast<uint64_t>(timeout.count()));
  const std::unique_ptr<sd_bus_slot, SlotUnref> slot(rawSlot);
  if (result < 0) return Reason("cannot reach the session bus", result);
  const std::string silence =
      "no notification service answered within " + std::to_string(answerWithin_.count()) + " ms";
  while (!answer.came) {
    result = sd_bus_process(bus.get(), nullptr);
    if (result < 0) return Reason("the session bus failed", result);
    if (result > 0) continue;
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= left.zero()) return silence;
    const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(left);
    result = sd_bus_wait(bus.get(), static_cast<uint64_t>(wait.count()));
    if (result < 0) return Reason("the session bus failed", result);
  }
  return answer.timedOut ? silence : answer.failure;
}

}  // namespace quillivar
