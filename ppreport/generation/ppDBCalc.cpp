#include "ppreport/generation/ppDBCalc.h"

#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppDisplayFormat.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppModelPalette.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppReport.h"

namespace {
#pragma pack(push, 1)
struct TCalcCacheRecord {
  uint8_t DrawComponent = 0;
  uint8_t AlreadyPrinted = 0;
  uint8_t Unused2[2] = {};
  int32_t FirstPage = 0;
  uint8_t PriorValueSame = 0;
  uint8_t ResetOnCompute = 0;
  uint8_t Unused10[6] = {};
  double Divisor = 0;
  double Value = 0;
};
#pragma pack(pop)
static_assert(sizeof(TCalcCacheRecord) == 32);

// The names of the aggregates, dcCount to dcAverage.
constexpr int ppCalcTypeNames = 1028;

bool IsDateType(TppDataType T) { return T == dtDate || T == dtTime || T == dtDateTime; }
}  // namespace

TppDBCalc::TppDBCalc(TComponent* AOwner) : TppDBText(AOwner) {
  SetCacheRecordSize(sizeof(TCalcCacheRecord));
  SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawVariable(nullptr); });
}

TppDBCalc::~TppDBCalc() { BeforeDestruction(); }

// ---- properties

void TppDBCalc::SetDBCalcType(TppDBCalcType Value) {
  FDBCalcType = Value;
  if (DesigningOutsidePrinting()) {
    Notify(this, ppopDataChange);
    PropertyChanged();
  }
  InvalidateLayout();
}

void TppDBCalc::SetLookAhead(bool Value) {
  if (IsReportPrinting()) return;
  FLookAhead = Value;
  if (Value && !IsReadingOrLoading())
    if (TppCustomReport* R = GetReport())
      if (TppCustomReport* M = R->GetMainReport()) M->SetPassSetting(psTwoPass);
  PropertyChanged();
  InvalidateLayout();
}

void TppDBCalc::SetBand(TppBand* NewBand) {
  TppDBText::SetBand(NewBand);
  if (!Designing() || IsReadingOrLoading()) return;
  // A calculation dropped on a group band totals that group.
  TppGroup* G = nullptr;
  if (NewBand && (NewBand->GetBandType() == btGroupHeader || NewBand->GetBandType() == btGroupFooter))
    G = NewBand->GetGroup();
  SetResetGroup(G);
}

bool TppDBCalc::InPageFooter() const { return Band() && Band()->GetBandType() == btFooter; }

// ---- the totals

void TppDBCalc::Init() {
  TppDBText::Init();
  FValue = FDivisor = FPriorValue = FPriorDivisor = FCachedValue = FCachedDivisor = 0;
  if (InPageFooter())
    EventMask().Include(ciEngineDynamicBandOverflow);
  else
    EventMask().Exclude(ciEngineDynamicBandOverflow);
}

void TppDBCalc::Reset() {
  TppDBText::Reset();
  FValue = FDivisor = FPriorValue = FPriorDivisor = FCachedValue = FCachedDivisor = 0;
  // A footer's page record already written holds the totals before the reset.
  const TppBandType Kind = Band() ? Band()->GetBandType() : btDetail;
  if (FCacheWritten && (Kind == btFooter || Kind == btColumnFooter)) {
    FCacheWritten = false;
    TppCustomReport* R = GetReport();
    TppCustomReport* M = R ? R->GetMainReport() : nullptr;
    if (M) SaveToCache(M->AbsolutePageNo());
  }
}

double TppDBCalc::FieldAsFloat() {
  if (!GetDataPipeline() || DataField().empty()) return 0;
  const Variant V = GetFieldValue();
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
    case varInt64:
      try {
        return V.AsFloat();
      } catch (const EVariantError&) {
        return 0;
      }
    default: return 0;
  }
}

