#include "ui/qt_close_after_run.h"

#include <QCloseEvent>

#include "ui/qt_boxes.h"

namespace quillivar {

void CloseAfterRun::OnCloseEvent(QCloseEvent& event) {
  if (!running_) {
    event.accept();
    return;
  }
  closeAsked_ = true;
  SetBoxesCloseAtOnce(true);
  event.ignore();
}

void CloseAfterRun::CloseIfAsked() {
  if (!closeAsked_) return;
  closeAsked_ = false;
  SetBoxesCloseAtOnce(false);
  if (window_) window_->close();
}

}  // namespace quillivar
