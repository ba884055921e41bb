#include "lxreport/LXEvEnvironment.h"

#include "lxreport/LXEvFunctions.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/LocaleCase.h"
#include "platform/rtl/Win1252.h"

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
  static const TClassInfo Info = TClassDef<TLXEvEnvironment>("TLXEvEnvironment", &TComponent::StaticClassInfo());
  return Info;
}

TLXEvEnvironment::TLXEvEnvironment(TComponent* AOwner) : TComponent(AOwner) {}

TLXEvEnvironment::~TLXEvEnvironment() { TLXEvEnvironment::Clear(); }

int TLXEvEnvironment::IndexOf(const std::string& Name) const {
  std::string U = AnsiUpperCase(Name);
  for (size_t I = 0; I < FEntries.size(); ++I)
    if (FEntries[I].Name == U) return static_cast<int>(I);
  return -1;
}

void TLXEvEnvironment::CompileEntry(TLXEvEmbeddedFunction& E) {
  E.Evaluator().AssignDataSets(DataSetList());
  E.Evaluator().SetEnvironment(this);
  E.Evaluator().Compile(E.ExpressionText());
}

void TLXEvEnvironment::Define(const std::string& Name, const std::string& Expression) {
  std::string U = AnsiUpperCase(Name);
  if (IndexOf(U) >= 0) return;
  auto E = TLXEvEmbeddedFunction::CreateWithExpression(Expression);
  FEntries.push_back({U, E});
  if (IsCompiled()) CompileEntry(*E);
}

void TLXEvEnvironment::Undefine(const std::string& Name) {
  int I = IndexOf(Name);
  if (I >= 0) FEntries.erase(FEntries.begin() + I);
}

std::unique_ptr<TLXEvElement> TLXEvEnvironment::ElementFor(const std::string& Name) {
  int I = IndexOf(Name);
  if (I < 0) return TLXEvElementError::CreateWithMessage(Format(UnknownFunction, {Name}));
  return TLXEvElementWrapper::CreateFor(FEntries[static_cast<size_t>(I)].Entry, FEntries[static_cast<size_t>(I)].Name);
}

void TLXEvEnvironment::ValueOf(const std::string& Name, TLXEvValue& Value) {
  int I = IndexOf(Name);
  if (I < 0) return MakeErrorValue("", Value);
  TLXFiFo Unused;
  FEntries[static_cast<size_t>(I)].Entry->Produce(Unused, Value);
}

TLXEvElement* TLXEvEnvironment::FirstElementOf(const std::string& Name) {
  int I = IndexOf(Name);
  return I < 0 ? nullptr : FEntries[static_cast<size_t>(I)].Entry->CompiledElement(0);
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
  for (size_t I = 0; I < FEntries.size(); ++I) CompileEntry(*FEntries[I].Entry);
}

void TLXEvEnvironment::Discard() {
  if (this == SharedEnvironment() && ReleasingEnvironments) return;
  if (FCompileCount == 0) return;  // never below zero
  struct TGuard {
    ~TGuard() { ReleasingEnvironments = false; }
  } Guard;
  ReleasingEnvironments = true;
  if (--FCompileCount == 0)
    for (TEntry& E : FEntries) E.Entry->Evaluator().Discard();
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
}

// ---- stream properties ----

namespace {
// Value codes of the binary component stream.
enum : uint8_t { vaNull = 0, vaList = 1, vaString = 6, vaLString = 12, vaWString = 18, vaUTF8String = 20 };

void WriteStringValue(TStream& S, const std::string& Utf8) {
  std::string B = Utf8ToWin1252(Utf8);
  if (B.size() <= 255) {
    S.WriteByte(vaString);
    S.WriteByte(static_cast<uint8_t>(B.size()));
  } else {
    S.WriteByte(vaLString);
    S.WriteInt32(static_cast<int32_t>(B.size()));
  }
  S.WriteBuffer(B.data(), static_cast<int64_t>(B.size()));
}

std::string ReadStringValue(TStream& S, uint8_t Code) {
  int64_t Len;
  switch (Code) {
    case vaString: Len = S.ReadByte(); break;
    case vaLString:
    case vaUTF8String:
    case vaWString: Len = S.ReadInt32(); break;
    default: throw EReadError("Invalid property value");
  }
  if (Code == vaWString) Len *= 2;
  if (Len < 0 || Len > S.Size() - S.Position()) throw EReadError("Stream read error");
  std::string B(static_cast<size_t>(Len), '\0');
  S.ReadBuffer(B.data(), Len);
  if (Code == vaUTF8String) return B;
  if (Code == vaWString) {
    std::u16string W(B.size() / 2, u'\0');
    for (size_t I = 0; I < W.size(); ++I)
      W[I] = static_cast<char16_t>(static_cast<uint8_t>(B[2 * I]) | (static_cast<uint8_t>(B[2 * I + 1]) << 8));
    return Utf16ToUtf8(W);
  }
  return Win1252ToUtf8(B);
}

void WriteList(TStream& S, const std::vector<std::string>& Items) {
  S.WriteByte(vaList);
  for (const std::string& T : Items) WriteStringValue(S, T);
  S.WriteByte(vaNull);
}

std::vector<std::string> ReadList(TStream& S) {
  if (S.ReadByte() != vaList) throw EReadError("Invalid property value");
  std::vector<std::string> R;
  for (uint8_t Code; (Code = S.ReadByte()) != vaNull;) R.push_back(ReadStringValue(S, Code));
  return R;
}
}  // namespace

void TLXEvEnvironment::WriteStringsProperty(TStream& S) const {
  std::vector<std::string> Names;
  for (const TEntry& E : FEntries) Names.push_back(E.Name);
  WriteList(S, Names);
}

void TLXEvEnvironment::ReadStringsProperty(TStream& S) { FPendingNames = ReadList(S); }

void TLXEvEnvironment::WriteDataProperty(TStream& S) const {
  std::vector<std::string> Exprs;
  for (const TEntry& E : FEntries) Exprs.push_back(E.Entry->ExpressionText());
  WriteList(S, Exprs);
}

void TLXEvEnvironment::ReadDataProperty(TStream& S) {
  std::vector<std::string> Exprs = ReadList(S);
  std::vector<std::string> Names = std::move(FPendingNames);
  FPendingNames.clear();
  if (Exprs.size() != Names.size()) throw EReadError("Expression list does not match its names");
  Clear();
  for (size_t K = 0; K < Names.size(); ++K) {
    auto E = TLXEvEmbeddedFunction::CreateWithExpression(Exprs[K]);
    FEntries.push_back({AnsiUpperCase(Names[K]), E});
    if (IsCompiled()) CompileEntry(*E);
  }
}
