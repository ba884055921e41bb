#include "ppreport/output/forms/ppViewer.h"

#include <algorithm>

#include "platform/app/Application.h"
#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppProd.h"

const TClassInfo& TppPaintBox::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppPaintBox>("TppPaintBox", &TPaintBox::StaticClassInfo());
  return Info;
}

const TClassInfo& TppViewer::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppViewer>("TppViewer", &TPanel::StaticClassInfo());
  return Info;
}

TppViewer::TppViewer(TComponent* AOwner) : TPanel(AOwner) {
  Font().SetName("MS Sans Serif");
  Font().SetSize(8);
  Font().SetColor(clBtnShadow);
  SetColor(clBtnShadow);
  SetBounds(Left(), Top(), 320, 120);
  FScreenDevice = new TppScreenDevice(this);
  FScreenDevice->OnStartJob = [this](TObject*) {
    FPageReady = true;
    DoOnPrintStateChange();
  };
  FScreenDevice->OnEndJob = [this](TObject*) { DoOnPrintStateChange(); };
  FScreenDevice->OnCancelJob = [this](TObject*) { DoOnPrintStateChange(); };
  FWalkieTalkie = new TppCommunicator(nullptr);
  FWalkieTalkie->EventMask().Include(ciProducerPrintRunFinished);
  FWalkieTalkie->OnEventNotify = [this](TppCommunicator*, TppCommunicator* Sender, int EventID, TraParamList*) {
    ReportEventNotify(Sender, EventID);
  };
}

TppViewer::~TppViewer() = default;

void TppViewer::Destroying() {
  if (FReport) RemoveFreeNotification(FReport);
  if (FWalkieTalkie) {
    FWalkieTalkie->Free();
    FWalkieTalkie = nullptr;
  }
  if (FScreenDevice) {
    FScreenDevice->SetPublisher(nullptr);
    FScreenDevice->Free();
    FScreenDevice = nullptr;
  }
  TPanel::Destroying();
}

void TppViewer::Notification(TComponent* AComponent, TOperation Operation) {
  TPanel::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FReport) {
    FReport = nullptr;
    if (FScreenDevice) FScreenDevice->SetPublisher(nullptr);
  }
}

void TppViewer::Loaded() {
  TPanel::Loaded();
  CreateControls();
}

// The scroll box and the paint box, made once (never while the viewer is being read).
void TppViewer::CreateControls() {
  if (FScrollBox || (ComponentState() & (csReading | csLoading))) return;
  FScrollBox = new TppScrollBox(this);
  FScrollBox->SetParent(this);
  FScrollBox->SetBorderStyle(bsNone);
  FScrollBox->HorzScrollBar()->SetTracking(true);
  FScrollBox->VertScrollBar()->SetTracking(true);
  FScrollBox->SetAlign(alClient);
  FScrollBox->SetVisible(false);
  FPaintBox = new TppPaintBox(FScrollBox);
  FPaintBox->SetScreenDevice(FScreenDevice);
  FPaintBox->SetParent(FScrollBox);
  FPaintBox->SetVisible(false);
  FPaintBox->SetColor(clBtnShadow);
  FPaintBox->SetCursor(Cursor());
  FPaintBox->OnPaint = [this](TObject* S) { PaintBoxPaint(S); };
  FPaintBox->OnClick = [this](TObject* S) { PaintBoxClick(S); };
  FPaintBox->OnMouseDown = [this](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
    PaintBoxMouseDown(S, B, Sh, X, Y);
  };
  FPaintBox->OnMouseMove = [this](TObject* S, TShiftState Sh, int X, int Y) { PaintBoxMouseMove(S, Sh, X, Y); };
  FPaintBox->OnDblClick = OnDblClick;
  FPaintBox->OnMouseUp = OnMouseUp;
  FPaintBox->OnDragDrop = OnDragDrop;
  FPaintBox->OnDragOver = OnDragOver;
  FSavedCursor = Cursor();
  if (ComponentState() & csDesigning) FPaintBox->SetVisible(false);
  Invalidate();
}

bool TppViewer::CanDraw() {
  CreateControls();
  return FPageReady && !(ComponentState() & csDesigning) && !FRedrawing;
}

TSize TppViewer::ViewSize() const {
  if (!FScrollBox) return TSize{ClientWidth(), ClientHeight()};
  return TSize{FScrollBox->ClientWidth(), FScrollBox->ClientHeight()};
}

// ---- report, reset, regeneration, printing

void TppViewer::SetReport(TppProducer* Value) {
  if (FReport == Value) return;
  if (FReport) RemoveFreeNotification(FReport);
  FReport = Value;
  if (FReport) {
    FreeNotification(FReport);
    FScreenDevice->SetPublisher(FReport->Publisher());
    FReport->AddEventNotify(FScreenDevice);
  } else {
    FScreenDevice->SetPublisher(nullptr);
  }
  UpdatePageDef();
}

