#include "ui/ui_texts.h"

#include <gtest/gtest.h>

#include "text/code_page.h"

namespace quillivar {
namespace {

TEST(ErrorBoxTextTest, AppendsAFullStopAfterDoubleByteCharactersAndBytesAboveIt) {
  EXPECT_EQ(ErrorBoxText(Sjis("ファイルが見つかりません")), Sjis("ファイルが見つかりません."));
  EXPECT_EQ(ErrorBoxText("UTF-8 Unknown code."), "UTF-8 Unknown code.");
  EXPECT_EQ(ErrorBoxText("I/O error (28)"), "I/O error (28)");  // ")" is below "."
  EXPECT_EQ(ErrorBoxText("Stop!"), "Stop!");
  EXPECT_EQ(ErrorBoxText("abc"), "abc.");
  EXPECT_EQ(ErrorBoxText("1"), "1.");  // "1" is above "."
  EXPECT_EQ(ErrorBoxText("'12a4' x"), "'12a4' x.");
  // "表" ends in 5C, a byte above "." but here the second byte of a character.
  EXPECT_EQ(ErrorBoxText(Sjis("表")), Sjis("表."));
  EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(ApplicationTitleTest, TakesTheFileNameCutAtTheFirstDotInTitleCase) {
  EXPECT_EQ(ApplicationTitle("/opt/tools/Quillivar"), "Quillivar");
  EXPECT_EQ(ApplicationTitle("/a/b/QUILLIVAR.exe.bak"), "Quillivar");
  EXPECT_EQ(ApplicationTitle("quillivar"), "quillivar");
  EXPECT_EQ(ApplicationTitle("/a.b/Tool"), "Tool");
  // A double-byte character keeps its second byte, even one in A-Z.
  EXPECT_EQ(ApplicationTitle("/x/A" + Sjis("ア") + "B"), "A" + Sjis("ア") + "b");
}

}  // namespace
}  // namespace quillivar
