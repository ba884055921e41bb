// Makes the viewer's sample report: a SQLite table of products it creates, and a band report over
// it that the band engine generates into stored pages, saved as a report file: a title, column
// heads, a header per category, one line per product, a category total, a grand total and a page
// footer with the page number. The database is a private temporary file unless a path that does
// not exist yet is given; either way it is removed at the end.
//   mivoreport_sample <output.lxp> [<new database>]
#include <cstdio>
#include <string>
#include <vector>

#include "app/sample/SampleData.h"
#include "lxreport/LXBands.h"
#include "lxreport/LXController.h"
#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXExpr.h"
#include "lxreport/LXLabel.h"
#include "lxreport/LXReport.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/Application.h"
#include "platform/data/DBTables.h"
#include "platform/printing/PrinterList.h"

namespace {
// The report on its form (here a plain owner: the engine finds the query among its components).
// Lengths in tenths of a millimetre on A4 with 15 mm margins.
class TSampleReport {
public:
  explicit TSampleReport(const std::string& Database) {
    Products = new TQuery(&Form);
    Products->SetName("Products");
    Products->SetDatabaseName(Database);
    Products->SetSQLText("SELECT CATEGORY, NAME, QTY, PRICE FROM PRODUCTS ORDER BY CATEGORY, NAME");
    Products->Open();

    Report = new TVexaRep(&Form);
    Report->SetName("SampleReport");
    Report->SetUnits(TLXUnit::Native);
    Report->Page()->SetPaperSize(TLXPaperSize::A4);
    Report->Page()->SetOrientation(poPortrait);
    for (auto Set : {&TLXPage::SetLeftMargin, &TLXPage::SetTopMargin, &TLXPage::SetRightMargin, &TLXPage::SetBottomMargin})
      (Report->Page()->*Set)(150);
    Report->SetReportTitle("Produtos por categoria");
    Report->Font()->SetName("Liberation Sans");
    Report->Font()->SetSize(10);
    Report->Functions()->Define("PAGENUMBER", "0");
    Report->SetDataSet(Products);

    TLXBand* Title = NewBand(rbTitle, 130);
    Text(Title, "Produtos por categoria", 0, 20, 1200, 16, true);

    TLXBand* Heads = NewBand(rbColumnHeader, 60);
    Text(Heads, "Produto", 50, 0, 700, 9, true);
    Text(Heads, "Qtd.", 750, 0, 250, 9, true, taRightJustify);
    Text(Heads, "Preço", 1050, 0, 300, 9, true, taRightJustify);
    Text(Heads, "Valor", 1400, 0, 400, 9, true, taRightJustify);

    auto* Group = new TLXGroup(&Form);
    Group->SetName("CategoryGroup");
    Group->SetParent(Report);
    Group->Size()->SetUnits(TLXUnit::Native);
    Group->Size()->SetHeight(70);
    Group->SetExpression("Products.CATEGORY");
    Field(Group, "Products.CATEGORY", "", 0, 10, 1000, 12, true);

    TLXBand* Detail = NewBand(rbDetail, 50);
    Field(Detail, "Products.NAME", "", 50, 0, 700, 10, false);
    Field(Detail, "Products.QTY", "0", 750, 0, 250, 10, false, taRightJustify);
    Field(Detail, "Products.PRICE", "0.00", 1050, 0, 300, 10, false, taRightJustify);
    Field(Detail, "Products.QTY * Products.PRICE", "#,##0.00", 1400, 0, 400, 10, false, taRightJustify);

    TLXBand* GroupFooter = NewBand(rbGroupFooter, 90);
    Group->SetFooterBand(GroupFooter);
    Text(GroupFooter, "Total da categoria", 50, 10, 700, 10, true);
    TLXExpr* GroupTotal = Field(GroupFooter, "SUM(Products.QTY * Products.PRICE)", "#,##0.00", 1400, 10, 400, 10, true,
                                taRightJustify);
    GroupTotal->SetMaster(Report);
    GroupTotal->SetResetAfterPrint(true);
    GroupTotal->Frame()->SetDrawTop(true);

    TLXBand* Summary = NewBand(rbSummary, 100);
    Text(Summary, "Total geral", 50, 30, 700, 12, true);
    Field(Summary, "SUM(Products.QTY * Products.PRICE)", "#,##0.00", 1300, 30, 500, 12, true, taRightJustify)
        ->SetMaster(Report);

    TLXBand* Footer = NewBand(rbPageFooter, 60);
    Text(Footer, "Página", 1500, 10, 150, 9, false, taRightJustify);
    Field(Footer, "PAGENUMBER", "0", 1665, 10, 135, 9, false);
  }

