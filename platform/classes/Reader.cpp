// TReader: the binary component stream read on the class tables. All bytes go through
// one bounds-checked reader, every length is checked against what is left, and nesting
// is bounded, so a damaged stream ends in EReadError.
#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/Collection.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Win1252.h"

const char FilerSignature[4] = {'T', 'P', 'F', '0'};
std::function<TComponent*(const std::string& Name)> FindGlobalComponent;

TCriticalSection& GlobalNameSpace() {
  static TCriticalSection Lock;
  return Lock;
}

namespace {
// Deeper than any real report tree; keeps hostile nesting off the machine stack.
constexpr int MaxDepth = 400;

[[noreturn]] void InvalidValue() { throw EReadError(SInvalidPropertyValue); }

std::vector<uint8_t> ReadRest(TStream& Stream) {
  std::vector<uint8_t> Data;
  uint8_t Chunk[65536];
  for (;;) {
    int64_t N = Stream.Read(Chunk, sizeof(Chunk));
    if (N <= 0) break;
    Data.insert(Data.end(), Chunk, Chunk + N);
  }
  return Data;
}

bool IsIntTag(TValueType V) { return V == vaInt8 || V == vaInt16 || V == vaInt32; }
}  // namespace

TReader::TReader(TStream& Stream)
    : FStream(Stream), FStart(Stream.Position()), FData(ReadRest(Stream)), FIn(FData.data(), FData.size()) {}

TReader::~TReader() {
  try {
    FStream.Seek(Position(), soBeginning);
  } catch (...) {
  }
}

void TReader::SetPosition(int64_t Value) {
  if (Value < FStart || Value - FStart > static_cast<int64_t>(FData.size()))
    throw EReadError(SPositionOutOfStream);
  FIn.Seek(static_cast<size_t>(Value - FStart));
}

void TReader::Nest() {
  if (FDepth >= MaxDepth) FIn.Fail(SInvalidStreamFormat);
}

// ---- values

TValueType TReader::NextValue() { return static_cast<TValueType>(FIn.Peek()); }

TValueType TReader::ReadValue() { return static_cast<TValueType>(FIn.U8()); }

void TReader::CheckValue(TValueType Value) {
  if (ReadValue() != Value) InvalidValue();
}

bool TReader::EndOfList() { return NextValue() == vaNull; }

int32_t TReader::ReadInteger() {
  switch (ReadValue()) {
    case vaInt8: return FIn.I8();
    case vaInt16: return FIn.I16();
    case vaInt32: return FIn.I32();
    default: InvalidValue();
  }
}

int64_t TReader::ReadInt64() {
  if (NextValue() == vaInt64) {
    ReadValue();
    return FIn.I64();
  }
  return ReadInteger();
}

long double TReader::ReadFloat() {
  switch (NextValue()) {
    case vaExtended: ReadValue(); return DecodeExtended(FIn.Bytes(10));
    case vaSingle: ReadValue(); return FIn.F32();
    case vaDate: ReadValue(); return FIn.F64();
    case vaCurrency: ReadValue(); return static_cast<long double>(FIn.I64()) / 10000.0L;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64: return static_cast<long double>(ReadInt64());
    default: InvalidValue();
  }
}

int64_t TReader::ReadCurrency() {
  if (NextValue() == vaCurrency) {
    ReadValue();
    return FIn.I64();
  }
  int64_t V;
  if (!CurrencyFromFloat(ReadFloat(), V)) InvalidValue();
  return V;
}

bool CurrencyFromTenThousandths(long double V, int64_t& TenThousandths) {
  // Rounded first, then held against the exact 64-bit limits (-2^63 and 2^63 are exact in long double).
  long double R = std::nearbyintl(V);
  if (!(R >= -0x1p63L && R < 0x1p63L)) return false;  // also refuses NaN and infinities
  TenThousandths = static_cast<int64_t>(R);
  return true;
}

bool CurrencyFromFloat(long double V, int64_t& TenThousandths) {
  return CurrencyFromTenThousandths(V * 10000.0L, TenThousandths);
}

