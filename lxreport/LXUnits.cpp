#include "lxreport/LXUnits.h"

#include <langinfo.h>
#include <locale.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

#include "lxreport/LXBands.h"
#include "lxreport/LXConsts.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/HeadlessControls.h"
#include "platform/classes/Filer.h"
#include "platform/graphics/CallLogDC.h"
#include "platform/rtl/RtlMath.h"

namespace {
bool UsesInches = false;
int ScreenPpi = 0;

// The report's font size in points, never below 1 (character units divide by it).
long double ReportFontSize(const TCustomVexaRep* Report) {
  int S = Report ? std::abs(Report->Font()->Size()) : 10;
  return S < 1 ? 1 : S;
}

// Territories that measure in inches, for locale names the system has no data for.
bool ImperialTerritory(const std::string& Name) {
  size_t Us = Name.find('_');
  if (Us == std::string::npos) return false;
  std::string T = Name.substr(Us + 1, Name.find_first_of(".@", Us) - Us - 1);
  return T == "US" || T == "LR" || T == "MM";
}

// The locale name the environment gives for LC_MEASUREMENT, as setlocale would pick it.
std::string EnvironmentMeasurementLocale() {
  for (const char* Var : {"LC_ALL", "LC_MEASUREMENT", "LANG"})
    if (const char* V = std::getenv(Var); V && *V) return V;
  return "C";
}
}  // namespace

bool LocaleUsesInches() { return UsesInches; }
void SetLocaleUsesInches(bool Value) { UsesInches = Value; }

bool SystemMeasuresInInches(const std::string& LocaleName) {
  // A locale object of its own: the process's locale is left alone.
  locale_t L = newlocale(LC_MEASUREMENT_MASK, LocaleName.c_str(), static_cast<locale_t>(nullptr));
  if (!L) return ImperialTerritory(LocaleName.empty() ? EnvironmentMeasurementLocale() : LocaleName);
  // glibc answers 1 for metric, 2 for imperial.
  const char* M = nl_langinfo_l(_NL_MEASUREMENT_MEASUREMENT, L);
  bool Imperial = M && M[0] == 2;
  freelocale(L);
  return Imperial;
}

int LXScreenPixelsPerInch() { return ScreenPpi > 0 ? ScreenPpi : ScreenPixelsPerInch(); }
void SetLXScreenPixelsPerInch(int Ppi) { ScreenPpi = Ppi; }

TSize LXScreenTextExtent(const TFont& Font, const std::string& Text) {
  // One measuring device per thread and resolution; it records the fonts selected, so its log
  // is emptied after every measure.
  thread_local int Ppi = 0;
  thread_local std::unique_ptr<TCallLogDC> Dc;
  thread_local std::unique_ptr<TCanvas> Canvas;
  if (!Dc || Ppi != LXScreenPixelsPerInch()) {
    Ppi = LXScreenPixelsPerInch();
    Canvas.reset();
    Dc = std::make_unique<TCallLogDC>(Ppi);
    Canvas = std::make_unique<TCanvas>(Dc.get());
  }
  Canvas->SetFont(Font);
  TSize S = Canvas->TextExtent(Text);
  Dc->Log.clear();
  return S;
}

long double CharactersPerCm(long double FontSize) { return 80 / FontSize / 2.54L; }
long double LinesPerCm(long double FontSize) { return 145.3L / FontSize / 2.54L; }

int32_t RoundPixels(long double X) {
  constexpr long double Lo = std::numeric_limits<int32_t>::min(), Hi = std::numeric_limits<int32_t>::max();
  if (std::isnan(X)) return 0;
  return static_cast<int32_t>(Round(X < Lo ? Lo : X > Hi ? Hi : X));
}

// ---- TLXUnitBase

const TClassInfo& TLXUnitBase::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXUnitBase>("TLXUnitBase", &TPersistent::StaticClassInfo());
  return Info;
}

TLXUnitBase::TLXUnitBase()
    : FResolution(LXScreenPixelsPerInch()),
      FUnits(LocaleUsesInches() ? TLXUnit::Inches : TLXUnit::MM),
      FSavedUnits(FUnits) {}

