#include "ui/qt_ui_services.h"

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

void QtUiServices::AttachSettingsDialog(QDialog* settingsDialog, CheckBoxes* checkBoxes) {
  settingsDialog_ = settingsDialog;
  checkBoxes_ = checkBoxes;
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
  return ProgramFolder(exeDir_);
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

CheckBoxes& QtUiServices::Boxes() const {
  if (checkBoxes_ == nullptr) throw std::logic_error("the settings dialog is not attached");
  return *checkBoxes_;
}

bool QtUiServices::IsCheckBoxChecked(int checkBox) {
  return Boxes().IsChecked(checkBox);
}

void QtUiServices::SetCheckBoxChecked(int checkBox, bool checked) {
  Boxes().SetChecked(checkBox, checked);
}

}  // namespace quillivar
