// The text-file devices: delimited files byte for byte in each file type (and comma and tab files
// read back by Python's csv module), the save-text handler's view, and the character grid: exact
// line counts, columns, alignment, overlaps, wrapped texts and texts off the page.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/classes/StringList.h"
#include "ppreport/output/ppTextFileDev.h"
#include "tests/TestTemp.h"
#include "tests/ppreport/output/ppDeviceTestSupport.h"

using namespace ppdevtest;

namespace {

std::string ReadText(const std::string& Path) {
  std::ifstream F(Path, std::ios::binary);
  std::stringstream S;
  S << F.rdbuf();
  return S.str();
}

TppDrawText* AddField(TppPage& Page, int Band, int Component, const std::string& Text, int SaveLength = 0,
                      TAlignment Alignment = taLeftJustify) {
  auto* T = new TppDrawText(nullptr);
  T->SetText(Text);
  T->SetBandSave(true);
  T->SetComponentSave(true);
  T->SetBandSaveNo(Band);
  T->SetComponentSaveNo(Component);
  T->SetSaveLength(SaveLength);
  T->SetAlignment(Alignment);
  T->SetPage(&Page);
  return T;
}

// Two pages of saved texts, fields added out of order. Page 1: a line of awkward texts, a line of
// plain ones, a line whose only field is empty (not written) and a text that is not saved. Page 2:
// one line, the last of the file.
void FillSaved(int PageNo, TppPage& Page) {
  if (PageNo == 1) {
    AddField(Page, 1, 2, "São Paulo, SP", 5, taCenter);
    AddField(Page, 1, 1, "ab", 5, taCenter);
    AddField(Page, 1, 3, "diz \"oi\"\ttab", 5, taRightJustify);
    AddField(Page, 2, 1, "Bob", 5);
    AddField(Page, 2, 2, "x", 5, taRightJustify);
    AddField(Page, 3, 1, "");
    auto* Hidden = AddField(Page, 4, 1, "oculto");
    Hidden->SetComponentSave(false);
    AddField(Page, 2, 3, "linha1\nlinha2", 5);
  } else {
    AddField(Page, 1, 1, "Caio", 5);
    AddField(Page, 1, 2, "abcdefg", 5);
  }
}

std::string WriteSaved(TppFileType Type, const std::string& File, TppTextFileSaveTextEvent Handler = nullptr) {
  TPageSource Source(2, nullptr, FillSaved);
  TppTextFileDevice Device(nullptr);
  Device.SetTextFileType(Type);
  Device.SetFileName(File);
  Device.OnSaveText = std::move(Handler);
  RequestPagesFrom(Device, Source);
  return ReadText(File);
}

// Fields as Python's csv module reads File: one line per record, fields joined by '|', newlines as \n.
std::string ReadWithCsv(const std::string& File, const char* Delimiter) {
  const std::string Command = std::string("python3 -c \"import csv,sys\n"
                                          "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                          "  for r in csv.reader(f, delimiter=sys.argv[2]): "
                                          "print('|'.join(x.replace(chr(10), chr(92)+'n') for x in r))\" '") +
                              File + "' '" + Delimiter + "'";
  std::string Out;
  if (FILE* P = popen(Command.c_str(), "r")) {
    char Buf[1024];
    size_t N;
    while ((N = fread(Buf, 1, sizeof Buf, P)) > 0) Out.append(Buf, N);
    EXPECT_EQ(0, pclose(P));
  }
  return Out;
}

// Every file type byte for byte: the last line has no line break, empty lines are not written,
// texts leave in UTF-8 and comma and tab files quote as RFC 4180 does.
TEST(ppTextFileDevTest, DelimitedFilesByteForByte) {
  TTestTempFiles Temp;
  struct {
    TppFileType Type;
    const char* Expected;
  } Cases[] = {
      {ftComma,
       "ab,\"São Paulo, SP\",\"diz \"\"oi\"\"\ttab\"\r\n"
       "Bob,x,\"linha1\nlinha2\"\r\n"
       "Caio,abcdefg"},
      {ftTab,
       "ab\tSão Paulo, SP\t\"diz \"\"oi\"\"\ttab\"\r\n"
       "Bob\tx\t\"linha1\nlinha2\"\r\n"
       "Caio\tabcdefg"},
      // Centred "ab" in 5: one blank before, two after; longer texts keep their first five.
      {ftFixedLength, " ab  São Pdiz \"\r\nBob      xlinha\r\nCaio abcde"},
      {ftCustom, "abSão Paulo, SPdiz \"oi\"\ttabBobxlinha1\nlinha2Caioabcdefg"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Type);
    EXPECT_EQ(C.Expected, WriteSaved(C.Type, Temp.Path("saved.txt")));
  }
  // What a CSV reader makes of them: the fields as they were.
  const std::string Rows = "ab|São Paulo, SP|diz \"oi\"\ttab\nBob|x|linha1\\nlinha2\nCaio|abcdefg\n";
  const std::string Comma = Temp.Path("comma.csv"), Tab = Temp.Path("tab.txt");
  WriteSaved(ftComma, Comma);
  EXPECT_EQ(Rows, ReadWithCsv(Comma, ","));
  WriteSaved(ftTab, Tab);
  EXPECT_EQ(Rows, ReadWithCsv(Tab, "\t"));
}

TEST(ppTextFileDevTest, QuoteTable) {
  EXPECT_EQ("plain", ppQuoteField("plain", ','));
  EXPECT_EQ("\"a b\"", ppQuoteField("a b", ','));
  EXPECT_EQ("a b", ppQuoteField("a b", '\t'));
  EXPECT_EQ("\"\"\"\"", ppQuoteField("\"", '\t'));
  EXPECT_EQ("\"a\r\nb\"", ppQuoteField("a\r\nb", ','));
}

// The handler sees each field with its component and where the writing stands, and its text is
// what goes to the file; the producer's handler gets the component as the sender.
TEST(ppTextFileDevTest, SaveTextHandlerSeesEachField) {
  TTestTempFiles Temp;
  const std::string File = Temp.Path("custom.txt");
  TComponent Label(nullptr);
  std::vector<std::string> Seen;
  TPageSource Source(2, nullptr, [&](int PageNo, TppPage& Page) {
    FillSaved(PageNo, Page);
    Page.GetDrawCommand(0)->SetComponent(&Label);
  });
  TppTextFileDevice Device(nullptr);
  Device.SetTextFileType(ftCustom);
  Device.SetFileName(File);
  Device.OnSaveText = [&](TppDevice* D, TComponent* C, std::string& Text) {
    EXPECT_EQ(&Device, D);
    std::string Flags;
    Flags += Device.FirstLine() ? 'F' : '-';
    Flags += Device.FirstField() ? 'f' : '-';
    Flags += Device.EndOfLine() ? 'e' : '-';
    Flags += Device.EndOfPage() ? 'E' : '-';
    Flags += Device.LastLine() ? 'L' : '-';
    Seen.push_back(Flags + std::to_string(Device.LineNo()) + std::to_string(Device.FieldNo()) + (C ? "c" : ""));
    Text = (Device.FirstField() ? "[" : "") + Text + (Device.EndOfLine() ? "]\r\n" : ";");
  };
  RequestPagesFrom(Device, Source);
  EXPECT_EQ("[ab;São Paulo, SP;diz \"oi\"\ttab]\r\n[Bob;x;linha1\nlinha2]\r\n[]\r\n[Caio;abcdefg]\r\n",
            ReadText(File));
  const std::vector<std::string> Expected = {"Ff---00", "F----01c", "F-e--02", "-f---10", "-----11", "--e--12",
                                             "-feE-20", "-f--L30c", "--eEL31"};
  EXPECT_EQ(Expected, Seen);
  EXPECT_EQ(0, Device.LineNo());  // cleared when the job ended

  // The producer's handler, as SetSaveTextHandler adapts it.
  TObject* Sender = nullptr;
  Device.SetSaveTextHandler([&](TObject* S, std::string& Text) {
    if (!Sender) Sender = S;
    Text += "!";
  });
  Device.SetTextFileType(ftComma);
  TPageSource Again(1, nullptr, [&](int, TppPage& Page) { AddField(Page, 1, 1, "a")->SetComponent(&Label); });
  RequestPagesFrom(Device, Again);
  EXPECT_EQ(&Label, Sender);
  EXPECT_EQ("a!", ReadText(File));  // the last line of the file
}

// ---- the character grid

// A page of 80 x 66 cells of 2 x 3 mm.
TppPrinterSetup* GridSetup() {
  static TppPrinterSetup Setup;
  Setup.PageDef()->SetmmWidth(80 * 2000);
  Setup.PageDef()->SetmmHeight(66 * 3000);
  return &Setup;
}

TppDrawText* AddText(TppPage& Page, int Column, int Row, const std::string& Text, int Chars,
                     TAlignment Alignment = taLeftJustify) {
  auto* T = new TppDrawText(nullptr);
  T->SetText(Text);
  T->SetLeft((Column - 1) * 2000);
  T->SetTop((Row - 1) * 3000 + 100);
  T->SetWidth(Chars * 2000 - 1);
  T->SetAlignment(Alignment);
  T->SetPage(&Page);
  return T;
}

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> Lines;
  size_t Start = 0;
  for (size_t At; (At = Text.find("\r\n", Start)) != std::string::npos; Start = At + 2)
    Lines.push_back(Text.substr(Start, At - Start));
  Lines.push_back(Text.substr(Start));
  return Lines;
}

