#include "ppreport/output/ppPrnDev.h"

#include <algorithm>

#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppRotatedText.h"
#include "ppreport/output/ppDeviceDraw.h"
#include "ppreport/core/ppDeviceStatus.h"

const TClassInfo& TppPrinterDevice::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppPrinterDevice>("TppPrinterDevice", &TppRasterDevice::StaticClassInfo());
  return Info;
}

TppPrinterDevice::TppPrinterDevice(TComponent* AOwner) : TppRasterDevice(AOwner), FPrinter(new TppPrinter) {}

TppPrinterDevice::~TppPrinterDevice() = default;

void TppPrinterDevice::Destroying() {
  // A job still open is thrown away rather than sent half-made.
  if (FPrinter && FPrinter->Printing()) {
    try {
      FPrinter->AbortDoc();
    } catch (...) {
    }
  }
  FCanvas = nullptr;
  TppRasterDevice::Destroying();
}

int TppPrinterDevice::PixelsX(float Microns) const {
  return static_cast<int>(Trunc(ConvertFromMicrons(static_cast<int32_t>(Microns), utPrinterPixels, ppHorizontal, FPrinter.get())));
}

int TppPrinterDevice::PixelsY(float Microns) const {
  return static_cast<int>(Trunc(ConvertFromMicrons(static_cast<int32_t>(Microns), utPrinterPixels, ppVertical, FPrinter.get())));
}

// ---- the job

void TppPrinterDevice::StartJob() {
  if (Busy()) return;
  TppRasterDevice::StartJob();
  UpdateStatus(nullptr);
  if (FStartPrintJob) FPrinter->BeginDoc();
  FCanvas = FPrinter->GetCanvas();
  FFirstPage = true;
  FCollatedCopies = 1;
}

void TppPrinterDevice::ReceivePage(TppPage* Page) {
  TppRasterDevice::ReceivePage(Page);
  if (!Page || !Busy() || Cancelled() || !IsRequestedPage()) return;
  UpdateStatus(Page);
  if (IsMessagePage()) return;
  const TppPrinterSetup& Setup = *Page->PrinterSetup();
  const int Copies = Setup.Collation() ? 1 : std::max(1, Setup.Copies());
  for (int Copy = 0; Copy < Copies && !Cancelled(); ++Copy) {
    StartPage(*Page);
    DrawPage(Page);
    EndPage(*Page);
  }
}

bool TppPrinterDevice::NextCollatedCopy() {
  if (FCollatedCopies <= 1) return true;
  --FCollatedCopies;
  RequestPages();
  return false;
}

void TppPrinterDevice::EndJob() {
  if (!Busy()) return;
  if (!Cancelled() && !NextCollatedCopy()) return;
  FCanvas = nullptr;
  // The document is ended before the device reports the job done; a refused job raises here.
  try {
    if (FEndPrintJob) FPrinter->EndDoc();
  } catch (...) {
    TppRasterDevice::EndJob();
    throw;
  }
  TppRasterDevice::EndJob();
}

void TppPrinterDevice::CancelJob() {
  // Nothing of a cancelled job reaches the printer: the pages made so far go with it.
  if (FEndPrintJob && FPrinter->Printing()) FPrinter->AbortDoc();
  FCanvas = nullptr;
  FCollatedCopies = 1;
  TppRasterDevice::CancelJob();
}

void TppPrinterDevice::StartPage(TppPage& Page) {
  const TppPrinterSetup& Setup = *Page.PrinterSetup();
  if (FFirstPage) {
    FCollatedCopies = Setup.Collation() ? std::max(1, Setup.Copies()) : 1;
    FFirstPage = false;
  }
  // The device makes every copy; the driver prints each sheet once.
  TppPrinterSetup Single;
  Single.Assign(&Setup);
  Single.SetCopies(1);
  FPrinter->SetPrinterSetup(Single);
  FPrinter->StartPage();
  FCanvas = FPrinter->GetCanvas();
  const TRect Margins = FPrinter->GetUnprintableMargins();
  FPageOffset = TPoint{-Margins.Left, -Margins.Top};
  if (OnStartPage) OnStartPage(this, &Page);
}

void TppPrinterDevice::EndPage(TppPage& Page) {
  FPrinter->EndPage();
  if (OnEndPage) OnEndPage(this, &Page);
}

void TppPrinterDevice::UpdateStatus(TppPage* Page) {
  const bool Completed = !Publisher() || Publisher()->ReportCompleted();
  ShowDeviceStatus(*this, DevicePageStatus(*this, Page, Completed, FPrinter->GetPrinterName()));
}

