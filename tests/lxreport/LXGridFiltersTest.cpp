#include "lxreport/LXGridFilters.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "lxreport/LXError.h"
#include "lxreport/LXEvEnvironment.h"
#include "lxreport/VexaRpt.h"
#include "platform/rtl/FormatSettings.h"
#include "tests/lxreport/LXExportTestSupport.h"
#include "tests/TestEnv.h"
#include "tests/lxreport/LXReportTestSupport.h"

using namespace lxtest;

TEST(LXPositionsTest, RanksRoundedPositions) {
  struct Case {
    std::vector<long double> In;
    std::vector<int> Out;
  } Cases[] = {
      {{50, 300, 120}, {1, 3, 2}},
      {{100.2L, 99.6L, 100.5L, 101}, {1, 1, 1, 2}},  // 100.5 rounds to even, 100
      {{0, -5, 40, 9999999}, {0, 0, 1, 0}},          // outside the page: never numbered
      {{}, {}},
  };
  for (const auto& C : Cases) {
    TLXPositions P;
    P.AddPosition(7);  // not updating: ignored
    P.BeginUpdate();
    for (auto X : C.In) P.AddPosition(X);
    P.EndUpdate();
    for (size_t I = 0; I < C.In.size(); ++I) EXPECT_EQ(P.GetPosition(C.In[I]), C.Out[I]) << C.In[I];
    EXPECT_EQ(P.GetPosition(7), 0);
  }
}

// A streaming export's one long page: many positions, added in any order, numbered by rank.
TEST(LXPositionsTest, RanksManyPositionsInAscendingOrder) {
  constexpr int N = 50000;
  std::vector<long double> In;
  for (int I = 0; I < N; ++I) In.push_back(10 + static_cast<long double>((I * 7919L) % N) * 2 + 0.3L);
  TLXPositions P;
  P.BeginUpdate();
  for (auto X : In) P.AddPosition(X);
  for (auto X : In) P.AddPosition(X + 0.1L);  // the same whole tenths: shared
  P.EndUpdate();
  ASSERT_EQ(P.List().size(), static_cast<size_t>(N));
  for (auto X : In) ASSERT_EQ(P.GetPosition(X), static_cast<int>((X - 10) / 2) + 1) << X;
  EXPECT_EQ(P.List()[0].Clients, 2);
}

namespace {
// Keeps what the grid looked like when the page was stored.
class TGridProbe : public TLXAbstractExportFilter {
public:
  using TLXAbstractExportFilter::TLXAbstractExportFilter;
  void StorePage() override {
    Lines.push_back(LineCount()), Cols.push_back(ColCount());
    Cell11 = GetText(1, 1);
  }
  std::vector<int> Lines, Cols;
  std::string Cell11;
};
}  // namespace

TEST(LXAbstractExportFilterTest, PageBecomesGridAndFirstTextWinsACell) {
  TTestTempFiles Temp;
  TGridProbe F(Temp.Path("grid.bin"));
  const TFont Font = MakeFont(10);
  RunPages(F, {{{100, 50, "first"}, {100.4L, 50.3L, "second"}, {0, 80, "at zero"}, {300, 80, "b"}}}, Font);
  // The break before page 1 stores an empty page.
  EXPECT_EQ(F.Lines, (std::vector<int>{0, 2}));
  EXPECT_EQ(F.Cols, (std::vector<int>{0, 2}));
  EXPECT_EQ(F.Cell11, "first");
  EXPECT_FALSE(F.Active());
}

TEST(LXAbstractExportFilterTest, FileThatCannotBeCreatedRaises) {
  TLXCommaSeparatedFilter F("/nonexistent-dir/x.csv");
  TFont Font;
  EXPECT_THROW(F.Start(2100, 2970, &Font), EFCreateError);
}

namespace {
const char* CsvReader = R"(import csv, sys, json
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    print(json.dumps(list(csv.reader(f))))
)";
}

