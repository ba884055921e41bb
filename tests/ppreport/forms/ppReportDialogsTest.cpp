// The report's dialogs through the dialog service: the no-data message of a report without data,
// and the autosearch dialog deciding whether the report prints.
#include <gtest/gtest.h>

#include "platform/app/Application.h"
#include "platform/data/MemDataSet.h"
#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/generation/ppReport.h"
#include "ppreport/output/forms/ppASDlg.h"
#include "ppreport/output/forms/ppCDlg.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace {

// A report on an in-memory table.
class ReportDialogs : public ::testing::Test {
protected:
  std::unique_ptr<TComponent> Form = std::make_unique<TComponent>(nullptr);
  TppReport* MakeReport(int Rows) {
    auto* Set = new TMemoryDataSet(Form.get());
    Set->FieldDefs().Add("Name", ftString, 20);
    for (int I = 0; I < Rows; ++I) Set->AppendRecord({"r" + std::to_string(I)});
    auto* Pipe = new TppDataSetPipeline(Form.get());
    Pipe->SetDataSet(Set);
    auto* R = new TppReport(Form.get());
    R->SetDataPipeline(Pipe);
    R->CreateMissingBands();
    return R;
  }
};

TEST_F(ReportDialogs, AReportWithoutDataShowsTheNoDataDialogOnce) {
  TppReport* Report = MakeReport(0);
  Report->SetNoDataBehaviors((1u << ndBlankReport) | (1u << ndMessageDialog));
  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService* S = Service.get();
  TDialogServiceScope Scope(std::move(Service));
  std::string Seen;
  S->Answers.push_back([&](TDialogRequest& R) {
    auto* D = dynamic_cast<TppNoDataDialog*>(R.As<TppFormRequest>()->Form);
    Seen = D->memMessage->Text();
    ClickAt(D->btnOK, 5, 5);
    return D->ModalResult();
  });
  TppPageRequest Request;
  Report->PageRequestEvent(nullptr, &Request);
  ASSERT_EQ(1u, S->Calls.size());
  EXPECT_EQ("TppCustomNoDataDialog", S->Call<TppFormRequest>(0).Kind);
  EXPECT_EQ("Não há dados para este relatório.", Seen);
  EXPECT_EQ(1, Report->Engine()->AbsolutePageCount());  // the blank report's page
}

// The report's no-data event is handed the dialog as it will be shown: its report, its language's
// texts and the report's icon.
TEST_F(ReportDialogs, TheNoDataEventGetsTheDialogReadyToShow) {
  TppReport* Report = MakeReport(0);
  Report->SetNoDataBehaviors((1u << ndBlankReport) | (1u << ndMessageDialog));
  const TIcon Icon = SolidIcon(qRgba(0, 128, 0, 255));
  Report->SetIcon(&Icon);
  Report->SetLanguageIndex(2);
  TppForm* Handed = nullptr;
  std::string Text;
  Report->OnNoData = [&](TObject*, TObject* Dialog, bool& Show, TObject*, bool&) {
    Handed = dynamic_cast<TppForm*>(Dialog);
    ASSERT_TRUE(Handed);
    EXPECT_EQ(Report, Handed->Report());
    EXPECT_EQ(2, Handed->LanguageIndex());
    EXPECT_EQ("Nenhum Dado Encontrado", Handed->Caption());
    Text = dynamic_cast<TppNoDataDialog&>(*Handed).memMessage->Text();
    ASSERT_TRUE(Handed->Icon());
    EXPECT_EQ(qRgba(0, 128, 0, 255), WindowIconColour(Handed));
    Show = false;
  };
  TppPageRequest Request;
  Report->PageRequestEvent(nullptr, &Request);
  EXPECT_TRUE(Handed);
  EXPECT_EQ("Não há dados para este relatório.", Text);
}

TEST_F(ReportDialogs, TheAutosearchDialogAnswerDecidesWhetherThePrintGoesOn) {
  TppReport* Report = MakeReport(2);
  Report->SetShowAutoSearchDialog(true);
  TppAutoSearchField* Name = Report->CreateAutoSearchCriteria("Data", "Name", soEqual, "", false);
  Name->SetFieldAlias("Nome");
  int Values = 0, Closed = 0;
  Report->OnGetAutoSearchValues = [&](TObject*) { ++Values; };
  Report->OnAutoSearchDialogClose = [&](TObject*) { ++Closed; };
  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService* S = Service.get();
  TDialogServiceScope Scope(std::move(Service));
  for (TModalResult Answer : {mrCancel, mrOk})
    S->Answers.push_back([Answer, Name](TDialogRequest& R) {
      auto* D = dynamic_cast<TppAutoSearchDialog*>(R.As<TppFormRequest>()->Form);
      if (Answer == mrOk) dynamic_cast<TppSimpleSearchPanel*>(D->Notebook()->PanelOf(Name))->Editor()->SetText("r1");
      ClickAt(Answer == mrOk ? D->btnOK : D->btnCancel, 5, 5);
      return D->ModalResult();
    });
  EXPECT_FALSE(Report->DisplayAutoSearchDialog());
  EXPECT_EQ(0, Values);
  EXPECT_TRUE(Report->DisplayAutoSearchDialog());
  EXPECT_EQ(1, Values);
  EXPECT_EQ(2, Closed);
  EXPECT_EQ("r1", Name->SearchExpression());
  EXPECT_EQ("TppCustomAutoSearchDialog", S->Call<TppFormRequest>(0).Kind);
}

}  // namespace
