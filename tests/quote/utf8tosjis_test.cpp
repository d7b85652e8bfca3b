#include "quote/utf8tosjis.h"

#include <gtest/gtest.h>

#include <string>

#include "text/code_page.h"
#include "text/error.h"

namespace quillivar {
namespace {

// The message of the error Utf8ToSjis raises, or "" if it raises none.
std::string ErrorOf(const Text& text) {
  try {
    Utf8ToSjis(text);
  } catch (const Error& error) {
    return error.Message();
  }
  return "";
}

std::string Utf8Of(char32_t codePoint) {
  std::string out;
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
  return out;
}

Text Unit(char16_t unit) { return UnitsToSjis(std::u16string(1, unit)); }

TEST(Utf8ToSjisTest, BytesThatCannotBeginACharacterFail) {
  for (const char* text : {"\x80", "\xBF" "abc", "abc\x9F" "def", "\xF8",
                           "ab\xFF", "abcdefg\x80hijklmnop", "\xE3\x81\x82\x81"}) {
    EXPECT_EQ(ErrorOf(text), "UTF-8 Unknown code.") << ::testing::PrintToString(text);
  }
  // The lead byte takes "A" as its second byte; the scan then lands on 0x80.
  EXPECT_EQ(ErrorOf("\xC3" "A\x80"), "UTF-8 Unknown code.");
  // A decoded zero unit ends the output but not the scan.
  EXPECT_EQ(ErrorOf("ab\xC0\x80\xBF"), "UTF-8 Unknown code.");
  // A zero byte ends the scan before the bad byte is reached.
  EXPECT_EQ(Utf8ToSjis(Text("ab\0\x80", 4)), "ab");
}

TEST(Utf8ToSjisTest, AsciiAndEmptyPassThrough) {
  EXPECT_EQ(Utf8ToSjis(""), "");
  std::string ascii;
  for (int i = 0; i < 1000; ++i) ascii += static_cast<char>(1 + i % 127);
  EXPECT_EQ(Utf8ToSjis(ascii), ascii);
}

TEST(Utf8ToSjisTest, JapaneseBecomesShiftJis) {
  EXPECT_EQ(Utf8ToSjis("東証1部 見本水産"), Sjis("東証1部 見本水産"));
  EXPECT_EQ(Utf8ToSjis("\xEF\xBD\xA1\xEF\xBD\xB1\xEF\xBE\x9F"), "\xA1\xB1\xDF");  // ｡ｱﾟ
  // Characters at every place relative to the runs of plain ASCII.
  for (int before = 0; before < 18; ++before) {
    for (int after = 0; after < 10; ++after) {
      const std::string a(before, 'a');
      const std::string z(after, 'z');
      ASSERT_EQ(Utf8ToSjis(a + "銘柄" + z + "ｱ"), a + Sjis("銘柄") + z + "\xB1")
          << before << " " << after;
    }
  }
}

TEST(Utf8ToSjisTest, EveryBmpCharacterConvertsLikeItsUnit) {
  std::string utf8;
  std::u16string units;
  for (char32_t cp = 1; cp < 0x10000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    utf8 += Utf8Of(cp);
    units += static_cast<char16_t>(cp);
  }
  EXPECT_EQ(Utf8ToSjis(utf8), UnitsToSjis(units));
}

TEST(Utf8ToSjisTest, CutOffCharactersReadZeroGuardBytes) {
  EXPECT_EQ(Utf8ToSjis("a\xE3"), "a\x81\x40");  // unit 0x3000, ideographic space
  EXPECT_EQ(Utf8ToSjis("a\xC3"), "a" + Unit(0x00C0));
  EXPECT_EQ(Utf8ToSjis("a\xE3\x81"), "a" + Unit(0x3040));
  // A lone four-byte lead makes a zero first unit, which ends the output.
  EXPECT_EQ(Utf8ToSjis("ab\xF0"), "ab");
}

TEST(Utf8ToSjisTest, FollowingBytesAreTakenWhateverTheyAre) {
  // 0xE3 with "AB": 0x3000 + (0x01 << 6) + 0x02 = U+3042, hiragana A.
  EXPECT_EQ(Utf8ToSjis("\xE3" "ABC"), "\x82\xA0" "C");
  // The overlong C0 80 is a zero unit: nothing after it reaches the output.
  EXPECT_EQ(Utf8ToSjis("ab\xC0\x80" "cd東"), "ab");
  // Overlong forms give the value their bits make.
  EXPECT_EQ(Utf8ToSjis("\xC1\x81"), "A");
  // Only bits 4-5 of the second byte join bits 16-20: (1 << 2) + 1, not zero.
  EXPECT_EQ(Utf8ToSjis("\xF1\xD0\x81\x81"), "?");
}

// Code page 932 holds nothing outside the BMP: one "?", never a control byte.
TEST(Utf8ToSjisTest, FourByteSequencesGiveOneDefaultCharacter) {
  EXPECT_EQ(Utf8ToSjis("x\xF0\x9F\x98\x80y"), "x?y");         // U+1F600
  EXPECT_EQ(Utf8ToSjis(Utf8Of(0x20BB7) + "川"), "?" + Sjis("川"));  // low bits U+0BB7
  EXPECT_EQ(Utf8ToSjis(Utf8Of(0x24E00)), "?");  // low bits U+4E00, which 932 has
  EXPECT_EQ(Utf8ToSjis(Utf8Of(0x10000) + Utf8Of(0x10FFFF)), "??");
  EXPECT_EQ(Utf8ToSjis("\xF7\xBF\xBF\xBF"), "?");  // beyond U+10FFFF
  // An overlong four-byte form of a BMP code point has a zero first unit.
  EXPECT_EQ(Utf8ToSjis("ab\xF0\x8F\xBF\xBF" "cd"), "ab");
}

TEST(Utf8ToSjisTest, DropBomDropsThreeBytesWhateverTheyAre) {
  for (const char* shortText : {"", "\xEF", "\xEF\xBB", "\xEF\xBB\xBF", "abc"}) {
    EXPECT_EQ(Utf8ToSjisDropBom(shortText), "");
  }
  EXPECT_EQ(Utf8ToSjisDropBom("\xEF\xBB\xBF東"), Sjis("東"));
  EXPECT_EQ(Utf8ToSjisDropBom("abcdef"), "def");
  EXPECT_EQ(Utf8ToSjisDropBom("\x80\x80\x80ok"), "ok");
  EXPECT_THROW(Utf8ToSjisDropBom("\xEF\xBB\xBF\x80"), Error);
}

}  // namespace
}  // namespace quillivar
