// Ctrl-C, SIGTERM and the other signals that would end the command without
// a word (SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2) as 中止: the handler only
// records the signal; the terminal's event pump turns it into the run's
// abort request.
#pragma once

#include <csignal>

#include "pump/event_pump.h"

namespace quillivar {

// The first stop signal received, 0 before one.
extern volatile std::sig_atomic_t gStopSignal;

// A second signal of the same kind ends the program at once, as if no handler
// were installed, in case the run is stuck where it cannot see the first. A
// signal ignored when the program started (a background job of a script)
// stays ignored.
void InstallStopSignalHandlers();

// Turns a stop signal into the run's abort request.
class StopSignalPump : public EventPump {
 public:
  // `stopSignal` is written by a signal handler.
  explicit StopSignalPump(const volatile std::sig_atomic_t& stopSignal) : stopSignal_(stopSignal) {}

  void PumpEvents() override {
    if (stopSignal_ != 0) AbortRequested = true;
  }

  bool AbortRequested = false;  // the abort point's flag

 private:
  const volatile std::sig_atomic_t& stopSignal_;
};

// A reader that went away is seen as a failed write, not as the end of the run.
void IgnoreBrokenPipeSignal();

// Ends the process by `signal` with its default action, so that a shell or a
// calling script sees what stopped it and stops too.
[[noreturn]] void EndBySignal(int signal);

}  // namespace quillivar
