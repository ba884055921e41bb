// The pp library's sample: the products table in a SQLite file it creates, and a pp report over it
// opened in the print preview window: a title, a header per category, one line a product, a total
// per category, a grand total and a page footer with "Página N de M". The database is a private
// temporary file unless a path that does not exist yet is given; either way it is removed at the end.
//   mivoreport_ppsample [<new database>]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/sample/SampleData.h"
#include "platform/app/Application.h"
#include "platform/data/DBTables.h"
#include "platform/forms/FormsApplication.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppProdSettings.h"
#include "ppreport/generation/ppCtrls.h"
#include "ppreport/generation/ppDBCalc.h"
#include "ppreport/generation/ppDBText.h"
#include "ppreport/generation/ppReport.h"
#include "ppreport/generation/ppVar.h"
#include "ppreport/output/forms/ppFormsInit.h"

namespace {
constexpr int32_t mm = 1000;  // the report works in thousandths of a millimetre

class TSample {
public:
  explicit TSample(const std::string& Database) {
    auto* Products = new TQuery(&Form);
    Products->SetName("Products");
    Products->SetDatabaseName(Database);
    Products->SetSQLText("SELECT CATEGORY, NAME, QTY, PRICE, QTY * PRICE AS AMOUNT FROM PRODUCTS "
                         "ORDER BY CATEGORY, NAME");
    Pipe = new TppDataSetPipeline(&Form);
    Pipe->SetName("ProductsPipe");
    Pipe->SetUserName("Produtos");
    Pipe->SetDataSet(Products);

    Report = new TppReport(&Form);
    Report->SetName("SampleReport");
    Report->SetUnits(utMMThousandths);
    TppPrinterSetup* S = Report->PrinterSetup();
    S->SetPaperWidth(210 * mm);
    S->SetPaperHeight(297 * mm);
    for (auto Set : {&TppPrinterSetup::SetMarginLeft, &TppPrinterSetup::SetMarginRight, &TppPrinterSetup::SetMarginTop,
                     &TppPrinterSetup::SetMarginBottom})
      (S->*Set)(15 * mm);
    Report->SetDataPipeline(Pipe);
    Report->SetDeviceType("Screen");
    Report->PreviewFormSettings()->SetWindowState(pwsMaximized);
    Report->PreviewFormSettings()->SetZoomSetting(zsPageWidth);

    TppBand* Title = Report->CreateBand(btTitle);
    Title->ChangeHeight(16 * mm);
    Text(Title, "Produtos por categoria", 0, 2, 120, 16, true);

    auto* Group = new TppGroup(&Form);
    Group->SetName("CategoryGroup");
    Group->SetReport(Report);
    Group->SetBreakName("CATEGORY");
    Group->SetDataPipeline(Pipe);
    Report->CreateMissingBands();
    TppBand* Head = Report->GetGroupHeaderBand(Group->GetGroupNo());
    Head->ChangeHeight(14 * mm);
    Field<TppDBText>(Head, "CATEGORY", "", 0, 1, 100, 12, true);
    Text(Head, "Produto", 5, 8, 70, 9, true);
    Text(Head, "Qtd.", 75, 8, 25, 9, true, taRightJustified);
    Text(Head, "Preço", 105, 8, 30, 9, true, taRightJustified);
    Text(Head, "Valor", 140, 8, 40, 9, true, taRightJustified);

    TppBand* Detail = Report->GetDetailBand();
    Detail->ChangeHeight(5 * mm);
    Field<TppDBText>(Detail, "NAME", "", 5, 0, 70, 10, false);
    Field<TppDBText>(Detail, "QTY", "0", 75, 0, 25, 10, false, taRightJustified);
    Field<TppDBText>(Detail, "PRICE", "0.00", 105, 0, 30, 10, false, taRightJustified);
    Field<TppDBText>(Detail, "AMOUNT", "#,##0.00", 140, 0, 40, 10, false, taRightJustified);

    TppBand* Foot = Report->GetGroupFooterBand(Group->GetGroupNo());
    Foot->ChangeHeight(9 * mm);
    Text(Foot, "Total da categoria", 5, 1, 70, 10, true);
    Field<TppDBCalc>(Foot, "AMOUNT", "#,##0.00", 140, 1, 40, 10, true, taRightJustified)->SetResetGroup(Group);

    TppBand* Summary = Report->CreateBand(btSummary);
    Summary->ChangeHeight(12 * mm);
    Text(Summary, "Total geral", 5, 3, 70, 12, true);
    Field<TppDBCalc>(Summary, "AMOUNT", "#,##0.00", 120, 3, 60, 12, true, taRightJustified);

    TppBand* Footer = Report->CreateBand(btFooter);
    Footer->ChangeHeight(8 * mm);
    PageFooter(Footer);
  }

