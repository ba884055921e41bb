#pragma once
// Data sets as reports walk them: a cursor over records, typed fields, bookmarks,
// query parameters. Records are cached as they are fetched, so Prior and
// bookmarks work on sources that can only be read forward. A source that can
// read its records again from the start (a query) keeps only a window of the
// latest records: walking forward takes the same memory for a million records
// as for a thousand, and a step back beyond the window reads again up to there.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variants.h"

DECLARE_EXCEPTION(EDatabaseError, Exception)

enum TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBlob,
  ftMemo,
  ftGraphic,
};

// One stored value, typed the way the source typed it (SQLite's storage
// classes). Fields convert on reading; nothing is converted on storing.
enum class TDbValueKind : uint8_t { Null, Integer, Float, Text, Blob };

struct TDbValue {
  TDbValueKind Kind = TDbValueKind::Null;
  int64_t I = 0;
  double F = 0;
  std::string S;  // text (UTF-8) or blob bytes

  TDbValue() = default;
  TDbValue(int V) : Kind(TDbValueKind::Integer), I(V) {}
  TDbValue(int64_t V) : Kind(TDbValueKind::Integer), I(V) {}
  TDbValue(bool V) : Kind(TDbValueKind::Integer), I(V ? 1 : 0) {}
  // A TDateTime is stored as its day count.
  TDbValue(double V) : Kind(TDbValueKind::Float), F(V) {}
  TDbValue(const char* V) : Kind(TDbValueKind::Text), S(V) {}
  TDbValue(std::string V) : Kind(TDbValueKind::Text), S(std::move(V)) {}
  static TDbValue Null() { return {}; }
  static TDbValue Blob(std::string Bytes) {
    TDbValue R;
    R.Kind = TDbValueKind::Blob;
    R.S = std::move(Bytes);
    return R;
  }
};

// A read-only look at a stored value; Bytes points into the record cache.
struct TDbCell {
  TDbValueKind Kind = TDbValueKind::Null;
  int64_t I = 0;
  double F = 0;
  std::string_view Bytes;
};

// Records in one flat array of cells and one byte arena: no allocation per
// record, which is what keeps walking a million rows cheap.
class TRecordStore {
public:
  void Reset(int Columns);
  int Columns() const { return FColumns; }
  int64_t Count() const { return FColumns ? static_cast<int64_t>(FCells.size()) / FColumns : 0; }
  TDbCell Cell(int64_t Rec, int Col) const;
  // Appending a record: one Put per column, in order.
  void PutNull();
  void PutInteger(int64_t V);
  void PutFloat(double V);
  void PutBytes(TDbValueKind Kind, const void* Data, size_t Size);
  void Put(const TDbValue& V);
  // Forgets the first N records (the rest move to the front).
  void DropFirst(int64_t N);
  // Bytes held, cells and texts.
  size_t MemoryUsed() const { return FCells.size() * sizeof(TStoredCell) + FBytes.size(); }

private:
  struct TStoredCell {
    int64_t Value;  // integer, float bits, or offset into FBytes
    uint32_t Len;
    TDbValueKind Kind;
  };
  std::vector<TStoredCell> FCells;
  std::string FBytes;
  int FColumns = 0;
};

class TDataSet;

// A field reads the data set's current record; with no current record it is null.
class TField : public TComponent {
  DECLARE_CLASSINFO(TField)
public:
  explicit TField(TComponent* AOwner);

  TDataSet* DataSet() const { return FDataSet; }
  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& V) { FFieldName = V; }
  // The caption of the field; its name until one is set.
  const std::string& DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(const std::string& V) { FDisplayLabel = V; }
  TFieldType DataType() const { return FDataType; }
  // Declared length of strings, scale of BCD values, 0 otherwise.
  int Size() const { return FSize; }
  void SetSize(int V) { FSize = V; }
  // 1-based position in the record.
  int FieldNo() const { return FFieldNo; }
  int Index() const { return FFieldNo - 1; }
  virtual bool IsBlob() const { return false; }

  bool IsNull() const;
  // Each accessor raises EDatabaseError when the field's type has no such
  // reading, and EConvertError when the stored value does not convert.
  virtual std::string AsString() const;
  virtual int64_t AsInteger() const;
  virtual double AsFloat() const;
  virtual bool AsBoolean() const;
  virtual TDateTime AsDateTime() const;
  // Null, or the value under the class library's variant type for the field's
  // data type (smallint, integer, word, boolean, double, currency for BCD, date, string).
  Variant AsVariant() const;
  // The text a report prints.
  virtual std::string DisplayText() const { return AsString(); }

