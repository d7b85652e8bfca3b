// The text operations on any bytes, each against a plain loop written from
// its rules: find is 1-based, double-byte aware and stops at the first zero
// byte; copy and delete clamp as the rules say; replace all resumes after
// each replacement; text to integer reads decimal or hexadecimal.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "text/code_page.h"
#include "text/error.h"
#include "text/text.h"

namespace {

using quillivar::Text;

bool RefIsLead(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Odd run of lead-byte values directly before the byte.
bool RefIsSecondByte(std::string_view text, std::size_t index) {
  std::size_t run = 0;
  for (std::size_t j = index; j > 0 && RefIsLead(text[j - 1]); --j) ++run;
  return run % 2 == 1;
}

std::string_view RefUpToZero(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size() && text[n] != '\0') ++n;
  return text.substr(0, n);
}

std::size_t RefFind(std::string_view text, std::string_view pattern) {
  text = RefUpToZero(text);
  pattern = RefUpToZero(pattern);
  if (text.empty() || pattern.empty()) return 0;
  for (std::size_t i = 0; i + pattern.size() <= text.size(); ++i) {
    bool match = true;
    for (std::size_t k = 0; k < pattern.size() && match; ++k) {
      match = text[i + k] == pattern[k];
    }
    if (match && !RefIsSecondByte(text, i)) return i + 1;
  }
  return 0;
}

Text RefCopy(std::string_view text, long long start, long long count) {
  if (start < 1) start = 1;
  const auto length = static_cast<long long>(text.size());
  Text out;
  if (start > length || count < 0) return out;
  for (long long i = start - 1; i < length && i - (start - 1) < count; ++i) {
    out.push_back(text[static_cast<std::size_t>(i)]);
  }
  return out;
}

Text RefDelete(std::string_view text, long long start, long long count) {
  const auto length = static_cast<long long>(text.size());
  if (start < 1 || start > length || count <= 0) return Text(text);
  Text out;
  for (long long i = 0; i < length; ++i) {
    const bool deleted = i >= start - 1 && i - (start - 1) < count;
    if (!deleted) out.push_back(text[static_cast<std::size_t>(i)]);
  }
  return out;
}

Text RefReplaceAll(std::string_view text, std::string_view pattern,
                   std::string_view replacement) {
  const std::size_t patternLength = RefUpToZero(pattern).size();
  Text out;
  std::string_view rest = text;
  for (std::size_t at = RefFind(rest, pattern); at != 0; at = RefFind(rest, pattern)) {
    out.append(rest.substr(0, at - 1));
    out.append(replacement);
    rest = rest.substr(at - 1 + patternLength);
  }
  out.append(rest);
  return out;
}

Text RefTrim(std::string_view text) {
  std::size_t first = 0;
  std::size_t end = text.size();
  while (first < end && static_cast<unsigned char>(text[first]) <= 0x20) ++first;
  while (end > first && static_cast<unsigned char>(text[end - 1]) <= 0x20) --end;
  return Text(text.substr(first, end - first));
}

std::size_t RefLastDelimiter(std::string_view text, char delimiter) {
  for (std::size_t i = text.size(); i > 0; --i) {
    if (text[i - 1] == delimiter && !RefIsSecondByte(text, i - 1)) return i - 1;
  }
  return std::string_view::npos;
}

int RefHexDigit(char c) {
  const std::string_view digits = "0123456789abcdef";
  const std::string_view upper = "0123456789ABCDEF";
  for (int d = 0; d < 16; ++d) {
    if (c == digits[static_cast<std::size_t>(d)] || c == upper[static_cast<std::size_t>(d)]) {
      return d;
    }
  }
  return -1;
}

std::optional<std::int32_t> RefTextToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    i += 1;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  const std::string_view digits = text.substr(i);
  if (digits.empty()) return std::nullopt;
  if (hex) {
    if (digits.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : digits) {
      if (RefHexDigit(c) < 0) return std::nullopt;
      value = value * 16 + static_cast<std::uint32_t>(RefHexDigit(c));
    }
    if (negative) value = ~value + 1;
    return static_cast<std::int32_t>(value);
  }
  unsigned long long value = 0;  // held at 2^40 once past any 32-bit value
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned long long>(c - '0');
    if (value > (1ULL << 40)) value = 1ULL << 40;
  }
  if (negative) {
    if (value > 2147483648ULL) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<long long>(value));
  }
  if (value > 2147483647ULL) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

long long ConsumeStartOrCount(FuzzedDataProvider& provider, std::size_t length) {
  switch (provider.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: {
      const auto limit = static_cast<long long>(length) + 3;
      return provider.ConsumeIntegralInRange<long long>(-3, limit);
    }
    case 1: return LLONG_MAX;
    case 2: return LLONG_MIN;
    default: return provider.ConsumeIntegral<long long>();
  }
}

void CheckTextToInt(const Text& text) {
  static const Text kNotAnInteger = quillivar::Sjis("' は整数ではありません");
  const std::optional<std::int32_t> expected = RefTextToInt(text);
  try {
    const std::int32_t value = quillivar::TextToInt(text);
    FUZZ_CHECK(expected.has_value());
    FUZZ_CHECK(value == *expected);
  } catch (const quillivar::Error& error) {
    FUZZ_CHECK(!expected.has_value());
    FUZZ_CHECK(error.Message() == "'" + text + kNotAnInteger);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const Text text = provider.ConsumeRandomLengthString(512);
  const Text pattern = provider.ConsumeRandomLengthString(16);
  const Text replacement = provider.ConsumeRandomLengthString(16);
  const long long start = ConsumeStartOrCount(provider, text.size());
  const long long count = ConsumeStartOrCount(provider, text.size());
  const auto number = provider.ConsumeIntegral<std::int32_t>();
  const char delimiter = pattern.empty() ? '/' : pattern[0];

  FUZZ_CHECK(quillivar::Find(text, pattern) == RefFind(text, pattern));
  FUZZ_CHECK(quillivar::ReplaceAll(text, pattern, replacement) ==
             RefReplaceAll(text, pattern, replacement));
  FUZZ_CHECK(quillivar::Copy(text, start, count) == RefCopy(text, start, count));
  Text deleted = text;
  quillivar::Delete(deleted, start, count);
  FUZZ_CHECK(deleted == RefDelete(text, start, count));
  FUZZ_CHECK(quillivar::Trim(text) == RefTrim(text));
  FUZZ_CHECK(quillivar::LastDelimiter(text, delimiter) == RefLastDelimiter(text, delimiter));
  for (std::size_t i = 0; i < text.size(); ++i) {
    FUZZ_CHECK(quillivar::IsSecondByteAt(text, i) == RefIsSecondByte(text, i));
  }

  CheckTextToInt(text);
  char decimal[16];
  std::snprintf(decimal, sizeof decimal, "%d", static_cast<int>(number));
  FUZZ_CHECK(quillivar::IntToText(number) == decimal);
  FUZZ_CHECK(quillivar::TextToInt(quillivar::IntToText(number)) == number);
  return 0;
}