std::string TReader::ReadWide(size_t Count) {
  const uint8_t* P = FIn.Bytes(Count * 2);
  std::u16string U(Count, u'\0');
  for (size_t I = 0; I < Count; ++I) U[I] = static_cast<char16_t>(P[2 * I] | (P[2 * I + 1] << 8));
  return Utf16ToUtf8(U);
}

std::string TReader::ReadString() {
  switch (ReadValue()) {
    case vaString: return Win1252ToUtf8(FIn.String(FIn.U8()));
    case vaLString: return Win1252ToUtf8(FIn.String(FIn.U32()));
    case vaWString: return ReadWide(FIn.U32());
    case vaUTF8String: return FIn.String(FIn.U32());
    default: InvalidValue();
  }
}

std::string TReader::ReadStr() { return Win1252ToUtf8(FIn.String(FIn.U8())); }

std::string TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: InvalidValue();
  }
}

bool TReader::ReadBoolean() {
  switch (ReadValue()) {
    case vaTrue: return true;
    case vaFalse: return false;
    default: InvalidValue();
  }
}

std::string TReader::ReadChar() {
  std::string S = ReadString();
  size_t I = 0;
  NextUtf8(S, I);
  if (S.empty() || I != S.size()) InvalidValue();
  return S;
}

uint64_t TReader::ReadSet(const TEnumInfo& Enum) {
  CheckValue(vaSet);
  uint64_t Bits = 0;
  for (;;) {
    std::string Name = ReadStr();
    if (Name.empty()) break;
    int I = Enum.IndexOf(Name);
    if (I < 0 || I >= 64) InvalidValue();
    Bits |= uint64_t(1) << I;
  }
  return Bits;
}

std::vector<uint8_t> TReader::ReadBinary() {
  CheckValue(vaBinary);
  uint32_t N = FIn.U32();
  const uint8_t* P = FIn.Bytes(N);
  return std::vector<uint8_t>(P, P + N);
}

void TReader::ReadCollection(TCollection* Collection) {
  Nest();
  TRestore<int> Depth(FDepth, FDepth + 1);
  CheckValue(vaCollection);
  // Reading one collection twice would free items that pending fix-ups point into.
  if (std::any_of(FCollectionsRead.begin(), FCollectionsRead.end(),
                  [Collection](const TCollectionRead& R) { return R.Collection == Collection; }))
    InvalidValue();
  FCollectionsRead.push_back({Collection, HolderOf(Collection)});
  TUpdateScope Update(*Collection);
  if (!EndOfList()) Collection->Clear();
  while (!EndOfList()) {
    if (IsIntTag(NextValue())) ReadInteger();  // the item's order, which the position already gives
    TCollectionItem* Item = Collection->Add();
    ReadListBegin();
    while (!EndOfList()) ReadProperty(Item);
    ReadListEnd();
  }
  ReadListEnd();
}

void TReader::SkipValue() { SkipValueAt(0); }

void TReader::SkipProperties(int Depth) {
  while (!EndOfList()) {
    FIn.Skip(FIn.U8());
    SkipValueAt(Depth);
  }
  ReadListEnd();
}

void TReader::SkipValueAt(int Depth) {
  if (Depth > MaxDepth) FIn.Fail(SInvalidStreamFormat);
  switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil: break;
    case vaList:
      while (!EndOfList()) SkipValueAt(Depth + 1);
      ReadListEnd();
      break;
    case vaInt8: FIn.Skip(1); break;
    case vaInt16: FIn.Skip(2); break;
    case vaInt32:
    case vaSingle: FIn.Skip(4); break;
    case vaExtended: FIn.Skip(10); break;
    case vaInt64:
    case vaCurrency:
    case vaDate: FIn.Skip(8); break;
    case vaString:
    case vaIdent: FIn.Skip(FIn.U8()); break;
    case vaBinary:
    case vaLString:
    case vaUTF8String: FIn.Skip(FIn.U32()); break;
    case vaWString: FIn.Skip(size_t(FIn.U32()) * 2); break;
    case vaSet:
      for (uint8_t N; (N = FIn.U8()) != 0;) FIn.Skip(N);
      break;
    case vaCollection:
      while (!EndOfList()) {
        if (IsIntTag(NextValue())) SkipValueAt(Depth + 1);
        if (ReadValue() != vaList) FIn.Fail(SInvalidStreamFormat);
        SkipProperties(Depth + 1);
      }
      ReadListEnd();
      break;
    default: FIn.Fail(SInvalidStreamFormat);
  }
}

