#pragma once
// Variables: text controls whose value the report itself computes.
//
// TppVariable holds a typed value that its OnCalc handler (or a script) computes each time a
// chosen event happens and that resets on another. It keeps its value per page in the page-state
// cache, gives back a record that moved to the next page when it sits in the page footer, and can
// print a value only final later (look-ahead). TppSystemVariable prints what the report knows:
// dates, the document name, page numbers and counts. TppCalc is the older control of that kind,
// kept so that old reports can still be read; a band stored before the variables existed
// replaces its calculations by variables once it is loaded.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/rtl/Variants.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/generation/ppCtrls.h"
#include "ppreport/generation/ppLookAhead.h"

class TppCommunicator;
class TppCustomEngine;
class TppDataPipeline;
class TppDataPipelineList;
class TFiler;
class TStrings;

// The common base of the variable and the system variable.
class TppCustomVariable : public TppCustomText {
  DECLARE_CLASSINFO(TppCustomVariable)
public:
  explicit TppCustomVariable(TComponent* AOwner);
  ~TppCustomVariable() override;

  virtual TppDataType GetDataType() const = 0;

  bool IsVariable() const override { return true; }
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;

protected:
  bool DesigningOutsidePrinting() const { return Designing() && !IsReportPrinting(); }
};

// A value of a variable as the page-state cache holds it (56 bytes, little-endian). Bytes 4 to 7
// refer to the variable's text store: the text of a page must come back with the page.
#pragma pack(push, 1)
struct TppVarValueRecord {
  uint8_t DrawComponent = 0;
  uint8_t ResetOnCompute = 0;
  uint8_t AsBoolean = 0;
  uint8_t AsChar = 0;
  uint32_t TextRef = 0;  // 0: empty; else the place in the text store plus 1
  int64_t AsCurrency = 0;
  int32_t AsInteger = 0;
  uint8_t Unused20[4] = {};
  double AsDateTime = 0;
  double AsDouble = 0;
  uint8_t AsExtended[10] = {};
  uint8_t Unused50[2] = {};
  float AsSingle = 0;
};
#pragma pack(pop)
static_assert(sizeof(TppVarValueRecord) == 56);

// A value record with its text.
struct TppVarValue {
  TppVarValueRecord Fixed;
  std::string Text;
};


class TppVariable : public TppCustomVariable {
  DECLARE_CLASSINFO(TppVariable)
public:
  explicit TppVariable(TComponent* AOwner);
  ~TppVariable() override;

  // ---- the value
  TppDataType DataType() const { return FDataType; }
  // Ignored when unchanged or above dtString.
  void SetDataType(TppDataType Value);
  bool AsBoolean() const { return FAsBoolean; }
  void SetAsBoolean(bool Value);
  TDateTime AsDateTime() const { return FAsDateTime; }
  void SetAsDateTime(TDateTime Value);
  TDateTime AsDate() const { return FAsDateTime; }
  void SetAsDate(TDateTime Value) { SetAsDateTime(Value); }
  TDateTime AsTime() const { return FAsDateTime; }
  void SetAsTime(TDateTime Value) { SetAsDateTime(Value); }
  int32_t AsInteger() const { return FAsInteger; }
  void SetAsInteger(int32_t Value);
  float AsSingle() const { return FAsSingle; }
  void SetAsSingle(float Value);
  double AsDouble() const { return FAsDouble; }
  void SetAsDouble(double Value);
  long double AsExtended() const { return FAsExtended; }
  void SetAsExtended(long double Value);
  // Currency: ten-thousandths in a 64-bit integer; the float forms round to them.
  int64_t AsCurrencyUnits() const { return FAsCurrency; }
  double AsCurrency() const { return static_cast<double>(FAsCurrency) / 10000.0; }
  void SetAsCurrency(double Value);
  char AsChar() const { return FAsChar; }
  void SetAsChar(char Value);
  const std::string& AsString() const { return FAsString; }
  void SetAsString(const std::string& Value);
  // The current value field by DataType; empty for a type above dtString.
  Variant GetValue() const;
  // Nothing for an empty or Null variant; else converted to DataType and stored. A value that
  // does not convert stops a running report with the print error, else raises EVariantError.
  void SetValue(const Variant& Value);
  Variant Value() const { return GetValue(); }

