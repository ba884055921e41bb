#include "exceptions/report/TarvikLogFile.h"

#include <atomic>

#include "exceptions/base/TarvikErrors.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikTexts.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/report/TarvikReport.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

namespace {
constexpr std::string_view CRLF = "\r\n";
constexpr std::string_view Separator = "\r\n\r\n\r\n\r\n";
std::atomic<int> LockTimeout{5000};

// A report's own text must not hold the separator: its rest would be lost at the next rewrite.
// Runs of four or more CR LF pairs inside it become three.
std::string WithoutSeparator(std::string Text) {
  for (size_t At; (At = Text.find(Separator)) != std::string::npos;) Text.erase(At, 2);
  return Text;
}

}  // namespace

int LogLockTimeoutMs() { return LockTimeout.load(); }

void SetLogLockTimeoutMs(int Ms) { LockTimeout.store(Ms < 0 ? 0 : Ms); }

std::vector<std::string> SplitLogReports(std::string_view Data) {
  std::vector<std::string> R;
  const std::string_view Mark = TarvikText::LogReportMark;
  size_t From = 0;
  for (;;) {
    size_t At = Data.find(Mark, From);
    if (At == std::string_view::npos) break;
    if (At != 0 && (At < 2 || Data.substr(At - 2, 2) != CRLF)) {
      From = At + 1;
      continue;
    }
    size_t Run = Data.find(Separator, At);
    if (Run == std::string_view::npos) break;
    R.emplace_back(Data.substr(At, Run + 6 - At));
    From = Run;
  }
  return R;
}

TLogFile::TLogFile(const std::string& FileName, TLockedFile::TMode Mode, int LockTimeoutMs) : FLogFileName(FileName) {
  TraceEntry("TLogFile.Create", {FileName}, 2);
  FFile = std::make_unique<TLockedFile>(FileName, Mode, LockTimeoutMs);
  if (FFile->Exists() && !FFile->LockHeld()) TraceEntry(Format(TarvikText::LogWithoutLock, {FileName}));
  FReports = SplitLogReports(FFile->ReadAll());
  TraceEntry("TLogFile.Create=", {static_cast<int>(FReports.size())}, -2);
}

TLogFile::~TLogFile() = default;

void TLogFile::AddReport(const std::string& Text, int Limit) {
  if (Limit < 1) Limit = 1;
  size_t Keep = static_cast<size_t>(Limit) - 1;
  if (FReports.size() > Keep) FReports.erase(FReports.begin(), FReports.end() - static_cast<ptrdiff_t>(Keep));
  FReports.push_back(Utf8ToWin1252(WithoutSeparator(Text)) + std::string(Separator));
}

namespace {
// The value of an item ("2.2") of a stored report: the text after the first ": " that follows its
// line's start, up to the next CR LF; none when the report does not show the item.
std::optional<std::string_view> StoredItem(std::string_view Report, const std::string& Item) {
  std::string Key = std::string(CRLF) + "  " + Item + " ";
  size_t At = Report.find(Key);
  size_t Colon = At == std::string_view::npos ? At : Report.find(": ", At + Key.size());
  if (Colon == std::string_view::npos) return std::nullopt;
  size_t Start = Colon + 2, End = Report.find(CRLF, Start);
  return Report.substr(Start, End == std::string_view::npos ? End : End - Start);
}

std::string_view TrimmedCell(std::string_view C) {
  while (!C.empty() && C.front() == ' ') C.remove_prefix(1);
  while (!C.empty() && C.back() == ' ') C.remove_suffix(1);
  return C;
}

bool ParseHex(std::string_view Text, uintptr_t& Value) {
  if (Text.empty() || Text.size() > 16) return false;
  Value = 0;
  for (char C : Text) {
    int D = C >= '0' && C <= '9' ? C - '0' : C >= 'A' && C <= 'F' ? C - 'A' + 10 : C >= 'a' && C <= 'f' ? C - 'a' + 10 : -1;
    if (D < 0) return false;
    Value = Value << 4 | static_cast<uintptr_t>(D);
  }
  return true;
}

// The handle of the module named Name in the modules table under Title: the table's title row,
// then its rows, each "|handle|name|...", up to the first line that is neither a row nor a rule.
// The module nearest below Address when several have that name.
std::optional<uintptr_t> StoredModuleHandle(std::string_view Report, const std::string& Title, std::string_view Name,
                                            uintptr_t Address) {
  std::string Key = std::string(CRLF) + Title + ":" + std::string(CRLF);
  size_t At = Report.find(Key);
  if (At == std::string_view::npos) return std::nullopt;
  std::optional<uintptr_t> Best;
  bool Titles = false;
  for (size_t P = At + Key.size(); P < Report.size();) {
    size_t E = Report.find(CRLF, P);
    std::string_view L = Report.substr(P, E == std::string_view::npos ? E : E - P);
    P = E == std::string_view::npos ? Report.size() : E + 2;
    if (!L.empty() && L[0] == '-') continue;
    if (L.empty() || L[0] != '|') break;
    if (!Titles) {
      Titles = true;
      continue;
    }
    size_t Bar1 = L.find('|', 1), Bar2 = Bar1 == std::string_view::npos ? Bar1 : L.find('|', Bar1 + 1);
    if (Bar2 == std::string_view::npos) continue;
    uintptr_t Handle;
    if (!ParseHex(TrimmedCell(L.substr(1, Bar1 - 1)), Handle)) continue;
    if (TrimmedCell(L.substr(Bar1 + 1, Bar2 - Bar1 - 1)) != Name || Handle > Address) continue;
    if (!Best || Handle > *Best) Best = Handle;
  }
  return Best;
}
}  // namespace