// ---- properties

void TReader::ReadProperty(TPersistent* Instance) {
  std::string Path = ReadStr();
  size_t ValueStart = FIn.Offset();
  try {
    TPersistent* Obj = Instance;
    size_t Begin = 0;
    for (size_t Dot; (Dot = Path.find('.', Begin)) != std::string::npos; Begin = Dot + 1) {
      const TPropInfo* P = Obj->ClassInfo()->FindProp(std::string_view(Path).substr(Begin, Dot - Begin));
      if (!P || P->Kind != TPropKind::Class) throw EReadError(Format(SUnknownProperty, {Path}));
      Obj = P->GetObj(Obj);
      if (!Obj) InvalidValue();
    }
    std::string Last = Path.substr(Begin);
    if (const TPropInfo* P = Obj->ClassInfo()->FindProp(Last)) {
      ReadPropValue(Obj, *P);
    } else {
      FPropName = Last;
      Obj->DefineProperties(this);
      if (!FPropName.empty()) {
        FPropName.clear();
        throw EReadError(Format(SUnknownProperty, {Path}));
      }
    }
  } catch (Exception& E) {
    if (HandleError(E, ValueStart)) return;
    if (dynamic_cast<EStreamError*>(&E) || dynamic_cast<EAbort*>(&E)) throw;
    // A setter refused the value: for the caller it is still a stream that did not read.
    throw EReadError(Format(SPropertyReadError, {Path, E.Message()}));
  }
}

bool TReader::HandleError(Exception& E, size_t ValueStart) {
  FPropName.clear();
  if (FIn.Failed() || !OnError || dynamic_cast<EAbort*>(&E)) return false;
  bool Handled = false;
  OnError(*this, E.Message(), Handled);
  if (!Handled) return false;
  FIn.Seek(ValueStart);
  SkipValue();
  return true;
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo& Prop) {
  auto ReadOnly = [&]() { throw EReadError(Format(SReadOnlyProperty, {Prop.Name})); };
  auto SetOrd = [&](int64_t V) {
    if (!Prop.SetOrd) ReadOnly();
    Prop.SetOrd(Instance, V);
  };
  switch (Prop.Kind) {
    case TPropKind::Integer:  // unsigned 32-bit values arrive as 64-bit integers
    case TPropKind::Int64: SetOrd(ReadInt64()); break;
    case TPropKind::Char: {
      std::string B = Utf8ToWin1252(ReadChar());
      SetOrd(static_cast<uint8_t>(B[0]));
      break;
    }
    case TPropKind::Enum: {
      int I = Prop.Enum->IndexOf(ReadIdent());
      if (I < 0) InvalidValue();
      SetOrd(I);
      break;
    }
    case TPropKind::Boolean: SetOrd(ReadBoolean() ? 1 : 0); break;
    case TPropKind::Set: SetOrd(static_cast<int64_t>(ReadSet(*Prop.Enum))); break;
    case TPropKind::Float: {
      long double V = Prop.FloatType == TFloatType::Currency ? ReadCurrency() / 10000.0L : ReadFloat();
      if (!Prop.SetFloat) ReadOnly();
      Prop.SetFloat(Instance, V);
      break;
    }
    case TPropKind::String: {
      std::string S = ReadString();
      if (!Prop.SetStr) ReadOnly();
      Prop.SetStr(Instance, S);
      break;
    }
    case TPropKind::Class:
      switch (NextValue()) {
        case vaNil:
          ReadValue();
          if (!Prop.SetObj) ReadOnly();
          Prop.SetObj(Instance, nullptr);
          break;
        case vaIdent: {
          std::string Name = ReadIdent();
          if (!Prop.SetObj) ReadOnly();
          FFixups.push_back({Instance, &Prop, std::move(Name), HolderOf(Instance)});
          break;
        }
        case vaCollection: {
          auto* C = dynamic_cast<TCollection*>(Prop.GetObj(Instance));
          if (!C) InvalidValue();
          ReadCollection(C);
          break;
        }
        default: InvalidValue();
      }
      break;
    case TPropKind::Method: ReadMethodValue(Instance, Prop); break;
  }
}

