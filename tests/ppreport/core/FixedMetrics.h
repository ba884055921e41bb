#pragma once
// A device whose every character has the same advance and every line the same height, whatever
// the font, so that wrapping and rotation tables count in characters; and a printer measuring on
// it. The call log underneath records what was selected and drawn.
#include <string>
#include <vector>

#include "platform/graphics/CallLogDC.h"
#include "platform/graphics/Canvas.h"
#include "ppreport/core/ppMeasuringPrinter.h"

class TFixedMetricsDC : public TCallLogDC {
public:
  TFixedMetricsDC(int Ppi, int CharWidth, int LineHeight)
      : TCallLogDC(Ppi), FCharWidth(CharWidth), FLineHeight(LineHeight) {}

  // Justification as GDI spreads it: Extra over the first Count spaces, the remainder one each.
  std::vector<int> CharAdvances(const std::u16string& Text) const override {
    std::vector<int> A(Text.size(), FCharWidth);
    const int Extra = State().JustExtra, Count = State().JustCount;
    int Break = 0;
    if (Count > 0)
      for (size_t I = 0; I < Text.size(); ++I)
        if (Text[I] == u' ') A[I] += Extra / Count + (Break++ < Extra % Count ? 1 : 0);
    return A;
  }
  TTextMetric TextMetrics() const override {
    TTextMetric M;
    M.Height = FLineHeight;
    M.Ascent = FLineHeight * 4 / 5;
    M.Descent = FLineHeight - M.Ascent;
    M.AveCharWidth = M.MaxCharWidth = FCharWidth;
    return M;
  }

private:
  int FCharWidth, FLineHeight;
};

// A printer at 254 pixels per inch whose characters are 10 pixels wide and 20 high: about a
// millimetre a character and two a line.
class TFixedMetricsPrinter : public IppMeasuringPrinter {
public:
  static constexpr int Ppi = 254, CharWidth = 10, LineHeight = 20;
  TFixedMetricsPrinter() : Dc(Ppi, CharWidth, LineHeight), Canvas(&Dc) {}
  TPoint GetPixelsPerInch() const override { return TPoint{Ppi, Ppi}; }
  TCanvas* MeasuringCanvas() override { return &Canvas; }

  // Thousandths of a millimetre of N characters across and of N lines down.
  int32_t Chars(int N) const { return ConvertToMicrons(utPrinterPixels, ppHorizontal, this, float(N * CharWidth)); }
  int32_t Lines(int N) const { return N * ConvertToMicrons(utPrinterPixels, ppVertical, this, float(LineHeight)); }

  TFixedMetricsDC Dc;
  TCanvas Canvas;
};
