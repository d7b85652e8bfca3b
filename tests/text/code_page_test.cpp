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
  EXPECT_EQ(UnitsToSjis(u"A\u3000\uFF71\u8868"), "A\x81\x40\xB1\x95\x5C");
  EXPECT_EQ(UnitsToSjis(std::u16string(1, char16_t(0xD800))), "?");  // lone surrogate
  EXPECT_EQ(UnitsToSjis(u"\uAC00"), "?");  // Hangul is not in code page 932
  EXPECT_EQ(UnitsToSjis(std::u16string(1, char16_t(0x01))), "\x01");
}

TEST(CodePageTest, MapsAsThePlatformWhereGlibcHasNothingAndKeepsItsBestFits) {
  const struct {
    char16_t unit;
    const char* bytes;
  } pinned[] = {
      // The platform's single bytes, which glibc turns into "?".
      {0x0080, "\x80"}, {0xF8F0, "\xA0"}, {0xF8F1, "\xFD"}, {0xF8F2, "\xFE"},
      {0xF8F3, "\xFF"},
      // glibc's best fits, kept.
      {0x00A5, "\x5C"}, {0x203E, "\x7E"}, {0x2014, "\x81\x5C"}, {0x2016, "\x81\x61"},
      {0x2212, "\x81\x7C"}, {0x301C, "\x81\x60"}, {0x00A2, "\x81\x91"},
      {0x00A3, "\x81\x92"}, {0x00AC, "\x81\xCA"},
  };
  for (const auto& [unit, bytes] : pinned) {
    EXPECT_EQ(UnitsToSjis(std::u16string(1, unit)), bytes) << std::hex << unsigned(unit);
  }
  // The single bytes read back as the same units; a lead byte still needs a
  // second byte.
  EXPECT_EQ(SjisToUnits("a\x80\xA0\xFD\xFE\xFF" "b"), u"a\u0080\uF8F0\uF8F1\uF8F2\uF8F3b");
  EXPECT_EQ(SjisToUnits("\x81\xFD"), u"?\uF8F1");
  EXPECT_EQ(SjisToUtf8("\xA0"), "\uF8F0");
}

TEST(CodePageTest, ShiftJisReadsBackForDisplay) {
  EXPECT_EQ(SjisToUnits(Sjis("銘柄A")), u"銘柄A");
  EXPECT_EQ(SjisToUtf8(Sjis("東証1部")), "東証1部");
  // A lead byte with nothing after it cannot be read; it shows as "?".
  EXPECT_EQ(SjisToUnits("a\x81"), u"a?");
}

TEST(CodePageTest, RoundTripsEveryDoubleByteCharacterOfTheTable) {
  // Every unit that converts to two bytes reads back to a unit that converts
  // to the same two bytes.
  int checked = 0;
  for (char32_t unit = 0x80; unit < 0x10000; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    const Text bytes = UnitsToSjis(std::u16string(1, char16_t(unit)));
    if (bytes.size() != 2) continue;
    EXPECT_EQ(UnitsToSjis(SjisToUnits(bytes)), bytes) << std::hex << unsigned(unit);
    ++checked;
  }
  EXPECT_GT(checked, 7000);
}

}  // namespace
}  // namespace quillivar
