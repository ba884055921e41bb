#include "lxreport/VexaRpt.h"

#include <cstdlib>

#include "lxreport/LXController.h"
#include "lxreport/LXDataSetAdapter.h"
#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXEvFunctions.h"
#include "lxreport/LXExport.h"
#include "lxreport/LXPrintable.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/forms/LXPrintDialog.h"
#include "platform/app/Application.h"
#include "platform/app/DataModule.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/data/DB.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/RtlMath.h"

TLXProgressWindowFactory LXProgressWindowFactory;

namespace {
// Far more steps than any chain of child bands has: longer can only be a loop.
constexpr int MaxChain = 1 << 20;

bool FullWidthType(TLXBandType T) {
  return T == rbTitle || T == rbPageHeader || T == rbPageFooter || T == rbSummary || T == rbOverlay;
}

// A band's type, or for a child band the type of the first band up its chain that is none.
TLXBandType LayoutType(const TLXCustomBand* B) {
  for (int Steps = 0; Steps < MaxChain; ++Steps) {
    auto* C = dynamic_cast<const TLXChildBand*>(B);
    if (!C || !C->ParentBand()) return B->BandType();
    B = C->ParentBand();
  }
  return B->BandType();
}
}  // namespace

bool TCustomVexaRep::FullWidthBand(const TLXCustomBand* Band) { return FullWidthType(LayoutType(Band)); }

// ---- TCustomVexaRep

const TClassInfo& TCustomVexaRep::StaticClassInfo() {
  using T = TCustomVexaRep;
  static const TClassInfo Info =
      TClassDef<T>("TCustomVexaRep", &TLXBasePanel::StaticClassInfo())
          .Event("AfterPrint", &T::AfterPrint)
          .Event("AfterPreview", &T::AfterPreview)
          .Prop("Bands", &T::Bands)
          .Event("BeforePrint", &T::BeforePrint)
          .Event("DepoisEnviarImprimir", &T::DepoisEnviarImprimir)
          .Prop("Description", [](const T& R) { return R.Description(); },
                [](T& R, TStringList* V) { R.SetDescription(V); })
          .Prop("Font", [](const T& R) { return const_cast<TFont*>(R.Font()); }, [](T& R, TFont* F) { R.SetFont(F); })
          .Prop("Functions", &T::Functions)
          .Event("OnEndPage", &T::OnEndPage)
          .Event("OnNeedData", &T::OnNeedData)
          .Event("OnPreview", &T::OnPreview)
          .Event("OnStartPage", &T::OnStartPage)
          .SetProp<TVexaReportOption>("Options", &T::Options, &T::SetOptions)
          .Prop("Page", &T::Page)
          .Prop("PreviewHeight", &T::PreviewHeight, &T::SetPreviewHeight)
          .Default(500)
          .Prop("PreviewWidth", &T::PreviewWidth, &T::SetPreviewWidth)
          .Default(500)
          .Prop("PrinterSettings", [](const T& R) { return R.PrinterSettings(); },
                [](T& R, TVexaRepPrinterSettings* V) { R.SetPrinterSettings(V); })
          .Prop("PrintIfEmpty", &T::PrintIfEmpty, &T::SetPrintIfEmpty)
          .Default(1)
          .Prop("ReportTitle", &T::ReportTitle, &T::SetReportTitle)
          .Prop("ShowProgress", &T::ShowProgress, &T::SetShowProgress)
          .Default(1)
          .Prop("SnapToGrid", &T::SnapToGrid, &T::SetSnapToGrid)
          .Default(1)
          .Prop("Units", &T::Units, &T::SetUnits)
          .Prop("Zoom", &T::Zoom, &T::SetZoom)
          .Default(100);
  return Info;
}

TCustomVexaRep::TCustomVexaRep(TComponent* AOwner) : TLXBasePanel(AOwner) {
  auto* C = new TLXCustomController(this);
  C->SetParentReport(this);
  C->SetSelfCheck(this);
  FController.reset(C);
  FFunctions = std::make_unique<TLXEvEnvironment>();
  FFunctions->Define("PAGENUMBER", "0");
  FFunctions->Define("COLUMNNUMBER", "0");
  FFunctions->Define("REPORTTITLE", "''");
  FDescription = std::make_unique<TStringList>();
  FBands = std::make_unique<TVexaRepBands>(this);
  FPage = std::make_unique<TLXPage>(this);
  FPrinterSettings = std::make_unique<TVexaRepPrinterSettings>();
  SetColor(clWhite);
  Font()->SetName("Arial");
  Font()->SetSize(10);
  FPage->ApplyToParent();  // as large as the paper
}

