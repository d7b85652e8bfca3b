// A whole run over the sample quote site against a baseline that fetches the
// same pages in the same order with libcurl alone, and beside it the same run
// by quillivar-refresh. Each measurement runs in
// a child process of its own, so peak memory is the run's alone. Prints
// medians; asserts nothing.
#include <curl/curl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <netinet/in.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/program_windows.h"
#include "catalogue/catalogue.h"
#include "quote/curl_internet.h"
#include "testkit/temp_dir.h"
#include "ui/qt_boxes.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
  double wallSeconds = 0;
  double cpuSeconds = 0;
  double peakMegabytes = 0;
  long pages = 0;
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

void Print(const Figures& figures) {
  std::printf("%.6f %.6f %.3f %ld\n", figures.wallSeconds, figures.cpuSeconds,
              figures.peakMegabytes, figures.pages);
}

// Records every URL the program opens, so the baseline can replay them.
class RecordingInternet : public quillivar::Internet {
 public:
  explicit RecordingInternet(quillivar::Internet& real) : real_(real) {}
  std::unique_ptr<quillivar::InternetSession> Open(const std::string& agent,
                                                   quillivar::AbortPoint& abortPoint) override {
    class Session : public quillivar::InternetSession {
     public:
      Session(std::unique_ptr<quillivar::InternetSession> real, std::vector<std::string>& urls)
          : real_(std::move(real)), urls_(urls) {}
      std::unique_ptr<quillivar::InternetRequest> OpenUrl(const std::string& url) override {
        urls_.push_back(url);
        return real_->OpenUrl(url);
      }

     private:
      std::unique_ptr<quillivar::InternetSession> real_;
      std::vector<std::string>& urls_;
    };
    auto session = real_.Open(agent, abortPoint);
    if (!session) return nullptr;
    return std::make_unique<Session>(std::move(session), urls);
  }
  std::vector<std::string> urls;

 private:
  quillivar::Internet& real_;
};

// A fresh folder with everything selected, as saved from the settings dialog.
std::string FolderWithEverythingSelected() {
  char folder[] = "/tmp/quillivar-bench-XXXXXX";
  const std::string dir = std::string(::mkdtemp(folder)) + "/";
  quillivar::testing::WriteUserSetting(dir);
  return dir;
}

long RowsWritten(const std::string& dir) {
  std::ifstream csv(dir + "brand_code.csv");
  return std::count(std::istreambuf_iterator<char>(csv), std::istreambuf_iterator<char>(), '\n');
}

// The whole program's run: real windows (offscreen), real pump, real client.
int ProgramRun(const std::string& host, const std::string& urlFile) {
  int argc = 1;
  char name[] = "whole_run_bench";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  const std::string dir = FolderWithEverythingSelected();
  quillivar::CurlInternet curl;
  RecordingInternet internet(curl);
  quillivar::ProgramWindows windows(internet, {host, 2000, dir});
  quillivar::TForm1& form1 = windows.form1;
  windows.Show();

  // The confirmation and the final box are answered with OK.
  quillivar::ReadyBoxAnswers boxes;
  boxes.Then(quillivar::BoxAnswer::kOk);
  boxes.Then(quillivar::BoxAnswer::kOk);

  const double cpuBefore = CpuSeconds();
  const auto start = Clock::now();
  form1.Button1->click();
  Figures figures;
  figures.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  figures.cpuSeconds = CpuSeconds() - cpuBefore;
  figures.peakMegabytes = PeakMegabytes();
  figures.pages = static_cast<long>(internet.urls.size());
  std::ofstream out(urlFile);
  for (const std::string& url : internet.urls) out << url << "\n";
  std::fprintf(stderr, "program run wrote %ld rows\n", RowsWritten(dir));
  Print(figures);
  return 0;
}

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

// libcurl alone, one reused handle, the same URLs in the same order.
int BaselineRun(const std::string& urlFile) {
  std::vector<std::string> urls;
  std::ifstream in(urlFile);
  for (std::string url; std::getline(in, url);) urls.push_back(url);
  curl_global_init(CURL_GLOBAL_DEFAULT);
  CURL* handle = curl_easy_init();
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, Discard);
  curl_easy_setopt(handle, CURLOPT_USERAGENT, "MyApp");
  const double cpuBefore = CpuSeconds();
  const auto start = Clock::now();
  for (const std::string& url : urls) {
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_perform(handle);
  }
  Figures figures;
  figures.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  figures.cpuSeconds = CpuSeconds() - cpuBefore;
  figures.peakMegabytes = PeakMegabytes();
  figures.pages = static_cast<long>(urls.size());
  curl_easy_cleanup(handle);
  Print(figures);
  return 0;
}

