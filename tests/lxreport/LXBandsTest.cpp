#include "lxreport/LXBands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lxreport/LXConsts.h"
#include "lxreport/LXController.h"
#include "lxreport/LXPrintable.h"
#include "platform/app/Dialogs.h"
#include "platform/app/DialogService.h"
#include "platform/data/MemDataSet.h"
#include "tests/lxreport/LXReportTestSupport.h"

using namespace lxtest;

namespace {
// The band list as the names of its bands.
std::vector<std::string> Order(const TCustomVexaRep& R) {
  std::vector<std::string> Names;
  for (const TLXCustomBand* B : R.BandList()) Names.push_back(B->Name());
  return Names;
}

// Typed before it joins the report, so the bands no controller places keep the order they came in.
template <class T = TLXBand>
T* Band(TComponent* Owner, TCustomVexaRep* Report, const std::string& Name, TLXBandType Type = rbDetail) {
  auto* B = new T(Owner);
  B->SetName(Name);
  if constexpr (std::is_same_v<T, TLXBand>) B->SetBandType(Type);
  B->SetParent(Report);
  return B;
}

TLXChildBand* Child(TComponent* Owner, TCustomVexaRep* Report, const std::string& Name, TLXCustomBand* Of) {
  auto* C = Band<TLXChildBand>(Owner, Report, Name);
  C->SetParentBand(Of);
  return C;
}

class LXBandsTest : public ::testing::Test {
protected:
  TGeometryScope Geometry;
  TComponent Form{nullptr};
};
}  // namespace

TEST_F(LXBandsTest, BandTypesHaveTitlesAndNamePrefixes) {
  struct Case {
    TLXBandType Type;
    const char *Title, *Prefix;
  } const Cases[] = {{rbTitle, "Title", "TitleBand"},
                     {rbPageHeader, "Page Header", "PageHeaderBand"},
                     {rbDetail, "Detail", "DetailBand"},
                     {rbPageFooter, "Page Footer", "PageFooterBand"},
                     {rbSummary, "Summary", "SummaryBand"},
                     {rbGroupHeader, "Group Header", "GroupHeaderBand"},
                     {rbGroupFooter, "Group Footer", "GroupFooterBand"},
                     {rbSubDetail, "Sub Detail", "SubDetailBand"},
                     {rbColumnHeader, "Column Header", "ColumnHeaderBand"},
                     {rbOverlay, "Overlay", "OverlayBand"},
                     {rbChild, "Child", "ChildBand"}};
  TLXBand B(nullptr);
  for (const Case& K : Cases) {
    B.SetBandType(K.Type);
    EXPECT_EQ(B.BandTypeTitle(), K.Title);
    EXPECT_EQ(B.BandNamePrefix(), K.Prefix);
  }
  EXPECT_EQ(TLXChildBand(nullptr).BandTypeTitle(), "Child");
  EXPECT_EQ(TLXSubDetail(nullptr).BandNamePrefix(), "SubDetailBand");
}

