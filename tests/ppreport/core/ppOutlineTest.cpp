// The outline built while pages are generated, driven as the engine drives it: a report, its
// groups and sub-reports answer the participant interface, the test fires the band and page
// events in generation order and reads the copy of the tree stored in each page.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"
#include "ppreport/core/ppOutline.h"
#include "ppreport/core/ppOutlineDrawCommand.h"
#include "ppreport/core/ppOutlineGroupNodeCreator.h"
#include "ppreport/core/ppOutlineNode.h"
#include "ppreport/core/ppOutlineReportNodeCreator.h"
#include "ppreport/core/ppOutlineReportSettings.h"
#include "tests/ppreport/core/ppModelTestSupport.h"
#include "tests/ppreport/core/ppPageTestSupport.h"

using namespace pptest;

namespace outlinetest {

// A report as the outline sees it.
class TOutlineReport : public TModelReport, public IppOutlineReportParticipant {
  DECLARE_CLASSINFO(TOutlineReport)
public:
  explicit TOutlineReport(TComponent* AOwner) : TModelReport(AOwner), Settings(this) {}
  ~TOutlineReport() override { BeforeDestruction(); }
  std::vector<TComponent*> GetOutlineChildren() const override {
    std::vector<TComponent*> List;
    GetSubReportsInPrintOrder(List);
    return List;
  }
  TComponent* GetOutlineParent() const override { return nullptr; }
  const TClassInfo& GetNodeCreatorClass() const override { return TppOutlineReportNodeCreator::StaticClassInfo(); }
  TppOutlineSettings* GetOutlineSettings() const override { return &Settings; }
  void OutlineSettingsChanged() override {
    SetModified(true);
    Reset();
  }
  TppCustomReport* GetOutlineReport() override { return this; }
  std::string GetOutlineCaption() override { return Caption; }
  bool IsOutlineSubReport() override { return false; }
  bool IsOutlineSection() override { return true; }
  bool IsLastBandGenerated() override { return LastBand; }
  bool IsOutlineDrillDownActive() override { return false; }

  mutable TppOutlineReportSettings Settings;
  std::string Caption = "Relatório: Clientes";
  bool LastBand = false;
};

// A sub-report with its own child report; a section makes a node of its own.
class TOutlineSubReport : public TModelComponent, public IppOutlineReportParticipant {
  DECLARE_CLASSINFO(TOutlineSubReport)
public:
  explicit TOutlineSubReport(TComponent* AOwner)
      : TModelComponent(AOwner), Child(new TOutlineReport(AOwner)), Settings(this) {}
  ~TOutlineSubReport() override { BeforeDestruction(); }
  bool IsSubReport() const override { return true; }
  TppCustomReport* ChildReport() const override { return Child; }
  std::vector<TComponent*> GetOutlineChildren() const override { return Child->GetOutlineChildren(); }
  TComponent* GetOutlineParent() const override { return nullptr; }
  const TClassInfo& GetNodeCreatorClass() const override { return TppOutlineReportNodeCreator::StaticClassInfo(); }
  TppOutlineSettings* GetOutlineSettings() const override { return &Settings; }
  void OutlineSettingsChanged() override {}
  TppCustomReport* GetOutlineReport() override { return Child; }
  std::string GetOutlineCaption() override { return Caption; }
  bool IsOutlineSubReport() override { return true; }
  bool IsOutlineSection() override { return Section; }
  bool IsLastBandGenerated() override { return Child->LastBand; }
  bool IsOutlineDrillDownActive() override { return DrillDown; }

  TOutlineReport* Child;
  mutable TppOutlineSettings Settings;
  std::string Caption = "Pedidos: Pedidos";
  bool Section = true, DrillDown = false;
};

const TClassInfo& TOutlineReport::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TOutlineReport>("TOutlineReport", &TModelReport::StaticClassInfo());
  return Info;
}

const TClassInfo& TOutlineSubReport::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TOutlineSubReport>("TOutlineSubReport", &TModelComponent::StaticClassInfo());
  return Info;
}

