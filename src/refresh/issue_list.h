// The issues of a brand_code.csv as the run's last line tells them: the row
// count, and the codes a run added and removed, with their names.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "run/stock_list_file.h"
#include "text/text.h"

namespace quillivar {

struct IssueList {
  std::size_t rows = 0;
  std::map<Text, Text> names;  // code -> the name in its first row; Shift-JIS

  // One row: code,market,name,industry.
  void AddRow(std::string_view row);
};

// Null when there is no such file or it cannot be read; read by the save's
// rules (see TextFileReader::OfFileTheSaveWouldReplace).
std::optional<IssueList> ReadIssueList(const std::string& path, AbortPoint& abortPoint);

// "rows=N previous=M added=A (code name, ...) removed=R (...)" in UTF-8, the
// first ten codes of each kind named; "previous=none" without an earlier list.
std::string DescribeChanges(const IssueList& written, const std::optional<IssueList>& previous);

// The run's stock list file, keeping account of the rows it writes.
class RecordingStockListFile : public StockListFile {
 public:
  explicit RecordingStockListFile(StockListFile& file) : file_(file) {}

  bool Open(const std::string& path, AbortPoint& abortPoint) override {
    written_ = {};
    return file_.Open(path, abortPoint);
  }
  void WriteLine(std::string_view row) override {
    file_.WriteLine(row);
    written_.AddRow(row);
  }
  void Close() override { file_.Close(); }
  void Discard() noexcept override { file_.Discard(); }

  const IssueList& Written() const { return written_; }

 private:
  StockListFile& file_;
  IssueList written_;
};

}  // namespace quillivar