TEST_F(LXBandsTest, OrderFollowsWhatARunMeets) {
  struct Case {
    const char* What;
    bool WithController;  // a TVexaRep: title, detail and summary are its controller's bands
    std::vector<std::string> Want;
  } const Cases[] = {
      {"report over a data set", true,
       {"PageHeader", "Title", "TitleChild", "ColumnHeader", "Group", "Before", "Detail", "DetailChild", "DetailGrandChild",
        "After", "AfterFooter", "GroupFooter", "Summary", "PageFooter", "Overlay", "Loose"}},
      {"report without controller bands", false,
       {"PageHeader", "Title", "TitleChild", "ColumnHeader", "PageFooter", "Summary", "Detail", "DetailChild",
        "DetailGrandChild", "Overlay", "Loose", "Group", "GroupFooter", "Before", "After", "AfterFooter"}},
  };
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.What);
    TComponent Owner(nullptr);
    std::unique_ptr<TCustomVexaRep, TComponentDeleter> R(K.WithController ? new TVexaRep(&Owner)
                                                                          : new TCustomVexaRep(&Owner));
    // Made in a scrambled order; each change of type, parent band or master orders the list again.
    Band(&Owner, R.get(), "Summary", rbSummary);
    auto* Detail = Band(&Owner, R.get(), "Detail", rbDetail);
    Band(&Owner, R.get(), "PageFooter", rbPageFooter);
    Band(&Owner, R.get(), "Overlay", rbOverlay);
    auto* DetailChild = Child(&Owner, R.get(), "DetailChild", Detail);
    Child(&Owner, R.get(), "DetailGrandChild", DetailChild);
    auto* Title = Band(&Owner, R.get(), "Title", rbTitle);
    Child(&Owner, R.get(), "TitleChild", Title);
    Band(&Owner, R.get(), "ColumnHeader", rbColumnHeader);
    Band(&Owner, R.get(), "PageHeader", rbPageHeader);
    Band(&Owner, R.get(), "Loose", rbGroupHeader);  // a group header of nobody
    auto* Group = Band<TLXGroup>(&Owner, R.get(), "Group");
    Group->SetFooterBand(Band(&Owner, R.get(), "GroupFooter", rbGroupFooter));
    auto* Before = Band<TLXSubDetail>(&Owner, R.get(), "Before");
    Before->SetPrintBefore(true);
    auto* After = Band<TLXSubDetail>(&Owner, R.get(), "After");
    After->SetFooterBand(Band(&Owner, R.get(), "AfterFooter", rbGroupFooter));
    EXPECT_EQ(Group->Master(), R.get());
    EXPECT_EQ(After->Master(), R.get());
    EXPECT_EQ(Order(*R), K.Want);
  }
}

TEST_F(LXBandsTest, LayoutStacksBandsAndGivesColumnBandsTheColumnWidth) {
  auto R = NewReport(&Form);
  TLXPage& P = *R->Page();
  P.SetColumns(2);
  P.SetColumnSpace(5);  // A4, 10 mm margins: (1900 - 50) / 2 = 925 per column
  struct Case {
    const char* Name;
    TLXBandType Type;
    long double Width;  // native
  } const Cases[] = {
      {"Title", rbTitle, 1900},           {"PageHeader", rbPageHeader, 1900}, {"ColumnHeader", rbColumnHeader, 925},
      {"Detail", rbDetail, 925},          {"GroupHeader", rbGroupHeader, 925}, {"GroupFooter", rbGroupFooter, 925},
      {"PageFooter", rbPageFooter, 1900}, {"Summary", rbSummary, 1900},       {"Overlay", rbOverlay, 1900},
  };
  for (const Case& K : Cases) Band(&Form, R.get(), K.Name, K.Type);
  Child(&Form, R.get(), "TitleChild", R->BandOfType(rbTitle));
  Child(&Form, R.get(), "DetailChild", R->BandOfType(rbDetail));
  R->BandOfType(rbDetail)->Size()->SetHeight(30);  // mm

  int Y = RoundPixels(100 / 254.0L * 96);  // the top margin: 38
  for (const TLXCustomBand* B : R->BandList()) {
    SCOPED_TRACE(B->Name());
    EXPECT_EQ(B->Left(), 38);
    EXPECT_EQ(B->Top(), Y);
    Y += B->Height();
    long double Want = 925;
    for (const Case& K : Cases)
      if (B->Name() == K.Name) Want = K.Width;
    if (B->Name() == "TitleChild") Want = 1900;  // a child band is as wide as its parent's type says
    EXPECT_EQ(B->Size()->Native(TLXBandSize::WidthIndex), Want);
    EXPECT_EQ(B->Width(), RoundPixels(Want / 254 * 96));
  }
  const TLXCustomBand* Detail = R->BandOfType(rbDetail);
  EXPECT_EQ(Detail->Height(), RoundPixels(300 / 254.0L * 96));
  EXPECT_EQ(Detail->Size()->Native(TLXBandSize::LengthIndex), 300);  // not bent to whole pixels by the layout

  // A band dragged on the design surface takes the new height; the layout keeps it stacked.
  TLXCustomBand* Title = R->BandOfType(rbTitle);
  Title->SetBounds(Title->Left(), Title->Top(), Title->Width(), 60);
  EXPECT_EQ(Title->Height(), 60);
  EXPECT_NEAR(static_cast<double>(Title->Size()->Native(TLXBandSize::LengthIndex)), 60 * 254 / 96.0, 1e-9);
  const auto& List = R->BandList();
  size_t At = std::find(List.begin(), List.end(), Title) - List.begin();
  ASSERT_LT(At + 1, List.size());
  EXPECT_EQ(List[At + 1]->Top(), Title->Top() + 60);
  // A new width is the layout's to decide.
  Title->SetBounds(Title->Left(), Title->Top(), 10, 60);
  EXPECT_EQ(Title->Size()->Native(TLXBandSize::WidthIndex), 1900);

  // Zoom 200 doubles the pixels, not the lengths.
  R->SetZoom(200);
  EXPECT_EQ(Title->Height(), 120);
  EXPECT_EQ(Title->Left(), RoundPixels(200 / 254.0L * 96));
  R->SetZoom(0);
  R->SetZoom(301);
  EXPECT_EQ(R->Zoom(), 200);
}

