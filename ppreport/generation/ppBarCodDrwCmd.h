#pragma once
// Barcode symbologies as plain functions from data to bar patterns. The barcode draw command
// (TppDrawBarCode, of this unit too) encodes before every measure and paint; the barcode components
// check their data with ppCheckBarCodeData. Nothing here keeps state or needs a device.
//
// A pattern has one character per device pixel column: '1' a bar, '0' a space; POSTNET writes '2'
// for a full bar and '1' for a half bar. The element widths come from the bar width in inches at
// the device's resolution along the symbol (ppBarElementWidths).
//
// Data is UTF-8. Every symbology but Code 128 takes ASCII only. Code 128 takes the characters
// U+0000 to U+00FF: the characters 201-242 are the symbology's functions (table below, as stored
// reports have them), every other one is data; those above 127 go through FNC4 (ISO 8859-1).
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppTypes.h"

// Data a symbology refuses. Message() is the whole text a user reads. Number() is the language
// string of the same fault (0 for faults that have none), so a loaded language module's text can
// stand in for the message; Argument() is what that string's placeholder takes (453: the
// character), else empty.
class EBarCodeError : public ETalvorError {
public:
  EBarCodeError(int Number, std::string Msg, std::string Argument = {})
      : ETalvorError(std::move(Msg)), FNumber(Number), FArgument(std::move(Argument)) {}
  const char* ClassName() const override { return "EBarCodeError"; }
  int Number() const { return FNumber; }
  const std::string& Argument() const { return FArgument; }

private:
  int FNumber;
  std::string FArgument;
};

// The draw command's settings at one device resolution.
struct TppBarCodeSettings {
  TppBarCodeType BarCodeType = bcUPC_A;
  bool CalcCheckDigit = true;
  bool AutoEncode = false;  // Code 128: choose the code sets
  float BarWidth = 0;       // the narrowest element in inches (MicronsToInches of the command's BarWidth)
  float WideBarRatio = 0;
  int Dpi = 0;  // the device's pixels per inch along the symbol
};

struct TppBarCodeSymbol {
  // The data as the symbol carries it: UPC-A, UPC-E, EAN-13, EAN-8 and Interleaved 2 of 5 with the
  // computed check digit, Code 128 auto-encoded; the human-readable text shows it. Encoding it again
  // with the same settings gives the same symbol.
  std::string Data;
  std::string Pattern;
};

// No pattern grows beyond this many columns (437 inches at 2400 dpi); longer ones are refused.
inline constexpr size_t ppMaxBarCodePattern = size_t(1) << 20;

// Narrow element: round(BarWidth × Dpi), the product in single precision; wide: round(that product ×
// WideBarRatio), also single precision. Halves round to even; a width that is not a number or not
// positive is 0 (the element adds nothing). Raises EBarCodeError when an element alone is wider than
// the longest pattern.
struct TppBarElementWidths {
  int Narrow = 0;
  int Wide = 0;
};
TppBarElementWidths ppBarElementWidths(float BarWidth, float WideBarRatio, int Dpi);

// False when Data is empty once blanks and control characters are trimmed from both ends: the draw
// command then draws no bars and says nothing.
bool ppHasBarCodeData(std::string_view Data);

// Raises EBarCodeError when Data does not suit the symbology (the components' data check): lengths
// of UPC and EAN data, digits, the character sets of Code 39, POSTNET, FIM, Codabar and MSI, Code 39's
// "*" and Codabar's start and stop letters only at the ends, an even number of Interleaved 2 of 5
// digits without a computed check digit. Empty data raises too. Code 128 is checked while it encodes.
void ppCheckBarCodeData(TppBarCodeType Type, std::string_view Data, bool CalcCheckDigit);

// The main symbol (without quiet zones). Raises EBarCodeError for data the symbology refuses (the
// check above, Code 128's own errors) and for patterns longer than ppMaxBarCodePattern.
TppBarCodeSymbol ppEncodeSymbol(std::string_view Data, const TppBarCodeSettings& Settings);

// The 2- or 5-digit supplement of UPC-A, UPC-E, EAN-13 and EAN-8 (every module a narrow element); empty
// for an empty code and for the other symbologies, which have none. Raises EBarCodeError for a code
// of another length or with anything but digits.
std::string ppEncodeAddOn(std::string_view AddOnCode, const TppBarCodeSettings& Settings);