TCustomVexaRep::~TCustomVexaRep() {
  BeforeDestruction();
  // A printer outlives its report (a preview or viewer holds it): it must not call back here.
  for (TLXPrinter* P : std::vector<TLXPrinter*>(FPrinters)) P->DetachReport();
  FPrinters.clear();
}

void TCustomVexaRep::Destroying() {
  // The bands go with the report (a parent frees its children): nothing to list or lay out.
  FBandList.clear();
  TLXBasePanel::Destroying();
}

void TCustomVexaRep::SetController(TLXCustomController* C) { FController.reset(C); }

TLXUnit TCustomVexaRep::Units() const { return FPage->Units(); }

void TCustomVexaRep::SetUnits(TLXUnit U) {
  FPage->SetUnits(U);
  auto PrintablesOn = [U](THeadlessWinControl* Parent) {
    for (int I = 0; I < Parent->ControlCount(); ++I)
      if (auto* P = dynamic_cast<TLXPrintable*>(Parent->Controls(I))) P->Size()->SetUnits(U);
  };
  for (TLXCustomBand* B : FBandList) {
    B->Size()->SetUnits(U);
    B->Invalidate();
    PrintablesOn(B);
  }
  PrintablesOn(this);
}

void TCustomVexaRep::SetZoom(int32_t Z) {
  if (Z < 1 || Z > 300) return;
  {
    // One layout at the end, not one per band.
    TRestore<int> Hold(FLayoutLock, FLayoutLock + 1);
    TLXBasePanel::SetZoom(Z);
    FPage->SetZoom(Z);
    FPage->ApplyToParent();
  }
  LayoutBands();
}

void TCustomVexaRep::PaintRuler(TLXUnit Units) {
  SetFontSize(std::abs(Font()->Size()));
  TLXBasePanel::PaintRuler(Units);
}

void TCustomVexaRep::RegisterPrintable(TLXPrintable* P) { FController->AddNotifyTarget(P); }

TLXCustomBand* TCustomVexaRep::BandOfType(TLXBandType Type) const {
  for (TLXCustomBand* B : FBandList)
    if (B->BandType() == Type && !B->HasState(csDestroying)) return B;
  return nullptr;
}

TLXBand* TCustomVexaRep::NewBand(TLXBandType Type) {
  TComponent* BandOwner = Owner() ? Owner() : this;
  auto* B = new TLXBand(BandOwner);
  TOnException Undo([B] { B->Free(); });
  B->SetParent(this);
  B->SetBandType(Type);
  B->SetName(FreeComponentName(BandOwner, B->BandNamePrefix()));
  return B;
}

void TCustomVexaRep::RegisterBand(TLXCustomBand* Band) {
  if (std::find(FBandList.begin(), FBandList.end(), Band) != FBandList.end()) return;
  FBandList.push_back(Band);
  OrderBands();
  LayoutBands();
}

void TCustomVexaRep::UnregisterBand(TLXCustomBand* Band) {
  if (HasState(csDestroying)) return;
  auto It = std::find(FBandList.begin(), FBandList.end(), Band);
  if (It != FBandList.end()) FBandList.erase(It);
  OrderBands();
  LayoutBands();
}

void TCustomVexaRep::AppendBandChain(TLXCustomBand* Band) {
  if (!FOrdering) return;
  for (int Steps = 0; Band && Steps < MaxChain; ++Steps) {
    if (Band->HasState(csDestroying) || !FPlaced.insert(Band).second) return;
    FNewOrder.push_back(Band);
    auto It = FChildOf.find(Band);
    Band = It == FChildOf.end() ? nullptr : It->second;
  }
}

void TCustomVexaRep::OrderBands() {
  if (HasState(csLoading) || HasState(csDestroying) || FOrdering) return;
  TRestore<bool> Busy(FOrdering, true);
  TFinally Clear([this] {
    FNewOrder.clear();
    FPlaced.clear();
    FChildOf.clear();
  });
  AssignControllerBands();
  FController->CollectChildren();
  // Each band's child, as FindChild sees it, found once for the whole list.
  for (TLXCustomBand* B : FBandList)
    if (auto* C = dynamic_cast<TLXChildBand*>(B);
        C && C->BandType() == rbChild && C->ParentBand() && !C->HasState(csDestroying))
      FChildOf.emplace(C->ParentBand(), C);
  auto AllOfType = [this](TLXBandType T) {
    for (TLXCustomBand* B : FBandList)
      if (B->BandType() == T) AppendBandChain(B);
  };
  AllOfType(rbPageHeader);
  AllOfType(rbTitle);
  AllOfType(rbColumnHeader);
  FController->ListBands();
  AllOfType(rbPageFooter);
  for (TLXCustomBand* B : FBandList) AppendBandChain(B);
  FBandList.swap(FNewOrder);
}