TEST_F(LXBandsTest, ChildBandsComeAndGoWithHasChild) {
  auto R = NewReport(&Form);
  auto* Detail = Band(&Form, R.get(), "Detail");
  Detail->SetHasChild(true);
  Detail->SetHasChild(true);
  ASSERT_EQ(R->BandList().size(), 2u);
  auto* First = dynamic_cast<TLXChildBand*>(Detail->FindChild());
  ASSERT_NE(First, nullptr);
  EXPECT_EQ(First->ParentBand(), Detail);
  EXPECT_EQ(First->Owner(), &Form);
  First->SetName("First");
  First->SetHasChild(true);
  TLXCustomBand* Second = First->FindChild();
  ASSERT_NE(Second, nullptr);
  Second->SetName("Second");
  EXPECT_EQ(Order(*R), (std::vector<std::string>{"Detail", "First", "Second"}));
  Detail->SetHasChild(false);  // the grandchild moves up
  EXPECT_EQ(Detail->FindChild(), Second);
  EXPECT_EQ(Order(*R), (std::vector<std::string>{"Detail", "Second"}));
  // A band on no report has no child to make.
  TLXBand Alone(nullptr);
  Alone.SetHasChild(true);
  EXPECT_FALSE(Alone.HasChild());
}

TEST_F(LXBandsTest, CircularLinksAreRefusedAndSaidSoOnlyAtDesignTime) {
  for (bool Designing : {false, true}) {
    SCOPED_TRACE(Designing ? "design time" : "run time");
    auto* Dialogs = new TScriptedDialogService;
    TDialogServiceScope Scope{std::unique_ptr<TDialogService>(Dialogs)};
    TComponent Owner(nullptr);
    Owner.SetDesigning(Designing);
    auto R = NewReport(&Owner);
    auto* A = Band(&Owner, R.get(), "A");
    auto* B = Band(&Owner, R.get(), "B");
    A->SetLinkBand(B);
    B->SetLinkBand(A);
    EXPECT_EQ(B->LinkBand(), nullptr);
    A->SetLinkBand(A);
    EXPECT_EQ(A->LinkBand(), B);

    auto* C1 = Child(&Owner, R.get(), "C1", A);
    auto* C2 = Child(&Owner, R.get(), "C2", C1);
    C1->SetParentBand(C2);
    EXPECT_EQ(C1->ParentBand(), A);

    auto* S1 = Band<TLXSubDetail>(&Owner, R.get(), "S1");
    auto* S2 = Band<TLXSubDetail>(&Owner, R.get(), "S2");
    S2->SetMaster(S1);
    S1->SetMaster(S2);
    EXPECT_EQ(S1->Master(), R.get());
    S1->SetMaster(S1);  // itself: ignored without a word
    EXPECT_EQ(S1->Master(), R.get());

    size_t Said = Designing ? 4 : 0;
    ASSERT_EQ(Dialogs->Calls.size(), Said);
    if (Designing) EXPECT_EQ(Dialogs->Call<TMessageRequest>(0).Text, SLXCircularLinking);
  }
}

