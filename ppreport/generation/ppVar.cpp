#include "ppreport/generation/ppVar.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/classes/Filer.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppDisplayFormat.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppModelPalette.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/core/ppUtils.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppCompUtils.h"

namespace {

// A language string, or Fallback where the program's table has none.
std::string KindName(int N, const char* Fallback) {
  std::string S = LanguageString(N);
  return S.empty() ? std::string(Fallback) : S;
}

std::string WithoutSpaces(std::string S) {
  std::erase(S, ' ');
  return S;
}

bool IsNumericType(TppDataType T) {
  return T == dtInteger || T == dtSingle || T == dtDouble || T == dtExtended || T == dtCurrency;
}

bool IsGroupEvent(TppVarEventType T) {
  return T == veGroupStart || T == veGroupEnd || T == veGroupBeforeHeader || T == veGroupBeforeFooter;
}

bool IsBoundByUser(TppVarEventType T) { return T == veDataPipelineTraversal || IsGroupEvent(T); }

int64_t ToCurrencyUnits(double Value) { return static_cast<int64_t>(std::nearbyint(Value * 10000.0)); }

// The names of the variable's types, dtBoolean to dtString.
struct TTypeName {
  int String;
  const char* Fallback;
};
constexpr TTypeName TypeNames[] = {
    {363, "Booleano"}, {303, "Data"},      {311, "Hora"},      {304, "DataHora"},  {334, "Inteiro"}, {335, "Simples"},
    {337, "Duplo"},    {339, "Estendido"}, {341, "Monetário"}, {409, "Caractere"}, {324, "Texto"},
};

// The names of the system variable's kinds, in TppVarType order.
constexpr TTypeName VarTypeNames[] = {
    {303, "Data"},           {304, "DataHora"},        {1127, "Nome do Documento"}, {305, "DataHoraImpressão"},
    {306, "TotalDePáginas"}, {307, "PáginaDeTotal"},  {308, "PáginaDeTotalDesc"}, {309, "NúmeroDaPágina"},
    {310, "NúmeroDaPáginaDesc"}, {311, "Hora"},
};

std::string VarTypeName(TppVarType T) {
  const TTypeName& N = VarTypeNames[T];
  return WithoutSpaces(KindName(N.String, N.Fallback));
}

std::string CalcTypeName(TppCalcType T) {
  if (T == ctCustom) return "Custom";
  // ctDate..ctTime have the names of strings 303 to 311 in order.
  static const char* const Fallbacks[] = {"Data",           "DataHora",      "DataHoraImpressão",
                                          "TotalDePáginas", "PáginaDeTotal", "PáginaDeTotalDesc",
                                          "NúmeroDaPágina", "NúmeroDaPáginaDesc", "Hora"};
  return KindName(303 + static_cast<int>(T), Fallbacks[T]);
}

// Formats Value, an empty text when the value has no such form.
std::string FormatOrEmpty(const std::string& Format, TppDataType Type, const Variant& Value) {
  try {
    return FormatDisplayValue(Format, Type, Value);
  } catch (const EVariantError&) {
    return {};
  } catch (const EConvertError&) {
    return {};
  }
}

// The report prints, or its engine generates pages (also when asked for pages without a print).
bool Generating(const TppComponent& C) {
  if (C.IsReportPrinting()) return true;
  TppCustomReport* R = C.GetReport();
  TppCustomReport* M = R ? R->GetMainReport() : nullptr;
  return (R && R->Engine() && R->Engine()->Printing()) || (M && M->Engine() && M->Engine()->Printing());
}

}  // namespace

// ---- TppCustomVariable

TppCustomVariable::TppCustomVariable(TComponent* AOwner) : TppCustomText(AOwner) {}

TppCustomVariable::~TppCustomVariable() { BeforeDestruction(); }

void TppCustomVariable::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppCustomText::PropertiesToDrawCommand(DrawCommand);
  if (DrawCommand) DrawCommand->SetDataType(GetDataType());
}

// ---- TppVariable

TppVariable::TppVariable(TComponent* AOwner) : TppCustomVariable(AOwner) {
  SetCacheRecordSize(sizeof(TppVarValueRecord));
  SetDefaultProp("DataType", 4);
  SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawVariable(nullptr); });
  AssignAutoSize(true);
  FAsDateTime = Now();
}

TppVariable::~TppVariable() { BeforeDestruction(); }

void TppVariable::Destroying() {
  FLookAheadList.reset();
  Rebind(FCalcComponent, nullptr);
  Rebind(FResetComponent, nullptr);
  TppCustomVariable::Destroying();
}

TppCustomEngine* TppVariable::ReportEngine() const {
  TppCustomReport* R = GetReport();
  return R ? R->Engine() : nullptr;
}

TppCustomReport* TppVariable::MainReport() const {
  TppCustomReport* R = GetReport();
  return R ? R->GetMainReport() : nullptr;
}

void TppVariable::ValueChanged(bool DuringPrint) {
  if (DuringPrint && Generating(*this)) return;
  PropertyChanged();
  InvalidateLayout();
}

// ---- the value

void TppVariable::SetDataType(TppDataType Value) {
  if (Value == FDataType || Value > dtString) return;
  PropertyChanging("DataType");
  FDataType = Value;
  ValueChanged(false);
}

void TppVariable::SetAsBoolean(bool Value) {
  FAsBoolean = Value;
  FDataType = dtBoolean;
  ValueChanged(false);
}

void TppVariable::SetAsDateTime(TDateTime Value) {
  FAsDateTime = Value;
  FDataType = dtDateTime;
  ValueChanged(false);
}

void TppVariable::SetAsInteger(int32_t Value) {
  FAsInteger = Value;
  FDataType = dtInteger;
  ValueChanged(true);
}

void TppVariable::SetAsSingle(float Value) {
  FAsSingle = Value;
  FDataType = dtSingle;
  ValueChanged(false);
}

