#include "lxreport/forms/LXExprBuilder.h"

#include <QGuiApplication>
#include <QImage>
#include <QWidget>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "LXEditorTestSupport.h"
#include "platform/app/Application.h"
#include "lxreport/LXEvEnvironment.h"
#include "platform/app/DataModule.h"
#include "platform/app/Dialogs.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/data/MemDataSet.h"
#include "tests/TestTemp.h"

namespace {
struct LXExprBuilderTest : ::testing::Test {
  TFormsDialogService* Service = new TFormsDialogService;
  TDialogServiceScope Scope{std::unique_ptr<TDialogService>(Service)};

  std::string LastMessage() { return Service->LastCall<TMessageRequest>().Text; }
};

std::vector<std::string> Items(const TListBox* L) {
  std::vector<std::string> R;
  for (int I = 0; I < L->Items().Count(); ++I) R.push_back(L->Items().Strings(I));
  return R;
}

// Picks the item of that text, as a click would.
void Pick(TListBox* L, const std::string& Text) {
  int I = L->Items().IndexOf(Text);
  ASSERT_GE(I, 0) << Text;
  L->SetItemIndex(I);
  L->Click();
}

std::unique_ptr<TLXExpressionBuilder, TComponentDeleter> NewBuilder() {
  return std::unique_ptr<TLXExpressionBuilder, TComponentDeleter>(new TLXExpressionBuilder(nullptr));
}

TMemoryDataSet* NewDataSet(TComponent* Owner, const char* Name, bool Open) {
  auto* D = new TMemoryDataSet(Owner);
  D->SetName(Name);
  D->FieldDefs().Add("CODIGO", ftInteger);
  D->FieldDefs().Add("NOME", ftString, 20);
  D->AppendRecord({7, "Ana"});
  if (Open) D->Open();
  return D;
}
}  // namespace

TEST_F(LXExprBuilderTest, ValidationShowsTheResultOrTheErrorVerbatim) {
  auto B = NewBuilder();
  struct {
    const char* Expr;
    const char* Message;
  } Cases[] = {
      {"1+2", "There are no errors. The result is : 3"},
      {"FOO(1)", "ERROR: Unknown function : FOO"},
      {"''", "There are no errors. The result is : "},
      {"1<2", "There are no errors. The result is : True"},
      {"1/4", "There are no errors. The result is : 0,25"},
      {"'a' +\r\n'b'", "There are no errors. The result is : ab"},
  };
  for (const auto& C : Cases) {
    B->Expr->SetText(C.Expr);
    B->ValidateBtn->Click();
    EXPECT_EQ(LastMessage(), C.Message) << C.Expr;
  }
}

TEST_F(LXExprBuilderTest, CategoriesListTheirFunctionsAndShowTheirDescriptions) {
  auto B = NewBuilder();
  EXPECT_EQ(Items(B->Categories), (std::vector<std::string>{"All", "Date & time", "Math & trig", "Statistical",
                                                            "Database", "Logical", "Information", "Other"}));
  EXPECT_EQ(B->AvailableFunc->Items().Count(), 21);
  Pick(B->Categories, "Statistical");
  EXPECT_EQ(Items(B->AvailableFunc), (std::vector<std::string>{"SUM", "COUNT", "MAX", "MIN", "AVERAGE"}));
  EXPECT_FALSE(B->FuncName->Caption().empty());
  EXPECT_EQ(B->FuncName->Caption().find('|'), std::string::npos);
  Pick(B->Categories, "Database");
  EXPECT_TRUE(Items(B->AvailableFunc).empty());
  EXPECT_EQ(B->FuncName->Caption(), "");
  EXPECT_EQ(B->FuncDescription->Caption(), "");
}

TEST_F(LXExprBuilderTest, OperatorButtonsInsertAtTheCaret) {
  auto B = NewBuilder();
  B->Expr->SetText("x");
  B->Expr->SetSelStart(1);
  B->AddLessEqual->Click();
  EXPECT_EQ(B->Expr->Text(), "x <= ");
  EXPECT_EQ(B->Expr->SelStart(), 5);
  EXPECT_EQ(B->Expr->SelLength(), 0);
  B->AddNot->Click();
  EXPECT_EQ(B->Expr->Text(), "x <=  Not ");
  // A selection is replaced.
  B->Expr->SetText("a b");
  B->Expr->SetSelStart(1);
  B->Expr->SetSelLength(1);
  B->AddAnd->Click();
  EXPECT_EQ(B->Expr->Text(), "a And b");
  B->Clear->Click();
  EXPECT_EQ(B->Expr->Text(), "");
}

