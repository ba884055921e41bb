// The field class tree: how each kind of field reads the stored value.
#include "platform/data/DB.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DBConvert.h"
#include "platform/data/DBFormat.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/RtlMath.h"

// Fields publish nothing: data sets make them on every Open.
#define FIELD_CLASSINFO(Name, ParentName)                                                              \
  const TClassInfo& Name::StaticClassInfo() {                                                          \
    static const TClassInfo Info = TClassDef<Name>(#Name, &ParentName::StaticClassInfo());            \
    return Info;                                                                                       \
  }

FIELD_CLASSINFO(TField, TComponent)
FIELD_CLASSINFO(TStringField, TField)
FIELD_CLASSINFO(TIntegerField, TField)
FIELD_CLASSINFO(TSmallintField, TIntegerField)
FIELD_CLASSINFO(TWordField, TIntegerField)
FIELD_CLASSINFO(TFloatField, TField)
FIELD_CLASSINFO(TCurrencyField, TFloatField)
FIELD_CLASSINFO(TBCDField, TField)
FIELD_CLASSINFO(TBooleanField, TField)
FIELD_CLASSINFO(TDateTimeField, TField)
FIELD_CLASSINFO(TDateField, TDateTimeField)
FIELD_CLASSINFO(TTimeField, TDateTimeField)
FIELD_CLASSINFO(TBlobField, TField)
FIELD_CLASSINFO(TMemoField, TBlobField)
FIELD_CLASSINFO(TGraphicField, TBlobField)

const TClassInfo& FieldClassOf(TFieldType DataType) {
  switch (DataType) {
    case ftString: return TStringField::StaticClassInfo();
    case ftSmallint: return TSmallintField::StaticClassInfo();
    case ftInteger: return TIntegerField::StaticClassInfo();
    case ftWord: return TWordField::StaticClassInfo();
    case ftBoolean: return TBooleanField::StaticClassInfo();
    case ftFloat: return TFloatField::StaticClassInfo();
    case ftCurrency: return TCurrencyField::StaticClassInfo();
    case ftBCD: return TBCDField::StaticClassInfo();
    case ftDate: return TDateField::StaticClassInfo();
    case ftTime: return TTimeField::StaticClassInfo();
    case ftDateTime: return TDateTimeField::StaticClassInfo();
    case ftBlob: return TBlobField::StaticClassInfo();
    case ftMemo: return TMemoField::StaticClassInfo();
    case ftGraphic: return TGraphicField::StaticClassInfo();
    case ftUnknown: break;
  }
  throw EDatabaseError(SUnknownFieldType);
}

const char* FieldTypeName(TFieldType DataType) {
  static const char* const Names[] = {"Unknown", "String", "SmallInt", "Integer", "Word", "Boolean", "Float", "Currency",
                                      "BCD",     "Date",   "Time",     "DateTime", "Blob", "Memo",    "Graphic"};
  int I = static_cast<int>(DataType);
  return I >= 0 && I <= static_cast<int>(ftGraphic) ? Names[I] : "Unknown";
}

// ---- TField

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TDbCell TField::Cell() const { return FDataSet ? FDataSet->CurrentCell(FFieldNo) : TDbCell(); }

bool TField::IsNull() const { return Cell().Kind == TDbValueKind::Null; }

void TField::AccessError(const char* TypeName) const {
  throw EDatabaseError(Format(SFieldAccessError, {FFieldName, TypeName}));
}

Variant TField::AsVariant() const {
  if (IsNull()) return Variant::Null();
  switch (FDataType) {
    case ftSmallint: return Variant::OfInteger(AsInteger(), varSmallint);
    case ftWord: return Variant::OfInteger(AsInteger(), varWord);
    case ftInteger: {
      int64_t V = AsInteger();
      return V >= INT32_MIN && V <= INT32_MAX ? Variant::OfInteger(V, varInteger) : Variant(V);
    }
    case ftBoolean: return Variant(AsBoolean());
    case ftFloat:
    case ftCurrency: return Variant(AsFloat());
    case ftBCD: return Variant::OfCurrency(Round(static_cast<long double>(AsFloat()) * 10000.0L));
    case ftDate:
    case ftTime:
    case ftDateTime: return Variant::OfDate(AsDateTime());
    default: return Variant(AsString());
  }
}

std::string TField::AsString() const { AccessError("String"); }
int64_t TField::AsInteger() const { AccessError("Integer"); }
double TField::AsFloat() const { AccessError("Float"); }
bool TField::AsBoolean() const { AccessError("Boolean"); }
TDateTime TField::AsDateTime() const { AccessError("DateTime"); }

// ---- strings: numbers and dates are read from the text.

std::string TStringField::AsString() const { return dbconv::Text(Cell()); }

int64_t TStringField::AsInteger() const {
  TDbCell C = Cell();
  return C.Kind == TDbValueKind::Null ? StrToInt("") : dbconv::Integer(C);
}

double TStringField::AsFloat() const {
  TDbCell C = Cell();
  if (C.Kind == TDbValueKind::Null) C.Kind = TDbValueKind::Text;  // '' is no number
  return dbconv::Float(C);
}

// The class library's rule: true when the text starts with T or Y, any case.
bool TStringField::AsBoolean() const {
  std::string S = AsString();
  return !S.empty() && (S[0] == 'T' || S[0] == 't' || S[0] == 'Y' || S[0] == 'y');
}

TDateTime TStringField::AsDateTime() const {
  TDbCell C = Cell();
  if (C.Kind == TDbValueKind::Null) C.Kind = TDbValueKind::Text;
  return dbconv::DateTime(C);
}

// ---- integers

std::string TIntegerField::AsString() const { return IsNull() ? "" : IntToStr(AsInteger()); }
int64_t TIntegerField::AsInteger() const { return dbconv::Integer(Cell()); }
double TIntegerField::AsFloat() const { return static_cast<double>(AsInteger()); }

// ---- floats

std::string TFloatField::AsString() const { return IsNull() ? "" : FloatToStr(AsFloat()); }
int64_t TFloatField::AsInteger() const { return Round(AsFloat()); }
double TFloatField::AsFloat() const { return dbconv::Float(Cell()); }

std::string TFloatField::DisplayText() const {
  if (IsNull()) return "";
  return FCurrency ? DBCurrToStr(AsFloat()) : FloatToStr(AsFloat());
}

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner) { SetCurrency(true); }

