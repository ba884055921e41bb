#pragma once
// An in-memory data set of typed fields, set by hand: the expression tests and the expression fuzz
// target evaluate field names over it.
#include <memory>
#include <string>
#include <vector>

#include "lxreport/LXDataAccess.h"
#include "platform/rtl/DateFormat.h"

struct TMemField : TLXFieldAccess {
  std::string Name;
  TLXFieldKind FKind;
  std::string Text;
  int32_t Int = 0;
  double Real = 0;
  bool Bool = false;
  bool Null = false;
  TMemField(std::string N, TLXFieldKind K) : Name(std::move(N)), FKind(K) {}
  std::string FieldName() const override { return Name; }
  TLXFieldKind Kind() const override { return FKind; }
  bool IsNull() const override { return Null; }
  std::string AsString() const override { return Null ? "" : Text; }
  int32_t AsInteger() const override { return Null ? 0 : Int; }
  double AsFloat() const override { return Null ? 0 : Real; }
  bool AsBoolean() const override { return !Null && Bool; }
  TDateTime AsDateTime() const override { return Null ? 0 : Real; }
  std::string DisplayText() const override {
    if (Null) return "";
    return FKind == TLXFieldKind::fkDate ? DateToStr(Real) : DateTimeToStr(Real);
  }
};

struct TMemDataSet : TLXDataSetAccess {
  std::string FName;
  std::vector<std::unique_ptr<TMemField>> FFields;
  bool Defaults = false;
  explicit TMemDataSet(std::string N) : FName(std::move(N)) {}
  TMemField& Add(const std::string& N, TLXFieldKind K) {
    FFields.push_back(std::make_unique<TMemField>(N, K));
    return *FFields.back();
  }
  TMemField& F(const std::string& N) { return *FFields[static_cast<size_t>(FindFieldIndex(N))]; }
  std::string Name() const override { return FName; }
  int FieldCount() const override { return static_cast<int>(FFields.size()); }
  TLXFieldAccess* Fields(int I) const override {
    return I >= 0 && I < FieldCount() ? FFields[static_cast<size_t>(I)].get() : nullptr;
  }
  bool DefaultFields() const override { return Defaults; }
};
