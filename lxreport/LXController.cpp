#include "lxreport/LXController.h"

#include <algorithm>
#include <chrono>

#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXEvaluator.h"
#include "lxreport/LXPrintable.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/Application.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/data/DB.h"
#include "platform/data/DBTables.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/LocaleCase.h"

namespace {
// Masters never loop (their setters refuse it); deeper than this, a tree is damaged.
constexpr int MaxDepth = 1000;

using TClock = std::chrono::steady_clock;
constexpr TClock::duration MessageInterval = std::chrono::milliseconds(20);
// When the run's thread last handled its messages.
thread_local TClock::time_point LastMessages;

template <class T>
void Forget(std::vector<T*>& List, const TComponent* C) {
  std::erase_if(List, [C](T* X) { return static_cast<const TComponent*>(X) == C; });
}
}  // namespace

bool DataSetReady(const TDataSet* D) { return D && D->Active(); }

// ---- TLXCustomController

const TClassInfo& TLXCustomController::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXCustomController>("TLXCustomController", &TComponent::StaticClassInfo())
                                     .Factory(nullptr);
  return Info;
}

TLXCustomController::TLXCustomController(TComponent* NamingOwner)
    : TComponent(nullptr), FNamingOwner(NamingOwner), FSelfCheck(this) {}

TLXCustomController::~TLXCustomController() = default;

void TLXCustomController::AttachMaster(TComponent* Value) {
  if (Value == this) return;
  if (Value && !dynamic_cast<TCustomVexaRep*>(Value) && !dynamic_cast<TLXCustomController*>(Value) &&
      !dynamic_cast<TLXControllerBand*>(Value))
    return;
  FMaster = Value;
  if (Value) FreeNotification(Value);
}

void TLXCustomController::CollectChildren() {
  if (HasState(csDestroying)) return;
  FBeforeList.clear();
  FAfterList.clear();
  FGroupList.clear();
  TComponent* Root = nullptr;
  if (auto* C = dynamic_cast<TLXCustomController*>(FSelfCheck))
    Root = C->FNamingOwner;
  else if (FSelfCheck)
    Root = FSelfCheck->Owner();
  CollectFrom(Root, 0);
  if (FSelfCheck != Root) CollectFrom(FSelfCheck, 0);
  ListDataSets();
}

void TLXCustomController::CollectFrom(TComponent* Owner, int Depth) {
  if (!Owner || Depth > MaxDepth) return;
  for (int I = 0; I < Owner->ComponentCount(); ++I) {
    TComponent* C = Owner->Components(I);
    if (C->HasState(csDestroying)) continue;  // going: no pointer to it may stay in the lists
    TLXCustomController* Child = dynamic_cast<TLXCustomController*>(C);
    if (auto* Band = dynamic_cast<TLXControllerBand*>(C)) Child = Band->OwnedController();
    if (Child && Child != this && Child->FMaster && Child->FMaster == FSelfCheck) {
      Child->FParentReport = FParentReport;
      (Child->FPrintBefore ? FBeforeList : FAfterList).push_back(Child);
      Child->CollectChildren();
    } else if (auto* G = dynamic_cast<TLXGroup*>(C); G && G->Master() && G->Master() == FSelfCheck) {
      FGroupList.push_back(G);
      if (FParentReport) G->SetReport(FParentReport);
    }
  }
}

// ---- A run

void TLXCustomController::ProcessMessages() {
  LastMessages = TClock::now();
  if (Application) Application->ProcessMessages();
}

void TLXCustomController::ProcessMessagesBetweenRecords() {
  if (TClock::now() - LastMessages >= MessageInterval) ProcessMessages();
}

bool TLXCustomController::RunCancelled() const {
  // Either side may cancel: the report (a closed preview) or its printer (the progress window).
  TCustomVexaRep* R = FParentReport;
  return R && (R->Cancelled() || (R->ActivePrinter() && R->ActivePrinter()->Cancelled()));
}

