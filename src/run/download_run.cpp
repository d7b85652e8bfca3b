#include "run/download_run.h"

#include "text/code_page.h"
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
};

const RunTexts& Texts() {
  static const RunTexts texts;
  return texts;
}

std::int32_t KeyOf(std::string_view row) { return TextToInt(Copy(row, 1, 4)); }

// The market and industry fields of a row, split the way the list is read:
// the first five bytes dropped, then at the next two commas.
struct RowFilterFields {
  Text market;
  Text industry;
};

RowFilterFields SplitRow(const Text& row) {
  Text rest = row;
  Delete(rest, 1, 5);
  std::size_t comma = Find(rest, ",");
  RowFilterFields fields;
  fields.market = Copy(rest, 1, static_cast<long long>(comma) - 1);
  Delete(rest, 1, static_cast<long long>(comma));
  comma = Find(rest, ",");  // the name ends here; it takes no part
  Delete(rest, 1, static_cast<long long>(comma));
  fields.industry = std::move(rest);
  return fields;
}

}  // namespace

DownloadRun::DownloadRun(UiServices& ui, MainWindowFields& fields,
                         IndustryFetcher fetch, StockListFile& file)
    : ui_(ui),
      fields_(fields),
      fetch_(std::move(fetch)),
      file_(file),
      selection_(ui),
      abortPoint_(ui, fields.AbortRequested) {}

RunEnd DownloadRun::Button1Click() {
  try {
    return Run();
  } catch (...) {
    file_.Discard();
    ui_.ShowErrorBox(MessageOfCurrentException());
    EnableButtonsAndStopTimer();
    return RunEnd::Failed;
  }
}

void DownloadRun::EnableButtonsAndStopTimer() {
  ui_.SetButtonEnabled(MainButton::Button1, true);
  ui_.SetButtonEnabled(MainButton::Button2, true);
  ui_.SetTimer1(false);
}

RunEnd DownloadRun::EndAborted() {
  EnableButtonsAndStopTimer();
  ui_.SetStatusText(Texts().aborted);
  return RunEnd::Aborted;
}

void DownloadRun::ClearStockRows() {
  fields_.StockRows.assign(kStockRowSlots, Text());
  keys_.assign(kStockRowSlots, std::nullopt);
  count_ = 0;
}

RunEnd DownloadRun::Run() {
  if (!ui_.AskConfirmation(Texts().confirm)) {
    EnableButtonsAndStopTimer();
    return RunEnd::Cancelled;
  }
  fields_.ExeDir = ui_.ExecutableDirectory();
  ui_.SetButtonEnabled(MainButton::Button1, false);
  ui_.SetButtonEnabled(MainButton::Button2, false);
  fields_.AbortRequested = false;
  fields_.StatusToggle = true;
  ui_.SetTimer1(true);
  ClearStockRows();
  ui_.SetStatusText(Texts().started);

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
  ui_.SetTimer1(false);
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
    rowsText.remove_prefix(end == 0 ? rowsText.size() : end + 1);
  }
}

std::int32_t DownloadRun::KeyOfSlot(std::size_t slot) {
  std::optional<std::int32_t>& key = keys_[slot];
  if (!key) key = KeyOf(fields_.StockRows[slot]);
  return *key;
}

void DownloadRun::MakeRoomForOneMore() {
  // Past the 10,000 slots the list grows rather than dropping a row.
  if (count_ < fields_.StockRows.size()) return;
  fields_.StockRows.emplace_back();
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
    fields_.StockRows[k + 1] = std::move(fields_.StockRows[k]);
    keys_[k + 1] = keys_[k];
  }
  ui_.SetStatusText(Texts().taken + line);
  fields_.StockRows[index] = line;
  keys_[index] = lineKey;
  ++count_;
  return true;
}

RunEnd DownloadRun::WriteOut() {
  if (!file_.Open(fields_.ExeDir + kStockListFileName)) {
    ui_.ShowInformation(Texts().cannotWrite);
    EnableButtonsAndStopTimer();
    return RunEnd::CannotWrite;
  }
  for (std::size_t slot = 0; slot < count_; ++slot) {
    const Text& row = fields_.StockRows[slot];
    const RowFilterFields split = SplitRow(row);
    if (!IsMarketLabelSelected(selection_, split.market)) continue;
    if (!IsIndustryNameSelected(selection_, split.industry)) continue;
    ui_.SetStatusText(Texts().saved + row);
    file_.WriteLine(row);
  }
  file_.Close();
  ui_.ShowInformation(Texts().finished);
  EnableButtonsAndStopTimer();
  return RunEnd::Finished;
}

}  // namespace quillivar
