#include "refresh/terminal_ui_services.h"

#include "text/code_page.h"
#include "ui/ui_texts.h"

namespace quillivar {

TerminalUiServices::TerminalUiServices(Text exeDir, bool& abortRequested,
                                       const volatile std::sig_atomic_t& stopSignal,
                                       TerminalOutput& output)
    : exeDir_(std::move(exeDir)),
      abortRequested_(abortRequested),
      stopSignal_(stopSignal),
      output_(output) {}

void TerminalUiServices::PumpEvents() {
  // Set again at every pump, so a run that clears the flag as it starts
  // still sees a signal that came before.
  if (stopSignal_ != 0) abortRequested_ = true;
}

void TerminalUiServices::ShowInformation(const Text& message) {
  output_.Line(SjisToUtf8(message));
}

void TerminalUiServices::ShowErrorBox(const Text& message) {
  errorShown_ = true;
  lastError_ = ErrorBoxText(message);
  output_.Line("quillivar-refresh: " + SjisToUtf8(lastError_));
}

}  // namespace quillivar
