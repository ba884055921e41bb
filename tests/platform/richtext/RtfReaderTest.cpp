// The RTF reader: what reports keep in templates and data fields read to the
// expected text (a paragraph mark is "\r", a line break "\v") and formats, and
// damaged or hostile input read safely.
#include <gtest/gtest.h>

#include "platform/richtext/RtfReader.h"
#include "tests/platform/richtext/RichTextTestUtil.h"

namespace {
constexpr const char* Head = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}";

struct TTextCase {
  const char* Name;
  std::string Rtf;
  std::string Text;
};

std::string Doc(const std::string& Body) { return std::string(Head) + Body + "}"; }
}  // namespace

TEST(RtfReaderTest, InputsReadToTheirText) {
  const TTextCase Cases[] = {
      {"plain words", Doc("\\pard Hello world\\par"), "Hello world\r"},
      {"paragraphs, line, tab", Doc("a\\par b\\line c\\tab d"), "a\rb\vc\td"},
      {"accents in Windows-1252", Doc("a\\'e7\\'e3o \\'80"), "a\xC3\xA7\xC3\xA3o \xE2\x82\xAC"},
      {"\\u with its fallback", Doc("a\\u231?\\u227?o"), "a\xC3\xA7\xC3\xA3o"},
      {"\\uc2 skips two fallback characters", Doc("\\uc2 x\\u8364 EUy"), "x\xE2\x82\xACy"},
      {"a fallback as \\'hh", Doc("\\u231\\'e7!"), "\xC3\xA7!"},
      {"negative \\u", Doc("\\u-4064?"), "\xEF\x80\xA0"},
      {"surrogate pair", Doc("\\u-10179?\\u-8704?"), "\xF0\x9F\x98\x80"},
      {"nested groups", Doc("a{\\b b{\\i c}d}e"), "abcde"},
      {"unknown destination", Doc("a{\\*\\mystuff {nested} text}b"), "ab"},
      {"unknown word keeps its text", Doc("a{\\foo b}c"), "abc"},
      {"skipped destinations", Doc("{\\info{\\title T}}{\\header H}x{\\pict\\wmetafile8 0102ff}y{\\footnote f}"), "xy"},
      {"field shows its result", Doc("{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}"), "link"},
      {"escaped characters", Doc("\\\\ \\{ \\} \\~x"), "\\ { } \xC2\xA0x"},
      {"hidden text dropped", Doc("a{\\v hidden}b"), "ab"},
      {"\\bin data skipped", Doc("a{\\*\\blob\\bin3 }}}}b"), "ab"},
      {"CR and LF in the source are no text", Doc("a\r\nb\r\\\nc"), "ab\rc"},
      {"table cells and rows", Doc("\\trowd\\cellx100 a\\cell b\\cell\\row c"), "a\tb\t\rc"},
      {"named characters", Doc("\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote"),
       "\xE2\x80\x94\xE2\x80\x93\xE2\x80\xA2\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D"},
      {"plain text, not RTF", "linha 1\r\nlinha 2\nfim", "linha 1\rlinha 2\rfim"},
      {"plain text in Windows-1252", "a\xE7\xE3o", "a\xC3\xA7\xC3\xA3o"},
      {"plain text in UTF-8", "a\xC3\xA7\xC3\xA3o", "a\xC3\xA7\xC3\xA3o"},
      {"empty", "", ""},
      {"braces left open", "{\\rtf1 a{\\b b", "ab"},
      {"stray closing brace ends it", "{\\rtf1 a}b}c", "a"},
  };
  for (const TTextCase& C : Cases) {
    TRichEdit E = Loaded(C.Rtf);
    EXPECT_EQ(U8(E.Text()), C.Text) << C.Name;
    EXPECT_EQ(E.Length(), static_cast<int>(U16(C.Text).size())) << C.Name;
  }
}

