#include "refresh/refresh.h"

#include <optional>

#include "catalogue/catalogue.h"
#include "quote/curl_internet.h"
#include "quote/page_fetch.h"
#include "refresh/progress_report.h"
#include "refresh/terminal_run_view.h"
#include "run/download_run.h"
#include "settings/settings_file.h"
#include "text/code_page.h"
#include "text/text_file.h"
#include "ui/executable_directory.h"
#include "ui/ui_texts.h"

namespace quillivar {
namespace {

int SelectedIndustryCount(const Selection& selection) {
  int count = 0;
  for (const IndustryEntry& industry : IndustryCatalogue()) {
    if (IsIndustryCodeSelected(selection, industry.code)) ++count;
  }
  return count;
}

int ExitStatusOf(RunEnd end, const volatile std::sig_atomic_t& stopSignal) {
  switch (end) {
    case RunEnd::Finished:
      return kExitWritten;
    case RunEnd::CannotWrite:
      return kExitCannotWrite;
    case RunEnd::Aborted:
      // Only a stop signal aborts here; the shells' convention for it.
      return stopSignal != 0 ? 128 + stopSignal : kExitError;
    case RunEnd::Cancelled:
    case RunEnd::Failed:
      break;
  }
  return kExitError;
}

}  // namespace

int RunRefresh(const RefreshOptions& options, const volatile std::sig_atomic_t& stopSignal,
               TerminalOutput& output) {
  RunState state;
  const Text folder = ProgramFolder(options.dir);
  const SettingsRead settings = ReadSelectionAtStart(folder);
  // A settings file read only in part would leave a selection nobody chose,
  // and unattended, nobody would see it before the list is replaced.
  if (settings.failure) {
    output.Line("quillivar-refresh: " + SjisToUtf8(ErrorBoxText(*settings.failure)));
    return kExitError;
  }
  if (!settings.found) {
    output.Line("quillivar-refresh: " + SjisToUtf8(folder) + kSettingsFileName +
                " がありません。市場も業種も選ばれていません / no settings file: nothing "
                "is selected");
  }
  const FlagsSelection selection(settings.flags);
  StopSignalPump pump(state.AbortRequested, stopSignal);
  TerminalRunView view(output);

  ProgressReport progress(output, SelectedIndustryCount(selection));
  CurlInternet curl;
  PageCountingInternet internet(curl, progress);
  const std::string host = options.host.empty() ? CompiledQuoteHost() : options.host;
  ReplacingStockListFile file;
  DownloadRun run(
      view, pump, selection, state, folder,
      [&](const Text& code, AbortPoint& abortPoint) {
        progress.IndustryStarted(code);
        QuoteClient client{internet, abortPoint, host};
        client.showStatus = [&](const Text& status) { progress.Retrying(status); };
        std::optional<Text> rowsText = FetchIndustryRows(client, code);
        if (rowsText) progress.IndustryDone(*rowsText);
        return rowsText;
      },
      file);
  const RunEnd end = run.Execute();
  output.EndProgress();
  if (end == RunEnd::Aborted) output.Line(SjisToUtf8(view.StatusText()));
  return ExitStatusOf(end, stopSignal);
}

}  // namespace quillivar
