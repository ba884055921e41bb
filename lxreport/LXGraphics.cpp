#include "lxreport/LXGraphics.h"

#include <cmath>
#include <cstdint>

#include "lxreport/LXExport.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/VexaRpt.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/data/DB.h"
#include "platform/graphics/GraphicsConsts.h"
#include "platform/graphics/Jpeg.h"

// ---- Pictures from blobs

namespace {
// A header may claim any size; a picture is decoded only up to this many pixels (100 MB).
constexpr int64_t MaxBlobPicturePixels = 25'000'000;

void CheckPictureSize(int64_t W, int64_t H) {
  if (W < 0) W = -W;
  if (H < 0) H = -H;
  if (W * H > MaxBlobPicturePixels) throw EInvalidGraphic(SUnknownPictureFormat);
}

int32_t LittleEndian32(const std::string& B, size_t At) {
  uint32_t V = 0;
  for (size_t I = 0; I < 4; ++I) V |= uint32_t(static_cast<unsigned char>(B[At + I])) << (8 * I);
  return static_cast<int32_t>(V);
}
}  // namespace

void LXLoadBlobPicture(TPicture& Picture, const std::string& Bytes) {
  if (Bytes.empty()) {
    Picture.SetGraphic(nullptr);
    return;
  }
  auto Starts = [&](std::string_view Head) { return Bytes.compare(0, Head.size(), Head) == 0; };
  TMemoryStream S;
  S.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  S.SetPosition(0);
  if (Starts("BM")) {
    // Width and height of the info header (a core header's are 16-bit, always within bounds).
    if (Bytes.size() >= 26 && LittleEndian32(Bytes, 14) >= 40)
      CheckPictureSize(LittleEndian32(Bytes, 18), LittleEndian32(Bytes, 22));
    auto B = std::make_unique<TBitmap>();
    B->LoadFromStream(S);
    Picture.SetGraphic(std::move(B));
  } else if (Starts("\xFF\xD8\xFF")) {
    auto J = std::make_unique<TJPEGImage>();
    J->LoadFromStream(S);
    CheckPictureSize(J->Width(), J->Height());
    J->Bitmap();  // decoded here, so a damaged image fails now rather than while drawing
    Picture.SetGraphic(std::move(J));
  } else {
    throw EInvalidGraphic(SUnknownPictureFormat);
  }
}

void LXLoadFieldPicture(TPicture& Picture, const TField* Field) {
  try {
    LXLoadBlobPicture(Picture, Field->IsNull() ? std::string() : Field->AsString());
  } catch (const EInvalidGraphic&) {
    Picture.SetGraphic(nullptr);
  }
}

// ---- Pen and brush printables

namespace {
template <class T>
TClassDef<T>& PublishPenBrush(TClassDef<T>& D) {
  return D.Prop("Brush", [](const T& S) { return S.Brush(); }, [](T& S, TBrush* B) { S.SetBrush(B); })
      .Prop("Height", [](const T& S) { return S.Height(); }, [](T& S, int V) { S.SetHeight(V); })
      .Prop("Pen", [](const T& S) { return S.Pen(); }, [](T& S, TPen* P) { S.SetPen(P); })
      .Prop("Width", [](const T& S) { return S.Width(); }, [](T& S, int V) { S.SetWidth(V); })
      .Prop("VertAdjust", &T::VertAdjust, &T::SetVertAdjust).Default(0);
}
}  // namespace

const TClassInfo& TLXPenBrushPrintable::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TLXPenBrushPrintable>("TLXPenBrushPrintable", &TLXPrintable::StaticClassInfo());
  return Info;
}

TLXPenBrushPrintable::TLXPenBrushPrintable(TComponent* AOwner)
    : TLXPrintable(AOwner), FBrush(std::make_unique<TBrush>()), FPen(std::make_unique<TPen>()) {
  FBrush->OnChange = [this](TGraphicsObject*) { Invalidate(); };
  FPen->OnChange = [this](TGraphicsObject*) { Invalidate(); };
}

TLXPenBrushPrintable::~TLXPenBrushPrintable() { BeforeDestruction(); }

void TLXPenBrushPrintable::SetBrush(const TBrush* V) {
  if (V) FBrush->Assign(V);
}