void TppVariable::SetAsDouble(double Value) {
  FAsDouble = Value;
  FDataType = dtDouble;
  ValueChanged(false);
}

void TppVariable::SetAsExtended(long double Value) {
  FAsExtended = Value;
  FDataType = dtExtended;
  ValueChanged(false);
}

void TppVariable::SetAsCurrency(double Value) {
  FAsCurrency = ToCurrencyUnits(Value);
  FDataType = dtCurrency;
  ValueChanged(false);
}

void TppVariable::SetAsChar(char Value) {
  FAsChar = Value;
  FDataType = dtChar;
  ValueChanged(false);
}

void TppVariable::SetAsString(const std::string& Value) {
  FAsString = Value;
  FDataType = dtString;
  ValueChanged(false);
}

void TppVariable::SetText(const std::string& Value) {
  SetAsString(Value);
  TppCustomVariable::SetText(Value);
}

Variant TppVariable::GetValue() const {
  switch (FDataType) {
    case dtBoolean: return Variant(FAsBoolean);
    case dtDate:
    case dtTime:
    case dtDateTime: return Variant::OfDate(FAsDateTime);
    case dtInteger: return Variant(static_cast<int>(FAsInteger));
    case dtSingle: return Variant::OfFloat(FAsSingle, varSingle);
    case dtDouble: return Variant(FAsDouble);
    case dtExtended: return Variant(static_cast<double>(FAsExtended));
    case dtCurrency: return Variant::OfCurrency(FAsCurrency);
    case dtChar: return Variant(FAsChar ? std::string(1, FAsChar) : std::string());
    case dtString: return Variant(FAsString);
    default: return Variant();
  }
}

void TppVariable::SetValue(const Variant& Value) {
  if (Value.IsEmpty() || Value.IsNull()) return;
  try {
    switch (FDataType) {
      case dtBoolean: FAsBoolean = Value.AsBoolean(); break;
      case dtDate:
      case dtTime:
      case dtDateTime: FAsDateTime = Value.AsDateTime(); break;
      case dtInteger: {
        const int64_t V = Value.AsInteger();
        if (V < std::numeric_limits<int32_t>::min() || V > std::numeric_limits<int32_t>::max())
          throw EVariantError("TppVariable.SetValue: " + Value.AsString() + " is out of the integer range.");
        FAsInteger = static_cast<int32_t>(V);
        break;
      }
      case dtSingle: FAsSingle = static_cast<float>(Value.AsFloat()); break;
      case dtDouble: FAsDouble = Value.AsFloat(); break;
      case dtExtended: FAsExtended = Value.AsFloat(); break;
      case dtCurrency:
        FAsCurrency = Value.VarType() == varCurrency ? ToCurrencyUnits(Value.AsFloat()) : ToCurrencyUnits(Value.AsFloat());
        break;
      case dtChar: {
        const std::string S = Value.AsString();
        if (!S.empty()) FAsChar = S[0];
        break;
      }
      case dtString: FAsString = Value.AsString(); break;
      default: return;
    }
  } catch (const EVariantError& E) {
    TppCustomReport* R = GetReport();
    if (R && R->Engine() && R->Engine()->Printing()) {
      R->PrintError(E.Message());
      return;
    }
    throw;
  }
  ValueChanged(false);
}

void TppVariable::ClearValue() {
  FAsBoolean = false;
  FAsInteger = 0;
  FAsSingle = 0;
  FAsDouble = 0;
  FAsExtended = 0;
  FAsCurrency = 0;
  FAsChar = 0;
  FAsString.clear();
  FAsDateTime = Now();
}

void TppVariable::WriteValueRecord(TppVarValue& Record) const {
  TppVarValueRecord& R = Record.Fixed;
  R.AsBoolean = FAsBoolean ? 1 : 0;
  R.AsChar = static_cast<uint8_t>(FAsChar);
  R.AsCurrency = FAsCurrency;
  R.AsInteger = FAsInteger;
  R.AsDateTime = FAsDateTime;
  R.AsDouble = FAsDouble;
  // The record's 80-bit float is the same bytes whatever the width of long double here.
  const TExtendedBytes Extended = EncodeExtended(FAsExtended);
  std::memcpy(R.AsExtended, Extended.data(), Extended.size());
  R.AsSingle = FAsSingle;
  Record.Text = FAsString;
}

void TppVariable::ReadValueRecord(const TppVarValue& Record) {
  const TppVarValueRecord& R = Record.Fixed;
  FAsBoolean = R.AsBoolean != 0;
  FAsChar = static_cast<char>(R.AsChar);
  FAsCurrency = R.AsCurrency;
  FAsInteger = R.AsInteger;
  FAsDateTime = R.AsDateTime;
  FAsDouble = R.AsDouble;
  FAsExtended = DecodeExtended(R.AsExtended);
  FAsSingle = R.AsSingle;
  FAsString = Record.Text;
}

// ---- the events

TppCommunicator* TppVariable::CalcComponent() const {
  if (HasState(csWriting) && !IsBoundByUser(FCalcType)) return nullptr;
  return FCalcComponent;
}

TppCommunicator* TppVariable::ResetComponent() const {
  if (HasState(csWriting) && !IsBoundByUser(FResetType)) return nullptr;
  return FResetComponent;
}

void TppVariable::Rebind(TppCommunicator*& Field, TppCommunicator* New) {
  TppCommunicator* Old = Field;
  Field = New;
  // The other field may still hear the old sender.
  if (Old && Old != FCalcComponent && Old != FResetComponent) Old->RemoveEventNotify(this);
  if (New) {
    // Joining again sorts the variable by its current calc order.
    New->RemoveEventNotify(this);
    New->AddEventNotify(this);
  }
}

void TppVariable::SetCalcComponent(TppCommunicator* Value) {
  if (Value == FCalcComponent) return;
  Rebind(FCalcComponent, Value);
  PropertyChanged();
  InvalidateLayout();
}