protected:
  TDbCell Cell() const;
  [[noreturn]] void AccessError(const char* TypeName) const;

private:
  friend class TDataSet;
  TDataSet* FDataSet = nullptr;
  std::string FFieldName;
  std::string FDisplayLabel;
  TFieldType FDataType = ftUnknown;
  int FSize = 0;
  int FFieldNo = 0;
};

class TStringField : public TField {
  DECLARE_CLASSINFO(TStringField)
public:
  using TField::TField;
  std::string AsString() const override;
  int64_t AsInteger() const override;
  double AsFloat() const override;
  bool AsBoolean() const override;
  TDateTime AsDateTime() const override;
};

class TIntegerField : public TField {
  DECLARE_CLASSINFO(TIntegerField)
public:
  using TField::TField;
  std::string AsString() const override;
  int64_t AsInteger() const override;
  double AsFloat() const override;
};

class TSmallintField : public TIntegerField {
  DECLARE_CLASSINFO(TSmallintField)
public:
  using TIntegerField::TIntegerField;
};

class TWordField : public TIntegerField {
  DECLARE_CLASSINFO(TWordField)
public:
  using TIntegerField::TIntegerField;
};

class TFloatField : public TField {
  DECLARE_CLASSINFO(TFloatField)
public:
  using TField::TField;
  std::string AsString() const override;
  int64_t AsInteger() const override;
  double AsFloat() const override;
  std::string DisplayText() const override;
  // Money format for the display text; set by TCurrencyField.
  bool Currency() const { return FCurrency; }
  void SetCurrency(bool V) { FCurrency = V; }

private:
  bool FCurrency = false;
};

class TCurrencyField : public TFloatField {
  DECLARE_CLASSINFO(TCurrencyField)
public:
  explicit TCurrencyField(TComponent* AOwner);
};

// Fixed-point values held to ten-thousandths, as the class library's BCD fields.
class TBCDField : public TField {
  DECLARE_CLASSINFO(TBCDField)
public:
  using TField::TField;
  std::string AsString() const override;
  int64_t AsInteger() const override;
  double AsFloat() const override;
};

class TBooleanField : public TField {
  DECLARE_CLASSINFO(TBooleanField)
public:
  using TField::TField;
  std::string AsString() const override;
  bool AsBoolean() const override;
};

class TDateTimeField : public TField {
  DECLARE_CLASSINFO(TDateTimeField)
public:
  using TField::TField;
  std::string AsString() const override;
  double AsFloat() const override { return AsDateTime(); }
  TDateTime AsDateTime() const override;
};

class TDateField : public TDateTimeField {
  DECLARE_CLASSINFO(TDateField)
public:
  using TDateTimeField::TDateTimeField;
};

class TTimeField : public TDateTimeField {
  DECLARE_CLASSINFO(TTimeField)
public:
  using TDateTimeField::TDateTimeField;
};

class TBlobField : public TField {
  DECLARE_CLASSINFO(TBlobField)
public:
  using TField::TField;
  bool IsBlob() const override { return true; }
  // The bytes, unchanged.
  std::string AsString() const override;
  // "(BLOB)", or "(Blob)" when null; memo and graphic fields name themselves.
  std::string DisplayText() const override;
  int64_t BlobSize() const;
  // Writes the bytes at the stream's position.
  void SaveToStream(TStream& Stream) const;
};

class TMemoField : public TBlobField {
  DECLARE_CLASSINFO(TMemoField)
public:
  using TBlobField::TBlobField;
};

class TGraphicField : public TBlobField {
  DECLARE_CLASSINFO(TGraphicField)
public:
  using TBlobField::TBlobField;
};

// The fields of an open data set, in record order.
class TFields {
public:
  int Count() const { return static_cast<int>(FList.size()); }
  TField* Fields(int Index) const;
  TField* operator[](int Index) const { return Fields(Index); }
  // Case-insensitive; null when missing.
  TField* FindField(std::string_view Name) const;
  // Raises EDatabaseError when missing.
  TField* FieldByName(std::string_view Name) const;

private:
  friend class TDataSet;
  std::vector<TField*> FList;
};

