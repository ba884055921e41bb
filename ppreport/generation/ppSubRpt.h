#pragma once
// TppSubReport: a stretchable that owns a report of its own (its child report) and runs it each time
// its band prints. The child's output reaches the parent's pages in one of three ways:
//   pbChild   the child engine fills a page the size of the sub-report's area on every parent page
//             the band reaches, and the sub-report moves that page's draw commands onto the parent
//             page, stretching down to the page bottom and going on in the next page;
//   pbFixed   the same, into an area of the sub-report's own height (what does not fit is cut off,
//             unless TraverseAllData carries the rest to later pages in slices of that height);
//   pbSection the child's pages become whole pages of the document, with their own page setup.
//
// Drill-down: a band component whose click expands or collapses each instance of the sub-report
// (one instance per completed child run, told apart by expansion keys).
//
// The child run's progress is kept in the page cache (the 48-byte page record), so any parent page
// can be generated again alone.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/StringList.h"
#include "ppreport/core/ppOutlineSettings.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/generation/ppReport.h"
#include "ppreport/generation/ppStrtch.h"

class TppCustomEngine;
class TppCustomReport;
class TppDrawCommand;
class TppPage;
class TppDevice;

// One page of a sub-report's state in the page cache (48 bytes, little-endian; unused bytes 0).
#pragma pack(push, 1)
struct TppSubReportCacheRecord {
  TppStretchableCacheRecord Stretchable;  // Reserved1[0]: kept together; Reserved2[0]: section break taken
  int32_t Count;
  uint8_t ChildRun;
  uint8_t Reserved3[7];
  int32_t LastCachedChildPage;
  uint8_t Completed;
  uint8_t Reserved4[3];
  int32_t ChildPageNo;
  int32_t ChildPageCount;
  uint8_t FirstPassCompleted;
  uint8_t Reserved5[7];
};
#pragma pack(pop)
static_assert(sizeof(TppSubReportCacheRecord) == 48);

namespace ppSubRptDetail {
template <class T>
struct TFirstArg;
template <class C, class A>
struct TFirstArg<void (C::*)(A)> {
  using Type = A;
};
}  // namespace ppSubRptDetail
// The region a stretchable is placed in, as the stretchable takes it.
using TppSubReportRegionArg = ppSubRptDetail::TFirstArg<decltype(&TppStretchable::SetRegion)>::Type;

class TppSubReport : public TppStretchable, public IppOutlineReportParticipant, public IppSubReportParent {
  DECLARE_CLASSINFO(TppSubReport)
public:
  explicit TppSubReport(TComponent* AOwner);
  ~TppSubReport() override;

  // ---- the child report
  TppCustomReport* Report() const { return FReport; }
  TppCustomReport* ChildReport() const override { return FReport; }
  bool IsSubReport() const override { return true; }
  // Makes the child report beside MasterReport when there is none yet.
  void CreateReport(TppCustomReport* MasterReport);
  // The child report's parent changed to this sub-report (null: it left).
  void AttachReport(TppCustomReport* Report) override;
  // The band kinds the child report starts with (bits of TppBandType).
  uint32_t DefaultBands() const;

  // ---- properties
  TppPrintBehaviorType PrintBehavior() const { return FPrintBehavior; }
  void SetPrintBehavior(TppPrintBehaviorType Value);
  bool ParentPrinterSetup() const override { return FParentPrinterSetup; }
  void SetParentPrinterSetup(bool Value) override;
  bool ResetPageNo() const { return FResetPageNo; }
  void SetResetPageNo(bool Value);
  bool NewPrintJob() const { return FNewPrintJob; }
  void SetNewPrintJob(bool Value);
  bool TraverseAllData() const { return FTraverseAllData; }
  void SetTraverseAllData(bool Value);
  bool ExpandAll() const { return FExpandAll; }
  void SetExpandAll(bool Value) override;
  // Drops a component that has left the band first (not while writing).
  TppComponent* DrillDownComponent();
  void SetDrillDownComponent(TppComponent* Value);
  TppOutlineSettings* OutlineSettings() const { return FOutlineSettings.get(); }
  void SetOutlineSettings(const TppOutlineSettings* Value);  // copies
  void SetDataPipeline(TppDataPipeline* Value) override;
  void SetUserName(const std::string& Value) override;
  void SetRegion(TppSubReportRegionArg NewRegion) override;
  void SetShiftRelativeTo(TppStretchable* Value) override;
  void SetParentWidth(bool Value) override;
  void SetBand(TppBand* NewBand) override;
  // The user name, ": " and the pipeline's user name ("No Data Pipeline Assigned" without one).
  std::string GetCaption() override;

