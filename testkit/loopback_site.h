// A quote site on a loopback port whose every answer is the test's script,
// as curl's own test server answers from its test files: pages that come
// late, never, byte by byte, cut off, reset or without end, and redirects.
// Free of GoogleTest: the abort-latency benchmark drives it too.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quillivar::testing {

using SiteClock = std::chrono::steady_clock;

// A socket listening on a free loopback port. On its own it never accepts:
// the kernel completes connections into its backlog and nobody reads them.
class Listener {
 public:
  explicit Listener(int backlog = 16);
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  int Port() const { return port_; }
  std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
  int Accept();  // -1 once shut down
  void Shutdown();

 private:
  int fd_ = -1;
  int port_ = 0;
};

// A loopback port on which nothing listens.
int ClosedPort();

struct SiteRequest {
  std::string line;    // "GET /stocks/qi/?ids=0050&p=1 HTTP/1.1"
  std::string target;  // "/stocks/qi/?ids=0050&p=1"
  std::string path;    // "/stocks/qi/"
  std::string agent;   // the User-Agent header
  int remotePort = 0;
  SiteClock::time_point at;
  std::optional<std::size_t> hungUpAfter;  // body bytes sent when the client left

  // The value of a query parameter, "" when there is none.
  std::string Param(std::string_view name) const;
};

// What the site does with one request.
struct Reply {
  enum class Then { KeepAlive, Close, Hold, Reset };

  bool answered = true;  // false: not a byte goes back
  int status = 200;
  std::string location{};  // sent as Location, for redirects
  std::string headers{};   // more header lines, each ending in CR LF
  std::string body{};
  std::size_t promised = 0;  // bytes the length announces beyond `body`, never sent
  std::chrono::milliseconds delay{0};  // before anything is sent
  std::chrono::milliseconds drip{0};   // before each byte of `body`, when set
  // Instead of `body`, a chunked body made as it goes: given the body bytes
  // sent so far, the next piece, or "" for the end.
  std::function<std::string(std::size_t sent)> chunks{};
  bool lastChunk = true;  // false: the chunked body stops short of its end
  Then then = Then::KeepAlive;  // the connection afterwards; Hold: until the site stops

  static Reply Silent() { return {.answered = false, .then = Then::Hold}; }
  static Reply HangUp() { return {.answered = false, .then = Then::Close}; }
  static Reply Redirect(std::string location) {
    return {.status = 302, .location = std::move(location)};
  }
};

class LoopbackSite {
 public:
  using Script = std::function<Reply(const SiteRequest&)>;

  // The site stops by itself after `lifetime`, so that a test that hangs
  // cannot keep it sending; stopping releases every connection it holds.
  explicit LoopbackSite(Script script,
                        std::chrono::milliseconds lifetime = std::chrono::minutes(10));
  ~LoopbackSite();
  LoopbackSite(const LoopbackSite&) = delete;
  LoopbackSite& operator=(const LoopbackSite&) = delete;

  std::string Host() const { return listener_.Host(); }
  std::vector<SiteRequest> Requests() const;  // in order of arrival
  std::size_t RequestCount() const;
  int RequestsSince(SiteClock::time_point since) const;
  bool WaitForRequests(std::size_t count, std::chrono::milliseconds limit);

 private:
  void Stop();
  void Accept();
  void Serve(int fd);
  // Whether the connection stays open for another request.
  bool Answer(int fd, std::size_t index, const Reply& reply);
  bool SendReply(int fd, std::size_t index, const Reply& reply);
  bool SendBody(int fd, const Reply& reply, std::size_t& sent);
  bool SendChunks(int fd, const Reply& reply, std::size_t& sent);
  std::size_t Record(const SiteRequest& request);
  // Waits `limit` unless the site stops first; true when it stopped.
  bool StoppedWithin(std::chrono::milliseconds limit);

  Script script_;
  Listener listener_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<bool> stopping_{false};
  std::vector<int> openConnections_;
  std::vector<SiteRequest> requests_;
  std::vector<std::thread> connections_;
  std::thread acceptor_;
  std::thread lifetime_;
};

}  // namespace quillivar::testing
