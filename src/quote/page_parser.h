// The quote site's stock-list pages: normalisation, the next-page link, the
// row scan and the rows text handed to the download run.
#pragma once

#include <string_view>

#include "text/text.h"
#include "pump/event_pump.h"

namespace quillivar {

// The fields of the row being built; kept between rows and pages of one
// industry, so a field that a row does not set keeps the previous value.
struct RowFields {
  Text code;
  Text market;
  Text name;
  Text industry;
};

// Removes every CR, LF, TAB and space.
Text NormalisePageText(std::string_view text);
// Appends `chunk` normalised: the same page text as normalising the whole.
void AppendNormalised(Text& pageText, std::string_view chunk);

// True if the page holds the link to page `pageNumber` + 1 of this industry.
bool HasNextPageLink(std::string_view pageText, std::string_view industryCode,
                     long long pageNumber);

enum class ScanOutcome { Finished, Aborted };

// Appends the page's rows ("code,market,name,industry" CR LF) to `rowsText`.
// An abort point before every row; stops at once when it sees an abort.
ScanOutcome ScanPageRows(std::string_view pageText,
                         std::string_view industryCode, RowFields& fields,
                         Text& rowsText, AbortPoint& abortPoint);

// The rows text as handed on: leading and trailing bytes 0x00-0x20 removed.
Text FinishRowsText(const Text& rowsText);

}  // namespace quillivar
