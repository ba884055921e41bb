// Every dialog of the library, as the form registry makes it and the language fills it: no caption is
// cut, whatever its text measures, and a wrapped text is as tall as its lines need. The preview at
// page width fits the page across whatever size its window takes.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStyle>
#include <QWidget>

#include "platform/app/Application.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/StdCtrls.h"
#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppFormRegistry.h"
#include "ppreport/output/forms/ppASDlg.h"
#include "ppreport/output/forms/ppForms.h"
#include "ppreport/output/forms/ppPrvDlg.h"
#include "tests/ppreport/core/ppPageTestSupport.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace {

// What of a control's caption its bounds cut ("" when nothing), measured as Qt lays the widget out.
std::string CutCaption(TControl* C) {
  const QWidget* W = C->Widget();
  auto Short = [](const char* What, int Has, int Needs) {
    return std::string(What) + " " + std::to_string(Has) + " < " + std::to_string(Needs);
  };
  if (auto* Label = dynamic_cast<TLabel*>(C); Label && Label->WordWrap()) {
    if (C->Height() < W->heightForWidth(C->Width())) return Short("height", C->Height(), W->heightForWidth(C->Width()));
  } else if (dynamic_cast<TButton*>(C)) {
    // A push button's own hint asks for a minimum width whatever its text: the text within its
    // frame is what must fit.
    QString Text = QString::fromStdString(C->Caption());
    Text.remove(QRegularExpression("&(?!&)"));
    const int Needs = W->fontMetrics().horizontalAdvance(Text) + 2 * W->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    if (C->Width() < Needs) return Short("width", C->Width(), Needs);
  } else {
    if (C->Width() < W->sizeHint().width()) return Short("width", C->Width(), W->sizeHint().width());
    if (dynamic_cast<TLabel*>(C) && C->Height() < W->sizeHint().height())
      return Short("height", C->Height(), W->sizeHint().height());
  }
  // A control that reaches past its parent's client area is cut there.
  if (const TWinControl* P = C->Parent(); P && C->Left() + C->Width() > P->ClientWidth())
    return "past its parent's right edge";
  return "";
}

// The captioned controls of Parent's tree whose caption is cut.
void CollectCut(TWinControl* Parent, std::vector<std::string>& Cut) {
  for (int I = 0; I < Parent->ControlCount(); ++I) {
    TControl* C = Parent->Controls(I);
    if (!C->Visible()) continue;
    const bool Captioned = dynamic_cast<TLabel*>(C) || dynamic_cast<TCheckBox*>(C) ||
                           dynamic_cast<TRadioButton*>(C) || dynamic_cast<TButton*>(C);
    if (Captioned && !C->Caption().empty())
      if (std::string Why = CutCaption(C); !Why.empty()) Cut.push_back(C->ClassName() + " \"" + C->Caption() + "\": " + Why);
    if (auto* W = dynamic_cast<TWinControl*>(C)) CollectCut(W, Cut);
  }
}

std::vector<std::string> CutCaptions(TForm* Form) {
  std::vector<std::string> Cut;
  CollectCut(Form, Cut);
  return Cut;
}

TEST(ppDialogLayout, NoCaptionIsCut) {
  for (const char* Kind : {"TppCustomPrintDialog", "TppCustomCancelDialog", "TppCustomNoDataDialog",
                           "TppCustomTemplateDialog", "TppCustomTemplateErrorDialog"}) {
    SCOPED_TRACE(Kind);
    std::unique_ptr<TComponent, TComponentDeleter> Made(CreateFormOfRole(Kind, nullptr));
    auto* Form = dynamic_cast<TppForm*>(Made.get());
    ASSERT_TRUE(Form);
    Form->SetLanguageIndex(0);
    Form->Show();
    for (int I = 0; I < 10; ++I) Application->ProcessMessages();
    EXPECT_EQ(std::vector<std::string>{}, CutCaptions(Form));
  }
}

// A field name long enough that "Mostrar todos os valores do campo ..." is wider than the editors.
TEST(ppDialogLayout, TheShowAllCaptionIsShownWholeInTheSearchDialog) {
  std::vector<std::unique_ptr<TppAutoSearchField, TComponentDeleter>> Fields;
  for (TppSearchOperatorType Op : {soEqual, soBetween, soInList}) {
    Fields.emplace_back(new TppAutoSearchField(nullptr));
    Fields.back()->SetFieldName("Codigo");
    Fields.back()->SetFieldAlias("Código do cliente na filial de origem do pedido");
    Fields.back()->SetSearchOperator(Op);
  }
  std::unique_ptr<TComponent, TComponentDeleter> Made(CreateFormOfRole("TppCustomAutoSearchDialog", nullptr));
  auto* Dialog = dynamic_cast<TppAutoSearchDialog*>(Made.get());
  ASSERT_TRUE(Dialog);
  Dialog->SetLanguageIndex(0);
  Dialog->SetAutoSearchFields({Fields[0].get(), Fields[1].get(), Fields[2].get()});
  Dialog->Init();
  Dialog->Show();
  for (int I = 0; I < 10; ++I) Application->ProcessMessages();
  EXPECT_EQ(std::vector<std::string>{}, CutCaptions(Dialog));
}

// At page width the page fits the view across, whatever the window grows or shrinks to: the
// vertical bar's room is left, and no horizontal bar comes.
TEST(ppDialogLayout, AtPageWidthNoHorizontalBarComesWhenTheWindowChanges) {
  std::unique_ptr<pptest::TTestReport, TComponentDeleter> Report(new pptest::TTestReport(nullptr));
  Report->Engine->PageCount = 2;
  Report->SetModalPreview(false);
  Report->Print();
  auto Pump = [] {
    for (int I = 0; I < 10; ++I) Application->ProcessMessages();
  };
  Pump();
  auto* Window = dynamic_cast<TppPrintPreview*>(Report->PreviewForm());
  ASSERT_TRUE(Window);
  auto* Preview = dynamic_cast<TppPreview*>(Window->Preview());
  ClickAt(Preview->PageWidthButton, 5, 5);
  Pump();
  TppScrollBox* Box = Window->Viewer()->ScrollBox();
  for (auto [W, H] : {std::pair{500, 400}, std::pair{900, 720}, std::pair{900, 1300}, std::pair{700, 500}, std::pair{1200, 900},
                      std::pair{600, 2000}, std::pair{900, 600}}) {
    Window->Widget()->resize(W, H);  // as the window manager resizes it
    Pump();
    EXPECT_FALSE(Box->HorzScrollBar()->IsScrollBarVisible()) << W << " x " << H;
    EXPECT_EQ(zsPageWidth, Window->Viewer()->ZoomSetting());
  }
}

}  // namespace
