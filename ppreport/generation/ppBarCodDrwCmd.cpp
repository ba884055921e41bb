// The barcode draw command: its settings and streaming, equality, encoding, and its road onto the
// printer and the screen (the painting itself is in ppBarCodDrwCmdPaint.cpp).
#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "ppreport/generation/ppBarCod.h"

#include <algorithm>

#include "platform/app/Dialogs.h"
#include "platform/graphics/Bitmap.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/generation/ppRichTxDrwCmd.h"

const TClassInfo& TppDrawBarCode::StaticClassInfo() {
  using C = TppDrawBarCode;
  static const TClassInfo Info = TClassDef<C>("TppDrawBarCode", &TppDrawCommand::StaticClassInfo())
                                     .Prop("Alignment", &C::Alignment, &C::SetAlignment)
                                     .Default(taLeftJustify)
                                     .Prop("AddOnCode", &C::AddOnCode, &C::SetAddOnCode)
                                     .Prop("AutoEncode", &C::AutoEncode, &C::SetAutoEncode)
                                     .Default(0)
                                     .Prop("AutoSize", &C::AutoSize, &C::SetAutoSize)
                                     .Default(1)
                                     .Prop("AutoSizeFont", &C::AutoSizeFont, &C::SetAutoSizeFont)
                                     .Default(1)
                                     .Prop("BarCodeType", &C::BarCodeType, &C::SetBarCodeType)
                                     .NoDefault()
                                     .Prop("BarColor", &C::BarColor, &C::SetBarColor)
                                     .Default(0)
                                     .Prop("BarWidth", &C::BarWidth, &C::SetBarWidth)
                                     .Default(0)
                                     .Prop("BearerBars", &C::BearerBars, &C::SetBearerBars)
                                     .Default(0)
                                     .Prop("CalcCheckDigit", &C::CalcCheckDigit, &C::SetCalcCheckDigit)
                                     .Default(1)
                                     .Prop("CodeOK", &C::CodeOK, &C::SetCodeOK)
                                     .Default(1)
                                     .Prop("Color", &C::Color, &C::SetColor)
                                     .Default(0)
                                     .Prop("Data", &C::Data, &C::SetData)
                                     .Prop("Font", &C::Font, &C::SetFont)
                                     .Prop("Orientation", &C::Orientation, &C::SetOrientation)
                                     .Default(orLeftToRight)
                                     .Prop("PrintHumanReadable", &C::PrintHumanReadable, &C::SetPrintHumanReadable)
                                     .Default(1)
                                     .Prop("Transparent", &C::Transparent, &C::SetTransparent)
                                     .Default(0)
                                     .Prop("WideBarRatio", &C::WideBarRatio, &C::SetWideBarRatio);
  return Info;
}

TppDrawBarCode::TppDrawBarCode(TComponent* AOwner) : TppDrawCommand(AOwner), FFont(std::make_unique<TppFont>()) {
  SetDataType(dtGraphic);
}

TppDrawBarCode::~TppDrawBarCode() = default;

void TppDrawBarCode::SetFont(const TFont* V) {
  if (V) FFont->Assign(*V);
}

std::string TppDrawBarCode::HumanReadableText() const {
  if (FBarCodeType != bcCode128) return FSymbolData;
  try {
    return ppCode128HumanReadable(FSymbolData);
  } catch (const EBarCodeError&) {
    return {};  // data Code 128 cannot hold draws no bars either
  }
}

bool TppDrawBarCode::IsEqual(const TppDrawCommand& Other) const {
  const auto* O = dynamic_cast<const TppDrawBarCode*>(&Other);
  return O && TppDrawCommand::IsEqual(Other) && FAlignment == O->FAlignment && FAddOnCode == O->FAddOnCode &&
         FAutoEncode == O->FAutoEncode && FAutoSize == O->FAutoSize && FAutoSizeFont == O->FAutoSizeFont &&
         FBarCodeType == O->FBarCodeType && FBarColor == O->FBarColor && FBarWidth == O->FBarWidth &&
         FBearerBars == O->FBearerBars && FCalcCheckDigit == O->FCalcCheckDigit && FCodeOK == O->FCodeOK &&
         FColor == O->FColor && FData == O->FData && FFont->Name() == O->FFont->Name() &&
         FFont->Size() == O->FFont->Size() && FFont->Style() == O->FFont->Style() &&
         FFont->Color() == O->FFont->Color() && FOrientation == O->FOrientation &&
         FPrintHumanReadable == O->FPrintHumanReadable && FTransparent == O->FTransparent &&
         (FWideBarRatio == O->FWideBarRatio || (FWideBarRatio != FWideBarRatio && O->FWideBarRatio != O->FWideBarRatio));
}

