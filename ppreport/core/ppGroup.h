#pragma once
// TppGroup: divides the records of a banded report into groups, breaking on a pipeline field's
// value (btDataField) or on a text component's text (btCustomField). It owns its header and footer
// bands and decides what the engine obeys at a break: new page or column (with thresholds),
// keep-together (the state of every cacheable saved at the group's start, so a group that does
// not fit starts again on the next page), header reprinting, page numbers that restart per group.
// Per page the page cache keeps its 24-byte record (TppGroupCacheRecord).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppComponent.h"
#include "ppreport/core/ppOutlineSettings.h"

class TppBand;
class TppCustomReport;
class TppDataPipeline;
class TppDataPipelineList;
class TppPage;

// One page of a group's state in the page cache, little-endian; the reserved bytes are written as 0.
#pragma pack(push, 1)
struct TppGroupCacheRecord {
  int32_t FirstPageNo;
  int32_t LastPageNo;
  uint8_t Breaking;
  uint8_t Reserved1[3];
  int32_t BreakNo;
  int32_t FirstColumn;
  uint8_t Reserved2;
  uint8_t KeptTogether;
  uint8_t Reserved3[2];
};
#pragma pack(pop)
static_assert(sizeof(TppGroupCacheRecord) == 24);

class TppGroup : public TppCacheable, public IppOutlineParticipant {
  DECLARE_CLASSINFO(TppGroup)
public:
  explicit TppGroup(TComponent* AOwner);
  ~TppGroup() override;

  // ---- report and bands
  TppCustomReport* Report() const { return FReport; }
  void SetReport(TppCustomReport* NewReport);
  TppBand* HeaderBand() const { return FHeaderBand; }
  TppBand* FooterBand() const { return FFooterBand; }
  void SetHeaderBand(TppBand* Band);
  void SetFooterBand(TppBand* Band);
  virtual void RefreshBands();
  void NotifyBandsMoved();
  void ResetReport();
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  bool HasParent() const override { return true; }
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  int GetGroupNo() const;
  int GetIndex() const { return GetGroupNo(); }
  std::string GetDescription() const;
  TppUnitType Units() const { return FUnits; }
  void SetUnits(TppUnitType Value) { FUnits = Value; }

  // ---- options
  bool KeepTogether() const { return FKeepTogether; }
  void SetKeepTogether(bool Value);
  bool NewPage() const { return FNewPage; }
  void SetNewPage(bool Value);
  bool NewColumn() const { return FNewColumn; }
  void SetNewColumn(bool Value);
  bool HeaderForOrphanedFooter() const { return FHeaderForOrphanedFooter; }
  void SetHeaderForOrphanedFooter(bool Value);
  bool ReprintOnSubsequentPage() const { return FReprintOnSubsequentPage; }
  void SetReprintOnSubsequentPage(bool Value);
  bool ReprintOnSubsequentColumn() const { return FReprintOnSubsequentColumn; }
  void SetReprintOnSubsequentColumn(bool Value);
  bool ResetPageNo() const { return FResetPageNo; }
  void SetResetPageNo(bool Value) { FResetPageNo = Value; }
  int32_t mmNewPageThreshold() const { return FNewPageThreshold; }
  int32_t mmNewColumnThreshold() const { return FNewColumnThreshold; }
  float GetNewPageThreshold() const;
  void SetNewPageThreshold(float Value);
  float GetNewColumnThreshold() const;
  void SetNewColumnThreshold(float Value);
  TppBreakType BreakType() const { return FBreakType; }
  void SetBreakType(TppBreakType Value);
  const std::string& BreakName() const { return FBreakName; }
  void SetBreakName(const std::string& Value);
  TppComponent* GetBreakComponent();
  int Position() const { return 0; }

  // ---- pipeline
  TppDataPipeline* DataPipeline() const { return FDataPipeline; }
  void SetDataPipeline(TppDataPipeline* Value);
  const std::string& DataPipelineName() const { return FDataPipelineName; }
  void ResolveDataPipeline(const TppDataPipelineList& List);
  void ReplaceDataPipeline(TppDataPipeline* NewPipeline, const std::string& UserName);
  void RenameDataField(const std::string& OldName, const std::string& NewName);
  void RenameBreakComponent(const std::string& OldName, const std::string& NewName);
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