// The tree as text: "caption@page" with the children in braces.
std::string Dump(const TppOutlineNode* Node) {
  if (!Node) return "-";
  std::string S;
  for (int I = 0; I < Node->GetChildCount(); ++I) {
    const TppOutlineNode* C = Node->GetOutlineChild(I);
    if (!S.empty()) S += ", ";
    S += C->Caption() + "@" + std::to_string(C->PageReference());
    if (C->GetChildCount() > 0) S += "{" + Dump(C) + "}";
  }
  return S;
}

TppOutlineDrawCommand* OutlineOf(const TppPage& Page) {
  return dynamic_cast<TppOutlineDrawCommand*>(Page.GetOutlineDrawCommand());
}

// A report with a detail band and groups; the test plays the engine.
class OutlineRun : public ::testing::Test {
protected:
  TComponent Form{nullptr};
  TOutlineReport* Report = new TOutlineReport(&Form);
  TTestEngine Engine{Report};
  TModelBand* Detail = new TModelBand(&Form, btDetail);
  TppOutline Outline{nullptr};
  std::vector<std::unique_ptr<TppPage>> Pages;  // what each page stored
  std::string Value;                            // the group's current break value

  void SetUp() override {
    Report->TestEngine = &Engine;
    Detail->SetReport(Report);
    Outline.SetReport(Report);
  }
  void TearDown() override { Report->TestEngine = nullptr; }

  struct TGroupBands {
    TppGroup* Group;
    TModelBand* Header;
    TModelBand* Footer;
  };
  TGroupBands AddGroup(int32_t HeaderHeight = 5000) {
    TGroupBands G{new TppGroup(&Form), new TModelBand(&Form, btGroupHeader), new TModelBand(&Form, btGroupFooter)};
    G.Header->Group = G.Footer->Group = G.Group;
    G.Header->ChangeHeight(HeaderHeight);
    G.Group->SetHeaderBand(G.Header);
    G.Group->SetFooterBand(G.Footer);
    G.Group->SetReport(Report);
    G.Group->OnGetBreakValue = [this](TObject*, std::string& V) { V = Value; };
    return G;
  }

  void Start() {
    Outline.Initialize();
    Engine.SetAbsolutePageNo(1);
    Report->SendEventNotify(Report, ciReportGenerationStart, nullptr);
  }
  static void Fire(TppBand* Band, int Event) { Band->SendEventNotify(Band, Event, nullptr); }
  // A group value begins (header), its details print, and optionally it ends (footer).
  void Value_(const TGroupBands& G, const std::string& V, bool Ends) {
    Value = V;
    G.Group->InitBreakValue();
    Fire(G.Header, ciBandBeforeGenerate);
    Fire(Detail, ciBandBeforeGenerate);
    Fire(Detail, ciBandBeforeGenerate);
    if (Ends) Fire(G.Footer, ciBandAfterGenerate);
  }
  // The page ends: event 17, then the report stores the outline in the page; the next page begins.
  void EndPage(bool LastBand = false) {
    Report->LastBand = LastBand;
    Engine.Page()->Reset();
    Engine.Page()->SetAbsolutePageNo(Engine.AbsolutePageNo());
    Report->SendEventNotify(Report, ciReportEndPage, nullptr);
    Outline.AddOutlineDrawCommand();
    auto Copy = std::make_unique<TppPage>(nullptr);
    Copy->Assign(Engine.Page());
    Pages.push_back(std::move(Copy));
    Engine.SetAbsolutePageNo(Engine.AbsolutePageNo() + 1);
  }
  std::string PageTree(int No) const { return Dump(OutlineOf(*Pages.at(No - 1))->Tree()); }
};

