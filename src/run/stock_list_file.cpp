#include "run/stock_list_file.h"

#include <cerrno>

namespace quillivar {

std::vector<Text> ReadStockListRows(const std::string& path, AbortPoint& abortPoint) {
  std::vector<Text> rows;
  try {
    TextFileReader reader = TextFileReader::OfFileTheSaveWouldReplace(path, &abortPoint);
    while (!reader.AtEnd()) rows.push_back(reader.ReadLine());
  } catch (const IoError& error) {
    if (error.Code() == ECANCELED || error.Code() == EWOULDBLOCK) throw;
    rows.clear();
  }
  return rows;
}

bool ReplacingStockListFile::Open(const std::string& path, AbortPoint& abortPoint) {
  writer_.reset();
  try {
    writer_ = std::make_unique<ReplacingTextFileWriter>(path, &abortPoint);
  } catch (const IoError& error) {
    if (error.Code() == ECANCELED) throw;
    return false;
  }
  return true;
}

void ReplacingStockListFile::WriteLine(std::string_view row) {
  writer_->WriteLine(row);
}

void ReplacingStockListFile::Close() {
  auto writer = std::move(writer_);  // abandoned if the commit fails
  writer->Commit();
}

}  // namespace quillivar