bool TCustomVexaRep::AnythingLoading() const {
  if (HasState(csLoading)) return true;
  for (const TLXCustomBand* B : FBandList)
    if (B->HasState(csLoading)) return true;
  return false;
}

void TCustomVexaRep::LayoutBands() {
  // Bands still loading are placed once the last of them has loaded.
  if (!FPage || FLayoutLock || HasState(csDestroying) || AnythingLoading()) return;
  int Left = RoundPixels(FPage->FromNative(TLXUnit::Pixels, true, FPage->Native(TLXPage::LeftMarginIndex)));
  int Y = RoundPixels(FPage->FromNative(TLXUnit::Pixels, false, FPage->Native(TLXPage::TopMarginIndex)));
  // Widths in native units: what a run steps columns by must not depend on the screen or the zoom.
  int32_t Columns = FPage->Columns();
  long double Full = FPage->Native(TLXPage::WidthIndex) - FPage->Native(TLXPage::LeftMarginIndex) -
                     FPage->Native(TLXPage::RightMarginIndex);
  long double Column = (Full - (Columns - 1) * FPage->Native(TLXPage::ColumnSpaceIndex)) / Columns;
  for (size_t I = 0; I < FBandList.size(); ++I) {
    TLXCustomBand* B = FBandList[I];
    if (B->HasState(csDestroying)) continue;
    {
      B->SetLaying(true);
      TFinally Laid([B] { B->SetLaying(false); });
      B->SetBounds(Left, Y, B->Width(), B->Height());
      B->Size()->SetNative(TLXBandSize::WidthIndex, FullWidthBand(B) ? Full : Column);
      B->Size()->ApplyToParent();
    }
    Y += B->Height();
  }
}

void TCustomVexaRep::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  int OldWidth = Width(), OldHeight = Height();
  TLXBasePanel::SetBounds(ALeft, ATop, AWidth, AHeight);
  // A Custom paper resized on the design surface takes the new size.
  if (FPage && !FPage->Updating() && !HasState(csLoading) && (Width() != OldWidth || Height() != OldHeight) &&
      FPage->PaperSize() == TLXPaperSize::Custom)
    FPage->TakeControlSize(Width(), Height());
  LayoutBands();
}

void TCustomVexaRep::Loaded() {
  TLXBasePanel::Loaded();
  FPage->AfterLoad();
  OrderBands();
  LayoutBands();
}

void TCustomVexaRep::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  TLXBasePanel::GetChildren(Proc, Root);
  // Components the report owns that sit on no control (data sets) travel with it.
  if (Root == this)
    for (int I = 0; I < ComponentCount(); ++I)
      if (!Components(I)->HasParent()) Proc(Components(I));
}

void TCustomVexaRep::SetThumbnail(std::unique_ptr<TMetafile> Page) {
  FThumbnail = std::move(Page);
  Invalidate();
}

void TCustomVexaRep::InvalidateThumbnail() {
  if (FThumbnailStale) return;
  FThumbnailStale = true;
  FThumbnail.reset();
  Invalidate();
}

void TCustomVexaRep::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LXPAGEAVAILABLE:
      if ((Message.WParam & 0xFFFF) == 1 && FActivePrinter) SetThumbnail(FActivePrinter->GetPage(1));
      return;
    case WM_LXPRINT:
      PrintRun();
      return;
    case WM_LXPREVIEWCLOSED:
      if (!FIdle) {
        CancelRun();
      } else if (TLXPrinter* P = FActivePrinter) {
        if (P->ShowingPreview()) P->SetShowingPreview(false);
        FActivePrinter = nullptr;
        FreePrinter(P);
      }
      return;
  }
  TLXBasePanel::WndProc(Message);
}

