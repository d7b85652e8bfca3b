// Start-up: the main window first, the settings dialog second, then the
// event loop until the main window is closed. Nothing is saved at exit.
#include <QApplication>

#include "app/Unit1.h"
#include "quote/curl_internet.h"
#include "quote/page_fetch.h"
#include "settings/settings_dialog.h"
#include "ui/qt_ui_services.h"

int main(int argc, char** argv) {
  // The program reads no command line: Qt sees only the program's name.
  int qtArgc = argc > 0 ? 1 : 0;
  QApplication application(qtArgc, argv);

  quillivar::CurlInternet internet;

  quillivar::TForm1::Options options;
  options.quoteHost = quillivar::CompiledQuoteHost();
  quillivar::TForm1 form1(internet, options);
  quillivar::TForm2 form2(quillivar::RunningExecutableDirectory());
  form1.AttachSettingsDialog(&form2);

  form1.show();
  form1.activateWindow();
  return application.exec();
}
