#include "ppreport/output/ppViewr.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/app/Application.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppProd.h"
#include "ppreport/core/ppRotatedText.h"
#include "ppreport/output/ppDeviceDraw.h"

const TClassInfo& TppScreenDevice::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppScreenDevice>("TppScreenDevice", &TppRasterDevice::StaticClassInfo());
  return Info;
}

namespace {
int RoundInt(long double X) { return static_cast<int>(Round(X)); }
int TruncInt(long double X) { return static_cast<int>(Trunc(X)); }
}  // namespace

TppScreenDevice::TppScreenDevice(TComponent* AOwner)
    : TppRasterDevice(AOwner), FPage(new TppPage(nullptr)), FBitmap(std::make_unique<TBitmap>()) {
  FViewer = dynamic_cast<IppScreenView*>(AOwner);
  if (FViewer) {
    const TSize S = FViewer->ViewSize();
    FBitmap->SetSize(std::max(0, S.cx), std::max(0, S.cy));
  }
  PageRequest()->SetPageSetting(psFirstPage);
  PageRequest()->SetPageRequested(1);
  EventMask().Include(ciReportNoData);
}

TppScreenDevice::~TppScreenDevice() {
  if (FPage) FPage->Free();  // a device that was not freed through Free
}

void TppScreenDevice::Destroying() {
  TppRasterDevice::Destroying();
  if (FPage) {
    FPage->Free();
    FPage = nullptr;
  }
}

int TppScreenDevice::SpPixels(int32_t Microns, int Axis) const {
  return TruncInt(ConvertFromMicrons(Microns, utScreenPixels, Axis, nullptr));
}

// ---- the job and its status

void TppScreenDevice::SetStatus(const std::string& Text) {
  TppRasterDevice::SetStatus(Text);
  if (FViewer) FViewer->DeviceStatusChanged();
  if (Application) Application->ProcessMessages();
}

void TppScreenDevice::StartJob() {
  TppRasterDevice::StartJob();
  SetStatus(LanguageString(2));
  FPage->Reset();
}

void TppScreenDevice::ShowPageStatus() {
  const bool Completed = !Publisher() || Publisher()->ReportCompleted();
  SetStatus(Completed ? FPage->GetPageOfPagesText() : FPage->GetPageNoText());
}

void TppScreenDevice::EndJob() {
  if (!Busy()) return;
  ShowPageStatus();
  TppRasterDevice::EndJob();
}

void TppScreenDevice::CancelJob() {
  SetStatus(FPage->GetPageNoText());
  TppRasterDevice::CancelJob();
}

void TppScreenDevice::Reset() {
  TppRasterDevice::Reset();
  if (FViewer && FViewer->ViewEnabled()) ClearPage();
  PageRequest()->SetPageSetting(psFirstPage);
  PageRequest()->SetPageRequested(1);
}

void TppScreenDevice::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation == ppopRemove && Partner && Partner == Publisher() && FViewer) FViewer->DeviceReportGone();
  TppRasterDevice::Notify(Partner, Operation);
}

void TppScreenDevice::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppRasterDevice::EventNotify(Sender, EventID, Params);
  if (EventID == ciReportNoData && FViewer && FViewer->ViewReport() &&
      dynamic_cast<TppProducer*>(Sender) == FViewer->ViewReport())
    RenderPage();
}