TEST_F(LXExprBuilderTest, AFunctionWithArgumentsAsksForEachAndJoinsThem) {
  std::vector<std::string> Labels;
  TUserSteps Steps{
      [] { LastForm<TLXExpressionBuilder>()->InsertFunctionBtn->Click(); },
      [&] {
        auto* B = LastForm<TLXExpressionBuilder>();
        EXPECT_FALSE(B->MainPage->Enabled());
        Pick(B->AvailableFunc, "IF");
        B->FunctionOKBtn->Click();
      },
      [&] {
        auto* B = LastForm<TLXExpressionBuilder>();
        const char* Typed[] = {"a", "b", "c"};
        int E = 0;
        for (int I = 0; I < B->FuncParamSB->ControlCount(); ++I) {
          TControl* C = B->FuncParamSB->Controls(I);
          if (auto* L = dynamic_cast<TLabel*>(C)) Labels.push_back(L->Caption());
          if (auto* Ed = dynamic_cast<TEdit*>(C)) Ed->SetText(Typed[E++]);
        }
        EXPECT_EQ(B->CopyFuncName->Caption(), B->FuncName->Caption());
        EXPECT_EQ(B->FuncParamSB->VertScrollBar()->Range(), 120);
        B->FuncParamOkBtn->Click();
      },
      [&] {
        auto* B = LastForm<TLXExpressionBuilder>();
        EXPECT_EQ(B->FuncParamSB->ControlCount(), 0);
        EXPECT_TRUE(B->MainPage->Enabled());
        B->AddPlus->Click();
        B->InsertFunctionBtn->Click();
      },
      [&] {
        auto* B = LastForm<TLXExpressionBuilder>();
        Pick(B->AvailableFunc, "DATE");
        B->AvailableFunc->DblClick();
      },
      [] { LastForm<TLXExpressionBuilder>()->OK->Click(); },
  };
  std::string E = "old";
  EXPECT_TRUE(EditExpression("", E, nullptr, nullptr, nullptr));
  EXPECT_EQ(E, "IF(a,b,c) + DATE");
  EXPECT_EQ(Labels, (std::vector<std::string>{"Argument 1 - logical value", "Argument 2 - value",
                                              "Argument 3 - value"}));
  EXPECT_TRUE(Steps.Done());
}

TEST_F(LXExprBuilderTest, AnArgumentIsEditedInANestedBuilderAndACancelledArgumentPageInsertsNothing) {
  std::string NestedHeading;
  TUserSteps Steps{
      [] { LastForm<TLXExpressionBuilder>()->InsertFunctionBtn->Click(); },
      [&] {
        auto* B = LastForm<TLXExpressionBuilder>();
        Pick(B->AvailableFunc, "UPPER");
        B->FunctionOKBtn->Click();
      },
      [] {
        // The "..." button of the one argument.
        auto* B = LastForm<TLXExpressionBuilder>();
        for (int I = 0; I < B->FuncParamSB->ControlCount(); ++I)
          if (auto* S = dynamic_cast<TSpeedButton*>(B->FuncParamSB->Controls(I))) S->Click();
      },
      [&] {
        auto* Nested = LastForm<TLXExpressionBuilder>();
        EXPECT_NE(Nested->Parent(), nullptr);  // runs inside the builder that asked
        NestedHeading = Nested->Heading->Caption();
        Nested->Expr->SetText("'x' +\r\n'y'");
        Nested->OK->Click();
      },
      [&] {
        auto* B = LastForm<TLXExpressionBuilder>();
        if (B->Parent()) return TUserSteps::Again();  // the nested builder is still closing
        TEdit* Arg = nullptr;
        for (int I = 0; I < B->FuncParamSB->ControlCount(); ++I)
          if (auto* Ed = dynamic_cast<TEdit*>(B->FuncParamSB->Controls(I))) Arg = Ed;
        ASSERT_NE(Arg, nullptr);
        EXPECT_EQ(Arg->Text(), "'x' +'y'");
        B->FuncParamOkBtn->Click();
      },
      [] { LastForm<TLXExpressionBuilder>()->InsertFunctionBtn->Click(); },
      [] {
        auto* B = LastForm<TLXExpressionBuilder>();
        Pick(B->AvailableFunc, "IF");
        B->FunctionOKBtn->Click();
      },
      [] { LastForm<TLXExpressionBuilder>()->FuncArgCancelBtn->Click(); },
      [] { LastForm<TLXExpressionBuilder>()->OK->Click(); },
  };
  std::string E;
  EXPECT_TRUE(EditExpression("Soma", E, nullptr, nullptr, nullptr));
  EXPECT_EQ(E, "UPPER('x' +'y')");
  EXPECT_TRUE(NestedHeading.starts_with("Enter 1. parameter for ")) << NestedHeading;
  EXPECT_TRUE(Steps.Done());
}