  // Generates the report into stored pages and saves them; answers the page count.
  int32_t SaveTo(const std::string& FileName) {
    Report->Prepare();
    TLXPrinter* P = Report->ActivePrinter();
    if (!P) return 0;
    P->Save(FileName);
    return P->PageCount();
  }

  ~TSampleReport() {
    // The printer of the run is the caller's once the report has prepared it.
    for (TLXPrinter* P : std::vector<TLXPrinter*>(Report->Printers())) delete P;
  }

private:
  TLXBand* NewBand(TLXBandType Type, long double Height) {
    TLXBand* B = Report->NewBand(Type);
    B->Size()->SetUnits(TLXUnit::Native);
    B->Size()->SetHeight(Height);
    return B;
  }
  static void Place(TLXPrintable* P, TLXCustomBand* Band, long double Left, long double Top, long double Width,
                    int Points, bool Bold, TAlignment Align) {
    P->SetParent(Band);
    P->Size()->SetUnits(TLXUnit::Native);
    P->Size()->SetLeft(Left);
    P->Size()->SetTop(Top);
    P->Size()->SetWidth(Width);
    P->Size()->SetHeight(Points * 5);  // a line of text, in tenths of a millimetre
    P->Font()->SetName("Liberation Sans");
    P->Font()->SetSize(Points);
    P->Font()->SetStyle(Bold ? fsBold : 0);
    P->SetAlignment(Align);
  }
  TLXLabel* Text(TLXCustomBand* Band, const std::string& Caption, long double Left, long double Top, long double Width,
                 int Points, bool Bold, TAlignment Align = taLeftJustify) {
    auto* L = new TLXLabel(&Form);
    L->SetAutoSize(false);
    Place(L, Band, Left, Top, Width, Points, Bold, Align);
    L->SetCaption(Caption);
    return L;
  }
  TLXExpr* Field(TLXCustomBand* Band, const std::string& Expression, const std::string& Mask, long double Left,
                 long double Top, long double Width, int Points, bool Bold, TAlignment Align = taLeftJustify) {
    auto* E = new TLXExpr(&Form);
    E->SetAutoSize(false);
    Place(E, Band, Left, Top, Width, Points, Bold, Align);
    E->SetMask(Mask);
    E->SetExpression(Expression);
    return E;
  }

  TComponent Form{nullptr};
  TQuery* Products = nullptr;
  TVexaRep* Report = nullptr;
};
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <output.lxp> [<new database>]\n", argv[0]);
    return 2;
  }
  const std::string Output = argv[1], DatabaseArg = argc > 2 ? argv[2] : "";
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  SetSystemPrintersEnabled(false);  // stored pages on A4 whatever printers the machine has
  int Status = 0;
  try {
    TSampleDatabase Database(DatabaseArg);
    Database.CreateProductsTable();
    int32_t Pages;
    {
      TSampleReport Sample(Database.Path());
      Pages = Sample.SaveTo(Output);
    }
    if (Pages < 1) throw Exception("the sample report made no page");
    std::printf("%s: %d pages\n", Output.c_str(), Pages);
  } catch (const ESampleFileExists& E) {
    std::fprintf(stderr, "%s\n", E.what());
    Status = SampleFileExistsStatus;
  } catch (const std::exception& E) {
    std::fprintf(stderr, "%s\n", E.what());
    Status = 1;
  }
  FinalizeLXReport();
  FinalizeApplication();
  return Status;
}
