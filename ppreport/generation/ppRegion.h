#pragma once
// Regions: a stretchable rectangle on a band that groups other components. It draws its frame and
// background with its own pen and brush (a TppDrawShape), its members move and size with it, and
// while the report prints it lays its members out the way a band lays out its objects: static
// members first, then stretching ones, then those that stretch or shift with it. It stretches
// with its members, goes on in the next page when a member overflows, and with KeepTogether moves
// whole to the next page (restoring the page and its members' state) instead of splitting.
//
// Members stay in the band's object list; the band leaves them to the region when it generates.
// Lengths are thousandths of a millimetre from the top edge of the page.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "ppreport/core/ppGraphics.h"
#include "ppreport/generation/ppStrtch.h"

class TppPage;

// One page of a region's state in the page cache (20 bytes, little-endian). The member index
// takes the place of a stretchable's shifter index, which goes into the bytes the layout leaves
// unused: its low byte at offset 3, its next two at offsets 10 and 11.
#pragma pack(push, 1)
struct TppRegionCacheRecord {
  uint8_t DrawComponent;
  uint8_t ShiftersActive;
  uint8_t KeptTogether;
  uint8_t ShifterIndexLow;
  int32_t MemberIndex;
  uint8_t OverFlow;
  uint8_t PartialGeneration;
  uint8_t ShifterIndexHigh[2];
  int32_t ListIndex;
  int32_t PartialAdjustment;
};
#pragma pack(pop)
static_assert(sizeof(TppRegionCacheRecord) == 20);

class TppCustomRegion : public TppStretchable, public TppRegionMembers {
  DECLARE_CLASSINFO(TppCustomRegion)
public:
  explicit TppCustomRegion(TComponent* AOwner);
  ~TppCustomRegion() override;

  // ---- membership
  // Only components join; one on another band moves to the region's band first.
  void AddObject(TppComponent* Component);
  void RemoveObject(TppComponent* Component);
  TppComponent* GetObject(int Index) const { return GetMember(Index); }
  int IndexOfObject(const TppComponent* Component) const { return IndexOfMember(Component); }
  int GetObjectCount() const { return MemberCount(); }
  // The member goes to the end of the members and directly above the region's other members in
  // the band's z-order; SendObjectToBack puts it first, right above the region.
  void BringObjectToFront(TppComponent* Member);
  void SendObjectToBack(TppComponent* Member);
  TRect GetSavedBounds() const { return SavedBounds(); }

  // ---- pen and brush
  TppPen* Pen() const { return FPen.get(); }
  TppBrush* Brush() const { return FBrush.get(); }
  void SetPen(const TPen* Value);
  void SetBrush(const TBrush* Value);
  // Transparent follows a clear brush.
  void BrushPenChanged();
  void GetBackgroundColor(TColor& Value, bool& Transparent) const override;
  void GetFontColor(TColor& Value, bool& Transparent) const override;
  void SetBackgroundColor(TColor Value, bool Transparent);
  void SetFontColor(TColor Value, bool Transparent);
  void SetPenWidth(int Width) override;
  void SetTransparent(bool Value) override;
  bool HasFont() const override { return false; }

  // ---- generation
  // The member whose bottom is lowest while the region stretches.
  TppStretchable* MaxStretchable() const override { return FMaxStretchable; }
  void GenerateContent() override;
  void BeginGeneration() override;
  void Init() override;
  void MarkForDrawing() override;
  void PrintToPage(TppPage* Page) override;
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;
  void CacheTruncated(int Pages) override;
  void SaveToCache(int Page) override;
  void RestoreFromCache(int Page) override;

  // ---- the component overrides
  TppRegionMembers* AsRegion() override { return this; }
  TppComponent* RegionComponent() override { return this; }
  void BringToFront() override;
  void SendToBack() override;
  TppComponent* GetNextSibling() const override;
  void SetBand(TppBand* NewBand) override;
  // A region is never a member of a region.
  void SetRegion(TppComponent*) override {}
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  void NotifyBoundsChange() override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void Loaded() override;

protected:
  void MemberAdded(TppComponent* Member) override;
  void MemberRemoved(TppComponent* Member) override;
  void BoundsChanged() override;
  void Destroying() override;

private:
  using TMemberList = std::pair<char, std::vector<TppComponent*>>;
  void BuildMemberLists();
  void GenerateMembers(int ListIndex, int MemberIndex);
  void GenerateMemberList(int ListIndex, int From);
  bool InSectionState() const;
  void ReAnchor();
  void TakeRestorePoint();
  void RestoreKeepTogether();

  std::unique_ptr<TppPen> FPen;
  std::unique_ptr<TppBrush> FBrush;
  // "1" static, "2" stretching, "3" stretch with parent, "4" shift with parent; in key order.
  std::vector<TMemberList> FLists;
  std::map<int, TppComponent*> FPrinted;  // by drawing index
  TppStretchable* FMaxStretchable = nullptr;
  int FListIndex = 0, FMemberIndex = 0;
  bool FAllMembersPrinted = true;
  bool FFirstUnfinishedStretches = false, FFirstUnfinishedNoted = false, FResumeListNoted = false;
  int32_t FLowestBottom = 0;
  // The keep-together restore point: the engine's page and each member's state.
  std::unique_ptr<TppPage> FPageCopy;
  std::vector<std::pair<TppComponent*, std::vector<std::byte>>> FSnapshots;
};

class TppRegion : public TppCustomRegion {
  DECLARE_CLASSINFO(TppRegion)
public:
  explicit TppRegion(TComponent* AOwner);
  ~TppRegion() override;
};

void InitializeRegionUnit();
void FinalizeRegionUnit();