void TLXCustomController::PrepareRun() {
  ClearNotifyTargets();
  for (TLXCustomController* C : FBeforeList) C->PrepareRun();
  for (TLXCustomController* C : FAfterList) C->PrepareRun();
  for (TLXGroup* G : FGroupList) G->PrepareGroup();
  FLocalEntry = nullptr;
  if (FParentReport && FNamingOwner)
    FLocalEntry = FParentReport->Functions()->FirstElementOf(FNamingOwner->Name());
}

void TLXCustomController::UnprepareRun() {
  for (TLXCustomController* C : FBeforeList) C->UnprepareRun();
  for (TLXCustomController* C : FAfterList) C->UnprepareRun();
  for (TLXGroup* G : FGroupList) G->UnprepareGroup();
  FLocalEntry = nullptr;
}

void TLXCustomController::Run() {
  if (FPrintIfEmpty) RunEmpty();
}

void TLXCustomController::RunEmpty() {
  RunBeforeControllers();
  RunAfterControllers();
}

// By index: a list may change under a band's events.
void TLXCustomController::RunBeforeControllers() {
  for (size_t I = 0; I < FBeforeList.size(); ++I) FBeforeList[I]->Run();
}

void TLXCustomController::RunAfterControllers() {
  for (size_t I = 0; I < FAfterList.size(); ++I) FAfterList[I]->Run();
}

void TLXCustomController::UpdateLocalValue() {
  TLXEvValue V;
  LocalValue(V);
  TLXEvEnvironment::StoreValue(FLocalEntry, V);
}

void TLXCustomController::BreakGroupsAfter(size_t Index) {
  for (size_t J = Index + 1; J < FGroupList.size(); ++J) FGroupList[J]->ForceBreak();
}

bool TLXCustomController::DetectGroupBreaks() {
  for (size_t I = 0; I < FGroupList.size(); ++I) {
    FGroupList[I]->EvaluateBreak();
    if (FGroupList[I]->Broken()) {
      BreakGroupsAfter(I);
      return true;
    }
  }
  return false;
}

void TLXCustomController::ReprintGroupHeaders() {
  // During a change the groups from the first broken one on are being printed (or closed)
  // anyway; the ones outside them go on and may need their headers on the new page.
  size_t Limit = FGroupList.size();
  if (FChangingGroups)
    for (size_t I = 0; I < FGroupList.size(); ++I)
      if (FGroupList[I]->Broken()) {
        Limit = I;
        break;
      }
  for (size_t I = 0; I < FBeforeList.size(); ++I) FBeforeList[I]->ReprintGroupHeaders();
  // The marks of the change in progress (or of the last test) stay as they were.
  std::vector<bool> Marks;
  for (TLXGroup* G : FGroupList) Marks.push_back(G->Broken());
  TFinally Restore([&] {
    for (size_t I = 0; I < FGroupList.size() && I < Marks.size(); ++I) FGroupList[I]->SetBroken(Marks[I]);
  });
  for (size_t I = 0; I < Limit; ++I) {
    FGroupList[I]->CheckReprint();
    if (!FGroupList[I]->Broken()) continue;
    // The first group to reprint brings every group inside it up to the changing ones.
    for (size_t J = I; J < Limit && J < FGroupList.size(); ++J) FGroupList[J]->PrintGroupHeader();
    break;
  }
  for (size_t I = 0; I < FAfterList.size(); ++I) FAfterList[I]->ReprintGroupHeaders();
}

void TLXCustomController::PrintGroupHeaders() {
  TRestore<bool> Changing(FChangingGroups, true);
  for (size_t I = 0; I < FGroupList.size(); ++I)
    if (FGroupList[I]->Broken()) FGroupList[I]->PrintGroupHeader();
}

void TLXCustomController::PrintGroupFooters() {
  TRestore<bool> Changing(FChangingGroups, true);
  for (size_t I = FGroupList.size(); I-- > 0;)
    if (FGroupList[I]->Broken()) FGroupList[I]->PrintGroupFooter();
}

void TLXCustomController::InvertGroupBreaks() {
  for (TLXGroup* G : FGroupList) G->SetBroken(!G->Broken());
}

void TLXCustomController::AddNotifyTarget(TLXPrintable* P) {
  if (!P) return;
  FNotifyList.push_back(P);
  FreeNotification(P);
}

void TLXCustomController::ClearNotifyTargets() { FNotifyList.clear(); }