void TCustomVexaRep::Paint() {
  TLXBasePanel::Paint();
  FThumbnailStale = false;
  if (FThumbnail) Canvas().StretchDraw(ClientRect(), *FThumbnail);
  if (FPage->Ruler()) PaintRuler(Units());
  PaintMargins();
  PaintFrame();
  PaintColumns();
}

void TCustomVexaRep::PaintMargins() {
  const TLXDesignSettings& S = LXDesignSettings();
  TCanvas& C = Canvas();
  C.Pen().SetWidth(1);
  C.Pen().SetStyle(S.MarginStyle);
  C.Pen().SetColor(S.MarginColor);
  C.Brush().SetStyle(bsClear);
  FPage->PushPixels();
  TFinally Pop([this] { FPage->PopUnits(); });
  C.Rectangle(RoundPixels(FPage->LeftMargin()), RoundPixels(FPage->TopMargin()),
              Width() - RoundPixels(FPage->RightMargin()), Height() - RoundPixels(FPage->BottomMargin()));
  C.Pen().SetStyle(psSolid);
}

void TCustomVexaRep::PaintFrame() {
  TCanvas& C = Canvas();
  Frame()->ApplyPen(C.Pen());
  FPage->PushPixels();
  TFinally Pop([this] { FPage->PopUnits(); });
  int L = RoundPixels(FPage->LeftMargin()), T = RoundPixels(FPage->TopMargin());
  int R = RoundPixels(FPage->Width() - FPage->RightMargin());
  int B = RoundPixels(FPage->Length() - FPage->BottomMargin());
  auto Line = [&C](int X1, int Y1, int X2, int Y2) {
    C.MoveTo(X1, Y1);
    C.LineTo(X2, Y2);
  };
  if (Frame()->DrawTop()) Line(L, T, R - 1, T);
  if (Frame()->DrawBottom()) Line(L, B - 1, R - 1, B - 1);
  if (Frame()->DrawLeft()) Line(L, T, L, B - 1);
  if (Frame()->DrawRight()) Line(R - 1, T, R - 1, B - 1);
}

void TCustomVexaRep::PaintColumns() {
  int32_t N = FPage->Columns();
  if (N < 2) return;
  const TLXDesignSettings& S = LXDesignSettings();
  TCanvas& C = Canvas();
  C.Pen().SetWidth(1);
  C.Pen().SetStyle(S.MarginStyle);
  C.Pen().SetColor(S.MarginColor);
  FPage->PushPixels();
  TFinally Pop([this] { FPage->PopUnits(); });
  long double L = FPage->LeftMargin(), Space = FPage->ColumnSpace();
  int Top = RoundPixels(FPage->TopMargin());
  int64_t G = RoundPixels((FPage->Width() - L - FPage->RightMargin() - Space * (N - 1)) / N);
  for (int32_t F = 1; F < N; ++F)
    for (int X : {RoundPixels(L + G * F + Space * (F - 1)), RoundPixels(L + (Space + G) * F)}) {
      C.MoveTo(X, 0);
      C.LineTo(X, Top);
    }
  C.Pen().SetStyle(psSolid);
}

// ---- Running

void TCustomVexaRep::SetDescription(const TStringList* V) {
  if (V) FDescription->Assign(V);
}

void TCustomVexaRep::SetPrinterSettings(const TVexaRepPrinterSettings* V) {
  if (V) FPrinterSettings->Assign(V);
}

bool TCustomVexaRep::PrintIfEmpty() const { return FController->PrintIfEmpty(); }
void TCustomVexaRep::SetPrintIfEmpty(bool Value) { FController->SetPrintIfEmpty(Value); }

void TCustomVexaRep::GetPrinterSettings(TPrinterSettings* Sender, bool& Cancel, TDeviceMode* DevMode) {
  if (OnGetPrinterSettings) OnGetPrinterSettings(Sender, Cancel, DevMode);
}

void TCustomVexaRep::ApplyPrinterSettings(TPrinterSettings* Sender, bool& Cancel, TDeviceMode* DevMode) {
  if (OnApplyPrinterSettings) OnApplyPrinterSettings(Sender, Cancel, DevMode);
}

void TCustomVexaRep::PrinterFreed(TLXPrinter* Printer) {
  std::erase(FPrinters, Printer);
  if (FActivePrinter == Printer) FActivePrinter = nullptr;
}

void TCustomVexaRep::FreePrinter(TLXPrinter* P) { delete P; }

