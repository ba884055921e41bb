#pragma once
// TppCustomReport: the report model. The producer (output side) plus the structure of a banded
// report: bands and groups, the generation engine, the master pipeline, the template, the pass
// setting, the page limit, the no-data behaviours, the column layout and the report events. The
// concrete banded report of the generation library supplies the band classes and the engine.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/StringList.h"
#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppComponent.h"
#include "ppreport/core/ppProd.h"

class TppBand;
class TppComponent;
class TppCustomEngine;
class TppCustomReport;
class TppDataPipeline;
class TppDataPipelineList;
class TppGroup;
class TppReportTemplate;

// Makes the generation engine of a new report (the generation library installs it; the core has
// no engine of its own). Null: reports are made without an engine.
using TppEngineFactory = std::function<TppCustomEngine*(TppCustomReport& Report)>;
void SetReportEngineFactory(TppEngineFactory Factory);
const TppEngineFactory& ReportEngineFactory();

// Design-state flag of a report between BeginUpdate and EndUpdate.
constexpr uint16_t dsUpdating = 0x200;

// Designer messages of the report (class ppdmMessageClass).
constexpr int ppdmReportFree = 1126;
constexpr int ppdmColumnsChange = 1127;
constexpr int ppdmUnitsChange = 1129;
constexpr int ppdmLanguageChange = 1134;
constexpr int ppdmReportDesignerAttach = 1142;
constexpr int ppdmReportDesignerDetach = 1143;
constexpr int ppdmReportPipelineChange = 1145;
constexpr int ppdmBeginUpdate = 1148;
constexpr int ppdmEndUpdate = 1149;

class TppCustomReport : public TppProducer, public IppCacheReport {
  DECLARE_CLASSINFO(TppCustomReport)
public:
  explicit TppCustomReport(TComponent* AOwner);
  ~TppCustomReport() override;

  // ---- bands (the band's SetReport is the way in and out), kept in band sort key order
  void AddBand(TppBand* Band);
  void RemoveBand(TppBand* Band);
  void SortBands();
  int BandCount() const { return static_cast<int>(FBands.size()); }
  TppBand* GetBands(int Index) const;  // EListError outside
  int IndexOfBand(const TppBand* Band) const;
  // Group header (3) and footer (5): the band of the group at GroupIndex; the other kinds: the
  // first band of the kind. Null when there is none.
  TppBand* GetBand(int BandType, int GroupIndex) const;
  TppBand* FindBand(int BandType) const { return GetBand(BandType, 0); }
  TppBand* GetDetailBand() const { return FindBand(btDetail); }

  // ---- groups, in nesting order (the group's SetReport is the way in and out)
  void AddGroup(TppGroup* Group);
  void RemoveGroup(TppGroup* Group);
  int GroupCount() const { return static_cast<int>(FGroups.size()); }
  TppGroup* GetGroups(int Index) const;  // EListError outside
  TppGroup* GetGroup(int Index) const { return GetGroups(Index); }
  int IndexOfGroup(const TppGroup* Group) const;

  // The first object, band by band, whose component Name is Name (case-sensitive).
  TppComponent* FindObjectByName(const std::string& Name) const;
  // The same with where it is; both indexes 0 when there is none.
  bool FindObjectByName(const std::string& Name, int& BandIndex, int& ObjectIndex) const;

