// How a long step lets the user be heard: the event pump, and the abort point
// built on it. A front end supplies the pump; nothing here knows a toolkit.
#pragma once

namespace quillivar {

class EventPump {
 public:
  virtual ~EventPump() = default;
  // Handles every pending event (clicks, ticks, repaints, close requests),
  // then returns without waiting.
  virtual void PumpEvents() = 0;
};

// The one way the run, the page fetch, the row scan and the network wait
// learn of 中止: the pending events are handled (中止 among them), then the
// abort flag is read. The flag is the run state's; only 中止 sets it and only
// a new run clears it.
class AbortPoint {
 public:
  AbortPoint(EventPump& pump, const bool& abortRequested)
      : pump_(pump), abortRequested_(abortRequested) {}

  [[nodiscard]] bool PumpAndTestAbort() {
    pump_.PumpEvents();
    return abortRequested_;
  }
  // After a wait that passed abort points of its own: did one see an abort?
  bool AbortSeen() const { return abortRequested_; }

 private:
  EventPump& pump_;
  const bool& abortRequested_;
};

}  // namespace quillivar
