#pragma once
// Report templates: the definition of a report (the report with everything it owns) as a component
// stream, binary ("TPF0") or text ("object"), in a file, a stream or a BLOB or memo field of a
// database record reached through a data pipeline. A template is outside bytes: the load reads it
// into a new report beside the old one, and the old definition comes back whole when it fails.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/TypInfo.h"
#include "platform/app/DialogService.h"
#include "ppreport/core/ppTypes.h"

class TReader;
class TStream;
class TppCustomReport;
class TppDataPipeline;

// Where a template lives in a database.
class TppTemplateDBSettings : public TPersistent {
  DECLARE_CLASSINFO(TppTemplateDBSettings)
public:
  TppTemplateDBSettings() = default;
  ~TppTemplateDBSettings() override;

  TppDataPipeline* DataPipeline() const { return FDataPipeline; }
  // Tells the owner first (it may need the old pipeline), then stores it.
  void SetDataPipeline(TppDataPipeline* Value);
  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value);
  const std::string& NameField() const { return FNameField; }
  void SetNameField(const std::string& Value) { FNameField = Value; }
  const std::string& TemplateField() const { return FTemplateField; }
  void SetTemplateField(const std::string& Value) { FTemplateField = Value; }

  using TPersistent::Assign;
  void Assign(const TPersistent* Source) override;

  std::function<void(TppDataPipeline* NewPipeline)> OnPipelineChanged;
  std::function<void()> OnNameChanged;

private:
  TppDataPipeline* FDataPipeline = nullptr;
  std::string FName, FNameField, FTemplateField;
};

class TppCustomTemplate : public TPersistent {
  DECLARE_CLASSINFO(TppCustomTemplate)
public:
  explicit TppCustomTemplate(TComponent* AOwner);
  ~TppCustomTemplate() override;

  TComponent* Owner() const { return FOwner; }
  TppTemplateDBSettings* DatabaseSettings() const { return FDatabaseSettings.get(); }
  virtual void SetDatabaseSettings(TppTemplateDBSettings* Value);
  const std::string& FileName() const { return FFileName; }
  virtual void SetFileName(const std::string& Value) { FFileName = Value; }
  int32_t Offset() const { return FOffset; }
  void SetOffset(int32_t Value) { FOffset = Value; }
  TppFormatType Format() const { return FFormat; }
  void SetFormat(TppFormatType Value) { FFormat = Value; }
  TppSaveToType SaveTo() const { return FSaveTo; }
  void SetSaveTo(TppSaveToType Value) { FSaveTo = Value; }
  bool ShowBusyCursor() const { return FShowBusyCursor; }
  void SetShowBusyCursor(bool Value) { FShowBusyCursor = Value; }

  // The file name or the record name, as SaveTo chooses.
  virtual std::string GetTemplateName() const;
  virtual void SetTemplateName(const std::string& Value);
  // Pipeline, name field and template field all set.
  virtual bool DatabaseSettingsValid() const;

  using TPersistent::Assign;
  void Assign(const TPersistent* Source) override;

protected:
  TComponent* FOwner;
  std::unique_ptr<TppTemplateDBSettings> FDatabaseSettings;
  std::string FFileName;
  int32_t FOffset = 0;
  TppFormatType FFormat = ftBinary;
  TppSaveToType FSaveTo = stFile;
  bool FShowBusyCursor = true;
};

// What a reader error asks the user: abort the load (mrCancel), skip this error (any other answer)
// or every later one of this load (mrAll).
struct TppTemplateErrorRequest : TDialogRequestOf<TppTemplateErrorRequest> {
  std::string Message;  // the reader's message, a line break and the question
  int LanguageIndex = 0;
};

class TppTemplate : public TppCustomTemplate {
  DECLARE_CLASSINFO(TppTemplate)
public:
  explicit TppTemplate(TComponent* AOwner);
  ~TppTemplate() override;

  // The owner and root of what is read and written (by default the owner's owner).
  TComponent* Root() const { return FRoot; }
  void SetRoot(TComponent* Value) { FRoot = Value; }
  int LanguageIndex() const { return FLanguageIndex; }
  void SetLanguageIndex(int Value) { FLanguageIndex = Value; }
  // What the file dialogs offer for this kind of template.
  const std::string& FileExtension() const { return FFileExtension; }
  void SetFileExtension(const std::string& Value) { FFileExtension = Value; }
  const std::string& FileFilter() const { return FFileFilter; }
  void SetFileFilter(const std::string& Value) { FFileFilter = Value; }
  bool BroadcastEvents() const { return FBroadcastEvents; }
  void SetBroadcastEvents(bool Value) { FBroadcastEvents = Value; }

  void SetFileName(const std::string& Value) override;
  // Also the template field must be a BLOB or memo field (ETemplateSaveError otherwise).
  bool DatabaseSettingsValid() const override;
  // The file exists and cannot be written.
  virtual bool IsFileReadOnly() const;

