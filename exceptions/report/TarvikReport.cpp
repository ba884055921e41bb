#include "exceptions/report/TarvikReport.h"

#include <algorithm>
#include <mutex>

#include "exceptions/base/TarvikClassInfo.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikTexts.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/report/TarvikModules.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"
#include "platform/sys/DesktopHooks.h"
#include "platform/sys/Process.h"
#include "platform/sys/SafeMemory.h"
#include "platform/sys/SystemInfo.h"

namespace {
constexpr const char* CRLF = "\r\n";
// Registers, addresses and handles are 64-bit: 16 hexadecimal digits.
constexpr size_t AddressWidth = 16;
constexpr int DumpLines = 16;
constexpr size_t StackSlot = sizeof(uint64_t);

// Width of a text in characters (its length in Windows-1252).
size_t Width(std::string_view S) { return Win1252Length(S); }

std::string PadRight(std::string S, size_t W) {
  size_t Have = Width(S);
  if (Have < W) S.append(W - Have, ' ');
  return S;
}

// Line breaks and other control characters inside a value would break the report's lines.
std::string OneLine(std::string S) {
  for (char& C : S)
    if (static_cast<unsigned char>(C) < 32) C = ' ';
  return S;
}

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> Lines;
  size_t From = 0;
  for (;;) {
    size_t At = Text.find(CRLF, From);
    if (At == std::string::npos) break;
    Lines.push_back(Text.substr(From, At - From));
    From = At + 2;
  }
  if (From < Text.size()) Lines.push_back(Text.substr(From));
  return Lines;
}

bool IsItemLine(const std::string& Line) { return Line.compare(0, 2, "  ") == 0; }

// "/usr/lib" for "/usr/lib/libc.so.6"; "/" stays "/".
std::string DirectoryOf(const std::string& FileName) {
  std::string Dir = ExtractFilePath(FileName);
  if (Dir.size() > 1 && Dir.back() == '/') Dir.pop_back();
  return Dir;
}

std::string Megabytes(uint64_t Bytes) {
  return IntToStr(Round(static_cast<long double>(Bytes) / 1048576.0L)) + " Mb";
}

std::string Gigabytes(const std::optional<uint64_t>& Bytes) {
  if (!Bytes) return std::string();
  return FormatFloat("0.##", static_cast<double>(*Bytes) / 1073741824.0) + " Gb";
}

std::string QuotedParameters(const std::vector<std::string>& Params) {
  std::string R;
  for (const std::string& P : Params) {
    if (!R.empty()) R += ' ';
    R += '"' + P + '"';
  }
  return R;
}

std::string ExceptionTypeText(const TTarvikNotifyRecord& R) {
  return !R.ExceptionType.empty() ? R.ExceptionType : DescribeThrown(R.Thrown).ClassName;
}

std::string ExceptionMessageText(const TTarvikNotifyRecord& R) {
  std::string M = !R.ExceptionMessage.empty() ? R.ExceptionMessage : DescribeThrown(R.Thrown).Message;
  if (M.empty() || M.back() != '.') M += '.';
  return OneLine(M);
}

// Items 2.2 to 2.5.
struct TItemValues {
  std::string Address, Module, Type, Message;
};

TItemValues ItemValues(const TTarvikNotifyRecord& R, const TReportSources& S) {
  return {R.ExceptionAddress ? AddressText(R.ExceptionAddress) : std::string(), OneLine(ExtractFileName(S.ExceptionModule)),
          OneLine(ExceptionTypeText(R)), ExceptionMessageText(R)};
}

void SetItemValues(TTarvikNotifyRecord& R, const TReportSources& S) {
  TItemValues V = ItemValues(R, S);
  R.AddressText = std::move(V.Address);
  R.ModuleText = std::move(V.Module);
  R.TypeText = std::move(V.Type);
  R.MessageText = std::move(V.Message);
}

std::string TableRow(const std::vector<std::string>& Cells, const std::vector<size_t>& Widths) {
  std::string Row = "|";
  for (size_t I = 0; I < Cells.size(); ++I) Row += PadRight(Cells[I], Widths[I]) + "|";
  return Row;
}

