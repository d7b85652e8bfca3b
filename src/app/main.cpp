// Start-up: the main window first, the settings dialog second, then the
// event loop until the main window is closed. Nothing is saved at exit.
#include <QApplication>
#include <QEventLoop>

#include "app/Unit1.h"
#include "app/app_icon.h"
#include "quote/curl_internet.h"
#include "quote/page_fetch.h"
#include "settings/settings_dialog.h"
#include "ui/qt_ui_services.h"

int main(int argc, char** argv) {
  // The program reads no command line: Qt sees only the program's name.
  int qtArgc = argc > 0 ? 1 : 0;
  QApplication application(qtArgc, argv);
  // Both windows and every box take it from here.
  application.setWindowIcon(quillivar::ApplicationIcon());

  quillivar::CurlInternet::Options internetOptions;
  // Keeps the window painted while a request waits on the network; input
  // waits for the run's own pumps.
  internetOptions.whileWaiting = [] {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
  quillivar::CurlInternet internet(internetOptions);

  quillivar::TForm1::Options options;
  options.quoteHost = quillivar::CompiledQuoteHost();
  quillivar::TForm1 form1(internet, options);
  quillivar::TForm2 form2(quillivar::RunningExecutableDirectory());
  form1.AttachSettingsDialog(&form2);

  form1.show();
  form1.activateWindow();
  return application.exec();
}
