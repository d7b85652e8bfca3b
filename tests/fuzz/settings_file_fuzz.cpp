// ReadSettingsFile on any file contents: the 43 flags are those of a plain
// reading of the same bytes (line k is exactly "True"; lines end at LF or
// CR LF; missing lines are false).
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "settings/settings_file.h"

namespace {

std::string& DirectoryName() {
  static std::string name;
  return name;
}

void RemoveDirectory() {
  const std::string& name = DirectoryName();
  ::unlink((name + "/UserSetting.dat").c_str());
  ::rmdir(name.c_str());
}

// One folder for the whole run, standing in for the program's folder; gone
// when the run ends.
const std::string& ProgramDirectory() {
  static const std::string directory = [] {
    char pattern[] = "/tmp/quillivar-fuzz-settings-XXXXXX";
    FUZZ_CHECK(mkdtemp(pattern) != nullptr);
    DirectoryName() = pattern;
    std::atexit(RemoveDirectory);
    return DirectoryName() + "/";
  }();
  return directory;
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(file != nullptr);
  FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
  FUZZ_CHECK(std::fclose(file) == 0);
}

quillivar::SelectionFlags ReferenceFlags(std::string_view bytes) {
  quillivar::SelectionFlags flags{};
  for (std::size_t k = 0; k < flags.size() && !bytes.empty(); ++k) {
    std::size_t end = 0;
    while (end < bytes.size() && bytes[end] != '\n') ++end;
    std::string_view line = bytes.substr(0, end);
    if (end < bytes.size() && line.ends_with('\r')) line.remove_suffix(1);
    flags[k] = line == "True";
    bytes.remove_prefix(end < bytes.size() ? end + 1 : end);
  }
  return flags;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string& directory = ProgramDirectory();
  WriteFile(directory + "UserSetting.dat", bytes);

  quillivar::SelectionFlags flags;
  flags.fill(true);  // every flag must be set from its line, true or false
  quillivar::ReadSettingsFile(directory, flags);
  FUZZ_CHECK(flags == ReferenceFlags(bytes));
  return 0;
}