TEST(LXGridFiltersTest, CommaSeparatedReadsBackToTheSameCells) {
  TTestTempFiles Temp;
  const std::string File = Temp.Path("out.csv");
  TLXCommaSeparatedFilter F(File);
  const TFont Font = MakeFont(10);
  RunPages(F,
           {{{100, 50, "Nome"}, {300, 50, "Cidade, UF"}, {500, 50, "Ação"},
             {100, 90, "Diz \"olá\""}, {500, 90, "3"}},
            {{100, 50, "p2"}}},
           Font);
  const std::string Bytes = ReadAll(File);
  EXPECT_NE(Bytes.find("\"Diz \"\"olá\"\"\",\"\",\"3\"\r\n"), std::string::npos) << Bytes;
  EXPECT_EQ(RunPython(Temp, CsvReader, File),
            "[[\"Nome\", \"Cidade, UF\", \"A\\u00e7\\u00e3o\"], [\"Diz \\\"ol\\u00e1\\\"\", \"\", \"3\"], [\"p2\", \"\", \"\"]]\n");
}

// Texts that open as formulas in a spreadsheet program get a leading single quote; numbers,
// signed ones too, and other texts stay as they are.
TEST(LXGridFiltersTest, CommaSeparatedGuardsTextsThatWouldBeFormulas) {
  const struct {
    const char* Text;
    bool Guarded;
  } Cases[] = {{"=SUM(A1:A9)", true}, {"+55 11 5555-0000", true}, {"-", true},    {"@cmd", true},
               {"-1+1", true},        {"=1", true},               {"-12,50", false}, {"-1.234,56", false},
               {"+7", false},         {"-12.5", false},           {"a=b", false},  {"", false}};
  TTestTempFiles Temp;
  const std::string File = Temp.Path("guard.csv");
  TLXCommaSeparatedFilter F(File);
  TPageTexts Page;
  for (size_t I = 0; I < std::size(Cases); ++I) {
    EXPECT_EQ(CSVTextNeedsGuard(Cases[I].Text), Cases[I].Guarded) << Cases[I].Text;
    Page.push_back({100, 50.0L + 40 * I, Cases[I].Text});
  }
  RunPages(F, {Page}, MakeFont(10));
  std::string Want = "[";
  for (size_t I = 0; I < std::size(Cases); ++I) {
    Want += std::string(I ? ", " : "") + "[\"" + (Cases[I].Guarded ? "'" : "") + Cases[I].Text + "\"]";
  }
  EXPECT_EQ(RunPython(Temp, CsvReader, File), Want + "]\n");
}

TEST(LXGridFiltersTest, CommaSeparatedUsesTheSharedSeparator) {
  TTestTempFiles Temp;
  const std::string File = Temp.Path("out.csv");
  {
    TLXCSVFilter Component(nullptr);
    Component.SetSeparator(';');
    TLXCommaSeparatedFilter F(File);
    RunPages(F, {{{100, 50, "a"}, {300, 50, "b"}}}, MakeFont(10));
  }
  EXPECT_EQ(ReadAll(File), "\"a\";\"b\"\r\n");
  TLXCSVFilter Again(nullptr);
  EXPECT_EQ(LXCSVSeparator, ',');
}

TEST(LXGridFiltersTest, HTMLTablesEscapedWithFontAttributes) {
  TTestTempFiles Temp;
  const std::string File = Temp.Path("out.htm");
  TLXHTMLDocumentFilter F(File);
  const TFont Report = MakeFont(10, clBlack);
  RunPages(F,
           {{{100, 50, "plain", taLeftJustify, MakeFont(10, clBlack)},
             {300, 50, "big", taLeftJustify, MakeFont(20, clBlack)},
             {500, 50, "red", taLeftJustify, MakeFont(10, clRed)},
             {100, 90, "a<b> & \"c\" é", taLeftJustify, MakeFont(8, clBlack)}}},
           Report);
  const std::string Html = ReadAll(File);
  EXPECT_NE(Html.find("<TD>plain</TD>"), std::string::npos);
  EXPECT_NE(Html.find("<FONT  SIZE=+4>big</FONT>"), std::string::npos);
  EXPECT_NE(Html.find("<FONT COLOR=\"#FF0000\">red</FONT>"), std::string::npos);
  EXPECT_NE(Html.find("SIZE=-1>a&lt;b&gt; &amp; &quot;c&quot; é</FONT>"), std::string::npos) << Html;
  EXPECT_EQ(Html.substr(Html.size() - 8), "</TABLE>");

  const char* Reader = R"(import sys
from html.parser import HTMLParser
class P(HTMLParser):
    def __init__(s):
        super().__init__(); s.rows = []; s.font = None; s.charset = None; s.tables = 0
    def handle_starttag(s, tag, attrs):
        a = dict(attrs)
        if tag == 'meta': s.charset = a.get('content')
        if tag == 'table': s.tables += 1
        if tag == 'tr': s.rows.append([])
        if tag == 'td': s.rows[-1].append('')
        if tag == 'font': s.font = (a.get('color'), a.get('size'))
    def handle_data(s, d):
        d = d.strip('\r\n')
        if d and s.rows and s.rows[-1]:
            s.rows[-1][-1] += d
            if s.font: s.rows[-1][-1] += '%s' % (s.font,); s.font = None
p = P()
p.feed(open(sys.argv[1], 'rb').read().decode('utf-8'))
print(p.charset); print(p.tables); print(p.rows)
)";
  EXPECT_EQ(RunPython(Temp, Reader, File),
            "text/html; charset=utf-8\n2\n[['plain', \"big(None, '+4')\", \"red('#FF0000', None)\"], "
            "['a<b> & \"c\" é(None, \\'-1\\')', '', '']]\n");
}

