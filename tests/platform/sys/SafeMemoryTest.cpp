#include "platform/sys/SafeMemory.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstring>

namespace {
// Two pages: the first readable and filled with a pattern, the second with no access at all.
class SafeMemoryTest : public ::testing::TestWithParam<TSafeReadMethod> {
protected:
  void SetUp() override {
    SetSafeReadMethod(GetParam());
    void* P = ::mmap(nullptr, 2 * Page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(P, MAP_FAILED);
    Base = static_cast<uint8_t*>(P);
    for (size_t I = 0; I < Page; ++I) Base[I] = static_cast<uint8_t>(I * 7);
    ASSERT_EQ(::mprotect(Base + Page, Page, PROT_NONE), 0);
  }
  void TearDown() override {
    ::munmap(Base, 2 * Page);
    SetSafeReadMethod(TSafeReadMethod::Auto);
  }
  static constexpr size_t Page = 4096;
  uint8_t* Base = nullptr;
};

TEST_P(SafeMemoryTest, CopiesReadableBytesAndStopsAtTheFirstUnreadableOne) {
  uint8_t Out[64] = {};
  EXPECT_EQ(SafeReadMemory(Base + 100, Out, 64), 64u);
  EXPECT_EQ(std::memcmp(Out, Base + 100, 64), 0);

  // 16 bytes before the guard page, 48 inside it.
  std::memset(Out, 0xEE, sizeof Out);
  EXPECT_EQ(SafeReadMemory(Base + Page - 16, Out, 64), 16u);
  EXPECT_EQ(std::memcmp(Out, Base + Page - 16, 16), 0);
  EXPECT_EQ(Out[16], 0xEE);

  EXPECT_EQ(SafeReadMemory(Base + Page, Out, 8), 0u);
  EXPECT_EQ(SafeReadMemory(nullptr, Out, 8), 0u);
}

TEST_P(SafeMemoryTest, ReadableRanges) {
  int Local = 5;
  EXPECT_TRUE(IsReadableMemory(&Local, sizeof Local));
  EXPECT_TRUE(IsReadableMemory(Base, Page));
  EXPECT_TRUE(IsReadableMemory(Base + Page, 0));  // nothing to read
  EXPECT_FALSE(IsReadableMemory(Base, Page + 1));
  EXPECT_FALSE(IsReadableMemory(Base + Page + 10, 1));
  EXPECT_FALSE(IsReadableMemory(nullptr, 1));
  EXPECT_FALSE(IsReadableMemory(reinterpret_cast<const void*>(UINTPTR_MAX - 3), 8));
  // Code is readable too: the reporter dumps bytes at exception addresses.
  EXPECT_TRUE(IsReadableMemory(reinterpret_cast<const void*>(&IsReadableMemory), 32));
}

INSTANTIATE_TEST_SUITE_P(Methods, SafeMemoryTest,
                         ::testing::Values(TSafeReadMethod::Auto, TSafeReadMethod::Pipe),
                         [](const auto& Info) { return Info.param == TSafeReadMethod::Pipe ? "Pipe" : "Auto"; });
}  // namespace
