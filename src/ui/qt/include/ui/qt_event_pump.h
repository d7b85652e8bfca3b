// The event pump of a long run. A run calls it before every comparison and
// move of its ordered insertion, up to about 10^8 times, so the call that
// finds nothing due must cost next to nothing: a ticker thread marks the pump
// due every few milliseconds, and only then are Qt's events processed.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "pump/event_pump.h"

namespace quillivar {

class QtEventPump : public EventPump {
 public:
  static constexpr int kIntervalMs = 4;

  QtEventPump();
  ~QtEventPump();
  QtEventPump(const QtEventPump&) = delete;
  QtEventPump& operator=(const QtEventPump&) = delete;

  void PumpEvents() override {
    if (due_.load(std::memory_order_relaxed)) ProcessPending();
  }

 private:
  void ProcessPending();
  void Tick();

  std::atomic<bool> due_{true};
  std::mutex mutex_;
  std::condition_variable armed_;
  bool waiting_ = false;  // a tick has been asked for and is not yet due
  bool stopping_ = false;
  std::thread ticker_;
};

}  // namespace quillivar
