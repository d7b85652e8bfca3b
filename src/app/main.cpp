#include <QApplication>

#include "app/start_up.h"
#include "quote/page_fetch.h"

int main(int argc, char** argv) {
  // The program reads no command line: Qt sees only the program's name.
  int qtArgc = argc > 0 ? 1 : 0;
  QApplication application(qtArgc, argv);

  quillivar::TForm1::Options options;
  options.quoteHost = quillivar::CompiledQuoteHost();
  return quillivar::RunProgram(application, options);
}