void TppScreenDevice::ReceivePage(TppPage* Page) {
  TppRasterDevice::ReceivePage(Page);
  if (!Page) return;
  const bool Completed = !Publisher() || Publisher()->ReportCompleted();
  if (IsRequestedPage() && IsMessagePage()) {
    SetStatus(Completed ? FormatLanguageString(10, {IntToStr(Page->AbsolutePageNo()), IntToStr(Page->AbsolutePageCount()),
                                                    Page->DocumentName()})
                        : FormatLanguageString(4, {IntToStr(Page->AbsolutePageNo()), Page->DocumentName()}));
  } else if (IsRequestedPage()) {
    FPage->Assign(Page);
    RenderPage();
    ShowPageStatus();
    if (FViewer) FViewer->DevicePageShown();
  } else if (Page->Calculation()) {
    // Page counts fill in on the page shown while the report is still being calculated.
    SetStatus(FormatLanguageString(4, {IntToStr(Page->AbsolutePageNo()), Page->DocumentName()}));
    if (Page->AbsolutePageCount() != FPage->AbsolutePageCount()) {
      if (Page->ControlGroupBreakNo() == FPage->ControlGroupBreakNo()) FPage->SetPageCount(Page->PageCount());
      FPage->SetAbsolutePageCount(Page->AbsolutePageCount());
      if (FPage->HasUpdateables()) {
        FPage->RedrawUpdateables(this);
        if (Application) Application->ProcessMessages();
      }
    }
  }
}

// ---- navigation

void TppScreenDevice::FirstPage() {
  if (Busy() || Cancelled() || FPage->AbsolutePageNo() == 1) return;
  PageRequest()->SetPageSetting(psFirstPage);
  RequestPages();
}

void TppScreenDevice::LastPage() {
  if (Busy() || Cancelled() || FPage->LastPage()) return;
  PageRequest()->SetPageSetting(psLastPage);
  RequestPages();
}

void TppScreenDevice::GotoPage(int PageNo) {
  if (Busy() || PageNo == FPage->AbsolutePageNo()) return;
  PageRequest()->SetPageSetting(psSinglePage);
  PageRequest()->SetPageRequested(PageNo);
  RequestPages();
}

int TppScreenDevice::GetAbsolutePageNo() const { return FPage->AbsolutePageNo(); }

void TppScreenDevice::CancelReport() {
  if (FViewer && FViewer->ViewReport()) FViewer->ViewReport()->Cancel();
}

void TppScreenDevice::ClearPage() {
  FPage->ClearDrawCommands();
  FBitmap = std::make_unique<TBitmap>();
  FCanvas = nullptr;
  if (!FViewer) return;
  if (TppProducer* R = FViewer->ViewReport()) FPage->SetPrinterSetup(R->PrinterSetup());
  const TSize S = FViewer->ViewSize();
  FBitmap->SetSize(std::max(0, S.cx), std::max(0, S.cy));
  RenderPage();
  FViewer->DeviceRepaint();
}

// ---- layout

void TppScreenDevice::CalcPageLayout() {
  const int SpW = std::max(1, FPage->PageDef()->GetspWidth());
  const int SpH = std::max(1, FPage->PageDef()->GetspHeight());
  const int Ppi = ScreenPixelsPerInch();
  const TppZoomSettingType Zoom = FViewer ? FViewer->ZoomSetting() : zs100Percent;
  const TSize View = FViewer ? FViewer->ViewSize() : TSize{0, 0};
  int Bw = 0, Bh = 0;
  if (!FViewer || Zoom == zs100Percent || Zoom == zsPercentage) {
    const int Z = (!FViewer || Zoom == zs100Percent) ? 100 : FViewer->ZoomPercentage();
    FPageHeight = RoundInt(SpH * static_cast<long double>(Z) / 100);
    FPageWidth = RoundInt(Z / 100.0L * SpW);
    const int M = RoundInt(Ppi * 0.25L) * 2;
    Bw = FViewer ? std::max(View.cx, M + FPageWidth) : FPageWidth + M;
    Bh = FViewer ? std::max(View.cy, M + FPageHeight) : FPageHeight + M;
  } else if (Zoom == zsWholePage) {
    Bw = View.cx;
    Bh = View.cy;
    const int E = std::max(1, RoundInt(Ppi * 0.25L));
    FPageHeight = Bh - E;
    FPageWidth = RoundInt(FPageHeight * static_cast<long double>(SpW) / SpH);
    if (Bw > RoundInt(Ppi * 0.5L) && Bh > RoundInt(Ppi * 0.5L))
      while (FPageWidth >= Bw && FPageHeight > 0) {
        FPageHeight -= E;
        FPageWidth = RoundInt(FPageHeight * static_cast<long double>(SpW) / SpH);
      }
  } else {  // zsPageWidth
    const int E = RoundInt(Ppi * 0.125L) * 2;
    FPageWidth = View.cx - E - RoundInt(Ppi * 0.1458L);
    FPageHeight = RoundInt(FPageWidth / (static_cast<long double>(SpW) / SpH));
    Bw = E + FPageWidth;
    Bh = std::max(E + FPageHeight, View.cy);
  }
  FPageWidth = std::max(1, FPageWidth);
  FPageHeight = std::max(1, FPageHeight);
  FBitmap->SetSize(std::max(1, Bw), std::max(1, Bh));
  FCalculatedZoom = RoundInt(static_cast<long double>(FPageHeight) / SpH * 100);
}

