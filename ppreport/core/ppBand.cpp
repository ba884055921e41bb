#include "ppreport/core/ppBand.h"

#include <algorithm>
#include <map>

#include "platform/classes/Filer.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppReaderUtils.h"

namespace {
TppBand::TCalcControlConverter& CalcControlConverter() {
  static TppBand::TCalcControlConverter Converter;
  return Converter;
}

int IndexIn(const std::vector<TppComponent*>& List, const TppComponent* C) {
  auto It = std::find(List.begin(), List.end(), C);
  return It == List.end() ? -1 : static_cast<int>(It - List.begin());
}

TppComponent* ItemOf(const std::vector<TppComponent*>& List, int Index) {
  if (Index < 0 || Index >= static_cast<int>(List.size())) throw EListError(Format(SListIndexError, {Index}));
  return List[static_cast<size_t>(Index)];
}

void InsertAt(std::vector<TppComponent*>& List, int Index, TppComponent* C) {
  Index = std::clamp(Index, 0, static_cast<int>(List.size()));
  List.insert(List.begin() + Index, C);
}

constexpr int ppVersionBottomOffset = 3000;
constexpr int ppVersionBandMicrons = 2097;
}  // namespace

TppBand::TppBand(TComponent* AOwner) : TppCacheable(AOwner) {
  FPrintMode = 1;  // the band kinds set theirs in their constructors (GetDefaultPrintMode)
  SetPriorBounds();
}

TppBand::~TppBand() { BeforeDestruction(); }

void TppBand::Destroying() {
  *FAlive = false;
  SendDesignerMessage(ppdmBandFree, ppdmMessageClass, reinterpret_cast<intptr_t>(this));
  // Each object leaves the band itself as it goes.
  while (!FObjects.empty()) {
    TppComponent* Last = FObjects.back();
    delete Last;
    if (!FObjects.empty() && FObjects.back() == Last) FObjects.pop_back();
  }
  FSaves.clear();
  FVariables.clear();
  SetReport(nullptr);
  TppCacheable::Destroying();
}

// ---- report

void TppBand::SetReport(TppCustomReport* NewReport) {
  if (FReport) FReport->RemoveBand(this);
  FReport = NewReport;
  if (!FReport || HasState(csDestroying)) return;
  FReport->AddBand(this);
  SetCaption(GetDefaultCaption());
  FUnits = FReport->Units();
  if (FReport->DesignState() & dsDisplayData) AddDesignState(dsDisplayData);
  else RemoveDesignState(dsDisplayData);
  // Objects are anchored to the band as it is when it joins, not to the size it had without a
  // report (no width): else the first size change would move them by the whole band.
  SetPriorBounds();
}

TComponent* TppBand::GetParentComponent() const { return FReport; }

void TppBand::SetParentComponent(TComponent* Value) {
  if (auto* R = dynamic_cast<TppCustomReport*>(Value)) SetReport(R);
}

int TppBand::GetIndex() const { return FReport ? FReport->IndexOfBand(this) : -1; }

void TppBand::Reset() {
  if (FReport) FReport->Reset();
}

bool TppBand::IsMainReportBusy() const {
  if (!FReport) return false;
  TppCustomReport* Main = FReport->GetMainReport();
  return Main && Main->Printing();
}

TppDataPipeline* TppBand::GetDataPipeline() const { return FReport ? FReport->DataPipeline() : nullptr; }

int TppBand::GetLanguageIndex() const { return FReport ? FReport->LanguageIndex() : 0; }

bool TppBand::IsNewPage() const {
  if (!FReport) return true;
  TppCustomReport* Main = FReport->GetMainReport();
  return Main->IsFirstUncachedPage();
}

TppPrinter* TppBand::GetCacheablePrinter() const {
  return FReport ? FReport->GetPrinter() : GetSharedPrinter();
}

// ---- objects

