// The descriptors of the stretching base, the memos and the rich text draw command: every name each
// describes, values by name on real memos, and the names whose write answers False.
#include <gtest/gtest.h>

#include "platform/classes/StringList.h"
#include "ppreport/generation/ppMemo.h"
#include "ppreport/generation/ppRichTxDrwCmd.h"
#include "tests/ppreport/descriptors/ppDescriptorsTestSupport.h"

namespace descriptorstest {
namespace {

TEST(ppMemoRTTITest, EveryDescribedNameOfTheMemos) {
  ExpectNames(TppMemo::StaticClassInfo(), "TraTppCustomMemoRTTI",
              {// the stretchable's
               {"CurrentPosition", vkInteger, true},
               {"mmBottomOffset", vkInteger, true},
               {"mmOverFlowOffset", vkInteger, true},
               {"mmStopPosition", vkInteger, true},
               {"PageBottom", vkInteger, true},
               {"PartialAdjustment", vkInteger, true},
               {"ShifterCount", vkInteger, true},
               {"KeptTogether", vkBoolean, true},
               {"PartialGeneration", vkBoolean, true},
               {"KeepTogether", vkBoolean, false},
               {"Stretch", vkBoolean, false},
               {"ShiftRelativeTo", vkClass, false, -1, -1, "TppStretchable"},
               // the memo's
               {"MemoStream", vkClass, true},
               {"PrintLines", vkClass, true, -1, -1, "TStrings"},
               {"mmLeading", vkInteger, true},
               {"spLeading", vkInteger, true},
               {"CharWrap", vkBoolean, false},
               {"Color", vkEnum, false, -1, -1, "TColor"},
               {"Leading", vkSingle, false},
               {"Lines", vkClass, false, -1, -1, "TStrings"},
               {"TabStopPositions", vkClass, false, -1, -1, "TStrings"},
               {"Text", vkString, false}});
  ExpectNames(TppDBMemo::StaticClassInfo(), "TraTppDBMemoRTTI",
              {{"OnGetMemo", vkMethod, true, 86, 1}, {"AutoDisplay", vkBoolean, false}});
  ExpectNames(TppDrawRichText::StaticClassInfo(), "TraTppDrawRichTextRTTI",
              {{"Color", vkEnum, false, -1, -1, "TColor"}});
  const std::vector<std::string> Listed = ListedNames(TppDBMemo::StaticClassInfo());
  ASSERT_FALSE(Listed.empty());
  EXPECT_EQ("Text", Listed.back());
}

TEST(ppMemoRTTITest, ValuesByNameReachTheMemos) {
  TComponent Form(nullptr);
  auto* Memo = new TppMemo(&Form);
  auto* Data = new TppDBMemo(&Form);
  ExpectPublishedRoundTrip(*Memo);
  ExpectPublishedRoundTrip(*Data);

  TStringList Lines;
  Lines.Add("um");
  Lines.Add("dois");
  EXPECT_TRUE(SetObj(*Memo, "Lines", &Lines));
  auto* Read = dynamic_cast<TStrings*>(Get(*Memo, "Lines").Obj);
  ASSERT_NE(nullptr, Read);
  EXPECT_EQ(2, Read->Count());
  EXPECT_EQ("dois", Read->Get(1));
  Memo->SetUnits(utMillimeters);
  EXPECT_TRUE(SetFloat(*Memo, "Leading", 2.5));
  EXPECT_EQ(2500, Get(*Memo, "mmLeading").Ord);
  EXPECT_EQ(9, Get(*Memo, "spLeading").Ord);  // 2.5 mm at 96 dpi, truncated
  EXPECT_TRUE(SetOrd(*Memo, "Stretch", 1));
  EXPECT_TRUE(Memo->Stretch());
  EXPECT_TRUE(SetObj(*Data, "ShiftRelativeTo", Memo));
  EXPECT_EQ(Memo, Data->ShiftRelativeTo());
  EXPECT_EQ(1, Get(*Memo, "ShifterCount").Ord);
  EXPECT_TRUE(SetOrd(*Data, "AutoDisplay", 0));
  EXPECT_FALSE(Data->AutoDisplay());

  TppDrawRichText Command(nullptr);
  EXPECT_TRUE(SetOrd(Command, "Color", 0x00123456));
  EXPECT_EQ(0x00123456, Command.Color());
  EXPECT_EQ(0x00123456, Get(Command, "Color").Ord);

  // Read-only names no one writes, a stream no value carries, and component names on a draw command.
  TraValue V;
  V.Ord = 1;
  for (const char* Name : {"CurrentPosition", "ShifterCount", "KeptTogether", "MemoStream", "PrintLines", "mmLeading"})
    EXPECT_FALSE(TraRTTIClassRegistry::GetRTTIClass(*Memo)->SetPropValue(Memo, Name, V)) << Name;
  EXPECT_FALSE(TraRTTIClassRegistry::GetRTTIClass(*Memo)->GetPropValue(Memo, "MemoStream", V));
  const TraRTTI& D = *TraRTTIClassRegistry::GetRTTIClass(Command);
  EXPECT_FALSE(D.GetPropValue(&Command, "Band", V));
  EXPECT_FALSE(D.SetPropValue(&Command, "AnchorLeft", V));
}

}  // namespace
}  // namespace descriptorstest
