#pragma once
// The reporter's own failures: they never reach the program. They are recorded as internal errors
// (unexpected failures) or warnings (a step that could not be done, with a code), written to the
// diagnostic output and the trace; the state after a step tells whether that step failed.
#include <cstdint>
#include <functional>
#include <string>

enum TTarvikLogErrorCode : uint8_t {
  eeNone = 0,
  eeShowError = 1,
  eeLogError = 2,
  eeEmailMAPIError = 3,
  eeEmailShellError = 4,
  eeEmailSMTPError = 5,
};
// "eeNone", "eeShowError", ...
std::string TarvikLogErrorCodeName(TTarvikLogErrorCode Code);

TTarvikLogErrorCode LastErrorCode();
std::string LastErrorMessage();
void ClearInternalError();

// For an unexpected failure inside the reporter; call it inside the catch block (it reads the
// exception being handled; an EAbort is ignored). ExceptionAddress, when given and readable, adds
// a dump of its 32 bytes to the trace. With the trace on, the user is asked whether to keep a copy
// of the trace file for the developers. Never raises.
void ReportInternalError(const std::string& Section, const void* ExceptionAddress = nullptr);
// Records Code and Message as the last error. Never raises.
void RecordWarning(TTarvikLogErrorCode Code, const std::string& Message);
// RecordWarning with the section and the message of the exception being handled (call it inside
// the catch block).
void RecordSectionError(TTarvikLogErrorCode Code, const std::string& Section);

// Message boxes of the reporter, shown by whichever user interface the program installs (the
// reporter's dialogs, or a script in tests). Without one nothing is shown and the answer is the
// box's default: IDOK for a box with one button, IDNO for a yes/no question.
constexpr uint32_t MB_OK = 0x0, MB_YESNO = 0x4, MB_ICONERROR = 0x10, MB_ICONWARNING = 0x30,
                   MB_ICONINFORMATION = 0x40, MB_TASKMODAL = 0x2000, MB_TOPMOST = 0x40000,
                   MB_SERVICE_NOTIFICATION = 0x200000;
constexpr int IDOK = 1, IDYES = 6, IDNO = 7;
using TReporterMessageBox = std::function<int(const std::string& Text, const std::string& Caption, uint32_t Flags)>;
// Returns the previous function; an empty one shows nothing.
TReporterMessageBox SetReporterMessageBox(TReporterMessageBox Show);
int ReporterMessageBox(const std::string& Text, const std::string& Caption, uint32_t Flags);

// Whether the SMTP progress window is open: SMTP warnings are then shown to the user as well.
void SetSmtpProgressVisible(bool Visible);
