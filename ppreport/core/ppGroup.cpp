#include "ppreport/core/ppGroup.h"

#include <cstring>

#include "platform/classes/Filer.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppOutlineGroupNodeCreator.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppReaderUtils.h"

namespace {
constexpr int ppGroupDescription = 331;
}

TppGroup::TppGroup(TComponent* AOwner)
    : TppCacheable(AOwner), FOutlineSettings(std::make_unique<TppOutlineSettings>(this)) {
  SetCacheRecordSize(sizeof(TppGroupCacheRecord));
}

TppGroup::~TppGroup() { BeforeDestruction(); }

void TppGroup::Destroying() {
  // The report's cache manager shares the link that tells it this group is gone: keep it.
  FCacheManager = nullptr;
  FPageSnapshot.reset();
  if (FDataPipeline) {
    FDataPipeline->RemoveEventNotify(this);
    RemoveNotify(FDataPipeline);
  }
  FDataPipeline = nullptr;
  if (FBreakType == btCustomField && FBreakComponent) LeaveBreakComponent(FBreakComponent);
  FBreakComponent = nullptr;
  SetReport(nullptr);
  delete FHeaderBand;
  FHeaderBand = nullptr;
  delete FFooterBand;
  FFooterBand = nullptr;
  TppCacheable::Destroying();
}

// ---- report and bands

void TppGroup::SetReport(TppCustomReport* NewReport) {
  if (FReport) {
    if (FHeaderBand) FHeaderBand->SetReport(nullptr);
    if (FFooterBand) FFooterBand->SetReport(nullptr);
    FReport->RemoveGroup(this);
  }
  FReport = NewReport;
  if (!FReport || HasState(csDestroying)) return;
  FReport->AddGroup(this);
  if (FHeaderBand) FHeaderBand->SetReport(FReport);
  if (FFooterBand) FFooterBand->SetReport(FReport);
  FUnits = FReport->Units();
  RefreshBands();
}

void TppGroup::SetHeaderBand(TppBand* Band) {
  if (FReport && FHeaderBand) FHeaderBand->SetReport(nullptr);
  FHeaderBand = Band;
  if (Band) AddNotify(Band);  // a band its owner frees first is forgotten
  if (FReport && Band) Band->SetReport(FReport);
}

void TppGroup::SetFooterBand(TppBand* Band) {
  if (FReport && FFooterBand) FFooterBand->SetReport(nullptr);
  FFooterBand = Band;
  if (Band) AddNotify(Band);
  if (FReport && Band) Band->SetReport(FReport);
}

// The group bands of the generation library react to their group's change (their caption); the
// base band has no such step, so a caption refresh stands for it.
void TppGroup::GroupChanged() {
  if (FHeaderBand) FHeaderBand->SetCaption(FHeaderBand->GetDefaultCaption());
  if (FFooterBand) FFooterBand->SetCaption(FFooterBand->GetDefaultCaption());
}

void TppGroup::RefreshBands() { GroupChanged(); }

void TppGroup::NotifyBandsMoved() {
  if (!FReport) return;
  FReport->SendDesignerMessage(ppdmObjectMove, ppdmMessageClass, reinterpret_cast<intptr_t>(FHeaderBand));
  FReport->SendDesignerMessage(ppdmObjectMove, ppdmMessageClass, reinterpret_cast<intptr_t>(FFooterBand));
}

void TppGroup::ResetReport() {
  if (FReport) FReport->Reset();
}

TComponent* TppGroup::GetParentComponent() const { return FReport; }

void TppGroup::SetParentComponent(TComponent* Value) {
  if (auto* R = dynamic_cast<TppCustomReport*>(Value)) SetReport(R);
}

void TppGroup::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) {
  if (FHeaderBand) Proc(FHeaderBand);
  if (FFooterBand) Proc(FFooterBand);
}

int TppGroup::GetGroupNo() const { return FReport ? FReport->IndexOfGroup(this) : -1; }

std::string TppGroup::GetDescription() const {
  if (!FReport) return {};
  std::string Text;
  if (FBreakType == btCustomField) {
    if (FBreakComponent) Text = FBreakComponent->GetDescription();
  } else if (FDataPipeline) {
    Text = FDataPipeline->GetFieldAlias(FBreakName);
  }
  return LanguageString(ppGroupDescription) + " [" + std::to_string(GetGroupNo()) + "]: " + Text;
}