void TppViewer::UpdatePageDef() {
  if (!FReport) return;
  TppPageDef* Def = FScreenDevice->Page()->PageDef();
  const TppPageDef* From = FReport->PrinterSetup()->PageDef();
  Def->SetmmWidth(From->mmWidth());
  Def->SetmmHeight(From->mmHeight());
}

void TppViewer::Reset() {
  UpdatePageDef();
  FScreenDevice->Reset();
  DoOnReset();
}

void TppViewer::RegenerateReport() {
  if (FScreenDevice->Busy() || !FReport) return;
  FPageReady = false;
  {
    auto Ready = TFinally([this] { FPageReady = true; });
    if (TppPublisher* P = FReport->Publisher()) P->Reset();
    Reset();
  }
  FScreenDevice->RequestPages();
}

void TppViewer::DisplayAutoSearchDialog() {
  if (FScreenDevice->Busy() || !FReport) return;
  if (FReport->DisplayAutoSearchDialog()) RegenerateReport();
}

void TppViewer::Print() {
  if (FScreenDevice->Busy() || !FReport) return;
  FScreenDevice->SetPublisher(nullptr);
  FReport->SetCurrentPage(std::max(1, GetAbsolutePageNo()));
  FSavedDeviceType = FReport->DeviceType();
  FSavedPrinterSetup = std::make_unique<TppPrinterSetup>();
  FSavedPrinterSetup->Assign(FReport->PrinterSetup());
  FSavedShowAutoSearchDialog = FReport->ShowAutoSearchDialog();
  FReport->AddEventNotify(FWalkieTalkie);
  FReport->SetShowAutoSearchDialog(false);
  FReport->SetDeviceType(ppPrinterDeviceName);
  FReport->Print();
}

// Printing done (event 89): the screen comes back, and shows the pages again when the setup
// changed in the print dialog.
void TppViewer::ReportEventNotify(TppCommunicator* Sender, int EventID) {
  if (EventID != ciProducerPrintRunFinished || !FReport || Sender != FReport) return;
  FReport->RemoveEventNotify(FWalkieTalkie);
  FReport->SetDeviceType(FSavedDeviceType);
  FReport->SetShowAutoSearchDialog(FSavedShowAutoSearchDialog);
  FScreenDevice->SetPublisher(FReport->Publisher());
  const bool Changed = FSavedPrinterSetup && !FSavedPrinterSetup->IsEqual(*FReport->PrinterSetup());
  FSavedPrinterSetup.reset();
  if (Changed) {
    UpdatePageDef();
    FScreenDevice->RequestPages();
  }
}

void TppViewer::Cancel() { FScreenDevice->CancelReport(); }

// ---- navigation

void TppViewer::FirstPage() { FScreenDevice->FirstPage(); }
void TppViewer::LastPage() { FScreenDevice->LastPage(); }
void TppViewer::GotoPage(int PageNo) { FScreenDevice->GotoPage(PageNo); }

void TppViewer::NextPage() {
  if (!FScreenDevice->Page()->LastPage()) GotoPage(GetAbsolutePageNo() + 1);
}

void TppViewer::PriorPage() {
  if (GetAbsolutePageNo() != 1) GotoPage(GetAbsolutePageNo() - 1);
}

void TppViewer::ScrollPage(int Direction) {
  if (!FScrollBox) return;
  TControlScrollBar* V = FScrollBox->VertScrollBar();
  TControlScrollBar* H = FScrollBox->HorzScrollBar();
  switch (Direction) {
    case 0: V->SetPosition(V->Position() - FScrollBox->ClientHeight()); break;
    case 1: V->SetPosition(V->Position() + FScrollBox->ClientHeight()); break;
    case 2: H->SetPosition(H->Position() - FScrollBox->ClientWidth()); break;
    case 3: H->SetPosition(H->Position() + FScrollBox->ClientWidth()); break;
    default: break;
  }
}

int TppViewer::GetAbsolutePageNo() const { return FScreenDevice->GetAbsolutePageNo(); }
int TppViewer::GetCalculatedZoom() const { return FScreenDevice->CalculatedZoom(); }
std::string TppViewer::GetStatus() const { return FScreenDevice->Status(); }
bool TppViewer::GetBusy() const { return FScreenDevice->Busy(); }
TppPage* TppViewer::GetCurrentPage() const { return FScreenDevice->Page(); }

// ---- zoom and painting

void TppViewer::SetZoomSetting(TppZoomSettingType Value) {
  FZoomSetting = Value;
  if ((ComponentState() & csReading) || !CanDraw()) return;
  if (!Visible()) {
    Invalidate();
    return;
  }
  FPaintBox->SetVisible(false);
  FResetScroll = true;
  RenderForView();
  FPaintBox->SetVisible(true);
  FPaintBox->Invalidate();
}

