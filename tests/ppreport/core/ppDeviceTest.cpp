#include "ppreport/core/ppDevice.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/classes/StringList.h"
#include "tests/ppreport/core/ppPageTestSupport.h"

namespace devicetest {

using namespace pptest;

template <class T>
using TOwned = std::unique_ptr<T, TComponentDeleter>;

// Counts the publisher's broadcasts of one event.
struct TEventCounter {
  explicit TEventCounter(TppCommunicator& Sender, int EventID) : Listener(new TppCommunicator(nullptr)) {
    Listener->EventMask().Include(EventID);
    Listener->OnEventNotify = [this](TppCommunicator*, TppCommunicator*, int, TraParamList*) { ++Count; };
    Sender.AddEventNotify(Listener.get());
  }
  TOwned<TppCommunicator> Listener;
  int Count = 0;
};

// A report with a device on its publisher.
struct TReportFixture {
  TReportFixture(int Pages, bool Cache) : Report(new TTestReport(nullptr)) {
    Report->Engine->PageCount = Pages;
    Report->Publisher()->SetCachePages(Cache);
    Device = new TTestDevice(Report.get());
    Device->SetPublisher(Report->Publisher());
  }
  TOwned<TTestReport> Report;
  TTestDevice* Device;
  TppPublisher& Publisher() { return *Report->Publisher(); }
  void Request(const std::function<void(TppPageRequest&)>& Set) {
    TppPageRequest R;
    Set(R);
    Device->SetPageRequest(&R);
    Device->Received.clear();
    Device->RequestPages();
  }
};

void SetList(TppPageRequest& R, std::initializer_list<const char*> Pages) {
  TStringList L;
  for (const char* P : Pages) L.Add(P);
  R.SetPageSetting(psPageList);
  R.SetPageList(&L);
}

// ---- publishing with the test engine

TEST(ppDeviceTest, AllPagesThenTheSameFromTheCacheWithoutGenerating) {
  TReportFixture F(3, true);
  TEventCounter Pending(F.Publisher(), ciPublisherPagesPending);
  TEventCounter Received(F.Publisher(), ciPublisherPageReceive);
  F.Request([](TppPageRequest&) {});
  EXPECT_EQ((std::vector<int>{1, 2, 3}), F.Device->Received);
  EXPECT_EQ((std::vector<std::string>{"Page 1", "Page 2", "Page 3"}), F.Device->Texts);
  EXPECT_EQ(3, F.Report->Engine->Generated);
  EXPECT_EQ(1, Pending.Count);
  EXPECT_EQ(3, Received.Count);
  EXPECT_EQ(1, F.Device->Started);
  EXPECT_EQ(1, F.Device->Ended);  // the job ended with its last page
  EXPECT_TRUE(F.Publisher().ReportCompleted());
  EXPECT_EQ(3, F.Publisher().AbsolutePageCount());
  ASSERT_EQ(3, F.Publisher().GetCachedPageCount());

  F.Request([](TppPageRequest&) {});
  EXPECT_EQ((std::vector<int>{1, 2, 3}), F.Device->Received);
  EXPECT_EQ(3, F.Report->Engine->Generated);
  EXPECT_EQ(1, F.Report->Requests);
  EXPECT_EQ(1, Pending.Count);  // no pages pending: the cache served them
  EXPECT_EQ(2, F.Device->Ended);
  // The served pages are the cached copies, equal to what was made.
  TppPage* Cached = F.Publisher().GetCachedPage(1);
  EXPECT_EQ(2, Cached->AbsolutePageNo());
  EXPECT_EQ("Page 2", dynamic_cast<TppDrawText*>(Cached->GetDrawCommand(0))->Text());
}

TEST(ppDeviceTest, RequestKindsReachTheirPages) {
  const struct {
    const char* Name;
    std::function<void(TppPageRequest&)> Set;
    std::vector<int> Expected;
    int Generated;  // pages the engine makes on an empty cache
  } Cases[] = {
      {"single 3",
       [](TppPageRequest& R) {
         R.SetPageSetting(psSinglePage);
         R.SetPageRequested(3);
       },
       {3},
       3},
      {"first", [](TppPageRequest& R) { R.SetPageSetting(psFirstPage); }, {1}, 1},
      {"last", [](TppPageRequest& R) { R.SetPageSetting(psLastPage); }, {5}, 5},
      // "3,1": the list is kept in page order, so the job runs to page 3.
      {"list 3,1", [](TppPageRequest& R) { SetList(R, {"3", "1"}); }, {1, 3}, 3},
      {"range 2-4", [](TppPageRequest& R) { R.SetPageRangeBounds(2, 4); }, {2, 3, 4}, 5},
      {"even", [](TppPageRequest& R) { R.SetPageRange(prEvenPages); }, {2, 4}, 5},
  };
  for (const auto& C : Cases) {
    TReportFixture F(5, true);
    F.Request(C.Set);
    EXPECT_EQ(C.Expected, F.Device->Received) << C.Name;
    EXPECT_EQ(C.Generated, F.Report->Engine->Generated) << C.Name;
    EXPECT_EQ(1, F.Device->Ended) << C.Name << ": the device had its last page";
    // Asked again, the cache serves what it holds without generating.
    const int Before = F.Report->Engine->Generated;
    F.Request(C.Set);
    EXPECT_EQ(C.Expected, F.Device->Received) << C.Name << " again";
    EXPECT_EQ(Before, F.Report->Engine->Generated) << C.Name << " again";
  }
}

TEST(ppDeviceTest, SinglePagesComeFromTheCacheOnceMade) {
  TReportFixture F(5, true);
  F.Request([](TppPageRequest& R) {
    R.SetPageSetting(psSinglePage);
    R.SetPageRequested(4);
  });
  EXPECT_EQ(4, F.Report->Engine->Generated);
  for (int Page : {2, 1, 4}) {
    F.Request([Page](TppPageRequest& R) {
      R.SetPageSetting(psSinglePage);
      R.SetPageRequested(Page);
    });
    EXPECT_EQ(std::vector<int>{Page}, F.Device->Received);
  }
  EXPECT_EQ(4, F.Report->Engine->Generated);
  // Page 5 was never made: generation runs again.
  F.Request([](TppPageRequest& R) {
    R.SetPageSetting(psSinglePage);
    R.SetPageRequested(5);
  });
  EXPECT_EQ(std::vector<int>{5}, F.Device->Received);
  EXPECT_EQ(9, F.Report->Engine->Generated);
}

TEST(ppDeviceTest, TwoDevicesAreFedFromOneRun) {
  TReportFixture F(4, false);
  auto* Second = new TTestDevice(F.Report.get());
  Second->SetPublisher(&F.Publisher());
  TppPageRequest One;
  One.SetPageSetting(psSinglePage);
  One.SetPageRequested(2);
  F.Device->SetPageRequest(&One);

  F.Publisher().StartJob();
  F.Publisher().Publish();
  F.Publisher().EndJob();
  EXPECT_EQ(std::vector<int>{2}, F.Device->Received);
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), Second->Received);
  EXPECT_EQ(psAll, F.Publisher().PageRequest()->PageSetting());
  EXPECT_EQ(1, F.Report->Requests);
  EXPECT_EQ(0, F.Publisher().GetCachedPageCount());  // caching off

  // Two single pages merge into one list: one run serves both.
  TppPageRequest Three;
  Three.SetPageSetting(psSinglePage);
  Three.SetPageRequested(3);
  Second->SetPageRequest(&Three);
  F.Device->Received.clear();
  Second->Received.clear();
  TppPageRequest Seen;
  F.Report->OnPageRequest = [&](TObject*, TObject* R) { Seen.Assign(dynamic_cast<TppPageRequest*>(R)); };
  F.Publisher().StartJob();
  F.Publisher().Publish();
  F.Publisher().EndJob();
  EXPECT_EQ(psPageList, Seen.PageSetting());
  EXPECT_EQ(std::vector<int>{2}, F.Device->Received);
  EXPECT_EQ(std::vector<int>{3}, Second->Received);
}

