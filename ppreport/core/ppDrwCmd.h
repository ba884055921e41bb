#pragma once
// Draw commands: the device-independent pieces a generated page is made of, positioned in
// thousandths of a millimetre. Printables create them, a page (ppPage.h) owns them, devices draw
// them. A page is plain data: it can be drawn, cached or archived after the report that made it has
// changed or gone. The two references back to the report (the text component that made a command
// and the click handler's object) are cleared when that component is freed.
//
// Some commands carry a value known only later (page counts, look-ahead totals): IsUpdateable says
// so, IsUpdatePending brings the value up to date.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/classes/StringList.h"
#include "platform/graphics/Canvas.h"
#include "ppreport/core/ppGraphicTypes.h"
#include "ppreport/core/ppGraphics.h"
#include "ppreport/core/ppRelatv.h"

class TppDevice;
class TppDrawCommand;
class TppPage;

// A click handler bound to an object: the object it belongs to (its free notice clears the handler)
// and the code, called with the command.
struct TppDrawCommandClick {
  TComponent* Target = nullptr;
  std::function<void(TppDrawCommand* aDrawCommand)> Code;
  explicit operator bool() const { return static_cast<bool>(Code); }
};

class TppDrawCommand : public TppRelative {
  DECLARE_CLASSINFO(TppDrawCommand)
public:
  explicit TppDrawCommand(TComponent* AOwner);
  ~TppDrawCommand() override;

  // ---- published
  int32_t Left() const { return FLeft; }
  void SetLeft(int32_t V) { FLeft = V; }
  int32_t Top() const { return FTop; }
  void SetTop(int32_t V) { FTop = V; }
  int32_t Width() const { return FWidth; }
  void SetWidth(int32_t V) { FWidth = V; }
  int32_t Height() const { return FHeight; }
  void SetHeight(int32_t V) { FHeight = V; }
  TppBorder* Border() const { return FBorder.get(); }
  void SetBorder(const TppBorder* Value);  // copies; null ignored
  bool Clickable() const { return FClickable; }
  void SetClickable(bool V) { FClickable = V; }
  TppDataType DataType() const { return FDataType; }
  void SetDataType(TppDataType V) { FDataType = V; }
  // dtString here, dtGraphic for shapes, lines and images (written to streams only when different).
  virtual TppDataType DefaultDataType() const { return dtString; }

  // ---- the rest
  // Device pixels, stored by the device that drew the command last.
  TRect GetDrawRect() const { return FDrawRect; }
  void SetDrawRect(const TRect& R) { FDrawRect = R; }
  // The printable area of the page definition the command was made for.
  TRect PageRect() const { return FPageRect; }
  void SetPageRect(const TRect& R) { FPageRect = R; }
  bool RedrawPage() const { return FRedrawPage; }
  void SetRedrawPage(bool V) { FRedrawPage = V; }
  // The drill-down instance the command was made for (a sub-report's expansion key).
  const std::string& ExpansionKey() const { return FExpansionKey; }
  void SetExpansionKey(const std::string& V) { FExpansionKey = V; }

  const TppDrawCommandClick& OnDrawCommandClick() const { return FClick; }
  // Target is the handler's object: when it is freed, the handler is dropped.
  void SetOnDrawCommandClick(TComponent* Target, std::function<void(TppDrawCommand*)> Code);
  void SetOnDrawCommandClick(const TppDrawCommandClick& Click) { SetOnDrawCommandClick(Click.Target, Click.Code); }
  void DoDrawCommandClick();

  // The printable that made the command and its band; both cleared when they are freed.
  TComponent* Component() const { return FComponent; }
  void SetComponent(TComponent* Value) { ChangeReference(FComponent, Value); }
  TComponent* Band() const { return FBand; }
  void SetBand(TComponent* Value) { ChangeReference(FBand, Value); }

  // The page holding the command (which owns it), or null.
  TppPage* Page() const { return FPage; }
  // Leaves its page and joins Page (null: none). EOutlineError from Page leaves the command on no page.
  void SetPage(TppPage* Page);
  // A draw command's tree parent is its page: other parents are refused quietly.
  void SetParent(TppRelative* NewParent) override;

  // ---- the virtual operations
  // The device's RenderDrawCommand with this command.
  virtual void Draw(TppDevice* Device);
  // Content comparison; Other is of the same class (see the classes).
  virtual bool IsEqual(const TppDrawCommand& Other) const;
  virtual bool IsUpdateable() const { return false; }
  // Brings a late value up to date where the class can; True when a device must draw it again.
  virtual bool IsUpdatePending() { return false; }

