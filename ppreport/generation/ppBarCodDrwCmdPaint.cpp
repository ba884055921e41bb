// Measuring and painting a barcode: quiet zones, bar height and the human-readable text, in symbol
// space (x along the symbol, y down the bars), turned onto the canvas by the orientation.
#include <algorithm>
#include <climits>

#include "platform/rtl/RtlMath.h"
#include "ppreport/generation/ppBarCodDrwCmd.h"

namespace {
// The largest font size fitting tries (points): far beyond any symbol, and it keeps the search short.
constexpr int MaxFitFontSize = 3000;
// No symbol grows beyond this many pixels across its bars, whatever its command's height says.
constexpr int64_t MaxSymbolHeight = int64_t(1) << 24;

bool IsUPCOrEAN(TppBarCodeType T) { return T == bcUPC_A || T == bcUPC_E || T == bcEAN_13 || T == bcEAN_8; }

int RoundInt(long double X) {
  if (!(X > 0)) return 0;
  return static_cast<int>(std::min<int64_t>(Round(X), INT_MAX / 4));
}

// Inches (single precision, as the encoders take the bar width) times Dpi, rounded.
int InchColumns(int32_t Microns, float Factor, int Dpi) {
  const float Product = static_cast<float>(MicronsToInches(Microns)) * Factor * static_cast<float>(Dpi);
  return RoundInt(std::min<long double>(Product, static_cast<long double>(ppMaxBarCodePattern) * 16));
}
}  // namespace

// Maps symbol space onto the canvas for one orientation. EW and EH are the symbol's extent on the
// canvas. Rectangles of the vertical orientations are mirrored exactly, so bars, boxes and texts
// stay together to the pixel.
struct TppDrawBarCode::TPainter {
  TCanvas& Canvas;
  TppBarCodeOrientation O;
  int X, Y, EW, EH;

  TRect Map(int L, int T, int R, int B) const {
    switch (O) {
      case orRightToLeft: return Rect(X + EW - R, Y + EH - B, X + EW - L, Y + EH - T);
      case orTopToBottom: return Rect(X + EW - B, Y + L, X + EW - T, Y + R);
      case orBottomToTop: return Rect(X + T, Y + EH - R, X + B, Y + EH - L);
      default: return Rect(X + L, Y + T, X + R, Y + B);
    }
  }
  void Fill(int L, int T, int R, int B, TColor Color) {
    if (R <= L || B <= T) return;
    Canvas.Brush().SetColor(Color);
    Canvas.Brush().SetStyle(bsSolid);
    Canvas.FillRect(Map(L, T, R, B));
  }
  void Text(int A, int B, const std::string& S) {
    if (S.empty()) return;
    switch (O) {
      case orRightToLeft: TextOutRotated(Canvas, Canvas.Font(), X + EW - A, Y + EH - B, S, 180); break;
      case orTopToBottom: TextOutRotated(Canvas, Canvas.Font(), X + EW - B, Y + A, S, 270); break;
      case orBottomToTop: TextOutRotated(Canvas, Canvas.Font(), X + B, Y + EH - A, S, 90); break;
      default: TextOutRotated(Canvas, Canvas.Font(), X + A, Y + B, S, 0); break;
    }
  }
};

