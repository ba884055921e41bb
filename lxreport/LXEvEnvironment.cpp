#include "lxreport/LXEvEnvironment.h"

#include <algorithm>

#include "lxreport/LXEvFunctions.h"
#include "platform/classes/ClassesConsts.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/LocaleCase.h"
#include "platform/rtl/SysUtils.h"

using namespace LXExprText;

// ---- entries ----

TLXEvEmbeddedFunction::TLXEvEmbeddedFunction(std::string Expression) : FExpression(std::move(Expression)) {}

namespace {
// Levels of the variables being evaluated on this thread, one inside the
// other: a variable's queue nests on top of the expression that named it.
thread_local int GVariableLevels = 0;
}  // namespace

void TLXEvEmbeddedFunction::Produce(TLXFiFo&, TLXEvValue& Value) {
  if (FEvaluating) return MakeErrorValue(Recursive, Value);
  // A chain of variables (A uses B, B uses C...) evaluates one inside the
  // other: bound the levels as one expression's are.
  int Levels = GVariableLevels + FEvaluator.Height() + 1;
  if (Levels > TLXEvaluator::MaxDepth) return MakeErrorValue(Format(TooDeep, {TLXEvaluator::MaxDepth}), Value);
  TRestore<int> Nested(GVariableLevels, Levels);
  TRestore<bool> Busy(FEvaluating, true);
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
  if (Index < 0 || Index >= Count()) Error(SListIndexError, Index);
  return FEntries[static_cast<size_t>(Index)].get();
}

int TLXEvEnvironment::EntryIndex(const std::string& Name) const {
  // Names defined here are upper case, names read from a stream keep the case
  // they were written in: compare without it either way.
  std::string U = AnsiUpperCase(Name);
  for (int I = 0; I < Count(); ++I)
    if (FEntries[static_cast<size_t>(I)] && AnsiUpperCase(Get(I)) == U) return I;
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
  int I = Count();
  Insert(I, U);
  FEntries[static_cast<size_t>(I)] = E;
  if (IsCompiled()) CompileEntry(*E);
}

void TLXEvEnvironment::Undefine(const std::string& Name) {
  int I = EntryIndex(Name);
  if (I >= 0) Delete(I);
}

void TLXEvEnvironment::ReplaceEntry(int Index, const std::string& Expression) {
  if (Index < 0 || Index >= Count()) return;
  auto E = TLXEvEmbeddedFunction::CreateWithExpression(Expression);
  FEntries[static_cast<size_t>(Index)] = E;
  if (IsCompiled()) CompileEntry(*E);
}

int TLXEvEnvironment::AddObject(const std::string& S, TObject* AObject) {
  int Before = Count();
  int I = TStringList::AddObject(S, AObject);
  if (Count() > Before) FEntries.insert(FEntries.begin() + I, nullptr);
  return I;
}

void TLXEvEnvironment::Insert(int Index, const std::string& S) {
  TStringList::Insert(Index, S);
  FEntries.insert(FEntries.begin() + Index, nullptr);
}

void TLXEvEnvironment::Exchange(int Index1, int Index2) {
  TStringList::Exchange(Index1, Index2);
  std::swap(FEntries[static_cast<size_t>(Index1)], FEntries[static_cast<size_t>(Index2)]);
}

void TLXEvEnvironment::Delete(int Index) {
  TStringList::Delete(Index);
  FEntries.erase(FEntries.begin() + Index);
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
  else if (auto* S = dynamic_cast<TLXEvElementString*>(Element); S && Value.Kind == evString) S->SetText(Value.Text());
}

void TLXEvEnvironment::Compile() {
  if (FCompileCount++ > 0) return;
  for (auto& E : FEntries)
    if (E) CompileEntry(*E);
}

void TLXEvEnvironment::Discard() {
  if (this == SharedEnvironment() && ReleasingEnvironments) return;
  if (FCompileCount == 0) return;  // never below zero
  TFinally Released([] { ReleasingEnvironments = false; });
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

namespace {
bool IsDataProperty(const std::string& Path) {
  size_t Dot = Path.rfind('.');
  return SameTextAscii(Dot == std::string::npos ? Path : Path.substr(Dot + 1), "DATA");
}
}  // namespace

void TLXEvEnvironment::DefineProperties(TFiler* Filer) {
  // Reading: this "Strings" comes first and takes the property, so the list's
  // own reader never runs; writing: the list's own writer writes the names.
  if (auto* R = dynamic_cast<TReader*>(Filer))
    R->DefineProperty("Strings", [this](TReader& Reader) { ReadNames(Reader); }, nullptr, false);
  TStringList::DefineProperties(Filer);
  Filer->DefineProperty(
      "DATA", [this](TReader& R) { ReadData(R); }, [this](TWriter& W) { WriteData(W); }, true);
}

void TLXEvEnvironment::WriteData(TWriter& W) const {
  W.WriteListBegin();
  for (const auto& E : FEntries) W.WriteString(E ? E->ExpressionText() : std::string());
  W.WriteListEnd();
}

void TLXEvEnvironment::ReadNames(TReader& R) {
  std::vector<std::string> Names;
  R.ReadListBegin();
  while (!R.EndOfList()) Names.push_back(R.ReadString());
  R.ReadListEnd();
  // The writer always puts "DATA" right after the names; without it the
  // names would have no expressions.
  int64_t At = R.Position();
  bool DataFollows = !R.EndOfList() && IsDataProperty(R.ReadStr());
  R.SetPosition(At);
  if (!Names.empty() && !DataFollows) throw EReadError(SInvalidStreamFormat);
  TUpdateScope<TStrings> Update(*this);
  Clear();
  for (const std::string& N : Names) Add(N);
}

void TLXEvEnvironment::ReadData(TReader& R) {
  std::vector<std::string> Exprs;
  R.ReadListBegin();
  while (!R.EndOfList()) Exprs.push_back(R.ReadString());
  R.ReadListEnd();
  // An environment written without entries, read into one that has some
  // (a report defines its counters when made): nothing to attach.
  bool Complete = std::all_of(FEntries.begin(), FEntries.end(), [](const auto& E) { return E != nullptr; });
  if (Exprs.empty() && Complete) return;
  // The names came first; expression k belongs to name k.
  if (Exprs.size() != static_cast<size_t>(Count())) throw EReadError(SInvalidStreamFormat);
  for (size_t K = 0; K < Exprs.size(); ++K) FEntries[K] = TLXEvEmbeddedFunction::CreateWithExpression(Exprs[K]);
  if (IsCompiled())
    for (auto& E : FEntries) CompileEntry(*E);
}
