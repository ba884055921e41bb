// Background printing: a report's snapshot goes to a worker thread, which re-creates the report's
// owner through its registered factory, loads the snapshot and prints the copy while the main
// thread goes on; failures come back to the main thread as messages, never as lost requests.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>

#include "platform/app/Messages.h"
#include "platform/classes/Streams.h"
#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppAutoSearchRTTI.h"
#include "ppreport/core/ppReportTemplateRTTI.h"
#include "ppreport/core/ppTemplate.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/output/ppBackGroundPrintRequest.h"
#include "ppreport/output/ppBackgroundContainerAdapter.h"
#include "ppreport/output/ppBackgroundPrintManager.h"
#include "ppreport/output/ppBackgroundPrintQueue.h"
#include "tests/ppreport/output/ppBackgroundPrintTestSupport.h"

using namespace bgtest;

namespace {

class ppBackgroundPrintTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterClasses({&TBgReport::StaticClassInfo(), &TBgModule::StaticClassInfo()});
    RegisterBackgroundContainerClass(TBgModule::StaticClassInfo(), [] { return new TBgModule(nullptr); });
    PrintLog().Reset();
    Manager = std::make_unique<TppBackgroundPrintManager>();
    Manager->OnError = [this](TObject*, const Exception& E) { Errors.push_back(E.Message()); };
    Manager->OnAllRequestsFinished = [this](TObject*) { ++AllFinished; };
    Manager->OnRequestFinished = [this](TObject*) { ++Finished; };
  }
  void TearDown() override {
    PrintLog().SetGate(true);
    Manager.reset();
    ClearBackgroundContainerClasses();
    UnRegisterClass(TBgModule::StaticClassInfo());
    UnRegisterClass(TBgReport::StaticClassInfo());
  }
  void Print(TPersistent* Producer, const std::string& Device = "ArchiveFile") {
    Manager->Print(Producer, nullptr, "", "out.raf", Device);
  }
  bool WaitAllFinished(int Count = 1) {
    return PumpUntil([&] { return AllFinished >= Count; });
  }

  std::unique_ptr<TppBackgroundPrintManager> Manager;
  std::vector<std::string> Errors;
  int AllFinished = 0, Finished = 0;
};

// Two requests in a row print one after another on worker threads, each with the definition and
// criteria its report had when it was asked, quietly; the user's report is left alone and the
// all-finished notification comes once.
TEST_F(ppBackgroundPrintTest, QueuedReportsPrintTheirSnapshotsOnAWorker) {
  TBgModule Module(nullptr, 2);
  TBgReport* R = Module.Report;
  R->SetMarker("first");
  R->Fields[0]->SetSearchExpression("Ana");
  R->Fields[1]->SetSearchExpression("12");
  Print(R);
  R->SetMarker("second");
  R->Fields[0]->SetSearchExpression("Bia");
  Print(R);
  EXPECT_EQ(0, AllFinished);  // the main thread is back while the prints run
  ASSERT_TRUE(WaitAllFinished());
  EXPECT_EQ(1, AllFinished);
  EXPECT_EQ(2, Finished);
  EXPECT_TRUE(Errors.empty()) << Errors.front();
  auto P = PrintLog().Snapshot();
  ASSERT_EQ(2u, P.size());
  EXPECT_EQ("first", P[0].Marker);
  EXPECT_EQ("second", P[1].Marker);
  EXPECT_EQ((std::vector<std::string>{"Ana", "12"}), P[0].Expressions);
  EXPECT_EQ((std::vector<std::string>{"Bia", "12"}), P[1].Expressions);
  for (const TPrinted& Q : P) {
    EXPECT_NE(std::this_thread::get_id(), Q.Thread);
    EXPECT_EQ("ArchiveFile", Q.DeviceType);
    EXPECT_EQ("out.raf", Q.ArchiveFileName);
    EXPECT_FALSE(Q.ShowPrintDialog || Q.ShowCancelDialog || Q.ShowAutoSearchDialog);
    EXPECT_FALSE(Q.EnableProcessMessages);
    EXPECT_FALSE(Q.BackgroundActive);
  }
  EXPECT_EQ("Bia", R->Fields[0]->SearchExpression());
  EXPECT_TRUE(R->ShowPrintDialog());
  EXPECT_EQ(0, Manager->RequestCount());
}