// Each page holds the tree up to its own end; page nodes go under the innermost open nodes; the
// last page's copy is complete. Without page nodes only the report and its groups remain.
TEST_F(OutlineRun, SnapshotPerPageWithPageNodesUnderInnermostOpenNodes) {
  for (bool PageNodes : {true, false}) {
    SCOPED_TRACE(PageNodes);
    Pages.clear();
    Report->Settings.SetCreatePageNodes(PageNodes);
    TGroupBands G = AddGroup();
    Start();
    Value_(G, "Ana", true);
    Value_(G, "Bia", false);
    EndPage();
    Fire(Detail, ciBandBeforeGenerate);
    Fire(G.Footer, ciBandAfterGenerate);
    Value_(G, "Caio", true);
    EndPage(true);
    if (PageNodes) {
      EXPECT_EQ("Relatório@1{Ana@1{Página 1@1}, Bia@1{Página 1@1}}", PageTree(1));
      EXPECT_EQ("Relatório@1{Ana@1{Página 1@1}, Bia@1{Página 1@1, Página 2@2}, Caio@2{Página 2@2}}", PageTree(2));
    } else {
      EXPECT_EQ("Relatório@1{Ana@1, Bia@1}", PageTree(1));
      EXPECT_EQ("Relatório@1{Ana@1, Bia@1, Caio@2}", PageTree(2));
    }
    EXPECT_FALSE(OutlineOf(*Pages[0])->Completed());
    EXPECT_TRUE(OutlineOf(*Pages[1])->Completed());
    EXPECT_EQ(ntReport, Outline.TreeRoot()->GetOutlineChild(0)->NodeType());
    EXPECT_FALSE(Outline.TreeRoot()->GetOutlineChild(0)->IsOpen()) << "closed with the last band";
    G.Group->SetReport(nullptr);
  }
}

// A group whose header has no height gets its node with its first detail, on that detail's page.
TEST_F(OutlineRun, HiddenHeaderGroupNodeComesWithFirstDetail) {
  TGroupBands G = AddGroup(0);
  Start();
  EndPage();
  Value = "Ana";
  G.Group->InitBreakValue();
  Fire(G.Header, ciBandBeforeGenerate);
  Fire(Detail, ciBandBeforeGenerate);
  Fire(Detail, ciBandBeforeGenerate);
  Fire(G.Footer, ciBandAfterGenerate);
  EndPage(true);
  EXPECT_EQ("Relatório@1{Página 1@1, Ana@2{Página 2@2}}", PageTree(2));
}

// A keep-together group whose node was opened after another on the same page moves to the next
// page: its node is dropped at the page end and made anew there. The first node of a page stays
// (the group continues), and without keep-together nothing is dropped.
TEST_F(OutlineRun, KeepTogetherGroupNodeDroppedWhenItMovesOn) {
  struct Case {
    bool KeepTogether;
    bool OpensPage;  // the moving value is the first of its page
    const char* Page1;
    const char* Page2;
  } Cases[] = {
      {true, false, "Relatório@1{Ana@1{Página 1@1}}", "Relatório@1{Ana@1{Página 1@1}, Bia@2{Página 2@2}}"},
      {false, false, "Relatório@1{Ana@1{Página 1@1}, Bia@1{Página 1@1}}",
       "Relatório@1{Ana@1{Página 1@1}, Bia@1{Página 1@1, Página 2@2}}"},
      {true, true, "Relatório@1{Bia@1{Página 1@1}}", "Relatório@1{Bia@1{Página 1@1, Página 2@2}}"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::string(C.Page1));
    Pages.clear();
    TGroupBands G = AddGroup();
    G.Group->SetKeepTogether(C.KeepTogether);
    Start();
    if (!C.OpensPage) Value_(G, "Ana", true);
    Value_(G, "Bia", false);
    EndPage();
    // The engine starts the moved group again on the new page.
    if (C.KeepTogether && !C.OpensPage) Fire(G.Header, ciBandBeforeGenerate);
    Fire(Detail, ciBandBeforeGenerate);
    Fire(G.Footer, ciBandAfterGenerate);
    EndPage(true);
    EXPECT_EQ(C.Page1, PageTree(1));
    EXPECT_EQ(C.Page2, PageTree(2));
    G.Group->SetReport(nullptr);
  }
}