void TppBand::AddObject(TppComponent* Component) {
  if (!Component || IndexOfObject(Component) >= 0) return;
  FObjects.push_back(Component);
  if (Component->Owner() != Owner()) Component->ChangeOwner(Owner());
  if (Component->IsSavedText()) FSaves.push_back(Component);
  if (Component->IsVariable()) FVariables.push_back(Component);
  if (IsReadingOrLoading()) return;
  if (Component->IsStretching() && FPrintHeight == phStatic) SetPrintHeight(phDynamic);
  if (Component->GetUserName().empty()) {
    const std::string Name = FReport ? FReport->GetUniqueUserName(Component) : GetUniqueUserName(Component);
    Component->SetUserName(Name);
  }
  Reset();
  SendEventNotify(Component, ciBandObjectAdd, nullptr);
  SendDesignerMessage(ppdmObjectAdd, ppdmMessageClass, reinterpret_cast<intptr_t>(Component));
}

void TppBand::RemoveObject(TppComponent* Component) {
  if (!Component || IndexOfObject(Component) < 0) return;
  std::erase(FObjects, Component);
  std::erase(FSaves, Component);
  std::erase(FVariables, Component);
  if (HasState(csDestroying)) return;
  Reset();
  SendEventNotify(Component, ciBandObjectRemove, nullptr);
  SendDesignerMessage(ppdmObjectRemove, ppdmMessageClass, reinterpret_cast<intptr_t>(Component));
}

TppComponent* TppBand::GetObjects(int Index) const { return ItemOf(FObjects, Index); }
int TppBand::IndexOfObject(const TppComponent* Component) const { return IndexIn(FObjects, Component); }

bool TppBand::FindObjectByName(const std::string& Name, int& Index) const {
  for (size_t I = 0; I < FObjects.size(); ++I)
    if (FObjects[I]->Name() == Name) {
      Index = static_cast<int>(I);
      return true;
    }
  return false;
}

void TppBand::MoveObject(int OldIndex, int NewIndex) {
  TppComponent* C = GetObjects(OldIndex);
  const int Last = GetObjectCount() - 1;
  if (NewIndex > Last) NewIndex = Last;
  if (NewIndex < 0) NewIndex = 0;
  FObjects.erase(FObjects.begin() + OldIndex);
  FObjects.insert(FObjects.begin() + NewIndex, C);
  if (!Designing() || IsMainReportBusy()) return;
  for (size_t I = static_cast<size_t>(std::min(OldIndex, NewIndex)); I < FObjects.size(); ++I)
    FObjects[I]->SendEventNotify(FObjects[I], ciBandObjectBringToFront, nullptr);
  SendDesignerMessage(ppdmObjectMove, ppdmMessageClass, reinterpret_cast<intptr_t>(FObjects[NewIndex]));
}

void TppBand::BringObjectToFront(TppComponent* Component) {
  if (IndexOfObject(Component) < 0) return;
  std::erase(FObjects, Component);
  FObjects.push_back(Component);
  Component->SendEventNotify(Component, ciBandObjectBringToFront, nullptr);
  SendDesignerMessage(ppdmObjectMove, ppdmMessageClass, reinterpret_cast<intptr_t>(Component));
  Reset();
}

void TppBand::SendObjectToBack(TppComponent* Component) {
  if (IndexOfObject(Component) < 0) return;
  std::erase(FObjects, Component);
  FObjects.insert(FObjects.begin(), Component);
  Component->SendEventNotify(Component, ciBandObjectSendToBack, nullptr);
  SendDesignerMessage(ppdmObjectMove, ppdmMessageClass, reinterpret_cast<intptr_t>(Component));
  Reset();
}

void TppBand::GetSubReports(std::vector<TppComponent*>& List) const {
  for (TppComponent* C : FObjects)
    if (C->IsSubReport()) List.push_back(C);
}

void TppBand::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) {
  // Objects inside a region are streamed by their region.
  for (TppComponent* C : std::vector<TppComponent*>(FObjects))
    if (C->GetParent() == this) Proc(C);
}