void TCustomVexaRep::HookPrinter(TLXPrinter* P) {
  P->SetParentReport(Handle());
  P->OnPrintSetup = [this] { PrintSetupDialog(); };
  P->OnExportToFilter = [this](TLXExportFilter* Filter) { ExportRun(Filter); };
  P->SetTitle(FReportTitle);
  if (OnPreview) P->OnPreview = [this](TLXPrinter*) { OnPreview(this); };
}

bool TCustomVexaRep::NewPrinter() {
  if (!FIdle) return false;
  HWND Status = FActivePrinter ? FActivePrinter->StatusWindow() : 0;
  auto* P = new TLXPrinter(this);
  FPrinters.push_back(P);
  P->SetStatusWindow(Status);
  P->AfterPreview = [this](TLXPrinter*) {
    if (AfterPreview) AfterPreview(this);
  };
  P->AfterPrint = [this](TLXPrinter*) {
    if (AfterPrint) AfterPrint(this);
  };
  FActivePrinter = P;
  return true;
}

void TCustomVexaRep::CancelRun() {
  if (FIdle) return;
  FCancelled = true;
  if (FActivePrinter) FActivePrinter->Cancel();
}

void TCustomVexaRep::SetExportFilter(TLXExportFilter* Filter) {
  FExportFilter = Filter;
  FExporting = Filter != nullptr;
}

void TCustomVexaRep::Prepare() {
  if (!NewPrinter() || FActivePrinter->ShowingPreview()) return;
  FActivePrinter->SetDestination(lxdMetafile);
  HookPrinter(FActivePrinter);
  Generate(false);
  if (FActivePrinter) FActivePrinter->SetPrepared(true);
}

void TCustomVexaRep::Preview() {
  if (Application) Application->ProcessMessages();
  if (!NewPrinter() || FActivePrinter->ShowingPreview()) return;
  FActivePrinter->SetDestination(lxdMetafile);
  HookPrinter(FActivePrinter);
  FActivePrinter->Preview();
  Generate(false);
  if (FCancelled) {
    if (FActivePrinter) FreePrinter(FActivePrinter);
    FActivePrinter = nullptr;
    return;
  }
  while (FActivePrinter && FActivePrinter->ShowingPreview() && Application && !Application->Terminated())
    Application->HandleMessage();
}

void TCustomVexaRep::RunWithTemporaryPrinter(TLXPrinter* P) {
  HWND Status = 0;
  TComponent* Progress = LXProgressWindowFactory ? LXProgressWindowFactory(P, FShowProgress, Status) : nullptr;
  TFinally FreeProgress([Progress] {
    if (Progress) Progress->Free();
  });
  // Without a progress window the run's messages go nowhere (not to a preview of other pages).
  P->SetStatusWindow(Status);
  Generate(false);
}

void TCustomVexaRep::PrintRun() {
  TLXPrinter* Previous = FActivePrinter;
  if (!NewPrinter()) return;
  TLXPrinter* P = FActivePrinter;
  TFinally Restore([&] {
    FreePrinter(P);
    FActivePrinter = Previous;
  });
  if (!P->PrintersAvailable()) return;
  P->SetDestination(lxdPrinter);
  RunWithTemporaryPrinter(P);
}

void TCustomVexaRep::ExportRun(TLXExportFilter* Filter) {
  if (!FIdle || !Filter) return;
  SetExportFilter(Filter);
  Filter->SetOwner(this);
  Filter->SetSourcePrinter(FActivePrinter);
  FRendering = false;
  TLXPrinter* Previous = FActivePrinter;
  auto* P = new TLXPrinter(this);
  FPrinters.push_back(P);
  FActivePrinter = P;
  TFinally Restore([&] {
    FreePrinter(P);
    SetExportFilter(nullptr);
    FRendering = true;
    FActivePrinter = Previous;
  });
  P->SetDestination(lxdMetafile);
  RunWithTemporaryPrinter(P);
}

