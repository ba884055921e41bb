// Export runs of a real report (labels on a detail band, many records) into the filters, read
// back as their users read them: the text file as text, RTF as its tab stops and through a word
// processor, PDF through poppler.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "lxreport/LXBands.h"
#include "lxreport/LXGridFilters.h"
#include "lxreport/LXLabel.h"
#include "lxreport/LXPDFFilter.h"
#include "lxreport/LXTextFilters.h"
#include "tests/lxreport/LXEngineTestSupport.h"
#include "tests/lxreport/LXExportTestSupport.h"
#include "tests/lxreport/LXPDFTestSupport.h"
#include "tests/platform/graphics/FontTestUtil.h"

using namespace lxtest;

namespace {
constexpr long double PointsPerTenth = 0.28346456692913385826L;

// A customer list: per record a name (left), an amount right-aligned in the box 900..1300
// and a city from 1350, in tenths of a millimetre from the left margin (100).
class LXExportRunTest : public ::testing::Test, public TEngineScope {
protected:
  void SetUp() override {
    TLXPage& P = *Report->Page();
    P.SetPaperSize(TLXPaperSize::A4);
    P.SetLeftMargin(100);
    P.SetTopMargin(100);
    P.SetBottomMargin(100);
    Report->Font()->Assign(MakeFont(10));
    Report->SetShowProgress(false);
    Detail = Report->NewBand(rbDetail);
    Detail->Size()->SetUnits(TLXUnit::Native);
    Detail->Size()->SetHeight(50);
    Label(0, 850, taLeftJustify, [](int R) { return "Cliente " + std::to_string(R); });
    Label(900, 400, taRightJustify, [](int R) { return Amount(R); });
    Label(1350, 500, taLeftJustify, [](int R) { return R % 2 ? "Campinas" : "Belo Horizonte"; });
  }

  // Amounts of varying widths, as a money column has.
  static std::string Amount(int R) {
    static const char* const Amounts[] = {"1,00", "12.345,67", "999,99", "1.000.000,00", "45,10"};
    return Amounts[R % 5];
  }

  TLXLabel* Label(long double Left, long double Width, TAlignment Alignment, std::function<std::string(int)> Text) {
    auto* L = new TLXLabel(&Form);
    L->SetParent(Detail);
    L->SetAutoSize(false);
    L->SetAlignment(Alignment);
    L->Font()->Assign(MakeFont(10));
    L->Size()->SetLeft(Left);
    L->Size()->SetTop(5);
    L->Size()->SetWidth(Width);
    L->Size()->SetHeight(40);
    L->SetCaption("-");  // OnPrint runs only for a label with text
    L->OnPrint = [this, Text](TObject*, std::string& Value) { Value = Text(Record); };
    return L;
  }

  void Export(TLXExportFilter& F, int Records) {
    this->Records(Records);
    Record = 0;
    Report->ExportRun(&F);
  }

  TLXBand* Detail = nullptr;
  TTestTempFiles Temp;
};

std::vector<std::string> Lines(const std::string& S) {
  std::vector<std::string> R;
  std::istringstream In(S);
  for (std::string L; std::getline(In, L);) {
    if (!L.empty() && L.back() == '\r') L.pop_back();
    R.push_back(L);
  }
  return R;
}

}  // namespace

