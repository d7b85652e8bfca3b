#include "testkit/loopback_site.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace quillivar::testing {
namespace {

constexpr std::size_t kMaxRequestHead = 64 * 1024;

int PortOf(const sockaddr_in& address) { return ntohs(address.sin_port); }

int PeerPort(int fd) {
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length);
  return PortOf(peer);
}

// As the client under test spells the header; enough for a site only it visits.
std::string HeaderValue(std::string_view head, std::string_view name) {
  const std::string key = "\r\n" + std::string(name) + ": ";
  const std::size_t at = head.find(key);
  if (at == std::string_view::npos) return "";
  const std::size_t value = at + key.size();
  return std::string(head.substr(value, head.find("\r\n", value) - value));
}

SiteRequest ParseRequest(std::string_view head, int remotePort) {
  SiteRequest request;
  request.line = head.substr(0, head.find("\r\n"));
  const std::size_t targetAt = request.line.find(' ') + 1;
  request.target = request.line.substr(targetAt, request.line.find(' ', targetAt) - targetAt);
  request.path = request.target.substr(0, request.target.find('?'));
  request.agent = HeaderValue(head, "User-Agent");
  request.remotePort = remotePort;
  request.at = SiteClock::now();
  return request;
}

// The next request's head, or nothing once the client has gone.
std::optional<std::string> ReadRequestHead(int fd, std::string& pending) {
  std::size_t end;
  while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
    char buffer[4096];
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0 || pending.size() > kMaxRequestHead) return std::nullopt;
    pending.append(buffer, static_cast<std::size_t>(got));
  }
  std::string head = pending.substr(0, end);
  pending.erase(0, end + 4);
  return head;
}

bool SendAll(int fd, std::string_view bytes, std::size_t& sent) {
  while (!bytes.empty()) {
    const ssize_t put = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (put <= 0) return false;
    sent += static_cast<std::size_t>(put);
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

bool SendAll(int fd, std::string_view bytes) {
  std::size_t ignored = 0;
  return SendAll(fd, bytes, ignored);
}

std::string ReplyHead(const Reply& reply) {
  std::string head = "HTTP/1.1 " + std::to_string(reply.status) +
                     " Scripted\r\nContent-Type: text/html; charset=utf-8\r\n";
  if (!reply.location.empty()) head += "Location: " + reply.location + "\r\n";
  head += reply.headers;
  head += reply.chunks ? std::string("Transfer-Encoding: chunked\r\n")
                       : "Content-Length: " + std::to_string(reply.body.size() + reply.promised) +
                             "\r\n";
  if (reply.then == Reply::Then::Close) head += "Connection: close\r\n";
  return head + "\r\n";
}

}  // namespace

Listener::Listener(int backlog) {
  fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      ::listen(fd_, backlog) != 0) {
    throw std::runtime_error("no loopback port to listen on");
  }
  port_ = PortOf(address);
}

Listener::~Listener() { ::close(fd_); }

int Listener::Accept() { return ::accept(fd_, nullptr, nullptr); }

void Listener::Shutdown() { ::shutdown(fd_, SHUT_RDWR); }

int ClosedPort() { return Listener().Port(); }

std::string SiteRequest::Param(std::string_view name) const {
  const std::size_t query = target.find('?');
  if (query == std::string::npos) return "";
  std::string_view rest = std::string_view(target).substr(query + 1);
  while (!rest.empty()) {
    const std::string_view pair = rest.substr(0, rest.find('&'));
    rest.remove_prefix(std::min(rest.size(), pair.size() + 1));
    const std::size_t equals = pair.find('=');
    if (equals != std::string_view::npos && pair.substr(0, equals) == name) {
      return std::string(pair.substr(equals + 1));
    }
  }
  return "";
}

LoopbackSite::LoopbackSite(Script script, std::chrono::milliseconds lifetime)
    : script_(std::move(script)) {
  acceptor_ = std::thread([this] { Accept(); });
  lifetime_ = std::thread([this, lifetime] {
    if (!StoppedWithin(lifetime)) Stop();
  });
}

