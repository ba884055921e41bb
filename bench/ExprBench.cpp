// Evaluates a prepared expression once per record, as a report run does for
// a running total, and prints records per second.
#include <chrono>
#include <cstdio>
#include <string>

#include "lxreport/LXDataAccess.h"
#include "lxreport/LXEvFunctions.h"
#include "lxreport/LXEvaluator.h"
#include "lxreport/LXReport.h"
#include "platform/app/Application.h"

namespace {
struct TBenchField : TLXFieldAccess {
  std::string Name;
  TLXFieldKind K;
  double Real = 0;
  int32_t Int = 0;
  TBenchField(std::string N, TLXFieldKind Kind) : Name(std::move(N)), K(Kind) {}
  std::string FieldName() const override { return Name; }
  TLXFieldKind Kind() const override { return K; }
  bool IsNull() const override { return false; }
  std::string AsString() const override { return {}; }
  int32_t AsInteger() const override { return Int; }
  double AsFloat() const override { return Real; }
  bool AsBoolean() const override { return false; }
  TDateTime AsDateTime() const override { return Real; }
  std::string DisplayText() const override { return {}; }
};

struct TBenchDataSet : TLXDataSetAccess {
  TBenchField Price{"PRICE", TLXFieldKind::fkFloat}, Qty{"QTY", TLXFieldKind::fkInteger};
  std::string Name() const override { return "Items"; }
  int FieldCount() const override { return 2; }
  TLXFieldAccess* Fields(int I) const override {
    return I == 0 ? const_cast<TBenchField*>(&Price) : I == 1 ? const_cast<TBenchField*>(&Qty) : nullptr;
  }
  bool DefaultFields() const override { return true; }
};
}  // namespace

int main(int argc, char** argv) {
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  TBenchDataSet DS;
  TLXDataSetList List{&DS};
  TLXEvaluator E;
  E.AssignDataSets(&List);
  E.Compile("SUM(PRICE * QTY) + 1");
  E.ResetAggregates();
  const int Records = 3000000;
  auto T0 = std::chrono::steady_clock::now();
  TLXEvValue V;
  for (int R = 0; R < Records; ++R) {
    DS.Price.Real = 0.5 + (R % 100);
    DS.Qty.Int = 1 + (R % 7);
    E.AccumulateAggregates();
    E.CurrentValue(V);
  }
  double Secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
  std::printf("expression SUM(PRICE * QTY) + 1: %d records in %.3f s = %.0f records/s (one aggregate pass and one value per record)\n",
              Records, Secs, Records / Secs);
  std::printf("final value kind %d: %.1f\n", V.Kind, V.Float);

  // Compiling: a report compiles each expression once per run, so this is
  // only a guard against a compiler that grows with the square of the text.
  std::string Long = "1000";
  for (int I = 0; I < 60; ++I) Long += " - [PRICE] + QTY * 2 - INT(PRICE) + IF(QTY > 1, PRICE / 2, 0)";
  const int Compiles = 200;
  T0 = std::chrono::steady_clock::now();
  for (int I = 0; I < Compiles; ++I) E.Compile(Long);
  Secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
  E.CurrentValue(V);
  std::printf("compile of a %zu-character expression of 241 terms: %.3f ms (value kind %d)\n", Long.size(),
              Secs * 1000 / Compiles, V.Kind);
  FinalizeLXReport();
  FinalizeApplication();
  return 0;
}
