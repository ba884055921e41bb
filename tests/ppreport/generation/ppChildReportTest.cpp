// Child reports: what they pass up to the report above them, and reports through a stream.
#include "platform/classes/Streams.h"
#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppParameter.h"
#include "ppreport/core/ppTemplate.h"
#include "tests/ppreport/generation/ppReportTestSupport.h"

namespace reporttest {
namespace {

// A band object holding a child report, as a sub-report does.
class THolder : public TppComponent, public IppSubReportParent {
  DECLARE_CLASSINFO(THolder)
public:
  using TppComponent::TppComponent;
  ~THolder() override { BeforeDestruction(); }
  TppCustomReport* Child = nullptr;
  bool FollowsParentSetup = true;
  int Runs = 0;
  bool ExpandAll = false;

  void Generate() override { SetGenerationComplete(true); }
  bool IsSubReport() const override { return true; }
  TppCustomReport* ChildReport() const override { return Child; }
  bool ParentPrinterSetup() const override { return FollowsParentSetup; }
  int GetSubReportCount() const override { return Runs; }
  void AttachReport(TppCustomReport* Report) override {
    if (Child) Child->SetParentReport(nullptr);
    Child = Report;
    if (auto* B = dynamic_cast<TppBand*>(Band()); B && Child) Child->SetParentReport(B->Report());
  }
  void SetParentPrinterSetup(bool Value) override { FollowsParentSetup = Value; }
  std::string GetSubReportCaption() const override { return "Itens"; }
  void SetExpandAll(bool Value) override { ExpandAll = Value; }
};

const TClassInfo& THolder::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<THolder>("TReportTestHolder", &TppComponent::StaticClassInfo());
  return Info;
}

class ChildReports : public ReportTest {
protected:
  // A holder on Above's detail band with a child report of its own.
  TppChildReport* Nest(TppBandedReport* Above, THolder** Made = nullptr) {
    auto* H = new THolder(&Form);
    H->SetBand(Above->GetDetailBand());
    auto* C = new TppChildReport(&Form);
    C->SetParent(H);
    if (Made) *Made = H;
    return C;
  }
};

TEST_F(ChildReports, AChildOfAChildAnswersToTheTopReport) {
  THolder *Outer = nullptr, *Inner = nullptr;
  TppChildReport* Child = Nest(Report, &Outer);
  TppChildReport* Grandchild = Nest(Child, &Inner);
  EXPECT_EQ(Child, Outer->Child);
  EXPECT_EQ(Report, Child->ParentReport());
  EXPECT_EQ(Report, Child->GetMainReport());
  EXPECT_EQ(Report, Grandchild->GetMainReport());
  EXPECT_TRUE(Grandchild->IsChildReport());
  EXPECT_EQ("Itens", Grandchild->GetReportCaption());

  // The key names the run of every sub-report on the way up, innermost first.
  Outer->Runs = 2;
  Inner->Runs = 7;
  EXPECT_EQ("       7|       2|", Grandchild->GetSubReportKey());
  EXPECT_EQ("", Report->GetSubReportKey());

  // Section states of the innermost engine reach all three.
  Grandchild->IncludeEngineState(esSectionRunning);
  for (TppCustomReport* R : {static_cast<TppCustomReport*>(Report), static_cast<TppCustomReport*>(Child),
                             static_cast<TppCustomReport*>(Grandchild)})
    EXPECT_TRUE(R->Engine()->EngineState() & esSectionRunning) << R->ClassName();
  Grandchild->ExcludeEngineState(esSectionRunning);
  EXPECT_FALSE(Report->Engine()->EngineState() & esSectionRunning);

  // Moving the child away lets the old holder go.
  Child->SetParent(nullptr);
  EXPECT_EQ(nullptr, Outer->Child);
  EXPECT_EQ(nullptr, Child->ParentReport());
  EXPECT_EQ(Child, Child->GetMainReport());
}

TEST_F(ChildReports, ResetAndCancelGoToTheReportsAbove) {
  Table("aaaaaaaa");
  Report->CreateMissingBands();
  Field<TppDBText>(Report->GetDetailBand(), "Name");
  TppChildReport* Child = Nest(Report);
  TppChildReport* Grandchild = Nest(Child);
  Run();
  ASSERT_TRUE(Report->Engine()->EngineState() & esInitialized);
  Grandchild->Reset();
  EXPECT_FALSE(Report->Engine()->EngineState() & esInitialized);

  Grandchild->Cancel();
  EXPECT_TRUE(Grandchild->Engine()->StopPrinting());
  EXPECT_TRUE(Child->Engine()->StopPrinting());
  // The top report is cancelled by whoever runs it.
  EXPECT_FALSE(Report->Engine()->StopPrinting());

  Report->SetSubReportsExpandAll(true);
  EXPECT_TRUE(dynamic_cast<THolder*>(Child->Parent())->ExpandAll);
  EXPECT_TRUE(dynamic_cast<THolder*>(Grandchild->Parent())->ExpandAll);
}

TEST_F(ChildReports, AChildSetupOfItsOwnStopsFollowingTheParent) {
  THolder* Holder = nullptr;
  TppChildReport* Child = Nest(Report, &Holder);
  Child->SetPrinterSetup(Report->PrinterSetup());
  EXPECT_TRUE(Holder->FollowsParentSetup);
  Child->PrinterSetup()->SetPaperHeight(150 * mm);
  EXPECT_FALSE(Holder->FollowsParentSetup);
}

TEST_F(ChildReports, AChildChangeMarksTheReportAboveModified) {
  TppChildReport* Child = Nest(Report);
  Report->SetModified(false);
  Child->SetModified(true);
  EXPECT_TRUE(Report->Modified());
  Report->SetModified(false);
  Child->SetSaveAsTemplate(true);
  Child->SetModified(true);
  EXPECT_FALSE(Report->Modified());
}

// ---- streams

std::string Saved(TppReport& R) {
  TMemoryStream S;
  R.Template()->SetFormat(ftASCII);
  R.Template()->SaveToStream(S);
  return std::string(reinterpret_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

void Load(TppReport& R, const std::string& Text) {
  TMemoryStream S;
  S.Write(Text.data(), static_cast<int64_t>(Text.size()));
  S.SetPosition(0);
  R.Template()->LoadFromStream(S);
}

TEST_F(ReportTest, ADefinitionGoesThroughAStreamWithItsCriteriaAndParameters) {
  Table("ab");
  Report->CreateMissingBands();
  RegionGroup();
  Label(Report->GetHeaderBand(), "Vendas");
  Field<TppDBText>(Report->GetDetailBand(), "Name");
  Report->SetCachePages(true);
  Report->OutlineSettings()->SetCreatePageNodes(false);
  Report->SetPassSetting(psTwoPass);
  Report->GetParameters()->Add("Ano", dtInteger, 2026);
  Report->CreateAutoSearchCriteria("Sales", "Region", soEqual, "b", true);
  const std::string Text = Saved(*Report);
  EXPECT_EQ(std::string::npos, Text.find("ParametersEditor")) << Text;

  TComponent Other{nullptr};
  auto* Copy = new TppReport(&Other);
  Copy->SetName("Report");
  Load(*Copy, Text);
  EXPECT_TRUE(Copy->CachePages());
  EXPECT_FALSE(Copy->OutlineSettings()->CreatePageNodes());
  EXPECT_EQ(psTwoPass, Copy->PassSetting());
  EXPECT_EQ(1, Copy->GroupCount());
  ASSERT_TRUE(Copy->GetGroupHeaderBand(0) && Copy->GetGroupFooterBand(0));
  ASSERT_NE(nullptr, Copy->GetHeaderBand());
  EXPECT_EQ(1, Copy->GetHeaderBand()->GetObjectCount());
  ASSERT_TRUE(Copy->HasParameters());
  ASSERT_NE(nullptr, Copy->GetParameters()->Find("Ano"));
  EXPECT_EQ(2026, Copy->GetParameters()->Find("Ano")->Value().AsInteger());
  ASSERT_EQ(1, Copy->GetAutoSearchFieldCount());
  EXPECT_EQ("b", Copy->GetAutoSearchField(0)->SearchExpression());
  EXPECT_TRUE(Copy->GetAutoSearchField(0)->Mandatory());
  EXPECT_EQ("Sales", Copy->GetAutoSearchField(0)->DataPipelineName());
  EXPECT_EQ(Copy->GetAutoSearchField(0), Copy->AutoSearchCriteriaByName("Sales", "Region"));
  // Saved again (on a form without the pipeline), the criteria and parameters are still there.
  const std::string Again = Saved(*Copy);
  EXPECT_NE(std::string::npos, Again.find("SearchExpression = 'b'")) << Again;
  EXPECT_NE(std::string::npos, Again.find("object Ano: TppParameter")) << Again;
}

TEST_F(ReportTest, OlderStreamPropertiesAreReadIntoTheirPlaces) {
  Load(*Report,
       "object Report: TppReport\n"
       "  AllowPrintCancel = True\n"
       "  DataSource = OldSource\n"
       "  NoDataPages = 5\n"
       "  Orientation = poLandscape\n"
       "  PreviewPages = 2\n"
       "  RowSpacing = 0.25\n"
       "  SuppressFormFeed = True\n"
       "  Viewer = OldViewer\n"
       "  Units = utInches\n"
       "  object Detail: TppDetailBand\n"
       "    mmHeight = 10000\n"
       "  end\n"
       "end\n");
  EXPECT_EQ(5, Report->PageLimit());
  EXPECT_EQ("OldSource", Report->StoredDataSourceName());
  EXPECT_EQ(poLandscape, Report->PrinterSetup()->Orientation());
  EXPECT_FALSE(Report->OutlineSettings()->Enabled());  // outlines came later
  ASSERT_NE(nullptr, Report->FindBand(btDetail));
  EXPECT_EQ(6350, Report->FindBand(btDetail)->mmBottomOffset());  // a quarter inch between rows
}

}  // namespace
}  // namespace reporttest