  using TPersistent::Assign;
  // From a draw command (else the class library's error): position and size, Clickable, DataType,
  // DrawRect, the click handler, Tag, Border and the expansion key; the classes copy their own fields from one of
  // their own class. Page, PageRect and RedrawPage stay.
  void Assign(const TPersistent* Source) override;

protected:
  void Destroying() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Keeps a free-notice link to the component a field refers to; drops the link of the old one
  // unless another field still refers to it.
  void ChangeReference(TComponent*& Field, TComponent* Value);
  // A reference field of a descendant (the text component) was cleared by a free notice.
  virtual void ReferenceFreed(TComponent* AComponent);

private:
  friend class TppPage;
  // The page's end of SetPage: the tree link and the page field, no bookkeeping.
  void LinkPage(TppPage* Page);
  bool Refers(const TComponent* C) const;

  int32_t FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  std::unique_ptr<TppBorder> FBorder;
  bool FClickable = false;
  TppDataType FDataType = dtString;
  TRect FDrawRect{};
  TRect FPageRect{};
  bool FRedrawPage = false;
  std::string FExpansionKey;
  TppDrawCommandClick FClick;
  TppPage* FPage = nullptr;
  bool FLinking = false;  // SetPage is re-linking the tree parent

protected:
  // The component a text command was made by (descendants), kept here with the click target so
  // that both share one free-notice link.
  TComponent* FComponent = nullptr;
  TComponent* FBand = nullptr;
};

// ---- text

class TppDrawText : public TppDrawCommand {
  DECLARE_CLASSINFO(TppDrawText)
public:
  explicit TppDrawText(TComponent* AOwner);
  ~TppDrawText() override;

  const std::string& Text() const { return FText; }
  void SetText(const std::string& V) { FText = V; }
  TppFont* Font() const { return FFont.get(); }
  void SetFont(const TFont* V);  // copies
  TColor Color() const { return FColor; }
  void SetColor(TColor V) { FColor = V; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool V) { FTransparent = V; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool V) { FAutoSize = V; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool V) { FWordWrap = V; }
  // Both lists are made when first asked for: most texts have neither.
  TStringList* WrappedText() const { return List(FWrappedText); }
  void SetWrappedText(const TStrings* V);  // copies
  TStringList* TabStopPositions() const { return List(FTabStopPositions); }
  void SetTabStopPositions(const TStrings* V);  // copies
  int Angle() const { return FAngle; }
  void SetAngle(int V) { FAngle = V; }
  int Leading() const { return FLeading; }
  void SetLeading(int V) { FLeading = V; }
  bool IsMemo() const { return FIsMemo; }
  void SetIsMemo(bool V) { FIsMemo = V; }
  TppTextAlignment TextAlignment() const { return FTextAlignment; }
  // Alignment follows: right, centre, and left for the others (full justification included).
  void SetTextAlignment(TppTextAlignment Value);
  bool ForceJustifyLastLine() const { return FForceJustifyLastLine; }
  void SetForceJustifyLastLine(bool V) { FForceJustifyLastLine = V; }
  bool BandSave() const { return FBandSave; }
  void SetBandSave(bool V) { FBandSave = V; }
  int BandSaveNo() const { return FBandSaveNo; }
  void SetBandSaveNo(int V) { FBandSaveNo = V; }
  bool ComponentSave() const { return FComponentSave; }
  void SetComponentSave(bool V) { FComponentSave = V; }
  int ComponentSaveNo() const { return FComponentSaveNo; }
  void SetComponentSaveNo(int V) { FComponentSaveNo = V; }
  int SaveLength() const { return FSaveLength; }
  void SetSaveLength(int V) { FSaveLength = V; }
  // Where the screen device laid the text out when it drew it last (0 until then), for the text
  // search's highlights: the font height in pixels, one line's height and the text's width in microns.
  int32_t LayoutFontHeight() const { return FLayoutFontHeight; }
  void SetLayoutFontHeight(int32_t V) { FLayoutFontHeight = V; }
  int32_t LayoutLineHeight() const { return FLayoutLineHeight; }
  void SetLayoutLineHeight(int32_t V) { FLayoutLineHeight = V; }
  int32_t LayoutTextWidth() const { return FLayoutTextWidth; }
  void SetLayoutTextWidth(int32_t V) { FLayoutTextWidth = V; }

  TAlignment Alignment() const { return FAlignment; }
  // TextAlignment follows: taLeftJustified, taRightJustified or taCentered.
  void SetAlignment(TAlignment Value);
  int RotatedOriginLeft() const { return FRotatedOriginLeft; }
  void SetRotatedOriginLeft(int V) { FRotatedOriginLeft = V; }
  int RotatedOriginTop() const { return FRotatedOriginTop; }
  void SetRotatedOriginTop(int V) { FRotatedOriginTop = V; }
  // The text component that made the command; null once that component is freed.

  // Format("%8d", BandSaveNo) followed by Format("%8d", ComponentSaveNo): the order of saved texts.
  std::string GetSaveOrderKey() const;

