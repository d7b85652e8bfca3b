// Shift-JIS, the system's code page 932, to and from 16-bit units and UTF-8:
// glibc's iconv ("CP932") and its best-fit mappings, plus the five single
// bytes the platform's table adds (U+0080 0x80, U+F8F0 0xA0, U+F8F1 0xFD,
// U+F8F2 0xFE, U+F8F3 0xFF). "Sjis" names it throughout.
#pragma once

#include <string>
#include <string_view>

#include "text/text.h"

namespace quillivar {

// Each unit becomes its code page 932 bytes; a unit the code page cannot
// represent (a lone surrogate included) becomes "?". A zero unit becomes a
// zero byte; callers stop before it.
Text UnitsToSjis(std::u16string_view units);

// Converts units one at a time, exactly as UnitsToSjis does, for a decoder
// that makes its units as it goes and so needs no store for them.
class SjisWriter {
 public:
  explicit SjisWriter(Text& out) : out_(out) {}
  void Put(char16_t unit) {
    if (unit < 0x80) {
      out_.push_back(static_cast<char>(unit));
    } else {
      PutFromTable(unit);
    }
  }
  // Units 0x01-0x7F, one per byte: code page 932 keeps them as they are.
  void PutAscii(std::string_view ascii) { out_.append(ascii); }

 private:
  void PutFromTable(char16_t unit);
  Text& out_;
};

// For display: the units of a Shift-JIS text. A byte sequence that is not
// code page 932 becomes "?" for each byte that cannot start a character.
std::u16string SjisToUnits(std::string_view text);

// A literal of the UTF-8 sources as the system's Shift-JIS bytes. Every
// character must be in the code page 932 repertoire; a literal that is not is
// a programming error and throws std::logic_error.
Text Sjis(std::string_view utf8);

// A UTF-8 text from outside the system's own texts (what a library's
// exception says) as Shift-JIS: each byte where the conversion stops
// becomes "?".
Text LenientSjis(std::string_view utf8);

// For terminals, tests and diagnostics: Shift-JIS bytes as UTF-8.
std::string SjisToUtf8(std::string_view text);

}  // namespace quillivar
