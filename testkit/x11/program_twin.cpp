// The program as it starts itself, but with its quote site and its folder
// given on the command line, and every status text reported on standard
// output as "<steady clock nanoseconds> <UTF-8 text>", and every box as
// "box <nanoseconds> <object name>:<text>", for tests and the benchmark that
// drive it through the X server.
#include <QApplication>
#include <QMessageBox>
#include <QStatusBar>

#include <chrono>
#include <cstdio>

#include "app/start_up.h"

namespace {

long long Now() { return std::chrono::steady_clock::now().time_since_epoch().count(); }

// Boxes show before the windows exist too (a settings file that cannot be
// read), so they are watched from the application.
class BoxReporter : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* box = qobject_cast<QMessageBox*>(watched);
    if (box != nullptr && event->type() == QEvent::Show) {
      std::printf("box %lld %s:%s\n", Now(), box->objectName().toUtf8().constData(),
                  box->text().toUtf8().constData());
      std::fflush(stdout);
    }
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s HOST:PORT FOLDER/\n", argv[0]);
    return 64;
  }
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  BoxReporter boxes;
  application.installEventFilter(&boxes);
  quillivar::TForm1::Options options;
  options.quoteHost = argv[1];
  options.exeDir = argv[2];
  return quillivar::RunProgram(application, options, [](quillivar::TForm1& form) {
    QObject::connect(form.StatusBar1, &QStatusBar::messageChanged, [](const QString& text) {
      std::printf("%lld %s\n", Now(), text.toUtf8().constData());
      std::fflush(stdout);
    });
  });
}
