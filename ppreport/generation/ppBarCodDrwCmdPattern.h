#pragma once
// Inside the barcode encoders: a pattern built element by element, and the refusal they share.
#include <string>
#include <string_view>

#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "ppreport/generation/ppGenConsts.h"

[[noreturn]] void ppBarCodeError(int Number, const char* Text);

// Pixel columns for X (inches × dpi, already multiplied out): 0 for what is not a positive number,
// refused beyond the longest pattern.
int ppBarColumns(long double X);

class TppPatternBuilder {
public:
  explicit TppPatternBuilder(const TppBarElementWidths& Widths) : FWidths(Widths) {}

  // Width columns of Module; the pattern never grows beyond ppMaxBarCodePattern.
  void Add(int Width, char Module) {
    if (Width <= 0) return;
    if (static_cast<size_t>(Width) > ppMaxBarCodePattern - FPattern.size()) ppBarCodeError(0, SppBarCodeTooWide);
    FPattern.append(static_cast<size_t>(Width), Module);
  }
  void Narrow(char Module) { Add(FWidths.Narrow, Module); }
  void Wide(char Module) { Add(FWidths.Wide, Module); }
  // Every character of Modules as one narrow element.
  void Modules(std::string_view Modules) {
    for (char M : Modules) Narrow(M);
  }
  const TppBarElementWidths& Widths() const { return FWidths; }
  std::string Take() { return std::move(FPattern); }

private:
  TppBarElementWidths FWidths;
  std::string FPattern;
};

// Code 128 (ppBarCodDrwCmdCode128.cpp).
std::string ppEncodeCode128(std::string& Data, bool AutoEncode, const TppBarElementWidths& Widths);