TEST_F(LXExprBuilderTest, CancelReturnsFalseAndAnEmptyExpressionAndOkJoinsLines) {
  {
    TUserSteps Steps{[] {
      auto* B = LastForm<TLXExpressionBuilder>();
      EXPECT_EQ(B->Heading->Caption(), "Total:");
      EXPECT_EQ(B->Expr->SelLength(), 5);  // all of it selected
      B->Expr->SetText("changed");
      B->Cancel->Click();
    }};
    std::string E = "1 + 2";
    EXPECT_FALSE(EditExpression("Total:", E, nullptr, nullptr, nullptr));
    EXPECT_EQ(E, "");
  }
  {
    TUserSteps Steps{[] {
      auto* B = LastForm<TLXExpressionBuilder>();
      EXPECT_EQ(B->Heading->Caption(), "Enter expression:");
      B->Expr->SetText("1 +\r\n2");
      B->Close();  // closing the window cancels
    }};
    std::string E = "x";
    EXPECT_FALSE(EditExpression("", E, nullptr, nullptr, nullptr));
  }
  TUserSteps Steps{[] {
    auto* B = LastForm<TLXExpressionBuilder>();
    B->Expr->SetText("1 +\r\n2");
    B->OK->Click();
  }};
  std::string E;
  EXPECT_TRUE(EditExpression("", E, nullptr, nullptr, nullptr));
  EXPECT_EQ(E, "1 +2");
}

TEST_F(LXExprBuilderTest, DataSetsOfTheFormAndDataModulesClosedOnesShownAsClosed) {
  TForm Form(nullptr);
  NewDataSet(&Form, "Clientes", true);
  TMemoryDataSet* Closed = NewDataSet(&Form, "Pedidos", false);
  TDataModule Module(nullptr);
  NewDataSet(&Module, "Produtos", true);
  std::vector<std::string> Sets, ClosedFields;
  TUserSteps Steps{
      [] { LastForm<TLXExpressionBuilder>()->InsertDataFieldBtn->Click(); },
      [&] {
        auto* B = LastForm<TLXExpressionBuilder>();
        Sets = Items(B->AvailableDatasets);
        EXPECT_EQ(Items(B->AvailableFields), (std::vector<std::string>{"CODIGO", "NOME"}));
        B->AvailableDatasets->SetItemIndex(1);
        B->AvailableDatasets->Click();
        ClosedFields = Items(B->AvailableFields);
        B->DataFieldOKBtn->Click();  // no field: nothing inserted
      },
      [] { LastForm<TLXExpressionBuilder>()->InsertDataFieldBtn->Click(); },
      [&] {
        auto* B = LastForm<TLXExpressionBuilder>();
        B->AvailableDatasets->SetItemIndex(2);
        B->AvailableDatasets->Click();
        B->AvailableFields->SetItemIndex(1);
        B->AvailableFields->DblClick();
      },
      [&] {
        auto* B = LastForm<TLXExpressionBuilder>();
        EXPECT_EQ(B->Expr->Text(), "Produtos.NOME");
        // A closed data set in the expression is a message, not the end of the builder.
        B->Expr->SetText("Pedidos.NOME");
        B->ValidateBtn->Click();
        B->Expr->SetText("Clientes.CODIGO + 1");
        B->ValidateBtn->Click();
        B->Expr->SetText("Produtos.NOME");
        B->OK->Click();
      },
  };
  std::string E;
  EXPECT_TRUE(EditExpression("", E, &Form, nullptr, nullptr));
  EXPECT_EQ(E, "Produtos.NOME");
  EXPECT_EQ(Sets, (std::vector<std::string>{"Clientes", "Pedidos (fechado)", "Produtos"}));
  EXPECT_TRUE(ClosedFields.empty());
  ASSERT_EQ(Service->Calls.size(), 3u);
  EXPECT_TRUE(Service->Call<TMessageRequest>(1).Text.starts_with("ERROR: ")) << Service->Call<TMessageRequest>(1).Text;
  EXPECT_EQ(Service->Call<TMessageRequest>(2).Text, "There are no errors. The result is : 8");
  EXPECT_FALSE(Closed->Active());
}

