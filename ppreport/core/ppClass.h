#pragma once
// TppCustomReport as its bands, groups and band objects see it: the producer plus the band and group
// lists, the units, the master pipeline and the column layout. The rest of the report model
// (templates, columns layout steps, the engine's running) builds on this class.
#include <memory>
#include <string>
#include <vector>

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
  // The generation engine (the banded report makes it); null here.
  virtual TppCustomEngine* Engine() const { return nullptr; }
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
  void StopEngine() override {}

protected:
  void Destroying() override;

private:
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
};
