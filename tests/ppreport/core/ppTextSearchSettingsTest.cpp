#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "ppreport/core/ppComm.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppProdSettings.h"
#include "tests/ppreport/core/ppPageTestSupport.h"

namespace searchsettingstest {

using namespace pptest;

std::string SearchSettingsText(TComponent* C) {
  TMemoryStream Bin, Text;
  WriteComponentToStream(Bin, C);
  Bin.Seek(0, soBeginning);
  ObjectBinaryToText(Bin, Text);
  return std::string(reinterpret_cast<const char*>(Text.Memory()), static_cast<size_t>(Text.Size()));
}

TEST(ppTextSearchSettingsTest, FreshValuesVisibleRuleAndAssign) {
  TppTextSearchSettings S;
  EXPECT_TRUE(S.Enabled());
  EXPECT_FALSE(S.Visible() || S.CaseSensitive() || S.ShowAll() || S.SearchFromCurrentPage() || S.WholeWord());
  EXPECT_EQ(LanguageString(1069), S.DefaultString());
  EXPECT_EQ("<FindText>", S.DefaultString());
  EXPECT_EQ(&TppTextSearchSettings::StaticClassInfo(), GetClass("TppTextSearchSettings"));  // streams by name

  S.SetVisible(true);
  EXPECT_TRUE(S.Visible());
  S.SetEnabled(false);
  EXPECT_TRUE(S.Visible());  // switching off later keeps it
  S.SetVisible(false);
  S.SetVisible(true);
  EXPECT_FALSE(S.Visible());  // refused while disabled

  // Assign copies Visible as the source has it, even onto disabled settings.
  TppTextSearchSettings Source;
  Source.SetVisible(true);
  Source.SetWholeWord(true);
  Source.SetDefaultString("x");
  TppTextSearchSettings Target;
  Target.SetEnabled(false);
  Target.Assign(&Source);
  EXPECT_TRUE(Target.Visible() && Target.Enabled() && Target.WholeWord());
  EXPECT_EQ("x", Target.DefaultString());
}

TEST(ppTextSearchSettingsTest, StreamsDefaultStringAndEnabledOnlyAndReadsBack) {
  TTestDeviceClasses Classes;
  std::unique_ptr<TTestReport, TComponentDeleter> R(new TTestReport(nullptr));
  std::string Text = SearchSettingsText(R.get());
  EXPECT_NE(std::string::npos, Text.find("TextSearchSettings.DefaultString = '<FindText>'")) << Text;
  EXPECT_NE(std::string::npos, Text.find("TextSearchSettings.Enabled = True")) << Text;
  for (const char* Name : {"CaseSensitive", "ShowAll", "SearchFromCurrentPage", "Visible", "WholeWord"})
    EXPECT_EQ(std::string::npos, Text.find(std::string("TextSearchSettings.") + Name)) << Name;

  TppTextSearchSettings* S = R->TextSearchSettings();
  S->SetCaseSensitive(true);
  S->SetShowAll(true);
  S->SetSearchFromCurrentPage(true);
  S->SetVisible(true);
  S->SetWholeWord(true);
  S->SetDefaultString("Cliente");
  TMemoryStream Bin;
  WriteComponentToStream(Bin, R.get());
  Bin.Seek(0, soBeginning);
  std::unique_ptr<TTestReport, TComponentDeleter> Back(new TTestReport(nullptr));
  ReadComponentFromStream(Bin, Back.get());
  const TppTextSearchSettings* B = Back->TextSearchSettings();
  EXPECT_TRUE(B->CaseSensitive() && B->ShowAll() && B->SearchFromCurrentPage() && B->Visible() && B->WholeWord());
  EXPECT_EQ("Cliente", B->DefaultString());
}

// The walkie-talkie tells the partners of the settings when they go; freed from outside, it is
// replaced instead of leaving the settings with a dangling one.
TEST(ppTextSearchSettingsTest, WalkieTalkieLinksPartnersAndSurvivesForeignFree) {
  auto S = std::make_unique<TppTextSearchSettings>();
  TppCommunicator* W = S->WalkieTalkie();
  EXPECT_EQ(W, S->WalkieTalkie());
  try {
    S->WalkieTalkieNotifyEvent(W, ppopRemove);
    ADD_FAILURE() << "no error";
  } catch (const ESearchError& E) {
    EXPECT_STREQ("TppTextSearchSettings.WalkieTalkieNotifyEvent: Don't free the embedded walkie talkie!", E.what());
  }
  EXPECT_NO_THROW(S->WalkieTalkieNotifyEvent(W, ppopDataChange));

  std::unique_ptr<TppCommunicator, TComponentDeleter> Engine(new TppCommunicator(nullptr));
  bool Heard = false;
  Engine->OnNotify = [&](TppCommunicator*, TppCommunicator* P, TppNotifyOperation Op) {
    Heard = Heard || (Op == ppopRemove && P == W);
  };
  W->AddNotify(Engine.get());
  W->Free();  // from outside
  EXPECT_TRUE(Heard);
  TppCommunicator* W2 = S->WalkieTalkie();
  ASSERT_NE(nullptr, W2);
  W2->AddNotify(Engine.get());
  Heard = false;
  W = W2;
  S.reset();  // the settings go: their partners hear it
  EXPECT_TRUE(Heard);
}

}  // namespace searchsettingstest
