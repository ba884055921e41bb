// The printable editors of labels and expression printables, answered by a scripted dialog service.
#include "lxreport/LXTextEditors.h"

#include <gtest/gtest.h>

#include "lxreport/LXExpr.h"
#include "lxreport/LXLabel.h"
#include "platform/app/DialogService.h"
#include "tests/lxreport/LXPrintTestSupport.h"

using namespace lxtest;

namespace {
class LXTextEditorsTest : public LXPrintTest {
protected:
  TLXBand* Band = Report->NewBand(rbTitle);
  TScriptedDialogService* Service = new TScriptedDialogService;
  TDialogServiceScope Scope{std::unique_ptr<TDialogService>(Service)};

  template <class T>
  T* New() {
    auto* P = new T(&Form);
    P->SetParent(Band);
    return P;
  }
  static std::unique_ptr<TLXPrintableEditor> EditorOf(TLXPrintable* P) { return P->EditorClass().Create(P); }
};
}  // namespace

TEST_F(LXTextEditorsTest, TheEditorsAnswerForTheirPrintables) {
  auto* L = New<TLXLabel>();
  L->SetCaption("Nome");
  L->SetAlignment(taCenter);
  auto* E = New<TLXExpr>();
  E->SetExpression("1+1");
  auto LE = EditorOf(L);
  auto EE = EditorOf(E);
  EXPECT_EQ(L->EditorClass().Name, std::string("TLXLabelEditor"));
  EXPECT_EQ(&LE->ControlClass(), &TLXLabel::StaticClassInfo());
  EXPECT_EQ(&EE->ControlClass(), &TLXExpr::StaticClassInfo());
  EXPECT_EQ(LE->ReadValue(), "Nome");
  EXPECT_EQ(EE->ReadValue(), "1+1");
  EXPECT_EQ(LE->GlyphResource(), "LXLABEL");
  EXPECT_EQ(EE->GlyphResource(), "LXEXPR");
  EXPECT_EQ(LE->ControlTitle(), "Text Control");
  EXPECT_EQ(EE->ControlTitle(), "Expression Control");
  EXPECT_EQ(LE->ReadAlignment(), taCenter);
  EE->WriteValue("2*3");
  EXPECT_EQ(E->Expression(), "2*3");
  LE->WriteColor(clRed);
  EXPECT_EQ(L->Color(), clRed);
}

TEST_F(LXTextEditorsTest, TextSettingsAppliedOnOkAndCancelLeavesTheLabelUnchanged) {
  auto* L = New<TLXLabel>();
  L->SetCaption("Nome");
  L->Size()->SetWidth(40);
  L->Size()->SetHeight(5);
  auto Ed = EditorOf(L);
  Service->Cancel();
  EXPECT_FALSE(Ed->EditControl());
  const auto& Shown = Service->LastCall<TLXTextSettingsRequest>();
  EXPECT_FALSE(Shown.ExpressionSettings);
  EXPECT_EQ(Shown.Value, "Nome");
  EXPECT_EQ(Shown.Width, "40");
  EXPECT_EQ(Shown.Height, "5");
  EXPECT_TRUE(Shown.AutoSize);
  EXPECT_EQ(L->Caption(), "Nome");

  Service->Accept<TLXTextSettingsRequest>([](TLXTextSettingsRequest& R) {
    R.Value = "Cliente";
    R.Width = "60";
    R.Height = "8";
    R.AutoSize = false;
    R.Stretch = true;
    R.Transparent = true;
  });
  EXPECT_TRUE(Ed->EditControl());
  EXPECT_EQ(L->Caption(), "Cliente");
  EXPECT_EQ(L->Size()->Width(), 60);
  EXPECT_EQ(L->Size()->Height(), 8);
  EXPECT_FALSE(L->AutoSize());
  EXPECT_TRUE(L->AutoStretch());
  EXPECT_TRUE(L->Transparent());

  // A size that is not a number raises after the text was taken.
  Service->Accept<TLXTextSettingsRequest>([](TLXTextSettingsRequest& R) {
    R.Value = "Outro";
    R.Width = "    ";
  });
  EXPECT_THROW(Ed->EditControl(), EConvertError);
  EXPECT_EQ(L->Caption(), "Outro");
  EXPECT_EQ(L->Size()->Width(), 60);
}

TEST_F(LXTextEditorsTest, ExpressionSettingsSetTheMaskLastAndOfferTheReportsForm) {
  auto* E = New<TLXExpr>();
  E->SetExpression("1+1");
  E->SetMask("0.00");
  auto Ed = EditorOf(E);
  Service->Accept<TLXTextSettingsRequest>([](TLXTextSettingsRequest& R) {
    R.Value = "2*21";
    R.Mask = "0.0";
  });
  EXPECT_TRUE(Ed->EditControl());
  const auto& Shown = Service->LastCall<TLXTextSettingsRequest>();
  EXPECT_TRUE(Shown.ExpressionSettings);
  EXPECT_EQ(Shown.Value, "1+1");
  EXPECT_EQ(Shown.Mask, "0.00");
  EXPECT_EQ(Shown.DataSetForm, &Form);
  EXPECT_EQ(E->Expression(), "2*21");
  EXPECT_EQ(E->Mask(), "0.0");
  EXPECT_EQ(E->Caption(), "2*21");
}