TEST(ppTextFileDevTest, GridPagesPutTextsAtTheirCells) {
  TTestTempFiles Temp;
  const std::string File = Temp.Path("grid.txt");
  TPageSource Source(2, GridSetup(), [](int PageNo, TppPage& Page) {
    AddText(Page, 1, 1, PageNo == 1 ? "Topo" : "Página 2", 10);
    // Added in reverse: the grid goes by position, not by page order.
    AddText(Page, 7, 3, "xyz", 3);            // overwrites columns 7 to 9 of the text before it
    AddText(Page, 1, 3, "0123456789", 10);
    AddText(Page, 1, 5, "42", 5, taRightJustify);
    AddText(Page, 75, 6, "cortado-aqui", 6);  // padded or cut to its box: 6 characters
    auto* Wrapped = AddText(Page, 3, 10, "", 20);
    TStringList Lines;
    Lines.Add("linha um");
    Lines.Add("linha dois");
    Wrapped->SetWrappedText(&Lines);
    AddText(Page, 1, 1, "acima", 5)->SetTop(-10000);  // above the page: dropped, the page stays
    AddText(Page, 1, 67, "abaixo", 6);                // below the last line: dropped
    // Auto-sized texts longer than their boxes grow about their anchors, as on paper: a page
    // number centred on a 3-cell box at columns 39-41, a right-aligned text ending at column 71.
    AddText(Page, 39, 8, "Página 1 de 10", 3, taCenter)->SetAutoSize(true);
    AddText(Page, 70, 9, "direita", 2, taRightJustify)->SetAutoSize(true);
    if (PageNo == 2) AddText(Page, 1, 66, "fim", 3);
  });
  TppReportTextFileDevice Device(nullptr);
  Device.SetCalcGridFromFont(false);
  Device.SetFileName(File);
  RequestPagesFrom(Device, Source);
  EXPECT_EQ(0, Device.ComponentCount());  // the lines of wrapped texts went with their page
  const std::string Text = ReadText(File);
  const std::vector<std::string> Lines = SplitLines(Text);
  // 66 lines a page; the very last has no line break.
  ASSERT_EQ(132u, Lines.size());
  EXPECT_EQ("fim", Text.substr(Text.size() - 3));
  for (int Page = 0; Page < 2; ++Page) {
    SCOPED_TRACE(Page + 1);
    const auto L = [&](int Row) { return Lines[static_cast<size_t>(Page * 66 + Row - 1)]; };
    EXPECT_EQ(Page == 0 ? "Topo" : "Página 2", L(1));
    EXPECT_EQ("", L(2));
    EXPECT_EQ("012345xyz9", L(3));
    EXPECT_EQ("   42", L(5));
    EXPECT_EQ(std::string(74, ' ') + "cortad", L(6));
    EXPECT_EQ("  linha um", L(10));
    EXPECT_EQ("  linha dois", L(11));
    EXPECT_EQ(std::string(32, ' ') + "Página 1 de 10", L(8));
    EXPECT_EQ(std::string(63, ' ') + "direita", L(9));
    EXPECT_EQ(Page == 0 ? "" : "fim", L(66));
  }
}

