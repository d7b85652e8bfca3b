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

#include "catalogue/catalogue.h"
#include "fuzz_check.h"
#include "quote/page_parser.h"
#include "quote/utf8tosjis.h"
#include "text/error.h"
#include "text/text.h"

namespace {

using quillivar::RowFields;
using quillivar::ScanOutcome;
using quillivar::Text;

constexpr std::string_view kCodeMarker =
    "<tdclass=\"centeryjM\"><ahref=\"/stocks/detail/?code=";
constexpr std::string_view kMarketMarker = "<tdclass=\"centeryjSt\">";
constexpr std::string_view kMarketCellEnd = "</td>";
constexpr std::string_view kNameMarker =
    "<td><strongclass=\"yjMt\"><ahref=\"/stocks/detail/?code=";
constexpr std::string_view kNameLinkEnd = "</a>";
constexpr std::string_view kMarkers[] = {kCodeMarker, kMarketMarker, kMarketCellEnd,
                                         kNameMarker, kNameLinkEnd};

// Aborts at the n-th pump (never for 0), as the abort button would.
class AbortingUi : public quillivar::fuzz::PumpOnlyUi {
 public:
  AbortingUi(long long abortAtPump, bool& abortRequested)
      : abortAtPump_(abortAtPump), abortRequested_(abortRequested) {}
  void PumpEvents() override {
    PumpOnlyUi::PumpEvents();
    if (pumpCount == abortAtPump_) abortRequested_ = true;
  }

 private:
  long long abortAtPump_;
  bool& abortRequested_;
};

bool IsRemovedByte(char byte) {
  return byte == '\r' || byte == '\n' || byte == '\t' || byte == ' ';
}

Text ReferenceNormalise(std::string_view text) {
  Text out;
  for (const char byte : text) {
    if (!IsRemovedByte(byte)) out.push_back(byte);
  }
  return out;
}

Text ReferenceTrim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.remove_suffix(1);
  return Text(text);
}

Text ReferenceIndustryName(std::string_view code) {
  for (const auto& industry : quillivar::IndustryCatalogue()) {
    if (industry.code == code) return industry.name;
  }
  return {};
}

struct ReferenceResult {
  ScanOutcome outcome;
  long long pumps;
};

// The row scan step by step: the current text is consumed from the front,
// every search runs over the whole rest of it.
ReferenceResult ReferenceScan(std::string_view current, std::string_view industryCode,
                              RowFields& fields, Text& rowsText, long long abortAtPump) {
  long long pumps = 0;
  while (true) {
    ++pumps;
    if (pumps == abortAtPump) return {ScanOutcome::Aborted, pumps};

    std::size_t at = current.find(kCodeMarker);
    if (at == std::string_view::npos) return {ScanOutcome::Finished, pumps};
    current.remove_prefix(at + kCodeMarker.size());
    fields.code = Text(current.substr(0, 4));

    at = current.find(kMarketMarker);
    if (at != std::string_view::npos) {
      current.remove_prefix(at + kMarketMarker.size());
      const std::size_t end = current.find(kMarketCellEnd);
      fields.market = end == std::string_view::npos ? Text() : Text(current.substr(0, end));
    }

    bool nameClosed = false;
    at = current.find(kNameMarker);
    if (at != std::string_view::npos) {
      const std::size_t start = at + 59;  // marker, four-byte code, '"' '>'
      current.remove_prefix(start <= current.size() ? start : current.size());
      const std::size_t end = current.find(kNameLinkEnd);
      nameClosed = end != std::string_view::npos;
      fields.name = nameClosed ? Text(current.substr(0, end)) : Text();
    }

    fields.industry = ReferenceIndustryName(industryCode);
    if (fields.market != "&nbsp;") {
      rowsText += fields.code + "," + fields.market + "," + fields.name + "," +
                  fields.industry + "\r\n";
    }
    if (!nameClosed) return {ScanOutcome::Finished, pumps};
  }
}

bool SameFields(const RowFields& a, const RowFields& b) {
  return a.code == b.code && a.market == b.market && a.name == b.name &&
         a.industry == b.industry;
}

// Chunk sizes 1..1024 as a read may return them; seed 0 reads full chunks.
class ChunkSizes {
 public:
  explicit ChunkSizes(std::uint32_t seed) : state_(seed) {}
  std::size_t Next() {
    if (state_ == 0) return 1024;
    state_ = state_ * 1664525u + 1013904223u;
    return 1 + (state_ >> 8) % 1024;
  }

 private:
  std::uint32_t state_;
};

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
             ChunkSizes& sizes, RowFields& fields, Text& rowsText, bool& everScannedRow) {
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
    RowFields abortFields = fields;
    Text abortRows = rowsText;
    bool abortRequested = false;
    AbortingUi ui(industry.abortAtPump, abortRequested);
    const ScanOutcome outcome = quillivar::ScanPageRows(
        page, industry.code, abortFields, abortRows, ui, abortRequested);
    RowFields expectedFields = fields;
    Text expectedRows = rowsText;
    const ReferenceResult expected =
        ReferenceScan(page, industry.code, expectedFields, expectedRows, industry.abortAtPump);
    FUZZ_CHECK(outcome == expected.outcome);
    FUZZ_CHECK(ui.pumpCount == expected.pumps);
    FUZZ_CHECK(abortRows == expectedRows);
  }

  RowFields expectedFields = fields;
  Text expectedRows = rowsText;
  const ReferenceResult expected =
      ReferenceScan(page, industry.code, expectedFields, expectedRows, 0);

  const Text rowsBefore = rowsText;
  quillivar::fuzz::PumpOnlyUi ui;
  const bool abortRequested = false;
  const ScanOutcome outcome =
      quillivar::ScanPageRows(page, industry.code, fields, rowsText, ui, abortRequested);
  FUZZ_CHECK(outcome == ScanOutcome::Finished);
  FUZZ_CHECK(ui.pumpCount == expected.pumps);
  FUZZ_CHECK(rowsText == expectedRows);
  FUZZ_CHECK(SameFields(fields, expectedFields));

  // Rows are only ever appended, each ended by CR LF.
  FUZZ_CHECK(rowsText.compare(0, rowsBefore.size(), rowsBefore) == 0);
  FUZZ_CHECK(rowsText.size() == rowsBefore.size() || rowsText.ends_with("\r\n"));
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

  RowFields fields;
  Text rowsText;
  bool everScannedRow = false;
  long long pageNumber = industry.pageNumber;
  for (const std::string_view page : pages) {
    if (!RunPage(page, pageNumber++, industry, sizes, fields, rowsText, everScannedRow)) {
      return 0;
    }
  }

  const Text finished = quillivar::FinishRowsText(rowsText);
  FUZZ_CHECK(finished == ReferenceTrim(rowsText));
  FUZZ_CHECK(rowsText.find(finished) != Text::npos);
  return 0;
}
