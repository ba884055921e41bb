#pragma once
// Printables: what a band (or the report itself) prints. A printable is a control placed on a
// band that shows itself on the design surface and, during a run, draws itself on the report
// printer's canvas when its band asks it to. Its position and size live in native units in
// TLXPrintableSize; the control's pixel bounds follow from them and, when the control is moved
// or resized, flow back into them.
//
// Run protocol: BeginPrinting (every printable, before a run) -> PrintAt(band origin) once per
// band print, again while Finished is false -> ControllerNotify -> EndPrinting.
#include <cstdint>
#include <memory>
#include <string>

#include "lxreport/LXUnits.h"
#include "platform/app/HeadlessControls.h"

class TLXPrintable;
class TLXPrintableEditor;
class TLXPrinter;

// A printable's position and size: Height, Left, Top, Width, native.
class TLXPrintableSize : public TLXUnitBase {
  DECLARE_CLASSINFO(TLXPrintableSize)
public:
  enum : size_t { HeightIndex, LeftIndex, TopIndex, WidthIndex };
  explicit TLXPrintableSize(TLXPrintable* Control = nullptr) : FControl(Control) {}

  TLXPrintable* Control() const { return FControl; }
  long double Height() const { return Value(HeightIndex); }
  long double Left() const { return Value(LeftIndex); }
  long double Top() const { return Value(TopIndex); }
  long double Width() const { return Value(WidthIndex); }
  // In Units; then applied to the control.
  void SetLength(size_t Index, long double V);
  void SetHeight(long double V) { SetLength(HeightIndex, V); }
  void SetLeft(long double V) { SetLength(LeftIndex, V); }
  void SetTop(long double V) { SetLength(TopIndex, V); }
  void SetWidth(long double V) { SetLength(WidthIndex, V); }
  // Native, not applied.
  void SetNative(size_t Index, long double V) { NativeRef(Index) = V; }
  // The control's bounds := these lengths in pixels.
  void ApplyToParent() override;

protected:
  std::span<long double> Lengths() override { return FLengths; }
  bool IsHorizontal(size_t Index) const override { return Index == LeftIndex || Index == WidthIndex; }

private:
  TLXPrintable* FControl;
  long double FLengths[4] = {20, 20, 20, 20};
};

// What EditorClass answers: the editor's class name and how to make one for a printable
// (null: an abstract editor, nothing to make).
struct TLXPrintableEditorClass {
  const char* Name = "";
  std::unique_ptr<TLXPrintableEditor> (*Create)(TLXPrintable* Printable) = nullptr;
};

class TLXPrintable : public THeadlessWinControl {
  DECLARE_CLASSINFO(TLXPrintable)
public:
  explicit TLXPrintable(TComponent* AOwner);
  ~TLXPrintable() override;

  // Enabled, or hidden: a hidden printable still prints.
  virtual bool IsOutputEnabled() const { return Enabled() || !Visible(); }
  virtual TLXPrintableEditorClass EditorClass() const;
  // With AlignToBand: left 0, at the band's right edge, or centred on the band.
  virtual void AlignToParent();
  // Before a run: Printing, and the report's printer to draw on. Descendants find fields,
  // compile expressions and register with a controller here.
  virtual void BeginPrinting();
  // Draws at (X + Size.Left, Y + Size.Top) of the page, X and Y the band's origin in tenths of
  // a millimetre. The base draws the frame; descendants draw their content first, and set
  // Finished to false when content is left for the next column or page.
  virtual void PrintAt(int32_t X, int32_t Y);
  // Code 0: the master record advances; 2: the band's bounds were applied (the base aligns).
  virtual void ControllerNotify(TComponent* Sender, int32_t Code);
  virtual void SetAlignment(TAlignment V);
  virtual void EndPrinting();

  TAlignment Alignment() const { return FAlignment; }
  bool AlignToBand() const { return FAlignToBand; }
  void SetAlignToBand(bool V);
  bool Aligning() const { return FAligning; }
  bool Printing() const { return FPrinting; }
  TCustomVexaRep* Report() const { return FReport; }
  bool Finished() const { return FFinished; }
  void SetFinished(bool V) { FFinished = V; }
  TLXPrinter* OutputPrinter() const { return FOutputPrinter; }
  TLXFrame* Frame() const { return FFrame.get(); }
  // Copies the frame's settings (the printable keeps its own frame).
  void SetFrame(const TLXFrame* V);
  TLXPrintableSize* Size() const { return FSize.get(); }
  int32_t Zoom() const { return FSize->Zoom(); }
  void SetZoom(int32_t Z);
  // Not painting its background on the design surface.
  bool Transparent() const { return !FOpaque; }
  void SetTransparent(bool V);
  int32_t StoredLeft() const { return FStoredLeft; }
  int32_t StoredTop() const { return FStoredTop; }
  int32_t StoredWidth() const { return FStoredWidth; }
  int32_t StoredHeight() const { return FStoredHeight; }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetParent(THeadlessWinControl* AParent) override;
  void Loaded() override;

protected:
  // The design surface: white (unless transparent), corner brackets, the frame at the zoom.
  void Paint() override;
  void PaintCorners();

private:
  void Attach(TCustomVexaRep* Report);
  TAlignment FAlignment = taLeftJustify;
  bool FAlignToBand = false;
  bool FAligning = false;
  std::unique_ptr<TLXFrame> FFrame;
  std::unique_ptr<TLXPrintableSize> FSize;
  bool FPrinting = false;
  TCustomVexaRep* FReport = nullptr;
  bool FFinished = true;
  TLXPrinter* FOutputPrinter = nullptr;
  int32_t FStoredLeft = 0, FStoredTop = 0, FStoredWidth = 0, FStoredHeight = 0;
  bool FOpaque = true;
};

// Base of the small editors the editing forms use on a printable. The Write... calls and
// EditControl have no meaning here (they raise ELXError "Abstract Error"): each printable's
// editor gives them.
class TLXPrintableEditor {
public:
  explicit TLXPrintableEditor(TLXPrintable* Printable) : FPrintable(Printable) {}
  virtual ~TLXPrintableEditor() = default;
  TLXPrintableEditor(const TLXPrintableEditor&) = delete;
  TLXPrintableEditor& operator=(const TLXPrintableEditor&) = delete;

  TLXPrintable* Printable() const { return FPrintable; }
  virtual TColor ReadColor() const { return 0; }
  virtual const TFont* ReadFont() const { return nullptr; }
  virtual const TClassInfo& ControlClass() const { return TLXPrintable::StaticClassInfo(); }
  virtual std::string ReadValue() const { return {}; }
  // Name of the tool glyph resource and the display name of the control kind.
  virtual std::string GlyphResource() const { return {}; }
  virtual std::string ControlTitle() const { return {}; }
  virtual TAlignment ReadAlignment() const { return taLeftJustify; }
  virtual void WriteAlignment(TAlignment) {}
  virtual void WriteColor(TColor);
  virtual void WriteFont(const TFont*);
  virtual void WriteValue(const std::string&);
  // Opens the editing dialog; answers whether it was accepted.
  virtual bool EditControl();

private:
  TLXPrintable* FPrintable;
};

// The control as a printable, or null: dynamic_cast, with the answer for the last few classes
// remembered (a band asks it of each of its controls for every record).
TLXPrintable* PrintableOf(THeadlessControl* Control);

// The editor class of T (made with a printable).
template <class T>
TLXPrintableEditorClass LXEditorClassOf(const char* Name) {
  return {Name, [](TLXPrintable* P) -> std::unique_ptr<TLXPrintableEditor> { return std::make_unique<T>(P); }};
}
