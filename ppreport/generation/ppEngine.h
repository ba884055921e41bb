#pragma once
// TppEngine: the page generation engine of every report. It walks the report's band lists in print
// order page by page, fills its one page with what the bands draw, decides which pages are drawn
// and which only counted, steps the master, detail and lookup pipelines, finds group breaks, runs
// columns, passes and the no-data rules, and hands each page to its report through the hooks.
// Between pages it saves its state (and the report's cacheables save theirs), so any page can be
// generated again from the state at the end of the page before it.
//
// The page side lives in ppEngine.cpp (run, passes, page properties), ppEngineBody.cpp (one page)
// and ppEnginePages.cpp (page selection, columns, no data); the data side (record traversal, group
// breaks, keep-together, pipelines, the page record) in ppEngineData.cpp.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppEngine.h"

class TppBand;
class TppCustomReport;
class TppDrawText;

// The band lists, in print order (the band list index).
enum TppBandListIndex : int {
  blPageStyle = 0, blHeader = 1, blTitle = 2, blColumnHeader = 3, blGroupHeader = 4, blDetail = 5,
  blGroupFooter = 6, blSummary = 7, blColumnFooter = 8, blFooter = 9, blCount = 10
};

// A pipeline's position as the engine keeps it (16 bytes in the page record).
#pragma pack(push, 1)
struct TppPipelineStateRec {
  uint8_t NoRecords = 0, LastRecord = 0, FirstRecord = 0, Bookmarked = 0;
  uint32_t Bookmark = 0;  // a handle of the pipeline's, 0 for none
  int32_t TraversalCount = 0;
  int32_t RecordNo = 0;
};
#pragma pack(pop)
static_assert(sizeof(TppPipelineStateRec) == 16);

class TppEngine : public TppCustomEngine {
  DECLARE_CLASSINFO(TppEngine)
public:
  static constexpr int CacheRecordBytes = 68;

  // Owner is the report.
  explicit TppEngine(TComponent* AOwner);
  ~TppEngine() override;

  TppCustomReport* CustomReport() const;

  // ---- communicator and cacheable
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;
  void CacheTruncated(int Page) override;
  void RestoreFromCache(int Page) override;
  void SaveToCache(int Page) override;

  // ---- the engine's operations
  bool IsFirstUncachedPage() override;
  bool GetColumnFinished(int Index) override;
  bool GetColumnStarted(int Index) override;
  void SetColumnFinished(int Index, bool Value) override;
  void SetColumnStarted(int Index, bool Value) override;
  TppCustomBand* GetCurrentBand() override;
  TppBand* CurrentBand() const { return FCurrentBand; }
  int GetBandListIndex() override { return FBandListIndex; }
  int BandIndex() const { return FBandIndex; }
  // The page height less the bottom margin and the visible column footer and footer bands.
  int32_t GetPageBottom() override;
  int GetPageCount() override;
  int GetPageNo() override;
  bool GetPageStarted() override;
  void SetPageStarted(bool Value) override;
  bool IsPageToGenerate() override;
  void ReleaseDataPipelines() override;
  void Stop() override;
  void PageLimitReached() override;
  void Initialize() override;
  void Generate(TppPageRequest* PageRequest) override;
  void Reset() override;
  void ResetPageNumbers(int Count) override;
  void RestoreDataPipelineStates() override;
  void AdvanceRecord() override;
  void NextRecord() override;

  // A child engine belongs to a sub-report's child report or to a report printing as one.
  bool IsChildEngine() const;
  bool Columnar() const { return FColumnar; }
  bool PageComplete() const { return FPageComplete; }
  bool ColumnComplete() const { return FColumnComplete; }
  int32_t ColumnStartPosition() const { return FColumnStartPosition; }
  TppDataPipeline* MasterPipeline() const { return FMasterPipeline; }
  TppDataPipeline* DetailPipeline() const { return FDetailPipeline; }
  int LookupPipelineCount() const { return static_cast<int>(FLookupPipelines.size()); }
  TppBand* LastBand() const { return FLastBand; }
  const std::vector<TppBand*>& BandList(int Index) const { return FBandLists[static_cast<size_t>(Index)]; }
  TppDrawText* NoDataText() const { return FNoDataText; }
  TppPageRequest* PageRequest() const { return FPageRequest.get(); }

protected:
  void Destroying() override;

private:
  // ---- page side (ppEngine.cpp, ppEngineBody.cpp)
  void BuildBandLists();
  void GeneratePages();
  void GeneratePage();
  void StartPage();
  void InitPage();
  void GenerateBody(int List, int Band);
  void GenerateBandList(int List, int Start, bool Keep);
  void GenerateBands(const std::vector<TppBand*>& Bands, int Start, bool Keep, int List);
  void GenerateGroupFooters();
  bool IsPageStartedByBand(TppBand* Band) const;
  void StartPass();
  void EndPass();
  void DecideDrawPage();
  void UpdatePageProperties();
  void EndPage();
  void AdjustLastPage();
  // ---- page selection and columns (ppEnginePages.cpp)
  void SetFirstPage();
  void NextPage();
  bool NextPageInList();
  bool ReadPageListEntry();
  void CheckGenerationComplete();
  int ClampRequestedPage(int Page) const;
  void StartColumn();
  bool PositionColumn();
  void EndColumn();
  void HandleNoDataBlankPage();
  void ShowNoDataMessage();
  TComponent* CreateNoDataDialog();
  TppDrawText* CreateNoDataText();
  void ShowNoDataDialog(TComponent*& Dialog, bool Show);
  TppBand* DetailBand() const;
  void ProcessMessages();

