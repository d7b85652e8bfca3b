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

void TerminalRunView::ShowErrorBox(const Text& message) { lastError_ = ErrorBoxText(message); }

bool TerminalRunView::AskToReplaceSuspectList(const Text& facts) {
  output_.Line(SjisToUtf8(facts));
  output_.Line(acceptShrink_ ? "--accept-shrink: 置き換えます / replacing it as asked"
                             : "サイトを確かめたうえで置き換えるには --accept-shrink を付けて実行してください"
                               " / to replace it all the same, look at the site, then run with"
                               " --accept-shrink");
  return acceptShrink_;
}

}  // namespace quillivar
