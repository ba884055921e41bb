// A report over a real SQLite file: the record walk with a group and a sub-detail query whose
// parameter follows the master record, into stored pages and through the printer.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "lxreport/LXEvEnvironment.h"
#include "lxreport/VexaRpt.h"
#include "platform/data/DBTables.h"
#include "platform/printing/PrinterList.h"
#include "tests/lxreport/LXEngineTestSupport.h"
#include "tests/platform/printing/CupsPdfQueue.h"
#include "tests/platform/printing/PdfProbe.h"
#include "tests/platform/printing/VirtualPrinterFixture.h"

using namespace lxtest;

namespace {
class LXEngineDataTest : public VirtualPrinterTest, public TEngineScope {
protected:
  void SetUp() override {
    VirtualPrinterTest::SetUp();
    Db = TempFiles.Path("shop.db");
    TQuery Make(nullptr);
    Make.SetDatabaseName(Db);
    for (const char* S :
         {"CREATE TABLE Customers (Id INTEGER, Name TEXT, Country TEXT)",
          "INSERT INTO Customers VALUES (1, 'Ana', 'BR'), (2, 'Bia', 'BR'), (3, 'Cid', 'PT'), (4, 'Duda', 'US')",
          "CREATE TABLE Orders (CustId INTEGER, Item TEXT)",
          "INSERT INTO Orders VALUES (1, 'pen'), (1, 'ink'), (3, 'map'), (4, 'cup'), (4, 'mug'), (4, 'jar')"}) {
      Make.SetSQLText(S);
      Make.ExecSQL();
    }
    Customers = new TQuery(&Form);
    Customers->SetName("Customers");
    Customers->SetDatabaseName(Db);
    Customers->SetSQLText("SELECT * FROM Customers ORDER BY Country, Name");
    Customers->Open();
    Orders = new TQuery(&Form);
    Orders->SetName("Orders");
    Orders->SetDatabaseName(Db);
    Orders->SetSQLText("SELECT * FROM Orders WHERE CustId = :custid ORDER BY Item");
    Orders->Params()[0]->SetDataType(ftInteger);
    Orders->Open();
    static_cast<TVexaRep*>(Report.get())->SetDataSet(Customers);
    // The query's parameter is named like a report variable (in other letter case).
    Report->Functions()->Define("CUSTID", "Customers.Id");
    auto* Country = Band<TLXGroup>(rbGroupHeader, 100, "G");
    Country->SetExpression("Country");
    Country->SetForceNewPage(true);
    Band(rbDetail, 100, "D");
    auto* Sub = Band<TLXSubDetail>(rbSubDetail, 50, "S");
    Sub->SetDataSet(Orders);
    Sub->SetPrintIfEmpty(false);
    ProbeOf(Report->BandOfType(rbDetail))->Extra = [this] { return " " + Customers->FieldByName("Name")->AsString(); };
    ProbeOf(Sub)->Extra = [this] { return " " + Orders->FieldByName("Item")->AsString(); };
  }
  std::string Db;
  TQuery* Customers = nullptr;
  TQuery* Orders = nullptr;
};
}  // namespace

TEST_F(LXEngineDataTest, ASubDetailQueryFollowsTheMasterRecordAndEachCountryStartsAPage) {
  Report->Prepare();
  std::vector<std::string> Expected = {
      "G p1 100,100", "D p1 100,200 Ana", "S p1 100,300 ink", "S p1 100,350 pen", "D p1 100,400 Bia",
      "G p2 100,100", "D p2 100,200 Cid", "S p2 100,300 map", "G p3 100,100",     "D p3 100,200 Duda",
      "S p3 100,300 cup", "S p3 100,350 jar", "S p3 100,400 mug"};
  EXPECT_EQ(Log, Expected);
  EXPECT_EQ(Report->ActivePrinter()->PageCount(), 3);
}

TEST_F(LXEngineDataTest, AGroupedReportPrintsThroughTheCupsPdfQueue) {
  SetSystemPrintersEnabled(true);
  RefreshPrinters();
  std::string Token = UniqueJobTitle("MivoEngine");
  std::string VirtualPdf = TempFiles.Path(Token + ".pdf");
  std::shared_ptr<TVirtualPrinter> V;
  auto Names = InstalledPrinters();
  int Queue = -1;
  for (size_t I = 0; I < Names.size(); ++I)
    if (Names[I]->Name() == CupsPdfQueueName) Queue = static_cast<int>(I);
  if (Queue < 0) {
    std::printf("CUPS queue %s not reachable: printing on the virtual printer instead\n", CupsPdfQueueName);
    TVirtualPrinterConfig C;
    C.PixelsPerInchX = C.PixelsPerInchY = 72;
    C.OutputFile = VirtualPdf;
    V = Install("Virtual", C);
    Queue = static_cast<int>(InstalledPrinters().size()) - 1;
  }
  Report->PrinterSettings()->SetPrinterIndex(Queue);
  Report->SetReportTitle(Token);
  Report->PrintRun();
  EXPECT_TRUE(Report->Idle());
  EXPECT_TRUE(Report->Printers().empty());  // the run's printer is gone
  std::string Pdf = V ? VirtualPdf : WaitForCupsPdf(Token);
  ASSERT_FALSE(Pdf.empty()) << "no PDF from the CUPS queue";
  TempFiles.Adopt(Pdf);
  EXPECT_EQ(ReadPdfInfo(Pdf).Pages, 3);
}