TppComponent* TppBand::GetSaves(int Index) const { return ItemOf(FSaves, Index); }
int TppBand::IndexOfSave(const TppComponent* Text) const { return IndexIn(FSaves, Text); }
void TppBand::AddSave(TppComponent* Text) { FSaves.push_back(Text); }
void TppBand::InsertSave(int Index, TppComponent* Text) { InsertAt(FSaves, Index, Text); }
void TppBand::RemoveSave(TppComponent* Text) { std::erase(FSaves, Text); }
TppComponent* TppBand::GetVariables(int Index) const { return ItemOf(FVariables, Index); }
int TppBand::IndexOfVariable(const TppComponent* Variable) const { return IndexIn(FVariables, Variable); }
void TppBand::AddVariable(TppComponent* Variable) { FVariables.push_back(Variable); }
void TppBand::InsertVariable(int Index, TppComponent* Variable) { InsertAt(FVariables, Index, Variable); }
void TppBand::RemoveVariable(TppComponent* Variable) { std::erase(FVariables, Variable); }

void TppBand::ChangeOwner(TComponent* NewOwner) {
  if (NewOwner == Owner()) return;
  TppCacheable::ChangeOwner(NewOwner);
  for (TppComponent* C : std::vector<TppComponent*>(FObjects)) C->ChangeOwner(NewOwner);
}

void TppBand::AddDesignState(uint16_t Flags) {
  TppCacheable::AddDesignState(Flags);
  for (TppComponent* C : FObjects) C->AddDesignState(Flags);
}

void TppBand::RemoveDesignState(uint16_t Flags) {
  for (TppComponent* C : FObjects) C->RemoveDesignState(Flags);
  TppCacheable::RemoveDesignState(Flags);
}

// ---- forwarding

namespace {
template <class F>
void ForEach(const std::vector<TppComponent*>& Objects, F&& Step) {
  for (TppComponent* C : std::vector<TppComponent*>(Objects)) Step(*C);
}
}  // namespace

void TppBand::Init() { ForEach(FObjects, [](TppComponent& C) { C.Init(); }); }
void TppBand::StartOfMainReport() { ForEach(FObjects, [](TppComponent& C) { C.StartOfMainReport(); }); }
void TppBand::StartOfGeneration() { ForEach(FObjects, [](TppComponent& C) { C.StartOfGeneration(); }); }
void TppBand::EndOfMainReport() { ForEach(FObjects, [](TppComponent& C) { C.EndOfMainReport(); }); }
void TppBand::ReprintCheck() { ForEach(FObjects, [](TppComponent& C) { C.ReprintCheck(); }); }
void TppBand::RenameDataField(TppDataPipeline* Pipeline, const std::string& OldName, const std::string& NewName) {
  ForEach(FObjects, [&](TppComponent& C) { C.RenameDataField(Pipeline, OldName, NewName); });
}
void TppBand::ResolveDataPipeline(const TppDataPipelineList& List) {
  ForEach(FObjects, [&](TppComponent& C) { C.ResolveDataPipeline(List); });
}
void TppBand::ReplaceDataPipeline(TppDataPipeline* NewPipeline, const std::string& UserName) {
  ForEach(FObjects, [&](TppComponent& C) { C.ReplaceDataPipeline(NewPipeline, UserName); });
}
void TppBand::LanguageChanged() {
  SetCaption(GetDefaultCaption());
  ForEach(FObjects, [](TppComponent& C) { C.LanguageChanged(); });
}

// ---- properties

void TppBand::SetCaption(const std::string& Value) {
  FCaption = Value;
  if (Designing()) SendEventNotify(this, ciBandCaptionChange, nullptr);
}

void TppBand::SetPrintHeight(TppPrintHeightType Value) {
  if (Value == FPrintHeight) return;
  FPrintHeight = Value;
  PropertyChanged();
  Reset();
}

