// What a save changes besides the contents, and what a killed save leaves.
// Linked with --wrap: a test can refuse nameless temporary files or attributes,
// act just before the target is opened, or freeze a save at its n-th step. Root ignores permissions: those cases run in a child
// that has become an ordinary user.
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <utility>

#include <gtest/gtest.h>

#include "pump/event_pump.h"
#include "testkit/temp_dir.h"
#include "text/code_page.h"
#include "files/text_file.h"

namespace {

struct SaveHooks {
  bool refuseUnnamedFiles = false;
  int refuseNewFiles = 0;  // an errno for every file created
  int refuseAttributes = 0;  // an errno for each owner, mode, attribute and lock change
  void (*beforeOpenForWriting)() = nullptr;  // once
  int freezeAtStep = 0;  // 0: never
  int steps = 0;
};
SaveHooks hooks;

void Step() {
  if (hooks.freezeAtStep > 0 && ++hooks.steps == hooks.freezeAtStep) ::raise(SIGSTOP);
}

}  // namespace

// Each wrapped call is a step before and after it.
#define STEPPED_CALL(Result, name, params, args)     \
  extern "C" Result __real_##name params;            \
  extern "C" Result __wrap_##name params {           \
    Step();                                          \
    const Result result = __real_##name args;        \
    Step();                                          \
    return result;                                   \
  }
STEPPED_CALL(ssize_t, write, (int fd, const void* data, size_t size), (fd, data, size))
STEPPED_CALL(int, fsync, (int fd), (fd))
STEPPED_CALL(int, linkat, (int fromDir, const char* from, int toDir, const char* to, int flags),
             (fromDir, from, toDir, to, flags))
STEPPED_CALL(int, renameat, (int fromDir, const char* from, int toDir, const char* to),
             (fromDir, from, toDir, to))

extern "C" int __real_openat(int dir, const char* path, int flags, ...);
extern "C" int __wrap_openat(int dir, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
  va_end(args);
  if (hooks.refuseUnnamedFiles && (flags & O_TMPFILE) == O_TMPFILE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  if (hooks.refuseNewFiles != 0 && ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE)) {
    errno = hooks.refuseNewFiles;
    return -1;
  }
  if (hooks.beforeOpenForWriting != nullptr && (flags & O_ACCMODE) == O_WRONLY) {
    std::exchange(hooks.beforeOpenForWriting, nullptr)();
  }
  Step();
  const int fd = __real_openat(dir, path, flags, mode);
  Step();
  return fd;
}

#define REFUSABLE_CALL(name, params, args)                      \
  extern "C" int __real_##name params;                          \
  extern "C" int __wrap_##name params {                         \
    if (hooks.refuseAttributes == 0) return __real_##name args; \
    errno = hooks.refuseAttributes;                             \
    return -1;                                                  \
  }
REFUSABLE_CALL(fsetxattr, (int fd, const char* name, const void* value, size_t size, int flags),
               (fd, name, value, size, flags))
REFUSABLE_CALL(fchown, (int fd, uid_t owner, gid_t group), (fd, owner, group))
REFUSABLE_CALL(fchmod, (int fd, mode_t mode), (fd, mode))
REFUSABLE_CALL(flock, (int fd, int operation), (fd, operation))

