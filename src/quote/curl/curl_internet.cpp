#include "quote/curl_internet.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <string_view>

#include "text/error.h"

namespace quillivar {

struct CurlInternet::Shared {
  Options options;
  // Connections, resolved names and TLS sessions kept from page to page.
  // Null if libcurl could not make one: then nothing is reused.
  CURLSH* share = nullptr;
};

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kWaitSlice = std::chrono::milliseconds(20);
constexpr long kMaxRedirects = 10;

bool GlobalInitSucceeded() {
  static const bool succeeded = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return succeeded;
}

// What a failed transfer's own error number means for the page.
TransferFailure FailureOfResult(CURLcode result) {
  using Kind = TransferFailure::Kind;
  switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
      return {.kind = Kind::HostNotFound};
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_PROXY:
      return {.kind = Kind::ProxyFailed};
    case CURLE_COULDNT_CONNECT:
      return {.kind = Kind::CannotConnect};
    case CURLE_TOO_MANY_REDIRECTS:
      return {.kind = Kind::TooManyRedirects, .detail = kMaxRedirects};
    // Every request starts over http: only a redirect reaches these.
    case CURLE_PEER_FAILED_VERIFICATION:
      return {.kind = Kind::CertificateUnverified};
    case CURLE_UNSUPPORTED_PROTOCOL:
      return {.kind = Kind::RedirectedElsewhere};
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
      return {.kind = Kind::ConnectionLost};
    default:
      return {.kind = Kind::Other, .detail = static_cast<long>(result)};
  }
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return lower(a) == lower(b);
  });
}

// libcurl's bounds on the headers of one response: each line, and all of
// them together (CURL_MAX_HTTP_HEADER and its MAX_HTTP_RESP_HEADER_SIZE).
constexpr std::size_t kHeaderLineLimit = CURL_MAX_HTTP_HEADER;
constexpr std::size_t kAllHeadersLimit = 300 * 1024;
constexpr int kCurlTooLarge = 100;  // CURLE_TOO_LARGE, from libcurl 8.6

// A header line over its bound never reaches the header callback: libcurl
// before 8.6 fails it as out of memory, later ones as "too large". All
// headers over theirs fail as a receive error (as "too large" from 8.6),
// after the callback has seen nearly all of them.
bool HeadersOverLimit(CURLcode result, std::size_t headerBytesSeen) {
  if (result == CURLE_OUT_OF_MEMORY || static_cast<int>(result) == kCurlTooLarge) return true;
  const bool nearTotal = headerBytesSeen + kHeaderLineLimit >= kAllHeadersLimit;
  return nearTotal && result == CURLE_RECV_ERROR;
}

// The page is asked for without Accept-Encoding: anything but the identity
// is a body this client cannot read.
bool IsEncodedHeader(std::string_view line) {
  constexpr std::string_view kName = "Content-Encoding:";
  if (!StartsWithNoCase(line, kName)) return false;
  std::string_view value = line.substr(kName.size());
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!value.empty() && blank(value.front())) value.remove_prefix(1);
  while (!value.empty() && blank(value.back())) value.remove_suffix(1);
  return !value.empty() && !(value.size() == 8 && StartsWithNoCase(value, "identity"));
}

class CurlRequest : public InternetRequest {
 public:
  CurlRequest(const CurlInternet::Shared& shared, AbortPoint& abortPoint)
      : shared_(shared), abortPoint_(abortPoint) {}
  ~CurlRequest() override {
    if (attached_) curl_multi_remove_handle(multi_, easy_);
    if (easy_ != nullptr) curl_easy_cleanup(easy_);
    if (multi_ != nullptr) curl_multi_cleanup(multi_);
  }
  CurlRequest(const CurlRequest&) = delete;
  CurlRequest& operator=(const CurlRequest&) = delete;

