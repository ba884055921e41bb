#include "ppreport/output/forms/ppASDlg.h"

#include <gtest/gtest.h>

#include "platform/app/Application.h"
#include "platform/rtl/FormatSettings.h"
#include "ppreport/core/ppAutoSearch.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace {
std::unique_ptr<TppAutoSearchField, TComponentDeleter> MakeField(const std::string& Alias, TppDataType Type,
                                                                  TppSearchOperatorType Op, bool Mandatory = false,
                                                                  const std::string& Expression = {}) {
  std::unique_ptr<TppAutoSearchField, TComponentDeleter> F(new TppAutoSearchField(nullptr));
  F->SetFieldName(Alias);
  F->SetFieldAlias(Alias);
  F->SetDataType(Type);
  F->SetSearchOperator(Op);
  F->SetMandatory(Mandatory);
  F->SetSearchExpression(Expression);
  return F;
}

TppAutoSearchGroup* AddGroup(TppAutoSearchDialog& D, const std::string& Description, int TabOrder,
                             std::initializer_list<TppAutoSearchField*> Fields) {
  auto* G = new TppAutoSearchGroup(D.GetAutoSearchGroups());
  G->SetParent(D.GetAutoSearchGroups());
  G->SetDescription(Description);
  G->SetTabOrder(TabOrder);
  for (TppAutoSearchField* F : Fields) G->AddField(F);
  return G;
}

template <class P>
P* PanelOf(TppAutoSearchDialog& D, TppAutoSearchField* F) {
  return dynamic_cast<P*>(D.Notebook()->PanelOf(F));
}

class ppAutoSearchDialogTest : public ::testing::Test {
protected:
  TFormatSettingsScope Brazilian{BrazilianFormatSettings()};
};
}  // namespace

TEST_F(ppAutoSearchDialogTest, AMandatoryNumberIsRefusedInTheDialogUntilTheReportCanReadIt) {
  auto Qty = MakeField("Quantidade", dtInteger, soGreaterThan, true);
  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService* S = Service.get();
  TDialogServiceScope Scope(std::move(Service));
  std::vector<std::string> Errors;
  S->Answers.push_back([&](TDialogRequest& R) {
    auto* D = dynamic_cast<TppAutoSearchDialog*>(R.As<TppFormRequest>()->Form);
    auto* P = PanelOf<TppSimpleSearchPanel>(*D, Qty.get());
    EXPECT_FALSE(P->ShowAllBox()->Visible());
    EXPECT_TRUE(P->MandatoryBullet()->Visible());
    EXPECT_TRUE(D->lblMandatory->Visible());
    for (const char* Typed : {"", "12a", "1.000"}) {
      P->Editor()->SetText(Typed);
      ClickAt(D->btnOK, 5, 5);
      Errors.push_back(P->ErrorLabel()->Visible() ? P->ErrorLabel()->Caption() : "");
      if (D->ModalResult() == mrOk) break;
    }
    return D->ModalResult();
  });
  std::unique_ptr<TppCustomAutoSearchDialog, TComponentDeleter> D(CreateForm<TppCustomAutoSearchDialog>(Application));
  D->SetLanguageIndex(0);
  D->SetAutoSearchFields({Qty.get()});
  D->Init();
  EXPECT_EQ(D->Caption(), "Procurar");
  EXPECT_EQ(D->ShowDialog(), mrOk);
  EXPECT_EQ(Errors, (std::vector<std::string>{"O valor para pesquisa deve ser informado.",
                                              "12a não é um número válido.", ""}));
  // The report gets the value as it reads it, without the thousands separator.
  EXPECT_EQ(Qty->SearchExpression(), "1000");
  EXPECT_EQ(Qty->GetValue().AsInteger(), 1000);
}

