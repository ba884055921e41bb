#include "app/Visualizar.h"

#include "app/ViewerConsts.h"
#include "lxreport/LXEvEnvironment.h"
#include "platform/app/Application.h"

const TClassInfo& TVisualizars::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TVisualizars>("TVisualizars", &TForm::StaticClassInfo())
                                     .Method("FormClose", &TVisualizars::FormClose);
  return Info;
}

TVisualizars::TVisualizars(TComponent* AOwner) : TForm(AOwner) {
  SetCaption(SVisualizarsCaption);
  SetFormStyle(fsMDIChild);
  VexaRep1 = new TVexaRep(this);
  VexaRep1->SetName("VexaRep1");
  VexaRep1->SetUnits(TLXUnit::MM);
  VexaRep1->Page()->SetPaperSize(TLXPaperSize::Letter);
  VexaRep1->Page()->SetOrientation(poPortrait);
  VexaRep1->Page()->SetColumns(1);
  VexaRep1->Font()->SetName("Arial");
  VexaRep1->Font()->SetHeight(-13);
  VexaRep1->Functions()->Define("PAGENUMBER", "0");
  VexaRep1->Functions()->Define("COLUMNNUMBER", "0");
  VexaRep1->Functions()->Define("REPORTTITLE", "''");
  OnClose = [this](TObject* Sender, TCloseAction& Action) { FormClose(Sender, Action); };
  DoCreate();
}

TVisualizars::~TVisualizars() {
  BeforeDestruction();
  TakePrinter();  // freed here, before the report goes
}

// The empty report: one blank page, as a report that prints when empty makes it.
TLXPrinter* TVisualizars::Prepare() {
  TakePrinter();
  FPrinter = std::make_unique<TLXPrinter>(VexaRep1);
  FPrinter->SetParentReport(VexaRep1->Handle());
  FPrinter->BeginDoc();
  FPrinter->NewPage();
  FPrinter->EndDoc();
  FPrinter->SetPrepared(true);
  return FPrinter.get();
}

void TVisualizars::Preview() {
  TLXPrinter* P = Prepare();
  P->Preview();
  while (P->ShowingPreview() && Application && !Application->Terminated()) Application->HandleMessage();
}

std::unique_ptr<TLXPrinter> TVisualizars::TakePrinter() {
  // The printer outlives the report: it must not call back into it.
  if (FPrinter) {
    FPrinter->DetachReport();
    FPrinter->AfterPreview = nullptr;
  }
  return std::move(FPrinter);
}

void TVisualizars::FormClose(TObject*, TCloseAction& Action) {
  Action = caFree;
  if (Application) Application->Terminate();
}
