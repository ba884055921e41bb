// The descriptors on a real report: every published property by name, the band names, the
// registry's answer for a class without a descriptor of its own, the generating report.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/classes/StringList.h"
#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppModelRTTI.h"
#include "ppreport/descriptors/ppReportRTTI.h"
#include "ppreport/generation/ppChildReport.h"
#include "ppreport/generation/ppGroupBands.h"
#include "ppreport/generation/ppPageBands.h"
#include "ppreport/generation/ppReport.h"

namespace {

class ReportDescriptor : public ::testing::Test {
protected:
  ReportDescriptor() : Report(new TppReport(&Form)), D(*TraRTTIClassRegistry::GetRTTIClass(*Report)) {}
  TraValue Get(const char* Name) {
    TraValue V;
    EXPECT_TRUE(D.GetPropValue(Report, Name, V)) << Name;
    return V;
  }
  TComponent Form{nullptr};
  TppReport* Report;
  const TraRTTI& D;
};

TEST_F(ReportDescriptor, RegistryAnswersTheMostDerivedDescriptor) {
  EXPECT_EQ(&TraTppReportRTTI(), &D);
  EXPECT_EQ(&TraTppBandedReportRTTI(), TraRTTIClassRegistry::GetRTTIClass(TppChildReport::StaticClassInfo()));
  EXPECT_EQ(&TraTppBandedReportRTTI(), TraRTTIClassRegistry::GetRTTIClass(TppBandedReport::StaticClassInfo()));
  EXPECT_EQ(&TraTppCustomReportRTTI(), TraRTTIClassRegistry::GetRTTIClass(TppCustomReport::StaticClassInfo()));
}

// Each published property reads by name, and each writable one takes its own value back.
TEST_F(ReportDescriptor, EveryPublishedPropertyByName) {
  Report->SetUnits(utMillimeters);
  for (const TPropInfo* P : Report->ClassInfo()->AllProps()) {
    if (P->Kind == TPropKind::Method || P->Kind == TPropKind::Set || P->Kind == TPropKind::Int64) continue;
    SCOPED_TRACE(P->Name);
    TraPropRec Rec;
    ASSERT_TRUE(D.GetPropRec(*Report->ClassInfo(), P->Name, Rec));
    TraValue Before;
    ASSERT_TRUE(D.GetPropValue(Report, P->Name, Before));
    if (!P->Writable()) continue;
    EXPECT_TRUE(D.SetPropValue(Report, P->Name, Before));
    TraValue After;
    ASSERT_TRUE(D.GetPropValue(Report, P->Name, After));
    EXPECT_EQ(Before.Ord, After.Ord);
    EXPECT_EQ(Before.Str, After.Str);
    EXPECT_FLOAT_EQ(static_cast<float>(Before.Float), static_cast<float>(After.Float));
  }
  // And a changed value lands.
  TraValue V;
  V.Ord = 3;
  ASSERT_TRUE(D.SetPropValue(Report, "Columns", V));
  EXPECT_EQ(3, Report->Columns());
  V.Str = "vendas.txt";
  ASSERT_TRUE(D.SetPropValue(Report, "TextFileName", V));
  EXPECT_EQ("vendas.txt", Report->TextFileName());
  // Described writable without a writer of its own, but published by the report.
  V.Ord = 0;
  ASSERT_TRUE(D.SetPropValue(Report, "EnableProcessMessages", V));
  EXPECT_FALSE(Report->EnableProcessMessages());
}

TEST_F(ReportDescriptor, EventListHidesPrintingCompleteWhichStaysDescribed) {
  TStringList Events;
  D.GetEventList(*Report->ClassInfo(), Events);
  EXPECT_GE(Events.IndexOf("OnStartPage"), 0);
  EXPECT_GE(Events.IndexOf("BeforePrint"), 0);
  EXPECT_EQ(-1, Events.IndexOf("OnPrintingComplete"));
  TraPropRec Rec;
  ASSERT_TRUE(D.GetPropRec(*Report->ClassInfo(), "OnPrintingComplete", Rec));
  EXPECT_TRUE(Rec.IsPublished);
}

TEST_F(ReportDescriptor, BandNamesReadTheBandsWithoutMakingThem) {
  EXPECT_EQ(nullptr, Get("Title").Obj);
  EXPECT_EQ(nullptr, Get("TitleBand").Obj);
  auto* Title = new TppTitleBand(&Form);
  Title->SetReport(Report);
  EXPECT_EQ(Title, Get("Title").Obj);
  EXPECT_EQ(Title, Get("TitleBand").Obj);
  const int Bands = Report->BandCount();
  EXPECT_EQ(nullptr, Get("Detail").Obj);
  EXPECT_EQ(Bands, Report->BandCount());

  auto* G = new TppGroup(&Form);
  G->SetReport(Report);
  auto* H = new TppGroupHeaderBand(&Form);
  H->SetGroup(G);
  auto P = D.GetParams("GroupHeaderBand");
  int32_t Index = 0;
  TppBand* Band = nullptr;
  P->BindParam(0, &Index);
  P->BindParam(1, &Band);
  ASSERT_TRUE(D.CallMethod(Report, "GroupHeaderBand", P.get()));
  EXPECT_EQ(H, Band);
  Index = 1;
  EXPECT_THROW(D.CallMethod(Report, "GroupHeader", P.get()), EListError);
}

// "ActiveReport" is the report generating now (a sub-report's child while it generates), never
// the preview form.
TEST_F(ReportDescriptor, ActiveReportIsTheGeneratingReport) {
  EXPECT_EQ(nullptr, Get("ActiveReport").Obj);
  auto* Child = new TppChildReport(&Form);
  Report->SetActiveReport(Child);
  EXPECT_EQ(Child, Get("ActiveReport").Obj);
  Report->SetActiveReport(nullptr);
}

TEST_F(ReportDescriptor, AutoSearchNames) {
  Report->CreateAutoSearchCriteria("Clientes", "Cidade", soEqual, "Recife", false);
  EXPECT_EQ(1, Get("AutoSearchFieldCount").Ord);
  EXPECT_EQ(Get("AutoSearchDescription").Str, Get("GetAutoSearchDescriptionAsString").Str);
  EXPECT_FALSE(Get("AutoSearchDescription").Str.empty());

  auto P = D.GetParams("AutoSearchCriteriaByName");
  std::string Pipe = "clientes", Field = "CIDADE";
  TppAutoSearchField* Found = nullptr;
  P->BindParam(0, &Pipe);
  P->BindParam(1, &Field);
  P->BindParam(2, &Found);
  ASSERT_TRUE(D.CallMethod(Report, "AutoSearchCriteriaByName", P.get()));
  EXPECT_EQ(Report->GetAutoSearchField(0), Found);

  auto L = D.GetParams("GetAutoSearchDescriptionLines");
  TStringList Lines;
  TStrings* LinesPtr = &Lines;
  L->BindParam(0, &LinesPtr);
  ASSERT_TRUE(D.CallMethod(Report, "GetAutoSearchDescriptionLines", L.get()));
  EXPECT_EQ(1, Lines.Count());
}

}  // namespace
