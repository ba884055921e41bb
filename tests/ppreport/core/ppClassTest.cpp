// The report model: no-data rules, page limit, events, default bands, band order, pipelines
// followed and resolved, old streams, update nesting, print errors.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/data/MemDataSet.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppRTTI.h"
#include "ppreport/core/ppTemplate.h"
#include "tests/ppreport/core/ppModelTestSupport.h"
#include "tests/ppreport/core/ppPageTestSupport.h"

namespace reportmodeltest {

using namespace pptest;

// A report that makes bands of the model's kinds, beside itself.
class TBandedModelReport : public TModelReport {
public:
  using TModelReport::TModelReport;
  ~TBandedModelReport() override { BeforeDestruction(); }
  TppBand* CreateBand(TppBandType Kind) override { return new TModelBand(Owner(), Kind); }
};

// Counts what the page-limit and stop hooks are told.
class TLimitEngine : public TTestEngine {
public:
  using TTestEngine::TTestEngine;
  ~TLimitEngine() override { BeforeDestruction(); }
  void PageLimitReached() override { ++Reached; }
  void Stop() override { ++Stops; }
  int Reached = 0, Stops = 0;
};

// Records the events it hears and may change the no-data flags.
class TReportListener : public TppCommunicator {
public:
  TReportListener() : TppCommunicator(nullptr) {
    for (int E : {ciReportEndColumn, ciReportEndFirstPass, ciReportEndPage, ciReportEndSecondPass,
                  ciReportStartColumn, ciReportStartFirstPass, ciReportStartPage, ciReportStartSecondPass,
                  ciReportGenerationStart, ciReportNoData, ciReportBandAdd, ciReportBandRemove})
      EventMask().Include(E);
  }
  ~TReportListener() override { BeforeDestruction(); }
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override {
    TppCommunicator::EventNotify(Sender, EventID, Params);
    Heard.push_back(EventID);
    Senders.push_back(Sender);
    if (EventID == ciReportNoData && Params) {
      ShowSeen = Params->Value<bool>(1);
      Params->SetValue(3, true);
    }
  }
  std::vector<int> Heard;
  std::vector<TppCommunicator*> Senders;
  bool ShowSeen = false;
};

std::vector<std::string> LinesOf(const TStrings& List) {
  std::vector<std::string> Lines;
  for (int I = 0; I < List.Count(); ++I) Lines.push_back(List.Get(I));
  return Lines;
}

class ReportModel : public ::testing::Test {
protected:
  TModelClasses Classes;
  TComponent Form{nullptr};
  TBandedModelReport* Report = new TBandedModelReport(&Form);

