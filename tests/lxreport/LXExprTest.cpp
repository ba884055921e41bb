// Expression printables: the printed value, masks, the caption outside a run.
#include "lxreport/LXExpr.h"

#include <gtest/gtest.h>

#include "lxreport/LXEvaluator.h"
#include "platform/rtl/FormatSettings.h"
#include "tests/lxreport/LXPrintTestSupport.h"

using namespace lxtest;

namespace {
class LXExprTest : public LXPrintTest {
protected:
  TLXBand* Band = Report->NewBand(rbTitle);
  // The text one print of Expression with Mask puts on the page.
  std::string Printed(const std::string& Expression, const std::string& Mask = {}) {
    auto* E = new TLXExpr(&Form);
    E->SetParent(Band);
    E->SetExpression(Expression);
    E->SetMask(Mask);
    StartRun();
    E->PrintAt(0, 0);
    auto Texts = TextCalls(EndRunLog());
    E->Free();
    return Texts.size() == 1 ? Texts[0].Text : "(" + std::to_string(Texts.size()) + " lines)";
  }
};
}  // namespace

TEST_F(LXExprTest, ValuesByKindAndMask) {
  struct Case {
    const char* Expression;
    const char* Mask;
    const char* English;
    const char* Brazilian;
  } const Cases[] = {
      {"2+3", "", "5", "5"},
      {"2+3", "0.00", "5.00", "5,00"},
      {"1/4", "", "0.25", "0,25"},
      {"1234567.891", "#,##0.00", "1,234,567.89", "1.234.567,89"},
      {"'abc'", "0.00", "abc", "abc"},
      {"1=1", "", "True", "True"},
      {"Nothing", "", "Unknown function : NOTHING", "Unknown function : NOTHING"},
  };
  for (bool English : {true, false}) {
    TFormatSettings FS = English ? EnglishFormatSettings() : FormatSettings();
    FS.DecimalSeparator = English ? '.' : ',';
    FS.ThousandSeparator = English ? ',' : '.';
    TFormatSettingsScope Scope(FS);
    for (const Case& K : Cases)
      EXPECT_EQ(Printed(K.Expression, K.Mask), English ? K.English : K.Brazilian) << K.Expression << " " << K.Mask;
  }
}

TEST_F(LXExprTest, TheCaptionShowsTheExpressionOutsideARun) {
  auto* E = new TLXExpr(&Form);
  E->SetParent(Band);
  EXPECT_EQ(E->Caption(), "(none)");
  E->SetExpression("2*21");
  EXPECT_EQ(E->Caption(), "2*21");
  StartRun();
  E->PrintAt(0, 0);
  EXPECT_EQ(E->PrintText(), "42");
  EndRun();
  EXPECT_EQ(E->Caption(), "2*21");
  EXPECT_EQ(E->PrintText(), "2*21");
  EXPECT_FALSE(E->Evaluator()->Compiled());
}
