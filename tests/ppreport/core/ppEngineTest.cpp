#include "ppreport/core/ppEngine.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/ppreport/core/ppPageTestSupport.h"

namespace enginetest {

using namespace pptest;

template <class T>
using TOwned = std::unique_ptr<T, TComponentDeleter>;

TEST(ppEngineTest, StateAndPositions) {
  TOwned<TComponent> Report(new TComponent(nullptr));
  auto* E = new TTestEngine(Report.get());
  EXPECT_EQ(Report.get(), E->Report());
  EXPECT_EQ(Report.get(), E->Owner());
  ASSERT_NE(nullptr, E->GetPage());
  EXPECT_EQ(nullptr, E->GetPage()->Owner());
  EXPECT_FALSE(E->SilentExceptions());
  EXPECT_FALSE(E->Printing());

  E->SetPrintPosition(1, 2, 3, 4);
  EXPECT_EQ((TRect{1, 2, 3, 4}), E->PrintPosition());
  E->GetPage()->PageDef()->SetmmMarginLeft(6350);
  E->MoveToLeftMargin();
  EXPECT_EQ((TRect{6350, 2, 3, 4}), E->PrintPosition());

  E->IncludeEngineState(0x0101);
  E->IncludeEngineState(esFirstPass);
  EXPECT_TRUE(E->FirstPass());
  E->ExcludeEngineState(esFirstPass);
  EXPECT_FALSE(E->FirstPass());
  EXPECT_EQ(0x0101, E->EngineState());
  E->IncludeEngineState(esSecondPass);
  EXPECT_TRUE(E->SecondPass());
  E->IncludePrintCondition(2 | 128);
  E->ExcludePrintCondition(2);
  EXPECT_EQ(128, E->PrintCondition());

  E->SetAbsolutePageNo(3);
  E->SetAbsolutePageCount(9);
  EXPECT_EQ(3, E->GetPageNo());
  EXPECT_EQ(9, E->GetPageCount());
  E->SetPageStarted(true);
  EXPECT_TRUE(E->GetPageStarted());
  // The engine's reset clears a run's state, but not while one runs.
  E->SetPrinting(true);
  E->Reset();
  EXPECT_EQ(3, E->AbsolutePageNo());
  E->SetPrinting(false);
  E->Reset();
  EXPECT_EQ(0, E->AbsolutePageNo());
  EXPECT_EQ(0, E->EngineState());
  Report.reset();  // the report frees its engine and the engine its page
}

TEST(ppEngineTest, HooksFireTheirCallbacks) {
  TOwned<TTestEngine> E(new TTestEngine(nullptr));
  int PageSent = 0;
  TOwned<TppCommunicator> Listener(new TppCommunicator(nullptr));
  Listener->EventMask().Include(ciEnginePageSent);
  Listener->OnEventNotify = [&](TppCommunicator*, TppCommunicator* Sender, int, TraParamList*) {
    EXPECT_EQ(E.get(), Sender);
    ++PageSent;
  };
  E->AddEventNotify(Listener.get());
  // Without callbacks nothing happens, except that a sent page is still announced.
  for (auto Do : {&TppCustomEngine::DoBeforeSendPage, &TppCustomEngine::DoOnPageStart,
                  &TppCustomEngine::DoOnInitialize, &TppCustomEngine::DoOnDataPipelineStatesSaved,
                  &TppCustomEngine::DoOnEndPage, &TppCustomEngine::DoOnPageFinished,
                  &TppCustomEngine::DoOnGetLastPageCached, &TppCustomEngine::DoAfterSendPage})
    (E.get()->*Do)();
  EXPECT_EQ(1, PageSent);

  std::vector<std::string> Fired;
  auto Note = [&](const char* Name) {
    return [&Fired, Name](TObject* Sender) {
      EXPECT_NE(nullptr, dynamic_cast<TppCustomEngine*>(Sender));
      Fired.push_back(Name);
    };
  };
  E->AfterSendPage = Note("after-send");
  E->BeforeSendPage = Note("before-send");
  E->OnPageStart = Note("page-start");
  E->OnInitialize = Note("initialize");
  E->OnDataPipelineStatesSaved = Note("states-saved");
  E->OnEndPage = Note("end-page");
  E->OnPageFinished = Note("page-finished");
  E->OnGetLastPageCached = [](TObject*, int& Last) { Last = 7; };
  E->DoOnGetLastPageCached();
  EXPECT_EQ(7, E->LastPageCached());
  E->DoOnDataPipelineStatesSaved();

  // One page generated fires them in a real engine's order.
  Fired.clear();
  E->PageCount = 1;
  TppPageRequest All;
  E->Generate(&All);
  EXPECT_EQ((std::vector<std::string>{"initialize", "page-start", "end-page", "before-send", "page-finished",
                                      "after-send"}),
            Fired);
  EXPECT_EQ(2, PageSent);
  EXPECT_TRUE(E->DonePrinting());
  EXPECT_FALSE(E->Printing());
}

TEST(ppEngineTest, StopEndsARunThatDrivesThePublisher) {
  TTestDeviceClasses Classes;
  TOwned<TTestReport> R(new TTestReport(nullptr));
  R->Engine->PageCount = 8;
  auto* D = new TTestDevice(R.get());
  D->SetPublisher(R->Publisher());
  // A device that has seen page 3 asks the report to stop, as a cancelled run does.
  D->OnPageReceive = [&](TObject*, TObject* Page) {
    if (dynamic_cast<TppPage*>(Page)->AbsolutePageNo() == 3) R->Engine->Stop();
  };
  D->RequestPages();
  EXPECT_EQ((std::vector<int>{1, 2, 3}), D->Received);
  EXPECT_TRUE(R->Engine->StopPrinting());
  EXPECT_TRUE(D->WaitingForPage());  // its last page never came
  EXPECT_EQ(1, D->Started);
  EXPECT_EQ(0, D->Ended);
}

}  // namespace enginetest