void TppDrawBarCode::Assign(const TPersistent* Source) {
  TppDrawCommand::Assign(Source);
  const auto* S = dynamic_cast<const TppDrawBarCode*>(Source);
  if (!S || S == this) return;
  FAlignment = S->FAlignment;
  FAddOnCode = S->FAddOnCode;
  FAutoEncode = S->FAutoEncode;
  FAutoSize = S->FAutoSize;
  FAutoSizeFont = S->FAutoSizeFont;
  FBarCodeType = S->FBarCodeType;
  FBarColor = S->FBarColor;
  FBarWidth = S->FBarWidth;
  FBearerBars = S->FBearerBars;
  FCalcCheckDigit = S->FCalcCheckDigit;
  FCodeOK = S->FCodeOK;
  FColor = S->FColor;
  FData = S->FData;
  FFont->Assign(*S->FFont);
  FOrientation = S->FOrientation;
  FPrintHumanReadable = S->FPrintHumanReadable;
  FTransparent = S->FTransparent;
  FWideBarRatio = S->FWideBarRatio;
}

// ---- encoding

namespace {
// A loaded language module's text of the fault where it has one, else the message.
std::string BarCodeErrorText(const EBarCodeError& E) {
  if (E.Number() != 0 && ppResourceManager().ModulesLoaded()) {
    try {
      const std::string Text = E.Argument().empty() ? LanguageString(E.Number())
                                                    : FormatLanguageString(E.Number(), {E.Argument()});
      if (!Text.empty()) return Text;
    } catch (const EConvertError&) {
      // a module text whose placeholders do not fit: the message says it as well
    }
  }
  return E.Message();
}
}  // namespace

void TppDrawBarCode::EncodeSymbol(int Dpi) {
  FMainPattern.clear();
  FAddOnPattern.clear();
  FSymbolData = FData;
  if (!FCodeOK || !ppHasBarCodeData(FData)) return;
  TppBarCodeSettings S;
  S.BarCodeType = FBarCodeType;
  S.CalcCheckDigit = FCalcCheckDigit;
  S.AutoEncode = FAutoEncode;
  S.BarWidth = static_cast<float>(MicronsToInches(FBarWidth));
  S.WideBarRatio = FWideBarRatio;
  S.Dpi = Dpi;
  try {
    TppBarCodeSymbol Symbol = ppEncodeSymbol(FData, S);
    std::string AddOn = ppEncodeAddOn(FAddOnCode, S);
    FMainPattern = std::move(Symbol.Pattern);
    FAddOnPattern = std::move(AddOn);
    FSymbolData = std::move(Symbol.Data);
  } catch (const EBarCodeError& E) {
    FCodeOK = false;
    ShowMessage(BarCodeErrorText(E));
  }
}

void TppDrawBarCode::ShowMessage(const std::string& Text) const {
  if (FDrawing) return;
  MessageDlg(Text, mtInformation, MsgButton(mbOK));
}

// ---- devices

namespace {
// The border's width in pixels across one edge, 0 without a visible border.
int BorderPixels(const TppBorder* Border, double PixelsPerInch) {
  if (!Border || !Border->Visible()) return 0;
  const long double W = PixelsPerInch * static_cast<long double>(Border->Weight()) / ppPointsPerInch;
  return W > 0 && W < 1e6 ? static_cast<int>(Round(W)) : 0;
}

bool HasEdge(const TppBorder* Border, TppBorderPositionType Side) {
  return Border && Border->Visible() && Border->Has(Side);
}

TPoint CanvasResolution(TCanvas& Canvas) {
  if (const TDeviceContext* Dc = Canvas.Handle())
    if (Dc->PixelsPerInchX() > 0 && Dc->PixelsPerInchY() > 0) return {Dc->PixelsPerInchX(), Dc->PixelsPerInchY()};
  return {ScreenPixelsPerInch(), ScreenPixelsPerInch()};
}
}  // namespace

void TppDrawBarCode::Draw(TppDevice* Device) {
  auto* Raster = dynamic_cast<TppRasterDevice*>(Device);
  if (!Raster) return;
  if (Raster->RasterKind() == rkPrinter)
    DrawOnPrinter(*Raster);
  else if (Raster->RasterKind() == rkScreen)
    DrawOnScreen(*Raster);
}

