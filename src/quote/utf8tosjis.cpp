#include "quote/utf8tosjis.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "text/code_page.h"
#include "text/error.h"

namespace quillivar {
namespace {

// A lead byte reads at most three bytes after itself; these zero bytes stand
// in for them when a character is cut off at the end of the text.
constexpr std::size_t kGuardBytes = 4;

const Text& UnknownCodeMessage() {
  static const Text kMessage = "UTF-8 Unknown code.";
  return kMessage;
}

// True when all eight bytes are 0x01-0x7F: no high bit and no zero byte.
bool IsPlainAsciiWord(std::uint64_t word) {
  constexpr std::uint64_t kLow = 0x0101010101010101ULL;
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  const bool hasHighBit = (word & kHigh) != 0;
  const bool hasZeroByte = ((word - kLow) & ~word & kHigh) != 0;
  return !hasHighBit && !hasZeroByte;
}

// Decodes the working copy (`length` text bytes followed by the guard) and
// hands each unit to `put`, the ASCII runs of eight to `putAscii`.
template <typename Put, typename PutAscii>
void DecodeUnits(const unsigned char* in, std::size_t length, Put put, PutAscii putAscii) {
  std::size_t pos = 0;
  while (true) {
    // Pages are mostly markup: take eight ASCII bytes at a time while we can.
    while (pos + 8 <= length) {
      std::uint64_t word;
      std::memcpy(&word, in + pos, sizeof word);
      if (!IsPlainAsciiWord(word)) break;
      putAscii(std::string_view(reinterpret_cast<const char*>(in + pos), 8));
      pos += 8;
    }
    const unsigned b0 = in[pos];
    if (b0 == 0x00) return;
    if (b0 <= 0x7F) {
      put(b0);
      pos += 1;
    } else if (b0 <= 0xBF || b0 >= 0xF8) {
      throw Error(UnknownCodeMessage());
    } else if (b0 <= 0xDF) {
      put(((b0 & 0x1F) << 6) + (in[pos + 1] & 0x3F));
      pos += 2;
    } else if (b0 <= 0xEF) {
      put(((b0 & 0x0F) << 12) + ((in[pos + 1] & 0x3F) << 6) +
          (in[pos + 2] & 0x3F));
      pos += 3;
    } else {
      // Bits 16-20 of the code point: zero for an overlong form, which ends
      // the text as a zero unit does. Any other code point lies outside the
      // 16-bit units, so code page 932 has no character for it.
      const unsigned plane = ((b0 & 0x07) << 2) + ((in[pos + 1] >> 4) & 0x03);
      put(plane == 0 ? 0u : unsigned{'?'});
      pos += 4;
    }
  }
}

}  // namespace

// The units are converted as they are decoded rather than kept in a store:
// a store of four bytes per text byte, allocated per page, cost more in
// fresh memory pages than the whole conversion.
Text Utf8ToSjis(Text text) {
  const std::size_t length = text.size();
  text.append(kGuardBytes, '\0');
  Text out;
  out.reserve(length);
  SjisWriter writer(out);
  // A zero unit ends the output; the scan goes on, and may still fail.
  bool ended = false;
  DecodeUnits(
      reinterpret_cast<const unsigned char*>(text.data()), length,
      [&](unsigned value) {
        const char16_t unit = static_cast<char16_t>(value);
        if (unit == 0) ended = true;
        if (!ended) writer.Put(unit);
      },
      [&](std::string_view ascii) {
        if (!ended) writer.PutAscii(ascii);
      });
  return out;
}

Text Utf8ToSjisDropBom(Text text) {
  constexpr std::size_t kBomLength = 3;
  text.erase(0, kBomLength);
  return Utf8ToSjis(std::move(text));
}

}  // namespace quillivar
