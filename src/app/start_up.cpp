#include "app/start_up.h"

#include <QApplication>

#include "app/app_icon.h"
#include "quote/curl_internet.h"
#include "app/program_windows.h"

namespace quillivar {

int RunProgram(QApplication& application, const TForm1::Options& options,
               const std::function<void(TForm1&)>& started) {
  // Both windows and every box take it from here.
  application.setWindowIcon(ApplicationIcon());
  CurlInternet internet;
  ProgramWindows windows(internet, options);
  if (started) started(windows.form1);
  windows.Show();
  return application.exec();
}

}  // namespace quillivar