  bool IsEqual(const TppDrawCommand& Other) const override;
  using TppDrawCommand::Assign;
  void Assign(const TPersistent* Source) override;
  // "Alignment" of older streams (read only) and the rotated origin (written only with an angle).
  void DefineProperties(TFiler* Filer) override;

private:
  static TStringList* List(std::unique_ptr<TStringList>& L) {
    if (!L) L = std::make_unique<TStringList>();
    return L.get();
  }
  static void CopyList(std::unique_ptr<TStringList>& L, const std::unique_ptr<TStringList>& Source);
  static std::string ListText(const std::unique_ptr<TStringList>& L) { return L ? L->Text() : std::string(); }

  std::string FText;
  std::unique_ptr<TppFont> FFont;
  TColor FColor = clWhite;
  bool FTransparent = false, FAutoSize = false, FWordWrap = false;
  mutable std::unique_ptr<TStringList> FWrappedText, FTabStopPositions;
  int FAngle = 0, FLeading = 0;
  bool FIsMemo = false;
  TppTextAlignment FTextAlignment = taLeftJustified;
  bool FForceJustifyLastLine = false;
  bool FBandSave = false, FComponentSave = false;
  int FBandSaveNo = 0, FComponentSaveNo = 0, FSaveLength = 0;
  int32_t FLayoutFontHeight = 0, FLayoutLineHeight = 0, FLayoutTextWidth = 0;
  TAlignment FAlignment = taLeftJustify;
  int FRotatedOriginLeft = 0, FRotatedOriginTop = 0;
};

// A text whose value may come later: a look-ahead total broadcast by the look-ahead list (event
// ciLookAheadValue with "aLookAheadKey", "aTraversalCount", "aText").
class TppDrawVariable : public TppDrawText {
  DECLARE_CLASSINFO(TppDrawVariable)
public:
  explicit TppDrawVariable(TComponent* AOwner);
  ~TppDrawVariable() override;

  bool LookAhead() const { return FListener != nullptr; }
  // On: a listener that hears the look-ahead values only. Off: the listener goes.
  void SetLookAhead(bool Value);
  const std::string& LookAheadKey() const { return FLookAheadKey; }
  void SetLookAheadKey(const std::string& V) { FLookAheadKey = V; }
  int TraversalCount() const { return FTraversalCount; }
  void SetTraversalCount(int V) { FTraversalCount = V; }
  // The communicator the look-ahead list adds to its owner's listeners (null while not looking ahead).
  TppCommunicator* Listener() const { return FListener; }

  bool IsUpdateable() const override { return LookAhead(); }
  // Still listening: a value for another key has not arrived yet.
  bool IsUpdatePending() override;
  using TppDrawText::Assign;
  // Also the key and the look-ahead; the copy listens to the same senders. TraversalCount stays.
  void Assign(const TPersistent* Source) override;

protected:
  void Destroying() override;

private:
  void ValueArrived(TraParamList* Params);
  TppCommunicator* FListener = nullptr;  // owned
  std::string FLookAheadKey;
  int FTraversalCount = 0;
};

// A system variable: its page-number kinds are filled in from the page when it is drawn.
class TppDrawVar : public TppDrawText {
  DECLARE_CLASSINFO(TppDrawVar)
public:
  explicit TppDrawVar(TComponent* AOwner);
  TppVarType VarType() const { return FVarType; }
  void SetVarType(TppVarType V) { FVarType = V; }

  // Dates and times are equal to any other date or time variable, wherever they stand.
  bool IsEqual(const TppDrawCommand& Other) const override;
  bool IsUpdateable() const override;
  // The page number or count from the page (through the component's display format while the
  // component exists), else the system-variable text of a page kind.
  bool IsUpdatePending() override;
  using TppDrawText::Assign;
  void Assign(const TPersistent* Source) override;

private:
  TppVarType FVarType = vtDate;
};

// The older calculation control's command.
class TppDrawCalc : public TppDrawText {
  DECLARE_CLASSINFO(TppDrawCalc)
public:
  explicit TppDrawCalc(TComponent* AOwner);
  TppCalcType CalcType() const { return FCalcType; }
  void SetCalcType(TppCalcType V) { FCalcType = V; }

  bool IsUpdateable() const override { return true; }
  // The page count and page sets from the page.
  bool IsUpdatePending() override;
  using TppDrawText::Assign;
  void Assign(const TPersistent* Source) override;

private:
  TppCalcType FCalcType = ctDate;
};

// ---- graphics

