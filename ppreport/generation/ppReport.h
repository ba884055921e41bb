#pragma once
// TppBandedReport: a report that knows its band classes and makes the bands it lacks before it
// prints. TppReport: the report a user places on a form. It keeps the page-state cache, the
// autosearch criteria, the run-time parameters and the outline, runs the parameter and autosearch
// steps before printing, and serves the publisher's page requests with its engine.
//
// The report side lives in ppReport.cpp (bands, page requests, printing, the report tree), the
// autosearch and parameter steps in ppReportSearch.cpp, streams and copies in ppReportStream.cpp.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ppreport/core/ppAutoSearchRTTI.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppOutline.h"
#include "ppreport/core/ppOutlineReportSettings.h"

class TppAutoSearchField;
class TppCacheManager;
class TppParameterList;
class TppReport;
class TStrings;

class TppBandedReport : public TppCustomReport, public IppOutlineReportParticipant {
  DECLARE_CLASSINFO(TppBandedReport)
public:
  explicit TppBandedReport(TComponent* AOwner);
  ~TppBandedReport() override;

  // The report's band of that kind, null when missing; the detail band is made when missing.
  TppBand* GetHeaderBand() const { return FindBand(btHeader); }
  TppBand* GetTitleBand() const { return FindBand(btTitle); }
  TppBand* GetColumnHeaderBand() const { return FindBand(btColumnHeader); }
  using TppCustomReport::GetDetailBand;
  TppBand* GetDetailBand();
  TppBand* GetColumnFooterBand() const { return FindBand(btColumnFooter); }
  TppBand* GetSummaryBand() const { return FindBand(btSummary); }
  TppBand* GetFooterBand() const { return FindBand(btFooter); }
  TppBand* GetGroupHeaderBand(int GroupIndex) const { return GetBand(btGroupHeader, GroupIndex); }
  TppBand* GetGroupFooterBand(int GroupIndex) const { return GetBand(btGroupFooter, GroupIndex); }

  // A band of Kind made beside the report (uniquely named) and attached: a group band to the group
  // at GroupIndex, any other to the report. Null when the band exists (or the group does not).
  TppBand* CreateBand(TppBandType Kind) override { return CreateBand(Kind, 0); }
  TppBand* CreateBand(TppBandType Kind, int GroupIndex);
  // The default bands on a report without any, a missing detail band, and every group's header
  // and footer.
  virtual void CreateMissingBands();
  void StartJob() override;

  // ---- what sub-reports and the outline ask of a report in the tree
  // Section states of a sub-report reach every engine up to the main report.
  virtual void IncludeEngineState(uint16_t Bits);
  virtual void ExcludeEngineState(uint16_t Bits);
  // Language string 374, ": " and the pipeline's user name ("No Data Pipeline Assigned" without).
  virtual std::string GetReportCaption() const;
  // "%8d|" with the holding sub-report's completed runs, for each sub-report up the tree.
  virtual std::string GetSubReportKey() const;
  // The publisher's status text (the main report's for a child report).
  virtual std::string GetStatus() const;
  virtual void SetStatus(const std::string& Text);

  std::vector<TComponent*> GetOutlineChildren() const override;
  TComponent* GetOutlineParent() const override;
  const TClassInfo& GetNodeCreatorClass() const override;
  TppOutlineSettings* GetOutlineSettings() const override { return FOutlineSettings.get(); }
  void OutlineSettingsChanged() override;
  TppCustomReport* GetOutlineReport() override { return this; }
  std::string GetOutlineCaption() override { return GetReportCaption(); }
  bool IsOutlineSubReport() override { return false; }
  bool IsOutlineSection() override { return true; }
  bool IsLastBandGenerated() override;
  bool IsOutlineDrillDownActive() override { return false; }
  TppOutlineReportSettings* OutlineSettings() const { return FOutlineSettings.get(); }
  void SetOutlineSettings(const TppOutlineReportSettings* Value);

protected:
  std::unique_ptr<TppOutlineReportSettings> FOutlineSettings;
};

