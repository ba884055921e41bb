#pragma once
// TppBandGeneration: the generation of one band on the engine's current page, and the state that
// lets a band that did not fit go on in the next page or column. Every band kind runs it inside
// itself (TppCustomBand); the detail band runs it in its band engine (ppBandEngine.h), which keeps the
// state outside the band. The steps a kind changes are the virtual hooks; the Base... operations are
// the common behaviour the hooks start from.
//
// All lengths are thousandths of a millimetre from the top edge of the page.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics/Types.h"

class TppComponent;
class TppCustomBand;
class TppCustomEngine;
class TppCustomReport;
class TppPage;

// One page of a band's resume state in the page cache, little-endian; reserved bytes are 0.
#pragma pack(push, 1)
struct TppBandCacheRecord {
  int32_t ObjectListIndex;
  int32_t ObjectIndex;
  uint8_t OverFlow;
  uint8_t PartialGeneration;
  uint8_t Reserved1[2];
  int32_t PartialAdjustment;
  uint8_t PrintPositionBreak;
  uint8_t PrintingSection;
  uint8_t Reserved2[2];  // group and report bands keep their own bytes here
};
#pragma pack(pop)
static_assert(sizeof(TppBandCacheRecord) == 20);

// The generation state, read and written through the band's accessors.
struct TppBandGenerationState {
  bool AllObjectsPrinted = true;
  int Count = 0;
  int32_t CumulativeCurrentPosition = 0;
  int32_t CurrentPosition = 0;
  bool Generating = false;
  bool GenerationComplete = false;
  TppComponent* MaxStretchable = nullptr;
  int ObjectListIndex = 0;
  int ObjectIndex = 0;
  bool OutOfSpace = false;
  bool OverFlow = false;
  int32_t PageBottom = 0;
  bool PartialGeneration = false;
  int32_t PartialAdjustment = 0;
  bool PrintingSection = false;
  bool PrintPositionBreak = false;
  TRect PrintRect{};
  int32_t SpaceUsed = 0;
  int32_t StartingPosition = 0;
  int32_t PendingAdjustment = 0;
};

class TppBandGeneration {
public:
  TppBandGeneration() = default;
  virtual ~TppBandGeneration() = default;
  TppBandGeneration(const TppBandGeneration&) = delete;
  TppBandGeneration& operator=(const TppBandGeneration&) = delete;

  TppBandGenerationState& State() { return FState; }
  const TppBandGenerationState& State() const { return FState; }
  TppCustomBand* GenerationBand() const { return FBand; }

  // Before a run: resume state cleared and the generation lists built again.
  void InitGeneration();
  // One Generate call: cycles until the band is finished, then the fit rule.
  void RunGeneration();
  // The object at the resume position, or null.
  TppComponent* ResumeObject() const;
  // The last page the band printed on (0 before it printed in this run).
  int LastPagePrinted() const { return FLastPagePrinted; }

  void SaveRecord(TppBandCacheRecord& Record) const;
  void RestoreRecord(const TppBandCacheRecord& Record);

  // ---- the hooks, in the order a band kind's generation calls them
  virtual void CheckPrintPosition() = 0;
  virtual void CheckNewPage() = 0;
  virtual void CompleteGeneration() = 0;
  virtual void AfterBandGenerate() = 0;
  virtual void CheckPrintOnPage() = 0;
  virtual void BeforeBandGenerate() = 0;
  virtual void BeginBandGeneration() = 0;
  virtual void CalcBandPrintPosition() = 0;
  virtual void ExtensionHook(TppPage* Page) = 0;
  virtual bool IsPageStartBand() = 0;
  virtual void UpdateSpaceUsed() = 0;

  // ---- the common behaviour of the hooks
  void BaseCheckPrintPosition();
  void BaseCalcBandPrintPosition();
  void BaseUpdateSpaceUsed();
  // Every object's BeginGeneration (the callers add the record advance and the before-print event).
  void BeginObjects();
  // Every object's EndGeneration.
  void EndObjects();

  TppCustomEngine* Engine() const;
  TppCustomReport* Report() const;
  // The band placed at Rect: its current position at the top, the cycle's adjustment prepared.
  void PlaceBand(const TRect& Rect);

protected:
  void SetGenerationBand(TppCustomBand* Band) { FBand = Band; }
  // Raises the print error through the main report: it stops the engine and raises unless its
  // exceptions are silent.
  void GenerationError(const std::string& Message) const;
  void ProcessMessages() const;

private:
  bool Finished() const;
  void RunCycle();
  void GenerateObjects(int ListIndex, int ObjectIndex);
  void GenerateList(int ListIndex, int From);
  void NoteIncomplete(TppComponent& Object, int Index);
  void UpdateExtent(TppComponent& Object);
  void SectionCheck(const std::vector<TppComponent*>& List, int Index);
  void DrawPrintedObjects();
  void CheckFit();
  bool IsDynamic() const;
  std::string BandName() const;
  int StaticListIndex() const;

  TppCustomBand* FBand = nullptr;
  TppBandGenerationState FState;
  // "1" static, "2" stretching, "3" stretch with parent, "4" shift with parent; in key order.
  std::vector<std::pair<char, std::vector<TppComponent*>>> FLists;
  std::map<int, TppComponent*> FPrinted;  // by band index: drawn in z-order
  int32_t FLowestStretchableBottom = 0;
  bool FResumeListNoted = false, FFirstUnfinishedNoted = false, FFirstUnfinishedStretches = false;
  int FLastPagePrinted = 0;
  // What a fixed band that goes on below a page break leaves out of its height on this page.
  int32_t FResumedAdjustment = 0;
  // The first and the last page of the current run of pages the band did not fit on.
  int FStuckSince = 0, FStuckLast = 0;
};
