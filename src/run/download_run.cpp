#include "run/download_run.h"

#include "stocklist/stock_code.h"
#include "stocklist/list_changes.h"
#include "stocklist/list_check.h"
#include "text/code_page.h"
#include "text/error.h"

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
  Text industryOpen = Sjis("「");
  Text notACodeOpen = Sjis("」の銘柄に銘柄コードではない '");
  Text notACodeClose = Sjis("' があります。");
};

const RunTexts& Texts() {
  static const RunTexts texts;
  return texts;
}

// "「化学」の銘柄に銘柄コードではない '13a0' があります。銘柄リストは更新していません"
Text NotAStockCodeMessage(const Text& industry, const StockCode& code) {
  return Texts().industryOpen + industry + Texts().notACodeOpen + code.Bytes() +
         Texts().notACodeClose + Texts().kept;
}

class Run {
 public:
  Run(const Selection& selection, AbortPoint& abortPoint, const IndustryFetch& fetch,
      RunObserver& observer)
      : selection_(selection), abortPoint_(abortPoint), fetch_(fetch), observer_(observer) {}

  RunResult Execute(ListTarget& target) {
    try {
      StockRows.assign(kStockRowSlots, 0);
      rows_.reserve(kStockRowSlots);
      // A selection lost with its file would otherwise empty the list
      // without a word.
      if (SelectsNoRow(selection_) && !observer_.MayWriteEmptyList()) {
        return Ended(End::Kept, Texts().kept);
      }
      observer_.ShowStatus(Texts().started);
      Collect();
      return WriteOut(target);
    } catch (const Error& error) {
      // 中止 ended the fetch or a wait of the list's, which left it as it was.
      if (error.IsAborted()) return Ended(End::Aborted, Texts().aborted);
      // An unsynced save has put the list in place all the same.
      const bool unsynced = error.GetKind() == Error::Kind::kUnsynced;
      RunResult result = Failed(!writing_ || unsynced ? End::Failed : End::WriteFailed,
                                error.Message(), error.Code());
      result.replacedUnsynced = unsynced;
      return result;
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

  // Each abort point that sees an abort throws Error::Aborted().
  void PassAbortPoint() {
    if (abortPoint_.PumpAndTestAbort()) throw Error::Aborted();
  }

  void Collect() {
    for (const IndustryEntry& industry : IndustryCatalogue()) {
      PassAbortPoint();
      if (!IsIndustryCodeSelected(selection_, industry.code)) continue;
      observer_.IndustryStarted(industry.code);
      std::vector<StockRow> rows = fetch_(industry.code);
      observer_.IndustryFetched(rows.size());
      ++fetched_.industries;
      TakeRows(industry.name, std::move(rows));
    }
  }

  // A row whose fields hold CR LF is taken as the rows its line holds, so
  // that every line of the file is one whole row.
  void TakeRows(const Text& industry, std::vector<StockRow> rows) {
    for (StockRow& fetchedRow : rows) {
      for (StockRow& row : SplitAtLineBreaks(std::move(fetchedRow))) {
        PassAbortPoint();
        const StockRow readBack = ReadBackOf(row);
        const StockCode code(readBack.code);
        NoteRow(industry, readBack, code);
        InsertStockRow(std::move(row), code);
        ++fetched_.rows;
      }
    }
    PassAbortPoint();
  }

  // A row that the write-out would write must begin with a stock code, or
  // its place in the list means nothing: that ends the run before anything
  // is written. A row it would drop never stops the run; the market labels
  // of all rows go to the suspect-list check.
  void NoteRow(const Text& industry, const StockRow& readBack, const StockCode& code) {
    if (!code.IsStockCode() && IsStockRowSelected(selection_, readBack)) {
      throw Error(NotAStockCodeMessage(industry, code));
    }
    fetched_.marketLabels.insert(readBack.market);
  }

  const StockRow& RowOfSlot(std::size_t slot) const { return rows_[StockRows[slot]]; }

  void InsertStockRow(StockRow row, const StockCode& code) {
    std::size_t index = rows_.size();
    if (!rows_.empty()) {
      index = 0;
      for (std::size_t k = rows_.size(); k-- > 0;) {
        PassAbortPoint();
        if (codes_[StockRows[k]] <= code) {
          index = k + 1;
          break;
        }
      }
    }
    if (rows_.size() == StockRows.size()) StockRows.emplace_back();
    for (std::size_t k = rows_.size(); k-- > index;) {
      PassAbortPoint();
      StockRows[k + 1] = StockRows[k];
    }
    observer_.ShowStatus(Texts().taken + StockListLine(row));
    StockRows[index] = rows_.size();
    rows_.push_back(std::move(row));
    codes_.push_back(code);
  }

  // The earlier list, read once: the suspect-list check compares with its
  // selected rows, and the result tells what the new list changes.
  void ReadEarlier(const std::string& path) {
    observer_.ShowStatus(Texts().readingEarlier);
    earlier_ = ReadEarlierList(path, abortPoint_);
  }

  // False when the new list looks unlike the site's and the user keeps the
  // earlier one.
  [[nodiscard]] bool MayReplaceEarlierList(const ListShape& fresh) {
    ListShape earlier;  // none without a list, or with one past the bounds
    if (earlier_.rows) {
      for (const StockRow& row : *earlier_.rows) {
        if (IsStockRowSelected(selection_, row)) earlier.Add(row);
      }
    }
    const std::optional<SuspectList> suspect = FindSuspectList(fresh, earlier, fetched_);
    return !suspect || observer_.MayReplaceSuspectList(SuspectListFacts(*suspect));
  }

  RunResult WriteOut(ListTarget& target) {
    // A row is judged as its line reads back, so a name holding a "," never
    // reaches the file: it would read back as another row.
    std::vector<std::size_t> selected;
    ListShape fresh;
    for (std::size_t slot = 0; slot < rows_.size(); ++slot) {
      const StockRow readBack = ReadBackOf(RowOfSlot(slot));
      if (!IsStockRowSelected(selection_, readBack)) continue;
      selected.push_back(slot);
      fresh.Add(readBack);
    }
    ReadEarlier(target.path);
    if (!MayReplaceEarlierList(fresh)) return Ended(End::Kept, Texts().kept);
    if (!target.opened) {
      try {
        target.opened = std::make_unique<StockListFile>(target.path, abortPoint_);
      } catch (const Error& error) {
        if (error.IsAborted()) throw;
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
    TellEarlier(result);
    return result;
  }

  void TellEarlier(RunResult& result) {
    result.previousFailure = std::move(earlier_.failure);
    if (!earlier_.rows) return;
    result.previousRows = earlier_.rows->size();
    result.changes = ChangesBetween(*earlier_.rows, result.written);
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
  std::vector<StockCode> codes_;                   // likewise
  FetchedCount fetched_;
  EarlierList earlier_;
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
    std::vector<StockRow> rows = FetchIndustryRows(followed, code, rowsTaken);
    rowsTaken += rows.size();
    return rows;
  };
  return DownloadRows(selection, std::move(target), client.abortPoint, fetch, observer);
}

}  // namespace quillivar
