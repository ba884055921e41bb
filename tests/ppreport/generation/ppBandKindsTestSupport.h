#pragma once
// What the band kind tests share: a label that prints its text (and a field of its band's
// pipeline), and a report on the real engine with a page of 100 x 100 mm and 10 mm margins.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ppreport/core/ppGroup.h"
#include "ppreport/generation/ppGroupBands.h"
#include "ppreport/generation/ppPageBands.h"
#include "tests/ppreport/generation/ppEngineTestSupport.h"

namespace bandkindstest {

using enginetest::MakePipeline;
using enginetest::TTestReport;

// Prints its label, and the value of Field in its band's pipeline when it has one.
class TLabel : public TppComponent {
  DECLARE_CLASSINFO(TLabel)
public:
  explicit TLabel(TComponent* AOwner) : TppComponent(AOwner) {
    SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawText(nullptr); });
  }
  ~TLabel() override { BeforeDestruction(); }
  std::string Label, Field;
  void Generate() override {
    auto* B = static_cast<TppCustomBand*>(Band());
    const TRect R = B->GetPrintRect();
    SetPrintRect({R.Left + mmLeft(), R.Top + mmTop(), R.Left + mmLeft() + mmWidth(), R.Top + mmTop() + mmHeight()});
    SetSpaceUsed(mmHeight());
    SetGenerationComplete(true);
    FText = Label;
    if (TppDataPipeline* P = B->GetDataPipeline(); P && !Field.empty()) FText += " " + P->GetFieldAsString(Field);
  }
  void PropertiesToDrawCommand(TppDrawCommand* C) override {
    TppComponent::PropertiesToDrawCommand(C);
    C->SetLeft(PrintRect().Left);
    C->SetTop(PrintRect().Top);
    C->SetWidth(PrintRect().Width());
    C->SetHeight(PrintRect().Height());
    static_cast<TppDrawText*>(C)->SetText(FText);
  }

private:
  std::string FText;
};

inline const TClassInfo& TLabel::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLabel>("TBandKindsTestLabel", &TppComponent::StaticClassInfo());
  return Info;
}

constexpr int32_t mm = 1000;

// A page of 100 x 100 mm with 10 mm margins; every band 10 mm high unless said otherwise.
class BandKinds : public ::testing::Test {
protected:
  TComponent Form{nullptr};
  TTestReport* Report = new TTestReport(&Form);

  void SetUp() override {
    Report->SetUnits(utMMThousandths);  // the printer setup follows the report's units
    TppPrinterSetup* S = Report->PrinterSetup();
    S->SetPaperWidth(100 * mm);
    S->SetPaperHeight(100 * mm);
    for (auto Set : {&TppPrinterSetup::SetMarginLeft, &TppPrinterSetup::SetMarginRight, &TppPrinterSetup::SetMarginTop,
                     &TppPrinterSetup::SetMarginBottom})
      (S->*Set)(10 * mm);
  }
  // A band of kind T on the report with one label of its height.
  template <class T>
  T* Add(const std::string& Label, int32_t Height = 10 * mm, const std::string& Field = {}) {
    auto* B = new T(&Form);
    B->ChangeHeight(Height);
    B->SetReport(Report);
    Put(B, Label, Field);
    return B;
  }
  void Put(TppBand* B, const std::string& Label, const std::string& Field = {}) {
    auto* L = new TLabel(&Form);
    L->Label = Label;
    L->Field = Field;
    L->SetBounds(0, 0, 20 * mm, B->mmHeight());
    L->SetBand(B);
  }
  TppDetailBand* Detail(int32_t Height = 10 * mm) { return Add<TppDetailBand>("D", Height, "Name"); }
  void Rows(const std::vector<std::pair<std::string, std::string>>& R) {
    Report->SetDataPipeline(MakePipeline(&Form, R));
  }
  void Names(int Count) {
    std::vector<std::pair<std::string, std::string>> R;
    for (int I = 1; I <= Count; ++I) R.emplace_back("r" + std::to_string(I), "");
    Rows(R);
  }
  // A group on Field with its header and footer bands of the real kinds.
  TppGroup* Group(const std::string& Field, const std::string& Label, int32_t Height = 10 * mm) {
    auto* G = new TppGroup(&Form);
    G->SetReport(Report);
    G->SetBreakName(Field);
    G->SetDataPipeline(Report->DataPipeline());
    auto* H = new TppGroupHeaderBand(&Form);
    auto* F = new TppGroupFooterBand(&Form);
    H->SetGroup(G);
    F->SetGroup(G);
    H->ChangeHeight(Height);
    F->ChangeHeight(Height);
    Put(H, Label + "H", Field);
    Put(F, Label + "F");
    return G;
  }
  using TTexts = std::vector<std::pair<std::string, int32_t>>;
  using TLabels = std::vector<std::string>;
  TTexts Page(int No) {
    TTexts T;
    for (auto& [Text, Top] : Report->Texts(No)) T.emplace_back(Text, Top / mm);
    return T;
  }
  TLabels Labels(int No) {
    TLabels L;
    for (auto& [Text, Top] : Report->Texts(No)) L.push_back(Text);
    return L;
  }
  void Run() {
    Report->Reset();
    Report->Pages.clear();
    Report->Request(psAll);
  }
  // Every page generated again alone equals the page of the full run.
  void ExpectSinglePagesAlike() {
    Run();
    std::map<int, std::unique_ptr<TppPage>> First;
    for (auto& [No, P] : Report->Pages) {
      First[No] = std::make_unique<TppPage>(nullptr);
      First[No]->Assign(P.get());
    }
    for (auto& [No, P] : First) {
      Report->Pages.clear();
      Report->Request(psSinglePage, No);
      ASSERT_EQ(1u, Report->Pages.count(No)) << No;
      std::string Why;
      EXPECT_TRUE(enginetest::SamePage(*P, *Report->Pages[No], false, &Why)) << "page " << No << ": " << Why;
    }
  }
};

// One dynamic detail band of 10 mm for objects that grow over pages; the page limit stops an
// object that never ends instead of hanging the test.
class GrowingDetail : public BandKinds {
protected:
  TppDetailBand* Band = nullptr;

  void SetUp() override {
    BandKinds::SetUp();
    Names(1);
    Band = new TppDetailBand(&Form);
    Band->ChangeHeight(10 * mm);
    Band->SetReport(Report);
    Band->SetPrintHeight(phDynamic);
    Report->SetPageLimit(30);
  }
};

}  // namespace bandkindstest
