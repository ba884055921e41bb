#pragma once
// Component streaming: the binary component stream ("TPF0") read and written on the
// class tables. Text inside the program is UTF-8; 8-bit strings in the stream are
// Windows-1252, text that has no Windows-1252 form travels as a wide string.
#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/ByteReader.h"
#include "platform/classes/Classes.h"
#include "platform/classes/SyncObjs.h"
#include "platform/rtl/DateTime.h"

class TStream;
class TCollection;

// Value tags of the binary component stream.
enum TValueType : uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaInt64 = 19,
  vaUTF8String = 20,
};

// Header flags of a component (a prefix byte 0xF0 | flags before the class name).
enum TFilerFlag : uint8_t { ffInherited = 1, ffChildPos = 2, ffInline = 4 };
// The class name's length byte follows where a prefix may stand, and a reader takes any byte from
// 0xF0 up for the prefix: the longest class name a stream can hold is one below.
inline constexpr size_t MaxClassNameBytes = 0xEF;

extern const char FilerSignature[4];  // "TPF0"

using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;
using TStreamProc = std::function<void(TStream&)>;

class TFiler {
public:
  virtual ~TFiler() = default;
  TComponent* Root() const { return FRoot; }
  virtual void SetRoot(TComponent* Value) { FRoot = Value; }
  // Ancestor of the object being written (null: none; every value is compared with its default).
  TPersistent* Ancestor() const { return FAncestor; }
  void SetAncestor(TPersistent* Value) { FAncestor = Value; }
  bool IgnoreChildren() const { return FIgnoreChildren; }
  void SetIgnoreChildren(bool Value) { FIgnoreChildren = Value; }

  // Extra stream properties, from DefineProperties. A reader calls ReadData when the
  // property being read has this name; a writer calls WriteData when HasData.
  virtual void DefineProperty(const std::string& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                              bool HasData) = 0;
  // The value is binary data (tag 10); ReadData gets a stream over exactly those bytes.
  virtual void DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                                    const TStreamProc& WriteData, bool HasData) = 0;

protected:
  TComponent* FRoot = nullptr;
  TPersistent* FAncestor = nullptr;
  bool FIgnoreChildren = false;
};

// The class library's global name space: held while components are read, so that names
// and references settle before another thread looks. Re-entrant.
TCriticalSection& GlobalNameSpace();

// Looks up a component outside the root by name (for references such as "Form2.Table1").
// Null by default; a program with several roots may set it.
extern std::function<TComponent*(const std::string& Name)> FindGlobalComponent;

class TReader : public TFiler {
public:
  // Takes the bytes from the stream's position to its end. The destructor leaves the
  // stream just after what was read.
  explicit TReader(TStream& Stream);
  ~TReader() override;

