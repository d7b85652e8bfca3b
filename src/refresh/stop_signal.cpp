#include "refresh/stop_signal.h"

namespace quillivar {

volatile std::sig_atomic_t gStopSignal = 0;

namespace {

extern "C" void RecordStopSignal(int signal) {
  if (gStopSignal == 0) gStopSignal = signal;
}

}  // namespace

void InstallStopSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = RecordStopSignal;
  sigemptyset(&action.sa_mask);
  // Restarting keeps file writes and reads free of EINTR; the network wait
  // passes the pump every 20 ms whatever its poll returns.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace quillivar
