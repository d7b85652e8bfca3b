// The user-interface services on Qt: the main window's controls, the settings
// dialog's check boxes, the modal boxes and the event pump.
#pragma once

#include "ui/qt_event_pump.h"
#include "ui/ui_services.h"

class QDialog;
class QPushButton;
class QStatusBar;
class QTimer;

namespace quillivar {

struct MainWindowControls {
  QPushButton* button1 = nullptr;
  QPushButton* button2 = nullptr;
  QPushButton* button3 = nullptr;
  QStatusBar* statusBar = nullptr;
  QTimer* timer1 = nullptr;
};

class QtUiServices : public UiServices {
 public:
  // An empty `exeDir` stands for the running executable's folder.
  QtUiServices(MainWindowControls controls, Text exeDir);
  // The settings dialog is created after the main window; until it is
  // attached, the check boxes cannot be read. It holds the check boxes.
  void AttachSettingsDialog(QDialog* settingsDialog, CheckBoxes* checkBoxes);

  void PumpEvents() override { pump_.Pump(); }
  bool AskConfirmation(const Text& question) override;
  void ShowInformation(const Text& message) override;
  void ShowErrorBox(const Text& message) override;
  void SetStatusText(const Text& text) override;
  void ShowSettingsDialog() override;
  Text ExecutableDirectory() override;
  void SetTimer1(bool on) override;
  void SetButtonEnabled(MainButton button, bool enabled) override;
  bool IsCheckBoxChecked(int checkBox) override;
  void SetCheckBoxChecked(int checkBox, bool checked) override;

 private:
  CheckBoxes& Boxes() const;

  MainWindowControls controls_;
  QDialog* settingsDialog_ = nullptr;
  Text exeDir_;
  CheckBoxes* checkBoxes_ = nullptr;
  QtEventPump pump_;
};

}  // namespace quillivar