  // ---- the events
  TppVarEventType CalcType() const { return FCalcType; }
  void SetCalcType(TppVarEventType Value);
  TppVarEventType ResetType() const { return FResetType; }
  void SetResetType(TppVarEventType Value);
  // The senders of the calc and reset events. While being written, none unless the type is a
  // pipeline or group event (the others are bound at each run).
  TppCommunicator* CalcComponent() const;
  void SetCalcComponent(TppCommunicator* Value);
  TppCommunicator* ResetComponent() const;
  void SetResetComponent(TppCommunicator* Value);
  int CalcEventID() const { return FCalcEventID; }
  int ResetEventID() const { return FResetEventID; }
  // The place in the band's variable list (-1 without a band); setting it moves the variable.
  int CalcOrder() const;
  void SetCalcOrder(int Value);
  void MoveToCalcOrder(int N);
  bool BlankWhenZero() const { return FBlankWhenZero; }
  void SetBlankWhenZero(bool Value);
  bool LookAhead() const { return FLookAhead; }
  // On (outside reading) makes the main report two-pass. Ignored while the report prints.
  void SetLookAhead(bool Value);
  TppLookAheadList* LookAheadList() const { return FLookAheadList.get(); }
  std::string GetLookAheadKey() const;
  int TraversalCount() const;
  // Set by SaveToCache; a page-end calculation then writes the page's record once more.
  bool RecordPending() const { return FRecordPending; }

  // ---- the steps
  // Gives back the value from before the last calculation (a band moved to the next page).
  virtual void RestoreValue();
  virtual void WriteValueRecord(TppVarValue& Record) const;
  virtual void ReadValueRecord(const TppVarValue& Record);
  // Texts the cache refers to (distinct texts, kept until the next run).
  int CachedTextCount() const { return static_cast<int>(FTexts.size()); }

  // ---- overrides
  TppDataType GetDataType() const override { return FDataType; }
  int StoredCalcOrder() const override { return FStoredCalcOrder; }
  std::string GetDisplayText() const override;
  std::string GetDescription() const override { return GetUserName(); }
  std::string GetDefaultPropHint() const override;
  void GetDefaultPropList(TStrings& List) override;
  std::string GetEventNotifySortKey() const override;
  void SetText(const std::string& Value) override;
  void SetDisplayFormat(const std::string& Value) override;
  void SetUserName(const std::string& Value) override;
  void SetBand(TppBand* NewBand) override;
  void Init() override;
  void Reset() override;
  void Compute() override;
  void SaveToCache(int Page) override;
  void RestoreFromCache(int Page) override;
  void StartOfMainReport() override;
  void EndOfMainReport() override;
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void ResolveDataPipeline(const TppDataPipelineList& List) override;
  void DefineProperties(TFiler* Filer) override;

  TppVarCalcEvent OnCalc;
  TppVarCalcEvent OnReset;
  TNotifyEvent OldOnCalc;
  TppFormatEvent OnFormat;

protected:
  void Destroying() override;

private:
  void ClearValue();
  void UpdateEventMask();
  // Leaves Old's listeners and joins New's.
  void Rebind(TppCommunicator*& Field, TppCommunicator* New);
  TppCommunicator* DefaultSender(TppVarEventType Type) const;
  // Runs a handler and the script event on the current value; SetValue when they changed it.
  void RunHandler(TppVarCalcEvent& Handler, bool OldStyle, int EventID, const char* EventName,
                  TppVarEventType Moment);
  void ValueChanged(bool DuringPrint);
  TppCustomEngine* ReportEngine() const;
  TppCustomReport* MainReport() const;
  uint32_t TextRefOf(const std::string& Text);
  bool LookAheadApplies() const;

  TppDataType FDataType = dtString;
  bool FAsBoolean = false;
  TDateTime FAsDateTime = 0;
  int32_t FAsInteger = 0;
  float FAsSingle = 0;
  double FAsDouble = 0;
  long double FAsExtended = 0;
  int64_t FAsCurrency = 0;
  char FAsChar = 0;
  std::string FAsString;

