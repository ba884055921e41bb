#pragma once
// Shared by the expression tests: a compact text form of values for tables and
// the in-memory data set. The test program's main starts the library.
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
#include "tests/lxreport/LXMemDataSet.h"

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
