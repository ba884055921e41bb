#pragma once
// The report log file (".tvl"): the reports of past exceptions, one after another, in Windows-1252.
// A stored report begins with "TarvikLog " at the start of the file or of a line and ends at the
// first run of four CR LF pairs; a report written in this run is followed by four CR LF pairs and
// one more CR LF. Text that does not form a report is dropped when the file is rewritten.
//
// Several processes may keep their reports in one file: a TLogFile holds an advisory lock on it
// (flock) from reading to rewriting, so no process's report is lost to another's rewrite. A
// process that cannot get the lock in time writes nothing and says so in the trace.
#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/sys/LockedFile.h"

class TTarvikModuleOptions;
struct TTarvikReport;
struct TTarvikNotifyRecord;

// How long a log writer waits for another process's lock; 5 seconds unless set.
int LogLockTimeoutMs();
void SetLogLockTimeoutMs(int Ms);

// The stored reports of a log file's bytes, in order: each from its "TarvikLog " up to and
// including the first three CR LF pairs of the four that end it.
std::vector<std::string> SplitLogReports(std::string_view Data);

// Whether one stored report (Windows-1252 bytes) holds every item ("2.2": its line CR LF, two
// spaces, the number and a space) with exactly the given value (UTF-8): the text after the first
// ": " that follows, up to the next CR LF.
bool LogReportHolds(std::string_view Report, const std::vector<std::string>& Items, const std::vector<std::string>& Values);

// Where an exception happened, as the duplicate test compares it: its module's file name and the
// offset inside that module. Address-space randomisation moves modules from run to run, so the
// absolute address (item 2.2) is compared only when the module's handle is not known.
struct TReportPlace {
  std::string Address;  // item 2.2
  std::string Module;   // item 2.3
  bool HasOffset = false;
  uintptr_t Offset = 0;
};
// The place of one stored report (Windows-1252 bytes): items 2.2 and 2.3, and the handle of that
// module from the report's modules table, found under its title ModulesTitle (text 9).
TReportPlace StoredReportPlace(std::string_view Report, const std::string& ModulesTitle);

class TLogFile : public TObject {
public:
  // Reads FileName into its reports. lmRead takes a shared lock and finds no reports in a missing
  // file; lmReadWrite takes the lock for rewriting and makes a missing file (and its folder).
  // Raises EFileLocked when another process keeps the lock past the time-out, EStreamError when
  // the file cannot be opened or read.
  explicit TLogFile(const std::string& FileName, TLockedFile::TMode Mode = TLockedFile::lmReadWrite,
                    int LockTimeoutMs = LogLockTimeoutMs());
  ~TLogFile() override;

  const std::string& LogFileName() const { return FLogFileName; }
  // Windows-1252 bytes of each stored report with its three CR LF pairs (the fourth comes when
  // written).
  const std::vector<std::string>& Reports() const { return FReports; }
  // Appends a report (UTF-8), first dropping the oldest so that at most Limit remain (at least 1).
  void AddReport(const std::string& Text, int Limit);
  // Replaces the last stored report whose text is Old (UTF-8, as AddReport took it) with New;
  // false when none is.
  bool ReplaceReport(const std::string& Old, const std::string& New);
  // True when one stored report holds every item ("2.2") with exactly the given value (UTF-8).
  bool FindReport(const std::vector<std::string>& Items, const std::vector<std::string>& Values) const;
  // True when one stored report is of an exception of this type and message (items 2.4, 2.5) at
  // this place: the same module and offset when both are known, else the same items 2.2 and 2.3.
  bool FindReportAt(const TReportPlace& Place, const std::string& Type, const std::string& Message,
                    const std::string& ModulesTitle) const;
  // Every stored report as the file will hold it (UTF-8).
  std::string GetText() const;
  // Rewrites the file with the stored reports and cuts it after them.
  void Save();

private:
  std::string FLogFileName;
  std::unique_ptr<TLockedFile> FFile;
  std::vector<std::string> FReports;
};

// Sets the report's IsDuplicate: with SkipDuplicateReports on, whether the log already holds a
// report of the same exception (FindReportAt: type, message, module and offset). Record is the
// built report's record (items 2.2 to 2.5), Report.Sources its modules. A log that cannot be read
// holds none.
bool CheckDuplicateReport(const TTarvikNotifyRecord& Record, const TTarvikModuleOptions& Options, TTarvikReport& Report);
// The place of the exception being reported.
TReportPlace CurrentReportPlace(const TTarvikNotifyRecord& Record, const TTarvikReport& Report);

// The action notifications around saving: Action gets code 2 before (it may clear the flag, which
// stops the write) and code 3 after; ActionError gets code 3 when the report was not stored and
// may set the flag to try again.
struct TLogSaveHooks {
  std::function<void(int Code, bool& Continue)> Action;
  std::function<void(int Code, bool& Retry)> ActionError;
};
// Stores the report in the options' log file: the request block (once), the limit, duplicates
// (not added; the file is still rewritten), MailWholeLog. A failure is recorded as eeLogError
// ("Log"). True when the file was written.
bool SaveReportToLog(const TTarvikModuleOptions& Options, TTarvikReport& Report, const TLogSaveHooks& Hooks = {});
// After the dialog: the report gets what the user added (the request block of the reproduce
// text), and the stored report becomes the report as it is now, in place; when the log no longer
// holds it (another process's reports pushed it out) it is added again. The file is left alone
// when SaveReportToLog did not store the report or nothing changed. A failure is recorded as
// eeLogError ("Log"). True when the file was rewritten.
bool UpdateReportInLog(const TTarvikModuleOptions& Options, TTarvikReport& Report);
// CR LF, text 59, ":", CR LF, 40 "-", CR LF and the typed text with CR LF line breaks.
std::string RequestBlock(const TTarvikModuleOptions& Options, const std::string& ReproduceText);
