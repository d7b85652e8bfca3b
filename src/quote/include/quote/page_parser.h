// The quote site's stock-list pages: normalisation, the next-page link, the
// row scan and the rows handed to the download run.
#pragma once

#include <string_view>
#include <vector>

#include "pump/event_pump.h"
#include "stocklist/stock_row.h"
#include "text/text.h"

namespace quillivar {

// Removes every CR, LF, TAB and space.
Text NormalisePageText(std::string_view text);
// Appends `chunk` normalised: the same page text as normalising the whole.
void AppendNormalised(Text& pageText, std::string_view chunk);

// True if the page holds the link to page `pageNumber` + 1 of this industry.
bool HasNextPageLink(std::string_view pageText, std::string_view industryCode,
                     long long pageNumber);

// Appends the page's rows to `rows`. An abort point before every row; throws
// Error::Aborted() at once when it sees an abort.
void ScanPageRows(std::string_view pageText, std::string_view industryCode,
                  StockRow& fields, std::vector<StockRow>& rows, AbortPoint& abortPoint);

// The rows as handed on: bytes 0x00-0x20 before the first code removed, as
// trimming the industry's rows joined in one text would.
void FinishRows(std::vector<StockRow>& rows);

}  // namespace quillivar
