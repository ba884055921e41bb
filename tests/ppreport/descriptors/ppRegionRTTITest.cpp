// The region's and the image controls' descriptors: every name each describes, members by index,
// a component's region written by name, and the picture handed over as a bare object.
#include <gtest/gtest.h>

#include "ppreport/core/ppGraphics.h"
#include "ppreport/generation/ppCtrlsImage.h"
#include "ppreport/generation/ppRegion.h"
#include "ppreport/generation/ppShapes.h"
#include "tests/ppreport/descriptors/ppDescriptorsTestSupport.h"

namespace descriptorstest {
namespace {

TEST(ppRegionRTTITest, EveryDescribedNameOfRegionsAndImages) {
  ExpectNames(TppRegion::StaticClassInfo(), "TraTppCustomRegionRTTI",
              {{"ObjectCount", vkInteger, true},
               {"MaxStretchable", vkClass, true, -1, -1, "TppStretchable"},
               {"Brush", vkClass, false, -1, -1, "TBrush"},
               {"Pen", vkClass, false, -1, -1, "TPen"},
               {"ParentWidth", vkBoolean, false},
               {"Objects", vkMethod, true, -1, 2, ""}});
  ExpectNames(TppImage::StaticClassInfo(), "TraTppCustomImageRTTI",
              {{"Center", vkBoolean, false},
               {"DirectDraw", vkBoolean, false},
               {"MaintainAspectRatio", vkBoolean, false},
               {"Stretch", vkBoolean, false},
               {"Transparent", vkBoolean, false}});
  ExpectNames(TppDBImage::StaticClassInfo(), "TraTppDBImageRTTI",
              {{"Picture", vkPointer, false}, {"OnGetPicture", vkMethod, true, 69, 1}});
  EXPECT_EQ("Picture", ListedNames(TppDBImage::StaticClassInfo()).back());
  TraPropRec R;
  ASSERT_TRUE(DescriptorOf(TppRegion::StaticClassInfo(), "TraTppCustomRegionRTTI")
                  .GetPropRec(TppRegion::StaticClassInfo(), "Objects", R));
  EXPECT_TRUE(R.IsArray);
  EXPECT_STREQ("TppComponent", R.ClassType ? R.ClassType->Name : "");
}

TEST(ppRegionRTTITest, MembersPenAndPictureByName) {
  TComponent Form(nullptr);
  auto* Region = new TppRegion(&Form);
  auto* Shape = new TppShape(&Form);
  auto* Line = new TppLine(&Form);
  ExpectPublishedRoundTrip(*Region);
  EXPECT_TRUE(SetObj(*Shape, "Region", Region));
  EXPECT_TRUE(SetObj(*Line, "Region", Region));
  EXPECT_EQ(Region, Shape->Region());
  EXPECT_FALSE(SetObj(*Line, "Region", Shape));  // not a region: it stays where it was
  EXPECT_EQ(Region, Line->Region());
  EXPECT_EQ(2, Get(*Region, "ObjectCount").Ord);

  const TraRTTI& D = *TraRTTIClassRegistry::GetRTTIClass(*Region);
  auto P = D.GetParams("Objects");
  int Index = 1;
  TppComponent* Member = nullptr;
  P->BindParam(0, &Index);
  P->BindParam(1, &Member);
  EXPECT_TRUE(D.CallMethod(Region, "Objects", P.get()));
  EXPECT_EQ(Line, Member);

  TppPen Thick;
  Thick.SetWidth(3);
  EXPECT_TRUE(SetObj(*Region, "Pen", &Thick));
  EXPECT_EQ(3, Region->Pen()->Width());
  EXPECT_TRUE(SetOrd(*Region, "ParentWidth", 1));  // written by the printable's descriptor
  EXPECT_TRUE(Region->ParentWidth());

  auto* Image = new TppDBImage(&Form);
  ExpectPublishedRoundTrip(*Image);
  EXPECT_TRUE(SetOrd(*Image, "MaintainAspectRatio", 1));
  EXPECT_TRUE(Image->MaintainAspectRatio());
  EXPECT_EQ(Image->GetPicture(), Get(*Image, "Picture").Obj);
  TppPicture Picture;
  EXPECT_TRUE(SetObj(*Image, "Picture", &Picture));
  EXPECT_FALSE(SetObj(*Image, "Picture", Shape));  // only a picture is taken
  EXPECT_FALSE(SetObj(*Image, "Picture", nullptr));
}

}  // namespace
}  // namespace descriptorstest
