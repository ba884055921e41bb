// Compiles arbitrary text as an expression and evaluates it over a small
// in-memory data set and an environment of variables: aggregate passes over
// three records, a reset, and the same text as a variable that other
// expressions name. Expressions never raise, so any exception is a finding.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXEvaluator.h"
#include "lxreport/LXReport.h"
#include "platform/app/Application.h"
#include "tests/lxreport/LXMemDataSet.h"

namespace {
// Three records of a data set with a field of every kind.
struct TItems : TMemDataSet {
  TMemField &Price = Add("PRICE", TLXFieldKind::fkFloat), &Qty = Add("QTY", TLXFieldKind::fkInteger),
            &Name_ = Add("NAME", TLXFieldKind::fkString), &Paid = Add("PAID", TLXFieldKind::fkBoolean),
            &Day = Add("DAY", TLXFieldKind::fkDate), &Notes = Add("NOTES", TLXFieldKind::fkOther);
  TItems() : TMemDataSet("Items") {}

  void Record(int R) {
    Price.Real = 0.5 + R * 1.25;
    Qty.Int = R == 2 ? INT32_MAX : R + 1;
    Name_.Text = R == 1 ? "São Paulo" : std::string(R * 100, 'x');
    Paid.Bool = R % 2 == 0;
    Day.Real = 45000 + R;
  }
};

TItems* DataSet;
TLXDataSetList* DataSets;
TLXEvEnvironment* Variables;

void Check(const TLXEvValue& V) {
  if (V.Kind > evError) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  InitializeApplication(*argc, *argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  DataSet = new TItems;
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