// A lower group being kept together holds the outer node where it is.
TEST_F(OutlineRun, NoDropWhileALowerGroupIsKeptTogether) {
  TGroupBands Outer = AddGroup();
  TGroupBands Inner = AddGroup();
  Outer.Group->SetKeepTogether(true);
  Start();
  Value = "Ana";
  Outer.Group->InitBreakValue();
  Fire(Outer.Header, ciBandBeforeGenerate);
  Fire(Outer.Footer, ciBandAfterGenerate);
  Value = "Bia";
  Outer.Group->InitBreakValue();
  Fire(Outer.Header, ciBandBeforeGenerate);
  Engine.SetKeepTogetherGroup(Inner.Group);
  Engine.SetPageStarted(false);
  Inner.Group->SaveKeepTogetherState();
  ASSERT_TRUE(Inner.Group->KeptTogether());
  EndPage();
  EXPECT_EQ("Relatório@1{Ana@1{Página 1@1}, Bia@1{Página 1@1}}", PageTree(1));
  Engine.SetKeepTogetherGroup(nullptr);
}

// A node refused by the handler or by its settings is left out of the copies; its children move
// up one level, and one parent never gets two page nodes of the same page.
TEST_F(OutlineRun, RefusedNodesChildrenAreLifted) {
  TGroupBands G = AddGroup();
  G.Group->OutlineSettings()->SetCreateNode(false);
  Start();
  Value_(G, "Ana", true);
  Value_(G, "Bia", true);
  EndPage(true);
  EXPECT_EQ("Relatório@1{Página 1@1}", PageTree(1));
  EXPECT_FALSE(Outline.TreeRoot()->GetOutlineChild(0)->GetOutlineChild(0)->Accepted());

  G.Group->OutlineSettings()->SetCreateNode(true);
  std::vector<std::string> Asked;
  Outline.OnNodeCreate = [&](TObject* Sender, TObject* Node, bool& Accept) {
    auto* N = static_cast<TppOutlineNode*>(Node);
    Asked.push_back(N->Caption());
    Accept = !(Sender == Report && N->NodeType() == ntReport);
  };
  Pages.clear();
  Start();
  Value_(G, "Ana", true);
  EndPage(true);
  EXPECT_EQ("Ana@1{Página 1@1}", PageTree(1));
  EXPECT_EQ((std::vector<std::string>{"Relatório", "Ana", "Página 1"}), Asked);
}

// A section sub-report makes its own node under the report's; a child sub-report makes none and
// its groups hang under the nearest open node above.
TEST_F(OutlineRun, SubReportNodes) {
  for (bool Section : {true, false}) {
    SCOPED_TRACE(Section);
    Pages.clear();
    auto* Sub = new TOutlineSubReport(&Form);
    Sub->Section = Section;
    Sub->SetBand(Detail);
    auto* ChildDetail = new TModelBand(&Form, btDetail);
    ChildDetail->SetReport(Sub->Child);
    TGroupBands G{new TppGroup(&Form), new TModelBand(&Form, btGroupHeader), new TModelBand(&Form, btGroupFooter)};
    G.Group->SetHeaderBand(G.Header);
    G.Group->SetFooterBand(G.Footer);
    G.Header->ChangeHeight(1000);
    G.Group->SetReport(Sub->Child);
    G.Group->OnGetBreakValue = [this](TObject*, std::string& V) { V = Value; };
    Start();
    Sub->Child->SendEventNotify(Sub->Child, ciReportGenerationStart, nullptr);
    Value = "P1";
    G.Group->InitBreakValue();
    Fire(G.Header, ciBandBeforeGenerate);
    Sub->Child->LastBand = true;
    EndPage(true);
    if (Section) {
      EXPECT_EQ("Relatório@1{Pedidos@1{P1@1{Página 1@1}}}", PageTree(1));
      EXPECT_EQ(ntSubReport, Outline.TreeRoot()->GetOutlineChild(0)->GetOutlineChild(0)->NodeType());
    } else {
      EXPECT_EQ("Relatório@1{P1@1{Página 1@1}}", PageTree(1));
    }
    Sub->Free();
  }
}