TEST_F(ppAutoSearchDialogTest, ValuesAreCheckedByTheirType) {
  struct Case {
    TppDataType Type;
    const char* Text;
    const char* Error;  // empty: accepted
  };
  const Case Cases[] = {
      {dtBoolean, "yes", ""},
      {dtBoolean, "No", ""},
      {dtBoolean, "t", ""},
      {dtBoolean, "0", ""},
      {dtBoolean, "x", "Valor deve ser Verdade ou Falso."},
      {dtInteger, "1.000", ""},
      {dtInteger, "12a", "12a não é um número válido."},
      {dtDouble, "2.500", ""},
      {dtDate, "31/12/2026", ""},
      {dtDate, "31/02/2026", "31/02/2026 não é uma data válida."},
      {dtTime, "25:61", "25:61 não é uma hora válida."},
      {dtString, "", ""},
      // The report splits its values at commas: a comma would make another value of it.
      {dtDouble, "1,5", "1,5 não pode conter vírgula: a vírgula separa os valores."},
      {dtString, "Silva, Ana", "Silva, Ana não pode conter vírgula: a vírgula separa os valores."},
  };
  for (const Case& C : Cases) {
    TppSearchValueCheck R = TppAutoSearchPanel::ValidateValue(C.Text, C.Type);
    EXPECT_EQ(R.Valid, std::string(C.Error).empty()) << C.Text;
    EXPECT_EQ(R.Error, C.Error) << C.Text;
  }
}

TEST_F(ppAutoSearchDialogTest, BetweenAndListPanelsWriteTheirValues) {
  auto Date = MakeField("Emissão", dtDate, soBetween, false, "01/01/2026,31/01/2026");
  auto City = MakeField("Cidade", dtString, soInList, false, "Recife,Natal");
  TppAutoSearchDialog D(nullptr);
  AddGroup(D, "", 0, {Date.get(), City.get()});
  D.Init();
  ASSERT_TRUE(D.Notebook()->ScrollBox()) << "one group: one scrolling page";
  EXPECT_FALSE(D.Notebook()->PageControl());
  auto* B = PanelOf<TppBetweenSearchPanel>(D, Date.get());
  auto* L = PanelOf<TppInListSearchPanel>(D, City.get());
  ASSERT_TRUE(B && L);
  EXPECT_TRUE(Date->FirstField());
  EXPECT_FALSE(City->FirstField());
  EXPECT_EQ(B->Editor()->Text(), "01/01/2026");
  EXPECT_EQ(B->SecondEditor()->Text(), "31/01/2026");
  EXPECT_EQ(L->ValueList()->Items().Count(), 2);

  // Only the first value: no range.
  B->ShowAllBox()->SetChecked(false);
  B->SecondEditor()->SetText("");
  EXPECT_TRUE(B->Validate());
  EXPECT_EQ(Date->SearchExpression(), "");
  // A value already in the list leaves it as it was and empties the editor.
  L->Editor()->SetText("Natal");
  L->AddValue();
  EXPECT_EQ(L->ValueList()->Items().Count(), 2);
  EXPECT_EQ(L->Editor()->Text(), "");
  L->Editor()->SetText("Olinda");
  L->AddValue();
  L->ValueList()->SetItemIndex(0);
  L->RemoveValue();
  EXPECT_EQ(L->ValueList()->ItemIndex(), 0);
  EXPECT_TRUE(L->Validate());
  EXPECT_EQ(City->SearchExpression(), "Natal,Olinda");
}