TEST(LXGridFiltersTest, HTMLWithoutFileNameKeepsAMemoryStream) {
  TLXHTMLDocumentFilter F("");
  TFont Font = MakeFont(10);
  F.Start(2100, 2970, &Font);
  EXPECT_FALSE(F.FreeStream());
  F.EndPage();
  F.NewPage();
  F.TextOut(100, 100, &Font, clWhite, taLeftJustify, "x");
  F.EndPage();
  ASSERT_NE(F.Stream(), nullptr);
  EXPECT_GT(F.Stream()->Size(), 0);
  F.Finish();
}

TEST(LXGridFiltersTest, HTMLFontSteps) {
  const std::pair<int, int> Steps[] = {{6, 0}, {8, 0}, {9, 1}, {10, 1}, {12, 2}, {14, 3},
                                       {18, 4}, {19, 5}, {24, 5}, {25, 7}};
  for (auto [P, S] : Steps) EXPECT_EQ(HTMLFontStep(P), S) << P;
}

TEST(LXGridFiltersTest, CellTextIsANumberOnlyAsAWhole) {
  const TFormatSettings BR = BrazilianFormatSettings(), EN = EnglishFormatSettings();
  struct Case {
    const char* Text;
    const TFormatSettings* FS;
    bool Number;
    double Value;
  } Cases[] = {
      {"1.234,56", &BR, true, 1234.56}, {"1234,56", &BR, true, 1234.56}, {"-12", &BR, true, -12},
      {"1.234.567", &BR, true, 1234567}, {"0,5", &BR, true, 0.5},      {"1,234.56", &EN, true, 1234.56},
      {"3.14", &BR, false, 0},          {"007", &BR, false, 0},       {"12 kg", &BR, false, 0},
      {"1.23", &BR, false, 0},          {"1234.567", &BR, false, 0},  {",5", &BR, false, 0},
      {"", &BR, false, 0},              {"1,", &BR, false, 0},        {"3.14", &EN, true, 3.14},
  };
  for (const auto& C : Cases) {
    double V = 0;
    EXPECT_EQ(CellTextIsNumber(C.Text, *C.FS, V), C.Number) << C.Text;
    if (C.Number) EXPECT_DOUBLE_EQ(V, C.Value) << C.Text;
  }
}

namespace {
const char* XlsReader = R"(import sys, xlrd
b = xlrd.open_workbook(sys.argv[1])
s = b.sheet_by_index(0)
for r in range(s.nrows):
    print([(s.cell_type(r, c), s.cell_value(r, c)) for c in range(s.ncols)])
)";
}

