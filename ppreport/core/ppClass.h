#pragma once
// TppCustomReport as its bands, groups and band objects see it: the producer plus the band and group
// lists, the units, the master pipeline and the column layout. The rest of the report model
// (templates, columns layout steps, the engine's running) builds on this class.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/StringList.h"

#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppProd.h"

class TppBand;
class TppComponent;
class TppCustomEngine;
class TppDataPipeline;
class TppGroup;
class TppReportTemplate;

class TppCustomReport : public TppProducer, public IppCacheReport {
  DECLARE_CLASSINFO(TppCustomReport)
public:
  explicit TppCustomReport(TComponent* AOwner);
  ~TppCustomReport() override;

  // ---- bands (the band's SetReport is the way in and out)
  void AddBand(TppBand* Band);
  void RemoveBand(TppBand* Band);
  int BandCount() const { return static_cast<int>(FBands.size()); }
  TppBand* GetBand(int Index) const;  // EListError outside
  int IndexOfBand(const TppBand* Band) const;
  // The first band of that kind, or null.
  TppBand* FindBand(int BandType) const;
  TppBand* GetDetailBand() const { return FindBand(4); }

  // ---- groups, in nesting order (the group's SetReport is the way in and out)
  void AddGroup(TppGroup* Group);
  void RemoveGroup(TppGroup* Group);
  int GroupCount() const { return static_cast<int>(FGroups.size()); }
  TppGroup* GetGroup(int Index) const;  // EListError outside
  int IndexOfGroup(const TppGroup* Group) const;

  // The first object, band by band, whose component Name is Name (case-sensitive).
  TppComponent* FindObjectByName(const std::string& Name) const;
  // The same with where it is; both indexes 0 when there is none.
  bool FindObjectByName(const std::string& Name, int& BandIndex, int& ObjectIndex) const;

  TppUnitType Units() const { return FUnits; }
  // Every band (and through it every object) takes the unit.
  virtual void SetUnits(TppUnitType Value);
  TppDataPipeline* DataPipeline() const { return FDataPipeline; }
  virtual void SetDataPipeline(TppDataPipeline* Value);
  int Columns() const { return FColumns; }
  void SetColumns(int Value) { FColumns = Value < 1 ? 1 : Value; }
  int32_t mmColumnWidth() const { return FColumnWidth; }
  void SetmmColumnWidth(int32_t Value) { FColumnWidth = Value; }

  // The report at the top of a sub-report tree; itself here.
  virtual TppCustomReport* GetMainReport() { return this; }
  virtual TComponent* GetReportDesigner() const { return GetDesigner(); }
  // Tells the old designer, takes the new one (a designed report kept as a template loads it
  // first), then hands it to every sub-report's child report.
  void SetReportDesigner(TComponent* Designer) { ChangeReportDesigner(Designer, true); }
  // The generation engine: made in the constructor by the factory the generation library
  // installs at start-up (core cannot name it); null while none is installed.
  virtual TppCustomEngine* Engine() const { return FEngine; }
  using TEngineFactory = std::function<TppCustomEngine*(TppCustomReport& Report)>;
  static void SetEngineFactory(TEngineFactory Factory);
  static bool HasEngineFactory();