bool TppDrawBarCode::DrawOnPrinter(TppRasterDevice& Device) {
  FDrawing = true;
  TFinally Clear([&] { FDrawing = false; });
  TCanvas* Canvas = Device.DeviceCanvas();
  if (!Canvas) return false;
  const TPoint Res = Device.DevicePixelsPerInch();
  const int BorderX = BorderPixels(Border(), Res.X), BorderY = BorderPixels(Border(), Res.Y);
  Device.ComputeDrawRect(*this);
  EncodeSymbol(Vertical() ? Res.Y : Res.X);
  const TRect R = GetDrawRect();
  Paint(Canvas, R.Left + (HasEdge(Border(), bpLeft) ? BorderX : 0), true, Res,
        R.Top + (HasEdge(Border(), bpTop) ? BorderY : 0));
  Device.DrawBorder(*this, GetDrawRect());
  return true;
}

bool TppDrawBarCode::DrawOnScreen(TppRasterDevice& Device) {
  TCanvas* Canvas = Device.DeviceCanvas();
  if (!Canvas) return false;
  const int Ppi = ScreenPixelsPerInch();
  const TPoint Res{Ppi, Ppi};
  const int BorderWidth = BorderPixels(Border(), Ppi * Device.ScaleX());
  EncodeSymbol(Ppi);
  TBitmap Bitmap(1, 1);
  Paint(&Bitmap.Canvas(), 0, false, Res, 0);
  const int EW = Vertical() ? FTotalHeight : FTotalWidth, EH = Vertical() ? FTotalWidth : FTotalHeight;
  SetDrawRect(Rect(0, 0, EW, EH));
  // Data that asks for a symbol larger than any screen shows draws nothing rather than a bitmap
  // the size of the request.
  const bool Fits = EW > 0 && EH > 0 && static_cast<int64_t>(EW) * EH <= ppMaxBarCodeBitmapPixels;
  if (Fits) {
    Bitmap.SetSize(EW, EH);
    Paint(&Bitmap.Canvas(), 0, true, Res, 0);
  }
  Device.ComputeDrawRect(*this);
  TRect R = GetDrawRect();
  if (HasEdge(Border(), bpLeft)) R.Left += BorderWidth;
  if (HasEdge(Border(), bpTop)) R.Top += BorderWidth;
  if (Fits) {
    // A transparent symbol's bitmap is white around the bars, which AND leaves as the page was.
    const TCopyMode Mode = Canvas->CopyMode();
    TFinally Restore([&] { Canvas->SetCopyMode(Mode); });
    Canvas->SetCopyMode(FTransparent ? cmSrcAnd : cmSrcCopy);
    Canvas->StretchDraw(R, Bitmap);
  }
  Device.DrawBorder(*this, GetDrawRect());
  return true;
}

void TppDrawBarCode::CalcSize(TppCustomPrinter* Printer) {
  TppCustomPrinter* P = Printer ? Printer : GetSharedPrinter();
  TCanvas* Canvas = P ? P->MeasuringCanvas() : nullptr;
  TBitmap Bitmap(1, 1);
  TPoint Res{ScreenPixelsPerInch(), ScreenPixelsPerInch()};
  TppUnitType Unit = utScreenPixels;
  if (Canvas) {
    Res = P->GetPixelsPerInch();
    Unit = utPrinterPixels;
  } else {
    Canvas = &Bitmap.Canvas();
  }
  EncodeSymbol(Vertical() ? Res.Y : Res.X);
  Paint(Canvas, 0, false, Res, 0);
  const int EW = Vertical() ? FTotalHeight : FTotalWidth, EH = Vertical() ? FTotalWidth : FTotalHeight;
  SetWidth(ConvertToMicrons(Unit, ppHorizontal, Canvas == &Bitmap.Canvas() ? nullptr : P, static_cast<float>(EW)));
  SetHeight(ConvertToMicrons(Unit, ppVertical, Canvas == &Bitmap.Canvas() ? nullptr : P, static_cast<float>(EH)));
}

void TppDrawBarCode::MeasureOnCanvas(TCanvas& Canvas) {
  const TPoint Res = CanvasResolution(Canvas);
  EncodeSymbol(Vertical() ? Res.Y : Res.X);
  Paint(&Canvas, 0, false, Res, 0);
}
