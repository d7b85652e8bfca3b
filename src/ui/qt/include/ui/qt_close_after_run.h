// Closing a window whose handler runs a long job. While idle the window
// closes at once. During the job the close is held: the job goes on to its
// end or its abort, every box it opens from then on closes by itself, and the
// window closes as soon as the job has returned.
#pragma once

#include <QPointer>
#include <QWidget>

class QCloseEvent;

namespace quillivar {

class CloseAfterRun {
 public:
  explicit CloseAfterRun(QWidget& window) : window_(&window) {}

  // The window's closeEvent hands every close request here.
  void OnCloseEvent(QCloseEvent& event);

  // Runs the job; `job` must not let an exception escape.
  template <typename Job>
  void During(Job job) noexcept {
    running_ = true;
    job();
    running_ = false;
    CloseIfAsked();
  }

 private:
  void CloseIfAsked();

  QPointer<QWidget> window_;
  bool running_ = false;
  bool closeAsked_ = false;
};

}  // namespace quillivar