// Pages that come and go with drill-down cannot be outlined: every page holds the one node.
TEST_F(OutlineRun, ActiveDrillDownGivesTheNoOutlineNodeOnEveryPage) {
  auto* Sub = new TOutlineSubReport(&Form);
  Sub->Section = false;
  Sub->DrillDown = true;
  Sub->SetBand(Detail);
  Start();
  EndPage();
  EndPage();
  for (int No : {1, 2}) {
    EXPECT_EQ("NoOutline: DrillDown not supported@-1", PageTree(No));
    EXPECT_TRUE(OutlineOf(*Pages[No - 1])->Completed());
  }
  EXPECT_EQ(ntNoOutline, Outline.NoOutlineNode()->NodeType());
}

// Regenerating pages whose end was already processed (second pass, a page requested again) adds
// no nodes: the pages carry the tree built the first time, complete in the second pass.
TEST_F(OutlineRun, SecondPassAddsNoNodes) {
  TGroupBands G = AddGroup();
  Start();
  Value_(G, "Ana", true);
  EndPage();
  Value_(G, "Bia", true);
  EndPage(true);
  const std::string Whole = Dump(Outline.TreeRoot());
  Engine.IncludeEngineState(esSecondPass);
  Engine.SetAbsolutePageNo(1);
  Report->SendEventNotify(Report, ciReportGenerationStart, nullptr);
  Value_(G, "Ana", true);
  EndPage();
  EXPECT_EQ(Whole, Dump(Outline.TreeRoot()));
  EXPECT_EQ(Whole, PageTree(3));
  EXPECT_TRUE(OutlineOf(*Pages[2])->Completed());
}

TEST_F(OutlineRun, Errors) {
  TppOutline Lone(nullptr);
  try {
    Lone.Initialize();
    FAIL();
  } catch (const EOutlineError& E) {
    EXPECT_EQ("TppOutline.Initialize: Report is nil.", E.Message());
  }
  try {
    Outline.CreateNodeCreator(Detail, nullptr);
    FAIL();
  } catch (const EOutlineError& E) {
    EXPECT_EQ(
        "TppOutline.CreateNodeCreator: The outline participant does not support the IppOutlineParticipant "
        "interface.",
        E.Message());
  }
  TppOutlineReportNodeCreator Creator(nullptr);
  Creator.SetNodeCreatorComponent(Report);
  Creator.Connect();
  try {
    Report->SendEventNotify(Report, ciReportGenerationStart, nullptr);
    FAIL();
  } catch (const EOutlineError& E) {
    EXPECT_EQ("TppOutlineReportNodeCreator.EventNotify: Outline is nil", E.Message());
  }
}

// Settings: disabling hides; a change tells the participant (a group resets its report), but not
// while the participant is read from a stream.
TEST_F(OutlineRun, SettingsVisibilityAndChangeNotices) {
  TppOutlineReportSettings S;
  S.SetEnabled(false);
  EXPECT_FALSE(S.Visible());
  S.SetVisible(true);
  EXPECT_FALSE(S.Visible());
  S.SetEnabled(true);
  S.SetVisible(true);
  EXPECT_TRUE(S.Visible());

  TGroupBands G = AddGroup();
  const int Before = Report->Resets;
  G.Group->OutlineSettings()->SetCreateNode(false);
  EXPECT_EQ(Before + 1, Report->Resets);
  const int ReportResets = Report->Resets;
  Report->Settings.SetEnabled(false);
  EXPECT_TRUE(Report->Modified());
  EXPECT_EQ(ReportResets + 1, Report->Resets);
  G.Group->SetState(csLoading, true);
  G.Group->OutlineSettings()->SetCreateNode(true);
  G.Group->SetState(csLoading, false);
  EXPECT_EQ(ReportResets + 1, Report->Resets);
}

