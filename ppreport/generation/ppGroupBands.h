#pragma once
// The group header and footer bands. A group (TppGroup) owns one of each: the header prints when
// the group's break value changes and again at the top of later pages or columns of the group, the
// footer when the group ends. The group holds the grouping settings and the break state; the bands
// apply them when the engine offers them.
#include <cstdint>
#include <string>

#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppEngineBands.h"

class TppGroup;

class TppGroupBand : public TppCustomBand {
  DECLARE_CLASSINFO(TppGroupBand)
public:
  explicit TppGroupBand(TComponent* AOwner);
  ~TppGroupBand() override;

  TppGroup* Group() const { return FGroup; }
  TppGroup* GetGroup() const override { return FGroup; }
  // Takes the group (the caption follows it).
  virtual void SetGroup(TppGroup* Value);
  virtual void GroupChanged();
  // The band belongs to a break that has not finished printing (the group sets it at its break).
  bool Generation() const { return Breaking(); }
  void SetGeneration(bool Value) { SetBreaking(Value); }
  // Generation kept aside while headers reprint above an orphaned footer.
  bool SaveGeneration() const { return FSaveGeneration; }
  void SetSaveGeneration(bool Value) { FSaveGeneration = Value; }

  // The description, the group's number and what it breaks on.
  std::string GetDefaultCaption() const override;
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void PropertyChanged() override;

  void Init() override;
  void RestoreFromCache(int Page) override;
  void SaveToCache(int Page) override;

protected:
  virtual int DescriptionNumber() const = 0;
  // The group lets the band go when either ends.
  void Destroying() override;
  virtual void Detach() = 0;
  void FillGroupRecord(TppBandCacheRecord& Record) const;
  void TakeGroupRecord(const TppBandCacheRecord& Record);

  TppGroup* FGroup = nullptr;

private:
  bool FSaveGeneration = false;
};

class TppGroupHeaderBand : public TppGroupBand, public IppEngineBandSettings {
  DECLARE_CLASSINFO(TppGroupHeaderBand)
public:
  explicit TppGroupHeaderBand(TComponent* AOwner);
  ~TppGroupHeaderBand() override;

  // The page or column break of the current break was taken, or is not wanted.
  bool AlreadyPageBreak() const { return FAlreadyPageBreak; }
  void SetAlreadyPageBreak(bool Value) override { FAlreadyPageBreak = Value; }
  bool AlreadyColumnBreak() const { return FAlreadyColumnBreak; }
  void SetAlreadyColumnBreak(bool Value) { FAlreadyColumnBreak = Value; }

  void SetGroup(TppGroup* Value) override;
  std::string GetBandSortKey() const override;
  TppBandType GetBandType() const override { return btGroupHeader; }
  // Its own bit, with the page and column header bits of a group that reprints there.
  uint16_t GetBandTypeBits() const override;

  void Init() override;
  // A fresh break, a reprint on a later page or column, or nothing; the break's page or column
  // break first.
  void CheckPrintOnPage() override;
  void BeginBandGeneration() override;
  void BeforeBandGenerate() override;
  void CompleteGeneration() override;
  void RestoreFromCache(int Page) override;
  void SaveToCache(int Page) override;

protected:
  int DescriptionNumber() const override { return 192; }
  void Detach() override;

private:
  bool FAlreadyPageBreak = false, FAlreadyColumnBreak = false;
};

class TppGroupFooterBand : public TppGroupBand {
  DECLARE_CLASSINFO(TppGroupFooterBand)
public:
  explicit TppGroupFooterBand(TComponent* AOwner);
  ~TppGroupFooterBand() override;

  void SetGroup(TppGroup* Value) override;
  std::string GetBandSortKey() const override;
  TppBandType GetBandType() const override { return btGroupFooter; }

  // At its break, and for every group at the end of the report.
  void CheckPrintOnPage() override;
  void BeforeBandGenerate() override;
  void CompleteGeneration() override;
  // The outermost footer fetches the next record after it.
  TppCustomBand* CheckNewPage() override;

protected:
  int DescriptionNumber() const override { return 191; }
  void Detach() override;
};

// The group header's page record: the group band's, then AlreadyPageBreak.
#pragma pack(push, 1)
struct TppGroupHeaderCacheRecord {
  TppBandCacheRecord Band;  // Generation in byte 18, AlreadyColumnBreak in byte 19
  uint8_t AlreadyPageBreak;
  uint8_t Reserved[3];
};
#pragma pack(pop)
static_assert(sizeof(TppGroupHeaderCacheRecord) == 24);
