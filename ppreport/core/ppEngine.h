#pragma once
// TppCustomEngine: the base of the page generation engine. Each report owns one. The base holds the
// state others read (page numbers, the current page, the print position, the state and condition
// sets, the pass and completion flags), the hooks through which the engine tells its report about
// page boundaries, and the stop request; the concrete engine of the generation library supplies
// the abstract operations and does the generating. A cacheable, so the engine's own state is
// saved per page like every other object's.
#include <cstdint>
#include <functional>

#include "platform/graphics/Types.h"
#include "platform/rtl/DateTime.h"
#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppPage.h"

class TppCustomBand;
class TppGroup;

// Bits of the engine state set.
constexpr uint16_t esInitialized = 1;        // the run is initialized
constexpr uint16_t esFirstPass = 2;          // the first pass is running
constexpr uint16_t esSecondPass = 4;         // the second pass is running
constexpr uint16_t esPrintingTitle = 16;     // the title band is being generated
constexpr uint16_t esPrintingSummary = 32;   // the summary band has been offered on this page
constexpr uint16_t esSectionOpened = 64;     // a section sub-report took its page break, waits to start
constexpr uint16_t esSectionRunning = 128;   // a section sub-report is generating its pages
constexpr uint16_t esSectionDone = 256;      // a section sub-report made its last page, not yet sent

// Bits of the print condition set: the band kinds due now. A band's kind bits are the same values.
constexpr uint16_t pcTitle = 1, pcSummary = 2, pcHeader = 4, pcFooter = 8, pcColumnHeader = 16,
                   pcColumnFooter = 32, pcGroupHeader = 64, pcGroupFooter = 128, pcDetail = 256;

using TppLastPageCachedEvent = TEvent<void(TObject* Sender, int& aLastPageCached)>;

class TppCustomEngine : public TppCacheable {
  DECLARE_CLASSINFO(TppCustomEngine)
public:
  // Owner is the report. The concrete engine's constructor ends with its Reset (the base cannot call
  // it: the concrete one does not exist yet while the base is made).
  explicit TppCustomEngine(TComponent* AOwner);
  ~TppCustomEngine() override;

  // ---- state
  int AbsolutePageNo() const { return FAbsolutePageNo; }
  void SetAbsolutePageNo(int V) { FAbsolutePageNo = V; }
  int AbsolutePageCount() const { return FAbsolutePageCount; }
  void SetAbsolutePageCount(int V) { FAbsolutePageCount = V; }
  TppGroup* ControlGroup() const { return FControlGroup; }
  void SetControlGroup(TppGroup* V) { FControlGroup = V; }
  TppGroup* KeepTogetherGroup() const { return FKeepTogetherGroup; }
  void SetKeepTogetherGroup(TppGroup* V) { FKeepTogetherGroup = V; }
  int CurrentColumn() const { return FCurrentColumn; }
  void SetCurrentColumn(int V) { FCurrentColumn = V; }
  uint16_t EngineState() const { return FEngineState; }
  void IncludeEngineState(uint16_t Bits) { FEngineState |= Bits; }
  void ExcludeEngineState(uint16_t Bits) { FEngineState &= static_cast<uint16_t>(~Bits); }
  bool FirstPass() const { return (FEngineState & esFirstPass) != 0; }
  bool SecondPass() const { return (FEngineState & esSecondPass) != 0; }
  uint16_t PrintCondition() const { return FPrintCondition; }
  void IncludePrintCondition(uint16_t Bits) { FPrintCondition |= Bits; }
  void ExcludePrintCondition(uint16_t Bits) { FPrintCondition &= static_cast<uint16_t>(~Bits); }
  // All records of the run are traversed (the data has ended or the run was told to stop).
  bool AllDataTraversed() const { return FAllDataTraversed; }
  void SetAllDataTraversed(bool V) { FAllDataTraversed = V; }
  // A detail band has printed on the current page.
  bool FirstDetailBandPrinted() const { return FFirstDetailBandPrinted; }
  void SetFirstDetailBandPrinted(bool V) { FFirstDetailBandPrinted = V; }
  bool DonePrinting() const { return FDonePrinting; }
  void SetDonePrinting(bool V) { FDonePrinting = V; }
  // The run's flags the bands read and change.
  bool AdvanceRecordPending() const { return FAdvanceRecordPending; }
  void SetAdvanceRecordPending(bool V) { FAdvanceRecordPending = V; }
  bool CalcsOutOfSync() const { return FCalcsOutOfSync; }
  void SetCalcsOutOfSync(bool V) { FCalcsOutOfSync = V; }
  bool CheckForGroupBreaks() const { return FCheckForGroupBreaks; }
  void SetCheckForGroupBreaks(bool V) { FCheckForGroupBreaks = V; }
  // The current page is drawn, not only counted.
  bool DrawPage() const { return FDrawPage; }
  void SetDrawPage(bool V) { FDrawPage = V; }
  bool FirstPassCompleted() const { return FFirstPassCompleted; }
  void SetFirstPassCompleted(bool V) { FFirstPassCompleted = V; }
  bool GenerationStarted() const { return FGenerationStarted; }
  void SetGenerationStarted(bool V) { FGenerationStarted = V; }
  bool LastBandGenerated() const { return FLastBandGenerated; }
  void SetLastBandGenerated(bool V) { FLastBandGenerated = V; }
  int LastPageCached() const { return FLastPageCached; }
  void SetLastPageCached(int V) { FLastPageCached = V; }
  TppPage* GetPage() const { return FPage; }
  TppPage* Page() const { return FPage; }
  TDateTime PrintDateTime() const { return FPrintDateTime; }
  void SetPrintDateTime(TDateTime V) { FPrintDateTime = V; }
  bool Printing() const { return FPrinting; }
  void SetPrinting(bool V) { FPrinting = V; }
  // The rectangle still free on the page, in thousandths of a millimetre.
  TRect PrintPosition() const { return FPrintPosition; }
  void SetPrintPosition(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom);
  // The left edge to the left margin of the page's page definition.
  void MoveToLeftMargin();
  int PageBandCount() const { return FPageBandCount; }
  void SetPageBandCount(int V) { FPageBandCount = V; }
  int ReportBandCount() const { return FReportBandCount; }
  void SetReportBandCount(int V) { FReportBandCount = V; }
  TComponent* Report() const { return FReport; }
  bool SilentExceptions() const { return FSilentExceptions; }
  void SetSilentExceptions(bool V) { FSilentExceptions = V; }
  int32_t SpaceUsed() const { return FSpaceUsed; }
  void SetSpaceUsed(int32_t V) { FSpaceUsed = V; }
  bool StopPrinting() const { return FStopPrinting; }
  // Recorded only: the concrete engine tests it.
  void SetStopPrinting(bool V) { FStopPrinting = V; }