TEST(LXGridFiltersTest, SpreadsheetNumbersTextsAndRowsAcrossPages) {
  TGeometryScope Geometry;
  TFormatSettingsScope Brazil(BrazilianFormatSettings());
  TTestTempFiles Temp;
  const std::string File = Temp.Path("out.xls");
  auto Report = NewReport();
  TLXXLSFilter F(File);
  F.SetOwner(Report.get());
  std::vector<std::string> Captions;
  LXProgressCaption = [&](const std::string& S) { Captions.push_back(S); };
  RunPages(F,
           {{{100, 50, "1.234,56"}, {300, 50, "12 kg"}, {100, 90, "3.14"}, {300, 90, "Ação"}},
            {{100, 50, "007"}, {300, 50, "-2"}}},
           MakeFont(10));
  LXProgressCaption = nullptr;
  EXPECT_EQ(Captions, std::vector<std::string>{"Writing XLS file..."});
  const TLXEvEnvironment& Env = *Report->Functions();
  ASSERT_GE(Env.IndexOf("___XLGlobRow"), 0);
  EXPECT_EQ(Env.Entries(Env.IndexOf("___XLGlobRow"))->ExpressionText(), "3");
  // Cell types: 1 text, 2 number, 0 empty.
  EXPECT_EQ(RunPython(Temp, XlsReader, File),
            "[(2, 1234.56), (1, '12 kg')]\n"
            "[(1, '3.14'), (1, 'Ação')]\n"
            "[(1, '007'), (2, -2.0)]\n");
}

// A column means one field in the whole file: a column that appears on a later page only does
// not move the ones after it, on the pages before or after. Nothing is left in the temporary
// folder where the pages wait.
TEST(LXGridFiltersTest, ColumnsAreRankedOverTheWholeExport) {
  TFormatSettingsScope Brazil(BrazilianFormatSettings());
  TTestTempFiles Temp;
  const std::string Folder = Temp.Path("tmp");
  std::filesystem::create_directory(Folder);
  const std::string Csv = Temp.Path("cols.csv"), Xls = Temp.Path("cols.xls");
  TEnvScope Tmp("TMPDIR", Folder);
  const std::vector<TPageTexts> Pages = {{{100, 50, "1"}, {1400, 50, "10"}},
                                         {{100, 50, "2"}, {700, 50, "obs"}, {1400, 50, "20"}},
                                         {{1400, 50, "30"}}};
  {
    TLXCommaSeparatedFilter F(Csv);
    RunPages(F, Pages, MakeFont(10));
  }
  {
    TLXXLSFilter F(Xls);
    RunPages(F, Pages, MakeFont(10));
  }
  EXPECT_TRUE(std::filesystem::is_empty(Folder));
  EXPECT_EQ(RunPython(Temp, CsvReader, Csv), "[[\"1\", \"\", \"10\"], [\"2\", \"obs\", \"20\"], [\"\", \"\", \"30\"]]\n");
  EXPECT_EQ(RunPython(Temp, XlsReader, Xls),
            "[(2, 1.0), (0, ''), (2, 10.0)]\n"
            "[(2, 2.0), (1, 'obs'), (2, 20.0)]\n"
            "[(0, ''), (0, ''), (2, 30.0)]\n");
}

TEST(LXGridFiltersTest, SpreadsheetStopsAtTheLastRowInsteadOfWrapping) {
  TTestTempFiles Temp;
  TLXXLSFilter F(Temp.Path("full.xls"));
  TFont Font = MakeFont(10);
  F.Start(2100, 2970, &Font);
  F.WriteCell(3, XLSMaxRow, 0, "last");
  EXPECT_THROW(F.WriteCell(3, XLSMaxRow + 1, 0, "wrapped"), ELXError);
  F.WriteCell(9, 0, 0, "ignored type");
  F.Finish();
  EXPECT_EQ(RunPython(Temp, "import sys,xlrd\ns=xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                            "print(s.nrows, s.cell_value(s.nrows-1,0))\n",
                      F.FileName()),
            "16384 last\n");
}

TEST(LXGridFiltersTest, ComponentsKeepTheirClassInTheLibrary) {
  ASSERT_NE(ExportFilterLibrary, nullptr);
  const size_t Before = ExportFilterLibrary->FilterList().size();
  auto* Excel = new TLXExcelFilter(nullptr);
  auto* Csv = new TLXCSVFilter(nullptr);
  auto* Html = new TLXHTMLFilter(nullptr);
  const auto& L = ExportFilterLibrary->FilterList();
  ASSERT_EQ(L.size(), Before + 3);
  EXPECT_EQ(L[Before].Name, "Excel spreadsheet");
  EXPECT_EQ(L[Before].Extension, "XLS");
  EXPECT_EQ(L[Before + 1].Name, "Comma Separated");
  EXPECT_EQ(L[Before + 2].Extension, "HTM");
  Csv->Free();
  Excel->Free();
  Html->Free();
  EXPECT_EQ(ExportFilterLibrary->FilterList().size(), Before);
}
