#pragma once
// Rich text on pages: the hidden rich edit the rich text components keep their content in, the
// engine that measures and draws character ranges of it on a device, and the draw command that
// carries a component's whole RTF with the range of one page and draws that range itself on the
// printer and the screen.
//
// Every engine call holds RichTextLock() (re-entrant), so generation on a worker thread and the
// screen drawing on the main thread never interleave inside one edit.
#include <cstdint>
#include <memory>

#include "platform/classes/Streams.h"
#include "platform/richtext/RichEdit.h"
#include "ppreport/core/ppDrwCmd.h"

class TCanvas;
class TDeviceContext;
class TppRasterDevice;

// The rich edit of report components. Text search always runs forward.
class TppRichEdit : public TRichEdit {
public:
  virtual ~TppRichEdit() = default;
};

// A throw-away or component-owned rich edit (no window here, so "hidden" is what every edit is).
std::unique_ptr<TppRichEdit> CreateRichEdit();

// A character range, both ends inclusive, 0-based.
struct TppCharRange {
  int First = 0;
  int Last = -1;
};

class TppRTFEngine {
public:
  // Lays the range out into Rect (pixels of Dc; its left edge gets 45 twips more) and draws it
  // when Render is set. Answers the first character that did not fit. TargetDc null: Dc.
  static int FormatRange(TppRichEdit& Edit, TDeviceContext& Dc, bool Render, TppCharRange Range, const TRect& Rect,
                         const TDeviceContext* TargetDc = nullptr);
  static int DrawRange(TppRichEdit& Edit, TDeviceContext& Dc, TppCharRange Range, const TRect& Rect,
                       const TDeviceContext* TargetDc = nullptr) {
    return FormatRange(Edit, Dc, true, Range, Rect, TargetDc);
  }
  // True when the whole range fits Rect (a range whose only left-over is its closing paragraph
  // mark fits). Height gets the pixels used (the whole rectangle when it does not fit); LastChar
  // the last character that fitted (-1 when not even the first line did).
  static bool FitRange(TppRichEdit& Edit, TDeviceContext& Dc, int& Height, int& LastChar, const TRect& Rect,
                       TppCharRange Range);
  // Pixels of Dc from the rectangle's top to the bottom of the range's last line.
  static int CalcUsedHeight(TppRichEdit& Edit, TDeviceContext& Dc, const TRect& Rect, TppCharRange Range);
  // Pixels of Dc of the range's largest font size.
  static int CalcLineHeight(TppRichEdit& Edit, TDeviceContext& Dc, const TRect& Rect, TppCharRange Range);
  // Gives the selection the background Color; answers the background it had as RGB. Flag is false
  // when the text had no background and a colour other than black or white.
  static TColorRef SetSelectionBackColor(TppRichEdit& Edit, TColor Color, bool& Flag);
};

// One page's share of a rich text, as the rich text components split their content: the range
// drawn here (both -1 when nothing is) and where the next page begins (-1 when all is placed).
// Ranges of successive pages join without gap or overlap, from 0 to Length - 1.
struct TppRichTextPageFit {
  int StartCharPos = -1, EndCharPos = -1;
  int NextStart = -1;
  int Height = 0;  // pixels of the device used
  bool KeptTogether = false;
};
// Places the text from Start into Rect (device pixels). A first line that does not fit moves to the
// next page, unless the page is empty: there it is placed all the same (Height is then the line's, which
// may pass the rectangle), so no text ever vanishes and no page repeats. With KeepTogether the text
// moves whole to the next page when it does not fit.
TppRichTextPageFit ppFitRichTextPage(TppRichEdit& Edit, TDeviceContext& Dc, const TRect& Rect, int Start,
                                     bool PageEmpty, bool KeepTogether);

class TppDrawRichText : public TppDrawCommand {
  DECLARE_CLASSINFO(TppDrawRichText)
public:
  explicit TppDrawRichText(TComponent* AOwner);
  ~TppDrawRichText() override;
  TppDataType DefaultDataType() const override { return dtBLOB; }

  // ---- published
  TColor Color() const { return FColor; }
  void SetColor(TColor V) { FColor = V; }
  int32_t StartCharPos() const { return FStartCharPos; }
  void SetStartCharPos(int32_t V) { FStartCharPos = V; }
  int32_t EndCharPos() const { return FEndCharPos; }
  void SetEndCharPos(int32_t V) { FEndCharPos = V; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool V) { FTransparent = V; }
  // The component's whole RTF (every page carries all of it).
  TMemoryStream& RichTextStream() { return FRichTextStream; }
  const TMemoryStream& RichTextStream() const { return FRichTextStream; }

  // Draws the range on the printer or the screen device; false on any other device.
  void Draw(TppDevice* Device) override;
  bool DrawOnDevice(TppDevice* Device);
  bool IsEqual(const TppDrawCommand& Other) const override;
  using TppDrawCommand::Assign;
  void Assign(const TPersistent* Source) override;
  // "RTFStream": a 32-bit length and that many bytes of RTF, always written.
  void DefineProperties(TFiler* Filer) override;

private:
  bool DrawOnPrinter(TppRasterDevice& Device, TppRichEdit& Edit);
  bool DrawOnScreen(TppRasterDevice& Device, TppRichEdit& Edit);

  TColor FColor = 0;
  int32_t FStartCharPos = -1, FEndCharPos = -1;
  bool FTransparent = false;
  TMemoryStream FRichTextStream;
};
