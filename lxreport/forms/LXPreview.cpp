#include "lxreport/forms/LXPreview.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <algorithm>

#include "lxreport/LXConsts.h"
#include "lxreport/forms/LXPrev.h"
#include "platform/app/Application.h"
#include "platform/app/Dialogs.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/RtlMath.h"

const TClassInfo* LXPreviewInterfaceClass = nullptr;

namespace {
// Letter in millimetres, taken as pixels, when no printer is attached.
constexpr long double LetterWidth = 215.9L, LetterLength = 279.4L;
constexpr int WheelLinePixels = 20;

int32_t RoundInt(long double V) { return static_cast<int32_t>(Round(V)); }
}  // namespace

// ---- TLXPreviewImage

const TClassInfo& TLXPreviewImage::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXPreviewImage>("TLXPreviewImage", &TGraphicControl::StaticClassInfo());
  return Info;
}

TLXPreviewImage::TLXPreviewImage(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(Left(), Top(), 100, 50); }

TLXPreviewImage::~TLXPreviewImage() = default;

void TLXPreviewImage::SetPageNumber(int32_t N) {
  FPageNumber = N;
  FPageMetafile.reset();
  FUnreadable = false;
  TFinally Paint([&] { Repaint(); });  // also after a failed fetch: the old page must not stay on screen
  TOnException Blank([&] { FUnreadable = true; });
  if (FPrinter) FPageMetafile = FPrinter->GetPage(N);
}

void TLXPreviewImage::PaintPage() {
  TCanvas& C = Canvas();
  int W = Width(), H = Height();
  bool Designing = HasState(csDesigning) || (Owner() && Owner()->HasState(csDesigning));
  bool HasPage = FPageMetafile != nullptr;
  if (!HasPage && !FUnreadable && !Designing) return;
  C.Brush().SetColor(clWhite);
  C.Pen().SetColor(clWhite);
  C.Rectangle(1, 1, W - 3, H - 3);
  if (HasPage) C.StretchDraw(Rect(0, 0, W, H), *FPageMetafile);
  C.Pen().SetColor(clBlack);
  C.Pen().SetWidth(1);
  // One closed outline: every corner is drawn, as line by line on the page's
  // own device. (The Qt backend's LineTo drops the start point of lines that
  // run up or left, which would lose the bottom right corner.)
  C.Polyline({{0, 0}, {0, H - 3}, {W - 3, H - 3}, {W - 3, 0}, {0, 0}});
  C.Brush().SetColor(clBlack);
  C.Rectangle(W - 2, 2, W, H);
  C.Rectangle(2, H - 2, W, H);
}

// ---- TLXPreview

const TClassInfo& TLXPreview::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXPreview>("TLXPreview", &TScrollBox::StaticClassInfo())
                                     .Prop("PageNumber", &TLXPreview::PageNumber, &TLXPreview::SetPageNumber)
                                     .Default(1)
                                     .Prop("Zoom", &TLXPreview::Zoom, &TLXPreview::SetZoom)
                                     .Default(100)
                                     .Event("OnPageAvailable", &TLXPreview::OnPageAvailable)
                                     .Event("OnProgressUpdate", &TLXPreview::OnProgressUpdate);
  return Info;
}

TLXPreview::TLXPreview(TComponent* AOwner) : TScrollBox(AOwner) {
  SetBounds(Left(), Top(), 250, 250);
  HorzScrollBar()->SetTracking(true);
  VertScrollBar()->SetTracking(true);
  // A line as Qt's scroll areas scroll it, for the arrows and the wheel.
  HorzScrollBar()->SetIncrement(WheelLinePixels);
  VertScrollBar()->SetIncrement(WheelLinePixels);
  FPreviewImage = new TLXPreviewImage(this);
  FPreviewImage->SetParent(this);
  FPreviewImage->SetBounds(0, 0, FPreviewImage->Width(), FPreviewImage->Height());
  OnResize = [this](TObject*) { ApplyZoomState(); };
}

TLXPreview::~TLXPreview() { BeforeDestruction(); }

// The printer is let go while the page image still exists (the children are
// freed next); no page is fetched or painted on the way out.
void TLXPreview::Destroying() {
  try {
    DetachPrinter();
  } catch (...) {
    // a failing AfterPreview must not stop the freeing
  }
  TScrollBox::Destroying();
}

