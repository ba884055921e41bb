// Text printables: layout, design surface, printing, streaming.
#include "lxreport/LXLabel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lxreport/LXPrntr.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/graphics/CallLogDC.h"
#include "tests/lxreport/LXReportTestSupport.h"
#include "tests/lxreport/LXPrintTestSupport.h"

using namespace lxtest;

namespace {
// Every character 10 wide, "W" 40; lines 10 high.
class TFixedLabel : public TLXLabel {
public:
  using TLXLabel::TLXLabel;
  int32_t MeasureLine(const std::string& Text) override {
    int32_t W = 0;
    for (char C : Text) W += C == 'W' ? 40 : 10;
    return W;
  }
  int32_t TextLineHeight() override { return 10; }
};

class LXLabelTest : public LXPrintTest {};
}  // namespace

TEST_F(LXLabelTest, WordWrapTable) {
  struct Case {
    const char* Text;
    int Width;
    bool AutoSize, WordWrap;
    std::vector<std::string> Lines;
  } const Cases[] = {
      // The hyphen stays at the end of its line.
      {"alpha beta-gamma", 120, false, true, {"alpha beta-", "gamma"}},
      // A word too long for an empty line is cut to what fits, each character strictly below.
      {"abcdefghijkl", 55, false, true, {"abcde"}},
      {"abcdefghijkl", 50, false, true, {"abcd"}},
      // A word wider than the line after others: shortened to a line of its own.
      {"ab abcdefghij", 55, false, true, {"ab ", "abcde"}},
      // Narrower than one character: a word keeps its first character, and the layout ends.
      {"i WWW", 30, false, true, {"i ", "W"}},
      {"WW", 30, false, true, {"W"}},
      // Carriage returns start lines, line feeds are ignored, empty lines stay.
      {"a\r\rb", 100, false, true, {"a", "", "b"}},
      {"a\r\nb\n", 100, false, true, {"a", "b"}},
      // Without word wrap a source line gives the words that fit.
      {"aa bb cc\rdd", 45, false, false, {"aa ", "dd"}},
      // A label 0 wide shows no text.
      {"abc", 0, false, true, {""}},
      // AutoSize never wraps.
      {"abc def ghi\rx", 20, true, true, {"abc def ghi", "x"}},
  };
  TLXBand* Band = Report->NewBand(rbTitle);
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Text);
    auto* L = new TFixedLabel(&Form);
    L->SetParent(Band);
    L->SetAutoSize(K.AutoSize);
    L->SetWordWrap(K.WordWrap);
    L->SetBounds(0, 0, K.Width, 100);
    L->SetCaption(K.Text);
    EXPECT_EQ(L->WrappedLines(), K.Lines);
    L->Free();
  }
}

TEST_F(LXLabelTest, AutoSizeFollowsTheLongestLineAndKeepsItsAnchor) {
  TLXBand* Band = Report->NewBand(rbTitle);
  struct Case {
    TAlignment Alignment;
    int LeftAfter;  // placed at 100, 30 wide, then 60 wide
  } const Cases[] = {{taLeftJustify, 100}, {taRightJustify, 70}, {taCenter, 85}};
  for (const Case& K : Cases) {
    auto* L = new TFixedLabel(&Form);
    L->SetParent(Band);
    L->SetAlignment(K.Alignment);
    L->SetCaption("abc");
    L->SetLeft(100);
    EXPECT_EQ(L->Width(), 30);
    L->SetCaption("ab\rabcdef");
    EXPECT_EQ(L->WrappedLines().size(), 2u);
    EXPECT_EQ(L->Width(), 60);
    EXPECT_EQ(L->Left(), K.LeftAfter) << K.Alignment;
    L->SetCaption("abc");
    EXPECT_EQ(L->Left(), 100);
    L->Free();
  }
  // Drawn left and right sides add the frame's width each (1 point is 1 pixel at 96 ppi).
  auto* L = new TFixedLabel(&Form);
  L->SetParent(Band);
  L->Frame()->SetDrawLeft(true);
  L->Frame()->SetDrawRight(true);
  L->SetCaption("abcd");
  EXPECT_EQ(L->Width(), 42);
  EXPECT_EQ(L->Height(), 10);  // raised to one line
}

