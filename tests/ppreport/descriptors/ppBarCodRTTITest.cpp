// The barcode's descriptor: every name it describes, values by name on a real barcode (Orientation
// through the published property), and the data-aware barcode served by the component's descriptor.
#include <gtest/gtest.h>

#include "ppreport/generation/ppBarCod.h"
#include "tests/ppreport/descriptors/ppDescriptorsTestSupport.h"

namespace descriptorstest {
namespace {

TEST(ppBarCodRTTITest, EveryDescribedNameOfTheBarCode) {
  ExpectNames(TppBarCode::StaticClassInfo(), "TraTppBarCodeRTTI",
              {{"AddOnCode", vkString, false},
               {"Data", vkString, false},
               {"AutoEncode", vkBoolean, false},
               {"AutoSizeFont", vkBoolean, false},
               {"BearerBars", vkBoolean, false},
               {"CalcCheckDigit", vkBoolean, false},
               {"PrintHumanReadable", vkBoolean, false},
               {"BarWidth", vkSingle, false},
               {"WideBarRatio", vkSingle, false},
               {"BarCodeType", vkEnum, false, -1, -1, "TppBarCodeType"},
               {"BarColor", vkEnum, false, -1, -1, "TColor"},
               {"Orientation", vkEnum, false, -1, -1, "TppBarCodeOrientation"}});
  // No descriptor of its own: the component's vocabulary and its published properties.
  DescriptorOf(TppDBBarCode::StaticClassInfo(), "TraTppComponentRTTI");
}

TEST(ppBarCodRTTITest, ValuesByNameReachTheBarCode) {
  TComponent Form(nullptr);
  auto* Bar = new TppBarCode(&Form);
  auto* Field = new TppDBBarCode(&Form);
  ExpectPublishedRoundTrip(*Bar);
  ExpectPublishedRoundTrip(*Field);

  EXPECT_TRUE(SetOrd(*Bar, "BarCodeType", bcEAN_13));
  EXPECT_EQ(bcEAN_13, Bar->BarCodeType());
  EXPECT_EQ("0012345678905", Get(*Bar, "Data").Str);  // the symbology's sample
  EXPECT_TRUE(SetStr(*Bar, "AddOnCode", "12"));
  EXPECT_EQ("12", Bar->AddOnCode());
  Bar->SetUnits(utInches);
  EXPECT_TRUE(SetFloat(*Bar, "BarWidth", 0.02f));
  EXPECT_EQ(508, Bar->mmBarWidth());
  EXPECT_FLOAT_EQ(0.02f, static_cast<float>(Get(*Bar, "BarWidth").Float));
  EXPECT_TRUE(SetFloat(*Bar, "WideBarRatio", 2.5f));
  EXPECT_FLOAT_EQ(2.5f, Bar->WideBarRatio());
  EXPECT_TRUE(SetOrd(*Bar, "BarColor", 0x00102030));
  EXPECT_EQ(0x00102030, Bar->BarColor());
  EXPECT_EQ(0x00102030, Get(*Bar, "BarColor").Ord);
  EXPECT_TRUE(SetOrd(*Bar, "Orientation", orBottomToTop));  // through the published property
  EXPECT_EQ(orBottomToTop, Bar->Orientation());
  EXPECT_EQ(orBottomToTop, Get(*Bar, "Orientation").Ord);
  std::string Text;
  TraRTTIClassRegistry::GetRTTIClass(*Bar)->GetPropValueText(Bar, "Orientation", Text);
  EXPECT_EQ("orBottomToTop", Text);
  EXPECT_TRUE(SetStr(*Bar, "Data", "4006381333931"));
  EXPECT_EQ("4006381333931", Bar->Data());
  EXPECT_TRUE(Bar->CodeOK());

  // The data-aware barcode's data: read through its published field name, not "Data".
  TraValue V;
  EXPECT_FALSE(TraRTTIClassRegistry::GetRTTIClass(*Field)->GetPropValue(Field, "Data", V));
  EXPECT_TRUE(SetStr(*Field, "DataField", "Codigo"));
  EXPECT_EQ("Codigo", Field->DataField());
}

}  // namespace
}  // namespace descriptorstest
