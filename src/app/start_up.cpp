#include "app/start_up.h"

#include <QApplication>

#include "app/app_icon.h"
#include "quote/curl_internet.h"
#include "settings/settings_dialog.h"
#include "ui/executable_directory.h"

namespace quillivar {

int RunProgram(QApplication& application, const TForm1::Options& options,
               const std::function<void(TForm1&)>& started) {
  // Both windows and every box take it from here.
  application.setWindowIcon(ApplicationIcon());
  CurlInternet internet;
  TForm1 form1(internet, options);
  TForm2 form2(options.exeDir.empty() ? RunningExecutableDirectory() : options.exeDir);
  form1.AttachSettingsDialog(&form2);
  if (started) started(form1);

  form1.show();
  form1.activateWindow();
  return application.exec();
}

}  // namespace quillivar