  TModelBand* Band(TppBandType Kind) {
    auto* B = new TModelBand(&Form, Kind);
    B->SetReport(Report);
    return B;
  }
  template <class T>
  T* Object(TppBand* B, const std::string& Field = {}) {
    auto* C = new T(&Form);
    C->SetBand(B);
    if (!Field.empty()) C->SetDataField(Field);
    return C;
  }
  TppDataSetPipeline* Pipeline(const char* Name, std::initializer_list<const char*> Fields) {
    auto* Set = new TMemoryDataSet(&Form);
    for (const char* F : Fields) Set->FieldDefs().Add(F, ftString, 20);
    auto* P = new TppDataSetPipeline(&Form);
    P->SetName(Name);
    P->SetDataSet(Set);
    P->Open();  // makes its fields
    return P;
  }
};

TEST_F(ReportModel, NoDataBehaviorsKeepOneBlankKindAndTheNewerWins) {
  constexpr TppNoDataBehaviors Dialog = 1u << ndMessageDialog, OnPage = 1u << ndMessageOnPage,
                               Page = 1u << ndBlankPage, Blank = 1u << ndBlankReport;
  struct Case {
    TppNoDataBehaviors Before, Set, After;
  } Cases[] = {
      {Page, Blank, Blank},
      {Page, 0, Page},
      {Page, Page | OnPage, Page},
      {Page, Page | Blank, Blank},
      {Blank, Page | Blank, Page},
      {Blank, Dialog, Dialog | Page},
      {Blank, Blank | OnPage | Dialog, Blank | OnPage | Dialog},
  };
  for (const Case& C : Cases) {
    Report->SetNoDataBehaviors(C.Before);
    ASSERT_EQ(C.Before, Report->NoDataBehaviors());
    Report->SetNoDataBehaviors(C.Set);
    EXPECT_EQ(C.After, Report->NoDataBehaviors()) << int(C.Before) << " + " << int(C.Set);
  }
}

TEST_F(ReportModel, ThePageLimitIsReachedAtTheEndOfItsPage) {
  auto* Engine = new TLimitEngine(Report);
  Report->SetEngine(Engine);
  EXPECT_EQ(Engine, Report->Engine());
  int EndPages = 0;
  Report->OnEndPage = [&](TObject* Sender) {
    EXPECT_EQ(Report, Sender);
    ++EndPages;
  };
  for (int Limit : {3, 0}) {
    Report->SetPageLimit(Limit);
    Engine->Reached = 0;
    std::vector<int> ReachedAt;
    for (int Page = 1; Page <= 5; ++Page) {
      Engine->SetAbsolutePageNo(Page);
      Engine->DoOnEndPage();  // the hook the report bound
      if (Engine->Reached) ReachedAt.push_back(Page);
      Engine->Reached = 0;
    }
    const std::vector<int> Expected = Limit ? std::vector<int>{3, 4, 5} : std::vector<int>{};
    EXPECT_EQ(Expected, ReachedAt) << Limit;
  }
  EXPECT_EQ(10, EndPages);
  Report->StopEngine();
  EXPECT_EQ(1, Engine->Stops);
}

TEST_F(ReportModel, EventsCallTheHandlerFirstThenTellTheListeners) {
  TReportListener Listener;
  Report->AddEventNotify(&Listener);
  std::vector<int> Order;
  struct Case {
    TNotifyEvent TppCustomReport::*Handler;
    void (TppCustomReport::*Fire)();
    int Event;
  } Cases[] = {
      {&TppCustomReport::OnStartFirstPass, &TppCustomReport::DoOnStartFirstPass, ciReportStartFirstPass},
      {&TppCustomReport::OnEndFirstPass, &TppCustomReport::DoOnEndFirstPass, ciReportEndFirstPass},
      {&TppCustomReport::OnStartSecondPass, &TppCustomReport::DoOnStartSecondPass, ciReportStartSecondPass},
      {&TppCustomReport::OnEndSecondPass, &TppCustomReport::DoOnEndSecondPass, ciReportEndSecondPass},
      {&TppCustomReport::OnStartPage, &TppCustomReport::DoOnStartPage, ciReportStartPage},
      {&TppCustomReport::OnEndPage, &TppCustomReport::DoOnEndPage, ciReportEndPage},
      {&TppCustomReport::OnStartColumn, &TppCustomReport::DoOnStartColumn, ciReportStartColumn},
      {&TppCustomReport::OnEndColumn, &TppCustomReport::DoOnEndColumn, ciReportEndColumn},
  };
  for (const Case& C : Cases) {
    Listener.Heard.clear();
    bool HandlerFirst = false;
    Report->*C.Handler = [&](TObject*) { HandlerFirst = Listener.Heard.empty(); };
    (Report->*C.Fire)();
    EXPECT_TRUE(HandlerFirst) << C.Event;
    EXPECT_EQ(std::vector<int>{C.Event}, Listener.Heard);
  }
  Listener.Heard.clear();
  Report->NotifyStartOfReport();
  EXPECT_EQ(std::vector<int>{ciReportGenerationStart}, Listener.Heard);

  // No data: the handler turns the dialog off, a listener asks for the draw command.
  Report->OnNoData = [](TObject*, TObject*, bool& Show, TObject*, bool&) { Show = false; };
  bool Show = true, Add = false;
  Report->DoOnNoData(nullptr, Show, nullptr, Add);
  EXPECT_FALSE(Listener.ShowSeen);
  EXPECT_FALSE(Show);
  EXPECT_TRUE(Add);
  Report->RemoveEventNotify(&Listener);
}

TEST_F(ReportModel, DefaultBandsFollowTheColumnCount) {
  auto Kinds = [this] {
    std::vector<int> K;
    for (int I = 0; I < Report->BandCount(); ++I) K.push_back(Report->GetBands(I)->GetBandType());
    return K;
  };
  Report->CreateDefaultBands();
  EXPECT_EQ((std::vector<int>{btHeader, btDetail, btFooter}), Kinds());
  EXPECT_TRUE(Report->Modified());
  EXPECT_FALSE(Report->DesignState() & dsUpdating);
  Report->CreateDefaultBands();  // has bands: nothing
  EXPECT_EQ(3, Report->BandCount());

  Report->FreeBands();
  Report->SetColumns(2);
  Report->CreateDefaultBands();
  EXPECT_EQ((std::vector<int>{btHeader, btColumnHeader, btDetail, btColumnFooter, btFooter}), Kinds());
  for (int I = 0; I < Report->BandCount(); ++I) EXPECT_EQ(&Form, Report->GetBands(I)->Owner());
}

TEST_F(ReportModel, BandsAreFoundByKindAndKeptInRankOrder) {
  TReportListener Listener;
  Report->AddEventNotify(&Listener);
  TModelBand* Footer = Band(btFooter);
  TModelBand* Detail = Band(btDetail);
  TModelBand* Header = Band(btHeader);
  EXPECT_EQ(Header, Report->GetBands(0));
  EXPECT_EQ(Detail, Report->GetBands(1));
  EXPECT_EQ(Footer, Report->GetBands(2));
  EXPECT_EQ((std::vector<int>{ciReportBandAdd, ciReportBandAdd, ciReportBandAdd}), Listener.Heard);
  EXPECT_EQ(Header, Listener.Senders.back());

  for (int G = 0; G < 2; ++G) {
    auto* Group = new TppGroup(&Form);
    auto* GH = new TModelBand(&Form, btGroupHeader);
    GH->Group = Group;
    Group->SetHeaderBand(GH);
    Group->SetReport(Report);
  }
  EXPECT_EQ(Detail, Report->GetBand(btDetail, 0));
  EXPECT_EQ(nullptr, Report->GetBand(btGroupHeader, 5));
  EXPECT_EQ(Report->GetGroups(1)->HeaderBand(), Report->GetBand(btGroupHeader, 1));
  EXPECT_EQ(nullptr, Report->GetBand(btGroupFooter, 0));
  EXPECT_EQ(nullptr, Report->GetBand(btSummary, 0));
  EXPECT_EQ(nullptr, Report->GetBand(10, 0));

  Listener.Heard.clear();
  Detail->SetReport(nullptr);
  EXPECT_EQ(std::vector<int>{ciReportBandRemove}, Listener.Heard);
  EXPECT_EQ(-1, Report->IndexOfBand(Detail));
  Report->RemoveEventNotify(&Listener);
  Detail->Free();
}

TEST_F(ReportModel, ANewPipelineReachesTheObjectsThatFollowedTheOldOne) {
  TModelBand* Detail = Band(btDetail);
  auto* Unbound = Object<TModelDataComponent>(Detail);
  auto* Named = Object<TModelDataComponent>(Detail, "Name");
  auto* Missing = Object<TModelDataComponent>(Detail, "Price");
  auto* Label = Object<TModelComponent>(Detail);
  auto* Group = new TppGroup(&Form);
  Group->SetBreakName("Price");
  Group->SetReport(Report);
  TppDataSetPipeline* Customers = Pipeline("Customers", {"Name"});
  TppDataSetPipeline* Orders = Pipeline("Orders", {"Name", "Price"});

  EXPECT_TRUE(Report->AutoStop());
  Report->SetDataPipeline(Customers);
  EXPECT_FALSE(Report->AutoStop());
  EXPECT_EQ(Customers, Unbound->GetDataPipeline());
  EXPECT_EQ(Customers, Named->GetDataPipeline());
  EXPECT_EQ(nullptr, Missing->GetDataPipeline());  // Customers has no Price
  EXPECT_EQ(nullptr, Label->GetDataPipeline());    // not data-aware
  EXPECT_EQ(Customers, Group->DataPipeline());     // it had the old one (none)

  // Those on the old pipeline follow; the one that had none now finds its field.
  Report->SetDataPipeline(Orders);
  EXPECT_EQ(Orders, Unbound->GetDataPipeline());
  EXPECT_EQ(Orders, Named->GetDataPipeline());
  EXPECT_EQ(Orders, Missing->GetDataPipeline());
  EXPECT_EQ(Orders, Group->DataPipeline());
  EXPECT_EQ(nullptr, Label->GetDataPipeline());
  std::vector<TppDataPipeline*> All;
  Report->GetDataPipelines(All);
  EXPECT_EQ(std::vector<TppDataPipeline*>{Orders}, All);

  // A freed pipeline leaves the report without one, stopping by itself.
  Orders->Free();
  EXPECT_EQ(nullptr, Report->DataPipeline());
  EXPECT_TRUE(Report->AutoStop());
  Report->SetDataPipeline(Customers);
  Report->SetDataPipeline(nullptr);
  EXPECT_TRUE(Report->AutoStop());
}

TEST_F(ReportModel, LoadingFindsThePipelineByNameAndConvertsOldStreams) {
  TppDataSetPipeline* Orders = Pipeline("Orders", {"Name"});
  // Version 2.999: lengths in the report's units, two passes, no stopping by itself.
  const std::string Text =
      "object TModelReport\n"
      "  Version = '2.999'\n"
      "  Columns = 2\n"
      "  ColumnWidth = 2.5\n"
      "  ColumnPositions.Strings = (\n    '0'\n    '1.5'\n    'x')\n"
      "  DataPipelineName = 'orders'\n"
      "  RulerUnits = utInches\n"
      "  UserName = 'Report'\n"
      "end\n";
  TMemoryStream In, Bin;
  In.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
  In.SetPosition(0);
  ObjectTextToBinary(In, Bin);
  Bin.SetPosition(0);
  ReadComponentFromStream(Bin, Report);

  EXPECT_EQ(Orders, Report->DataPipeline());
  EXPECT_EQ(psTwoPass, Report->PassSetting());
  EXPECT_TRUE(Report->Modified());
  EXPECT_FALSE(Report->AutoStop());
  EXPECT_EQ(2, Report->Columns());
  EXPECT_EQ(63500, Report->mmColumnWidth());
  EXPECT_EQ((std::vector<std::string>{"0", "38100", ""}), LinesOf(Report->StoredColumnPositions()));
  EXPECT_EQ(ppProducerVersionNo, Report->VersionNo());

  // A current stream keeps what it says.
  TMemoryStream Out;
  WriteComponentToStream(Out, Report);
  auto* Again = new TBandedModelReport(&Form);
  Out.SetPosition(0);
  ReadComponentFromStream(Out, Again);
  EXPECT_EQ(psTwoPass, Again->PassSetting());
  EXPECT_FALSE(Again->AutoStop());
  EXPECT_EQ(63500, Again->mmColumnWidth());
  EXPECT_EQ(LinesOf(Report->StoredColumnPositions()), LinesOf(Again->StoredColumnPositions()));
  EXPECT_EQ(Orders, Again->DataPipeline());
}

TEST_F(ReportModel, UpdatesNestAndHoldBackTheModifiedFlag) {
  Report->BeginUpdate();
  Report->BeginUpdate();
  Report->EndUpdate();
  EXPECT_TRUE(Report->DesignState() & dsUpdating);
  Report->SetModified(true);
  EXPECT_FALSE(Report->Modified());
  Report->EndUpdate();
  EXPECT_FALSE(Report->DesignState() & dsUpdating);
  Report->EndUpdate();
  EXPECT_FALSE(Report->DesignState() & dsUpdating);
  Report->BeginUpdate();  // the count did not go below 0
  EXPECT_TRUE(Report->DesignState() & dsUpdating);
  Report->EndUpdate();
  Report->SetModified(true);
  EXPECT_TRUE(Report->Modified());
}

TEST_F(ReportModel, PrintErrorsStopTheEngineAndSayWhy) {
  auto* Engine = new TLimitEngine(Report);
  Report->SetEngine(Engine);
  Engine->SetPrinting(true);
  try {
    Report->PrintError("disco cheio");
    FAIL() << "no error raised";
  } catch (const EPrintError& E) {
    EXPECT_EQ(LanguageString(1023) + "\r\n\r\ndisco cheio", E.Message());
  }
  EXPECT_TRUE(Engine->StopPrinting());
  Engine->SetSilentExceptions(true);
  EXPECT_NO_THROW(Report->PrintError("disco cheio"));
  Engine->SetPrinting(false);
}

TEST_F(ReportModel, EveryReportIsCalledReportAndAParentCannotBeItsOwnChild) {
  EXPECT_EQ("Report", Report->GetUserName());
  EXPECT_EQ(Report, Report->FindUserName("report"));
  auto* Child = new TBandedModelReport(&Form);
  Child->SetParentReport(Report);
  EXPECT_EQ(Report, Child->GetMainReport());
  EXPECT_THROW(Report->SetParentReport(Child), ETalvorError);
  EXPECT_EQ(nullptr, Report->ParentReport());
  Report->Free();
  EXPECT_EQ(nullptr, Child->ParentReport());
  EXPECT_EQ(Child, Child->GetMainReport());
}

}  // namespace reportmodeltest

