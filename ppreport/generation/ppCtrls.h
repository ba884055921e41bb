#pragma once
// The printable controls that do not stretch, and the single-box texts among them.
//
// TppCustomComponent places a control on the page being generated (below a growing band or region
// when it shifts with its parent, stretched down to its parent's position when it stretches with
// it) and says whether it fits. TppCustomText adds the text a box prints: display format, the
// OnGetText hook, auto-sizing measured where the text will print (the report printer's canvas, or
// a screen-resolution bitmap without one), rotation, word and character wrapping, the band's save
// list and the groups that break on its text. TppLabel is the plain caption.
//
// Lengths are thousandths of a millimetre; PageRect (the printable's PrintRect) is measured from
// the page origin.
#include <cstdint>
#include <string>
#include <vector>

#include "ppreport/core/ppComponent.h"
#include "ppreport/core/ppTypes.h"

class TppGroup;

// Bounds of a control: left, top, width, height.
struct TppControlBounds {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TppControlBounds&) const = default;
};

class TppCustomComponent : public TppComponent {
  DECLARE_CLASSINFO(TppCustomComponent)
public:
  explicit TppCustomComponent(TComponent* AOwner);
  ~TppCustomComponent() override;

  // The control's rectangle on the page being generated (from the page origin).
  TRect PageRect() const { return PrintRect(); }

  // ---- the two slots of the kinds
  // PageRect and SpaceUsed on the current page; sets OutOfSpace when a growing parent has no room.
  virtual void CalcPrintPosition();
  // Called by CalcPrintPosition once SpaceUsed is set; a kind that suppresses its value sets
  // SpaceUsed to 0 here (the rectangle then comes out empty).
  virtual void UpdateDrawState() {}

  // ---- overrides
  void Generate() override;
  void RestoreFromCache(int Page) override;
  void SaveToCache(int Page) override;
  void DefineProperties(TFiler* Filer) override;

protected:
  // The parent (band or region) did not finish on the page before.
  bool ParentOverFlow() const;
  // The parent grows while printing: a dynamic band, or a stretching region in one.
  bool ParentCanStretch() const;
};

class TppCustomText : public TppCustomComponent {
  DECLARE_CLASSINFO(TppCustomText)
public:
  explicit TppCustomText(TComponent* AOwner);
  ~TppCustomText() override;

  // ---- properties
  int Angle() const { return FAngle; }
  // -359..-1 become 0..359; anything else outside 0..359 is ignored. Not 0 turns WordWrap off.
  virtual void SetAngle(int Value);
  bool CharWrap() const { return FCharWrap; }
  virtual void SetCharWrap(bool Value);
  virtual std::string DisplayFormat() const { return FDisplayFormat; }
  virtual void SetDisplayFormat(const std::string& Value);
  bool Save() const { return FSave; }
  virtual void SetSave(bool Value);
  int SaveLength() const { return FSaveLength; }
  virtual void SetSaveLength(int Value);
  // The control's place in its band's save list; -1 without a band or when not saved.
  int SaveOrder() const;
  void SetSaveOrder(int Value);
  // Moves the saved control to place N of the band's save list (clamped to the list).
  void MoveToSaveOrder(int N);
  int RotatedOriginLeft() const { return FRotatedOriginLeft; }
  void SetRotatedOriginLeft(int Value) { FRotatedOriginLeft = Value; }
  int RotatedOriginTop() const { return FRotatedOriginTop; }
  void SetRotatedOriginTop(int Value) { FRotatedOriginTop = Value; }
  // The name of an old "OnSave" handler read from an old stream.
  const std::string& OnSaveHandlerName() const { return FOnSaveName; }

  // ---- the groups that break on this control's text
  int BreakGroupCount() const { return static_cast<int>(FBreakGroups.size()); }
  TppGroup* BreakGroup(int Index) const { return FBreakGroups.at(static_cast<size_t>(Index)); }
  void AddBreakGroup(TppGroup* Group) override;
  void RemoveBreakGroup(TppGroup* Group) override;

  // ---- the two slots of the kinds
  // The text to print before OnGetText; the stored Text here.
  virtual std::string GetDisplayText() const;

  // ---- sizing
  // Unrotated auto-sizing: measures Caption on the report printer's canvas (a screen bitmap
  // without one) and takes the bounds AdjustBounds gives.
  void CalcSize();
  // The bounds for a measured text of Measured.Width x Measured.Height (border, alignment, AutoSize).
  TppControlBounds AdjustBounds(const TppControlBounds& Measured);
  // Rotated sizing: bounds from the turned text (Angle not 0).
  void CalcRotatedSize();

  // ---- overrides
  void RecalcSize() override;
  std::string GetDescription() const override;
  // GetDisplayText, then OnGetText and the script event (not while reading, nor while designing).
  std::string GetText() const override;
  void SetCaption(const std::string& Value) override;
  void SetFont(const TFont* Value) override;
  void SetName(const std::string& Value) override;
  void SetTextAlignment(TppTextAlignment Value) override;
  void SetWordWrap(bool Value) override;
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;
  void ConvertFromVersion(int Version) override;
  void DefineProperties(TFiler* Filer) override;
  bool IsText() const override { return true; }
  bool IsSavedText() const override { return FSave; }
  int StoredSavePosition() const override { return FStoredSaveOrder; }

  TppGetTextEvent OnGetText;

protected:
  void BoundsChanged() override;
  void Destroying() override;

private:
  int FAngle = 0;
  bool FCharWrap = false;
  std::string FDisplayFormat;
  bool FSave = false;
  int FSaveLength = 0;
  int16_t FStoredSaveOrder = -1;
  int FRotatedOriginLeft = 0, FRotatedOriginTop = 0;
  // Auto-sizing anchors the text to the box last given from outside (bounds set, moved, read), not
  // to the box an earlier sizing made: a font changed before the alignment must not pin the text to
  // the left edge of a shrunk box. FSized* is the box the last sizing left, to tell the two apart.
  int32_t FAnchorLeft = 0, FAnchorWidth = 0;
  int32_t FSizedLeft = INT32_MIN, FSizedWidth = INT32_MIN;
  std::vector<TppGroup*> FBreakGroups;
  std::string FOnSaveName;
};

class TppLabel : public TppCustomText {
  DECLARE_CLASSINFO(TppLabel)
public:
  explicit TppLabel(TComponent* AOwner);
  ~TppLabel() override;

  std::string GetDefaultPropHint() const override;
  // A caption that equals the user name follows a rename.
  void SetUserName(const std::string& Value) override;
};

// The unit's start-up: the text and graphic controls for streaming and on the palette.
void InitializeCtrlsUnit();
void FinalizeCtrlsUnit();
