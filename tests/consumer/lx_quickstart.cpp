// A band report over a SQLite table: a title, a group per region with its sum, page numbers.
//   lx_quickstart <new.db> preview | print | file <out.txt>
#include <cstdio>
#include <string>

#include "exceptions/ExceptionLog.h"
#include "lxreport/LXBands.h"
#include "lxreport/LXController.h"
#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXExpr.h"
#include "lxreport/LXLabel.h"
#include "lxreport/LXTextFilters.h"
#include "lxreport/VexaRpt.h"
#include "lxreport/forms/LXReportForms.h"
#include "platform/data/DBTables.h"
#include "platform/forms/FormsApplication.h"

// A table to report on: the program makes it in a new SQLite file.
void MakeSales(const std::string& Database) {
  TQuery Q(nullptr);
  Q.SetDatabaseName(Database);
  Q.SetSQLText("CREATE TABLE SALES (REGION TEXT, NAME TEXT, AMOUNT FLOAT)");
  Q.ExecSQL();
  Q.SetSQLText("INSERT INTO SALES VALUES ('Norte', 'Ana', 120.5), ('Norte', 'Bruno', 80), "
               "('Sul', 'Carla', 200), ('Sul', 'Davi', 15.25), ('Sul', 'Eva', 42)");
  Q.ExecSQL();
}

// A printable on a band, its lengths in tenths of a millimetre.
template <class T>
T* Place(TComponent& Owner, TLXCustomBand* Band, long double Left, long double Width) {
  auto* P = new T(&Owner);
  P->SetAutoSize(false);
  P->SetParent(Band);
  P->Size()->SetUnits(TLXUnit::Native);
  P->Size()->SetLeft(Left);
  P->Size()->SetWidth(Width);
  P->Size()->SetHeight(50);
  return P;
}
TLXLabel* Text(TComponent& Owner, TLXCustomBand* Band, long double Left, const std::string& Caption) {
  auto* L = Place<TLXLabel>(Owner, Band, Left, 700);
  L->SetCaption(Caption);
  return L;
}
TLXExpr* Expr(TComponent& Owner, TLXCustomBand* Band, long double Left, const std::string& Expression) {
  auto* E = Place<TLXExpr>(Owner, Band, Left, 400);
  E->SetExpression(Expression);
  return E;
}

int main(int argc, char** argv) {
  const std::string Mode = argc > 2 ? argv[2] : "";
  if (Mode != "preview" && Mode != "print" && !(Mode == "file" && argc > 3)) {
    std::fprintf(stderr, "usage: %s <new.db> preview | print | file <out.txt>\n", argv[0]);
    return 2;
  }
  InitializeExceptions();  // first of all: unhandled errors end in the reporter
  InitializeForms(argc, argv, DisplayAvailable() ? TDisplayMode::Screen : TDisplayMode::Offscreen);
  InitializeLXReportForms();  // the preview window and the band report library under it
  int Status = 0;
  try {
    MakeSales(argv[1]);
    TComponent Form(nullptr);  // owns the query and the report; the report finds the query by name
    auto* Sales = new TQuery(&Form);
    Sales->SetName("Sales");
    Sales->SetDatabaseName(argv[1]);
    Sales->SetSQLText("SELECT REGION, NAME, AMOUNT FROM SALES ORDER BY REGION, NAME");
    Sales->Open();

    auto* Report = new TVexaRep(&Form);
    Report->SetUnits(TLXUnit::Native);  // tenths of a millimetre
    Report->SetDataSet(Sales);
    Report->Functions()->Define("PAGENUMBER", "0");
    auto Band = [&](TLXBandType Type) {
      TLXBand* B = Report->NewBand(Type);
      B->Size()->SetUnits(TLXUnit::Native);
      B->Size()->SetHeight(70);
      return B;
    };
    Text(Form, Band(rbTitle), 0, "Vendas por região");
    auto* Region = new TLXGroup(&Form);
    Region->SetParent(Report);
    Region->Size()->SetUnits(TLXUnit::Native);
    Region->Size()->SetHeight(70);
    Region->SetExpression("Sales.REGION");
    Expr(Form, Region, 0, "Sales.REGION");
    TLXBand* Detail = Band(rbDetail);
    Expr(Form, Detail, 100, "Sales.NAME");
    Expr(Form, Detail, 800, "Sales.AMOUNT")->SetMask("#,##0.00");
    TLXBand* RegionFooter = Band(rbGroupFooter);
    Region->SetFooterBand(RegionFooter);
    Text(Form, RegionFooter, 100, "Total da região");
    TLXExpr* Sum = Expr(Form, RegionFooter, 800, "SUM(Sales.AMOUNT)");
    Sum->SetMask("#,##0.00");
    Sum->SetMaster(Report);
    Sum->SetResetAfterPrint(true);
    Expr(Form, Band(rbPageFooter), 0, "'Página ' + PAGENUMBER");

    if (Mode == "preview") {
      Report->Preview();
    } else if (Mode == "print") {
      Report->PrintSetupDialog();  // the print dialog; Tag 1 when cancelled
      if (Report->Tag() == 0) Report->PrintRun();
    } else {
      TLXAsciiExportFilter Text(argv[3]);
      Report->ExportRun(&Text);
    }
  } catch (const std::exception& E) {
    std::fprintf(stderr, "%s\n", E.what());
    Status = 1;
  }
  FinalizeLXReportForms();
  FinalizeForms();
  FinalizeExceptions();
  return Status;
}
