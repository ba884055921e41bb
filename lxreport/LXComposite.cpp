#include "lxreport/LXComposite.h"

#include <algorithm>

#include "lxreport/LXPrntr.h"
#include "platform/app/Application.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/RtlMath.h"

namespace {
// A member's paper as its designer left it: while it runs in the job it takes the job's paper.
struct TPaperSetup {
  explicit TPaperSetup(const TLXPage* P)
      : Paper(P->PaperSize()),
        Orientation(P->Orientation()),
        Width(P->Native(TLXPage::WidthIndex)),
        Length(P->Native(TLXPage::LengthIndex)) {}
  void GiveBack(TCustomVexaRep* R) const {
    TLXPage* P = R->Page();
    P->SetOrientation(Orientation);
    P->SetPaperSize(Paper);
    // A custom (or default) paper keeps its own lengths; a named one has them from its table.
    P->SetNative(TLXPage::WidthIndex, Width);
    P->SetNative(TLXPage::LengthIndex, Length);
    P->ApplyToParent();
    R->LayoutBands();
  }
  TLXPaperSize Paper;
  TPrinterOrientation Orientation;
  long double Width, Length;
};
}  // namespace

// ---- TLXCompositeWinControl

const TClassInfo& TLXCompositeWinControl::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TLXCompositeWinControl>("TLXCompositeWinControl", &THeadlessWinControl::StaticClassInfo());
  return Info;
}

TLXCompositeWinControl::TLXCompositeWinControl(TLXCompositeReport* Composite)
    : THeadlessWinControl(nullptr), FComposite(Composite) {
  SetVisible(false);
}

void TLXCompositeWinControl::WndProc(TMessage& Message) {
  if (FComposite) switch (Message.Msg) {
      case WM_LXPRINT:
        FComposite->PrintComposite();
        return;
      case WM_LXPREVIEWCLOSED:
        FComposite->PreviewClosed();
        return;
    }
  THeadlessWinControl::WndProc(Message);
}

void TLXCompositeWinControl::Destroying() {
  if (FComposite) FComposite->FMessageWindow = nullptr;
  FComposite = nullptr;
  THeadlessWinControl::Destroying();
}

// ---- TLXCompositeReport

const TClassInfo& TLXCompositeReport::StaticClassInfo() {
  using T = TLXCompositeReport;
  static const TClassInfo Info =
      TClassDef<T>("TLXCompositeReport", &TComponent::StaticClassInfo())
          .Event("OnAddReports", &T::OnAddReports)
          .Event("OnFinished", &T::OnFinished)
          .SetProp<TVexaReportOption>("Options", &T::Options, &T::SetOptions)
          .Prop("PrinterSettings", [](const T& C) { return C.PrinterSettings(); },
                [](T& C, TLXCompositePrinterSettings* V) { C.SetPrinterSettings(V); })
          .Prop("ReportTitle", &T::ReportTitle, &T::SetReportTitle);
  return Info;
}

TLXCompositeReport::TLXCompositeReport(TComponent* AOwner)
    : TComponent(AOwner), FPrinterSettings(std::make_unique<TLXCompositePrinterSettings>()) {
  FMessageWindow = new TLXCompositeWinControl(this);
}

TLXCompositeReport::~TLXCompositeReport() {
  FreePrinter(FActivePrinter);
  if (FMessageWindow) {
    FMessageWindow->FComposite = nullptr;
    FMessageWindow->Free();
  }
}

void TLXCompositeReport::SetPrinterSettings(const TLXCompositePrinterSettings* V) {
  if (V) FPrinterSettings->Assign(V);
}

TLXPrinter* TLXCompositeReport::NewPrinter() {
  auto* P = new TLXPrinter(this);
  // The preview's print and close messages come to the composite, not to a member.
  P->SetParentReport(FMessageWindow ? FMessageWindow->Handle() : 0);
  P->SetTitle(FReportTitle);
  return P;
}

void TLXCompositeReport::FreePrinter(TLXPrinter* P) {
  if (!P) return;
  for (TCustomVexaRep* R : FReports)
    if (R->ActivePrinter() == P) R->SetActivePrinter(nullptr);
  if (FActivePrinter == P) FActivePrinter = nullptr;
  delete P;
}

void TLXCompositeReport::ApplySettings() {
  TLXPrinter* P = FActivePrinter;
  const TLXCompositePrinterSettings* S = FPrinterSettings.get();
  P->SetPrinterIndex(S->PrinterIndex());
  P->SetPaperSize(S->PaperSize());
  P->SetOrientation(S->Orientation());
  P->SetCopies(S->Copies());
  P->SetOutputBin(S->OutputBin());
  P->SetFirstPage(S->FirstPage());
  P->SetLastPage(S->LastPage());
  P->SetTitle(FReportTitle);
  P->SetUseStandardPrinter(S->UseStandardprinter());
  P->SetPrintMetafile(S->PrintMetaFile());
  P->SetUseCustomBinCode(S->UseCustomBinCode());
  P->SetCustomBinCode(S->CustomBinCode());
  P->SetUseCustomPaperCode(S->UseCustomPaperCode());
  P->SetCustomPaperCode(S->CustomPaperCode());
}

