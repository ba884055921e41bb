// Printables in real runs: bands, a data set, pages made by the report.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "lxreport/LXController.h"
#include "lxreport/LXExpr.h"
#include "lxreport/LXGridFilters.h"
#include "lxreport/LXLabel.h"
#include "platform/data/MemDataSet.h"
#include "platform/graphics/Bitmap.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Win1252.h"
#include "tests/lxreport/LXExportTestSupport.h"
#include "tests/lxreport/LXPrintTestSupport.h"

using namespace lxtest;

namespace {
class LXPrintRunTest : public ::testing::Test {
protected:
  TGeometryScope Geometry;
  TComponent Form{nullptr};
  TReportPtr Report = NewReport(&Form);
  int Record = 0;

  LXPrintRunTest() {
    Report->SetUnits(TLXUnit::Native);
    Report->SetName("Rep");
    Report->SetShowProgress(false);
  }
  ~LXPrintRunTest() override {
    for (TLXPrinter* P : std::vector<TLXPrinter*>(Report->Printers())) delete P;
  }
  TLXBand* Band(TLXBandType Type, long double Height) {
    TLXBand* B = Report->NewBand(Type);
    B->Size()->SetUnits(TLXUnit::Native);
    B->Size()->SetHeight(Height);
    return B;
  }
  template <class T>
  T* On(TLXCustomBand* B) {
    auto* P = new T(&Form);
    P->SetParent(B);
    return P;
  }
  // OnNeedData over Count records.
  void Records(int Count) {
    Report->OnNeedData = [this, Count](TObject*, bool& More) {
      More = Record < Count;
      if (More) ++Record;
    };
  }
  int Pages() const { return Report->ActivePrinter() ? Report->ActivePrinter()->PageCount() : 0; }
  // The texts of page N with their device positions.
  std::vector<TTextCall> TextsOf(int N) {
    auto Page = Report->ActivePrinter()->GetPage(N);
    TCallLogDC Dc(96, TSize{Page->Width(), Page->Height()});
    TCanvas C(&Dc);
    C.Draw(0, 0, *Page);
    return TextCalls(Dc.Log);
  }
  static std::vector<std::string> Strings(const std::vector<TTextCall>& Calls) {
    std::vector<std::string> Out;
    for (const TTextCall& C : Calls) Out.push_back(C.Text);
    return Out;
  }
  static long double LineHeightOf(const TFont& Font) {
    return LXScreenTextExtent(Font, "W").cy / (LXScreenPixelsPerInch() / 254.0L);
  }
};

TMemoryDataSet* Sales(TComponent* Owner, const std::vector<std::pair<std::string, int>>& Rows) {
  auto* D = new TMemoryDataSet(Owner);
  D->SetName("Sales");
  D->FieldDefs().Add("Region", ftString, 10);
  D->FieldDefs().Add("Amount", ftInteger);
  for (const auto& [R, A] : Rows) D->AppendRecord({R, A});
  D->Open();
  return D;
}
}  // namespace

TEST_F(LXPrintRunTest, AStretchingLabelGoesOnAtTheTopOfTheNextPage) {
  // A4 with 10 mm margins: bands from 100 to 2870. The title leaves room for 2.5 lines.
  TLXBand* Title = Band(rbTitle, 100);
  TLXBand* Detail = Band(rbDetail, 0);
  auto* L = On<TLXLabel>(Detail);
  L->SetAutoSize(false);
  L->SetAutoStretch(true);
  L->SetCaption("one\rtwo\rthree\rfour\rfive");
  long double LH = LineHeightOf(*L->Font());
  L->Size()->SetWidth(1000);
  L->Size()->SetHeight(LH);
  Detail->Size()->SetHeight(LH + 1);
  long double Bottom = Report->Page()->Length() - Report->Page()->BottomMargin();
  Title->Size()->SetHeight(Bottom - Report->Page()->TopMargin() - 2.5L * LH);
  Records(1);
  Report->Prepare();
  ASSERT_EQ(Pages(), 2);
  EXPECT_EQ(Strings(TextsOf(1)), (std::vector<std::string>{"one", "two"}));
  auto Second = TextsOf(2);
  EXPECT_EQ(Strings(Second), (std::vector<std::string>{"three", "four", "five"}));
  TLXPrinter& P = *Report->ActivePrinter();
  ASSERT_EQ(Second.size(), 3u);
  EXPECT_EQ(Second[0].Y, P.YPos(Report->Page()->TopMargin()));
  EXPECT_EQ(Second[2].Y, P.YPos(Report->Page()->TopMargin() + 2 * LH));
}