void TppScreenDevice::RenderPage() {
  const TppPageDef* Def = FPage->PageDef();
  if (Def->mmWidth() == 0 || Def->mmHeight() == 0) return;
  // The bitmap is kept while its size stays (a new page, a redraw): no new pixels and painter.
  CalcPageLayout();
  FCanvas = &FBitmap->Canvas();
  TCanvas& C = *FCanvas;
  C.Brush().SetStyle(bsSolid);
  C.Brush().SetColor(clBtnShadow);
  C.FillRect(Rect(0, 0, FBitmap->Width(), FBitmap->Height()));
  FPageLeft = (FBitmap->Width() - FPageWidth) / 2;
  FPageTop = (FBitmap->Height() - FPageHeight) / 2;
  C.Brush().SetColor(FViewer ? FViewer->PageColor() : clWhite);
  C.FillRect(Bounds(FPageLeft, FPageTop, FPageWidth, FPageHeight));
  FScaleX = static_cast<double>(FPageWidth) / std::max(1, Def->GetspWidth());
  FScaleY = static_cast<double>(FPageHeight) / std::max(1, Def->GetspHeight());
  SendEventNotify(this, ciScreenDeviceBeforePageDraw, nullptr);
  DrawPage(FPage);
  SendEventNotify(this, ciScreenDeviceAfterPageDraw, nullptr);
  if (OnPageDrawn) OnPageDrawn(this);
}

void TppScreenDevice::ComputeDrawRect(TppDrawCommand& C) {
  const int A = SpPixels(C.Left(), ppHorizontal), B = SpPixels(C.Top(), ppVertical);
  const int W = SpPixels(C.Width(), ppHorizontal), H = SpPixels(C.Height(), ppVertical);
  C.SetDrawRect(TRect{RoundInt(A * FScaleX) + FPageLeft, RoundInt(B * FScaleY) + FPageTop,
                      RoundInt((A + W) * FScaleX) + FPageLeft, RoundInt((B + H) * FScaleY) + FPageTop});
}

TppDrawCommand* TppScreenDevice::FindClickable(int X, int Y) const {
  for (int I = 0; I < FPage->GetClickableCount(); ++I) {
    TppDrawCommand* C = FPage->GetClickable(I);
    if (!C || !C->Clickable()) continue;
    const TRect R = C->GetDrawRect();
    if (X >= R.Left && X <= R.Right && Y >= R.Top && Y <= R.Bottom) return C;
  }
  return nullptr;
}

// ---- drawing

bool TppScreenDevice::RenderDrawCommand(TppDrawCommand* Command) {
  if (!Command || !FCanvas) return false;
  ComputeDrawRect(*Command);
  if (auto* T = dynamic_cast<TppDrawText*>(Command)) DrawText(*T);
  else if (auto* S = dynamic_cast<TppDrawShape*>(Command)) DrawShape(*S);
  else if (auto* L = dynamic_cast<TppDrawLine*>(Command)) DrawLine(*L);
  else if (auto* I = dynamic_cast<TppDrawImage*>(Command)) DrawImage(*I);
  else return false;
  return true;
}

