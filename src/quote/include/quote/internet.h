// The HTTP client that the page fetch relies on: a session per page, a
// synchronous GET per session, the body read in small chunks. Closing a
// handle is destroying it. While a call waits on the network it passes the
// session's abort point now and then. An abort ends the wait at once: the
// call throws Error::Aborted(), as every step below the run tells an abort.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "pump/event_pump.h"

namespace quillivar {

// Why a page could not be had whole.
struct TransferFailure {
  enum class Kind {
    NoClient,        // no HTTP session could be started at all
    HostNotFound,    // the host's name (or the proxy's) does not resolve
    CannotConnect,   // refused, unreachable, or not connected in time
    ProxyFailed,     // the proxy would not carry the request
    ConnectionLost,  // closed or reset before the whole body had come
    Stalled,         // nothing arrived within the stall limit, or the body
                     // came slower than the low-speed limit for as long
    TooManyRedirects,  // more redirects than the client follows (a loop)
    HttpStatus,      // the final answer's status is outside 200-299
    TooLarge,        // the body is longer than a page may be (detail: MiB)
    ZeroByte,        // the body holds a zero byte, which no page text has
    HeadersTooLarge,  // a response's headers beyond the client's limits
    CertificateUnverified,  // redirected to https, whose certificate fails
    RedirectedElsewhere,    // redirected to a scheme other than http or https
    Compressed,      // a Content-Encoding other than identity, never asked for
    Other,           // anything else libcurl reports
  };
  Kind kind = Kind::Other;
  long detail = 0;  // the status for HttpStatus, the limit in seconds for
                    // Stalled, the redirects followed for TooManyRedirects,
                    // the client's own error number for Other
  std::chrono::seconds retryAfter{0};  // what the server asked, 0 for nothing

  // Worth another try a little later: the site may be back by then.
  bool IsTransient() const;
};

class InternetRequest {
 public:
  virtual ~InternetRequest() = default;
  // Up to `capacity` bytes of the body; 0 when the body is done or the read
  // failed (Failure).
  virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
  // Why the request failed: right after OpenUrl, or once Read has returned
  // 0. None while it goes well and when the whole body came.
  virtual std::optional<TransferFailure> Failure() const = 0;
  // The body's length as the response announced it, once OpenUrl has
  // returned; none when it announced none.
  virtual std::optional<std::uint64_t> AnnouncedLength() const { return std::nullopt; }
};

class InternetSession {
 public:
  virtual ~InternetSession() = default;
  // Sends the GET and returns once the final response has begun or the
  // request has failed (its Failure() says why). Never null.
  virtual std::unique_ptr<InternetRequest> OpenUrl(const std::string& url) = 0;
};

class Internet {
 public:
  virtual ~Internet() = default;
  // Null when no session can be had. `agent` is the request's user agent;
  // `abortPoint` must outlive the session.
  virtual std::unique_ptr<InternetSession> Open(const std::string& agent,
                                                AbortPoint& abortPoint) = 0;
};

}  // namespace quillivar