LoopbackSite::~LoopbackSite() {
  Stop();
  lifetime_.join();
  acceptor_.join();
  for (std::thread& connection : connections_) connection.join();
}

void LoopbackSite::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
    for (const int fd : openConnections_) ::shutdown(fd, SHUT_RDWR);
  }
  changed_.notify_all();
  listener_.Shutdown();
}

bool LoopbackSite::StoppedWithin(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [this] { return stopping_.load(); });
}

std::vector<SiteRequest> LoopbackSite::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t LoopbackSite::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

int LoopbackSite::RequestsSince(SiteClock::time_point since) const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(std::count_if(requests_.begin(), requests_.end(),
                                        [since](const SiteRequest& r) { return r.at > since; }));
}

bool LoopbackSite::WaitForRequests(std::size_t count, std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return requests_.size() >= count; });
}

std::size_t LoopbackSite::Record(const SiteRequest& request) {
  std::size_t index;
  {
    std::lock_guard lock(mutex_);
    index = requests_.size();
    requests_.push_back(request);
  }
  changed_.notify_all();
  return index;
}

void LoopbackSite::Accept() {
  int fd;
  while ((fd = listener_.Accept()) >= 0) {
    std::lock_guard lock(mutex_);
    if (stopping_) {
      ::close(fd);
      return;
    }
    openConnections_.push_back(fd);
    connections_.emplace_back([this, fd] { Serve(fd); });
  }
}

void LoopbackSite::Serve(int fd) {
  // The head and the body go out in separate writes; without this the body
  // waits for the client's delayed acknowledgement on a kept connection.
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  const int remotePort = PeerPort(fd);
  std::string pending;
  while (const std::optional<std::string> head = ReadRequestHead(fd, pending)) {
    const SiteRequest request = ParseRequest(*head, remotePort);
    const std::size_t index = Record(request);
    if (!Answer(fd, index, script_(request))) break;
  }
  std::lock_guard lock(mutex_);
  std::erase(openConnections_, fd);
  ::close(fd);
}

bool LoopbackSite::Answer(int fd, std::size_t index, const Reply& reply) {
  if (StoppedWithin(reply.delay)) return false;
  if (reply.answered && !SendReply(fd, index, reply)) return false;
  switch (reply.then) {
    case Reply::Then::KeepAlive: return true;
    case Reply::Then::Close: return false;
    case Reply::Then::Hold: {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return stopping_.load(); });
      return false;
    }
    case Reply::Then::Reset: {
      const linger abort{1, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
      return false;
    }
  }
  return false;
}

bool LoopbackSite::SendReply(int fd, std::size_t index, const Reply& reply) {
  if (!SendAll(fd, ReplyHead(reply))) return false;
  std::size_t sent = 0;
  if (reply.chunks ? SendChunks(fd, reply, sent) : SendBody(fd, reply, sent)) return true;
  if (!stopping_) {
    std::lock_guard lock(mutex_);
    requests_[index].hungUpAfter = sent;
  }
  return false;
}

bool LoopbackSite::SendBody(int fd, const Reply& reply, std::size_t& sent) {
  if (reply.drip == std::chrono::milliseconds(0)) return SendAll(fd, reply.body, sent);
  for (const char byte : reply.body) {
    if (StoppedWithin(reply.drip) || !SendAll(fd, std::string_view(&byte, 1), sent)) return false;
  }
  return true;
}

bool LoopbackSite::SendChunks(int fd, const Reply& reply, std::size_t& sent) {
  while (!stopping_) {
    const std::string piece = reply.chunks(sent);
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
    if (piece.empty()) return !reply.lastChunk || SendAll(fd, std::string(size) + "\r\n");
    if (!SendAll(fd, size) || !SendAll(fd, piece, sent) || !SendAll(fd, "\r\n")) return false;
  }
  return false;
}

}  // namespace quillivar::testing
