#include "exceptions/TarvikLogFile.h"

#include <atomic>

#include "exceptions/TarvikErrors.h"
#include "exceptions/TarvikOptions.h"
#include "exceptions/TarvikReport.h"
#include "exceptions/TarvikTexts.h"
#include "exceptions/TarvikTrace.h"
#include "exceptions/TarvikUtils.h"
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

bool LogReportHolds(std::string_view Report, const std::vector<std::string>& Items, const std::vector<std::string>& Values) {
  if (Values.size() < Items.size()) return false;
  for (size_t K = 0; K < Items.size(); ++K) {
    std::string Key = std::string(CRLF) + "  " + Items[K] + " ";
    size_t At = Report.find(Key);
    size_t Colon = At == std::string_view::npos ? At : Report.find(": ", At + Key.size());
    if (Colon == std::string_view::npos) return false;
    size_t Start = Colon + 2, End = Report.find(CRLF, Start);
    if (Report.substr(Start, End == std::string_view::npos ? End : End - Start) != Utf8ToWin1252(Values[K])) return false;
  }
  return true;
}

bool TLogFile::FindReport(const std::vector<std::string>& Items, const std::vector<std::string>& Values) const {
  for (const std::string& Report : FReports)
    if (LogReportHolds(Report, Items, Values)) return true;
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

bool CheckDuplicateReport(const std::string& Address, const std::string& Module, const std::string& Type,
                          const std::string& Message, const TTarvikModuleOptions& O, TTarvikReport& Report) {
  TraceEntry("CheckDuplicateReport", {}, 2);
  Report.IsDuplicate = false;
  if (O.LogFlags() & lfSkipDuplicateReports) {
    try {
      TLogFile Log(O.OutputLogFile(), TLockedFile::lmRead);
      Report.IsDuplicate = Log.FindReport({"2.2", "2.3", "2.4", "2.5"}, {Address, Module, Type, Message});
    } catch (const std::exception& E) {
      TraceEntry(E.what());
    }
  }
  TraceEntry("CheckDuplicateReport=", {Report.IsDuplicate}, -2);
  return Report.IsDuplicate;
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