void TReader::ReadMethodValue(TPersistent* Instance, const TPropInfo& Prop) {
  if (NextValue() == vaNil) {
    ReadValue();
    Prop.SetMethod(Instance, TMethod{});
    return;
  }
  std::string Name = ReadIdent();
  std::any Code;
  bool Error = true;
  if (FRoot)
    if (const TMethodInfo* M = FRoot->ClassInfo()->FindMethod(Name)) {
      Code = M->Bind(FRoot);
      Error = false;
    }
  if (Error && OnFindMethod) OnFindMethod(*this, Name, Code, Error);
  if (Error) throw EReadError(Format(SMethodNotFound, {Name}));
  if (Code.has_value()) Prop.SetMethod(Instance, TMethod{Name, std::move(Code)});
}

void TReader::DefineProperty(const std::string& Name, const TReaderProc& ReadData, const TWriterProc&, bool) {
  if (ReadData && !FPropName.empty() && SameTextAscii(Name, FPropName)) {
    FPropName.clear();
    ReadData(*this);
  }
}

void TReader::DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData, const TStreamProc&, bool) {
  if (ReadData && !FPropName.empty() && SameTextAscii(Name, FPropName)) {
    FPropName.clear();
    CheckValue(vaBinary);
    uint32_t N = FIn.U32();
    const uint8_t* P = FIn.Bytes(N);
    TBytesStream S(P, N);
    ReadData(S);
  }
}

// ---- components

void TReader::ReadSignature() {
  const uint8_t* P = FIn.Bytes(4);
  if (!std::equal(P, P + 4, FilerSignature)) throw EReadError(SInvalidStreamFormat);
}

void TReader::ReadPrefix(uint8_t& Flags, int& ChildPos) {
  Flags = 0;
  ChildPos = 0;
  if ((NextValue() & 0xF0) == 0xF0) {
    Flags = ReadValue() & 0x0F;
    if (Flags & ffChildPos) ChildPos = ReadInteger();
  }
}

const TClassInfo& TReader::FindComponentClass(const std::string& ClassName) {
  const TClassInfo* Info = GetClass(ClassName);
  if (!Info && OnFindComponentClass) OnFindComponentClass(*this, ClassName, Info);
  if (!Info) throw EReadError(Format(SClassNotFound, {ClassName}));
  return *Info;
}

void TReader::Forget(TComponent* C) {
  // Freeing C frees what it owns and what sits on it (a parent frees its children), at any depth,
  // through either link: X goes with C when C is above it by owners and parents. Each component's
  // answer is worked out once, so a failure deep in a nested stream stays linear per level.
  std::unordered_map<TComponent*, bool> GoesWithC{{C, true}, {nullptr, false}};
  auto GoesWith = [&GoesWithC](TComponent* X) {
    std::vector<std::pair<TComponent*, bool>> Work{{X, false}};
    while (!Work.empty()) {
      auto [A, Expanded] = Work.back();
      Work.pop_back();
      if (Expanded) {
        GoesWithC[A] = GoesWithC[A->Owner()] || GoesWithC[A->GetParentComponent()];
        continue;
      }
      // Known, or on the way already (a cycle counts as not going with C).
      if (!GoesWithC.emplace(A, false).second) continue;
      Work.push_back({A, true});
      Work.push_back({A->Owner(), false});
      Work.push_back({A->GetParentComponent(), false});
    }
    return GoesWithC[X];
  };
  std::erase_if(FLoaded, GoesWith);
  // Only the holders are looked at: the instances of an inner component forgotten earlier are
  // gone already (its collection items, its nested objects).
  std::erase_if(FFixups, [&](const TFixup& F) { return GoesWith(F.Holder); });
  std::erase_if(FCollectionsRead, [&](const TCollectionRead& R) { return GoesWith(R.Holder); });
}

