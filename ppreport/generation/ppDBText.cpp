#include "ppreport/generation/ppDBText.h"

#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppDisplayFormat.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppModelPalette.h"

namespace {
// The variant types BlankWhenZero treats as numbers (dates included).
bool IsNumberOrDate(const Variant& V) {
  switch (V.VarType()) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64: return true;
    default: return false;
  }
}
}  // namespace

TppDBText::TppDBText(TComponent* AOwner) : TppCustomText(AOwner) {
  AssignAutoSize(false);
  SetCacheRecordSize(sizeof(TTextCacheRecord));
  EventMask().Include(ciEngineTraversal);
}

TppDBText::~TppDBText() { BeforeDestruction(); }

// ---- properties

void TppDBText::SetBlankWhenZero(bool Value) {
  if (Value == FBlankWhenZero) return;
  FBlankWhenZero = Value;
  ForgetDisplayText();
  PropertyChanged();
}

void TppDBText::SetReprintOnSubsequent(bool Value) {
  if (Value == FReprintOnSubsequent) return;
  FReprintOnSubsequent = Value;
  InvalidateLayout();
  PropertyChanged();
}

void TppDBText::SetSuppressRepeatedValues(bool Value) {
  if (Value == FSuppressRepeatedValues) return;
  FSuppressRepeatedValues = Value;
  InvalidateLayout();
  PropertyChanged();
}

void TppDBText::SetDisplayFormat(const std::string& Value) {
  TppCustomText::SetDisplayFormat(Value);
  ForgetDisplayText();
  SetCaption(GetText());
}

void TppDBText::SetUserName(const std::string& Value) {
  TppCustomText::SetUserName(Value);
  if (!HasState(csReading) && !HasState(csLoading)) SetCaption(GetText());
}

void TppDBText::SetDataField(const std::string& Value) {
  TppCustomText::SetDataField(Value);
  ForgetDisplayText();
  Notify(this, ppopDataChange);
  PropertyChanged();
}

void TppDBText::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCustomText::Notify(Partner, Operation);
  if (HasState(csDestroying)) return;
  // A pipeline tells of every record: only a design-time change is looked at further.
  if (!((Operation == ppopRemove || Operation == ppopDataChange) && DesigningOutsidePrinting())) return;
  // The listeners of look-ahead commands are no data sources.
  if (Partner && dynamic_cast<TppDrawVariable*>(Partner->Owner())) return;
  SetCaption(GetText());
}

// ---- text

std::string TppDBText::GetDisplayText() const {
  if (!IsDataAvailable()) {
    if (IsReportPrinting()) return {};
    if (DataField().empty()) return GetUserName();
    return FieldDisplayName();
  }
  TppDataPipeline* P = GetDataPipeline();
  // Kept while the engine generates only (each run starts afresh; the formats stay put meanwhile).
  // A handler of OnFormat may answer differently each time: it is asked every time.
  TppDataPipeline::TRecordKey Key;
  const TppCustomEngine* E = ReportEngine();
  const bool Keyed = !OnFormat && E && E->Printing() && P->GetRecordKey(Key);
  if (Keyed && FDisplay.Valid && FDisplay.Pipeline == P && FDisplay.Key == Key) return FDisplay.Text;
  std::string Text = DisplayTextOf(*P);
  if (Keyed) FDisplay = {true, P, Key, Text};
  return Text;
}

std::string TppDBText::DisplayTextOf(TppDataPipeline& Pipeline) const {
  TppDataPipeline* P = &Pipeline;
  TppDataType Type = dtString;
  try {
    Type = P->GetFieldDataType(DataField());
  } catch (const std::exception&) {
    Type = dtString;
  }
  const std::string Format = OnFormat ? std::string() : DisplayFormat();
  Variant Value;
  try {
    Value = P->GetFieldValue(DataField());
  } catch (const EDataError&) {
  } catch (const EConvertError&) {
  } catch (const EVariantError&) {
  }
  if (FBlankWhenZero && IsNumberOrDate(Value) && Value.AsFloat() == 0) return {};
  if (Value.IsString() && Value.AsString().empty()) return {};
  if ((Type == dtDate || Type == dtDateTime) && Value.IsNull()) return {};
  std::string Text;
  try {
    Text = FormatDisplayValue(Format, Type, Value);
  } catch (const EVariantError&) {
    Text.clear();
  }
  if (OnFormat) OnFormat(const_cast<TppDBText*>(this), DisplayFormat(), Type, Value, Text);
  return Text;
}

std::string TppDBText::GetDescription() const {
  return DataField().empty() ? GetUserName() : GetUserName() + ": " + DataField();
}

Variant TppDBText::GetFieldValue() {
  Variant Value(0);
  TppDataPipeline* P = GetDataPipeline();
  if (!P || DataField().empty()) return Value;
  std::string Error;
  try {
    return P->GetFieldValue(DataField());
  } catch (const EDataError& E) {
    Error = E.Message();
  } catch (const EConvertError& E) {
    Error = E.Message();
  }
  TppCustomReport* R = GetReport();
  if (R && R->Engine() && R->Engine()->Printing()) R->PrintError(Error);
  return Value;
}

// ---- the record traversal

TppCustomEngine* TppDBText::ReportEngine() const {
  TppCustomReport* R = GetReport();
  return R ? R->Engine() : nullptr;
}

