// The outline tree of a real report in the preview window the producer opens: it stands beside the
// pages, follows the page shown, and a press on an entry shows that entry's page. The window wears
// the report's icon.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTreeWidget>

#include "platform/app/Application.h"
#include "platform/data/MemDataSet.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/generation/ppGeneration.h"
#include "ppreport/generation/ppDBText.h"
#include "ppreport/generation/ppReport.h"
#include "ppreport/output/forms/ppOutlineViewer.h"
#include "ppreport/output/forms/ppPrvDlg.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace {

// A report of 100 x 100 mm pages with 10 mm margins grouped by region: three regions of six
// records, a detail band and a group header of 10 mm each, so each region begins on a later page.
class PreviewOutline : public ::testing::Test {
protected:
  static constexpr int32_t mm = 1000;
  void SetUp() override {
    InitializePPGeneration();
    auto* Set = new TMemoryDataSet(Form.get());
    Set->FieldDefs().Add("Name", ftString, 20);
    Set->FieldDefs().Add("Region", ftString, 5);
    for (const char* Region : {"Norte", "Sul", "Leste"})
      for (int I = 0; I < 6; ++I) Set->AppendRecord({std::string(Region) + std::to_string(I), std::string(Region)});
    auto* Pipe = new TppDataSetPipeline(Form.get());
    Pipe->SetUserName("Clientes");
    Pipe->SetDataSet(Set);
    Report = new TppReport(Form.get());
    Report->SetUnits(utMMThousandths);
    TppPrinterSetup* S = Report->PrinterSetup();
    S->SetPaperWidth(100 * mm);
    S->SetPaperHeight(100 * mm);
    for (auto Set : {&TppPrinterSetup::SetMarginLeft, &TppPrinterSetup::SetMarginRight, &TppPrinterSetup::SetMarginTop,
                     &TppPrinterSetup::SetMarginBottom})
      (S->*Set)(10 * mm);
    Report->SetDataPipeline(Pipe);
    auto* Group = new TppGroup(Form.get());
    Group->SetReport(Report);
    Group->SetBreakName("Region");
    Group->SetDataPipeline(Pipe);
    Report->CreateMissingBands();
    Report->GetGroupHeaderBand(Group->GetGroupNo())->ChangeHeight(10 * mm);
    Report->GetDetailBand()->ChangeHeight(10 * mm);
    auto* Name = new TppDBText(Form.get());
    Name->SetBounds(0, 0, 40 * mm, 5 * mm);
    Name->SetBand(Report->GetDetailBand());
    Name->SetDataPipeline(Pipe);
    Name->SetDataField("Name");
    Report->SetDeviceType("Screen");
    Report->SetModalPreview(false);
  }
  void TearDown() override {
    Form.reset();
    FinalizePPGeneration();
  }
  static void Pump() {
    for (int I = 0; I < 10; ++I) Application->ProcessMessages();
  }
  TppPrintPreview* Window() const { return dynamic_cast<TppPrintPreview*>(Report->PreviewForm()); }
  TppPreview* Preview() const { return dynamic_cast<TppPreview*>(Window()->Preview()); }
  TppViewer* Viewer() const { return Window()->Viewer(); }
  TppOutlineViewer* Tree() const {
    IppPreviewOutline* O = Preview()->OutlineViewer();
    return O ? dynamic_cast<TppOutlineViewer*>(O->Control()) : nullptr;
  }
  QTreeWidgetItem* Item(const std::string& Text) const {
    for (QTreeWidgetItemIterator It(Tree()->Tree()); *It; ++It)
      if ((*It)->text(0).toStdString() == Text) return *It;
    return nullptr;
  }
  // A left press on the entry, where a user would press it.
  void Press(QTreeWidgetItem* Entry) {
    QWidget* Port = Tree()->Tree()->viewport();
    Tree()->Tree()->scrollToItem(Entry);
    const QPoint At = Tree()->Tree()->visualItemRect(Entry).center();
    QMouseEvent E(QEvent::MouseButtonPress, At, Port->mapToGlobal(At), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(Port, &E);
    Pump();
  }

  std::unique_ptr<TComponent> Form = std::make_unique<TComponent>(nullptr);
  TppReport* Report = nullptr;
};

TEST_F(PreviewOutline, TheTreeStandsBesideThePagesAndAnEntryShowsItsPage) {
  const TIcon Icon = SolidIcon(qRgba(0, 0, 160, 255));
  Report->SetIcon(&Icon);
  Report->Print();
  Pump();
  ASSERT_TRUE(Window());
  EXPECT_EQ(qRgba(0, 0, 160, 255), WindowIconColour(Window())) << "the window wears the report's icon";
  TppOutlineViewer* T = Tree();
  ASSERT_TRUE(T) << "no outline tree in the preview";
  EXPECT_TRUE(Preview()->SidePanel->Visible());
  EXPECT_TRUE(T->Visible());
  EXPECT_GT(T->Tree()->topLevelItemCount(), 0);
  const QWidget* Page = Viewer()->Widget();
  const QWidget* Side = T->Widget();
  EXPECT_LE(Side->mapTo(Window()->Widget(), QPoint(Side->width(), 0)).x(),
            Page->mapTo(Window()->Widget(), QPoint(0, 0)).x());
  // Page 1 holds the tree so far: the report and the first region, more to come.
  ASSERT_TRUE(Item("Norte"));
  EXPECT_FALSE(Item("Leste"));
  EXPECT_TRUE(Item("...mais..."));

  // On the last page the whole tree is there; its entries take the viewer to their pages.
  Viewer()->LastPage();
  Pump();
  ASSERT_GT(Viewer()->GetAbsolutePageNo(), 2);
  for (const char* Region : {"Norte", "Sul", "Leste"}) ASSERT_TRUE(Item(Region)) << Region;
  EXPECT_FALSE(Item("...mais..."));
  Press(Item("Norte"));
  EXPECT_EQ(1, Viewer()->GetAbsolutePageNo());
  const int Leste = TppOutlineViewer::ItemPage(Item("Leste"));
  EXPECT_GT(Leste, 1);
  Press(Item("Leste"));
  EXPECT_EQ(Leste, Viewer()->GetAbsolutePageNo());
  EXPECT_EQ(std::to_string(Leste), Preview()->PageNoEdit->Text());
  Press(Item("Página 2"));
  EXPECT_EQ(2, Viewer()->GetAbsolutePageNo());
}

}  // namespace
