#pragma once
// Lengths of the band report engine. Every length is kept "native", in tenths of a
// millimetre as an 80-bit float, and read or written in the report's Units. TLXUnitBase holds
// the conversion; the page setup (TLXPage), a band's size (TLXBandSize) and a printable's
// position and size (TLXPrintableSize, LXPrintable.h) push their lengths to their control's
// pixel bounds on the design surface. TLXFrame draws frame lines as filled strips.
//
// In a component stream each keeps its lengths as one defined property, "Values": a list of
// native floats (10-byte extended). The lengths are published too, in the report's units,
// but never written: only "Values" is, so reading never depends on the order of properties.
#include <cstdint>
#include <span>
#include <string>

#include "lxreport/LXPrinterSettings.h"
#include "platform/classes/Classes.h"
#include "platform/graphics/Canvas.h"
#include "platform/printing/Printers.h"

class TCustomVexaRep;
class TLXCustomBand;
class THeadlessControl;
class TReader;
class TWriter;

enum class TLXUnit : uint8_t { MM, Inches, Pixels, Characters, Native };
DEFINE_ENUM_INFO(TLXUnit, "MM", "Inches", "Pixels", "Characters", "Native")

// Whether new reports measure in inches (Letter paper, half-inch margins) rather than
// millimetres (A4, 10 mm margins). Set at start-up from the system's measurement setting;
// tests set it.
bool LocaleUsesInches();
void SetLocaleUsesInches(bool Value);
// What the C library's LC_MEASUREMENT category says for a locale name (empty: the one the
// environment gives): true when it measures in imperial units. A locale the system does not
// have is judged by its territory (US, Liberia and Myanmar measure in inches).
bool SystemMeasuresInInches(const std::string& LocaleName = {});

// The screen resolution the design surface is laid out at: the platform's (96, or
// MOR_SCREEN_PPI), unless set (tests; 0 goes back to the platform's).
int LXScreenPixelsPerInch();
void SetLXScreenPixelsPerInch(int Ppi);
// Text extent in Font on a measuring device at that resolution (no drawing).
TSize LXScreenTextExtent(const TFont& Font, const std::string& Text);

// Character units follow the report font's size in points.
long double CharactersPerCm(long double FontSize);
long double LinesPerCm(long double FontSize);

// A length in pixels as a control's bound: rounded (halves to even) and held within 32 bits.
int32_t RoundPixels(long double X);

// Native lengths a stream may carry: finite and at most this far from 0 (a kilometre).
constexpr long double MaxStoredLength = 1e7L;

class TLXUnitBase : public TPersistent {
  DECLARE_CLASSINFO(TLXUnitBase)
public:
  // Units by the locale, the design resolution, zoom 100.
  TLXUnitBase();

  // X (native) in Unit; the direction matters for pixels (zoomed) and characters.
  virtual long double FromNative(TLXUnit Unit, bool Horizontal, long double X) const;
  // X in Unit to native.
  virtual long double ToNative(TLXUnit Unit, bool Horizontal, long double X) const;
  virtual TLXUnit Units() const { return FUnits; }
  // Called by the owning control's Loaded: applies the lengths to it.
  virtual void AfterLoad() { ApplyToParent(); }
  // Pushes the lengths to the control's pixel bounds (nothing here).
  virtual void ApplyToParent() {}
  // Stores the units (the page also repaints its report).
  virtual void SetUnits(TLXUnit Value) { FUnits = Value; }
  // Units := Pixels, remembering the units; PopUnits gives them back. Not nestable.
  void PushPixels();
  void PopUnits() { FUnits = FSavedUnits; }
  void ZoomChanged() { ApplyToParent(); }