// quillivar-refresh from its start to its exit, process start-up included;
// its progress lines are dropped.
Figures CommandRun(const std::string& host) {
  const std::string dir = FolderWithEverythingSelected();
  Figures figures;
  const auto start = Clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    std::freopen("/dev/null", "w", stderr);
    ::execl(QUILLIVAR_REFRESH, QUILLIVAR_REFRESH, "--dir", dir.c_str(), "--host", host.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  figures.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  figures.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  figures.peakMegabytes = usage.ru_maxrss / 1024.0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "quillivar-refresh ended with status %d\n", status);
  }
  std::fprintf(stderr, "command run wrote %ld rows\n", RowsWritten(dir));
  std::filesystem::remove_all(dir);
  return figures;
}

Figures RunChild(const std::string& self, const std::string& arguments) {
  const std::string command = self + " " + arguments;
  FILE* pipe = ::popen(command.c_str(), "r");
  Figures figures;
  if (pipe == nullptr) return figures;
  if (std::fscanf(pipe, "%lf %lf %lf %ld", &figures.wallSeconds, &figures.cpuSeconds,
                  &figures.peakMegabytes, &figures.pages) != 4) {
    std::fprintf(stderr, "child '%s' printed no figures\n", command.c_str());
  }
  ::pclose(pipe);
  return figures;
}

int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  const int port = ntohs(address.sin_port);
  ::close(fd);
  return port;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::string self = argv[0];
  if (argc >= 4 && std::strcmp(argv[1], "program") == 0) return ProgramRun(argv[2], argv[3]);
  if (argc >= 3 && std::strcmp(argv[1], "baseline") == 0) return BaselineRun(argv[2]);

  const int rounds = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 5;
  const int port = FreePort();
  const pid_t site = ::fork();
  if (site == 0) {
    const std::string portText = std::to_string(port);
    ::execl(QUILLIVAR_SAMPLE_SITE, QUILLIVAR_SAMPLE_SITE, "--port", portText.c_str(),
            "--delay-ms", "20", "--issues", "3800", "--rows-per-page", "20",
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const std::string host = "127.0.0.1:" + std::to_string(port);
  const std::string urlFile = "/tmp/quillivar-bench-urls-" + std::to_string(::getpid());

  std::vector<double> programWall, programCpu, baselineWall, baselineCpu, ratios, extraCpu, peaks;
  std::vector<double> commandWall, commandCpu, commandPeaks;
  long pages = 0;
  for (int round = 0; round < rounds; ++round) {
    const Figures program = RunChild(self, "program " + host + " " + urlFile);
    const Figures baseline = RunChild(self, "baseline " + urlFile);
    const Figures command = CommandRun(host);
    commandWall.push_back(command.wallSeconds);
    commandCpu.push_back(command.cpuSeconds);
    commandPeaks.push_back(command.peakMegabytes);
    pages = program.pages;
    programWall.push_back(program.wallSeconds);
    programCpu.push_back(program.cpuSeconds);
    baselineWall.push_back(baseline.wallSeconds);
    baselineCpu.push_back(baseline.cpuSeconds);
    ratios.push_back(program.wallSeconds / baseline.wallSeconds);
    extraCpu.push_back(program.cpuSeconds - baseline.cpuSeconds);
    peaks.push_back(program.peakMegabytes);
  }
  ::kill(site, SIGTERM);
  ::waitpid(site, nullptr, 0);
  ::unlink(urlFile.c_str());

  std::printf("whole run over the sample site (3,800 issues, 20 a page, --delay-ms 20, %ld pages), "
              "medians of %d rounds:\n", pages, rounds);
  std::printf("  program wall %.3f s, baseline (libcurl alone) wall %.3f s\n",
              Median(programWall), Median(baselineWall));
  std::printf("  wall ratio program/baseline: %.3f   goal <= 1.10\n", Median(ratios));
  std::printf("  program CPU %.3f s, baseline CPU %.3f s, beyond the baseline: %.3f s   goal <= 0.3 s\n",
              Median(programCpu), Median(baselineCpu), Median(extraCpu));
  std::printf("  peak resident memory of the run: %.1f MB (max %.1f MB)   goal <= 80 MB\n",
              Median(peaks), *std::max_element(peaks.begin(), peaks.end()));
  std::printf("  quillivar-refresh, start to exit: wall %.3f s, CPU %.3f s, peak %.1f MB "
              "(program wall %.3f s, CPU %.3f s)\n",
              Median(commandWall), Median(commandCpu), Median(commandPeaks), Median(programWall),
              Median(programCpu));
  return 0;
}
