// Composite reports: members continuing one another's pages in one job.
#include "lxreport/LXComposite.h"

#include <gtest/gtest.h>

#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXPrntr.h"
#include "platform/app/Application.h"
#include "platform/app/Messages.h"
#include "tests/lxreport/LXEngineTestSupport.h"
#include "tests/platform/printing/VirtualPrinterFixture.h"

using namespace lxtest;

namespace {
// A member on A4 with 10 mm margins: a title, then Count details of Height, each probe logging
// its report's name, the page and PAGENUMBER as the report's variables give it.
struct TMember {
  TMember(TComponent* Form, std::vector<std::string>* Log, const std::string& Name, int Count, long double Height)
      : Report(NewReport(Form)) {
    Report->SetUnits(TLXUnit::Native);
    Report->SetName(Name);
    Add(rbTitle, 100, Name + "T", Log);
    Add(rbDetail, Height, Name + "D", Log);
    Report->OnNeedData = [this, Count](TObject*, bool& More) {
      More = Record < Count;
      if (More) ++Record;
    };
  }
  void Add(TLXBandType Type, long double Height, const std::string& Tag, std::vector<std::string>* Log) {
    TLXBand* B = Report->NewBand(Type);
    B->Size()->SetUnits(TLXUnit::Native);
    B->Size()->SetHeight(Height);
    auto* P = new TProbe(B->Owner(), Log);
    P->Tag_ = Tag;
    P->Extra = [this] {
      TLXEvValue V;
      Report->Functions()->ValueOf("PAGENUMBER", V);
      return " #" + std::to_string(V.Integer);
    };
    P->SetParent(B);
  }
  TReportPtr Report;
  int Record = 0;
};

class LXCompositeTest : public VirtualPrinterTest {
protected:
  TGeometryScope Geometry;
  TComponent Form{nullptr};
  std::vector<std::string> Log;
  TMember A{&Form, &Log, "A", 3, 300};  // title 100 + 900: about half of the 2770 the page holds
  TMember B{&Form, &Log, "B", 3, 300};
  TLXCompositeReport Composite{nullptr};
  std::vector<TObject*> Finished;

  void SetUp() override {
    VirtualPrinterTest::SetUp();
    Composite.OnAddReports = [this](TObject*) {
      Composite.Reports().push_back(A.Report.get());
      Composite.Reports().push_back(B.Report.get());
    };
    Composite.OnFinished = [this](TObject* Sender) { Finished.push_back(Sender); };
  }
};
}  // namespace

TEST_F(LXCompositeTest, TwoHalfPageMembersShareThePageAndEachFinishes) {
  A.Report->SetTag(5);
  B.Report->SetTag(7);
  A.Report->SetUnits(TLXUnit::MM);
  Composite.Prepare();
  std::vector<std::string> Expected = {"AT p1 100,100 #1",  "AD p1 100,200 #1",  "AD p1 100,500 #1",
                                       "AD p1 100,800 #1",  "BT p1 100,1100 #1", "BD p1 100,1200 #1",
                                       "BD p1 100,1500 #1", "BD p1 100,1800 #1"};
  EXPECT_EQ(Log, Expected);
  ASSERT_NE(Composite.ActivePrinter(), nullptr);
  EXPECT_EQ(Composite.ActivePrinter()->PageCount(), 1);
  EXPECT_EQ(Finished, (std::vector<TObject*>{A.Report.get(), B.Report.get(), &Composite}));
  EXPECT_EQ(A.Report->Tag(), 5);
  EXPECT_EQ(B.Report->Tag(), 7);
  EXPECT_EQ(A.Report->Units(), TLXUnit::MM);  // not left at native
  // The members give the composite's printer back.
  EXPECT_EQ(A.Report->ActivePrinter(), nullptr);
  EXPECT_EQ(B.Report->ActivePrinter(), nullptr);
  EXPECT_FALSE(Composite.Generating());
}

TEST_F(LXCompositeTest, PageNumbersContinueAcrossMembers) {
  TMember C{&Form, &Log, "C", 4, 300};
  Composite.OnAddReports = [&](TObject*) {
    for (TMember* M : {&A, &B, &C}) Composite.Reports().push_back(M->Report.get());
  };
  Composite.Prepare();
  // C's title fits below B on page 1 (2100 + 100); its details go on to page 2.
  EXPECT_EQ(Log[8], "CT p1 100,2100 #1");
  EXPECT_EQ(Log.back(), "CD p2 100,700 #2");
  EXPECT_EQ(Composite.ActivePrinter()->PageCount(), 2);
}

TEST_F(LXCompositeTest, WithoutMembersOnlyOnFinishedRuns) {
  Composite.OnAddReports = nullptr;
  Composite.Prepare();
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(Finished, (std::vector<TObject*>{&Composite}));
  EXPECT_EQ(Composite.ActivePrinter()->Status(), lxsReady);  // no job opened
}

