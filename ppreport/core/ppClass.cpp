#include "ppreport/core/ppClass.h"

#include <algorithm>

#include "platform/classes/ClassesConsts.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppTemplate.h"

TppCustomReport::TppCustomReport(TComponent* AOwner)
    : TppProducer(AOwner),
      FTemplate(std::make_unique<TppReportTemplate>(this)),
      FColumnPositions(std::make_unique<TStringList>()) {
  CreateEngine();
}

TppCustomReport::~TppCustomReport() { BeforeDestruction(); }

void TppCustomReport::Destroying() {
  // The report owns its groups (which free their bands) and its bands.
  // Cache managers go first: they hold the cacheables below.
  // The engine first: it listens to the pipelines and lists the bands.
  FreeAndNil(FEngine);
  while (!FCacheManagers.empty()) delete FCacheManagers.back();
  while (!FGroups.empty()) delete FGroups.back();
  while (!FBands.empty()) delete FBands.back();
  if (FDataPipeline) RemoveNotify(FDataPipeline);
  FDataPipeline = nullptr;
  TppProducer::Destroying();
}

int TppCustomReport::AbsolutePageNo() const {
  TppCustomEngine* E = Engine();
  return E ? E->AbsolutePageNo() : 0;
}

bool TppCustomReport::IsFirstUncachedPage() const {
  TppCustomEngine* E = Engine();
  return !E || E->IsFirstUncachedPage();
}

void TppCustomReport::AddBand(TppBand* Band) {
  if (Band && std::find(FBands.begin(), FBands.end(), Band) == FBands.end()) FBands.push_back(Band);
}

void TppCustomReport::RemoveBand(TppBand* Band) { std::erase(FBands, Band); }

TppBand* TppCustomReport::GetBand(int Index) const {
  if (Index < 0 || Index >= BandCount()) throw EListError(Format(SListIndexError, {Index}));
  return FBands[static_cast<size_t>(Index)];
}

int TppCustomReport::IndexOfBand(const TppBand* Band) const {
  auto It = std::find(FBands.begin(), FBands.end(), Band);
  return It == FBands.end() ? -1 : static_cast<int>(It - FBands.begin());
}

TppBand* TppCustomReport::FindBand(int BandType) const {
  for (TppBand* B : FBands)
    if (B->GetBandType() == BandType) return B;
  return nullptr;
}

void TppCustomReport::AddGroup(TppGroup* Group) {
  if (Group && std::find(FGroups.begin(), FGroups.end(), Group) == FGroups.end()) FGroups.push_back(Group);
}

void TppCustomReport::RemoveGroup(TppGroup* Group) { std::erase(FGroups, Group); }

TppGroup* TppCustomReport::GetGroup(int Index) const {
  if (Index < 0 || Index >= GroupCount()) throw EListError(Format(SListIndexError, {Index}));
  return FGroups[static_cast<size_t>(Index)];
}

int TppCustomReport::IndexOfGroup(const TppGroup* Group) const {
  auto It = std::find(FGroups.begin(), FGroups.end(), Group);
  return It == FGroups.end() ? -1 : static_cast<int>(It - FGroups.begin());
}

TppComponent* TppCustomReport::FindObjectByName(const std::string& Name) const {
  for (TppBand* B : FBands) {
    int Index = -1;
    if (B->FindObjectByName(Name, Index)) return B->GetObjects(Index);
  }
  return nullptr;
}

bool TppCustomReport::FindObjectByName(const std::string& Name, int& BandIndex, int& ObjectIndex) const {
  for (size_t I = 0; I < FBands.size(); ++I)
    if (int Index = -1; FBands[I]->FindObjectByName(Name, Index)) {
      BandIndex = static_cast<int>(I);
      ObjectIndex = Index;
      return true;
    }
  BandIndex = ObjectIndex = 0;
  return false;
}

void TppCustomReport::SetUnits(TppUnitType Value) {
  FUnits = Value;
  for (TppBand* B : FBands) B->SetUnits(Value);
}

void TppCustomReport::SetDataPipeline(TppDataPipeline* Value) {
  if (FDataPipeline) RemoveNotify(FDataPipeline);
  FDataPipeline = Value;
  if (Value) AddNotify(Value);
  Reset();
}

void TppCustomReport::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppProducer::Notify(Partner, Operation);
  if (Operation == ppopRemove && Partner && Partner == FDataPipeline) FDataPipeline = nullptr;
}

void TppCustomReport::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  TppProducer::GetChildren(Proc, Root);
  std::vector<TppBand*> InGroups;
  for (TppGroup* G : FGroups) {
    InGroups.push_back(G->HeaderBand());
    InGroups.push_back(G->FooterBand());
  }
  for (TppBand* B : std::vector<TppBand*>(FBands))
    if (std::find(InGroups.begin(), InGroups.end(), B) == InGroups.end()) Proc(B);
  for (TppGroup* G : std::vector<TppGroup*>(FGroups)) Proc(G);
}

void TppCustomReport::ConvertFromVersion(int Version) {
  TppProducer::ConvertFromVersion(Version);
  for (TppBand* B : std::vector<TppBand*>(FBands)) B->ConvertFromVersion(Version);
  for (TppGroup* G : std::vector<TppGroup*>(FGroups)) G->ConvertFromVersion(Version);
}

void TppCustomReport::RegisterCacheManager(TppCacheManager* Manager) {
  if (std::find(FCacheManagers.begin(), FCacheManagers.end(), Manager) == FCacheManagers.end())
    FCacheManagers.push_back(Manager);
}

void TppCustomReport::UnregisterCacheManager(TppCacheManager* Manager) { std::erase(FCacheManagers, Manager); }

void TppCustomReport::GetCacheables(const std::function<void(TppCacheable*)>& Add) {
  if (FEngine) Add(FEngine);
  for (TppGroup* G : FGroups) Add(G);
  std::vector<TppCustomReport*> Children;
  for (TppBand* B : FBands) {
    Add(B);
    for (int I = 0; I < B->GetObjectCount(); ++I) {
      TppComponent* C = B->GetObjects(I);
      Add(C);
      if (TppCustomReport* Child = C->IsSubReport() ? C->ChildReport() : nullptr) Children.push_back(Child);
    }
  }
  // A sub-report's page state lives in its child report's objects.
  for (TppCustomReport* Child : Children) Child->GetCacheables(Add);
}

const TClassInfo& TppCustomReport::StaticClassInfo() {
  using R = TppCustomReport;
  static const TClassInfo Info =
      TClassDef<R>("TppCustomReport", &TppProducer::StaticClassInfo())
          .Prop("Template", &R::Template, [](R& S, TppReportTemplate* V) { S.Template()->Assign(V); });
  return Info;
}
