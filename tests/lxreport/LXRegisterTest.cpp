#include "lxreport/LXRegister.h"

#include <gtest/gtest.h>

#include "platform/data/DBTables.h"

// InitializeLXReport (in the test main) registered the classes.
TEST(LXRegisterTest, RegistersDataSetClassesForStreams) {
  EXPECT_EQ(&FindClass("TQuery"), &TQuery::StaticClassInfo());
  EXPECT_EQ(GetClass("TTable"), &TTable::StaticClassInfo());
  UnRegisterLXReportClasses();
  EXPECT_EQ(GetClass("TQuery"), nullptr);
  RegisterLXReportClasses();
  EXPECT_EQ(GetClass("TQuery"), &TQuery::StaticClassInfo());
}

TEST(LXRegisterTest, EveryPrintableLoadsByName) {
  for (const char* Name : {"TLXExpr", "TLXShape", "TLXLabel", "TLXHRule", "TLXPDFShape", "TLXDBImage", "TLXGrDBImage"})
    EXPECT_NE(GetClass(Name), nullptr) << Name;
}
