// A fresh folder under the system's temporary directory, removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdlib.h>

#include <string>

namespace quillivar::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quillivar-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder with a trailing "/", as the program keeps its own.
  std::string Dir() const { return path_ + "/"; }
  std::string File(const std::string& name) const { return Dir() + name; }

 private:
  std::string path_;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// UserSetting.dat as the settings dialog saves it: 43 lines "True" or
// "False", CR LF, line k (1-based) "True" where `selected(k)`.
inline std::string UserSettingText(const std::function<bool(int line)>& selected) {
  std::string file;
  for (int line = 1; line <= 43; ++line) file += selected(line) ? "True\r\n" : "False\r\n";
  return file;
}

// Writes that file into `folder` (ending with "/"); every box by default.
inline void WriteUserSetting(
    const std::string& folder,
    const std::function<bool(int line)>& selected = [](int) { return true; }) {
  WriteBytes(folder + "UserSetting.dat", UserSettingText(selected));
}

}  // namespace quillivar::testing
