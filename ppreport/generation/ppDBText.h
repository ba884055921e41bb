#pragma once
// TppDBText: the text of one field of a data pipeline, formatted by its display format and the
// field's data type. A numeric zero may print empty (BlankWhenZero); a value equal to the one of
// the record before may be left out (SuppressRepeatedValues), taking no space, and printed once
// more at the top of each later page (ReprintOnSubsequent). The suppression state follows every
// record traversed (the engine's traversal event) and is kept per page in the page-state cache,
// so a page generated again alone suppresses the same values.
#include <cstdint>
#include <string>

#include <vector>

#include "platform/classes/TypInfo.h"
#include "platform/rtl/Variants.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/generation/ppCtrls.h"

class TppCustomEngine;

// PriorValue after a page was restored: the value already printed within its reset group.
inline constexpr char ppPriorValueIgnore[] = "Ignore";

class TppDBText : public TppCustomText {
  DECLARE_CLASSINFO(TppDBText)
public:
  explicit TppDBText(TComponent* AOwner);
  ~TppDBText() override;

  // ---- properties
  bool BlankWhenZero() const { return FBlankWhenZero; }
  void SetBlankWhenZero(bool Value);
  bool ReprintOnSubsequent() const { return FReprintOnSubsequent; }
  void SetReprintOnSubsequent(bool Value);
  bool SuppressRepeatedValues() const { return FSuppressRepeatedValues; }
  void SetSuppressRepeatedValues(bool Value);

  // ---- suppression state
  bool AlreadyPrinted() const { return FAlreadyPrinted; }
  // The absolute page on which the current value started; -1 when none.
  int FirstPage() const { return FFirstPage; }
  const std::string& PriorValue() const { return FPriorValue; }
  bool PriorValueSame() const { return FPriorValueSame; }
  // The text computed for the current record.
  const std::string& CurrentText() const { return FCurrentText; }

  // The field's value (the integer 0 without a pipeline or field). Data and conversion errors go
  // to the report while it generates (the run stops with the print error), else they are dropped.
  Variant GetFieldValue();
  // The engine announced that a dynamic band overflowed the page; nothing to undo here.
  virtual void RollBackValue() {}

  // ---- overrides
  std::string GetDisplayText() const override;
  std::string GetDescription() const override;
  void SetDisplayFormat(const std::string& Value) override;
  void SetUserName(const std::string& Value) override;
  void SetDataField(const std::string& Value) override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;
  void ReprintCheck() override;
  bool NeedsResetOnInit() const override { return true; }
  bool IsDataAware() const override { return true; }
  void Init() override;
  void Reset() override;
  void Compute() override;
  void UpdateDrawState() override;
  void CacheTruncated(int Pages) override;
  void RestoreFromCache(int Page) override;
  void SaveToCache(int Page) override;

  TppFormatEvent OnFormat;

protected:
  // The page record of the text; a calculation extends it with its totals.
#pragma pack(push, 1)
  struct TTextCacheRecord {
    uint8_t DrawComponent = 0;
    uint8_t AlreadyPrinted = 0;
    uint8_t Unused2[2] = {};
    int32_t FirstPage = 0;
    uint8_t PriorValueSame = 0;
    uint8_t ResetOnCompute = 0;
    uint8_t Unused10[2] = {};
  };
#pragma pack(pop)
  static_assert(sizeof(TTextCacheRecord) == 12);
  TTextCacheRecord TextRecord() const;
  void TakeTextRecord(const TTextCacheRecord& R);
  // Takes the current text and compares it with the record before.
  void RecordValue();
  // The engine of the report the text prints in (null outside a report).
  TppCustomEngine* ReportEngine() const;
  int ReportAbsolutePageNo() const;
  bool DesigningOutsidePrinting() const { return Designing() && !IsReportPrinting(); }

private:
  void ClearSuppression();
  void ForgetDisplayText() { FDisplay.Valid = false; }
  // The display text of the pipeline's current value.
  std::string DisplayTextOf(TppDataPipeline& Pipeline) const;

