// The RTF writer: what it writes reads back (here and in independent readers)
// with the same text, the same character positions and the same formats.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/richtext/RtfWriter.h"
#include "tests/TestTemp.h"
#include "tests/platform/printing/PdfProbe.h"
#include "tests/platform/richtext/RichTextTestUtil.h"

namespace {
// A document with something of everything: accents in and out of
// Windows-1252, marks, line breaks, tabs, RTF's own characters, formats of
// characters and paragraphs, an empty paragraph and an empty last one.
TRichEdit Sample() {
  TRichEdit E;
  E.SetSelText(U16("Ação {1} \\ fim\tcol\vlinha\r\rΩ €\U0001F600 x\r"));
  TRichCharFormat F;
  F.FaceName = "Times New Roman";
  F.Size = 360;
  F.Bold = F.Underline = true;
  F.AutoColor = false;
  F.Color = 0x0000FF;
  E.Select(0, 4);
  E.SetSelAttributes(F, CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_UNDERLINE | CFM_COLOR);
  F.AutoBackColor = false;
  F.BackColor = 0x00FFFF;
  F.Italic = F.StrikeOut = true;
  E.Select(9, 3);
  E.SetSelAttributes(F, CFM_BACKCOLOR | CFM_ITALIC | CFM_STRIKEOUT);
  TRichParaFormat P;
  P.Alignment = TParaAlignment::Center;
  P.LeftIndent = 360;
  P.FirstIndent = -180;
  P.SpaceAfter = 120;
  P.LineSpacing = 360;
  P.Tabs = {{1440, TTabKind::Left}, {2880, TTabKind::Decimal}};
  E.Select(0, 1);
  E.SetParagraph(P);
  return E;
}

bool HaveTool(const char* Command) {
  return std::system((std::string("command -v ") + Command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string WriteFile(TTestTempFiles& Temp, const std::string& Name, const std::string& Bytes) {
  std::string Path = Temp.Path(Name);
  std::ofstream(Path, std::ios::binary) << Bytes;
  return Path;
}
}  // namespace

TEST(RtfWriterTest, SaveThenLoadKeepsTextPositionsAndFormats) {
  TRichEdit A = Sample();
  const std::string Rtf = A.SaveToBytes();
  EXPECT_EQ(Rtf.find_first_of(std::string("\x80\xFF", 2)), std::string::npos) << "7-bit";
  TRichEdit B = Loaded(Rtf);
  ASSERT_EQ(U8(B.Text()), U8(A.Text()));
  ASSERT_EQ(B.Length(), A.Length());
  // Every character keeps its format and every paragraph its own.
  for (int I = 0; I <= A.Length(); ++I) {
    A.Select(I, 1);
    B.Select(I, 1);
    EXPECT_EQ(B.SelAttributes(), A.SelAttributes()) << I;
    EXPECT_EQ(B.Document().ParaFormat(I), A.Document().ParaFormat(I)) << I;
  }
  EXPECT_EQ(B.SaveToBytes(), Rtf) << "written again, the same bytes";

  // A range written alone holds just that range.
  EXPECT_EQ(U8(Loaded(WriteRichText(A.Document(), 5, 3)).Text()), "{1}");
  EXPECT_EQ(U8(Loaded(WriteRichText(A.Document(), 20, -1)).Text()), U8(A.Text().substr(20)));
  // Empty documents, and font names with RTF's own characters.
  EXPECT_EQ(Loaded(TRichEdit().SaveToBytes()).Length(), 0);
  TRichEdit C;
  C.SetSelText(u"x");
  TRichCharFormat F;
  F.FaceName = "Odd{Name};\\";
  C.SelectAll();
  C.SetSelAttributes(F, CFM_FACE);
  TRichEdit D = Loaded(C.SaveToBytes());
  EXPECT_EQ(U8(D.Text()), "x");
  D.SelectAll();
  EXPECT_EQ(D.SelAttributes().FaceName, "Odd{Name}\\");
}

// unrtf reads what we write to the same text (it writes Latin-1 or its own
// marks for characters outside it, so the sample keeps to Latin-1 here).
TEST(RtfWriterTest, UnrtfReadsTheSameText) {
  ASSERT_TRUE(HaveTool("unrtf")) << "unrtf is installed by scripts/deps.sh";
  TTestTempFiles Temp;
  TRichEdit E;
  E.SetSelText(U16("Relatório {anual} \\ ação\rsegunda linha\tfim"));
  E.Select(0, 9);
  TRichCharFormat F;
  F.Bold = true;
  E.SetSelAttributes(F, CFM_BOLD);
  const std::string File = WriteFile(Temp, "doc.rtf", E.SaveToBytes());
  std::string Out = RunCommand("unrtf --text '" + File + "' 2>/dev/null");
  std::string Body;
  for (size_t Pos = 0; Pos < Out.size();) {
    size_t End = Out.find('\n', Pos);
    if (End == std::string::npos) End = Out.size();
    std::string Line = Out.substr(Pos, End - Pos);
    if (Line.rfind("###", 0) != 0) Body += Line + "\n";
    Pos = End + 1;
  }
  EXPECT_NE(Body.find("Relat\xF3rio {anual} \\ a\xE7\xE3o\n"), std::string::npos) << Body;
  EXPECT_NE(Body.find("segunda linha"), std::string::npos) << Body;
  EXPECT_NE(Body.find("fim"), std::string::npos) << Body;
}

// LibreOffice (headless, with a profile of its own) opens what we write and
// saves it as text: the same paragraphs, accents and characters beyond
// Windows-1252 included.
TEST(RtfWriterTest, AWordProcessorReadsTheSameText) {
  ASSERT_TRUE(HaveTool("soffice")) << "LibreOffice is installed by scripts/deps.sh";
  TTestTempFiles Temp;
  TRichEdit E = Sample();
  const std::string File = WriteFile(Temp, "doc.rtf", E.SaveToBytes());
  const std::filesystem::path Dir = Temp.Path("office");
  std::filesystem::create_directories(Dir);
  RunCommand("cd '" + Dir.string() + "' && HOME='" + Dir.string() +
             "' timeout 300 soffice -env:UserInstallation=file://" + Dir.string() +
             "/profile --headless --convert-to 'txt:Text (encoded):UTF8,LF' --outdir '" + Dir.string() + "' '" + File +
             "' >/dev/null 2>&1");
  std::ifstream In(Dir / (std::filesystem::path(File).stem().string() + ".txt"), std::ios::binary);
  std::string Got((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  std::filesystem::remove_all(Dir);
  if (Got.rfind("\xEF\xBB\xBF", 0) == 0) Got.erase(0, 3);
  // Our marks are "\r" and line breaks "\v"; the text export ends paragraphs
  // with LF and writes a line break as LF too.
  std::string Want = U8(E.Text());
  for (char& C : Want)
    if (C == '\r' || C == '\v') C = '\n';
  while (!Got.empty() && Got.back() == '\n') Got.pop_back();
  while (!Want.empty() && Want.back() == '\n') Want.pop_back();
  EXPECT_EQ(Got, Want);
}
