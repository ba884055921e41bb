#include "ppreport/core/PPReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/classes/TypInfo.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppPrinterList.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppRTTI.h"
#include "ppreport/core/ppTypes.h"

namespace {

// The test program has started the library once; a second start only counts, and the matching
// finalisation leaves everything in place.
TEST(PPReportTest, StartUpIsCounted) {
  const size_t Types = GetEnumTypeList().size();
  InitializePPReport();
  EXPECT_EQ(Types, GetEnumTypeList().size());
  FinalizePPReport();
  EXPECT_EQ(Types, GetEnumTypeList().size());
  EXPECT_FALSE(GetEnumTypeList().empty());
}

// After the last finalisation nothing the library registered is left in any registry; a new
// start-up registers all of it again.
TEST(PPReportTest, ShutdownLeavesEveryRegistryEmpty) {
  std::vector<std::string> ClassNames;
  for (const TClassInfo* C : RegisteredPPClasses()) ClassNames.push_back(C->Name);
  const int Descriptors = TraRTTIClassRegistry::Count();
  ASSERT_GE(Descriptors, 5);
  EXPECT_NE(ClassNames.end(), std::find(ClassNames.begin(), ClassNames.end(), "TraTppTreeNodeRTTI"));

  GetPrinterList();
  EXPECT_NE(nullptr, TraRTTIClassRegistry::GetRTTIClass(TppPrinterSetup::StaticClassInfo()));
  RegisterDeviceClass(TppRasterDevice::StaticClassInfo(), "Raster");  // left for the shutdown

  FinalizePPReport();
  EXPECT_TRUE(GetDeviceClasses().empty());
  EXPECT_FALSE(PrinterListExists());
  EXPECT_EQ(nullptr, TraRTTIClassRegistry::GetRTTIClass(TppPrinterSetup::StaticClassInfo()));
  EXPECT_TRUE(GetEnumTypeList().empty());
  EXPECT_TRUE(RegisteredPPClasses().empty());
  EXPECT_EQ(0, TraRTTIClassRegistry::Count());
  EXPECT_EQ(nullptr, TraRTTIClassRegistry::GetRTTIClass(TComponent::StaticClassInfo()));
  for (const std::string& Name : ClassNames) EXPECT_EQ(nullptr, GetClass(Name)) << Name;

  InitializePPReport();
  EXPECT_EQ(32u, GetEnumTypeList().size());
  EXPECT_EQ(Descriptors, TraRTTIClassRegistry::Count());
  for (const std::string& Name : ClassNames) EXPECT_NE(nullptr, GetClass(Name)) << Name;
}

}  // namespace
