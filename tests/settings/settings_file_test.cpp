#include "settings/settings_file.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include <filesystem>

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"
#include "text/code_page.h"
#include "text/text_file.h"

namespace quillivar {
namespace {

using testing::FakeUi;
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
  SettingsFileTest() { ui.executableDirectory = dir.Dir(); }

  std::string Path() const { return dir.File("UserSetting.dat"); }
  // Start-up as the main window does it: read at creation, apply at the
  // first activation; the boxes start checked as the dialog creates them.
  void StartUp() {
    ui.CheckAll(true);
    LoadSelectionAtCreate(ui, fields);
    ApplyLoadedSelection(ui, fields);
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
  MainWindowFields fields;
};

TEST_F(SettingsFileTest, WritesFortyThreeLinesInSettingsOrder) {
  std::array<bool, 43> flags{};
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

TEST_F(SettingsFileTest, LineElevenIsCheckBoxTwelveAndLineTwelveCheckBoxThirteen) {
  WriteBytes(Path(), Lines(10, "False") + "True\r\n" + Lines(32, "False"));
  StartUp();
  EXPECT_EQ(Checked(), std::vector<int>{12});
  EXPECT_EQ(IndustryNameOfCode("0050"), IndustryCatalogue()[0].name);

  WriteBytes(Path(), Lines(11, "False") + "True\r\n" + Lines(31, "False"));
  fields = {};
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
    fields = {};
    StartUp();
    EXPECT_TRUE(Checked().empty()) << other;
  }
}

TEST_F(SettingsFileTest, ReadsLfOnlyLinesAndIgnoresLinesAfterTheFortyThird) {
  WriteBytes(Path(), Lines(43, "True", "\n"));
  StartUp();
  EXPECT_EQ(Checked().size(), 43u);

  WriteBytes(Path(), Lines(43, "False") + Lines(7, "True"));
  fields = {};
  StartUp();
  EXPECT_TRUE(Checked().empty());
}

TEST_F(SettingsFileTest, NoFileOrAFolderOfThatNameIsSilentAndClearsEveryBox) {
  StartUp();
  EXPECT_TRUE(Checked().empty());
  EXPECT_TRUE(ui.EventsWithPrefix("error:").empty());
  EXPECT_EQ(fields.ExeDir, dir.Dir());

  std::filesystem::create_directory(Path());
  StartUp();
  EXPECT_TRUE(Checked().empty());
  EXPECT_TRUE(ui.EventsWithPrefix("error:").empty());
}

TEST_F(SettingsFileTest, SavingThenReadingGivesTheSameBoxes) {
  std::array<bool, 43> flags{};
  for (std::size_t k = 0; k < flags.size(); k += 3) flags[k] = true;
  WriteSettingsFile(dir.Dir(), flags);
  std::array<bool, 43> read{};
  ReadSettingsFile(dir.Dir(), read);
  EXPECT_EQ(read, flags);
}

Text SaveError(const std::string& exeDir) {
  std::array<bool, 43> flags{};
  try {
    WriteSettingsFile(exeDir, flags);
  } catch (const IoError& error) {
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

}  // namespace
}  // namespace quillivar

namespace quillivar {
namespace {

// A file-size limit makes the write itself fail part-way, as a full disk
// would, without needing one.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit saved_{};
  void (*previousHandler_)(int);
};

TEST_F(SettingsFileTest, AWriteThatFailsPartWayLeavesTheOldFileByteForByte) {
  const std::string old = "True\r\nFalse\r\n";  // 13 bytes, under the limit
  WriteBytes(Path(), old);
  Text message;
  {
    FileSizeLimit limit(100);
    message = SaveError(dir.Dir());
  }
  EXPECT_EQ(message, Sjis("I/O エラー (27)"));  // EFBIG
  EXPECT_EQ(ReadBytes(Path()), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace quillivar

// The test is linked with --wrap=read: a read of one chosen file can be made
// to fail after a number of successful reads, as a failing disk would.
namespace {

struct ReadFault {
  bool armed = false;
  dev_t device = 0;
  ino_t inode = 0;
  int readsLeft = 0;
  int failed = 0;
};
ReadFault readFault;

}  // namespace

extern "C" ssize_t __real_read(int fd, void* buffer, size_t count);
extern "C" ssize_t __wrap_read(int fd, void* buffer, size_t count) {
  struct stat info {};
  if (readFault.armed && ::fstat(fd, &info) == 0 && info.st_dev == readFault.device &&
      info.st_ino == readFault.inode) {
    if (readFault.readsLeft == 0) {
      ++readFault.failed;
      errno = EIO;
      return -1;
    }
    --readFault.readsLeft;
  }
  return __real_read(fd, buffer, count);
}

namespace quillivar {
namespace {

std::size_t OpenFileCount() {
  return static_cast<std::size_t>(
      std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                    std::filesystem::directory_iterator()));
}

class FailingReads {
 public:
  FailingReads(const std::string& path, int successfulReads) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    readFault = {true, info.st_dev, info.st_ino, successfulReads, 0};
  }
  ~FailingReads() { readFault.armed = false; }
  int Failed() const { return readFault.failed; }
};

TEST_F(SettingsFileTest, AReadFailingMidFileKeepsTheLinesBeforeAndCreationGoesOn) {
  // The first block ends inside line 4, so the read of line 4 fails.
  WriteBytes(Path(), "True\r\nFalse\r\nTrue\r\n" + std::string(70000, 'x') + "\r\n" +
                         Lines(39, "True"));
  const std::size_t openBefore = OpenFileCount();
  {
    FailingReads failing(Path(), 1);
    LoadSelectionAtCreate(ui, fields);
    ASSERT_EQ(failing.Failed(), 1) << "the fault never reached the reader";
  }
  EXPECT_EQ(ui.EventsWithPrefix("error:"), std::vector<std::string>{"error:I/O エラー (5)"});
  EXPECT_EQ(fields.ExeDir, dir.Dir());
  std::array<bool, 43> expected{};
  expected[0] = expected[2] = true;
  EXPECT_EQ(fields.LoadedSelection, expected);
  EXPECT_EQ(OpenFileCount(), openBefore);  // the file was let go
}

TEST_F(SettingsFileTest, AFileThatOpensButCannotBeReadIsReported) {
  // Reading a process's memory from address 0 fails: a regular file whose
  // very first read fails.
  std::filesystem::create_symlink("/proc/self/mem", Path());
  const std::size_t openBefore = OpenFileCount();
  LoadSelectionAtCreate(ui, fields);
  EXPECT_EQ(ui.EventsWithPrefix("error:"), std::vector<std::string>{"error:I/O エラー (5)"});
  EXPECT_EQ(fields.LoadedSelection, (std::array<bool, 43>{}));
  EXPECT_EQ(OpenFileCount(), openBefore);
}

TEST_F(SettingsFileTest, AFileThatCannotBeOpenedIsReportedAndLeavesTheFlags) {
  WriteBytes(Path(), Lines(43, "True"));
  std::array<bool, 43> flags{};
  flags[5] = true;
  rlimit saved{};
  ::getrlimit(RLIMIT_NOFILE, &saved);
  const int nextFree = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(nextFree, 0);
  ::close(nextFree);
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(nextFree);  // no room for one more
  ::setrlimit(RLIMIT_NOFILE, &tight);
  Text message;
  try {
    ReadSettingsFile(dir.Dir(), flags);
  } catch (const IoError& error) {
    message = error.Message();
  }
  ::setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(message, Sjis("オープンしたファイルが多すぎます"));
  std::array<bool, 43> expected{};
  expected[5] = true;
  EXPECT_EQ(flags, expected);
}

}  // namespace
}  // namespace quillivar
