#include "run/download_run.h"

#include <cerrno>
#include <cstdint>

#include "run/list_check.h"
#include "text/code_page.h"
#include "text/text_file.h"
#include "ui/ui_texts.h"

namespace quillivar {
namespace {

using End = RunResult::End;

struct RunTexts {
  Text started = Sjis("銘柄リストダウンロード開始");
  Text taken = Sjis("銘柄情報取得：");
  Text saved = Sjis("銘柄情報保存：");
  Text finished = Sjis("銘柄リストのダウンロードが終了しました。");
  Text cannotWrite = Sjis("ファイルが書き込めません");
  Text aborted = Sjis("ダウンロード中止");
  Text kept = Sjis("銘柄リストは更新していません");
  Text readingEarlier = Sjis("これまでの銘柄リストを読んでいます");
};

const RunTexts& Texts() {
  static const RunTexts texts;
  return texts;
}

// The number its line's first four bytes write.
std::int32_t KeyOf(const StockRow& row) { return TextToInt(Copy(StockListLine(row), 1, 4)); }

class Run {
 public:
  Run(const Selection& selection, AbortPoint& abortPoint, const IndustryFetch& fetch,
      RunObserver& observer)
      : selection_(selection), abortPoint_(abortPoint), fetch_(fetch), observer_(observer) {}

  RunResult Execute(ListTarget& target) {
    try {
      StockRows.assign(kStockRowSlots, 0);
      rows_.reserve(kStockRowSlots);
      observer_.ShowStatus(Texts().started);
      if (!Collect()) return Ended(End::Aborted, Texts().aborted);
      return WriteOut(target);
    } catch (const IoError& error) {
      // 中止 ended a wait of the list's, which left it as it was.
      if (error.Code() == ECANCELED) return Ended(End::Aborted, Texts().aborted);
      // An unsynced save has put the list in place all the same.
      const bool inPlace = !writing_ || error.Message() == UnsyncedSaveMessage();
      return Failed(inPlace ? End::Failed : End::WriteFailed, error.Message(), error.Code());
    } catch (...) {
      return Failed(writing_ ? End::WriteFailed : End::Failed, MessageOfCurrentException(), 0);
    }
  }

 private:
  RunResult Ended(End end, Text message) const {
    RunResult result;
    result.end = end;
    result.message = std::move(message);
    result.stockRows = rows_.size();
    return result;
  }

  RunResult Failed(End end, Text message, int errorCode) const {
    RunResult result = Ended(end, std::move(message));
    result.errorCode = errorCode;
    return result;
  }

  // Each step tells whether the run goes on; false ends it as aborted.
  [[nodiscard]] bool Collect() {
    for (const IndustryEntry& industry : IndustryCatalogue()) {
      if (abortPoint_.PumpAndTestAbort()) return false;
      if (!IsIndustryCodeSelected(selection_, industry.code)) continue;
      observer_.IndustryStarted(industry.code);
      std::optional<std::vector<StockRow>> rows = fetch_(industry.code);
      observer_.IndustryFetched(rows ? std::optional(rows->size()) : std::nullopt);
      ++fetched_.industries;
      // Without rows the fetch stopped on an abort: the abort point in
      // TakeRows ends the run before anything of it could be used.
      if (!TakeRows(rows ? std::move(*rows) : std::vector<StockRow>())) return false;
    }
    return true;
  }

  [[nodiscard]] bool TakeRows(std::vector<StockRow> rows) {
    for (StockRow& row : rows) {
      if (abortPoint_.PumpAndTestAbort()) return false;
      if (!InsertStockRow(std::move(row))) return false;
      ++fetched_.rows;
    }
    return !abortPoint_.PumpAndTestAbort();
  }

  std::int32_t KeyOfSlot(std::size_t slot) {
    std::optional<std::int32_t>& key = keys_[StockRows[slot]];
    if (!key) key = KeyOf(rows_[StockRows[slot]]);
    return *key;
  }

  const StockRow& RowOfSlot(std::size_t slot) const { return rows_[StockRows[slot]]; }