  // ---- settings
  TppUnitType Units() const { return FUnits; }
  // The printer setup, every group and every band take the unit.
  virtual void SetUnits(TppUnitType Value);
  bool AutoStop() const { return FAutoStop; }
  void SetAutoStop(bool Value) { FAutoStop = Value; }
  int PageLimit() const { return FPageLimit; }
  void SetPageLimit(int Value);
  TppPassSettingType PassSetting() const { return FPassSetting; }
  void SetPassSetting(TppPassSettingType Value);
  TppNoDataBehaviors NoDataBehaviors() const { return FNoDataBehaviors; }
  // The behaviour newly added wins between a blank page and a blank report; one of them is always
  // there, and a blank page shows no message on it.
  void SetNoDataBehaviors(TppNoDataBehaviors Value);
  bool HasNoDataBehavior(TppNoDataBehaviorType B) const { return (FNoDataBehaviors & (1u << B)) != 0; }
  bool SaveAsTemplate() const { return FSaveAsTemplate; }
  void SetSaveAsTemplate(bool Value) { FSaveAsTemplate = Value; }
  bool Modified() const { return FModified; }
  // Ignored while reading or loading and between BeginUpdate and EndUpdate.
  virtual void SetModified(bool Value);
  bool PrintingAsSubReport() const { return FPrintingAsSubReport; }
  void SetPrintingAsSubReport(bool Value) { FPrintingAsSubReport = Value; }
  // Nested; the outermost pair sets and clears dsUpdating.
  void BeginUpdate();
  void EndUpdate();
  // The report and everything in it take or lose the flags (bands, groups, engine).
  void AddDesignState(uint16_t Flags);
  void RemoveDesignState(uint16_t Flags);
  // Passed on only while the main report is not printing.
  void SendDesignerMessage(int Msg, intptr_t Arg1, intptr_t Arg2);
  // Tells the linked communicators that a report property changed (notice 4).
  void NotifyPropertyChange4();
  std::string GetUserName() const override { return "Report"; }
  virtual std::string GetDescription() const { return ClassName(); }
  virtual void ChildReportLoaded(TppCustomReport*) {}

  // ---- the report tree
  // The report at the top of a sub-report tree: the parent report's main report, else itself.
  virtual TppCustomReport* GetMainReport();
  const TppCustomReport* GetMainReport() const { return const_cast<TppCustomReport*>(this)->GetMainReport(); }
  TppCustomReport* ParentReport() const { return FParentReport; }
  // A sub-report's child report (which always prints as a child).
  virtual bool IsChildReport() const { return false; }
  // Links to the new parent and takes its report designer.
  void SetParentReport(TppCustomReport* Report);
  virtual TComponent* GetReportDesigner() const { return GetDesigner(); }
  // Tells the old designer, takes the new one (a designed report kept as a template loads it
  // first), then hands it to every sub-report's child report.
  void SetReportDesigner(TComponent* Designer) { ChangeReportDesigner(Designer, true); }

  // ---- the engine
  virtual TppCustomEngine* Engine() const { return FEngine; }
  // The absolute page number the engine stands on; 0 without an engine.
  virtual int AbsolutePageNo() const;
  int AbsolutePageCount() const;
  int PageNo() const;
  int PageCount() const;
  int CurrentColumn() const;
  bool DonePrinting() const;
  bool FirstPass() const;
  bool SecondPass() const;
  TDateTime PrintDateTime() const;
  int ReportBandCount() const;
  int PageBandCount() const;
  // The engine stands on the first page past the cached ones (always without an engine).
  bool IsFirstUncachedPage() const;
  // The main report's engine stands on a page not cached yet.
  bool GetMainReportPageIsNew() const;
  void PageLimitReached();
  // Bound to the engine's end-page and page-finished hooks.
  virtual void EngineEndPage();
  virtual void EnginePageFinished() {}

  // ---- report events (fired by the engine): the callback, then the event broadcast
  void DoOnStartFirstPass();
  void DoOnEndFirstPass();
  void DoOnStartSecondPass();
  void DoOnEndSecondPass();
  void DoOnStartPage();
  void DoOnEndPage();
  void DoOnStartColumn();
  void DoOnEndColumn();
  void NotifyStartOfReport();
  // The callback and the listeners may change both flags.
  void DoOnNoData(TObject* Dialog, bool& ShowDialog, TObject* DrawCommand, bool& AddDrawCommand);
  TNotifyEvent OnEndColumn, OnEndFirstPass, OnEndPage, OnEndSecondPass, OnStartColumn, OnStartFirstPass,
      OnStartPage, OnStartSecondPass;
  TppNoDataEvent OnNoData;

  // ---- report-wide steps forwarded to bands and groups
  virtual void StartOfMainReport();
  virtual void EndOfMainReport();
  virtual void StartOfGeneration();
  void EndOfPage();
  void LanguageChanged() override;
  void LayoutChanged() override;
  void PrinterSetupChanged() override;