void TLXCustomController::NotifyTargets(int32_t Code) {
  for (size_t I = 0; I < FNotifyList.size(); ++I) FNotifyList[I]->ControllerNotify(this, Code);
}

void TLXCustomController::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMaster) FMaster = nullptr;
  if (AComponent == FSelfCheck) FSelfCheck = this;
  Forget(FNotifyList, AComponent);
  Forget(FBeforeList, AComponent);
  Forget(FAfterList, AComponent);
  Forget(FGroupList, AComponent);
}

// ---- TLXController

const TClassInfo& TLXController::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TLXController>("TLXController", &TLXCustomController::StaticClassInfo()).Factory(nullptr);
  return Info;
}

void TLXController::AttachDataSet(TDataSet* Value) {
  FDataSet = Value;
  if (Value) FreeNotification(Value);
}

void TLXController::SetHeaderBand(TLXCustomBand* Value) {
  FHeaderBand = Value;
  if (Value) FreeNotification(Value);
}

void TLXController::SetDetailBand(TLXCustomBand* Value) {
  FDetailBand = Value;
  if (Value && Value != NamingOwner()) FreeNotification(Value);
}

void TLXController::SetFooterBand(TLXCustomBand* Value) {
  FFooterBand = Value;
  if (Value) FreeNotification(Value);
}

void TLXController::ListBands() {
  TCustomVexaRep* R = ParentReport();
  if (!R) return;
  auto Append = [R](TLXCustomBand* B) {
    if (B) R->AppendBandChain(B);
  };
  Append(FHeaderBand);
  for (TLXGroup* G : GroupList()) Append(G);
  for (TLXCustomController* C : BeforeList()) C->ListBands();
  Append(FDetailBand);
  for (TLXCustomController* C : AfterList()) C->ListBands();
  for (auto It = GroupList().rbegin(); It != GroupList().rend(); ++It) Append((*It)->FooterBand());
  Append(FFooterBand);
}

void TLXController::ListDataSets() {
  if (TCustomVexaRep* R = ParentReport(); R && DataSetReady(FDataSet)) R->AddRunDataSet(FDataSet);
}

void TLXController::PrepareRun() {
  TLXCustomController::PrepareRun();
  // A sub-detail's record source, when it has one.
  if (auto* S = dynamic_cast<TLXSubDetail*>(SelfCheck()); S && S->OnNeedData) OnNeedData = S->OnNeedData;
  FPushParameters = false;
  auto* Q = dynamic_cast<TQuery*>(FDataSet);
  TCustomVexaRep* R = ParentReport();
  if (!Q || !R) return;
  for (int I = 0; I < Q->ParamCount(); ++I)
    if (R->Functions()->IndexOf(AnsiUpperCase(Q->Params()[I]->Name())) >= 0) FPushParameters = true;
}

void TLXController::RunEmpty() {
  TCustomVexaRep* R = ParentReport();
  if (!R) return;
  R->PlaceBand(FHeaderBand);
  RunBeforeControllers();
  R->PlaceBand(FDetailBand);
  RunAfterControllers();
  R->PlaceBand(FFooterBand);
}

