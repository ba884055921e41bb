#include "exceptions/base/TarvikOptions.h"

#include "exceptions/base/TarvikState.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/base/TarvikVirtualFiles.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/SysUtils.h"

TCustomizedTexts TTarvikModuleOptions::TValues::DefaultTexts() {
  TCustomizedTexts R;
  for (int I = 0; I < CustomizedTextCount; ++I) R[static_cast<size_t>(I)] = DefaultCustomizedTexts[static_cast<size_t>(I)];
  return R;
}

TTarvikModuleOptions::TTarvikModuleOptions(const std::string& ModuleName, int NotifyChanges)
    : FNotifyChanges(NotifyChanges), FModuleName(ModuleName) {
  TraceEntry("TTarvikModuleOptions.Create");
  FFilterClasses.OnChange = [this](TObject*) { Changed(); };
  FFilterMessages.OnChange = [this](TObject*) { Changed(); };
  SetDefaults();
  FUpdateCount = 0;
}

TTarvikModuleOptions::~TTarvikModuleOptions() { TraceEntry("TTarvikModuleOptions.Destroy"); }

void TTarvikModuleOptions::Changed() {
  if (FUpdateCount > 0 || FNotifyChanges == 0) return;
  if (FModuleName.empty() || FModuleName != ReporterModuleFileName()) return;
  OptionsChanged();
}

void TTarvikModuleOptions::SetModuleName(const std::string& V) { FModuleName = V; }

void TTarvikModuleOptions::SetActive(bool Value) { StoreActive(Value); }

void TTarvikModuleOptions::SetFreezeActive(bool Value) { StoreFreezeActive(Value); }

const std::string& TTarvikModuleOptions::GetText(int Index) const {
  if (Index < 0 || Index >= CustomizedTextCount) throw EListError(Format(TarvikText::TextIndexOutOfRange, {Index}));
  return FV.CustomizedTexts[static_cast<size_t>(Index)];
}

void TTarvikModuleOptions::SetText(int Index, const std::string& Value) {
  GetText(Index);
  Set(FV.CustomizedTexts[static_cast<size_t>(Index)], Value);
}

void TTarvikModuleOptions::Assign(const TTarvikModuleOptions* Source) {
  TraceEntry("TTarvikModuleOptions.Assign", {Source ? Source->ModuleName() : std::string()});
  if (!Source) throw EConvertError(TarvikText::AssignNil);
  if (Source == this) return;
  BeginUpdate();
  TFinally Done([this] {
    EndUpdate();
    Changed();
  });
  FFilterClasses.Assign(&Source->FFilterClasses);
  FFilterMessages.Assign(&Source->FFilterMessages);
  for (int I = 0; I < CustomizedTextCount; ++I) SetText(I, Source->GetText(I));
  SetReservedFlag(Source->ReservedFlag());
  SetSaveLogFile(Source->SaveLogFile());
  SetCustomDialogLook(Source->CustomDialogLook());
  SetFreezeActive(Source->FreezeActive());
  SetFreezeTimeout(Source->FreezeTimeout());
  SetFreezeMessage(Source->FreezeMessage());
  SetMailSender(Source->MailSender());
  SetSmtpHost(Source->SmtpHost());
  SetSmtpPort(Source->SmtpPort());
  SetSmtpUserName(Source->SmtpUserName());
  SetSmtpPassword(Source->SmtpPassword());
  SetShowSmtpProgress(Source->ShowSmtpProgress());
  SetDialogStartTab(Source->DialogStartTab());
  SetExceptionFilterActive(Source->ExceptionFilterActive());
  SetShowExceptionDialog(Source->ShowExceptionDialog());
  SetMailLogInBody(Source->MailLogInBody());
  SetMailWholeLog(Source->MailWholeLog());
  SetAttachScreenshot(Source->AttachScreenshot());
  SetTerminateButtonAfterErrors(Source->TerminateButtonAfterErrors());
  SetTerminateAction(Source->TerminateAction());
  SetLogFlags(Source->LogFlags());
  SetMaxReportsInLog(Source->MaxReportsInLog());
  SetTerminateButtonErrorCount(Source->TerminateButtonErrorCount());
  SetOutputPath(Source->OutputPath());
  SetMailRecipients(Source->MailRecipients());
  SetMailSubject(Source->MailSubject());
  SetMailText(Source->MailText());
  SetMailSendMode(Source->MailSendMode());
  SetLogShowOptions(Source->LogShowOptions());
}