void TppVariable::SetResetComponent(TppCommunicator* Value) {
  if (Value == FResetComponent) return;
  Rebind(FResetComponent, Value);
  PropertyChanged();
  InvalidateLayout();
}

void TppVariable::SetCalcType(TppVarEventType Value) {
  FCalcType = Value;
  UpdateEventMask();
  PropertyChanged();
  InvalidateLayout();
}

void TppVariable::SetResetType(TppVarEventType Value) {
  FResetType = Value;
  UpdateEventMask();
  PropertyChanged();
  InvalidateLayout();
}

void TppVariable::UpdateEventMask() {
  FCalcEventID = VarEventToEventID(FCalcType);
  FResetEventID = VarEventToEventID(FResetType);
  EventMask().Clear();
  EventMask().Include(FCalcEventID);
  EventMask().Include(FResetEventID);
  if (Band() && Band()->GetBandType() == btFooter && FCalcType == veTraversal)
    EventMask().Include(ciEngineDynamicBandOverflow);
}

TppCommunicator* TppVariable::DefaultSender(TppVarEventType Type) const {
  switch (Type) {
    case veTraversal:
    case veReportStart:
    case veReportEnd: return ReportEngine();
    case vePageStart:
    case vePageEnd:
    case veColumnStart:
    case veColumnEnd: return Band() ? Band()->Report() : nullptr;
    default: return nullptr;
  }
}

int TppVariable::CalcOrder() const { return Band() ? Band()->IndexOfVariable(this) : -1; }

void TppVariable::SetCalcOrder(int Value) {
  if (HasState(csReading)) {
    FStoredCalcOrder = static_cast<int16_t>(Value);
    return;
  }
  MoveToCalcOrder(Value);
  PropertyChanged();
  InvalidateLayout();
}

void TppVariable::MoveToCalcOrder(int N) {
  if (!Band()) return;
  int Order = static_cast<int16_t>(N);
  if (Order < 0) Order = 0;
  const int Count = Band()->GetVariableCount();
  if (Count > 0 && Order >= Count) Order = Count - 1;
  if (CalcOrder() == Order) return;
  if (Band()->IndexOfVariable(this) >= 0) Band()->RemoveVariable(this);
  Band()->InsertVariable(std::min(Order, Band()->GetVariableCount()), this);
}

std::string TppVariable::GetEventNotifySortKey() const {
  const std::string BandKey = Band() ? Band()->GetBandSortKey() : std::string();
  return BandKey + Format("%8d", {CalcOrder()});
}

void TppVariable::SetBlankWhenZero(bool Value) {
  if (Value == FBlankWhenZero) return;
  PropertyChanging("BlankWhenZero");
  FBlankWhenZero = Value;
  PropertyChanged();
}

void TppVariable::SetLookAhead(bool Value) {
  if (IsReportPrinting()) return;
  FLookAhead = Value;
  if (Value && !IsReadingOrLoading())
    if (TppCustomReport* M = MainReport()) M->SetPassSetting(psTwoPass);
  PropertyChanged();
  InvalidateLayout();
}

void TppVariable::SetDisplayFormat(const std::string& Value) {
  TppCustomVariable::SetDisplayFormat(Value);
  if (DesigningOutsidePrinting()) SetCaption(GetText());
}

void TppVariable::SetUserName(const std::string& Value) {
  TppCustomVariable::SetUserName(Value);
  SetCaption(GetUserName());
}

void TppVariable::SetBand(TppBand* NewBand) {
  TppCustomVariable::SetBand(NewBand);
  UpdateEventMask();
}

std::string TppVariable::GetDefaultPropHint() const { return KindName(379, "Tipo de Dado"); }

void TppVariable::GetDefaultPropList(TStrings& List) {
  List.Clear();
  for (const TTypeName& N : TypeNames) List.Add(KindName(N.String, N.Fallback));
}

void TppVariable::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation == ppopRemove && Partner) {
    if (Partner == FCalcComponent) FCalcComponent = nullptr;
    if (Partner == FResetComponent) FResetComponent = nullptr;
  }
  TppCustomVariable::Notify(Partner, Operation);
}

void TppVariable::ResolveDataPipeline(const TppDataPipelineList& List) {
  TppCustomVariable::ResolveDataPipeline(List);
  if (!FCalcComponent && !FCalcPipelineName.empty())
    if (TppDataPipeline* P = List.GetDataPipelineForName(FCalcPipelineName)) Rebind(FCalcComponent, P);
  if (!FResetComponent && !FResetPipelineName.empty())
    if (TppDataPipeline* P = List.GetDataPipelineForName(FResetPipelineName)) Rebind(FResetComponent, P);
}

void TppVariable::DefineProperties(TFiler* Filer) {
  TppCustomVariable::DefineProperties(Filer);
  const auto* Anc = dynamic_cast<const TppVariable*>(Filer->Ancestor());
  auto Pipeline = [](TppVarEventType Type, TppCommunicator* C) -> TppDataPipeline* {
    return Type == veDataPipelineTraversal ? dynamic_cast<TppDataPipeline*>(C) : nullptr;
  };
  auto Define = [&](const char* Name, std::string& Stored, TppDataPipeline* P, TppDataPipeline* AncP) {
    const bool Write = P && (!Anc || !AncP || AncP->Name() != P->Name());
    Filer->DefineProperty(
        Name, [&Stored](TReader& R) { Stored = R.ReadString(); },
        [P](TWriter& W) { W.WriteString(P ? P->Name() : std::string()); }, Write);
  };
  Define("CalcDataPipelineName", FCalcPipelineName, Pipeline(FCalcType, FCalcComponent),
         Anc ? Pipeline(Anc->FCalcType, Anc->FCalcComponent) : nullptr);
  Define("ResetDataPipelineName", FResetPipelineName, Pipeline(FResetType, FResetComponent),
         Anc ? Pipeline(Anc->FResetType, Anc->FResetComponent) : nullptr);
}

// ---- the run