  void Show() { Report->Print(); }

private:
  static void Look(TppCustomText* C, int32_t Left, int32_t Top, int32_t Width, int Points, bool Bold,
                   TppTextAlignment Align) {
    C->SetAutoSize(false);
    C->SetBounds(Left * mm, Top * mm, Width * mm, Points * mm / 2);
    TFont F;
    F.SetName("Liberation Sans");
    F.SetSize(Points);
    F.SetStyle(Bold ? fsBold : 0);
    C->SetFont(&F);
    C->SetTextAlignment(Align);
  }
  TppLabel* Text(TppBand* B, const std::string& Caption, int32_t Left, int32_t Top, int32_t Width, int Points,
                 bool Bold, TppTextAlignment Align = taLeftJustified) {
    auto* L = new TppLabel(&Form);
    L->SetBand(B);
    Look(L, Left, Top, Width, Points, Bold, Align);
    L->SetCaption(Caption);
    return L;
  }
  template <class T>
  T* Field(TppBand* B, const std::string& Name, const std::string& Format, int32_t Left, int32_t Top, int32_t Width,
           int Points, bool Bold, TppTextAlignment Align = taLeftJustified) {
    auto* C = new T(&Form);
    C->SetBand(B);
    Look(C, Left, Top, Width, Points, Bold, Align);
    C->SetDataPipeline(Pipe);
    C->SetDataField(Name);
    if (!Format.empty()) C->SetDisplayFormat(Format);
    return C;
  }
  void PageFooter(TppBand* Footer);

  TComponent Form{nullptr};
  TppDataSetPipeline* Pipe = nullptr;
  TppReport* Report = nullptr;
};

// The printing date at the left, the page set text ("Página 3 de 10") at the right: the page count
// makes the report run its two passes.
void TSample::PageFooter(TppBand* Footer) {
  int32_t Left = 0;
  for (TppVarType Kind : {vtPrintDateTime, vtPageSetDesc}) {
    auto* V = new TppSystemVariable(&Form);
    V->SetBand(Footer);
    Look(V, Left, 2, 90, 8, false, Left ? taRightJustified : taLeftJustified);
    V->SetVarType(Kind);
    Left += 90;
  }
}
}  // namespace

int main(int argc, char** argv) {
  // Without a display Qt would end the program with its own message (SIGABRT).
  if (!DisplayAvailable() && !std::getenv("QT_QPA_PLATFORM")) {
    std::fprintf(stderr, "%s\n", Format(SSampleNeedsDesktop, {argv[0]}).c_str());
    return 1;
  }
  InitializeForms(argc, argv, TDisplayMode::Screen);
  InitializePPForms();  // and every pp library below it
  int Status = 0;
  try {
    TSampleDatabase Database(argc > 1 ? argv[1] : "");
    Database.CreateProductsTable();
    TSample Sample(Database.Path());
    Sample.Show();
  } catch (const ESampleFileExists& E) {
    std::fprintf(stderr, "%s\n", E.what());
    Status = SampleFileExistsStatus;
  } catch (const std::exception& E) {
    std::fprintf(stderr, "%s\n", E.what());
    Status = 1;
  }
  FinalizePPForms();
  FinalizeForms();
  return Status;
}