// A table: widths from the titles (at least MinWidths) grown to the longest cell; the rule is as
// long as the row.
struct TTable {
  std::vector<std::string> Titles;
  std::vector<std::vector<std::string>> Rows;
  std::vector<size_t> Widths;
  std::string Rule;

  void Measure(const std::vector<size_t>& MinWidths) {
    Widths.assign(Titles.size(), 0);
    for (size_t I = 0; I < Titles.size(); ++I) Widths[I] = std::max(Width(Titles[I]), MinWidths[I]);
    for (const auto& Row : Rows)
      for (size_t I = 0; I < Row.size(); ++I) Widths[I] = std::max(Widths[I], Width(Row[I]));
    size_t Total = Titles.size() + 1;
    for (size_t W : Widths) Total += W;
    Rule.assign(Total, '-');
  }
  // Rule, titles, rule, rows, rule.
  void Write(std::string& Out) const {
    Out += Rule + CRLF + TableRow(Titles, Widths) + CRLF + Rule;
    for (const auto& Row : Rows) Out += CRLF + TableRow(Row, Widths);
    Out += CRLF + Rule;
  }
};

std::string Hex(uint64_t V, int Digits) { return IntToHex(V, Digits); }

// A raise gives the callee-saved registers, the stack pointer, the call site and RAX; a fault all
// of them; the others read "????".
std::string RegistersText(const TTarvikContext& C) {
  using X = TTarvikContext;
  struct TRegister {
    const char* Name;
    uint64_t X::*Field;
    bool AtRaise;
  };
  static const TRegister Pairs[][2] = {
      {{"RAX", &X::Rax, true}, {"RDI", &X::Rdi, false}},   {{"RBX", &X::Rbx, true}, {"RSI", &X::Rsi, false}},
      {{"RCX", &X::Rcx, false}, {"RSP", &X::Rsp, true}},   {{"RDX", &X::Rdx, false}, {"RIP", &X::Rip, true}},
      {{"RBP", &X::Rbp, true}, {"EFL", &X::EFlags, false}}, {{"R8 ", &X::R8, false}, {"R12", &X::R12, true}},
      {{"R9 ", &X::R9, false}, {"R13", &X::R13, true}},    {{"R10", &X::R10, false}, {"R14", &X::R14, true}},
      {{"R11", &X::R11, false}, {"R15", &X::R15, true}},
  };
  auto Value = [&](const TRegister& R) {
    bool Known = C.Valid == X::Full || (C.Valid == X::Raise && R.AtRaise);
    return Known ? Hex(C.*R.Field, 16) : std::string("????");
  };
  std::string Out;
  for (const auto& P : Pairs)
    Out += std::string(P[0].Name) + ": " + Value(P[0]) + "   " + P[1].Name + ": " + Value(P[1]) + CRLF;
  return Out;
}

std::string DumpText(uintptr_t StackPointer, uintptr_t Address, const TReportSources& S) {
  auto Read = [&](uintptr_t At, void* Buffer, size_t Count) {
    if (At == 0 || At + Count < At) return false;
    size_t Got = S.ReadMemory ? S.ReadMemory(At, Buffer, Count) : SafeReadMemory(reinterpret_cast<const void*>(At), Buffer, Count);
    return Got == Count;
  };
  uint8_t Stack[DumpLines * StackSlot], Code[DumpLines * 16];
  if (!Read(StackPointer, Stack, sizeof Stack) || !Read(Address, Code, sizeof Code)) return std::string();
  std::string Out;
  for (int I = 0; I < DumpLines; ++I) {
    uint64_t Slot = 0;
    for (size_t B = 0; B < StackSlot; ++B) Slot |= static_cast<uint64_t>(Stack[I * StackSlot + B]) << (8 * B);
    Out += AddressText(StackPointer + I * StackSlot) + ": " + Hex(Slot, 16) + "   " + AddressText(Address + I * 16) + ": ";
    const uint8_t* Line = Code + I * 16;
    for (int B = 0; B < 16; ++B) Out += Hex(Line[B], 2) + " ";
    Out += ' ';
    for (int B = 0; B < 16; ++B) Out += Line[B] < 32 || Line[B] > 126 ? '.' : static_cast<char>(Line[B]);
    Out += CRLF;
  }
  return Out;
}