// A page laid out for the view can bring a scroll bar, which narrows the view: then it is laid out
// again for the view it leaves (at page width a page as wide as the view would otherwise need a
// horizontal bar too). A bar that goes again on the second layout only leaves a little room.
void TppViewer::RenderForView() {
  for (int Pass = 0; Pass < 2; ++Pass) {
    const TSize Used = ViewSize();
    FScreenDevice->RenderPage();
    UpdateScrollBars();
    const TSize Now = ViewSize();
    if (Now.cx >= Used.cx && Now.cy >= Used.cy) break;
  }
}

void TppViewer::SetZoomPercentage(int Value) {
  FZoomPercentage = std::clamp(Value, 25, 250);
  SetZoomSetting(zsPercentage);
}

void TppViewer::SetPageColor(TColor Value) {
  FPageColor = Value;
  Invalidate();
}

// The paint box spans the whole bitmap; the scroll box scrolls it.
void TppViewer::UpdateScrollBars() {
  if ((ComponentState() & (csReading | csLoading)) || !CanDraw()) return;
  const TBitmap& B = FScreenDevice->Bitmap();
  FScrollBox->SetVisible(true);
  // Shown before it is sized: the scroll box's range counts only the children shown when they
  // change, and showing one later does not update it.
  FPaintBox->SetVisible(true);
  FPaintBox->SetBounds(0, 0, std::max(B.Width(), 1), std::max(B.Height(), 1));
  if (FResetScroll) {
    FScrollBox->HorzScrollBar()->SetPosition(0);
    FScrollBox->VertScrollBar()->SetPosition(0);
    FResetScroll = false;
  }
}

void TppViewer::PaintBoxPaint(TObject*) {
  if (!CanDraw()) return;
  TBitmap& B = FScreenDevice->Bitmap();
  FPaintBox->Canvas().Draw(0, 0, B);
}

void TppViewer::RefreshPage() {
  if (FPaintBox) FPaintBox->Repaint();
}

void TppViewer::Resize() {
  TPanel::Resize();
  if ((ComponentState() & (csDestroying | csReading)) || !FScreenDevice || !CanDraw()) return;
  ++FUpdateCount;
  auto Done = TFinally([this] { FUpdateCount = std::max(0, FUpdateCount - 1); });
  RenderForView();
  if (!(ComponentState() & csLoading)) DoOnPageChange();
  FPaintBox->Invalidate();
}

void TppViewer::DevicePageShown() {
  CreateControls();
  UpdateScrollBars();
  if (FPaintBox) {
    FPaintBox->SetVisible(true);
    FPaintBox->Invalidate();
  }
  DoOnPageChange();
}

void TppViewer::DeviceRepaint() {
  if (FPaintBox) FPaintBox->Invalidate();
}

void TppViewer::DeviceRectChanged(const TRect&) {
  if (!FPaintBox) return;
  FRedrawing = true;
  auto Done = TFinally([this] { FRedrawing = false; });
  FPaintBox->Invalidate();
}

void TppViewer::DeviceReportGone() {
  FReport = nullptr;
  Reset();
}

// ---- the mouse

void TppViewer::PaintBoxMouseDown(TObject*, TMouseButton Button, TShiftState Shift, int X, int Y) {
  FMouseDownAt = TPoint{X, Y};
  Broadcast(ciViewerMouseDown);
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TppViewer::PaintBoxMouseMove(TObject*, TShiftState Shift, int X, int Y) {
  if (FPaintBox) FPaintBox->SetCursor(FScreenDevice->FindClickable(X, Y) ? crHandPoint : FSavedCursor);
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TppViewer::PaintBoxClick(TObject*) {
  if (TppDrawCommand* C = FScreenDevice->FindClickable(FMouseDownAt.X, FMouseDownAt.Y)) {
    C->DoDrawCommandClick();
    if (C->RedrawPage()) {
      // A drill-down opened or closed: the same page again, as it now is.
      C->SetRedrawPage(false);
      const int PageNo = GetAbsolutePageNo();
      FScreenDevice->PageRequest()->SetPageSetting(psSinglePage);
      FScreenDevice->PageRequest()->SetPageRequested(PageNo);
      FScreenDevice->RequestPages();
      if (Application) Application->ProcessMessages();
    }
  }
  if (OnClick) OnClick(this);
}

// ---- notices

void TppViewer::Broadcast(int EventID) {
  if (FWalkieTalkie) FWalkieTalkie->SendEventNotify(FWalkieTalkie, EventID, nullptr);
}

void TppViewer::DoOnPageChange() {
  if (OnPageChange) OnPageChange(this);
  Broadcast(ciViewerPageChange);
}

void TppViewer::DoOnPrintStateChange() {
  RefreshPage();
  if (OnPrintStateChange) OnPrintStateChange(this);
  Broadcast(ciViewerPrintStateChange);
}

void TppViewer::DoOnStatusChange() {
  if (OnStatusChange) OnStatusChange(this);
  Broadcast(ciViewerStatusChange);
}

void TppViewer::DoOnReset() {
  if (OnReset) OnReset(this);
  Broadcast(ciViewerReset);
}