void TppBand::SetVisible(bool Value) {
  FVisible = Value;
  if (IsReading()) return;
  PropertyChanged();
  Reset();
}

void TppBand::SetSave(bool Value) {
  FSave = Value;
  if (IsReading()) return;
  PropertyChanged();
  Reset();
}

void TppBand::SetPrintCount(int Value) {
  FPrintCount = Value;
  FPrintMode = Value != 0 ? 3 : GetDefaultPrintMode();
  if (IsReading()) return;
  PropertyChanged();
  Reset();
}

void TppBand::SetUnits(TppUnitType Value) {
  FUnits = Value;
  for (TppComponent* C : FObjects) C->SetUnits(Value);
}

float TppBand::FromMicrons(int32_t Value, TppUnitType Unit, int Axis) const {
  return ConvertFromMicrons(Value, Unit, Axis, Unit == utPrinterPixels ? GetCacheablePrinter() : nullptr);
}

int32_t TppBand::ToMicrons(TppUnitType Unit, int Axis, float Value) const {
  return ConvertToMicrons(Unit, Axis, Unit == utPrinterPixels ? GetCacheablePrinter() : nullptr, Value);
}

float TppBand::GetHeight() const { return FromMicrons(FHeight, FUnits, ppVertical); }

void TppBand::SetHeight(float Value) {
  if (IsReading()) FHeight = static_cast<int32_t>(Round(Value));
  else ChangeHeight(ToMicrons(FUnits, ppVertical, Value));
}

float TppBand::GetBottomOffset() const { return FromMicrons(FBottomOffset, FUnits, ppVertical); }

void TppBand::SetBottomOffset(float Value) {
  FBottomOffset = ToMicrons(FUnits, ppVertical, Value);
  PropertyChanged();
  Reset();
}

float TppBand::GetPrintPosition() const { return FromMicrons(FPrintPosition, FUnits, ppVertical); }

void TppBand::SetPrintPosition(float Value) {
  FPrintPosition = ToMicrons(FUnits, ppVertical, Value);
  PropertyChanged();
  Reset();
}

void TppBand::ChangeHeight(int32_t NewHeight) {
  bool IsValid = true;
  {
    int32_t Proposed = NewHeight;
    TraParamList Params;
    Params.AddParam("NewHeight", vkInteger);
    Params.AddParam("IsValid", vkBoolean, nullptr, {}, false, true);
    Params.BindParam(0, &Proposed);
    Params.BindParam(1, &IsValid);
    SendEventNotify(this, ciBandHeightChanging, &Params);
  }
  if (IsValid) {
    PropertyChanging("Height");
    int32_t OldHeight = FHeight;
    FHeight = NewHeight < 0 ? 0 : NewHeight;
    TraParamList Params;
    Params.AddParam("OldHeight", vkInteger);
    Params.BindParam(0, &OldHeight);
    SendEventNotify(this, ciBandHeightChange, &Params);
  }
  SizeChanged();
  Reset();
  PropertyChanged();
}

int TppBand::GetspHeight() const { return static_cast<int>(ConvertFromMicrons(FHeight, utScreenPixels, ppVertical, nullptr)); }

void TppBand::SetspHeight(int Pixels) {
  ChangeHeight(ConvertToMicrons(utScreenPixels, ppVertical, nullptr, static_cast<float>(Pixels)));
}

int32_t TppBand::GetmmWidth() const {
  if (!FReport) return 0;
  if (FReport->Columns() > 1 && IsColumnBand()) return FReport->mmColumnWidth();
  return FReport->PrinterSetup()->PageDef()->GetmmPrintableWidth();
}

int TppBand::GetspWidth() const {
  return static_cast<int>(ConvertFromMicrons(GetmmWidth(), utScreenPixels, ppHorizontal, nullptr));
}

int TppBand::GetspTop() {
  if (!Designing()) return 0;
  int32_t Value = 0;
  TraParamList Params;
  Params.AddParam("Value", vkInteger, nullptr, {}, false, true);
  Params.BindParam(0, &Value);
  SendEventNotify(this, ciBandGetScreenTop, &Params);
  return Value;
}

