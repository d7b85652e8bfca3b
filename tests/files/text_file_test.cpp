#include "files/text_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "support/failing_file_bytes.h"
#include "testkit/temp_dir.h"
#include "text/code_page.h"

namespace quillivar {
namespace {

using testing::FailingFileBytes;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

Text MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.Message();
  }
  return "no error";
}

TEST(IoErrorMessageTest, NamesTheKindOfFailure) {
  TempDir dir;
  EXPECT_EQ(IoErrorMessage(ENOENT, dir.File("missing")), Sjis("ファイルが見つかりません"));
  EXPECT_EQ(IoErrorMessage(ENOENT, dir.File("no/such/file")),
            Sjis("ファイル名の指定が間違っています"));
  EXPECT_EQ(IoErrorMessage(EMFILE, "x"), Sjis("オープンしたファイルが多すぎます"));
  EXPECT_EQ(IoErrorMessage(EACCES, "x"), Sjis("ファイルへのアクセスが拒否されました"));
  EXPECT_EQ(IoErrorMessage(ENOSPC, "/d/x"), Sjis("ディスクの空きが足りません（/d/x）"));
  EXPECT_EQ(IoErrorMessage(EDQUOT, "x"), Sjis("ディスクの空きが足りません（x）"));
  EXPECT_EQ(IoErrorMessage(EIO, "x"), Sjis("I/O エラー (5)"));
}

TEST(TextFileReaderTest, ReadsLfAndCrLfLinesAndEmptyLinesPastTheEnd) {
  TempDir dir;
  WriteBytes(dir.File("f"), "one\r\ntwo\nthree\r\rx\nlast");
  TextFileReader reader(dir.File("f"));
  EXPECT_EQ(reader.ReadLine(), "one");
  EXPECT_EQ(reader.ReadLine(), "two");
  EXPECT_EQ(reader.ReadLine(), "three\r\rx");  // a lone CR is an ordinary byte
  EXPECT_EQ(reader.ReadLine(), "last");
  EXPECT_EQ(reader.ReadLine(), "");
  EXPECT_EQ(reader.ReadLine(), "");
}

TEST(TextFileReaderTest, ReadsLinesLongerThanItsBlock) {
  TempDir dir;
  const std::string longLine(200000, 'a');
  WriteBytes(dir.File("f"), longLine + "\r\nb\r\n");
  TextFileReader reader(dir.File("f"));
  EXPECT_EQ(reader.ReadLine(), longLine);
  EXPECT_EQ(reader.ReadLine(), "b");
  EXPECT_EQ(reader.ReadLine(), "");
}

TEST(TextFileReaderTest, ReportsAFileThatCannotBeOpenedOrRead) {
  TempDir dir;
  EXPECT_EQ(MessageOf([&] { TextFileReader r(dir.File("missing")); }),
            Sjis("ファイルが見つかりません"));
  std::filesystem::create_directory(dir.File("folder"));
  EXPECT_EQ(MessageOf([&] {
              TextFileReader r(dir.File("folder"));
              r.ReadLine();
            }),
            Sjis("ファイルへのアクセスが拒否されました"));
}

TEST(TextFileReaderTest, RetriesAnInterruptedReadAndReportsAFailedOne) {
  TempDir dir;
  WriteBytes(dir.File("f"), "a\r\nb\r\n");
  {
    FailingFileBytes interrupted({.failingRead = 1, .code = EINTR});
    TextFileReader reader(dir.File("f"));
    EXPECT_EQ(reader.ReadLine(), "a");
    EXPECT_EQ(reader.ReadLine(), "b");
  }
  FailingFileBytes failing({.failingRead = 1, .code = EIO});
  EXPECT_EQ(MessageOf([&] { TextFileReader(dir.File("f")).ReadLine(); }), Sjis("I/O エラー (5)"));
}

TEST(ReplacingTextFileWriterTest, ReplacesTheFileOnlyOnCommit) {
  TempDir dir;
  const std::string path = dir.File("out.csv");
  WriteBytes(path, "old contents\r\n");
  {
    ReplacingTextFileWriter writer(path);
    writer.WriteLine("a");
    writer.WriteLine(Sjis("銘柄"));
    EXPECT_EQ(ReadBytes(path), "old contents\r\n");
    writer.Commit();
  }
  EXPECT_EQ(ReadBytes(path), "a\r\n" + Sjis("銘柄") + "\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(ReplacingTextFileWriterTest, LeavesNothingBehindWhenAbandoned) {
  TempDir dir;
  const std::string path = dir.File("out.csv");
  WriteBytes(path, "old");
  {
    ReplacingTextFileWriter writer(path);
    writer.WriteLine(std::string(100000, 'x'));
  }
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(ReplacingTextFileWriterTest, AWriteThatFailsKeepsTheEarlierFileAndLeavesNothing) {
  // A short line fails at Commit, a long one already in WriteLine.
  for (const std::size_t length : {10u, 100000u}) {
    TempDir dir;
    const std::string path = dir.File("out.csv");
    WriteBytes(path, "earlier\r\n");
    FailingFileBytes full({.writableBytes = 5, .code = ENOSPC});
    EXPECT_EQ(MessageOf([&] {
                ReplacingTextFileWriter writer(path);
                writer.WriteLine(std::string(length, 'x'));
                writer.Commit();
              }),
              Sjis("ディスクの空きが足りません（") + path + Sjis("）"));
    EXPECT_EQ(full.Failures(), 1) << length;
    EXPECT_EQ(ReadBytes(path), "earlier\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()),
                            std::filesystem::directory_iterator()),
              1);
  }
}

TEST(ReplacingTextFileWriterTest, EmptyCommitGivesAZeroByteFile) {
  TempDir dir;
  WriteBytes(dir.File("out.csv"), "longer earlier contents");
  ReplacingTextFileWriter writer(dir.File("out.csv"));
  writer.Commit();
  EXPECT_EQ(ReadBytes(dir.File("out.csv")), "");
}

TEST(ReplacingTextFileWriterTest, RefusesTargetsThatCannotBeWritten) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("taken"));
  EXPECT_EQ(MessageOf([&] { ReplacingTextFileWriter w(dir.File("taken")); }),
            Sjis("ファイルへのアクセスが拒否されました"));
  EXPECT_EQ(MessageOf([&] { ReplacingTextFileWriter w(dir.File("no/such/f")); }),
            Sjis("ファイル名の指定が間違っています"));
  WriteBytes(dir.File("ro"), "kept");
  ::chmod(dir.File("ro").c_str(), 0444);
  EXPECT_EQ(MessageOf([&] { ReplacingTextFileWriter w(dir.File("ro")); }),
            Sjis("ファイルへのアクセスが拒否されました"));
  EXPECT_EQ(ReadBytes(dir.File("ro")), "kept");
}

TEST(ReplacingTextFileWriterTest, KeepsThePermissionsOfTheFileItReplaces) {
  TempDir dir;
  WriteBytes(dir.File("f"), "x");
  ::chmod(dir.File("f").c_str(), 0640);
  ReplacingTextFileWriter writer(dir.File("f"));
  writer.Commit();
  struct stat info {};
  ASSERT_EQ(::stat(dir.File("f").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace quillivar