TEST_F(LXPrintRunTest, AggregatesPerGroupStartAgainAtTheBreak) {
  static_cast<TVexaRep*>(Report.get())
      ->SetDataSet(Sales(&Form, {{"North", 1}, {"North", 2}, {"North", 3}, {"South", 10}, {"South", 20}}));
  auto* Group = new TLXGroup(&Form);
  Group->SetName("RegionGroup");
  Group->SetParent(Report.get());
  Group->SetBandType(rbGroupHeader);
  Group->SetExpression("Region");
  TLXBand* Footer = Band(rbGroupFooter, 50);
  Group->SetFooterBand(Footer);
  Band(rbDetail, 50);
  const char* Totals[] = {"SUM(Amount)", "COUNT", "AVERAGE(Amount)"};
  for (int I = 0; I < 3; ++I) {
    auto* E = On<TLXExpr>(Footer);
    E->SetExpression(Totals[I]);
    E->SetResetAfterPrint(true);
    E->Size()->SetLeft(400 * I);
  }
  Report->Prepare();
  ASSERT_EQ(Pages(), 1);
  EXPECT_EQ(Strings(TextsOf(1)), (std::vector<std::string>{"6", "3", "2", "30", "2", "15"}));
}

TEST_F(LXPrintRunTest, ACustomerListPage) {
  // The benchmark's report on three records; page 1 is kept as generated-page.png in the test's
  // working folder for a person to look at.
  auto* D = new TMemoryDataSet(&Form);
  D->SetName("Customers");
  D->FieldDefs().Add("Id", ftInteger);
  D->FieldDefs().Add("Name", ftString, 40);
  D->FieldDefs().Add("Balance", ftFloat);
  D->AppendRecord({1, "Ana", 1234.5});
  D->AppendRecord({2, "Bruno", 0.25});
  D->AppendRecord({3, "Carla", -10.0});
  D->Open();
  static_cast<TVexaRep*>(Report.get())->SetDataSet(D);
  TLXBand* Header = Band(rbPageHeader, 150);
  auto* Title = On<TLXLabel>(Header);
  Title->Font()->SetSize(14);
  Title->Font()->SetStyle(fsBold);
  Title->SetCaption("Lista de clientes");
  TLXBand* Detail = Band(rbDetail, 50);
  const char* Fields[] = {"Id", "Name", "Balance"};
  for (int I = 0; I < 3; ++I) {
    auto* E = On<TLXExpr>(Detail);
    E->SetExpression(Fields[I]);
    E->Size()->SetLeft(300 * I);
    if (I == 2) E->SetMask("#,##0.00");
  }
  TLXBand* Footer = Band(rbPageFooter, 100);
  On<TLXExpr>(Footer)->SetExpression("'Página ' + PAGENUMBER");
  TFormatSettings FS = EnglishFormatSettings();
  TFormatSettingsScope English(FS);
  Report->Prepare();
  ASSERT_EQ(Pages(), 1);
  EXPECT_EQ(Strings(TextsOf(1)), (std::vector<std::string>{"Lista de clientes", "1", "Ana", "1,234.50", "2", "Bruno",
                                                            "0.25", "3", "Carla", "-10.00", "Página 1"}));
  auto Page = Report->ActivePrinter()->GetPage(1);
  TBitmap Image(Page->Width(), Page->Height());
  Image.Canvas().StretchDraw(Rect(0, 0, Page->Width(), Page->Height()), *Page);
  TTestTempFiles Temp;
  QImage(reinterpret_cast<const uchar*>(Image.ScanLine(0)), Image.Width(), Image.Height(), QImage::Format_RGB32)
      .save(QString::fromStdString(Temp.Path("generated-page.png")));
  TLXPrinter& P = *Report->ActivePrinter();
  auto DarkIn = [&](long double L, long double T, long double R, long double B) {
    for (int Y = P.YPos(T); Y < P.YPos(B); ++Y)
      for (int X = P.XPos(L); X < P.XPos(R); ++X)
        if (((Image.Canvas().Pixels(X, Y) >> 8) & 0xFF) < 128) return true;  // dark, also when smoothed
    return false;
  };
  EXPECT_TRUE(DarkIn(100, 100, 600, 250));     // the title
  EXPECT_TRUE(DarkIn(100, 250, 400, 300));     // the first id
  EXPECT_FALSE(DarkIn(100, 450, 1900, 2700));  // nothing below the three records
  EXPECT_TRUE(DarkIn(100, 2770, 600, 2870));   // the footer
  EXPECT_FALSE(DarkIn(0, 0, 2100, 99));        // the top margin
}