void TppVariable::Init() {
  TppCustomVariable::Init();
  UpdateEventMask();
  TppCommunicator* Calc = IsBoundByUser(FCalcType) ? FCalcComponent : DefaultSender(FCalcType);
  TppCommunicator* Reset = IsBoundByUser(FResetType) ? FResetComponent : DefaultSender(FResetType);
  Rebind(FCalcComponent, Calc);
  Rebind(FResetComponent, Reset);
  // The engine is heard for a record given back by the page footer.
  if ((EventMask().Contains(ciEngineDynamicBandOverflow) || FLookAheadList) && ReportEngine())
    if (ReportEngine() != FCalcComponent && ReportEngine() != FResetComponent) {
      ReportEngine()->RemoveEventNotify(this);
      ReportEngine()->AddEventNotify(this);
    }
  ClearValue();
  FRecordPending = false;
  FTexts.clear();
  FTextIndex.clear();
  WriteValueRecord(FCurrent);
  WriteValueRecord(FBeforeCalc);
}

void TppVariable::RunHandler(TppVarCalcEvent& Handler, bool OldStyle, int EventID, const char* EventName,
                             TppVarEventType) {
  Variant V = GetValue();
  if (Handler) {
    const Variant Old = V;
    Handler(this, V);
    if (V.VarType() != Old.VarType() || !(V == Old)) SetValue(V);
  } else if (OldStyle && OldOnCalc) {
    OldOnCalc(this);
  }
  if (IsEventRequested(EventID)) {
    V = GetValue();
    const Variant Old = V;
    TraParamList Params;
    Params.AddParam(EventName, vkVariant, nullptr, {}, false, true);
    Params.BindParam(0, &V);
    SendEventNotify(this, EventID, &Params);
    if (V.VarType() != Old.VarType() || !(V == Old)) SetValue(V);
  }
}

void TppVariable::Compute() {
  if (!Generating(*this)) return;
  WriteValueRecord(FBeforeCalc);
  RunHandler(OnCalc, true, ciVariableCalc, "Value", FCalcType);
  TppCustomReport* M = MainReport();
  if (FLookAheadList && M && M->FirstPass())
    FLookAheadList->Update(GetLookAheadKey(), TraversalCount(), GetText());
  WriteValueRecord(FCurrent);
  // The page's record was written before this page-end calculation: write it again, once, with
  // the value it gave, so that the next page generated alone starts from it.
  if (FRecordPending && (FCalcType == vePageEnd || FCalcType == veColumnEnd) && M) {
    FRecordPending = false;
    const int Page = M->AbsolutePageNo();
    TppVarValueRecord R = FCurrent.Fixed;
    R.DrawComponent = DrawComponent() ? 1 : 0;
    R.ResetOnCompute = ResetOnCompute() ? 1 : 0;
    R.TextRef = TextRefOf(FCurrent.Text);
    WriteRecord(Page, R);
  }
}

void TppVariable::Reset() {
  TppCustomVariable::Reset();
  ClearValue();
  WriteValueRecord(FCurrent);
  RunHandler(OnReset, false, ciVariableReset, "Value", FResetType);
  WriteValueRecord(FCurrent);
  TppCustomReport* M = MainReport();
  if (FRecordPending && (FResetType == vePageEnd || FResetType == veColumnEnd) && M) {
    FRecordPending = false;
    TppVarValueRecord R = FCurrent.Fixed;
    R.DrawComponent = DrawComponent() ? 1 : 0;
    R.ResetOnCompute = ResetOnCompute() ? 1 : 0;
    R.TextRef = TextRefOf(FCurrent.Text);
    WriteRecord(M->AbsolutePageNo(), R);
  }
}

void TppVariable::RestoreValue() {
  // The current record keeps the record given back: the page cache carries it to the next page,
  // where the band prints it.
  ReadValueRecord(FBeforeCalc);
}

void TppVariable::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppCustomVariable::EventNotify(Sender, EventID, Params);
  if (!Sender) return;
  if (Sender == FResetComponent && EventID == FResetEventID)
    Reset();
  else if (Sender == FCalcComponent && EventID == FCalcEventID)
    Compute();
  else if (Sender == ReportEngine() && EventID == ciEngineDynamicBandOverflow && FCalcType == veTraversal)
    RestoreValue();
}

// ---- the page cache

uint32_t TppVariable::TextRefOf(const std::string& Text) {
  if (Text.empty()) return 0;
  auto [It, Added] = FTextIndex.try_emplace(Text, static_cast<uint32_t>(FTexts.size() + 1));
  if (Added) FTexts.push_back(Text);
  return It->second;
}

void TppVariable::SaveToCache(int Page) {
  TppVarValueRecord R = FCurrent.Fixed;
  R.DrawComponent = DrawComponent() ? 1 : 0;
  R.ResetOnCompute = ResetOnCompute() ? 1 : 0;
  R.TextRef = TextRefOf(FCurrent.Text);
  WriteRecord(Page, R);
  FRecordPending = true;
}

void TppVariable::RestoreFromCache(int Page) {
  TppVarValue V;
  if (!ReadRecord(Page, V.Fixed)) return;
  if (V.Fixed.TextRef > 0 && V.Fixed.TextRef <= FTexts.size()) V.Text = FTexts[V.Fixed.TextRef - 1];
  FCurrent = V;
  SetDrawComponent(V.Fixed.DrawComponent != 0);
  SetResetOnCompute(V.Fixed.ResetOnCompute != 0);
  ReadValueRecord(FCurrent);
  FBeforeCalc = FCurrent;
}

// ---- text

std::string TppVariable::GetDisplayText() const {
  if (DesigningOutsidePrinting()) return GetUserName();
  const Variant V = GetValue();
  if (FDataType > dtString) return {};
  if (FBlankWhenZero && IsNumericType(FDataType)) {
    bool Zero = false;
    try {
      Zero = V.AsFloat() == 0;
    } catch (const EVariantError&) {
    }
    if (Zero) return {};
  }
  std::string Text = FormatOrEmpty(OnFormat ? std::string() : DisplayFormat(), FDataType, V);
  if (OnFormat) OnFormat(const_cast<TppVariable*>(this), DisplayFormat(), FDataType, V, Text);
  return Text;
}

