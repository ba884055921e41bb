// Reading, writing and calling through the descriptors on live objects: the names whose write
// answers False, the read-only names that are written, indexed names and methods.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/classes/StringList.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppModelRTTI.h"
#include "ppreport/core/ppParameter.h"
#include "ppreport/core/ppProdRTTI.h"
#include "ppreport/core/ppTemplate.h"
#include "ppreport/descriptors/ppBandsRTTI.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppGroupBands.h"
#include "ppreport/generation/ppPageBands.h"

namespace {

class TDescReport : public TppCustomReport {
  DECLARE_CLASSINFO(TDescReport)
public:
  using TppCustomReport::TppCustomReport;
  ~TDescReport() override { BeforeDestruction(); }
};

const TClassInfo& TDescReport::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TDescReport>("TDescReport", &TppCustomReport::StaticClassInfo());
  return Info;
}

// A report with a footer, a detail band and one group with its header and footer.
class DescriptorValues : public ::testing::Test {
protected:
  DescriptorValues() {
    Report = new TDescReport(&Form);
    Detail = new TppDetailBand(&Form);
    Detail->SetReport(Report);
    Footer = new TppFooterBand(&Form);
    Footer->SetReport(Report);
    Group = new TppGroup(&Form);
    Group->SetReport(Report);
    Header = new TppGroupHeaderBand(&Form);
    Header->SetGroup(Group);
    auto* GroupFooter = new TppGroupFooterBand(&Form);
    GroupFooter->SetGroup(Group);
  }

  const TraRTTI& Of(TPersistent& O) { return *TraRTTIClassRegistry::GetRTTIClass(O); }
  bool Set(TPersistent& O, const char* Name, const TraValue& V) { return Of(O).SetPropValue(&O, Name, V); }
  TraValue Get(TPersistent& O, const char* Name) {
    TraValue V;
    EXPECT_TRUE(Of(O).GetPropValue(&O, Name, V)) << Name;
    return V;
  }
  static TraValue Ord(int64_t N) {
    TraValue V;
    V.Ord = N;
    return V;
  }
  static TraValue Float(long double F) {
    TraValue V;
    V.Float = F;
    return V;
  }
  static TraValue Obj(TObject* O) {
    TraValue V;
    V.Obj = O;
    return V;
  }

  TComponent Form{nullptr};
  TDescReport* Report;
  TppDetailBand* Detail;
  TppFooterBand* Footer;
  TppGroup* Group;
  TppGroupHeaderBand* Header;
};

TEST_F(DescriptorValues, DescribedWritableNamesNobodyWritesAnswerFalse) {
  struct Case {
    TPersistent* Object;
    const char* Name;
    TraValue Value;
  };
  const int32_t Height = Detail->mmHeight();
  const Case Cases[] = {
      {Detail, "mmBottomOffset", Ord(5)}, {Detail, "mmHeight", Ord(Height + 1000)},
      {Detail, "mmPrintPosition", Ord(5)}, {Detail, "mmTop", Ord(5)},
      {Detail, "mmWidth", Ord(5)},        {Detail, "spWidth", Ord(5)},
      {Detail, "Units", Ord(utInches)},   {Group, "BreakComponent", Obj(nullptr)},
      {Group, "Units", Ord(utInches)},    {Report, "EnableProcessMessages", Ord(0)},
      {Report, "Modified", Ord(1)},       {Report, "OnEndPage", Ord(0)},
  };
  const TppUnitType GroupUnits = Group->Units();
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TraPropRec Rec;
    ASSERT_TRUE(Of(*C.Object).GetPropRec(*C.Object->ClassInfo(), C.Name, Rec));
    EXPECT_FALSE(Set(*C.Object, C.Name, C.Value));
  }
  EXPECT_EQ(Height, Detail->mmHeight());
  EXPECT_EQ(GroupUnits, Group->Units());
  EXPECT_TRUE(Report->EnableProcessMessages());
  EXPECT_FALSE(Report->Modified());
  TraValue V;
  EXPECT_FALSE(Of(*Report).GetPropValue(Report, "OnEndPage", V));
}

TEST_F(DescriptorValues, ReadOnlyNamesThatAreWritten) {
  TraPropRec Rec;
  ASSERT_TRUE(Of(*Footer).GetPropRec(*Footer->ClassInfo(), "PrintHeight", Rec));
  EXPECT_TRUE(Rec.ReadOnly);
  // Served by the band descriptor; a footer keeps a static height by its own rule.
  EXPECT_TRUE(Set(*Footer, "PrintHeight", Ord(phDynamic)));
  EXPECT_EQ(phStatic, Footer->PrintHeight());
  EXPECT_TRUE(Set(*Detail, "PrintHeight", Ord(phDynamic)));
  EXPECT_EQ(phDynamic, Detail->PrintHeight());

  // Through the producer's setter, which starts the language index over.
  Report->SetLanguageIndex(5);
  EXPECT_TRUE(Set(*Report, "Language", Ord(lgDefault)));
  EXPECT_EQ(0, Report->LanguageIndex());
  EXPECT_TRUE(Set(*Detail, "CaptionIndex", Ord(3)));
  EXPECT_EQ(3, Detail->CaptionIndex());
  EXPECT_TRUE(Set(*Detail, "DrawPage", Ord(1)));
  EXPECT_TRUE(Detail->DrawPage());
  EXPECT_TRUE(Set(*Group, "NewColumn", Ord(1)));
  EXPECT_TRUE(Group->NewColumn());
}

