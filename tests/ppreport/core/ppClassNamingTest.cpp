// The report's naming of its objects, its sub-report lists and its walk over cacheable objects.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ppreport/core/ppTemplate.h"
#include "tests/ppreport/core/ppModelTestSupport.h"

namespace {

using namespace pptest;

class TNamingLabel : public TModelComponent {
  DECLARE_CLASSINFO(TNamingLabel)
public:
  using TModelComponent::TModelComponent;
  ~TNamingLabel() override { BeforeDestruction(); }
};

// A sub-report holding a child report of its own.
class TNamingSubReport : public TModelComponent {
  DECLARE_CLASSINFO(TNamingSubReport)
public:
  explicit TNamingSubReport(TComponent* AOwner) : TModelComponent(AOwner), Child(new TModelReport(AOwner)) {}
  ~TNamingSubReport() override { BeforeDestruction(); }
  bool IsSubReport() const override { return true; }
  TppCustomReport* ChildReport() const override { return Child; }
  TModelReport* Child;
};

const TClassInfo& TNamingLabel::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TNamingLabel>("TppLabel", &TModelComponent::StaticClassInfo());
  return Info;
}

const TClassInfo& TNamingSubReport::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TNamingSubReport>("TppSubReport", &TModelComponent::StaticClassInfo());
  return Info;
}

class ReportNaming : public ::testing::Test {
protected:
  TComponent Form{nullptr};
  TModelReport* Report = new TModelReport(&Form);
  TModelBand* Detail = new TModelBand(&Form, btDetail);
  TppGroup* Group = new TppGroup(&Form);
  TModelBand* GroupHeader = new TModelBand(&Form, btGroupHeader);
  void SetUp() override {
    Detail->SetReport(Report);
    GroupHeader->Group = Group;
    Group->SetHeaderBand(GroupHeader);
    Group->SetReport(Report);
  }
  template <class T>
  T* Add(TppBand* Band, const std::string& UserName) {
    auto* C = new T(&Form);
    C->SetBand(Band);
    if (!UserName.empty()) C->SetUserName(UserName);
    return C;
  }
};