std::string ExceptionDate(TDateTime Local) { return Local == 0 ? std::string() : FormatRfc822Date(Local); }
}  // namespace

// ---- TLogItem

void TLogItem::AddSection(const std::string& Name) {
  ++SectionNo;
  ItemNo = 0;
  if (!ItemText.empty()) ItemText += std::string(CRLF) + CRLF;
  ItemText += Name + ":" + CRLF + "-";
}

void TLogItem::AddItem(const std::string& Name, const std::string& Value, bool Visible) {
  ++ItemNo;
  if (!Visible) return;
  ItemText += std::string(CRLF) + "  " + IntToStr(SectionNo) + "." + IntToStr(ItemNo) + " " + Name + ": " + Value;
}

void TLogItem::Layout(std::string& Text) const {
  std::vector<std::string> Lines = SplitLines(ItemText);
  std::vector<std::string> Out;
  Out.reserve(Lines.size());
  size_t I = 0;
  while (I < Lines.size()) {
    if (Lines[I].empty() || IsItemLine(Lines[I])) {
      Out.push_back(Lines[I++]);
      continue;
    }
    // A title, its underline, then item lines up to the next empty line.
    size_t First = std::min(I + 2, Lines.size()), End = First;
    while (End < Lines.size() && !Lines[End].empty()) ++End;
    if (End == First) {
      I = End < Lines.size() ? End + 1 : End;  // with the empty line after it
      continue;
    }
    size_t Column = 0;  // in characters, of the first ": " of each item line
    for (size_t K = First; K < End; ++K)
      if (size_t At = Lines[K].find(": "); At != std::string::npos) Column = std::max(Column, Width(Lines[K].substr(0, At)));
    size_t Longest = 1;
    for (size_t K = First; K < End; ++K) {
      std::string& L = Lines[K];
      if (size_t At = L.find(": "); At != std::string::npos) {
        size_t Have = Width(L.substr(0, At));
        if (Have < Column) L.insert(At, Column - Have, ' ');
      }
      Longest = std::max(Longest, Width(L));
    }
    Out.push_back(Lines[I]);
    Out.push_back(std::string(Longest, '-'));
    for (size_t K = First; K < End; ++K) Out.push_back(std::move(Lines[K]));
    I = End;
  }
  Text.clear();
  for (const std::string& L : Out) Text += L + CRLF;
}

// ---- Report

void TTarvikNotifyRecord::SetException(std::exception_ptr E) {
  KeepAlive = std::move(E);
  Thrown = ThrownObjectOf(KeepAlive);
}

TTarvikReport& CurrentReport() {
  static TTarvikReport Report;
  return Report;
}