void TLXPenBrushPrintable::SetPen(const TPen* V) {
  if (V) FPen->Assign(V);
}

TCanvas* TLXPenBrushPrintable::PrinterCanvas() {
  if (!Report() || !Report()->Rendering() || !IsOutputEnabled() || !OutputPrinter()) return nullptr;
  TCanvas* C = OutputPrinter()->Canvas();
  if (!C) return nullptr;
  C->SetBrush(*FBrush);
  C->SetPen(*FPen);
  return C;
}

bool LXHandToFilter(TLXPrintable* Printable, int32_t X, int32_t Y, bool PDFOnly) {
  TCustomVexaRep* R = Printable->Report();
  TLXPrinter* P = Printable->OutputPrinter();
  if (!R || !R->Exporting() || !R->ExportFilter() || !P) return false;
  TLXExportFilter* F = R->ExportFilter();
  if (PDFOnly && F->GetFilterName() != LXPDFDocumentFilterName) return false;
  const TLXPrintableSize& S = *Printable->Size();
  F->AcceptGraphic(P->XPos(X + S.Native(TLXPrintableSize::LeftIndex)), P->YPos(Y + S.Native(TLXPrintableSize::TopIndex)),
                   Printable);
  return true;
}

void TLXPenBrushPrintable::PrintShape(TLXShapeType Type, int32_t X, int32_t Y, int32_t Corner) {
  TCanvas* C = PrinterCanvas();
  if (!C) return;
  TLXPrinter& P = *OutputPrinter();
  const TLXPrintableSize& S = *Size();
  long double L0 = X + S.Native(TLXPrintableSize::LeftIndex), T0 = Y + S.Native(TLXPrintableSize::TopIndex);
  long double W = S.Native(TLXPrintableSize::WidthIndex), H = S.Native(TLXPrintableSize::HeightIndex);
  int L = P.XPos(L0), T = P.YPos(T0), R = P.XPos(L0 + W), B = P.YPos(T0 + H);
  switch (Type) {
    case lxsRectangle: C->Rectangle(L, T, R, B); break;
    case lxsCircle: C->Ellipse(L, T, R, B); break;
    case lxsVertLine: {
      int Mid = P.XPos(L0 + W / 2);
      C->MoveTo(Mid, T);
      C->LineTo(Mid, B);
      break;
    }
    case lxsHorLine: {
      int Mid = P.YPos(T0 + H / 2);
      C->MoveTo(L, Mid);
      C->LineTo(R, Mid);
      break;
    }
    case lxsTopAndBottom:
      C->MoveTo(L, T);
      C->LineTo(R, T);
      C->MoveTo(L, B);
      C->LineTo(R, B);
      break;
    case lxsRightAndLeft:
      C->MoveTo(L, T);
      C->LineTo(L, B);
      C->MoveTo(R, T);
      C->LineTo(R, B);
      break;
    case lxsRoundRect: {
      // The corner is designed in screen pixels: the same length on paper.
      int D = static_cast<int>(std::lround(Corner * 254.0L / LXScreenPixelsPerInch() * P.XFactor()));
      C->RoundRect(L, T, R, B, D, D);
      break;
    }
  }
}

void TLXPenBrushPrintable::PaintShape(TLXShapeType Type, int Inset, int Corner) {
  TCanvas& C = Canvas();
  C.SetPen(*FPen);
  C.SetBrush(*FBrush);
  int W = Width(), H = Height();
  switch (Type) {
    case lxsRectangle: C.Rectangle(Inset, Inset, W, H); break;
    case lxsCircle: C.Ellipse(0, 0, W, H); break;
    case lxsVertLine:
      C.MoveTo(W / 2, 0);
      C.LineTo(W / 2, H);
      break;
    case lxsHorLine:
      C.MoveTo(0, H / 2);
      C.LineTo(W, H / 2);
      break;
    case lxsTopAndBottom:
      C.MoveTo(0, 0);
      C.LineTo(W, 0);
      C.MoveTo(0, H - 1);
      C.LineTo(W, H - 1);
      break;
    case lxsRightAndLeft:
      C.MoveTo(0, 0);
      C.LineTo(0, H);
      C.MoveTo(W - 1, 0);
      C.LineTo(W - 1, H);
      break;
    case lxsRoundRect:
      if (Corner >= 0) C.RoundRect(0, 0, W, H, Corner, Corner);
      break;
  }
}