  int32_t Resolution() const { return FResolution; }
  void SetResolution(int32_t Ppi);
  TLXUnit SavedUnits() const { return FSavedUnits; }
  TCustomVexaRep* Report() const { return FReport; }
  void SetReport(TCustomVexaRep* Value) { FReport = Value; }
  // Set while the object applies its lengths to its control.
  bool Updating() const { return FUpdating; }
  int32_t Zoom() const { return FZoom; }
  // Percent; 0 and below are ignored.
  void SetZoom(int32_t Value);
  // "Values" was read from a stream (the stored lengths, not the control's bounds, place it).
  bool ValuesRead() const { return FValuesRead; }

  // The native lengths, in stored order.
  std::span<const long double> NativeLengths() const { return const_cast<TLXUnitBase*>(this)->Lengths(); }
  long double Native(size_t Index) const { return NativeLengths()[Index]; }
  // The length at Index in Units.
  long double Value(size_t Index) const { return FromNative(Units(), IsHorizontal(Index), Native(Index)); }

  void DefineProperties(TFiler* Filer) override;

protected:
  // "Values": a list of at most as many floats as there are lengths, in stored order. Fewer
  // leave the rest as they are; more, or a value that is not a sane length, raise EReadError
  // and change nothing.
  virtual void ReadStoredValues(TReader& Reader);
  virtual void WriteStoredValues(TWriter& Writer);
  // The lengths "Values" holds (none here) and the direction of each.
  virtual std::span<long double> Lengths() { return {}; }
  virtual bool IsHorizontal(size_t) const { return true; }
  long double& NativeRef(size_t Index) { return Lengths()[Index]; }
  // Runs F with Updating set (restored on every way out).
  template <class F>
  void Applying(F&& Fn) {
    TRestore<bool> Busy(FUpdating, true);
    Fn();
  }

private:
  int32_t FResolution;
  TLXUnit FUnits;
  TLXUnit FSavedUnits;
  TCustomVexaRep* FReport = nullptr;
  bool FUpdating = false;
  int32_t FZoom = 100;
  bool FValuesRead = false;
};

// A band's height ("Length", published as Height) and width, in native units.
class TLXBandSize : public TLXUnitBase {
  DECLARE_CLASSINFO(TLXBandSize)
public:
  enum : size_t { LengthIndex, WidthIndex };
  explicit TLXBandSize(TLXCustomBand* Band = nullptr) : FBand(Band) {}

  TLXCustomBand* Band() const { return FBand; }
  long double Height() const { return Value(LengthIndex); }
  long double Width() const { return Value(WidthIndex); }
  // In Units; then applied to the band.
  void SetHeight(long double V);
  void SetWidth(long double V);
  // Native, not applied.
  void SetNative(size_t Index, long double V) { NativeRef(Index) = V; }
  // The band's bounds := its left and top, and these lengths in pixels.
  void ApplyToParent() override;

protected:
  std::span<long double> Lengths() override { return FLengths; }
  bool IsHorizontal(size_t Index) const override { return Index == WidthIndex; }

private:
  TLXCustomBand* FBand;
  long double FLengths[2] = {20, 40};
};

// The report's paper, margins and columns.
class TLXPage : public TLXUnitBase {
  DECLARE_CLASSINFO(TLXPage)
public:
  // Stored order; the first three run vertically, the others horizontally.
  enum : size_t {
    BottomMarginIndex, LengthIndex, TopMarginIndex, WidthIndex, LeftMarginIndex, RightMarginIndex,
    ColumnSpaceIndex
  };
  // A4 in millimetres with 10 mm margins, or Letter in inches with half-inch margins when the
  // locale measures in inches.
  explicit TLXPage(TCustomVexaRep* Report = nullptr);

