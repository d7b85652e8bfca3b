// The libcurl client on its own: redirects, the bounded receive queue, the
// abort points of a wait and the connect limit.
#include "quote/curl_internet.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "text/error.h"
#include "support/fake_ui.h"
#include "testkit/loopback_site.h"

namespace quillivar {
namespace {

using testing::FakeUi;
using testing::Listener;
using testing::LoopbackSite;
using testing::Reply;
using testing::SiteRequest;

// What a session waits with: a scripted user interface and its abort flag.
struct Waiter {
  FakeUi ui;
  bool abortRequested = false;
  AbortPoint abortPoint{ui, abortRequested};
};

std::string ReadAll(InternetRequest& request) {
  std::string body;
  char buffer[1024];
  while (const std::size_t count = request.Read(buffer, sizeof buffer)) body.append(buffer, count);
  return body;
}

CurlInternet::Options ShortLimits() {
  CurlInternet::Options options;
  options.connectTimeout = std::chrono::milliseconds(300);
  options.stallTimeout = std::chrono::milliseconds(2000);
  return options;
}

// "/hop/N" redirects to "/hop/N-1"; "/hop/0" is the page; "/away" leaves
// for another scheme.
Reply Hops(const SiteRequest& request) {
  if (request.path == "/away") return Reply::Redirect("ftp://127.0.0.1/page");
  const int left = std::stoi(request.path.substr(5));
  if (left > 0) {
    Reply moved = Reply::Redirect("/hop/" + std::to_string(left - 1));
    moved.body = "moved";  // not part of the page
    return moved;
  }
  return {.body = "arrived"};
}

TEST(CurlInternetTest, FollowsAtMostTenRedirectsOverHttp) {
  Waiter waiter;
  LoopbackSite site(Hops);
  CurlInternet internet(ShortLimits());
  const std::unique_ptr<InternetSession> session = internet.Open("MyApp", waiter.abortPoint);
  ASSERT_NE(session, nullptr);
  const std::string base = "http://" + site.Host();

  std::unique_ptr<InternetRequest> request = session->OpenUrl(base + "/hop/10");
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(ReadAll(*request), "arrived");
  EXPECT_EQ(request->Failure(), std::nullopt);
  request.reset();
  for (const auto& [path, kind] : {std::pair{"/hop/11", TransferFailure::Kind::TooManyRedirects},
                                    std::pair{"/away", TransferFailure::Kind::RedirectedElsewhere}}) {
    request = session->OpenUrl(base + path);
    ASSERT_NE(request, nullptr);
    ASSERT_TRUE(request->Failure()) << path;
    EXPECT_EQ(request->Failure()->kind, kind) << path;
  }
}

TEST(CurlInternetTest, ABodyComesThroughWholeWhateverTheQueueHolds) {
  Waiter waiter;
  std::string body(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 % 251);
  LoopbackSite site([&body](const SiteRequest&) { return Reply{.body = body}; });
  // A queue of one byte pauses the transfer after nearly every delivery.
  for (const std::size_t queueBytes : {std::size_t{1}, std::size_t{64 * 1024}}) {
    CurlInternet::Options options = ShortLimits();
    options.receiveQueueBytes = queueBytes;
    CurlInternet internet(options);
    const auto session = internet.Open("MyApp", waiter.abortPoint);
    const auto request = session->OpenUrl("http://" + site.Host() + "/body");
    ASSERT_NE(request, nullptr);
    EXPECT_TRUE(ReadAll(*request) == body) << queueBytes;
  }
}

// Each byte restarts the stall clock, so only the low-speed limit ends a
// trickle; a slow but steady line stays above it.
TEST(CurlInternetTest, ATrickleFailsAsStalledAndASlowLineComesThrough) {
  Waiter waiter;
  LoopbackSite site([](const SiteRequest& request) {
    const bool trickle = request.path == "/trickle";
    return Reply{.body = std::string(trickle ? 100 : 1000, 'x'),
                 .drip = std::chrono::milliseconds(trickle ? 100 : 1)};
  });
  CurlInternet::Options options = ShortLimits();
  options.lowSpeedBytesPerSecond = 100;
  // Two seconds, so that a loaded machine's pause in the slow line is no stall.
  options.lowSpeedTime = std::chrono::seconds(2);
  CurlInternet internet(options);
  const auto session = internet.Open("MyApp", waiter.abortPoint);
  auto request = session->OpenUrl("http://" + site.Host() + "/slow");
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(ReadAll(*request).size(), 1000u);
  EXPECT_EQ(request->Failure(), std::nullopt);

  const auto start = std::chrono::steady_clock::now();
  request = session->OpenUrl("http://" + site.Host() + "/trickle");
  ASSERT_NE(request, nullptr);
  EXPECT_LT(ReadAll(*request).size(), 100u);
  ASSERT_TRUE(request->Failure());
  EXPECT_EQ(request->Failure()->kind, TransferFailure::Kind::Stalled);
  EXPECT_EQ(request->Failure()->detail, 2);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(CurlInternetTest, AWaitPassesAbortPointsAndAnAbortEndsItAtOnce) {
  Waiter waiter;
  LoopbackSite site([](const SiteRequest& request) {
    return Reply{.body = "late",
                 .delay = std::chrono::milliseconds(request.path == "/late" ? 300 : 1500)};
  });
  CurlInternet internet(ShortLimits());
  const auto session = internet.Open("MyApp", waiter.abortPoint);
  const auto request = session->OpenUrl("http://" + site.Host() + "/late");
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(ReadAll(*request), "late");
  EXPECT_GE(waiter.ui.pumpCount, 5);

  waiter.ui.AtPump(waiter.ui.pumpCount + 3, [&waiter] { waiter.abortRequested = true; });
  const auto start = std::chrono::steady_clock::now();
  bool aborted = false;
  try {
    session->OpenUrl("http://" + site.Host() + "/silent");
  } catch (const Error& error) {
    aborted = error.IsAborted();
  }
  EXPECT_TRUE(aborted);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

TEST(CurlInternetTest, AConnectionNotMadeInTimeCannotBeOpened) {
  Waiter waiter;
  // A listener that never accepts, its one-place backlog taken: the next
  // connection's handshake goes unanswered.
  Listener deaf(0);
  const int filler = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(deaf.Port()));
  ASSERT_EQ(::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  CurlInternet internet(ShortLimits());
  const auto session = internet.Open("MyApp", waiter.abortPoint);
  const auto start = std::chrono::steady_clock::now();
  const auto request = session->OpenUrl("http://" + deaf.Host() + "/");
  ASSERT_NE(request, nullptr);
  ASSERT_TRUE(request->Failure());
  EXPECT_EQ(request->Failure()->kind, TransferFailure::Kind::CannotConnect);
  // Given up at libcurl's connect limit, not refused at once.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  ::close(filler);
}

}  // namespace
}  // namespace quillivar