// ---- options

void TppGroup::SetKeepTogether(bool Value) {
  FKeepTogether = Value;
  if (Value) {
    SetNewPage(false);
    SetNewColumn(false);
  }
  ResetReport();
}

void TppGroup::SetNewPage(bool Value) {
  FNewPage = Value;
  if (Value) SetKeepTogether(false);
  if (!IsReadingOrLoading()) ResetReport();
}

void TppGroup::SetNewColumn(bool Value) {
  FNewColumn = Value;
  if (Value) SetKeepTogether(false);
  ResetReport();
}

void TppGroup::SetHeaderForOrphanedFooter(bool Value) {
  FHeaderForOrphanedFooter = Value;
  ResetReport();
}

void TppGroup::SetReprintOnSubsequentPage(bool Value) {
  FReprintOnSubsequentPage = Value;
  ResetReport();
}

void TppGroup::SetReprintOnSubsequentColumn(bool Value) {
  FReprintOnSubsequentColumn = Value;
  ResetReport();
}

namespace {
const IppPrinterResolution* PrinterFor(TppCustomReport* Report) {
  if (Report) return Report->GetPrinter();
  return GetSharedPrinter();
}
}  // namespace

float TppGroup::GetNewPageThreshold() const {
  return ConvertFromMicrons(FNewPageThreshold, FUnits, ppVertical, FUnits == utPrinterPixels ? PrinterFor(FReport) : nullptr);
}

float TppGroup::GetNewColumnThreshold() const {
  return ConvertFromMicrons(FNewColumnThreshold, FUnits, ppVertical,
                            FUnits == utPrinterPixels ? PrinterFor(FReport) : nullptr);
}

void TppGroup::SetNewColumnThreshold(float Value) {
  FNewColumnThreshold =
      ConvertToMicrons(FUnits, ppVertical, FUnits == utPrinterPixels ? PrinterFor(FReport) : nullptr, Value);
  ResetReport();
}

void TppGroup::SetNewPageThreshold(float Value) {
  if (HasState(csReading)) {
    FOldThreshold = Value;  // converted by ConvertFromVersion
    return;
  }
  FNewPageThreshold =
      ConvertToMicrons(FUnits, ppVertical, FUnits == utPrinterPixels ? PrinterFor(FReport) : nullptr, Value);
  ResetReport();
}

void TppGroup::SetBreakType(TppBreakType Value) {
  if (!FReport || FReport->Printing() || Value == FBreakType) return;
  FBreakType = Value;
  FLookUpAgain = true;
}

void TppGroup::JoinBreakComponent(TppComponent* Component) {
  if (Component && Component->IsText()) Component->AddBreakGroup(this);
}

void TppGroup::LeaveBreakComponent(TppComponent* Component) {
  if (Component && Component->IsText()) Component->RemoveBreakGroup(this);
}

void TppGroup::SetBreakName(const std::string& Value) {
  if (Value == FBreakName) return;
  if (IsReadingOrLoading() || FBreakType == btDataField) {
    FBreakName = Value;
  } else {
    LeaveBreakComponent(GetBreakComponent());
    FBreakName = Value;
    TppComponent* Found = FindBreakComponent();
    if (Found && Found->IsText()) JoinBreakComponent(Found);
    else FBreakName.clear();
  }
  FLookUpAgain = true;
  ResetReport();
  GroupChanged();
}

TppComponent* TppGroup::FindBreakComponent() {
  FBreakComponent = nullptr;
  if (HasState(csReading)) return nullptr;
  if (FReport && FBreakType == btCustomField) FBreakComponent = FReport->FindObjectByName(FBreakName);
  if (FBreakComponent) AddNotify(FBreakComponent);
  return FBreakComponent;
}

TppComponent* TppGroup::GetBreakComponent() {
  if (FBreakType == btDataField) {
    FBreakComponent = nullptr;
    return nullptr;
  }
  if (FLookUpAgain || !FBreakComponent) FindBreakComponent();
  return FBreakComponent;
}

// ---- pipeline