void TCustomVexaRep::PrintSetupDialog() {
  TLXPrintDialog Dialog(Application);
  CreateGlobalPrinter();
  TPrinter* Global = ::Printer();
  if (Global && Global->HasPrinter()) {
    int Index = FPrinterSettings->PrinterIndex();
    if (Index >= 0 && Index < static_cast<int>(Global->Printers().size())) Global->SetPrinterIndex(Index);
  }
  Dialog.SetMinPage(0);
  Dialog.SetMaxPage(9999);
  if (FActivePrinter && FActivePrinter->Status() == lxsFinished) {
    Dialog.SetMinPage(1);
    Dialog.SetMaxPage(FActivePrinter->PageCount());
    Dialog.SetFromPage(1);
    Dialog.SetToPage(Dialog.MaxPage());
  }
  Dialog.SetOptions(poPageNums | poWarning);
  if (Global && Global->HasPrinter()) {
    TDeviceMode M = Global->DeviceMode();
    M.Fields |= DM_ORIENTATION;
    M.Orientation = FPage->Orientation() == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    Global->SetDeviceMode(M);
  }
  Dialog.SetCopies(FPrinterSettings->Copies());
  if (!Dialog.Execute()) {
    SetTag(1);
    return;
  }
  FPrinterSettings->SetCopies(Dialog.Copies());
  if (Global && Global->HasPrinter()) {
    FPrinterSettings->SetPrinterIndex(Global->PrinterIndex());
    FPage->SetOrientation(Global->DeviceMode().Orientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait);
  }
  if (Dialog.PrintRange() == prPageNums) {
    FPrinterSettings->SetFirstPage(Dialog.FromPage());
    FPrinterSettings->SetLastPage(Dialog.ToPage());
  } else {
    FPrinterSettings->SetFirstPage(0);
    FPrinterSettings->SetLastPage(0);
  }
  SetTag(0);
}

void TCustomVexaRep::ApplyPrinterSettingsToPrinter() {
  TLXPrinter* P = FActivePrinter;
  const TVexaRepPrinterSettings* S = FPrinterSettings.get();
  P->SetPrinterIndex(S->PrinterIndex());
  P->SetPaperSize(FPage->PaperSize());
  if (P->GetPaperSize() == TLXPaperSize::Custom) {
    // The printer holds a paper as it stands in portrait, as the table sizes are, and turns it
    // for landscape: the page's width and length change places.
    bool Landscape = FPage->Orientation() == poLandscape;
    int32_t W = static_cast<int32_t>(Round(FPage->Width())), L = static_cast<int32_t>(Round(FPage->Length()));
    P->SetPaperWidth(Landscape ? L : W);
    P->SetPaperLength(Landscape ? W : L);
  }
  P->SetOrientation(FPage->Orientation());
  P->SetCopies(S->Copies());
  P->SetOutputBin(S->OutputBin());
  P->SetFirstPage(S->FirstPage());
  P->SetLastPage(S->LastPage());
  P->SetDuplex(S->Duplex());
  P->SetExtendedDuplex(S->ExtendedDuplex());
  P->SetUseStandardPrinter(S->UseStandardprinter());
  P->SetPrintMetafile(S->PrintMetaFile());
  P->SetUseCustomBinCode(S->UseCustomBinCode());
  P->SetCustomBinCode(S->CustomBinCode());
  P->SetUseCustomPaperCode(S->UseCustomPaperCode());
  P->SetCustomPaperCode(S->CustomPaperCode());
}

void TCustomVexaRep::AddRunDataSet(TDataSet* D) {
  if (!FDataSets || !D) return;
  for (const auto& A : FDataSetAdapters)
    if (A->DataSet() == D) return;
  FDataSetAdapters.push_back(std::make_unique<TLXDataSetAdapter>(D));
  FDataSets->push_back(FDataSetAdapters.back().get());
}

void TCustomVexaRep::GatherDataSets() {
  // The form the report sits on (headless: the component that owns it), else the report.
  TComponent* Root = Owner() ? Owner() : this;
  std::function<void(TComponent*, int)> Walk = [&](TComponent* Owner, int Depth) {
    if (Depth > 64) return;
    for (int I = 0; I < Owner->ComponentCount(); ++I) {
      TComponent* C = Owner->Components(I);
      if (auto* D = dynamic_cast<TDataSet*>(C)) AddRunDataSet(D);
      else if (dynamic_cast<THeadlessWinControl*>(C)) Walk(C, Depth + 1);
    }
  };
  Walk(Root, 0);
  if (Root != this) Walk(this, 0);
  for (int I = 0; I < DataModuleCount(); ++I)
    if (TDataModule* M = DataModules(I))
      for (int J = 0; J < M->ComponentCount(); ++J)
        if (auto* D = dynamic_cast<TDataSet*>(M->Components(J))) AddRunDataSet(D);
}

void TCustomVexaRep::AttachChildren() {
  for (int I = 0; I < ControlCount(); ++I) {
    if (auto* B = dynamic_cast<TLXCustomBand*>(Controls(I))) B->SetReport(this);
    else if (auto* P = dynamic_cast<TLXPrintable*>(Controls(I))) P->SetParent(this);
  }
}