// ---- TLXHRule

const TClassInfo& TLXHRule::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassDef<TLXHRule> D("TLXHRule", &TLXPenBrushPrintable::StaticClassInfo());
    PublishPenBrush(D);
    return TClassInfo(D);
  }();
  return Info;
}

TLXHRule::TLXHRule(TComponent* AOwner) : TLXPenBrushPrintable(AOwner) { SetBounds(Left(), Top(), 100, 10); }

void TLXHRule::Paint() {
  if (Printing()) return;
  TLXPrintable::Paint();
  PaintShape(lxsHorLine, 0, 0);
}

void TLXHRule::PrintAt(int32_t X, int32_t Y) {
  LXHandToFilter(this, X, Y, true);
  PrintShape(lxsHorLine, X, Y, 0);
}

// ---- TLXPDFShape

const TClassInfo& TLXPDFShape::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassDef<TLXPDFShape> D("TLXPDFShape", &TLXPenBrushPrintable::StaticClassInfo());
    PublishPenBrush(D).Prop("ShapeType", &TLXPDFShape::ShapeType, &TLXPDFShape::SetShapeType).Default(lxsRectangle);
    return TClassInfo(D);
  }();
  return Info;
}

TLXPDFShape::TLXPDFShape(TComponent* AOwner) : TLXPenBrushPrintable(AOwner) { SetBounds(Left(), Top(), 100, 10); }

void TLXPDFShape::SetShapeType(TLXShapeType V) {
  if (V == FShapeType) return;
  FShapeType = V;
  Invalidate();
}

void TLXPDFShape::Paint() {
  if (Printing()) return;
  TLXPrintable::Paint();
  PaintShape(FShapeType, Pen()->Width(), -1);  // a round rectangle is not drawn
}

void TLXPDFShape::PrintAt(int32_t X, int32_t Y) {
  LXHandToFilter(this, X, Y, true);
  if (FShapeType != lxsRoundRect) PrintShape(FShapeType, X, Y, 0);
}

// ---- TLXShape

const TClassInfo& TLXShape::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassDef<TLXShape> D("TLXShape", &TLXPenBrushPrintable::StaticClassInfo());
    PublishPenBrush(D)
        .Prop("Shape", &TLXShape::Shape, &TLXShape::SetShape).Default(lxsRectangle)
        .Prop("RoundFactor", &TLXShape::RoundFactor, &TLXShape::SetRoundFactor);
    return TClassInfo(D);
  }();
  return Info;
}

TLXShape::TLXShape(TComponent* AOwner) : TLXPenBrushPrintable(AOwner) { SetBounds(Left(), Top(), 65, 65); }

void TLXShape::SetShape(TLXShapeType V) {
  if (V == FShape) return;
  FShape = V;
  Invalidate();
}

void TLXShape::SetRoundFactor(float V) {
  if (V == FRoundFactor) return;
  FRoundFactor = V;
  Invalidate();
}

void TLXShape::Paint() {
  if (Printing()) return;
  TLXPrintable::Paint();
  PaintShape(FShape, 0, Corner());
}

void TLXShape::PrintAt(int32_t X, int32_t Y) {
  LXHandToFilter(this, X, Y, false);
  PrintShape(FShape, X, Y, Corner());
}

// ---- Data images

namespace {
template <class T>
TClassDef<T>& PublishImage(TClassDef<T>& D) {
  return D.Prop("Center", &T::Center, &T::SetCenter).Default(1)
      .Prop("DataField", &T::DataField, &T::SetDataField)
      .Prop("DataSet", &T::DataSet, &T::SetDataSet)
      .Prop("Stretch", &T::Stretch, &T::SetStretch).Default(0);
}
}  // namespace

const TClassInfo& TLXCustomDBImage::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXCustomDBImage>("TLXCustomDBImage", &TLXPrintable::StaticClassInfo());
  return Info;
}

TLXCustomDBImage::TLXCustomDBImage(TComponent* AOwner) : TLXPrintable(AOwner) { SetBounds(Left(), Top(), 105, 105); }