// Requests that cannot be made are refused to the caller with their texts.
TEST_F(ppBackgroundPrintTest, BadRequestsAreRefusedWithTheirTexts) {
  TBgModule Module(nullptr);
  std::unique_ptr<TBgReport, TComponentDeleter> Orphan(new TBgReport(nullptr));
  std::unique_ptr<TppAutoSearchField, TComponentDeleter> NotAProducer(new TppAutoSearchField(nullptr));
  struct TCase {
    TPersistent* Producer;
    const char* Device;
    std::string Text;
  } Cases[] = {
      {nullptr, "Printer", "TppBackgroundPrintRequest.Create: Producer cannot be nil for background printing."},
      {NotAProducer.get(), "Printer",
       "TppBackgroundPrintRequest.Create: Object passed as producer is not a TppProducer but rather a "
       "TppAutoSearchField"},
      {Orphan.get(), "Printer",
       "TppBackgroundPrintRequest.Create: Owner of producer cannot be nil for background printing."},
      {Module.Report, "Screen",
       "TppBackgroundPrintRequest.Create: The producer's device cannot be a screen device for background "
       "printing."},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Text);
    try {
      TppBackgroundPrintRequest Request(C.Producer, "", "", C.Device, nullptr);
      ADD_FAILURE() << "made";
    } catch (const EBackgroundPrintError& E) {
      EXPECT_EQ(C.Text, E.Message());
    }
  }
  // The manager takes reports only.
  TppProducer Producer(&Module);
  try {
    Print(&Producer);
    ADD_FAILURE() << "queued";
  } catch (const EBackgroundPrintError& E) {
    EXPECT_EQ("TppBackgroundPrintManager.Print: Background printing not supported for TppProducer", E.Message());
  }
  EXPECT_EQ(0, Manager->RequestCount());
}

// A request that cannot be made while another prints is the caller's error; the running and the
// queued requests go on and print.
TEST_F(ppBackgroundPrintTest, ABadRequestKeepsTheOthers) {
  TBgModule Module(nullptr);
  PrintLog().SetGate(false);
  Module.Report->SetMarker("kept");
  Print(Module.Report);
  Module.Report->SetMarker("queued");
  Print(Module.Report);
  EXPECT_THROW(Print(Module.Report, "Screen"), EBackgroundPrintError);
  EXPECT_EQ(2, Manager->RequestCount());
  PrintLog().SetGate(true);
  ASSERT_TRUE(WaitAllFinished());
  auto P = PrintLog().Snapshot();
  ASSERT_EQ(2u, P.size());
  EXPECT_EQ("kept", P[0].Marker);
  EXPECT_EQ("queued", P[1].Marker);
  EXPECT_TRUE(Errors.empty());
}

// What goes wrong on the worker reaches the error handler once, after that request; the next
// request prints and reports nothing.
TEST_F(ppBackgroundPrintTest, WorkerFailuresAreReportedOnceEach) {
  TBgModule Module(nullptr);
  // A report made at run time, which the re-created owner does not hold.
  auto* Runtime = new TBgReport(&Module);
  Runtime->SetName("RuntimeReport");
  // A report with a criterion added at run time: the stored definition has fewer.
  TBgModule Grown(nullptr);
  Grown.Report->CreateAutoSearchCriteria("Customers", "City", soEqual, "Rio", false);
  // An owner class without a factory.
  struct TUnknownOwner : TComponent {
    using TComponent::TComponent;
    ~TUnknownOwner() override { BeforeDestruction(); }
  } Unknown(nullptr);
  auto* Stray = new TBgReport(&Unknown);
  Stray->SetName("Report");

  struct TCase {
    TBgReport* Report;
    std::string Text;
  } Cases[] = {
      {Runtime, "TppBackgroundContainerAdapter.CreateContainer: Cannot find producer in owner: RuntimeReport"},
      {Grown.Report,
       "TppAutoSearchRTTI.CopyAutoSearchFields: The report in the background thread has different autosearch "
       "fields than the request."},
      {Stray, "TppBackgroundContainerAdapter.CreateContainer: Cannot create container: TComponent"},
      {Module.Report, ""},
  };
  int Round = 0;
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Text);
    Errors.clear();
    Print(C.Report);
    ASSERT_TRUE(WaitAllFinished(++Round));
    if (C.Text.empty()) {
      EXPECT_TRUE(Errors.empty());
      EXPECT_EQ(1u, PrintLog().Snapshot().size());
    } else {
      ASSERT_EQ(1u, Errors.size());
      EXPECT_EQ(C.Text, Errors[0]);
    }
  }
}