TEST_F(LXExprBuilderTest, VariablesListLocalThenSharedAndShowTheirExpressions) {
  TLXEvEnvironment Local;
  Local.Define("TOTAL", "2*21");
  std::vector<std::string> Names;
  std::string Shown;
  TUserSteps Steps{
      [] { LastForm<TLXExpressionBuilder>()->InsertVariableBtn->Click(); },
      [&] {
        auto* B = LastForm<TLXExpressionBuilder>();
        Names = Items(B->AvailableVariables);
        Shown = B->VariableValue->Caption();
        B->VariableOKBtn->Click();
      },
      [] {
        auto* B = LastForm<TLXExpressionBuilder>();
        B->AddMul->Click();
        B->Expr->SetText(B->Expr->Text() + "2");
        B->ValidateBtn->Click();
        B->OK->Click();
      },
  };
  std::string E;
  EXPECT_TRUE(EditExpression("", E, nullptr, &Local, nullptr));
  EXPECT_EQ(E, "TOTAL * 2");
  ASSERT_GE(Names.size(), 4u);
  EXPECT_EQ(Names[0], "TOTAL");
  EXPECT_EQ(Names[1], "APPSTARTTIME");
  EXPECT_EQ(Shown, "2*21");
  EXPECT_EQ(Service->LastCall<TMessageRequest>().Text, "There are no errors. The result is : 84");
  EXPECT_FALSE(Local.IsCompiled());
}

// A picture of the builder on a real X server: run offscreen, the test starts itself again under
// xvfb-run with the X11 platform (as the viewer's screen tests do); the picture is left in the
// working directory for a person to look at.
TEST_F(LXExprBuilderTest, ScreenshotUnderXvfb) {
  if (QGuiApplication::platformName() != "xcb") {
    ASSERT_EQ(std::system("bash '" MOR_SOURCE_DIR "/scripts/deps.sh' >/dev/null"), 0) << "xvfb-run";
    const std::string Cmd = "env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb LSAN_OPTIONS=suppressions='" MOR_SOURCE_DIR
                            "/tests/lxreport/forms/xcb-leaks.supp' xvfb-run -a -s '-screen 0 1024x768x24' "
                            "/proc/" + std::to_string(getpid()) +
                            "/exe --gtest_filter=LXExprBuilderTest.ScreenshotUnderXvfb";
    const int Status = std::system(Cmd.c_str());
    ASSERT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0) << Cmd;
    return;
  }
  auto B = NewBuilder();
  B->Expr->SetText("IF(Clientes.CODIGO > 1, 'muitos', 'um')");
  B->Show();
  for (int I = 0; I < 20; ++I) Application->ProcessMessages();
  QImage Shot = B->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  TTestTempFiles Temp;
  ASSERT_TRUE(Shot.save(QString::fromStdString(Temp.Path("expression-builder.png"))));
  EXPECT_EQ(Shot.width(), B->ClientWidth());
  EXPECT_EQ(Shot.height(), B->ClientHeight());
  // The edit's white field and the page's grey around it.
  QPoint InEdit(B->Expr->Left() + 200, B->Expr->Top() + 70);
  EXPECT_EQ(Shot.pixelColor(InEdit), QColor(Qt::white)) << InEdit.x() << "," << InEdit.y();
  EXPECT_NE(Shot.pixelColor(5, 5), QColor(Qt::white));
}
