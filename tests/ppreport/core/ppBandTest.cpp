// The band base: its lists, the height protocol, widths, and old streams.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/Streams.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "tests/ppreport/core/ppModelTestSupport.h"

namespace {

using namespace pptest;

// Hears the band's height and size events; may refuse a new height.
class TBandHeightListener : public TppCommunicator {
public:
  TBandHeightListener() : TppCommunicator(nullptr) {
    for (int E : {ciBandHeightChanging, ciBandHeightChange, ciBandSizeChange}) EventMask().Include(E);
  }
  ~TBandHeightListener() override { BeforeDestruction(); }
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override {
    TppCommunicator::EventNotify(Sender, EventID, Params);
    Heard.push_back(EventID);
    if (EventID == ciBandHeightChanging && Refuse) Params->SetValue(1, false);
    if (EventID == ciBandHeightChange) OldHeight = Params->Value<int32_t>(0);
  }
  std::vector<int> Heard;
  bool Refuse = false;
  int32_t OldHeight = -1;
};

class BandModel : public ::testing::Test {
protected:
  TModelClasses Classes;
  TComponent Form{nullptr};
  TModelReport* Report = new TModelReport(&Form);
  TModelBand* Band = new TModelBand(&Form);
  void SetUp() override { Band->SetReport(Report); }
  TModelComponent* Add(const std::string& Name = {}) {
    auto* C = new TModelComponent(&Form);
    if (!Name.empty()) C->SetName(Name);
    C->SetBand(Band);
    return C;
  }
};

TEST_F(BandModel, ObjectsJoinWithNamesAndKeepTheirSubLists) {
  auto* Memo = new TModelComponent(&Form);
  Memo->Stretch = true;
  Memo->SetBand(Band);
  EXPECT_EQ(phDynamic, Band->PrintHeight());
  EXPECT_FALSE(Memo->GetUserName().empty());
  TModelComponent* Second = Add();
  EXPECT_NE(Memo->GetUserName(), Second->GetUserName());

  auto* Var = new TModelVariable(&Form);
  Var->SetBand(Band);
  auto* Saved = new TModelComponent(&Form);
  Saved->SavedText = true;
  Saved->SetBand(Band);
  EXPECT_EQ(0, Band->IndexOfVariable(Var));
  EXPECT_EQ(0, Band->IndexOfSave(Saved));
  Var->SetBand(nullptr);
  Saved->SetBand(nullptr);
  EXPECT_EQ(0, Band->GetVariableCount());
  EXPECT_EQ(0, Band->GetSaveCount());
  EXPECT_EQ(2, Band->GetObjectCount());
  delete Var;
  delete Saved;

  const int Resets = Report->Resets;
  Band->SetPrintHeight(phDynamic);  // unchanged: nothing
  EXPECT_EQ(Resets, Report->Resets);
  Band->SetPrintCount(2);
  EXPECT_EQ(3, Band->PrintMode());
  Band->SetPrintCount(0);
  EXPECT_EQ(1, Band->PrintMode());
}

// The band announces an object joining or leaving to its own listeners, with the object as sender.
TEST_F(BandModel, ObjectsJoiningAndLeavingAreAnnouncedByTheBand) {
  TppCommunicator Listener(nullptr);
  Listener.EventMask().Include(ciBandObjectAdd);
  Listener.EventMask().Include(ciBandObjectRemove);
  std::vector<std::pair<TppCommunicator*, int>> Heard;
  Listener.OnEventNotify = [&](TppCommunicator*, TppCommunicator* Sender, int EventID, TraParamList*) {
    Heard.emplace_back(Sender, EventID);
  };
  Band->AddEventNotify(&Listener);
  TModelComponent* C = Add("A");
  C->SetBand(nullptr);
  Band->RemoveEventNotify(&Listener);
  const std::vector<std::pair<TppCommunicator*, int>> Want = {{C, ciBandObjectAdd}, {C, ciBandObjectRemove}};
  EXPECT_EQ(Want, Heard);
  delete C;
}

TEST_F(BandModel, MoveObjectClampsOnlyAtTheEnd) {
  std::vector<TModelComponent*> C;
  for (const char* N : {"A", "B", "C", "D"}) C.push_back(Add(N));
  Band->MoveObject(0, 99);
  EXPECT_EQ(3, Band->IndexOfObject(C[0]));
  EXPECT_EQ(0, Band->IndexOfObject(C[1]));
  int Index = -1;
  EXPECT_TRUE(Band->FindObjectByName("A", Index));
  EXPECT_EQ(3, Index);
  EXPECT_FALSE(Band->FindObjectByName("a", Index));
  C[0]->SendToBack();
  EXPECT_EQ(0, Band->IndexOfObject(C[0]));
  C[0]->BringToFront();
  EXPECT_EQ(3, Band->IndexOfObject(C[0]));
}

TEST_F(BandModel, HeightChangesAskListenersAndAlwaysResize) {
  TBandHeightListener L;
  Band->AddEventNotify(&L);
  const int32_t Before = Band->mmHeight();
  Band->ChangeHeight(-5);
  EXPECT_EQ(0, Band->mmHeight());
  EXPECT_EQ(Before, L.OldHeight);
  EXPECT_EQ((std::vector<int>{ciBandHeightChanging, ciBandHeightChange, ciBandSizeChange}), L.Heard);

  L.Heard.clear();
  L.Refuse = true;
  const int Resets = Report->Resets;
  Band->ChangeHeight(9000);
  EXPECT_EQ(0, Band->mmHeight());
  EXPECT_EQ((std::vector<int>{ciBandHeightChanging, ciBandSizeChange}), L.Heard);
  EXPECT_GT(Report->Resets, Resets);
  Band->RemoveEventNotify(&L);
}

TEST_F(BandModel, WidthIsTheColumnOrThePrintableWidth) {
  auto* Header = new TModelBand(&Form, btHeader);
  Header->SetReport(Report);
  Report->SetColumns(3);
  Report->SetmmColumnWidth(50000);
  EXPECT_EQ(50000, Band->GetmmWidth());
  EXPECT_EQ(Report->PrinterSetup()->PageDef()->GetmmPrintableWidth(), Header->GetmmWidth());
  Report->SetColumns(1);
  EXPECT_EQ(Header->GetmmWidth(), Band->GetmmWidth());
  TModelBand Alone(nullptr);
  EXPECT_EQ(0, Alone.GetmmWidth());
}

TEST_F(BandModel, OldBandsGetABottomOffset) {
  Band->SetPrintHeight(phDynamic);
  Band->ChangeHeight(20000);
  TModelComponent* C = Add();
  C->SetBounds(0, 10000, 1000, 5000);
  Band->ConvertFromVersion(2999);
  EXPECT_EQ(5000, Band->mmBottomOffset());
  Band->ConvertFromVersion(3000);  // from then on it was stored
  EXPECT_EQ(5000, Band->mmBottomOffset());
}

// A report stored by version 2.0: band height and bounds in screen pixels, and an old calculation
// control, replaced by a variable once the reading has been loaded, without any event loop.
TEST_F(BandModel, OldCalculationControlsBecomeVariablesAfterLoading) {
  int Converted = 0;
  TppBand::SetCalcControlConverter([&](TppBand& Into, TppComponent& Old) -> TppComponent* {
    auto& Calc = dynamic_cast<TModelCalc&>(Old);
    EXPECT_TRUE(Calc.WasLoaded);  // everything read was loaded first
    EXPECT_FALSE(Calc.HasState(csLoading));
    auto* V = new TModelVariable(Into.Owner());
    V->SetBand(&Into);
    V->FromType = Calc.CalcType;
    V->SetBounds(Old.mmLeft(), Old.mmTop(), Old.mmWidth(), Old.mmHeight());
    ++Converted;
    return V;
  });
  TFinally Restore([] { TppBand::SetCalcControlConverter(nullptr); });
  const char* Text =
      "object Report1: TModelReport\n"
      "  Version = '2.0'\n"
      "  object Band1: TModelBand\n"
      "    Height = 50\n"
      "    object Calc1: TppCalc\n"
      "      CalcType = ctPageNo\n"
      "      Left = 96\n"
      "      Top = 4.5\n"
      "      Width = 65\n"
      "      Height = 17\n"
      "    end\n"
      "    object Label1: TModelComponent\n"
      "    end\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TComponent> Root = ReadFromText(Text);
  auto* Read = dynamic_cast<TModelReport*>(Root.get());
  ASSERT_NE(nullptr, Read);
  ASSERT_EQ(1, Read->BandCount());
  TppBand* B = Read->GetBands(0);
  EXPECT_EQ(13229, B->mmHeight());  // 50 screen pixels
  EXPECT_EQ(1, Converted);
  ASSERT_EQ(2, B->GetObjectCount());
  TModelVariable* V = nullptr;
  for (int I = 0; I < B->GetObjectCount(); ++I) {
    EXPECT_NE("TppCalc", B->GetObjects(I)->ClassName());
    if (auto* X = dynamic_cast<TModelVariable*>(B->GetObjects(I))) V = X;
  }
  ASSERT_NE(nullptr, V);
  EXPECT_EQ("Calc1", V->Name());
  EXPECT_EQ(ctPageNo, V->FromType);
  EXPECT_EQ(25400, V->mmLeft());  // one inch of screen pixels
  EXPECT_EQ(B, V->Band());
  EXPECT_EQ(0, B->IndexOfVariable(V));
}

TEST_F(BandModel, NewerStreamsConvertNoControls) {
  int Converted = 0;
  TppBand::SetCalcControlConverter([&](TppBand&, TppComponent&) -> TppComponent* {
    ++Converted;
    return nullptr;
  });
  TFinally Restore([] { TppBand::SetCalcControlConverter(nullptr); });
  auto* Old = new TModelCalc(&Form);
  Old->SetBand(Band);
  Band->ConvertFromVersion(3999);
  EXPECT_EQ(0, Converted);
  Band->ConvertFromVersion(3998);  // outside a reading: at once
  EXPECT_EQ(1, Converted);
  EXPECT_EQ(0, Band->IndexOfObject(Old));  // the converter made nothing: the control stays
}

TEST_F(BandModel, ReadingOrdersSavesAndVariablesByTheirStoredPlaces) {
  const char* Text =
      "object Band1: TModelBand\n"
      "  object A: TModelVariable\n"
      "    CalcOrder = 1\n"
      "    SavedText = True\n"
      "    SavePosition = 1\n"
      "  end\n"
      "  object B: TModelVariable\n"
      "    CalcOrder = 0\n"
      "    SavedText = True\n"
      "    SavePosition = 0\n"
      "  end\n"
      "  object C: TModelVariable\n"
      "    CalcOrder = 7\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TComponent> Root = ReadFromText(Text);
  auto* B = dynamic_cast<TppBand*>(Root.get());
  ASSERT_NE(nullptr, B);
  ASSERT_EQ(3, B->GetVariableCount());
  EXPECT_EQ("B", B->GetVariables(0)->Name());
  EXPECT_EQ("A", B->GetVariables(1)->Name());
  EXPECT_EQ("C", B->GetVariables(2)->Name());  // an order beyond the list stays where it was read
  ASSERT_EQ(2, B->GetSaveCount());
  EXPECT_EQ("B", B->GetSaves(0)->Name());
  EXPECT_EQ("A", B->GetSaves(1)->Name());
}

}  // namespace
