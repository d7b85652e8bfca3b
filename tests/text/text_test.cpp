#include "text/text.h"

#include <gtest/gtest.h>

#include "text/code_page.h"
#include "text/error.h"

namespace quillivar {
namespace {

// "表" is 95 5C in code page 932: its second byte is "\".
const Text kHyou = "\x95\x5C";

TEST(FindTest, IsOneBasedAndZeroWhenAbsentOrEmpty) {
  EXPECT_EQ(Find("abcabc", "bc"), 2u);
  EXPECT_EQ(Find("abc", "x"), 0u);
  EXPECT_EQ(Find("", "a"), 0u);
  EXPECT_EQ(Find("abc", ""), 0u);
}

TEST(FindTest, NeverMatchesOnTheSecondByteOfADoubleByteCharacter) {
  EXPECT_EQ(Find(kHyou, "\\"), 0u);
  EXPECT_EQ(Find(kHyou + "\\", "\\"), 3u);
  // Two lead bytes before the "\" pair up: it is a character of its own.
  EXPECT_EQ(Find("\x81\x81\\", "\\"), 3u);
  // Three lead bytes: the last pairs with the "\".
  EXPECT_EQ(Find("\x81\x81\x81\\", "\\"), 0u);
  // A later occurrence is still found after a rejected one.
  EXPECT_EQ(Find(kHyou + "a\\", "\\"), 4u);
}

TEST(FindTest, StopsAtTheFirstZeroByte) {
  const Text text("ab\0cd", 5);
  EXPECT_EQ(Find(text, "cd"), 0u);
  EXPECT_EQ(Find(text, "b"), 2u);
}

TEST(CopyTest, ClampsAtItsBounds) {
  EXPECT_EQ(Copy("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Copy("abcdef", 0, 2), "ab");     // start below 1 counts as 1
  EXPECT_EQ(Copy("abcdef", -5, 2), "ab");
  EXPECT_EQ(Copy("abcdef", 7, 1), "");       // beyond the length
  EXPECT_EQ(Copy("abcdef", 6, 1), "f");
  EXPECT_EQ(Copy("abcdef", 2, -1), "");      // negative count
  EXPECT_EQ(Copy("abcdef", 4, 100), "def");  // past the end takes the rest
  EXPECT_EQ(Copy("abcdef", 1, 0), "");
}

TEST(DeleteTest, IgnoresOutOfRangeAndDeletesUpToTheEnd) {
  Text text = "abcdef";
  Delete(text, 0, 2);
  EXPECT_EQ(text, "abcdef");
  Delete(text, 7, 1);
  EXPECT_EQ(text, "abcdef");
  Delete(text, 2, 0);
  EXPECT_EQ(text, "abcdef");
  Delete(text, 2, -3);
  EXPECT_EQ(text, "abcdef");
  Delete(text, 2, 2);
  EXPECT_EQ(text, "adef");
  Delete(text, 3, 100);
  EXPECT_EQ(text, "ad");
  Delete(text, 2, 1);
  EXPECT_EQ(text, "a");
}

TEST(ReplaceAllTest, ReplacesLeftToRightWithoutRescanning) {
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(ReplaceAll("abab", "ab", "b"), "bb");
  EXPECT_EQ(ReplaceAll("aXa", "x", "y"), "aXa");  // case counts
  EXPECT_EQ(ReplaceAll("abc", "", "y"), "abc");
  EXPECT_EQ(ReplaceAll(kHyou + "\\", "\\", "/"), kHyou + "/");
}

TEST(TrimTest, RemovesControlBytesAndSpacesAtBothEnds) {
  EXPECT_EQ(Trim("\r\n\t a b \x01\x1f"), "a b");
  EXPECT_EQ(Trim(" \r\n"), "");
  EXPECT_EQ(Trim(Text("\0x\0", 3)), "x");
  EXPECT_EQ(Trim(Sjis("　全角　")), Sjis("　全角　"));  // 81 40 stays
}

TEST(IntToTextTest, WritesPlainDecimal) {
  EXPECT_EQ(IntToText(0), "0");
  EXPECT_EQ(IntToText(42), "42");
  EXPECT_EQ(IntToText(-2147483648LL), "-2147483648");
}

TEST(TextToIntTest, AcceptsDecimalWithSpacesAndSign) {
  EXPECT_EQ(TextToInt("1301"), 1301);
  EXPECT_EQ(TextToInt("0050"), 50);
  EXPECT_EQ(TextToInt("   7"), 7);
  EXPECT_EQ(TextToInt("+12"), 12);
  EXPECT_EQ(TextToInt("-12"), -12);
  EXPECT_EQ(TextToInt("2147483647"), 2147483647);
  EXPECT_EQ(TextToInt("-2147483648"), INT32_MIN);
}

TEST(TextToIntTest, AcceptsEveryHexadecimalPrefix) {
  EXPECT_EQ(TextToInt("$1F"), 31);
  EXPECT_EQ(TextToInt("x1f"), 31);
  EXPECT_EQ(TextToInt("X10"), 16);
  EXPECT_EQ(TextToInt("0x10"), 16);
  EXPECT_EQ(TextToInt("0XfF"), 255);
  EXPECT_EQ(TextToInt("-$10"), -16);
  EXPECT_EQ(TextToInt("$FFFFFFFF"), -1);  // top bit set reads as negative
  EXPECT_EQ(TextToInt("$80000000"), INT32_MIN);
}

TEST(TextToIntTest, RejectsEverythingElseWithTheMessage) {
  const auto messageOf = [](const Text& text) {
    try {
      TextToInt(text);
    } catch (const Error& error) {
      return error.Message();
    }
    return Text("no error");
  };
  EXPECT_EQ(messageOf("12a4"), Sjis("'12a4' は整数ではありません"));
  for (const Text bad : {"", " ", "-", "+", "$", "0x", "1 ", "1.5", "12-",
                         "2147483648", "-2147483649", "$123456789", "$G",
                         "--1", "\t1"}) {
    EXPECT_EQ(messageOf(bad), "'" + bad + Sjis("' は整数ではありません"))
        << "for '" << bad << "'";
  }
  EXPECT_EQ(messageOf(Sjis("１２３４")), "'" + Sjis("１２３４") +
                                             Sjis("' は整数ではありません"));
}

TEST(LastDelimiterTest, SkipsSecondBytes) {
  EXPECT_EQ(LastDelimiter("/a/b", '/'), 2u);
  EXPECT_EQ(LastDelimiter("a\\" + kHyou, '\\'), 1u);
  EXPECT_EQ(LastDelimiter(kHyou, '\\'), std::string_view::npos);
  EXPECT_EQ(LastDelimiter("", '/'), std::string_view::npos);
}

}  // namespace
}  // namespace quillivar