bool TppScreenDevice::RedrawDrawCommand(TppDrawCommand* Command) {
  if (!FCanvas) return true;
  // A transparent text is drawn opaque once, so that the new value covers the old.
  auto* T = dynamic_cast<TppDrawText*>(Command);
  const bool WasTransparent = T && T->Transparent();
  if (WasTransparent) T->SetTransparent(false);
  auto Restore = TFinally([&] {
    if (WasTransparent) T->SetTransparent(true);
  });
  const bool Drawn = RenderDrawCommand(Command);
  if (Drawn && FViewer) FViewer->DeviceRectChanged(Command->GetDrawRect());
  return Drawn;
}

void TppScreenDevice::DrawBorder(TppDrawCommand& Command, const TRect& Rect) {
  if (!FCanvas) return;
  const TppBorder& B = *Command.Border();
  const long double Px = ScreenPixelsPerInch() * static_cast<long double>(B.Weight()) / 72;
  const int Nx = std::max(1, RoundInt(Px * FScaleX)), Ny = std::max(1, RoundInt(Px * FScaleY));
  ppDeviceDraw::StrokeBorder(*FCanvas, B, Rect, Nx, Ny);
}

void TppScreenDevice::DrawLine(TppDrawLine& Line) {
  const TppLinePositionType Pos = Line.LinePosition();
  const bool Vertical = Pos == lpLeft || Pos == lpRight;
  const long double Px = ScreenPixelsPerInch() * static_cast<long double>(Line.Weight()) / 72;
  const int W = std::max(1, RoundInt(Px * (Vertical ? FScaleX : FScaleY)));
  TRect R = Line.GetDrawRect();
  // Bottom and right lines stay inside the rectangle.
  if (Pos == lpBottom) R.Bottom -= 1;
  if (Pos == lpRight) R.Right -= 1;
  Line.SetDrawRect(R);
  FCanvas->SetPen(*Line.Pen());
  FCanvas->Pen().SetWidth(1);
  ppDeviceDraw::StrokeLine(*FCanvas, Pos, R, W, 0);
  if (Line.LineStyle() == lsDouble) ppDeviceDraw::StrokeLine(*FCanvas, Pos, R, W, 2 * W);
}

void TppScreenDevice::DrawShape(TppDrawShape& Shape) {
  TCanvas& C = *FCanvas;
  C.SetPen(*Shape.Pen());
  C.SetBrush(*Shape.Brush());
  C.Pen().SetWidth(RoundInt(Shape.Pen()->Width() * FScaleX));
  const TRect R = Shape.GetDrawRect();
  switch (Shape.ShapeType()) {
    case stRectangle: C.Rectangle(R); break;
    case stRoundRect:
      C.RoundRect(R.Left, R.Top, R.Right, R.Bottom, RoundInt(SpPixels(Shape.XCornerRound(), ppHorizontal) * FScaleX),
                  RoundInt(SpPixels(Shape.YCornerRound(), ppVertical) * FScaleY));
      break;
    case stEllipse: C.Ellipse(R); break;
    default: break;
  }
}

void TppScreenDevice::DrawImage(TppDrawImage& Image) {
  TGraphic* G = Image.Picture() ? Image.Picture()->Graphic() : nullptr;
  if (!G || G->Empty()) return;
  if (Image.DirectDraw()) {
    DirectDrawImage(Image);
    return;
  }
  // Laid out at 100 % in a work bitmap of the command's size, then stretched onto the zoomed page.
  const int W = SpPixels(Image.Width(), ppHorizontal), H = SpPixels(Image.Height(), ppVertical);
  if (W > 0 && H > 0 && static_cast<int64_t>(W) * H <= ppMaxImageConversionPixels) {
    TBitmap Work(W, H);
    Work.Canvas().Brush().SetColor(clWhite);
    Work.Canvas().FillRect(Rect(0, 0, W, H));
    TGraphic* Source = Image.GetAsBitmap();
    if (!Source) Source = G;
    const TRect Target = ppDeviceDraw::PlaceImage(Rect(0, 0, W, H), G->Width(), G->Height(), Image.Stretch(),
                                                  Image.MaintainAspectRatio(), Image.Center());
    const int Saved = Work.Canvas().SaveDC();
    Work.Canvas().IntersectClipRect(Rect(0, 0, W, H));
    Work.Canvas().StretchDraw(Target, *Source);
    Work.Canvas().RestoreDC(Saved);
    const TCopyMode Mode = FCanvas->CopyMode();
    FCanvas->SetCopyMode(Image.Transparent() ? cmSrcAnd : cmSrcCopy);
    FCanvas->StretchDraw(Image.GetDrawRect(), Work);
    FCanvas->SetCopyMode(Mode);
  }
  if (Image.Border()->Visible()) DrawBorder(Image, Image.GetDrawRect());
}

