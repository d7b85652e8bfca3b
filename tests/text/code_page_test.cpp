#include "text/code_page.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace quillivar {
namespace {

TEST(CodePageTest, LiteralsBecomeTheirShiftJisBytes) {
  EXPECT_EQ(Sjis("・"), "\x81\x45");
  EXPECT_EQ(Sjis("１"), "\x82\x50");
  EXPECT_EQ(Sjis("表"), "\x95\x5C");
  EXPECT_EQ(Sjis("ｱ"), "\xB1");
  EXPECT_EQ(Sjis("abc"), "abc");
  EXPECT_THROW(Sjis("\xF0\x9F\x98\x80"), std::logic_error);  // an emoji
}

TEST(CodePageTest, UnitsConvertAndUnmappableUnitsBecomeQuestionMarks) {
  EXPECT_EQ(UnitsToCp932(u"A\u3000\uFF71\u8868"), "A\x81\x40\xB1\x95\x5C");
  EXPECT_EQ(UnitsToCp932(std::u16string(1, char16_t(0xD800))), "?");  // lone surrogate
  EXPECT_EQ(UnitsToCp932(u"\uAC00"), "?");  // Hangul is not in code page 932
  EXPECT_EQ(UnitsToCp932(std::u16string(1, char16_t(0x01))), "\x01");
}

TEST(CodePageTest, ShiftJisReadsBackForDisplay) {
  EXPECT_EQ(Cp932ToUnits(Sjis("銘柄A")), u"銘柄A");
  EXPECT_EQ(Cp932ToUtf8(Sjis("東証1部")), "東証1部");
  // A lead byte with nothing after it cannot be read; it shows as "?".
  EXPECT_EQ(Cp932ToUnits("a\x81"), u"a?");
}

TEST(CodePageTest, RoundTripsEveryDoubleByteCharacterOfTheTable) {
  // Every unit that converts to two bytes reads back to a unit that converts
  // to the same two bytes.
  int checked = 0;
  for (char32_t unit = 0x80; unit < 0x10000; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    const Text bytes = UnitsToCp932(std::u16string(1, char16_t(unit)));
    if (bytes.size() != 2) continue;
    EXPECT_EQ(UnitsToCp932(Cp932ToUnits(bytes)), bytes) << std::hex << unsigned(unit);
    ++checked;
  }
  EXPECT_GT(checked, 7000);
}

}  // namespace
}  // namespace quillivar
