#include "lxreport/VexaRpt.h"

#include <cstdlib>

#include "lxreport/LXController.h"
#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXPrintable.h"
#include "lxreport/LXPrntr.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/data/DB.h"

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

// ---- TCustomVexaRep

const TClassInfo& TCustomVexaRep::StaticClassInfo() {
  using T = TCustomVexaRep;
  static const TClassInfo Info =
      TClassDef<T>("TCustomVexaRep", &TLXBasePanel::StaticClassInfo())
          .Prop("Bands", &T::Bands)
          .Prop("Font", [](const T& R) { return const_cast<TFont*>(R.Font()); }, [](T& R, TFont* F) { R.SetFont(F); })
          .Prop("Functions", &T::Functions)
          .Prop("Page", &T::Page)
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
  FBands = std::make_unique<TVexaRepBands>(this);
  FPage = std::make_unique<TLXPage>(this);
  SetColor(clWhite);
  Font()->SetName("Arial");
  Font()->SetSize(10);
  FPage->ApplyToParent();  // as large as the paper
}

TCustomVexaRep::~TCustomVexaRep() { BeforeDestruction(); }

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
      B->Size()->SetNative(TLXBandSize::WidthIndex, FullWidthType(LayoutType(B)) ? Full : Column);
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
  if (Message.Msg == WM_LXPAGEAVAILABLE) {
    if ((Message.WParam & 0xFFFF) == 1 && FActivePrinter) SetThumbnail(FActivePrinter->GetPage(1));
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

int32_t TCustomVexaRep::RoomLeft() const { return 0; }

void TCustomVexaRep::SetExportFilter(TLXExportFilter* Filter) {
  FExportFilter = Filter;
  FExporting = Filter != nullptr;
}