void TppGroup::SetDataPipeline(TppDataPipeline* Value) {
  if (FDataPipeline) FDataPipeline->RemoveEventNotify(this);
  FDataPipeline = Value;
  if (Value) Value->AddEventNotify(this);  // links both ways too
  Notify(Value, ppopDataChange);
  ResetReport();
}

void TppGroup::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCacheable::Notify(Partner, Operation);
  if (Operation != ppopRemove || !Partner) return;
  if (Partner == FDataPipeline) {
    FDataPipeline = nullptr;
    ResetReport();
  }
  if (Partner == FCacheManager) FCacheManager = nullptr;
  if (Partner == FHeaderBand) FHeaderBand = nullptr;
  if (Partner == FFooterBand) FFooterBand = nullptr;
  if (Partner == FBreakComponent) FBreakComponent = nullptr;
}

void TppGroup::ResolveDataPipeline(const TppDataPipelineList& List) {
  if (FBreakType == btDataField && !FDataPipeline && !FDataPipelineName.empty())
    SetDataPipeline(List.GetDataPipelineForName(FDataPipelineName));
}

void TppGroup::ReplaceDataPipeline(TppDataPipeline* NewPipeline, const std::string& UserName) {
  if (FDataPipeline && FDataPipeline->GetUserName() == UserName) SetDataPipeline(NewPipeline);
}

void TppGroup::RenameDataField(const std::string& OldName, const std::string& NewName) {
  if (SameTextAscii(FBreakName, OldName)) FBreakName = NewName;
}

void TppGroup::RenameBreakComponent(const std::string& OldName, const std::string& NewName) {
  if (FBreakType != btCustomField || FBreakName != OldName) return;
  FBreakName = NewName;
  GroupChanged();
}

// ---- breaks

std::string TppGroup::GetCurrentValue() {
  std::string Value = FBreakValue;
  if (FBreakType == btDataField && FDataPipeline) Value = FDataPipeline->GetFieldAsString(FBreakName);
  else if (FBreakType == btCustomField)
    if (TppComponent* C = GetBreakComponent()) Value = C->GetText();
  if (OnGetBreakValue) OnGetBreakValue(this, Value);
  TraParamList Params;
  Params.AddParam("BreakValue", vkString, nullptr, {}, false, true);
  Params.BindParam(0, &Value);
  SendEventNotify(this, ciGroupGetBreakValue, &Params);
  return Value;
}

void TppGroup::CheckForBreak() {
  FPriorValue = FBreakValue;
  FBreakValue = GetCurrentValue();
  if (FBreakValue != FPriorValue) StartBreak();
  else if (FDataPipeline && (FDataPipeline->State() & ppdsNoRecords)) StartBreak();
}

void TppGroup::StartBreak() {
  FBreaking = true;
  if (FHeaderBand) FHeaderBand->SetBreaking(true);
  if (FFooterBand) FFooterBand->SetBreaking(true);
  SendEventNotify(this, ciGroupBreakStart, nullptr);
}

void TppGroup::InitBreakValue() {
  FPriorValue = GetCurrentValue();
  FBreakValue = FPriorValue;
}

void TppGroup::InitializeBreak() {
  FBreakNo = 0;
  FFirstPageNo = FLastPageNo = FFirstColumn = 1;
  FBreakValue = GetCurrentValue();
  FPriorValue = FBreakValue;
  FBreaking = false;
  SendEventNotify(this, ciGroupBreakStart, nullptr);
}

void TppGroup::Init() {
  FFirstPageNo = FLastPageNo = FFirstColumn = 1;
  FBreakValue.clear();
  FPriorValue.clear();
}

void TppGroup::CheckBeforeGroupBreak() {
  if (FHeaderBand && FHeaderBand->Breaking() && !FHeaderBand->OverFlow() && !FHeaderBand->PartialGeneration())
    DoBeforeGroupBreak();
}

void TppGroup::DoBeforeGroupBreak() {
  if (BeforeGroupBreak) BeforeGroupBreak(this);
  SendEventNotify(this, ciGroupBeforeBreak, nullptr);
}

void TppGroup::DoAfterGroupBreak() {
  if (AfterGroupBreak) AfterGroupBreak(this);
  SendEventNotify(this, ciGroupAfterBreak, nullptr);
}

