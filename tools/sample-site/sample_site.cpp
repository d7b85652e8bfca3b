#include "sample_site.h"

#include <chrono>
#include <optional>
#include <string>
#include <thread>

namespace quillivar::sample {
namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr int kMaxPageNumber = 99999;

bool IsFourDigits(const std::string& text) {
  if (text.size() != 4) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A page number as a link writes it: decimal, no sign, no leading zero.
std::optional<int> PageNumber(const std::string& text) {
  if (text.empty() || text.size() > 5 || text[0] == '0') return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > kMaxPageNumber) return std::nullopt;
  return value;
}

void NotFound(httplib::Response& response) {
  response.status = 404;
  response.set_content(RenderNotFoundPage(), kHtml);
}

}  // namespace

void MountSampleSite(httplib::Server& server, const SampleData& data, SiteOptions options) {
  const int rowsPerPage = options.rowsPerPage;
  const int delayMs = options.delayMs;
  // Headers and body go out in separate writes; without this the body waits
  // for the client's delayed acknowledgement on a kept-alive connection.
  server.set_tcp_nodelay(true);
  server.set_pre_routing_handler([delayMs](const httplib::Request&, httplib::Response&) {
    if (delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server.Get("/stocks/qi/", [&data, rowsPerPage](const httplib::Request& request,
                                                  httplib::Response& response) {
    const std::string code = request.get_param_value("ids");
    const std::optional<int> page = PageNumber(request.get_param_value("p"));
    if (!IsFourDigits(code) || !page) return NotFound(response);
    response.set_content(RenderListPage(data, code, *page, rowsPerPage), kHtml);
  });
  // Unknown paths and other failures get a page too, as on a real site.
  server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (response.body.empty()) response.set_content(RenderNotFoundPage(), kHtml);
  });
}

}  // namespace quillivar::sample
