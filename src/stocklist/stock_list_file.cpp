#include "stocklist/stock_list_file.h"

#include <cerrno>

#include "stocklist/stock_code.h"

namespace quillivar {
namespace {

// A line far longer than any row is no list either; without this bound a
// list of one long line would be held several times over as it is read.
constexpr std::size_t kLongestEarlierLine = 64 * 1024;
// Reading a line is quick; the event pump, less so.
constexpr std::size_t kLinesBetweenAbortPoints = 256;

// The field up to the next "," of `rest`, which loses it and that ",".
Text TakeField(Text& rest) {
  const std::size_t comma = Find(rest, ",");
  Text field = Copy(rest, 1, static_cast<long long>(comma) - 1);
  Delete(rest, 1, static_cast<long long>(comma));
  return field;
}

// The "," after the field would count as the second byte of a character, so
// that a reader's search passes over it.
bool EndsInALoneLeadByte(std::string_view field) {
  std::size_t leadBytes = 0;
  while (leadBytes < field.size() &&
         IsLeadByte(static_cast<unsigned char>(field[field.size() - 1 - leadBytes]))) {
    ++leadBytes;
  }
  return leadBytes % 2 == 1;
}

// The "," after the field is where a reader's search finds it.
bool EndsAtItsComma(std::string_view field) {
  return field.find_first_of(std::string_view(",\0", 2)) == std::string_view::npos &&
         !EndsInALoneLeadByte(field);
}

}  // namespace

Text StockListLine(const StockRow& row) {
  Text line;
  line.reserve(row.code.size() + row.market.size() + row.name.size() + row.industry.size() + 3);
  line.append(row.code).append(",").append(row.market).append(",");
  return line.append(row.name).append(",").append(row.industry);
}

StockRow ReadStockListLine(const Text& line) {
  StockRow row;
  row.code = StockCode(line).Bytes();
  Text rest = line;
  Delete(rest, 1, StockCode::kLength + 1);
  row.market = TakeField(rest);
  row.name = TakeField(rest);
  row.industry = std::move(rest);
  return row;
}

StockRow ReadBackOf(const StockRow& row) {
  if (row.code.size() == StockCode::kLength && EndsAtItsComma(row.market) &&
      EndsAtItsComma(row.name)) {
    return row;
  }
  return ReadStockListLine(StockListLine(row));
}

std::vector<StockRow> SplitAtLineBreaks(StockRow row) {
  constexpr std::string_view kLineBreak = "\r\n";
  const Text line = StockListLine(row);
  std::vector<StockRow> rows;
  std::size_t start = 0;
  for (std::size_t end; (end = line.find(kLineBreak, start)) != Text::npos;
       start = end + kLineBreak.size()) {
    rows.push_back(ReadStockListLine(line.substr(start, end - start)));
  }
  rows.push_back(rows.empty() ? std::move(row) : ReadStockListLine(line.substr(start)));
  return rows;
}

EarlierList ReadEarlierList(const std::string& path, AbortPoint& abortPoint) {
  EarlierList earlier;
  try {
    TextFileReader reader = TextFileReader::OfFileTheSaveWouldReplace(path, &abortPoint);
    reader.Limit(kEarlierListBytes, kLongestEarlierLine);
    std::vector<StockRow> rows;
    for (std::size_t lines = 0; !reader.AtEnd(); ++lines) {
      if (lines == kEarlierListLines) ThrowIoError(EFBIG, path);
      if (lines % kLinesBetweenAbortPoints == 0 && abortPoint.PumpAndTestAbort()) {
        throw Error::Aborted();
      }
      const Text line = reader.ReadLine();
      if (!line.empty()) rows.push_back(ReadStockListLine(line));
    }
    earlier.rows = std::move(rows);
  } catch (const Error& error) {
    if (error.IsAborted() || error.Code() == EWOULDBLOCK) throw;
    if (error.Code() != ENOENT) earlier.failure = error;
  }
  return earlier;
}

}  // namespace quillivar