// A factory that raises, and a component under the report's name that is no producer.
TEST_F(ppBackgroundPrintTest, ContainerFactoryFailures) {
  TBgModule Module(nullptr);
  const std::pair<TppBackgroundContainerFactory, std::string> Cases[] = {
      {[]() -> TComponent* { throw EBackgroundPrintError("no database"); },
       "EBackgroundPrintError: no database"},
      {[]() -> TComponent* { return nullptr; }, "TppBackgroundContainerAdapter.CreateContainer: Cannot create "
                                                 "container: TBgModule"},
      {[] {
         auto* M = new TComponent(nullptr);
         (new TppAutoSearchField(M))->SetName("Report");
         return M;
       },
       "TppBackgroundContainerAdapter.CreateContainer: Component found for Report is not a TppProducer: "
       "TppAutoSearchField"},
  };
  int Round = 0;
  for (const auto& [Factory, Text] : Cases) {
    SCOPED_TRACE(Text);
    RegisterBackgroundContainerClass(TBgModule::StaticClassInfo(), Factory);
    Errors.clear();
    Print(Module.Report);
    ASSERT_TRUE(WaitAllFinished(++Round));
    ASSERT_EQ(1u, Errors.size());
    EXPECT_EQ(Text, Errors[0]);
  }
  EXPECT_TRUE(PrintLog().Snapshot().empty());
}

// Flushing while a request prints: the queued ones are dropped, the running worker ends and is
// joined, and a later request prints after it.
TEST_F(ppBackgroundPrintTest, CancelAllDropsTheQueueAndLaterRequestsPrint) {
  TBgModule Module(nullptr);
  PrintLog().SetGate(false);
  Module.Report->SetMarker("running");
  Print(Module.Report);
  // The first is printing (held at the gate) before the flush, or the flush would drop it too.
  ASSERT_TRUE(PrintLog().WaitAtGate(1));
  Module.Report->SetMarker("dropped");
  Print(Module.Report);
  Manager->CancelAll();
  EXPECT_EQ(0, Manager->RequestCount());
  Module.Report->SetMarker("later");
  Print(Module.Report);
  PrintLog().SetGate(true);
  ASSERT_TRUE(WaitAllFinished());
  auto P = PrintLog().Snapshot();
  ASSERT_EQ(2u, P.size());
  EXPECT_EQ("running", P[0].Marker);
  EXPECT_EQ("later", P[1].Marker);
}

// Messages processed while Print waits for the worker's copy may print again or cancel: the second
// print is only queued (nothing starts twice), and it prints after the first.
TEST_F(ppBackgroundPrintTest, APrintAskedForDuringTheStartUpWaitOnlyQueues) {
  TBgModule Module(nullptr);
  std::atomic<bool> Asked{false};
  // The copy is made only once the main thread has handled the message below, which it can do
  // only inside its start-up wait.
  RegisterBackgroundContainerClass(TBgModule::StaticClassInfo(), [&Asked] {
    while (!Asked) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return new TBgModule(nullptr);
  });
  struct TClicker : TMessageTarget {
    std::function<void()> OnMessage;
    void WndProc(TMessage&) override { OnMessage(); }
  } Clicker;
  int CountInside = 0;
  Clicker.OnMessage = [&] {
    Module.Report->SetMarker("second");
    Print(Module.Report);
    CountInside = Manager->RequestCount();
    Asked = true;
  };
  Module.Report->SetMarker("first");
  PostMessage(Clicker.Handle(), WM_USER, 0, 0);
  Print(Module.Report);
  EXPECT_TRUE(Asked);
  EXPECT_EQ(2, CountInside);
  ASSERT_TRUE(WaitAllFinished());
  auto P = PrintLog().Snapshot();
  ASSERT_EQ(2u, P.size());
  EXPECT_EQ("first", P[0].Marker);
  EXPECT_EQ("second", P[1].Marker);
  EXPECT_EQ(1, AllFinished);
}

