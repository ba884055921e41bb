// The windowless rich edit: selection, selected text, replacing, character
// formats of a range and forward search, counted as the rich edit counts.
#include <gtest/gtest.h>

#include <thread>

#include "platform/richtext/RichTextLock.h"
#include "tests/platform/richtext/RichTextTestUtil.h"

namespace {
constexpr const char* Rtf =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}{\\colortbl ;\\red255\\green0\\blue0;}"
    "\\fs20 Caro {\\b\\cf1 <Nome>},\\par\\qc segue {\\f1\\fs28 a fatura}.}";
}  // namespace

TEST(RichEditTest, SelectionStaysInsideTheText) {
  TRichEdit E = Loaded(Rtf);
  ASSERT_EQ(U8(E.Text()), "Caro <Nome>,\rsegue a fatura.");
  ASSERT_EQ(E.Length(), 28);
  struct TCase {
    int Start, Length, WantStart, WantLength;
    const char* Text;
  };
  const TCase Cases[] = {
      {5, 6, 5, 6, "<Nome>"},
      {12, 2, 12, 2, "\rs"},        // the mark is one character
      {20, 100, 20, 8, " fatura."},  // stops at the end
      {100, 5, 28, 0, ""},
      {-3, 4, 0, 4, "Caro"},
  };
  for (const TCase& C : Cases) {
    E.Select(C.Start, C.Length);
    EXPECT_EQ(E.SelStart(), C.WantStart) << C.Start;
    EXPECT_EQ(E.SelLength(), C.WantLength) << C.Start;
    EXPECT_EQ(U8(E.SelText()), C.Text) << C.Start;
  }
  E.SelectAll();
  EXPECT_EQ(E.SelLength(), E.Length());
}

TEST(RichEditTest, ReplacingKeepsFormatsAndPositions) {
  TRichEdit E = Loaded(Rtf);
  // A merge tag replaced by a value takes the tag's format.
  E.Select(5, 6);
  E.SetSelText(u"Ana Luísa");
  EXPECT_EQ(U8(E.Text()), "Caro Ana Luísa,\rsegue a fatura.");
  EXPECT_EQ(E.SelStart(), 14);
  E.Select(5, 9);
  uint32_t Mask = 0;
  TRichCharFormat F = E.SelAttributes(&Mask);
  EXPECT_TRUE(F.Bold);
  EXPECT_FALSE(F.AutoColor);
  EXPECT_EQ(F.Color, 0x0000FFu);
  EXPECT_EQ(Mask & (CFM_BOLD | CFM_COLOR), CFM_BOLD | CFM_COLOR);
  // A range of mixed formats answers the first character's, with a mask of what holds alike.
  E.Select(3, 4);
  F = E.SelAttributes(&Mask);
  EXPECT_FALSE(F.Bold);
  EXPECT_EQ(Mask & (CFM_BOLD | CFM_COLOR), 0u);
  EXPECT_NE(Mask & CFM_FACE, 0u);

  // Replacing across the mark joins the paragraphs; the later one's format stays.
  E.Select(14, 3);
  E.SetSelText(u" s");
  EXPECT_EQ(U8(E.Text()), "Caro Ana Luísa segue a fatura.");
  EXPECT_EQ(E.Document().ParagraphCount(), 1);
  EXPECT_EQ(E.Document().ParaFormat(0).Alignment, TParaAlignment::Center);
  // Line ends of every kind become marks; other control characters go.
  E.Select(0, 0);
  E.SetSelText(u"a\r\nb\nc\rd\x2028" u"e\x01\tf");
  EXPECT_EQ(U8(E.Text().substr(0, 11)), "a\rb\rc\rd\ve\tf");
  EXPECT_EQ(E.Document().ParagraphCount(), 4);

  // Setting a format on a range changes just that range.
  TRichEdit G = Loaded(Rtf);
  TRichCharFormat Big;
  Big.Size = 480;
  G.Select(0, 4);
  G.SetSelAttributes(Big, CFM_SIZE);
  G.Select(0, 4);
  EXPECT_EQ(G.SelAttributes().Size, 480);
  G.Select(4, 1);
  EXPECT_EQ(G.SelAttributes().Size, 200);
}

TEST(RichEditTest, MaxLengthBoundsLoadingAndTyping) {
  TRichEdit E;
  E.SetMaxLength(10);
  E.LoadFromBytes("0123456789abcdef");
  EXPECT_EQ(U8(E.Text()), "0123456789");
  E.Select(2, 3);
  E.SetSelText(u"ABCDEF");
  EXPECT_EQ(U8(E.Text()), "01ABC56789");
  E.SetMaxLength(0);
  E.SetSelText(u"xyz");
  EXPECT_EQ(E.Length(), 13);
}

TEST(RichEditTest, FindSearchesForward) {
  TRichEdit E = Loaded("{\\rtf1 Ação ACAO ação, Nome nomes\\par _nome nome2 fim nome}");
  const std::u16string T = E.Text();
  struct TCase {
    const char* What;
    int Start, Length;
    TSearchTypes Options;
    int Want;
  };
  const TCase Cases[] = {
      {"ação", 0, -1, 0, 0},
      {"ação", 1, -1, 0, 10},                       // forward from 1
      {"AÇÃO", 1, -1, 0, 10},                       // accents fold with case
      {"ação", 1, -1, stMatchCase, 10},
      {"Ação", 1, -1, stMatchCase, -1},
      {"nome", 0, -1, 0, 16},
      {"nome", 0, -1, stMatchCase, 21},              // "nomes"
      {"nome", 0, -1, stWholeWord, 16},
      {"nome", 17, -1, stWholeWord, 43},             // not "nomes", "_nome" nor "nome2"
      {"nome", 17, -1, stWholeWord | stMatchCase, 43},
      {"nome", 43, 3, 0, -1},                        // the match must lie inside the range
      {"nome", 43, 4, 0, 43},
      {"s\r_", 0, -1, 0, 25},                        // across the mark
      {"ação,", 0, -1, stWholeWord, 10},  // an end that is no word character needs no boundary
      {"ção,", 0, -1, stWholeWord, -1},
      {"", 0, -1, 0, -1},
      {"x", 100, -1, 0, -1},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(E.FindText(U16(C.What), C.Start, C.Length, C.Options), C.Want)
        << C.What << " from " << C.Start << " in " << U8(T);
}

// Two threads editing and measuring their own documents: every call takes the
// one lock, and a thread may hold it across calls.
TEST(RichEditTest, TheLockIsProcessWideAndReentrant) {
  auto Work = [] {
    for (int I = 0; I < 200; ++I) {
      TRichEdit E = Loaded(Rtf);
      TLock Outer(RichTextLock());
      E.Select(5, 6);
      E.SetSelText(u"valor");
      TLock Inner(RichTextLock());
      EXPECT_EQ(U8(E.Text()), "Caro valor,\rsegue a fatura.");
    }
  };
  std::thread A(Work), B(Work);
  A.join();
  B.join();
}