namespace reportmodeltest {

TEST_F(ReportModel, ScriptsReachTheReportThroughItsDescriptor) {
  TModelBand* Detail = Band(btDetail);
  const TraRTTI* D = TraRTTIClassRegistry::GetRTTIClass(*Report->ClassInfo());
  ASSERT_NE(nullptr, D);
  EXPECT_STREQ("TraTppCustomReportRTTI", D->Name());
  TraValue V;
  ASSERT_TRUE(D->GetPropValue(Report, "BandCount", V));
  EXPECT_EQ(1, V.Ord);
  ASSERT_TRUE(D->GetPropValue(Report, "MainReport", V));
  EXPECT_EQ(Report, V.Obj);
  int Kind = btDetail, GroupIndex = 0;
  TppBand* Found = nullptr;
  auto P = D->GetParams("GetBand");
  ASSERT_NE(nullptr, P);
  P->BindParam(0, &Kind);
  P->BindParam(1, &GroupIndex);
  P->BindParam(2, &Found);
  ASSERT_TRUE(D->CallMethod(Report, "GetBand", P.get()));
  EXPECT_EQ(Detail, Found);
  auto NoData = D->GetParams("OnNoData");
  ASSERT_NE(nullptr, NoData);
  EXPECT_EQ(4, NoData->Count());
}

}  // namespace reportmodeltest