// ---- look-ahead

bool TppVariable::LookAheadApplies() const {
  const TppCustomReport* M = MainReport();
  return FLookAhead && M && M->PassSetting() == psTwoPass;
}

void TppVariable::StartOfMainReport() {
  TppCustomVariable::StartOfMainReport();
  FLookAheadList.reset();
  if (!LookAheadApplies()) return;
  FLookAheadList = std::make_unique<TppLookAheadList>(this);
  if (TppCustomEngine* E = ReportEngine()) E->AddEventNotify(this);
}

void TppVariable::EndOfMainReport() {
  TppCustomVariable::EndOfMainReport();
  if (FLookAheadList) FLookAheadList->Disconnect();
}

int TppVariable::TraversalCount() const {
  if (auto* P = dynamic_cast<TppDataPipeline*>(FCalcComponent)) return P->TraversalCount();
  TppBand* B = Band();
  if (auto* D = dynamic_cast<TppDetailBand*>(B); D && D->GetDataPipeline()) return D->GetDataPipeline()->TraversalCount();
  if (TppCustomReport* R = B ? B->Report() : nullptr; R && R->DataPipeline()) return R->DataPipeline()->TraversalCount();
  return 0;
}

std::string TppVariable::GetLookAheadKey() const {
  const TppCustomReport* R = GetReport();
  int ResetNo = 0, Column = 0;
  switch (FResetType) {
    case veTraversal: ResetNo = TraversalCount(); break;
    case veDataPipelineTraversal:
      if (auto* P = dynamic_cast<TppDataPipeline*>(FResetComponent)) ResetNo = P->TraversalCount();
      break;
    case vePageStart:
    case vePageEnd:
    case veColumnStart:
    case veColumnEnd: ResetNo = R ? R->AbsolutePageNo() : 0; break;
    case veGroupStart:
    case veGroupEnd:
    case veGroupBeforeHeader:
    case veGroupBeforeFooter:
      if (auto* G = dynamic_cast<TppGroup*>(FResetComponent)) ResetNo = G->BreakNo();
      break;
    default: break;
  }
  if ((FResetType == veColumnStart || FResetType == veColumnEnd) && R) Column = R->CurrentColumn();
  return Format("%8d", {ResetNo}) + "|" + Format("%8d", {Column});
}

void TppVariable::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppCustomVariable::PropertiesToDrawCommand(DrawCommand);
  auto* Command = dynamic_cast<TppDrawVariable*>(DrawCommand);
  if (!FLookAheadList || !Command) return;
  const std::string Key = GetLookAheadKey();
  Command->SetText(FLookAheadList->GetValue(Key, TraversalCount(), Command->Text()));
  TppCustomReport* M = MainReport();
  if (M && M->FirstPass()) FLookAheadList->Listen(*Command, Key);
}

// ---- TppSystemVariable

TppSystemVariable::TppSystemVariable(TComponent* AOwner) : TppCustomVariable(AOwner) {
  SetDefaultProp("VarType", 4);
  SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawVar(nullptr); });
  AssignAutoSize(true);
}

TppSystemVariable::~TppSystemVariable() { BeforeDestruction(); }

void TppSystemVariable::SetVarType(TppVarType Value) {
  PropertyChanging("VarType");
  FVarType = Value;
  if (!IsReadingOrLoading() && (Value == vtPageSet || Value == vtPageSetDesc))
    if (TppCustomReport* M = GetMainReport()) M->SetPassSetting(psTwoPass);
  if (DesigningOutsidePrinting()) SetCaption(GetText());
  PropertyChanged();
  InvalidateLayout();
}

void TppSystemVariable::SetDisplayFormat(const std::string& Value) {
  TppCustomVariable::SetDisplayFormat(Value);
  if (DesigningOutsidePrinting()) SetCaption(GetText());
}

TppDataType TppSystemVariable::GetDataType() const {
  switch (FVarType) {
    case vtDate: return dtDate;
    case vtDateTime:
    case vtPrintDateTime: return dtDateTime;
    case vtDocumentName:
    case vtPageSet:
    case vtPageSetDesc:
    case vtPageNoDesc: return dtString;
    case vtPageCount:
    case vtPageNo: return dtInteger;
    case vtTime: return dtTime;
  }
  return dtNotKnown;
}

Variant TppSystemVariable::GetValue() const {
  const bool Printing = Generating(*this);
  TppCustomReport* R = GetReport();
  const int PageNo = Printing && R ? R->PageNo() : 1;
  const int PageCount = Printing && R ? R->PageCount() : 1;
  const TDateTime PrintTime = Printing && R ? R->PrintDateTime() : Now();
  switch (FVarType) {
    case vtDate: return Variant::OfDate(Date());
    case vtDateTime: return Variant::OfDate(Now());
    case vtDocumentName: return Variant(R && R->PrinterSetup() ? R->PrinterSetup()->DocumentName() : std::string());
    case vtPrintDateTime: return Variant::OfDate(PrintTime);
    case vtPageCount: return Variant(PageCount);
    case vtPageNo: return Variant(PageNo);
    case vtTime: return Variant::OfDate(Now() - Date());
    case vtPageSet:
    case vtPageSetDesc:
    case vtPageNoDesc: {
      std::string Text;
      FormatSystemVariable(FVarType, PageNo, PageCount, Text, Printing, PrintTime);
      return Variant(Text);
    }
  }
  return Variant();
}

