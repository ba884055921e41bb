#pragma once
// The report of one exception: one plain text that the dialog shows, the log file stores, the
// clipboard and the mail carry. From top to bottom: the header ("TarvikLog 4.5.4"), the general
// section (five numbered sections of 23 items), the call-stack table, the modules table and the
// processor section (x86-64 registers and a dump of the stack and of the code at the exception).
//
// Every label is one of the customised texts of the options. The text is UTF-8 like every text
// inside the program, with CR LF line breaks; columns are counted in characters, so its
// Windows-1252 form (the log file, the mail) is aligned byte for byte.
//
// Every value the report shows comes from TTarvikNotifyRecord (the exception) and TReportSources
// (the process and the machine), both plain values: GatherReportSources fills the sources from the
// running system, a test fills them by hand and gets the same text on every machine.
#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "exceptions/base/TarvikStackFrame.h"
#include "exceptions/base/TarvikVirtualFiles.h"
#include "platform/classes/Classes.h"
#include "platform/rtl/DateTime.h"
#include "platform/sys/Modules.h"

class TTarvikModuleOptions;

// Builds the numbered general section. An item always takes its number, shown or not, so "2.5"
// is always the exception message.
class TLogItem : public TObject {
public:
  std::string ItemText;
  int32_t SectionNo = 0;
  int32_t ItemNo = 0;

  void AddSection(const std::string& Name);
  void AddItem(const std::string& Name, const std::string& Value, bool Visible);
  // Drops sections without shown items; puts the ": " of a section's items in one column and
  // underlines the section title as long as its longest item line. Every line ends in CR LF.
  void Layout(std::string& Text) const;
};

// One row of the modules table.
struct TReportModule {
  TModuleHandle Handle = 0;
  std::string FileName;  // full path
  std::string Description;
  std::string Version;
  uint64_t Size = 0;  // of the file, in bytes
};

// What the report shows of the process and the machine.
struct TReportSources {
  TDateTime StartTime = 0;       // when the program started (local)
  std::string ProgramFileName;   // full path of the program
  std::string ProgramDescription, ProgramVersion;
  std::vector<std::string> Parameters;  // the program's arguments, without its name
  bool WindowsShown = true;      // false for a console program or a web application
  std::string ComputerName, UserName;
  uint64_t TotalMemory = 0, FreeMemory = 0;    // bytes
  std::optional<uint64_t> TotalDisk, FreeDisk;  // bytes of the program's file system
  std::string OsType, OsBuild, OsUpdate, Language;
  std::string ExceptionModule;   // full path of the module holding the exception address
  std::vector<TReportModule> Modules;
  // Reads memory of the process for the dump; returns how many bytes it could read.
  std::function<size_t(uintptr_t Address, void* Buffer, size_t Count)> ReadMemory;
};

// The exception being reported, as the pipeline hands it down, and what the report gives back.
struct TTarvikNotifyRecord {
  // What was thrown and the type it was thrown as (nulls for a fault or a foreign exception),
  // valid while the report is built; KeepAlive holds it when it came from an exception_ptr.
  TThrownObject Thrown;
  std::exception_ptr KeepAlive;
  uintptr_t ExceptionAddress = 0;
  bool RaisedByRuntime = false;
  TDateTime CaptureTime = 0;  // local
  TTarvikContext Context;      // registers not given show as "????"
  uintptr_t StackPointer = 0;  // 0: the context's RSP
  TTarvikStackList CallStack;
  // Desktop facts taken in the exception's own thread (CaptureDesktopFacts).
  std::string ActiveWindowClass, ActiveWindowText;
  std::string ActiveControlClass, ActiveControlText;
  // Type and message from the "EXCEPT" file of the module the exception occurred in; empty
  // unless ReadForeignExceptionData found some.
  std::string ExceptionType, ExceptionMessage;

  // Set by BuildReportText: text 3 and two line breaks (what console and web output put before
  // the report), the values of items 2.2 to 2.5 (the duplicate check), and the two tables.
  std::string IntroText;
  std::string AddressText, ModuleText, TypeText, MessageText;
  std::string CallStackText;

  void SetException(std::exception_ptr E);
};

// The report of the exception being processed (one at a time).
struct TTarvikReport {
  std::string GeneralText;  // header and general section
  std::string CpuText;
  std::string Text;         // the whole report
  std::string MailText;     // what is mailed; the log writer may replace it
  bool IsDuplicate = false;  // set by CheckDuplicateReport
  std::string ReproduceText;  // typed by the user in the request dialog
  std::string LoggedText;     // the text as SaveReportToLog stored it; empty when not stored
  TReportSources Sources;     // those of the last BuildReportText, used again by RebuildReportText
};
TTarvikReport& CurrentReport();

// The sources from the running system: start time, program, machine, operating system and the
// reporter's module list (the program's folder for the disk).
TReportSources GatherReportSources(const TTarvikNotifyRecord& Record);
// The active window and the focused control from the desktop hooks, into the record; call it on
// the thread that owns the windows. Empty without a desktop.
void CaptureDesktopFacts(TTarvikNotifyRecord& Record);

// The parts and the whole.
std::string BuildGeneralSection(const TTarvikNotifyRecord& Record, const TTarvikModuleOptions& Options,
                                const TReportSources& Sources);
std::string BuildCallStackTables(const TTarvikStackList& Stack, const std::vector<TReportModule>& Modules,
                                 const TTarvikModuleOptions& Options);
std::string BuildCpuText(const TTarvikNotifyRecord& Record, const TTarvikModuleOptions& Options,
                         const TReportSources& Sources);
// Builds everything into Report (texts, sources) and the record's returned values; returns the
// whole text.
std::string BuildReportText(TTarvikNotifyRecord& Record, const TTarvikModuleOptions& Options,
                            const TReportSources& Sources, TTarvikReport& Report);
// The same with the system's sources, into CurrentReport().
std::string BuildReportText(TTarvikNotifyRecord& Record, const TTarvikModuleOptions& Options);
// The general section again (the record's type or message changed), joined with the record's
// tables and the processor section already built.
void RebuildReportText(TTarvikNotifyRecord& Record, const TTarvikModuleOptions& Options, TTarvikReport& Report);

// When the module holding the exception address recorded an exception in its "EXCEPT" file, takes
// its type and message into the record, rebuilds the report and marks the file read. True when
// it did.
bool ReadForeignExceptionData(TTarvikNotifyRecord& Record, const TTarvikModuleOptions& Options,
                              TTarvikReport& Report);
// The same for contents already read.
bool ApplyForeignExceptionData(const TExceptFileContents& Contents, TTarvikNotifyRecord& Record,
                               const TTarvikModuleOptions& Options, TTarvikReport& Report);

// Puts the text on the desktop's clipboard; without a desktop does nothing and says so in the
// trace. True when copied.
bool CopyTextToClipboard(const std::string& Text);

// Index of the first entry of the options' exception filter that names the exception's class or
// one of its ancestors (IsClassNamed: whole qualified name or its last part, any case); -1 when
// none does, the list is empty or there is no exception.
int FindExceptionFilterIndex(const TTarvikNotifyRecord& Record, const TTarvikModuleOptions& Options);

// "Tue, 5 Mar 2024 07:08:09 -0300": English day and month, the zone's real offset at that moment
// with its minutes and daylight saving ("+0530", "+0545", "-0230").
std::string FormatRfc822Date(TDateTime Local);
std::string FormatRfc822Date(TDateTime Local, int UtcOffsetMinutes);
