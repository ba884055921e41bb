#include "exceptions/report/TarvikReport.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "exceptions/base/TarvikClassInfo.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/base/TarvikVirtualFiles.h"
#include "platform/rtl/Win1252.h"
#include "platform/sys/DesktopHooks.h"
#include "platform/sys/Process.h"
#include "tests/exceptions/ReportFixture.h"
#include "tests/exceptions/ReporterTestSupport.h"

namespace {
// The report of the fixture, written with "\n" for readability.
const char* const GoldenReport = R"(TarvikLog 4.5.4

Application:
---------------------------------------------------------------
  1.1 Start Date      : Tue, 5 Mar 2024 06:59:01 -0300
  1.2 Name/Description: Mivo Open Report
  1.3 Version Number  : 0.1.0.0
  1.4 Parameters      : "/home/ana/relatório março.lxp" "DEBUG"

Exception:
------------------------------------------------
  2.1 Date   : Tue, 5 Mar 2024 07:08:09 -0300
  2.2 Address: 000055D0C0DE1234
  2.3 Module : mivo-viewer
  2.4 Type   : EConvertError
  2.5 Message: Valor 'abc' inválido  na linha 2.

Active Controls:
-----------------------------------------------
  3.1 Form Class   : TMains
  3.2 Form Text    : Visualizador de Relatórios
  3.3 Control Class: TEdit
  3.4 Control Text : abc def

Computer:
------------------------------
  4.1 Name        : estacao-07
  4.2 User        : ana
  4.3 Total Memory: 16384 Mb
  4.4 Free Memory : 2 Mb
  4.5 Total Disk  : 233,57 Gb
  4.6 Free Disk   : 100 Gb

Operating System:
-------------------------------------------------------------------
  5.1 Type    : Debian GNU/Linux 12 (bookworm)
  5.2 Build # : 6.1.0-18-amd64
  5.3 Update  : #1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)
  5.4 Language: Portuguese (Brazil)

Call Stack Information:
------------------------------------------------------------------------------------------------------------------
|Address         |Module          |Unit              |Class            |Procedure/Method                    |Line|
------------------------------------------------------------------------------------------------------------------
|000055D0C0DE1234|mivo-viewer     |app/Visualizar.cpp|app::TVisualizars|AbrirArquivo                        |212 |
|00007F3A10004321|libmivoreport.so|                  |                 |TLXPrinter::Load(std::string const&)|    |
|00007F3A20001111|libc.so.6       |                  |                 |                                    |    |
|000055D0C0DE2040|mivo-viewer     |app/Main.cpp      |                 |main                                |    |
------------------------------------------------------------------------------------------------------------------

Modules Information:
-------------------------------------------------------------------------------------------------
|Handle          |Name            |Description        |Version|Size   |Path                     |
-------------------------------------------------------------------------------------------------
|000055D0C0DE0000|mivo-viewer     |Mivo Open Report   |0.1.0.0|2345678|/opt/mivo/bin            |
|00007F3A10000000|libmivoreport.so|Band report library|0.1.0.0|8123456|/opt/mivo/lib            |
|00007F3A20000000|libc.so.6       |                   |       |1922136|/usr/lib/x86_64-linux-gnu|
-------------------------------------------------------------------------------------------------

Registers:
---------------------------------------------
RAX: 1111111111111111   RDI: 6666666666666666
RBX: 2222222222222222   RSI: 5555555555555555
RCX: 3333333333333333   RSP: 00007FFC0000A000
RDX: 4444444444444444   RIP: 000055D0C0DE1234
RBP: 7777777777777777   EFL: 0000000000010246
R8 : 9999999999999999   R12: DDDDDDDDDDDDDDDD
R9 : AAAAAAAAAAAAAAAA   R13: EEEEEEEEEEEEEEEE
R10: BBBBBBBBBBBBBBBB   R14: FFFFFFFFFFFFFFFF
R11: CCCCCCCCCCCCCCCC   R15: 1111111111111111

Stack:                               Memory Dump:
----------------------------------   -----------------------------------------------------------------------------------
00007FFC0000A000: 0000000000001000   000055D0C0DE1234: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F  ................
00007FFC0000A008: 0000000000001001   000055D0C0DE1244: 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F  ................
00007FFC0000A010: 0000000000001002   000055D0C0DE1254: 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F   !"#$%&'()*+,-./
00007FFC0000A018: 0000000000001003   000055D0C0DE1264: 30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F  0123456789:;<=>?
00007FFC0000A020: 0000000000001004   000055D0C0DE1274: 40 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F  @ABCDEFGHIJKLMNO
00007FFC0000A028: 0000000000001005   000055D0C0DE1284: 50 51 52 53 54 55 56 57 58 59 5A 5B 5C 5D 5E 5F  PQRSTUVWXYZ[\]^_
00007FFC0000A030: 0000000000001006   000055D0C0DE1294: 60 61 62 63 64 65 66 67 68 69 6A 6B 6C 6D 6E 6F  `abcdefghijklmno
00007FFC0000A038: 0000000000001007   000055D0C0DE12A4: 70 71 72 73 74 75 76 77 78 79 7A 7B 7C 7D 7E 7F  pqrstuvwxyz{|}~.
00007FFC0000A040: 0000000000001008   000055D0C0DE12B4: 80 81 82 83 84 85 86 87 88 89 8A 8B 8C 8D 8E 8F  ................
00007FFC0000A048: 0000000000001009   000055D0C0DE12C4: 90 91 92 93 94 95 96 97 98 99 9A 9B 9C 9D 9E 9F  ................
00007FFC0000A050: 000000000000100A   000055D0C0DE12D4: A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF  ................
00007FFC0000A058: 000000000000100B   000055D0C0DE12E4: B0 B1 B2 B3 B4 B5 B6 B7 B8 B9 BA BB BC BD BE BF  ................
00007FFC0000A060: 000000000000100C   000055D0C0DE12F4: C0 C1 C2 C3 C4 C5 C6 C7 C8 C9 CA CB CC CD CE CF  ................
00007FFC0000A068: 000000000000100D   000055D0C0DE1304: D0 D1 D2 D3 D4 D5 D6 D7 D8 D9 DA DB DC DD DE DF  ................
00007FFC0000A070: 000000000000100E   000055D0C0DE1314: E0 E1 E2 E3 E4 E5 E6 E7 E8 E9 EA EB EC ED EE EF  ................
00007FFC0000A078: 000000000000100F   000055D0C0DE1324: F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF  ................
)";

std::string CrLf(const std::string& Text) { return ReplaceText(Text, "\n", "\r\n"); }

std::vector<std::string> Lines(const std::string& Text) {
  std::vector<std::string> R;
  size_t From = 0;
  for (size_t At; (At = Text.find("\r\n", From)) != std::string::npos; From = At + 2) R.push_back(Text.substr(From, At - From));
  if (From < Text.size()) R.push_back(Text.substr(From));
  return R;
}

bool Has(const std::string& Text, const std::string& Part) { return Text.find(Part) != std::string::npos; }

// A report of the fixture; Change adjusts the options before it is built.
struct TBuilt {
  TTarvikNotifyRecord Record = FixedRecord();
  TTarvikReport Report;
  std::string Text;
};
template <class F>
TBuilt Build(F Change, TReportSources Sources = FixedSources()) {
  TZoneScope Zone("BRT3");
  TTarvikModuleOptions O("", 0);
  TBuilt B;
  Change(O, B.Record, Sources);
  B.Text = BuildReportText(B.Record, O, Sources, B.Report);
  return B;
}
TBuilt Build() {
  return Build([](TTarvikModuleOptions&, TTarvikNotifyRecord&, TReportSources&) {});
}
}  // namespace

TEST(TarvikReport, WholeTextByteForByte) {
  TBuilt B = Build();
  EXPECT_EQ(B.Text, CrLf(GoldenReport));
  EXPECT_EQ(B.Report.Text, B.Text);
  EXPECT_EQ(B.Report.MailText, B.Text);
  EXPECT_EQ(B.Report.GeneralText, B.Text.substr(0, B.Text.find("\r\nCall Stack Information:")));
  EXPECT_EQ(B.Report.CpuText, B.Text.substr(B.Text.find("Registers:")));
  // What the pipeline gets back: the duplicate check's items, the tables and the intro.
  EXPECT_EQ(B.Record.AddressText, "000055D0C0DE1234");
  EXPECT_EQ(B.Record.ModuleText, "mivo-viewer");
  EXPECT_EQ(B.Record.TypeText, "EConvertError");
  EXPECT_EQ(B.Record.MessageText, "Valor 'abc' inválido  na linha 2.");
  EXPECT_EQ(B.Record.CallStackText.substr(0, 25), "Call Stack Information:\r\n");
  EXPECT_TRUE(B.Text.find(B.Record.CallStackText) != std::string::npos);
  EXPECT_EQ(B.Record.IntroText, DefaultCustomizedTexts[3] + std::string("\r\n\r\n"));
  // Its Windows-1252 form: one byte per character, so the columns hold in the file too.
  std::string Bytes = Utf8ToWin1252(B.Text);
  EXPECT_EQ(Bytes.size(), Win1252Length(B.Text));
  EXPECT_TRUE(Has(Bytes, "relat\xF3rio mar\xE7o.lxp"));
}

// Every section: the ": " of its items in one column, the underline as long as its longest
// line; every table row as long as its rule. Labels of any length and with accents.
TEST(TarvikReport, ColumnsLineUpWhateverTheLabels) {
  for (bool Custom : {false, true}) {
    TBuilt B = Build([&](TTarvikModuleOptions& O, TTarvikNotifyRecord&, TReportSources&) {
      if (!Custom) return;
      O.SetText(20, "Início");
      O.SetText(22, "Versão do programa executável");
      O.SetText(36, "N");
      O.SetText(49, "Unidade de código-fonte com nome bem comprido");
      O.SetText(64, "Descrição");
      O.SetText(62, "Identificador do módulo");
    });
    std::vector<std::string> L = Lines(B.Text);
    size_t I = 2;  // after the header and its empty line
    int Sections = 0;
    while (I < L.size() && L[I] != "Call Stack Information:") {
      if (L[I].empty()) {
        ++I;
        continue;
      }
      ++Sections;
      size_t Underline = Win1252Length(L[I + 1]), Longest = 0, Column = 0;
      EXPECT_EQ(L[I + 1], std::string(Underline, '-')) << L[I];
      for (I += 2; I < L.size() && !L[I].empty(); ++I) {
        size_t At = Win1252Length(L[I].substr(0, L[I].find(": ")));
        if (Column == 0) Column = At;
        EXPECT_EQ(At, Column) << L[I];
        Longest = std::max(Longest, Win1252Length(L[I]));
      }
      EXPECT_EQ(Underline, Longest);
    }
    EXPECT_EQ(Sections, 5);
    // Tables: rows between rules, each as wide as the rule.
    size_t Rule = 0;
    for (; I < L.size() && L[I] != "Registers:"; ++I) {
      if (!L[I].empty() && L[I].find_first_not_of('-') == std::string::npos) Rule = L[I].size();
      if (!L[I].empty() && L[I][0] == '|') EXPECT_EQ(Win1252Length(L[I]), Rule) << L[I];
    }
  }
}

TEST(TarvikReport, TableRulesAreTheColumnsPlusTheirBars) {
  TBuilt B = Build();
  std::vector<std::string> L = Lines(B.Record.CallStackText);
  // Call stack: 16 + 16 + 18 + 17 + 36 + 4 wide, 7 bars.
  EXPECT_EQ(L[1].size(), 16u + 16 + 18 + 17 + 36 + 4 + 7);
  EXPECT_EQ(L[2], "|Address         |Module          |Unit              |Class            |"
                  "Procedure/Method                    |Line|");
  // Modules: the 16 of the handle and the five others, 7 bars.
  size_t M = std::find(L.begin(), L.end(), "Modules Information:") - L.begin();
  EXPECT_EQ(L[M + 1].size(), 16u + 16 + 19 + 7 + 7 + 25 + 7);

  // No modules and no frames: the headings, titles and rules stay.
  TBuilt Empty = Build([](TTarvikModuleOptions&, TTarvikNotifyRecord& R, TReportSources& S) {
    S.Modules.clear();
    R.CallStack.clear();
  });
  // 16 + 6 + 4 + 5 + 16 + 4 and 16 + 4 + 11 + 7 + 4 + 4, each with 7 bars.
  std::string CallRule(58, '-'), ModuleRule(53, '-');
  EXPECT_EQ(Empty.Record.CallStackText,
            "Call Stack Information:\r\n" + CallRule + "\r\n|Address         |Module|Unit|Class|Procedure/Method|Line|\r\n" +
                CallRule + "\r\n" + CallRule + "\r\n\r\nModules Information:\r\n" + ModuleRule +
                "\r\n|Handle          |Name|Description|Version|Size|Path|\r\n" + ModuleRule + "\r\n" + ModuleRule);
}

// A frame that neither debug data nor exports name keeps its place in the table, with its module
// (when it has one) and its address.
TEST(TarvikReport, FramesWithoutAProcedureShowTheirModuleAndAddress) {
  TBuilt B = Build([](TTarvikModuleOptions&, TTarvikNotifyRecord& R, TReportSources&) {
    R.CallStack = {FixedFrame(dkDebugData, 0x1000, "/opt/app/prog", "a.cpp", "", "Inner", 7),
                   FixedFrame(dkModule, 0x7F0000001234, "/lib/x.so", "", "", "", 0),
                   FixedFrame(dkAddress, 0x2000, "", "", "", "", 0),
                   FixedFrame(dkDebugData, 0x1100, "/opt/app/prog", "a.cpp", "", "Outer", 9)};
  });
  std::vector<std::string> L = Lines(B.Record.CallStackText);
  ASSERT_GE(L.size(), 8u);
  EXPECT_EQ(L[4].substr(0, 25), "|0000000000001000|prog  |");
  EXPECT_EQ(L[5], "|00007F0000001234|x.so  |     |     |                |    |");
  EXPECT_EQ(L[6], "|0000000000002000|      |     |     |                |    |");
  EXPECT_EQ(L[7].substr(0, 25), "|0000000000001100|prog  |");
}

// An item hidden by LogShowOptions keeps its number; a section with nothing shown goes with its
// underline and the empty line after it.
TEST(TarvikReport, HiddenItemsStillTakeTheirNumbers) {
  struct TCase {
    const char* Name;
    std::vector<int> Hidden;  // item bits
    bool Console;
    std::vector<std::string> Present, Absent;
  };
  const TCase Cases[] = {
      {"1.2 hidden", {1}, false, {"  1.1 Start Date    : ", "  1.3 Version Number: "}, {"  1.2 "}},
      {"2.2 hidden", {5}, false, {"  2.1 Date   : ", "  2.3 Module : "}, {"  2.2 "}},
      {"section 4 hidden", {13, 14, 15, 16, 17, 18}, false, {"abc def\r\n\r\nOperating System:\r\n", "  5.1 Type"},
       {"Computer:", "  4."}},
      {"section 1 hidden", {0, 1, 2, 3}, false, {"TarvikLog 4.5.4\r\n\r\nException:\r\n"}, {"Application:"}},
      {"console", {}, true, {"na linha 2.\r\n\r\nComputer:\r\n", "  4.1 Name"}, {"Active Controls:", "  3."}},
  };
  for (const TCase& C : Cases) {
    TBuilt B = Build([&](TTarvikModuleOptions& O, TTarvikNotifyRecord&, TReportSources& S) {
      uint32_t Flags = 0xFFFFFFFF;
      for (int H : C.Hidden) Flags &= ~(1u << H);
      O.SetLogShowOptions(Flags);
      S.WindowsShown = !C.Console;
    });
    for (const std::string& P : C.Present) EXPECT_TRUE(Has(B.Text, P)) << C.Name << ": " << P;
    for (const std::string& A : C.Absent) EXPECT_FALSE(Has(B.Text, A)) << C.Name << ": " << A;
    // The values of 2.2 to 2.5 go to the duplicate check whether shown or not.
    EXPECT_EQ(B.Record.AddressText, "000055D0C0DE1234") << C.Name;
  }
}

TEST(TarvikLogItem, LayoutOfSectionsAndItems) {
  TLogItem I;
  I.AddSection("Um");
  I.AddItem("A", "1", true);
  I.AddItem("Mais longo", "2", true);
  I.AddItem("Oculto", "3", false);
  I.AddSection("Vazia");
  I.AddItem("X", "4", false);
  I.AddSection("Três");
  I.AddItem("Ação", "sim", true);
  EXPECT_EQ(I.SectionNo, 3);
  EXPECT_EQ(I.ItemNo, 1);
  std::string Text;
  I.Layout(Text);
  EXPECT_EQ(Text,
            "Um:\r\n"
            "-------------------\r\n"
            "  1.1 A         : 1\r\n"
            "  1.2 Mais longo: 2\r\n"
            "\r\n"
            "Três:\r\n"
            "---------------\r\n"
            "  3.1 Ação: sim\r\n");
}

// Items 2.4 and 2.5 from what was thrown, or from another module's "EXCEPT" file.
TEST(TarvikReport, ExceptionTypeAndMessage) {
  struct TPlain {};
  struct TCase {
    std::exception_ptr E;
    std::string ForeignType, ForeignMessage;
    std::string Type, Message;
  };
  const TCase Cases[] = {
      {std::make_exception_ptr(EConvertError("abc")), "", "", "EConvertError", "abc."},
      {std::make_exception_ptr(EConvertError("abc.")), "", "", "EConvertError", "abc."},
      {std::make_exception_ptr(EConvertError("")), "", "", "EConvertError", "."},
      {std::make_exception_ptr(EConvertError("um\r\ndois")), "", "", "EConvertError", "um  dois."},
      {std::make_exception_ptr(std::out_of_range("fora")), "", "", "std::out_of_range", "fora."},
      {std::make_exception_ptr(TPlain()), "", "", "TarvikReport_ExceptionTypeAndMessage_Test::TestBody()::TPlain",
       "Unknown error message."},
      {std::make_exception_ptr(42), "", "", "Unknown exception type.", "Unknown error message."},
      {std::make_exception_ptr("texto"), "", "", "Unknown exception type.", "Unknown error message."},
      {nullptr, "", "", "Unknown exception type.", "Unknown error message."},
      {std::make_exception_ptr(42), "EOutra", "Falhou em outro módulo", "EOutra", "Falhou em outro módulo."},
  };
  for (const TCase& C : Cases) {
    TBuilt B = Build([&](TTarvikModuleOptions&, TTarvikNotifyRecord& R, TReportSources&) {
      R.SetException(C.E);
      R.ExceptionType = C.ForeignType;
      R.ExceptionMessage = C.ForeignMessage;
    });
    EXPECT_EQ(B.Record.TypeText, C.Type);
    EXPECT_EQ(B.Record.MessageText, C.Message);
    EXPECT_TRUE(Has(B.Text, "  2.4 Type   : " + C.Type + "\r\n")) << C.Type;
    EXPECT_TRUE(Has(B.Text, "  2.5 Message: " + C.Message + "\r\n")) << C.Message;
  }
  TBuilt NoAddress = Build([](TTarvikModuleOptions&, TTarvikNotifyRecord& R, TReportSources&) { R.ExceptionAddress = 0; });
  EXPECT_TRUE(Has(NoAddress.Text, "  2.2 Address: \r\n"));
  EXPECT_EQ(NoAddress.Record.AddressText, "");
}

// Without registers every one reads "????"; without readable memory the dump is empty and its
// headings stay.
TEST(TarvikReport, CpuSectionWithoutContextOrMemory) {
  TBuilt B = Build([](TTarvikModuleOptions&, TTarvikNotifyRecord& R, TReportSources& S) {
    R.Context = TTarvikContext();
    S.ReadMemory = [](uintptr_t, void*, size_t) -> size_t { return 0; };
  });
  EXPECT_EQ(B.Report.CpuText,
            "Registers:\r\n"
            "---------------------------------------------\r\n"
            "RAX: ????   RDI: ????\r\nRBX: ????   RSI: ????\r\nRCX: ????   RSP: ????\r\nRDX: ????   RIP: ????\r\n"
            "RBP: ????   EFL: ????\r\nR8 : ????   R12: ????\r\nR9 : ????   R13: ????\r\nR10: ????   R14: ????\r\n"
            "R11: ????   R15: ????\r\n"
            "\r\n"
            "Stack:                               Memory Dump:\r\n"
            "----------------------------------   "
            "-----------------------------------------------------------------------------------\r\n");
  // A raise knows the callee-saved registers, the stack pointer, the call site and RAX.
  TBuilt Raise = Build([](TTarvikModuleOptions&, TTarvikNotifyRecord& R, TReportSources&) {
    R.Context.Valid = TTarvikContext::Raise;
  });
  EXPECT_TRUE(Has(Raise.Report.CpuText, "RAX: 1111111111111111   RDI: ????\r\nRBX: 2222222222222222   RSI: ????\r\n"
                                        "RCX: ????   RSP: 00007FFC0000A000\r\nRDX: ????   RIP: 000055D0C0DE1234\r\n"
                                        "RBP: 7777777777777777   EFL: ????\r\nR8 : ????   R12: DDDDDDDDDDDDDDDD\r\n"))
      << Raise.Report.CpuText;
  // Half of the code readable is no dump either.
  TBuilt Half = Build([](TTarvikModuleOptions&, TTarvikNotifyRecord&, TReportSources& S) {
    S.ReadMemory = [](uintptr_t A, void* B, size_t N) { return FixedMemoryRead(A, B, N > 200 ? 200 : N); };
  });
  EXPECT_TRUE(Half.Report.CpuText.size() > 0 && Half.Report.CpuText.substr(Half.Report.CpuText.size() - 5) == "---\r\n");
}

// The zone's real offset at that moment, minutes and daylight saving included.
TEST(TarvikReport, Rfc822DateInItsZone) {
  struct TCase {
    const char* Zone;
    int Y, M, D, H, N, S;
    const char* Text;
  };
  const TCase Cases[] = {
      {"UTC0", 2024, 1, 7, 0, 0, 0, "Sun, 7 Jan 2024 00:00:00 +0000"},
      {"BRT3", 2024, 3, 5, 7, 8, 9, "Tue, 5 Mar 2024 07:08:09 -0300"},
      {"IST-5:30", 2023, 12, 31, 23, 59, 59, "Sun, 31 Dec 2023 23:59:59 +0530"},
      {"NPT-5:45", 2024, 2, 29, 12, 0, 0, "Thu, 29 Feb 2024 12:00:00 +0545"},
      {"AEST-10", 2024, 6, 15, 9, 5, 0, "Sat, 15 Jun 2024 09:05:00 +1000"},
      // Newfoundland: half an hour, with daylight saving from the second Sunday of March.
      {"NST3:30NDT,M3.2.0,M11.1.0", 2024, 3, 10, 1, 59, 59, "Sun, 10 Mar 2024 01:59:59 -0330"},
      {"NST3:30NDT,M3.2.0,M11.1.0", 2024, 3, 10, 3, 0, 0, "Sun, 10 Mar 2024 03:00:00 -0230"},
      {"NST3:30NDT,M3.2.0,M11.1.0", 2024, 11, 3, 2, 0, 0, "Sun, 3 Nov 2024 02:00:00 -0330"},
      // Central Europe around the changes of 2024; in the hour that repeats, the earlier moment.
      {"CET-1CEST,M3.5.0,M10.5.0/3", 2024, 3, 31, 1, 59, 0, "Sun, 31 Mar 2024 01:59:00 +0100"},
      {"CET-1CEST,M3.5.0,M10.5.0/3", 2024, 3, 31, 3, 0, 0, "Sun, 31 Mar 2024 03:00:00 +0200"},
      {"CET-1CEST,M3.5.0,M10.5.0/3", 2024, 10, 27, 2, 30, 0, "Sun, 27 Oct 2024 02:30:00 +0200"},
      {"CET-1CEST,M3.5.0,M10.5.0/3", 2024, 10, 27, 3, 0, 0, "Sun, 27 Oct 2024 03:00:00 +0100"},
  };
  for (const TCase& C : Cases) {
    TZoneScope Zone(C.Zone);
    EXPECT_EQ(FormatRfc822Date(EncodeDate(C.Y, C.M, C.D) + EncodeTime(C.H, C.N, C.S, 0)), C.Text) << C.Zone;
  }
  EXPECT_EQ(FormatRfc822Date(EncodeDate(2024, 8, 1) + EncodeTime(9, 0, 0, 0), -330), "Thu, 1 Aug 2024 09:00:00 -0530");
}

namespace report_filter {
struct EBase : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct EDerived : EBase {
  using EBase::EBase;
};
struct TMixin {
  virtual ~TMixin() = default;
};
struct EMulti : TMixin, EDerived {
  EMulti() : EDerived("m") {}
};
struct THidden {
  virtual ~THidden() = default;
};
struct EPrivate : private THidden, public std::exception {};
}  // namespace report_filter

// Filter entries name a class or an ancestor by its whole qualified name or its last part, in any
// case, trimmed; the first entry that matches wins.
TEST(TarvikReport, ExceptionFilterLookup) {
  using namespace report_filter;
  struct TCase {
    std::exception_ptr E;
    std::vector<std::string> Filter;
    int Index;
  };
  const TCase Cases[] = {
      {std::make_exception_ptr(EDerived("x")), {"EDerived"}, 0},
      {std::make_exception_ptr(EDerived("x")), {"report_filter::EDerived"}, 0},
      {std::make_exception_ptr(EDerived("x")), {"Outra", "  report_filter::ederived  "}, 1},
      {std::make_exception_ptr(EDerived("x")), {"ebase"}, 0},
      {std::make_exception_ptr(EDerived("x")), {"std::runtime_error"}, 0},
      {std::make_exception_ptr(EDerived("x")), {"EXCEPTION"}, 0},
      {std::make_exception_ptr(EDerived("x")), {"other::EDerived", "filter::EDerived", "Derived"}, -1},
      {std::make_exception_ptr(EMulti()), {"TMixin", "EBase"}, 0},
      {std::make_exception_ptr(EMulti()), {"Nada", "report_filter::EBase"}, 1},
      {std::make_exception_ptr(EPrivate()), {"THidden"}, -1},
      {std::make_exception_ptr(EConvertError("x")), {"EStreamError", "Exception"}, 1},
      {std::make_exception_ptr(42), {"int", "Exception"}, -1},
      {std::make_exception_ptr(EDerived("x")), {}, -1},
      {std::make_exception_ptr(EDerived("x")), {""}, -1},
      {nullptr, {"EDerived"}, -1},
  };
  for (const TCase& C : Cases) {
    TTarvikModuleOptions O("", 0);
    for (const std::string& F : C.Filter) O.ExceptionFilterClasses().Add(F);
    TTarvikNotifyRecord R;
    R.SetException(C.E);
    EXPECT_EQ(FindExceptionFilterIndex(R, O), C.Index) << (C.Filter.empty() ? "" : C.Filter.back());
  }
  EXPECT_EQ(ClassAncestry(typeid(EMulti)),
            (std::vector<std::string>{"report_filter::EMulti", "report_filter::TMixin", "report_filter::EDerived",
                                      "report_filter::EBase", "std::runtime_error", "std::exception"}));
  EXPECT_EQ(LastNamePart("a::b<c::d, e::f>::G<h::I>"), "G<h::I>");
  EXPECT_EQ(LastNamePart("(anonymous namespace)::T"), "T");
}

// Another module's "EXCEPT" file gives the type and message; only the general section changes,
// and the file is marked read.
TEST(TarvikReport, ForeignExceptionDataRebuildsTheReport) {
  TBuilt B = Build();
  std::string Tables = B.Record.CallStackText, Cpu = B.Report.CpuText;
  TTarvikModuleOptions O("", 0);
  {
    TZoneScope Zone("BRT3");
    EXPECT_FALSE(ApplyForeignExceptionData({false, "X", "Y"}, B.Record, O, B.Report));
    EXPECT_TRUE(ApplyForeignExceptionData({true, "ECalculo", "Divisão por zero"}, B.Record, O, B.Report));
  }
  TBuilt Direct = Build([](TTarvikModuleOptions&, TTarvikNotifyRecord& R, TReportSources&) {
    R.ExceptionType = "ECalculo";
    R.ExceptionMessage = "Divisão por zero";
  });
  EXPECT_EQ(B.Report.Text, Direct.Text);
  EXPECT_EQ(B.Report.MailText, Direct.Text);
  EXPECT_TRUE(Has(B.Report.Text, "  2.5 Message: Divisão por zero.\r\n"));
  EXPECT_EQ(B.Record.TypeText, "ECalculo");
  EXPECT_EQ(B.Record.CallStackText, Tables);
  EXPECT_EQ(B.Report.CpuText, Cpu);

  // From this program's own file: read once.
  WriteExceptVirtualFile(std::make_exception_ptr(EConvertError("Gravado no arquivo")));
  TTarvikNotifyRecord R = FixedRecord();
  R.ExceptionAddress = reinterpret_cast<uintptr_t>(&FixedMemoryRead);
  TTarvikReport Report;
  TZoneScope Zone("BRT3");
  BuildReportText(R, O, FixedSources(), Report);
  EXPECT_TRUE(ReadForeignExceptionData(R, O, Report));
  EXPECT_EQ(R.ExceptionType, "EConvertError");
  EXPECT_TRUE(Has(Report.Text, "  2.5 Message: Gravado no arquivo.\r\n"));
  EXPECT_FALSE(ReadForeignExceptionData(R, O, Report));
  auto File = ReadExceptVirtualFile(ProcessId(), ReporterModuleHandle());
  ASSERT_TRUE(File);
  EXPECT_FALSE(File->Recorded);
  R.ExceptionAddress = 0;
  EXPECT_FALSE(ReadForeignExceptionData(R, O, Report));
}

TEST(TarvikReport, ClipboardThroughTheDesktop) {
  TTraceScope Trace({"DEBUG"});
  TDesktopHooks Saved = SetDesktopHooks({});
  EXPECT_FALSE(CopyTextToClipboard("a"));
  std::string Got;
  TDesktopHooks H;
  H.CopyText = [&](const std::string& T) {
    Got = T;
    return true;
  };
  SetDesktopHooks(H);
  EXPECT_TRUE(CopyTextToClipboard("relatório\r\nlinha"));
  EXPECT_EQ(Got, "relatório\r\nlinha");
  H.CopyText = [](const std::string&) { return false; };
  SetDesktopHooks(H);
  EXPECT_FALSE(CopyTextToClipboard("b"));
  SetDesktopHooks(Saved);
  std::string Lines;
  for (const std::string& L : TraceLines()) Lines += L + "\n";
  EXPECT_TRUE(Has(Lines, TarvikText::NoDesktopClipboard));
  EXPECT_TRUE(Has(Lines, TarvikText::ClipboardRefused));
}

// The sources of the running system: the values a report of this test program would show.
TEST(TarvikReport, SourcesOfTheRunningSystem) {
  TDesktopHooks Saved = SetDesktopHooks({[] { return std::optional<TWindowFacts>({"TMains", "Janela"}); },
                                         [] { return std::optional<TWindowFacts>({"TEdit", "***"}); }, nullptr, nullptr, nullptr, nullptr});
  TTarvikNotifyRecord R;
  CaptureDesktopFacts(R);
  SetDesktopHooks(Saved);
  EXPECT_EQ(R.ActiveWindowClass + "|" + R.ActiveWindowText + "|" + R.ActiveControlClass + "|" + R.ActiveControlText,
            "TMains|Janela|TEdit|***");
  CaptureDesktopFacts(R);
  EXPECT_EQ(R.ActiveWindowClass + R.ActiveControlText, "");

  R.ExceptionAddress = reinterpret_cast<uintptr_t>(&FixedMemoryRead);
  TReportSources S = GatherReportSources(R);
  EXPECT_EQ(S.ProgramFileName, ProgramPath());
  EXPECT_EQ(S.ExceptionModule, ProgramPath());
  EXPECT_EQ(static_cast<int>(S.Parameters.size()), ParamCount());
  EXPECT_FALSE(S.ComputerName.empty());
  EXPECT_FALSE(S.UserName.empty());
  EXPECT_GT(S.TotalMemory, S.FreeMemory);
  EXPECT_GT(S.FreeMemory, 0u);
  ASSERT_TRUE(S.TotalDisk && S.FreeDisk);
  EXPECT_GE(*S.TotalDisk, *S.FreeDisk);
  EXPECT_FALSE(S.OsType.empty());
  EXPECT_FALSE(S.OsBuild.empty());
  EXPECT_LE(S.StartTime, Now());
  EXPECT_GT(S.StartTime, Now() - 1);
  ASSERT_FALSE(S.Modules.empty());
  EXPECT_TRUE(std::any_of(S.Modules.begin(), S.Modules.end(), [](const TReportModule& M) { return M.FileName == ProgramPath(); }));
  EXPECT_TRUE(std::is_sorted(S.Modules.begin(), S.Modules.end(),
                             [](const TReportModule& A, const TReportModule& B) { return A.Handle < B.Handle; }));
  // The program carries a version from the build.
  EXPECT_FALSE(S.ProgramVersion.empty());
  TTarvikModuleOptions O("", 0);
  std::string Text = BuildReportText(R, O, S, CurrentReport());
  EXPECT_EQ(Text.substr(0, 17), "TarvikLog 4.5.4\r\n");
}
