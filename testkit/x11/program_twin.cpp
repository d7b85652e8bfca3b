// The program as it starts itself, but with its quote site and its folder
// given on the command line, and every status text reported on standard
// output as "<steady clock nanoseconds> <UTF-8 text>", for tests and the
// benchmark that drive it through the X server.
#include <QApplication>
#include <QStatusBar>

#include <chrono>
#include <cstdio>

#include "app/start_up.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s HOST:PORT FOLDER/\n", argv[0]);
    return 64;
  }
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  quillivar::TForm1::Options options;
  options.quoteHost = argv[1];
  options.exeDir = argv[2];
  return quillivar::RunProgram(application, options, [](quillivar::TForm1& form) {
    QObject::connect(form.StatusBar1, &QStatusBar::messageChanged, [](const QString& text) {
      const auto now = std::chrono::steady_clock::now().time_since_epoch();
      std::printf("%lld %s\n", static_cast<long long>(now.count()), text.toUtf8().constData());
      std::fflush(stdout);
    });
  });
}
