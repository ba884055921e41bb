// The sub-report's descriptor: every name it describes, its settings by name, CreateReport and the
// expansion keys by index.
#include <gtest/gtest.h>

#include "ppreport/generation/ppReport.h"
#include "ppreport/generation/ppSubRpt.h"
#include "tests/ppreport/descriptors/ppDescriptorsTestSupport.h"

namespace descriptorstest {
namespace {

TEST(ppSubRptRTTITest, EveryDescribedNameOfTheSubReport) {
  ExpectNames(TppSubReport::StaticClassInfo(), "TraTppSubReportRTTI",
              {{"Count", vkInteger, true},
               {"ExpansionCount", vkInteger, true},
               {"CurrentReportKey", vkString, true},
               {"CurrentExpansionKey", vkString, true},
               {"DrillDownExpanded", vkBoolean, true},
               {"Report", vkClass, true, -1, -1, "TppCustomReport"},
               {"DrillDownComponent", vkClass, false, -1, -1, "TppComponent"},
               {"ExpandAll", vkBoolean, false},
               {"NewPrintJob", vkBoolean, false},
               {"ParentPrinterSetup", vkBoolean, false},
               {"ResetPageNo", vkBoolean, false},
               {"TraverseAllData", vkBoolean, false},
               {"PrintBehavior", vkEnum, false, -1, -1, "TppPrintBehaviorType"},
               {"Expansions", vkMethod, true, -1, 2},
               {"CreateReport", vkMethod, true, -1, 1}});
  const std::vector<std::string> Listed = ListedNames(TppSubReport::StaticClassInfo());
  ASSERT_GE(Listed.size(), 3u);
  EXPECT_EQ((std::vector<std::string>{"Report", "CreateReport", "DrillDownExpanded"}),
            std::vector<std::string>(Listed.end() - 3, Listed.end()));
}

TEST(ppSubRptRTTITest, SettingsChildReportAndExpansionsByName) {
  TComponent Form(nullptr);
  auto* Master = new TppReport(&Form);
  auto* Sub = new TppSubReport(&Form);
  ExpectPublishedRoundTrip(*Sub);
  EXPECT_TRUE(SetOrd(*Sub, "PrintBehavior", pbSection));
  EXPECT_EQ(pbSection, Sub->PrintBehavior());
  EXPECT_TRUE(SetOrd(*Sub, "ResetPageNo", 1));
  EXPECT_TRUE(Sub->ResetPageNo());

  const TraRTTI& D = *TraRTTIClassRegistry::GetRTTIClass(*Sub);
  auto P = D.GetParams("CreateReport");
  TppReport* Arg = Master;
  P->BindParam(0, &Arg);
  EXPECT_TRUE(D.CallMethod(Sub, "CreateReport", P.get()));
  ASSERT_NE(nullptr, Sub->Report());
  EXPECT_EQ(Sub->Report(), Get(*Sub, "Report").Obj);
  EXPECT_EQ("", Get(*Sub, "CurrentReportKey").Str);  // on the main report

  Sub->Expansions().Add("       3|");
  auto E = D.GetParams("Expansions");
  int Index = 0;
  std::string Key;
  E->BindParam(0, &Index);
  E->BindParam(1, &Key);
  EXPECT_TRUE(D.CallMethod(Sub, "Expansions", E.get()));
  EXPECT_EQ("       3|", Key);
  EXPECT_EQ(1, Get(*Sub, "ExpansionCount").Ord);
  EXPECT_FALSE(SetOrd(*Sub, "ExpansionCount", 5));
}

}  // namespace
}  // namespace descriptorstest