void TppBand::SetspTop(int Value) {
  if (!Designing()) return;
  int32_t V = Value;
  TraParamList Params;
  Params.AddParam("Value", vkInteger);
  Params.BindParam(0, &V);
  SendEventNotify(this, ciBandSetScreenTop, &Params);
}

int32_t TppBand::GetmmTop() {
  if (!Designing()) return 0;
  return ConvertToMicrons(utScreenPixels, ppVertical, nullptr, static_cast<float>(GetspTop()));
}

void TppBand::SetPriorBounds() { FPriorBounds = TRect{0, 0, GetmmWidth(), FHeight}; }

void TppBand::SizeChanged() {
  SendEventNotify(this, ciBandSizeChange, nullptr);
  for (TppComponent* C : std::vector<TppComponent*>(FObjects))
    if (IndexOfObject(C) >= 0) C->ApplyAnchors();
  SetPriorBounds();
}

void TppBand::PropertyChanged() {
  if (FReport && !FReport->Printing() && Designing()) {
    SendDesignerMessage(ppdmPropertyChange, ppdmMessageClass, reinterpret_cast<intptr_t>(this));
    DesignerModified();
  }
}

// ---- events

void TppBand::DoAfterGenerate() {
  if (AfterGenerate) AfterGenerate(this);
  SendEventNotify(this, ciBandAfterGenerate, nullptr);
}
void TppBand::DoBeforeGenerate() {
  if (BeforeGenerate) BeforeGenerate(this);
  SendEventNotify(this, ciBandBeforeGenerate, nullptr);
}
void TppBand::DoAfterPrint() {
  if (AfterPrint) AfterPrint(this);
  SendEventNotify(this, ciBandAfterPrint, nullptr);
}
void TppBand::DoBeforePrint() {
  if (BeforePrint) BeforePrint(this);
  SendEventNotify(this, ciBandBeforePrint, nullptr);
}

// ---- streaming

void TppBand::Loaded() {
  SetPriorBounds();
  TppCacheable::Loaded();
}

void TppBand::ReadState(TReader& Reader) {
  TppCacheable::ReadState(Reader);
  SortSaves();
  SortVariables();
}

void TppBand::SortSaves() {
  if (FObjects.empty()) return;
  std::map<int, TppComponent*> Noted;
  const int Limit = GetObjectCount() - 1;
  for (TppComponent* C : FObjects) {
    if (!C->IsSavedText()) continue;
    const int P = C->StoredSavePosition();
    if (P < 0 || P > Limit) continue;
    if (IndexOfSave(C) < 0) FSaves.push_back(C);
    Noted.emplace(P, C);
  }
  for (auto [Position, Text] : Noted) {
    std::erase(FSaves, Text);
    InsertAt(FSaves, Position, Text);
  }
}

void TppBand::SortVariables() {
  if (FVariables.empty()) return;
  std::map<int, TppComponent*> Noted;
  const int Limit = GetVariableCount() - 1;
  for (TppComponent* V : FVariables) {
    const int P = V->StoredCalcOrder();
    if (P >= 0 && P <= Limit) Noted.emplace(P, V);
  }
  for (auto [Position, Variable] : Noted) {
    std::erase(FVariables, Variable);
    InsertAt(FVariables, Position, Variable);
  }
}

