#include "lxreport/LXEvEnvironment.h"

#include "lxreport/LXEvFunctions.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/LocaleCase.h"

using namespace LXExprText;

// ---- entries ----

TLXEvEmbeddedFunction::TLXEvEmbeddedFunction(std::string Expression) : FExpression(std::move(Expression)) {}

void TLXEvEmbeddedFunction::Produce(TLXFiFo&, TLXEvValue& Value) {
  if (FEvaluating) return MakeErrorValue(Recursive, Value);
  struct TGuard {
    bool& Flag;
    ~TGuard() { Flag = false; }
  } Guard{FEvaluating};
  FEvaluating = true;
  FEvaluator.CurrentValue(Value);
}

TLXEvElement* TLXEvEmbeddedFunction::CompiledElement(int Index) const {
  TLXFiFo* Q = FEvaluator.Queue();
  return FEvaluator.Compiled() && Q ? Q->Items(Index) : nullptr;
}

// ---- environment ----

const TClassInfo& TLXEvEnvironment::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXEvEnvironment>("TLXEvEnvironment", &TStringList::StaticClassInfo());
  return Info;
}

TLXEvEnvironment::TLXEvEnvironment() {}

TLXEvEnvironment::~TLXEvEnvironment() { TLXEvEnvironment::Clear(); }

TLXEvEmbeddedFunction* TLXEvEnvironment::Entries(int Index) const {
  if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
  return static_cast<size_t>(Index) < FEntries.size() ? FEntries[static_cast<size_t>(Index)].get() : nullptr;
}

int TLXEvEnvironment::EntryIndex(const std::string& Name) const {
  std::string U = AnsiUpperCase(Name);
  for (int I = 0; I < Count(); ++I)
    if (Get(I) == U && static_cast<size_t>(I) < FEntries.size()) return I;
  return -1;
}

void TLXEvEnvironment::CompileEntry(TLXEvEmbeddedFunction& E) {
  E.Evaluator().AssignDataSets(DataSetList());
  E.Evaluator().SetEnvironment(this);
  E.Evaluator().Compile(E.ExpressionText());
}

void TLXEvEnvironment::Define(const std::string& Name, const std::string& Expression) {
  std::string U = AnsiUpperCase(Name);
  if (EntryIndex(U) >= 0) return;
  auto E = TLXEvEmbeddedFunction::CreateWithExpression(Expression);
  FEntries.resize(static_cast<size_t>(Count()));  // names read without expressions get none
  FEntries.push_back(E);
  Add(U);
  if (IsCompiled()) CompileEntry(*E);
}

void TLXEvEnvironment::Undefine(const std::string& Name) {
  int I = EntryIndex(Name);
  if (I >= 0) Delete(I);
}

void TLXEvEnvironment::Delete(int Index) {
  if (Index >= 0 && static_cast<size_t>(Index) < FEntries.size()) FEntries.erase(FEntries.begin() + Index);
  TStringList::Delete(Index);
}

std::unique_ptr<TLXEvElement> TLXEvEnvironment::ElementFor(const std::string& Name) {
  int I = EntryIndex(Name);
  if (I < 0) return TLXEvElementError::CreateWithMessage(Format(UnknownFunction, {Name}));
  return TLXEvElementWrapper::CreateFor(FEntries[static_cast<size_t>(I)], Get(I));
}

void TLXEvEnvironment::ValueOf(const std::string& Name, TLXEvValue& Value) {
  int I = EntryIndex(Name);
  if (I < 0) return MakeErrorValue("", Value);
  TLXFiFo Unused;
  FEntries[static_cast<size_t>(I)]->Produce(Unused, Value);
}

TLXEvElement* TLXEvEnvironment::FirstElementOf(const std::string& Name) {
  int I = EntryIndex(Name);
  return I < 0 ? nullptr : FEntries[static_cast<size_t>(I)]->CompiledElement(0);
}

void TLXEvEnvironment::StoreInteger(TLXEvElement* Element, int32_t N) {
  if (auto* C = dynamic_cast<TLXEvElementConstant*>(Element)) C->SetValue(TLXEvValue::OfInteger(N));
}

void TLXEvEnvironment::StoreText(TLXEvElement* Element, const std::string& Text) {
  if (auto* S = dynamic_cast<TLXEvElementString*>(Element)) S->SetText(Text);
}

void TLXEvEnvironment::StoreValue(TLXEvElement* Element, const TLXEvValue& Value) {
  if (auto* C = dynamic_cast<TLXEvElementConstant*>(Element)) C->SetValue(Value);
  else if (auto* S = dynamic_cast<TLXEvElementString*>(Element); S && Value.Kind == evString) S->SetBytes(Value.Bytes());
}

void TLXEvEnvironment::Compile() {
  if (FCompileCount++ > 0) return;
  for (auto& E : FEntries)
    if (E) CompileEntry(*E);
}

void TLXEvEnvironment::Discard() {
  if (this == SharedEnvironment() && ReleasingEnvironments) return;
  if (FCompileCount == 0) return;  // never below zero
  struct TGuard {
    ~TGuard() { ReleasingEnvironments = false; }
  } Guard;
  ReleasingEnvironments = true;
  if (--FCompileCount == 0)
    for (auto& E : FEntries)
      if (E) E->Evaluator().Discard();
}

void TLXEvEnvironment::AssignDataSets(TLXDataSetList* List) {
  if (FDataSets && FDataSets != List && FDataSets == FOwnedDataSets.get()) FOwnedDataSets.reset();
  FDataSets = List;
}

TLXDataSetList* TLXEvEnvironment::DataSetList() {
  if (!FDataSets) {
    FOwnedDataSets = std::make_unique<TLXDataSetList>();
    FDataSets = FOwnedDataSets.get();
  }
  return FDataSets;
}

void TLXEvEnvironment::Clear() {
  while (!FEntries.empty()) FEntries.pop_back();
  TStringList::Clear();
}

// ---- stream properties ----

void TLXEvEnvironment::DefineProperties(TFiler* Filer) {
  TStringList::DefineProperties(Filer);
  Filer->DefineProperty(
      "DATA", [this](TReader& R) { ReadData(R); }, [this](TWriter& W) { WriteData(W); }, true);
}

void TLXEvEnvironment::WriteData(TWriter& W) const {
  W.WriteListBegin();
  for (const auto& E : FEntries) W.WriteString(E ? E->ExpressionText() : std::string());
  W.WriteListEnd();
}

void TLXEvEnvironment::ReadData(TReader& R) {
  std::vector<std::string> Exprs;
  R.ReadListBegin();
  while (!R.EndOfList()) Exprs.push_back(R.ReadString());
  R.ReadListEnd();
  if (Exprs.empty()) return;  // an environment without entries: nothing to attach
  // The names came first, through the list's own "Strings".
  if (Exprs.size() != static_cast<size_t>(Count())) throw EReadError("Expression list does not match its names");
  FEntries.clear();
  for (const std::string& X : Exprs) FEntries.push_back(TLXEvEmbeddedFunction::CreateWithExpression(X));
  if (IsCompiled())
    for (auto& E : FEntries) CompileEntry(*E);
}