void TppScreenDevice::DirectDrawImage(TppDrawImage& Image) {
  TGraphic& G = *Image.Picture()->Graphic();
  TCanvas& C = *FCanvas;
  const TCopyMode Mode = C.CopyMode();
  C.SetCopyMode(Image.Transparent() ? cmSrcAnd : cmSrcCopy);
  const int Saved = C.SaveDC();
  auto Restore = TFinally([&] {
    C.RestoreDC(Saved);
    C.SetCopyMode(Mode);
  });
  const TRect R = Image.GetDrawRect();
  const int Gw = G.Width(), Gh = G.Height();
  if (Image.Stretch()) {
    C.StretchDraw(ppDeviceDraw::PlaceImage(R, Gw, Gh, true, Image.MaintainAspectRatio(), Image.Center()), G);
    return;
  }
  C.IntersectClipRect(R);
  int L = R.Left, T = R.Top;
  if (Image.Center()) {
    const int Cw = SpPixels(Image.Width(), ppHorizontal), Ch = SpPixels(Image.Height(), ppVertical);
    L += TruncInt(((Cw - Gw) / 2) * FScaleX);
    T += TruncInt(((Ch - Gh) / 2) * FScaleY);
  }
  C.StretchDraw(Bounds(L, T, TruncInt(Gw * FScaleX), TruncInt(Gh * FScaleY)), G);
}

void TppScreenDevice::DrawText(TppDrawText& Text) {
  if (Text.Angle() != 0) DrawRotatedText(Text);
  else DrawWrappedText(Text);
}

void TppScreenDevice::SelectScreenFont(TppDrawText& Text) {
  // The canvas font is made again only when the command's differs from it.
  TFont Want;
  Want.Assign(*Text.Font());
  Want.SetName(TppDeviceSubstitutions::SubstituteFont(Text.Font()->Name()));
  const int H = RoundInt(Text.Font()->Height() * FScaleY);
  Want.SetHeight(H == 0 ? -1 : H);
  if (!(FCanvas->Font() == Want)) FCanvas->Font().Assign(Want);
}

void TppScreenDevice::DrawRotatedText(TppDrawText& Text) {
  if (Text.Text().empty()) return;
  TCanvas& C = *FCanvas;
  SelectScreenFont(Text);
  TRect R = Text.GetDrawRect();
  TPoint Origin{RoundInt(SpPixels(Text.RotatedOriginLeft(), ppHorizontal) * FScaleX) + R.Left,
                RoundInt(SpPixels(Text.RotatedOriginTop(), ppVertical) * FScaleY) + R.Top};
  if (Text.AutoSize()) {
    TppRotatedBounds B;
    TppRotatedText::CalcBoundsRect(C, Text.Text(), B, Text.Border(), Text.Alignment(), true, Text.Angle(),
                                   Text.Height(), Text.Width(), Text.Top(), Text.Left(), *Text.Font());
    // Each edge scaled on its own axis.
    const int NewW = RoundInt(SpPixels(B.Width, ppHorizontal) * FScaleX);
    const int NewH = RoundInt(SpPixels(B.Height, ppVertical) * FScaleY);
    const int OldW = R.Width(), OldH = R.Height();
    if (NewW != OldW || NewH != OldH) {
      TppRotatedText::AdjustRectForSize(Text.Alignment(), Text.Angle(), R.Left, R, OldH, OldW, NewH, NewW, R.Top);
      if (Text.Alignment() != taLeftJustify)
        TppRotatedText::AdjustOriginForSize(Origin, Text.Alignment(), Text.Angle(), Origin, NewH - OldH, NewW - OldW);
      Text.SetDrawRect(R);
    }
  }
  if (!Text.Transparent()) {
    C.Brush().SetStyle(bsSolid);
    C.Brush().SetColor(Text.Color());
    C.FillRect(R);
  }
  if (Text.Border()->Visible())
    Origin = TppBorder::AdjustTextOrigin(*Text.Border(), Text.Angle(), nullptr, Origin.Y, Origin.X);
  TppRotatedText::TextOut(C, C.Font(), Origin.X, Origin.Y, Text.Angle(), Text.Text());
  DrawBorder(Text, R);
}