// The outline command: compared by content, copied with the page, never a second one on a page,
// and its tree travels through a component stream.
TEST(OutlineDrawCommand, EqualityCopyAndStream) {
  auto Root = std::make_unique<TppOutlineNode>(nullptr);
  Root->SetNodeType(ntRoot);
  Root->SetPageReference(-1);
  auto* A = new TppOutlineNode(nullptr);
  A->SetCaption("Ana");
  A->SetNodeType(ntGroup);
  A->SetPageReference(3);
  A->SetParent(Root.get());
  auto* P = new TppOutlineNode(nullptr);
  P->SetCaption("Página 3");
  P->SetNodeType(ntPage);
  P->SetPageReference(3);
  P->SetParent(A);

  TppPage Page(nullptr);
  auto* Cmd = new TppOutlineDrawCommand(nullptr);
  Cmd->SetTree(TppOutlineNode::CopyTree(Root.get()));
  Cmd->SetCompleted(true);
  Cmd->SetPage(&Page);
  EXPECT_THROW((new TppOutlineDrawCommand(&Page))->SetPage(&Page), EOutlineError);
  EXPECT_EQ(1, Page.GetDrawCommandCount());

  TppPage Copy(nullptr);
  Copy.Assign(&Page);
  ASSERT_TRUE(OutlineOf(Copy));
  EXPECT_TRUE(OutlineOf(Copy)->IsEqual(*Cmd));

  // Each difference counts.
  struct Change {
    const char* Name;
    std::function<void(TppOutlineNode&)> Apply;
  } Changes[] = {
      {"caption", [](TppOutlineNode& N) { N.GetOutlineChild(0)->SetCaption("Bia"); }},
      {"page", [](TppOutlineNode& N) { N.GetOutlineChild(0)->SetPageReference(4); }},
      {"type", [](TppOutlineNode& N) { N.GetOutlineChild(0)->SetNodeType(ntOther); }},
      {"children", [](TppOutlineNode& N) { N.GetOutlineChild(0)->GetOutlineChild(0)->Free(); }},
  };
  for (const Change& C : Changes) {
    SCOPED_TRACE(C.Name);
    TppOutlineDrawCommand Other(nullptr);
    Other.Assign(Cmd);
    EXPECT_TRUE(Other.IsEqual(*Cmd));
    C.Apply(*Other.Tree());
    EXPECT_FALSE(Other.IsEqual(*Cmd));
  }

  TMemoryStream Stream;
  WriteComponentToStream(Stream, &Page);
  Stream.SetPosition(0);
  std::unique_ptr<TppPage> Read(dynamic_cast<TppPage*>(ReadComponentFromStream(Stream, nullptr)));
  ASSERT_TRUE(Read);
  ASSERT_TRUE(OutlineOf(*Read));
  EXPECT_TRUE(OutlineOf(*Read)->IsEqual(*Cmd));
  EXPECT_EQ("Ana@3{Página 3@3}", Dump(OutlineOf(*Read)->Tree()));
}

