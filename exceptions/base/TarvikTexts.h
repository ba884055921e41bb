#pragma once
// Every text of the exception reporter, in one table: the defaults of the 71 customisable texts,
// the log field identifiers, and the fixed texts of its option errors, internal errors and web
// output. The reporter's texts are English.
#include <array>

inline constexpr int CustomizedTextCount = 71;
inline constexpr int LogFieldCount = 23;

// Index i is the default of customised text i; the report, dialogs and mail refer to them by index.
extern const std::array<const char*, CustomizedTextCount> DefaultCustomizedTexts;
// The general-section report items, in the order of the LogShowOptions bits ("Group|Item").
extern const std::array<const char*, LogFieldCount> LogFieldIdentifiers;

namespace TarvikText {
// Options.
inline constexpr const char* DefaultFreezeMessage = "The application seems to be frozen.";
inline constexpr const char* DefaultMailSender = "reports@example.com";
inline constexpr const char* AssignNil = "Impossible to assign nil as TTarvikModuleOptions.";
inline constexpr const char* ReporterNotActive =
    "Cannot use 'CurrentTarvikLogOptions' function without TarvikLog activate.";
inline constexpr const char* ReporterUnit = "ExceptionLog";
inline constexpr const char* TextIndexOutOfRange = "Customized text index out of range (%d).";
// A damaged options stream: what was being read and where.
inline constexpr const char* OptionsStreamEnds = "The options stream ends before its %s (at byte %d).";
inline constexpr const char* OptionsStreamBadCount = "The options stream holds an impossible %s (%d at byte %d).";

// Reporter data and debug data that cannot be read: the module, then what is wrong.
inline constexpr const char* DamagedDebugData = "The debug data of \"%s\" is damaged: %s.";
inline constexpr const char* DataBlockTooShort = "the reporter data block is shorter than its header";
inline constexpr const char* DataBlockBadMagic = "the reporter data block does not start with its signature";
inline constexpr const char* DataBlockBadSize = "the appended reporter data block has an impossible size (%d)";
inline constexpr const char* DataBlockInflate = "its compressed payload cannot be inflated (%s)";
inline constexpr const char* DataBlockTooLarge = "its compressed payload inflates to more than %d bytes";
inline constexpr const char* PayloadEnds = "the payload ends inside its debug data (%d bytes announced, %d left)";
inline constexpr const char* NameIndexEnds = "the name index runs past the end of the data (at byte %d)";
inline constexpr const char* NameIndexEntryEnds = "an entry of the name index runs past the index (at byte %d)";
inline constexpr const char* UnitCountImpossible = "the unit count %d is more than its %d bytes can hold";
inline constexpr const char* UnitEnds = "unit %d runs past the end of the data (at byte %d)";
inline constexpr const char* LineRecordEnds = "a line record of unit \"%s\" runs past its line data (at byte %d)";
inline constexpr const char* LineRecordsLeaveUnit =
    "the line records of unit \"%s\" leave its code range (at byte %d, offset %s past the end)";
// The reporter stays passive when its own module carries no debug data.
inline constexpr const char* ReporterPassive = "TarvikLog stays passive: \"%s\" carries no debug data.";

// Exceptions described in the "EXCEPT" virtual file and the report.
inline constexpr const char* UnknownExceptionType = "Unknown exception type.";
inline constexpr const char* UnknownErrorMessage = "Unknown error message.";

// The report and its log file. A stored report begins with LogReportMark at the start of a line.
inline constexpr const char* ReportHeader = "TarvikLog 4.5.4";
inline constexpr const char* LogReportMark = "TarvikLog ";
inline constexpr const char* NoDesktopClipboard = "No desktop: the report was not copied to the clipboard.";
inline constexpr const char* ClipboardRefused = "The desktop did not take the report on its clipboard.";
inline constexpr const char* LogNotLocked = "The log file \"%s\" is in use by another process: the report was not stored.";
inline constexpr const char* LogWithoutLock = "The log file \"%s\" cannot be locked on its file system: used without a lock.";

// Internal errors and warnings.
inline constexpr const char* InternalErrorFormat = "[ERROR] - Section: %s - Message: \"%s\"";
inline constexpr const char* WarningFormat = "[WARNING] - Code: %s - Message: \"%s\"";
inline constexpr const char* GeneralInternalError = "General internal error.";
inline constexpr const char* SectionErrorFormat = "[%s] %s";
inline constexpr const char* GeneralSectionError = "General '%s' error.";
inline constexpr const char* MemoryDump = "Memory Dump: ";
inline constexpr const char* InternalBugPrompt =
    "Error: '%s'\r\n\r\nThis is an internal TarvikLog bug.\r\nDo you want to save the bug information to a file?";
inline constexpr const char* InternalBugCaption = "Probably internal bug";
inline constexpr const char* BugInformationSaved =
    "The bug information was saved in the file \"%s\".\r\nPlease send this file to the developers of the program.";
inline constexpr const char* BugInformationNotSaved = "The bug information could not be saved in the file \"%s\".";
inline constexpr const char* InformationCaption = "Information";
inline constexpr const char* ErrorCaption = "Error.";
// Name of the saved copy: the trace file's name without ".log", this suffix and a time stamp.
inline constexpr const char* BugFileSuffix = "-bug-";

// Hooks.
inline constexpr const char* HookNullProcedure = "Cannot hook a null procedure (\"%s\").";
inline constexpr const char* HookSharedArea = "Cannot hook the module \"%s\" located into the shared-area.";
inline constexpr const char* HookFailed = "Cannot hook the procedure \"%s\".";
// A fault signal as a captured exception: its message, with the faulting address.
inline constexpr const char* SignalFault = "Fault at address %s.";
// A fault signal that no fault raised: sent by another process, or raised by the program itself
// (abort, raise).
inline constexpr const char* SignalSent = "Signal sent by process %d.";
inline constexpr const char* SignalRaised = "Signal raised by the program itself.";
// The crashed thread gave up waiting for the report and wrote the short one itself.
inline constexpr const char* CrashReportStalled = "The report could not be made in time; the short report follows.";
// The capture's own report, until a program installs the pipeline's.
inline constexpr const char* CapturedHeader = "Unhandled exception in thread %d: %s: %s";
inline constexpr const char* CapturedFrame = "  %s %s";

// The pipeline and the freeze detector: waits that ran out, failures it goes on after.
inline constexpr const char* GateWaitRanOut =
    "The exception of thread %d was not reported: the report of another exception did not end in time.";
inline constexpr const char* WorkerWaitRanOut =
    "The reporter's worker did not end in time: the main thread goes on without it.";
inline constexpr const char* MainThreadCallRanOut =
    "The main thread did not take the reporter's call in time: the call was skipped.";
inline constexpr const char* ReporterFaulted = "A fault inside the reporter while it reported (%s): the program ends.";
inline constexpr const char* ConsoleSection = "Console";
// A console program has no dialog with its send box: the user is asked on the terminal.
inline constexpr const char* ConsoleMailQuestion = "Send this error report by mail to %s? [y/N] ";
inline constexpr const char* ConsoleMailNoTerminal =
    "No terminal to ask whether to mail the report: it is not mailed.";
inline constexpr const char* GuiSection = "GUI";
inline constexpr const char* ScreenshotSection = "Screenshot";
inline constexpr const char* PipelineSection = "InternalExceptNotify.%d";
inline constexpr const char* RestartFailed = "The program could not be started again: %s.";
inline constexpr const char* FreezeNoAnswer =
    "The frozen main thread did not answer the request for its stack in time: this freeze is not reported.";
inline constexpr const char* FreezeStopRanOut = "The freeze detector did not end in time: it is left behind.";

// Mail: the desktop's mail program, the socket, the DNS lookup and SMTP.
inline constexpr const char* MailProgram = "xdg-email";
inline constexpr const char* UrlOpener = "xdg-open";
inline constexpr const char* MailProgramNotStarted = "Cannot start the mail program \"%s\": %s.";
inline constexpr const char* MailProgramFailed = "The mail program \"%s\" ended with code %d.";
inline constexpr const char* SocketInvalid = "Invalid socket: \"%s\".";
inline constexpr const char* SocketNoAddress = "Cannot find the address of \"%s\": \"%s\".";
inline constexpr const char* SocketConnectError = "Connection error: \"%s\"";
inline constexpr const char* SocketCloseError = "Cannot close the socket: \"%s\"";
inline constexpr const char* SocketSendError = "Error into \"send\": \"%s\"";
inline constexpr const char* SocketRecvError = "Error into \"recv\": \"%s\"";
inline constexpr const char* SocketTimeout = "Socket timeout.";
inline constexpr const char* SocketClosedByPeer = "Connection closed by the peer.";
inline constexpr const char* SocketConnectedLog = "Connected to %d.%d.%d.%d port %d\r\n";
inline constexpr const char* MxNotResolved = "Cannot resolve the \"%s\" MX record.";
inline constexpr const char* SmtpSection = "SMTP";
inline constexpr const char* SmtpReplyTooLong = "The SMTP reply is longer than %d bytes.";
inline constexpr const char* SmtpNoReplyCode = "\"%s\" is not an SMTP reply.";
inline constexpr const char* SmtpBadAddress = "\"%s\" is not a mail address that can be sent to.";
inline constexpr const char* SmtpRecipientFailed = "The report did not reach \"%s\": %s";
inline constexpr const char* SmtpLoggedMessage = "[message of %d bytes]\r\n";
inline constexpr const char* MailBoundary = "=_xcjvnxkbhvfkxzhfdbvzldjhfv";

// Web output.
inline constexpr const char* CgiStatusLine = "Status: 500 Error\r\n";
inline constexpr const char* HttpErrorHeader =
    "Content-Type: text/html\r\nContent-Length: %d\r\nContent:\r\n\r\n";
inline constexpr const char* CgiCannotWrite = "CGI: Cannot write in the ouput file.";
inline constexpr const char* HtmlPageStart = "<html><head><title>";
inline constexpr const char* HtmlPageBody = "</title></head><body><p><small><font face=\"Lucida Console,Courier\">";
inline constexpr const char* HtmlPageEnd = "</font></small></p></body></html>";
}  // namespace TarvikText
