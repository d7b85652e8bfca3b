#include <QApplication>
#include <cstdio>

#include "app/start_up.h"
#include "app/window_command_line.h"
#include "cli/program_options.h"
#include "quote/page_fetch.h"
#include "ui/qt_boxes.h"

namespace {

constexpr int kExitUsage = 64;  // as the command's wrong command line

}  // namespace

int main(int argc, char** argv) {
  using Kind = quillivar::ProgramCommandLine::Kind;
  const quillivar::ProgramCommandLine line = quillivar::ParseProgramOptions(argc, argv);
  const quillivar::DefaultFolder folderKind = quillivar::BuiltInDefaultFolder();
  // Answered before the toolkit starts, so they need no display.
  if (line.kind == Kind::Help) {
    std::fputs(quillivar::WindowHelpText(folderKind).c_str(), stdout);
    return 0;
  }
  if (line.kind == Kind::Version) {
    std::printf("quillivar %s\n", QUILLIVAR_VERSION);
    return 0;
  }
  if (line.kind == Kind::UsageError) {
    std::fprintf(stderr, "quillivar: %s\n(quillivar --help)\n", line.error.c_str());
    return kExitUsage;
  }

  // Qt sees only the program's name: its own options are not offered.
  int qtArgc = argc > 0 ? 1 : 0;
  QApplication application(qtArgc, argv);
  // The window class the desktop entry names, also when started by the
  // lower-case command.
  QApplication::setApplicationName(QStringLiteral("Quillivar"));

  const quillivar::WindowFolder folder = quillivar::ChooseWindowFolder(line.dir, folderKind);
  if (!folder.error.empty()) {
    // Started from the menu there is no terminal to read a message on.
    quillivar::ShowErrorBoxQt(folder.error);
    return line.dir.empty() ? 1 : kExitUsage;
  }
  quillivar::TForm1::Options options;
  options.quoteHost = quillivar::CompiledQuoteHost();
  options.exeDir = folder.folder;
  return quillivar::RunProgram(application, options);
}