bool TLogFile::ReplaceReport(const std::string& Old, const std::string& New) {
  // The file keeps a report up to the first run of four CR LF pairs, so the line breaks at its end
  // are not kept as they were given: compare without them.
  auto Bare = [](std::string_view T) {
    while (T.size() >= 2 && T.substr(T.size() - 2) == CRLF) T.remove_suffix(2);
    return T;
  };
  std::string Wanted = Utf8ToWin1252(WithoutSeparator(Old));
  for (size_t I = FReports.size(); I-- > 0;)
    if (Bare(FReports[I]) == Bare(Wanted)) {
      FReports[I] = Utf8ToWin1252(WithoutSeparator(New)) + std::string(Separator);
      return true;
    }
  return false;
}

bool LogReportHolds(std::string_view Report, const std::vector<std::string>& Items, const std::vector<std::string>& Values) {
  if (Values.size() < Items.size()) return false;
  for (size_t K = 0; K < Items.size(); ++K) {
    std::optional<std::string_view> V = StoredItem(Report, Items[K]);
    if (!V || *V != Utf8ToWin1252(Values[K])) return false;
  }
  return true;
}

TReportPlace StoredReportPlace(std::string_view Report, const std::string& ModulesTitle) {
  TReportPlace P;
  std::optional<std::string_view> Address = StoredItem(Report, "2.2"), Module = StoredItem(Report, "2.3");
  if (Address) P.Address = Win1252ToUtf8(std::string(*Address));
  if (Module) P.Module = Win1252ToUtf8(std::string(*Module));
  uintptr_t A;
  if (Address && Module && !Module->empty() && ParseHex(*Address, A))
    if (std::optional<uintptr_t> H = StoredModuleHandle(Report, Utf8ToWin1252(ModulesTitle), *Module, A)) {
      P.HasOffset = true;
      P.Offset = A - *H;
    }
  return P;
}

bool TLogFile::FindReport(const std::vector<std::string>& Items, const std::vector<std::string>& Values) const {
  for (const std::string& Report : FReports)
    if (LogReportHolds(Report, Items, Values)) return true;
  return false;
}

bool TLogFile::FindReportAt(const TReportPlace& Place, const std::string& Type, const std::string& Message,
                            const std::string& ModulesTitle) const {
  for (const std::string& Report : FReports) {
    if (!LogReportHolds(Report, {"2.4", "2.5"}, {Type, Message})) continue;
    TReportPlace Stored = StoredReportPlace(Report, ModulesTitle);
    if (Stored.Module != Place.Module) continue;
    if (Place.HasOffset && Stored.HasOffset ? Stored.Offset == Place.Offset
                                            : !Place.Address.empty() && Stored.Address == Place.Address)
      return true;
  }
  return false;
}

std::string TLogFile::GetText() const {
  std::string Bytes;
  for (const std::string& Report : FReports) Bytes += Report + std::string(CRLF);
  return Win1252ToUtf8(Bytes);
}

void TLogFile::Save() {
  TraceEntry("TLogFile.Save", {FLogFileName}, 2);
  std::string Bytes;
  for (const std::string& Report : FReports) Bytes += Report + std::string(CRLF);
  FFile->Rewrite(Bytes);
  TraceEntry("TLogFile.Save=", {static_cast<int>(Bytes.size())}, -2);
}