void TLXPreview::DetachPrinter() {
  TLXPrinter* Old = FPrinter;
  FPrinter = nullptr;
  FPreviewImage->SetPrinter(nullptr);
  if (Old && Old->StatusWindow() == Handle()) {
    Old->SetStatusWindow(0);
    Old->SetShowingPreview(false);
  }
}

void TLXPreview::PrinterFreed(TLXPrinter* Printer) {
  if (Printer == FPrinter) SetLXPrinter(nullptr);
}

void TLXPreview::SetLXPrinter(TLXPrinter* P) {
  DetachPrinter();
  FPrinter = P;
  FPreviewImage->SetPrinter(P);
  if (P) {
    P->SetStatusWindow(Handle());
    P->SetShowingPreview(true);
  }
  // Clicks on the page reach the owner's handlers (set before fetching, which may raise).
  FPreviewImage->OnClick = OnClick;
  FPreviewImage->OnDblClick = OnDblClick;
  FPreviewImage->OnDragDrop = OnDragDrop;
  FPreviewImage->OnDragOver = OnDragOver;
  FPreviewImage->OnEndDrag = OnEndDrag;
  FPreviewImage->OnMouseDown = OnMouseDown;
  FPreviewImage->OnMouseMove = OnMouseMove;
  FPreviewImage->OnMouseUp = OnMouseUp;
  Invalidate();
  PagesReplaced();
}

void TLXPreview::PagesReplaced() {
  FDamageReported = false;
  // The page is sized for the printer's paper now, not at the next resize (which a window
  // without a window manager never gets).
  ApplyZoomState();
  SetPageNumber(1);
  FetchPage(1);  // also when page 1 was the number already
}

void TLXPreview::SetPageNumber(int32_t N) {
  if (N == FPageNumber && FPreviewImage->ImageOK()) return;
  if (N <= 0 || !FPrinter || N > FPrinter->PageCount()) return;
  FetchPage(N);
  FPageNumber = N;
  HorzScrollBar()->SetPosition(0);
  VertScrollBar()->SetPosition(0);
}

void TLXPreview::FetchPage(int32_t N) {
  try {
    FPreviewImage->SetPageNumber(N);
  } catch (const Exception& E) {
    ReportDamage(N, E.what());
  }
}

void TLXPreview::ReportDamage(int32_t Page, const std::string& Why) {
  if (FDamageReported || !FPrinter) return;
  FDamageReported = true;
  MessageDlg(Format(SLXDamagedFromPage, {FirstUnreadablePage(Page), Why}), mtWarning, MsgButton(mbOK));
}

int32_t TLXPreview::FirstUnreadablePage(int32_t Failed) {
  auto Readable = [this](int32_t N) {
    try {
      return FPrinter->GetPage(N) != nullptr;
    } catch (const Exception&) {
      return false;
    }
  };
  // Page Low is readable (0 stands for "before page 1"), page High is not.
  int32_t Low = 0, High = Failed;
  while (High - Low > 1) {
    int32_t Mid = Low + (High - Low) / 2;
    (Readable(Mid) ? Low : High) = Mid;
  }
  return High;
}

int TLXPreview::DesktopScrollLines() {
  int Lines = QGuiApplication::styleHints() ? QGuiApplication::styleHints()->wheelScrollLines() : 3;
  return Lines < 0 || Lines > 100 ? 3 : Lines;
}

void TLXPreview::WheelScroll(int Delta, int Lines) {
  TControlScrollBar* Bar = VertScrollBar();
  while (Delta >= 120 || Delta <= -120) {
    Bar->SetPosition(Bar->Position() + (Delta < 0 ? 1 : -1) * Lines * Bar->Increment());
    Delta += Delta < 0 ? 120 : -120;
  }
}

void TLXPreview::SetZoom(int32_t Z) {
  if (Z < 2 || Z > 2000) return;
  FZoomState = lxzNumeric;
  FZoom = Z;
  UpdateZoom();
}

long double TLXPreview::PageWidthPixels() const {
  return FPrinter ? FPrinter->XSize(FPrinter->PaperWidthValue()) : LetterWidth;
}

long double TLXPreview::PageHeightPixels() const {
  return FPrinter ? FPrinter->YSize(FPrinter->PaperLengthValue()) : LetterLength;
}

