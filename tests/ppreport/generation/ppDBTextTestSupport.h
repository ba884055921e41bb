#pragma once
// What the data-aware text and calculation tests share: the band kind fixture (a page of 100 x 100
// mm with 10 mm margins, bands 10 mm high) over an in-memory table with typed fields, and the
// texts one component printed on a page.
#include <string>
#include <utility>
#include <vector>

#include "platform/data/MemDataSet.h"
#include "ppreport/generation/ppDBCalc.h"
#include "ppreport/generation/ppDBText.h"
#include "tests/ppreport/generation/ppBandKindsTestSupport.h"

namespace dbtexttest {

using bandkindstest::mm;

// One record: Id (integer), Name and Grp (text), Value (float), Day (date).
struct TRow {
  TDbValue Id, Name, Grp, Value, Day;
};

class DataTexts : public bandkindstest::BandKinds {
protected:
  TppDataSetPipeline* Pipe = nullptr;

  void Data(const std::vector<TRow>& Rows) {
    auto* Set = new TMemoryDataSet(&Form);
    Set->FieldDefs().Add("Id", ftInteger, 0);
    Set->FieldDefs().Add("Name", ftString, 20);
    Set->FieldDefs().Add("Grp", ftString, 20);
    Set->FieldDefs().Add("Value", ftFloat, 0);
    Set->FieldDefs().Add("Day", ftDate, 0);
    for (const TRow& R : Rows) Set->AppendRecord({R.Id, R.Name, R.Grp, R.Value, R.Day});
    Pipe = new TppDataSetPipeline(&Form);
    Pipe->SetDataSet(Set);
    Pipe->SetUserName("Data");
    Report->SetDataPipeline(Pipe);
  }
  // Records of the groups given (one letter a record) with the values given.
  void Grouped(const std::string& Groups, const std::vector<double>& Values) {
    std::vector<TRow> Rows;
    for (size_t I = 0; I < Groups.size(); ++I)
      Rows.push_back({static_cast<int>(I + 1), "r" + std::to_string(I + 1), std::string(1, Groups[I]), Values.at(I),
                      TDbValue::Null()});
    Data(Rows);
  }

  // A text of kind T on band B showing Field, 30 mm wide at Left.
  template <class T>
  T* Put(TppBand* B, const std::string& Field, int32_t Left = 30 * mm) {
    auto* C = new T(&Form);
    C->SetBounds(Left, 0, 30 * mm, B->mmHeight());
    C->SetBand(B);
    C->SetDataPipeline(Pipe);
    C->SetDataField(Field);
    return C;
  }
  TppDBCalc* Calc(TppBand* B, TppDBCalcType Kind, const std::string& Field = "Value", TppGroup* Reset = nullptr) {
    auto* C = Put<TppDBCalc>(B, Field, 60 * mm);
    C->SetDBCalcType(Kind);
    C->SetResetGroup(Reset);
    return C;
  }

  // The texts Component printed on a page, with their tops in millimetres.
  TTexts Of(const TComponent* Component, int Page) {
    TTexts T;
    auto It = Report->Pages.find(Page);
    if (It == Report->Pages.end()) return T;
    for (int I = 0; I < It->second->GetDrawCommandCount(); ++I) {
      auto* C = dynamic_cast<TppDrawText*>(It->second->GetDrawCommand(I));
      if (C && C->Component() == Component) T.emplace_back(C->Text(), C->Top() / mm);
    }
    return T;
  }
  TLabels TextsOf(const TComponent* Component, int Page) {
    TLabels L;
    for (auto& [Text, Top] : Of(Component, Page)) L.push_back(Text);
    return L;
  }
};

}  // namespace dbtexttest