  // ---- what the engine asks of its report (ppClassEngine.cpp)
  TppPassSettingType PassSetting() const { return FPassSetting; }
  // Modified, and the engine reset.
  void SetPassSetting(TppPassSettingType Value);
  TppNoDataBehaviors NoDataBehaviors() const { return FNoDataBehaviors; }
  // A blank report and a blank page exclude each other: the one just set wins.
  void SetNoDataBehaviors(TppNoDataBehaviors Value);
  bool HasNoDataBehavior(TppNoDataBehaviorType B) const { return (FNoDataBehaviors & ppSetBit(B)) != 0; }
  int PageLimit() const { return FPageLimit; }
  void SetPageLimit(int Value) { FPageLimit = Value < 0 ? 0 : Value; }
  // The left edge of each column, in Units.
  TStringList* ColumnPositions() const { return FColumnPositions.get(); }
  // On when there is no data pipeline.
  bool AutoStop() const { return FDataPipeline == nullptr; }
  bool PrintingAsSubReport() const { return FPrintingAsSubReport; }
  void SetPrintingAsSubReport(bool V) { FPrintingAsSubReport = V; }
  // The report of the sub-report that holds this one; none for a main report.
  virtual TppCustomReport* ParentReport() const { return nullptr; }
  // A sub-report's child report (which always prints as a child).
  virtual bool IsChildReport() const { return false; }
  // Cancels every device job and stops the engine; then, unless the engine's exceptions are
  // silent, raises EPrintError with language string 1023, two line breaks and Message.
  virtual void PrintError(const std::string& Message);
  using TppProducer::PrintError;
  // The report steps of a run, passed to every band and group (the main report's start also
  // prepares each group's keep-together cache).
  virtual void StartOfMainReport();
  virtual void EndOfMainReport();
  virtual void StartOfGeneration();
  virtual void EndOfPage();
  // Event 91.
  void NotifyStartOfReport();
  // The engine's end-page hook: OnEndPage, then the page limit.
  virtual void EngineEndPage(TObject* Sender);
  // The engine's page-finished hook: empty here (the banded report hands the page on).
  virtual void EnginePageFinished(TObject* /*Sender*/) {}
  // Each fires its handler, then its event number.
  virtual void DoOnStartPage();
  virtual void DoOnEndPage();
  virtual void DoOnStartColumn();
  virtual void DoOnEndColumn();
  virtual void DoOnStartFirstPass();
  virtual void DoOnEndFirstPass();
  virtual void DoOnStartSecondPass();
  virtual void DoOnEndSecondPass();
  virtual void DoOnNoData(TObject* Dialog, bool& ShowDialog, TObject* DrawCommand, bool& AddDrawCommand);
  TNotifyEvent OnStartPage, OnEndPage, OnStartColumn, OnEndColumn, OnStartFirstPass, OnEndFirstPass,
      OnStartSecondPass, OnEndSecondPass;
  TppNoDataEvent OnNoData;
  // The producer's reset, then (outside loading) the engine's.
  void Reset() override;
  // The absolute page number the engine stands on; 0 without an engine.
  virtual int AbsolutePageNo() const;
  // The engine stands on the first page past the cached ones (always without an engine).
  bool IsFirstUncachedPage() const;

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

  // ---- definition as a whole (ppClassTransfer.cpp)
  // The report's template (saving and loading its definition).
  TppReportTemplate* Template() const { return FTemplate.get(); }
  void SetTemplateName(const std::string& Value);
  bool SaveAsTemplate() const { return FSaveAsTemplate; }
  void SetSaveAsTemplate(bool Value) { FSaveAsTemplate = Value; }
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }
  // Frees every band and group.
  virtual void FreeBands();
  // The bands a new report starts with (the banded report's); none here.
  virtual void CreateDefaultBands() {}
  // Data pipelines of a loaded sub-report found again by name in its main report's owner.
  virtual void ResolveDataPipelines() {}
  // Moves Source's whole definition (settings, bands, groups) into this report; Source is left
  // without bands and groups.
  void Transfer(TPersistent* Source) override;

  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  // Bands outside groups, then the groups (which stream their own bands).
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  // The producer's conversion, then every band's and group's.
  void ConvertFromVersion(int Version) override;

  // ---- the page-state cache: the groups, the bands and their objects
  void RegisterCacheManager(TppCacheManager* Manager) override;
  void UnregisterCacheManager(TppCacheManager* Manager) override;
  void GetCacheables(const std::function<void(TppCacheable*)>& Add) override;
  bool IsEnginePrinting() const override { return Printing(); }
  void StopEngine() override;

protected:
  void Destroying() override;

private:
  void CreateEngine();
  void ChangeReportDesigner(TComponent* Designer, bool MayLoadTemplate);

  std::vector<TppBand*> FBands;
  std::vector<TppGroup*> FGroups;
  std::vector<TppCacheManager*> FCacheManagers;
  TppUnitType FUnits = utInches;
  TppDataPipeline* FDataPipeline = nullptr;
  int FColumns = 1;
  int32_t FColumnWidth = 0;
  bool FSaveAsTemplate = false;
  bool FModified = false;
  std::unique_ptr<TppReportTemplate> FTemplate;
  TppCustomEngine* FEngine = nullptr;  // owned (the report is its owner)
  TppPassSettingType FPassSetting = psOnePass;
  TppNoDataBehaviors FNoDataBehaviors = static_cast<TppNoDataBehaviors>(ppSetBit(ndBlankPage));
  int FPageLimit = 0;
  std::unique_ptr<TStringList> FColumnPositions;
  bool FPrintingAsSubReport = false;
};