  // Reads "TPF0" and one component. Root null: the root is created by its class name
  // (without owner); on failure a created root is freed.
  TComponent* ReadRootComponent(TComponent* ARoot);
  // Reads components up to a list end, each with AOwner as owner and root and AParent
  // as parent, each preceded by the signature; Proc is called for each top-level one.
  void ReadComponents(TComponent* AOwner, TComponent* AParent, const std::function<void(TComponent*)>& Proc);
  // Reads one component; Component null creates it by class name with Owner() as owner.
  TComponent* ReadComponent(TComponent* Component);
  // Properties, their list end, the children and their list end (TComponent::ReadState).
  void ReadData(TComponent* Instance);
  void ReadSignature();
  void ReadPrefix(uint8_t& Flags, int& ChildPos);
  void ReadProperty(TPersistent* Instance);

  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* Value) { FOwner = Value; }
  TComponent* Parent() const { return FParent; }
  void SetParent(TComponent* Value) { FParent = Value; }

  // Values.
  TValueType NextValue();
  TValueType ReadValue();
  void CheckValue(TValueType Value);
  bool EndOfList();
  void ReadListBegin() { CheckValue(vaList); }
  void ReadListEnd() { CheckValue(vaNull); }
  int32_t ReadInteger();   // tags 2, 3, 4
  int64_t ReadInt64();     // tags 2, 3, 4, 19
  long double ReadFloat(); // tags 5, 15, 16, 17 and the integers
  float ReadSingle() { return static_cast<float>(ReadFloat()); }
  double ReadDouble() { return static_cast<double>(ReadFloat()); }
  int64_t ReadCurrency();  // ten-thousandths
  TDateTime ReadDate() { return static_cast<TDateTime>(ReadFloat()); }
  std::string ReadString();  // tags 6, 12, 18, 20, as UTF-8
  std::string ReadIdent();   // tag 7, and False, True, nil, Null for 8, 9, 13, 0
  bool ReadBoolean();
  std::string ReadChar();    // a one-character string
  // Bits by ordinal of the enumeration's value names.
  uint64_t ReadSet(const TEnumInfo& Enum);
  void ReadCollection(TCollection* Collection);
  std::vector<uint8_t> ReadBinary();  // tag 10
  // A length-prefixed 8-bit string without tag (names), as UTF-8.
  std::string ReadStr();
  void SkipValue();

  // Absolute stream positions (the reader may be moved back to peek ahead).
  int64_t Position() const { return FStart + static_cast<int64_t>(FIn.Offset()); }
  void SetPosition(int64_t Value);

  void DefineProperty(const std::string& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                            bool HasData) override;

  // Most components one read may create: far beyond any real template, it bounds the
  // time a hostile stream can cost (each new component is announced to its siblings).
  int MaxComponents = 50000;

  // Work that must wait for the end of the reading in progress on this thread: Action runs once
  // every component of that reading has been loaded (at once when nothing is being read), and is
  // dropped when the reading fails. Conversions that replace components read from old streams
  // need this: while the reader still has components to load, none may be freed.
  static void WhenLoaded(std::function<void()> Action);

  // Hooks. OnSetName may change the name given to a component read (names that clash).
  std::function<void(TReader& Reader, TComponent* Component, std::string& Name)> OnSetName;
  // Called for an event handler name the root does not publish: supply Code and clear Error.
  std::function<void(TReader& Reader, const std::string& MethodName, std::any& Code, bool& Error)> OnFindMethod;
  // May change a component reference name before it is looked up.
  std::function<void(TReader& Reader, std::string& Name)> OnReferenceName;
  // A property could not be read: set Handled to skip its value and go on. Damaged bytes
  // are never offered here.
  std::function<void(TReader& Reader, const std::string& Message, bool& Handled)> OnError;
  // May supply the class of a name the registry does not know.
  std::function<void(TReader& Reader, const std::string& ClassName, const TClassInfo*& Info)> OnFindComponentClass;
  // May create the component itself (left null: the class factory makes it).
  std::function<void(TReader& Reader, const TClassInfo& Info, TComponent*& Component)> OnCreateComponent;

private:
  // Holder: the component whose freeing takes Instance with it, found while Instance is alive, so
  // undoing a failed component never has to look at an object that may be gone.
  struct TFixup {
    TPersistent* Instance;
    const TPropInfo* Prop;
    std::string Name;
    TComponent* Holder;
  };
  struct TCollectionRead {
    TCollection* Collection;
    TComponent* Holder;
  };
  void ReadPropValue(TPersistent* Instance, const TPropInfo& Prop);
  void ReadMethodValue(TPersistent* Instance, const TPropInfo& Prop);
  bool HandleError(Exception& E, size_t ValueStart);
  std::string ReadWide(size_t Count);
  void SkipValueAt(int Depth);
  void SkipProperties(int Depth);
  void Nest();
  const TClassInfo& FindComponentClass(const std::string& ClassName);
  TComponent* FindReference(std::string Name);
  void DoFixups();
  void EndRead(bool Ok);
  void Forget(TComponent* C);
  TComponent* HolderOf(TPersistent* Instance) const;

  TStream& FStream;
  int64_t FStart;
  std::vector<uint8_t> FData;
  TByteReader FIn;
  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  std::string FPropName;  // the defined property being looked for
  int FDepth = 0;
  int FCreated = 0;
  std::vector<TComponent*> FLoaded;
  std::vector<TFixup> FFixups;
  std::vector<TCollectionRead> FCollectionsRead;
  TComponent* FReading = nullptr;  // the component whose properties are being read
  std::vector<std::function<void()>> FWhenLoaded;
  TReader* FOuter = nullptr;  // the reading this one runs inside, on this thread
  friend struct TActiveReading;
};