TEST_F(DescriptorValues, BandGroupAndReportValues) {
  Report->SetUnits(utMillimeters);
  EXPECT_TRUE(Set(*Detail, "Height", Float(20.0f)));
  EXPECT_EQ(20000, Detail->mmHeight());
  EXPECT_EQ(20000, Get(*Detail, "mmHeight").Ord);
  EXPECT_EQ("       5", Get(*Detail, "Rank").Str);  // the detail band's order number
  EXPECT_EQ(Report, Get(*Detail, "Report").Obj);
  EXPECT_EQ(Group->Position(), Get(*Group, "Position").Ord);
  EXPECT_EQ(Header, Get(*Group, "HeaderBand").Obj);
  EXPECT_EQ(Group, Get(*Header, "Group").Obj);

  EXPECT_EQ(Get(*Report, "Page").Ord, Get(*Report, "PageNo").Ord);
  EXPECT_EQ(Get(*Report, "AbsolutePage").Ord, Get(*Report, "AbsolutePageNo").Ord);
  EXPECT_EQ(Report->BandCount(), Get(*Report, "BandCount").Ord);
  EXPECT_EQ(Report, Get(*Report, "MainReport").Obj);
  EXPECT_EQ(nullptr, Get(*Report, "ParentReport").Obj);
  EXPECT_TRUE(Set(*Report, "Columns", Ord(2)));
  EXPECT_EQ(2, Report->Columns());
  EXPECT_TRUE(Set(*Report, "AutoStop", Ord(1)));
  EXPECT_TRUE(Report->AutoStop());
  EXPECT_TRUE(Set(*Report, "PassSetting", Ord(psTwoPass)));
  EXPECT_EQ(psTwoPass, Report->PassSetting());
}

TEST_F(DescriptorValues, IndexedNamesAndMethodsOfTheReport) {
  const TraRTTI& D = Of(*Report);
  auto Bands = D.GetParams("Bands");
  ASSERT_EQ(2, Bands->Count());
  int32_t Index = 0;
  TppBand* Band = nullptr;
  Bands->BindParam(0, &Index);
  Bands->BindParam(1, &Band);
  ASSERT_TRUE(D.CallMethod(Report, "Bands", Bands.get()));
  EXPECT_EQ(Report->GetBands(0), Band);
  Index = Report->BandCount();
  EXPECT_THROW(D.CallMethod(Report, "Bands", Bands.get()), EListError);

  auto GetBand = D.GetParams("GetBand");
  ASSERT_EQ(3, GetBand->Count());
  int32_t Kind = btGroupHeader, GroupIndex = 0;
  GetBand->BindParam(0, &Kind);
  GetBand->BindParam(1, &GroupIndex);
  GetBand->BindParam(2, &Band);
  ASSERT_TRUE(D.CallMethod(Report, "GetBand", GetBand.get()));
  EXPECT_EQ(Header, Band);
  Kind = btTitle;
  ASSERT_TRUE(D.CallMethod(Report, "GetBand", GetBand.get()));
  EXPECT_EQ(nullptr, Band);

  // "Stop" takes no parameter list.
  EXPECT_EQ(nullptr, D.GetParams("Stop"));
  EXPECT_TRUE(D.CallMethod(Report, "Stop", nullptr));
}

TEST_F(DescriptorValues, ParameterListAssignTakesAnObject) {
  TppParameterList Source(nullptr), Target(nullptr);
  Source.Add("Cliente", dtString, Variant(std::string("Ana")));
  const TraRTTI& D = Of(Target);
  auto P = D.GetParams("Assign");
  ASSERT_EQ(1, P->Count());
  EXPECT_EQ(vkClass, P->GetParamRec(0).DataType);
  TppParameterList* SourcePtr = &Source;
  P->BindParam(0, &SourcePtr);
  ASSERT_TRUE(D.CallMethod(&Target, "Assign", P.get()));
  EXPECT_TRUE(Target.InList("Cliente"));

  auto Eq = D.GetParams("EqualTo");
  bool Equal = false;
  Eq->BindParam(0, &SourcePtr);
  Eq->BindParam(1, &Equal);
  ASSERT_TRUE(D.CallMethod(&Target, "EqualTo", Eq.get()));
  EXPECT_TRUE(Equal);

  // The empty name is "Values".
  auto V = D.GetParams("");
  ASSERT_TRUE(V);
  std::string Name = "Cliente";
  Variant Value;
  V->BindParam(0, &Name);
  V->BindParam(1, &Value);
  ASSERT_TRUE(D.CallMethod(&Target, "", V.get()));
  EXPECT_EQ("Ana", Value.AsString());
}

TEST_F(DescriptorValues, TemplateDescriptionIsItsName) {
  ASSERT_NE(nullptr, Report->Template());
  Report->Template()->SetFileName("vendas.rtm");
  TppReportTemplate& T = *Report->Template();
  TraPropRec Rec;
  ASSERT_TRUE(Of(T).GetPropRec(*T.ClassInfo(), "Description", Rec));
  EXPECT_TRUE(Rec.ReadOnly);
  EXPECT_EQ(T.GetTemplateName(), Get(T, "Description").Str);
  EXPECT_EQ(Report, Get(T, "Report").Obj);
  EXPECT_EQ(Report->Template(), Get(*Report, "Template").Obj);
}

}  // namespace