namespace reportmodeltest {

// A detail band that may have a pipeline of its own (the report's is not one).
class TOwnPipelineBand : public TModelBand {
public:
  using TModelBand::TModelBand;
  ~TOwnPipelineBand() override { BeforeDestruction(); }
  TppDataPipeline* GetDataPipeline() const override { return Own ? Own : TModelBand::GetDataPipeline(); }
  void SetDataPipeline(TppDataPipeline* Value) override {
    if (Value != (Report() ? Report()->DataPipeline() : nullptr)) Own = Value;
  }
  TppDataPipeline* Own = nullptr;
};

class TOwnPipelineReport : public TModelReport {
public:
  using TModelReport::TModelReport;
  ~TOwnPipelineReport() override { BeforeDestruction(); }
  TppBand* CreateBand(TppBandType Kind) override { return new TOwnPipelineBand(Owner(), Kind); }
};

TEST_F(ReportModel, ANewDefinitionKeepsTheDetailBandsOwnPipeline) {
  auto* R = new TOwnPipelineReport(&Form);
  TppDataSetPipeline* Customers = Pipeline("Customers", {"Name"});
  TppDataSetPipeline* Orders = Pipeline("Orders", {"Name"});
  R->SetDataPipeline(Customers);
  R->CreateDefaultBands();
  ASSERT_EQ(3, R->BandCount());
  R->GetDetailBand()->SetDataPipeline(Orders);
  Band(btSummary)->SetReport(R);
  ASSERT_EQ(4, R->BandCount());

  R->Template()->New();
  ASSERT_EQ(3, R->BandCount());
  EXPECT_EQ(Orders, R->GetDetailBand()->GetDataPipeline());
  EXPECT_EQ(nullptr, R->GetBand(btSummary, 0));
  // Without a pipeline of its own the new detail band follows the report's.
  static_cast<TOwnPipelineBand*>(R->GetDetailBand())->Own = nullptr;
  R->Template()->New();
  EXPECT_EQ(Customers, R->GetDetailBand()->GetDataPipeline());
  EXPECT_EQ(nullptr, static_cast<TOwnPipelineBand*>(R->GetDetailBand())->Own);
}

TEST_F(ReportModel, TheEngineComesFromTheInstalledFactory) {
  EXPECT_EQ(nullptr, TppCustomReport(nullptr).Engine());
  SetReportEngineFactory([](TppCustomReport& R) { return new TLimitEngine(&R); });
  TFinally Uninstall([] { SetReportEngineFactory(nullptr); });
  auto* R = new TModelReport(&Form);
  auto* Engine = dynamic_cast<TLimitEngine*>(R->Engine());
  ASSERT_NE(nullptr, Engine);
  EXPECT_EQ(R, Engine->Owner());
  R->SetPageLimit(1);
  Engine->SetAbsolutePageNo(1);
  Engine->DoOnEndPage();
  EXPECT_EQ(1, Engine->Reached);
  std::vector<TppCacheable*> Cacheables;
  R->GetCacheables([&](TppCacheable* C) { Cacheables.push_back(C); });
  EXPECT_EQ(std::vector<TppCacheable*>{Engine}, Cacheables);
  R->Free();
}

}  // namespace reportmodeltest