void TppDBCalc::Compute() {
  FPriorValue = FValue;
  FPriorDivisor = FDivisor;
  TppDataPipeline* P = GetDataPipeline();
  if (P && P->NoRecords()) {
    TppCustomReport* R = Band() ? Band()->Report() : nullptr;
    if (R && R->DataPipeline() && R->DataPipeline()->NoRecords()) FValue = 0;
  } else {
    if (ResetOnCompute() && OnGroupBreak) OnGroupBreak(this);
    const double X = FieldAsFloat();
    FDivisor += 1;
    switch (FDBCalcType) {
      case dcCount: FValue = FDivisor; break;
      case dcSum:
      case dcAverage: FValue += X; break;
      case dcMinimum: FValue = ResetOnCompute() || X < FValue ? X : FValue; break;
      case dcMaximum: FValue = ResetOnCompute() || X > FValue ? X : FValue; break;
    }
  }
  TppDBText::Compute();
  if (OnCalc) OnCalc(this);
  SendEventNotify(this, ciVariableCalc, nullptr);
  if (FLookAheadList) {
    TppCustomReport* R = GetReport();
    TppCustomReport* M = R ? R->GetMainReport() : nullptr;
    if (M && M->FirstPass()) FLookAheadList->Update(GetLookAheadKey(), TraversalCount(), GetText());
  }
  FCachedValue = FValue;
  FCachedDivisor = FDivisor;
}

void TppDBCalc::RollBackValue() {
  FValue = FPriorValue;
  FDivisor = FPriorDivisor;
}

// ---- the page cache

void TppDBCalc::SaveToCache(int Page) {
  const TTextCacheRecord T = TextRecord();
  TCalcCacheRecord R;
  R.DrawComponent = T.DrawComponent;
  R.AlreadyPrinted = T.AlreadyPrinted;
  R.FirstPage = T.FirstPage;
  R.PriorValueSame = T.PriorValueSame;
  R.ResetOnCompute = T.ResetOnCompute;
  R.Divisor = FCachedDivisor;
  R.Value = FCachedValue;
  WriteRecord(Page, R);
  FCacheWritten = true;
}

void TppDBCalc::RestoreFromCache(int Page) {
  TCalcCacheRecord R;
  if (!ReadRecord(Page, R)) return;
  TTextCacheRecord T;
  T.DrawComponent = R.DrawComponent;
  T.AlreadyPrinted = R.AlreadyPrinted;
  T.FirstPage = R.FirstPage;
  T.PriorValueSame = R.PriorValueSame;
  T.ResetOnCompute = R.ResetOnCompute;
  TakeTextRecord(T);
  FValue = FCachedValue = R.Value;
  FDivisor = FCachedDivisor = R.Divisor;
}

// ---- text

std::string TppDBCalc::DesignCaption(bool Alias) const {
  std::string Text = LanguageString(ppCalcTypeNames + static_cast<int>(FDBCalcType)) + "(";
  if (!DataField().empty()) return Text + (Alias ? FieldDisplayName() : DataField()) + ")";
  return Text + (FDBCalcType == dcCount ? "*)" : "?)");
}

std::string TppDBCalc::GetDisplayText() const {
  if (DesigningOutsidePrinting()) return DesignCaption(true);
  double V = FValue;
  if (FDBCalcType == dcAverage) V = FDivisor != 0 ? FValue / FDivisor : 0;
  if (BlankWhenZero() && V == 0) return {};
  TppDataType Type = dtDouble;
  if (FDBCalcType == dcCount) {
    Type = dtInteger;
  } else if (TppDataPipeline* P = GetDataPipeline()) {
    try {
      if (IsDateType(P->GetFieldDataType(DataField()))) Type = dtDateTime;
    } catch (const std::exception&) {
    }
  }
  if (Type == dtDateTime && V == 0) return {};
  const Variant Value(V);
  std::string Text;
  try {
    Text = FormatDisplayValue(DisplayFormat(), Type, Value);
  } catch (const EVariantError&) {
    Text.clear();
  }
  if (OnFormat) OnFormat(const_cast<TppDBCalc*>(this), DisplayFormat(), Type, Value, Text);
  return Text;
}

std::string TppDBCalc::GetDescription() const { return GetUserName() + ": " + DesignCaption(false); }

// ---- look-ahead