namespace {
template <class F>
void ForEachPrintable(THeadlessWinControl* Parent, const F& Fn) {
  for (int I = 0; I < Parent->ControlCount(); ++I) {
    if (auto* P = dynamic_cast<TLXPrintable*>(Parent->Controls(I))) Fn(P);
    else if (auto* W = dynamic_cast<TLXBasePanel*>(Parent->Controls(I))) ForEachPrintable(W, Fn);
  }
}
}  // namespace

void TCustomVexaRep::PrepareContents() {
  ForEachPrintable(this, [](TLXPrintable* P) { P->BeginPrinting(); });
}

void TCustomVexaRep::UnprepareContents() {
  ForEachPrintable(this, [](TLXPrintable* P) { P->EndPrinting(); });
}

void TCustomVexaRep::Execute() { FController->Run(); }

void TCustomVexaRep::Generate(bool AppendRun) {
  if (!FIdle) return;
  bool WasVisible = Visible();
  FThumbnail.reset();
  // Margins that leave no room are zeroed for this run only: the user's values come back.
  long double Margins[4] = {FPage->Native(TLXPage::LeftMarginIndex), FPage->Native(TLXPage::RightMarginIndex),
                            FPage->Native(TLXPage::TopMarginIndex), FPage->Native(TLXPage::BottomMarginIndex)};
  bool ZeroSides = FPage->Native(TLXPage::WidthIndex) - Margins[0] - Margins[1] < 0;
  bool ZeroEnds = FPage->Native(TLXPage::LengthIndex) - Margins[2] - Margins[3] < 0;
  auto SetMargins = [this](long double L, long double R, long double T, long double B) {
    FPage->SetNative(TLXPage::LeftMarginIndex, L);
    FPage->SetNative(TLXPage::RightMarginIndex, R);
    FPage->SetNative(TLXPage::TopMarginIndex, T);
    FPage->SetNative(TLXPage::BottomMarginIndex, B);
  };
  SetMargins(ZeroSides ? 0 : Margins[0], ZeroSides ? 0 : Margins[1], ZeroEnds ? 0 : Margins[2],
             ZeroEnds ? 0 : Margins[3]);
  FIdle = false;
  FCancelled = FFinalPage = FSkipNextPageBreak = FColumnBreakArmed = FBreakInProgress = false;
  FStartPending = true;
  TFinally Done([&] {
    FDataSets.reset();
    FDataSetAdapters.clear();
    SetMargins(Margins[0], Margins[1], Margins[2], Margins[3]);
    SetVisible(WasVisible);
    FIdle = true;
  });
  FDataSets = std::make_unique<TLXDataSetList>();
  GatherDataSets();

  bool PrintReport = true;
  if (BeforePrint && !HasState(csDesigning)) BeforePrint(this, PrintReport);
  if (!PrintReport) return;

  TLXPrinter* P = FActivePrinter;
  if (!P) return;
  bool JobBegun = false;
  TFinally EndJob([&] {
    if (!JobBegun) return;
    if (FCancelled) P->AbortDoc();
    else if (!AppendRun) {
      if (FRendering) P->EndDoc();
      else P->AbortDoc();
    }
  });
  TLXUnit OldUnits = Units();
  bool Compiled = false, ControllerPrepared = false, ContentsPrepared = false;
  TFinally Unprepare([&] {
    // Also when the run fails: the report is left as it was before the run.
    SetUnits(OldUnits);
    if (ContentsPrepared) UnprepareContents();
    if (ControllerPrepared) FController->UnprepareRun();
    if (Compiled) {
      FFunctions->Discard();
      SharedEnvironment()->Discard();
    }
    FPageNumberEntry = FColumnNumberEntry = FTitleEntry = nullptr;
  });
  SetUnits(TLXUnit::Native);
  FAppendRun = AppendRun;
  if (!AppendRun) {
    ApplyPrinterSettingsToPrinter();
    P->SetTitle(FReportTitle);
    P->SetCompression(HasOption(Compression));
    P->BeginDoc();
    JobBegun = true;
    FCurrentY = -1;
    FPageNumber = 0;
    FColumnNumber = FPage->Columns();
  } else {
    JobBegun = true;
    FPage->SetPaperSize(P->GetPaperSize());
    FPage->SetOrientation(static_cast<TPrinterOrientation>(P->GetOrientation()));
    FColumnNumber = 1;
    // This run's columns start where it starts, below its title; the page above is another's.
    FColumnsBottom = FCurrentY;
    FColumnTop = FCurrentY;
    if (TLXCustomBand* Title = BandOfType(rbTitle)) FColumnTop += static_cast<int32_t>(Round(Title->Size()->Height()));
  }
  if (FExporting && !FExportFilter->Active())
    FExportFilter->Start(static_cast<int32_t>(Round(FPage->Width())),
                  static_cast<int32_t>(Round(FPage->Length())), Font());
  MeasurePageFooter();
  AttachChildren();
  FCurrentX = static_cast<int32_t>(Round(FPage->LeftMargin()));
  FController->CollectChildren();
  SharedEnvironment()->Compile();
  FFunctions->AssignDataSets(FDataSets.get());
  FFunctions->Compile();
  Compiled = true;
  FPageNumberEntry = FFunctions->FirstElementOf("PAGENUMBER");
  FColumnNumberEntry = FFunctions->FirstElementOf("COLUMNNUMBER");
  FTitleEntry = FFunctions->FirstElementOf("REPORTTITLE");
  TLXEvEnvironment::StoreText(FTitleEntry, FReportTitle);
  // A run that goes on with a composite's page goes on with its page number too.
  if (AppendRun) {
    TLXEvEnvironment::StoreInteger(FPageNumberEntry, FPageNumber);
    StoreColumnNumber();
  }
  ControllerPrepared = true;
  FController->PrepareRun();
  ContentsPrepared = true;
  PrepareContents();
  Execute();
  if (!AppendRun) {
    FCurrentX = static_cast<int32_t>(Round(FPage->LeftMargin()));
    FFinalPage = true;
    if (!FCancelled) ClosePage();
    // Only a completed run puts its file in place; a cancelled one leaves an earlier file as it was.
    if (FExporting && !FCancelled) FExportFilter->Finish();
  } else if (Tag() == 999) {
    FFinalPage = true;
    ClosePage();
  } else {
    // The next member goes on below every column of this one.
    FCurrentX = static_cast<int32_t>(Round(FPage->LeftMargin()));
    FCurrentY = std::max(FCurrentY, FColumnsBottom);
  }
}