// Characters beyond any 8-bit code page are kept; in the fixed layouts a line break or tab inside
// a value becomes a blank, so a record stays on its line and a grid page keeps its line count.
TEST(ppTextFileDevTest, EveryCharacterIsKeptAndFixedLayoutsBlankLineBreaks) {
  TTestTempFiles Temp;
  const std::string File = Temp.Path("chars.txt");
  auto Fields = [](int, TppPage& Page) {
    AddField(Page, 1, 1, "Ω\nb", 4);
    AddField(Page, 1, 2, "日本語", 3);
    AddField(Page, 1, 3, "Москва\tX", 8);
    AddField(Page, 2, 1, "fim\n", 5);
  };
  struct {
    TppFileType Type;
    const char* Expected;
  } Cases[] = {
      {ftFixedLength, "Ω b 日本語Москва X\r\nfim  "},
      {ftComma, "\"Ω\nb\",日本語,Москва\tX\r\n\"fim\n\""},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Type);
    TPageSource Source(1, nullptr, Fields);
    TppTextFileDevice Device(nullptr);
    Device.SetTextFileType(C.Type);
    Device.SetFileName(File);
    RequestPagesFrom(Device, Source);
    EXPECT_EQ(C.Expected, ReadText(File));
  }
  EXPECT_EQ("Ω\\nb|日本語|Москва\tX\nfim\\n\n", ReadWithCsv(File, ","));

  TPageSource Grid(1, GridSetup(), [](int, TppPage& Page) {
    AddText(Page, 1, 1, "Ω\r\nb", 4);
    AddText(Page, 3, 2, "日本語\tz", 5);
  });
  TppReportTextFileDevice Device(nullptr);
  Device.SetCalcGridFromFont(false);
  Device.SetFileName(File);
  RequestPagesFrom(Device, Grid);
  const std::vector<std::string> Lines = SplitLines(ReadText(File));
  ASSERT_EQ(66u, Lines.size());
  EXPECT_EQ("Ω  b", Lines[0]);
  EXPECT_EQ("  日本語 z", Lines[1]);
}

