#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <tuple>
#include <fstream>
#include <sstream>

#include "exceptions/base/TarvikIni.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/deliver/TarvikDialogClient.h"
#include "exceptions/deliver/TarvikDialogLayout.h"
#include "exceptions/deliver/TarvikDialogProtocol.h"
#include "exceptions/report/TarvikPng.h"
#include "exceptions/report/TarvikReport.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/Process.h"
#include "tests/TestTemp.h"
#include "tests/exceptions/XvfbServer.h"

namespace {
std::string ReadWhole(const std::string& Path) {
  std::ifstream F(Path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
}

void WriteWhole(const std::string& Path, const std::string& Bytes) {
  std::ofstream F(Path, std::ios::binary | std::ios::trunc);
  F << Bytes;
}

// Sets an environment variable for one scope and puts the old value back.
class TEnv {
public:
  TEnv(const char* Name, const char* Value) : FName(Name) {
    if (const char* Old = std::getenv(Name)) FOld = Old;
    if (Value) setenv(Name, Value, 1);
    else unsetenv(Name);
  }
  ~TEnv() {
    if (FOld) setenv(FName, FOld->c_str(), 1);
    else unsetenv(FName);
  }

private:
  const char* FName;
  std::optional<std::string> FOld;
};

// A stack of four frames: one with a line, an export of the program (left out), an export of a
// library, an address in no module.
TTarvikNotifyRecord SampleRecord() {
  TTarvikNotifyRecord R;
  TTarvikStackFrame A;
  A.Kind = dkDebugData, A.Address = 0x401234, A.ModuleFileName = "/opt/app/Relatorio", A.ModuleKind = mkProgram;
  A.UnitName = "Orders.cpp", A.ClassName = "TOrders", A.ProcedureName = "Print", A.Line = 42;
  TTarvikStackFrame B = A;
  B.Kind = dkExportSplit, B.UnitName = "", B.Line = 0, B.ProcedureName = "main";
  TTarvikStackFrame C = A;
  C.Kind = dkExportName, C.ModuleFileName = "/usr/lib/libc.so.6", C.ModuleKind = mkLibrary, C.UnitName = "",
  C.ClassName = "", C.ProcedureName = "abort", C.Line = 0;
  TTarvikStackFrame D;
  D.Kind = dkAddress, D.Address = 0x7F00DEAD0000;
  R.CallStack = {A, B, C, D};
  return R;
}
}  // namespace

// ---- The messages ----

TEST(TarvikDialogProtocol, MessagesRoundTripInPieces) {
  TDialogMessage M = {{"message", "Falhou.\nLinha 2"}, {"empty", ""}, {"report", std::string("a\0b\nend 0\n", 10)}};
  std::string Bytes = EncodeDialogMessage(M) + "next";
  TDialogMessage Out;
  size_t Used = 0;
  std::string Error;
  for (size_t Cut = 0; Cut < Bytes.size() - 4; ++Cut)  // every prefix asks for more
    ASSERT_EQ(ParseDialogMessage(Bytes.substr(0, Cut), Out, Used, Error), TDialogParse::NeedMore) << Cut;
  ASSERT_EQ(ParseDialogMessage(Bytes, Out, Used, Error), TDialogParse::Complete);
  EXPECT_EQ(Out, M);
  EXPECT_EQ(Bytes.substr(Used), "next");

  TDialogReply R;
  R.Shown = R.CopyToClipboardChecked = true;
  R.ReproduceText = "passos";
  R.Progress = 100;
  TDialogReply Back = DecodeDialogReply(EncodeDialogReply(R));
  EXPECT_TRUE(Back.Shown && Back.CopyToClipboardChecked && !Back.SendMailChecked && !Back.TerminateRequested);
  EXPECT_EQ(Back.ReproduceText, "passos");
  EXPECT_EQ(Back.Progress, 100);
}

TEST(TarvikDialogProtocol, HostileRepliesAreRefused) {
  struct TCase {
    std::string Bytes;
    TDialogParse Expect;
  } Cases[] = {
      {"Shown 1\n1\nend 0\n\n", TDialogParse::Damaged},   // upper case name
      {" 1\n1\n", TDialogParse::Damaged},                  // no name
      {"shown x\n1\n", TDialogParse::Damaged},             // no count
      {"shown 1\n12", TDialogParse::Damaged},              // value not ended
      {"shown 99999999\n", TDialogParse::Damaged},         // over the limit
      {"shown 1234567890\n", TDialogParse::Damaged},       // too many digits
      {"shown 01\n1\n", TDialogParse::Damaged},          // a leading zero
      {"end 3\nabc\n", TDialogParse::Damaged},             // the end with a value
      {std::string(40, 'a') + " 0\n\n", TDialogParse::Damaged},  // a name too long
      {"shown 1\n1\n", TDialogParse::NeedMore},           // no end yet
  };
  for (const TCase& C : Cases) {
    TDialogMessage Out;
    size_t Used = 0;
    std::string Error;
    EXPECT_EQ(ParseDialogMessage(C.Bytes, Out, Used, Error), C.Expect) << C.Bytes;
  }
  for (const TDialogMessage& Bad : std::vector<TDialogMessage>{
           {{"shown", "2"}}, {{"terminate", "yes"}}, {{"progress", "101"}}, {{"progress", "-1"}}, {{"progress", ""}}})
    EXPECT_THROW(DecodeDialogReply(Bad), EReadError) << Bad[0].first << "=" << Bad[0].second;
  EXPECT_NO_THROW(DecodeDialogReply({{"newer", "field"}}));  // unknown fields are a newer program's
}

// ---- The arithmetic ----

TEST(TarvikDialogLayout, CollapsedSizeFromTextExtents) {
  TDialogMetrics M;  // frame 3 x 3, small caption 17, screen 1024 x 768: B = 64, widest text 576
  struct TCase {
    std::vector<int> Lines;
    int CheckArea, Width;
    TDialogRect Label;
  } Cases[] = {
      // Short lines: the window keeps its 250 pixels; text lower than 39 adds no height.
      {{60, 100}, 20, 250, {48, 8, 116, 26}},
      // The widest line sets the width (+ 16); the boxes take two rows (34).
      {{300, 200, 150}, 34, 380, {48, 8, 316, 39}},
      // A line of 1300 pixels: width capped at 576, (1300 - 576 + 16) / 576 + 1 = 2 wrapped lines more.
      {{1300, 100}, 20, 640, {48, 8, 576, 52}},
  };
  for (const TCase& C : Cases) {
    TCollapsedLayout L = CollapsedLayout(C.Lines, 13, C.CheckArea, M);
    EXPECT_EQ(L.Label, C.Label) << C.Lines[0];
    EXPECT_EQ(L.Window.Width, C.Width) << C.Lines[0];
    const int TextHeight = C.Label.Height;
    EXPECT_EQ(L.Window.Height, std::max(TextHeight - 39, 0) + 6 + 17 + 86 + C.CheckArea) << C.Lines[0];
    EXPECT_EQ(L.Window.Left, (1024 - L.Window.Width) / 2);
    EXPECT_EQ(L.Window.Top, (768 - L.Window.Height) / 2);
  }
}

TEST(TarvikDialogLayout, ControlsForAClientSize) {
  TDialogControls C = DialogControlRects(634, 396, 34, true);  // y = 396 - 34 - 32 = 330
  EXPECT_EQ(C.Tabs, (TDialogRect{4, 52, 626, 272}));
  EXPECT_EQ(C.Label, (TDialogRect{48, 8, 578, 42}));
  EXPECT_EQ(C.Ok, (TDialogRect{279, 330, 75, 25}));
  EXPECT_EQ(C.Terminate, (TDialogRect{5, 330, 75, 25}));
  EXPECT_EQ(C.Details, (TDialogRect{554, 330, 75, 25}));
  EXPECT_EQ(C.SendBox, (TDialogRect{4, 364, 313, 13}));
  EXPECT_EQ(C.CopyBox, (TDialogRect{317, 364, 313, 13}));
  EXPECT_EQ(C.ShotBox, (TDialogRect{23, 380, 611, 13}));
  EXPECT_EQ(DialogControlRects(300, 150, 20, false).Label, TDialogRect{});  // collapsed: the label is placed apart

  TTarvikModuleOptions O("", 0);
  EXPECT_EQ(CheckBoxAreaHeight(true, true), 34);
  EXPECT_EQ(CheckBoxAreaHeight(false, true), 20);
  EXPECT_EQ(CheckBoxAreaHeight(true, false), 20);
  EXPECT_FALSE(TerminateButtonVisible(O, 1));  // by default from the fourth report of a run
  EXPECT_FALSE(TerminateButtonVisible(O, 3));
  EXPECT_TRUE(TerminateButtonVisible(O, 4));
  O.SetMailSendMode(1);
  EXPECT_TRUE(SendBoxVisible(O, false));
  EXPECT_FALSE(SendBoxVisible(O, true));  // a duplicate report is not mailed
}

TEST(TarvikDialogLayout, IniGeometryRoundTripsAndStaysOnScreen) {
  TTestTempFiles T;
  std::string Ini = T.Path("TarvikLog.ini");
  TDialogMetrics M;
  // Missing: the defaults, centred.
  TDialogCoordinates D = ReadDialogCoordinates(Ini, 34, M);
  EXPECT_EQ(D.Width, 640);
  EXPECT_EQ(D.Height, 385);
  EXPECT_EQ(D.Left, (1024 - 640) / 2);
  EXPECT_EQ(D.Top, (768 - 385 - 34) / 2);
  EXPECT_EQ(ReadColumnWidths(Ini, false), DefaultStackColumns);
  EXPECT_EQ(ReadColumnWidths(Ini, true), DefaultModuleColumns);

  TDialogCoordinates C{10, 20, 700, 400, 3};
  WriteDialogCoordinates(Ini, C);
  WriteColumnWidths(Ini, true, {1, 2, 3, 4, 5, 6});
  TDialogCoordinates Back = ReadDialogCoordinates(Ini, 34, M);
  EXPECT_EQ(std::tie(Back.Left, Back.Top, Back.Width, Back.Height, Back.WindowState), std::tie(C.Left, C.Top, C.Width, C.Height, C.WindowState));
  EXPECT_EQ(ReadColumnWidths(Ini, true), (std::array<int, 6>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(ReadColumnWidths(Ini, false), DefaultStackColumns);
  EXPECT_NE(ReadWhole(Ini).find("[Coordinates]"), std::string::npos);

  // Past the right and bottom edges: pulled back; negative: 0.
  WriteDialogCoordinates(Ini, {900, 700, 640, 385, 1});
  Back = ReadDialogCoordinates(Ini, 20, M);
  EXPECT_EQ(Back.Left, 1024 - 640);
  EXPECT_EQ(Back.Top, 768 - 385 - 20);
  WriteDialogCoordinates(Ini, {-50, -9, 640, 385, 7});
  Back = ReadDialogCoordinates(Ini, 20, M);
  EXPECT_EQ(std::tie(Back.Left, Back.Top, Back.WindowState), std::make_tuple(0, 0, 1));

  // A damaged file: every value that is no number takes its default.
  WriteWhole(Ini, std::string("[Coordinates]\r\nWidth=abc\r\nHeight=\r\nLeft=\x01\x02\r\nCol2=-5\r\nCol3=77\r\n\xff\xfe garbage"));
  Back = ReadDialogCoordinates(Ini, 20, M);
  EXPECT_EQ(std::tie(Back.Width, Back.Height, Back.Left), std::make_tuple(640, 385, (1024 - 640) / 2));
  EXPECT_EQ(ReadColumnWidths(Ini, false), (std::array<int, 6>{140, 102, 105, 77, 137, 48}));
}

TEST(TarvikDialogLayout, ListRows) {
  std::vector<TDialogRow> Stack = CallStackRows(SampleRecord().CallStack);
  ASSERT_EQ(Stack.size(), 3u);  // the program's own export is left out
  EXPECT_EQ(Stack[0].Cells, (std::array<std::string, 6>{AddressText(0x401234), "Relatorio", "Orders.cpp", "TOrders", "Print", "42"}));
  EXPECT_EQ(Stack[0].Icon, "PAS");
  EXPECT_EQ(Stack[1].Cells[1], "libc.so.6");
  EXPECT_EQ(Stack[1].Cells[5], "");  // no line
  EXPECT_EQ(Stack[1].Icon, "DLL");
  // Nothing names it: its address stays in the list.
  EXPECT_EQ(Stack[2].Cells, (std::array<std::string, 6>{AddressText(0x7F00DEAD0000), "", "", "", "", ""}));

  TReportModule A{0x7f0000001000, "/opt/app/Relatorio", "Relatório", "4.5.4.12", 1535};
  TReportModule B{0x7f0000002000, "/opt/app/Pacote.bpl", "", "1.2", 511};
  std::vector<TDialogRow> Mods = ModuleRows({A, B}, "/opt/app/Relatorio");
  EXPECT_EQ(Mods[0].Cells, (std::array<std::string, 6>{AddressText(0x7f0000001000), "Relatorio", "Relatório", "4.5.4", "1 Kb", "/opt/app/"}));
  EXPECT_EQ(Mods[0].Icon, "VCL");
  EXPECT_EQ(Mods[1].Cells[3], "1.2");
  EXPECT_EQ(Mods[1].Cells[4], "0 Kb");
  EXPECT_EQ(Mods[1].Icon, "BPL");
}

TEST(TarvikDialogClient, SourceLocationMessageToAListener) {
  const std::string Name = "TarvikLogTest" + std::to_string(getpid());
  EXPECT_FALSE(SendSourceLocation("Orders.cpp", 42, Name));  // no listener: dropped, not an error
  int S = ::socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un A{};
  A.sun_family = AF_UNIX;
  std::memcpy(A.sun_path + 1, Name.data(), Name.size());
  ASSERT_EQ(::bind(S, reinterpret_cast<sockaddr*>(&A), static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + Name.size())), 0);
  EXPECT_TRUE(SendSourceLocation("Orders.cpp", 0x01020304, Name));
  EXPECT_TRUE(SendSourceLocation(std::string(3000, 'u'), 7, Name));  // a long name is cut, still ended by a zero
  char Buf[4096];
  ASSERT_EQ(::recv(S, Buf, sizeof Buf, 0), 2052);
  EXPECT_STREQ(Buf, "Orders.cpp");
  EXPECT_EQ(std::string(Buf + 2048, 4), std::string("\x04\x03\x02\x01", 4));
  ASSERT_EQ(::recv(S, Buf, sizeof Buf, 0), 2052);
  EXPECT_EQ(std::strlen(Buf), 2047u);
  ::close(S);
}

// ---- The dialog program ----

namespace {
// A stand-in dialog program: keeps the request it got and answers with a fixed reply.
std::string FakeProgram(TTestTempFiles& T, const std::string& ReplyBytes, const std::string& RequestFile) {
  std::string Reply = T.Path("reply.bin"), Program = T.Path("fake_dialog.sh");
  WriteWhole(Reply, ReplyBytes);
  WriteWhole(Program, "#!/bin/sh\nsed '/^end 0$/q' > '" + RequestFile + "'\ncat '" + Reply + "'\n");
  ::chmod(Program.c_str(), 0700);
  return Program;
}

struct TDialogFixture {
  TTarvikModuleOptions Options{"", 0};
  TTarvikReport Report;
  TTarvikNotifyRecord Record = SampleRecord();
  TExceptionDialogRequest Request;
  TDialogFixture() {
    Report.Text = "the whole report";
    Report.GeneralText = "general section";
    Report.CpuText = "registers";
    Report.Sources.Modules = {{0x400000, "/opt/app/Relatorio", "Relatório", "4.5.4.12", 204800}};
    Request.Record = &Record;
    Request.Report = &Report;
    Request.Options = &Options;
    Request.ErrorMessageText = "Divisão por zero.";
    Request.ReportCount = 4;
    Request.SendMailChecked = true;
    Options.SetMailSendMode(1);
  }
};

struct TProgramPathScope {
  explicit TProgramPathScope(const std::string& P) { SetDialogProgramPath(P); }
  ~TProgramPathScope() { SetDialogProgramPath(""); }
};
}  // namespace

TEST(TarvikDialogClient, ScriptedProgramGetsTextsAndGivesStates) {
  TTestTempFiles T;
  TDialogFixture F;
  std::string RequestFile = T.Path("request.txt");
  TDialogReply R;
  R.Shown = R.CopyToClipboardChecked = R.AttachScreenshotChecked = true;
  TProgramPathScope P(FakeProgram(T, EncodeDialogMessage(EncodeDialogReply(R)), RequestFile));
  TExceptionDialogResult D = ShowDialogProgram(F.Request);
  EXPECT_TRUE(D.CopyToClipboardChecked && D.AttachScreenshotChecked);
  EXPECT_FALSE(D.SendMailChecked || D.TerminateRequested);

  TDialogMessage Sent;
  size_t Used = 0;
  std::string Error;
  ASSERT_EQ(ParseDialogMessage(ReadWhole(RequestFile) + "\n", Sent, Used, Error), TDialogParse::Complete) << Error;
  EXPECT_EQ(DialogField(Sent, "kind"), "exception");
  EXPECT_EQ(DialogField(Sent, "message"), "Divisão por zero.");
  EXPECT_EQ(DialogField(Sent, "sendvisible"), "1");
  EXPECT_EQ(DialogField(Sent, "sendchecked"), "1");
  EXPECT_EQ(DialogField(Sent, "terminatevisible"), "1");  // the fourth report
  EXPECT_EQ(DialogField(Sent, "restart"), "1");
  EXPECT_EQ(DialogField(Sent, "general"), "general section");
  EXPECT_EQ(DialogFields(Sent, "text").size(), size_t(CustomizedTextCount));
  EXPECT_EQ(DialogFields(Sent, "text")[2], "Error.");
  ASSERT_EQ(DialogFields(Sent, "frame").size(), 3u);
  EXPECT_EQ(DialogFields(Sent, "frame")[0], AddressText(0x401234) + "\tRelatorio\tOrders.cpp\tTOrders\tPrint\t42\tPAS");
  EXPECT_EQ(DialogFields(Sent, "module").size(), 1u);

  // The reproduce text comes back trimmed.
  TDialogReply Typed;
  Typed.Shown = true;
  Typed.ReproduceText = "\n\n  abri o relatório\n  cliquei em imprimir \n\n";
  TProgramPathScope Q(FakeProgram(T, EncodeDialogMessage(EncodeDialogReply(Typed)), RequestFile));
  EXPECT_EQ(ShowRequestDialogProgram(F.Options), "abri o relatório\n  cliquei em imprimir");
}

TEST(TarvikDialogClient, TerminateHandlerThatClearsTheFlagBringsTheDialogBack) {
  TTestTempFiles T;
  TDialogFixture F;
  TDialogReply R;
  R.Shown = R.TerminateRequested = true;
  TProgramPathScope P(FakeProgram(T, EncodeDialogMessage(EncodeDialogReply(R)), T.Path("request.txt")));
  int Calls = 0;
  F.Request.Action = [&Calls](int Code, bool& Flag) {
    EXPECT_EQ(Code, 6);
    if (++Calls == 1) Flag = false;
  };
  EXPECT_TRUE(ShowDialogProgram(F.Request).TerminateRequested);
  EXPECT_EQ(Calls, 2);
}

TEST(TarvikDialogClient, BrokenProgramsRaiseAndNeverKillTheReporter) {
  TTestTempFiles T;
  TDialogFixture F;
  std::vector<std::string> Hostile = {
      "",                                                 // ends without a word
      "garbage that is no message",                       // damaged
      "shown 1\n1\nsend 1\n7\nend 0\n\n",                 // a flag of 7
      EncodeDialogMessage({{"shown", "0"}}),              // no display
      "shown 1\n1\nreproduce 999999\nabc",                // ends in the middle
  };
  for (const std::string& Bytes : Hostile) {
    TProgramPathScope P(FakeProgram(T, Bytes, T.Path("request.txt")));
    EXPECT_THROW(ShowDialogProgram(F.Request), Exception) << Bytes;
  }
  {  // a program that does not read its request and is gone at once
    std::string Gone = T.Path("gone.sh");
    WriteWhole(Gone, "#!/bin/sh\nexit 3\n");
    ::chmod(Gone.c_str(), 0700);
    TProgramPathScope P(Gone);
    F.Report.Text = std::string(4 << 20, 'x');  // more than a socket holds
    EXPECT_THROW(ShowDialogProgram(F.Request), Exception);
  }
  TProgramPathScope Missing("/nonexistent/tarvik_dialog");
  EXPECT_THROW(ShowDialogProgram(F.Request), EInOutError);
}

// The real program on the virtual screen. One test: the windows share the server and the script.
TEST(TarvikDialogProgram, RealWindowsUnderXvfb) {
  std::string Display = XvfbDisplay();
  ASSERT_FALSE(Display.empty());
  ASSERT_TRUE(PaintRootBands(Display, {0x336699}));
  TTestTempFiles T;
  std::string Config = T.Path("config");
  TEnv D("DISPLAY", Display.c_str()), Q("QT_QPA_PLATFORM", "xcb"), X("XDG_CONFIG_HOME", Config.c_str());
  TProgramPathScope P(MOR_TARVIK_DIALOG);
  TDialogFixture F;
  F.Options.SetAttachScreenshot(true);
  F.Request.AttachScreenshotChecked = true;

  // Collapsed, then Details: the stack tab lists the frames; OK continues.
  std::string Shot1 = T.Path("collapsed.png"), Shot2 = T.Path("expanded.png");
  std::string State1 = T.Path("state1.txt"), State2 = T.Path("state2.txt");
  {
    std::string Script = "state " + State1 + ";shot " + Shot1 + ";details;tab 1;state " + State2 + ";shot " + Shot2 +
                         ";copy 1;ok";
    TEnv S("TARVIK_DIALOG_SCRIPT", Script.c_str());
    TExceptionDialogResult R = ShowDialogProgram(F.Request);
    EXPECT_TRUE(R.SendMailChecked && R.AttachScreenshotChecked && R.CopyToClipboardChecked);
    EXPECT_FALSE(R.TerminateRequested);
  }
  std::string S1 = ReadWhole(State1), S2 = ReadWhole(State2);
  EXPECT_NE(S1.find("expanded 0\n"), std::string::npos) << S1;
  EXPECT_NE(S1.find("message Divisão por zero.\n"), std::string::npos) << S1;
  EXPECT_NE(S1.find("details &Details >>\n"), std::string::npos) << S1;
  EXPECT_NE(S1.find("terminate 1\nsend 1\nshot 1 1\ntabs 0"), std::string::npos) << S1;
  EXPECT_NE(S2.find("expanded 1\n"), std::string::npos) << S2;
  EXPECT_NE(S2.find("client 634 396\n"), std::string::npos) << S2;  // 640 x (385 + 34) less the frame
  EXPECT_NE(S2.find("tabs 1 1\n"), std::string::npos) << S2;
  EXPECT_NE(S2.find("row\t" + AddressText(0x401234) + "\tRelatorio\tOrders.cpp\tTOrders\tPrint\t42\n"), std::string::npos) << S2;
  EXPECT_NE(S2.find("row\t" + AddressText(0x401234) + "\tlibc.so.6\t\t\tabort\t\n"), std::string::npos) << S2;
  // Pictures of both states (the screenshot tests decode such files).
  std::string Png1 = ReadWhole(Shot1), Png2 = ReadWhole(Shot2);
  EXPECT_EQ(Png1.substr(0, 4), "\x89PNG");
  EXPECT_EQ(Png2.substr(0, 4), "\x89PNG");
  EXPECT_NE(Png1, Png2);
  // The expanded geometry was stored.
  EXPECT_EQ(ReadIniText(Config + "/TarvikLog.ini", "Coordinates", "Width", ""), "640");

  // Terminate ends the dialog with the flag.
  {
    TEnv S("TARVIK_DIALOG_SCRIPT", "terminate");
    EXPECT_TRUE(ShowDialogProgram(F.Request).TerminateRequested);
  }
  // The request: Escape keeps the text as OK does.
  {
    TEnv S("TARVIK_DIALOG_SCRIPT", "type \\n  passo 1\\npasso 2  \\n\\n;escape");
    EXPECT_EQ(ShowRequestDialogProgram(F.Options), "passo 1\npasso 2");
  }
  // The progress window: ready, then the mail's status and position.
  {
    TDialogProgram Progress(TDialogMessage{{"kind", "progress"}});
    std::optional<TDialogMessage> Ready = Progress.Read(20000);
    ASSERT_TRUE(Ready);
    EXPECT_TRUE(DecodeDialogReply(*Ready).Ready);
    Progress.Send({{"status", SmtpStatusText("Message", 1, 2, "Sending message...")}});
    Progress.Send({{"progress", "40"}});
    Progress.Send({{"status", SmtpStatusText("Message", 2, 2, "Sending message...")}, {"progress", "75"}});
    Progress.Send({{"stop", "1"}});
    std::optional<TDialogMessage> Last = Progress.Read(20000);
    ASSERT_TRUE(Last);
    TDialogReply L = DecodeDialogReply(*Last);
    EXPECT_EQ(L.Status, "Message 2/2: Sending message...");
    EXPECT_EQ(L.Progress, 75);
    EXPECT_EQ(Progress.Finish(5000), 0);
  }
  // Without a display the program writes the report to its standard error and says so.
  {
    TEnv NoDisplay("DISPLAY", nullptr), NoWayland("WAYLAND_DISPLAY", nullptr);
    EXPECT_THROW(ShowDialogProgram(F.Request), EInOutError);
  }
}
