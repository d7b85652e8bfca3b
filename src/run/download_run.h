// The download run behind "ダウンロード開始": every selected industry fetched,
// all rows kept in code order, the selected ones written to brand_code.csv.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "pump/event_pump.h"
#include "run/list_check.h"
#include "run/run_state.h"
#include "run/stock_list_file.h"
#include "ui/run_view.h"

namespace quillivar {

// The rows text of one industry, fetched with the run's abort point; no value
// when it stopped on an abort.
using IndustryFetcher =
    std::function<std::optional<Text>(const Text& code, AbortPoint& abortPoint)>;

// How a run ended, for a front end that reports it otherwise than in boxes.
// Kept: the new list looked unlike the site's and the user kept the old one.
// WriteFailed: an error while the list was written, before it was in place.
enum class RunEnd { Finished, Cancelled, Aborted, CannotWrite, Kept, WriteFailed, Failed };

class DownloadRun {
 public:
  // `view` shows the run; `pump` lets events through at its abort points;
  // `selection` is read live; `folder` is where brand_code.csv is written.
  DownloadRun(RunView& view, EventPump& pump, const Selection& selection, RunState& state,
              Text folder, IndustryFetcher fetch, StockListFile& file);

  // The whole run, from the confirmation to the final message. An error that
  // leaves it is shown in the error box and the buttons come back, so the
  // user can try again.
  RunEnd Execute();

  // Exposed for the benchmark of the worst case; the run itself calls it.
  // False when an abort point saw an abort: the row was not taken.
  [[nodiscard]] bool InsertStockRow(const Text& line);
  std::size_t Count() const { return count_; }
  void ClearStockRows();

 private:
  // Each step tells whether the run goes on; false ends it as aborted.
  [[nodiscard]] bool Collect();
  [[nodiscard]] bool CollectIndustry(const Text& code);
  [[nodiscard]] bool TakeRows(std::string_view rowsText);
  RunEnd Run();
  RunEnd WriteOut();
  // False when the new list looks unlike the site's and the user keeps the
  // earlier one.
  [[nodiscard]] bool MayReplaceEarlierList(const std::string& path, const ListShape& fresh);
  RunEnd EndAborted();
  RunEnd EndKept();
  void BackToIdle();
  std::int32_t KeyOfSlot(std::size_t slot);
  void MakeRoomForOneMore();

  RunView& view_;
  const Selection& selection_;
  RunState& state_;
  Text folder_;
  IndustryFetcher fetch_;
  StockListFile& file_;
  AbortPoint abortPoint_;
  std::size_t count_ = 0;
  FetchedCount fetched_;
  bool writing_ = false;  // from the file's opening until it is in place
  // Keys are read once, when first compared; a key that is not a number
  // raises its error at that moment, as reading it every time would.
  std::vector<std::optional<std::int32_t>> keys_;
};

}  // namespace quillivar