TEST_F(LXCompositeTest, ACancelledPrintFreesItsPrinterOnceAndNoMemberKeepsIt) {
  auto V = Install("Virtual", {}, true);
  TLXPrinter* Own = nullptr;
  // Closing the preview while the first member runs cancels that member.
  A.Report->OnNeedData = [&](TObject*, bool& More) {
    More = A.Record < 3;
    if (More) ++A.Record;
    if (A.Record == 2) {
      Own = Composite.ActivePrinter();
      SendMessage(Composite.MessageWindow()->Handle(), WM_LXPREVIEWCLOSED, 0, 0);
    }
  };
  PostMessage(Composite.MessageWindow()->Handle(), WM_LXPRINT, 0, 0);
  Application->ProcessMessages();
  ASSERT_NE(Own, nullptr);
  EXPECT_EQ(Composite.ActivePrinter(), nullptr);
  EXPECT_EQ(A.Report->ActivePrinter(), nullptr);
  EXPECT_EQ(B.Report->ActivePrinter(), nullptr);
  EXPECT_EQ(Finished, (std::vector<TObject*>{&Composite}));  // B never ran
  ASSERT_EQ(V->Jobs().size(), 1u);
  EXPECT_TRUE(V->Jobs()[0].Aborted);
  // The members run again on their own without touching the freed printer.
  Log.clear();
  B.Record = 0;
  B.Report->Prepare();
  EXPECT_EQ(Log.size(), 4u);
  for (TLXPrinter* P : std::vector<TLXPrinter*>(B.Report->Printers())) delete P;
}

TEST_F(LXCompositeTest, APrintJobHoldsEveryMemberAndTheEarlierPrinterComesBack) {
  auto V = Install("Virtual", {}, true);
  Composite.Prepare();
  TLXPrinter* Prepared = Composite.ActivePrinter();
  Log.clear();
  A.Record = B.Record = 0;
  Finished.clear();
  Composite.PrintComposite();
  EXPECT_EQ(Composite.ActivePrinter(), Prepared);
  ASSERT_EQ(V->Jobs().size(), 1u);
  EXPECT_TRUE(V->Jobs()[0].Ended);
  EXPECT_EQ(V->Jobs()[0].PageCount, 1);
  EXPECT_EQ(Log.size(), 8u);
  // Closing the preview of the prepared pages frees them.
  SendMessage(Composite.MessageWindow()->Handle(), WM_LXPREVIEWCLOSED, 0, 0);
  EXPECT_EQ(Composite.ActivePrinter(), nullptr);
}

TEST_F(LXCompositeTest, MembersWithColumnsStartTheirColumnsWhereTheyStart) {
  // K: two columns, three details of 1000: two fill column 1, the third opens column 2.
  TMember Two{&Form, &Log, "K", 3, 1000};
  // M: two columns with a column header, four details of 300, starting below K's column 1.
  TMember Next{&Form, &Log, "M", 4, 300};
  Next.Add(rbColumnHeader, 50, "MC", &Log);
  for (TMember* M : {&Two, &Next}) {
    M->Report->Page()->SetColumns(2);
    M->Report->Page()->SetColumnSpace(50);
  }
  Composite.PrinterSettings()->SetPaperSize(TLXPaperSize::A4);  // the job's paper is the members'
  Composite.OnAddReports = [&](TObject*) {
    Composite.Reports().push_back(Two.Report.get());
    Composite.Reports().push_back(Next.Report.get());
  };
  Composite.Prepare();
  std::vector<std::string> Expected = {
      "KT p1 100,100 #1",  "KD p1 100,200 #1",   "KD p1 100,1200 #1", "KD p1 1075,200 #1",
      "MT p1 100,2200 #1", "MC p1 100,2300 #1",  "MD p1 100,2350 #1", "MC p1 1075,2300 #1",
      "MD p1 1075,2350 #1", "MC p2 100,100 #2", "MD p2 100,150 #2",  "MD p2 100,450 #2"};
  EXPECT_EQ(Log, Expected);
  ASSERT_NE(Composite.ActivePrinter(), nullptr);
  EXPECT_EQ(Composite.ActivePrinter()->PageCount(), 2);
}

TEST_F(LXCompositeTest, MembersGetTheirPageSetupBack) {
  TLXPage* PA = A.Report->Page();
  TLXPage* PB = B.Report->Page();
  PB->SetPaperSize(TLXPaperSize::Custom);
  PB->SetWidth(1500);
  PB->SetPageLength(2000);
  Composite.PrinterSettings()->SetPaperSize(TLXPaperSize::Letter);
  Composite.PrinterSettings()->SetOrientation(poLandscape);
  Composite.Prepare();
  ASSERT_EQ(Log.size(), 8u);
  EXPECT_EQ(PA->PaperSize(), TLXPaperSize::A4);
  EXPECT_EQ(PA->Orientation(), poPortrait);
  EXPECT_EQ(PA->Width(), 2100);
  EXPECT_EQ(PA->Length(), 2970);
  EXPECT_EQ(PB->PaperSize(), TLXPaperSize::Custom);
  EXPECT_EQ(PB->Orientation(), poPortrait);
  EXPECT_EQ(PB->Width(), 1500);
  EXPECT_EQ(PB->Length(), 2000);
  // The bands are laid out for the member's own paper again.
  EXPECT_EQ(A.Report->BandOfType(rbTitle)->Size()->Width(), 1900);
  EXPECT_EQ(B.Report->BandOfType(rbTitle)->Size()->Width(), 1300);
}