TEST(RtfReaderTest, FontAndColourTablesGiveTheFormats) {
  // Entry 2 of the font table is missing and entry 0 of the colour table is the automatic colour.
  TRichEdit E = Loaded(
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman Times New Roman;}}"
      "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
      "\\f1\\fs36\\b\\cf1 A\\plain\\f2\\i\\ul B\\plain\\cf9\\highlight2\\strike C\\plain D}");
  ASSERT_EQ(U8(E.Text()), "ABCD");
  struct TCharCase {
    int Pos;
    const char* Face;
    int Size;
    bool Bold, Italic, Underline, StrikeOut, AutoColor;
    TColorRef Color;
    bool AutoBack;
    TColorRef Back;
  };
  const TCharCase Cases[] = {
      {0, "Times New Roman", 360, true, false, false, false, false, 0x0000FF, true, 0xFFFFFF},
      {1, "Arial", 240, false, true, true, false, true, 0, true, 0xFFFFFF},   // \f2: the default font
      {2, "Arial", 240, false, false, false, true, true, 0, false, 0xFF0000},  // \cf9: no such colour
      {3, "Arial", 240, false, false, false, false, true, 0, true, 0xFFFFFF},
  };
  for (const TCharCase& C : Cases) {
    E.Select(C.Pos, 1);
    TRichCharFormat F = E.SelAttributes();
    EXPECT_EQ(F.FaceName, C.Face) << C.Pos;
    EXPECT_EQ(F.Size, C.Size) << C.Pos;
    EXPECT_EQ(F.Bold, C.Bold) << C.Pos;
    EXPECT_EQ(F.Italic, C.Italic) << C.Pos;
    EXPECT_EQ(F.Underline, C.Underline) << C.Pos;
    EXPECT_EQ(F.StrikeOut, C.StrikeOut) << C.Pos;
    EXPECT_EQ(F.AutoColor, C.AutoColor) << C.Pos;
    if (!C.AutoColor) EXPECT_EQ(F.Color, C.Color) << C.Pos;
    EXPECT_EQ(F.AutoBackColor, C.AutoBack) << C.Pos;
    if (!C.AutoBack) EXPECT_EQ(F.BackColor, C.Back) << C.Pos;
  }
}

TEST(RtfReaderTest, ParagraphAttributesBelongToTheirParagraph) {
  TRichEdit E = Loaded(Doc("\\pard\\qc\\li720\\ri360\\fi-360\\sb120\\sa240\\sl-300\\slmult0\\tqr\\tx2000\\tx1000 a\\par"
                           "\\pard\\qj b\\par\\qr c"));
  ASSERT_EQ(U8(E.Text()), "a\rb\rc");
  TRichParaFormat A = E.Document().ParaFormat(0);
  EXPECT_EQ(A.Alignment, TParaAlignment::Center);
  EXPECT_EQ(A.LeftIndent, 720);
  EXPECT_EQ(A.RightIndent, 360);
  EXPECT_EQ(A.FirstIndent, -360);
  EXPECT_EQ(A.SpaceBefore, 120);
  EXPECT_EQ(A.SpaceAfter, 240);
  EXPECT_EQ(A.LineSpacing, -300);
  ASSERT_EQ(A.Tabs.size(), 2u);
  EXPECT_EQ(A.Tabs[0], (TRichTab{1000, TTabKind::Left}));
  EXPECT_EQ(A.Tabs[1], (TRichTab{2000, TTabKind::Right}));
  EXPECT_EQ(E.Document().ParaFormat(2).Alignment, TParaAlignment::Justify);
  // The last paragraph (no mark) takes what was set when the text ended.
  EXPECT_EQ(E.Document().ParaFormat(4).Alignment, TParaAlignment::Right);
  // Default tab stops: the document's own, else RTF's half inch, whatever was loaded before.
  E.LoadFromBytes("{\\rtf1\\deftab1000 x}");
  EXPECT_EQ(E.Document().DefaultTabWidth(), 1000);
  E.LoadFromBytes("{\\rtf1 x}");
  EXPECT_EQ(E.Document().DefaultTabWidth(), 720);
}