void TppDrawBarCode::Paint(TCanvas* Canvas, int X, bool Draw, TPoint Resolution, int Y) {
  if (!Canvas) return;
  const TppBarCodeType Type = FBarCodeType;
  const int DpiAlong = Vertical() ? Resolution.Y : Resolution.X;
  const int DpiAcross = Vertical() ? Resolution.X : Resolution.Y;
  // Both patterns are at most ppMaxBarCodePattern long, so the sums below stay far inside an int.
  const int n = static_cast<int>(FMainPattern.size());
  const int m = InchColumns(FBarWidth, 1, DpiAlong);

  // Quiet zones: nine modules before and after UPC and EAN, 3 % of the symbol for Interleaved 2 of 5.
  int q = 0;
  if (IsUPCOrEAN(Type))
    q = InchColumns(FBarWidth, 9, DpiAlong);
  else if (Type == bcInt2of5)
    q = RoundInt(n * 0.03L);
  int W = n + (Type == bcPostnet ? 0 : 2 * q);
  if (!FAddOnPattern.empty()) W += static_cast<int>(FAddOnPattern.size()) + 9 * m;

  int64_t H = 0;
  if (FAutoSize) {
    switch (Type) {
      case bcUPC_A:
      case bcUPC_E: {
        // 73.85 bar widths, rounded to whole microns first.
        const long double Microns = Round(static_cast<long double>(FBarWidth) * 73.85L);
        H = RoundInt(MicronsToInches(static_cast<int32_t>(std::clamp<long double>(Microns, INT32_MIN, INT32_MAX))) *
                     DpiAcross);
        break;
      }
      case bcEAN_13:
      case bcEAN_8: H = RoundInt(n * 0.85L); break;
      case bcInt2of5: H = RoundInt(W * 0.6L); break;
      case bcCode128: H = std::max(RoundInt(W * 0.15L), RoundInt(0.25L * DpiAcross)); break;
      case bcCode39:
      case bcCodabar: H = RoundInt(W * 0.25L); break;
      case bcPostnet: H = RoundInt(DpiAcross * 0.125L); break;
      case bcFIM: H = 20 * static_cast<int64_t>(m); break;
      case bcMSI: H = RoundInt(W * 0.2L); break;
    }
    H = std::max<int64_t>(H, 5);
  } else {
    H = RoundInt(MicronsToInches(Vertical() ? Width() : Height()) * DpiAcross);
  }
  H = std::min(H, MaxSymbolHeight);

  if (FAutoSizeFont && FCodeOK)
    FitFont(*Canvas, W, static_cast<int>(H), m, DpiAcross);
  else
    Canvas->SetFont(*FFont);

  int64_t r = H;
  const int TextH = FPrintHumanReadable ? Canvas->TextHeight("0") : 0;
  if (FPrintHumanReadable) {
    if (FAutoSize)
      H += TextH;
    else
      r = H - TextH;
  }
  FTotalWidth = W;
  FTotalHeight = static_cast<int>(H);
  FQuietZone = q;
  if (!Draw) return;

  TPainter P{*Canvas, FOrientation, X, Y, Vertical() ? FTotalHeight : W, Vertical() ? W : FTotalHeight};
  const int Hi = FTotalHeight, Ri = static_cast<int>(r);
  if (!FTransparent) P.Fill(0, 0, W, Hi, FColor);
  if (!FCodeOK) return;

  Canvas->Pen().SetWidth(1);
  Canvas->Pen().SetStyle(psSolid);
  Canvas->Pen().SetColor(FBarColor);
  Canvas->Font().SetColor(FBarColor);

  // One rectangle per run of equal columns.
  const int Half = Ri - RoundInt(Ri * 0.4L);
  const int Long = IsUPCOrEAN(Type) ? Ri - m + (Hi - Ri) / 2 : Ri;
  int x = q;
  for (size_t I = 0; I < FMainPattern.size();) {
    const char C = FMainPattern[I];
    size_t J = I;
    while (J < FMainPattern.size() && FMainPattern[J] == C) ++J;
    const int Len = static_cast<int>(J - I);
    if (W >= x) {
      if (Type == bcPostnet) {
        if (C == '2') P.Fill(x, 0, x + Len, Ri, FBarColor);
        if (C == '1') P.Fill(x, Half, x + Len, Ri, FBarColor);
      } else if (C == '1') {
        P.Fill(x, 0, x + Len, Long, FBarColor);
      }
    }
    x += Len;
    I = J;
  }
  if (FBearerBars) {
    P.Fill(0, 0, W, 3 * m, FBarColor);
    P.Fill(0, Ri - 3 * m, W, Ri, FBarColor);
  }
  if (FPrintHumanReadable) DrawHumanReadable(P, W, Ri, q, m);
  if (!FAddOnPattern.empty()) DrawAddOn(P, n, Ri, q, m);
}

