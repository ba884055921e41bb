#include "lxreport/LXTextFilters.h"

#include <gtest/gtest.h>

#include "lxreport/VexaRpt.h"
#include "platform/graphics/FontEngine.h"
#include "platform/rtl/LocaleCase.h"
#include "tests/lxreport/LXExportTestSupport.h"
#include "tests/lxreport/LXReportTestSupport.h"
#include "tests/platform/graphics/FontTestUtil.h"

using namespace lxtest;

namespace {
// Tenths of a millimetre of one RTF grid line (a point).
constexpr long double Pt = 3.5277777777777777778L;

std::string Unrtf(const std::string& File) {
  std::string Out = RunCommand("unrtf --text '" + File + "' 2>/dev/null");
  // Its own banner comes first, each line starting with "###".
  std::string Body;
  size_t Pos = 0;
  while (Pos < Out.size()) {
    size_t End = Out.find('\n', Pos);
    if (End == std::string::npos) End = Out.size();
    std::string Line = Out.substr(Pos, End - Pos);
    if (Line.rfind("###", 0) != 0) Body += Line + "\n";
    Pos = End + 1;
  }
  return Body;
}
}  // namespace

TEST(LXRTFExportFilterTest, LinesBecomeParagraphsWithTabsAndPageBreaks) {
  TTestTempFiles Temp;
  const std::string File = Temp.Path("out.rtf");
  TLXRTFExportFilter F(File);
  const TFont Report = MakeFont(10, clBlack);
  RunPages(F,
           {{{200, 100 * Pt, "Nome", taLeftJustify, MakeFont(10, clBlack, fsBold)},
             {800, 100 * Pt, "Valor {x}", taRightJustify, MakeFont(12, clRed)},
             {200, 120 * Pt, "Ação \\ fim"}},
            {{200, 100 * Pt, "segunda"}},
            {}},
           Report);
  EXPECT_FALSE(F.Active());
  const std::string Rtf = ReadAll(File);
  EXPECT_EQ(Rtf.rfind("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720\\margl720\\margr720\\margt720\\margb720{\\fonttbl", 0),
            0u);
  EXPECT_NE(Rtf.find("{\\colortbl\\red0\\green0\\blue0;\\red128\\green0\\blue0;"), std::string::npos);
  EXPECT_NE(Rtf.find("\r\n\\deflang1033\r\n"), std::string::npos);
  // Tab stops: left at 200 tenths less the 720-twip margin, plus 20; right-aligned at 800.
  EXPECT_NE(Rtf.find("\\tql\\tx434\\tqr\\tx3835\r\n"), std::string::npos) << Rtf;
  EXPECT_NE(Rtf.find("{\\plain\\f0\\fs20\\b\\tab Nome\\plain"), std::string::npos) << Rtf;
  // Red is colour 9; the tab in the item's font, with no blank of its own before the text;
  // braces escaped.
  EXPECT_NE(Rtf.find("\\fs24\\cf9\\tab Valor \\{x\\}{\\fs1\\par}}"), std::string::npos) << Rtf;
  EXPECT_NE(Rtf.find("A\\'e7\\'e3o \\\\ fim"), std::string::npos);
  // One break before each later page, none for the first; the empty last page still gets one.
  size_t Breaks = 0;
  for (size_t P = Rtf.find("{\\page }"); P != std::string::npos; P = Rtf.find("{\\page }", P + 1)) ++Breaks;
  EXPECT_EQ(Breaks, 2u);
  EXPECT_EQ(Rtf.substr(Rtf.size() - 8), "\\par }\r\n");

  ASSERT_TRUE(HaveTool("unrtf")) << "unrtf is installed by scripts/deps.sh";
  const std::string Text = Unrtf(File);
  EXPECT_NE(Text.find("Nome"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Valor {x}"), std::string::npos) << Text;
  EXPECT_EQ(Text.find(" Valor"), std::string::npos) << "no blank of the colour's own";
  // unrtf writes Latin-1.
  EXPECT_NE(Text.find("A\xE7\xE3o \\ fim"), std::string::npos) << Text;
  EXPECT_LT(Text.find("fim"), Text.find("segunda"));
}

// A tab inside the data stays part of its text: a blank, never a jump to the next item's tab
// stop (which would move every later item of the line).
TEST(LXTextFiltersTest, ATabInTheDataIsABlankOfItsText) {
  TTestTempFiles Temp;
  const std::string Rtf = Temp.Path("tab.rtf"), Txt = Temp.Path("tab.txt");
  const long double C = 35.277777777777777778L;
  const TPageTexts Page = {{200, 100 * Pt, "Nome\tSobrenome"}, {1200, 100 * Pt, "fim\x01"}};
  TLXRTFExportFilter R(Rtf);
  RunPages(R, {Page}, MakeFont(10));
  const std::string Out = ReadAll(Rtf);
  EXPECT_EQ(Out.find('\t'), std::string::npos);
  EXPECT_NE(Out.find(" Nome Sobrenome\\plain"), std::string::npos) << Out;
  EXPECT_NE(Out.find(" fim\\'01{"), std::string::npos) << Out;
  size_t Tabs = 0;
  for (size_t P = Out.find("\\tab"); P != std::string::npos; P = Out.find("\\tab", P + 1)) ++Tabs;
  EXPECT_EQ(Tabs, 2u);  // one per item
  ASSERT_TRUE(HaveTool("unrtf"));
  EXPECT_NE(Unrtf(Rtf).find("Nome Sobrenome"), std::string::npos) << Unrtf(Rtf);

  TLXAsciiExportFilter T(Txt);
  RunPages(T, {{{0, 0, "a\tb"}, {10 * C / 1.7L, 0, "c"}}}, MakeFont(10));
  EXPECT_EQ(ReadAll(Txt), "a b      c\r\n");
}

TEST(LXRTFExportFilterTest, PageSetupOfTheOwningReportGivesPaperAndMargins) {
  TGeometryScope Geometry;
  TTestTempFiles Temp;
  auto Report = NewReport();
  Report->Page()->SetOrientation(poLandscape);
  Report->Page()->SetLeftMargin(254);  // one inch
  TLXRTFExportFilter F(Temp.Path("setup.rtf"));
  F.SetOwner(Report.get());
  RunPages(F, {{}}, MakeFont(10));
  EXPECT_NE(F.Header().find("\\margl1440"), std::string::npos) << F.Header();
  EXPECT_NE(F.Header().find("\\paperh"), std::string::npos);
  EXPECT_EQ(F.Header().substr(F.Header().size() - 10), "\\landscape");
}

TEST(LXRTFExportFilterTest, FontListNamesInstalledFamiliesAndFindsWindowsFaces) {
  TTestTempFiles Temp;
  TLXRTFExportFilter F(Temp.Path("fonts.rtf"));
  RunPages(F, {}, MakeFont(10));
  ASSERT_FALSE(RTFFontList().empty());
  for (size_t I = 1; I < RTFFontList().size(); ++I)
    EXPECT_FALSE(AnsiSameText(RTFFontList()[I - 1].Name, RTFFontList()[I].Name));
  EXPECT_NE(F.FontTable().find("{\\f0\\f"), std::string::npos);
  // A face the system draws with a metric-compatible family finds that family.
  if (FontEngine::FaceInstalled("Arial")) EXPECT_GE(RTFFontIndex("Arial"), 0);
  EXPECT_EQ(RTFFontIndex("No Such Face At All"), RTFFontIndex(FontEngine::MapFaceName("No Such Face At All")));
}

// The font table lists the fonts the document uses, the report's first (the default font),
// each once, under its family name; the items refer to them by that table's numbers.
TEST(LXRTFExportFilterTest, FontTableListsOnlyTheFontsUsedUnderTheirFamilyNames) {
  REQUIRE_METRIC_FONTS();
  TTestTempFiles Temp;
  const std::string File = Temp.Path("used.rtf");
  TLXRTFExportFilter F(File);
  RunPages(F,
           {{{200, 100 * Pt, "a", taLeftJustify, MakeFont(10, clBlack, 0, "Courier New")},
             {900, 100 * Pt, "b", taLeftJustify, MakeFont(12, clBlack, fsBold, "Times New Roman")},
             {200, 120 * Pt, "c", taLeftJustify, MakeFont(9, clBlack, 0, "courier new")},
             {200, 140 * Pt, "d", taLeftJustify, MakeFont(9)}}},
           MakeFont(10));
  EXPECT_EQ(F.FontTable(), "{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}{\\f2\\froman Times New Roman;}}");
  const std::string Rtf = ReadAll(File);
  EXPECT_EQ(Rtf.find(F.FontTable()), Rtf.find("{\\fonttbl"));
  EXPECT_NE(Rtf.find("\\f1\\fs20\\tab a\\plain\\f2\\fs24\\b\\tab b{"), std::string::npos) << Rtf;
  EXPECT_NE(Rtf.find("\\f1\\fs18\\tab c{"), std::string::npos) << Rtf;
  EXPECT_NE(Rtf.find("\\f0\\fs18\\tab d{"), std::string::npos) << Rtf;
  EXPECT_EQ(RTFFamilyName("DejaVu Sans [Qt Embedded]"), "DejaVu Sans");
  EXPECT_EQ(RTFFamilyName("Arial"), "Arial");
}

TEST(LXRTFExportFilterTest, CompositeRunWritesEveryMemberIntoOneFile) {
  TTestTempFiles Temp;
  const std::string File = Temp.Path("two.rtf");
  for (auto* Make : {+[](const std::string& N) -> std::unique_ptr<TLXExportFilter> {
                       return std::make_unique<TLXRTFExportFilter>(N);
                     },
                     +[](const std::string& N) -> std::unique_ptr<TLXExportFilter> {
                       return std::make_unique<TLXAsciiExportFilter>(N);
                     }}) {
    auto F = Make(File);
    const TFont Font = MakeFont(10);
    // Each member starts the filter only when it is not active; only the last run finishes it.
    for (const char* Member : {"first member", "second member"}) {
      if (!F->Active()) F->Start(2100, 2970, &Font);
      F->EndPage();
      F->NewPage();
      F->TextOut(100, 100, &Font, clWhite, taLeftJustify, Member);
    }
    F->EndPage();
    F->Finish();
    const std::string Out = ReadAll(File);
    EXPECT_NE(Out.find("first member"), std::string::npos) << F->GetFilterName();
    EXPECT_NE(Out.find("second member"), std::string::npos) << F->GetFilterName();
  }
}

TEST(LXAsciiExportFilterTest, CharacterGridLines) {
  TTestTempFiles Temp;
  const std::string File = Temp.Path("out.txt");
  TLXAsciiExportFilter F(File);
  const TFont Font = MakeFont(10);  // a character is 35.28 tenths square
  const long double C = 35.277777777777777778L;
  // Column = X / C x 1.7; line = Y / C rounded.
  RunPages(F,
           {{{20 * C / 1.7L, 3 * C, "left"},
             {21 * C / 1.7L, 5 * C, "mid", taCenter},  // X is its middle: column 21 - 1.5
             {20 * C / 1.7L, 7 * C, "right", taRightJustify},
             {10 * C / 1.7L, 250 * C, "past line 200"}},
            {{0, 0, "page two é"}}},
           Font, 2100, 2970);
  EXPECT_EQ(ReadAll(File),
            "                   left\r\n"
            "                   mid\r\n"
            "              right\r\n"
            "page two é\r\n");
}

TEST(LXAsciiExportFilterTest, LaterTextOverwritesItsColumns) {
  TTestTempFiles Temp;
  TLXAsciiExportFilter F(Temp.Path("x.txt"));
  TFont Font = MakeFont(10);
  F.Start(2100, 2970, &Font);
  F.NewPage();
  const long double C = 35.277777777777777778L;
  F.TextOut(1 * C / 1.7L, 0, &Font, clWhite, taLeftJustify, "abcdef");
  F.TextOut(3 * C / 1.7L, 0, &Font, clWhite, taLeftJustify, "XY");
  F.TextOut(0, 0, &Font, clWhite, taLeftJustify, ">");  // below column 1: inserted at the start
  EXPECT_EQ(F.Line(0), ">abXYef");
  F.NewPage();
  EXPECT_EQ(F.Line(0), "");
  F.Finish();
}

TEST(LXTextFiltersTest, ComponentsRegisterTheirClasses) {
  const size_t Before = ExportFilterLibrary->FilterList().size();
  {
    TLXRTFFilter Rtf(nullptr);
    TLXTextFilter Txt(nullptr);
    const auto& L = ExportFilterLibrary->FilterList();
    ASSERT_EQ(L.size(), Before + 2);
    EXPECT_EQ(L[Before].Name, "RTF File");
    EXPECT_EQ(L[Before + 1].Name, "Text file");
    EXPECT_EQ(L[Before + 1].Extension, "TXT");
  }
  EXPECT_EQ(ExportFilterLibrary->FilterList().size(), Before);
}
