// Unit Utf8tosjis: the quote site's UTF-8 pages as the system's Shift-JIS.
#pragma once

#include "text/text.h"

namespace quillivar {

// Decodes by the system's own table into 16-bit units (following bytes are
// not examined; the scan ends at the first zero byte) and converts the units
// up to the first zero unit into code page 932. A four-byte sequence gives
// "?", as every character code page 932 cannot hold does, or, overlong, a
// zero unit. Throws Error("UTF-8 Unknown code.")
// for a byte 0x80-0xBF or 0xF8-0xFF where a character begins.
Text Utf8ToSjis(Text text);

// Drops the first three bytes, whatever they are, then Utf8ToSjis.
Text Utf8ToSjisDropBom(Text text);

}  // namespace quillivar
