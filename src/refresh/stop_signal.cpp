#include "refresh/stop_signal.h"

#include <cstdlib>
#include <initializer_list>

namespace quillivar {

volatile std::sig_atomic_t gStopSignal = 0;

namespace {

extern "C" void RecordStopSignal(int signal) {
  if (gStopSignal == 0) gStopSignal = signal;
}

void HandleUnlessIgnored(int signal, const struct sigaction& action) {
  struct sigaction current {};
  if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) return;
  sigaction(signal, &action, nullptr);
}

}  // namespace

void InstallStopSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = RecordStopSignal;
  sigemptyset(&action.sa_mask);
  // Restarting keeps file writes and reads free of EINTR; the network wait
  // passes the pump every 20 ms whatever its poll returns.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2}) {
    HandleUnlessIgnored(signal, action);
  }
}

void IgnoreBrokenPipeSignal() { std::signal(SIGPIPE, SIG_IGN); }

void EndBySignal(int signal) {
  std::signal(signal, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  std::raise(signal);
  std::_Exit(128 + signal);  // not reached: the default action ends the process
}

}  // namespace quillivar