  void Load();
  virtual void LoadFromDatabase();
  virtual void LoadFromFile();
  // Reads the template at Offset from the stream's position; the report keeps its definition
  // when that fails.
  virtual void LoadFromStream(TStream& Stream);
  void Save();
  virtual void SaveToDatabase();
  // Written whole or not at all: the file is replaced only once every byte is on disk.
  virtual void SaveToFile();
  virtual void SaveToStream(TStream& Stream);
  virtual void New();

  // The format at Offset (which the probe may correct); the stream's position stays.
  // EInvalidTemplateError when neither form is there.
  TppFormatType DetectFormat(TStream& Stream);

  std::function<void(TppTemplate* Sender, TStream& Stream)> OnLoadStart, OnSaveEnd;
  std::function<void(TComponent* Owner)> OnLoadEnd, OnSaveStart;
  std::function<void(TppTemplate* Sender)> OnNew;
  std::function<bool(TppTemplate* Sender, const std::string& RecordName)> OnLocateRecord;
  std::function<void(TComponent* Owner)> BroadcastOnLoadEnd, BroadcastOnSaveEnd;
  std::function<void(TppTemplate* Sender)> BroadcastOnNew, BroadcastOnCreateDialog;
  std::function<bool(TppTemplate* Sender, const std::string& RecordName)> BroadcastOnLocateRecord;

protected:
  virtual void ExtensionHook(TStream&) {}
  virtual void SecondExtensionHook(TStream&) {}
  virtual void DoLoadStart(TStream& Stream);
  virtual void DoSaveEnd(TStream& Stream);
  virtual TComponent* GetDesigner() const { return nullptr; }
  virtual void ComponentRead(TComponent*) {}
  virtual void ReaderSetName(TReader& Reader, TComponent* Component, std::string& Name);
  virtual void ReaderError(TReader& Reader, const std::string& Message, bool& Handled);
  virtual void ReaderReferenceName(TReader&, std::string&) {}
  // Keeps the template's own settings; false: nothing is loaded.
  virtual bool BackupBeforeLoad();
  // Puts the template's own settings back (a load never changes where the template lives).
  virtual void EndLoadBackup(bool Success);
  virtual bool BeginSave() { return true; }
  virtual void EndSave(bool) {}
  virtual void FileNameChanged() {}
  virtual void DatabasePipelineChanged(TppDataPipeline*) {}

  // The pipeline stands on the record named in the settings.
  bool LocateRecord();
  // The whole template (signature, owner, list end), in the template's format.
  void WriteTemplate(TStream& Stream);

  // Frees what a failed reading left in the root (components it made but could not hang
  // anywhere), so the old definition can come back under its names.
  void FreeLeftFromReading();

  // Names changed while reading: the old name and the component that now has another.
  std::vector<std::pair<std::string, TComponent*>> FModifiedNames;
  TComponent* FRoot = nullptr;
  std::vector<TComponent*> FRootBefore;  // the root's components when the load began

private:
  bool ProbeAt(TStream& Stream, int64_t Position) const;
  void ProbeOffset(TStream& Stream);
  void ReadTemplate(TStream& Stream);

  int FLanguageIndex = 0;
  std::string FFileExtension = "rtm";
  std::string FFileFilter = "Report file (*.rtm)|*.rtm";
  bool FBroadcastEvents = true;
  bool FIgnoreErrors = false;
  TComponent* FReadingComponent = nullptr;
  std::unique_ptr<TppCustomTemplate> FSavedSettings;
};

class TppReportTemplate : public TppTemplate {
  DECLARE_CLASSINFO(TppReportTemplate)
public:
  explicit TppReportTemplate(TppCustomReport* AReport);
  ~TppReportTemplate() override;

  TppCustomReport* Report() const { return FReport; }

  // The report gets its default bands and an empty template name.
  void New() override;

protected:
  TComponent* GetDesigner() const override;
  void ComponentRead(TComponent* Component) override;
  void ReaderSetName(TReader& Reader, TComponent* Component, std::string& Name) override;
  void ReaderReferenceName(TReader& Reader, std::string& Name) override;
  bool BackupBeforeLoad() override;
  void EndLoadBackup(bool Success) override;
  bool BeginSave() override;
  void EndSave(bool Ok) override;
  void FileNameChanged() override;
  void DatabasePipelineChanged(TppDataPipeline* NewPipeline) override;

private:
  TppCustomReport* FReport;
  TppCustomReport* FNewReport = nullptr;
  TppCustomReport* FBackup = nullptr;
  std::vector<TComponent*> FStray;  // read beside the report, freed at the end of the load
  // The names of the communicators of the report's owner before the load: a failed load gives
  // them back (moving the definition back may number a user name another report also uses).
  struct TNames {
    const TClassInfo* Class;
    std::string Name, UserName;
  };
  std::map<const TComponent*, TNames> FNamesBefore;
  void RestoreNames();
};