TEST_F(LXBandsTest, BandSwitchesMakeAndFreeBandsNamedWithTheSmallestFreeNumber) {
  auto R = NewReport(&Form);
  TVexaRepBands& Bands = *R->Bands();
  (new TComponent(&Form))->SetName("DetailBand1");
  Bands.SetHas(rbDetail, true);
  Bands.SetHas(rbDetail, true);
  ASSERT_EQ(R->BandList().size(), 1u);
  EXPECT_EQ(R->BandList()[0]->Name(), "DetailBand2");
  EXPECT_EQ(R->BandList()[0]->Owner(), &Form);
  Bands.SetHas(rbTitle, true);
  EXPECT_EQ(R->BandOfType(rbTitle)->Name(), "TitleBand1");
  EXPECT_EQ(Order(*R), (std::vector<std::string>{"TitleBand1", "DetailBand2"}));
  Bands.SetHas(rbDetail, false);
  EXPECT_FALSE(Bands.Has(rbDetail));
  EXPECT_EQ(Form.FindComponent("DetailBand2"), nullptr);

  auto* Sub = Band<TLXSubDetail>(&Form, R.get(), "Sub");
  Sub->Bands()->SetHasHeader(true);
  Sub->Bands()->SetHasFooter(true);
  ASSERT_NE(Sub->HeaderBand(), nullptr);
  EXPECT_EQ(Sub->HeaderBand()->BandType(), rbGroupHeader);
  EXPECT_EQ(Sub->FooterBand()->BandType(), rbGroupFooter);
  EXPECT_EQ(Order(*R), (std::vector<std::string>{"TitleBand1", "GroupHeaderBand1", "Sub", "GroupFooterBand1"}));
  Sub->Bands()->SetHasHeader(false);
  EXPECT_EQ(Sub->HeaderBand(), nullptr);
  EXPECT_EQ(Form.FindComponent("GroupHeaderBand1"), nullptr);
}

TEST_F(LXBandsTest, FreeNotificationClearsEveryReference) {
  auto R = NewReport(&Form);
  auto* Detail = Band(&Form, R.get(), "Detail");
  auto* Linked = Band(&Form, R.get(), "Linked");
  Detail->SetLinkBand(Linked);
  auto* Kid = Child(nullptr, R.get(), "Kid", Detail);  // not owned by the form: only free notification tells it
  auto* Master = Band<TLXSubDetail>(&Form, R.get(), "Master");
  auto* Sub = Band<TLXSubDetail>(&Form, R.get(), "Sub");
  Sub->SetMaster(Master);
  auto* Header = Band(&Form, R.get(), "Header");
  auto* Footer = Band(&Form, R.get(), "Footer");
  Sub->SetHeaderBand(Header);
  Sub->SetFooterBand(Footer);
  auto* Data = new TMemoryDataSet(&Form);
  auto* SubData = new TMemoryDataSet(&Form);
  R->SetDataSet(Data);
  Sub->SetDataSet(SubData);
  auto* Group = Band<TLXGroup>(&Form, R.get(), "Group");
  auto* GroupFooter = Band(&Form, R.get(), "GroupFooter", rbGroupFooter);
  Group->SetFooterBand(GroupFooter);
  Group->SetMaster(Sub);

  Linked->Free();
  EXPECT_EQ(Detail->LinkBand(), nullptr);
  Detail->Free();
  EXPECT_EQ(Kid->ParentBand(), nullptr);
  Header->Free();
  Footer->Free();
  EXPECT_EQ(Sub->HeaderBand(), nullptr);
  EXPECT_EQ(Sub->FooterBand(), nullptr);
  SubData->Free();
  Data->Free();
  EXPECT_EQ(Sub->DataSet(), nullptr);
  EXPECT_EQ(R->DataSet(), nullptr);
  GroupFooter->Free();
  EXPECT_EQ(Group->FooterBand(), nullptr);
  Sub->Free();
  EXPECT_EQ(Group->Master(), nullptr);
  Master->Free();
  // Group stood among its master's bands, before the orphaned Kid; both keep that order.
  EXPECT_EQ(Order(*R), (std::vector<std::string>{"Group", "Kid"}));
}

TEST_F(LXBandsTest, ABandGivenAsParentHandsOverItsReport) {
  auto R = NewReport(&Form);
  auto* Detail = Band(&Form, R.get(), "Detail");
  auto* Other = new TLXBand(&Form);
  Other->SetParent(Detail);
  EXPECT_EQ(Other->Parent(), R.get());
  EXPECT_EQ(Other->Report(), R.get());
  Other->SetParent(nullptr);  // off the report: out of its list, no report left
  EXPECT_EQ(R->BandList().size(), 1u);
  EXPECT_EQ(Other->Report(), nullptr);
  R.reset();  // the report frees the bands still on it; Other stays with the form
  EXPECT_EQ(Form.ComponentCount(), 1);
}