// A page keeps the tree as it was when the page ended, filtered as a copy is, while the outline
// goes on growing; what did not change is shared with the next page's tree.
TEST(OutlineSnapshot, FrozenTreeKeepsItsPage) {
  auto Root = std::make_unique<TppOutlineNode>(nullptr);
  Root->SetNodeType(ntRoot);
  Root->SetPageReference(-1);
  auto Add = [](TppOutlineNode* Parent, const char* Caption, TppOutlineNodeType Type, int Page) {
    auto* N = new TppOutlineNode(nullptr);
    N->SetCaption(Caption);
    N->SetNodeType(Type);
    N->SetPageReference(Page);
    N->SetParent(Parent);
    return N;
  };
  TppOutlineNode* Ana = Add(Root.get(), "Ana", ntGroup, 3);
  Add(Ana, "Página 3", ntPage, 3);
  Add(Ana, "Página 3", ntPage, 3);
  TppOutlineNode* Refused = Add(Root.get(), "X", ntGroup, 3);
  Refused->SetAccepted(false);
  Add(Refused, "Bia", ntGroup, 3);
  TppOutlineNode* Caio = Add(Root.get(), "Caio", ntGroup, 3);

  auto First = TppOutlineNode::Freeze(Root.get());
  ASSERT_TRUE(First);
  const std::string Then = Dump(TppOutlineNode::CopyTree(Root.get()).get());
  EXPECT_EQ("Ana@3{Página 3@3}, Bia@3, Caio@3", Then);
  EXPECT_EQ(Then, Dump(TppOutlineNode::Thaw(*First).get()));
  EXPECT_EQ(First, TppOutlineNode::Freeze(Root.get()));

  Add(Ana, "Página 4", ntPage, 4);
  Caio->SetCaption("Cris");
  Add(Refused->GetOutlineChild(0), "Página 4", ntPage, 4);
  auto Second = TppOutlineNode::Freeze(Root.get());
  EXPECT_EQ("Ana@3{Página 3@3, Página 4@4}, Bia@3{Página 4@4}, Cris@3", Dump(TppOutlineNode::Thaw(*Second).get()));
  EXPECT_EQ(Then, Dump(TppOutlineNode::Thaw(*First).get()));
  EXPECT_FALSE(TppOutlineNode::IsEqual(*First, *Second));
  Ana->GetOutlineChild(2)->Free();
  Refused->GetOutlineChild(0)->GetOutlineChild(0)->Free();
  Caio->SetCaption("Caio");
  auto Third = TppOutlineNode::Freeze(Root.get());
  EXPECT_TRUE(TppOutlineNode::IsEqual(*First, *Third));

  // A command holding a frozen tree shows, copies and streams it as nodes.
  TppPage Page(nullptr);
  auto* Cmd = new TppOutlineDrawCommand(nullptr);
  Cmd->SetSnapshot(Second);
  Cmd->SetPage(&Page);
  TppOutlineDrawCommand Copy(nullptr);
  Copy.Assign(Cmd);
  EXPECT_TRUE(Copy.IsEqual(*Cmd));
  TMemoryStream Stream;
  WriteComponentToStream(Stream, &Page);
  Stream.SetPosition(0);
  std::unique_ptr<TppPage> Read(dynamic_cast<TppPage*>(ReadComponentFromStream(Stream, nullptr)));
  ASSERT_TRUE(Read && OutlineOf(*Read));
  EXPECT_EQ(Dump(TppOutlineNode::Thaw(*Second).get()), Dump(OutlineOf(*Read)->Tree()));
  EXPECT_TRUE(OutlineOf(*Read)->IsEqual(Copy));
}