// Numbers are counted over every band (group bands too), the first gap is taken, and names that
// are not the base followed by a number above 0 do not count.
TEST_F(ReportNaming, NewObjectTakesTheFirstFreeNumberOfItsKind) {
  struct Case {
    std::vector<std::string> InDetail, InGroupHeader;
    std::string OtherKind, Expected;
  };
  const std::vector<Case> Cases = {
      {{"Label1", "Label2", "Label4"}, {}, "", "Label3"},
      {{"Label1"}, {"Label2"}, "", "Label3"},
      {{}, {}, "", "Label1"},
      // Another kind with the name is not counted.
      {{}, {}, "Label1", "Label1"},
      {{"Label2"}, {"Label3"}, "", "Label1"},
      {{"Label0", "Label1x", "Total"}, {"label1"}, "", "Label2"},
      {{"Label99999999999"}, {}, "", "Label1"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(::testing::PrintToString(C.InDetail) + ::testing::PrintToString(C.InGroupHeader));
    std::vector<TNamingLabel*> Made;
    for (const std::string& N : C.InDetail) Made.push_back(Add<TNamingLabel>(Detail, N));
    for (const std::string& N : C.InGroupHeader) Made.push_back(Add<TNamingLabel>(GroupHeader, N));
    auto* Other = Add<TModelComponent>(Detail, C.OtherKind);
    TNamingLabel Fresh(&Form);
    EXPECT_EQ(Report->GetUniqueUserName(&Fresh), C.Expected);
    // An object of the report asks through its band and gets the same answer.
    EXPECT_EQ(Made.empty() ? C.Expected : Made.front()->GetUniqueUserName(&Fresh), C.Expected);
    for (auto* M : Made) delete M;
    delete Other;
  }
  // A band keeps its own user name.
  Detail->SetUserName("Detalhe");
  EXPECT_EQ(Report->GetUniqueUserName(Detail), "Detalhe");
}

TEST_F(ReportNaming, SubReportsAreNumberedAndListedOverTheWholeTree) {
  auto* A = Add<TNamingSubReport>(Detail, "SubReport1");
  A->SetCaption("A");
  auto* ChildBand = new TModelBand(&Form, btDetail);
  ChildBand->SetReport(A->Child);
  auto* B = Add<TNamingSubReport>(ChildBand, "SubReport2");
  B->SetCaption("B");
  auto* C = Add<TNamingSubReport>(GroupHeader, "SubReport4");
  C->SetCaption("C");

  TNamingSubReport Fresh(&Form);
  EXPECT_EQ(Report->GetUniqueUserName(&Fresh), "SubReport3");
  // Inside the child report only its own tree counts.
  EXPECT_EQ(A->Child->GetUniqueUserName(&Fresh), "SubReport1");

  TppCustomReport::TSubReportList All, Own;
  Report->GetAllSubReports(All);
  Report->GetSubReports(Own);
  // Bands in rank order: the group header (C) before the detail band (A, holding B).
  const TppCustomReport::TSubReportList ExpectedAll = {{"C", C->Child}, {"A", A->Child}, {"B", B->Child}};
  const TppCustomReport::TSubReportList ExpectedOwn = {{"C", C->Child}, {"A", A->Child}};
  EXPECT_EQ(All, ExpectedAll);
  EXPECT_EQ(Own, ExpectedOwn);
}

TEST_F(ReportNaming, SubReportsInPrintOrderPutTheFirstGroupInTheDetailsPlace) {
  // Bands in list order: the group header, the title, the detail, the summary.
  Detail->SetReport(nullptr);
  auto* Title = new TModelBand(&Form, btTitle);
  Title->SetReport(Report);
  Detail->SetReport(Report);
  auto* Summary = new TModelBand(&Form, btSummary);
  Summary->SetReport(Report);
  auto* InTitle = Add<TNamingSubReport>(Title, "");
  auto* InDetail = Add<TNamingSubReport>(Detail, "");
  auto* InSummary = Add<TNamingSubReport>(Summary, "");
  Add<TNamingLabel>(Detail, "");

  std::vector<TComponent*> Order;
  Report->GetSubReportsInPrintOrder(Order);
  EXPECT_EQ(Order, (std::vector<TComponent*>{InTitle, Group, InSummary}));
  delete Group;
  Order.clear();
  Report->GetSubReportsInPrintOrder(Order);
  EXPECT_EQ(Order, (std::vector<TComponent*>{InTitle, InDetail, InSummary}));
  // Without a detail band nothing is lost.
  Detail->SetReport(nullptr);
  Order.clear();
  Report->GetSubReportsInPrintOrder(Order);
  EXPECT_EQ(Order, (std::vector<TComponent*>{InTitle, InSummary}));
}

TEST_F(ReportNaming, FindUserNameLooksInTheReportFirst) {
  Report->SetUserName("Report");
  // An object outside the report takes the name first; the report's own object of that name wins.
  auto* Outside = new TModelComponent(&Form);
  Outside->SetUserName("Total");
  auto* Total = Add<TNamingLabel>(GroupHeader, "Total");
  ASSERT_EQ(Total->GetUserName(), "Total");
  auto* Label = Add<TNamingLabel>(Detail, "Label1");
  Detail->SetUserName("Detalhe");
  Group->SetUserName("Grupo");
  auto* Pipeline = new TppCommunicator(&Form);
  Pipeline->SetUserName("Dados");

  const std::map<std::string, TppCommunicator*> Expected = {
      {"report", Report}, {"TOTAL", Total},     {"label1", Label},  {"Detalhe", Detail},
      {"grupo", Group},   {"Dados", Pipeline}, {"Nenhum", nullptr},
  };
  for (const auto& [Name, Found] : Expected) EXPECT_EQ(Report->FindUserName(Name), Found) << Name;
  // By component name: case-sensitive, with where it is.
  Label->SetName("ppLabel1");
  int BandIndex = -1, ObjectIndex = -1;
  EXPECT_TRUE(Report->FindObjectByName("ppLabel1", BandIndex, ObjectIndex));
  EXPECT_EQ(Report->GetBands(BandIndex)->GetObjects(ObjectIndex), Label);
  EXPECT_FALSE(Report->FindObjectByName("pplabel1", BandIndex, ObjectIndex));
  EXPECT_EQ(BandIndex + ObjectIndex, 0);
  // An object outside the report's bands is not the report's to answer.
  Outside->SetUserName("Solto");
  EXPECT_EQ(Report->FindUserName("Solto"), nullptr);
}

TEST_F(ReportNaming, RenamingWhileDesigningRenamesObjectsNamedAfterTheReport) {
  Report->SetName("Report1");
  auto* Owned = Add<TNamingLabel>(Detail, "");
  Owned->SetName("Report1Label1");
  auto* Plain = Add<TNamingLabel>(GroupHeader, "");
  Plain->SetName("Label1");
  Group->SetName("Report1Group1");

  // Not designing: names stay.
  Report->SetName("Vendas");
  EXPECT_EQ(Owned->Name(), "Report1Label1");

  Report->SetName("Report1");
  Report->AddDesignState(1);
  Report->SetName("Sales");
  EXPECT_EQ(Report->Name(), "Sales");
  EXPECT_EQ(Owned->Name(), "SalesLabel1");
  EXPECT_EQ(Plain->Name(), "Label1");
  EXPECT_EQ(Group->Name(), "SalesGroup1");
  EXPECT_EQ(GroupHeader->Name(), "");

  // A report without a name is no prefix of every name.
  TModelReport Unnamed(nullptr);
  auto* Band = new TModelBand(nullptr, btDetail);
  Band->SetReport(&Unnamed);
  auto* Lone = new TNamingLabel(nullptr);
  Lone->SetBand(Band);
  Lone->SetName("Label1");
  Unnamed.AddDesignState(1);
  Unnamed.SetName("Novo");
  EXPECT_EQ(Lone->Name(), "Label1");
  delete Lone;
  delete Band;
}

TEST_F(ReportNaming, CacheWalkVisitsEveryObjectOfTheTreeOnce) {
  auto* Label = Add<TNamingLabel>(Detail, "");
  auto* Sub = Add<TNamingSubReport>(GroupHeader, "");
  auto* ChildBand = new TModelBand(&Form, btDetail);
  ChildBand->SetReport(Sub->Child);
  auto* Inner = Add<TNamingLabel>(ChildBand, "");
  auto* ChildGroup = new TppGroup(&Form);
  ChildGroup->SetReport(Sub->Child);

  std::map<TppCacheable*, int> Seen;
  Report->GetCacheables([&](TppCacheable* C) { ++Seen[C]; });
  const std::vector<TppCacheable*> Expected = {Group, Detail, GroupHeader, Label, Sub, ChildBand, Inner, ChildGroup};
  EXPECT_EQ(Seen.size(), Expected.size());
  for (TppCacheable* C : Expected) EXPECT_EQ(Seen[C], 1);
}

TEST_F(ReportNaming, ReportDesignerReachesEverySubReportAndSurvivesTransfer) {
  auto* Sub = Add<TNamingSubReport>(Detail, "");
  auto* Label = Add<TNamingLabel>(Detail, "");
  TComponent Designer(nullptr);
  Report->SetReportDesigner(&Designer);
  EXPECT_EQ(Report->GetReportDesigner(), &Designer);
  EXPECT_EQ(Sub->Child->GetReportDesigner(), &Designer);
  EXPECT_EQ(Label->GetReportDesigner(), &Designer);

  // A designed report kept as a template: coming back after a transfer it does not load the
  // template (the file does not exist, a load would raise) over what was moved in.
  Report->SetDesigning(true, false);
  Report->SetSaveAsTemplate(true);
  Report->Template()->SetFileName("/nonexistent/naming.rtm");
  TModelReport Source(&Form);
  Source.SetSaveAsTemplate(true);
  Source.Template()->SetFileName("/nonexistent/naming.rtm");
  auto* SourceBand = new TModelBand(&Form, btDetail);
  SourceBand->SetReport(&Source);
  auto* Moved = Add<TNamingSubReport>(SourceBand, "");
  EXPECT_NO_THROW(Report->Transfer(&Source));
  EXPECT_EQ(Report->GetReportDesigner(), &Designer);
  // The sub-report moved in answers to the designer too.
  EXPECT_EQ(Moved->Child->GetReportDesigner(), &Designer);
  Report->SetReportDesigner(nullptr);
  EXPECT_EQ(Moved->Child->GetReportDesigner(), nullptr);
}

// The definition moves whole: settings, bands with their objects, groups with their bands, all
// into the target's owner; the old definition of the target is gone.
TEST_F(ReportNaming, TransferMovesTheDefinitionIntoTheTargetsOwner) {
  TComponent OtherForm(nullptr);
  auto* Source = new TModelReport(&OtherForm);
  auto* SourceDetail = new TModelBand(&OtherForm, btDetail);
  SourceDetail->SetReport(Source);
  auto* Label = new TNamingLabel(&OtherForm);
  Label->SetBand(SourceDetail);
  auto* SourceGroup = new TppGroup(&OtherForm);
  auto* SourceHeader = new TModelBand(&OtherForm, btGroupHeader);
  SourceHeader->Group = SourceGroup;
  SourceGroup->SetHeaderBand(SourceHeader);
  SourceGroup->SetReport(Source);
  Source->SetColumns(3);
  Source->SetmmColumnWidth(50000);
  const int ResetsBefore = Report->Resets;

  Report->Transfer(Source);
  EXPECT_EQ(Source->BandCount(), 0);
  EXPECT_EQ(Source->GroupCount(), 0);
  ASSERT_EQ(Report->BandCount(), 2);
  ASSERT_EQ(Report->GroupCount(), 1);
  EXPECT_EQ(Report->GetGroup(0), SourceGroup);
  EXPECT_EQ(SourceGroup->HeaderBand(), SourceHeader);
  EXPECT_NE(Report->IndexOfBand(SourceDetail), -1);
  EXPECT_NE(Report->IndexOfBand(SourceHeader), -1);
  for (TComponent* C : std::vector<TComponent*>{SourceDetail, SourceHeader, SourceGroup})
    EXPECT_EQ(C->Owner(), &Form) << C->ClassName();
  EXPECT_EQ(Label->GetReport(), Report);
  EXPECT_EQ(Report->Columns(), 3);
  EXPECT_EQ(Report->mmColumnWidth(), 50000);
  EXPECT_GT(Report->Resets, ResetsBefore);
  delete Source;
}

}  // namespace

namespace {

// Outline participants as a table of children; an entry lists itself to show the search ends.
TEST(ReportOutline, TheContainerIsTheParticipantListingTheObject) {
  TObject Main, Group, Sub, Label, Stray;
  std::map<TObject*, std::vector<TObject*>> Children = {
      {&Main, {&Group}}, {&Group, {&Group, &Sub}}, {&Sub, {&Label}}};
  auto ChildrenOf = [&](TObject* P) {
    auto It = Children.find(P);
    return It == Children.end() ? std::vector<TObject*>{} : It->second;
  };
  EXPECT_EQ(&Sub, TppCustomReport::FindObjectContainer(&Main, &Label, ChildrenOf));
  EXPECT_EQ(&Main, TppCustomReport::FindObjectContainer(&Main, &Group, ChildrenOf));
  EXPECT_EQ(nullptr, TppCustomReport::FindObjectContainer(&Main, &Stray, ChildrenOf));
  EXPECT_EQ(nullptr, TppCustomReport::FindObjectContainer(&Label, &Sub, ChildrenOf));
}

}  // namespace