class TWriter : public TFiler {
public:
  // Writes at the stream's position; the bytes reach the stream when each top-level
  // write finishes (FlushBuffer), and at the latest when the writer goes.
  explicit TWriter(TStream& Stream);
  ~TWriter() override;

  // "TPF0" and the root with everything GetChildren gives.
  void WriteRootComponent(TComponent* ARoot);
  // Writes only what differs from AAncestor (a root of the same shape): components that
  // the ancestor has by name are flagged inherited, and their values are compared with
  // the ancestor's instead of the defaults. Reading it into a copy of the ancestor
  // gives the descendant back.
  void WriteDescendent(TComponent* ARoot, TComponent* AAncestor);
  void WriteSignature();
  void WriteComponent(TComponent* Component);
  // Header, properties, list end, children, list end (TComponent::WriteState).
  void WriteData(TComponent* Instance);
  void WritePrefix(uint8_t Flags, int ChildPos);
  // Published properties (stored, not default), then DefineProperties.
  void WriteProperties(TPersistent* Instance);
  void WriteProperty(TPersistent* Instance, const TPropInfo& Prop);

  void WriteValue(TValueType Value) { WriteByte(Value); }
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteInteger(int64_t Value);  // the smallest of tags 2, 3, 4, 19
  void WriteFloat(long double Value);
  void WriteSingle(float Value);
  void WriteCurrency(int64_t TenThousandths);
  void WriteDate(TDateTime Value);
  void WriteString(const std::string& Value);
  void WriteIdent(const std::string& Ident);
  void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
  void WriteChar(const std::string& Value) { WriteString(Value); }
  void WriteSet(uint64_t Bits, const TEnumInfo& Enum);
  void WriteCollection(TCollection* Collection);
  void WriteBinary(const void* Data, size_t Size);
  // A length-prefixed 8-bit string without tag; raises EWriteError beyond 255 bytes.
  void WriteStr(const std::string& Value);
  // The class name after the prefix; a name longer than MaxClassNameBytes raises EWriteError.
  void WriteClassName(const std::string& Value);
  void WritePropName(const std::string& Name);
  void Write(const void* Data, size_t Size);
  void FlushBuffer();
  int64_t Position() const { return FStart + static_cast<int64_t>(FWritten + FBuffer.size()); }

  void DefineProperty(const std::string& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                            bool HasData) override;

  // The component references are named relative to this root (default: Root).
  TComponent* LookupRoot() const { return FLookupRoot ? FLookupRoot : FRoot; }
  void SetRoot(TComponent* Value) override;

private:
  void WriteByte(uint8_t B) { FBuffer.push_back(B); }
  void WriteLE(uint64_t V, int N);
  std::string ComponentName(TComponent* C) const;

  TStream& FStream;
  int64_t FStart;
  size_t FWritten = 0;
  std::vector<uint8_t> FBuffer;
  TComponent* FLookupRoot = nullptr;
  TComponent* FRootAncestor = nullptr;
  std::string FPropPath;  // prefix of nested property names ("Font.")
  int FLevel = 0;
};

// Ten-thousandths of V, rounded; false when V is not finite or out of the currency range (the 64-bit
// integers of ten-thousandths).
bool CurrencyFromFloat(long double V, int64_t& TenThousandths);
// The same for a value already counted in ten-thousandths (currency text).
bool CurrencyFromTenThousandths(long double V, int64_t& TenThousandths);

// Reads one root component from Stream into Instance (null: created by class name).
TComponent* ReadComponentFromStream(TStream& Stream, TComponent* Instance);
void WriteComponentToStream(TStream& Stream, TComponent* Instance);