  // Keys are read once, when first compared; a key that is not a number
  // raises its error at that moment, as reading it every time would. The
  // slot's key is read before the row's, so a failure names the first of the
  // two that is not a number.
  [[nodiscard]] bool InsertStockRow(StockRow row) {
    std::size_t index = rows_.size();
    std::optional<std::int32_t> rowKey;
    if (!rows_.empty()) {
      index = 0;
      for (std::size_t k = rows_.size(); k-- > 0;) {
        if (abortPoint_.PumpAndTestAbort()) return false;
        const std::int32_t slotKey = KeyOfSlot(k);
        if (!rowKey) rowKey = KeyOf(row);
        if (slotKey <= *rowKey) {
          index = k + 1;
          break;
        }
      }
    }
    if (rows_.size() == StockRows.size()) StockRows.emplace_back();
    for (std::size_t k = rows_.size(); k-- > index;) {
      if (abortPoint_.PumpAndTestAbort()) return false;
      StockRows[k + 1] = StockRows[k];
    }
    observer_.ShowStatus(Texts().taken + StockListLine(row));
    StockRows[index] = rows_.size();
    rows_.push_back(std::move(row));
    keys_.push_back(rowKey);
    return true;
  }

  // False when the new list looks unlike the site's and the user keeps the
  // earlier one.
  [[nodiscard]] bool MayReplaceEarlierList(const std::string& path, const ListShape& fresh) {
    observer_.ShowStatus(Texts().readingEarlier);
    ListShape earlier;
    const bool read = ReadStockListRows(path, abortPoint_, [&](const StockRow& row) {
      if (IsStockRowSelected(selection_, row)) earlier.Add(row);
    });
    if (!read) earlier = ListShape();  // no list, or one past the bounds
    const std::optional<SuspectList> suspect = FindSuspectList(fresh, earlier, fetched_);
    return !suspect || observer_.MayReplaceSuspectList(SuspectListFacts(*suspect));
  }

  RunResult WriteOut(ListTarget& target) {
    // A row is judged as its line reads back, so a name holding a "," never
    // reaches the file: it would read back as another row.
    std::vector<std::size_t> selected;
    ListShape fresh;
    for (std::size_t slot = 0; slot < rows_.size(); ++slot) {
      const StockRow readBack = ReadStockListLine(StockListLine(RowOfSlot(slot)));
      if (!IsStockRowSelected(selection_, readBack)) continue;
      selected.push_back(slot);
      fresh.Add(readBack);
    }
    if (!MayReplaceEarlierList(target.path, fresh)) return Ended(End::Kept, Texts().kept);
    if (!target.opened) {
      try {
        target.opened = std::make_unique<StockListFile>(target.path, abortPoint_);
      } catch (const IoError& error) {
        if (error.Code() == ECANCELED) throw;
        return Failed(End::CannotWrite, Texts().cannotWrite, error.Code());
      }
    }
    writing_ = true;
    for (const std::size_t slot : selected) {
      observer_.ShowStatus(Texts().saved + StockListLine(RowOfSlot(slot)));
      target.opened->Write(RowOfSlot(slot));
    }
    target.opened->Close();
    writing_ = false;
    RunResult result = Ended(End::Written, Texts().finished);
    for (const std::size_t slot : selected) {
      result.written.push_back(std::move(rows_[StockRows[slot]]));
    }
    return result;
  }

  const Selection& selection_;
  AbortPoint& abortPoint_;
  const IndustryFetch& fetch_;
  RunObserver& observer_;
  // The slots before rows_.size() hold the rows in code order, as indices
  // into rows_, so that making room moves a number rather than a row. Past
  // the 10,000 slots the list grows rather than dropping a row.
  std::vector<std::size_t> StockRows;
  std::vector<StockRow> rows_;                     // in the order they came
  std::vector<std::optional<std::int32_t>> keys_;  // likewise
  FetchedCount fetched_;
  bool writing_ = false;  // from the list's first row until it is in place
};

}  // namespace

RunResult DownloadRows(const Selection& selection, ListTarget target, AbortPoint& abortPoint,
                       const IndustryFetch& fetch, RunObserver& observer) {
  return Run(selection, abortPoint, fetch, observer).Execute(target);
}

RunResult Download(const Selection& selection, ListTarget target, const QuoteClient& client,
                   RunObserver& observer) {
  QuoteClient followed = client;
  followed.progress = &observer;
  std::size_t rowsTaken = 0;  // for the run's bound on rows
  const IndustryFetch fetch = [&](const Text& code) {
    std::optional<std::vector<StockRow>> rows = FetchIndustryRows(followed, code, rowsTaken);
    if (rows) rowsTaken += rows->size();
    return rows;
  };
  return DownloadRows(selection, std::move(target), client.abortPoint, fetch, observer);
}

}  // namespace quillivar