std::string TppSystemVariable::GetDisplayText() const {
  const Variant V = GetValue();
  const TppDataType Type = GetDataType();
  std::string Text;
  if (FVarType == vtDocumentName || FVarType == vtPageSet || FVarType == vtPageSetDesc || FVarType == vtPageNoDesc)
    Text = V.AsString();
  else
    Text = FormatOrEmpty(OnFormat ? std::string() : DisplayFormat(), Type, V);
  if (OnFormat) OnFormat(const_cast<TppSystemVariable*>(this), DisplayFormat(), Type, V, Text);
  return Text;
}

std::string TppSystemVariable::GetDescription() const { return GetUserName() + ": " + VarTypeName(FVarType); }

std::string TppSystemVariable::GetDefaultPropHint() const { return KindName(378, "Tipo de Variável"); }

void TppSystemVariable::GetDefaultPropList(TStrings& List) {
  List.Clear();
  for (int T = vtDate; T <= vtTime; ++T) List.Add(VarTypeName(static_cast<TppVarType>(T)));
}

void TppSystemVariable::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppCustomVariable::PropertiesToDrawCommand(DrawCommand);
  if (auto* C = dynamic_cast<TppDrawVar*>(DrawCommand)) C->SetVarType(FVarType);
}

// ---- TppCalc

namespace {
#pragma pack(push, 1)
struct TCalcControlRecord {
  uint8_t DrawComponent = 0;
  uint8_t CustomBoolean = 0;
  uint8_t Unused2[6] = {};
  double CustomDateTime = 0;
  int32_t CustomInteger = 0;
  uint8_t Unused20[4] = {};
  double CustomDouble = 0;
};
#pragma pack(pop)
static_assert(sizeof(TCalcControlRecord) == 32);

// Before it, the custom type of a stream did not follow the calculation type.
constexpr int ppVersionCalcCustomType = 3000;
}  // namespace

TppCalc::TppCalc(TComponent* AOwner) : TppCustomText(AOwner) {
  SetCacheRecordSize(sizeof(TCalcControlRecord));
  SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawCalc(nullptr); });
  SetDefaultProp("CalcType", 4);
  AssignAutoSize(true);
  ClearCustom();
}

TppCalc::~TppCalc() { BeforeDestruction(); }

void TppCalc::ClearCustom() {
  FCustomBoolean = false;
  FCustomInteger = 0;
  FCustomDouble = 0;
  FCustomText.clear();
  FCustomDateTime = Now();
}

void TppCalc::CustomTypeFromCalcType() {
  switch (FCalcType) {
    case ctDate: FCustomType = dtDate; break;
    case ctDateTime:
    case ctPrintDateTime: FCustomType = dtDateTime; break;
    case ctPageCount:
    case ctPageNo: FCustomType = dtInteger; break;
    case ctTime: FCustomType = dtTime; break;
    default: FCustomType = dtString; break;
  }
}

void TppCalc::SetCalcType(TppCalcType Value) {
  FCalcType = Value;
  if (IsReadingOrLoading()) return;
  CustomTypeFromCalcType();
  if (DesigningOutsidePrinting()) {
    SetCaption(GetText());
    PropertyChanged();
  }
}

void TppCalc::SetCustomType(TppDataType Value) {
  if (IsReadingOrLoading() || FCalcType == ctCustom) FCustomType = Value;
}

void TppCalc::SetText(const std::string& Value) {
  if (FCalcType != ctCustom) return;
  FCustomText = Value;
  FCustomType = dtString;
  TppCustomText::SetText(Value);
}

void TppCalc::SetDisplayFormat(const std::string& Value) {
  TppCustomText::SetDisplayFormat(Value);
  if (DesigningOutsidePrinting()) SetCaption(GetText());
}

void TppCalc::Reset() {
  TppCustomText::Reset();
  ClearCustom();
}

void TppCalc::Compute() {
  if (FCalcType != ctCustom || !Generating(*this)) return;
  if (ResetOnCompute()) Reset();
  if (OnCalc) OnCalc(this);
}

Variant TppCalc::GetValue() const {
  if (FCalcType == ctCustom) {
    if (DesigningOutsidePrinting()) return Variant("Custom");
    switch (FCustomType) {
      case dtBoolean: return Variant(FCustomBoolean);
      case dtDate:
      case dtTime:
      case dtDateTime: return Variant::OfDate(FCustomDateTime);
      case dtInteger: return Variant(static_cast<int>(FCustomInteger));
      case dtDouble: return Variant(FCustomDouble);
      case dtString: return Variant(FCustomText);
      default: return Variant(std::string());
    }
  }
  const bool Printing = Generating(*this);
  TppCustomReport* R = GetReport();
  const int PageNo = Printing && R ? R->PageNo() : 1;
  const int PageCount = Printing && R ? R->PageCount() : 1;
  const TDateTime PrintTime = Printing && R ? R->PrintDateTime() : Now();
  switch (FCalcType) {
    case ctDate: return Variant::OfDate(Date());
    case ctDateTime: return Variant::OfDate(Now());
    case ctPrintDateTime: return Variant::OfDate(PrintTime);
    case ctPageCount: return Variant(PageCount);
    case ctPageNo: return Variant(PageNo);
    case ctTime: return Variant::OfDate(Now() - Date());
    default: {
      std::string Text;
      FormatSystemVariable(CalcTypeToVarType(FCalcType), PageNo, PageCount, Text, Printing, PrintTime);
      return Variant(Text);
    }
  }
}

std::string TppCalc::GetDisplayText() const {
  if (FCalcType > ctCustom) return {};
  const std::string Fmt = OnFormat ? std::string() : DisplayFormat();
  const Variant V = GetValue();
  std::string Text;
  if (FCalcType == ctPageSet || FCalcType == ctPageSetDesc || FCalcType == ctPageNoDesc ||
      (FCalcType == ctCustom && DesigningOutsidePrinting()))
    Text = V.AsString();
  else
    Text = FormatOrEmpty(Fmt, FCustomType, V);
  if (OnFormat) OnFormat(const_cast<TppCalc*>(this), DisplayFormat(), FCustomType, V, Text);
  return Text;
}

