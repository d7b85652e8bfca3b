// Servers and a scripted client for the page fetch tests: list pages as the
// site writes them, a recording loopback site, a raw socket server for the
// ways a connection can go wrong, and a fake Internet for exact chunks.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "quote/internet.h"

namespace quillivar::testing {

struct PageRow {
  std::string code;
  std::string market;  // UTF-8
  std::string name;    // UTF-8
};

// A list page as the site sends it: byte-order mark, spaces inside the tags,
// and the link to page `nextPage` when there is one.
inline std::string ListPageBody(const std::string& industryCode,
                                const std::vector<PageRow>& rows,
                                std::optional<int> nextPage = std::nullopt) {
  std::string page = "\xEF\xBB\xBF<html>\n<body>\n<table class=\"yjS\">\n";
  for (const PageRow& row : rows) {
    const std::string href = "<a href=\"/stocks/detail/?code=" + row.code + "\">";
    page += "<tr>\n  <td class=\"center yjM\">" + href + row.code + "</a></td>\n" +
            "  <td class=\"center yjSt\">" + row.market + "</td>\n" +
            "  <td><strong class=\"yjMt\">" + href + row.name + "</a></strong></td>\n</tr>\n";
  }
  page += "</table>\n";
  if (nextPage) {
    page += "<a href=\"/stocks/qi/?ids=" + industryCode + "&p=" + std::to_string(*nextPage) +
            "\">next</a>\n";
  }
  return page + "</body>\n</html>\n";
}

// A loopback site on a free port that records every request it is sent.
class RecordingSite {
 public:
  using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

  explicit RecordingSite(Handler handler) : handler_(std::move(handler)) {
    server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
      {
        std::lock_guard lock(mutex_);
        targets_.push_back(request.target);
        agents_.push_back(request.get_header_value("User-Agent"));
        remotePorts_.push_back(request.remote_port);
      }
      handler_(request, response);
    });
    server_.set_tcp_nodelay(true);
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~RecordingSite() {
    server_.stop();
    thread_.join();
  }

  std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
  std::vector<std::string> Targets() {
    std::lock_guard lock(mutex_);
    return targets_;
  }
  std::vector<std::string> Agents() {
    std::lock_guard lock(mutex_);
    return agents_;
  }
  std::vector<int> RemotePorts() {
    std::lock_guard lock(mutex_);
    return remotePorts_;
  }

 private:
  Handler handler_;
  httplib::Server server_;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> targets_;
  std::vector<std::string> agents_;
  std::vector<int> remotePorts_;
  int port_ = 0;
};

// A listener on a free loopback port that hands each connection, with the
// request line it sent, to a script. Connections are served one at a time.
class RawServer {
 public:
  // `fd` is the connection; the server closes it when the script returns.
  using Script = std::function<void(int fd, const std::string& requestLine, RawServer& self)>;

  explicit RawServer(Script script, int backlog = 16) : script_(std::move(script)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    ::listen(listener_, backlog);
    if (script_) thread_ = std::thread([this] { Serve(); });
  }
  ~RawServer() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
  }

  std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
  int Port() const { return port_; }
  bool Stopping() const { return stopping_; }
  std::vector<std::string> RequestLines() {
    std::lock_guard lock(mutex_);
    return requestLines_;
  }

  // Holds the connection open, sending nothing more, until the server goes.
  void HoldUntilStopped() {
    while (!stopping_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  static void Send(int fd, const std::string& bytes) {
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  }
  // Closes with a reset instead of an orderly end.
  static void Reset(int fd) {
    linger abort{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  }

 private:
  void Serve() {
    while (!stopping_) {
      const int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) return;
      const std::string line = ReadRequestHead(fd);
      {
        std::lock_guard lock(mutex_);
        requestLines_.push_back(line);
      }
      script_(fd, line, *this);
      ::close(fd);
    }
  }
  // The request's first line; the rest of its head is read and dropped.
  std::string ReadRequestHead(int fd) {
    std::string head;
    char byte = 0;
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
      pollfd ready{fd, POLLIN, 0};
      if (::poll(&ready, 1, 5000) <= 0 || ::recv(fd, &byte, 1, 0) != 1) break;
      head += byte;
    }
    return head.substr(0, head.find("\r\n"));
  }

  Script script_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> requestLines_;
};

// A port on which nothing listens.
inline int ClosedPort() {
  RawServer probe(nullptr);
  return probe.Port();
}

// An Internet whose bodies come in exactly the reads it is given. It logs
// what the fetch does with it: "open", "url <url>", "close request",
// "close session".
class FakeInternet : public Internet {
 public:
  struct Body {
    std::vector<std::string> reads;  // what each Read returns, in order
    std::string endless;             // then this, again and again, if set
  };
  // Where an endless body ends after all, so that a fetch that does not stop
  // fails instead of hanging.
  static constexpr std::size_t kEndlessLimit = 64u * 1024u * 1024u;

  std::map<std::string, Body> bodies;  // by URL; a missing URL cannot be opened
  bool noSession = false;
  std::vector<std::string> log;
  std::vector<std::size_t> capacities;  // asked of every Read
  std::size_t bytesServed = 0;

  std::unique_ptr<InternetSession> Open(const std::string& agent, AbortPoint&) override {
    log.push_back("open " + agent);
    if (noSession) return nullptr;
    return std::make_unique<Session>(*this);
  }

 private:
  class Request : public InternetRequest {
   public:
    Request(FakeInternet& owner, const Body& body) : owner_(owner), body_(body) {}
    ~Request() override { owner_.log.push_back("close request"); }
    std::size_t Read(char* buffer, std::size_t capacity) override {
      owner_.capacities.push_back(capacity);
      std::string next;
      if (index_ < body_.reads.size()) {
        next = body_.reads[index_++];
      } else if (!body_.endless.empty() && owner_.bytesServed < kEndlessLimit) {
        next = body_.endless;
      }
      next.resize(std::min(next.size(), capacity));
      std::copy(next.begin(), next.end(), buffer);
      owner_.bytesServed += next.size();
      return next.size();
    }

   private:
    FakeInternet& owner_;
    const Body& body_;
    std::size_t index_ = 0;
  };

  class Session : public InternetSession {
   public:
    explicit Session(FakeInternet& owner) : owner_(owner) {}
    ~Session() override { owner_.log.push_back("close session"); }
    std::unique_ptr<InternetRequest> OpenUrl(const std::string& url) override {
      owner_.log.push_back("url " + url);
      const auto found = owner_.bodies.find(url);
      if (found == owner_.bodies.end()) return nullptr;
      return std::make_unique<Request>(owner_, found->second);
    }

   private:
    FakeInternet& owner_;
  };
};

}  // namespace quillivar::testing