struct TFieldDef {
  std::string Name;
  TFieldType DataType = ftUnknown;
  int Size = 0;
};

class TFieldDefs {
public:
  int Count() const { return static_cast<int>(FItems.size()); }
  const TFieldDef& Items(int Index) const { return FItems.at(static_cast<size_t>(Index)); }
  void Add(const std::string& Name, TFieldType DataType, int Size = 0) { FItems.push_back({Name, DataType, Size}); }
  void Clear() { FItems.clear(); }

private:
  std::vector<TFieldDef> FItems;
};

// A position in a data set. It stays valid until the data set closes.
struct TBookmark {
  const TDataSet* DataSet = nullptr;
  uint64_t Generation = 0;
  int64_t Record = -1;
  bool Assigned() const { return DataSet != nullptr; }
};

// The cursor. Subclasses describe their columns in InternalOpen and hand over
// records through FetchRecord; everything else is here.
class TDataSet : public TComponent {
  DECLARE_CLASSINFO(TDataSet)
public:
  explicit TDataSet(TComponent* AOwner);
  ~TDataSet() override;

  bool Active() const { return FActive; }
  // While the data set is being read from a stream, opening waits for Loaded.
  void SetActive(bool Value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }

  // Navigation raises EDatabaseError on a closed data set. Next on the last
  // record sets EOF and stays on that record; Prior on the first sets BOF.
  void First();
  void Next();
  void Prior();
  // Goes to the last record and sets EOF, as the class library does.
  void Last();
  // The class library's EOF and BOF (EOF is a C macro, hence the spelling).
  bool Eof() const { return FEOF; }
  bool Bof() const { return FBOF; }
  bool IsEmpty() const;
  // Asks the source (a query counts without reading its records here), else fetches every
  // remaining record to count them.
  int64_t RecordCount();
  // 1-based number of the current record, 0 when there is none.
  int64_t RecNo() const;

  TFields& Fields() { return FFields; }
  int FieldCount() const { return FFields.Count(); }
  TField* FindField(std::string_view Name) const { return FFields.FindField(Name); }
  TField* FieldByName(std::string_view Name) const { return FFields.FieldByName(Name); }
  // Fields are made on every Open and freed on Close.
  bool DefaultFields() const { return true; }
  TFieldDefs& FieldDefs() { return FFieldDefs; }

  TBookmark GetBookmark() const;
  // Raises EDatabaseError for a bookmark of another data set or of an earlier opening.
  void GotoBookmark(const TBookmark& Bookmark);
  void FreeBookmark(TBookmark& Bookmark) { Bookmark = TBookmark(); }
  bool BookmarkValid(const TBookmark& Bookmark) const;
  // Goes to the 0-based record Index, reading up to it; false, and no move, when there is none.
  bool MoveTo(int64_t Index);
  // -1, 0 or 1 by record order; an unassigned bookmark comes first.
  int CompareBookmarks(const TBookmark& A, const TBookmark& B) const;

  // No data-aware controls here: the counter is kept for callers that nest these calls.
  void DisableControls() { ++FDisableCount; }
  void EnableControls() {
    if (FDisableCount > 0) --FDisableCount;
  }
  bool ControlsDisabled() const { return FDisableCount > 0; }

  // The bytes of a blob field of the current record as a new stream at position 0.
  std::unique_ptr<TStream> CreateBlobStream(TField* Field) const;

  void Loaded() override;

  // For fields: the current record's value of a column.
  TDbCell CurrentCell(int FieldNo) const;

protected:
  // Closes while the subclass is whole (its InternalClose runs) and frees the fields, which the
  // owner's pass over its components would otherwise free behind the field list.
  void Destroying() override;
  // Fills FieldDefs() and prepares the source. Raises on failure.
  virtual void InternalOpen() = 0;
  virtual void InternalClose() {}
  // Appends one record to Records(); false when the source has no more.
  virtual bool FetchRecord() { return false; }
  // A source whose records outlive Close keeps them (the in-memory data set).
  virtual bool KeepRecordsOnClose() const { return false; }
  // A source that can start again from its first record (the next FetchRecord gives it) keeps
  // only a window of records: Refetch is called when a record before the window is wanted.
  virtual bool CanRefetch() const { return false; }
  virtual void Refetch() {}
  // Passes over up to Count records without appending them; the number passed (fewer at the
  // end), or -1 when the source cannot pass over records.
  virtual int64_t SkipRecords(int64_t) { return -1; }
  // The number of records without fetching them here; -1 when the source cannot tell.
  virtual int64_t CountRecords() { return -1; }
  TRecordStore& Records() { return FRecords; }
  void CheckActive() const;
  void CheckInactive() const;
  // Called when records were added to an open data set from outside a fetch.
  void RecordsAppended();

private:
  bool Fetched(int64_t Rec);
  void FetchAll();
  // Drops records from the front of the window, keeping the current record and the one before.
  void Trim();
  int64_t Known() const { return FFirst + FRecords.Count(); }
  void DoOpen();
  void DoClose();
  void CreateFields();
  void DestroyFields();

