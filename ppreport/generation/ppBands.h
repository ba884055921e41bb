#pragma once
// TppCustomBand: the generating band. The engine asks it to generate on the current page; it prints
// its objects once or repeatedly (its kind's print mode and the engine's print condition decide),
// says how much space it used and whether it ran out of space, and keeps what it needs to go on in
// the next page or column. Every band kind descends from it; the detail band (TppDetailBand) runs
// its generation in a band engine (ppBandEngine.h) instead.
//
// The generation state is reached only through the accessors below, because the detail band keeps
// it in its band engine.
#include <cstdint>
#include <memory>
#include <string>

#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/generation/ppBandGeneration.h"

class TppDetailBandEngine;

// The print condition bit of a band kind (title 1 ... detail 256; the page style shares 4).
uint16_t ppBandKindBit(TppBandType Kind);
// A band sort key: the number formatted "%8d".
std::string ppBandSortKey(int Number);

class TppCustomBand : public TppBand {
  DECLARE_CLASSINFO(TppCustomBand)
public:
  explicit TppCustomBand(TComponent* AOwner);
  ~TppCustomBand() override;

  // ---- what the kinds change (the common behaviour in the base)
  virtual void CheckPrintPosition();
  // The band the generation answers: itself here; kinds use it to force a break or an advance.
  virtual TppCustomBand* CheckNewPage();
  virtual void CompleteGeneration();
  virtual void AfterBandGenerate();
  // Nothing here; kinds set GenerationComplete to keep the band off this page.
  virtual void CheckPrintOnPage();
  virtual void BeforeBandGenerate();
  virtual void BeginBandGeneration();
  virtual void CalcBandPrintPosition();
  // Before the band's objects draw on Page: nothing here.
  virtual void ExtensionHook(TppPage* Page);
  // A band printed at page start (it first asks the engine for a pending record advance).
  virtual bool IsPageStartBand() const { return false; }
  virtual void UpdateSpaceUsed();

  // The band's print condition bits: its kind's bit (a group header adds the page-start bits).
  virtual uint16_t GetBandTypeBits() const { return ppBandKindBit(GetBandType()); }

  // ---- generation state
  bool GetAllObjectsPrinted() const { return State().AllObjectsPrinted; }
  int GetCount() const { return State().Count; }
  int32_t GetCurrentPosition() const { return State().CurrentPosition; }
  int32_t GetCumulativeCurrentPosition() const { return State().CumulativeCurrentPosition; }
  bool GetGenerating() const { return State().Generating; }
  bool GetGenerationComplete() const { return State().GenerationComplete; }
  TppComponent* GetMaxStretchable() const { return State().MaxStretchable; }
  int GetObjectListIndex() const { return State().ObjectListIndex; }
  int GetObjectIndex() const { return State().ObjectIndex; }
  bool GetOutOfSpace() const { return State().OutOfSpace; }
  bool GetOverFlow() const { return State().OverFlow; }
  int32_t GetPageBottom() const { return State().PageBottom; }
  bool GetPartialGeneration() const { return State().PartialGeneration; }
  int32_t GetPartialAdjustment() const { return State().PartialAdjustment; }
  bool GetPrintingSection() const { return State().PrintingSection; }
  bool GetPrintPositionBreak() const { return State().PrintPositionBreak; }
  TRect GetPrintRect() const { return State().PrintRect; }
  int32_t GetSpaceUsed() const { return State().SpaceUsed; }
  int32_t GetStartingPosition() const { return State().StartingPosition; }
  // How far generation moves the remaining objects up in this cycle (objects read it).
  int32_t GetPendingAdjustment() const { return State().PendingAdjustment; }
  void SetAllObjectsPrinted(bool V) { State().AllObjectsPrinted = V; }
  void SetCount(int V) { State().Count = V; }
  void SetCurrentPosition(int32_t V) { State().CurrentPosition = V; }
  void SetCumulativeCurrentPosition(int32_t V) { State().CumulativeCurrentPosition = V; }
  void SetGenerating(bool V) { State().Generating = V; }
  void SetGenerationComplete(bool V) { State().GenerationComplete = V; }
  void SetMaxStretchable(TppComponent* V) { State().MaxStretchable = V; }
  void SetObjectListIndex(int V) { State().ObjectListIndex = V; }
  void SetObjectIndex(int V) { State().ObjectIndex = V; }
  void SetOutOfSpace(bool V) { State().OutOfSpace = V; }
  void SetOverFlow(bool V) { State().OverFlow = V; }
  void SetPageBottom(int32_t V) { State().PageBottom = V; }
  void SetPartialGeneration(bool V) { State().PartialGeneration = V; }
  void SetPartialAdjustment(int32_t V) { State().PartialAdjustment = V; }
  void SetPrintingSection(bool V) { State().PrintingSection = V; }
  void SetPrintPositionBreak(bool V) { State().PrintPositionBreak = V; }
  void SetPrintRect(const TRect& V) { State().PrintRect = V; }
  void SetSpaceUsed(int32_t V) { State().SpaceUsed = V; }
  void SetStartingPosition(int32_t V) { State().StartingPosition = V; }
  // While the main report prints, the object generation resumes at; null otherwise.
  virtual TppComponent* CurrentObject() const;

