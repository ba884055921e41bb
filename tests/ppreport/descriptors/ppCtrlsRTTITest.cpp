// The descriptors of the printable base, the component and the controls that do not stretch:
// every name each describes, the names listed and hidden, values read and written by name on real
// controls, and the names whose write answers False.
#include <gtest/gtest.h>

#include "platform/classes/StringList.h"
#include "ppreport/core/ppGraphics.h"
#include "ppreport/core/ppModelRTTI.h"
#include "ppreport/generation/ppDBCalc.h"
#include "ppreport/generation/ppShapes.h"
#include "tests/ppreport/descriptors/ppDescriptorsTestSupport.h"

namespace descriptorstest {
namespace {

TEST(ppCtrlsRTTITest, EveryDescribedNameOfTheControls) {
  // The printable's and the component's names, reached through a label's descriptor chain.
  ExpectNames(TppLabel::StaticClassInfo(), "TraTppCustomTextRTTI",
              {{"OnPrint", vkMethod, true, 32},
               {"OnDrawCommandCreate", vkMethod, true, 84, 1},
               {"OnDrawCommandClick", vkMethod, true, 85, 1},
               {"DefaultPropHint", vkString, true},
               {"DefaultPropName", vkString, true},
               {"DefaultPropEditType", vkEnum, true, -1, -1, "TppPropEditType"},
               {"DrawComponent", vkBoolean, true},
               {"GenerationComplete", vkBoolean, true},
               {"LookupPipeline", vkBoolean, true},
               {"OutOfSpace", vkBoolean, true},
               {"OverFlow", vkBoolean, true},
               {"ResetOnCompute", vkBoolean, true},
               {"mmLeft", vkInteger, true},
               {"mmHeight", vkInteger, true},
               {"mmTop", vkInteger, true},
               {"mmWidth", vkInteger, true},
               {"SpaceUsed", vkInteger, true},
               {"ZOrder", vkInteger, true},
               {"Alignment", vkEnum, false, -1, -1, "TAlignment"},
               {"ParentHeight", vkBoolean, false},
               {"ParentWidth", vkBoolean, false},
               {"ReprintOnOverFlow", vkBoolean, false},
               {"ShiftWithParent", vkBoolean, false},
               {"StretchWithParent", vkBoolean, false},
               {"Visible", vkBoolean, false},
               {"WordWrap", vkBoolean, false},
               {"Caption", vkString, false},
               {"DataField", vkString, false},
               {"DataPipeline", vkClass, false, -1, -1, "TppDataPipeline"},
               {"Font", vkClass, false, -1, -1, "TFont"},
               {"Height", vkSingle, false},
               {"Left", vkSingle, false},
               {"Top", vkSingle, false},
               {"Width", vkSingle, false},
               {"spLeft", vkInteger, false},
               {"spHeight", vkInteger, false},
               {"spTop", vkInteger, false},
               {"spWidth", vkInteger, false},
               {"Units", vkEnum, false, -1, -1, "TppUnitType"},
               {"BandType", vkEnum, true, -1, -1, "TppBandType"},
               {"Index", vkInteger, true},
               {"ParentIndex", vkInteger, true},
               {"GroupNo", vkInteger, true},
               {"NextSibling", vkClass, true, -1, -1, "TppComponent"},
               {"Parent", vkClass, true, -1, -1, "TComponent"},
               {"ResetGroup", vkClass, true, -1, -1, "TppGroup"},
               {"Band", vkClass, false, -1, -1, "TppBand"},
               {"Region", vkClass, false, -1, -1, "TppComponent"},
               {"ParentDataPipeline", vkBoolean, false},
               {"AnchorNone", vkBoolean, false},
               {"AnchorLeftTop", vkBoolean, false},
               {"AnchorRightBottom", vkBoolean, false},
               // the text's own
               {"OnGetText", vkMethod, true, 53, 1},
               {"AutoSize", vkBoolean, true},
               {"Description", vkString, true},
               {"RotatedOriginLeft", vkInteger, true},
               {"RotatedOriginTop", vkInteger, true},
               {"CharWrap", vkBoolean, false},
               {"Save", vkBoolean, false},
               {"Transparent", vkBoolean, false},
               {"Color", vkEnum, false, -1, -1, "TColor"},
               {"SaveOrder", vkInteger, false},
               {"SaveLength", vkInteger, false},
               {"Text", vkString, false}});
  ExpectNames(TppDBText::StaticClassInfo(), "TraTppDBTextRTTI",
              {{"FieldValue", vkVariant, true},
               {"AlreadyPrinted", vkBoolean, true},
               {"PriorValueSame", vkBoolean, true},
               {"FirstPage", vkInteger, true},
               {"PriorValue", vkString, true},
               {"BlankWhenZero", vkBoolean, false},
               {"ReprintOnSubsequent", vkBoolean, false},
               {"SuppressRepeatedValues", vkBoolean, false}});
  ExpectNames(TppDBCalc::StaticClassInfo(), "TraTppDBCalcRTTI",
              {{"OnCalc", vkMethod, true, 33},
               {"Value", vkVariant, true},
               {"Divisor", vkDouble, false},
               {"DBCalcType", vkEnum, false, -1, -1, "TppDBCalcType"},
               {"Clear", vkMethod, true},
               {"GetLookAheadKey", vkMethod, true, -1, 1},
               {"GetLookAheadValue", vkMethod, true, -1, 2}});
  ExpectNames(TppShape::StaticClassInfo(), "TraTppShapeRTTI",
              {{"Brush", vkClass, false, -1, -1, "TBrush"},
               {"Pen", vkClass, false, -1, -1, "TPen"},
               {"Shape", vkEnum, false, -1, -1, "TShapeType"}});
  ExpectNames(TppLine::StaticClassInfo(), "TraTppLineRTTI",
              {{"Position", vkEnum, false, -1, -1, "TppLinePositionType"},
               {"Style", vkEnum, false, -1, -1, "TppLineStyleType"}});

  using L = std::vector<std::string>;
  const L Component = {"Band",          "AnchorNone",     "AnchorLeft",       "AnchorTop",        "AnchorRight",
                       "AnchorBottom",  "AnchorLeftTop",  "AnchorRightTop",   "AnchorLeftBottom", "AnchorRightBottom"};
  L Text = Component;
  Text.insert(Text.end(), {"RotatedOriginLeft", "RotatedOriginTop"});
  EXPECT_EQ(Text, ListedNames(TppLabel::StaticClassInfo()));
  EXPECT_EQ(Component, ListedNames(TppShape::StaticClassInfo()));
  L Calc = Text;
  Calc.insert(Calc.end(), {"FieldValue", "Value", "Clear", "GetLookAheadKey", "GetLookAheadValue"});
  EXPECT_EQ(Calc, ListedNames(TppDBCalc::StaticClassInfo()));
  EXPECT_EQ((L{"OnCalc", "OnDrawCommandClick", "OnDrawCommandCreate", "OnGetText", "OnGroupBreak", "OnPrint"}),
            EventNames(TppDBCalc::StaticClassInfo()));
}

TEST(ppCtrlsRTTITest, PublishedPropertiesGoBothWaysByName) {
  TComponent Form(nullptr);
  for (TppComponent* C : std::initializer_list<TppComponent*>{new TppLabel(&Form), new TppDBText(&Form),
                                                              new TppDBCalc(&Form), new TppShape(&Form),
                                                              new TppLine(&Form)})
    ExpectPublishedRoundTrip(*C);
}

TEST(ppCtrlsRTTITest, ValuesByNameReachTheControls) {
  TComponent Form(nullptr);
  auto* Label = new TppLabel(&Form);
  EXPECT_TRUE(SetOrd(*Label, "CharWrap", 1));
  EXPECT_TRUE(Label->CharWrap());
  EXPECT_TRUE(SetOrd(*Label, "Color", 0x00804020));  // a colour travels whole
  EXPECT_EQ(0x00804020, Label->Color());
  EXPECT_EQ(0x00804020, Get(*Label, "Color").Ord);
  EXPECT_TRUE(SetStr(*Label, "Text", "Pedido"));
  EXPECT_EQ("Pedido", Get(*Label, "Text").Str);
  EXPECT_TRUE(SetOrd(*Label, "AutoSize", 0));  // described read-only, written all the same
  EXPECT_FALSE(Label->AutoSize());
  TppFont Big;
  Big.SetSize(20);
  EXPECT_TRUE(SetObj(*Label, "Font", &Big));
  EXPECT_EQ(20, Label->Font()->Size());
  EXPECT_TRUE(SetOrd(*Label, "AnchorBottom", 0));  // writing False sets the set all the same
  EXPECT_EQ(ppAnchorBottom, Label->Anchors());

  auto* Calc = new TppDBCalc(&Form);
  EXPECT_EQ(0, Get(*Calc, "FieldValue").Var.AsInteger());  // unbound
  TraValue V;
  V.Var = Variant(12.5);
  EXPECT_TRUE(TraRTTIClassRegistry::GetRTTIClass(*Calc)->SetPropValue(Calc, "Value", V));
  EXPECT_EQ(12.5, Calc->Value());
  EXPECT_EQ(12.5, Get(*Calc, "Value").Var.AsFloat());
  EXPECT_TRUE(SetFloat(*Calc, "Divisor", 4));
  EXPECT_EQ(4, Calc->Divisor());
  EXPECT_TRUE(SetOrd(*Calc, "DBCalcType", dcCount));
  EXPECT_EQ(dcCount, Calc->DBCalcType());
  const TraRTTI& D = *TraRTTIClassRegistry::GetRTTIClass(*Calc);
  EXPECT_TRUE(D.CallMethod(Calc, "Clear", nullptr));
  EXPECT_EQ(0, Calc->Value());
  EXPECT_EQ(0, Calc->Divisor());
  auto P = D.GetParams("GetLookAheadValue");
  std::string Key = "k", Result;
  P->BindParam(0, &Key);
  P->BindParam(1, &Result);
  EXPECT_TRUE(D.CallMethod(Calc, "GetLookAheadValue", P.get()));
  EXPECT_EQ("0", Result);  // no look-ahead list

  auto* Line = new TppLine(&Form);
  EXPECT_TRUE(SetOrd(*Line, "Position", lpLeft));
  EXPECT_EQ(lpLeft, Line->Position());
  EXPECT_EQ(lpLeft, Get(*Line, "LinePosition").Ord);  // an alias without a record
  TraPropRec R;
  EXPECT_FALSE(TraRTTIClassRegistry::GetRTTIClass(*Line)->GetPropRec(*Line->ClassInfo(), "LinePosition", R));

  auto* Shape = new TppShape(&Form);
  TppBrush Red;
  Red.SetColor(clRed);
  EXPECT_TRUE(SetObj(*Shape, "Brush", &Red));
  EXPECT_EQ(clRed, Shape->Brush()->Color());
  EXPECT_TRUE(SetOrd(*Shape, "Shape", stCircle));
  EXPECT_EQ(stCircle, Shape->Shape());
  EXPECT_FALSE(SetObj(*Shape, "Region", Line));  // not a region: nothing changes
  EXPECT_EQ(nullptr, Shape->Region());
}

TEST(ppCtrlsRTTITest, NamesWhoseWriteAnswersFalse) {
  TComponent Form(nullptr);
  auto* Label = new TppLabel(&Form);
  auto* Text = new TppDBText(&Form);
  auto* Line = new TppLine(&Form);
  Label->SetmmLeft(1000);
  const struct {
    TppComponent* Object;
    const char* Name;
  } Cases[] = {
      {Label, "mmLeft"},          {Label, "SpaceUsed"},      {Label, "DrawComponent"},
      {Label, "OutOfSpace"},      {Label, "ZOrder"},         {Label, "Description"},
      {Label, "Index"},           {Label, "ParentIndex"},    {Label, "NextSibling"},
      {Label, "RotatedOriginLeft"}, {Label, "OnGetText"},    {Label, "OnPrint"},
      {Text, "FieldValue"},       {Text, "PriorValue"},      {Text, "AlreadyPrinted"},
      {Line, "LinePosition"},     {Label, "NoSuchName"},
  };
  for (const auto& C : Cases) {
    TraValue V;
    V.Ord = 7;
    V.Str = "x";
    EXPECT_FALSE(TraRTTIClassRegistry::GetRTTIClass(*C.Object)->SetPropValue(C.Object, C.Name, V)) << C.Name;
  }
  EXPECT_EQ(1000, Label->mmLeft());
  TraValue V;
  EXPECT_FALSE(TraRTTIClassRegistry::GetRTTIClass(*Label)->GetPropValue(Label, "OnGetText", V));  // events: described only
}

}  // namespace
}  // namespace descriptorstest
