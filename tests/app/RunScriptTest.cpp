// scripts/run.sh as a user starts it: from another folder, with a report named from there. The
// build tools and the viewer are stubs on a private PATH and in a private build folder, so the
// test builds nothing and opens no window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/classes/ScopeGuard.h"
#include "tests/TestTemp.h"

namespace {
void WriteScript(const std::string& File, const std::string& Text) {
  std::ofstream(File) << "#!/bin/sh\n" << Text;
  std::filesystem::permissions(File, std::filesystem::perms::owner_all);
}
std::string ReadText(const std::string& File) {
  std::ifstream In(File);
  return {std::istreambuf_iterator<char>(In), {}};
}
}  // namespace

TEST(RunScriptTest, OpensTheReportNamedFromTheCallersFolder) {
  namespace fs = std::filesystem;
  TTestTempFiles Temp;
  std::string Root = Temp.Path("run");
  TFinally Clean([&] { fs::remove_all(Root); });
  fs::create_directories(Root + "/bin");
  fs::create_directories(Root + "/build/app");
  fs::create_directories(Root + "/caller/sub");
  WriteScript(Root + "/bin/cmake", "exit 0\n");
  WriteScript(Root + "/build/app/mivoreport", "printf '%s' \"$1\" > '" + Root + "/opened'\n");
  std::ofstream(Root + "/caller/sub/my report.lxp") << "x";
  struct Case {
    std::string Arg, Opened;
  } Cases[] = {{"'sub/my report.lxp'", Root + "/caller/sub/my report.lxp"},
               {"", Root + "/build/app/sample.lxp"}};
  for (const Case& C : Cases) {
    fs::remove(Root + "/opened");
    std::string Cmd = "cd '" + Root + "/caller' && env PATH='" + Root + "/bin':\"$PATH\" BUILD_DIR='" + Root +
                      "/build' DISPLAY=:999 bash '" MOR_SOURCE_DIR "/scripts/run.sh' " + C.Arg + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(Cmd.c_str()), 0) << Cmd;
    EXPECT_EQ(ReadText(Root + "/opened"), C.Opened) << C.Arg;
  }
}