  // ---- breaks
  std::string GetCurrentValue();
  void CheckForBreak();
  void StartBreak();
  void InitBreakValue();
  void InitializeBreak();
  virtual void Init();
  virtual void StartOfGeneration() {}
  void CheckBeforeGroupBreak();
  void DoBeforeGroupBreak();
  void DoAfterGroupBreak();
  void DoBeforeHeader();
  void DoBeforeFooter();
  void EndBreak();
  bool Breaking() const { return FBreaking; }
  void SetBreaking(bool V) { FBreaking = V; }
  int BreakNo() const { return FBreakNo; }
  void SetBreakNo(int V) { FBreakNo = V; }
  const std::string& BreakValue() const { return FBreakValue; }
  const std::string& PriorValue() const { return FPriorValue; }

  // ---- page numbers
  int FirstPageNo() const { return FFirstPageNo; }
  void SetFirstPageNo(int V) { FFirstPageNo = V; }
  int LastPageNo() const { return FLastPageNo; }
  void SetLastPageNo(int V) { FLastPageNo = V; }
  int FirstColumn() const { return FFirstColumn; }
  void SetFirstColumn(int V) { FFirstColumn = V; }
  bool GetFirstPage() const;
  int GetPageNo() const;
  int GetPageCount() const { return FLastPageNo - FFirstPageNo + 1; }
  void UpdateLastPageNo();
  void UpdateCachedPageNos();
  void SaveToCache(int Page) override;
  void RestoreFromCache(int Page) override;
  void CacheTruncated(int Pages) override;

  // ---- keep-together
  bool KeptTogether() const { return FKeptTogether; }
  void PrepareKeepTogether();
  void ResetKeepTogetherCache();
  void SaveKeepTogetherState();
  virtual void RestoreKeepTogether();

  // ---- outline: the objects below and above the group in the report's outline
  std::vector<TComponent*> GetOutlineChildren() const override;
  TComponent* GetOutlineParent() const override;
  const TClassInfo& GetNodeCreatorClass() const override;
  TppOutlineSettings* GetOutlineSettings() const override { return FOutlineSettings.get(); }
  // Resets the report (its pages no longer match).
  void OutlineSettingsChanged() override { ResetOutlineReport(); }
  void ResetOutlineReport();
  TppOutlineSettings* OutlineSettings() const { return FOutlineSettings.get(); }
  void SetOutlineSettings(const TppOutlineSettings* Value);  // copies; null ignored

  // ---- streaming
  void DefineProperties(TFiler* Filer) override;
  void ReadState(TReader& Reader) override;
  void Loaded() override;
  virtual void ConvertFromVersion(int Version);

  TNotifyEvent AfterGroupBreak, BeforeGroupBreak;
  TppGetBreakValueEvent OnGetBreakValue;

protected:
  void Destroying() override;

private:
  bool IsReadingOrLoading() const { return HasState(csReading) || HasState(csLoading); }
  TppComponent* FindBreakComponent();
  // The break groups of a text component (the generation library's text kinds keep them).
  void JoinBreakComponent(TppComponent* Component);
  void LeaveBreakComponent(TppComponent* Component);
  void GroupChanged();
  bool IsKeepTogetherGroup() const;

  TppComponent* FBreakComponent = nullptr;
  bool FBreaking = false;
  int FBreakNo = 0;
  TppBreakType FBreakType = btDataField;
  std::string FBreakName;
  std::string FBreakValue;
  TppCacheManager* FCacheManager = nullptr;
  TppDataPipeline* FDataPipeline = nullptr;
  std::string FDataPipelineName;
  int FFirstColumn = 0;
  int FFirstPageNo = 0;
  TppBand* FFooterBand = nullptr;
  TppBand* FHeaderBand = nullptr;
  bool FHeaderForOrphanedFooter = true;
  bool FKeepTogether = false;
  bool FKeptTogether = false;
  bool FKeepTogetherSaved = false;  // the restore point of the break in progress is taken
  int FLastPageNo = 0;
  bool FNewColumn = false;
  bool FNewPage = false;
  int32_t FNewColumnThreshold = 0;
  int32_t FNewPageThreshold = 0;
  std::unique_ptr<TppPage> FPageSnapshot;
  std::unique_ptr<TppOutlineSettings> FOutlineSettings;
  std::string FPriorValue;
  TppCustomReport* FReport = nullptr;
  bool FReprintOnSubsequentColumn = true;
  bool FReprintOnSubsequentPage = true;
  bool FResetPageNo = false;
  bool FResettingCache = false;
  bool FLookUpAgain = false;
  TppUnitType FUnits = utInches;
  std::string FOldFieldName;
  float FOldThreshold = 0;
  bool FOldReprint = true;
};
