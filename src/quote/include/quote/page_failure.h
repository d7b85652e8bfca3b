// What the user reads when a list page cannot be had, and when it is tried
// again. Shift-JIS, like every text of the program.
#pragma once

#include <cstddef>
#include <string_view>

#include "quote/internet.h"
#include "text/text.h"

namespace quillivar {

// The cause alone, the site named by the host (HOST[:PORT]) as asked, e.g.
// "相場サイト quotes.example.jp に接続できません".
Text TransferFailureText(const TransferFailure& failure, std::string_view host);

// The error that ends the run: the industry by its name, the page, the cause.
Text PageFailedMessage(const Text& industryCode, long long pageNumber, const Text& cause);

// The causes of a page that came whole but is no page of a list that ends.
Text RepeatedPageCause(std::string_view host);  // rows, none new, and a link on
Text RunRowsCause(std::size_t rowsBound);       // more rows than a run may take

// The error when an industry links on past its last allowed page.
Text PagesBoundMessage(const Text& industryCode, long long pagesBound);

// The status line while the fetch waits to try the page again after
// `cause`: retry `retry` of `retries`.
Text PageRetryStatus(const Text& industryCode, long long pageNumber, const Text& cause,
                     int retry, int retries);

}  // namespace quillivar