std::string TBCDField::AsString() const { return IsNull() ? "" : FloatToStr(AsFloat()); }
int64_t TBCDField::AsInteger() const { return Round(AsFloat()); }
double TBCDField::AsFloat() const {
  return static_cast<double>(Round(static_cast<long double>(dbconv::Float(Cell())) * 10000.0L)) / 10000.0;
}

// ---- booleans

std::string TBooleanField::AsString() const {
  if (IsNull()) return "";
  return AsBoolean() ? STextTrue : STextFalse;
}
bool TBooleanField::AsBoolean() const { return dbconv::Boolean(Cell()); }

// ---- dates and times

TDateTime TDateTimeField::AsDateTime() const { return dbconv::DateTime(Cell()); }

std::string TDateTimeField::AsString() const {
  if (IsNull()) return "";
  TDateTime V = AsDateTime();
  switch (DataType()) {
    case ftDate: return DateToStr(V);
    case ftTime: return TimeToStr(V);
    default: return DateTimeToStr(V);
  }
}

// ---- blobs

std::string TBlobField::AsString() const { return dbconv::Text(Cell()); }

std::string TBlobField::DisplayText() const {
  TFieldType T = DataType() == ftMemo || DataType() == ftGraphic ? DataType() : ftBlob;
  std::string Name = FieldTypeName(T);
  std::string R = "(";
  R += IsNull() ? Name : UpperCaseAscii(Name);
  R += ')';
  return R;
}

void TBlobField::SaveToStream(TStream& Stream) const {
  std::string Bytes = AsString();
  if (!Bytes.empty()) Stream.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
}

int64_t TBlobField::BlobSize() const {
  TDbCell C = Cell();
  if (C.Kind == TDbValueKind::Text || C.Kind == TDbValueKind::Blob) return static_cast<int64_t>(C.Bytes.size());
  return static_cast<int64_t>(AsString().size());
}