// What a child report needs of the sub-report that holds it (the sub-report component answers).
class IppSubReportParent {
public:
  // The child runs completed so far.
  virtual int GetSubReportCount() const = 0;
  // Takes Report as its child report (null: lets it go).
  virtual void AttachReport(TppCustomReport* Report) = 0;
  // (Whether it follows the parent's setup is the component's ParentPrinterSetup.)
  virtual void SetParentPrinterSetup(bool Value) = 0;
  virtual std::string GetSubReportCaption() const = 0;
  virtual void SetExpandAll(bool Value) = 0;

protected:
  ~IppSubReportParent() = default;
};
// The sub-report that holds Report (its relative parent), and the report of the band it sits on.
IppSubReportParent* HoldingSubReport(const TppCustomReport& Report);
TppCustomReport* HoldingSubReportReport(const TppCustomReport& Report);

// Runs the autosearch dialog made from the form registry: hands it the criteria and the report,
// shows it modally and answers whether it closed with OK. The forms library installs it; without
// it the dialog counts as accepted.
using TppAutoSearchDialogRunner =
    std::function<bool(TComponent& Dialog, TppReport& Report, const std::vector<TppAutoSearchField*>& Fields)>;
void SetAutoSearchDialogRunner(TppAutoSearchDialogRunner Runner);

using TppReportInitializeEvent = TEvent<void(TObject* Sender, bool& aCancel)>;
using TppChildReportLoadedEvent = std::function<void(TppCustomReport* Report, TppCustomReport* Child)>;

class TppReport : public TppBandedReport, public IppAutoSearchFields {
  DECLARE_CLASSINFO(TppReport)
public:
  explicit TppReport(TComponent* AOwner);
  ~TppReport() override;

  // ---- the parts the report keeps
  // The report whose engine generates now (a sub-report sets its child report); null when idle.
  TppCustomReport* ActiveReport() const { return FActiveReport; }
  void SetActiveReport(TppCustomReport* Value) { FActiveReport = Value; }
  TppCacheManager* CacheManager() const { return FCacheManager; }
  bool CachePages() const { return FCachePages; }
  // Ignored while a page request is served or when unchanged; otherwise the report is reset.
  void SetCachePages(bool Value);
  // Made on first use.
  TppOutline* Outline();
  bool HasOutline() const { return FOutline != nullptr; }
  // Made on first use, owned by the report's owner with the report as parent.
  TppParameterList* GetParameters();
  void SetParameters(const TppParameterList* Value);
  bool HasParameters() const { return FParameters != nullptr; }
  const std::string& ParametersEditor() const { return FParametersEditor; }
  void SetParametersEditor(const std::string& Value) { FParametersEditor = Value; }
  // Values of older streams.
  const std::string& StoredDataSourceName() const { return FDataSourceName; }
  float RowSpacing() const { return FRowSpacing; }
  bool StoredLandscape() const { return FLandscape; }
  const std::string& StoredPrintingCompleteName() const { return FPrintingCompleteName; }
  bool ServingPageRequest() const { return FServingPageRequest; }

  // ---- autosearch
  int GetAutoSearchFieldCount() const override { return static_cast<int>(FAutoSearchFields.size()); }
  TppAutoSearchField* GetAutoSearchField(int Index) const override;
  const std::vector<TppAutoSearchField*>& AutoSearchFields() const { return FAutoSearchFields; }
  // The first criterion on that pipeline and field (case ignored); null when none.
  TppAutoSearchField* AutoSearchCriteriaByName(const std::string& DataPipelineName,
                                               const std::string& FieldName) const;
  TppAutoSearchField* CreateAutoSearchCriteria(const std::string& DataPipelineName, const std::string& FieldName,
                                               TppSearchOperatorType Operator, const std::string& Expression,
                                               bool Mandatory) override;
  // A criterion with every setting given (background printing re-creates the user's criteria so).
  TppAutoSearchField* CreateAutoSearchField(const std::string& TableName, const std::string& FieldName,
                                            bool Mandatory, const std::string& SearchExpression,
                                            TppSearchOperatorType SearchOperator, TppDataType DataType,
                                            const std::string& FieldAlias) override;
  std::string GetAutoSearchDescriptionAsString();
  void GetAutoSearchDescriptionLines(TStrings& Lines);
  TComponent* AutoSearchDialog() const { return FAutoSearchDialog; }
  bool DisplayAutoSearchDialog() override;