  // ---- data pipelines (ppClassData.cpp)
  TppDataPipeline* DataPipeline() const { return FDataPipeline; }
  // Hands the new pipeline to the band objects and groups that followed the old one (outside
  // reading and loading) and sets AutoStop exactly when there is no pipeline.
  virtual void SetDataPipeline(TppDataPipeline* Value);
  const std::string& DataPipelineName() const { return FDataPipelineName; }
  void ReplaceBandDataPipelines(TppDataPipeline* NewPipeline, TppDataPipeline* OldPipeline);
  // After loading: pipelines found again by component name among those the report can reach.
  virtual void ResolveDataPipelines();
  // The report's, the detail band's own and every band object's pipelines, each once.
  void GetDataPipelines(std::vector<TppDataPipeline*>& List) const;
  void RenameDataField(TppDataPipeline* Pipeline, const std::string& OldName, const std::string& NewName);
  void ReplaceDataPipeline(TppDataPipeline* NewPipeline, const std::string& UserName);
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;

  // ---- page-state caches
  void AddCacheManager(TppCacheManager* Manager) { RegisterCacheManager(Manager); }
  void RemoveCacheManager(TppCacheManager* Manager) { UnregisterCacheManager(Manager); }
  // The parent report's first, then every registered manager truncated to no pages.
  void ClearCaches();

  // ---- columns (ppClassColumns.cpp); lengths in thousandths of a millimetre
  int Columns() const { return FColumns; }
  // Below 1 is 1. More than one column divides the printable width; crossing 1 adds or (with a
  // designer) removes the column header and footer bands. A refused confirmation changes nothing.
  void SetColumns(int Value);
  int32_t mmColumnWidth() const { return FColumnWidth; }
  void SetmmColumnWidth(int32_t Value) { FColumnWidth = Value; }
  // In Units.
  float GetColumnWidth();
  void SetColumnWidth(float Value);
  int GetspColumnWidth() const;
  // While streaming: the stored list (microns). Otherwise a list in Units whose edits come back
  // converted (ColumnPositionsChanged).
  TStrings* GetColumnPositions();
  void SetColumnPositions(const TStrings* Value);
  const TStringList& StoredColumnPositions() const { return FColumnPositions; }
  virtual void ColumnsChanged();
  void PageDefChanged(TObject* Sender, TppPageDef* PageDef, bool& Valid) override;
  // True without a designer; else asks (Message, a language string number) when objects lie beyond
  // Width and frees them on OK.
  bool ConfirmObjectsFit(int32_t Width, int Message);
  enum TCheckMode { cmCheck, cmFree };
  bool CheckObjectsBeyondWidth(TCheckMode Mode, int32_t Width);
  int32_t PrintableWidth() const;

  // ---- naming and sub-report lists (ppClassNaming.cpp)
  // A band keeps its own user name; any other object gets its class name without the first three
  // letters and the first number free among its kind (sub-reports: over the whole report tree).
  std::string GetUniqueUserName(const TComponent* Component) const override;
  // The report, then band by band the band and its objects, then the groups (case ignored); else
  // the owner's lookup, whose band, component or group answers are not this report's and dropped.
  TppCommunicator* FindUserName(const std::string& Value) const override;
  // While designing, objects and groups named after the report follow its new name.
  void SetName(const std::string& Value) override;
  // The sub-reports of this report's bands, with their captions and child reports.
  using TSubReportList = std::vector<std::pair<std::string, TppCustomReport*>>;
  void GetSubReports(TSubReportList& List) const;
  // The same, each entry followed by its child report's whole tree (depth first).
  void GetAllSubReports(TSubReportList& List) const;
  // The sub-report objects in print order: those of the bands before the detail band; then the
  // first group when there are groups (it prints the detail band's), else the detail band's; then
  // those of the bands after it. Without a detail band, every band's in band order.
  void GetSubReportsInPrintOrder(std::vector<TComponent*>& List) const;

  // The outline participant that lists Object among its outline children, searched depth first
  // from Container; null when none does. ChildrenOf answers an object's outline children (none for
  // an object that takes no part in the outline), which the outline of the output library knows.
  using TOutlineChildren = std::function<std::vector<TObject*>(TObject* Participant)>;
  static TObject* FindObjectContainer(TObject* Container, const TObject* Object, const TOutlineChildren& ChildrenOf);

