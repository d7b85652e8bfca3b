// One industry's pages on any bytes, as the page fetch handles them: the body
// read in chunks (each cut at its first zero byte) and normalised as it
// comes, converted, tested for the next-page link and scanned for rows. The
// row scan is checked against a scan written step by step from the parser's
// rules; rows and fields carry over from the first page to the second.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "fuzz_check.h"
#include "page_reference.h"
#include "quote/page_parser.h"
#include "quote/utf8tosjis.h"
#include "text/error.h"
#include "text/text.h"

namespace {

using quillivar::StockRow;
using quillivar::fuzz::ScanOutcome;
using quillivar::Text;
using namespace quillivar::fuzz;

Text ReadBody(std::string_view body, ChunkSizes& sizes) {
  Text page;
  Text collected;
  while (!body.empty()) {
    std::string_view chunk = body.substr(0, sizes.Next());
    body.remove_prefix(chunk.size());
    chunk = chunk.substr(0, chunk.find('\0'));
    collected.append(chunk);
    quillivar::AppendNormalised(page, chunk);
  }
  FUZZ_CHECK(page == quillivar::NormalisePageText(collected));
  FUZZ_CHECK(page == ReferenceNormalise(collected));
  return page;
}

struct Industry {
  Text code;
  long long abortAtPump;
  long long pageNumber;
};

// False when the page's conversion failed: the fetch ends there.
bool RunPage(std::string_view body, long long pageNumber, const Industry& industry,
             ChunkSizes& sizes, StockRow& fields, std::vector<StockRow>& rows,
             bool& everScannedRow) {
  const Text rowsText = JoinedRows(rows, true);
  const Text normalised = ReadBody(body, sizes);
  Text page;
  try {
    page = quillivar::Utf8ToSjisDropBom(normalised);
  } catch (const quillivar::Error& error) {
    FUZZ_CHECK(error.Message() == "UTF-8 Unknown code.");
    return false;
  }
  FUZZ_CHECK(page.find('\0') == Text::npos);

  // The parser searches bytes; on converted text that must be what the
  // double-byte aware search finds.
  for (const std::string_view marker : kMarkers) {
    const std::size_t plain = page.find(marker);
    FUZZ_CHECK(quillivar::Find(page, marker) == (plain == Text::npos ? 0 : plain + 1));
  }

  const std::string link = "<ahref=\"/stocks/qi/?ids=" + industry.code + "&p=" +
                           std::to_string(pageNumber + 1) + "\">";
  FUZZ_CHECK(quillivar::HasNextPageLink(page, industry.code, pageNumber) ==
             (page.find(link) != Text::npos));

  // An abort at pump n keeps exactly the rows of the n - 1 pumps before it.
  if (industry.abortAtPump > 0) {
    StockRow abortFields = fields;
    std::vector<StockRow> abortRows = rows;
    bool abortRequested = false;
    AbortingPump ui(industry.abortAtPump, abortRequested);
    quillivar::AbortPoint abortPoint(ui, abortRequested);
    const ScanOutcome outcome =
        quillivar::fuzz::ScanRows(page, industry.code, abortFields, abortRows, abortPoint);
    StockRow expectedFields = fields;
    Text expectedRows = rowsText;
    const ReferenceResult expected =
        ReferenceScan(page, industry.code, expectedFields, expectedRows, industry.abortAtPump);
    FUZZ_CHECK(outcome == expected.outcome);
    FUZZ_CHECK(ui.pumpCount == expected.pumps);
    FUZZ_CHECK(JoinedRows(abortRows, true) == expectedRows);
  }

  StockRow expectedFields = fields;
  Text expectedRows = rowsText;
  const ReferenceResult expected =
      ReferenceScan(page, industry.code, expectedFields, expectedRows, 0);

  quillivar::fuzz::CountingPump ui;
  const bool abortRequested = false;
  quillivar::AbortPoint abortPoint(ui, abortRequested);
  const ScanOutcome outcome =
      quillivar::fuzz::ScanRows(page, industry.code, fields, rows, abortPoint);
  FUZZ_CHECK(outcome == ScanOutcome::Finished);
  FUZZ_CHECK(ui.pumpCount == expected.pumps);
  FUZZ_CHECK(JoinedRows(rows, true) == expectedRows);  // rows only ever appended
  FUZZ_CHECK(SameFields(fields, expectedFields));
  everScannedRow = everScannedRow || page.find(kCodeMarker) != Text::npos;
  if (everScannedRow) FUZZ_CHECK(fields.industry == quillivar::IndustryNameOfCode(industry.code));
  FUZZ_CHECK(fields.code.size() <= 4);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const auto& catalogue = quillivar::IndustryCatalogue();
  const auto choice = provider.ConsumeIntegralInRange<std::size_t>(0, catalogue.size());
  Industry industry;
  industry.code = choice < catalogue.size() ? catalogue[choice].code : Text("9999");
  industry.pageNumber = provider.ConsumeIntegralInRange<long long>(1, 12);
  industry.abortAtPump = provider.ConsumeIntegralInRange<long long>(0, 8);
  ChunkSizes sizes(provider.ConsumeIntegral<std::uint32_t>());
  const auto split = provider.ConsumeIntegral<std::uint16_t>();
  const std::string body = provider.ConsumeRemainingBytesAsString();
  const std::size_t firstPageSize =
      static_cast<std::size_t>(static_cast<std::uint64_t>(body.size()) * split / 65536);
  const std::string_view pages[] = {std::string_view(body).substr(0, firstPageSize),
                                    std::string_view(body).substr(firstPageSize)};

  StockRow fields;
  std::vector<StockRow> rows;
  bool everScannedRow = false;
  long long pageNumber = industry.pageNumber;
  for (const std::string_view page : pages) {
    if (!RunPage(page, pageNumber++, industry, sizes, fields, rows, everScannedRow)) {
      return 0;
    }
  }

  // Handed on as trimming the joined rows would leave them.
  const Text rowsText = JoinedRows(rows, true);
  quillivar::FinishRows(rows);
  FUZZ_CHECK(JoinedRows(rows, false) == ReferenceTrim(rowsText));
  return 0;
}