TComponent* TReader::HolderOf(TPersistent* Instance) const {
  // Collection items and collections lead to their component by their owners; a nested object
  // without one lives in the component being read.
  TPersistent* P = Instance;
  if (auto* Item = dynamic_cast<TCollectionItem*>(P)) P = Item->Collection();
  if (auto* Collection = dynamic_cast<TCollection*>(P)) P = Collection->Owner();
  if (auto* C = dynamic_cast<TComponent*>(P)) return C;
  return FReading;
}

TComponent* TReader::ReadComponent(TComponent* Component) {
  Nest();
  TRestore<int> Depth(FDepth, FDepth + 1);
  uint8_t Flags;
  int ChildPos;
  ReadPrefix(Flags, ChildPos);
  std::string ClassName = ReadStr();
  std::string Name = ReadStr();
  TComponent* Result = Component;
  bool Created = false;
  TOnException Undo([&] {
    if (!Created) return;
    Forget(Result);
    Result->Free();
  });
  if (!Result) {
    if (Flags & ffInherited) {
      Result = FOwner ? FOwner->FindComponent(Name) : nullptr;
      if (!Result) throw EReadError(Format(SAncestorNotFound, {Name}));
    } else {
      const TClassInfo& Info = FindComponentClass(ClassName);
      if (++FCreated > MaxComponents) FIn.Fail(STooManyComponents);
      if (OnCreateComponent) OnCreateComponent(*this, Info, Result);
      if (!Result) {
        if (!Info.Create || !Info.InheritsFrom(&TComponent::StaticClassInfo()))
          throw EReadError(Format(SClassNotFound, {ClassName}));
        TPersistent* Made = Info.Create(FOwner);
        Result = dynamic_cast<TComponent*>(Made);
        if (!Result) {
          delete Made;
          throw EReadError(Format(SClassNotFound, {ClassName}));
        }
      }
      Created = true;
    }
  }
  Result->SetState(csLoading, true);
  if (!(Flags & ffInherited)) {
    if (OnSetName) OnSetName(*this, Result, Name);
    try {
      Result->SetName(Name);
    } catch (EComponentError& E) {
      throw EReadError(E.Message());
    }
  }
  if (FParent && !(Flags & ffInherited)) Result->SetParentComponent(FParent);  // inherited ones have theirs
  // Loaded runs in creation order, parents before their children.
  if (std::find(FLoaded.begin(), FLoaded.end(), Result) == FLoaded.end()) FLoaded.push_back(Result);
  Result->SetState(csReading, true);
  {
    TRestore<TComponent*> Reading(FReading, Result);
    Result->ReadState(*this);
  }
  Result->SetState(csReading, false);
  if ((Flags & ffChildPos) && FParent) FParent->SetChildOrder(Result, ChildPos);
  return Result;
}

void TReader::ReadData(TComponent* Instance) {
  while (!EndOfList()) ReadProperty(Instance);
  ReadListEnd();
  TRestore<TComponent*> Parent(FParent, Instance->GetChildParent());
  TRestore<TComponent*> Owner(FOwner, Instance->GetChildOwner());
  if (!FOwner) FOwner = FRoot;
  while (!EndOfList()) ReadComponent(nullptr);
  ReadListEnd();
}

TComponent* TReader::FindReference(std::string Name) {
  if (OnReferenceName) OnReferenceName(*this, Name);
  if (Name.empty()) return nullptr;
  size_t Dot = Name.find('.');
  std::string First = Name.substr(0, Dot);
  TComponent* C = nullptr;
  if (FRoot && SameTextAscii(First, "Owner"))
    C = FRoot;
  else if (FRoot && (C = FRoot->FindComponent(First)))
    ;
  else if (FRoot && SameTextAscii(FRoot->Name(), First))
    C = FRoot;
  else if (FindGlobalComponent)
    C = FindGlobalComponent(First);
  while (C && Dot != std::string::npos) {
    size_t Begin = Dot + 1;
    Dot = Name.find('.', Begin);
    std::string Part = Name.substr(Begin, Dot == std::string::npos ? std::string::npos : Dot - Begin);
    if (!SameTextAscii(Part, "Owner")) C = C->FindComponent(Part);
  }
  return C;
}

