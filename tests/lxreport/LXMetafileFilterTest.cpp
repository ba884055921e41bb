#include "lxreport/LXMetafileFilter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "lxreport/LXPrntr.h"
#include "tests/lxreport/LXExportTestSupport.h"
#include "tests/lxreport/LXReportTestSupport.h"
#include "tests/platform/printing/VirtualPrinterFixture.h"

using namespace lxtest;

namespace {
class LXMetafileFilterTest : public VirtualPrinterTest {
protected:
  // Pages pages of stored pages; page N has N black bars and the text "Página N".
  static void Run(TLXPrinter& P, int Pages) {
    P.BeginDoc();
    for (int N = 1; N <= Pages; ++N) {
      P.NewPage();
      P.Canvas()->Brush().SetColor(clBlack);
      for (int I = 0; I < N; ++I) P.Canvas()->FillRect(Rect(P.XPos(100), P.YPos(100 + 100 * I), P.XPos(900), P.YPos(150 + 100 * I)));
      P.Canvas()->Brush().SetStyle(bsClear);
      P.Canvas()->Font().SetName("Arial");
      P.Canvas()->Font().SetSize(12);
      P.Canvas()->TextOut(P.XPos(100), P.YPos(1000), "Página " + std::to_string(N));
    }
    P.EndDoc();
  }
  // Runs the filter as a report's export run does, over Source's stored pages.
  static void Export(const std::string& File, TLXPrinter& Source, TComponent* Report) {
    TLXWMFExportFilter F(File);
    F.SetOwner(Report);
    F.SetSourcePrinter(&Source);
    RunPages(F, {{}, {}}, MakeFont(10));
  }
};
}  // namespace

TEST_F(LXMetafileFilterTest, EveryStoredPageBecomesAWindowsMetafile) {
  TGeometryScope Geometry;
  TTestTempFiles Temp;
  const std::string Dir = Temp.Adopt(::testing::TempDir() + "mor-wmf-" + std::to_string(getpid()));
  std::filesystem::create_directories(Dir);
  auto Report = NewReport();
  TLXPrinter Source;
  Run(Source, 3);
  Source.SetPageNumber(1);  // the page on show is not the page count
  {
    TLXWMFFilter Component(nullptr);  // a component makes plain metafiles
    EXPECT_FALSE(Component.Enhanced());
    Export(Dir + "/report.wmf", Source, Report.get());
  }
  for (int N = 1; N <= 3; ++N) {
    const std::string File = Dir + "/report00" + std::to_string(N) + ".wmf";
    Temp.Adopt(File);
    ASSERT_TRUE(std::filesystem::exists(File)) << File;
    const std::string Bytes = ReadAll(File);
    EXPECT_EQ(Bytes.substr(0, 4), std::string("\xD7\xCD\xC6\x9A", 4));
    ASSERT_TRUE(HaveTool("wmf2svg")) << "wmf2svg is installed by scripts/deps.sh";
    const std::string Svg = Temp.Path("page.svg");
    ASSERT_EQ(std::system(("wmf2svg -o '" + Svg + "' '" + File + "' 2>/dev/null").c_str()), 0);
    const std::string S = ReadAll(Svg);
    EXPECT_NE(S.find(std::to_string(N) + "<"), std::string::npos) << N;
  }
  EXPECT_FALSE(std::filesystem::exists(Dir + "/report004.wmf"));
  std::filesystem::remove_all(Dir);
}

TEST_F(LXMetafileFilterTest, EnhancedWritesThePagesBytes) {
  TGeometryScope Geometry;
  TTestTempFiles Temp;
  auto Report = NewReport();
  TLXPrinter Source;
  Run(Source, 2);
  const std::string Base = Temp.Path("pages");
  TLXWMFFilter Component(nullptr);
  Component.SetEnhanced(true);
  Export(Base, Source, Report.get());  // no extension: the whole name is the base
  for (int N = 1; N <= 2; ++N) {
    const std::string File = Temp.Adopt(Base + "00" + std::to_string(N) + ".emf");
    const auto Stored = Source.GetPage(N);
    const auto& Page = Stored->Data();
    EXPECT_EQ(ReadAll(File), std::string(Page.begin(), Page.end()));
    if (HaveTool("emf2svg-conv")) {
      const std::string Svg = Temp.Path("page.svg");
      ASSERT_EQ(std::system(("emf2svg-conv -i '" + File + "' -o '" + Svg + "' 2>/dev/null").c_str()), 0);
      EXPECT_NE(ReadAll(Svg).find("gina " + std::to_string(N)), std::string::npos);
    }
  }
}

TEST_F(LXMetafileFilterTest, WithoutAReportOwnerNothingIsWritten) {
  TTestTempFiles Temp;
  TLXPrinter Source;
  Run(Source, 1);
  const std::string Base = Temp.Path("none");
  TLXWMFFilter Component(nullptr);
  Export(Base + ".wmf", Source, nullptr);
  EXPECT_FALSE(std::filesystem::exists(Base + "001.wmf"));
}
