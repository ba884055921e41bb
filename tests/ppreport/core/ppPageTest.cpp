#include "ppreport/core/ppPage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "ppreport/core/ppDrwCmdRTTI.h"
#include "ppreport/core/ppOutlineDrawCommand.h"
#include "ppreport/core/ppRTTI.h"

namespace pagetest {

template <class T>
using TOwned = std::unique_ptr<T, TComponentDeleter>;

TppPage* MakePage(int No, int Count) {
  auto* P = new TppPage(nullptr);
  P->SetAbsolutePageNo(No);
  P->SetAbsolutePageCount(Count);
  P->SetFirstPage(No == 1);
  P->SetLastPage(No == Count);
  P->SetFinal(true);
  return P;
}

std::vector<std::string> Lines(const TStrings& L) {
  std::vector<std::string> R;
  for (int I = 0; I < L.Count(); ++I) R.push_back(L.Get(I));
  return R;
}

// ---- pages

TEST(ppPageTest, CommandsJoinTheirListsAndThePageOwnsThem) {
  TOwned<TppPage> Page(new TppPage(nullptr));
  TOwned<TComponent> Maker(new TComponent(nullptr));
  auto* Click = new TppDrawText(Maker.get());
  Click->SetClickable(true);
  Click->SetPage(Page.get());
  EXPECT_EQ(Page.get(), Click->Owner());
  EXPECT_EQ(0, Maker->ComponentCount());
  EXPECT_EQ(Page.get(), Click->Parent());
  auto* Count = new TppDrawVar(nullptr);
  Count->SetVarType(vtPageCount);
  Count->SetPage(Page.get());
  EXPECT_EQ(2, Page->GetDrawCommandCount());
  EXPECT_EQ(1, Page->GetClickableCount());
  EXPECT_TRUE(Page->HasUpdateables());
  EXPECT_EQ(Click, Page->FindDrawCommand(TppDrawText::StaticClassInfo()));
  EXPECT_EQ(Count, Page->FindDrawCommand(TppDrawVar::StaticClassInfo()));

  // The only clickable leaves: the list is empty again; the command is not freed.
  Click->SetPage(nullptr);
  EXPECT_EQ(0, Page->GetClickableCount());
  EXPECT_EQ(nullptr, Page->GetClickable(0));
  EXPECT_EQ(nullptr, Click->Owner());
  EXPECT_EQ(1, Page->GetDrawCommandCount());
  Click->Free();

  // Through the descriptor, as scripts remove commands.
  TraParamList P;
  P.AddParam("aDrawCommand", vkClass, &TppDrawCommand::StaticClassInfo());
  TppDrawCommand* Arg = Count;
  P.BindParam(0, &Arg);
  ASSERT_TRUE(TraRTTIClassRegistry::GetRTTIClass(*Page)->CallMethod(Page.get(), "RemoveDrawCommand", &P));
  EXPECT_FALSE(Page->HasUpdateables());
  EXPECT_EQ(0, Page->GetDrawCommandCount());
  Count->Free();
}

TEST(ppPageTest, OneOutlineCommandPerPage) {
  TOwned<TppPage> Page(new TppPage(nullptr));
  auto* First = new TppOutlineDrawCommand(nullptr);
  First->SetPage(Page.get());
  EXPECT_EQ(First, Page->GetOutlineDrawCommand());
  TOwned<TppOutlineDrawCommand> Second(new TppOutlineDrawCommand(nullptr));
  try {
    Second->SetPage(Page.get());
    ADD_FAILURE() << "a second outline command was added";
  } catch (const EOutlineError& E) {
    EXPECT_STREQ("TppPage.AddDrawCommand: Cannot add more than one draw outline command per page.", E.what());
  }
  EXPECT_EQ(1, Page->GetDrawCommandCount());
  EXPECT_EQ(nullptr, Second->Page());
}

// A page's children are its draw commands, so their count and list agree whatever a stream holds:
// a page nested in a page's stream is a damaged stream, and outside streams a page refuses it.
TEST(ppPageTest, APageHoldsDrawCommandsOnly) {
  auto Read = [](const std::string& Text) {
    TMemoryStream In, Binary;
    In.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
    In.SetPosition(0);
    ObjectTextToBinary(In, Binary);
    Binary.SetPosition(0);
    return TOwned<TComponent>(ReadComponentFromStream(Binary, nullptr));
  };
  const std::string Text = "object TppPage\r\n  object TppDrawText\r\n    Text = 'a'\r\n  end\r\nend\r\n";
  TOwned<TComponent> Good = Read(Text);
  auto* Page = dynamic_cast<TppPage*>(Good.get());
  ASSERT_TRUE(Page);
  ASSERT_EQ(1, Page->GetDrawCommandCount());
  EXPECT_NE(nullptr, Page->GetDrawCommand(0));

  const std::string Nested = "object TppPage\r\n  AbsolutePageNo = 2\r\n  object TppPage\r\n    AbsolutePageNo = 2\r\n"
                             "    object TppDrawText\r\n      Text = 'b'\r\n    end\r\n  end\r\nend\r\n";
  EXPECT_THROW(Read(Nested), EReadError);

  TOwned<TppPage> Outer(new TppPage(nullptr));
  TOwned<TppPage> Inner(new TppPage(nullptr));
  EXPECT_THROW(Inner->SetParent(Outer.get()), ETalvorError);
  EXPECT_EQ(nullptr, Inner->Parent());
  EXPECT_EQ(0, Outer->GetDrawCommandCount());
}

TEST(ppPageTest, CopyIsDeepAndIndependent) {
  TOwned<TppPage> Source(MakePage(3, 12));
  Source->SetDocumentName("doc");
  Source->PrinterSetup()->SetCopies(3);
  auto* Text = new TppDrawText(nullptr);
  Text->SetText("a");
  Text->SetClickable(true);
  Text->SetPage(Source.get());
  auto* Shape = new TppDrawShape(nullptr);
  Shape->SetWidth(10);
  Shape->SetPage(Source.get());
  auto* Var = new TppDrawVar(nullptr);
  Var->SetVarType(vtPageNo);
  Var->SetPage(Source.get());

  TOwned<TppPage> Copy(new TppPage(nullptr));
  new TppDrawLine(Copy.get());  // an owned leftover that is not a command of the page: freed with it
  Copy->Assign(Source.get());
  EXPECT_EQ(3, Copy->AbsolutePageNo());
  EXPECT_EQ("doc", Copy->DocumentName());
  EXPECT_EQ(3, Copy->PrinterSetup()->Copies());
  ASSERT_EQ(3, Copy->GetDrawCommandCount());
  for (int I = 0; I < 3; ++I) {
    TppDrawCommand* C = Copy->GetDrawCommand(I);
    EXPECT_NE(Source->GetDrawCommand(I), C);
    EXPECT_EQ(Source->GetDrawCommand(I)->ClassInfo(), C->ClassInfo());
    EXPECT_TRUE(Source->GetDrawCommand(I)->IsEqual(*C));
    EXPECT_EQ(Copy.get(), C->Page());
  }
  EXPECT_EQ(1, Copy->GetClickableCount());
  EXPECT_TRUE(Copy->HasUpdateables());
  dynamic_cast<TppDrawText*>(Copy->GetDrawCommand(0))->SetText("changed");
  EXPECT_EQ("a", Text->Text());
  Source.reset();  // the copy stands alone
  EXPECT_EQ("changed", dynamic_cast<TppDrawText*>(Copy->GetDrawCommand(0))->Text());
  EXPECT_THROW(Copy->Assign(Copy->PrinterSetup()), EConvertError);
}

TEST(ppPageTest, ResetKeepsDateFirstPageAndSetup) {
  TOwned<TppPage> Page(MakePage(1, 1));
  Page->SetPrintDateTime(44000);
  Page->SetDocumentName("x");
  Page->SetCalculation(true);
  (new TppDrawText(nullptr))->SetPage(Page.get());
  Page->Reset();
  EXPECT_EQ(0, Page->GetDrawCommandCount());
  EXPECT_EQ(0, Page->AbsolutePageNo());
  EXPECT_FALSE(Page->LastPage());
  EXPECT_FALSE(Page->Calculation());
  EXPECT_TRUE(Page->DocumentName().empty());
  EXPECT_TRUE(Page->FirstPage());
  EXPECT_DOUBLE_EQ(44000, Page->PrintDateTime());
}

TEST(ppPageTest, PageTexts) {
  TOwned<TppPage> Page(MakePage(3, 12));
  EXPECT_EQ("Página 3", Page->GetPageNoText());
  EXPECT_EQ("Página 3 de 12", Page->GetPageOfPagesText());
}

// A producer that goes takes no page with it: the cached copy forgets it.
TEST(ppPageTest, ProducerReferenceIsClearedWhenTheProducerGoes) {
  TOwned<TppPage> Page(MakePage(1, 1));
  auto* Producer = new TComponent(nullptr);
  Page->SetProducer(Producer);
  TOwned<TppPage> Copy(new TppPage(nullptr));
  Copy->Assign(Page.get());
  EXPECT_EQ(Producer, Copy->Producer());
  Producer->Free();
  EXPECT_EQ(nullptr, Page->Producer());
  EXPECT_EQ(nullptr, Copy->Producer());
}

// ---- page requests

struct TRequestCase {
  const char* Name;
  std::function<void(TppPageRequest&)> Set;
  std::vector<int> Recognised;  // of a 10-page report
  int Last;                     // the page IsLastRequestedPage answers True for
};

TEST(ppPageTest, RequestsRecogniseTheirPages) {
  const std::vector<TRequestCase> Cases = {
      {"all", [](TppPageRequest&) {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 10},
      {"all even",
       [](TppPageRequest& R) { R.SetPageRange(prEvenPages); },
       {2, 4, 6, 8, 10},
       10},
      {"first odd",
       [](TppPageRequest& R) {
         R.SetPageSetting(psFirstPage);
         R.SetPageRange(prOddPages);
       },
       {1},
       1},
      {"last", [](TppPageRequest& R) { R.SetPageSetting(psLastPage); }, {10}, 10},
      {"single 4",
       [](TppPageRequest& R) {
         R.SetPageSetting(psSinglePage);
         R.SetPageRequested(4);
       },
       {4},
       4},
      {"single 12 of 10",
       [](TppPageRequest& R) {
         R.SetPageSetting(psSinglePage);
         R.SetPageRequested(12);
       },
       {10},
       10},
      {"single 0",
       [](TppPageRequest& R) {
         R.SetPageSetting(psSinglePage);
         R.SetPageRequested(0);
       },
       {1},
       1},
      {"list 2,5",
       [](TppPageRequest& R) {
         R.SetPageSetting(psPageList);
         TStringList L;
         L.Add("5");
         L.Add("2");
         R.SetPageList(&L);
       },
       {2, 5},
       5},
      {"list of padded entries",
       [](TppPageRequest& R) {
         R.SetPageSetting(psPageList);
         R.PageList()->Add("       3");
       },
       {3},
       3},
      // Ranges are served (the mend); a range beyond the end ends with the last page.
      {"range 3-6", [](TppPageRequest& R) { R.SetPageRangeBounds(6, 3); }, {3, 4, 5, 6}, 6},
      {"range 8-20 odd",
       [](TppPageRequest& R) {
         R.SetPageRangeBounds(8, 20);
         R.SetPageRange(prOddPages);
       },
       {9},
       10},
  };
  for (const TRequestCase& C : Cases) {
    TppPageRequest R;
    C.Set(R);
    std::vector<int> Got;
    int Last = 0;
    for (int No = 1; No <= 10; ++No) {
      TOwned<TppPage> Page(MakePage(No, 10));
      if (R.IsRequestedPage(*Page)) Got.push_back(No);
      if (R.IsLastRequestedPage(*Page) && Last == 0) Last = No;
    }
    EXPECT_EQ(C.Recognised, Got) << C.Name;
    EXPECT_EQ(C.Last, Last) << C.Name;
  }
  TppPageRequest Beyond;
  Beyond.SetPageSetting(psSinglePage);
  Beyond.SetPageRequested(12);
  TOwned<TppPage> Ten(MakePage(10, 10));
  Beyond.IsRequestedPage(*Ten);
  EXPECT_EQ(10, Beyond.PageRequested());
}

std::unique_ptr<TppPageRequest> Single(int Page) {
  auto R = std::make_unique<TppPageRequest>();
  R->SetPageSetting(psSinglePage);
  R->SetPageRequested(Page);
  return R;
}

TEST(ppPageTest, MergingGivesTheUnionInPageOrder) {
  TppPageRequest U;
  U.Assign(Single(7).get());
  U.Merge(*Single(3));
  EXPECT_EQ(psPageList, U.PageSetting());
  // Kept in page order (the mend): the union of "7" and "3" completes at 7, not at 3.
  EXPECT_EQ((std::vector<std::string>{"3", "7"}), Lines(*U.PageList()));
  TOwned<TppPage> Three(MakePage(3, 10)), Seven(MakePage(7, 10));
  EXPECT_FALSE(U.IsLastRequestedPage(*Three));
  EXPECT_TRUE(U.IsLastRequestedPage(*Seven));
  U.Merge(*Single(3));
  EXPECT_EQ(2, U.PageList()->Count());
  U.Merge(*Single(5));
  EXPECT_EQ((std::vector<std::string>{"3", "5", "7"}), Lines(*U.PageList()));
  TppPageRequest Last;
  Last.SetPageSetting(psLastPage);
  U.Merge(Last);
  EXPECT_EQ(psAll, U.PageSetting());

  TppPageRequest First;
  First.SetPageSetting(psFirstPage);
  TppPageRequest Also;
  Also.Assign(&First);
  First.Merge(Also);
  EXPECT_EQ(psFirstPage, First.PageSetting());
  First.Merge(*Single(4));
  EXPECT_EQ(psPageList, First.PageSetting());
  EXPECT_EQ((std::vector<std::string>{"1", "4"}), Lines(*First.PageList()));

  TppPageRequest Same;
  Same.Assign(Single(2).get());
  Same.Merge(*Single(2));
  EXPECT_EQ(psSinglePage, Same.PageSetting());

  // A range keeps a page inside it; a page outside makes the union every page.
  TppPageRequest Range;
  Range.SetPageRangeBounds(2, 6);
  Range.Merge(*Single(4));
  EXPECT_EQ(psPageRange, Range.PageSetting());
  Range.Merge(*Single(9));
  EXPECT_EQ(psAll, Range.PageSetting());
}

TEST(ppPageTest, RequestCopyAndReset) {
  TppPageRequest R;
  R.SetPageRangeBounds(3, 5);
  R.SetPageRange(prEvenPages);
  R.PageList()->Add("9");
  TppPageRequest C;
  C.Assign(&R);
  EXPECT_EQ(psPageRange, C.PageSetting());
  EXPECT_EQ(3, C.RangeFrom());
  EXPECT_EQ(5, C.RangeTo());
  EXPECT_EQ(prEvenPages, C.PageRange());
  EXPECT_EQ(1, C.PageList()->Count());
  TppPage* NotARequest = nullptr;
  C.Assign(NotARequest);  // ignored
  TppPrinterSetup Other;
  C.Assign(&Other);
  EXPECT_EQ(psPageRange, C.PageSetting());
  C.Reset();
  EXPECT_EQ(psAll, C.PageSetting());
  EXPECT_EQ(prAll, C.PageRange());
  EXPECT_EQ(1, C.PageRequested());
  EXPECT_EQ(0, C.PageList()->Count());
}

}  // namespace pagetest
