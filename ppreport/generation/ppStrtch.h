#pragma once
// TppStretchable: a band object whose height is decided while the report prints. It places itself
// on the page (below its band's or region's current position, below the stretchable it shifts
// relative to, or continuing an overflow), lets the kind generate its content between that top and
// the page bottom, carries what did not fit over to the next page, and generates the objects that
// shift relative to it (its shifters) directly below its printed bottom.
//
// Lengths are thousandths of a millimetre from the top edge of the page.
#include <cstdint>
#include <map>
#include <vector>

#include "ppreport/core/ppComponent.h"

class TppCustomBand;

// One page of a stretchable's state in the page cache; unused bytes are 0.
#pragma pack(push, 1)
struct TppStretchableCacheRecord {
  uint8_t DrawComponent;
  uint8_t ShiftersActive;
  uint8_t Reserved1[2];
  int32_t ShifterIndex;
  uint8_t OverFlow;
  uint8_t PartialGeneration;
  uint8_t Reserved2[2];
};
#pragma pack(pop)
static_assert(sizeof(TppStretchableCacheRecord) == 12);

class TppStretchable : public TppComponent {
  DECLARE_CLASSINFO(TppStretchable)
public:
  explicit TppStretchable(TComponent* AOwner);
  ~TppStretchable() override;

  // ---- properties
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool KeepTogether() const { return FKeepTogether; }
  void SetKeepTogether(bool Value);
  bool KeptTogether() const { return FKeptTogether; }
  void SetKeptTogether(bool Value) { FKeptTogether = Value; }
  TppStretchable* ShiftRelativeTo() const { return FShiftRelativeTo; }
  // Refuses a cycle or a region relative to one of its members (EInvalidPropertyError).
  virtual void SetShiftRelativeTo(TppStretchable* Value);
  int ShifterCount() const { return static_cast<int>(FShifters.size()); }
  TppStretchable* GetShifter(int Index) const { return FShifters.at(static_cast<size_t>(Index)); }
  int32_t mmBottomOffset() const { return FBottomOffset; }
  void SetmmBottomOffset(int32_t Value);
  int32_t mmOverFlowOffset() const { return FOverFlowOffset; }
  void SetmmOverFlowOffset(int32_t Value);
  int32_t mmStopPosition() const { return FStopPosition; }
  void SetmmStopPosition(int32_t Value);
  // The published offsets, in Units.
  float GetBottomOffset() const { return MMThousandthsToUnits(FBottomOffset, Units(), 1); }
  void SetBottomOffset(float V) { SetmmBottomOffset(UnitsToMMThousandths(Units(), 1, V)); }
  float GetOverFlowOffset() const { return MMThousandthsToUnits(FOverFlowOffset, Units(), 1); }
  void SetOverFlowOffset(float V) { SetmmOverFlowOffset(UnitsToMMThousandths(Units(), 1, V)); }
  float GetStopPosition() const { return MMThousandthsToUnits(FStopPosition, Units(), 1); }
  void SetStopPosition(float V) { SetmmStopPosition(UnitsToMMThousandths(Units(), 1, V)); }

  // ---- generation state
  int32_t CurrentPosition() const { return FCurrentPosition; }
  void SetCurrentPosition(int32_t V) { FCurrentPosition = V; }
  int32_t PageBottom() const { return FPageBottom; }
  void SetPageBottom(int32_t V) { FPageBottom = V; }
  int32_t PartialAdjustment() const { return FPartialAdjustment; }
  bool PartialGeneration() const { return FPartialGeneration; }
  void SetPartialGeneration(bool V) { FPartialGeneration = V; }
  bool ShiftersActive() const { return FShiftersActive; }

  // The parent is a dynamic band, or a stretching stretchable in a dynamic band.
  bool IsContainerDynamic() const;
  // Prints down to PageBottom: stretching in a dynamic container, or with a stop position.
  bool StopsAtPageBottom() const;
  // The object may move whole to the next page instead of splitting: something printed above it.
  bool KeepTogetherApplies() const;
  // A sub-report printing as a section.
  virtual bool PrintsAsSection() const { return false; }
  // For a container of members (a region): the member whose bottom is lowest while it stretches,
  // which what shifts with the container keeps its designed gap below.
  virtual TppStretchable* MaxStretchable() const { return nullptr; }

  // ---- generation
  // This page's top; sets CurrentPosition and PageBottom.
  virtual int32_t CalcPrintPosition();
  // The kind's content between the print top and PageBottom: leaves SpaceUsed, sets OverFlow when
  // it goes on in the next page.
  virtual void GenerateContent() {}
  virtual void AddShifter(TppStretchable* Object);
  virtual void RemoveShifter(TppStretchable* Object);

  void Generate() override;
  void BeginGeneration() override;
  void EndGeneration() override;
  void Init() override;
  void PrintToPage(TppPage* Page) override;
  void RestoreFromCache(int Page) override;
  void SaveToCache(int Page) override;
  void SetRegion(TppComponent* NewRegion) override;
  // A chain stays inside one band: moving to another band leaves it.
  void SetBand(TppBand* NewBand) override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void SetAnchors(TppAnchors Value) override;
  void SetReprintOnOverFlow(bool Value) override;
  void SetStretchWithParent(bool Value) override;
  void SetShiftWithParent(bool Value) override;
  bool IsStretching() const override { return FStretch; }
  void DefineProperties(TFiler* Filer) override;

protected:
  void BoundsChanged() override;
  // The band, when the object sits in one.
  TppCustomBand* GenerationBand() const;
  // The stretchable the object lies in (its region), or null when it lies in the band.
  TppStretchable* ParentStretchable() const;
  // Ends every setter: the property-changed notice and the band layout.
  void Changed();
  // The stretchable's part of a page record, for kinds whose record is longer (their bytes in the
  // reserved ones and after).
  void FillStretchableRecord(TppStretchableCacheRecord& Record) const;
  // The stop position while generating: no change notice (which would reset the report).
  void AssignmmStopPosition(int32_t Value) { FStopPosition = Value; }
  void TakeStretchableRecord(const TppStretchableCacheRecord& Record);
  void SetPartialAdjustment(int32_t V) { FPartialAdjustment = V; }

private:
  void GenerateShifters(int From);
  bool Adjusting() const;

  int32_t FBottomOffset = 0;
  bool FKeepTogether = false, FKeptTogether = false;
  int32_t FOverFlowOffset = 0;
  std::vector<TppStretchable*> FShifters;
  TppStretchable* FShiftRelativeTo = nullptr;
  int32_t FStopPosition = 0;
  bool FStretch = false;
  bool FAllShiftersPrinted = true;
  int32_t FCurrentPosition = 0;
  bool FShiftersActive = false;
  int FShifterIndex = 0;
  bool FFirstUnfinishedStretches = false, FFirstUnfinishedNoted = false;
  int32_t FPageBottom = 0;
  int32_t FPartialAdjustment = 0;
  bool FPartialGeneration = false;
  std::map<int, TppStretchable*> FPrintedShifters;  // by band index: drawn in z-order
};