  TRecordStore FRecords;
  TFields FFields;
  TFieldDefs FFieldDefs;
  bool FActive = false;
  bool FStreamedActive = false;
  bool FBOF = true;
  bool FEOF = true;
  int64_t FCurrent = -1;
  // The number of the window's first record.
  int64_t FFirst = 0;
  // While walking to the end (Last), the current record does not hold the window.
  bool FLoose = false;
  uint64_t FGeneration = 0;
  int FDisableCount = 0;
  bool FFetchDone = false;
};

// A query parameter: a name, a data type and a value. The typed setters set
// the data type as well, as the class library's do.
class TParam {
public:
  TParam(std::string Name, TFieldType DataType) : FName(std::move(Name)), FDataType(DataType) {}
  const std::string& Name() const { return FName; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType V) { FDataType = V; }
  bool IsNull() const { return FValue.Kind == TDbValueKind::Null; }
  void Clear() { FValue = TDbValue(); }
  const TDbValue& Value() const { return FValue; }
  // Takes type and value, keeps the name.
  void AssignParam(const TParam& Source) {
    FDataType = Source.FDataType;
    FValue = Source.FValue;
  }

  void SetAsString(const std::string& V) { Set(ftString, TDbValue(V)); }
  void SetAsInteger(int64_t V) { Set(ftInteger, TDbValue(V)); }
  void SetAsSmallInt(int V) { Set(ftSmallint, TDbValue(V)); }
  void SetAsWord(int V) { Set(ftWord, TDbValue(V)); }
  void SetAsFloat(double V) { Set(ftFloat, TDbValue(V)); }
  void SetAsCurrency(double V) { Set(ftCurrency, TDbValue(V)); }
  void SetAsBCD(double V) { Set(ftBCD, TDbValue(V)); }
  void SetAsBoolean(bool V) { Set(ftBoolean, TDbValue(V)); }
  void SetAsDate(TDateTime V) { Set(ftDate, TDbValue(V)); }
  void SetAsTime(TDateTime V) { Set(ftTime, TDbValue(V)); }
  void SetAsDateTime(TDateTime V) { Set(ftDateTime, TDbValue(V)); }
  void SetAsBlob(std::string Bytes) { Set(ftBlob, TDbValue::Blob(std::move(Bytes))); }
  void SetAsMemo(std::string Text) { Set(ftMemo, TDbValue(std::move(Text))); }

  std::string AsString() const;
  int64_t AsInteger() const;
  double AsFloat() const;
  bool AsBoolean() const;
  TDateTime AsDateTime() const;

private:
  void Set(TFieldType T, TDbValue V) {
    FDataType = T;
    FValue = std::move(V);
  }
  std::string FName;
  TFieldType FDataType;
  TDbValue FValue;
};

class TParams {
public:
  int Count() const { return static_cast<int>(FItems.size()); }
  TParam* Items(int Index) const { return FItems.at(static_cast<size_t>(Index)).get(); }
  TParam* operator[](int Index) const { return Items(Index); }
  // Case-insensitive; null when missing.
  TParam* FindParam(std::string_view Name) const;
  // Raises EDatabaseError when missing.
  TParam* ParamByName(std::string_view Name) const;
  TParam* CreateParam(TFieldType DataType, const std::string& Name);
  void Clear() { FItems.clear(); }
  // Takes the types and values of the same-named parameters of Source.
  void AssignValues(const TParams& Source);

private:
  std::vector<std::unique_ptr<TParam>> FItems;
};

// The field class a data type is read through.
const TClassInfo& FieldClassOf(TFieldType DataType);
const char* FieldTypeName(TFieldType DataType);