TEST(ppDeviceTest, StackedDevicesTakeTurns) {
  TOwned<TppPublisher> P(new TppPublisher(nullptr));
  TOwned<TTestDevice> Plain(new TTestDevice(nullptr)), Main(new TTestDevice(nullptr)),
      Sub(new TTestDevice(nullptr));
  Main->SetStackable(true);
  Sub->SetStackable(true);
  Plain->SetPublisher(P.get());
  Main->SetPublisher(P.get());
  Main->SetStackName("ignored while attached");
  EXPECT_EQ("", Main->StackName());
  Sub->SetPublisher(P.get());
  ASSERT_EQ(2, P->GetDeviceCount());
  EXPECT_EQ(Plain.get(), P->GetDevice(0));
  EXPECT_EQ(Sub.get(), P->GetDevice(1));

  P->OnPageRequest = [&](TObject*, TppPageRequest*) {
    TOwned<TppPage> Page(new TppPage(nullptr));
    Page->SetAbsolutePageNo(1);
    Page->SetFirstPage(true);
    Page->SetLastPage(true);
    Page->SetFinal(true);
    P->ReceivePage(Page.get());
  };
  P->StartJob();
  P->Publish();
  P->EndJob();
  EXPECT_EQ(std::vector<int>{1}, Sub->Received);
  EXPECT_TRUE(Main->Received.empty());
  EXPECT_EQ(0, Main->Started);

  // The stacked device leaves: the one before it comes back, at the end of the list.
  Sub->SetPublisher(nullptr);
  ASSERT_EQ(2, P->GetDeviceCount());
  EXPECT_EQ(Main.get(), P->GetDevice(1));
  // Attaching again lists a device once.
  Plain->SetPublisher(P.get());
  EXPECT_EQ(2, P->GetDeviceCount());
  // A freed device leaves; the publisher going is told to the devices.
  Plain.reset();
  EXPECT_EQ(1, P->GetDeviceCount());
  P.reset();
  EXPECT_EQ(nullptr, Main->Publisher());
}

