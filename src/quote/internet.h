// The HTTP client that the page fetch relies on: a session per page, a
// synchronous GET per session, the body read in small chunks. Closing a
// handle is destroying it. While a call waits on the network it passes the
// session's abort point now and then; an abort ends the wait at once, like a
// failure, and the caller learns of it at its own next abort point.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "ui/ui_services.h"

namespace quillivar {

class InternetRequest {
 public:
  virtual ~InternetRequest() = default;
  // Up to `capacity` bytes of the body; 0 when the body is done or the read
  // failed or the wait was aborted.
  virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
};

class InternetSession {
 public:
  virtual ~InternetSession() = default;
  // Sends the GET and returns once the response has begun; null when the URL
  // cannot be opened or the wait was aborted. The HTTP status is not
  // examined.
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
