#include "settings/settings_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "support/failing_file_bytes.h"
#include "support/fake_ui.h"
#include "support/resource_limit.h"
#include "testkit/temp_dir.h"
#include "text/code_page.h"
#include "files/text_file.h"

namespace quillivar {
namespace {

using testing::FailingFileBytes;
using testing::FakeUi;
using testing::ResourceLimit;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::string Lines(int count, const std::string& line, const std::string& end = "\r\n") {
  std::string file;
  for (int i = 0; i < count; ++i) file += line + end;
  return file;
}

class SettingsFileTest : public ::testing::Test {
 protected:

  std::string Path() const { return dir.File("UserSetting.dat"); }
  // Start-up as the main window does it: read at creation, apply at the
  // first activation; the boxes start checked as the dialog creates them.
  void StartUp() {
    ui.CheckAll(true);
    read = ReadSelectionAtStart(dir.Dir());
    ApplyLoadedSelection(ui, read.flags);
  }
  std::vector<int> Checked() const {
    std::vector<int> boxes;
    for (int box : SettingsOrder()) {
      if (ui.checkBoxes[box]) boxes.push_back(box);
    }
    return boxes;
  }

  TempDir dir;
  FakeUi ui;
  SettingsRead read;
};

TEST_F(SettingsFileTest, WritesFortyThreeLinesInSettingsOrder) {
  SelectionFlags flags{};
  flags.fill(true);
  WriteSettingsFile(dir.Dir(), flags);
  EXPECT_EQ(ReadBytes(Path()), Lines(43, "True"));
  EXPECT_EQ(ReadBytes(Path()).size(), 258u);
  flags.fill(false);
  WriteSettingsFile(dir.Dir(), flags);
  EXPECT_EQ(ReadBytes(Path()).size(), 301u);

  flags[9] = true;   // CheckBox10
  flags[42] = true;  // CheckBox44
  WriteSettingsFile(dir.Dir(), flags);
  EXPECT_EQ(ReadBytes(Path()), Lines(9, "False") + "True\r\n" + Lines(32, "False") + "True\r\n");
}

// A file that lost lines or was edited by hand is named with its first
// unsound line; what follows the 43rd line does not matter.
TEST_F(SettingsFileTest, ADamagedFileIsFoundAtItsFirstUnsoundLine) {
  struct Case {
    std::string file;
    int line;  // 0: sound
    bool missing = false;
  };
  const std::string sound = Lines(43, "True");
  const std::vector<Case> cases = {
      {sound, 0},
      {Lines(43, "False", "\n"), 0},
      {Lines(42, "True") + "False", 0},  // the last line without its end
      {sound + "extra\r\n", 0},
      {Lines(11, "True"), 12, true},
      {Lines(20, "True") + "Tr", 21},
      {"\xEF\xBB\xBF" + sound, 1},  // a byte-order mark from an editor
      {Lines(5, "True") + "true\r\n" + Lines(37, "True"), 6},
      {Lines(5, "True") + "True \r\n" + Lines(37, "True"), 6},
      {"", 1, true},
  };
  for (const Case& damageCase : cases) {
    WriteBytes(Path(), damageCase.file);
    StartUp();
    EXPECT_EQ(read.damage.has_value(), damageCase.line != 0) << damageCase.file;
    if (!read.damage) continue;
    EXPECT_EQ(read.damage->line, damageCase.line) << damageCase.file;
    EXPECT_EQ(read.damage->missing, damageCase.missing) << damageCase.file;
  }
  EXPECT_EQ(SettingsDamageMessage("/d/", {12, true}),
            Sjis("/d/UserSetting.dat の 12 行目がありません（ファイルが途中で切れています）。"
                 "設定を確かめて、もう一度保存してください"));
}

TEST_F(SettingsFileTest, LineElevenIsCheckBoxTwelveAndLineTwelveCheckBoxThirteen) {
  WriteBytes(Path(), Lines(10, "False") + "True\r\n" + Lines(32, "False"));
  StartUp();
  EXPECT_EQ(Checked(), std::vector<int>{12});
  EXPECT_EQ(IndustryNameOfCode("0050"), IndustryCatalogue()[0].name);

  WriteBytes(Path(), Lines(11, "False") + "True\r\n" + Lines(31, "False"));
  StartUp();
  EXPECT_EQ(Checked(), std::vector<int>{13});
}

TEST_F(SettingsFileTest, MissingLinesCountAsFalse) {
  WriteBytes(Path(), Lines(10, "True"));
  StartUp();
  EXPECT_EQ(Checked(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST_F(SettingsFileTest, OnlyExactlyTrueCounts) {
  for (const char* other : {"true", "TRUE", "True ", " True", "1", "\xEF\xBB\xBFTrue"}) {
    WriteBytes(Path(), Lines(43, other));
    StartUp();
    EXPECT_TRUE(Checked().empty()) << other;
  }
}

TEST_F(SettingsFileTest, ReadsLfOnlyLinesAndIgnoresLinesAfterTheFortyThird) {
  WriteBytes(Path(), Lines(43, "True", "\n"));
  StartUp();
  EXPECT_EQ(Checked().size(), 43u);

  WriteBytes(Path(), Lines(43, "False") + Lines(7, "True"));
  StartUp();
  EXPECT_TRUE(Checked().empty());
}

// A folder or a FIFO of that name is named; a FIFO is never opened, so the
// start does not wait for a writer.
TEST_F(SettingsFileTest, NoFileIsSilentAndAFolderOrAFifoIsNamed) {
  StartUp();
  EXPECT_TRUE(Checked().empty());
  EXPECT_FALSE(read.found);
  EXPECT_EQ(read.failure, std::nullopt);

  for (const bool fifo : {false, true}) {
    if (fifo) {
      std::filesystem::remove(Path());
      ASSERT_EQ(::mkfifo(Path().c_str(), 0600), 0);
    } else {
      std::filesystem::create_directory(Path());
    }
    StartUp();
    EXPECT_TRUE(Checked().empty());
    EXPECT_EQ(read.failure.value_or(FailureText{}).japanese, Path() + Sjis(" はファイルではありません"));
  }
}

TEST_F(SettingsFileTest, SavingThenReadingGivesTheSameBoxes) {
  SelectionFlags flags{};
  for (std::size_t k = 0; k < flags.size(); k += 3) flags[k] = true;
  WriteSettingsFile(dir.Dir(), flags);
  SelectionFlags read{};
  ReadSettingsFile(dir.Dir(), read);
  EXPECT_EQ(read, flags);
}

Text SaveError(const std::string& exeDir) {
  SelectionFlags flags{};
  try {
    WriteSettingsFile(exeDir, flags);
  } catch (const Error& error) {
    return error.Message();
  }
  return "saved";
}

TEST_F(SettingsFileTest, AFailedSaveIsReportedAndLeavesTheOldFileWhole) {
  const std::string old = Lines(43, "True");
  WriteBytes(Path(), old);
  ::chmod(Path().c_str(), 0444);
  EXPECT_EQ(SaveError(dir.Dir()), Sjis("ファイルへのアクセスが拒否されました"));
  EXPECT_EQ(ReadBytes(Path()), old);

  EXPECT_EQ(SaveError(dir.File("missing/")), Sjis("ファイル名の指定が間違っています"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));

  std::filesystem::create_directory(dir.File("taken"));
  std::filesystem::create_directory(dir.File("taken/UserSetting.dat"));
  EXPECT_EQ(SaveError(dir.File("taken/")), Sjis("ファイルへのアクセスが拒否されました"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("taken")),
                          std::filesystem::directory_iterator()),
            1);
}

// The disk fills up part-way through the write.
TEST_F(SettingsFileTest, AWriteThatFailsPartWayLeavesTheOldFileByteForByte) {
  const std::string old = "True\r\nFalse\r\n";
  WriteBytes(Path(), old);
  Text message;
  {
    FailingFileBytes full({.writableBytes = 100, .code = ENOSPC});
    message = SaveError(dir.Dir());
  }
  EXPECT_EQ(message, Sjis("ディスクの空きが足りません（") + Path() + Sjis("）"));
  EXPECT_EQ(ReadBytes(Path()), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()),
                          std::filesystem::directory_iterator()),
            1);
}

std::size_t OpenFileCount() {
  return static_cast<std::size_t>(
      std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                    std::filesystem::directory_iterator()));
}

TEST_F(SettingsFileTest, AReadFailingMidFileKeepsTheLinesBeforeAndCreationGoesOn) {
  // The first block ends inside line 4, so the read of line 4 fails.
  WriteBytes(Path(), "True\r\nFalse\r\nTrue\r\n" + std::string(70000, 'x') + "\r\n" +
                         Lines(39, "True"));
  const std::size_t openBefore = OpenFileCount();
  {
    FailingFileBytes failing({.failingRead = 2, .code = EIO});
    read = ReadSelectionAtStart(dir.Dir());
    ASSERT_EQ(failing.Failures(), 1) << "the fault never reached the reader";
  }
  EXPECT_EQ(read.failure.value_or(FailureText{}).japanese, Path() + Sjis(" が読めません（I/O エラー (5)）"));
  EXPECT_TRUE(read.found);
  SelectionFlags expected{};
  expected[0] = expected[2] = true;
  EXPECT_EQ(read.flags, expected);
  EXPECT_EQ(OpenFileCount(), openBefore);  // the file was let go
}

TEST_F(SettingsFileTest, AFileThatOpensButCannotBeReadIsReported) {
  WriteBytes(Path(), Lines(43, "True"));
  const std::size_t openBefore = OpenFileCount();
  {
    FailingFileBytes failing({.failingRead = 1, .code = EIO});
    read = ReadSelectionAtStart(dir.Dir());
  }
  EXPECT_EQ(read.failure.value_or(FailureText{}).japanese, Path() + Sjis(" が読めません（I/O エラー (5)）"));
  EXPECT_EQ(read.flags, (SelectionFlags{}));
  EXPECT_EQ(OpenFileCount(), openBefore);
}

TEST_F(SettingsFileTest, AFileThatCannotBeOpenedIsReportedAndLeavesTheFlags) {
  WriteBytes(Path(), Lines(43, "True"));
  SelectionFlags flags{};
  flags[5] = true;
  Text message;
  try {
    const auto noDescriptor = ResourceLimit::NoFreeDescriptor();
    ReadSettingsFile(dir.Dir(), flags);
  } catch (const Error& error) {
    message = error.Message();
  }
  EXPECT_EQ(message, Sjis("オープンしたファイルが多すぎます"));
  SelectionFlags expected{};
  expected[5] = true;
  EXPECT_EQ(flags, expected);
}

}  // namespace
}  // namespace quillivar
