// brand_code.csv: the selected stock rows, one per line, CR LF, no header.
// How a row is written as a line and read back, and what a row reads back as.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "pump/event_pump.h"
#include "stocklist/stock_row.h"
#include "files/text_file.h"

namespace quillivar {

constexpr char kStockListFileName[] = "brand_code.csv";

// The row's line: its four fields joined by ",", without quoting.
Text StockListLine(const StockRow& row);

// A line read back by the places of its fields: the code is its first four
// bytes; after them and a "," the market runs to the next ",", the name to
// the one after, and the industry is the rest. A missing "," leaves the field
// before it empty and drops nothing. A name holding a "," thus reads back
// with another industry.
StockRow ReadStockListLine(const Text& line);

// The row as its line would read back, worked out from its fields: what the
// run orders by and filters on, so that it writes no row that would read back
// as another.
StockRow ReadBackOf(const StockRow& row);

// The rows a file line by line would hold of `row`: itself, or, where its
// fields hold CR LF, each piece of its line between them read back as a row.
std::vector<StockRow> SplitAtLineBreaks(StockRow row);

// An earlier list past either bound counts as no list: nothing the site
// gives comes near them, and reading it all would take memory without bound.
constexpr std::size_t kEarlierListLines = 100000;
constexpr std::size_t kEarlierListBytes = 32u * 1024u * 1024u;

// The list that a save at `path` would replace (see
// TextFileReader::OfFileTheSaveWouldReplace), read once, passing
// `abortPoint` as it goes. An empty line is no row.
struct EarlierList {
  // No value: there is no list to compare with.
  std::optional<std::vector<StockRow>> rows;
  // Why there is none although a file is there: it is no regular file, it
  // cannot be read whole, or it is past a bound (EFBIG).
  std::optional<Error> failure;
};

// Throws Error::Aborted() on an abort, and the Error of a lease that was not
// broken in time (EWOULDBLOCK): those end the run rather than the comparison.
EarlierList ReadEarlierList(const std::string& path, AbortPoint& abortPoint);

// Writes beside the target and replaces it only once every row is on disk, so
// a failure part-way, or a file dropped before Close, leaves the previous list
// byte for byte (unless the save has to write in place and Close itself
// fails; see ReplacingTextFileWriter).
class StockListFile {
 public:
  // Throws Error when the list or its folder cannot be written; nothing is
  // changed then. Its waits for other programs pass `abortPoint`: an abort
  // there throws Error::Aborted() from here or Close, the list unchanged.
  StockListFile(const std::string& path, AbortPoint& abortPoint) : writer_(path, &abortPoint) {}

  void Write(const StockRow& row) { writer_.WriteLine(StockListLine(row)); }  // throws Error
  // Throws Error; of kind kUnsynced when the list was replaced but its
  // folder could not be synced.
  void Close() { writer_.Commit(); }

 private:
  ReplacingTextFileWriter writer_;
};

}  // namespace quillivar
