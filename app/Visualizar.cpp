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
  VexaRep1->SetOptions(LXOption(FirstPageHeader) | LXOption(LastPageFooter));
  VexaRep1->SetPrintIfEmpty(true);
  VexaRep1->Functions()->Define("PAGENUMBER", "0");
  VexaRep1->Functions()->Define("COLUMNNUMBER", "0");
  VexaRep1->Functions()->Define("REPORTTITLE", "''");
  OnClose = [this](TObject* Sender, TCloseAction& Action) { FormClose(Sender, Action); };
  DoCreate();
}

TVisualizars::~TVisualizars() { BeforeDestruction(); }

// The printer still held goes while the report is whole (owned components are freed next).
void TVisualizars::Destroying() {
  TakePrinter();
  TForm::Destroying();
}

// The report prepares itself (the band engine generates its empty report into stored pages); the
// printer it made becomes this form's until it is taken.
TLXPrinter* TVisualizars::Prepare() {
  TakePrinter();
  TLXPrinter* Before = VexaRep1->ActivePrinter();
  VexaRep1->Prepare();
  TLXPrinter* Made = VexaRep1->ActivePrinter();
  if (!Made || Made == Before) return nullptr;  // the report was busy: nothing was made
  FPrinter.reset(Made);
  return Made;
}

// The report previews itself: its printer opens the standard preview window, the engine generates
// into it and the report processes messages until the window has closed (and freed the printer).
void TVisualizars::Preview() { VexaRep1->Preview(); }

std::unique_ptr<TLXPrinter> TVisualizars::TakePrinter() {
  // The printer outlives the report: the report forgets it, and it must not call back into the report.
  if (FPrinter) {
    VexaRep1->PrinterFreed(FPrinter.get());
    FPrinter->DetachReport();
    FPrinter->AfterPreview = nullptr;
  }
  return std::move(FPrinter);
}

void TVisualizars::FormClose(TObject*, TCloseAction& Action) {
  Action = caFree;
  if (Application) Application->Terminate();
}
