#include "run/download_run.h"

#include <cerrno>

#include "text/code_page.h"
#include "text/text_file.h"
#include "ui/ui_texts.h"

namespace quillivar {
namespace {

struct RunTexts {
  Text confirm = Sjis("銘柄リストをダウンロードします。よろしいですか？");
  Text started = Sjis("銘柄リストダウンロード開始");
  Text taken = Sjis("銘柄情報取得：");
  Text saved = Sjis("銘柄情報保存：");
  Text finished = Sjis("銘柄リストのダウンロードが終了しました。");
  Text cannotWrite = Sjis("ファイルが書き込めません");
  Text aborted = Sjis("ダウンロード中止");
  Text kept = Sjis("銘柄リストは更新していません");
};

const RunTexts& Texts() {
  static const RunTexts texts;
  return texts;
}

std::int32_t KeyOf(std::string_view row) { return TextToInt(Copy(row, 1, 4)); }

}  // namespace

DownloadRun::DownloadRun(RunView& view, EventPump& pump, const Selection& selection,
                         RunState& state, Text folder, IndustryFetcher fetch,
                         StockListFile& file)
    : view_(view),
      selection_(selection),
      state_(state),
      folder_(std::move(folder)),
      fetch_(std::move(fetch)),
      file_(file),
      abortPoint_(pump, state.AbortRequested) {}

namespace {

// Inside a catch block: the list was replaced, only its folder not synced.
bool SavedButNotSynced() {
  try {
    throw;
  } catch (const IoError& error) {
    return error.Message() == UnsyncedSaveMessage();
  } catch (...) {
    return false;
  }
}

// Inside a catch block: 中止 ended a wait of the file's, which left it as it was.
bool AbortedInAWait() {
  try {
    throw;
  } catch (const IoError& error) {
    return error.Code() == ECANCELED;
  } catch (...) {
    return false;
  }
}

}  // namespace

RunEnd DownloadRun::Execute() {
  try {
    return Run();
  } catch (...) {
    const bool listNotInPlace = writing_ && !SavedButNotSynced();
    writing_ = false;
    file_.Discard();
    if (AbortedInAWait()) return EndAborted();
    view_.ShowErrorBox(MessageOfCurrentException());
    BackToIdle();
    return listNotInPlace ? RunEnd::WriteFailed : RunEnd::Failed;
  }
}

void DownloadRun::BackToIdle() {
  view_.SetBusy(false);
  view_.SetStatusTimer(false);
}

RunEnd DownloadRun::EndKept() {
  BackToIdle();
  view_.SetStatusText(Texts().kept);
  return RunEnd::Kept;
}

RunEnd DownloadRun::EndAborted() {
  BackToIdle();
  view_.SetStatusText(Texts().aborted);
  return RunEnd::Aborted;
}

void DownloadRun::ClearStockRows() {
  state_.StockRows.assign(kStockRowSlots, Text());
  keys_.assign(kStockRowSlots, std::nullopt);
  count_ = 0;
}

RunEnd DownloadRun::Run() {
  if (!view_.AskConfirmation(Texts().confirm)) {
    BackToIdle();
    return RunEnd::Cancelled;
  }
  state_.ExeDir = folder_;
  view_.SetBusy(true);
  state_.AbortRequested = false;
  state_.StatusToggle = true;
  view_.SetStatusTimer(true);
  ClearStockRows();
  fetched_ = {};
  view_.SetStatusText(Texts().started);

  if (!Collect()) return EndAborted();
  return WriteOut();
}

bool DownloadRun::Collect() {
  for (const IndustryEntry& industry : IndustryCatalogue()) {
    if (abortPoint_.PumpAndTestAbort()) return false;
    if (!IsIndustryCodeSelected(selection_, industry.code)) continue;
    if (!CollectIndustry(industry.code)) return false;
  }
  return true;
}

bool DownloadRun::CollectIndustry(const Text& code) {
  const std::optional<Text> rowsText = fetch_(code, abortPoint_);
  view_.SetStatusTimer(false);
  ++fetched_.industries;
  // Without a result the fetch stopped on an abort: the abort point below
  // ends the run before anything of it could be used.
  return TakeRows(rowsText ? std::string_view(*rowsText) : std::string_view());
}

bool DownloadRun::TakeRows(std::string_view rowsText) {
  while (true) {
    if (abortPoint_.PumpAndTestAbort()) return false;
    if (rowsText.empty()) return true;
    const std::size_t end = Find(rowsText, "\r\n");
    const Text line(end == 0 ? rowsText : rowsText.substr(0, end - 1));
    if (!InsertStockRow(line)) return false;
    ++fetched_.rows;
    rowsText.remove_prefix(end == 0 ? rowsText.size() : end + 1);
  }
}

std::int32_t DownloadRun::KeyOfSlot(std::size_t slot) {
  std::optional<std::int32_t>& key = keys_[slot];
  if (!key) key = KeyOf(state_.StockRows[slot]);
  return *key;
}

void DownloadRun::MakeRoomForOneMore() {
  // Past the 10,000 slots the list grows rather than dropping a row.
  if (count_ < state_.StockRows.size()) return;
  state_.StockRows.emplace_back();
  keys_.emplace_back();
}

bool DownloadRun::InsertStockRow(const Text& line) {
  std::size_t index = count_;
  std::optional<std::int32_t> lineKey;
  if (count_ > 0) {
    index = 0;
    for (std::size_t k = count_; k-- > 0;) {
      if (abortPoint_.PumpAndTestAbort()) return false;
      // The slot's key is read before the line's, so a failure names the
      // first of the two that is not a number.
      const std::int32_t slotKey = KeyOfSlot(k);
      if (!lineKey) lineKey = KeyOf(line);
      if (slotKey <= *lineKey) {
        index = k + 1;
        break;
      }
    }
  }
  MakeRoomForOneMore();
  for (std::size_t k = count_; k-- > index;) {
    if (abortPoint_.PumpAndTestAbort()) return false;
    state_.StockRows[k + 1] = std::move(state_.StockRows[k]);
    keys_[k + 1] = keys_[k];
  }
  view_.SetStatusText(Texts().taken + line);
  state_.StockRows[index] = line;
  keys_[index] = lineKey;
  ++count_;
  return true;
}

bool DownloadRun::MayReplaceEarlierList(const std::string& path, const ListShape& fresh) {
  ListShape earlier;
  for (const Text& row : ReadStockListRows(path, abortPoint_)) {
    const StockRowFields fields = SplitStockRow(row);
    if (IsStockRowSelected(selection_, fields)) earlier.Add(fields);
  }
  const std::optional<SuspectList> suspect = FindSuspectList(fresh, earlier, fetched_);
  return !suspect || view_.AskToReplaceSuspectList(SuspectListFacts(*suspect));
}

RunEnd DownloadRun::WriteOut() {
  std::vector<std::size_t> selected;
  ListShape fresh;
  for (std::size_t slot = 0; slot < count_; ++slot) {
    const StockRowFields fields = SplitStockRow(state_.StockRows[slot]);
    if (!IsStockRowSelected(selection_, fields)) continue;
    selected.push_back(slot);
    fresh.Add(fields);
  }
  const std::string path = state_.ExeDir + kStockListFileName;
  if (!MayReplaceEarlierList(path, fresh)) return EndKept();
  if (!file_.Open(path, abortPoint_)) {
    view_.ShowInformation(Texts().cannotWrite);
    BackToIdle();
    return RunEnd::CannotWrite;
  }
  writing_ = true;
  for (const std::size_t slot : selected) {
    const Text& row = state_.StockRows[slot];
    view_.SetStatusText(Texts().saved + row);
    file_.WriteLine(row);
  }
  file_.Close();
  writing_ = false;
  view_.ShowInformation(Texts().finished);
  BackToIdle();
  return RunEnd::Finished;
}

}  // namespace quillivar
