// The run's view and event pump for a terminal. Running the command is the
// confirmation; boxes become lines on standard error; a stop signal is 中止.
#pragma once

#include <csignal>

#include "pump/event_pump.h"
#include "refresh/terminal_output.h"
#include "ui/run_view.h"

namespace quillivar {

// Turns a stop signal into the run's abort request.
class StopSignalPump : public EventPump {
 public:
  // `abortRequested` is the run state's flag; `stopSignal` is written by a
  // signal handler.
  StopSignalPump(bool& abortRequested, const volatile std::sig_atomic_t& stopSignal)
      : abortRequested_(abortRequested), stopSignal_(stopSignal) {}

  void PumpEvents() override;

 private:
  bool& abortRequested_;
  const volatile std::sig_atomic_t& stopSignal_;
};

class TerminalRunView : public RunView {
 public:
  // `acceptShrink`: the answer to a suspect new list (--accept-shrink).
  TerminalRunView(TerminalOutput& output, bool acceptShrink)
      : output_(output), acceptShrink_(acceptShrink) {}

  bool AskConfirmation(const Text&) override { return true; }
  void ShowInformation(const Text& message) override;
  void ShowErrorBox(const Text& message) override;
  void SetStatusText(const Text& text) override { statusText_ = text; }
  // Nothing on a terminal waits for a click or a tick.
  void SetBusy(bool) override {}
  void SetStatusTimer(bool) override {}
  // The facts on standard error, then what the option decides.
  bool AskToReplaceSuspectList(const Text& facts) override;

  // The status line's text: the window would be showing it now.
  const Text& StatusText() const { return statusText_; }
  // The last error box's text, as shown, for the run's last line, which is
  // where the command prints it.
  const Text& LastError() const { return lastError_; }

 private:
  TerminalOutput& output_;
  bool acceptShrink_;
  Text statusText_;
  Text lastError_;
};

}  // namespace quillivar