long double TLXUnitBase::FromNative(TLXUnit Unit, bool Horizontal, long double X) const {
  switch (Unit) {
    case TLXUnit::MM: return X / 10;
    case TLXUnit::Inches: return X / 254;
    case TLXUnit::Pixels: return X / (254.0L / FResolution) * FZoom / 100;
    case TLXUnit::Characters: {
      long double S = ReportFontSize(FReport);
      return Horizontal ? X / CharactersPerCm(S) / 10 : X / LinesPerCm(S) / 10;
    }
    case TLXUnit::Native: break;
  }
  return X;
}

long double TLXUnitBase::ToNative(TLXUnit Unit, bool Horizontal, long double X) const {
  switch (Unit) {
    case TLXUnit::MM: return X * 10;
    case TLXUnit::Inches: return X * 254;
    case TLXUnit::Pixels: return X * (254.0L / FResolution) / FZoom * 100;
    case TLXUnit::Characters: {
      long double S = ReportFontSize(FReport);
      return Horizontal ? X * CharactersPerCm(S) * 10 : X * LinesPerCm(S) * 10;
    }
    case TLXUnit::Native: break;
  }
  return X;
}

void TLXUnitBase::PushPixels() {
  FSavedUnits = FUnits;
  FUnits = TLXUnit::Pixels;
}

void TLXUnitBase::SetResolution(int32_t Ppi) {
  if (Ppi > 0) FResolution = Ppi;
}

void TLXUnitBase::SetZoom(int32_t Value) {
  if (Value > 0) FZoom = Value;
}

void TLXUnitBase::DefineProperties(TFiler* Filer) {
  // Always written: the defaults depend on the locale, the printer and the screen of whoever
  // reads, so a missing "Values" would read back as other lengths. Against an ancestor only
  // when different.
  bool HasData = true;
  if (auto* Anc = dynamic_cast<const TLXUnitBase*>(Filer->Ancestor()); Anc && Anc->ClassInfo() == ClassInfo()) {
    auto A = Anc->NativeLengths(), B = NativeLengths();
    HasData = !std::equal(A.begin(), A.end(), B.begin(), B.end());
  }
  Filer->DefineProperty(
      "Values", [this](TReader& R) { ReadStoredValues(R); }, [this](TWriter& W) { WriteStoredValues(W); },
      HasData);
}

void TLXUnitBase::ReadStoredValues(TReader& Reader) {
  std::span<long double> Slots = Lengths();
  std::vector<long double> Read;
  Reader.ReadListBegin();
  while (!Reader.EndOfList()) {
    if (Read.size() == Slots.size())
      throw EReadError(Format(SLXTooManyValues, {ClassName(), static_cast<int>(Slots.size())}));
    long double V = Reader.ReadFloat();
    if (!std::isfinite(V) || std::fabs(V) > MaxStoredLength) throw EReadError(Format(SLXValueOutOfRange, {ClassName()}));
    Read.push_back(V);
  }
  Reader.ReadListEnd();
  std::copy(Read.begin(), Read.end(), Slots.begin());
  FValuesRead = true;
}

void TLXUnitBase::WriteStoredValues(TWriter& Writer) {
  Writer.WriteListBegin();
  for (long double V : NativeLengths()) Writer.WriteFloat(V);
  Writer.WriteListEnd();
}

// ---- TLXBandSize

const TClassInfo& TLXBandSize::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXBandSize>("TLXBandSize", &TLXUnitBase::StaticClassInfo())
                                     .Prop("Height", &TLXBandSize::Height, &TLXBandSize::SetHeight)
                                     .Stored(false)
                                     .Prop("Width", &TLXBandSize::Width, &TLXBandSize::SetWidth)
                                     .Stored(false);
  return Info;
}

void TLXBandSize::SetHeight(long double V) {
  NativeRef(LengthIndex) = ToNative(Units(), false, V);
  ApplyToParent();
}

void TLXBandSize::SetWidth(long double V) {
  NativeRef(WidthIndex) = ToNative(Units(), true, V);
  ApplyToParent();
}

void TLXBandSize::ApplyToParent() {
  if (!FBand) return;
  Applying([this] {
    FBand->SetBounds(FBand->Left(), FBand->Top(), RoundPixels(FromNative(TLXUnit::Pixels, true, FLengths[WidthIndex])),
                     RoundPixels(FromNative(TLXUnit::Pixels, false, FLengths[LengthIndex])));
  });
}

// ---- TLXPage