  TppVarEventType FCalcType = veTraversal, FResetType = veReportEnd;
  TppCommunicator* FCalcComponent = nullptr;
  TppCommunicator* FResetComponent = nullptr;
  int FCalcEventID = ciEngineTraversal, FResetEventID = ciEngineReportEnd;
  std::string FCalcPipelineName, FResetPipelineName;
  int16_t FStoredCalcOrder = -1;
  bool FBlankWhenZero = false;
  bool FLookAhead = false;
  std::unique_ptr<TppLookAheadList> FLookAheadList;
  bool FRecordPending = false;
  TppVarValue FBeforeCalc, FCurrent;
  // The texts the page records refer to, each once.
  std::vector<std::string> FTexts;
  std::unordered_map<std::string, uint32_t> FTextIndex;
};

class TppSystemVariable : public TppCustomVariable {
  DECLARE_CLASSINFO(TppSystemVariable)
public:
  explicit TppSystemVariable(TComponent* AOwner);
  ~TppSystemVariable() override;

  TppVarType VarType() const { return FVarType; }
  // The page sets make the main report two-pass (outside reading).
  void SetVarType(TppVarType Value);
  // The value the kind stands for (the report's while it prints, the design values otherwise).
  Variant GetValue() const;

  TppDataType GetDataType() const override;
  std::string GetDisplayText() const override;
  std::string GetDescription() const override;
  std::string GetDefaultPropHint() const override;
  void GetDefaultPropList(TStrings& List) override;
  void SetDisplayFormat(const std::string& Value) override;
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;

  TppFormatEvent OnFormat;

private:
  TppVarType FVarType = vtDate;
};

class TppCalc : public TppCustomText {
  DECLARE_CLASSINFO(TppCalc)
public:
  explicit TppCalc(TComponent* AOwner);
  ~TppCalc() override;

  TppCalcType CalcType() const { return FCalcType; }
  virtual void SetCalcType(TppCalcType Value);
  TppDataType CustomType() const { return FCustomType; }
  // Accepted only while reading or loading, or for ctCustom.
  void SetCustomType(TppDataType Value);
  bool CustomBoolean() const { return FCustomBoolean; }
  void SetCustomBoolean(bool V) { FCustomBoolean = V; }
  TDateTime CustomDateTime() const { return FCustomDateTime; }
  void SetCustomDateTime(TDateTime V) { FCustomDateTime = V; }
  int32_t CustomInteger() const { return FCustomInteger; }
  void SetCustomInteger(int32_t V) { FCustomInteger = V; }
  double CustomDouble() const { return FCustomDouble; }
  void SetCustomDouble(double V) { FCustomDouble = V; }
  const std::string& CustomText() const { return FCustomText; }
  Variant GetValue() const;

  std::string GetDisplayText() const override;
  std::string GetDescription() const override;
  std::string GetDefaultPropHint() const override { return "Calc Types"; }
  void GetDefaultPropList(TStrings& List) override;
  // Only for ctCustom: the custom text, typed dtString.
  void SetText(const std::string& Value) override;
  void SetDisplayFormat(const std::string& Value) override;
  bool NeedsResetOnInit() const override { return true; }
  void Reset() override;
  // ctCustom while the report prints: OnCalc (after a reset when one is due).
  void Compute() override;
  void SaveToCache(int Page) override;
  void RestoreFromCache(int Page) override;
  void ConvertFromVersion(int Version) override;
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;
  void DefineProperties(TFiler* Filer) override;

  TNotifyEvent OnCalc;
  TppFormatEvent OnFormat;

private:
  void ClearCustom();
  void CustomTypeFromCalcType();
  bool DesigningOutsidePrinting() const { return Designing() && !IsReportPrinting(); }

  TppCalcType FCalcType = ctDate;
  TppDataType FCustomType = dtDateTime;
  bool FCustomBoolean = false;
  TDateTime FCustomDateTime = 0;
  int32_t FCustomInteger = 0;
  double FCustomDouble = 0;
  std::string FCustomText;
};

// The variable (or system variable) that replaces an old calculation control in Band, with the
// old one's placement, appearance and handlers. Null for a component that is not a TppCalc.
TppComponent* ConvertCalcControl(TppBand& Band, TppComponent& Old);

// The unit's start-up: the variables for streaming and on the palette, the old calculation for
// streaming, and the replacement of old calculations in bands read from old streams.
void InitializeVarUnit();
void FinalizeVarUnit();
