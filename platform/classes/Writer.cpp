// TWriter: the binary component stream written from the class tables.
#include <cstring>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/Collection.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Win1252.h"

namespace {
// True when every character has a Windows-1252 byte (the 8-bit string tags).
bool FitsWin1252(std::string_view S) {
  for (size_t I = 0; I < S.size();) {
    if (static_cast<unsigned char>(S[I]) < 0x80) {
      ++I;
      continue;
    }
    char32_t C = NextUtf8(S, I);
    if (C == 0xFFFFFFFF || CodePointToWin1252(C) < 0) return false;
  }
  return true;
}
}  // namespace

TWriter::TWriter(TStream& Stream) : FStream(Stream), FStart(Stream.Position()) {}

TWriter::~TWriter() {
  try {
    FlushBuffer();
  } catch (...) {
  }
}

void TWriter::FlushBuffer() {
  if (FBuffer.empty()) return;
  FStream.WriteBuffer(FBuffer.data(), static_cast<int64_t>(FBuffer.size()));
  FWritten += FBuffer.size();
  FBuffer.clear();
}

void TWriter::SetRoot(TComponent* Value) {
  FRoot = Value;
  FLookupRoot = Value;
}

void TWriter::Write(const void* Data, size_t Size) {
  if (Size == 0) return;
  // resize + memcpy: GCC 12 misreads vector::insert of a constant block as an overflow.
  size_t At = FBuffer.size();
  FBuffer.resize(At + Size);
  std::memcpy(FBuffer.data() + At, Data, Size);
}

void TWriter::WriteLE(uint64_t V, int N) {
  for (int I = 0; I < N; ++I) FBuffer.push_back(static_cast<uint8_t>(V >> (8 * I)));
}

void TWriter::WriteInteger(int64_t Value) {
  if (Value >= INT8_MIN && Value <= INT8_MAX) {
    WriteValue(vaInt8);
    WriteLE(static_cast<uint64_t>(Value), 1);
  } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
    WriteValue(vaInt16);
    WriteLE(static_cast<uint64_t>(Value), 2);
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteValue(vaInt32);
    WriteLE(static_cast<uint64_t>(Value), 4);
  } else {
    WriteValue(vaInt64);
    WriteLE(static_cast<uint64_t>(Value), 8);
  }
}

void TWriter::WriteFloat(long double Value) {
  WriteValue(vaExtended);
  TExtendedBytes B = EncodeExtended(Value);
  Write(B.data(), B.size());
}

void TWriter::WriteSingle(float Value) {
  WriteValue(vaSingle);
  uint32_t B;
  std::memcpy(&B, &Value, 4);
  WriteLE(B, 4);
}

void TWriter::WriteCurrency(int64_t TenThousandths) {
  WriteValue(vaCurrency);
  WriteLE(static_cast<uint64_t>(TenThousandths), 8);
}

void TWriter::WriteDate(TDateTime Value) {
  WriteValue(vaDate);
  uint64_t B;
  std::memcpy(&B, &Value, 8);
  WriteLE(B, 8);
}

void TWriter::WriteString(const std::string& Value) {
  if (FitsWin1252(Value)) {
    std::string B = Utf8ToWin1252(Value);
    if (B.size() <= 255) {
      WriteValue(vaString);
      WriteLE(B.size(), 1);
    } else {
      WriteValue(vaLString);
      WriteLE(B.size(), 4);
    }
    Write(B.data(), B.size());
    return;
  }
  std::u16string U = Utf8ToUtf16(Value);
  WriteValue(vaWString);
  WriteLE(U.size(), 4);
  for (char16_t C : U) WriteLE(C, 2);
}

void TWriter::WriteStr(const std::string& Value) {
  std::string B = Utf8ToWin1252(Value);
  if (B.size() > 255) throw EWriteError(Format(SNameTooLong, {Value.substr(0, 40)}));
  WriteLE(B.size(), 1);
  Write(B.data(), B.size());
}

void TWriter::WriteClassName(const std::string& Value) {
  if (Utf8ToWin1252(Value).size() > MaxClassNameBytes) throw EWriteError(Format(SClassNameTooLong, {Value.substr(0, 40)}));
  WriteStr(Value);
}

