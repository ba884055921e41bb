#include "platform/sys/SharedMemory.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/sys/Process.h"

namespace {
std::string UniqueName(const char* Tag) { return "mor-test-" + std::to_string(ProcessId()) + "-" + Tag; }

TEST(SharedMemoryTest, CreateOpenRemove) {
  std::string Name = UniqueName("a");
  TSharedMemory::Remove(Name);
  TSharedMemory Owner;
  ASSERT_TRUE(Owner.Create(Name, 100));
  EXPECT_EQ(Owner.Size(), 100u);
  EXPECT_EQ(Owner.Data()[99], 0);
  std::memcpy(Owner.Data(), "hello", 5);
  EXPECT_TRUE(TSharedMemory::Exists(Name));

  // A second block of the same name cannot be made; the existing one is found with its size.
  TSharedMemory Again;
  EXPECT_FALSE(Again.Create(Name, 10));
  TSharedMemory Reader;
  ASSERT_TRUE(Reader.Open(Name));
  EXPECT_EQ(Reader.Size(), 100u);
  EXPECT_EQ(std::memcmp(Reader.Data(), "hello", 5), 0);

  // Removing the name leaves the mapped blocks in place for those who hold them.
  EXPECT_TRUE(TSharedMemory::Remove(Name));
  EXPECT_FALSE(TSharedMemory::Exists(Name));
  EXPECT_EQ(std::memcmp(Reader.Data(), "hello", 5), 0);
  TSharedMemory Gone;
  EXPECT_FALSE(Gone.Open(Name));
  EXPECT_FALSE(Gone.Active());
}

TEST(SharedMemoryTest, InvalidNamesAreRefused) {
  TSharedMemory M;
  EXPECT_FALSE(M.Create("", 4));
  EXPECT_FALSE(M.Create("a/b", 4));
  EXPECT_FALSE(M.Open("a/b"));
  EXPECT_FALSE(TSharedMemory::Exists(""));
}

TEST(SharedMemoryTest, AnotherProcessSeesTheBytes) {
  std::string Name = UniqueName("b");
  TSharedMemory::Remove(Name);
  TSharedMemory Owner;
  ASSERT_TRUE(Owner.Create(Name, 8));
  std::memcpy(Owner.Data(), "ping", 4);
  pid_t Child = ::fork();
  ASSERT_GE(Child, 0);
  if (Child == 0) {
    TSharedMemory Other;
    bool Ok = Other.Open(Name) && Other.Size() == 8 && std::memcmp(Other.Data(), "ping", 4) == 0;
    if (Ok) std::memcpy(Other.Data() + 4, "pong", 4);
    ::_exit(Ok ? 0 : 1);
  }
  int Status = 0;
  ASSERT_EQ(::waitpid(Child, &Status, 0), Child);
  EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0);
  EXPECT_EQ(std::memcmp(Owner.Data() + 4, "pong", 4), 0);
  TSharedMemory::Remove(Name);
}
}  // namespace