TLXCustomDBImage::~TLXCustomDBImage() { BeforeDestruction(); }

void TLXCustomDBImage::SetCenter(bool V) {
  if (V == FCenter) return;
  FCenter = V;
  Invalidate();
}

void TLXCustomDBImage::SetStretch(bool V) {
  if (V == FStretch) return;
  FStretch = V;
  Invalidate();
}

void TLXCustomDBImage::SetDataSet(TDataSet* V) {
  FDataSet = V;
  if (V) V->FreeNotification(this);
}

void TLXCustomDBImage::Notification(TComponent* AComponent, TOperation Operation) {
  TLXPrintable::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet) {
    FDataSet = nullptr;
    FField = nullptr;
  }
}

void TLXCustomDBImage::BeginPrinting() {
  TLXPrintable::BeginPrinting();
  FField = FDataSet ? FDataSet->FindField(FDataField) : nullptr;
}

void TLXCustomDBImage::EndPrinting() {
  FField = nullptr;
  TLXPrintable::EndPrinting();
}

bool TLXCustomDBImage::HasBlobField() const { return FField && FField->IsBlob(); }

TSize TLXCustomDBImage::NaturalSize(const TPicture& P) const {
  const TLXPrinter& Pr = *OutputPrinter();
  long double Ppi = LXScreenPixelsPerInch();
  return TSize{static_cast<int>(std::lround(P.Width() / Ppi * 254 * Pr.XFactor())),
               static_cast<int>(std::lround(P.Height() / Ppi * 254 * Pr.YFactor()))};
}

void TLXCustomDBImage::Paint() {
  if (Printing()) return;
  TCanvas& C = Canvas();
  C.Brush().SetColor(Color());
  C.Brush().SetStyle(bsSolid);
  C.FillRect(ClientRect());
  std::string Text = "(" + (FField ? FField->DisplayLabel() : Name()) + ")";
  TSize Ext = C.TextExtent(Text);
  C.TextRect(ClientRect(), (Width() - Ext.cx) / 2, (Height() - Ext.cy) / 2, Text);
  TLXPrintable::Paint();
}

namespace {
// The device rectangle of a printable at band origin (X, Y).
TRect DeviceBox(const TLXPrinter& P, const TLXPrintableSize& S, int32_t X, int32_t Y) {
  long double L = X + S.Native(TLXPrintableSize::LeftIndex), T = Y + S.Native(TLXPrintableSize::TopIndex);
  return Rect(P.XPos(L), P.YPos(T), P.XPos(L + S.Native(TLXPrintableSize::WidthIndex)),
              P.YPos(T + S.Native(TLXPrintableSize::HeightIndex)));
}

// Draws G over Box inside Clip; the clip that was there before comes back.
void DrawClipped(TCanvas& C, const TRect& Clip, const TRect& Box, TGraphic& G) {
  int Saved = C.SaveDC();
  TFinally Restore([&] { C.RestoreDC(Saved); });
  C.IntersectClipRect(Clip);
  C.StretchDraw(Box, G);
}
}  // namespace

const TClassInfo& TLXDBImage::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassDef<TLXDBImage> D("TLXDBImage", &TLXCustomDBImage::StaticClassInfo());
    PublishImage(D);
    return TClassInfo(D);
  }();
  return Info;
}

void TLXCustomDBImage::PrintAt(int32_t X, int32_t Y) {
  // The data image goes to any filter before it draws; the graphic image to the PDF filter after.
  if (!ExportsToPDFOnly()) LXHandToFilter(this, X, Y, false);
  PrintPicture(X, Y);
  if (ExportsToPDFOnly()) LXHandToFilter(this, X, Y, true);
}

void TLXCustomDBImage::PrintPicture(int32_t X, int32_t Y) {
  TLXPrinter* P = OutputPrinter();
  if (!P || !P->Canvas()) return;
  TCanvas& C = *P->Canvas();
  C.Brush().SetColor(Color());
  C.Brush().SetStyle(bsSolid);
  if (HasBlobField()) {
    TPicture Picture;
    LXLoadFieldPicture(Picture, Field());
    TRect Box = DeviceBox(*P, *Size(), X, Y);
    // An empty picture has no proportions: Stretch fills the box, otherwise nothing is drawn.
    if (Picture.Empty()) {
      if (Stretch()) C.FillRect(Box);
    } else if (Stretch()) {
      C.StretchDraw(Box, *Picture.Graphic());
    } else {
      DrawUnstretched(C, Box, Picture, X, Y);
    }
  }
  TLXPrintable::PrintAt(X, Y);
}