const TClassInfo& TLXPage::StaticClassInfo() {
  auto Len = [](size_t I) {
    return [I](const TLXPage& P) { return P.Value(I); };
  };
  auto SetLen = [](size_t I) {
    return [I](TLXPage& P, long double V) { P.SetLength(I, V); };
  };
  static const TClassInfo Info =
      TClassDef<TLXPage>("TLXPage", &TLXUnitBase::StaticClassInfo())
          .Prop("BottomMargin", Len(BottomMarginIndex), SetLen(BottomMarginIndex)).Stored(false)
          .Prop("Length", Len(LengthIndex), SetLen(LengthIndex)).Stored(false)
          .Prop("TopMargin", Len(TopMarginIndex), SetLen(TopMarginIndex)).Stored(false)
          .Prop("Width", Len(WidthIndex), SetLen(WidthIndex)).Stored(false)
          .Prop("LeftMargin", Len(LeftMarginIndex), SetLen(LeftMarginIndex)).Stored(false)
          .Prop("RightMargin", Len(RightMarginIndex), SetLen(RightMarginIndex)).Stored(false)
          .Prop("ColumnSpace", Len(ColumnSpaceIndex), SetLen(ColumnSpaceIndex)).Stored(false)
          .Prop("Columns", &TLXPage::Columns, &TLXPage::SetColumns).Default(1)
          .Prop("Orientation", &TLXPage::Orientation, &TLXPage::SetOrientation).Default(poPortrait)
          .Prop("PaperSize", &TLXPage::PaperSize, &TLXPage::SetPaperSize)
          .Prop("Ruler", &TLXPage::Ruler, &TLXPage::SetRuler).Default(1);
  return Info;
}

TLXPage::TLXPage(TCustomVexaRep* Report) {
  // The defaults are set before the page knows its report: nothing to lay out yet.
  if (LocaleUsesInches()) {
    TLXUnitBase::SetUnits(TLXUnit::Inches);
    SetPaperSize(TLXPaperSize::Letter);
    for (size_t I : {TopMarginIndex, BottomMarginIndex, LeftMarginIndex, RightMarginIndex}) SetLength(I, 0.5L);
  } else {
    TLXUnitBase::SetUnits(TLXUnit::MM);
    SetPaperSize(TLXPaperSize::A4);
    for (size_t I : {TopMarginIndex, BottomMarginIndex, LeftMarginIndex, RightMarginIndex}) SetLength(I, 10);
  }
  SetReport(Report);
}

void TLXPage::Repaint() const {
  if (Report()) Report()->Invalidate();
}

void TLXPage::Relayout() const {
  if (Report()) Report()->LayoutBands();
}

void TLXPage::SetLength(size_t Index, long double V) {
  if ((Index == LengthIndex || Index == WidthIndex) && FPaperSize != TLXPaperSize::Custom) return;
  NativeRef(Index) = ToNative(Units(), IsHorizontal(Index), V);
  if (Index == BottomMarginIndex || Index == LengthIndex || Index == WidthIndex) ApplyToParent();
  // Margins and the column space move the bands as much as the paper does.
  Relayout();
  Repaint();
}

void TLXPage::SetColumns(int32_t V) {
  if (V == FColumns || V <= 0) return;
  FColumns = V;
  Relayout();
  Repaint();
}

void TLXPage::SetOrientation(TPrinterOrientation V) {
  FOrientation = V;
  SetPaperSize(FPaperSize);
}

void TLXPage::SetPaperSize(TLXPaperSize V) {
  if (V != TLXPaperSize::Default && V != TLXPaperSize::Custom) {
    const TLXPaperDimensions& D = LXPaperDimensions(V);
    bool Portrait = FOrientation == poPortrait;
    FPaperSize = TLXPaperSize::Custom;
    NativeRef(WidthIndex) = 10 * (Portrait ? D.Width : D.Length);
    NativeRef(LengthIndex) = 10 * (Portrait ? D.Length : D.Width);
    ApplyToParent();
    Relayout();
  }
  FPaperSize = V;
}

void TLXPage::SetRuler(bool V) {
  if (V == FRuler) return;
  FRuler = V;
  Repaint();
  if (Report()) Report()->SetUnits(Report()->Units());
}

void TLXPage::SetUnits(TLXUnit Value) {
  TLXUnitBase::SetUnits(Value);
  Repaint();
}

void TLXPage::ApplyToParent() {
  if (Updating() || !Report()) return;
  Applying([this] {
    TCustomVexaRep* R = Report();
    R->SetBounds(R->Left(), R->Top(), RoundPixels(FromNative(TLXUnit::Pixels, true, Native(WidthIndex))),
                 RoundPixels(FromNative(TLXUnit::Pixels, false, Native(LengthIndex))));
  });
}

