#pragma once
// What the expression language needs of data sets and fields. The data-set
// layer implements these over its own classes; tests use in-memory stand-ins.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/DateTime.h"

// The field class families the expressions distinguish, each including its
// descendants: a wide string field is a string field, an auto-increment field
// an integer field, a time field a date-time field. Large integers, blobs and
// memos are fkOther.
enum class TLXFieldKind {
  fkString,    // string fields
  fkInteger,   // integer, small integer and word fields
  fkFloat,     // float, currency and BCD fields
  fkBoolean,
  fkDate,      // date fields: shown as their display text
  fkDateTime,  // date-time fields: shown as their display text
  fkOther
};

class TLXFieldAccess {
public:
  virtual ~TLXFieldAccess() = default;
  virtual std::string FieldName() const = 0;
  virtual TLXFieldKind Kind() const = 0;
  // Null fields get no special treatment from expressions: the accessors
  // below decide what a null field reads as (the class library gives
  // empty text, 0 and false).
  virtual bool IsNull() const = 0;
  virtual std::string AsString() const = 0;  // UTF-8
  virtual int32_t AsInteger() const = 0;
  virtual double AsFloat() const = 0;
  virtual bool AsBoolean() const = 0;
  virtual TDateTime AsDateTime() const = 0;
  // The text a data-aware control shows (locale date format for dates).
  virtual std::string DisplayText() const = 0;
};

class TLXDataSetAccess {
public:
  virtual ~TLXDataSetAccess() = default;
  // The data set's component name.
  virtual std::string Name() const = 0;
  virtual int FieldCount() const = 0;
  // nullptr beyond the count.
  virtual TLXFieldAccess* Fields(int Index) const = 0;
  // True when the fields were created automatically at opening: they are
  // recreated at every opening, so holders look them up again by index.
  virtual bool DefaultFields() const = 0;
  virtual bool Active() const { return true; }

  // Index of the field with that name (letter case ignored), or -1.
  int FindFieldIndex(const std::string& FieldName) const;
};

// The data sets an expression can name, in lookup order. Not owning.
using TLXDataSetList = std::vector<TLXDataSetAccess*>;