// ---- Check digits: decimal digits in, the check digit as a character out (digits are not checked
// here; ppCheckBarCodeData does that).
// 3 × the digits at odd positions from the left + the others (UPC-A, UPC-E's expansion, EAN-8).
char ppCalcUPCCheckDigit(std::string_view Digits);
// 3 × the digits at even positions from the left + the others (EAN-13's twelve digits).
char ppCalcEAN13CheckDigit(std::string_view Digits);
// Weights 3, 1, 3, ... from the leftmost digit.
char ppCalcInt2of5CheckDigit(std::string_view Digits);
// Modulo 10 with every other digit doubled from the rightmost (MSI).
char ppCalcMSICheckDigit(std::string_view Digits);
// The digit that makes the sum of the digits a multiple of 10; hyphens are skipped (POSTNET).
char ppCalcPostnetCheckDigit(std::string_view Digits);
// The 11-digit UPC-A number (number system 0) of six UPC-E digits, by the zero-suppression rule.
std::string ppExpandUPCE(std::string_view SixDigits);

// The 7 modules of Digit in number set 'A' (odd parity), 'B' (even) or 'C' (right-hand); empty for no digit.
std::string_view ppEANDigitPattern(char Set, int Digit);

// The module offsets of the UPC and EAN digit fields from the first bar of the symbol, and the
// characters of the symbol's Data written under each (FirstChar counts from 0). The human-readable
// text's boxes cover them; the guard bars between stay long. Empty for the other symbologies.
struct TppDigitField {
  int FirstModule;
  int EndModule;
  int FirstChar;
  int CharCount;
};
std::span<const TppDigitField> ppDigitFields(TppBarCodeType Type);

// ---- Code 128. The characters of the functions, written in Data as these code points.
enum TppCode128Char : char32_t {
  c128FNC3 = 201,
  c128FNC2 = 202,
  c128Shift = 203,
  c128CodeC = 204,
  c128CodeB = 205,  // FNC4 while in code set B
  c128CodeA = 206,  // FNC4 while in code set A
  c128FNC1 = 207,
  c128StartA = 208,
  c128StartB = 209,
  c128StartC = 210,
  c128Control0 = 211,  // 211-242: the control characters 0-31 of code set A
};
// The UTF-8 of one Code 128 character (a function above, or any character up to U+00FF).
std::string ppCode128Char(char32_t C);
// Data with its start, code set and shift characters chosen: Start C with CODE C for runs of digit
// pairs, code set A or B for the rest, SHIFT for a single character of the other set. The code set
// characters that Data already has are removed first, so encoding the result again gives it back.
std::string ppAutoEncode128(std::string_view Data);
// The characters of Code 128 Data that a reader shows: the data characters from the blank up, the
// functions and control characters left out. Raises EBarCodeError for data Code 128 cannot hold.
std::string ppCode128HumanReadable(std::string_view Data);

// ---- The draw command

class TppDevice;
class TppRasterDevice;
class TppCustomPrinter;

// The barcode a barcode component puts on a page. It carries every setting and the data, and draws
// itself: on a printer device directly at the printer's resolution, on the screen into a bitmap at
// the screen's resolution, stretched over the command's rectangle. Every measure and paint encodes
// again (the patterns are not streamed); data a symbology refuses draws the background only.
class TppDrawBarCode : public TppDrawCommand {
  DECLARE_CLASSINFO(TppDrawBarCode)
public:
  explicit TppDrawBarCode(TComponent* AOwner);
  ~TppDrawBarCode() override;
  TppDataType DefaultDataType() const override { return dtGraphic; }