class TppDrawShape : public TppDrawCommand {
  DECLARE_CLASSINFO(TppDrawShape)
public:
  explicit TppDrawShape(TComponent* AOwner);
  TppDataType DefaultDataType() const override { return dtGraphic; }
  TShapeType ShapeType() const { return FShapeType; }
  void SetShapeType(TShapeType V) { FShapeType = V; }
  TppBrush* Brush() const { return FBrush.get(); }
  void SetBrush(const TBrush* V);  // copies
  TppPen* Pen() const { return FPen.get(); }
  void SetPen(const TPen* V);  // copies
  int XCornerRound() const { return FXCornerRound; }
  void SetXCornerRound(int V) { FXCornerRound = V; }
  int YCornerRound() const { return FYCornerRound; }
  void SetYCornerRound(int V) { FYCornerRound = V; }

  bool IsEqual(const TppDrawCommand& Other) const override;
  using TppDrawCommand::Assign;
  void Assign(const TPersistent* Source) override;

private:
  TShapeType FShapeType = stRectangle;
  std::unique_ptr<TppBrush> FBrush;
  std::unique_ptr<TppPen> FPen;
  int FXCornerRound = 0, FYCornerRound = 0;
};

class TppDrawLine : public TppDrawCommand {
  DECLARE_CLASSINFO(TppDrawLine)
public:
  explicit TppDrawLine(TComponent* AOwner);
  TppDataType DefaultDataType() const override { return dtGraphic; }
  TppLinePositionType LinePosition() const { return FLinePosition; }
  void SetLinePosition(TppLinePositionType V) { FLinePosition = V; }
  TppLineStyleType LineStyle() const { return FLineStyle; }
  void SetLineStyle(TppLineStyleType V) { FLineStyle = V; }
  TppPen* Pen() const { return FPen.get(); }
  void SetPen(const TPen* V);  // copies
  float Weight() const { return FWeight; }
  void SetWeight(float V) { FWeight = V; }

  bool IsEqual(const TppDrawCommand& Other) const override;
  using TppDrawCommand::Assign;
  void Assign(const TPersistent* Source) override;

private:
  TppLinePositionType FLinePosition = lpTop;
  TppLineStyleType FLineStyle = lsSingle;
  std::unique_ptr<TppPen> FPen;
  float FWeight = 0;
};

class TppDrawImage : public TppDrawCommand {
  DECLARE_CLASSINFO(TppDrawImage)
public:
  explicit TppDrawImage(TComponent* AOwner);
  ~TppDrawImage() override;
  TppDataType DefaultDataType() const override { return dtGraphic; }
  TppPicture* Picture() const { return FPicture.get(); }
  void SetPicture(const TppPicture* V);  // copies
  void SetPicture(const TPicture& V);
  bool Center() const { return FCenter; }
  void SetCenter(bool V) { FCenter = V; }
  bool MaintainAspectRatio() const { return FMaintainAspectRatio; }
  void SetMaintainAspectRatio(bool V) { FMaintainAspectRatio = V; }
  bool Scale() const { return FScale; }
  void SetScale(bool V) { FScale = V; }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool V) { FStretch = V; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool V) { FTransparent = V; }
  bool DirectDraw() const { return FDirectDraw; }
  void SetDirectDraw(bool V) { FDirectDraw = V; }
  const std::string& ImageName() const { return FImageName; }
  void SetImageName(const std::string& V) { FImageName = V; }

  // Null for a metafile, an icon or no picture; the picture's own bitmap; for any other graphic a
  // bitmap drawn from it once and kept (null when the graphic cannot be drawn). Never raises.
  TBitmap* GetAsBitmap();

  using TppDrawCommand::Assign;
  void Assign(const TPersistent* Source) override;

private:
  std::unique_ptr<TppPicture> FPicture;
  std::unique_ptr<TBitmap> FBitmap;  // the cached conversion
  bool FCenter = false, FMaintainAspectRatio = false, FScale = false, FStretch = false;
  bool FTransparent = false, FDirectDraw = false;
  std::string FImageName;
};

// ---- routines

// The largest image GetAsBitmap converts (pixels), and the largest font height in pixels.
inline constexpr int64_t ppMaxImageConversionPixels = 100'000'000;
inline constexpr int ppMaxFontHeight = 1'000'000;

// Microns to inches (the unit conversion, horizontally, without a printer).
double MicronsToInches(int32_t Value);
// The font of Font at Angle degrees: height -Round(size x pixels per inch / 72) (within
// ppMaxFontHeight), escapement and orientation Angle x 10 (Angle taken modulo 360), the default character set, weight 700 when bold, italic, underline and
// strike-out from the style, at most 31 characters of the face name.
TLogFont CreateRotatedFont(const TFont& Font, int Angle);
// Writes Text at (X, Y) at Angle degrees with a clear brush; the canvas's brush style and font come
// back afterwards, also when drawing fails.
void TextOutRotated(TCanvas& Canvas, const TFont& Font, int X, int Y, const std::string& Text, int Angle);