void TppGroup::UpdateLastPageNo() {
  if (FReport) FLastPageNo = FReport->AbsolutePageNo();
  UpdateCachedPageNos();
}

void TppGroup::DoBeforeHeader() { SendEventNotify(this, ciGroupBeforeHeader, nullptr); }
void TppGroup::DoBeforeFooter() { SendEventNotify(this, ciGroupBeforeFooter, nullptr); }

// ---- page numbers and the cache record

bool TppGroup::GetFirstPage() const { return FReport && FReport->AbsolutePageNo() == FFirstPageNo; }

int TppGroup::GetPageNo() const { return (FReport ? FReport->AbsolutePageNo() : 0) - FFirstPageNo + 1; }

void TppGroup::SaveToCache(int Page) {
  TppGroupCacheRecord R{};
  R.FirstPageNo = FFirstPageNo;
  R.LastPageNo = FLastPageNo;
  R.Breaking = FBreaking ? 1 : 0;
  R.BreakNo = FBreakNo;
  R.FirstColumn = FFirstColumn;
  R.KeptTogether = FKeptTogether ? 1 : 0;
  WriteRecord(Page, R);
}

void TppGroup::RestoreFromCache(int Page) {
  FKeepTogetherSaved = false;  // a restore point belongs to the page it was taken on
  TppGroupCacheRecord R{};
  if (!ReadRecord(Page, R)) return;
  FFirstPageNo = R.FirstPageNo;
  FLastPageNo = R.LastPageNo;
  FBreaking = R.Breaking != 0;
  FBreakNo = R.BreakNo;
  FFirstColumn = R.FirstColumn;
  FKeptTogether = R.KeptTogether != 0;
}

void TppGroup::CacheTruncated(int Pages) {
  TppCacheable::CacheTruncated(Pages);
  FKeptTogether = false;
  FKeepTogetherSaved = false;
}

void TppGroup::UpdateCachedPageNos() {
  TStream* Stream = CacheStream();
  if (!Stream || CacheRecordSize() < 1 || CacheCount() < 1) return;
  const int64_t Records = Round(static_cast<long double>(Stream->Size()) / CacheRecordSize());
  int P = static_cast<int>(Round(static_cast<long double>(Records) / CacheCount())) - 1;
  for (; P >= 0; --P) {
    TppGroupCacheRecord R{};
    if (!ReadRecord(P, R) || R.BreakNo != FBreakNo) break;
    R.FirstPageNo = FFirstPageNo;
    R.LastPageNo = FLastPageNo;
    WriteRecord(P, R);
  }
}

// ---- outline

std::vector<TComponent*> TppGroup::GetOutlineChildren() const {
  std::vector<TComponent*> Children;
  if (!FReport) return Children;
  const int No = GetGroupNo();
  if (No == FReport->GroupCount() - 1) {
    if (TppBand* Detail = FReport->GetDetailBand()) {
      std::vector<TppComponent*> SubReports;
      Detail->GetSubReports(SubReports);
      Children.assign(SubReports.begin(), SubReports.end());
    }
  } else if (No >= 0) {
    Children.push_back(FReport->GetGroup(No + 1));
  }
  return Children;
}

TComponent* TppGroup::GetOutlineParent() const {
  // The outline runs from the main report through its groups, in nesting order.
  if (!FReport) return nullptr;
  const int No = GetGroupNo();
  if (No > 0) return FReport->GetGroup(No - 1);
  return No == 0 ? FReport : nullptr;
}

void TppGroup::ResetOutlineReport() { ResetReport(); }

const TClassInfo& TppGroup::GetNodeCreatorClass() const { return TppOutlineGroupNodeCreator::StaticClassInfo(); }

void TppGroup::SetOutlineSettings(const TppOutlineSettings* Value) {
  if (Value) FOutlineSettings->Assign(Value);
}

// ---- streaming

void TppGroup::ReadState(TReader& Reader) {
  FDataPipelineName = TppHReaderUtils::PeekIdentProperty(Reader, "DataPipeline");
  TppCacheable::ReadState(Reader);
}

void TppGroup::Loaded() {
  if (FBreakType == btCustomField)
    if (TppComponent* C = FindBreakComponent()) JoinBreakComponent(C);
  TppCacheable::Loaded();
}

