#include "exceptions/base/TarvikErrors.h"

#include <atomic>
#include <exception>
#include <mutex>

#include "exceptions/base/TarvikTexts.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikUtils.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/Process.h"
#include "platform/sys/SafeMemory.h"

namespace {
std::mutex StateLock;
TTarvikLogErrorCode ErrorCode = eeNone;
std::string ErrorMessage;
TReporterMessageBox MessageBoxFunction;
std::atomic<bool> SmtpProgressVisible{false};

constexpr uint32_t BoxFlags = MB_TASKMODAL | MB_TOPMOST | MB_SERVICE_NOTIFICATION;

// The message of the exception being handled; IsAbort when it is an EAbort.
std::string CurrentMessage(bool& IsException, bool& IsAbort) {
  IsException = IsAbort = false;
  std::exception_ptr E = std::current_exception();
  if (!E) return std::string();
  try {
    std::rethrow_exception(E);
  } catch (const Exception& X) {
    IsException = true;
    IsAbort = dynamic_cast<const EAbort*>(&X) != nullptr;
    return X.Message();
  } catch (const std::exception& X) {
    IsException = true;
    return X.what();
  } catch (...) {
  }
  return std::string();
}

std::string Dump(const void* Address) {
  uint8_t Bytes[32];
  if (!Address || SafeReadMemory(Address, Bytes, sizeof Bytes) != sizeof Bytes) return std::string();
  std::string R;
  for (uint8_t B : Bytes) R += "$" + IntToHex(B, 2) + " ";
  return R;
}

std::string TimeStamp() {
  int Y, Mo, D, H, Mi, S, Ms;
  TDateTime T = Now();
  DecodeDate(T, Y, Mo, D);
  DecodeTime(T, H, Mi, S, Ms);
  return Format("%.4d%.2d%.2d-%.2d%.2d%.2d", {Y, Mo, D, H, Mi, S});
}

// The trace file is rewritten at every checkpoint of the next run; the user keeps a copy of it.
void OfferBugFile(const std::string& Message) {
  if (ReporterMessageBox(Format(TarvikText::InternalBugPrompt, {Message}), TarvikText::InternalBugCaption,
                         MB_YESNO | MB_ICONERROR | BoxFlags) != IDYES)
    return;
  std::string Copy = ChangeFileExt(TraceFileName(), "") + TarvikText::BugFileSuffix + TimeStamp() + ".log";
  if (SaveTraceCopy(Copy))
    ReporterMessageBox(Format(TarvikText::BugInformationSaved, {Copy}), TarvikText::InformationCaption,
                       MB_ICONINFORMATION | BoxFlags);
  else
    ReporterMessageBox(Format(TarvikText::BugInformationNotSaved, {Copy}), TarvikText::InformationCaption,
                       MB_ICONWARNING | BoxFlags);
}
}  // namespace

std::string TarvikLogErrorCodeName(TTarvikLogErrorCode Code) {
  static const char* const Names[] = {"eeNone",           "eeShowError",       "eeLogError",
                                      "eeEmailMAPIError", "eeEmailShellError", "eeEmailSMTPError"};
  return Code <= eeEmailSMTPError ? Names[Code] : IntToStr(Code);
}

TTarvikLogErrorCode LastErrorCode() {
  std::lock_guard<std::mutex> L(StateLock);
  return ErrorCode;
}

std::string LastErrorMessage() {
  std::lock_guard<std::mutex> L(StateLock);
  return ErrorMessage;
}

void ClearInternalError() {
  std::lock_guard<std::mutex> L(StateLock);
  ErrorCode = eeNone;
  ErrorMessage.clear();
}

void ReportInternalError(const std::string& Section, const void* ExceptionAddress) {
  try {
    bool IsException, IsAbort;
    std::string Message = CurrentMessage(IsException, IsAbort);
    if (IsAbort) return;
    if (!IsException) Message = TarvikText::GeneralInternalError;
    std::string Text = Format(TarvikText::InternalErrorFormat, {Section, Message});
    OutputDebugString(Text);
    TraceEntry(Text);
    std::string Bytes = Dump(ExceptionAddress);
    if (!Bytes.empty()) TraceEntry(TarvikText::MemoryDump + Bytes);
    ForceSaveTraceFile();
    if (IsTraceActive()) OfferBugFile(Message);
  } catch (...) {
  }
}

void RecordWarning(TTarvikLogErrorCode Code, const std::string& Message) {
  try {
    {
      std::lock_guard<std::mutex> L(StateLock);
      ErrorCode = Code;
      ErrorMessage = Message;
    }
    std::string Text = Format(TarvikText::WarningFormat, {TarvikLogErrorCodeName(Code), Message});
    TraceEntry(Text);
    OutputDebugString(Text);
    if (Code == eeEmailSMTPError && SmtpProgressVisible.load())
      ReporterMessageBox(Message, TarvikText::ErrorCaption, MB_ICONERROR | BoxFlags);
  } catch (...) {
  }
}

void RecordSectionError(TTarvikLogErrorCode Code, const std::string& Section) {
  bool IsException, IsAbort;
  std::string Message = CurrentMessage(IsException, IsAbort);
  if (IsException)
    RecordWarning(Code, Format(TarvikText::SectionErrorFormat, {Section, Message}));
  else
    RecordWarning(Code, Format(TarvikText::GeneralSectionError, {Section}));
}

TReporterMessageBox SetReporterMessageBox(TReporterMessageBox Show) {
  std::lock_guard<std::mutex> L(StateLock);
  std::swap(MessageBoxFunction, Show);
  return Show;
}

int ReporterMessageBox(const std::string& Text, const std::string& Caption, uint32_t Flags) {
  TReporterMessageBox Show;
  {
    std::lock_guard<std::mutex> L(StateLock);
    Show = MessageBoxFunction;
  }
  if (Show) return Show(Text, Caption, Flags);
  return (Flags & 0xF) == MB_YESNO ? IDNO : IDOK;
}

void SetSmtpProgressVisible(bool Visible) { SmtpProgressVisible.store(Visible); }
