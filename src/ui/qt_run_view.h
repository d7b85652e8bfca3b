// The run's view on Qt: the main window's buttons, status line and timer, the
// modal boxes, and the window's event pump.
#pragma once

#include "pump/event_pump.h"
#include "ui/qt_boxes.h"
#include "ui/qt_event_pump.h"
#include "ui/run_view.h"

class QPushButton;
class QStatusBar;
class QTimer;

namespace quillivar {

struct MainWindowControls {
  QPushButton* button1 = nullptr;
  QPushButton* button2 = nullptr;
  QStatusBar* statusBar = nullptr;
  QTimer* timer1 = nullptr;
};

class QtRunView : public RunView, public EventPump {
 public:
  explicit QtRunView(MainWindowControls controls) : controls_(controls) {}

  void PumpEvents() override { pump_.PumpEvents(); }
  bool AskConfirmation(const Text& question) override { return AskConfirmationBox(question); }
  void ShowInformation(const Text& message) override { ShowInformationBox(message); }
  void ShowErrorBox(const Text& message) override { ShowErrorBoxQt(message); }
  void SetStatusText(const Text& text) override;
  void SetBusy(bool busy) override;
  void SetStatusTimer(bool on) override;
  bool AskToReplaceSuspectList(const Text& facts) override;

 private:
  MainWindowControls controls_;
  QtEventPump pump_;
};

}  // namespace quillivar
