// A section sub-report that prints as a job of its own: a banded report printed to the PDF printer
// (the CUPS queue, or a virtual PDF printer where CUPS is not reachable) puts its own pages in one
// job and the section's pages, on the section's own paper, in a second.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "platform/data/DBTables.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/generation/ppDBText.h"
#include "ppreport/generation/ppPageBands.h"
#include "ppreport/generation/ppReport.h"
#include "ppreport/generation/ppSubRpt.h"
#include "tests/TestTemp.h"
#include "tests/platform/printing/CupsPdfQueue.h"
#include "tests/platform/printing/PdfProbe.h"
#include "tests/ppreport/ppPdfQueue.h"
#include "tests/ppreport/ppSqlPipeline.h"

namespace {

constexpr int32_t mm = 1000;

class ppSectionPrintJobTest : public ::testing::Test {
protected:
  void TearDown() override {
    if (!Virtual) return;
    UninstallAllPrinters();
    GetPrinterList()->RefreshPrinters();
  }
  // The CUPS PDF queue, or a virtual PDF printer where CUPS is not reachable (said in the output).
  std::string PdfQueue() { return ppPdfQueueOrVirtual(Virtual); }
  // Sales n1..n3 and twenty items, in a SQLite file.
  void Tables() {
    Path = Temp.Path("sales.db");
    TQuery Q(nullptr);
    Q.SetDatabaseName(Path);
    for (const char* Sql : {"CREATE TABLE Sales (Id INTEGER, Name TEXT)",
                            "INSERT INTO Sales VALUES (1, 'n1'), (2, 'n2'), (3, 'n3')",
                            "CREATE TABLE Items (Id INTEGER, Item TEXT)",
                            "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 20) "
                            "INSERT INTO Items SELECT I, 'i' || I FROM N"}) {
      Q.SetSQLText(Sql);
      Q.ExecSQL();
    }
  }
  TppDataSetPipeline* Pipeline(const char* Name, const char* Sql) { return ppSqlPipeline(&Form, Path, Name, Sql); }
  template <class T>
  T* Band(TppCustomReport* R, int32_t Height) {
    auto* B = new T(&Form);
    B->ChangeHeight(Height);
    B->SetReport(R);
    return B;
  }
  void Text(TppBand* B, TppDataPipeline* P, const char* Field) {
    auto* T = new TppDBText(&Form);
    T->SetAutoSize(false);
    T->SetBounds(0, 0, 40 * mm, 5 * mm);
    T->SetBand(B);
    T->SetDataPipeline(P);
    T->SetDataField(Field);
  }

  TComponent Form{nullptr};
  TTestTempFiles Temp;
  std::string Path;
  std::shared_ptr<TVirtualPrinter> Virtual;
};

// The sales on a page of 100 x 100 mm, then in the summary a section of the items on pages of
// 150 x 100 mm (16 items a page): one job of one page, then one of two wide pages.
TEST_F(ppSectionPrintJobTest, TheSectionPrintsAsAJobOfItsOwnOnItsOwnPaper) {
  Tables();
  const std::string Queue = PdfQueue();
  const std::string MainTitle = UniqueJobTitle("MivoMain"), SectionTitle = UniqueJobTitle("MivoSection");
  auto* Report = new TppReport(&Form);
  Report->SetName("Report");
  Report->SetUnits(utMMThousandths);
  TppPrinterSetup* S = Report->PrinterSetup();
  S->SetPrinterName(Queue);
  S->SetDocumentName(MainTitle);
  S->SetPaperWidth(100 * mm);
  S->SetPaperHeight(100 * mm);
  for (auto Set : {&TppPrinterSetup::SetMarginLeft, &TppPrinterSetup::SetMarginRight, &TppPrinterSetup::SetMarginTop,
                   &TppPrinterSetup::SetMarginBottom})
    (S->*Set)(10 * mm);
  TppDataSetPipeline* Sales = Pipeline("SalesPipe", "SELECT Id, Name FROM Sales ORDER BY Id");
  TppDataSetPipeline* Items = Pipeline("ItemsPipe", "SELECT Id, Item FROM Items ORDER BY Id");
  Report->SetDataPipeline(Sales);
  Text(Band<TppDetailBand>(Report, 10 * mm), Sales, "Name");
  auto* Section = new TppSubReport(&Form);
  Section->SetBand(Band<TppSummaryBand>(Report, 5 * mm));
  Section->SetBounds(0, 0, 80 * mm, 5 * mm);
  Section->CreateReport(Report);
  Section->SetDataPipeline(Items);
  Section->SetNewPrintJob(true);
  ASSERT_EQ(pbSection, Section->PrintBehavior());
  Section->SetParentPrinterSetup(false);
  TppPrinterSetup* Own = Section->Report()->PrinterSetup();
  Own->SetPrinterName(Queue);
  Own->SetDocumentName(SectionTitle);
  Own->SetPaperWidth(150 * mm);
  Own->SetPaperHeight(100 * mm);
  auto* Child = static_cast<TppBandedReport*>(Section->Report());
  TppBand* Rows = Child->CreateBand(btDetail, 0);
  Rows->ChangeHeight(5 * mm);
  Text(Rows, Items, "Item");
  Report->SetDeviceType("Printer");
  Report->SetShowPrintDialog(false);
  Report->SetShowCancelDialog(false);
  Report->Print();
  if (Virtual) {
    const auto& Jobs = Virtual->Jobs();
    ASSERT_EQ(2u, Jobs.size());
    EXPECT_EQ(MainTitle, Jobs[0].Title);
    EXPECT_EQ(1, Jobs[0].PageCount);
    EXPECT_EQ(SectionTitle, Jobs[1].Title);
    EXPECT_EQ(2, Jobs[1].PageCount);
    for (const auto& J : Jobs) EXPECT_TRUE(J.Ended) << J.Title;
    ASSERT_EQ(2u, Jobs[1].PageModes.size());
    for (const TDeviceMode& M : Jobs[1].PageModes) EXPECT_GT(M.PaperWidth, M.PaperLength);
    return;
  }
  // pdfinfo gives the sheets in points: 100 mm is 283.5 points, 150 mm 425.2.
  struct TExpected {
    const std::string& Title;
    int Pages;
    double Width;
  };
  for (const TExpected& E : {TExpected{MainTitle, 1, 283.5}, TExpected{SectionTitle, 2, 425.2}}) {
    SCOPED_TRACE(E.Title);
    const std::string Pdf = WaitForCupsPdf(E.Title);
    ASSERT_FALSE(Pdf.empty()) << "no PDF from the CUPS queue";
    Temp.Adopt(Pdf);
    const TPdfInfo Info = ReadPdfInfo(Pdf);
    ASSERT_EQ(static_cast<size_t>(E.Pages), Info.PageSizes.size());
    for (const auto& [W, H] : Info.PageSizes) {
      EXPECT_NEAR(E.Width, W, 2);
      EXPECT_NEAR(283.5, H, 2);
    }
  }
}

}  // namespace