  // ---- published
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment V) { FAlignment = V; }
  const std::string& AddOnCode() const { return FAddOnCode; }
  void SetAddOnCode(const std::string& V) { FAddOnCode = V; }
  bool AutoEncode() const { return FAutoEncode; }
  void SetAutoEncode(bool V) { FAutoEncode = V; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool V) { FAutoSize = V; }
  bool AutoSizeFont() const { return FAutoSizeFont; }
  void SetAutoSizeFont(bool V) { FAutoSizeFont = V; }
  TppBarCodeType BarCodeType() const { return FBarCodeType; }
  void SetBarCodeType(TppBarCodeType V) { FBarCodeType = V; }
  TColor BarColor() const { return FBarColor; }
  void SetBarColor(TColor V) { FBarColor = V; }
  // The narrowest element in thousandths of a millimetre.
  int32_t BarWidth() const { return FBarWidth; }
  void SetBarWidth(int32_t V) { FBarWidth = V; }
  bool BearerBars() const { return FBearerBars; }
  void SetBearerBars(bool V) { FBearerBars = V; }
  bool CalcCheckDigit() const { return FCalcCheckDigit; }
  void SetCalcCheckDigit(bool V) { FCalcCheckDigit = V; }
  // The component found the data good; encoding clears it when the symbology refuses the data.
  bool CodeOK() const { return FCodeOK; }
  void SetCodeOK(bool V) { FCodeOK = V; }
  TColor Color() const { return FColor; }
  void SetColor(TColor V) { FColor = V; }
  const std::string& Data() const { return FData; }
  void SetData(const std::string& V) { FData = V; }
  TppFont* Font() const { return FFont.get(); }
  void SetFont(const TFont* V);  // copies
  TppBarCodeOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TppBarCodeOrientation V) { FOrientation = V; }
  bool PrintHumanReadable() const { return FPrintHumanReadable; }
  void SetPrintHumanReadable(bool V) { FPrintHumanReadable = V; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool V) { FTransparent = V; }
  float WideBarRatio() const { return FWideBarRatio; }
  void SetWideBarRatio(float V) { FWideBarRatio = V; }

  // ---- working state of the last measure
  bool Drawing() const { return FDrawing; }
  int TotalWidth() const { return FTotalWidth; }
  int TotalHeight() const { return FTotalHeight; }
  int QuietZone() const { return FQuietZone; }
  // One character per device pixel column ('1' bar, '0' space; POSTNET '2' full, '1' half bar),
  // sized from the data.
  const std::string& MainPattern() const { return FMainPattern; }
  const std::string& AddOnPattern() const { return FAddOnPattern; }
  // The text under the bars: Code 128 without its functions and control characters, else Data (with
  // the check digit encoding appended).
  std::string HumanReadableText() const;

  // ---- operations
  // A printer device: DrawOnPrinter; a screen device: DrawOnScreen; any other device draws nothing.
  void Draw(TppDevice* Device) override;
  // True when drawn.
  virtual bool DrawOnPrinter(TppRasterDevice& Device);
  virtual bool DrawOnScreen(TppRasterDevice& Device);
  // Measures the symbol at Resolution (x, y pixels per inch) with the patterns encoded last, and
  // draws it at (X, Y) when Draw is set. Nothing without a canvas.
  virtual void Paint(TCanvas* Canvas, int X, bool Draw, TPoint Resolution, int Y);
  // Encodes and measures at the printer's resolution (the shared printer's when null; without a
  // context, a bitmap at the screen's) and sets Width and Height.
  void CalcSize(TppCustomPrinter* Printer);
  // Encodes and measures at the canvas's own resolution, without drawing.
  void MeasureOnCanvas(TCanvas& Canvas);
  // Encodes Data and AddOnCode at Dpi along the symbol; a refusal clears CodeOK and is shown (unless
  // drawing on a printer), leaving both patterns empty.
  void EncodeSymbol(int Dpi);
  // An information message with OK, unless drawing on a printer.
  void ShowMessage(const std::string& Text) const;

  bool IsEqual(const TppDrawCommand& Other) const override;
  using TppDrawCommand::Assign;
  // Also every setting above (not the patterns).
  void Assign(const TPersistent* Source) override;

private:
  bool Vertical() const { return FOrientation == orTopToBottom || FOrientation == orBottomToTop; }
  struct TPainter;
  void FitFont(TCanvas& Canvas, int W, int H, int m, int DpiAcross);
  void DrawHumanReadable(TPainter& P, int W, int r, int q, int m);
  void DrawAddOn(TPainter& P, int n, int r, int q, int m);

  TAlignment FAlignment = taLeftJustify;
  std::string FAddOnCode;
  bool FAutoEncode = false, FAutoSize = true, FAutoSizeFont = true;
  TppBarCodeType FBarCodeType = bcUPC_A;
  TColor FBarColor = TColor(0);
  int32_t FBarWidth = 0;
  bool FBearerBars = false, FCalcCheckDigit = true, FCodeOK = true;
  TColor FColor = TColor(0);
  std::string FData;
  std::unique_ptr<TppFont> FFont;
  TppBarCodeOrientation FOrientation = orLeftToRight;
  bool FPrintHumanReadable = true, FTransparent = false;
  float FWideBarRatio = 0;

  bool FDrawing = false;
  int FTotalWidth = 0, FTotalHeight = 0, FQuietZone = 0;
  std::string FMainPattern, FAddOnPattern;
  std::string FSymbolData;  // Data as the symbol carries it (check digit, Code 128 encoding)
  // The last font fitting: the same symbol measured again (each screen draw measures twice, a page
  // of labels many times) takes its size without measuring text.
  struct TFitMemo {
    int Start = 0, W = 0, m = 0, Length = 0, Ppi = 0, Result = 0;
    TppBarCodeType Type = bcUPC_A;
    std::string FontName;
    TFontStyles Style{};
    bool operator==(const TFitMemo& O) const {
      return Start == O.Start && W == O.W && m == O.m && Length == O.Length && Ppi == O.Ppi && Type == O.Type &&
             FontName == O.FontName && Style == O.Style;
    }
  } FFitMemo;
};

// The largest symbol the screen draws through a bitmap, in pixels; a larger one draws nothing there.
inline constexpr int64_t ppMaxBarCodeBitmapPixels = 64'000'000;