bool TppDBCalc::LookAheadApplies() const {
  const TppCustomReport* R = GetReport();
  const TppCustomReport* M = R ? R->GetMainReport() : nullptr;
  return FLookAhead && M && M->PassSetting() == psTwoPass;
}

void TppDBCalc::StartOfMainReport() {
  TppDBText::StartOfMainReport();
  FLookAheadList.reset();
  if (LookAheadApplies()) FLookAheadList = std::make_unique<TppLookAheadList>(this);
}

void TppDBCalc::EndOfMainReport() {
  TppDBText::EndOfMainReport();
  if (FLookAheadList) FLookAheadList->Disconnect();
}

int TppDBCalc::TraversalCount() const {
  if (TppDataPipeline* P = GetDataPipeline()) return P->TraversalCount();
  if (const TppGroup* G = ResetGroup(); G && G->DataPipeline()) return G->DataPipeline()->TraversalCount();
  TppBand* B = Band();
  if (auto* D = dynamic_cast<TppDetailBand*>(B); D && D->GetDataPipeline()) return D->GetDataPipeline()->TraversalCount();
  if (TppCustomReport* R = B ? B->Report() : nullptr; R && R->DataPipeline()) return R->DataPipeline()->TraversalCount();
  return 0;
}

std::string TppDBCalc::GetLookAheadKey() const {
  const TppBandType Kind = Band() ? Band()->GetBandType() : btDetail;
  const TppCustomReport* R = GetReport();
  // Inside a sub-report each instance (each completed child run) has keys of its own.
  std::string Prefix;
  const TppCustomReport* M = R ? R->GetMainReport() : nullptr;
  if (M && R != M && M->PassSetting() == psTwoPass && FLookAhead)
    if (auto* Banded = dynamic_cast<const TppBandedReport*>(R)) Prefix = Banded->GetSubReportKey();
  int BreakNo = 0, Column = 0;
  if (const TppGroup* G = ResetGroup()) {
    BreakNo = G->BreakNo();
  } else if (R && (Kind == btHeader || Kind == btColumnHeader || Kind == btColumnFooter || Kind == btFooter)) {
    BreakNo = R->AbsolutePageNo();
    if (Kind == btColumnHeader || Kind == btColumnFooter) Column = R->CurrentColumn();
  }
  return Prefix + Format("%8d", {BreakNo}) + "|" + Format("%8d", {Column});
}

std::string TppDBCalc::GetLookAheadValue(const std::string& Key) const {
  return FLookAheadList ? FLookAheadList->GetValue(Key, TraversalCount(), "0") : std::string("0");
}

void TppDBCalc::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppDBText::PropertiesToDrawCommand(DrawCommand);
  auto* Command = dynamic_cast<TppDrawVariable*>(DrawCommand);
  if (!FLookAheadList || !Command) return;
  const std::string Key = GetLookAheadKey();
  Command->SetText(FLookAheadList->GetValue(Key, TraversalCount(), Command->Text()));
  TppCustomReport* R = GetReport();
  TppCustomReport* M = R ? R->GetMainReport() : nullptr;
  if (M && M->FirstPass()) FLookAheadList->Listen(*Command, Key);
}

// ---- class record

const TClassInfo& TppDBCalc::StaticClassInfo() {
  using C = TppDBCalc;
  static const TClassInfo Info = [] {
    TClassDef<C> D("TppDBCalc", &TppDBText::StaticClassInfo());
    D.Prop("DBCalcType", &C::DBCalcType, &C::SetDBCalcType)
        .Default(dcSum)
        .Prop("LookAhead", &C::LookAhead, &C::SetLookAhead)
        .Default(0)
        .Event("OnCalc", &C::OnCalc)
        .Event("OnGroupBreak", &C::OnGroupBreak);
    PublishDBTextProperties(D);
    return TClassInfo(D);
  }();
  return Info;
}

void InitializeDBCalcUnit() { ppRegisterModelComponents({&TppDBCalc::StaticClassInfo()}); }
void FinalizeDBCalcUnit() { ppUnregisterModelComponents({&TppDBCalc::StaticClassInfo()}); }
