#include "ui/qt_ui_services.h"

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <stdexcept>
#include <string>

#include "catalogue/catalogue.h"
#include "ui/executable_directory.h"
#include "ui/qt_boxes.h"
#include "ui/qt_text.h"
#include "ui/ui_texts.h"

namespace quillivar {

QtUiServices::QtUiServices(MainWindowControls controls, Text exeDir)
    : controls_(controls), exeDir_(std::move(exeDir)) {}

void QtUiServices::AttachSettingsDialog(QDialog* settingsDialog) {
  settingsDialog_ = settingsDialog;
  // Looked up once: the run reads them for every row it writes.
  for (int box : SettingsOrder()) {
    checkBoxes_[box] = settingsDialog_->findChild<QCheckBox*>(
        QStringLiteral("CheckBox%1").arg(box));
    if (checkBoxes_[box] == nullptr) {
      throw std::logic_error("settings dialog lacks CheckBox" + std::to_string(box));
    }
  }
}

bool QtUiServices::AskConfirmation(const Text& question) {
  return AskConfirmationBox(question);
}

void QtUiServices::ShowInformation(const Text& message) { ShowInformationBox(message); }

void QtUiServices::ShowErrorBox(const Text& message) { ShowErrorBoxQt(message); }

void QtUiServices::SetStatusText(const Text& text) {
  controls_.statusBar->showMessage(ToQString(text));
}

void QtUiServices::ShowSettingsDialog() {
  if (settingsDialog_ != nullptr) settingsDialog_->exec();
}

Text QtUiServices::ExecutableDirectory() {
  return exeDir_.empty() ? RunningExecutableDirectory() : exeDir_;
}

void QtUiServices::SetTimer1(bool on) {
  if (!on) {
    controls_.timer1->stop();
  } else if (!controls_.timer1->isActive()) {
    controls_.timer1->start();  // a running timer keeps its phase
  }
}

void QtUiServices::SetButtonEnabled(MainButton button, bool enabled) {
  QPushButton* target = button == MainButton::Button1   ? controls_.button1
                        : button == MainButton::Button2 ? controls_.button2
                                                        : controls_.button3;
  target->setEnabled(enabled);
}

QCheckBox* QtUiServices::CheckBox(int checkBox) const {
  if (checkBox < 0 || checkBox >= static_cast<int>(checkBoxes_.size()) ||
      checkBoxes_[checkBox] == nullptr) {
    throw std::out_of_range("no settings check box " + std::to_string(checkBox));
  }
  return checkBoxes_[checkBox];
}

bool QtUiServices::IsCheckBoxChecked(int checkBox) {
  return CheckBox(checkBox)->isChecked();
}

void QtUiServices::SetCheckBoxChecked(int checkBox, bool checked) {
  CheckBox(checkBox)->setChecked(checked);
}

}  // namespace quillivar