void TLXDBImage::DrawUnstretched(TCanvas& C, const TRect& Box, TPicture& Picture, int32_t, int32_t) {
  TSize N = NaturalSize(Picture);
  TRect R = Rect(Box.Left, Box.Top, Box.Left + N.cx, Box.Top + N.cy);
  if (Center()) {
    int DX = (Box.Right - Box.Left - N.cx) / 2, DY = (Box.Bottom - Box.Top - N.cy) / 2;
    R = Rect(R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY);
  }
  DrawClipped(C, Box, R, *Picture.Graphic());
}

// ---- TLXGrDBImage

const TClassInfo& TLXGrDBImage::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassDef<TLXGrDBImage> D("TLXGrDBImage", &TLXCustomDBImage::StaticClassInfo());
    PublishImage(D)
        .Prop("ClipImage", &TLXGrDBImage::ClipImage, &TLXGrDBImage::SetClipImage).Default(0)
        .Prop("FitMode", &TLXGrDBImage::FitMode, &TLXGrDBImage::SetFitMode).Default(fmProportional);
    return TClassInfo(D);
  }();
  return Info;
}

TRect TLXGrDBImage::FitBox(const TRect& Box, int PW, int PH, long double L, long double T) const {
  const TLXPrinter& P = *OutputPrinter();
  const TLXPrintableSize& S = *Size();
  long double Ratio = static_cast<long double>(PW) / PH;
  TRect R = Box;
  if (Stretch()) return R;
  // One unit for the box and the picture: device pixels.
  long double BW = Box.Right - Box.Left, BH = Box.Bottom - Box.Top;
  bool Wider = BW <= 0 || BH <= 0 || PW / BW >= PH / BH;
  bool KeepWidth = false, KeepHeight = false;
  switch (FFitMode) {
    case fmKeepWidth: KeepWidth = true; break;
    case fmKeepHeight: KeepHeight = true; break;
    case fmInsideProp:
      if (BW <= 0 || BH <= 0) break;
      if (Wider) {
        int NewH = static_cast<int>(std::lround(BW / Ratio));
        int Shift = static_cast<int>(BH - NewH) / 2;
        R.Top += Shift;
        R.Bottom = R.Top + NewH;
      } else {
        int NewW = static_cast<int>(std::lround(BH * Ratio));
        int Shift = static_cast<int>(BW - NewW) / 2;
        R.Left += Shift;
        R.Right = R.Left + NewW;
      }
      break;
    default:
      if (Wider)
        KeepHeight = true;
      else
        KeepWidth = true;
      break;
  }
  if (KeepWidth) R.Bottom = P.YPos(T + S.Native(TLXPrintableSize::WidthIndex) / Ratio);
  if (KeepHeight) R.Right = P.XPos(L + S.Native(TLXPrintableSize::HeightIndex) * Ratio);
  return R;
}

void TLXGrDBImage::DrawUnstretched(TCanvas& C, const TRect& Box, TPicture& Picture, int32_t X, int32_t Y) {
  const TLXPrinter& P = *OutputPrinter();
  const TLXPrintableSize& S = *Size();
  TRect R = FitBox(Box, Picture.Width(), Picture.Height(), X + S.Native(TLXPrintableSize::LeftIndex),
                   Y + S.Native(TLXPrintableSize::TopIndex));
  TRect Clip = R;
  if (FClipImage) {
    TSize N = NaturalSize(Picture);
    R = Rect(R.Left, R.Top, R.Left + N.cx, R.Top + N.cy);
    if (Center()) {
      int DX = (P.XSize(S.Native(TLXPrintableSize::WidthIndex)) - N.cx) / 2;
      int DY = (P.YSize(S.Native(TLXPrintableSize::HeightIndex)) - N.cy) / 2;
      R = Rect(R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY);
    }
  }
  DrawClipped(C, Clip, R, *Picture.Graphic());
}
