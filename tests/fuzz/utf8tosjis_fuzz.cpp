// Utf8ToSjisDropBom on any bytes: it returns the conversion of a plain
// decoder written straight from the decoding table, or throws exactly
// Error("UTF-8 Unknown code.") where that decoder meets a byte no character
// begins with.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_check.h"
#include "quote/utf8tosjis.h"
#include "text/code_page.h"
#include "text/error.h"

namespace {

using quillivar::Text;

// The units up to the first zero unit, or no value for an unknown code.
std::optional<std::u16string> ReferenceUnits(std::string_view utf8) {
  std::string work(utf8);
  work.append(4, '\0');  // a cut-off character reads these
  auto at = [&](std::size_t i) { return static_cast<unsigned>(
                                     static_cast<unsigned char>(work.at(i))); };
  std::u16string units;
  std::size_t pos = 0;
  while (true) {
    const unsigned b0 = at(pos);
    if (b0 == 0x00) break;
    if (b0 <= 0x7F) {
      units.push_back(static_cast<char16_t>(b0));
      pos += 1;
    } else if (b0 <= 0xBF) {
      return std::nullopt;
    } else if (b0 <= 0xDF) {
      units.push_back(static_cast<char16_t>(((b0 & 0x1F) << 6) + (at(pos + 1) & 0x3F)));
      pos += 2;
    } else if (b0 <= 0xEF) {
      units.push_back(static_cast<char16_t>(((b0 & 0x0F) << 12) +
                                            ((at(pos + 1) & 0x3F) << 6) +
                                            (at(pos + 2) & 0x3F)));
      pos += 3;
    } else if (b0 <= 0xF7) {
      // Outside the BMP: "?"; an overlong form: a zero unit.
      const bool overlong = ((b0 & 0x07) << 2) + ((at(pos + 1) >> 4) & 0x03) == 0;
      units.push_back(overlong ? u'\0' : u'?');
      pos += 4;
    } else {
      return std::nullopt;
    }
  }
  const std::size_t zero = units.find(u'\0');
  if (zero != std::u16string::npos) units.resize(zero);
  return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Text input(reinterpret_cast<const char*>(data), size);
  const std::string_view afterBom =
      std::string_view(input).substr(size < 3 ? size : 3);
  const std::optional<std::u16string> units = ReferenceUnits(afterBom);

  try {
    const Text output = quillivar::Utf8ToSjisDropBom(input);
    FUZZ_CHECK(units.has_value());
    FUZZ_CHECK(output == quillivar::UnitsToSjis(*units));
    FUZZ_CHECK(output.find('\0') == Text::npos);
  } catch (const quillivar::Error& error) {
    FUZZ_CHECK(error.Message() == "UTF-8 Unknown code.");
    FUZZ_CHECK(!units.has_value());
  }
  return 0;
}