int TppDBText::ReportAbsolutePageNo() const {
  TppCustomReport* R = GetReport();
  return R ? R->AbsolutePageNo() : 0;
}

void TppDBText::ClearSuppression() {
  FAlreadyPrinted = false;
  FFirstPage = -1;
  FPriorValue.clear();
  FPriorValueSame = false;
}

void TppDBText::Init() {
  TppCustomText::Init();
  ClearSuppression();
  ForgetDisplayText();
  if (TppCustomEngine* E = ReportEngine()) E->AddEventNotify(this);
}

void TppDBText::Reset() {
  TppCustomText::Reset();
  ClearSuppression();
  ForgetDisplayText();
}

void TppDBText::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppCustomText::EventNotify(Sender, EventID, Params);
  if (Sender && Sender == ResetGroup() && EventID == ciGroupAfterBreak) {
    Reset();
    return;
  }
  if (!Sender || Sender != ReportEngine()) return;
  if (EventID == ciEngineTraversal)
    Compute();
  else if (EventID == ciEngineDynamicBandOverflow)
    RollBackValue();
}

void TppDBText::Compute() {
  RecordValue();
  SetResetOnCompute(false);
}

void TppDBText::RecordValue() {
  FCurrentText = GetText();
  const TppGroup* G = ResetGroup();
  const bool SuppressInGroup = FSuppressRepeatedValues && !FReprintOnSubsequent && G && !G->KeptTogether();
  if (SuppressInGroup && FPriorValue == ppPriorValueIgnore) {
    FPriorValueSame = true;
  } else if (ResetOnCompute() || FPriorValue != FCurrentText) {
    FPriorValue = FCurrentText;
    FPriorValueSame = false;
    FFirstPage = ReportAbsolutePageNo();
  } else {
    FPriorValueSame = true;
  }
}

void TppDBText::ReprintCheck() {
  if (FFirstPage != -1) FAlreadyPrinted = !FReprintOnSubsequent;
}

void TppDBText::UpdateDrawState() {
  TppDataPipeline* P = GetDataPipeline();
  const bool OnFirstRecord = P && P->FirstRecord();
  bool Print;
  if (!FPriorValueSame || (OnFirstRecord && !FAlreadyPrinted)) {
    Print = true;
  } else if (FSuppressRepeatedValues) {
    TppCustomEngine* E = ReportEngine();
    Print = FReprintOnSubsequent && E && E->AbsolutePageNo() > FFirstPage && !FAlreadyPrinted;
  } else {
    Print = DrawComponent();
  }
  if (Print) {
    FAlreadyPrinted = true;
  } else {
    SetSpaceUsed(0);
    SetDrawComponent(false);
  }
  RecordValue();
}

// ---- the page cache

TppDBText::TTextCacheRecord TppDBText::TextRecord() const {
  TTextCacheRecord R;
  R.DrawComponent = DrawComponent() ? 1 : 0;
  R.AlreadyPrinted = FAlreadyPrinted ? 1 : 0;
  R.FirstPage = FFirstPage;
  R.PriorValueSame = FPriorValueSame ? 1 : 0;
  R.ResetOnCompute = ResetOnCompute() ? 1 : 0;
  return R;
}

void TppDBText::TakeTextRecord(const TTextCacheRecord& R) {
  SetDrawComponent(R.DrawComponent != 0);
  FFirstPage = R.FirstPage;
  FPriorValueSame = R.PriorValueSame != 0;
  FAlreadyPrinted = R.AlreadyPrinted != 0;
  SetResetOnCompute(R.ResetOnCompute != 0);
  if (FSuppressRepeatedValues && !FReprintOnSubsequent && ResetGroup()) FPriorValue = ppPriorValueIgnore;
}

void TppDBText::SaveToCache(int Page) {
  WriteRecord(Page, TextRecord());
  if (!FSuppressRepeatedValues || Page < 0) return;
  if (FPagePriorValues.size() <= static_cast<size_t>(Page)) FPagePriorValues.resize(static_cast<size_t>(Page) + 1);
  FPagePriorValues[static_cast<size_t>(Page)] = FPriorValue;
}

void TppDBText::RestoreFromCache(int Page) {
  TTextCacheRecord R;
  if (!ReadRecord(Page, R)) return;
  TakeTextRecord(R);
  if (FSuppressRepeatedValues && Page >= 0 && static_cast<size_t>(Page) < FPagePriorValues.size())
    FPriorValue = FPagePriorValues[static_cast<size_t>(Page)];
}

void TppDBText::CacheTruncated(int Pages) {
  TppCustomText::CacheTruncated(Pages);
  // Pages 0 .. Pages - 1 stay.
  if (Pages >= 0 && static_cast<size_t>(Pages) < FPagePriorValues.size()) FPagePriorValues.resize(static_cast<size_t>(Pages));
}

// ---- class record

const TClassInfo& TppDBText::StaticClassInfo() {
  using C = TppDBText;
  static const TClassInfo Info = [] {
    TClassDef<C> D("TppDBText", &TppCustomText::StaticClassInfo());
    PublishDBTextProperties(D);
    return TClassInfo(D);
  }();
  return Info;
}

void InitializeDBTextUnit() { ppRegisterModelComponents({&TppDBText::StaticClassInfo()}); }
void FinalizeDBTextUnit() { ppUnregisterModelComponents({&TppDBText::StaticClassInfo()}); }
