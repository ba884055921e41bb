#pragma once
// A banded report as a program makes one, for the window tests: an in-memory table of rows
// ("Linha 1", "Linha 2"... unless the test names them) printed one row a detail band, with the
// generation library started for it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/app/Application.h"
#include "platform/data/MemDataSet.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/generation/ppGeneration.h"
#include "ppreport/generation/ppDBText.h"
#include "ppreport/generation/ppReport.h"

class BandedReportTest : public ::testing::Test {
protected:
  void SetUp() override { InitializePPGeneration(); }
  void TearDown() override {
    Form.reset();
    for (int I = 0; I < 20; ++I) Application->ProcessMessages();  // forms released on close
    FinalizePPGeneration();
  }

  // Rows rows, each in a detail band BandHeight thousandths of a millimetre high.
  TppReport* MakeReport(int Rows, int32_t BandHeight, std::function<std::string(int)> RowText = nullptr) {
    auto* Set = new TMemoryDataSet(Form.get());
    Set->FieldDefs().Add("Name", ftString, 40);
    for (int I = 1; I <= Rows; ++I) Set->AppendRecord({RowText ? RowText(I) : "Linha " + std::to_string(I)});
    auto* Pipe = new TppDataSetPipeline(Form.get());
    Pipe->SetDataSet(Set);
    auto* R = new TppReport(Form.get());
    R->SetUnits(utMMThousandths);
    R->SetDataPipeline(Pipe);
    R->CreateMissingBands();
    TppBand* Detail = R->GetDetailBand();
    Detail->ChangeHeight(BandHeight);
    auto* Text = new TppDBText(Form.get());
    Text->SetAutoSize(false);
    Text->SetBounds(10000, 0, 60000, 5000);
    Text->SetBand(Detail);
    Text->SetDataPipeline(Pipe);
    Text->SetDataField("Name");
    return R;
  }

  std::unique_ptr<TComponent> Form = std::make_unique<TComponent>(nullptr);
};