void TppGroup::DefineProperties(TFiler* Filer) {
  TppCacheable::DefineProperties(Filer);
  const auto* Anc = dynamic_cast<const TppGroup*>(Filer->Ancestor());
  TppHReaderUtils::DefineMicrons(*Filer, "mmNewColumnThreshold", FNewColumnThreshold,
                                 Anc ? &Anc->FNewColumnThreshold : nullptr);
  TppHReaderUtils::DefineMicrons(*Filer, "mmNewPageThreshold", FNewPageThreshold,
                                 Anc ? &Anc->FNewPageThreshold : nullptr);
  Filer->DefineProperty(
      "DataPipelineName", [this](TReader& R) { FDataPipelineName = R.ReadString(); },
      [this](TWriter& W) { W.WriteString(FDataPipeline ? FDataPipeline->Name() : std::string()); },
      !Anc || Anc->FDataPipeline != FDataPipeline);
  Filer->DefineProperty("FieldName", [this](TReader& R) { FOldFieldName = R.ReadString(); }, nullptr, false);
  Filer->DefineProperty("ReprintOnSubsequent", [this](TReader& R) { FOldReprint = R.ReadBoolean(); }, nullptr,
                        false);
  Filer->DefineProperty("Left", [](TReader& R) { R.SkipValue(); }, nullptr, false);
  Filer->DefineProperty("Top", [](TReader& R) { R.SkipValue(); }, nullptr, false);
}

void TppGroup::ConvertFromVersion(int Version) {
  if (Version < ppVersionDataField) FBreakName = FOldFieldName;
  if (FReport && Version <= ppVersionScreenPixels) {
    FNewColumn = FNewPage;
    FReprintOnSubsequentPage = FOldReprint;
    FReprintOnSubsequentColumn = FOldReprint;
    const TppUnitType Unit = FReport->Units();
    const int32_t T =
        ConvertToMicrons(Unit, ppVertical, Unit == utPrinterPixels ? PrinterFor(FReport) : nullptr, FOldThreshold);
    FNewPageThreshold = T;
    FNewColumnThreshold = T;
  }
}

// ---- class record

const TClassInfo& TppGroup::StaticClassInfo() {
  using G = TppGroup;
  static const TClassInfo Info =
      TClassDef<G>("TppGroup", &TppCacheable::StaticClassInfo())
          .Event("AfterGroupBreak", &G::AfterGroupBreak)
          .Event("BeforeGroupBreak", &G::BeforeGroupBreak)
          .Prop("BreakName", &G::BreakName, &G::SetBreakName)
          .Prop("BreakType", &G::BreakType, [](G& S, TppBreakType V) { S.FBreakType = V; })
          .Default(btDataField)
          .Prop("DataPipeline", &G::DataPipeline, &G::SetDataPipeline)
          .Prop("HeaderForOrphanedFooter", &G::HeaderForOrphanedFooter, &G::SetHeaderForOrphanedFooter)
          .Default(1)
          .Prop("KeepTogether", &G::KeepTogether, &G::SetKeepTogether)
          .Default(0)
          .Event("OnGetBreakValue", &G::OnGetBreakValue)
          .Prop("NewColumn", &G::NewColumn, &G::SetNewColumn)
          .Default(0)
          .Prop("NewPage", &G::NewPage, &G::SetNewPage)
          .Default(0)
          .Prop("NewColumnThreshold", &G::GetNewColumnThreshold, &G::SetNewColumnThreshold)
          .Stored(false)
          .Prop("NewPageThreshold", &G::GetNewPageThreshold, &G::SetNewPageThreshold)
          .Stored(false)
          .Prop("OutlineSettings", &G::OutlineSettings, &G::SetOutlineSettings)
          .Prop("ResetPageNo", &G::ResetPageNo, &G::SetResetPageNo)
          .Default(0)
          .Prop("ReprintOnSubsequentColumn", &G::ReprintOnSubsequentColumn, &G::SetReprintOnSubsequentColumn)
          .Default(1)
          .Prop("ReprintOnSubsequentPage", &G::ReprintOnSubsequentPage, &G::SetReprintOnSubsequentPage)
          .Default(1)
          .Prop("UserName", &G::GetUserName, &G::SetUserName);
  return Info;
}
