// A pp report over a SQLite table: a title, a group per region with its sum, page numbers.
//   pp_quickstart <new.db> preview | print | file <out.txt>
#include <cstdio>
#include <string>

#include "exceptions/ExceptionLog.h"
#include "platform/data/DBTables.h"
#include "platform/forms/FormsApplication.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/generation/ppCtrls.h"
#include "ppreport/generation/ppDBCalc.h"
#include "ppreport/generation/ppDBText.h"
#include "ppreport/generation/ppReport.h"
#include "ppreport/generation/ppVar.h"
#include "ppreport/output/forms/ppFormsInit.h"

constexpr int32_t mm = 1000;  // pp lengths are thousandths of a millimetre

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

// A text of the report (label, data-aware text, calculation, system variable) on a band.
template <class T>
T* Place(TComponent& Owner, TppBand* Band, int32_t Left, int32_t Width) {
  auto* C = new T(&Owner);
  C->SetBand(Band);
  C->SetAutoSize(false);
  C->SetBounds(Left * mm, 0, Width * mm, 5 * mm);
  return C;
}
// The same, showing a field of the pipeline.
template <class T>
T* Field(TComponent& Owner, TppBand* Band, int32_t Left, int32_t Width, TppDataPipeline* Pipe, const char* Name) {
  T* C = Place<T>(Owner, Band, Left, Width);
  C->SetDataPipeline(Pipe);
  C->SetDataField(Name);
  return C;
}

int main(int argc, char** argv) {
  const std::string Mode = argc > 2 ? argv[2] : "";
  if (Mode != "preview" && Mode != "print" && !(Mode == "file" && argc > 3)) {
    std::fprintf(stderr, "usage: %s <new.db> preview | print | file <out.txt>\n", argv[0]);
    return 2;
  }
  InitializeExceptions();  // first of all: unhandled errors end in the reporter
  InitializeForms(argc, argv, DisplayAvailable() ? TDisplayMode::Screen : TDisplayMode::Offscreen);
  InitializePPForms();  // the pp windows and every pp library below them
  int Status = 0;
  try {
    MakeSales(argv[1]);
    TComponent Form(nullptr);  // owns the data set, the pipeline and the report
    auto* Sales = new TQuery(&Form);
    Sales->SetDatabaseName(argv[1]);
    Sales->SetSQLText("SELECT REGION, NAME, AMOUNT FROM SALES ORDER BY REGION, NAME");
    auto* Pipe = new TppDataSetPipeline(&Form);
    Pipe->SetDataSet(Sales);

    auto* Report = new TppReport(&Form);
    Report->SetDataPipeline(Pipe);
    Report->CreateBand(btTitle);
    Report->CreateBand(btFooter);  // the page footer
    auto* Region = new TppGroup(&Form);
    Region->SetReport(Report);
    Region->SetBreakName("REGION");
    Region->SetDataPipeline(Pipe);
    Report->CreateMissingBands();  // the detail band and the group's header and footer
    for (int I = 0; I < Report->BandCount(); ++I) Report->GetBands(I)->ChangeHeight(7 * mm);
    Place<TppLabel>(Form, Report->GetTitleBand(), 0, 100)->SetCaption("Vendas por região");
    Field<TppDBText>(Form, Report->GetGroupHeaderBand(0), 0, 60, Pipe, "REGION");
    Field<TppDBText>(Form, Report->GetDetailBand(), 10, 60, Pipe, "NAME");
    Field<TppDBText>(Form, Report->GetDetailBand(), 80, 30, Pipe, "AMOUNT")->SetDisplayFormat("#,##0.00");
    Place<TppLabel>(Form, Report->GetGroupFooterBand(0), 10, 60)->SetCaption("Total da região");
    auto* Sum = Field<TppDBCalc>(Form, Report->GetGroupFooterBand(0), 80, 30, Pipe, "AMOUNT");  // a sum
    Sum->SetResetGroup(Region);
    Sum->SetDisplayFormat("#,##0.00");
    Place<TppSystemVariable>(Form, Report->GetFooterBand(), 0, 60)->SetVarType(vtPageSetDesc);  // "Página 1 de 2"

    if (Mode == "print") {
      Report->SetDeviceType("Printer");  // the print dialog chooses the printer and the pages
    } else if (Mode == "file") {
      Report->SetDeviceType("ReportTextFile");
      Report->SetTextFileName(argv[3]);
      Report->SetShowPrintDialog(false);
      Report->SetShowCancelDialog(false);
    }  // else the preview window ("Screen")
    Report->Print();
  } catch (const std::exception& E) {
    std::fprintf(stderr, "%s\n", E.what());
    Status = 1;
  }
  FinalizePPForms();
  FinalizeForms();
  FinalizeExceptions();
  return Status;
}