void TWriter::WriteIdent(const std::string& Ident) {
  if (SameTextAscii(Ident, "False"))
    WriteValue(vaFalse);
  else if (SameTextAscii(Ident, "True"))
    WriteValue(vaTrue);
  else if (SameTextAscii(Ident, "nil"))
    WriteValue(vaNil);
  else if (SameTextAscii(Ident, "Null"))
    WriteValue(vaNull);
  else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WriteSet(uint64_t Bits, const TEnumInfo& Enum) {
  WriteValue(vaSet);
  for (size_t I = 0; I < Enum.Values.size() && I < 64; ++I)
    if (Bits & (uint64_t(1) << I)) WriteStr(Enum.Values[I]);
  WriteStr("");
}

void TWriter::WriteBinary(const void* Data, size_t Size) {
  if (Size > UINT32_MAX) throw EWriteError(SBinaryTooLarge);
  WriteValue(vaBinary);
  WriteLE(Size, 4);
  Write(Data, Size);
}

void TWriter::WriteCollection(TCollection* Collection) {
  WriteValue(vaCollection);
  if (Collection) {
    TRestore<std::string> Path(FPropPath, std::string());
    TRestore<TPersistent*> Anc(FAncestor, nullptr);  // items are written whole
    for (int I = 0; I < Collection->Count(); ++I) {
      WriteListBegin();
      WriteProperties(Collection->Items(I));
      WriteListEnd();
    }
  }
  WriteListEnd();
}

void TWriter::WritePropName(const std::string& Name) { WriteStr(FPropPath + Name); }

void TWriter::DefineProperty(const std::string& Name, const TReaderProc&, const TWriterProc& WriteData,
                             bool HasData) {
  if (HasData && WriteData) {
    WritePropName(Name);
    WriteData(*this);
  }
}

void TWriter::DefineBinaryProperty(const std::string& Name, const TStreamProc&, const TStreamProc& WriteData,
                                   bool HasData) {
  if (HasData && WriteData) {
    TMemoryStream M;
    WriteData(M);
    WritePropName(Name);
    WriteBinary(M.Memory(), M.Bytes().size());
  }
}

// ---- properties

// How a component reference is named, relative to the lookup root.
std::string TWriter::ComponentName(TComponent* C) const {
  TComponent* Root = LookupRoot();
  if (C->Owner() && C->Owner() == Root) return C->Name();
  if (C == Root) return "Owner";
  if (C->Owner() && !C->Owner()->Name().empty() && !C->Name().empty()) return C->Owner()->Name() + "." + C->Name();
  if (!C->Name().empty()) return C->Name() + ".Owner";
  return {};
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo& Prop) {
  // The ancestor's value replaces the default when there is an ancestor of the same class.
  TPersistent* Anc = FAncestor && FAncestor->ClassInfo() == Instance->ClassInfo() ? FAncestor : nullptr;
  switch (Prop.Kind) {
    case TPropKind::Integer:
    case TPropKind::Int64:
    case TPropKind::Char:
    case TPropKind::Enum:
    case TPropKind::Boolean:
    case TPropKind::Set: {
      int64_t V = Prop.GetOrd(Instance);
      if (Anc ? V == Prop.GetOrd(Anc) : Prop.Default != NoDefault && V == Prop.Default) return;
      if (Prop.Kind == TPropKind::Enum) {
        std::string Name = Prop.Enum->NameOf(V);
        if (Name.empty()) return;  // no stream text for an ordinal out of range
        WritePropName(Prop.Name);
        WriteIdent(Name);
        return;
      }
      WritePropName(Prop.Name);
      if (Prop.Kind == TPropKind::Boolean)
        WriteBoolean(V != 0);
      else if (Prop.Kind == TPropKind::Set)
        WriteSet(static_cast<uint64_t>(V), *Prop.Enum);
      else if (Prop.Kind == TPropKind::Char)
        WriteString(Win1252ToUtf8(std::string(1, static_cast<char>(V))));
      else
        WriteInteger(V);
      return;
    }
    case TPropKind::Float: {
      long double V = Prop.GetFloat(Instance);
      if (V == (Anc ? Prop.GetFloat(Anc) : 0)) return;
      WritePropName(Prop.Name);
      switch (Prop.FloatType) {
        case TFloatType::Single: WriteSingle(static_cast<float>(V)); break;
        case TFloatType::Currency: {
          int64_t C;
          if (!CurrencyFromFloat(V, C)) throw EWriteError(SCurrencyOutOfRange);
          WriteCurrency(C);
          break;
        }
        case TFloatType::Date: WriteDate(static_cast<double>(V)); break;
        default: WriteFloat(V);
      }
      return;
    }
    case TPropKind::String: {
      std::string S = Prop.GetStr(Instance);
      if (Anc ? S == Prop.GetStr(Anc) : S.empty()) return;
      WritePropName(Prop.Name);
      WriteString(S);
      return;
    }
    case TPropKind::Method: {
      TMethod M = Prop.GetMethod(Instance);
      std::string Was = Anc ? Prop.GetMethod(Anc).Name : std::string();
      if (SameTextAscii(M.Name, Was)) return;
      WritePropName(Prop.Name);
      WriteIdent(M.Assigned() ? M.Name : "nil");
      return;
    }
    case TPropKind::Class: {
      TPersistent* Obj = Prop.GetObj(Instance);
      TPersistent* AncObj = Anc ? Prop.GetObj(Anc) : nullptr;
      auto* Comp = dynamic_cast<TComponent*>(Obj);
      if (!Obj || (Comp && !Comp->HasState(csSubComponent))) {
        // A reference: by name; compared with the ancestor's by name.
        std::string Name = Comp ? ComponentName(Comp) : std::string();
        auto* AncComp = dynamic_cast<TComponent*>(AncObj);
        std::string Was = AncComp ? AncComp->Name() : std::string();
        if (!Prop.Writable() || SameTextAscii(Comp ? Comp->Name() : std::string(), Was)) return;
        if (Comp && Name.empty()) return;
        WritePropName(Prop.Name);
        WriteIdent(Comp ? Name : "nil");
      } else if (auto* Coll = dynamic_cast<TCollection*>(Obj)) {
        WritePropName(Prop.Name);
        WriteCollection(Coll);
      } else {
        TRestore<std::string> Path(FPropPath, FPropPath + Prop.Name + ".");
        TRestore<TPersistent*> Anc(FAncestor, AncObj);
        WriteProperties(Obj);
      }
      return;
    }
  }
}

void TWriter::WriteProperties(TPersistent* Instance) {
  // Deeper than any real object graph: a persistent that reaches itself would never end.
  if (FPropPath.size() > 1024) throw EWriteError(STooDeeplyNested);
  for (const TPropInfo* P : Instance->ClassInfo()->AllProps())
    if (P->IsStored(Instance) && (P->Writable() || P->Kind == TPropKind::Class)) WriteProperty(Instance, *P);
  Instance->DefineProperties(this);
}

// ---- components

void TWriter::WriteSignature() { Write(FilerSignature, 4); }

void TWriter::WritePrefix(uint8_t Flags, int ChildPos) {
  if (!Flags) return;
  WriteByte(0xF0 | Flags);
  if (Flags & ffChildPos) WriteInteger(ChildPos);
}

void TWriter::WriteData(TComponent* Instance) {
  WritePrefix(FRootAncestor && FAncestor ? ffInherited : 0, 0);
  WriteClassName(Instance->ClassName());
  WriteStr(Instance->Name());
  WriteProperties(Instance);
  WriteListEnd();
  if (!FIgnoreChildren) Instance->GetChildren([this](TComponent* Child) { WriteComponent(Child); }, FRoot);
  WriteListEnd();
}

void TWriter::WriteComponent(TComponent* Component) {
  TRestore<TPersistent*> Anc(FAncestor);
  if (FRootAncestor) {
    // The ancestor's counterpart: the ancestor root itself, or its component of the same name and class.
    TComponent* A = Component == FRoot ? FRootAncestor : FRootAncestor->FindComponent(Component->Name());
    FAncestor = A && A->ClassInfo() == Component->ClassInfo() ? A : nullptr;
  }
  {
    TRestore<int> Level(FLevel, FLevel + 1);
    Component->SetState(csWriting, true);
    TFinally Written([Component] { Component->SetState(csWriting, false); });
    Component->WriteState(*this);
  }
  if (FLevel == 0) FlushBuffer();
}

void TWriter::WriteDescendent(TComponent* ARoot, TComponent* AAncestor) {
  SetRoot(ARoot);
  {
    TRestore<TComponent*> RootAncestor(FRootAncestor, AAncestor);
    WriteSignature();
    WriteComponent(ARoot);
  }
  FlushBuffer();
}

void TWriter::WriteRootComponent(TComponent* ARoot) { WriteDescendent(ARoot, nullptr); }

void WriteComponentToStream(TStream& Stream, TComponent* Instance) {
  TWriter Writer(Stream);
  Writer.WriteRootComponent(Instance);
}
