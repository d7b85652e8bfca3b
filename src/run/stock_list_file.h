// brand_code.csv: the selected stock rows, one per line, CR LF, no header.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pump/event_pump.h"
#include "text/text_file.h"

namespace quillivar {

constexpr char kStockListFileName[] = "brand_code.csv";

// The lines of the list at `path` that a save there would replace (see
// TextFileReader::OfFileTheSaveWouldReplace); none when there is no such file,
// it is no regular file, or it cannot be read whole. Throws the IoError of an
// abort (ECANCELED) or of a lease that was not broken in time.
std::vector<Text> ReadStockListRows(const std::string& path, AbortPoint& abortPoint);

// The three operations the download run performs on the stock list file.
class StockListFile {
 public:
  virtual ~StockListFile() = default;
  // False when the file cannot be created or emptied; nothing is changed then.
  // The file's waits for other programs pass `abortPoint`: an abort there
  // throws IoError (ECANCELED) from Open or Close, the file unchanged.
  virtual bool Open(const std::string& path, AbortPoint& abortPoint) = 0;
  virtual void WriteLine(std::string_view row) = 0;  // throws IoError
  virtual void Close() = 0;                          // throws IoError
  // After a failure: drops whatever was written; the target stays as it was.
  virtual void Discard() noexcept = 0;
};

// Writes beside the target and replaces it only once every row is on disk, so
// a failure part-way leaves the previous list byte for byte (unless the save has
// to write in place and Close itself fails; see ReplacingTextFileWriter).
class ReplacingStockListFile : public StockListFile {
 public:
  bool Open(const std::string& path, AbortPoint& abortPoint) override;
  void WriteLine(std::string_view row) override;
  void Close() override;
  void Discard() noexcept override { writer_.reset(); }

 private:
  std::unique_ptr<ReplacingTextFileWriter> writer_;
};

}  // namespace quillivar
