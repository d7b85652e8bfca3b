#include "refresh/terminal_run_view.h"

#include "text/code_page.h"
#include "ui/ui_texts.h"

namespace quillivar {

void StopSignalPump::PumpEvents() {
  // Set again at every pump, so a run that clears the flag as it starts
  // still sees a signal that came before.
  if (stopSignal_ != 0) abortRequested_ = true;
}

void TerminalRunView::ShowInformation(const Text& message) {
  output_.Line(SjisToUtf8(message));
}

void TerminalRunView::ShowErrorBox(const Text& message) {
  lastError_ = ErrorBoxText(message);
  output_.Line("quillivar-refresh: " + SjisToUtf8(lastError_));
}

}  // namespace quillivar
