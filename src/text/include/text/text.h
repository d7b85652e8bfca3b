// The system's text: a Shift-JIS (code page 932) byte string, and the
// operations on it. Positions count bytes. Find, Copy and Delete, the text
// operations the system's own rules are written in, use 1-based positions;
// IsSecondByteAt and LastDelimiter, helpers beside the standard library's
// own, take and give 0-based indexes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillivar {

using Text = std::string;

// Lead bytes of code page 932: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// True when the byte at the 0-based index is the second byte of a double-byte
// character: the run of lead-byte values directly before it has odd length.
bool IsSecondByteAt(std::string_view text, std::size_t index);

// 1-based position of the first occurrence of the pattern that does not begin
// on a second byte; 0 when there is none or either is empty. Both texts count
// only up to their first zero byte.
std::size_t Find(std::string_view text, std::string_view pattern);

// A start below 1 counts as 1; a start beyond the length or a negative count
// gives the empty text; a count past the end takes the rest.
Text Copy(std::string_view text, long long start, long long count);

// Nothing happens for a start outside 1..length or a count of 0 or less; a
// count past the end deletes the rest.
void Delete(Text& text, long long start, long long count);

// Replaces every occurrence found by Find, left to right; inserted text is not
// scanned again.
Text ReplaceAll(std::string_view text, std::string_view pattern,
                std::string_view replacement);

// Removes every byte of value 0x20 or below from both ends.
Text Trim(std::string_view text);

Text IntToText(long long value);

// Decimal or "$"/"x"/"X"/"0x"/"0X" hexadecimal, after leading spaces and an
// optional sign. Throws Error("'<text>' は整数ではありません") otherwise.
std::int32_t TextToInt(std::string_view text);

// 0-based index of the last byte equal to `delimiter` that is not a second
// byte, or npos.
std::size_t LastDelimiter(std::string_view text, char delimiter);

}  // namespace quillivar