void TLXController::Run() {
  for (TLXGroup* G : GroupList()) G->SetHasValue(false);
  TCustomVexaRep* R = ParentReport();
  bool Designing = SelfCheck() && SelfCheck()->HasState(csDesigning);
  if (!R || (!DataSetReady(FDataSet) && !OnNeedData)) {
    if (PrintIfEmpty()) RunEmpty();
    return;
  }
  bool MoreData = true;
  bool UseDataSet = DataSetReady(FDataSet);
  int64_t Count = 1;
  auto* Rep = dynamic_cast<TVexaRep*>(R);
  if (UseDataSet) {
    if (FPushParameters) PushReportVariablesToQuery(dynamic_cast<TQuery*>(FDataSet), R->Functions());
    FDataSet->First();
    MoreData = !FDataSet->Eof();
    if (Rep) Count = Rep->DataSetRecordCount();
    if (!MoreData && PrintIfEmpty()) RunEmpty();
  } else if (OnNeedData && !Designing) {
    OnNeedData(SelfCheck(), MoreData);
  }
  FDetailNumber = 0;
  if (FDetailBand) FDetailBand->SetController(this);
  if (!MoreData) return;
  auto* ReportSelf = dynamic_cast<TCustomVexaRep*>(SelfCheck());
  // A sub-detail starts once for every record of its master.
  if (ReportSelf) ProcessMessages();
  else ProcessMessagesBetweenRecords();
  if (RunCancelled()) return;
  if (FHeaderBand) {
    R->PlaceBand(FHeaderBand);
    if (ReportSelf) R->SetSkipNextPageBreak(true);
  }
  if ((R->PageNumber() <= 1 || R->AppendRun()) && ReportSelf)
    if (TLXCustomBand* ColumnHeader = R->BandOfType(rbColumnHeader); ColumnHeader && ColumnHeader->Enabled()) {
      R->PlaceBand(ColumnHeader);
      R->SetSkipNextPageBreak(true);
    }
  DetectGroupBreaks();
  bool Progress = Rep && UseDataSet && Rep->DataSet() == FDataSet && Count != 0;
  while (MoreData) {
    ProcessMessagesBetweenRecords();
    if (RunCancelled()) return;  // no footers
    ++FDetailNumber;
    PrintGroupHeaders();
    RunBeforeControllers();
    R->PlaceBand(FDetailBand);
    RunAfterControllers();
    if (UseDataSet) {
      FDataSet->Next();
      MoreData = !FDataSet->Eof();
    } else {
      MoreData = false;
      if (OnNeedData && !Designing) OnNeedData(SelfCheck(), MoreData);
    }
    if (DetectGroupBreaks()) {
      // The footers see the last record of the group that closes.
      if (UseDataSet) FDataSet->Prior();
      PrintGroupFooters();
      if (UseDataSet) FDataSet->Next();
    }
    if (Progress && R->ActivePrinter())
      R->ActivePrinter()->SetProgress(static_cast<int32_t>(int64_t(FDetailNumber) * 100 / Count));
  }
  if (RunCancelled()) return;
  InvertGroupBreaks();
  PrintGroupFooters();
  if (FFooterBand) {
    if (R->PageNumber() == 0) R->AdvancePage();
    R->PlaceBand(FFooterBand);
  }
}

void PushReportVariablesToQuery(TQuery* Query, TLXEvEnvironment* Environment) {
  if (!Query || !Environment) return;
  // A small integer or currency parameter stays one when it takes its value.
  auto KeepingType = [](TParam* P, const auto& Set) {
    TFieldType T = P->DataType();
    Set();
    P->SetDataType(T);
  };
  Query->Close();
  for (int I = 0; I < Query->ParamCount(); ++I) {
    TParam* P = Query->Params()[I];
    if (Environment->IndexOf(P->Name()) < 0) continue;
    TLXEvValue V;
    Environment->ValueOf(P->Name(), V);
    switch (P->DataType()) {
      case ftString:
        if (V.Kind == evString) P->SetAsString(V.Text());
        break;
      case ftSmallint:
      case ftInteger:
      case ftWord:
        if (V.Kind == evInteger) KeepingType(P, [&] { P->SetAsInteger(V.Integer); });
        break;
      case ftBoolean:
        if (V.Kind == evBoolean) P->SetAsBoolean(V.Boolean);
        break;
      case ftFloat:
      case ftCurrency:
      case ftBCD:
        if (V.Kind == evFloat) KeepingType(P, [&] { P->SetAsFloat(V.Float); });
        break;
      case ftDate:
        if (V.Kind == evString) P->SetAsDate(StrToDate(V.Text()));
        break;
      case ftTime:
        if (V.Kind == evString) P->SetAsTime(StrToTime(V.Text()));
        break;
      case ftDateTime:
        if (V.Kind == evString) P->SetAsDateTime(StrToDateTime(V.Text()));
        break;
      default: break;
    }
  }
  Query->Open();
}

void TLXController::Notification(TComponent* AComponent, TOperation Operation) {
  TLXCustomController::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FHeaderBand) FHeaderBand = nullptr;
  if (AComponent == FDetailBand) FDetailBand = nullptr;
  if (AComponent == FFooterBand) FFooterBand = nullptr;
  if (AComponent == static_cast<TComponent*>(FDataSet)) FDataSet = nullptr;
}

