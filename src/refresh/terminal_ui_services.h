// The user-interface services for a terminal. Running the command is the
// confirmation; boxes become lines on standard error; a stop signal is 中止.
#pragma once

#include <array>
#include <csignal>

#include "refresh/terminal_output.h"
#include "ui/ui_services.h"

namespace quillivar {

class TerminalUiServices : public UiServices {
 public:
  // `abortRequested` is the main-window field that the run's abort point
  // reads; `stopSignal` is written by a signal handler.
  TerminalUiServices(Text exeDir, bool& abortRequested,
                     const volatile std::sig_atomic_t& stopSignal, TerminalOutput& output);

  void PumpEvents() override;
  bool AskConfirmation(const Text&) override { return true; }
  void ShowInformation(const Text& message) override;
  void ShowErrorBox(const Text& message) override;
  void SetStatusText(const Text& text) override { statusText_ = text; }
  void ShowSettingsDialog() override {}
  Text ExecutableDirectory() override { return exeDir_; }
  void SetTimer1(bool) override {}
  void SetButtonEnabled(MainButton, bool) override {}
  bool IsCheckBoxChecked(int checkBox) override { return checkBoxes_.at(checkBox); }
  void SetCheckBoxChecked(int checkBox, bool checked) override {
    checkBoxes_.at(checkBox) = checked;
  }

  bool ErrorShown() const { return errorShown_; }
  // The last error box's text, as shown, for the run's last line.
  const Text& LastError() const { return lastError_; }
  // The status line's text: the window would be showing it now.
  const Text& StatusText() const { return statusText_; }

 private:
  Text exeDir_;
  bool& abortRequested_;
  const volatile std::sig_atomic_t& stopSignal_;
  TerminalOutput& output_;
  std::array<bool, kCheckBoxNumbers> checkBoxes_{};  // index = check box number
  Text statusText_;
  bool errorShown_ = false;
  Text lastError_;
};

}  // namespace quillivar
