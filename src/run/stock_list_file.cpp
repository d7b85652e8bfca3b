#include "run/stock_list_file.h"

namespace quillivar {

std::vector<Text> ReadStockListRows(const std::string& path) {
  std::vector<Text> rows;
  try {
    if (!RegularFileExists(path)) return rows;
    TextFileReader reader(path);
    while (!reader.AtEnd()) rows.push_back(reader.ReadLine());
  } catch (const IoError&) {
    rows.clear();
  }
  return rows;
}

bool ReplacingStockListFile::Open(const std::string& path) {
  writer_.reset();
  try {
    writer_ = std::make_unique<ReplacingTextFileWriter>(path);
  } catch (const IoError&) {
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
