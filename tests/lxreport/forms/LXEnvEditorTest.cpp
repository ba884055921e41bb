#include "lxreport/forms/LXEnvEditor.h"

#include "LXEditorTestSupport.h"
#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXEvFunctions.h"

namespace {
struct LXEnvEditorTest : ::testing::Test {
  TFormsDialogService* Service = new TFormsDialogService;
  TDialogServiceScope Scope{std::unique_ptr<TDialogService>(Service)};
};

std::string Expression(TLXEvEnvironment& E, const char* Name) {
  int I = E.IndexOf(Name);
  return I >= 0 && E.Entries(I) ? E.Entries(I)->ExpressionText() : "<none>";
}
}  // namespace

TEST_F(LXEnvEditorTest, GridEditsReachTheEnvironmentAtOnce) {
  TLXEvEnvironment Local;
  Local.Define("A", "1");
  Local.Define("B", "2");
  std::vector<std::string> Cells;
  TUserSteps Steps{[&] {
    auto* D = LastForm<TLXEnvironmentEditor>();
    EXPECT_TRUE(D->LocalCB->Checked());
    EXPECT_EQ(D->UDFGrid->RowCount(), 3);
    for (int R = 0; R < 3; ++R) Cells.push_back(D->UDFGrid->Cells(0, R) + "=" + D->UDFGrid->Cells(1, R));
    D->UDFGrid->EditCell(0, 1, "total");
    D->UDFGrid->EditCell(1, 2, "40+2");
    // While compiled an expression cell goes back to the entry's expression.
    Local.Compile();
    D->UDFGrid->EditCell(1, 1, "99");
    EXPECT_EQ(D->UDFGrid->Cells(1, 1), "1");
    Local.Discard();
    D->VariableOKBtn->Click();
  }};
  EditEnvironment(&Local, true, nullptr);
  EXPECT_EQ(Cells, (std::vector<std::string>{"Name=Expression", "A=1", "B=2"}));
  EXPECT_EQ(Local.Strings(0), "TOTAL");
  EXPECT_EQ(Expression(Local, "TOTAL"), "1");
  EXPECT_EQ(Expression(Local, "B"), "40+2");
  TLXEvValue V;
  Local.Compile();
  Local.ValueOf("B", V);
  Local.Discard();
  EXPECT_EQ(V.Integer, 42);
  EXPECT_TRUE(Steps.Done());
}

TEST_F(LXEnvEditorTest, WithoutALocalEnvironmentTheSharedOneShowsAndLocalIsDisabled) {
  int SharedCount = SharedEnvironment()->Count();
  bool LocalEnabled = true, GlobalChecked = false, GlobalEnabled = true;
  int Rows = 0;
  TUserSteps Steps{[&] {
    auto* D = LastForm<TLXEnvironmentEditor>();
    LocalEnabled = D->LocalCB->Enabled();
    GlobalChecked = D->GlobalCB->Checked();
    GlobalEnabled = D->GlobalCB->Enabled();
    Rows = D->UDFGrid->RowCount();
    D->Close();
  }};
  EditEnvironment(nullptr, true, nullptr);
  EXPECT_FALSE(LocalEnabled);
  EXPECT_TRUE(GlobalChecked);
  EXPECT_TRUE(GlobalEnabled);
  EXPECT_EQ(Rows, SharedCount + 1);

  // Without permission for global editing "&Global defines" is disabled.
  TLXEvEnvironment Local;
  TUserSteps More{[&] {
    auto* D = LastForm<TLXEnvironmentEditor>();
    GlobalEnabled = D->GlobalCB->Enabled();
    D->Close();
  }};
  EditEnvironment(&Local, false, nullptr);
  EXPECT_FALSE(GlobalEnabled);
}

TEST_F(LXEnvEditorTest, AddAsksForANewEntryAndEditRunsTheBuilderInsideTheDialog) {
  TLXEvEnvironment Local;
  bool ButtonsHidden = false;
  std::string BuilderHeading;
  TUserSteps Steps{
      [] { LastForm<TLXEnvironmentEditor>()->AddBtn->Click(); },
      [&] {
        auto* D = LastForm<TLXEnvironmentEditor>();
        ButtonsHidden = !D->AddBtn->Visible() && !D->VariableOKBtn->Visible();
        D->Name->SetText("preco");
        D->Expression->SetText("10");
        D->NewOKBtn->Click();
      },
      [] {
        auto* D = LastForm<TLXEnvironmentEditor>();
        EXPECT_TRUE(D->AddBtn->Visible());
        EXPECT_EQ(D->UDFGrid->Cells(0, 1), "PRECO");
        D->UDFGrid->SetCurrent(1, 1);
        D->EditBtn->Click();
      },
      [&] {
        auto* B = LastForm<TLXExpressionBuilder>();
        EXPECT_EQ(B->Parent(), LastForm<TLXEnvironmentEditor>());
        BuilderHeading = B->Heading->Caption();
        EXPECT_EQ(B->Expr->Text(), "10");
        B->Expr->SetText("10 * 2");
        B->OK->Click();
      },
      [] {
        auto* D = LastForm<TLXEnvironmentEditor>();
        EXPECT_EQ(D->UDFGrid->Cells(1, 1), "10 * 2");
        D->AddBtn->Click();
      },
      [] { LastForm<TLXEnvironmentEditor>()->NewCancelBtn->Click(); },
      [] { LastForm<TLXEnvironmentEditor>()->VariableOKBtn->Click(); },
  };
  EditEnvironment(&Local, true, nullptr);
  EXPECT_TRUE(ButtonsHidden);
  EXPECT_EQ(BuilderHeading, "PRECO");
  ASSERT_EQ(Local.Count(), 1);
  EXPECT_EQ(Expression(Local, "PRECO"), "10 * 2");
  EXPECT_TRUE(Steps.Done());
}