  // ---- the virtual operations (abstract ones: the concrete engine)
  // The current absolute page is the first after the last cached one.
  virtual bool IsFirstUncachedPage() = 0;
  virtual bool GetColumnFinished(int Index) = 0;
  virtual bool GetColumnStarted(int Index) = 0;
  virtual TppCustomBand* GetCurrentBand() = 0;
  virtual int GetBandListIndex() = 0;
  virtual int32_t GetPageBottom() = 0;
  // AbsolutePageCount and AbsolutePageNo here; the concrete engine answers the control group's.
  virtual int GetPageCount() { return FAbsolutePageCount; }
  virtual int GetPageNo() { return FAbsolutePageNo; }
  virtual bool GetPageStarted() { return FPageStarted; }
  virtual void SetColumnFinished(int Index, bool Value) = 0;
  virtual void SetColumnStarted(int Index, bool Value) = 0;
  virtual bool IsPageToGenerate() = 0;
  virtual void ReleaseDataPipelines() = 0;
  // Empty here: the concrete engine ends the run.
  virtual void Stop() {}
  virtual void PageLimitReached() {}
  virtual void Initialize() = 0;
  // Generates the pages PageRequest asks for.
  virtual void Generate(TppPageRequest* PageRequest) = 0;
  // Outside a run: the page, the page numbers, the state and condition sets and the flags cleared.
  virtual void Reset() = 0;
  virtual void ResetPageNumbers(int Count) = 0;
  // The pipelines back where they were at the start of the page.
  virtual void RestoreDataPipelineStates() = 0;
  virtual void SetPageStarted(bool Value) { FPageStarted = Value; }
  virtual void AdvanceRecord() = 0;
  virtual void NextRecord() = 0;

  // ---- hooks: each fires its callback when set
  // AfterSendPage, then ciEnginePageSent in every case.
  void DoAfterSendPage();
  void DoBeforeSendPage();
  void DoOnPageStart();
  void DoOnInitialize();
  void DoOnDataPipelineStatesSaved();
  // The callback may correct LastPageCached.
  void DoOnGetLastPageCached();
  void DoOnEndPage();
  void DoOnPageFinished();

  TNotifyEvent AfterSendPage, BeforeSendPage, OnEndPage, OnPageFinished, OnPageStart, OnInitialize,
      OnDataPipelineStatesSaved;
  TppLastPageCachedEvent OnGetLastPageCached;

protected:
  void Destroying() override;

private:
  int FAbsolutePageNo = 0, FAbsolutePageCount = 0;
  bool FAllDataTraversed = false;
  bool FFirstDetailBandPrinted = false;
  TppGroup* FControlGroup = nullptr;
  TppGroup* FKeepTogetherGroup = nullptr;
  int FCurrentColumn = 0;
  uint16_t FEngineState = 0;
  bool FDonePrinting = false;
  bool FAdvanceRecordPending = false, FCalcsOutOfSync = false, FCheckForGroupBreaks = false, FDrawPage = false,
       FFirstPassCompleted = false, FGenerationStarted = false, FLastBandGenerated = false;
  int FLastPageCached = 0;
  TppPage* FPage = nullptr;  // owned
  uint16_t FPrintCondition = 0;
  TDateTime FPrintDateTime = 0;
  bool FPrinting = false;
  TRect FPrintPosition{};
  int FPageBandCount = 0;
  bool FPageStarted = false;
  TComponent* FReport;
  int FReportBandCount = 0;
  bool FSilentExceptions = false;
  int32_t FSpaceUsed = 0;
  bool FStopPrinting = false;
};
