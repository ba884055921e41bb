#pragma once
// The reporter's options for one module: what to show, store and mail, the freeze detector's
// time-out, the mail parameters, the exception filter and the 71 customisable texts. Every loaded
// module that carries reporter data has its own; the pipeline copies the options of the module an
// exception occurred in before it reports. The options stream (masked strings) is the one inside
// the reporter data and the "MODULE" virtual file.
#include <array>
#include <cstdint>
#include <string>

#include "exceptions/base/TarvikTexts.h"
#include "platform/classes/Classes.h"
#include "platform/classes/StringList.h"
#include "platform/sys/Modules.h"

class TStream;

// The reporter data version this library writes; the options stream is written in its layout.
inline constexpr int TarvikLogDataVersion = 454;
// Strings of the options stream are XORed with this byte.
inline constexpr uint8_t OptionsStringMask = 0xB5;

using TCustomizedTexts = std::array<std::string, CustomizedTextCount>;

// Bits of LogFlags.
constexpr uint8_t lfSkipDuplicateReports = 1, lfAskReproduceText = 2;
// MailSendMode values.
constexpr uint8_t msNone = 0, msMailClient = 1, msSmtpServer = 2, msSmtpDirect = 3;

class TTarvikModuleOptions : public TObject {
public:
  TTarvikModuleOptions(const std::string& ModuleName, int NotifyChanges);
  ~TTarvikModuleOptions() override;
  TTarvikModuleOptions(const TTarvikModuleOptions&) = delete;
  TTarvikModuleOptions& operator=(const TTarvikModuleOptions&) = delete;

  // Called by Changed when this module's options changed; publishes nothing here.
  virtual void OptionsChanged() {}
  virtual void SetActive(bool Value);
  virtual void SetFreezeActive(bool Value);
  // Copies the filter lists, the texts and every option but Active and ModuleName, through the
  // setters. Raises EConvertError for a null Source.
  virtual void Assign(const TTarvikModuleOptions* Source);
  // Every option to its default; the filter lists stay.
  virtual void SetDefaults();
  // Writes the stream at TarvikLogDataVersion.
  virtual void SaveToStream(TStream& Stream) const;
  // Reads a stream written at DataVersion: older versions lack items and hold some differently.
  // A stream that ends early or holds an impossible count raises EReadError naming the item; the
  // options are then left as they were, and nothing past the stream's end is read.
  virtual void LoadFromStream(TStream& Stream, int DataVersion);

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate() { --FUpdateCount; }
  // Calls OptionsChanged when no update is open, changes are published and ModuleName is the
  // reporter's own module.
  void Changed();

  // Raises EListError for an index outside 0..70.
  const std::string& GetText(int Index) const;
  void SetText(int Index, const std::string& Value);
  const TCustomizedTexts& CustomizedTexts() const { return FV.CustomizedTexts; }

  // The log file path for a file name: OutputPath itself when it names a ".tvl" file; else the
  // file name in OutputPath, or beside FileName when OutputPath is empty (in the state folder
  // when that folder cannot be written).
  std::string OutputFile(const std::string& FileName) const;
  // OutputFile of ModuleName with the extension ".tvl".
  std::string OutputLogFile() const;

  int NotifyChanges() const { return FNotifyChanges; }
  const std::string& ModuleName() const { return FModuleName; }
  void SetModuleName(const std::string& V);
  bool Active() const { return FActive; }