// ---- the bridges

// Criteria go into groups as copies, in index order, and come back onto a report by index, onto
// new criteria, or not at all when their number differs.
TEST_F(ppBackgroundPrintTest, AutoSearchCriteriaTravelByIndex) {
  TBgModule From(nullptr, 3);
  for (int I = 0; I < 3; ++I) From.Report->Fields[I]->SetSearchExpression("v" + std::to_string(I));
  auto ReadGroups = [&] {
    std::unique_ptr<TppAutoSearchGroups, TComponentDeleter> G(new TppAutoSearchGroups(nullptr));
    TppAutoSearchRTTI::ReadAutoSearchFields(From.Report, G.get());
    return G;
  };
  {
    TBgModule Same(nullptr, 3);
    auto G = ReadGroups();
    TppAutoSearchRTTI::WriteAutoSearchFields(Same.Report, G.get());
    for (int I = 0; I < 3; ++I) EXPECT_EQ("v" + std::to_string(I), Same.Report->Fields[I]->SearchExpression());
    std::vector<TppAutoSearchField*> Left;
    G->GetFieldList(Left);
    EXPECT_TRUE(Left.empty());
  }
  {
    TBgModule Empty(nullptr, 0);
    auto G = ReadGroups();
    TppAutoSearchRTTI::WriteAutoSearchFields(Empty.Report, G.get());
    ASSERT_EQ(3, Empty.Report->GetAutoSearchFieldCount());
    EXPECT_EQ("Name2", Empty.Report->Fields[2]->FieldName());
    EXPECT_EQ("v2", Empty.Report->Fields[2]->SearchExpression());
  }
  {
    TBgModule Fewer(nullptr, 2);
    auto G = ReadGroups();
    EXPECT_THROW(TppAutoSearchRTTI::WriteAutoSearchFields(Fewer.Report, G.get()), EBackgroundPrintError);
    EXPECT_EQ("", Fewer.Report->Fields[0]->SearchExpression());
  }
  // A producer without the interface has none, and takes none.
  TppProducer Plain(nullptr);
  EXPECT_FALSE(TppAutoSearchRTTI::HasAutoSearchFields(&Plain));
  EXPECT_EQ(nullptr, TppAutoSearchRTTI::GetAutoSearchField(&Plain, 0));
  auto G = ReadGroups();
  TppAutoSearchRTTI::WriteAutoSearchFields(&Plain, G.get());
}

// The definition moves through the descriptor's "Template"; a producer whose descriptor has no
// template writes nothing.
TEST_F(ppBackgroundPrintTest, ReportDefinitionMovesThroughTheTemplate) {
  TBgModule From(nullptr), To(nullptr);
  From.Report->SetMarker("stored");
  TMemoryStream S;
  TppReportTemplateRTTI::SaveToStream(From.Report, S);
  ASSERT_GT(S.Size(), 0);
  S.SetPosition(0);
  TppReportTemplateRTTI::LoadFromStream(To.Report, S);
  EXPECT_EQ("stored", To.Report->Marker());
  EXPECT_TRUE(To.Report->Template()->BroadcastEvents());

  TppProducer Plain(&From);
  TMemoryStream Empty;
  TppReportTemplateRTTI::SaveToStream(&Plain, Empty);
  EXPECT_EQ(0, Empty.Size());
}

}  // namespace