// From the font: the measuring font follows the first text's size (8 for small texts, 12 for
// large ones), so small texts give a finer grid; every page still has exactly its line count.
TEST(ppTextFileDevTest, GridFromTheFontFollowsTheFirstText) {
  TTestTempFiles Temp;
  const std::string File = Temp.Path("font.txt");
  int Chars[2] = {}, Lines[2] = {};
  for (int Big = 0; Big < 2; ++Big) {
    TppPrinterSetup Setup;
    Setup.PageDef()->SetmmWidth(215900);
    Setup.PageDef()->SetmmHeight(279400);
    TPageSource Source(3, &Setup, [Big](int, TppPage& Page) {
      auto* T = AddText(Page, 1, 1, "texto", 5);
      T->Font()->SetName("Arial");
      T->Font()->SetSize(Big ? 24 : 6);
    });
    TppReportTextFileDevice Device(nullptr);
    Device.SetFileName(File);
    RequestPagesFrom(Device, Source);
    Chars[Big] = Device.CharsPerLine();
    Lines[Big] = Device.LinesPerPage();
    EXPECT_EQ(size_t(3 * Lines[Big]), SplitLines(ReadText(File)).size());
  }
  EXPECT_GT(Chars[0], Chars[1]);
  EXPECT_GT(Lines[0], Lines[1]);
  EXPECT_GT(Chars[1], 50);
  EXPECT_GT(Lines[1], 40);
}

TEST(ppTextFileDevTest, FileTypesAndRegistry) {
  EXPECT_EQ(&TppTextFileDevice::StaticClassInfo(), DeviceClassForName("TextFile"));
  EXPECT_EQ(&TppReportTextFileDevice::StaticClassInfo(), DeviceClassForName("ReportTextFile"));
  EXPECT_EQ("Arquivo Texto", TppTextFileDevice::GetFileDescription(lgDefault));
  EXPECT_EQ("Arquivo Texto Emulando Relatório", TppReportTextFileDevice::GetFileDescription(lgDefault));
  EXPECT_EQ("txt", TppReportTextFileDevice::GetDefaultExt());
}

}  // namespace