TReportSources GatherReportSources(const TTarvikNotifyRecord& Record) {
  TraceEntry("GatherReportSources", {}, 2);
  TReportSources S;
  S.StartTime = ProcessStartTime();
  S.ProgramFileName = ProgramPath();
  for (int I = 1; I <= ParamCount(); ++I) S.Parameters.push_back(ParamStr(I));
  S.WindowsShown = !IsConsole() && !IsCgiMode();
  S.ComputerName = HostName();
  S.UserName = UserName();
  TMemoryStatus Memory = MemoryStatus();
  S.TotalMemory = Memory.Total;
  S.FreeMemory = Memory.Available;
  if (auto Disk = DiskSpace(DirectoryOf(S.ProgramFileName))) {
    S.TotalDisk = Disk->Total;
    S.FreeDisk = Disk->Available;
  }
  TOsVersion Os = OsVersion();
  S.OsType = Os.Name;
  S.OsBuild = Os.KernelRelease;
  S.OsUpdate = Os.KernelVersion;
  S.Language = SystemLanguageName();
  if (Record.ExceptionAddress)
    S.ExceptionModule = ModuleFileName(ModuleOfAddress(reinterpret_cast<const void*>(Record.ExceptionAddress)));
  if (TTarvikModulesList* List = ReporterModules()) {
    std::lock_guard<std::recursive_mutex> L(List->Lock());
    // A bare record of the enumeration has its version texts already; completing it would move it.
    int Main = List->IndexOfHandle(MainModuleHandle());
    if (const TTarvikModuleInfo* M = Main >= 0 ? List->Items(Main) : FindModuleRecord(MainModuleHandle())) {
      S.ProgramDescription = M->Description;
      S.ProgramVersion = M->Version;
    }
    for (int I = 0; I < List->Count(); ++I) {
      const TTarvikModuleInfo* M = List->Items(I);
      S.Modules.push_back({M->Handle, M->FileName, M->Description, M->Version, M->Size});
    }
    // In the order of their addresses, as the enumeration left them: records completed later went
    // to the end.
    std::stable_sort(S.Modules.begin(), S.Modules.end(),
                     [](const TReportModule& A, const TReportModule& B) { return A.Handle < B.Handle; });
  } else {
    GetFileVersionTexts(S.ProgramFileName, S.ProgramDescription, S.ProgramVersion);
    for (const TLoadedModule& M : LoadedModules()) {
      if (M.FileName.empty()) continue;
      TReportModule R{M.Handle, M.FileName, {}, {}, GetFileSize(M.FileName)};
      GetFileVersionTexts(M.FileName, R.Description, R.Version);
      S.Modules.push_back(std::move(R));
    }
  }
  TraceEntry("GatherReportSources=", {static_cast<int>(S.Modules.size())}, -2);
  return S;
}

void CaptureDesktopFacts(TTarvikNotifyRecord& Record) {
  TDesktopHooks Hooks = DesktopHooks();
  std::optional<TWindowFacts> Window = Hooks.ActiveWindow ? Hooks.ActiveWindow() : std::nullopt;
  std::optional<TWindowFacts> Control = Hooks.FocusedControl ? Hooks.FocusedControl() : std::nullopt;
  Record.ActiveWindowClass = Window ? Window->ClassName : std::string();
  Record.ActiveWindowText = Window ? Window->Text : std::string();
  Record.ActiveControlClass = Control ? Control->ClassName : std::string();
  Record.ActiveControlText = Control ? Control->Text : std::string();
}

std::string BuildGeneralSection(const TTarvikNotifyRecord& R, const TTarvikModuleOptions& O, const TReportSources& S) {
  TraceEntry("BuildGeneralSection", {}, 2);
  uint32_t Flags = O.LogShowOptions();
  int Field = 0;
  TLogItem Item;
  auto Add = [&](int Label, const std::string& Value, bool Extra = true) {
    bool Visible = Extra && (Flags >> Field & 1u) != 0;
    ++Field;
    Item.AddItem(O.GetText(Label), OneLine(Value), Visible);
  };
  TItemValues Values = ItemValues(R, S);

  Item.AddSection(O.GetText(19));
  Add(20, ExceptionDate(S.StartTime));
  Add(21, !S.ProgramDescription.empty() ? S.ProgramDescription : ExtractFileName(S.ProgramFileName));
  Add(22, S.ProgramVersion);
  Add(23, QuotedParameters(S.Parameters));
  Item.AddSection(O.GetText(24));
  Add(25, ExceptionDate(R.CaptureTime));
  Add(26, Values.Address);
  Add(27, Values.Module);
  Add(28, Values.Type);
  Add(29, Values.Message);
  Item.AddSection(O.GetText(30));
  Add(31, R.ActiveWindowClass, S.WindowsShown);
  Add(32, R.ActiveWindowText, S.WindowsShown);
  Add(33, R.ActiveControlClass, S.WindowsShown);
  Add(34, R.ActiveControlText, S.WindowsShown);
  Item.AddSection(O.GetText(35));
  Add(36, S.ComputerName);
  Add(37, S.UserName);
  Add(38, Megabytes(S.TotalMemory));
  Add(39, Megabytes(S.FreeMemory));
  Add(40, Gigabytes(S.TotalDisk));
  Add(41, Gigabytes(S.FreeDisk));
  Item.AddSection(O.GetText(42));
  Add(43, S.OsType);
  Add(44, S.OsBuild);
  Add(45, Trim(S.OsUpdate));
  Add(46, S.Language);

  std::string Laid;
  Item.Layout(Laid);
  TraceEntry("BuildGeneralSection=", {}, -2);
  return std::string(TarvikText::ReportHeader) + CRLF + CRLF + Laid;
}

