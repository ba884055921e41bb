#pragma once
// What the report tests share: a device that keeps a copy of every page it outputs, and a report
// on a page of 100 x 100 mm with 10 mm margins over a SQLite table ("Sales": Id, Name, Region,
// Amount) reached through a data-set pipeline, with labels, data-aware texts and calculations.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/data/DBTables.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/generation/ppChildReport.h"
#include "ppreport/generation/ppCtrls.h"
#include "ppreport/generation/ppDBCalc.h"
#include "ppreport/generation/ppDBText.h"
#include "ppreport/generation/ppGroupBands.h"
#include "ppreport/generation/ppPageBands.h"
#include "ppreport/generation/ppReport.h"
#include "tests/TestTemp.h"
#include "tests/ppreport/generation/ppEngineTestSupport.h"

namespace reporttest {

constexpr int32_t mm = 1000;

// Keeps a copy of every requested page it outputs, by absolute page number.
class TPageKeeper : public TppDevice {
  DECLARE_CLASSINFO(TPageKeeper)
public:
  using TppDevice::TppDevice;
  ~TPageKeeper() override { BeforeDestruction(); }
  static std::string DeviceName() { return "ReportTestKeeper"; }
  std::map<int, std::unique_ptr<TppPage>> Pages;
  std::vector<int> Order;  // the pages in the order they came
  void ReceivePage(TppPage* Page) override {
    TppDevice::ReceivePage(Page);
    if (IsMessagePage() || !IsRequestedPage()) return;
    auto Copy = std::make_unique<TppPage>(nullptr);
    Copy->Assign(Page);
    Order.push_back(Page->AbsolutePageNo());
    Pages[Page->AbsolutePageNo()] = std::move(Copy);
  }
};

inline const TClassInfo& TPageKeeper::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TPageKeeper>("TReportTestPageKeeper", &TppDevice::StaticClassInfo());
  return Info;
}

using TTexts = std::vector<std::pair<std::string, int32_t>>;  // text, top in millimetres

class ReportTest : public ::testing::Test {
protected:
  TComponent Form{nullptr};
  TTestTempFiles Temp;
  std::string Path;
  TppReport* Report = new TppReport(&Form);
  TppDataSetPipeline* Pipe = nullptr;
  TPageKeeper* Device = nullptr;

  void SetUp() override {
    Report->SetName("Report");
    Report->SetUnits(utMMThousandths);  // the printer setup follows the report's units
    TppPrinterSetup* S = Report->PrinterSetup();
    S->SetPaperWidth(100 * mm);
    S->SetPaperHeight(100 * mm);
    for (auto Set : {&TppPrinterSetup::SetMarginLeft, &TppPrinterSetup::SetMarginRight, &TppPrinterSetup::SetMarginTop,
                     &TppPrinterSetup::SetMarginBottom})
      (S->*Set)(10 * mm);
  }

  // The table with the rows given ("Region" letters one a record, amounts 1, 2, 3...) and the
  // report's pipeline over it, ordered by Id.
  void Table(const std::string& Regions, const std::string& File = "sales.db") {
    Path = Temp.Path(File);
    TQuery Q(nullptr);
    Q.SetDatabaseName(Path);
    Q.SetSQLText("CREATE TABLE Sales (Id INTEGER, Name TEXT, Region TEXT, Amount REAL)");
    Q.ExecSQL();
    for (size_t I = 0; I < Regions.size(); ++I) {
      Q.SetSQLText("INSERT INTO Sales VALUES (" + std::to_string(I + 1) + ", 'n" + std::to_string(I + 1) + "', '" +
                   std::string(1, Regions[I]) + "', " + std::to_string(I + 1) + ")");
      Q.ExecSQL();
    }
    auto* Set = new TQuery(&Form);
    Set->SetDatabaseName(Path);
    Set->SetSQLText("SELECT Id, Name, Region, Amount FROM Sales ORDER BY Id");
    Pipe = new TppDataSetPipeline(&Form);
    Pipe->SetName("SalesPipe");
    Pipe->SetUserName("Sales");
    Pipe->SetDataSet(Set);
    Report->SetDataPipeline(Pipe);
  }

  // A band of kind T of Height on the report.
  template <class T>
  T* Band(int32_t Height = 10 * mm) {
    auto* B = new T(&Form);
    B->ChangeHeight(Height);
    B->SetReport(Report);
    return B;
  }
  TppLabel* Label(TppBand* B, const std::string& Caption, int32_t Left = 0) {
    auto* L = new TppLabel(&Form);
    L->SetAutoSize(false);
    L->SetCaption(Caption);
    L->SetBounds(Left, 0, 25 * mm, 5 * mm);
    L->SetBand(B);
    return L;
  }
  template <class T>
  T* Field(TppBand* B, const std::string& Name, int32_t Left = 30 * mm) {
    auto* C = new T(&Form);
    C->SetAutoSize(false);
    C->SetBounds(Left, 0, 25 * mm, 5 * mm);
    C->SetBand(B);
    C->SetDataPipeline(Pipe);
    C->SetDataField(Name);
    return C;
  }
  // A group on Region with a header showing the region and a footer with the region's sum.
  TppGroup* RegionGroup(int32_t Height = 10 * mm) {
    auto* G = new TppGroup(&Form);
    G->SetReport(Report);
    G->SetBreakName("Region");
    G->SetDataPipeline(Pipe);
    Report->CreateMissingBands();
    TppBand* H = Report->GetGroupHeaderBand(G->GetGroupNo());
    TppBand* F = Report->GetGroupFooterBand(G->GetGroupNo());
    H->ChangeHeight(Height);
    F->ChangeHeight(Height);
    Label(H, "GH");
    Field<TppDBText>(H, "Region");
    Label(F, "GF");
    auto* Sum = Field<TppDBCalc>(F, "Amount");
    Sum->SetResetGroup(G);
    return G;
  }

  // Generates every page onto a fresh device.
  void Run() {
    if (!Device) {
      Device = new TPageKeeper(&Form);
      Device->SetPublisher(Report->Publisher());
    }
    Device->Pages.clear();
    Device->Order.clear();
    Device->Reset();
    Report->Reset();
    Report->PrintToDevices();
  }
  int PageCount() const { return static_cast<int>(Device->Pages.size()); }
  TTexts Page(int No) const {
    TTexts T;
    auto It = Device->Pages.find(No);
    if (It == Device->Pages.end()) return T;
    for (int I = 0; I < It->second->GetDrawCommandCount(); ++I)
      if (auto* C = dynamic_cast<TppDrawText*>(It->second->GetDrawCommand(I))) T.emplace_back(C->Text(), C->Top() / mm);
    return T;
  }
  std::vector<std::string> Texts(int No) const {
    std::vector<std::string> L;
    for (auto& [Text, Top] : Page(No)) L.push_back(Text);
    return L;
  }
};

}  // namespace reporttest
