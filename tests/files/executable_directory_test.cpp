#include "files/executable_directory.h"

#include <gtest/gtest.h>

namespace quillivar {
namespace {

TEST(DirectoryOfPathTest, KeepsTheLastSeparator) {
  EXPECT_EQ(DirectoryOfPath("/opt/tools/Quillivar"), "/opt/tools/");
  EXPECT_EQ(DirectoryOfPath("/Quillivar"), "/");
  EXPECT_EQ(DirectoryOfPath("Quillivar"), "");
}

}  // namespace
}  // namespace quillivar