  // ---- TppBand
  // Generates the band on the engine's current page.
  void Generate() override;
  void Init() override;
  void RestoreFromCache(int Page) override;
  void SaveToCache(int Page) override;
  bool OverFlow() const override { return GetOverFlow(); }
  bool PartialGeneration() const override { return GetPartialGeneration(); }

  // The engine of the band's report (null without one).
  TppCustomEngine* Engine() const;

protected:
  // Where the generation runs: the band's own here, the band engine's for the detail band.
  virtual TppBandGeneration& Generation();
  const TppBandGeneration& Generation() const { return const_cast<TppCustomBand*>(this)->Generation(); }
  TppBandGenerationState& State() { return Generation().State(); }
  const TppBandGenerationState& State() const { return Generation().State(); }
  // The record with the base's 20 bytes filled (kinds with bytes of their own use 18 and 19).
  void FillCacheRecord(TppBandCacheRecord& Record) const { Generation().SaveRecord(Record); }
  void TakeCacheRecord(const TppBandCacheRecord& Record) { Generation().RestoreRecord(Record); }

private:
  class TOwnGeneration;
  std::unique_ptr<TOwnGeneration> FGeneration;
};

// Base of every band kind except the group bands.
class TppBasicBand : public TppCustomBand {
  DECLARE_CLASSINFO(TppBasicBand)
public:
  explicit TppBasicBand(TComponent* AOwner) : TppCustomBand(AOwner) {}
  ~TppBasicBand() override;
};

enum TppColumnTraversalType { ctTopToBottom, ctLeftToRight };
DEFINE_ENUM_INFO(TppColumnTraversalType, "ctTopToBottom", "ctLeftToRight")

// The detail band as far as its band engines need it: printed once per record (BandsPerRecord
// times), generated by a vertical or horizontal band engine chosen at Init.
class TppDetailBand : public TppBasicBand {
  DECLARE_CLASSINFO(TppDetailBand)
public:
  explicit TppDetailBand(TComponent* AOwner);
  ~TppDetailBand() override;

  int BandsPerRecord() const { return FBandsPerRecord; }
  // At least 1; the report is reset.
  void SetBandsPerRecord(int Value);
  TppColumnTraversalType ColumnTraversal() const { return FColumnTraversal; }
  // Columns across take bands of one height: a dynamic band turns static.
  void SetColumnTraversal(TppColumnTraversalType Value);
  // Dynamic is refused while the columns run across.
  void SetPrintHeight(TppPrintHeightType Value) override;
  // The bands printed for the current record so far (its band engine's counter; 0 without one).
  int BandsPerRecordCount() const;

  // The band's own pipeline, else the report's.
  TppDataPipeline* GetDataPipeline() const override;
  TppDataPipeline* DataPipeline() const { return FDataPipeline; }
  // The report's own pipeline is no change; a new one takes the data-aware objects that used the
  // old one (or had none and can find their field in it).
  void SetDataPipeline(TppDataPipeline* Value);
  const std::string& DataPipelineName() const { return FDataPipelineName; }
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void ResolveDataPipeline(const TppDataPipelineList& List) override;
  void ReplaceDataPipeline(TppDataPipeline* NewPipeline, const std::string& UserName) override;
  void DefineProperties(TFiler* Filer) override;
  void ReadState(TReader& Reader) override;
  TppDetailBandEngine* BandEngine() const { return FBandEngine.get(); }

  std::string GetBandSortKey() const override { return ppBandSortKey(5); }
  TppBandType GetBandType() const override { return btDetail; }
  std::string GetDefaultCaption() const override;
  int GetDefaultPrintMode() const override { return 2; }
  bool IsRepeatedBand() const override { return true; }
  TppComponent* CurrentObject() const override { return nullptr; }

  // A new band engine for the run: vertical, or horizontal for columns left to right.
  void Init() override;
  void Generate() override;
  void EndOfPage() override;
  void RestoreFromCache(int Page) override;
  void SaveToCache(int Page) override;

protected:
  TppBandGeneration& Generation() override;
  void Destroying() override;

private:
  TppDataPipeline* FDataPipeline = nullptr;
  std::string FDataPipelineName;
  int FBandsPerRecord = 1;
  TppColumnTraversalType FColumnTraversal = ctTopToBottom;
  std::unique_ptr<TppDetailBandEngine> FBandEngine;
};

// The band unit's start-up and shutdown: the detail band for streaming, the column traversal
// enumeration.
void InitializeBandsUnit();
void FinalizeBandsUnit();

// The detail band's page record: the band's, then the bands-per-record counter.
#pragma pack(push, 1)
struct TppDetailBandCacheRecord {
  TppBandCacheRecord Band;
  int32_t BandsPerRecordCount;
};
#pragma pack(pop)
static_assert(sizeof(TppDetailBandCacheRecord) == 24);