void TReader::DoFixups() {
  // A fix-up may read nothing more, but keep the list stable while setters run.
  std::vector<TFixup> Fixups;
  Fixups.swap(FFixups);
  for (const TFixup& F : Fixups)
    if (TComponent* C = FindReference(F.Name)) F.Prop->SetObj(F.Instance, C);
}

namespace {
thread_local TReader* GActiveReader = nullptr;
}  // namespace

// Makes a reader the innermost reading of its thread while it reads.
struct TActiveReading {
  TReader& R;
  explicit TActiveReading(TReader& Reader) : R(Reader) {
    R.FOuter = GActiveReader;
    GActiveReader = &R;
  }
  ~TActiveReading() { GActiveReader = R.FOuter; }
  TActiveReading(const TActiveReading&) = delete;
  TActiveReading& operator=(const TActiveReading&) = delete;
};

void TReader::WhenLoaded(std::function<void()> Action) {
  if (!Action) return;
  if (GActiveReader) GActiveReader->FWhenLoaded.push_back(std::move(Action));
  else Action();
}

void TReader::EndRead(bool Ok) {
  std::vector<TComponent*> Loaded;
  Loaded.swap(FLoaded);
  FCollectionsRead.clear();
  if (Ok) {
    DoFixups();
    for (TComponent* C : Loaded) C->Loaded();
    // Work queued by the work itself runs too.
    while (!FWhenLoaded.empty()) {
      std::vector<std::function<void()>> Work;
      Work.swap(FWhenLoaded);
      for (auto& Action : Work) Action();
    }
  } else {
    FFixups.clear();
    FWhenLoaded.clear();
    for (TComponent* C : Loaded) {
      C->SetState(csReading, false);
      C->SetState(csLoading, false);
    }
  }
}

TComponent* TReader::ReadRootComponent(TComponent* ARoot) {
  TLock Guard(GlobalNameSpace());
  TActiveReading Active(*this);
  ReadSignature();
  uint8_t Flags;
  int ChildPos;
  ReadPrefix(Flags, ChildPos);
  std::string ClassName = ReadStr();
  std::string Name = ReadStr();
  TComponent* Result = ARoot;
  bool Created = false;
  TOnException Undo([&] {
    EndRead(false);
    if (Created) Result->Free();
  });
  if (!Result) {
    const TClassInfo& Info = FindComponentClass(ClassName);
    TPersistent* Made = Info.Create ? Info.Create(nullptr) : nullptr;
    Result = dynamic_cast<TComponent*>(Made);
    if (!Result) {
      delete Made;
      throw EReadError(Format(SClassNotFound, {ClassName}));
    }
    Created = true;
  }
  SetRoot(Result);
  FOwner = Result;
  FParent = nullptr;
  FLoaded.push_back(Result);
  Result->SetState(csLoading, true);
  Result->SetState(csReading, true);
  if (OnSetName) OnSetName(*this, Result, Name);
  try {
    Result->SetName(Name);
  } catch (EComponentError& E) {
    throw EReadError(E.Message());
  }
  {
    TRestore<TComponent*> Reading(FReading, Result);
    Result->ReadState(*this);
  }
  Result->SetState(csReading, false);
  EndRead(true);
  return Result;
}

void TReader::ReadComponents(TComponent* AOwner, TComponent* AParent,
                             const std::function<void(TComponent*)>& Proc) {
  TLock Guard(GlobalNameSpace());
  TActiveReading Active(*this);
  SetRoot(AOwner);
  FOwner = AOwner;
  FParent = AParent;
  TOnException Undo([this] { EndRead(false); });
  while (!EndOfList()) {
    ReadSignature();
    TComponent* C = ReadComponent(nullptr);
    if (Proc) Proc(C);
  }
  ReadListEnd();
  EndRead(true);
}

TComponent* ReadComponentFromStream(TStream& Stream, TComponent* Instance) {
  TReader Reader(Stream);
  return Reader.ReadRootComponent(Instance);
}