void TppBand::DefineProperties(TFiler* Filer) {
  TppCacheable::DefineProperties(Filer);
  const auto* Anc = dynamic_cast<const TppBand*>(Filer->Ancestor());
  TppHReaderUtils::DefineMicrons(*Filer, "mmBottomOffset", FBottomOffset, Anc ? &Anc->FBottomOffset : nullptr);
  TppHReaderUtils::DefineMicrons(*Filer, "mmHeight", FHeight, Anc ? &Anc->FHeight : nullptr);
  TppHReaderUtils::DefineMicrons(*Filer, "mmPrintPosition", FPrintPosition, Anc ? &Anc->FPrintPosition : nullptr);
  Filer->DefineProperty("OnPrint", [this](TReader& R) { FOldPrintHandlerName = R.ReadIdent(); }, nullptr, false);
  Filer->DefineProperty("OnSaveLineEnd", [](TReader& R) { R.ReadIdent(); }, nullptr, false);
  Filer->DefineProperty("OnSaveLineStart", [](TReader& R) { R.ReadIdent(); }, nullptr, false);
  Filer->DefineProperty("Left", [](TReader& R) { R.SkipValue(); }, nullptr, false);
  Filer->DefineProperty("Top", [](TReader& R) { R.SkipValue(); }, nullptr, false);
}

void TppBand::ConvertFromVersion(int Version) {
  if (Version < ppVersionDataField && FReport && FReport->Owner() && !FOldPrintHandlerName.empty()) {
    TComponent* Owner = FReport->Owner();
    const TMethodInfo* M = Owner->ClassInfo()->FindMethod(FOldPrintHandlerName);
    const TPropInfo* Event = ClassInfo()->FindProp("BeforePrint");
    if (M && Event && Event->SetMethod) Event->SetMethod(this, TMethod{FOldPrintHandlerName, M->Bind(Owner)});
  }
  if (Version < ppVersionBandMicrons && FReport)
    FHeight = ConvertToMicrons(utScreenPixels, ppVertical, nullptr, static_cast<float>(FHeight));
  for (TppComponent* C : std::vector<TppComponent*>(FObjects)) C->ConvertFromVersion(Version);
  if (Version < ppVersionBottomOffset && FReport && FPrintHeight == phDynamic) {
    int32_t Bottom = 0;
    for (TppComponent* C : FObjects) Bottom = std::max(Bottom, C->mmTop() + C->mmHeight());
    if (Bottom != 0) FBottomOffset = FHeight - Bottom;
  }
  if (Version <= ppVersionCalcControls) {
    // Once the whole reading is loaded (at once outside a reading): no component may be freed
    // while the reader still has components to load, and no event loop is needed.
    std::weak_ptr<bool> Alive = FAlive;
    TReader::WhenLoaded([this, Alive] {
      if (auto A = Alive.lock(); A && *A) ConvertCalcControls();
    });
  }
}

void TppBand::SetCalcControlConverter(TCalcControlConverter Converter) {
  CalcControlConverter() = std::move(Converter);
}

bool TppBand::IsCalcControl(const TppComponent& Component) { return Component.ClassName() == "TppCalc"; }

void TppBand::ConvertCalcControls() {
  std::vector<TppComponent*> Old;
  for (TppComponent* C : FObjects)
    if (IsCalcControl(*C)) Old.push_back(C);
  if (Old.empty() || !CalcControlConverter()) return;
  for (TppComponent* C : Old) {
    if (IndexOfObject(C) < 0) continue;
    TppComponent* New = CalcControlConverter()(*this, *C);
    if (!New) continue;
    const std::string Name = C->Name();
    delete C;
    New->SetName(Name);
  }
}

// ---- class record

const TClassInfo& TppBand::StaticClassInfo() {
  using B = TppBand;
  static const TClassInfo Info =
      TClassDef<B>("TppBand", &TppCacheable::StaticClassInfo())
          .Event("AfterGenerate", &B::AfterGenerate)
          .Event("AfterPrint", &B::AfterPrint)
          .Event("BeforeGenerate", &B::BeforeGenerate)
          .Event("BeforePrint", &B::BeforePrint)
          .Prop("Height", &B::GetHeight, &B::SetHeight)
          .Stored(false)
          .Prop("Save", &B::Save, &B::SetSave)
          .Default(0)
          .Prop("Visible", &B::Visible, &B::SetVisible)
          .Default(1);
  return Info;
}
