// Memos on the real engine: text flowing over pages without a character lost or printed twice,
// lines that fit on no page, keep-together, fixed memos, tab stops, and memos of a data field.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/data/MemDataSet.h"
#include "ppreport/core/ppPlainText.h"
#include "ppreport/generation/ppCompUtils.h"
#include "ppreport/generation/ppDBText.h"
#include "ppreport/generation/ppMemo.h"
#include "tests/ppreport/generation/ppBandKindsTestSupport.h"
#include "tests/ppreport/generation/ppBandTestSupport.h"

namespace bandkindstest {
namespace {

using TLines = std::vector<std::string>;

// Words of one to nine letters, a paragraph break now and then, and (with Long) one word far
// wider than any memo here.
std::string MemoText(int Words, bool Long = true) {
  std::string T;
  for (int I = 0; I < Words; ++I) {
    T += std::string(static_cast<size_t>(1 + (I * 7) % 9), static_cast<char>('a' + I % 26));
    T += I % 37 == 36 ? "\r\n" : " ";
    if (Long && I == Words / 2) T += std::string(120, 'W') + " ";
  }
  return T;
}

class Memos : public GrowingDetail {
protected:
  template <class M = TppMemo>
  M* Add(const std::string& Text, int32_t Top = 0, int32_t Width = 60 * mm) {
    auto* Memo = new M(&Form);
    Memo->SetBounds(0, Top, Width, 10 * mm);
    Memo->SetBand(Band);
    Memo->SetStretch(true);
    Memo->SetText(Text);
    return Memo;
  }
  static TLines ToLines(const TStrings& L) {
    TLines V;
    for (int I = 0; I < L.Count(); ++I) V.push_back(L.Get(I));
    return V;
  }
  // The memo lines drawn on each page.
  std::vector<TLines> PageLines() {
    std::vector<TLines> Pages;
    for (auto& [No, Page] : Report->Pages) {
      TLines L;
      for (int I = 0; I < Page->GetDrawCommandCount(); ++I)
        if (auto* T = dynamic_cast<TppDrawText*>(Page->GetDrawCommand(I)); T && T->IsMemo() && T->WrappedText())
          for (const std::string& S : ToLines(*T->WrappedText())) L.push_back(S);
      Pages.push_back(L);
    }
    return Pages;
  }
  static TLines Joined(const std::vector<TLines>& Pages) {
    TLines All;
    for (auto& P : Pages) All.insert(All.end(), P.begin(), P.end());
    return All;
  }
  // The whole text wrapped at once into a rectangle without a bottom.
  static TLines TallWrap(TppCustomMemo& M) {
    TStringList L;
    int32_t Position = 0;
    TppPlainText::WordWrap(M.GetText(), TRect{0, 0, M.mmWidth(), INT_MAX / 2}, M.TextAlignment(), false, *M.Font(),
                           M.CharWrap(), M.mmLeading(), &M.StoredTabStops(), M.GetPrinter(), Position, L);
    return ToLines(L);
  }
};

}  // namespace

// Over several pages every line of one tall wrap prints once, in order: each page resumes right
// after the last character the page before printed. Pages generated again alone from the page
// cache equal those of the full run.
TEST_F(Memos, FlowOverPagesResumingAfterTheLastPrintedCharacter) {
  struct Case {
    const char* Name;
    bool CharWrap;
    TppTextAlignment Alignment;
  };
  for (const Case& C : {Case{"words", false, taLeftJustified}, Case{"characters", true, taLeftJustified},
                        Case{"justified", false, taFullJustified}}) {
    SCOPED_TRACE(C.Name);
    TppMemo* Memo = Add(MemoText(420));
    Memo->SetCharWrap(C.CharWrap);
    Memo->SetTextAlignment(C.Alignment);
    Run();
    const std::vector<TLines> Pages = PageLines();
    ASSERT_GE(Pages.size(), 3u);
    const TLines Expected = TallWrap(*Memo);
    EXPECT_EQ(Expected, Joined(Pages));
    for (size_t I = 0; I + 1 < Pages.size(); ++I) EXPECT_EQ(Pages[0].size(), Pages[I].size()) << "page " << I + 1;
    ExpectSinglePagesAlike();
    Memo->Free();
  }
}

// A line taller than an empty page is cut to the page's room: every line prints once on a page
// of its own, after at most one page that waited for more room; no page comes without end.
TEST_F(Memos, LineTallerThanAnEmptyPageIsCut) {
  TppMemo* Memo = Add("A B C", 0, 80 * mm);
  Memo->Font()->SetSize(250);  // a line of about 10 cm on a body of 8 cm
  Run();
  const std::vector<TLines> Pages = PageLines();
  ASSERT_LT(Pages.size(), 6u);
  const TLines Expected = TallWrap(*Memo);
  ASSERT_EQ(3u, Expected.size());
  EXPECT_EQ(Expected, Joined(Pages));
  for (const TLines& P : Pages) EXPECT_LE(P.size(), 1u);
  // The cut line's command ends at the page bottom.
  for (auto& [No, Page] : Report->Pages)
    for (int I = 0; I < Page->GetDrawCommandCount(); ++I)
      if (auto* T = dynamic_cast<TppDrawText*>(Page->GetDrawCommand(I)); T && T->IsMemo())
        EXPECT_LE(T->Top() + T->Height(), 90 * mm) << "page " << No;
  ExpectSinglePagesAlike();
}

// With keep-together a memo that would split below other content moves whole to the next page,
// once: a memo longer than a page then splits there as any other.
TEST_F(Memos, KeepTogetherMovesTheWholeMemoOnce) {
  struct Case {
    bool Keep;
    int Words;  // 60: about ten lines, less than a page and more than the room below the box
    bool FirstPageHasLines;
  };
  for (const Case& C : {Case{true, 60, false}, Case{false, 60, true}, Case{true, 420, false}}) {
    SCOPED_TRACE(testing::Message() << C.Keep << " " << C.Words);
    ppbandtest::AddBox(*Band, "Box", 0, 60 * mm);  // printed once: takes no room on the next page
    TppMemo* Memo = Add(MemoText(C.Words, C.Words > 60), 61 * mm);
    Memo->SetKeepTogether(C.Keep);
    Run();
    const std::vector<TLines> Pages = PageLines();
    ASSERT_GE(Pages.size(), 2u);
    EXPECT_EQ(C.FirstPageHasLines, !Pages[0].empty());
    EXPECT_EQ(TallWrap(*Memo), Joined(Pages));
    if (C.Keep && C.Words == 60) EXPECT_EQ(TallWrap(*Memo), Pages[1]);
    ExpectSinglePagesAlike();
    while (Band->GetObjectCount() > 0) Band->GetObjects(0)->Free();
  }
}

// A memo that does not stretch prints what fits in its height, and always takes that height.
TEST_F(Memos, FixedMemoPrintsWhatFitsInItsHeight) {
  TppMemo* Memo = Add(MemoText(420));
  Memo->SetStretch(false);
  Memo->SetmmHeight(20 * mm);
  Run();
  const std::vector<TLines> Pages = PageLines();
  ASSERT_EQ(1u, Pages.size());
  const TLines All = TallWrap(*Memo);
  ASSERT_FALSE(Pages[0].empty());
  EXPECT_EQ(TLines(All.begin(), All.begin() + static_cast<long>(Pages[0].size())), Pages[0]);
  int32_t LineHeight = 0;
  TppPlainText::CalcLineCount(*Memo->Font(), 0, LineHeight, Memo->GetPrinter(), 0);
  EXPECT_LE(static_cast<int32_t>(Pages[0].size()) * LineHeight, 20 * mm);
  EXPECT_GT(static_cast<int32_t>(Pages[0].size() + 1) * LineHeight, 20 * mm);
  EXPECT_EQ(20 * mm, Memo->SpaceUsed());
}

// A memo that does not stretch and finds too little room above the page bottom in a growing band
// is not cut: it goes on in the next page whole, with its record, and below the object it shifts
// relative to.
TEST_F(Memos, AFixedMemoWithoutRoomGoesWholeToTheNextPage) {
  // Records 7 mm apart: the twelfth starts 3 mm above the page bottom.
  Names(15);
  auto* Name = new TppDBText(&Form);
  Name->SetAutoSize(false);
  Name->SetBounds(0, 0, 20 * mm, 5 * mm);
  Name->SetBand(Band);
  Name->SetDataPipeline(Report->DataPipeline());
  Name->SetDataField("Name");
  auto* Memo = new TppDBMemo(&Form);
  Memo->SetBounds(30 * mm, 0, 40 * mm, 7 * mm);
  Memo->SetBand(Band);
  Memo->SetDataPipeline(Report->DataPipeline());
  Memo->SetDataField("Name");
  ASSERT_FALSE(Memo->Stretch());
  Run();
  ASSERT_EQ(2u, Report->Pages.size());
  int Records = 0;
  for (auto& [No, Page] : Report->Pages) {
    TTexts Names, Memos;
    for (int I = 0; I < Page->GetDrawCommandCount(); ++I)
      if (auto* T = dynamic_cast<TppDrawText*>(Page->GetDrawCommand(I)); T && !T->IsMemo())
        Names.emplace_back(T->Text(), T->Top());
      else if (T && T->WrappedText())
        for (const std::string& L : ToLines(*T->WrappedText())) Memos.emplace_back(L, T->Top());
    EXPECT_EQ(Names, Memos) << "page " << No;
    Records += static_cast<int>(Names.size());
  }
  EXPECT_EQ(15, Records);
  EXPECT_EQ((std::pair<std::string, int32_t>{"r12", 10}), Page(2).at(0));
  ExpectSinglePagesAlike();
  Name->Free();
  Memo->Free();

  // One line of room left below a memo that stretches; the fixed memo below it needs three.
  Names(1);
  TppMemo* Above = Add("");
  int32_t LineHeight = 0;
  TppPlainText::CalcLineCount(*Above->Font(), 0, LineHeight, Above->GetPrinter(), 0);
  ASSERT_GT(LineHeight, 0);
  const int Room = 80 * mm / LineHeight;
  std::string Long;
  for (int I = 1; I < Room; ++I) Long += "a" + std::to_string(I) + "\r\n";
  Above->SetText(Long);
  auto* Below = new TppMemo(&Form);
  Below->SetBounds(0, 10 * mm, 60 * mm, 3 * LineHeight + LineHeight / 2);
  Below->SetBand(Band);
  Below->SetText("b1\r\nb2\r\nb3");
  Below->SetShiftRelativeTo(Above);
  ASSERT_FALSE(Below->Stretch());
  Run();
  const std::vector<TLines> Pages = PageLines();
  ASSERT_EQ(2u, Pages.size());
  EXPECT_EQ(static_cast<size_t>(Room - 1), Pages[0].size());
  EXPECT_EQ((TLines{"b1", "b2", "b3"}), Pages[1]);
  EXPECT_EQ(10 * mm, Report->Texts(2).at(0).second);
  ExpectSinglePagesAlike();
}

// Tab stops are kept as whole thousandths of a millimetre: entered in Units, shown in Units,
// streamed as integers, and stored texts with a decimal point or comma are read in any locale.
// An old float leading is taken toward zero.
TEST_F(Memos, TabStopsKeepThousandthsOfAMillimetre) {
  TppMemo* Memo = Add("a\tb");
  Memo->SetUnits(utInches);
  TStringList Entered;
  Entered.Add("1");
  Entered.Add("0,5");  // the locale's separator
  Memo->SetTabStopPositions(&Entered);
  EXPECT_EQ((TLines{"25400", "12700"}), ToLines(Memo->StoredTabStops()));
  EXPECT_EQ((TLines{"1", "0,5"}), ToLines(*Memo->GetTabStopPositions()));
  // An edit of the list handed out comes back converted.
  Memo->GetTabStopPositions()->Put(1, "2");
  EXPECT_EQ((TLines{"25400", "50800"}), ToLines(Memo->StoredTabStops()));

  TMemoryStream Bin, Text;
  WriteComponentToStream(Bin, Memo);
  Bin.SetPosition(0);
  ObjectBinaryToText(Bin, Text);
  const std::string AsText(reinterpret_cast<const char*>(Text.Memory()), static_cast<size_t>(Text.Size()));
  EXPECT_NE(std::string::npos, AsText.find("'25400'")) << AsText;
  Bin.SetPosition(0);
  std::unique_ptr<TComponent> Read(ReadComponentFromStream(Bin, nullptr));
  auto* Back = dynamic_cast<TppMemo*>(Read.get());
  ASSERT_NE(nullptr, Back);
  EXPECT_EQ(ToLines(Memo->StoredTabStops()), ToLines(Back->StoredTabStops()));

  // Texts older writers left: a point, a comma, no number; and a leading stored as a float.
  const std::string Old =
      "object M: TppMemo\n  TabStopPositions.Strings = (\n    '1.5'\n    '3,25'\n    '12700.4'\n    'x')\n"
      "  mmLeading = 1700.9\nend\n";
  TMemoryStream In, Bin2;
  In.WriteBuffer(Old.data(), static_cast<int64_t>(Old.size()));
  In.SetPosition(0);
  ObjectTextToBinary(In, Bin2);
  Bin2.SetPosition(0);
  std::unique_ptr<TComponent> OldRead(ReadComponentFromStream(Bin2, nullptr));
  auto* O = dynamic_cast<TppMemo*>(OldRead.get());
  ASSERT_NE(nullptr, O);
  EXPECT_EQ((TLines{"2", "3", "12700", "0"}), ToLines(O->StoredTabStops()));
  EXPECT_EQ(1700, O->mmLeading());

  // The report-wide fix does the same for the memos of its bands (the text as a stream left it).
  const_cast<TStringList&>(Memo->StoredTabStops()).Put(0, "7.5");
  FixMemoTabStopSeparators(Report);
  EXPECT_EQ((TLines{"8", "50800"}), ToLines(Memo->StoredTabStops()));
  FixMemoTabStopSeparators(&Form);  // not a report: nothing
}

// A data memo prints its field's text, record by record, and flows over pages like any memo;
// suppressing repeated values leaves out a repeat (taking no space) but never the rest of a memo
// that goes on in the next page.
TEST_F(Memos, DataMemoPrintsItsField) {
  auto* Set = new TMemoryDataSet(&Form);
  Set->FieldDefs().Add("Name", ftString, 20);
  Set->FieldDefs().Add("Notes", ftMemo, 0);
  const std::string Long = MemoText(420);
  for (const std::string& V : {std::string("A"), std::string("A"), Long, Long, std::string("B\r\nC")})
    Set->AppendRecord({"n", V});
  auto* Pipe = new TppDataSetPipeline(&Form);
  Pipe->SetDataSet(Set);
  Report->SetDataPipeline(Pipe);
  for (bool Suppress : {false, true}) {
    SCOPED_TRACE(Suppress);
    auto* Memo = new TppDBMemo(&Form);
    Memo->SetBounds(0, 0, 60 * mm, 10 * mm);
    Memo->SetBand(Band);
    Memo->SetStretch(true);
    Memo->SetDataPipeline(Pipe);
    Memo->SetDataField("Notes");
    Memo->SetSuppressRepeatedValues(Suppress);
    Run();
    TStringList LongLines, AsLines;
    AsLines.SetText(Long);  // the field's text as the memo's lines hold it
    int32_t Position = 0;
    TppPlainText::WordWrap(AsLines.Text(), TRect{0, 0, 60 * mm, INT_MAX / 2}, taLeftJustified, false, *Memo->Font(), false, 0,
                           nullptr, Memo->GetPrinter(), Position, LongLines);
    TLines Expected{"A"};
    if (!Suppress) Expected.push_back("A");
    for (int Copy = 0; Copy < (Suppress ? 1 : 2); ++Copy)
      for (const std::string& L : ToLines(LongLines)) Expected.push_back(L);
    Expected.push_back("B");
    Expected.push_back("C");
    EXPECT_EQ(Expected, Joined(PageLines()));
    ExpectSinglePagesAlike();
    Memo->Free();
  }
}

// OnGetMemo fills the lines while printing only; at design time they stay empty.
TEST_F(Memos, OnGetMemoFillsTheLinesWhilePrinting) {
  auto* Memo = new TppDBMemo(&Form);
  Memo->SetBounds(0, 0, 60 * mm, 10 * mm);
  Memo->SetBand(Band);
  Memo->SetStretch(true);
  Memo->OnGetMemo = [](TObject*, TStrings* Lines) { Lines->SetText("from the handler"); };
  EXPECT_EQ(0, Memo->GetLines()->Count());
  EXPECT_EQ(nullptr, Memo->GetMemoBuffer());
  Run();
  EXPECT_EQ(TLines{"from the handler"}, Joined(PageLines()));
}

}  // namespace bandkindstest
