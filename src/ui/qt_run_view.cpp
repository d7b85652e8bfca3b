#include "ui/qt_run_view.h"

#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "text/code_page.h"
#include "ui/qt_text.h"

namespace quillivar {

void QtRunView::SetStatusText(const Text& text) {
  controls_.statusBar->showMessage(ToQString(text));
}

void QtRunView::SetBusy(bool busy) {
  controls_.button1->setEnabled(!busy);
  controls_.button2->setEnabled(!busy);
}

bool QtRunView::AskToReplaceSuspectList(const Text& facts) {
  return AskYesNoBox(facts + Sjis("\n\nbrand_code.csv をこの内容で置き換えますか？"));
}

void QtRunView::SetStatusTimer(bool on) {
  if (!on) {
    controls_.timer1->stop();
  } else if (!controls_.timer1->isActive()) {
    controls_.timer1->start();  // a running timer keeps its phase
  }
}

}  // namespace quillivar