void TppDrawBarCode::FitFont(TCanvas& Canvas, int W, int H, int m, int DpiAcross) {
  Canvas.SetFont(*FFont);
  const TppBarCodeType Type = FBarCodeType;
  if (Type == bcFIM) return;
  const long double S = DpiAcross > 0 ? Round(static_cast<long double>(H) * ScreenPixelsPerInch() / DpiAcross) : 0;
  const int Length = static_cast<int>(std::min<size_t>(FData.size(), INT_MAX / 4));
  int Start = 0;
  switch (Type) {
    case bcUPC_A:
    case bcUPC_E:
    case bcEAN_13:
    case bcEAN_8: Start = RoundInt(S * 0.2L); break;
    case bcInt2of5: Start = RoundInt(S * 0.15L); break;
    case bcPostnet: Start = static_cast<int>(std::min<long double>(S, INT_MAX / 4)) / 2; break;
    default: Start = RoundInt(S * 0.25L); break;
  }
  Start = std::clamp(Start, 1, MaxFitFontSize);
  TFitMemo Key{Start, W, m, Length, Canvas.Font().PixelsPerInch(), 0, Type, Canvas.Font().Name(), Canvas.Font().Style()};
  if (FFitMemo.Result > 0 && Key == FFitMemo) {
    Canvas.Font().SetSize(FFitMemo.Result);
    FFont->Assign(Canvas.Font());
    return;
  }
  const auto Fits = [&](int Size) {
    Canvas.Font().SetSize(Size);
    const int64_t w0 = Canvas.TextWidth("0");
    switch (Type) {
      case bcUPC_A: return 5 * w0 <= 36 * int64_t(m);
      case bcUPC_E: return 6 * w0 <= 42 * int64_t(m);
      case bcEAN_13: return Canvas.TextWidth("000000") <= 42 * int64_t(m);
      case bcEAN_8: return Canvas.TextWidth("0000") <= 28 * int64_t(m);
      case bcPostnet: return true;
      default: return w0 * Length <= W;
    }
  };
  // The largest size up to Start that fits, else 1: what stepping down a point at a time finds, as
  // widths grow with the size, in a few steps whatever height a stream claims.
  if (!Fits(Start)) {
    int Lo = 1, Hi = Start - 1;
    while (Lo < Hi) {
      const int Mid = Lo + (Hi - Lo + 1) / 2;
      if (Fits(Mid))
        Lo = Mid;
      else
        Hi = Mid - 1;
    }
    Canvas.Font().SetSize(Lo);
  }
  Key.Result = Canvas.Font().Size();
  FFitMemo = Key;
  FFont->Assign(Canvas.Font());
}

void TppDrawBarCode::DrawHumanReadable(TPainter& P, int W, int r, int q, int m) {
  TCanvas& Canvas = P.Canvas;
  const TppBarCodeType Type = FBarCodeType;
  if (Type == bcFIM) return;
  const int T = r;
  const int BoxH = Canvas.TextHeight("5");
  const std::string& D = FSymbolData;
  const auto Chars = [&](int First, int Count) {
    return First < static_cast<int>(D.size()) ? D.substr(First, Count) : std::string();
  };
  if (IsUPCOrEAN(Type)) {
    // Each digit field: a box in the background colour that cuts the bars below it, then its digits.
    const int TextY = Type == bcUPC_A || Type == bcUPC_E ? T + m : T;
    for (const TppDigitField& F : ppDigitFields(Type)) {
      P.Fill(q + F.FirstModule * m, T, q + F.EndModule * m, T + BoxH, FColor);
      P.Text(q + F.FirstModule * m, TextY, Chars(F.FirstChar, F.CharCount));
    }
    if (Type == bcEAN_13) P.Text(1, T, Chars(0, 1));
    if (Type == bcUPC_A || Type == bcUPC_E) {
      // The number system and the check digit, two points smaller, in the quiet zones. The last one
      // ends a pixel before the right quiet zone does (as the first starts a pixel inside the left
      // one), so it is never cut and never lands beyond an add-on.
      const int Size = Canvas.Font().Size();
      Canvas.Font().SetSize(std::max(1, Size - 2));
      const int SmallY = T + std::abs(Canvas.Font().Height()) / 2;
      const std::string First = Type == bcUPC_A ? Chars(0, 1) : std::string("0");
      const std::string Last = Chars(Type == bcUPC_A ? 11 : 6, 1);
      P.Text(1, SmallY, First);
      const int MainEnd = q + static_cast<int>(FMainPattern.size()) + q;
      P.Text(MainEnd - 1 - Canvas.TextWidth(Last), SmallY, Last);
      Canvas.Font().SetSize(Size);
    }
    return;
  }
  const std::string Text = Type == bcMSI ? FData : HumanReadableText();
  const int TextW = Canvas.TextWidth(Text);
  int TextX = 0;
  if (FAlignment == taRightJustify)
    TextX = W - TextW;
  else if (FAlignment == taCenter)
    TextX = (W - TextW) / 2;
  P.Text(TextX, T, Text);
}

void TppDrawBarCode::DrawAddOn(TPainter& P, int n, int r, int q, int m) {
  TCanvas& Canvas = P.Canvas;
  const int t = Canvas.TextHeight("0");
  const int Start = q + n + 9 * m;
  int x = Start;
  for (size_t I = 0; I < FAddOnPattern.size();) {
    size_t J = I;
    while (J < FAddOnPattern.size() && FAddOnPattern[J] == FAddOnPattern[I]) ++J;
    if (FAddOnPattern[I] == '1') P.Fill(x, t, x + static_cast<int>(J - I), r, FBarColor);
    x += static_cast<int>(J - I);
    I = J;
  }
  if (FPrintHumanReadable) {
    const int End = Start + static_cast<int>(FAddOnPattern.size());
    P.Text(End - Canvas.TextWidth(FAddOnCode), t - Canvas.TextHeight("0"), FAddOnCode);
  }
}