TReportPlace CurrentReportPlace(const TTarvikNotifyRecord& R, const TTarvikReport& Report) {
  TReportPlace P;
  P.Address = R.AddressText;
  P.Module = R.ModuleText;
  const TReportModule* Best = nullptr;
  for (const TReportModule& M : Report.Sources.Modules)
    if (M.FileName == Report.Sources.ExceptionModule && M.Handle <= R.ExceptionAddress && (!Best || M.Handle > Best->Handle))
      Best = &M;
  if (R.ExceptionAddress && Best && !P.Module.empty()) {
    P.HasOffset = true;
    P.Offset = R.ExceptionAddress - Best->Handle;
  }
  return P;
}

bool CheckDuplicateReport(const TTarvikNotifyRecord& R, const TTarvikModuleOptions& O, TTarvikReport& Report) {
  TraceEntry("CheckDuplicateReport", {}, 2);
  Report.IsDuplicate = false;
  if (O.LogFlags() & lfSkipDuplicateReports) {
    try {
      TLogFile Log(O.OutputLogFile(), TLockedFile::lmRead);
      Report.IsDuplicate = Log.FindReportAt(CurrentReportPlace(R, Report), R.TypeText, R.MessageText, O.GetText(9));
    } catch (const std::exception& E) {
      TraceEntry(E.what());
    }
  }
  TraceEntry("CheckDuplicateReport=", {Report.IsDuplicate}, -2);
  return Report.IsDuplicate;
}

bool UpdateReportInLog(const TTarvikModuleOptions& O, TTarvikReport& Report) {
  if (Report.IsDuplicate) return false;
  // The mail has the block even when the log cannot be rewritten.
  if ((O.LogFlags() & lfAskReproduceText) && !Report.ReproduceText.empty()) {
    Report.Text += RequestBlock(O, Report.ReproduceText);
    Report.MailText = Report.Text;
  }
  if (Report.LoggedText.empty() || Report.Text == Report.LoggedText) return false;
  TraceEntry("UpdateReportInLog", {}, 2);
  bool Written = false;
  ClearInternalError();
  std::string FileName = O.OutputLogFile();
  try {
    TLogFile Log(FileName);
    if (!Log.ReplaceReport(Report.LoggedText, Report.Text)) Log.AddReport(Report.Text, O.MaxReportsInLog());
    if (O.MailWholeLog()) Report.MailText = Log.GetText();
    Log.Save();
    Report.LoggedText = Report.Text;
    Written = true;
  } catch (const EFileLocked&) {
    TraceEntry(Format(TarvikText::LogNotLocked, {FileName}));
    RecordSectionError(eeLogError, "Log");
  } catch (...) {
    RecordSectionError(eeLogError, "Log");
  }
  TraceEntry("UpdateReportInLog=", {Written}, -2);
  return Written;
}

std::string RequestBlock(const TTarvikModuleOptions& O, const std::string& ReproduceText) {
  return std::string(CRLF) + O.GetText(59) + ":" + std::string(CRLF) + std::string(40, '-') + std::string(CRLF) +
         CrLfLines(ReproduceText);
}

bool SaveReportToLog(const TTarvikModuleOptions& O, TTarvikReport& Report, const TLogSaveHooks& Hooks) {
  TraceEntry("SaveReportToLog", {}, 2);
  bool Continue = true;
  ClearInternalError();
  if (Hooks.Action) Hooks.Action(2, Continue);
  if (!Report.IsDuplicate && (O.LogFlags() & lfAskReproduceText) && !Report.ReproduceText.empty()) {
    Report.Text += RequestBlock(O, Report.ReproduceText);
    Report.MailText = Report.Text;
  }
  bool Written = false;
  for (;;) {
    ClearInternalError();
    std::string FileName = O.OutputLogFile();
    try {
      TLogFile Log(FileName);
      if (!Report.IsDuplicate) Log.AddReport(Report.Text, O.MaxReportsInLog());
      if (O.MailWholeLog()) Report.MailText = Log.GetText();
      if (Continue) {
        Log.Save();
        Written = true;
        if (!Report.IsDuplicate) Report.LoggedText = Report.Text;
      }
    } catch (const EFileLocked&) {
      TraceEntry(Format(TarvikText::LogNotLocked, {FileName}));
      RecordSectionError(eeLogError, "Log");
      Continue = false;
    } catch (...) {
      RecordSectionError(eeLogError, "Log");
      Continue = false;
    }
    bool Retry = false;
    if (!Continue && Hooks.ActionError) Hooks.ActionError(3, Retry);
    if (!Retry) break;
    // Asked to try again: this attempt writes unless it fails too.
    Continue = true;
  }
  if (Hooks.Action) Hooks.Action(3, Continue);
  TraceEntry("SaveReportToLog=", {Written}, -2);
  return Written;
}