// Frozen again after every change of a growing, shrinking tree (pages, groups, refused nodes whose
// children are lifted, twin page nodes, captions), the frozen tree is what a copy made then holds,
// and every tree frozen earlier still shows what it showed then.
TEST(OutlineSnapshot, RefreezingFollowsEveryKindOfChange) {
  auto Root = std::make_unique<TppOutlineNode>(nullptr);
  Root->SetNodeType(ntRoot);
  Root->SetPageReference(-1);
  std::vector<TppOutlineNode*> Nodes{Root.get()};
  std::mt19937 Random(51);
  auto Pick = [&](size_t N) { return static_cast<size_t>(Random() % N); };
  std::vector<std::pair<std::shared_ptr<const TppOutlineSnapshot>, std::string>> Kept;
  for (int Step = 0; Step < 3000; ++Step) {
    TppOutlineNode* At = Nodes[Pick(Nodes.size())];
    switch (Pick(8)) {
      case 0: case 1: case 2: {  // a page node, often of a page already there
        auto* N = new TppOutlineNode(nullptr);
        N->SetNodeType(ntPage);
        N->SetPageReference(static_cast<int>(Step / 4 - Pick(3)));
        N->SetCaption("P" + std::to_string(N->PageReference()));
        N->SetParent(At);
        break;
      }
      case 3: {  // a group, inserted anywhere among the children
        auto* N = new TppOutlineNode(nullptr);
        N->SetNodeType(ntGroup);
        N->SetCaption("G" + std::to_string(Step));
        N->SetAccepted(Pick(3) != 0);
        N->SetParent(At);
        N->SetPosition(static_cast<int>(Pick(At->GetChildCount())));
        Nodes.push_back(N);
        break;
      }
      case 4:  // refused or accepted again
        if (At != Root.get()) At->SetAccepted(!At->Accepted());
        break;
      case 5:  // renamed, or moved among its siblings
        if (At != Root.get() && Pick(2))
          At->SetPosition(static_cast<int>(Pick(At->Parent()->GetChildCount())));
        else
          At->SetCaption(At->Caption() + "'");
        break;
      case 6:  // a child goes, with its subtree
        if (At->GetChildCount() > 0) {
          TppOutlineNode* C = At->GetOutlineChild(static_cast<int>(Pick(At->GetChildCount())));
          std::erase_if(Nodes, [C](TppOutlineNode* N) {
            for (TppRelative* R = N; R; R = R->Parent())
              if (R == C) return true;
            return false;
          });
          C->Free();
        }
        break;
      case 7:  // a page reference changes (a twin may appear or go)
        if (At->GetChildCount() > 0)
          if (TppOutlineNode* C = At->GetOutlineChild(static_cast<int>(Pick(At->GetChildCount())));
              C->NodeType() == ntPage)
            C->SetPageReference(C->PageReference() + 1);
        break;
    }
    if (Pick(3) == 0 && Step % 7 != 0) continue;  // several changes between two freezes too
    auto Frozen = TppOutlineNode::Freeze(Root.get());
    const std::string Copy = Dump(TppOutlineNode::CopyTree(Root.get()).get());
    ASSERT_EQ(Copy, Dump(TppOutlineNode::Thaw(*Frozen).get())) << "step " << Step;
    if (Step % 50 == 0) Kept.emplace_back(Frozen, Copy);
  }
  for (const auto& [Frozen, Then] : Kept) EXPECT_EQ(Then, Dump(TppOutlineNode::Thaw(*Frozen).get()));
}

// A report node gaining a page node a page, frozen at every page: each freeze costs what the page
// added, so 50,000 pages take well under the test's time-out (they took minutes when every freeze
// rebuilt the list of the report node's children). The last page's tree holds every page.
TEST(OutlineSnapshot, ManyPagesFreezeInTimeLinearInThePages) {
  auto Root = std::make_unique<TppOutlineNode>(nullptr);
  Root->SetNodeType(ntRoot);
  auto* Report = new TppOutlineNode(nullptr);
  Report->SetNodeType(ntReport);
  Report->SetParent(Root.get());
  std::shared_ptr<const TppOutlineSnapshot> Frozen, First;
  const int Pages = 50000;
  for (int No = 1; No <= Pages; ++No) {
    auto* Page = new TppOutlineNode(nullptr);
    Page->SetNodeType(ntPage);
    Page->SetPageReference(No);
    Page->SetParent(Report);
    Frozen = TppOutlineNode::Freeze(Root.get());
    if (No == 1) First = Frozen;
  }
  const auto Last = TppOutlineNode::Thaw(*Frozen);
  ASSERT_EQ(1, Last->GetChildCount());
  const TppOutlineNode* ReportNode = Last->GetOutlineChild(0);
  ASSERT_EQ(Pages, ReportNode->GetChildCount());
  EXPECT_EQ(Pages, ReportNode->GetOutlineChild(Pages - 1)->PageReference());
  EXPECT_EQ(12345, ReportNode->GetOutlineChild(12344)->PageReference());
  EXPECT_EQ(1, TppOutlineNode::Thaw(*First)->GetOutlineChild(0)->GetChildCount());
}

}  // namespace outlinetest
