#include "ui/qt_event_pump.h"

#include <QCoreApplication>

#include <chrono>

namespace quillivar {

QtEventPump::QtEventPump() : ticker_([this] { Tick(); }) {}

QtEventPump::~QtEventPump() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  armed_.notify_one();
  ticker_.join();
}

void QtEventPump::ProcessPending() {
  due_.store(false, std::memory_order_relaxed);
  {
    std::lock_guard lock(mutex_);
    waiting_ = true;
  }
  armed_.notify_one();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Sleeps until a pump has run, then marks the next one due after an
// interval; while nobody pumps, it waits without waking up.
void QtEventPump::Tick() {
  std::unique_lock lock(mutex_);
  while (true) {
    armed_.wait(lock, [this] { return waiting_ || stopping_; });
    if (stopping_) return;
    armed_.wait_for(lock, std::chrono::milliseconds(kIntervalMs),
                    [this] { return stopping_; });
    if (stopping_) return;
    waiting_ = false;
    due_.store(true, std::memory_order_relaxed);
  }
}

}  // namespace quillivar
