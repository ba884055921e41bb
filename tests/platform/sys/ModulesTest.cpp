#include "platform/sys/Modules.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/sys/Process.h"

namespace {
TEST(ModulesTest, ModulesOfAddresses) {
  TModuleHandle Main = MainModuleHandle();
  ASSERT_NE(Main, 0u);
  EXPECT_EQ(ModuleOfAddress(reinterpret_cast<const void*>(&ProgramPath)), Main);
  EXPECT_EQ(ModuleFileName(Main), ProgramPath());
  // A function of the C library lives in another module, named by its full path.
  TModuleHandle Libc = ModuleOfAddress(reinterpret_cast<const void*>(&::getpid));
  EXPECT_NE(Libc, 0u);
  EXPECT_NE(Libc, Main);
  EXPECT_NE(ModuleFileName(Libc).find("libc"), std::string::npos);
  int Local = 0;
  EXPECT_EQ(ModuleOfAddress(&Local), 0u);
  EXPECT_EQ(ModuleFileName(0), "");
}

}  // namespace

namespace {
TEST(ModulesTest, LoadedModulesStartWithTheProgram) {
  std::vector<TLoadedModule> List = LoadedModules();
  ASSERT_GE(List.size(), 2u);
  EXPECT_EQ(List[0].Handle, MainModuleHandle());
  EXPECT_EQ(List[0].FileName, ProgramPath());
  TModuleHandle Libc = ModuleOfAddress(reinterpret_cast<const void*>(&::getpid));
  bool Found = false;
  for (const TLoadedModule& M : List) {
    if (M.Handle != Libc) continue;
    Found = true;
    EXPECT_EQ(M.FileName, ModuleFileName(Libc));
  }
  EXPECT_TRUE(Found);
}
}  // namespace
