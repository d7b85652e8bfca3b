#include "run/stock_list_file.h"

#include <cerrno>

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
  row.code = Copy(line, 1, 4);
  Text rest = line;
  Delete(rest, 1, 5);
  row.market = TakeField(rest);
  row.name = TakeField(rest);
  row.industry = std::move(rest);
  return row;
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