  // ---- definition as a whole (ppClassTransfer.cpp)
  // The report's template (saving and loading its definition).
  TppReportTemplate* Template() const { return FTemplate.get(); }
  void SetTemplate(const TppReportTemplate* Value);
  void SetTemplateName(const std::string& Value);
  // Frees every band and group.
  virtual void FreeBands();
  // Makes the band of that kind for this report (the banded report knows the band classes); null
  // here, so a report of the core alone makes no bands.
  virtual TppBand* CreateBand(TppBandType) { return nullptr; }
  // On a report without bands: the default set (header, detail, footer; column header and footer
  // with more than one column).
  virtual void CreateDefaultBands();
  // The band kinds CreateDefaultBands makes (bits of TppBandType); a sub-report sets its child's.
  uint32_t DefaultBandSet() const { return FDefaultBands; }
  void SetDefaultBandSet(uint32_t Kinds) { FDefaultBands = Kinds; }
  // Moves Source's whole definition (settings, bands, groups) into this report; Source is left
  // without bands and groups.
  void Transfer(TPersistent* Source) override;
  void ChangeOwner(TComponent* NewOwner) override;

  // ---- streaming (ppClassStream.cpp)
  // Bands outside groups, then the groups (which stream their own bands).
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  void ReadState(TReader& Reader) override;
  void Loaded() override;
  void ConvertFromVersion(int Version) override;

  // ---- printing
  void Reset() override;
  // The main report's publisher has a device other than the screen.
  bool IsPrintToDevice() const override;
  void BeginPrinting() override;
  void NotifyEndPrinting() override;
  void ResetPrinting() override;
  // Stops the engine and raises EPrintError with language string 1023 and Message, unless the
  // engine's exceptions are silent.
  void PrintError(const std::string& Message);
  using TppProducer::PrintError;

  // ---- the page-state cache: the engine, the groups, the bands and their objects
  void RegisterCacheManager(TppCacheManager* Manager) override;
  void UnregisterCacheManager(TppCacheManager* Manager) override;
  void GetCacheables(const std::function<void(TppCacheable*)>& Add) override;
  bool IsEnginePrinting() const override { return Printing(); }
  void StopEngine() override;

protected:
  void Destroying() override;
  void DefineProperties(TFiler* Filer) override;
  // Takes Engine (owned by the report) and binds its page hooks; null drops the engine.
  void SetEngine(TppCustomEngine* Engine);
  bool ReadingOrLoading() const { return Reading(); }

private:
  void ChangeReportDesigner(TComponent* Designer, bool MayLoadTemplate);
  void FireReportEvent(const TNotifyEvent& Callback, int EventID);
  void ColumnPositionsChanged();
  // The band's own pipeline (a detail band may have one), or null.
  TppDataPipeline* OwnDataPipelineOf(const TppBand* Band) const;
  template <class F>
  void ForEachChildReport(F&& Visit) const;

  std::vector<TppBand*> FBands;
  std::vector<TppGroup*> FGroups;
  std::vector<TppCacheManager*> FCacheManagers;
  TppUnitType FUnits = utInches;
  TppDataPipeline* FDataPipeline = nullptr;
  std::string FDataPipelineName;
  bool FAutoStop = true;
  int FColumns = 1;
  int32_t FColumnWidth = 0;
  float FOldColumnWidth = 0;
  TStringList FColumnPositions;        // stored: microns
  TStringList FEditedColumnPositions;  // handed out: Units
  uint32_t FDefaultBands = (1u << btHeader) | (1u << btDetail) | (1u << btFooter);
  int FPageLimit = 0;
  TppPassSettingType FPassSetting = psOnePass;
  TppNoDataBehaviors FNoDataBehaviors = 1u << ndBlankPage;
  bool FSaveAsTemplate = false;
  bool FModified = false;
  bool FPrintingAsSubReport = false;
  int FUpdateCount = 0;
  TppCustomReport* FParentReport = nullptr;
  TppCustomEngine* FEngine = nullptr;  // owned (the report is its owner)
  std::unique_ptr<TppReportTemplate> FTemplate;
};