  // False when the transfer cannot even be set up.
  bool Start(const std::string& agent, const std::string& url) {
    easy_ = curl_easy_init();
    multi_ = curl_multi_init();
    if (easy_ == nullptr || multi_ == nullptr || !Configure(agent, url)) return false;
    if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) return false;
    attached_ = true;
    return true;
  }

  // Waits until the final response has begun or the request has failed;
  // throws Error::Aborted() when the wait was aborted.
  void AwaitResponse() { WaitUntil([this] { return responseBegun_; }); }

  std::optional<TransferFailure> Failure() const override { return failure_; }

  std::optional<std::uint64_t> AnnouncedLength() const override {
    curl_off_t length = -1;
    if (!responseBegun_ ||
        curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK ||
        length < 0) {
      return std::nullopt;
    }
    return static_cast<std::uint64_t>(length);
  }

  void FailToStart() { failure_ = TransferFailure{.detail = CURLE_FAILED_INIT}; }

  std::size_t Read(char* buffer, std::size_t capacity) override {
    if (QueuedBytes() == 0 && !finished_) {
      if (paused_) {
        paused_ = false;
        curl_easy_pause(easy_, CURLPAUSE_CONT);
      }
      WaitUntil([this] { return QueuedBytes() > 0; });
    }
    const std::size_t count = std::min(capacity, QueuedBytes());
    std::memcpy(buffer, queue_.data() + queueStart_, count);
    queueStart_ += count;
    if (queueStart_ == queue_.size()) {
      queue_.clear();
      queueStart_ = 0;
    }
    return count;
  }

 private:
  template <typename Value>
  bool Set(CURLoption option, Value value) {
    return curl_easy_setopt(easy_, option, value) == CURLE_OK;
  }

  bool Configure(const std::string& agent, const std::string& url) {
    const long connectMs = static_cast<long>(shared_.options.connectTimeout.count());
    bool ok = Set(CURLOPT_URL, url.c_str()) && Set(CURLOPT_USERAGENT, agent.c_str()) &&
              Set(CURLOPT_HTTPGET, 1L) && Set(CURLOPT_NOSIGNAL, 1L) &&
              Set(CURLOPT_PROTOCOLS_STR, "http,https") &&
              Set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https") &&
              Set(CURLOPT_FOLLOWLOCATION, 1L) && Set(CURLOPT_MAXREDIRS, kMaxRedirects) &&
              Set(CURLOPT_CONNECTTIMEOUT_MS, std::max(connectMs, 1L)) &&
              Set(CURLOPT_LOW_SPEED_LIMIT, shared_.options.lowSpeedBytesPerSecond) &&
              Set(CURLOPT_LOW_SPEED_TIME,
                  std::max(static_cast<long>(shared_.options.lowSpeedTime.count()), 1L)) &&
              // A proxy tunnel's own answer is no response of the site.
              Set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L) &&
              Set(CURLOPT_HEADERFUNCTION, &CurlRequest::OnHeader) &&
              Set(CURLOPT_HEADERDATA, this) &&
              Set(CURLOPT_WRITEFUNCTION, &CurlRequest::OnBody) && Set(CURLOPT_WRITEDATA, this) &&
              Set(CURLOPT_PREREQFUNCTION, &CurlRequest::OnConnected) &&
              Set(CURLOPT_PREREQDATA, this);
    if (ok && shared_.share != nullptr) ok = Set(CURLOPT_SHARE, shared_.share);
#if LIBCURL_VERSION_NUM >= 0x075700
    // An abort during a host-name look-up leaves the resolver thread to end
    // by itself, rather than waiting for the name server to give up.
    if (ok) ok = Set(CURLOPT_QUICK_EXIT, 1L);
