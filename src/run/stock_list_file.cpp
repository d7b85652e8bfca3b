#include "run/stock_list_file.h"

#include <cerrno>

#include "quote/stock_code.h"

namespace quillivar {
namespace {

// The field up to the next "," of `rest`, which loses it and that ",".
Text TakeField(Text& rest) {
  const std::size_t comma = Find(rest, ",");
  Text field = Copy(rest, 1, static_cast<long long>(comma) - 1);
  Delete(rest, 1, static_cast<long long>(comma));
  return field;
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

std::optional<std::vector<StockRow>> ReadStockList(const std::string& path,
                                                   AbortPoint& abortPoint) {
  try {
    TextFileReader reader = TextFileReader::OfFileTheSaveWouldReplace(path, &abortPoint);
    std::vector<StockRow> rows;
    while (!reader.AtEnd()) {
      const Text line = reader.ReadLine();
      if (!line.empty()) rows.push_back(ReadStockListLine(line));
    }
    return rows;
  } catch (const IoError& error) {
    if (error.Code() == ECANCELED || error.Code() == EWOULDBLOCK) throw;
    return std::nullopt;
  }
}

}  // namespace quillivar
