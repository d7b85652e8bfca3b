#include "text/text.h"

#include <cstring>
#include <limits>

#include "text/code_page.h"
#include "text/error.h"

namespace quillivar {
namespace {

std::string_view UpToFirstZero(std::string_view text) {
  const std::size_t zero = text.find('\0');
  return zero == std::string_view::npos ? text : text.substr(0, zero);
}

[[noreturn]] void ThrowNotAnInteger(std::string_view text) {
  static const Text kSuffix = Sjis("' は整数ではありません");
  Text message = "'";
  message.append(text);
  message += kSuffix;
  throw Error(std::move(message));
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool IsSecondByteAt(std::string_view text, std::size_t index) {
  std::size_t run = 0;
  while (run < index &&
         IsLeadByte(static_cast<unsigned char>(text[index - run - 1]))) {
    ++run;
  }
  return run % 2 == 1;
}

std::size_t Find(std::string_view text, std::string_view pattern) {
  text = UpToFirstZero(text);
  pattern = UpToFirstZero(pattern);
  if (text.empty() || pattern.empty()) return 0;
  std::size_t from = 0;
  while (true) {
    const std::size_t at = text.find(pattern, from);
    if (at == std::string_view::npos) return 0;
    if (!IsSecondByteAt(text, at)) return at + 1;
    from = at + 1;
  }
}

Text Copy(std::string_view text, long long start, long long count) {
  if (start < 1) start = 1;
  const auto length = static_cast<long long>(text.size());
  if (start > length || count < 0) return {};
  const long long available = length - start + 1;
  const long long taken = count < available ? count : available;
  return Text(text.substr(static_cast<std::size_t>(start - 1),
                          static_cast<std::size_t>(taken)));
}

void Delete(Text& text, long long start, long long count) {
  const auto length = static_cast<long long>(text.size());
  if (start < 1 || start > length || count <= 0) return;
  text.erase(static_cast<std::size_t>(start - 1),
             static_cast<std::size_t>(count));  // erase clamps to the end
}

Text ReplaceAll(std::string_view text, std::string_view pattern,
                std::string_view replacement) {
  Text result;
  std::string_view rest = text;
  while (true) {
    const std::size_t at = Find(rest, pattern);
    if (at == 0) break;
    result.append(rest.substr(0, at - 1));
    result.append(replacement);
    rest.remove_prefix(at - 1 + UpToFirstZero(pattern).size());
  }
  result.append(rest);
  return result;
}

Text Trim(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= 0x20) {
    ++first;
  }
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= 0x20) {
    --last;
  }
  return Text(text.substr(first, last - first));
}

Text IntToText(long long value) { return std::to_string(value); }

std::int32_t TextToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' &&
             (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) ThrowNotAnInteger(text);

  if (hex) {
    if (text.size() - i > 8) ThrowNotAnInteger(text);
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
      const int digit = HexDigitValue(text[i]);
      if (digit < 0) ThrowNotAnInteger(text);
      value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
  }

  // The magnitude of a negative number may be one more than the maximum.
  const long long limit = negative
      ? -static_cast<long long>(std::numeric_limits<std::int32_t>::min())
      : std::numeric_limits<std::int32_t>::max();
  long long magnitude = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') ThrowNotAnInteger(text);
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) ThrowNotAnInteger(text);
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::size_t LastDelimiter(std::string_view text, char delimiter) {
  std::size_t at = text.size();
  while (at > 0) {
    at = text.rfind(delimiter, at - 1);
    if (at == std::string_view::npos) return at;
    if (!IsSecondByteAt(text, at)) return at;
  }
  return std::string_view::npos;
}

}  // namespace quillivar
