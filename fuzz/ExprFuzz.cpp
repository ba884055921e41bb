// Compiles arbitrary text as an expression and evaluates it over a small
// in-memory data set and an environment of variables: aggregate passes over
// three records, a reset, and the same text as a variable that other
// expressions name. Expressions never raise, so any exception is a finding.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lxreport/LXDataAccess.h"
#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXEvaluator.h"
#include "lxreport/LXReport.h"
#include "platform/app/Application.h"
#include "platform/rtl/DateFormat.h"

namespace {
struct TFzField : TLXFieldAccess {
  std::string Name;
  TLXFieldKind FKind;
  std::string Text;
  int32_t Int = 0;
  double Real = 0;
  bool Bool = false;
  TFzField(std::string N, TLXFieldKind K) : Name(std::move(N)), FKind(K) {}
  std::string FieldName() const override { return Name; }
  TLXFieldKind Kind() const override { return FKind; }
  bool IsNull() const override { return false; }
  std::string AsString() const override { return Text; }
  int32_t AsInteger() const override { return Int; }
  double AsFloat() const override { return Real; }
  bool AsBoolean() const override { return Bool; }
  TDateTime AsDateTime() const override { return Real; }
  std::string DisplayText() const override { return FKind == TLXFieldKind::fkString ? Text : DateToStr(Real); }
};

struct TFzDataSet : TLXDataSetAccess {
  TFzField Price{"PRICE", TLXFieldKind::fkFloat}, Qty{"QTY", TLXFieldKind::fkInteger},
      Name_{"NAME", TLXFieldKind::fkString}, Paid{"PAID", TLXFieldKind::fkBoolean},
      Day{"DAY", TLXFieldKind::fkDate}, Notes{"NOTES", TLXFieldKind::fkOther};
  TFzField* All[6] = {&Price, &Qty, &Name_, &Paid, &Day, &Notes};
  std::string Name() const override { return "Items"; }
  int FieldCount() const override { return 6; }
  TLXFieldAccess* Fields(int I) const override { return I >= 0 && I < 6 ? All[I] : nullptr; }
  bool DefaultFields() const override { return false; }

  void Record(int R) {
    Price.Real = 0.5 + R * 1.25;
    Qty.Int = R == 2 ? INT32_MAX : R + 1;
    Name_.Text = R == 1 ? "São Paulo" : std::string(R * 100, 'x');
    Paid.Bool = R % 2 == 0;
    Day.Real = 45000 + R;
  }
};

TFzDataSet* DataSet;
TLXDataSetList* DataSets;
TLXEvEnvironment* Variables;

void Check(const TLXEvValue& V) {
  if (V.Kind > evError || V.TextLength > TLXEvValue::MaxText) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  InitializeApplication(*argc, *argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  DataSet = new TFzDataSet;
  DataSets = new TLXDataSetList{DataSet};
  Variables = new TLXEvEnvironment;
  Variables->AssignDataSets(DataSets);
  Variables->Define("PAGENUMBER", "0");
  Variables->Define("TITLE", "'Vendas'");
  Variables->Define("DOUBLE", "QTY * 2");
  Variables->Define("RUNNING", "SUM(PRICE)");
  Variables->Define("LOOP", "LOOP + 1");
  Variables->Compile();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::string Text(reinterpret_cast<const char*>(Data), Size);
  FindArgumentSeparator(Text);
  DataSet->Record(0);
  {
    TLXEvaluator E;
    E.AssignDataSets(DataSets);
    E.SetEnvironment(Variables);
    E.Compile(Text);
    E.ResetAggregates();
    TLXEvValue V;
    for (int R = 0; R < 3; ++R) {
      DataSet->Record(R);
      if (E.HasAggregates()) E.AccumulateAggregates();
      E.CurrentValue(V);
      Check(V);
    }
    E.ResetAggregates();
    E.CurrentValue(V);
    Check(V);
  }
  // The text as a variable, named by another expression and by itself.
  TLXEvEnvironment Own;
  Own.AssignDataSets(DataSets);
  Own.Define("X", Text);
  Own.Define("Y", "X + X");
  Own.Compile();
  TLXEvaluator E;
  E.SetEnvironment(&Own);
  TLXEvValue V;
  E.EvaluateOnce("Y = X", V);
  Check(V);
  Own.ValueOf("X", V);
  Check(V);
  Own.Discard();
  return 0;
}
