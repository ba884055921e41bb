// The two sample programs as a user runs them: a database path that exists is refused and kept,
// what a run made is removed again, and the pp sample says when it has no display.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/sample/SampleData.h"
#include "tests/TestTemp.h"

namespace {
namespace fs = std::filesystem;

struct TRun {
  int Status = -1;  // the exit status, or -1 when the program did not exit
  std::string Output;
};

TRun RunProgram(const std::string& Command) {
  TRun R;
  if (FILE* P = popen((Command + " 2>&1").c_str(), "r")) {
    char Buf[4096];
    size_t Got;
    while ((Got = fread(Buf, 1, sizeof Buf, P)) > 0) R.Output.append(Buf, Got);
    const int S = pclose(P);
    if (WIFEXITED(S)) R.Status = WEXITSTATUS(S);
  }
  return R;
}

std::string ReadText(const std::string& File) {
  std::ifstream In(File);
  return {std::istreambuf_iterator<char>(In), {}};
}

TEST(SampleProgramsTest, ADatabasePathThatExistsIsRefusedAndKept) {
  TTestTempFiles Temp;
  const std::string Kept = Temp.Path("precious.db"), Report = Temp.Path("out.lxp");
  std::ofstream(Kept) << "not the sample's";
  for (const std::string& Program : {"'" MOR_SAMPLE_MAKER "' '" + Report + "'", std::string("'" MOR_PPSAMPLE "'")}) {
    const TRun R = RunProgram("env QT_QPA_PLATFORM=offscreen " + Program + " '" + Kept + "'");
    EXPECT_EQ(SampleFileExistsStatus, R.Status) << Program << "\n" << R.Output;
    EXPECT_NE(std::string::npos, R.Output.find(Format(SSampleFileExists, {Kept}))) << R.Output;
    EXPECT_EQ("not the sample's", ReadText(Kept)) << Program;
  }
  EXPECT_FALSE(fs::exists(Report)) << "no report without its data";
}

// The database of a run, named or a private temporary file, goes when the run ends; the report stays.
TEST(SampleProgramsTest, TheDatabaseARunMadeIsRemoved) {
  TTestTempFiles Temp;
  const std::string TempFolder = Temp.Path("tmp"), Report = Temp.Path("out.lxp"), Named = Temp.Path("new.db");
  fs::create_directory(TempFolder);
  for (const std::string& Database : {std::string(), Named}) {
    const TRun R = RunProgram("env TMPDIR='" + TempFolder + "' QT_QPA_PLATFORM=offscreen '" MOR_SAMPLE_MAKER "' '" + Report +
                       "'" + (Database.empty() ? "" : " '" + Database + "'"));
    EXPECT_EQ(0, R.Status) << R.Output;
    EXPECT_TRUE(fs::is_regular_file(Report)) << R.Output;
    for (const auto& E : fs::recursive_directory_iterator(TempFolder))  // Qt may leave its runtime folder
      EXPECT_FALSE(E.is_regular_file()) << E.path();
    EXPECT_FALSE(fs::exists(Named));
  }
  fs::remove_all(TempFolder);
}

TEST(SampleProgramsTest, ThePPSampleWithoutADisplaySaysSoInsteadOfAborting) {
  const TRun R = RunProgram("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" MOR_PPSAMPLE "'");
  EXPECT_EQ(1, R.Status) << R.Output;
  const std::string Said = Format(SSampleNeedsDesktop, {""});
  EXPECT_NE(std::string::npos, R.Output.find(Said.substr(0, Said.find(':')))) << R.Output;
}

}  // namespace