void TTarvikModuleOptions::SetDefaults() {
  BeginUpdate();
  TFinally Done([this] {
    EndUpdate();
    Changed();
  });
  const TValues D;
  for (int I = 0; I < CustomizedTextCount; ++I) SetText(I, D.CustomizedTexts[static_cast<size_t>(I)]);
  SetMailSender(D.MailSender);
  SetSmtpHost(D.SmtpHost);
  SetSmtpUserName(D.SmtpUserName);
  SetSmtpPassword(D.SmtpPassword);
  SetSmtpPort(D.SmtpPort);
  SetTerminateAction(D.TerminateAction);
  SetFreezeActive(D.FreezeActive);
  SetFreezeTimeout(D.FreezeTimeout);
  SetFreezeMessage(D.FreezeMessage);
  SetCustomDialogLook(D.CustomDialogLook);
  SetLogShowOptions(D.LogShowOptions);
  SetReservedFlag(D.ReservedFlag);
  SetExceptionFilterActive(D.ExceptionFilterActive);
  SetShowExceptionDialog(D.ShowExceptionDialog);
  SetMailLogInBody(D.MailLogInBody);
  SetAttachScreenshot(D.AttachScreenshot);
  SetShowSmtpProgress(D.ShowSmtpProgress);
  SetTerminateButtonAfterErrors(D.TerminateButtonAfterErrors);
  SetSaveLogFile(D.SaveLogFile);
  SetMailWholeLog(D.MailWholeLog);
  SetLogFlags(D.LogFlags);
  SetDialogStartTab(D.DialogStartTab);
  SetMaxReportsInLog(D.MaxReportsInLog);
  SetTerminateButtonErrorCount(D.TerminateButtonErrorCount);
  SetOutputPath(D.OutputPath);
  SetMailRecipients(D.MailRecipients);
  SetMailSubject(D.MailSubject);
  SetMailText(D.MailText);
  SetMailSendMode(D.MailSendMode);
  SetActive(true);
}

std::string TTarvikModuleOptions::OutputFile(const std::string& FileName) const {
  TraceEntry("TTarvikModuleOptions.OutputFile", {FileName}, 2);
  std::string R;
  if (LowerCaseAscii(ExtractFileExt(FV.OutputPath)) == ".tvl") {
    R = FV.OutputPath;
  } else if (!FV.OutputPath.empty()) {
    R = FV.OutputPath;
    if (R.back() != '/') R += '/';
    R += ExtractFileName(FileName);
  } else {
    // Beside the file, unless the program may not write there (installed in a system folder).
    R = WritableOutputPath(FileName);
  }
  TraceEntry("TTarvikModuleOptions.OutputFile=", {R}, -2);
  return R;
}

std::string TTarvikModuleOptions::OutputLogFile() const {
  TraceEntry("TTarvikModuleOptions.OutputLogFile", {}, 2);
  std::string R = OutputFile(ChangeFileExt(FModuleName, ".tvl"));
  TraceEntry("TTarvikModuleOptions.OutputLogFile=", {R}, -2);
  return R;
}

void TTarvikModuleOptionsEx::OptionsChanged() {
  // The crash path's short report uses the log file and texts in force, prepared now.
  if (this == ReporterModuleOptions()) ReporterOptionsChanged(this);
  TMemoryStream S;
  SaveToStream(S);
  WriteModuleVirtualFile(S.Memory(), static_cast<size_t>(S.Size()));
}

void TTarvikModuleOptionsEx::SetActive(bool Value) {
  if (this != ReporterModuleOptions()) {
    StoreActive(Value);
    return;
  }
  if (Value == Active()) return;
  StoreActive(Value);
  SwitchFreezeDetector(Value && FreezeActive());
}

void TTarvikModuleOptionsEx::SetFreezeActive(bool Value) {
  if (this != ReporterModuleOptions()) {
    StoreFreezeActive(Value);
    return;
  }
  if (Value == FreezeActive()) return;
  StoreFreezeActive(Value);
  SwitchFreezeDetector(Value && Active());
}
