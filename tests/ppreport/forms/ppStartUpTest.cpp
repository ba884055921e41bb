// This executable starts the pp library as a program with pp windows does: InitializePPForms alone
// (tests/ppreport/forms/Main.cpp). Everything below it must be running: the descriptors, the
// generation library with its engine, the output library's devices.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/app/Dialogs.h"
#include "platform/data/DBTables.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppRTTI.h"
#include "ppreport/generation/ppCtrls.h"
#include "ppreport/generation/ppDBCalc.h"
#include "ppreport/generation/ppDBText.h"
#include "ppreport/generation/ppReport.h"
#include "tests/TestTemp.h"

namespace {

TEST(ppStartUp, TheFormsStartUpAloneGivesAReportThatPrintsToAFile) {
  TTestTempFiles Temp;
  const std::string Db = Temp.Path("startup.db"), Out = Temp.Path("startup.txt");
  TQuery Make(nullptr);
  Make.SetDatabaseName(Db);
  Make.SetSQLText("CREATE TABLE T (NAME TEXT, QTY INTEGER)");
  Make.ExecSQL();
  Make.SetSQLText("INSERT INTO T VALUES ('alfa', 2), ('beta', 5)");
  Make.ExecSQL();

  TComponent Form(nullptr);
  auto* Query = new TQuery(&Form);
  Query->SetDatabaseName(Db);
  Query->SetSQLText("SELECT NAME, QTY FROM T ORDER BY NAME");
  auto* Pipe = new TppDataSetPipeline(&Form);
  Pipe->SetDataSet(Query);
  auto* Report = new TppReport(&Form);
  Report->SetDataPipeline(Pipe);
  Report->CreateMissingBands();
  auto Place = [&](TppCustomText* C, TppBand* B, int32_t Left) {
    C->SetAutoSize(false);
    C->SetBounds(Left, 0, 40000, 5000);
    C->SetBand(B);
  };
  auto* Title = new TppLabel(&Form);
  Title->SetCaption("Estoque");
  Place(Title, Report->GetHeaderBand(), 0);
  for (const char* Field : {"NAME", "QTY"}) {
    auto* T = new TppDBText(&Form);
    Place(T, Report->GetDetailBand(), Field[0] == 'N' ? 0 : 50000);
    T->SetDataPipeline(Pipe);
    T->SetDataField(Field);
  }
  auto* Sum = new TppDBCalc(&Form);
  Place(Sum, Report->GetFooterBand(), 50000);
  Sum->SetDataPipeline(Pipe);
  Sum->SetDataField("QTY");

  Report->SetDeviceType("ReportTextFile");
  ASSERT_EQ("ReportTextFile", Report->DeviceType()) << "the output library's devices are registered";
  Report->SetTextFileName(Out);
  Report->SetShowPrintDialog(false);
  Report->SetShowCancelDialog(false);
  TDialogServiceScope NoPerson(std::make_unique<TScriptedDialogService>());
  Report->Print();

  std::ifstream In(Out, std::ios::binary);
  const std::string Text{std::istreambuf_iterator<char>(In), {}};
  for (const char* Expected : {"Estoque", "alfa", "beta", "7"})
    EXPECT_NE(std::string::npos, Text.find(Expected)) << Expected << " in:\n" << Text;
  const TraRTTI* Descriptor = TraRTTIClassRegistry::GetRTTIClass(*Report);
  ASSERT_NE(nullptr, Descriptor);
  EXPECT_EQ(&TppReport::StaticClassInfo(), &Descriptor->DescribedClass());
}

}  // namespace