  const std::string& MailSender() const { return FV.MailSender; }
  void SetMailSender(const std::string& V) { Set(FV.MailSender, V); }
  const std::string& SmtpHost() const { return FV.SmtpHost; }
  void SetSmtpHost(const std::string& V) { Set(FV.SmtpHost, V); }
  const std::string& SmtpUserName() const { return FV.SmtpUserName; }
  void SetSmtpUserName(const std::string& V) { Set(FV.SmtpUserName, V); }
  const std::string& SmtpPassword() const { return FV.SmtpPassword; }
  void SetSmtpPassword(const std::string& V) { Set(FV.SmtpPassword, V); }
  uint16_t SmtpPort() const { return FV.SmtpPort; }
  void SetSmtpPort(uint16_t V) { Set(FV.SmtpPort, V); }
  // The dialog's second button: 0 terminate, 1 restart.
  uint8_t TerminateAction() const { return FV.TerminateAction; }
  void SetTerminateAction(uint8_t V) { Set(FV.TerminateAction, V); }
  bool FreezeActive() const { return FV.FreezeActive; }
  // Seconds without a response before a freeze is reported.
  int32_t FreezeTimeout() const { return FV.FreezeTimeout; }
  void SetFreezeTimeout(int32_t V) { Set(FV.FreezeTimeout, V); }
  const std::string& FreezeMessage() const { return FV.FreezeMessage; }
  void SetFreezeMessage(const std::string& V) { Set(FV.FreezeMessage, V); }
  bool CustomDialogLook() const { return FV.CustomDialogLook; }
  void SetCustomDialogLook(bool V) { Set(FV.CustomDialogLook, V); }
  // One bit per general-section report item, in the order of LogFieldIdentifiers.
  uint32_t LogShowOptions() const { return FV.LogShowOptions; }
  void SetLogShowOptions(uint32_t V) { Set(FV.LogShowOptions, V); }
  TStringList& ExceptionFilterClasses() { return FFilterClasses; }
  const TStringList& ExceptionFilterClasses() const { return FFilterClasses; }
  TStringList& ExceptionFilterMessages() { return FFilterMessages; }
  const TStringList& ExceptionFilterMessages() const { return FFilterMessages; }
  bool ReservedFlag() const { return FV.ReservedFlag; }
  void SetReservedFlag(bool V) { Set(FV.ReservedFlag, V); }
  bool ExceptionFilterActive() const { return FV.ExceptionFilterActive; }
  void SetExceptionFilterActive(bool V) { Set(FV.ExceptionFilterActive, V); }
  bool ShowExceptionDialog() const { return FV.ShowExceptionDialog; }
  void SetShowExceptionDialog(bool V) { Set(FV.ShowExceptionDialog, V); }
  bool MailLogInBody() const { return FV.MailLogInBody; }
  void SetMailLogInBody(bool V) { Set(FV.MailLogInBody, V); }
  bool AttachScreenshot() const { return FV.AttachScreenshot; }
  void SetAttachScreenshot(bool V) { Set(FV.AttachScreenshot, V); }
  bool ShowSmtpProgress() const { return FV.ShowSmtpProgress; }
  void SetShowSmtpProgress(bool V) { Set(FV.ShowSmtpProgress, V); }
  bool TerminateButtonAfterErrors() const { return FV.TerminateButtonAfterErrors; }
  void SetTerminateButtonAfterErrors(bool V) { Set(FV.TerminateButtonAfterErrors, V); }
  bool SaveLogFile() const { return FV.SaveLogFile; }
  void SetSaveLogFile(bool V) { Set(FV.SaveLogFile, V); }
  bool MailWholeLog() const { return FV.MailWholeLog; }
  void SetMailWholeLog(bool V) { Set(FV.MailWholeLog, V); }
  // lfSkipDuplicateReports, lfAskReproduceText.
  uint8_t LogFlags() const { return FV.LogFlags; }
  void SetLogFlags(uint8_t V) { Set(FV.LogFlags, V); }
  uint8_t DialogStartTab() const { return FV.DialogStartTab; }
  void SetDialogStartTab(uint8_t V) { Set(FV.DialogStartTab, V); }
  int32_t MaxReportsInLog() const { return FV.MaxReportsInLog; }
  // At least 1: a limit of 0 or less would make the log delete every report it keeps.
  void SetMaxReportsInLog(int32_t V) { Set(FV.MaxReportsInLog, V < 1 ? 1 : V); }
  int32_t TerminateButtonErrorCount() const { return FV.TerminateButtonErrorCount; }
  void SetTerminateButtonErrorCount(int32_t V) { Set(FV.TerminateButtonErrorCount, V); }
  const std::string& OutputPath() const { return FV.OutputPath; }
  void SetOutputPath(const std::string& V) { Set(FV.OutputPath, V); }
  // Separated by "," or ";".
  const std::string& MailRecipients() const { return FV.MailRecipients; }
  void SetMailRecipients(const std::string& V) { Set(FV.MailRecipients, V); }
  const std::string& MailSubject() const { return FV.MailSubject; }
  void SetMailSubject(const std::string& V) { Set(FV.MailSubject, V); }
  const std::string& MailText() const { return FV.MailText; }
  void SetMailText(const std::string& V) { Set(FV.MailText, V); }
  // msNone, msMailClient, msSmtpServer, msSmtpDirect.
  uint8_t MailSendMode() const { return FV.MailSendMode; }
  void SetMailSendMode(uint8_t V) { Set(FV.MailSendMode, V); }

protected:
  // The stored options: every option but Active and ModuleName, with their defaults.
  struct TValues {
    std::string MailSender = TarvikText::DefaultMailSender;
    std::string SmtpHost, SmtpUserName, SmtpPassword;
    uint16_t SmtpPort = 25;
    uint8_t TerminateAction = 1;
    bool FreezeActive = false;
    int32_t FreezeTimeout = 60;
    std::string FreezeMessage = TarvikText::DefaultFreezeMessage;
    bool CustomDialogLook = true;
    uint32_t LogShowOptions = 0xFFFFFFFF;
    TCustomizedTexts CustomizedTexts = DefaultTexts();
    bool ReservedFlag = true, ExceptionFilterActive = true, ShowExceptionDialog = true, MailLogInBody = false,
         AttachScreenshot = false, ShowSmtpProgress = true, TerminateButtonAfterErrors = true, SaveLogFile = true,
         MailWholeLog = false;
    uint8_t LogFlags = 0, DialogStartTab = 0;
    int32_t MaxReportsInLog = 32, TerminateButtonErrorCount = 3;
    std::string OutputPath, MailRecipients, MailSubject, MailText;
    uint8_t MailSendMode = msNone;
    static TCustomizedTexts DefaultTexts();
  };
  void StoreActive(bool V) { Set(FActive, V); }
  void StoreFreezeActive(bool V) { Set(FV.FreezeActive, V); }

private:
  template <class T, class V>
  void Set(T& Field, const V& Value) {
    Field = Value;
    Changed();
  }
  int FNotifyChanges;
  int FUpdateCount = 0;
  std::string FModuleName;
  bool FActive = true;
  TValues FV;
  TStringList FFilterClasses;
  TStringList FFilterMessages;
};

// The class of every module record's options and of the pipeline's copy: changes to the reporter
// module's own options are published in its "MODULE" virtual file, and switching Active or
// FreezeActive on those options starts or stops the freeze detector.
class TTarvikModuleOptionsEx : public TTarvikModuleOptions {
public:
  using TTarvikModuleOptions::TTarvikModuleOptions;
  void OptionsChanged() override;
  void SetActive(bool Value) override;
  void SetFreezeActive(bool Value) override;
};

// Reads the options another module's reporter published in its "MODULE" virtual file (written at
// the current version, whatever the version of that module's own data). False, Options unchanged,
// when there is no file, nothing is published yet or the bytes are damaged.
bool LoadPublishedOptions(TTarvikModuleOptions& Options, int ProcessId, TModuleHandle Module);