  // ---- data side (ppEngineData.cpp)
  void TraverseRecord();
  void TraverseMasterDetail();
  void MoveMaster(bool Forward);
  void StepBack();
  void DoTraversal();
  void CheckGroupBreaks(TppDataPipeline* Pipeline);
  void StartGroupBreaks();
  void InitializeGroups();
  void InitBreakValues();
  void CheckKeepTogether(TppBand* Band);
  void UpdateGroupPageNumbers();
  void OpenDataPipelines();
  void OpenLookupPipelines();
  void OpenDataPipeline(TppDataPipeline* Pipeline);
  void ListenTo(TppDataPipeline* Pipeline);
  void StopListeningTo(TppDataPipeline* Pipeline);
  bool HasData();
  void SaveStatesAtPageEnd();
  void RestoreSavedBookmarks();
  void RestoreCallerBookmarks();
  void FreeCachedBookmarks(int Page);
  void FreeBookmark(TppDataPipeline* Pipeline, TppPipelineStateRec& Rec);
  void SaveDataPipelineState(TppPipelineStateRec& Rec, TppDataPipeline* Pipeline);
  void RestoreDataPipelineState(TppPipelineStateRec& Rec, TppDataPipeline* Pipeline, bool Free);
  TppDataPipeline* DetailBandPipeline() const;
  bool PipelineUsable(TppDataPipeline* P) const;

  bool FAllColumnsStarted = false;
  int FBandIndex = 0;
  int FBandListIndex = 0;
  bool FColumnComplete = false, FColumnar = false;
  int32_t FColumnStartPosition = 0;
  TppBand* FCurrentBand = nullptr;
  uint32_t FStartBookmark = 0, FNextStartBookmark = 0;
  TppDataPipeline* FDetailPipeline = nullptr;
  bool FEndOfFirstPassFired = false, FStartOfFirstPassFired = false;
  TppBand* FLastBand = nullptr;
  int FLastPageGenerated = 0;
  std::vector<TppDataPipeline*> FLookupPipelines;
  bool FMainReportStarted = false;
  TppDataPipeline* FMasterPipeline = nullptr;
  bool FMasterDetailReport = false;
  int FLowestBreakingGroup = 0;
  TComponent* FNoDataDialog = nullptr;
  TppDrawText* FNoDataText = nullptr;  // owned until placed on the page
  bool FPageComplete = false;
  int FPageListIndex = 0;
  std::unique_ptr<TppPageRequest> FPageRequest;
  bool FStartOfSecondPassFired = false, FEndOfSecondPassFired = false;
  bool FDetailTraversed = false, FMasterTraversed = false;
  TppPipelineStateRec FSavedMaster, FSavedDetail, FCallerMaster, FCallerDetail;
  TppDataPipeline* FCallerMasterPipeline = nullptr;
  TppDataPipeline* FCallerDetailPipeline = nullptr;
  bool FPipelineStatesRead = false, FPipelineStatesSaved = false;
  std::array<std::vector<TppBand*>, blCount> FBandLists;
  std::vector<bool> FColumnStarted, FColumnFinished;
  bool FPageStartedFlag = false;
};

// Creates the engine of every report from now on (the generation library's start-up calls it).
void RegisterEngineFactory();
void UnregisterEngineFactory();

// Gives a no-data dialog just made from the form registry its report, language and icon, before
// the report's no-data event is handed it; the forms library installs it.
using TppNoDataDialogPreparer = std::function<void(TComponent& Dialog, TppCustomReport& Report)>;
void SetNoDataDialogPreparer(TppNoDataDialogPreparer Preparer);
// Shows a no-data dialog made from the form registry modally; the forms library installs it. The
// engine only makes, shows and frees the dialog.
using TppNoDataDialogShower = std::function<void(TComponent& Dialog, TppCustomReport& Report)>;
void SetNoDataDialogShower(TppNoDataDialogShower Shower);
