#include "platform/sys/FileSystem.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/classes/TempFiles.h"
#include "platform/sys/Process.h"

namespace {
TEST(FileSystemTest, FoldersAndStateHome) {
  std::string Root = GetTempPath() + "mor-sys-" + std::to_string(ProcessId());
  std::string Deep = Root + "/a/b/c";
  ASSERT_TRUE(ForceDirectories(Deep + "/"));
  EXPECT_TRUE(DirectoryWritable(Deep));
  EXPECT_FALSE(DirectoryWritable(Root + "/missing"));
  EXPECT_FALSE(DirectoryExists(""));
  for (const char* D : {"/a/b/c", "/a/b", "/a", ""}) ::rmdir((Root + D).c_str());

  std::string OldState = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
  std::string OldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("XDG_STATE_HOME", "/var/state/", 1);
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(StateHomeDirectory(), "/var/state");
  ::setenv("XDG_STATE_HOME", "relative", 1);  // not absolute: ignored, as the convention says
  EXPECT_EQ(StateHomeDirectory(), "/home/u/.local/state");
  ::unsetenv("XDG_STATE_HOME");
  ::unsetenv("HOME");
  EXPECT_EQ(StateHomeDirectory(), "");
  if (!OldState.empty()) ::setenv("XDG_STATE_HOME", OldState.c_str(), 1);
  if (!OldHome.empty()) ::setenv("HOME", OldHome.c_str(), 1);
}
}  // namespace