// ---- drawing

void TppPrinterDevice::ComputeDrawRect(TppDrawCommand& C) {
  const TRect R{PixelsX(C.Left()) + FPageOffset.X, PixelsY(C.Top()) + FPageOffset.Y,
                PixelsX(static_cast<float>(C.Left()) + C.Width()) + FPageOffset.X,
                PixelsY(static_cast<float>(C.Top()) + C.Height()) + FPageOffset.Y};
  C.SetDrawRect(R);
}

bool TppPrinterDevice::RenderDrawCommand(TppDrawCommand* Command) {
  if (!Command || !FCanvas) return false;
  ComputeDrawRect(*Command);
  if (auto* T = dynamic_cast<TppDrawText*>(Command)) DrawText(*T);
  else if (auto* S = dynamic_cast<TppDrawShape*>(Command)) DrawShape(*S);
  else if (auto* L = dynamic_cast<TppDrawLine*>(Command)) DrawLine(*L);
  else if (auto* I = dynamic_cast<TppDrawImage*>(Command)) DrawImage(*I);
  else return false;
  return true;
}

void TppPrinterDevice::DrawBorder(TppDrawCommand& Command, const TRect& Rect) {
  if (!FCanvas) return;
  const TppBorder& B = *Command.Border();
  const TPoint Ppi = FPrinter->GetPixelsPerInch();
  const int Nx = std::max(1, PointsToPixels(B.Weight(), Ppi.X));
  const int Ny = std::max(1, PointsToPixels(B.Weight(), Ppi.Y));
  ppDeviceDraw::StrokeBorder(*FCanvas, B, Rect, Nx, Ny);
}

void TppPrinterDevice::DrawLine(TppDrawLine& Line) {
  const TPoint Ppi = FPrinter->GetPixelsPerInch();
  const TppLinePositionType Pos = Line.LinePosition();
  const bool Vertical = Pos == lpLeft || Pos == lpRight;
  const int W = std::max(1, PointsToPixels(Line.Weight(), Vertical ? Ppi.X : Ppi.Y));
  FCanvas->SetPen(*Line.Pen());
  FCanvas->Pen().SetWidth(1);
  const TRect R = Line.GetDrawRect();
  // The gap between double lines runs across the line: horizontal for left and right lines.
  const int Gap = Line.Pen()->Width() != 0
                      ? 2 * W
                      : static_cast<int>(Trunc(ConvertFromScreenPixels(2, utPrinterPixels, Vertical ? ppHorizontal : ppVertical,
                                                                       FPrinter.get())));
  ppDeviceDraw::StrokeLine(*FCanvas, Pos, R, W, 0);
  if (Line.LineStyle() == lsDouble) ppDeviceDraw::StrokeLine(*FCanvas, Pos, R, W, Gap);
}

void TppPrinterDevice::DrawShape(TppDrawShape& Shape) {
  TCanvas& C = *FCanvas;
  C.SetPen(*Shape.Pen());
  C.SetBrush(*Shape.Brush());
  C.Pen().SetWidth(Shape.Pen()->Width() == 0
                       ? 1
                       : static_cast<int>(Trunc(ConvertFromScreenPixels(Shape.Pen()->Width(), utPrinterPixels,
                                                                        ppHorizontal, FPrinter.get()))));
  const TRect R = Shape.GetDrawRect();
  switch (Shape.ShapeType()) {
    case stRectangle:
      if (Shape.Brush()->Style() == bsClear)
        C.Polyline({Point(R.Left, R.Top), Point(R.Right, R.Top), Point(R.Right, R.Bottom), Point(R.Left, R.Bottom),
                    Point(R.Left, R.Top)});
      else
        C.Rectangle(R);
      break;
    case stRoundRect:
      C.RoundRect(R.Left, R.Top, R.Right, R.Bottom, PixelsX(Shape.XCornerRound()), PixelsY(Shape.YCornerRound()));
      break;
    case stEllipse: C.Ellipse(R); break;
    default: break;
  }
}

void TppPrinterDevice::DrawImage(TppDrawImage& Image) {
  TGraphic* Graphic = Image.Picture() ? Image.Picture()->Graphic() : nullptr;
  if (!Graphic || Graphic->Empty()) return;
  if (dynamic_cast<TBitmap*>(Graphic)) {
    DrawPicture(Image, *Graphic);
  } else if (TBitmap* Converted = Image.DirectDraw() ? nullptr : Image.GetAsBitmap()) {
    DrawPicture(Image, *Converted);
  } else if (Image.DirectDraw()) {
    DrawPicture(Image, *Graphic);
  } else {
    DrawGraphic(Image, *Graphic);
  }
  if (Image.Border()->Visible()) DrawBorder(Image, Image.GetDrawRect());
}

