// The page rules written out step by step, for the fuzz targets to hold the
// parser and the page fetch against: normalisation, trimming, the catalogue
// name of a code and the row scan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "fuzz_check.h"
#include "quote/page_parser.h"
#include "text/error.h"
#include "text/text.h"

namespace quillivar::fuzz {

// How a scan ended, for comparing with the reference's.
enum class ScanOutcome { Finished, Aborted };

inline ScanOutcome ScanRows(std::string_view page, std::string_view industryCode,
                            StockRow& fields, std::vector<StockRow>& rows, AbortPoint& abortPoint) {
  try {
    ScanPageRows(page, industryCode, fields, rows, abortPoint);
  } catch (const Error& error) {
    if (!error.IsAborted()) throw;
    return ScanOutcome::Aborted;
  }
  return ScanOutcome::Finished;
}

inline constexpr std::string_view kCodeMarker =
    "<tdclass=\"centeryjM\"><ahref=\"/stocks/detail/?code=";
inline constexpr std::string_view kMarketMarker = "<tdclass=\"centeryjSt\">";
inline constexpr std::string_view kMarketCellEnd = "</td>";
inline constexpr std::string_view kNameMarker =
    "<td><strongclass=\"yjMt\"><ahref=\"/stocks/detail/?code=";
inline constexpr std::string_view kNameLinkEnd = "</a>";
inline constexpr std::string_view kMarkers[] = {kCodeMarker, kMarketMarker, kMarketCellEnd,
                                                kNameMarker, kNameLinkEnd};

// Aborts at the n-th pump (never for 0), as the abort button would.
class AbortingPump : public CountingPump {
 public:
  AbortingPump(long long abortAtPump, bool& abortRequested)
      : abortAtPump_(abortAtPump), abortRequested_(abortRequested) {}
  void PumpEvents() override {
    CountingPump::PumpEvents();
    if (pumpCount == abortAtPump_) abortRequested_ = true;
  }

 private:
  long long abortAtPump_;
  bool& abortRequested_;
};

inline bool IsRemovedByte(char byte) {
  return byte == '\r' || byte == '\n' || byte == '\t' || byte == ' ';
}

inline Text ReferenceNormalise(std::string_view text) {
  Text out;
  for (const char byte : text) {
    if (!IsRemovedByte(byte)) out.push_back(byte);
  }
  return out;
}

inline Text ReferenceTrim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.remove_suffix(1);
  return Text(text);
}

inline Text ReferenceIndustryName(std::string_view code) {
  for (const auto& industry : IndustryCatalogue()) {
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
// `rows`, when given, gets each row too.
inline ReferenceResult ReferenceScan(std::string_view current, std::string_view industryCode,
                                     StockRow& fields, Text& rowsText, long long abortAtPump,
                                     std::vector<StockRow>* rows = nullptr) {
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
      // After the tag's '"' '>' where it ends before the link; else the
      // marker, a four-byte code and those two bytes.
      const std::size_t tag = current.find("\">", at + kNameMarker.size());
      const std::size_t start =
          tag < current.find(kNameLinkEnd, at + kNameMarker.size()) ? tag + 2 : at + 59;
      current.remove_prefix(start <= current.size() ? start : current.size());
      const std::size_t end = current.find(kNameLinkEnd);
      nameClosed = end != std::string_view::npos;
      fields.name = nameClosed ? Text(current.substr(0, end)) : Text();
    }

    fields.industry = ReferenceIndustryName(industryCode);
    if (fields.market != "&nbsp;") {
      rowsText += fields.code + "," + fields.market + "," + fields.name + "," +
                  fields.industry + "\r\n";
      if (rows) rows->push_back(fields);
    }
    if (!nameClosed) return {ScanOutcome::Finished, pumps};
  }
}

// The parser's rows as the rows text the reference builds: lines joined by
// CR LF, each ended when `ended`.
inline Text JoinedRows(const std::vector<StockRow>& rows, bool ended) {
  Text text;
  for (const StockRow& row : rows) {
    if (!text.empty() && !ended) text += "\r\n";
    text += row.code + "," + row.market + "," + row.name + "," + row.industry;
    if (ended) text += "\r\n";
  }
  return text;
}

inline bool SameFields(const StockRow& a, const StockRow& b) {
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

}  // namespace quillivar::fuzz