namespace quillivar {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

constexpr uid_t kRoot = 0;
constexpr uid_t kNobody = 65534;  // its own group is 65534 too
constexpr gid_t kUsers = 100;     // a second group of the ordinary user
constexpr id_t kOther = 1234;     // another user, and a group it is not in
constexpr char kSaved[] = "saved";

void Save(const std::string& path, const std::string& contents,
          AbortPoint* abortPoint = nullptr) {
  ReplacingTextFileWriter writer(path, abortPoint);
  writer.WriteLine(contents);
  writer.Commit();
}

// Saves `contents` over `path` in a child running as `uid` (with the extra
// group kUsers) and returns kSaved or the error message as UTF-8.
std::string SaveAs(uid_t uid, const std::string& path, const std::string& contents) {
  int report[2];
  if (::pipe(report) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    std::string outcome = kSaved;
    const gid_t groups[] = {uid, kUsers};
    if (uid != kRoot && (::setgroups(2, groups) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0)) {
      outcome = "cannot become the user";
    }
    try {
      if (outcome == kSaved) Save(path, contents);
    } catch (const Error& error) {
      outcome = SjisToUtf8(error.Message());
    }
    ::_exit(::write(report[1], outcome.data(), outcome.size()) == ssize_t(outcome.size()) ? 0 : 1);
  }
  ::close(report[1]);
  std::string outcome(4096, '\0');
  const ssize_t got = ::read(report[0], outcome.data(), outcome.size());
  ::close(report[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  const bool reported = WIFEXITED(status) && WEXITSTATUS(status) == 0 && got > 0;
  return reported ? outcome.substr(0, static_cast<std::size_t>(got)) : "child failed";
}

struct stat StatOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info;
}

// "uid:gid mode", the mode in octal.
std::string OwnerAndMode(const std::string& path) {
  const struct stat info = StatOf(path);
  char text[64];
  std::snprintf(text, sizeof text, "%u:%u %o", unsigned(info.st_uid), unsigned(info.st_gid),
                unsigned(info.st_mode & 07777));
  return text;
}

std::size_t EntriesIn(const std::string& folder) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// A folder in `dir`, user and group `owner`, with `mode`.
std::string Folder(const TempDir& dir, const std::string& name, id_t owner, mode_t mode) {
  const std::string path = dir.File(name);
  fs::create_directory(path);
  EXPECT_EQ(::chown(path.c_str(), owner, owner), 0);
  EXPECT_EQ(::chmod(path.c_str(), mode), 0);
  return path + "/";
}

void MakeFile(const std::string& path, const std::string& contents, uid_t owner,
              gid_t group, mode_t mode) {
  WriteBytes(path, contents);
  EXPECT_EQ(::chown(path.c_str(), owner, group), 0);
  EXPECT_EQ(::chmod(path.c_str(), mode), 0);
}

class AsUsersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != kRoot) GTEST_SKIP() << "switching users needs root";
    ::chmod(dir.Dir().c_str(), 0755);
  }
  TempDir dir;
};

TEST_F(AsUsersTest, WritesThroughSymbolicLinksAndKeepsThem) {
  for (const uid_t uid : {kRoot, kNobody}) {
    SCOPED_TRACE(uid);
    const std::string base = Folder(dir, "u" + std::to_string(uid), uid, 0755);
    const std::string synced = Folder(dir, "synced" + std::to_string(uid), uid, 0755);
    MakeFile(synced + "list.csv", "old\r\n", uid, uid, 0644);
    fs::create_symlink(fs::relative(synced + "list.csv", base), base + "brand_code.csv");
    fs::create_symlink("hop", base + "chain.csv");  // relative to the link's folder
    fs::create_symlink(synced + "chained.csv", base + "hop");
    fs::create_symlink(fs::relative(synced + "named.csv", base), base + "dangling.csv");
    fs::create_symlink("loop.csv", base + "loop.csv");
    const char* const links[] = {"brand_code.csv", "chain.csv", "hop", "dangling.csv", "loop.csv"};
    for (const char* link : links) ::lchown((base + link).c_str(), uid, uid);

    EXPECT_EQ(SaveAs(uid, base + "brand_code.csv", "new"), kSaved);
    EXPECT_EQ(SaveAs(uid, base + "chain.csv", "chained"), kSaved);
    EXPECT_EQ(SaveAs(uid, base + "dangling.csv", "named"), kSaved);
    EXPECT_EQ(SaveAs(uid, base + "loop.csv", "x"), "I/O エラー (40)");

    EXPECT_EQ(ReadBytes(synced + "list.csv"), "new\r\n");
    EXPECT_EQ(ReadBytes(synced + "chained.csv"), "chained\r\n");
    EXPECT_EQ(ReadBytes(synced + "named.csv"), "named\r\n");
    EXPECT_EQ(StatOf(synced + "named.csv").st_uid, uid);
    for (const char* link : links) EXPECT_TRUE(fs::is_symlink(base + link)) << link;
    EXPECT_EQ(EntriesIn(base), 5u);
    EXPECT_EQ(EntriesIn(synced), 3u);
  }
}