  // ---- instances and drill-down
  // Completed child runs in this generation.
  int Count() const { return FCount; }
  int GetSubReportCount() const override { return FCount; }
  std::string GetSubReportCaption() const override { return const_cast<TppSubReport*>(this)->GetCaption(); }
  TStringList& Expansions() { return FExpansions; }
  int ExpansionCount() const { return FExpansions.Count(); }
  // Empty on the main report; else "%8d|" of each enclosing sub-report's Count, innermost first.
  std::string CurrentReportKey() const;
  std::string CurrentExpansionKey() const;
  bool DrillDownActive() const;
  bool DrillDownExpanded() const;

  // ---- outline
  std::vector<TComponent*> GetOutlineChildren() const override;
  TComponent* GetOutlineParent() const override;
  const TClassInfo& GetNodeCreatorClass() const override;
  TppOutlineSettings* GetOutlineSettings() const override { return FOutlineSettings.get(); }
  void OutlineSettingsChanged() override;
  TppCustomReport* GetOutlineReport() override { return FReport; }
  std::string GetOutlineCaption() override { return GetCaption(); }
  bool IsOutlineSubReport() override { return true; }
  bool IsOutlineSection() override { return FPrintBehavior == pbSection; }
  bool IsLastBandGenerated() override;
  bool IsOutlineDrillDownActive() override { return DrillDownActive() && !DrillDownExpanded(); }

  // ---- run state (read by tests and the descriptor)
  int ChildPageNo() const { return FChildPageNo; }
  int ChildPageCount() const { return FChildPageCount; }
  bool ChildRunning() const { return FChildRun; }

  // ---- generation
  bool PrintsAsSection() const override { return FPrintBehavior == pbSection; }
  void PrepareContent() override;
  void StartOfMainReport() override;
  void EndOfMainReport() override;
  void StartOfGeneration() override;
  void Init() override;
  void BeginGeneration() override;
  void EndGeneration() override;
  int32_t CalcPrintPosition() override;
  void GenerateContent() override;
  void CreateDrawCommand(TppPage* Page) override;
  void SaveToCache(int Page) override;
  void RestoreFromCache(int Page) override;

  // ---- the rest
  bool HasColor() const override { return false; }
  bool HasFont() const override { return false; }
  bool IsSimpleComponent() const override { return false; }
  void GetDataPipelines(std::vector<TppDataPipeline*>& List) const override;
  void RenameDataField(TppDataPipeline* Pipeline, const std::string& OldName, const std::string& NewName) override;
  void ReplaceDataPipeline(TppDataPipeline* NewPipeline, const std::string& UserName) override;
  void LanguageChanged() override;
  void ChangeOwner(TComponent* NewOwner) override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;
  void DefineProperties(TFiler* Filer) override;

protected:
  void Destroying() override;

private:
  TppCustomReport* BandReport() const;
  TppCustomEngine* ChildEngine() const;
  void ChangeEngineState(uint16_t Bits, bool Include);
  void InstallDrillDownHandlers();
  void RemoveDrillDownHandlers();
  void DrillDownClick(TppDrawCommand* Command);
  void ResetRunState();
  // One child page for FChildPageNo, with the child engine's hooks replaced meanwhile.
  void GenerateChildPage();
  void ChildStep();
  void FixedStep();
  void SectionStep();
  void SectionPageSent();
  void UpdateCachedRunState();
  void StartSectionJob();
  void EndSectionJob();
  void SetChildPageDef(int32_t Width, int32_t Height);

  TppCustomReport* FReport = nullptr;  // owned
  TppPrintBehaviorType FPrintBehavior = pbChild;
  bool FParentPrinterSetup = true, FResetPageNo = true, FNewPrintJob = false, FTraverseAllData = false,
       FExpandAll = false;
  TppComponent* FDrillDownComponent = nullptr;
  bool FHandlersInstalled = false;
  std::unique_ptr<TppOutlineSettings> FOutlineSettings;
  TStringList FExpansions;
  int FCount = 0;

  // the run state
  bool FChildRun = false, FCompleted = false, FFirstPassCompleted = false, FSectionBreakTaken = false;
  int FChildPageNo = 1, FChildPageCount = 0, FLastCachedChildPage = 0;
  bool FPageGenerated = false, FReportGenerated = false, FBandSectionsOnly = false, FOnMainReport = false;
  int32_t FSavedStopPosition = 0;
  bool FStopPositionSaved = false;
  TppDevice* FSectionDevice = nullptr;  // owned while a section print job runs
  TppCustomEngine* FListenedEngine = nullptr;
};

void InitializeSubReportUnit();
void FinalizeSubReportUnit();
