#include "quote/page_parser.h"

#include <algorithm>
#include <array>
#include <string>

#include "catalogue/catalogue.h"
#include "stocklist/stock_code.h"
#include "text/error.h"

namespace quillivar {
namespace {

// Every marker begins with '<' (0x3C), which is never the second byte of a
// double-byte character, so a plain byte search finds what a Shift-JIS aware
// search would.
constexpr std::string_view kCodeMarker =
    "<tdclass=\"centeryjM\"><ahref=\"/stocks/detail/?code=";
constexpr std::string_view kMarketMarker = "<tdclass=\"centeryjSt\">";
constexpr std::string_view kMarketCellEnd = "</td>";
constexpr std::string_view kNameMarker =
    "<td><strongclass=\"yjMt\"><ahref=\"/stocks/detail/?code=";
constexpr std::string_view kNameLinkEnd = "</a>";
constexpr std::string_view kNameTagEnd = "\">";
constexpr std::string_view kNextLinkStart = "<ahref=\"/stocks/qi/?ids=";
constexpr std::string_view kNextLinkPageKey = "&p=";
constexpr std::string_view kNextLinkEnd = "\">";
constexpr std::string_view kEmptyMarket = "&nbsp;";

// Where the name starts when its link's tag has no end before the link's:
// after a code and the two bytes that close the tag.
constexpr std::size_t kNameOffset = kNameMarker.size() + StockCode::kLength + kNameTagEnd.size();

static_assert(kCodeMarker.size() == 50);
static_assert(kMarketMarker.size() == 22);
static_assert(kNameOffset == 59);

constexpr std::array<bool, 256> MakeRemovedBytes() {
  std::array<bool, 256> removed{};
  removed['\r'] = removed['\n'] = removed['\t'] = removed[' '] = true;
  return removed;
}
constexpr std::array<bool, 256> kRemovedBytes = MakeRemovedBytes();

// Writes the kept bytes of `chunk` to `out`; returns the end of what it wrote.
char* CopyKeptBytes(std::string_view chunk, char* out) {
  for (const char byte : chunk) {
    *out = byte;
    out += kRemovedBytes[static_cast<unsigned char>(byte)] ? 0 : 1;
  }
  return out;
}

// The first occurrence of one marker at or after an offset that only moves
// forward. An earlier answer that still lies ahead (or "none at all") stays
// true, so a marker missing from a page is not searched for again per row.
class ForwardSearch {
 public:
  ForwardSearch(std::string_view page, std::string_view marker)
      : page_(page), marker_(marker) {}

  std::size_t From(std::size_t offset) {
    const bool answerHolds =
        searched_ && offset >= searchedFrom_ &&
        (found_ == std::string_view::npos || found_ >= offset);
    if (!answerHolds) {
      searched_ = true;
      searchedFrom_ = offset;
      found_ = page_.find(marker_, offset);
    }
    return found_;
  }

 private:
  std::string_view page_;
  std::string_view marker_;
  bool searched_ = false;
  std::size_t searchedFrom_ = 0;
  std::size_t found_ = std::string_view::npos;
};

// The name follows its link's tag, whatever the length of the link's code
// (some sources write five characters, the code and a check digit).
std::size_t NameStart(std::size_t nameMarker, ForwardSearch& tagEnd, ForwardSearch& linkEnd,
                      std::size_t pageLength) {
  const std::size_t afterMarker = nameMarker + kNameMarker.size();
  const std::size_t tag = tagEnd.From(afterMarker);
  if (tag != std::string_view::npos && tag < linkEnd.From(afterMarker)) {
    return tag + kNameTagEnd.size();
  }
  return std::min(nameMarker + kNameOffset, pageLength);
}

// The decimal form of pageNumber + 1, also for the largest page number.
std::string NextPageNumberText(long long pageNumber) {
  if (pageNumber >= 0) {
    return std::to_string(static_cast<unsigned long long>(pageNumber) + 1);
  }
  return std::to_string(pageNumber + 1);
}

}  // namespace

Text NormalisePageText(std::string_view text) {
  Text normalised;
  AppendNormalised(normalised, text);
  return normalised;
}

void AppendNormalised(Text& pageText, std::string_view chunk) {
  const std::size_t oldSize = pageText.size();
  pageText.resize(oldSize + chunk.size());
  char* const begin = pageText.data();
  char* const end = CopyKeptBytes(chunk, begin + oldSize);
  pageText.resize(static_cast<std::size_t>(end - begin));
}

bool HasNextPageLink(std::string_view pageText, std::string_view industryCode,
                     long long pageNumber) {
  std::string link(kNextLinkStart);
  link.append(industryCode)
      .append(kNextLinkPageKey)
      .append(NextPageNumberText(pageNumber))
      .append(kNextLinkEnd);
  return pageText.find(link) != std::string_view::npos;
}

void ScanPageRows(std::string_view pageText, std::string_view industryCode, StockRow& fields,
                  std::vector<StockRow>& rows, AbortPoint& abortPoint) {
  ForwardSearch codeMarker(pageText, kCodeMarker);
  ForwardSearch marketMarker(pageText, kMarketMarker);
  ForwardSearch marketCellEnd(pageText, kMarketCellEnd);
  ForwardSearch nameMarker(pageText, kNameMarker);
  ForwardSearch nameLinkEnd(pageText, kNameLinkEnd);
  ForwardSearch nameTagEnd(pageText, kNameTagEnd);
  // The start of the current text: the rest of the page not yet consumed.
  std::size_t current = 0;

  while (true) {
    if (abortPoint.PumpAndTestAbort()) throw Error::Aborted();

    const std::size_t code = codeMarker.From(current);
    if (code == std::string_view::npos) return;
    current = code + kCodeMarker.size();
    fields.code = Text(pageText.substr(current, StockCode::kLength));

    // Searched over the rest of the page: a row without a market cell takes
    // the next one. The current text is not cut at the cell's end.
    const std::size_t market = marketMarker.From(current);
    if (market != std::string_view::npos) {
      current = market + kMarketMarker.size();
      const std::size_t cellEnd = marketCellEnd.From(current);
      fields.market = cellEnd == std::string_view::npos
                          ? Text()
                          : Text(pageText.substr(current, cellEnd - current));
    }

    bool nameLinkClosed = false;
    const std::size_t name = nameMarker.From(current);
    if (name != std::string_view::npos) {
      current = NameStart(name, nameTagEnd, nameLinkEnd, pageText.size());
      const std::size_t linkEnd = nameLinkEnd.From(current);
      nameLinkClosed = linkEnd != std::string_view::npos;
      fields.name = nameLinkClosed
                        ? Text(pageText.substr(current, linkEnd - current))
                        : Text();
    }

    fields.industry = IndustryNameOfCode(industryCode);
    if (fields.market != kEmptyMarket) rows.push_back(fields);
    if (!nameLinkClosed) return;
  }
}

void FinishRows(std::vector<StockRow>& rows) {
  // Every code is followed by a ",", so only the first code can lose bytes.
  if (rows.empty()) return;
  Text& code = rows.front().code;
  const auto kept = std::find_if(code.begin(), code.end(),
                                 [](char byte) { return static_cast<unsigned char>(byte) > 0x20; });
  code.erase(code.begin(), kept);
}

}  // namespace quillivar