void TLXCompositeReport::Build() {
  FReports.clear();
  if (FMessageWindow)
    if (auto* Parent = dynamic_cast<THeadlessWinControl*>(Owner())) FMessageWindow->SetParent(Parent);
  TLXPrinter* P = FActivePrinter;
  if (P) P->SetPrinterIndex(FPrinterSettings->PrinterIndex());
  if (OnAddReports) OnAddReports(this);
  for (TCustomVexaRep* R : FReports) FreeNotification(R);
  if (P && !FReports.empty()) {
    ApplySettings();
    P->BeginDoc();
    TCustomVexaRep* First = FReports.front();
    // Each member's printer and the first member's units come back after the build.
    std::vector<std::pair<TCustomVexaRep*, TLXPrinter*>> Kept;
    for (TCustomVexaRep* R : FReports) Kept.emplace_back(R, R->ActivePrinter());
    TFinally GiveBack([&] {
      for (auto [R, Printer] : Kept)
        if (std::find(FReports.begin(), FReports.end(), R) != FReports.end() && R->ActivePrinter() == P)
          R->SetActivePrinter(Printer);
    });
    TRestore<bool> Busy(FGenerating, true);
    TFinally NoCurrent([&] { FCurrentReport = nullptr; });
    TLXUnit FirstUnits = First->Units();
    TFinally RestoreUnits([&] {
      if (std::find(FReports.begin(), FReports.end(), First) != FReports.end()) First->SetUnits(FirstUnits);
    });
    First->SetUnits(TLXUnit::Native);
    int32_t Y = static_cast<int32_t>(Round(First->Page()->Length()));
    int32_t PageNumber = 0;
    bool Cancelled = false;
    // A copy: a member's handlers might free a member.
    std::vector<TCustomVexaRep*> Members = FReports;
    for (size_t I = 0; I < Members.size(); ++I) {
      TCustomVexaRep* R = Members[I];
      if (std::find(FReports.begin(), FReports.end(), R) == FReports.end()) continue;
      FCurrentReport = R;
      R->SetActivePrinter(P);
      R->SetCurrentY(Y);
      R->SetPageNumber(PageNumber);
      {
        // The last member's run closes the last page.
        intptr_t Tag = R->Tag();
        TPaperSetup Paper(R->Page());
        TFinally RestoreTag([&] {
          if (std::find(FReports.begin(), FReports.end(), R) == FReports.end()) return;
          R->SetTag(Tag);
          Paper.GiveBack(R);
        });
        if (I + 1 == Members.size()) R->SetTag(999);
        R->Generate(true);
      }
      if (R->Cancelled()) {
        Cancelled = true;
        break;
      }
      if (OnFinished) OnFinished(R);
      Y = R->CurrentY();
      PageNumber = R->PageNumber();
    }
    if (Cancelled)
      FreePrinter(P);
    else
      P->EndDoc();
  }
  if (OnFinished) OnFinished(this);
}

void TLXCompositeReport::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  std::erase(FReports, AComponent);
  if (FCurrentReport == AComponent) FCurrentReport = nullptr;
}

void TLXCompositeReport::PrintComposite() {
  TLXPrinter* Previous = FActivePrinter;
  TLXPrinter* P = NewPrinter();
  P->SetDestination(lxdPrinter);
  FActivePrinter = P;
  TFinally Restore([&] {
    // A cancelled build has freed the printer already.
    if (FActivePrinter == P) FreePrinter(P);
    FActivePrinter = Previous;
  });
  Build();
}

void TLXCompositeReport::Prepare() {
  FreePrinter(FActivePrinter);
  FActivePrinter = NewPrinter();
  FActivePrinter->SetDestination(lxdMetafile);
  Build();
  if (FActivePrinter) FActivePrinter->SetPrepared(true);
}

void TLXCompositeReport::Preview() {
  FreePrinter(FActivePrinter);
  FActivePrinter = NewPrinter();
  FActivePrinter->SetDestination(lxdMetafile);
  FActivePrinter->Preview();
  Build();
  while (FActivePrinter && FActivePrinter->ShowingPreview() && Application && !Application->Terminated())
    Application->HandleMessage();
}

void TLXCompositeReport::PreviewClosed() {
  if (FGenerating) {
    if (FCurrentReport) FCurrentReport->CancelRun();
    return;
  }
  if (TLXPrinter* P = FActivePrinter) {
    if (P->ShowingPreview()) P->SetShowingPreview(false);
    FreePrinter(P);
  }
}