TEST_F(AsUsersTest, KeepsReadWriteBitsAndTheGroupWhereAllowedButNoSetIdBits) {
  const std::string rootFolder = Folder(dir, "root", kRoot, 0755);
  MakeFile(rootFolder + "f", "old", kOther, kOther, 06750);
  EXPECT_EQ(SaveAs(kRoot, rootFolder + "f", "new"), kSaved);
  EXPECT_EQ(OwnerAndMode(rootFolder + "f"), "1234:1234 750");

  const std::string userFolder = Folder(dir, "user", kNobody, 0755);
  MakeFile(userFolder + "member", "old", kNobody, kUsers, 02640);
  MakeFile(userFolder + "stranger", "old", kNobody, kOther, 0664);
  EXPECT_EQ(SaveAs(kNobody, userFolder + "member", "new"), kSaved);
  EXPECT_EQ(SaveAs(kNobody, userFolder + "stranger", "new"), kSaved);
  EXPECT_EQ(OwnerAndMode(userFolder + "member"), "65534:100 640");
  // kOther is not allowed, and the user's own group gets none of its bits.
  EXPECT_EQ(OwnerAndMode(userFolder + "stranger"), "65534:65534 604");
  EXPECT_EQ(ReadBytes(userFolder + "stranger"), "new\r\n");
}

TEST_F(AsUsersTest, WritesInPlaceWhereTheFolderTakesNoNewFile) {
  for (const uid_t uid : {kRoot, kNobody}) {
    SCOPED_TRACE(uid);
    const std::string closed = dir.File("closed" + std::to_string(uid) + "/");
    fs::create_directory(closed);
    MakeFile(closed + "brand_code.csv", "old contents\r\n", kRoot, kRoot, 0666);
    ::chmod(closed.c_str(), 0555);
    const ino_t before = StatOf(closed + "brand_code.csv").st_ino;

    EXPECT_EQ(SaveAs(uid, closed + "brand_code.csv", "new"), kSaved);
    EXPECT_EQ(ReadBytes(closed + "brand_code.csv"), "new\r\n");
    if (uid != kRoot) {
      EXPECT_EQ(StatOf(closed + "brand_code.csv").st_ino, before);
    }
    EXPECT_EQ(SaveAs(uid, closed + "missing.csv", "new"),
              uid == kRoot ? kSaved : "ファイルへのアクセスが拒否されました");
    EXPECT_EQ(EntriesIn(closed), uid == kRoot ? 2u : 1u);
  }
}

TEST_F(AsUsersTest, InAStickyFolderReplacesItsOwnFilesAndWritesOthersInPlace) {
  for (const uid_t uid : {kRoot, kNobody}) {
    SCOPED_TRACE(uid);
    const std::string shared = Folder(dir, "shared" + std::to_string(uid), kOther, 01777);
    MakeFile(shared + "own.csv", "old", uid, uid, 0644);
    MakeFile(shared + "others.csv", "old", kOther, kOther, 0666);
    const ino_t othersBefore = StatOf(shared + "others.csv").st_ino;
    // A link that neither the user nor the folder's owner made is not followed,
    // at the end of the path or on the way.
    const std::string victimFolder = Folder(dir, "victim" + std::to_string(uid), uid, 0755);
    const std::string victim = victimFolder + "v";
    MakeFile(victim, "kept", uid, uid, 0644);
    fs::create_symlink(victim, shared + "planted.csv");
    fs::create_symlink(victimFolder, shared + "via");
    ::lchown((shared + "planted.csv").c_str(), 4321, 4321);
    ::lchown((shared + "via").c_str(), 4321, 4321);

    EXPECT_EQ(SaveAs(uid, shared + "own.csv", "new"), kSaved);
    EXPECT_EQ(SaveAs(uid, shared + "others.csv", "new"), kSaved);
    EXPECT_EQ(SaveAs(uid, shared + "planted.csv", "new"), "ファイルへのアクセスが拒否されました");
    EXPECT_EQ(SaveAs(uid, shared + "via/v", "new"), "ファイルへのアクセスが拒否されました");
    EXPECT_EQ(ReadBytes(shared + "own.csv"), "new\r\n");
    EXPECT_EQ(ReadBytes(shared + "others.csv"), "new\r\n");
    EXPECT_EQ(StatOf(shared + "others.csv").st_uid, kOther);
    if (uid != kRoot) {
      EXPECT_EQ(StatOf(shared + "others.csv").st_ino, othersBefore);
    }
    EXPECT_EQ(ReadBytes(victim), "kept");
    EXPECT_EQ(EntriesIn(shared), 4u);
  }
}