TEST_F(LXLabelTest, NameCaptionAndFontSize) {
  TLXBand* Band = Report->NewBand(rbTitle);
  auto* L = new TLXLabel(&Form);
  L->SetParent(Band);
  L->SetName("Label1");
  EXPECT_EQ(L->Caption(), "Label1");
  L->SetName("Label2");
  EXPECT_EQ(L->Caption(), "Label2");
  L->SetCaption("Total");
  L->SetName("Label3");
  EXPECT_EQ(L->Caption(), "Total");

  // Written by a screen at 120 ppi (a 9 point font 15 pixels high), read here at 96: the point
  // size holds.
  RegisterClass(TLXLabel::StaticClassInfo());
  TFinally Unregister([] { UnRegisterClass(TLXLabel::StaticClassInfo()); });
  std::string Text =
      "object Rep: TVexaRep\r\n  object B: TLXBand\r\n    BandType = rbTitle\r\n"
      "    object L: TLXLabel\r\n      Caption = 'x'\r\n      Font.Height = -15\r\n      Font.Name = 'Arial'\r\n"
      "      ParentFont = False\r\n      FontSize = 9\r\n    end\r\n  end\r\nend\r\n";
  TMemoryStream In, Binary;
  In.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
  In.SetPosition(0);
  ObjectTextToBinary(In, Binary);
  Binary.SetPosition(0);
  TReportPtr Read = NewReport();
  ReadComponentFromStream(Binary, Read.get());
  auto* Loaded = dynamic_cast<TLXLabel*>(Read->BandList().at(0)->Controls(0));
  ASSERT_NE(Loaded, nullptr);
  EXPECT_EQ(Loaded->Font()->Size(), 9);

  // Always written, also at the default size.
  TMemoryStream Out;
  WriteComponentToStream(Out, Read.get());
  Out.SetPosition(0);
  TMemoryStream AsText;
  ObjectBinaryToText(Out, AsText);
  std::string Written(reinterpret_cast<const char*>(AsText.Memory()), AsText.Bytes().size());
  EXPECT_NE(Written.find("FontSize = 9"), std::string::npos);
}

TEST_F(LXLabelTest, PrintsLinesAlignedWithinItsBox) {
  TLXBand* Band = Report->NewBand(rbTitle);
  Report->SetUnits(TLXUnit::Native);
  struct Case {
    TAlignment Alignment;
    uint32_t Align;
    long double XOffset;  // of the box's width
  } const Cases[] = {{taLeftJustify, TA_LEFT, 0}, {taRightJustify, TA_RIGHT, 1}, {taCenter, TA_CENTER, 0.5L}};
  for (const Case& K : Cases) {
    auto* L = new TLXLabel(&Form);
    L->SetParent(Band);
    L->SetAutoSize(false);
    L->SetAlignment(K.Alignment);
    L->SetCaption("one\rtwo\rthree\rfour\rfive");
    L->Size()->SetLeft(100);
    L->Size()->SetTop(50);
    L->Size()->SetWidth(800);
    long double LineHeight = LineHeightOf(*L->Font());
    L->Size()->SetHeight(2 * LineHeight + 0.5L);
    StartRun();
    L->PrintAt(200, 1000);
    EXPECT_TRUE(L->Finished());  // without AutoStretch the rest is left out
    std::vector<std::string> Log = EndRunLog();
    auto Texts = TextCalls(Log);
    ASSERT_EQ(Texts.size(), 2u);
    int X = Printer().XPos(300 + 800 * K.XOffset);
    EXPECT_EQ(Texts[0], (TTextCall{X, Printer().YPos(1050), "one"}));
    EXPECT_EQ(Texts[1], (TTextCall{X, Printer().YPos(1050 + LineHeight), "two"}));
    EXPECT_TRUE(HasCall(Log, "SetTextAlign(" + std::to_string(K.Align) + ")")) << K.Alignment;
    L->Free();
  }
}

TEST_F(LXLabelTest, OnPrintChangesOnePrint) {
  TLXBand* Band = Report->NewBand(rbTitle);
  auto* L = new TLXLabel(&Form);
  L->SetParent(Band);
  L->SetCaption("value");
  int Calls = 0;
  L->OnPrint = [&](TObject*, std::string& V) {
    ++Calls;
    V = "changed";
  };
  StartRun();
  L->PrintAt(0, 0);
  auto Texts = TextCalls(EndRunLog());
  ASSERT_EQ(Texts.size(), 1u);
  EXPECT_EQ(Texts[0].Text, "changed");
  EXPECT_EQ(L->Caption(), "value");
  EXPECT_EQ(L->PrintText(), "value");
  EXPECT_EQ(Calls, 1);
  L->SetCaption("");
  StartRun();
  L->PrintAt(0, 0);
  EndRunLog();
  EXPECT_EQ(Calls, 1);  // an empty text is not offered
}

TEST_F(LXLabelTest, PrintedLinesFitThePrintedWidth) {
  // Lines are broken with the printer's metrics: each printed line fits the box on the page.
  PrintOnPrinterAt(300);
  TLXBand* Band = Report->NewBand(rbTitle);
  Report->SetUnits(TLXUnit::Native);
  auto* L = new TLXLabel(&Form);
  L->SetParent(Band);
  L->SetAutoSize(false);
  L->SetAutoStretch(false);
  L->Font()->SetSize(11);
  L->SetCaption("The quick brown fox jumps over the lazy dog again and again until the line is full");
  L->Size()->SetWidth(300);
  L->Size()->SetHeight(2000);
  StartRun();
  L->PrintAt(0, 0);
  ASSERT_GT(L->WrappedLines().size(), 2u);
  TCanvas& C = *Printer().Canvas();
  for (const std::string& Line : L->WrappedLines()) EXPECT_LE(C.TextWidth(Line), Printer().XSize(300)) << Line;
  EndRun();
}