void TLXPage::TakeControlSize(int Width, int Height) {
  Applying([&] {
    NativeRef(WidthIndex) = ToNative(TLXUnit::Pixels, true, Width);
    NativeRef(LengthIndex) = ToNative(TLXUnit::Pixels, false, Height);
  });
}

void TLXPage::ReadStoredValues(TReader& Reader) {
  TLXUnitBase::ReadStoredValues(Reader);
  ApplyToParent();
}

// ---- TLXFrame

const TClassInfo& TLXFrame::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXFrame>("TLXFrame", &TPersistent::StaticClassInfo())
                                     .Prop("Color", &TLXFrame::Color, &TLXFrame::SetColor).Default(clBlack)
                                     .Prop("DrawTop", &TLXFrame::DrawTop, &TLXFrame::SetDrawTop).Default(0)
                                     .Prop("DrawBottom", &TLXFrame::DrawBottom, &TLXFrame::SetDrawBottom).Default(0)
                                     .Prop("DrawLeft", &TLXFrame::DrawLeft, &TLXFrame::SetDrawLeft).Default(0)
                                     .Prop("DrawRight", &TLXFrame::DrawRight, &TLXFrame::SetDrawRight).Default(0)
                                     .Prop("Style", &TLXFrame::Style, &TLXFrame::SetStyle).Default(psSolid)
                                     .Prop("Width", &TLXFrame::Width, &TLXFrame::SetWidth).Default(1);
  return Info;
}

void TLXFrame::Assign(const TPersistent* Source) {
  auto* F = dynamic_cast<const TLXFrame*>(Source);
  if (!F) {
    TPersistent::Assign(Source);
    return;
  }
  FColor = F->FColor;
  FDrawTop = F->FDrawTop;
  FDrawBottom = F->FDrawBottom;
  FDrawLeft = F->FDrawLeft;
  FDrawRight = F->FDrawRight;
  FStyle = F->FStyle;
  FWidth = F->FWidth;
  Changed();
}

void TLXFrame::Changed() const {
  if (FControl) FControl->Invalidate();
}

#define LX_FRAME_SETTER(Name, Type, Field) \
  void TLXFrame::Set##Name(Type V) {       \
    Field = V;                             \
    Changed();                             \
  }
LX_FRAME_SETTER(Color, TColor, FColor)
LX_FRAME_SETTER(DrawTop, bool, FDrawTop)
LX_FRAME_SETTER(DrawBottom, bool, FDrawBottom)
LX_FRAME_SETTER(DrawLeft, bool, FDrawLeft)
LX_FRAME_SETTER(DrawRight, bool, FDrawRight)
LX_FRAME_SETTER(Style, TPenStyle, FStyle)
LX_FRAME_SETTER(Width, int32_t, FWidth)
#undef LX_FRAME_SETTER

void TLXFrame::ApplyPen(TPen& Pen) const {
  Pen.SetWidth(1);
  Pen.SetStyle(FStyle);
  Pen.SetColor(FColor);
}

void TLXFrame::DrawOn(TCanvas& Canvas, const TRect& R, long double XFactor, long double YFactor) const {
  // Width is in points; a positive width never vanishes, -1 is a hairline on any device.
  auto Thickness = [this](long double Factor) {
    int32_t T = RoundPixels(Factor / 72 * 254 * FWidth);
    return (T <= 0 && FWidth > 0) || FWidth == -1 ? 1 : T;
  };
  int32_t TX = Thickness(XFactor), TY = Thickness(YFactor);
  Canvas.Brush().SetColor(FColor);
  Canvas.Brush().SetStyle(bsSolid);
  ApplyPen(Canvas.Pen());
  // A thickness of 0 (or less) draws nothing.
  if (FDrawTop && TY > 0) Canvas.FillRect(Rect(R.Left, R.Top, R.Right, R.Top + TY));
  if (FDrawBottom && TY > 0) Canvas.FillRect(Rect(R.Left, R.Bottom - TY, R.Right, R.Bottom));
  if (FDrawLeft && TX > 0) Canvas.FillRect(Rect(R.Left, R.Top, R.Left + TX, R.Bottom));
  if (FDrawRight && TX > 0) Canvas.FillRect(Rect(R.Right - TX, R.Top, R.Right, R.Bottom));
  Canvas.Brush().SetStyle(bsClear);
}
