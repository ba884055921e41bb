#include "lxreport/forms/LXTextEditorForms.h"

#include "LXEditorTestSupport.h"

namespace {
struct LXTextEditorFormsTest : ::testing::Test {
  TFormsDialogService* Service = new TFormsDialogService;
  TDialogServiceScope Scope{std::unique_ptr<TDialogService>(Service)};
};

TLXTextSettingsRequest Sample(bool Expression) {
  TLXTextSettingsRequest R;
  R.ExpressionSettings = Expression;
  R.Value = "Total";
  R.Width = "40";
  R.Height = "5";
  R.Stretch = true;
  R.Mask = "#,##0.00";
  return R;
}
}  // namespace

TEST_F(LXTextEditorFormsTest, TextSettingsShowTheValuesAndCancelKeepsThem) {
  std::string Caption;
  bool Fixed = false, Centred = false, DefaultOk = false, CancelButton = false;
  TUserSteps Steps{[&] {
    auto* F = LastForm<TLXLabelEditorForm>();
    Caption = F->Caption();
    Fixed = F->BorderStyle() == bsDialog;
    Centred = F->Position() == poScreenCenter;
    DefaultOk = F->OK->Default();
    CancelButton = F->Cancel->Cancel();
    EXPECT_EQ(F->Value->Text(), "Total");
    EXPECT_EQ(F->Width->Text(), "40");
    EXPECT_TRUE(F->Stretch->Checked());
    EXPECT_FALSE(F->AutoSize->Checked());
    F->Value->SetText("Changed");
    F->Cancel->Click();
  }};
  TLXTextSettingsRequest R = Sample(false);
  EXPECT_FALSE(ExecuteDialog(R));
  EXPECT_EQ(R.Value, "Total");
  EXPECT_EQ(Caption, "Text Settings");
  EXPECT_TRUE(Fixed && Centred && DefaultOk && CancelButton);
}

TEST_F(LXTextEditorFormsTest, ExpressionSettingsTakeTheBuildersExpressionAndTheMask) {
  std::string Caption, FirstLabel;
  TUserSteps Steps{
      [&] {
        auto* F = LastForm<TLXExprEditorForm>();
        Caption = F->Caption();
        FirstLabel = F->ValueLabel->Caption();
        EXPECT_EQ(F->Mask->Text(), "#,##0.00");
        F->ShowExprBuilder->Click();
      },
      [] {
        auto* B = LastForm<TLXExpressionBuilder>();
        EXPECT_EQ(B->Expr->Text(), "Total");
        B->Expr->SetText("Total * 2");
        B->OK->Click();
      },
      [] {
        auto* F = LastForm<TLXExprEditorForm>();
        EXPECT_EQ(F->Value->Text(), "Total * 2");
        F->Mask->SetText("0.0");
        F->Height->SetText("12");
        F->Transparent->SetChecked(true);
        F->OK->Click();
      },
  };
  TLXTextSettingsRequest R = Sample(true);
  ASSERT_TRUE(ExecuteDialog(R));
  EXPECT_EQ(Caption, "Expression settings");
  EXPECT_EQ(FirstLabel, "Expression");
  EXPECT_EQ(R.Value, "Total * 2");
  EXPECT_EQ(R.Mask, "0.0");
  EXPECT_EQ(R.Height, "12");
  EXPECT_TRUE(R.Transparent);
  EXPECT_TRUE(Steps.Done());
}