std::string TppCalc::GetDescription() const { return Name() + ": " + CalcTypeName(FCalcType); }

void TppCalc::GetDefaultPropList(TStrings& List) {
  List.Clear();
  for (int T = ctDate; T <= ctCustom; ++T) List.Add(CalcTypeName(static_cast<TppCalcType>(T)));
}

void TppCalc::SaveToCache(int Page) {
  TCalcControlRecord R;
  R.DrawComponent = DrawComponent() ? 1 : 0;
  R.CustomBoolean = FCustomBoolean ? 1 : 0;
  R.CustomDateTime = FCustomDateTime;
  R.CustomInteger = FCustomInteger;
  R.CustomDouble = FCustomDouble;
  WriteRecord(Page, R);
}

void TppCalc::RestoreFromCache(int Page) {
  TCalcControlRecord R;
  if (!ReadRecord(Page, R)) return;
  SetDrawComponent(R.DrawComponent != 0);
  FCustomBoolean = R.CustomBoolean != 0;
  FCustomDateTime = R.CustomDateTime;
  FCustomInteger = R.CustomInteger;
  FCustomDouble = R.CustomDouble;
}

void TppCalc::ConvertFromVersion(int Version) {
  TppCustomText::ConvertFromVersion(Version);
  if (Version < ppVersionCalcCustomType) CustomTypeFromCalcType();
}

void TppCalc::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppCustomText::PropertiesToDrawCommand(DrawCommand);
  if (auto* C = dynamic_cast<TppDrawCalc*>(DrawCommand)) {
    C->SetCalcType(FCalcType);
    C->SetDataType(FCustomType);
  }
}

void TppCalc::DefineProperties(TFiler* Filer) {
  TppCustomText::DefineProperties(Filer);
  // The field type of the first versions, read only.
  Filer->DefineProperty(
      "DataType",
      [this](TReader& R) {
        const std::string T = R.ReadIdent();
        if (T == "ftString")
          FCustomType = dtString;
        else if (T == "ftSmallint" || T == "ftInteger" || T == "ftWord" || T == "ftBytes")
          FCustomType = dtInteger;
        else if (T == "ftFloat" || T == "ftCurrency")
          FCustomType = dtDouble;
        else if (T == "ftBoolean")
          FCustomType = dtBoolean;
        else if (T == "ftDate")
          FCustomType = dtDate;
        else if (T == "ftTime")
          FCustomType = dtTime;
        else if (T == "ftDateTime")
          FCustomType = dtDateTime;
      },
      nullptr, false);
}

// ---- replacing old calculations

TppComponent* ConvertCalcControl(TppBand& Band, TppComponent& Old) {
  auto* Calc = dynamic_cast<TppCalc*>(&Old);
  if (!Calc) return nullptr;
  TComponent* Beside = Band.Report() ? static_cast<TComponent*>(Band.Report()) : static_cast<TComponent*>(&Band);
  const TClassInfo& Class =
      Calc->CalcType() == ctCustom ? TppVariable::StaticClassInfo() : TppSystemVariable::StaticClassInfo();
  auto* New = dynamic_cast<TppCustomVariable*>(CreateUniqueComponent(Beside, Class));
  if (!New) return nullptr;
  New->SetBand(&Band);
  if (auto* V = dynamic_cast<TppVariable*>(New)) {
    V->SetDataType(Calc->CustomType());
    V->OnFormat = Calc->OnFormat;
    V->OldOnCalc = Calc->OnCalc;
  } else {
    auto* S = static_cast<TppSystemVariable*>(New);
    S->SetVarType(CalcTypeToVarType(Calc->CalcType()));
    S->OnFormat = Calc->OnFormat;
  }
  New->SetUnits(Calc->Units());
  New->SetBounds(Calc->mmLeft(), Calc->mmTop(), Calc->mmWidth(), Calc->mmHeight());
  New->SetAlignment(Calc->Alignment());
  New->SetAutoSize(Calc->AutoSize());
  New->SetColor(Calc->Color());
  New->SetDisplayFormat(Calc->DisplayFormat());
  New->SetFont(Calc->Font());
  New->SetTransparent(Calc->Transparent());
  New->SetUserName(Calc->GetUserName());
  New->SetVisible(Calc->Visible());
  New->SetWordWrap(Calc->WordWrap());
  New->OnDrawCommandClick = Calc->OnDrawCommandClick;
  New->OnDrawCommandCreate = Calc->OnDrawCommandCreate;
  New->OnGetText = Calc->OnGetText;
  New->OnPrint = Calc->OnPrint;
  return New;
}

// ---- class records

const TClassInfo& TppCustomVariable::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppCustomVariable>("TppCustomVariable", &TppCustomText::StaticClassInfo());
  return Info;
}

