// The report's columns: count and width against the printable width, the column bands, the
// positions in the report's units, and the confirmation before objects beyond the width go.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/app/DialogService.h"
#include "platform/app/Dialogs.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "tests/ppreport/core/ppModelTestSupport.h"

namespace reportcolumnstest {

using namespace pptest;

class TColumnReport : public TModelReport {
public:
  using TModelReport::TModelReport;
  ~TColumnReport() override { BeforeDestruction(); }
  // Column bands are made without owner; the report names them and lets them join.
  TppBand* CreateBand(TppBandType Kind) override { return new TModelBand(nullptr, Kind); }
};

class TColumnDesigner : public TComponent, public IppDesigner {
public:
  TColumnDesigner() : TComponent(nullptr) {}
  void PropertyChanging(const std::string&, TComponent*) override {}
  void Modified(TComponent*) override {}
  void Message(int, intptr_t, intptr_t) override {}
  TComponent* ComponentCreator() override { return nullptr; }
};

class ReportColumns : public ::testing::Test {
protected:
  TModelClasses Classes;
  TComponent Form{nullptr};
  TColumnReport* Report = new TColumnReport(&Form);
  TModelBand* Detail = new TModelBand(&Form, btDetail);
  TModelBand* Header = new TModelBand(&Form, btHeader);
  void SetUp() override {
    TppPageDef* Page = Report->PrinterSetup()->PageDef();
    Page->SetmmWidth(1100);
    Page->SetmmMarginLeft(100);
    Page->SetmmMarginRight(100);  // 900 printable
    Report->SetUnits(utMMThousandths);
    Detail->SetReport(Report);
    Header->SetReport(Report);
  }
  TModelComponent* At(TppBand* Band, int32_t Left) {
    auto* C = new TModelComponent(&Form);
    C->SetBand(Band);
    C->SetmmLeft(Left);
    return C;
  }
};

TEST_F(ReportColumns, ColumnCountDividesThePrintableWidthAndBringsColumnBands) {
  Report->SetColumns(0);
  EXPECT_EQ(1, Report->Columns());
  EXPECT_EQ(2, Report->BandCount());

  Report->SetColumns(7);
  EXPECT_EQ(128, Report->mmColumnWidth());
  ASSERT_NE(nullptr, Report->GetBand(btColumnHeader, 0));
  ASSERT_NE(nullptr, Report->GetBand(btColumnFooter, 0));
  EXPECT_EQ(4, Report->BandCount());
  EXPECT_EQ(&Form, Report->GetBand(btColumnHeader, 0)->Owner());
  EXPECT_FALSE(Report->GetBand(btColumnHeader, 0)->Name().empty());

  Report->SetColumns(2);  // not from 1: no second pair
  EXPECT_EQ(4, Report->BandCount());
  EXPECT_EQ(450, Report->mmColumnWidth());

  // Back to one column without a designer: bands and width stay.
  Report->SetColumns(1);
  EXPECT_EQ(1, Report->Columns());
  EXPECT_EQ(4, Report->BandCount());
  EXPECT_EQ(450, Report->mmColumnWidth());
}

TEST_F(ReportColumns, ColumnWidthIsBoundedAndMayLowerTheCount) {
  struct Case {
    int Columns;
    float Width;
    int32_t mmWidth;
    int ColumnsAfter;
  } Cases[] = {
      {2, 5000, 900, 1},  // wider than the page: the printable width, one column fits
      {4, 300, 300, 3},
      {4, 250, 250, 4},  // 900 / 250 is 3.6, taken to 4
      {2, 0, 0, 1},      // no width: one column
      {1, 200, 200, 1},
  };
  for (const Case& C : Cases) {
    Report->SetColumns(C.Columns);
    Report->SetColumnWidth(C.Width);
    EXPECT_EQ(C.mmWidth, Report->mmColumnWidth()) << C.Columns << " x " << C.Width;
    EXPECT_EQ(C.ColumnsAfter, Report->Columns()) << C.Columns << " x " << C.Width;
    EXPECT_FLOAT_EQ(static_cast<float>(C.mmWidth), Report->GetColumnWidth());
  }
}

TEST_F(ReportColumns, PositionsAreShownInTheReportsUnitsAndStoredInMicrons) {
  Report->SetUnits(utInches);
  TStringList Edited;
  Edited.Add("1");
  Edited.Add("2,5");
  Report->SetColumnPositions(&Edited);
  EXPECT_EQ("25400", Report->StoredColumnPositions().Get(0));
  EXPECT_EQ("63500", Report->StoredColumnPositions().Get(1));
  TStrings* Shown = Report->GetColumnPositions();
  EXPECT_EQ("1", Shown->Get(0));
  EXPECT_EQ("2,5", Shown->Get(1));
  // Editing the list handed out comes back converted.
  Shown->Put(0, "2");
  EXPECT_EQ("50800", Report->StoredColumnPositions().Get(0));

  // Streams carry the microns, whatever the units.
  TMemoryStream Out;
  WriteComponentToStream(Out, Report);
  auto* Again = new TColumnReport(&Form);
  Out.SetPosition(0);
  ReadComponentFromStream(Out, Again);
  EXPECT_EQ("50800", Again->StoredColumnPositions().Get(0));
  EXPECT_EQ("63500", Again->StoredColumnPositions().Get(1));
  EXPECT_EQ("2", Again->GetColumnPositions()->Get(0));
}

TEST_F(ReportColumns, ObjectsBeyondTheWidthAreFreedOnlyWhenTheDesignerAgrees) {
  TModelComponent* Inside = At(Header, 500);
  TModelComponent* Beyond = At(Header, 501);
  EXPECT_TRUE(Report->CheckObjectsBeyondWidth(TppCustomReport::cmCheck, 500));
  Beyond->SetmmLeft(500);
  EXPECT_FALSE(Report->CheckObjectsBeyondWidth(TppCustomReport::cmCheck, 500));
  Beyond->SetmmLeft(501);
  // Without a designer nothing is asked.
  EXPECT_TRUE(Report->ConfirmObjectsFit(500, 292));

  TColumnDesigner Designer;
  Report->SetReportDesigner(&Designer);
  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService* Script = Service.get();
  TDialogServiceScope Scope(std::move(Service));
  Script->Cancel();
  EXPECT_FALSE(Report->ConfirmObjectsFit(500, 292));
  EXPECT_EQ(LanguageString(292), Script->LastCall<TMessageRequest>().Text);
  EXPECT_EQ(2, Header->GetObjectCount());

  // In columns a column band is measured against the column width (450), the header against
  // the page (900). A refused count changes nothing; an accepted one frees what lies beyond.
  TModelComponent* InColumn = At(Detail, 460);
  Script->Cancel();
  Report->SetColumns(2);
  EXPECT_EQ(1, Report->Columns());
  EXPECT_EQ(0, Report->mmColumnWidth());
  EXPECT_EQ(InColumn, Detail->GetObjects(0));
  Script->Answer(mrOk);
  Report->SetColumns(2);
  EXPECT_EQ(2, Report->Columns());
  EXPECT_EQ(450, Report->mmColumnWidth());
  EXPECT_EQ(0, Detail->GetObjectCount());
  EXPECT_EQ(2, Header->GetObjectCount());
  EXPECT_EQ(Inside, Header->GetObjects(0));
  EXPECT_EQ(3u, Script->Calls.size());
  Report->SetReportDesigner(nullptr);
}

TEST_F(ReportColumns, WithADesignerOneColumnTakesTheColumnBandsAwayWhenAllowed) {
  Report->SetColumns(2);
  ASSERT_EQ(4, Report->BandCount());
  TppBand* ColumnHeader = Report->GetBand(btColumnHeader, 0);
  At(ColumnHeader, 0);
  TColumnDesigner Designer;
  Report->SetReportDesigner(&Designer);
  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService* Script = Service.get();
  TDialogServiceScope Scope(std::move(Service));

  Script->Cancel();
  Report->SetColumns(1);
  EXPECT_EQ(LanguageString(294), Script->LastCall<TMessageRequest>().Text);  // only the header holds objects
  EXPECT_EQ(2, Report->Columns());
  EXPECT_EQ(450, Report->mmColumnWidth());
  EXPECT_EQ(4, Report->BandCount());

  Script->Answer(mrOk);
  Report->SetColumns(1);
  EXPECT_EQ(1, Report->Columns());
  EXPECT_EQ(900, Report->mmColumnWidth());
  EXPECT_EQ(2, Report->BandCount());
  EXPECT_EQ(nullptr, Report->GetBand(btColumnHeader, 0));
  Report->SetReportDesigner(nullptr);
}

}  // namespace reportcolumnstest