std::string BuildCallStackTables(const TTarvikStackList& Stack, const std::vector<TReportModule>& Modules,
                                 const TTarvikModuleOptions& O) {
  TTable Calls;
  for (int T = 47; T <= 52; ++T) Calls.Titles.push_back(O.GetText(T));
  // Every frame: one the debug data and exports cannot name shows its module and address.
  for (const TTarvikStackFrame& F : Stack) {
    Calls.Rows.push_back({AddressText(F.Address), OneLine(ExtractFileName(F.ModuleFileName)), OneLine(F.UnitName),
                          OneLine(F.ClassName), OneLine(F.ProcedureName), F.Line ? IntToStr(F.Line) : std::string()});
  }
  Calls.Measure({AddressWidth, 0, 0, 0, 0, 0});

  TTable Mods;
  for (int T = 62; T <= 67; ++T) Mods.Titles.push_back(O.GetText(T));
  for (const TReportModule& M : Modules)
    Mods.Rows.push_back({AddressText(M.Handle), OneLine(ExtractFileName(M.FileName)), OneLine(M.Description),
                         OneLine(M.Version), IntToStr(static_cast<int64_t>(M.Size)), OneLine(DirectoryOf(M.FileName))});
  Mods.Measure({AddressWidth, 0, 0, 0, 0, 0});

  std::string Out = O.GetText(7) + ":" + CRLF;
  Calls.Write(Out);
  Out += std::string(CRLF) + CRLF + O.GetText(9) + ":" + CRLF;
  Mods.Write(Out);
  return Out;
}

std::string BuildCpuText(const TTarvikNotifyRecord& R, const TTarvikModuleOptions& O, const TReportSources& S) {
  static const std::string RegisterRule(5 + 16 + 3 + 5 + 16, '-');
  static const std::string DumpRule = std::string(16 + 2 + 16, '-') + "   " + std::string(16 + 2 + 16 * 3 + 1 + 16, '-');
  uintptr_t StackPointer = R.StackPointer             ? R.StackPointer
                           : R.Context.Valid != TTarvikContext::None ? static_cast<uintptr_t>(R.Context.Rsp)
                                                                     : 0;
  std::string Out = O.GetText(68) + ":" + CRLF + RegisterRule + CRLF;
  Out += RegistersText(R.Context);
  Out += CRLF;
  Out += PadRight(O.GetText(69) + ":", 16 + 2 + 16 + 3) + O.GetText(70) + ":" + CRLF + DumpRule + CRLF;
  Out += DumpText(StackPointer, R.ExceptionAddress, S);
  return Out;
}

std::string BuildReportText(TTarvikNotifyRecord& R, const TTarvikModuleOptions& O, const TReportSources& S,
                            TTarvikReport& Report) {
  TraceEntry("BuildReportText", {}, 2);
  Report.Sources = S;
  Report.GeneralText = BuildGeneralSection(R, O, S);
  Report.CpuText = BuildCpuText(R, O, S);
  SetItemValues(R, S);
  R.CallStackText = BuildCallStackTables(R.CallStack, S.Modules, O);
  R.IntroText = O.GetText(3) + CRLF + CRLF;
  Report.Text = Report.GeneralText + CRLF + R.CallStackText + CRLF + CRLF + Report.CpuText;
  Report.MailText = Report.Text;
  TraceEntry("BuildReportText=", {static_cast<int>(Report.Text.size())}, -2);
  return Report.Text;
}