// ---- TVexaRep

const TClassInfo& TVexaRep::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TVexaRep>("TVexaRep", &TCustomVexaRep::StaticClassInfo())
                                     .Prop("DataSet", &TVexaRep::DataSet, &TVexaRep::SetDataSet);
  return Info;
}

TVexaRep::TVexaRep(TComponent* AOwner) : TCustomVexaRep(AOwner) {
  auto* C = new TLXController(this);
  C->SetParentReport(this);
  C->SetSelfCheck(this);
  SetController(C);
}

TLXController* TVexaRep::Controller() const { return static_cast<TLXController*>(TCustomVexaRep::Controller()); }

TDataSet* TVexaRep::DataSet() const { return Controller()->DataSet(); }

void TVexaRep::SetDataSet(TDataSet* Value) {
  Controller()->AttachDataSet(Value);
  if (Value) FreeNotification(Value);
}

int64_t TVexaRep::DataSetRecordCount() const {
  TDataSet* D = DataSet();
  if (!DataSetReady(D)) return 1;
  try {
    return D->RecordCount();
  } catch (...) {
    return 1;  // a count that cannot be read must not stop the run
  }
}

void TVexaRep::Execute() {
  AssignControllerBands();
  Controller()->OnNeedData = OnNeedData;
  TCustomVexaRep::Execute();
}

void TVexaRep::AssignControllerBands() {
  TLXController* C = Controller();
  C->SetHeaderBand(BandOfType(rbTitle));
  C->SetDetailBand(BandOfType(rbDetail));
  C->SetFooterBand(BandOfType(rbSummary));
}

void TVexaRep::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomVexaRep::Notification(AComponent, Operation);
  if (Operation == opRemove && !HasState(csDestroying) && AComponent && AComponent == static_cast<TComponent*>(DataSet()))
    SetDataSet(nullptr);
}

int TCustomVexaRep::MeasureTextWidth(const TFont* Font, const std::string& Text) {
  return LXScreenTextExtent(*Font, Text).cx + 1;
}

int TCustomVexaRep::MeasureTextHeight(const TFont* Font, const std::string& Text) {
  return LXScreenTextExtent(*Font, Text).cy;
}