  // ---- printing
  void Print() override;
  // The producer's print without the parameter and autosearch steps.
  virtual void PrintDirect();
  void PrintToDevices() override;
  void PageRequestEvent(TObject* Sender, TppPageRequest* PageRequest) override;
  void Cancel() override;
  void Reset() override;
  void EnginePageFinished() override;
  void EngineEndPage() override;
  void StartOfMainReport() override;
  // The cache keeps Pages pages; the engine's page numbers follow.
  void TruncateCache(int Pages);
  // Resets the engine of every child report of the sub-report tree.
  void ResetChildEngines();
  // ExpandAll on every sub-report that owns a child report.
  void SetSubReportsExpandAll(bool Value);

  // ---- the report tree and the report side
  TppCustomReport* GetMainReport() override;
  using TppCustomReport::GetMainReport;
  void ChildReportLoaded(TppCustomReport* Child) override;
  void SetLanguage(TppLanguageType Value) override;
  void Loaded() override;
  void ChangeOwner(TComponent* NewOwner) override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;

  // ---- children: autosearch criteria and the parameter list
  void AddChild(TppRelative* Child) override;
  void InsertChild(int Position, TppRelative* Child) override;
  int IndexOfChild(const TppRelative* Child) const override;
  void RemoveChild(TppRelative* Child) override;
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  void Transfer(TPersistent* Source) override;
  void ConvertFromVersion(int Version) override;

  // ---- the steps others hook into
  virtual void AutoSearchDialogCloseEvent(TObject* Sender);
  virtual void DoAfterOpenDataPipelines();
  virtual void DoBeforeOpenDataPipelines();
  virtual void DoAfterAutoSearchDialogCreate();
  virtual void DoBeforeAutoSearchDialogCreate();
  virtual void DoAutoSearchDialogClose();
  virtual void DoGetAutoSearchValues();
  // False when OnInitializeParameters or a listener cancels.
  virtual bool DoInitializeParameters();

  TNotifyEvent AfterAutoSearchDialogCreate, AfterOpenDataPipelines, BeforeAutoSearchDialogCreate,
      BeforeOpenDataPipelines, OnAutoSearchDialogClose, OnGetAutoSearchValues;
  TppReportInitializeEvent OnInitializeParameters;
  TppOutlineNodeCreateEvent OnOutlineNodeCreate;
  TppChildReportLoadedEvent ChildReportLoadedHook;

protected:
  void Destroying() override;
  void DefineProperties(TFiler* Filer) override;

private:
  bool AutoSearchStep();
  void OutlineNodeCreated(TObject* Sender, TObject* Node, bool& Accept);
  void AddAutoSearchField(TppAutoSearchField* Field, int Position);

  TppCustomReport* FActiveReport = nullptr;
  TComponent* FAutoSearchDialog = nullptr;
  std::vector<TppAutoSearchField*> FAutoSearchFields;
  TppCacheManager* FCacheManager = nullptr;  // owned (the report is its owner)
  bool FCachePages = false;
  TppOutline* FOutline = nullptr;            // owned (the report is its owner)
  bool FAutoSearchFromPrint = false;
  TppParameterList* FParameters = nullptr;   // owned by the report's owner, child of the report
  std::string FParametersEditor;
  bool FServingPageRequest = false;
  std::string FDataSourceName;
  float FRowSpacing = 0;
  bool FLandscape = false;
  std::string FPrintingCompleteName;
};

// Streaming registration of the report classes (the generation library's start-up).
void InitializeReportUnit();
void FinalizeReportUnit();