// Between the check of the name and the open, another file takes its place:
// a link to another file, then a plain file.
TEST(ReplacingWriterRaceTest, RefusesAFilePutInPlaceOfTheOneChecked) {
  TempDir dir;
  static std::string folder;  // for the hooks
  folder = dir.Dir();
  WriteBytes(folder + "victim", "kept");
  fs::create_symlink(folder + "victim", folder + "link");
  for (const auto swap : {+[] { fs::rename(folder + "link", folder + "list.csv"); },
                          +[] { fs::rename(folder + "other", folder + "list.csv"); }}) {
    fs::remove(folder + "list.csv");
    WriteBytes(folder + "list.csv", "old");
    WriteBytes(folder + "other", "other");
    hooks.beforeOpenForWriting = swap;
    EXPECT_EQ(SaveAs(kRoot, folder + "list.csv", "new"), "ファイルへのアクセスが拒否されました");
  }
  hooks = {};
  EXPECT_EQ(ReadBytes(folder + "victim"), "kept");
  EXPECT_EQ(ReadBytes(folder + "list.csv"), "other");
}

std::string LittleEndian(std::uint32_t value, int bytes) {
  std::string text;
  for (int k = 0; k < bytes; ++k) text += static_cast<char>(value >> 8 * k & 0xFF);
  return text;
}

std::string Attribute(const std::string& path, const char* name) {
  std::string value(256, '\0');
  const ssize_t got = ::getxattr(path.c_str(), name, value.data(), value.size());
  return value.substr(0, got > 0 ? static_cast<std::size_t>(got) : 0);
}

TEST(ReplacingWriterAttributeTest, KeepsTheAclAndUserAttributesOrNarrowsTheGroup) {
  TempDir dir;
  const std::string path = dir.File("list.csv");
  WriteBytes(path, "old");
  // Another user may write, the owning group nothing; the mask is rw-.
  std::string acl = LittleEndian(2, 4);
  const std::uint32_t entries[][3] = {
      {0x01, 6, ~0u}, {0x02, 6, kOther}, {0x04, 0, ~0u}, {0x10, 6, ~0u}, {0x20, 0, ~0u}};
  for (const auto& [tag, permissions, id] : entries) {
    acl += LittleEndian(tag, 2) + LittleEndian(permissions, 2) + LittleEndian(id, 4);
  }
  const char kAcl[] = "system.posix_acl_access";
  if (::setxattr(path.c_str(), kAcl, acl.data(), acl.size(), 0) != 0) GTEST_SKIP() << "no ACLs";
  const bool userAttributes = ::setxattr(path.c_str(), "user.origin", "site", 4, 0) == 0;

  Save(path, "new");
  EXPECT_EQ(Attribute(path, kAcl), acl);
  if (userAttributes) {
    EXPECT_EQ(Attribute(path, "user.origin"), "site");
  }
  EXPECT_EQ(StatOf(path).st_mode & 0777, 0660u);
  hooks.refuseAttributes = EOPNOTSUPP;
  Save(path, "newer");
  hooks = {};
  EXPECT_EQ(Attribute(path, kAcl), "");
  EXPECT_EQ(StatOf(path).st_mode & 0777, 0600u);  // not the mask's rw- for the group
}