std::string BuildReportText(TTarvikNotifyRecord& R, const TTarvikModuleOptions& O) {
  return BuildReportText(R, O, GatherReportSources(R), CurrentReport());
}

void RebuildReportText(TTarvikNotifyRecord& R, const TTarvikModuleOptions& O, TTarvikReport& Report) {
  TraceEntry("RebuildReportText", {}, 2);
  Report.GeneralText = BuildGeneralSection(R, O, Report.Sources);
  SetItemValues(R, Report.Sources);
  Report.Text = Report.GeneralText + CRLF + R.CallStackText + CRLF + CRLF + Report.CpuText;
  Report.MailText = Report.Text;
  TraceEntry("RebuildReportText=", {}, -2);
}

bool ApplyForeignExceptionData(const TExceptFileContents& C, TTarvikNotifyRecord& R, const TTarvikModuleOptions& O,
                               TTarvikReport& Report) {
  if (!C.Recorded) return false;
  R.ExceptionType = C.ClassName;
  R.ExceptionMessage = C.Message;
  RebuildReportText(R, O, Report);
  return true;
}

bool ReadForeignExceptionData(TTarvikNotifyRecord& R, const TTarvikModuleOptions& O, TTarvikReport& Report) {
  TraceEntry("ReadForeignExceptionData", {}, 2);
  bool Result = false;
  TModuleHandle Module = R.ExceptionAddress ? ModuleOfAddress(reinterpret_cast<const void*>(R.ExceptionAddress)) : 0;
  if (Module) {
    if (auto File = OpenVirtualFile(ProcessId(), Module, "EXCEPT")) {
      // A copy: the other module may rewrite its file while it is read.
      std::vector<uint8_t> Bytes(File->Data(), File->Data() + File->DataSize());
      if (auto Contents = ParseExceptFileContents(Bytes.data(), Bytes.size())) {
        Result = ApplyForeignExceptionData(*Contents, R, O, Report);
        if (Result && File->DataSize() > 0) File->Data()[0] = 0;  // read: not taken again
      }
      DeleteVirtualFile(File);
    }
  }
  TraceEntry("ReadForeignExceptionData=", {Result}, -2);
  return Result;
}

bool CopyTextToClipboard(const std::string& Text) {
  TraceEntry("CopyTextToClipboard", {}, 2);
  TDesktopHooks Hooks = DesktopHooks();
  bool Result = false;
  if (!Hooks.CopyText) {
    TraceEntry(TarvikText::NoDesktopClipboard);
  } else {
    try {
      Result = Hooks.CopyText(Text);
    } catch (...) {
      Result = false;
    }
    if (!Result) TraceEntry(TarvikText::ClipboardRefused);
  }
  TraceEntry("CopyTextToClipboard=", {Result}, -2);
  return Result;
}

int FindExceptionFilterIndex(const TTarvikNotifyRecord& R, const TTarvikModuleOptions& O) {
  TraceEntry("FindExceptionFilterIndex", {}, 2);
  int Result = -1;
  const TStringList& Classes = O.ExceptionFilterClasses();
  for (int I = 0; I < Classes.Count() && Result < 0 && R.Thrown.Type; ++I)
    if (IsClassNamed(R.Thrown.Type, Classes.Strings(I))) Result = I;
  TraceEntry("FindExceptionFilterIndex=", {Result}, -2);
  return Result;
}

std::string FormatRfc822Date(TDateTime Local) { return FormatRfc822Date(Local, LocalUtcOffsetMinutes(Local)); }

std::string FormatRfc822Date(TDateTime Local, int Offset) {
  static const char* const Days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int Year, Month, Day, Hour, Min, Sec, MSec;
  DecodeDate(Local, Year, Month, Day);
  DecodeTime(Local, Hour, Min, Sec, MSec);
  int Abs = Offset < 0 ? -Offset : Offset;
  return Format("%s, %d %s %d %.2d:%.2d:%.2d %s%.2d%.2d",
                {Days[DayOfWeek(Local) - 1], Day, Months[Month - 1], Year, Hour, Min, Sec, Offset < 0 ? "-" : "+",
                 Abs / 60, Abs % 60});
}