// A field's text with characters beyond Windows-1252 and longer than 255 bytes reaches the
// stored page (UTF-16 text records), comma-separated text and HTML whole; the spreadsheet, whose
// labels are 255 Windows-1252 bytes by definition, alone replaces and cuts.
TEST_F(LXPrintRunTest, TextsAreKeptWholeOnThePageAndInTheExports) {
  const std::string Name = "日本 São Paulo € Ωμέγα " + std::string(300, 'x');
  auto* D = new TMemoryDataSet(&Form);
  D->SetName("Customers");
  D->FieldDefs().Add("Name", ftString, 400);
  D->AppendRecord({Name});
  D->Open();
  static_cast<TVexaRep*>(Report.get())->SetDataSet(D);
  auto* E = On<TLXExpr>(Band(rbDetail, 50));
  E->SetExpression("Name + ' ✓'");
  const std::string Text = Name + " ✓";
  Report->Prepare();
  ASSERT_EQ(Pages(), 1);
  EXPECT_EQ(Strings(TextsOf(1)), std::vector<std::string>{Text});

  TTestTempFiles Temp;
  const std::string Base = Temp.Path("whole");
  Temp.Adopt(Base + ".csv"), Temp.Adopt(Base + ".htm"), Temp.Adopt(Base + ".xls");
  TLXCommaSeparatedFilter Csv(Base + ".csv");
  TLXHTMLDocumentFilter Html(Base + ".htm");
  TLXXLSFilter Xls(Base + ".xls");
  for (TLXExportFilter* F : std::initializer_list<TLXExportFilter*>{&Csv, &Html, &Xls}) {
    D->First();
    Report->ExportRun(F);
  }
  const std::string Got = RunPython(Temp, R"(import sys, csv, xlrd
from html.parser import HTMLParser
b = sys.argv[1]
with open(b + '.csv', newline='', encoding='utf-8') as f:
    c = list(csv.reader(f))[0][0]
class P(HTMLParser):
    cells = []
    def handle_data(s, d):
        if d.strip(): s.cells.append(d)
p = P()
p.feed(open(b + '.htm', encoding='utf-8').read())
x = xlrd.open_workbook(b + '.xls').sheet_by_index(0).cell_value(0, 0)
sys.stdout.buffer.write('\n'.join([c, p.cells[0], x]).encode('utf-8'))
)", Base);
  const std::string Sheet = Win1252ToUtf8(Utf8ToWin1252(Text).substr(0, 255));
  EXPECT_EQ(Got, Text + "\n" + Text + "\n" + Sheet);
  EXPECT_EQ(Sheet.rfind("?? São Paulo € ????? xxx", 0), 0u) << Sheet;
}