// The filters get a right-aligned line where it is drawn, its box's right edge, so amounts end in
// one column and never run over the name before them.
TEST_F(LXExportRunTest, RightAlignedTextsEndAtTheirBoxInTextRtfAndPdf) {
  REQUIRE_METRIC_FONTS();
  const long double Right = 100 + 900 + 400;  // the amount box's right edge on the paper

  {  // Plain text: the amount's last character sits at the same column on every line.
    const std::string File = Temp.Path("list.txt");
    TLXAsciiExportFilter F(File);
    Export(F, 60);
    const auto Got = Lines(ReadAll(File));
    ASSERT_EQ(Got.size(), 60u);
    // Column = X / character width x 1.7, less the text's length: the end is the same for all.
    const size_t End = static_cast<size_t>(std::llrintl(Right / (10 * 3.5277777777777777778L) * 1.7L)) - 1;
    for (size_t I = 0; I < Got.size(); ++I) {
      const int R = static_cast<int>(I) + 1;
      const std::string A = Amount(R);
      EXPECT_EQ(Got[I].find(" " + A + " ") + 1 + A.size(), End) << Got[I];
      EXPECT_NE(Got[I].find("Cliente " + std::to_string(R) + " "), std::string::npos) << Got[I];
      EXPECT_NE(Got[I].find(R % 2 ? "Campinas" : "Belo Horizonte"), std::string::npos) << Got[I];
    }
  }
  {  // RTF: the amount's tab stop is a right tab at the box's right edge.
    const std::string File = Temp.Path("list.rtf");
    TLXRTFExportFilter F(File);
    Export(F, 60);
    const std::string Rtf = ReadAll(File);
    const std::string Stop = "\\tqr\\tx" + std::to_string(std::llrintl(Right * 5.669291338582677165L - 100 *
                                                                           5.669291338582677165L) + 20);
    size_t Stops = 0;
    for (size_t P = Rtf.find(Stop); P != std::string::npos; P = Rtf.find(Stop, P + 1)) ++Stops;
    EXPECT_EQ(Stops, 60u) << Stop;
  }
  {  // PDF: every amount ends at the edge, within a point, and starts after the name ends.
    const std::string File = Temp.Path("list.pdf");
    {
      TLXPDFDocumentFilter F(File);
      Export(F, 60);
    }
    const auto Words = PdfWords(File);
    int Amounts = 0;
    for (const TPdfWord& W : Words) {
      if (W.Text.find(',') == std::string::npos) continue;
      ++Amounts;
      EXPECT_NEAR(W.XMax, double(Right * PointsPerTenth), 0.8) << W.Text;
      // Nothing else on its line reaches into it.
      for (const TPdfWord& O : Words)
        if (&O != &W && O.Page == W.Page && std::abs(O.YMin - W.YMin) < 1)
          EXPECT_TRUE(O.XMax < W.XMin || O.XMin > W.XMax) << O.Text << " / " << W.Text;
    }
    EXPECT_EQ(Amounts, 60);
  }
}

namespace {
// The RTF opened by a word processor (LibreOffice, headless, with a profile of its own) and
// saved as PDF: the number of pages it lays the document out on.
int WordProcessorPages(const std::string& Rtf, TTestTempFiles& Temp) {
  const std::filesystem::path Dir = Temp.Path("office");
  std::filesystem::create_directories(Dir);
  RunCommand("cd '" + Dir.string() + "' && HOME='" + Dir.string() + "' timeout 300 soffice -env:UserInstallation=file://" +
             Dir.string() + "/profile --headless --convert-to pdf --outdir '" + Dir.string() + "' '" + Rtf +
             "' >/dev/null 2>&1");
  const int Pages = ReadPdfInfo((Dir / std::filesystem::path(Rtf).stem()).string() + ".pdf").Pages;
  std::filesystem::remove_all(Dir);
  return Pages;
}
}  // namespace

// A word processor lays the RTF out on as many pages as the report has: every line is as tall as
// its own font (the tab before each text too), and the font table names fonts it knows.
TEST_F(LXExportRunTest, AWordProcessorOpensTheRtfOnTheReportsPages) {
  REQUIRE_METRIC_FONTS();
  ASSERT_TRUE(HaveTool("soffice")) << "LibreOffice is installed by scripts/deps.sh";
  this->Records(8 * 54);
  Report->Prepare();
  const int ReportPages = Report->ActivePrinter()->PageCount();
  ASSERT_GE(ReportPages, 8);
  const std::string File = Temp.Path("list.rtf");
  TLXRTFExportFilter F(File);
  Export(F, 8 * 54);
  EXPECT_EQ(WordProcessorPages(File, Temp), ReportPages);
}