const TClassInfo& TppVariable::StaticClassInfo() {
  using C = TppVariable;
  static const TClassInfo Info =
      TClassDef<C>("TppVariable", &TppCustomVariable::StaticClassInfo())
          .SetProp<TppAnchorType>("Anchors", &C::Anchors, &C::SetAnchors)
          .Default(ppAnchorLeft | ppAnchorTop)
          .Prop("AutoSize", &C::AutoSize, &C::SetAutoSize)
          .Default(1)
          .Prop("BlankWhenZero", &C::BlankWhenZero, &C::SetBlankWhenZero)
          .NoDefault()
          .Prop("Border", &C::Border, &C::SetBorder)
          .Prop("CalcComponent", &C::CalcComponent, &C::SetCalcComponent)
          .Stored([](const C& V) { return V.CalcComponent() && !dynamic_cast<TppDataPipeline*>(V.CalcComponent()); })
          .Prop("CalcOrder", &C::CalcOrder, &C::SetCalcOrder)
          .Default(-1)
          .Prop("CalcType", &C::CalcType, &C::SetCalcType)
          .Default(veTraversal)
          .Prop("Color", &C::Color, &C::SetColor)
          .Default(clWhite)
          .Prop("DataType", &C::DataType, &C::SetDataType)
          .Default(dtString)
          .Prop("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat)
          .Prop("Font", &C::Font, &C::SetFont)
          .Prop("Height", &C::GetHeight, &C::SetHeight)
          .Stored(false)
          .Prop("Left", &C::GetLeft, &C::SetLeft)
          .Stored(false)
          .Prop("LookAhead", &C::LookAhead, &C::SetLookAhead)
          .Default(0)
          .Event("OldOnCalc", &C::OldOnCalc)
          .Event("OnCalc", &C::OnCalc)
          .Event("OnDrawCommandClick", &C::OnDrawCommandClick)
          .Event("OnDrawCommandCreate", &C::OnDrawCommandCreate)
          .Event("OnFormat", &C::OnFormat)
          .Event("OnReset", &C::OnReset)
          .Prop("ResetComponent", &C::ResetComponent, &C::SetResetComponent)
          .Stored([](const C& V) { return V.ResetComponent() && !dynamic_cast<TppDataPipeline*>(V.ResetComponent()); })
          .Prop("ResetType", &C::ResetType, &C::SetResetType)
          .Default(veReportEnd)
          .Prop("TextAlignment", &C::TextAlignment, &C::SetTextAlignment)
          .Default(taLeftJustified)
          .Prop("Top", &C::GetTop, &C::SetTop)
          .Stored(false)
          .Prop("Transparent", &C::Transparent, &C::SetTransparent)
          .Default(0)
          .Prop("Visible", &C::Visible, &C::SetVisible)
          .Default(1)
          .Prop("Width", &C::GetWidth, &C::SetWidth)
          .Stored(false)
          .Prop("WordWrap", &C::WordWrap, &C::SetWordWrap)
          .Default(0);
  return Info;
}

const TClassInfo& TppSystemVariable::StaticClassInfo() {
  using C = TppSystemVariable;
  static const TClassInfo Info =
      TClassDef<C>("TppSystemVariable", &TppCustomVariable::StaticClassInfo())
          .SetProp<TppAnchorType>("Anchors", &C::Anchors, &C::SetAnchors)
          .Default(ppAnchorLeft | ppAnchorTop)
          .Prop("AutoSize", &C::AutoSize, &C::SetAutoSize)
          .Default(1)
          .Prop("Border", &C::Border, &C::SetBorder)
          .Prop("VarType", &C::VarType, &C::SetVarType)
          .Default(vtDate)
          .Prop("Color", &C::Color, &C::SetColor)
          .Default(clWhite)
          .Prop("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat)
          .Prop("Font", &C::Font, &C::SetFont)
          .Event("OnDrawCommandClick", &C::OnDrawCommandClick)
          .Event("OnDrawCommandCreate", &C::OnDrawCommandCreate)
          .Prop("TextAlignment", &C::TextAlignment, &C::SetTextAlignment)
          .Default(taLeftJustified)
          .Prop("Transparent", &C::Transparent, &C::SetTransparent)
          .Default(0)
          .Prop("Visible", &C::Visible, &C::SetVisible)
          .Default(1)
          .Prop("WordWrap", &C::WordWrap, &C::SetWordWrap)
          .Default(0)
          .Prop("Left", &C::GetLeft, &C::SetLeft)
          .Stored(false)
          .Prop("Top", &C::GetTop, &C::SetTop)
          .Stored(false)
          .Prop("Width", &C::GetWidth, &C::SetWidth)
          .Stored(false)
          .Prop("Height", &C::GetHeight, &C::SetHeight)
          .Stored(false);
  return Info;
}

const TClassInfo& TppCalc::StaticClassInfo() {
  using C = TppCalc;
  static const TClassInfo Info =
      TClassDef<C>("TppCalc", &TppCustomText::StaticClassInfo())
          .Prop("Alignment", &C::Alignment, &C::SetAlignment)
          .Default(taLeftJustify)
          .Prop("AutoSize", &C::AutoSize, &C::SetAutoSize)
          .Default(1)
          .Prop("CalcType", &C::CalcType, &C::SetCalcType)
          .Default(ctDate)
          .Prop("Color", &C::Color, &C::SetColor)
          .Default(clWhite)
          .Prop("CustomType", &C::CustomType, &C::SetCustomType)
          .NoDefault()
          .Prop("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat)
          .Prop("Font", &C::Font, &C::SetFont)
          .Event("OnCalc", &C::OnCalc)
          .Event("OnFormat", &C::OnFormat)
          .Event("OnDrawCommandClick", &C::OnDrawCommandClick)
          .Event("OnDrawCommandCreate", &C::OnDrawCommandCreate)
          .Prop("Transparent", &C::Transparent, &C::SetTransparent)
          .Default(0)
          .Prop("Visible", &C::Visible, &C::SetVisible)
          .Default(1)
          .Prop("WordWrap", &C::WordWrap, &C::SetWordWrap)
          .Default(0)
          .Prop("Left", &C::GetLeft, &C::SetLeft)
          .Stored(false)
          .Prop("Top", &C::GetTop, &C::SetTop)
          .Stored(false)
          .Prop("Width", &C::GetWidth, &C::SetWidth)
          .Stored(false)
          .Prop("Height", &C::GetHeight, &C::SetHeight)
          .Stored(false);
  return Info;
}

// ---- start-up

void InitializeVarUnit() {
  ppRegisterModelComponents({&TppSystemVariable::StaticClassInfo(), &TppVariable::StaticClassInfo()});
  RegisterPPClasses({&TppCalc::StaticClassInfo()});
  TppBand::SetCalcControlConverter(ConvertCalcControl);
}

void FinalizeVarUnit() {
  TppBand::SetCalcControlConverter(nullptr);
  UnregisterPPClasses({&TppCalc::StaticClassInfo()});
  ppUnregisterModelComponents({&TppSystemVariable::StaticClassInfo(), &TppVariable::StaticClassInfo()});
}
