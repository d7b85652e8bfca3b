// The HTTP client on libcurl: a synchronous GET whose body is pulled in small
// chunks from a bounded receive queue, so the caller can pump its events
// between reads. While a call waits on the network it passes the session's
// abort point about every 20 ms, so the window answers and 中止 ends the wait.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "quote/internet.h"

namespace quillivar {

class CurlInternet : public Internet {
 public:
  struct Options {
    // A connection not made within this is one that cannot be made.
    std::chrono::milliseconds connectTimeout{30'000};
    // Waiting this long for the response, or for more of the body, without
    // a byte arriving fails the request as stalled.
    std::chrono::milliseconds stallTimeout{30'000};
    // A body that comes slower than this, over the low-speed time, fails as
    // stalled too: a trickle would otherwise restart the stall limit with
    // every byte and never end. 2 KB/s lines stay well above it.
    long lowSpeedBytesPerSecond = 256;
    std::chrono::seconds lowSpeedTime{30};
    // The receive queue takes what arrives while it holds less than this;
    // beyond it the transfer pauses until the reader has drained the queue.
    std::size_t receiveQueueBytes = 64 * 1024;
  };

  CurlInternet();
  explicit CurlInternet(Options options);
  ~CurlInternet() override;
  CurlInternet(const CurlInternet&) = delete;
  CurlInternet& operator=(const CurlInternet&) = delete;

  // Every session and request must be closed before this object goes: they
  // share its connection and name caches. Null when libcurl cannot start.
  std::unique_ptr<InternetSession> Open(const std::string& agent,
                                        AbortPoint& abortPoint) override;

  struct Shared;

 private:
  std::unique_ptr<Shared> shared_;
};

}  // namespace quillivar