  bool FAlreadyPrinted = false;
  bool FBlankWhenZero = false;
  std::string FCurrentText;
  int FFirstPage = -1;
  std::string FPriorValue;
  bool FPriorValueSame = false;
  bool FReprintOnSubsequent = false;
  bool FSuppressRepeatedValues = false;
  // The prior value at the end of each page, while repeated values are suppressed: the page record
  // has no room for a text, and a page generated again alone must compare with the same value.
  std::vector<std::string> FPagePriorValues;
  // The display text last made, with the pipeline and its record key it was made on: a record is
  // formatted once, though the traversal, the layout and the draw command each ask for its text.
  struct TDisplayText {
    bool Valid = false;
    const TppDataPipeline* Pipeline = nullptr;
    TppDataPipeline::TRecordKey Key;
    std::string Text;
  };
  mutable TDisplayText FDisplay;
};

// What the data-aware texts publish (the text properties except Caption, and their own).
template <class C>
TClassDef<C>& PublishDBTextProperties(TClassDef<C>& D) {
  return D.template SetProp<TppAnchorType>("Anchors", &C::Anchors, &C::SetAnchors)
      .Default(ppAnchorLeft | ppAnchorTop)
      .Prop("Angle", &C::Angle, &C::SetAngle)
      .Default(0)
      .Prop("AutoSize", &C::AutoSize, &C::SetAutoSize)
      .Default(0)
      .Prop("BlankWhenZero", &C::BlankWhenZero, &C::SetBlankWhenZero)
      .Default(0)
      .Prop("Border", &C::Border, &C::SetBorder)
      .Prop("CharWrap", &C::CharWrap, &C::SetCharWrap)
      .Default(0)
      .Prop("Color", &C::Color, &C::SetColor)
      .Default(clWhite)
      .Prop("DataField", &C::DataField, &C::SetDataField)
      .Prop("DataPipeline", &C::GetDataPipeline, &C::SetDataPipeline)
      .Prop("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat)
      .Prop("Font", &C::Font, &C::SetFont)
      .Prop("Height", &C::GetHeight, &C::SetHeight)
      .Stored(false)
      .Prop("Left", &C::GetLeft, &C::SetLeft)
      .Stored(false)
      .Prop("Top", &C::GetTop, &C::SetTop)
      .Stored(false)
      .Prop("Width", &C::GetWidth, &C::SetWidth)
      .Stored(false)
      .Event("OnDrawCommandClick", &C::OnDrawCommandClick)
      .Event("OnDrawCommandCreate", &C::OnDrawCommandCreate)
      .Event("OnFormat", &C::OnFormat)
      .Event("OnGetText", &C::OnGetText)
      .Event("OnPrint", &C::OnPrint)
      .Prop("ParentDataPipeline", &C::ParentDataPipeline, &C::SetParentDataPipeline)
      .Default(1)
      .Prop("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow)
      .Default(0)
      .Prop("ReprintOnSubsequent", &C::ReprintOnSubsequent, &C::SetReprintOnSubsequent)
      .Default(0)
      .Prop("ResetGroup", &C::ResetGroup, &C::SetResetGroup)
      .Prop("Save", &C::Save, &C::SetSave)
      .Default(0)
      .Prop("SaveLength", &C::SaveLength, &C::SetSaveLength)
      .Default(0)
      .Prop("SaveOrder", &C::SaveOrder, &C::SetSaveOrder)
      .Default(-1)
      .Prop("SuppressRepeatedValues", &C::SuppressRepeatedValues, &C::SetSuppressRepeatedValues)
      .Default(0)
      .Prop("TextAlignment", &C::TextAlignment, &C::SetTextAlignment)
      .Default(taLeftJustified)
      .Prop("Transparent", &C::Transparent, &C::SetTransparent)
      .Default(0)
      .Prop("Visible", &C::Visible, &C::SetVisible)
      .Default(1)
      .Prop("WordWrap", &C::WordWrap, &C::SetWordWrap)
      .Default(0);
}

// The unit's start-up: the data-aware texts for streaming and on the palette.
void InitializeDBTextUnit();
void FinalizeDBTextUnit();
