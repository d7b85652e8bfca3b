// quillivar-sample-site: a stand-in quote site on this machine, serving
// generated list pages of fictional issues.
#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

#include "sample_site.h"

namespace {

struct CommandLine {
  std::string bind = "127.0.0.1";
  int port = 8931;
  int delayMs = 0;
  int rowsPerPage = 20;
  int issues = quillivar::sample::kDefaultIssueCount;
};

constexpr const char* kUsage =
    "usage: quillivar-sample-site [--port N] [--bind ADDRESS] [--delay-ms N]\n"
    "                             [--rows-per-page N] [--issues N]\n"
    "  --port N           port to listen on (default 8931; 0 picks a free one)\n"
    "  --bind ADDRESS     address to listen on (default 127.0.0.1)\n"
    "  --delay-ms N       milliseconds added to every response (default 0)\n"
    "  --rows-per-page N  issues listed on one page (default 20)\n"
    "  --issues N         issues generated, 0 to 8000 (default 3800)\n";

std::optional<int> ParseInt(const std::string& text, int lowest, int highest) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < lowest || value > highest) {
    return std::nullopt;
  }
  return value;
}

// Null with a message on stderr when the command line is wrong.
std::optional<CommandLine> Parse(int argc, char** argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      std::cout << kUsage;
      std::exit(0);
    }
    if (i + 1 >= argc) {
      std::cerr << "missing value for " << option << "\n" << kUsage;
      return std::nullopt;
    }
    const std::string value = argv[++i];
    std::optional<int> number;
    if (option == "--bind") {
      line.bind = value;
      continue;
    } else if (option == "--port") {
      number = ParseInt(value, 0, 65535);
      if (number) line.port = *number;
    } else if (option == "--delay-ms") {
      number = ParseInt(value, 0, 600000);
      if (number) line.delayMs = *number;
    } else if (option == "--rows-per-page") {
      number = ParseInt(value, 1, 10000);
      if (number) line.rowsPerPage = *number;
    } else if (option == "--issues") {
      number = ParseInt(value, 0, quillivar::sample::kMaxIssueCount);
      if (number) line.issues = *number;
    } else {
      std::cerr << "unknown option " << option << "\n" << kUsage;
      return std::nullopt;
    }
    if (!number) {
      std::cerr << "bad value for " << option << ": " << value << "\n" << kUsage;
      return std::nullopt;
    }
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<CommandLine> line = Parse(argc, argv);
  if (!line) return 2;

  // SIGINT and SIGTERM are taken by one thread that stops the server, so the
  // server's own threads never see them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  const quillivar::sample::SampleData data(line->issues);
  httplib::Server server;
  quillivar::sample::MountSampleSite(server, data, {line->rowsPerPage, line->delayMs});

  int port = line->port;
  if (port == 0) {
    port = server.bind_to_any_port(line->bind);
  } else if (!server.bind_to_port(line->bind, port)) {
    port = -1;
  }
  if (port <= 0) {
    std::cerr << "cannot listen on " << line->bind << ":" << line->port << ": "
              << std::strerror(errno) << "\n";
    return 1;
  }
  std::cout << "sample quote site on http://" << line->bind << ":" << port << "/ ("
            << data.IssueCount() << " issues, " << line->rowsPerPage << " a page)"
            << std::endl;

  std::thread stopper([&server, &stopSignals] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
  });
  const bool listened = server.listen_after_bind();
  // Wakes the stopper if the server ended by itself.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return listened ? 0 : 1;
}