TEST(ppDeviceTest, PageListServedInPartFromTheCacheAsksForTheRest) {
  TOwned<TppPublisher> P(new TppPublisher(nullptr));
  P->SetCachePages(true);
  TOwned<TTestEngine> Engine(new TTestEngine(nullptr, 5));
  Engine->SendTo(*P);
  TppPageRequest All;
  Engine->Generate(&All);
  ASSERT_EQ(5, P->GetCachedPageCount());

  TOwned<TTestDevice> D(new TTestDevice(nullptr));
  D->SetPublisher(P.get());
  TppPageRequest R;
  SetList(R, {"2", "9"});
  D->SetPageRequest(&R);
  std::vector<std::string> Asked;
  TEventCounter Pending(*P, ciPublisherPagesPending);
  P->OnPageRequest = [&](TObject*, TppPageRequest* U) {
    for (int I = 0; I < U->PageList()->Count(); ++I) Asked.push_back(U->PageList()->Get(I));
  };
  P->StartJob();
  P->Publish();
  EXPECT_EQ(std::vector<int>{2}, D->Received);
  EXPECT_EQ(std::vector<std::string>{"9"}, Asked);
  EXPECT_EQ(1, Pending.Count);
  P->EndJob();

  // The last page of a report not yet completed is not served from the cache.
  TOwned<TppPublisher> Q(new TppPublisher(nullptr));
  Q->SetCachePages(true);
  TOwned<TTestEngine> Two(new TTestEngine(nullptr, 2));
  Two->SendTo(*Q);
  TppPageRequest First;
  First.SetPageSetting(psFirstPage);
  Two->Generate(&First);
  EXPECT_FALSE(Q->ReportCompleted());
  TOwned<TTestDevice> E(new TTestDevice(nullptr));
  E->SetPublisher(Q.get());
  TppPageRequest Last;
  Last.SetPageSetting(psLastPage);
  E->SetPageRequest(&Last);
  bool Generation = false;
  Q->OnPageRequest = [&](TObject*, TppPageRequest*) { Generation = true; };
  Q->StartJob();
  Q->Publish();
  EXPECT_TRUE(Generation);
  EXPECT_TRUE(E->Received.empty());
}

TEST(ppDeviceTest, CalculationPagesAreMessagesAndNeverCached) {
  TReportFixture F(2, true);
  F.Report->Engine->Calculation = true;
  F.Request([](TppPageRequest&) {});
  EXPECT_TRUE(F.Device->Received.empty());
  EXPECT_EQ((std::vector<int>{1, 2}), F.Device->Messages);
  EXPECT_EQ(0, F.Publisher().GetCachedPageCount());
  EXPECT_TRUE(F.Device->WaitingForPage());  // still waiting: no final page came
}

TEST(ppDeviceTest, LaterPagesRaiseTheCountsOfCachedPages) {
  TOwned<TppPublisher> P(new TppPublisher(nullptr));
  P->SetCachePages(true);
  TOwned<TTestEngine> Engine(new TTestEngine(nullptr, 2));
  TOwned<TppPage> Page(new TppPage(nullptr));
  Engine->MakePage(1, *Page);
  Page->SetAbsolutePageCount(0);  // a one-pass report does not know its count yet
  Page->SetPageCount(0);
  P->ReceivePage(Page.get());
  Engine->MakePage(2, *Page);
  P->ReceivePage(Page.get());
  TppPage* First = P->FindCachedPage(1);
  ASSERT_NE(nullptr, First);
  EXPECT_EQ(2, First->AbsolutePageCount());
  EXPECT_EQ(2, First->PageCount());
  EXPECT_EQ("Página 1 de 2", dynamic_cast<TppDrawText*>(First->GetDrawCommand(1))->Text());
}

