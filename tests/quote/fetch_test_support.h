// A fake Internet for the page fetch tests: bodies in exact chunks, and a
// log of the handles the fetch opens and closes.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quote/internet.h"

namespace quillivar::testing {

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

  std::map<std::string, Body> bodies;  // by URL; a missing URL answers 404
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
    Request(FakeInternet& owner, const Body* body) : owner_(owner), body_(body) {}
    ~Request() override { owner_.log.push_back("close request"); }
    std::optional<TransferFailure> Failure() const override {
      if (body_ != nullptr) return std::nullopt;
      return TransferFailure{.kind = TransferFailure::Kind::HttpStatus, .detail = 404};
    }
    std::size_t Read(char* buffer, std::size_t capacity) override {
      owner_.capacities.push_back(capacity);
      if (body_ == nullptr) return 0;
      std::string next;
      if (index_ < body_->reads.size()) {
        next = body_->reads[index_++];
      } else if (!body_->endless.empty() && owner_.bytesServed < kEndlessLimit) {
        next = body_->endless;
      }
      next.resize(std::min(next.size(), capacity));
      std::copy(next.begin(), next.end(), buffer);
      owner_.bytesServed += next.size();
      return next.size();
    }

   private:
    FakeInternet& owner_;
    const Body* body_;  // null: the URL is not there
    std::size_t index_ = 0;
  };

  class Session : public InternetSession {
   public:
    explicit Session(FakeInternet& owner) : owner_(owner) {}
    ~Session() override { owner_.log.push_back("close session"); }
    std::unique_ptr<InternetRequest> OpenUrl(const std::string& url) override {
      owner_.log.push_back("url " + url);
      const auto found = owner_.bodies.find(url);
      return std::make_unique<Request>(
          owner_, found == owner_.bodies.end() ? nullptr : &found->second);
    }

   private:
    FakeInternet& owner_;
  };
};

}  // namespace quillivar::testing
