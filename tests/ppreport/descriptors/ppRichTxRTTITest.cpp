// The rich text components' descriptors: every name each describes, the text, selection and search
// by name, and the stream methods that no value can feed.
#include <gtest/gtest.h>

#include "ppreport/generation/ppRichTx.h"
#include "tests/ppreport/descriptors/ppDescriptorsTestSupport.h"

namespace descriptorstest {
namespace {

TEST(ppRichTxRTTITest, EveryDescribedNameOfTheRichTexts) {
  ExpectNames(TppRichText::StaticClassInfo(), "TraTppCustomRichTextRTTI",
              {{"OnGetRichText", vkMethod, true, 53, 1},
               {"EndCharPos", vkInteger, true},
               {"StartCharPos", vkInteger, true},
               {"PlainText", vkString, true},
               {"RichTextStream", vkClass, true},
               {"RichTextStrings", vkClass, true, -1, -1, "TStrings"},
               {"Paragraph", vkClass, true, -1, -1, "TParaAttributes"},
               {"SelAttributes", vkClass, true, -1, -1, "TTextAttributes"},
               {"RichText", vkString, false},
               {"SelText", vkString, false},
               {"SelLength", vkInteger, false},
               {"SelStart", vkInteger, false},
               {"FindText", vkMethod, true, -1, 6},
               {"LoadFromFile", vkMethod, true, -1, 1},
               {"SaveToFile", vkMethod, true, -1, 1},
               {"LoadFromRTFStream", vkMethod, true, -1, 1},
               {"SaveToRTFStream", vkMethod, true, -1, 1}});
  ExpectNames(TppDBRichText::StaticClassInfo(), "TraTppDBRichTextRTTI", {{"AutoDisplay", vkBoolean, false}});
  const std::vector<std::string> Own = {"PlainText",  "FindText",   "LoadFromFile",
                                        "LoadFromRTFStream", "SaveToFile", "SaveToRTFStream"};
  const std::vector<std::string> Listed = ListedNames(TppDBRichText::StaticClassInfo());
  ASSERT_GE(Listed.size(), Own.size());
  EXPECT_EQ(Own, std::vector<std::string>(Listed.end() - static_cast<long>(Own.size()), Listed.end()));
}

TEST(ppRichTxRTTITest, TextSelectionAndSearchByName) {
  TComponent Form(nullptr);
  auto* Rich = new TppRichText(&Form);
  auto* Data = new TppDBRichText(&Form);
  ExpectPublishedRoundTrip(*Rich);
  ExpectPublishedRoundTrip(*Data);

  EXPECT_TRUE(SetStr(*Rich, "RichText", "Prezado cliente, obrigado"));
  EXPECT_EQ("Prezado cliente, obrigado", Get(*Rich, "PlainText").Str.substr(0, 25));
  EXPECT_TRUE(SetOrd(*Rich, "SelStart", 8));
  EXPECT_TRUE(SetOrd(*Rich, "SelLength", 7));
  EXPECT_EQ("cliente", Get(*Rich, "SelText").Str);

  const TraRTTI& D = *TraRTTIClassRegistry::GetRTTIClass(*Rich);
  auto P = D.GetParams("FindText");
  std::string What = "OBRIGADO";
  int Start = 0, Length = 25, Found = -2;
  bool Whole = true, Case = false;
  P->BindParam(0, &What);
  P->BindParam(1, &Start);
  P->BindParam(2, &Length);
  P->BindParam(3, &Whole);
  P->BindParam(4, &Case);
  P->BindParam(5, &Found);
  EXPECT_TRUE(D.CallMethod(Rich, "FindText", P.get()));
  EXPECT_EQ(17, Found);
  Case = true;
  EXPECT_TRUE(D.CallMethod(Rich, "FindText", P.get()));
  EXPECT_EQ(-1, Found);

  auto S = D.GetParams("LoadFromRTFStream");
  EXPECT_FALSE(D.CallMethod(Rich, "LoadFromRTFStream", S.get()));  // no stream travels by value
  TraValue V;
  EXPECT_FALSE(D.GetPropValue(Rich, "RichTextStream", V));
  EXPECT_FALSE(SetOrd(*Rich, "StartCharPos", 3));
  EXPECT_TRUE(SetOrd(*Data, "AutoDisplay", 0));
  EXPECT_FALSE(Data->AutoDisplay());
}

// The text's lines and the selection's formats are objects a script reads by name; the format
// objects read and write the selection as it stands.
TEST(ppRichTxRTTITest, LinesAndSelectionFormatsByName) {
  TComponent Form(nullptr);
  auto* Rich = new TppRichText(&Form);
  ASSERT_TRUE(SetStr(*Rich, "RichText",
                     "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Prezado {\\b cliente}\\line ok\\par"
                     "\\pard\\qc\\li720 Obrigado}"));
  auto* Lines = dynamic_cast<TStrings*>(Get(*Rich, "RichTextStrings").Obj);
  ASSERT_NE(nullptr, Lines);
  ASSERT_EQ(2, Lines->Count());
  EXPECT_EQ("Prezado cliente\nok", Lines->Get(0));
  EXPECT_EQ("Obrigado", Lines->Get(1));

  Rich->SetSelStart(8);
  Rich->SetSelLength(7);
  auto* Text = dynamic_cast<TTextAttributes*>(Get(*Rich, "SelAttributes").Obj);
  ASSERT_NE(nullptr, Text);
  EXPECT_EQ(fsBold, Text->Style());
  EXPECT_EQ(10, Text->Size());
  EXPECT_EQ("Arial", Text->Name());
  Text->SetStyle(fsItalic);
  Text->SetSize(14);
  EXPECT_TRUE(Rich->RichEdit().SelAttributes().Italic);
  EXPECT_FALSE(Rich->RichEdit().SelAttributes().Bold);
  EXPECT_EQ(280, Rich->RichEdit().SelAttributes().Size);

  auto* Para = dynamic_cast<TParaAttributes*>(Get(*Rich, "Paragraph").Obj);
  ASSERT_NE(nullptr, Para);
  EXPECT_EQ(taLeftJustify, Para->Alignment());
  Rich->SetSelStart(20);
  EXPECT_EQ(taCenter, Para->Alignment());
  EXPECT_EQ(36, Para->LeftIndent());
  Para->SetAlignment(taRightJustify);
  EXPECT_EQ(TParaAlignment::Right, Rich->RichEdit().Paragraph().Alignment);
}

}  // namespace
}  // namespace descriptorstest