// Bitmaps and pictures that convert to one: placed at their natural size in printer pixels (width
// on the horizontal axis, height on the vertical one), fitted, centred or clipped to the rectangle.
void TppPrinterDevice::DrawPicture(TppDrawImage& Image, TGraphic& Graphic) {
  TCanvas& C = *FCanvas;
  const TRect R = Image.GetDrawRect();
  const int Gw = static_cast<int>(Trunc(ConvertFromScreenPixels(Graphic.Width(), utPrinterPixels, ppHorizontal, FPrinter.get())));
  const int Gh = static_cast<int>(Trunc(ConvertFromScreenPixels(Graphic.Height(), utPrinterPixels, ppVertical, FPrinter.get())));
  const TRect Target = ppDeviceDraw::PlaceImage(R, Gw, Gh, Image.Stretch(), Image.MaintainAspectRatio(), Image.Center());
  const TCopyMode Mode = C.CopyMode();
  C.SetCopyMode(Image.Transparent() ? cmSrcAnd : cmSrcCopy);
  const int Saved = C.SaveDC();
  auto Restore = TFinally([&] {
    C.RestoreDC(Saved);
    C.SetCopyMode(Mode);
  });
  if (!Image.Stretch()) C.IntersectClipRect(R);
  C.StretchDraw(Target, Graphic);
}

// Metafiles and icons, drawn as they are (vectors stay vectors on paper), clipped to the rectangle.
void TppPrinterDevice::DrawGraphic(TppDrawImage& Image, TGraphic& Graphic) { DrawPicture(Image, Graphic); }

void TppPrinterDevice::DrawText(TppDrawText& Text) {
  if (Text.Angle() != 0) DrawRotatedText(Text);
  else DrawWrappedText(Text);
}

void TppPrinterDevice::DrawRotatedText(TppDrawText& Text) {
  if (Text.Text().empty()) return;
  TCanvas& C = *FCanvas;
  C.Font().Assign(*Text.Font());
  C.Font().SetName(TppDeviceSubstitutions::SubstituteFont(Text.Font()->Name()));
  TRect R = Text.GetDrawRect();
  TPoint Origin{R.Left + PixelsX(Text.RotatedOriginLeft()), R.Top + PixelsY(Text.RotatedOriginTop())};
  if (Text.AutoSize()) {
    TppRotatedBounds B;
    TppRotatedText::CalcBoundsRect(C, Text.Text(), B, Text.Border(), Text.Alignment(), true, Text.Angle(),
                                   Text.Height(), Text.Width(), Text.Top(), Text.Left(), *Text.Font());
    // Each edge on its own axis: width across, height down.
    const int NewW = PixelsX(B.Width), NewH = PixelsY(B.Height);
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
    Origin = TppBorder::AdjustTextOrigin(*Text.Border(), Text.Angle(), FPrinter.get(), Origin.Y, Origin.X);
  TppRotatedText::TextOut(C, C.Font(), Origin.X, Origin.Y, Text.Angle(), Text.Text());
  DrawBorder(Text, R);
}

void TppPrinterDevice::DrawWrappedText(TppDrawText& Text) {
  TCanvas& C = *FCanvas;
  ppDeviceDraw::TppTextLines Layout;
  if (Text.IsMemo() && Text.TabStopPositions()->Count() > 0)
    TppPlainText::ConvertTabStops(utPrinterPixels, Text.TabStopPositions(), FPrinter.get(), Layout.TabCount, Layout.Tabs);
  C.Font().Assign(*Text.Font());
  const TPoint Ppi = FPrinter->GetPixelsPerInch();
  Layout.Bx = PointsToPixels(Text.Border()->Weight(), Ppi.X);
  Layout.By = PointsToPixels(Text.Border()->Weight(), Ppi.Y);
  const TTextMetric M = C.TextMetrics();
  Layout.LineHeight = M.Height + (Text.IsMemo() ? PixelsY(Text.Leading()) : M.ExternalLeading);
  ppDeviceDraw::DrawTextLines(C, Text, Layout);
  if (Text.Border()->Visible()) DrawBorder(Text, Text.GetDrawRect());
}