// A document of many paragraphs reads in time that grows with its size: 300,000 marks in well
// under the test's time-out (counting the paragraphs' positions again at every mark took minutes).
// The last paragraph still takes the format in force at the end.
TEST(RtfReaderTest, ManyParagraphMarksReadInLinearTime) {
  std::string Rtf = "{\\rtf1\\ansi ";
  for (int I = 0; I < 300000; ++I) Rtf += "\\par";
  TRichEdit E = Loaded(Rtf + "\\qc x}");
  EXPECT_EQ(E.Length(), 300001);
  EXPECT_EQ(E.Document().ParagraphCount(), 300001);
  EXPECT_EQ(E.Document().ParaFormat(300000).Alignment, TParaAlignment::Center);
  EXPECT_EQ(E.Document().ParaFormat(0).Alignment, TParaAlignment::Left);
}

// Hostile input: deep nesting, endless numbers, huge counts, tables without
// end. Each is read without recursion to a bounded document (a hang fails
// by the test's time-out).
TEST(RtfReaderTest, HostileInputIsReadSafelyAndBounded) {
  struct THostile {
    const char* Name;
    std::string Rtf;
  };
  std::vector<THostile> Cases = {
      {"100000 open groups", "{\\rtf1 " + std::string(100000, '{') + "x"},
      {"deep groups then text", "{\\rtf1 " + std::string(5000, '{') + "x" + std::string(5000, '}') + "y}"},
      {"endless parameter", "{\\rtf1 \\fs" + std::string(5000, '9') + " x}"},
      {"negative everything", "{\\rtf1 \\fs-5\\li-99999999\\sl-2147483648\\tx-5\\u-99999999 x}"},
      {"huge \\bin", "{\\rtf1 \\bin999999999 x}"},
      {"huge \\uc", "{\\rtf1 \\uc2147483647\\u65 abc}"},
      {"font table without end", "{\\rtf1{\\fonttbl{\\f0 " + std::string(100000, 'A')},
      {"many fonts", "{\\rtf1{\\fonttbl" + [] {
         std::string S;
         for (int I = 0; I < 5000; ++I) S += "{\\f" + std::to_string(I) + " F" + std::to_string(I) + ";}";
         return S;
       }() + "}x}"},
      {"many colours", "{\\rtf1{\\colortbl " + std::string(50000, ';') + "}\\cf40000 x}"},
      {"many tabs", "{\\rtf1 " + [] {
         std::string S;
         for (int I = 0; I < 5000; ++I) S += "\\tx" + std::to_string(I * 7);
         return S;
       }() + " x\\par y}"},
      {"lone backslash at end", "{\\rtf1 x\\"},
      {"\\' at end", "{\\rtf1 x\\'"},
      {"\\'g1 not hex", "{\\rtf1 x\\'g1y}"},
      {"long word", "{\\rtf1 \\" + std::string(100000, 'a') + " x}"},
  };
  for (const THostile& C : Cases) {
    TRichEdit E = Loaded(C.Rtf);
    EXPECT_LE(E.Length(), static_cast<int>(C.Rtf.size())) << C.Name;
    EXPECT_LE(E.Document().ParaFormat(0).Tabs.size(), static_cast<size_t>(MaxTabStops)) << C.Name;
  }
  // Text inside groups nested deeper than the bound is dropped, the rest kept.
  EXPECT_EQ(U8(Loaded("{\\rtf1 a" + std::string(MaxRtfGroupDepth + 10, '{') + "deep" +
                      std::string(MaxRtfGroupDepth + 10, '}') + "b}")
                   .Text()),
            "ab");
  EXPECT_EQ(U8(Loaded("{\\rtf1 a" + std::string(MaxRtfGroupDepth - 2, '{') + "deep" +
                      std::string(MaxRtfGroupDepth - 2, '}') + "b}")
                   .Text()),
            "adeepb");
}