#endif
    return ok;
  }

  std::size_t QueuedBytes() const { return queue_.size() - queueStart_; }
  bool StallClockRuns() const { return connected_ || responseBegun_; }

  // Drives the transfer, passing the abort point between slices, until
  // `done` holds, the transfer ends, or no byte has come for the stall limit
  // since the wait began (counted once the connection is made: before that,
  // libcurl's connect limit rules). Throws Error::Aborted() once an abort is
  // seen.
  template <typename Done>
  void WaitUntil(Done done) {
    const auto stallLimit = std::max(shared_.options.stallTimeout, std::chrono::milliseconds(1));
    lastArrival_ = Clock::now();
    while (true) {
      Perform();
      if (done() || finished_) return;
      const auto now = Clock::now();
      if (StallClockRuns() && now - lastArrival_ >= stallLimit) {
        return Fail({.kind = TransferFailure::Kind::Stalled,
                     .detail = static_cast<long>(
                         std::chrono::ceil<std::chrono::seconds>(stallLimit).count())});
      }
      auto slice = std::chrono::duration_cast<std::chrono::milliseconds>(kWaitSlice);
      if (StallClockRuns()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            stallLimit - (now - lastArrival_));
        slice = std::clamp(left, std::chrono::milliseconds(1), slice);
      }
      int ready = 0;
      const CURLMcode polled =
          curl_multi_poll(multi_, nullptr, 0, static_cast<int>(slice.count()), &ready);
      if (polled != CURLM_OK) return Fail({.detail = static_cast<long>(polled)});
      if (abortPoint_.PumpAndTestAbort()) throw Error::Aborted();
    }
  }

  void Perform() {
    int running = 0;
    const CURLMcode performed = curl_multi_perform(multi_, &running);
    if (performed != CURLM_OK) return Fail({.detail = static_cast<long>(performed)});
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      finished_ = true;
      if (message->data.result != CURLE_OK) Fail(FailureOf(message->data.result));
    }
  }

  // Only the connect limit and the low-speed limit are set: a time-out
  // before the connection is the one, after it the other.
  TransferFailure FailureOf(CURLcode result) const {
    if (inHeaders_ && HeadersOverLimit(result, headerBytes_)) {
      return {.kind = TransferFailure::Kind::HeadersTooLarge};
    }
    if (result != CURLE_OPERATION_TIMEDOUT) return FailureOfResult(result);
    if (!StallClockRuns()) return {.kind = TransferFailure::Kind::CannotConnect};
    return {.kind = TransferFailure::Kind::Stalled,
            .detail = static_cast<long>(shared_.options.lowSpeedTime.count())};
  }

  // Ends the transfer; the first cause found is the one kept. What is queued
  // can still be read.
  void Fail(TransferFailure failure) {
    finished_ = true;
    if (!failure_) failure_ = failure;
  }

  static int OnConnected(void* self, char*, char*, int, int) {
    auto* request = static_cast<CurlRequest*>(self);
    request->connected_ = true;
    request->lastArrival_ = Clock::now();
    return CURL_PREREQFUNC_OK;
  }

  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto* request = static_cast<CurlRequest*>(self);
    // A refused status ends the transfer: its body is no list page.
    return request->TakeHeaderLine(std::string_view(data, size * count)) ? size * count : 0;
  }

  // False when the final response's status is a failure.
  bool TakeHeaderLine(std::string_view line) {
    lastArrival_ = Clock::now();
    headerBytes_ += line.size();
    if (StartsWithNoCase(line, "HTTP/")) {
      locationSeen_ = encoded_ = false;
      inHeaders_ = true;
      headerBytes_ = line.size();
    } else if (StartsWithNoCase(line, "Location:")) {
      locationSeen_ = true;
    } else if (IsEncodedHeader(line)) {
      encoded_ = true;
    } else if (line == "\r\n" || line == "\n") {
      inHeaders_ = false;
      long status = 0;
      curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
      const bool interim = status < 200;
      const bool followed = status >= 300 && status < 400 && status != 304 && locationSeen_;
      if (followed) connected_ = false;  // the next hop connects anew
      if (interim || followed) return true;
      if (status < 200 || status > 299) {
        Fail(StatusFailure(status));
        return false;
      }
      if (encoded_) {
        Fail({.kind = TransferFailure::Kind::Compressed});
        return false;
      }
      responseBegun_ = true;
    }
    return true;
  }

  TransferFailure StatusFailure(long status) {
    curl_off_t retryAfter = 0;
    curl_easy_getinfo(easy_, CURLINFO_RETRY_AFTER, &retryAfter);
    return {.kind = TransferFailure::Kind::HttpStatus,
            .detail = status,
            .retryAfter = std::chrono::seconds(std::max<curl_off_t>(retryAfter, 0))};
  }

  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto* request = static_cast<CurlRequest*>(self);
    const std::size_t bytes = size * count;
    // An empty queue always takes the data, so a drained reader never waits
    // on a transfer that is paused.
    const std::size_t queued = request->QueuedBytes();
    if (queued > 0 && queued >= request->shared_.options.receiveQueueBytes) {
      request->paused_ = true;
      return CURL_WRITEFUNC_PAUSE;
    }
    try {
      request->queue_.append(data, bytes);
    } catch (const std::bad_alloc&) {
      request->Fail({.detail = CURLE_OUT_OF_MEMORY});
      return 0;  // what was queued stays readable
    }
    request->responseBegun_ = true;
    request->lastArrival_ = Clock::now();
    return bytes;
  }

  const CurlInternet::Shared& shared_;
  AbortPoint& abortPoint_;
  CURL* easy_ = nullptr;
  CURLM* multi_ = nullptr;
  bool attached_ = false;
  bool connected_ = false;
  bool locationSeen_ = false;
  bool inHeaders_ = false;     // from a status line to its blank line
  bool encoded_ = false;       // the response names a Content-Encoding
  std::size_t headerBytes_ = 0;  // of the current response
  bool responseBegun_ = false;
  bool paused_ = false;
  bool finished_ = false;
  std::optional<TransferFailure> failure_;
  Clock::time_point lastArrival_ = Clock::now();
  std::string queue_;
  std::size_t queueStart_ = 0;
};

class CurlSession : public InternetSession {
 public:
  CurlSession(const CurlInternet::Shared& shared, std::string agent, AbortPoint& abortPoint)
      : shared_(shared), agent_(std::move(agent)), abortPoint_(abortPoint) {}

  std::unique_ptr<InternetRequest> OpenUrl(const std::string& url) override {
    auto request = std::make_unique<CurlRequest>(shared_, abortPoint_);
    if (request->Start(agent_, url)) {
      request->AwaitResponse();
    } else {
      request->FailToStart();
    }
    return request;
  }

 private:
  const CurlInternet::Shared& shared_;
  std::string agent_;
  AbortPoint& abortPoint_;
};

}  // namespace

CurlInternet::CurlInternet() : CurlInternet(Options{}) {}

CurlInternet::CurlInternet(Options options) : shared_(std::make_unique<Shared>()) {
  shared_->options = std::move(options);
  if (!GlobalInitSucceeded()) return;
  CURLSH* share = curl_share_init();
  if (share == nullptr) return;
  const bool shared = curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT) == CURLSHE_OK &&
                      curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) == CURLSHE_OK &&
                      curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION) ==
                          CURLSHE_OK;
  if (!shared) {
    curl_share_cleanup(share);
    return;
  }
  shared_->share = share;
}

CurlInternet::~CurlInternet() {
  if (shared_->share != nullptr) curl_share_cleanup(shared_->share);
}

std::unique_ptr<InternetSession> CurlInternet::Open(const std::string& agent,
                                                   AbortPoint& abortPoint) {
  if (!GlobalInitSucceeded()) return nullptr;
  return std::make_unique<CurlSession>(*shared_, agent, abortPoint);
}

}  // namespace quillivar