// ---- TLXGroup

const TClassInfo& TLXGroup::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXGroup>("TLXGroup", &TLXCustomBand::StaticClassInfo())
                                     .Prop("Expression", &TLXGroup::Expression, &TLXGroup::SetExpression)
                                     .Prop("FooterBand", &TLXGroup::FooterBand, &TLXGroup::SetFooterBand)
                                     .Prop("Master", &TLXGroup::Master, &TLXGroup::SetMaster)
                                     .Prop("ReprintOnNewPage", &TLXGroup::ReprintOnNewPage,
                                           &TLXGroup::SetReprintOnNewPage)
                                     .Default(0);
  return Info;
}

TLXGroup::TLXGroup(TComponent* AOwner) : TLXCustomBand(AOwner), FEvaluator(std::make_unique<TLXEvaluator>()) {
  SetBandType(rbGroupHeader);
}

TLXGroup::~TLXGroup() = default;

void TLXGroup::PrepareGroup() {
  TCustomVexaRep* R = Report();
  if (R) {
    FEvaluator->AssignDataSets(R->DataSets());
    FEvaluator->SetEnvironment(R->Functions());
  }
  FEvaluator->Compile(FExpression);
  FHasValue = false;
  FHeaderPage = 1;
}

void TLXGroup::UnprepareGroup() { FEvaluator->Discard(); }

void TLXGroup::PrintGroupHeader() {
  if (Report()) Report()->PlaceBand(this);
  FOpen = true;
  if (Report()) FHeaderPage = Report()->PageNumber();
}

void TLXGroup::PrintGroupFooter() {
  if (FFooterBand && Report()) Report()->PlaceBand(FFooterBand);
  FOpen = false;
}

namespace {
bool SameValue(const TLXEvValue& A, const TLXEvValue& B) {
  if (A.Kind != B.Kind) return false;
  switch (A.Kind) {
    case evInteger: return A.Integer == B.Integer;
    case evFloat: return A.Float == B.Float;
    case evString: return A.Text() == B.Text();
    case evBoolean: return A.Boolean == B.Boolean;
    default: return true;  // two errors never break
  }
}
}  // namespace

void TLXGroup::EvaluateBreak() {
  FBroken = false;
  if (!FHasValue) {
    ForceBreak();
    return;
  }
  TLXEvValue V;
  FEvaluator->CurrentValue(V);
  FBroken = !SameValue(V, FLastValue);
  if (FBroken) FLastValue = V;
}

void TLXGroup::ForceBreak() {
  FEvaluator->CurrentValue(FLastValue);
  FBroken = true;
  FHasValue = true;
}

void TLXGroup::CheckReprint() {
  int32_t Page = Report() ? Report()->PageNumber() : 0;
  FBroken = FReprintOnNewPage && FOpen && Page != FHeaderPage;
  if (FBroken) FHeaderPage = Page;
}

void TLXGroup::SetFooterBand(TLXBand* Value) {
  FFooterBand = Value;
  if (Value) {
    Value->SetBandType(rbGroupFooter);
    FreeNotification(Value);
  }
}

void TLXGroup::SetMaster(TComponent* Value) {
  if (!dynamic_cast<TLXControllerBand*>(Value) && !dynamic_cast<TCustomVexaRep*>(Value)) return;
  FMaster = Value;
  if (Report() && !HasState(csLoading) && !Report()->HasState(csDestroying)) {
    Report()->OrderBands();
    Report()->LayoutBands();
  }
  FreeNotification(Value);
}

void TLXGroup::SetParent(THeadlessWinControl* AParent) {
  TLXCustomBand::SetParent(AParent);
  if (!FMaster)
    if (auto* R = dynamic_cast<TCustomVexaRep*>(Parent())) SetMaster(R);
}

void TLXGroup::Notification(TComponent* AComponent, TOperation Operation) {
  TLXCustomBand::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FFooterBand) FFooterBand = nullptr;
  if (AComponent == FMaster) FMaster = nullptr;
}