// What FUSE file systems (fusefat) answer for calls they leave out.
TEST(ReplacingWriterAttributeTest, SavesTwiceWhereTheFileSystemLeavesOutOwnerModeAttributesAndLocks) {
  for (const int newFiles : {0, EROFS}) {  // replacing, in place
    TempDir dir;
    WriteBytes(dir.File("list.csv"), "old");
    hooks = {.refuseNewFiles = newFiles, .refuseAttributes = ENOSYS};
    Save(dir.File("list.csv"), "new");
    Save(dir.File("list.csv"), "newer");
    hooks = {};
    EXPECT_EQ(ReadBytes(dir.File("list.csv")), "newer\r\n") << newFiles;
  }
}

TEST(ReplacingWriterNameTest, SavesUnderANameOf255Bytes) {
  std::string name = "xy";
  for (int k = 0; k < 83; ++k) name += "\xE3\x81\x82";  // "あ" in UTF-8
  name += ".csv";
  for (const bool named : {false, true}) {
    TempDir dir;
    hooks.refuseUnnamedFiles = named;
    Save(dir.File(name), "first");
    Save(dir.File(name), "second");
    hooks = {};
    EXPECT_EQ(ReadBytes(dir.File(name)), "second\r\n");
    EXPECT_EQ(EntriesIn(dir.Dir()), 1u);
  }
}

// A single file bind-mounted over the target, as containers hand a file in.
TEST(ReplacingWriterMountTest, WritesAFileMountedOnItsOwnInPlace) {
  TempDir dir;
  const std::string source = dir.File("handed-in");
  const std::string path = dir.File("brand_code.csv");
  WriteBytes(source, "old");
  WriteBytes(path, "");
  if (::mount(source.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0) {
    GTEST_SKIP() << "cannot mount here";
  }
  const std::string outcome = SaveAs(kRoot, path, "new");
  ::umount2(path.c_str(), MNT_DETACH);
  EXPECT_EQ(outcome, kSaved);
  EXPECT_EQ(ReadBytes(source), "new\r\n");
  EXPECT_EQ(EntriesIn(dir.Dir()), 2u);
}

// A FIFO, named or linked to, is neither replaced nor opened, and the read
// of the file the save would replace refuses it too.
TEST(ReplacingWriterTargetTest, RefusesWhatIsNoRegularFile) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0666), 0);
  fs::create_symlink("fifo", dir.File("link"));
  for (const char* name : {"fifo", "link"}) {
    const std::string path = dir.File(name);
    EXPECT_EQ(SaveAs(kRoot, path, "new"), path + " は通常のファイルではありません");
    try {
      TextFileReader::OfFileTheSaveWouldReplace(path, nullptr);
      ADD_FAILURE() << "read " << name;
    } catch (const Error& error) {
      EXPECT_EQ(error.Code(), ENODEV);
    }
  }
  EXPECT_TRUE(fs::is_fifo(dir.File("fifo")));
  EXPECT_EQ(EntriesIn(dir.Dir()), 2u);
}

class TestPump : public EventPump {
 public:
  void PumpEvents() override { onPump(); }
  std::function<void()> onPump;
};

// The folder takes no new file (EROFS, as a read-only folder around a file
// mounted on its own): the save writes in place, waiting for another holder of
// the file's lock only through the abort point.
TEST(ReplacingWriterInPlaceTest, WaitsForTheLockThroughTheAbortPointAndWritesNoOtherName) {
  struct Case {
    bool abort;     // else the other holder lets go
    bool hardLink;  // a second name
    std::string outcome, left;
  };
  const std::vector<Case> cases = {
      {true, false, "中止しました", "old"},
      {false, false, kSaved, "new\r\n"},
      {false, true, " には別の名前（ハードリンク）があるため書き換えられません", "old"}};
  for (const Case& inPlace : cases) {
    TempDir dir;
    const std::string path = dir.File("brand_code.csv");
    MakeFile(path, "old", ::geteuid(), ::getegid(), 06750);
    if (inPlace.hardLink) fs::create_hard_link(path, dir.File("other"));
    int holder = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    bool aborted = false;
    TestPump pump;
    pump.onPump = [&] {
      if (inPlace.abort) aborted = true;
      if (!inPlace.abort && holder >= 0) ::close(std::exchange(holder, -1));
    };
    AbortPoint abortPoint(pump, aborted);
    hooks.refuseNewFiles = EROFS;
    std::string outcome = kSaved;
    try {
      Save(path, "new", &abortPoint);
    } catch (const Error& error) {
      outcome = SjisToUtf8(error.Message());
    }
    hooks = {};
    if (holder >= 0) ::close(holder);
    EXPECT_EQ(outcome, (inPlace.hardLink ? path : "") + inPlace.outcome);
    EXPECT_EQ(ReadBytes(path), inPlace.left);
    if (inPlace.outcome == kSaved) {
      EXPECT_EQ(StatOf(path).st_mode & 07777, 0750u);  // no set-id bits, in place too
    }
  }
}

class ReplacingWriterCrashTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { hooks.refuseUnnamedFiles = GetParam(); }
  void TearDown() override { hooks = {}; }
  TempDir dir;
};

TEST_P(ReplacingWriterCrashTest, AKilledSaveLeavesTheOldOrTheNewFileAndNoLeftover) {
  const std::string path = dir.File("brand_code.csv");
  const std::string old(300000, 'o');
  const std::string line(98, 'n');  // 3,000 lines of 100 bytes: several writes
  std::string next;
  for (int i = 0; i < 3000; ++i) next += line + "\r\n";
  int namedLeftovers = 0;
  int step = 1;
  for (bool finished = false; !finished; ++step) {
    WriteBytes(path, old);
    const pid_t child = ::fork();
    if (child == 0) {
      hooks.freezeAtStep = step;
      try {
        ReplacingTextFileWriter writer(path);
        for (int i = 0; i < 3000; ++i) writer.WriteLine(line);
        writer.Commit();
      } catch (...) {
        ::_exit(1);
      }
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, WUNTRACED), child);
    finished = !WIFSTOPPED(status);
    if (!finished) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
    } else {
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string left = ReadBytes(path);
    ASSERT_TRUE(left == old || left == next) << "step " << step;
    if (EntriesIn(dir.Dir()) > 1) ++namedLeftovers;
    Save(path, "after");  // the next save
    ASSERT_EQ(EntriesIn(dir.Dir()), 1u) << "step " << step;
  }
  EXPECT_GT(step, 15);  // frozen before and after every call the save makes
  // Without named leftovers their removal would go untested.
  EXPECT_GT(namedLeftovers, GetParam() ? 5 : 0);
  std::printf("[ figures  ] %d kill points, %d left a named temporary\n", step - 2,
              namedLeftovers);
}

INSTANTIATE_TEST_SUITE_P(NamelessAndNamedTemporaries, ReplacingWriterCrashTest,
                         ::testing::Values(false, true));

TEST(ReplacingWriterLeftoverTest, RemovesOnlyItsOwnPatternAndNeverALiveSave) {
  TempDir dir;
  hooks.refuseUnnamedFiles = true;
  const std::string path = dir.File("brand_code.csv");
  ReplacingTextFileWriter live(path);
  live.WriteLine(std::string(100000, 'x'));  // on disk in a named temporary
  const std::vector<std::string> kept = {
      "brand_code.csv.bak", ".brand_code.csv.saving-abc", ".brand_code.csv.saving-abc_ef",
      ".UserSetting.dat.saving-abcdef"};
  for (const std::string& name : kept) WriteBytes(dir.File(name), "user's");
  WriteBytes(dir.File(".brand_code.csv.saving-Zz9Zz9"), "stale");

  Save(path, "other");
  hooks = {};
  EXPECT_FALSE(fs::exists(dir.File(".brand_code.csv.saving-Zz9Zz9")));
  for (const std::string& name : kept) EXPECT_TRUE(fs::exists(dir.File(name))) << name;
  live.Commit();
  EXPECT_EQ(ReadBytes(path), std::string(100000, 'x') + "\r\n");
  EXPECT_EQ(EntriesIn(dir.Dir()), kept.size() + 1);
}

}  // namespace
}  // namespace quillivar