  long double BottomMargin() const { return Value(BottomMarginIndex); }
  long double Length() const { return Value(LengthIndex); }
  long double TopMargin() const { return Value(TopMarginIndex); }
  long double Width() const { return Value(WidthIndex); }
  long double LeftMargin() const { return Value(LeftMarginIndex); }
  long double RightMargin() const { return Value(RightMarginIndex); }
  long double ColumnSpace() const { return Value(ColumnSpaceIndex); }
  // In Units. Length and Width change only while PaperSize is Custom. Every change that moves
  // the bands lays them out again.
  void SetLength(size_t Index, long double V);
  void SetBottomMargin(long double V) { SetLength(BottomMarginIndex, V); }
  void SetPageLength(long double V) { SetLength(LengthIndex, V); }
  void SetTopMargin(long double V) { SetLength(TopMarginIndex, V); }
  void SetWidth(long double V) { SetLength(WidthIndex, V); }
  void SetLeftMargin(long double V) { SetLength(LeftMarginIndex, V); }
  void SetRightMargin(long double V) { SetLength(RightMarginIndex, V); }
  void SetColumnSpace(long double V) { SetLength(ColumnSpaceIndex, V); }
  // Native, not applied (a run's temporary margins).
  void SetNative(size_t Index, long double V) { NativeRef(Index) = V; }

  int32_t Columns() const { return FColumns; }
  // Ignored when 0 or less.
  void SetColumns(int32_t V);
  TPrinterOrientation Orientation() const { return FOrientation; }
  // Applies the paper's table size again in the new orientation.
  void SetOrientation(TPrinterOrientation V);
  TLXPaperSize PaperSize() const { return FPaperSize; }
  // A named paper takes its size from the table (turned for landscape); Default and Custom
  // keep the lengths.
  void SetPaperSize(TLXPaperSize V);
  bool Ruler() const { return FRuler; }
  void SetRuler(bool V);

  void SetUnits(TLXUnit Value) override;
  // The report control's width and height := the paper in pixels.
  void ApplyToParent() override;
  // The paper takes the report control's size (a Custom paper resized on the design surface).
  void TakeControlSize(int Width, int Height);

protected:
  void ReadStoredValues(TReader& Reader) override;
  std::span<long double> Lengths() override { return FLengths; }
  bool IsHorizontal(size_t Index) const override { return Index >= WidthIndex; }

private:
  void Repaint() const;
  void Relayout() const;
  long double FLengths[7] = {};
  int32_t FColumns = 1;
  TPrinterOrientation FOrientation = poPortrait;
  TLXPaperSize FPaperSize = TLXPaperSize::Default;
  bool FRuler = true;
};

// The frame lines of a report, band or printable.
class TLXFrame : public TPersistent {
  DECLARE_CLASSINFO(TLXFrame)
public:
  // Control: repainted when a property changes (may be null).
  explicit TLXFrame(THeadlessControl* Control = nullptr) : FControl(Control) {}
  void Assign(const TPersistent* Source) override;

  THeadlessControl* Control() const { return FControl; }
  TColor Color() const { return FColor; }
  void SetColor(TColor V);
  bool DrawTop() const { return FDrawTop; }
  void SetDrawTop(bool V);
  bool DrawBottom() const { return FDrawBottom; }
  void SetDrawBottom(bool V);
  bool DrawLeft() const { return FDrawLeft; }
  void SetDrawLeft(bool V);
  bool DrawRight() const { return FDrawRight; }
  void SetDrawRight(bool V);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle V);
  // Line width in points (1/72 inch); -1 is always one device pixel.
  int32_t Width() const { return FWidth; }
  void SetWidth(int32_t V);

  bool HasAnySide() const { return FDrawTop || FDrawBottom || FDrawLeft || FDrawRight; }
  // Width 1, the frame's style and colour.
  void ApplyPen(TPen& Pen) const;
  // Fills a strip inside R for each side drawn, as thick as Width at XFactor and YFactor
  // (device pixels per tenth of a millimetre): the thickness scales with the device.
  void DrawOn(TCanvas& Canvas, const TRect& R, long double XFactor, long double YFactor) const;

private:
  void Changed() const;
  THeadlessControl* FControl;
  TColor FColor = clBlack;
  bool FDrawTop = false, FDrawBottom = false, FDrawLeft = false, FDrawRight = false;
  TPenStyle FStyle = psSolid;
  int32_t FWidth = 1;
};