namespace {
// One pixel smaller, toward 0; false when the height's magnitude is 1 already.
bool ShrinkFont(TFont& F) {
  const int H = F.Height();
  if (std::abs(H) <= 1) return false;
  F.SetHeight(H < 0 ? H + 1 : H - 1);
  return true;
}
}  // namespace

void TppScreenDevice::DrawWrappedText(TppDrawText& Text) {
  TCanvas& C = *FCanvas;
  ppDeviceDraw::TppTextLines Layout;
  Layout.ScreenRules = true;
  if (Text.IsMemo() && Text.TabStopPositions()->Count() > 0) {
    TppPlainText::ConvertTabStops(utScreenPixels, Text.TabStopPositions(), nullptr, Layout.TabCount, Layout.Tabs);
    for (int I = 0; I < Layout.TabCount; ++I) Layout.Tabs[I] = RoundInt(Layout.Tabs[I] * FScaleX);
  }
  Layout.Bx = Layout.By = RoundInt(Text.Border()->GetspWeight() * FScaleX);
  SelectScreenFont(Text);
  const TTextMetric Metrics = C.TextMetrics();
  int Leading = Text.IsMemo() ? SpPixels(Text.Leading(), ppVertical) : Metrics.ExternalLeading;
  Layout.LineHeight = Metrics.Height + Leading;

  // A memo of several lines is fitted into its rectangle: the zoom's rounding may make the lines
  // wider or taller than at 100 %.
  const int Count = Text.WrappedText()->Count();
  if (Text.IsMemo() && Count >= 2) {
    const TRect R = Text.GetDrawRect();
    for (const std::string& S : ppDeviceDraw::TextLinesOf(Text)) {
      const std::string Line = TppPlainText::RemoveText(S, TppTextMarkups::ParagraphEnd());
      if (TppPlainText::GetTabbedTextWidth(C, Line, Layout.Tabs, Layout.TabCount) > R.Width() && !ShrinkFont(C.Font()))
        break;
    }
    Layout.LineHeight = C.TextMetrics().Height + Leading;
    const int Target = RoundInt(static_cast<long double>(R.Height()) / Count);
    if (Layout.LineHeight > 0 && std::abs(Target - Layout.LineHeight) / static_cast<double>(Layout.LineHeight) <= 0.1) {
      Layout.LineHeight = Target;
    } else {
      while (R.Height() / Count < Layout.LineHeight && std::abs(C.Font().Height()) > 1) {
        if (Leading > 0) --Leading;
        else ShrinkFont(C.Font());
        Layout.LineHeight = C.TextMetrics().Height + Leading;
      }
      if (R.Height() / Count < Layout.LineHeight && Layout.LineHeight > 0)
        Layout.LastLine = std::max(0, R.Height() / Layout.LineHeight - 1);  // the lines that fit
    }
  }
  const int TextWidth = ppDeviceDraw::DrawTextLines(C, Text, Layout);
  // Kept for the text search, which places its highlights as the text was laid out here.
  Text.SetLayoutFontHeight(C.Font().Height());
  Text.SetLayoutLineHeight(ConvertToMicrons(utScreenPixels, ppVertical, nullptr, static_cast<float>(Layout.LineHeight)));
  Text.SetLayoutTextWidth(ConvertToMicrons(utScreenPixels, ppHorizontal, nullptr, static_cast<float>(TextWidth)));
  if (Text.Border()->Visible()) DrawBorder(Text, Text.GetDrawRect());
}
