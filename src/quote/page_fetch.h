// FetchIndustryRows: every list page of one industry, as one rows text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "quote/internet.h"
#include "text/text.h"
#include "ui/ui_services.h"

namespace quillivar {

// A page whose body reaches this size is cut there, like a read that fails
// part-way, so that a body without end cannot exhaust memory.
constexpr std::size_t kMaxPageBytes = 32u * 1024u * 1024u;

struct QuoteClient {
  Internet& internet;
  AbortPoint& abortPoint;
  std::string host;  // "host" or "host:port"
};

// The host compiled into the program (QUILLIVAR_QUOTE_HOST).
std::string CompiledQuoteHost();

// The finished rows text of all pages; no value when an abort was requested
// while it ran. Lets Error("UTF-8 Unknown code.") pass.
std::optional<Text> FetchIndustryRows(const QuoteClient& client,
                                      const Text& industryCode);

}  // namespace quillivar