TEST_F(ppAutoSearchDialogTest, TypingAValueUnticksShowAllAndClearingItTicksItAgain) {
  auto Name = MakeField("Nome", dtString, soLike, false, "");
  Name->SetShowAllValues(true);
  TppAutoSearchDialog D(nullptr);
  AddGroup(D, "", 0, {Name.get()});
  D.Init();
  auto* P = PanelOf<TppSimpleSearchPanel>(D, Name.get());
  EXPECT_TRUE(P->ShowAllBox()->Checked());
  EXPECT_FALSE(P->Editor()->Enabled());
  P->Editor()->SetEnabled(true);
  P->Editor()->SetText("Ana");
  QKeyEvent Up(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a");
  QCoreApplication::sendEvent(P->Editor()->Widget(), &Up);
  EXPECT_FALSE(P->ShowAllBox()->Checked());
  EXPECT_TRUE(P->Validate());
  EXPECT_EQ(Name->SearchExpression(), "Ana");
  EXPECT_FALSE(Name->ShowAllValues());
}

TEST_F(ppAutoSearchDialogTest, TwoGroupsGiveTabsInTabOrderAndAFailureMarksItsTab) {
  auto A = MakeField("Cliente", dtString, soEqual);
  auto B = MakeField("Valor", dtCurrency, soGreaterThan, true);
  TppAutoSearchDialog D(nullptr);
  AddGroup(D, "Clientes", 5, {A.get()});
  AddGroup(D, "Pedidos", 1, {B.get()});
  D.Init();
  TppAutoSearchTabs* Tabs = D.Notebook()->PageControl();
  ASSERT_TRUE(Tabs);
  ASSERT_EQ(Tabs->PageCount(), 2);
  EXPECT_EQ(Tabs->TabCaption(0), "Pedidos");
  EXPECT_EQ(Tabs->TabCaption(1), "Clientes");
  EXPECT_EQ(D.GetAutoSearchGroups()->GetGroup(0)->TabOrder(), 1);
  EXPECT_EQ(D.Notebook()->ContainerOf(B.get()), Tabs->Pages(0));
  Tabs->SetActivePageIndex(1);
  EXPECT_FALSE(D.Notebook()->ValidateAll());
  EXPECT_TRUE(Tabs->TabError(0));
  EXPECT_FALSE(Tabs->TabError(1));
  EXPECT_EQ(Tabs->ActivePageIndex(), 0) << "the tab to correct is shown";
  PanelOf<TppSimpleSearchPanel>(D, B.get())->Editor()->SetText("10");
  EXPECT_TRUE(D.Notebook()->ValidateAll());
  EXPECT_FALSE(Tabs->TabError(0));

  // Reordering (a report being designed): the groups take their new places as TabOrder.
  D.Notebook()->AllowTabReorder = true;
  Tabs->SetActivePageIndex(1);
  D.Notebook()->MoveActiveTabLeft();
  EXPECT_EQ(Tabs->TabCaption(0), "Clientes");
  EXPECT_EQ(Tabs->ActivePageIndex(), 0);
  EXPECT_EQ(D.GetAutoSearchGroups()->GetGroup(0)->TabOrder(), 0);
  EXPECT_EQ(D.GetAutoSearchGroups()->GetGroup(1)->TabOrder(), 1);
  D.Notebook()->MoveActiveTabLeft();  // already first
  EXPECT_EQ(Tabs->TabCaption(0), "Clientes");
}

namespace {
// A narrow panel of a descendant's choosing.
class TNarrowPanel : public TppSimpleSearchPanel {
  DECLARE_CLASSINFO(TNarrowPanel)
public:
  using TppSimpleSearchPanel::TppSimpleSearchPanel;
  void CreateControls() override {
    TppSimpleSearchPanel::CreateControls();
    SetPanelSize(300, 73);
  }
};
class TNarrowDialog : public TppAutoSearchDialog {
public:
  using TppAutoSearchDialog::TppAutoSearchDialog;
  int Created = 0;
  void GetPanelClass(TppAutoSearchField*, TppAutoSearchPanelClass& C) override { C = &TNarrowPanel::StaticClassInfo(); }
  void PanelCreated(TppAutoSearchField*, TppAutoSearchPanel*) override { ++Created; }
};
}  // namespace

const TClassInfo& TNarrowPanel::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TNarrowPanel>("TNarrowPanel", &TppSimpleSearchPanel::StaticClassInfo());
  return Info;
}

TEST_F(ppAutoSearchDialogTest, TheDialogIsAtLeast438WideAndAtMost1000) {
  auto F = MakeField("Código", dtInteger, soEqual);
  TNarrowDialog D(nullptr);
  AddGroup(D, "", 0, {F.get()});
  D.Init();
  EXPECT_EQ(D.Created, 1);
  EXPECT_EQ(D.Notebook()->Width(), 300);
  EXPECT_EQ(D.ClientWidth(), 438);
  EXPECT_EQ(D.ClientHeight(), 42 + 73);
}