// ---- devices and the fan-out

TEST(ppDeviceTest, StatusFlagsAndFailures) {
  TOwned<TppPublisher> P(new TppPublisher(nullptr));
  TOwned<TTestDevice> A(new TTestDevice(nullptr)), B(new TTestDevice(nullptr)), C(new TTestDevice(nullptr));
  for (TTestDevice* D : {A.get(), B.get(), C.get()}) D->SetPublisher(P.get());
  EXPECT_EQ("", P->GetStatus());
  B->SetStatus("A");
  C->SetStatus("B");
  EXPECT_EQ("A", P->GetStatus());
  P->SetStatus("");
  EXPECT_EQ("", P->GetStatus());

  // An inactive device is passed over; a busy one keeps its state.
  C->SetActive(false);
  P->StartJob();
  EXPECT_TRUE(A->Busy());
  EXPECT_FALSE(C->Busy());
  A->SetActive(false);
  EXPECT_TRUE(A->Active());
  P->CancelJob();
  EXPECT_TRUE(A->Cancelled());
  EXPECT_FALSE(A->Busy());
  P->ResetDevices();
  EXPECT_FALSE(A->Cancelled());

  // A device that fails while its request is collected: the cycle is over, the lock is free.
  B->OnPageRequest = [](TObject*) { throw ETalvorError("no"); };
  EXPECT_THROW(P->Publish(), ETalvorError);
  EXPECT_FALSE(P->RequestingPages());
  B->OnPageRequest = nullptr;
  bool Asked = false;
  P->OnPageRequest = [&](TObject*, TppPageRequest*) { Asked = true; };
  std::thread([&] { P->Publish(); }).join();  // another thread takes the lock
  EXPECT_TRUE(Asked);
}

TEST(ppDeviceTest, DrawPageSkipsCommandsOffThePage) {
  struct TRecorder : TppDevice {
    using TppDevice::TppDevice;
    std::vector<TppDrawCommand*> Drawn;
    bool RenderDrawCommand(TppDrawCommand* C) override {
      Drawn.push_back(C);
      return true;
    }
  };
  TOwned<TppPage> Page(new TppPage(nullptr));
  Page->PageDef()->SetmmWidth(1000);
  Page->PageDef()->SetmmHeight(2000);
  auto* In = new TppDrawShape(nullptr);
  In->SetLeft(1000);
  In->SetTop(2000);
  In->SetPage(Page.get());
  auto* Out = new TppDrawShape(nullptr);
  Out->SetLeft(1001);
  Out->SetPage(Page.get());
  TOwned<TRecorder> D(new TRecorder(nullptr));
  D->DrawPage(Page.get());
  EXPECT_EQ(std::vector<TppDrawCommand*>{In}, D->Drawn);
}

TEST(ppDeviceTest, DeviceClassesByName) {
  TTestDeviceClasses Registered;
  EXPECT_EQ(&TTestPrinterDevice::StaticClassInfo(), DeviceClassForName("printer"));
  EXPECT_EQ(&TTestFileDevice::StaticClassInfo(), DeviceClassForName("TextFile"));
  EXPECT_EQ(nullptr, DeviceClassForName("Screen"));
  EXPECT_EQ(&TTestPrinterDevice::StaticClassInfo(), GetClass("TTestPrinterDevice"));
  RegisterDeviceClass<TTestDevice>();
  RegisterDeviceClass<TppRasterDevice>();  // no name of its own: the class name
  TStringList Names;
  GetDeviceClassNames(Names);
  EXPECT_EQ("Printer,TextFile,TestDevice,TppRasterDevice", Names.CommaText());
  UnregisterDeviceClass(TppRasterDevice::StaticClassInfo());
  UnregisterDeviceClass(TTestDevice::StaticClassInfo());
  EXPECT_EQ(nullptr, DeviceClassForName("TestDevice"));
  EXPECT_EQ(nullptr, GetClass("TTestDevice"));

  TOwned<TppPublisher> P(new TppPublisher(nullptr));
  EXPECT_TRUE(P->HasOnlyScreenDevices());
  TOwned<TTestDevice> D(new TTestDevice(nullptr));
  D->SetPublisher(P.get());
  EXPECT_FALSE(P->HasOnlyScreenDevices());
}

}  // namespace devicetest
