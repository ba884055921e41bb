#pragma once
// Text printables. TLXCustomLabel lays its text out into lines that fit its width (word wrap),
// draws them on the design surface and prints them line by line on the report printer's
// canvas, asking its band to stretch when the lines do not fit and going on at the next page
// when the band cannot stretch further. TLXLabel is the published static text.
//
// Lines are measured in the unit they are compared with: screen pixels of the control at
// design time, device pixels of the printer's canvas (in the printer's font) during a run, so
// a printed line never overruns the printed box.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lxreport/LXPrintable.h"
#include "platform/classes/StringList.h"

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
DEFINE_ENUM_INFO(TBiDiMode, "bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly")

// May change the text printed this once.
using TLXLabelOnPrintEvent = TEvent<void(TObject* Sender, std::string& Value)>;

class TLXCustomLabel : public TLXPrintable {
  DECLARE_CLASSINFO(TLXCustomLabel)
public:
  explicit TLXCustomLabel(TComponent* AOwner);
  ~TLXCustomLabel() override;

  const std::string& Caption() const { return FCaption; }
  // PrintText takes it too; the lines are laid out again.
  void SetCaption(const std::string& V);
  // The text laid out and printed: Caption, or the value of one print.
  const std::string& PrintText() const { return FPrintText; }
  void SetPrintText(const std::string& V) { FPrintText = V; }
  // The width follows the longest line and no line is wrapped. Setting it lays nothing out.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool V) { FAutoSize = V; }
  bool AutoStretch() const { return FAutoStretch; }
  void SetAutoStretch(bool V);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool V);
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode V);
  // Headless parents read left to right: with ParentBiDiMode the label does too.
  bool ParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool V);
  bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
  bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
  // Alignment mirrored for right-to-left alignment.
  TAlignment EffectiveAlignment() const;

  TLXLabelOnPrintEvent OnPrint;

  TStringList* SourceLines() const { return FSourceLines.get(); }
  const std::vector<std::string>& WrappedLines() const { return FWrappedLines; }
  int32_t NextLine() const { return FNextLine; }

  virtual bool IsCaptionBased() const { return FCaptionBased; }
  // Fills WrappedLines from PrintText; with AutoSize the width (and the left edge, for right
  // and centre alignment) follows the longest line. Nothing without a parent.
  virtual void LayoutLines();
  virtual void ReadFontSize(TReader& Reader);
  virtual void WriteFontSize(TWriter& Writer);

  void BeginPrinting() override;
  void PrintAt(int32_t X, int32_t Y) override;
  void SetAlignment(TAlignment V) override;
  void EndPrinting() override;
  void SetName(const std::string& NewName) override;
  void SetParent(THeadlessWinControl* AParent) override;
  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;

protected:
  // Width of Text in the unit of LayoutWidth (see the file comment).
  virtual int32_t MeasureLine(const std::string& Text);
  // One text line's height in the same unit.
  virtual int32_t TextLineHeight();
  int32_t LayoutWidth() const;
  // A run measures on the printer's canvas.
  bool MeasuresOnPrinter() const;
  // Gives the canvas the label's font. An equal font is left as it is: setting one makes the
  // canvas select it again before its next call.
  void UseFont(TCanvas& C) const;
  void Paint() override;
  void FontChanged() override;
  // The lines on the design surface, inside R.
  void DrawLines(const TRect& R, int32_t LineHeight);

private:
  void LayoutFromCaption();
  void PlaceSourceLine(std::string Line);
  void PlaceWord(std::string Word);
  void CommitLine();
  // Sets the width (and left) in the layout's unit.
  void AdjustBounds(int32_t NewLeftShift, int32_t NewWidth, bool RaiseHeight, int32_t MinHeight);
  // LinePixels: the printer canvas's line height in the label's font.
  void PrintLines(long double Left, long double Top, long double Width, long double Height, int32_t LinePixels);

  std::string FCaption;
  std::string FPrintText;
  bool FAutoSize = true;
  bool FAutoStretch = false;
  bool FWordWrap = true;
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FParentBiDiMode = true;
  std::unique_ptr<TStringList> FSourceLines;
  std::vector<std::string> FWrappedLines;
  std::string FLine;  // the line being built
  bool FStop = false;
  int32_t FNextLine = 0;
  bool FAdjustingBounds = false;
  int32_t FStoredFontSize = 0;
  // While a print lays its lines out: the line height it measured, which TextLineHeight answers.
  int32_t FPrintLineHeight = -1;
  bool FCaptionBased = true;
};

// The properties TLXLabel and TLXExpr both publish.
template <class T>
TClassDef<T>& LXPublishTextProps(TClassDef<T>& D) {
  return D.Prop("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify)
      .Prop("AlignToBand", &T::AlignToBand, &T::SetAlignToBand).Default(0)
      .Prop("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(1)
      .Prop("AutoStretch", &T::AutoStretch, &T::SetAutoStretch).Default(0)
      .Prop("BiDiMode", &T::BiDiMode, &T::SetBiDiMode).Default(bdLeftToRight)
      .Prop("ParentBiDiMode", &T::ParentBiDiMode, &T::SetParentBiDiMode).Default(1)
      .Prop("Color", &T::Color, &T::SetColor).Default(clWhite)
      .Prop("Font", [](const T& L) { return const_cast<TFont*>(L.Font()); }, [](T& L, TFont* F) { L.SetFont(F); })
      .Stored([](const T& L) { return !L.ParentFont(); })
      .Event("OnPrint", &T::OnPrint)
      .Prop("ParentFont", &T::ParentFont, &T::SetParentFont).Default(1)
      .Prop("Transparent", &T::Transparent, &T::SetTransparent).Default(0)
      .Prop("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(1);
}

class TLXLabel : public TLXCustomLabel {
  DECLARE_CLASSINFO(TLXLabel)
public:
  using TLXCustomLabel::TLXCustomLabel;
  TLXPrintableEditorClass EditorClass() const override;
};
