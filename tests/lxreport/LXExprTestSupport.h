#pragma once
// Shared by the expression tests: an in-memory data set and a compact text
// form of values for tables. The test program's main starts the library.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lxreport/LXDataAccess.h"
#include "lxreport/LXEvFunctions.h"
#include "lxreport/LXEvaluator.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/SysUtils.h"

// "I:7", "F:3.5" (period), "S:abc", "B:True", "E:message".
inline std::string Describe(const TLXEvValue& V) {
  switch (V.Kind) {
    case evInteger: return "I:" + std::to_string(V.Integer);
    case evFloat: return "F:" + FloatToStr(V.Float, EnglishFormatSettings());
    case evString: return "S:" + V.Text();
    case evBoolean: return V.Boolean ? "B:True" : "B:False";
    default: return "E:" + V.Text();
  }
}

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

// Compiles and evaluates once.
inline TLXEvValue EvalText(const std::string& Text, TLXDataSetList* DataSets = nullptr,
                           TLXEvEnvironment* Env = nullptr) {
  TLXEvaluator E;
  E.AssignDataSets(DataSets);
  E.SetEnvironment(Env);
  TLXEvValue V;
  E.EvaluateOnce(Text, V);
  return V;
}

// One row of an expression table: the text, its value as Describe gives it,
// and the value under Brazilian settings when that differs.
struct TExprCase {
  const char* Text;
  const char* Expected;
  const char* ExpectedBr = nullptr;
};

// Evaluates every row under the current format settings.
template <size_t N>
void RunExprTable(const TExprCase (&Cases)[N]) {
  bool Br = FormatSettings().DecimalSeparator == ',';
  for (const TExprCase& C : Cases) {
    const char* Want = Br && C.ExpectedBr ? C.ExpectedBr : C.Expected;
    EXPECT_EQ(Describe(EvalText(C.Text)), Want) << C.Text;
  }
}
