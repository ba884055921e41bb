// The outline tree beside the pages: it shows the tree stored in the page on display, rebuilds when
// that tree grows, and a press on an entry takes the page viewer to the entry's page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>

#include "platform/app/Application.h"
#include "platform/forms/Forms.h"
#include "ppreport/core/ppOutlineDrawCommand.h"
#include "ppreport/core/ppOutlineNode.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/output/forms/ppOutlineViewer.h"
#include "ppreport/output/forms/ppViewer.h"
#include "tests/ppreport/output/ppDeviceTestSupport.h"

using namespace ppdevtest;

namespace {

TppOutlineNode* AddOutlineNode(TppOutlineNode* Parent, const std::string& Caption, int Page,
                               TppOutlineNodeType Type = ntGroup) {
  auto* N = new TppOutlineNode(nullptr);
  N->SetCaption(Caption);
  N->SetPageReference(Page);
  N->SetNodeType(Type);
  N->SetParent(Parent);
  return N;
}

// The outline as it stands at the end of page No of a three-page report: a report entry, a group
// on page 1 and one from page 2, page entries below them; complete on the last page.
void AddOutline(int No, TppPage& Page, bool NoOutline = false) {
  auto Root = std::make_unique<TppOutlineNode>(nullptr);
  Root->SetNodeType(ntRoot);
  Root->SetPageReference(-1);
  if (NoOutline) {
    AddOutlineNode(Root.get(), "NoOutline: DrillDown not supported", -1, ntNoOutline);
  } else {
    TppOutlineNode* Report = AddOutlineNode(Root.get(), "Relatório", 1, ntReport);
    AddOutlineNode(AddOutlineNode(Report, "Ana", 1), "Página 1", 1, ntPage);
    if (No >= 2) {
      TppOutlineNode* Bia = AddOutlineNode(Report, "Bia", 2);
      for (int P = 2; P <= No; ++P) AddOutlineNode(Bia, "Página " + std::to_string(P), P, ntPage);
    }
  }
  auto* Cmd = new TppOutlineDrawCommand(nullptr);
  Cmd->SetTree(std::move(Root));
  Cmd->SetCompleted(NoOutline || No == 3);
  Cmd->SetPage(&Page);
}

struct TOutlineForm {
  TForm* Form = new TForm(nullptr);
  TppViewer* Viewer = new TppViewer(Form);
  TppOutlineViewer* Outline = new TppOutlineViewer(Form);
  TPageSource Source;
  explicit TOutlineForm(bool NoOutline = false)
      : Source(3, nullptr, [NoOutline](int No, TppPage& Page) { AddOutline(No, Page, NoOutline); }) {
    Form->SetBounds(0, 0, 800, 600);
    Outline->SetParent(Form);
    Outline->SetAlign(alLeft);
    Viewer->SetParent(Form);
    Viewer->SetAlign(alClient);
    Outline->SetViewer(Viewer);
    Form->Show();
    Pump();
    Viewer->ScreenDevice()->SetPublisher(&Source.Publisher());
    Viewer->ScreenDevice()->RequestPages();
    Pump();
    // As the preview does for each page shown.
    Viewer->OnPageChange = [this](TObject*) { Outline->UpdateForPage(Viewer->GetCurrentPage()); };
    Outline->UpdateForPage(Viewer->GetCurrentPage());
  }
  ~TOutlineForm() {
    Viewer->ScreenDevice()->SetPublisher(nullptr);
    Form->Free();
  }
  static void Pump() {
    for (int I = 0; I < 10; ++I) Application->ProcessMessages();
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> T;
    for (QTreeWidgetItemIterator It(Outline->Tree()); *It; ++It) T.push_back((*It)->text(0).toStdString());
    return T;
  }
  QTreeWidgetItem* Item(const std::string& Text) const {
    for (QTreeWidgetItemIterator It(Outline->Tree()); *It; ++It)
      if ((*It)->text(0).toStdString() == Text) return *It;
    return nullptr;
  }
  void Press(const std::string& Text, Qt::MouseButton Button, QEvent::Type Kind = QEvent::MouseButtonPress) {
    QTreeWidgetItem* I = Item(Text);
    ASSERT_NE(nullptr, I) << Text;
    QWidget* Port = Outline->Tree()->viewport();
    const QPoint At = Outline->Tree()->visualItemRect(I).center();
    QMouseEvent E(Kind, At, Port->mapToGlobal(At), Button, Button, Qt::NoModifier);
    QApplication::sendEvent(Port, &E);
    Pump();
  }
};

TEST(ppOutlineViewerTest, EntryTakesTheViewerToItsPage) {
  TOutlineForm F;
  ASSERT_EQ(1, F.Viewer->GetAbsolutePageNo());
  // Incomplete: the tree ends with an empty entry and "...mais...".
  EXPECT_EQ((std::vector<std::string>{"Relatório", "Ana", "Página 1", "", "...mais..."}), F.Texts());
  EXPECT_FALSE(F.Outline->Completed());
  EXPECT_EQ(3, F.Outline->NodeCount());

  F.Viewer->GotoPage(2);
  F.Pump();
  EXPECT_EQ(5, F.Outline->NodeCount()) << "the grown tree of page 2 is shown";

  F.Press("Ana", Qt::LeftButton);
  EXPECT_EQ(1, F.Viewer->GetAbsolutePageNo());
  F.Press("Página 2", Qt::LeftButton);
  EXPECT_EQ(2, F.Viewer->GetAbsolutePageNo());
  // Entries without a page (the blank one, "...mais...") and right presses go nowhere.
  F.Viewer->GotoPage(1);
  F.Pump();
  F.Press("Bia", Qt::RightButton);
  F.Press("...mais...", Qt::LeftButton);
  EXPECT_EQ(1, F.Viewer->GetAbsolutePageNo());
  // A double click neither navigates nor folds the entry.
  F.Press("Bia", Qt::LeftButton, QEvent::MouseButtonDblClick);
  EXPECT_TRUE(F.Item("Bia")->isExpanded());
  // Choosing an entry by keyboard (a change of selection) navigates as well.
  F.Outline->Tree()->setCurrentItem(F.Item("Bia"));
  F.Pump();
  EXPECT_EQ(2, F.Viewer->GetAbsolutePageNo());

  F.Viewer->LastPage();
  F.Pump();
  EXPECT_TRUE(F.Outline->Completed());
  EXPECT_EQ((std::vector<std::string>{"Relatório", "Ana", "Página 1", "Bia", "Página 2", "Página 3"}), F.Texts());
  EXPECT_TRUE(F.Outline->HotTrack());

  // Collapsing keeps the report's entry open when it is the only top entry.
  F.Outline->CollapseAll();
  EXPECT_TRUE(F.Item("Relatório")->isExpanded());
  EXPECT_FALSE(F.Item("Bia")->isExpanded());
  F.Outline->ExpandAll();
  EXPECT_TRUE(F.Item("Bia")->isExpanded());
  F.Outline->Clear();
  EXPECT_EQ(0, F.Outline->Tree()->topLevelItemCount());
  EXPECT_EQ(0, F.Outline->NodeCount());
}

TEST(ppOutlineViewerTest, NoOutlineNodeTurnsHotTrackingOff) {
  TOutlineForm F(true);
  EXPECT_EQ((std::vector<std::string>{"NoOutline: DrillDown not supported"}), F.Texts());
  EXPECT_FALSE(F.Outline->HotTrack());
  F.Press("NoOutline: DrillDown not supported", Qt::LeftButton);
  EXPECT_EQ(1, F.Viewer->GetAbsolutePageNo());
}

// Hiding and showing: the menu follows, and the change is broadcast with its "Visible" value.
TEST(ppOutlineViewerTest, VisibleStateMenuAndBroadcast) {
  TOutlineForm F;
  std::vector<bool> Heard;
  auto Listen = [&] {
    auto* C = new TppCommunicator(F.Form);
    C->EventMask().Include(ciOutlineViewerVisibleChange);
    C->OnEventNotify = [&](TppCommunicator*, TppCommunicator*, int, TraParamList* P) {
      Heard.push_back(P->Value<bool>(0));
    };
    F.Outline->WalkieTalkie()->AddEventNotify(C);
  };
  Listen();
  F.Outline->SetVisibleState(true);
  ASSERT_NE(nullptr, F.Outline->PopupMenu());
  QList<QAction*> Items = F.Outline->PopupMenu()->actions();
  EXPECT_EQ("Esconde Croqui", Items[0]->text().toStdString());
  EXPECT_EQ("Expande Croqui", Items[1]->text().toStdString());
  EXPECT_EQ("Contrai Croqui", Items[2]->text().toStdString());
  Items[0]->trigger();  // hides
  EXPECT_FALSE(F.Outline->Visible());
  EXPECT_EQ("Mostra Croqui", Items[0]->text().toStdString());
  EXPECT_FALSE(Items[1]->isEnabled());
  EXPECT_EQ((std::vector<bool>{true, false}), Heard);

  // While updating nothing changes.
  F.Outline->SetUpdating(true);
  F.Outline->SetVisibleState(true);
  EXPECT_FALSE(F.Outline->Visible());
  F.Outline->SetUpdating(false);
  F.Outline->SetUpdating(false);  // never below 0
  EXPECT_FALSE(F.Outline->IsUpdating());

  // A walkie-talkie freed from outside is replaced, never left dangling.
  TppCommunicator* Old = F.Outline->WalkieTalkie();
  Old->Free();
  ASSERT_NE(nullptr, F.Outline->WalkieTalkie());
  Listen();
  F.Outline->SetVisibleState(true);
  EXPECT_EQ((std::vector<bool>{true, false, true}), Heard);
}

}  // namespace
