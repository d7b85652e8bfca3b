#include "run/download_run.h"

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
};

const RunTexts& Texts() {
  static const RunTexts texts;
  return texts;
}

// The number its line's first four bytes write.
std::int32_t KeyOf(const StockRow& row) { return TextToInt(Copy(StockListLine(row), 1, 4)); }

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

// Inside a catch block: the errno of a failed file operation, else 0.
int ErrorCodeOfCurrentException() {
  try {
    throw;
  } catch (const IoError& error) {
    return error.Code();
  } catch (...) {
    return 0;
  }
}

class Run {
 public:
  Run(const Selection& selection, AbortPoint& abortPoint, const IndustryFetch& fetch,
      RunObserver& observer)
      : selection_(selection), abortPoint_(abortPoint), fetch_(fetch), observer_(observer) {}

  RunResult Execute(ListTarget& target) {
    try {
      stockRows_.assign(kStockRowSlots, StockRow());
      keys_.assign(kStockRowSlots, std::nullopt);
      observer_.ShowStatus(Texts().started);
      if (!Collect()) return Ended(End::Aborted, Texts().aborted);
      return WriteOut(target);
    } catch (...) {
      const bool listNotInPlace = writing_ && !SavedButNotSynced();
      RunResult result =
          Ended(listNotInPlace ? End::WriteFailed : End::Failed, MessageOfCurrentException());
      result.errorCode = ErrorCodeOfCurrentException();
      return result;
    }
  }

 private:
  RunResult Ended(End end, Text message) const {
    RunResult result;
    result.end = end;
    result.message = std::move(message);
    result.stockRows = count_;
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
    std::optional<std::int32_t>& key = keys_[slot];
    if (!key) key = KeyOf(stockRows_[slot]);
    return *key;
  }

  void MakeRoomForOneMore() {
    if (count_ < stockRows_.size()) return;
    stockRows_.emplace_back();
    keys_.emplace_back();
  }

  // Keys are read once, when first compared; a key that is not a number
  // raises its error at that moment, as reading it every time would. The
  // slot's key is read before the row's, so a failure names the first of the
  // two that is not a number.
  [[nodiscard]] bool InsertStockRow(StockRow row) {
    std::size_t index = count_;
    std::optional<std::int32_t> rowKey;
    if (count_ > 0) {
      index = 0;
      for (std::size_t k = count_; k-- > 0;) {
        if (abortPoint_.PumpAndTestAbort()) return false;
        const std::int32_t slotKey = KeyOfSlot(k);
        if (!rowKey) rowKey = KeyOf(row);
        if (slotKey <= *rowKey) {
          index = k + 1;
          break;
        }
      }
    }
    MakeRoomForOneMore();
    for (std::size_t k = count_; k-- > index;) {
      if (abortPoint_.PumpAndTestAbort()) return false;
      stockRows_[k + 1] = std::move(stockRows_[k]);
      keys_[k + 1] = keys_[k];
    }
    observer_.ShowStatus(Texts().taken + StockListLine(row));
    stockRows_[index] = std::move(row);
    keys_[index] = rowKey;
    ++count_;
    return true;
  }

  // False when the new list looks unlike the site's and the user keeps the
  // earlier one.
  [[nodiscard]] bool MayReplaceEarlierList(const std::string& path, const ListShape& fresh) {
    ListShape earlier;
    for (const StockRow& row : ReadStockList(path).value_or(std::vector<StockRow>())) {
      if (IsStockRowSelected(selection_, row)) earlier.Add(row);
    }
    const std::optional<SuspectList> suspect = FindSuspectList(fresh, earlier, fetched_);
    return !suspect || observer_.MayReplaceSuspectList(SuspectListFacts(*suspect));
  }

  RunResult WriteOut(ListTarget& target) {
    // A row is judged as its line reads back, so a name holding a "," never
    // reaches the file: it would read back as another row.
    std::vector<std::size_t> selected;
    ListShape fresh;
    for (std::size_t slot = 0; slot < count_; ++slot) {
      const StockRow readBack = ReadStockListLine(StockListLine(stockRows_[slot]));
      if (!IsStockRowSelected(selection_, readBack)) continue;
      selected.push_back(slot);
      fresh.Add(readBack);
    }
    if (!MayReplaceEarlierList(target.path, fresh)) return Ended(End::Kept, Texts().kept);
    if (!target.opened) {
      try {
        target.opened = std::make_unique<StockListFile>(target.path);
      } catch (const IoError& error) {
        RunResult result = Ended(End::CannotWrite, Texts().cannotWrite);
        result.errorCode = error.Code();
        return result;
      }
    }
    writing_ = true;
    for (const std::size_t slot : selected) {
      observer_.ShowStatus(Texts().saved + StockListLine(stockRows_[slot]));
      target.opened->Write(stockRows_[slot]);
    }
    target.opened->Close();
    writing_ = false;
    RunResult result = Ended(End::Written, Texts().finished);
    for (const std::size_t slot : selected) result.written.push_back(std::move(stockRows_[slot]));
    return result;
  }

  const Selection& selection_;
  AbortPoint& abortPoint_;
  const IndustryFetch& fetch_;
  RunObserver& observer_;
  std::vector<StockRow> stockRows_;  // slots 0..count-1 in code order
  std::vector<std::optional<std::int32_t>> keys_;
  std::size_t count_ = 0;
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
  return DownloadRows(
      selection, std::move(target), client.abortPoint,
      [&followed](const Text& code) { return FetchIndustryRows(followed, code); }, observer);
}

}  // namespace quillivar