void TLXPreview::UpdateZoom() {
  int W, H;
  if (FPrinter) {
    W = RoundInt(FPrinter->XSize(FPrinter->PaperWidthValue() / 100.0L * FZoom)) + 4;
    H = RoundInt(FPrinter->YSize(FPrinter->PaperLengthValue() / 100.0L * FZoom)) + 4;
  } else {
    W = RoundInt(LetterWidth / 100 * FZoom) + 4;
    H = RoundInt(LetterLength / 100 * FZoom) + 4;
  }
  int L = W < Width() ? (Width() - W) / 2 : 0;
  int T = H < Height() ? (Height() - H) / 2 : 0;
  FPreviewImage->SetBounds(L, T, W, H);
  HorzScrollBar()->SetPosition(0);
  VertScrollBar()->SetPosition(0);
  FPreviewImage->SetZoom(FZoom);
}

// A paper of no size (a custom paper never measured) leaves the zoom alone
// instead of dividing by zero.
void TLXPreview::ZoomToFit() {
  long double Wp = PageWidthPixels(), Hp = PageHeightPixels();
  if (Wp > 0 && Hp > 0) {
    int32_t Zw = RoundInt(Width() / Wp * 95);
    int32_t Zh = RoundInt(Height() / Hp * 95);
    SetZoom(std::min(Zw, Zh));
  }
  FZoomState = lxzFitPage;
}

void TLXPreview::ZoomToWidth() {
  if (!FPrinter) {
    SetZoom(RoundInt(Width() / LetterWidth * 95));
  } else if (long double Wp = PageWidthPixels(); Wp > 0) {
    SetZoom(RoundInt(Width() / Wp * 90));
  }
  UpdateZoom();
  FZoomState = lxzFitWidth;
}

void TLXPreview::ApplyZoomState() {
  if (FZoomState == lxzFitPage)
    ZoomToFit();
  else if (FZoomState == lxzFitWidth)
    ZoomToWidth();
  UpdateZoom();
}

void TLXPreview::UpdateImage() {
  if (!FPrinter || FPreviewImage->ImageOK()) return;
  if (FPrinter->AvailablePages() < FPreviewImage->PageNumber()) return;
  ZoomToWidth();
  FetchPage(FPreviewImage->PageNumber());
}

void TLXPreview::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LXPAGEAVAILABLE: {
      int Page = static_cast<int>(Message.WParam & 0xFFFF);
      if (Page == FPageNumber) UpdateImage();
      if (OnPageAvailable) OnPageAvailable(this, Page);
      break;
    }
    case WM_LXPROGRESS:
      if (OnProgressUpdate) OnProgressUpdate(this, static_cast<int>(Message.WParam & 0xFFFF));
      break;
    default:
      TScrollBox::WndProc(Message);
  }
}

// ---- Preview interfaces

const TClassInfo& TLXPreviewInterface::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TLXPreviewInterface>("TLXPreviewInterface", &TComponent::StaticClassInfo());
  return Info;
}

TForm* TLXPreviewInterface::Show(TLXPrinter*) { return nullptr; }
TForm* TLXPreviewInterface::ShowModal(TLXPrinter*) { return nullptr; }

const TClassInfo& TLXStandardPreviewInterface::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXStandardPreviewInterface>("TLXStandardPreviewInterface",
                                                                        &TLXPreviewInterface::StaticClassInfo());
  return Info;
}

TForm* TLXStandardPreviewInterface::Show(TLXPrinter* Printer) {
  auto* Form = new TLXStandardPreview(Application, Printer);
  Form->ShowAndUpdate();
  return Form;
}

// The window frees itself when it closes; a pointer to it is not kept past this call's caller.
TForm* TLXStandardPreviewInterface::ShowModal(TLXPrinter* Printer) {
  auto* Form = new TLXStandardPreview(Application, Printer);
  Form->UpdateStatus();
  Form->ShowModal();
  return Form;
}

void InitializeLXPreview() {
  LXPreviewInterfaceClass = &TLXStandardPreviewInterface::StaticClassInfo();
  LXPreviewInterface = [](TLXPrinter* Printer) {
    const TClassInfo* Class = LXPreviewInterfaceClass;
    if (!Class || !Class->Create || !Class->InheritsFrom(&TLXPreviewInterface::StaticClassInfo())) return;
    std::unique_ptr<TLXPreviewInterface, TComponentDeleter> Interface(static_cast<TLXPreviewInterface*>(Class->Create(nullptr)));
    Interface->Show(Printer);
  };
}

void FinalizeLXPreview() {
  LXPreviewInterface = nullptr;
  LXPreviewInterfaceClass = nullptr;
}
