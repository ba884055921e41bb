#pragma once
// TppComponent: a printable that sits in a band, and perhaps in a region of that band. It keeps
// its band's units and kind (recorded for streaming), anchors itself to its parent's edges, takes
// its band's pipeline unless told otherwise, listens to the group that resets its value, and
// clamps its bounds to the band at design time. Bounds stay relative to the band inside a region.
//
// Membership has one way in and out: SetBand and SetRegion, which keep the band's object list and
// the region's member list in step with the component's own references. A region is a component
// that carries a member list (AsRegion answers it); the generation library's regions are
// stretchables as well, so the member list is a second base rather than a component kind.
#include <cstdint>
#include <string>
#include <vector>

#include "ppreport/core/ppPrintable.h"

class TppBand;
class TppRegionMembers;
class TppCustomReport;
class TppGroup;

enum TppBandType : int {
  btHeader = 0, btTitle = 1, btColumnHeader = 2, btGroupHeader = 3, btDetail = 4,
  btGroupFooter = 5, btColumnFooter = 6, btSummary = 7, btFooter = 8, btPageStyle = 9,
};

// Anchor sets (TppAnchors) by the names scripts use.
constexpr TppAnchors ppAnchorNone = 0;
constexpr TppAnchors ppAnchorLeft = 1;
constexpr TppAnchors ppAnchorTop = 2;
constexpr TppAnchors ppAnchorRight = 4;
constexpr TppAnchors ppAnchorBottom = 8;

class TppComponent : public TppPrintable {
  DECLARE_CLASSINFO(TppComponent)
public:
  explicit TppComponent(TComponent* AOwner);
  ~TppComponent() override;

  // ---- membership
  TppBand* Band() const { return FBand; }
  virtual void SetBand(TppBand* NewBand);
  // The region the component lies in (a component whose AsRegion answers), or null.
  TppComponent* Region() const { return FRegion; }
  TppRegionMembers* RegionMembers() const;
  // A component that is no region is refused (nothing changes).
  virtual void SetRegion(TppComponent* NewRegion);
  // The member list when this component is a region; null for every other kind.
  virtual TppRegionMembers* AsRegion() { return nullptr; }
  const TppRegionMembers* AsRegion() const { return const_cast<TppComponent*>(this)->AsRegion(); }
  // The region when set, else the band (null when neither).
  virtual TComponent* GetParent() const;
  TComponent* GetParentComponent() const override { return GetParent(); }
  void SetParentComponent(TComponent*) override {}
  bool HasParent() const override { return true; }
  int GetIndex() const;
  int GetParentIndex() const;
  virtual TppComponent* GetNextSibling() const;
  virtual void BringToFront();
  virtual void SendToBack();
  TppBandType BandType() const { return FBandType; }
  int GroupNo() const { return FGroupNo; }

  TppCustomReport* GetReport() const;
  TppCustomReport* GetMainReport() const;
  bool IsNewPage() const;
  void ProcessMessages();
  virtual bool IsCalculated() const { return false; }

  // ---- data pipeline and reset group
  bool ParentDataPipeline() const { return FParentDataPipeline; }
  virtual void SetParentDataPipeline(bool Value);
  void SetDataPipeline(TppDataPipeline* Value) override;
  TppGroup* ResetGroup() const { return FResetGroup; }
  virtual void SetResetGroup(TppGroup* Value);

  // ---- anchors
  TppAnchors Anchors() const { return FAnchors; }
  virtual void SetAnchors(TppAnchors Value);
  bool GetShiftWithParent() const override { return (FAnchors & ppAnchorBottom) != 0; }
  void SetShiftWithParent(bool Value) override;
  // Parent bounds as (left, top, right, bottom), prior bounds as (left, top, width, height).
  virtual TRect GetParentBounds() const;
  virtual TRect GetPriorParentBounds() const;
  void ApplyAnchors();

  // ---- what the band and the stream need of the kinds (the text, variable and stretch kinds answer)
  // A stretching object makes a static band dynamic when added.
  virtual bool IsStretching() const { return false; }
  // A text whose value is saved: kept in the band's save list; its stored place there, -1 none.
  virtual bool IsSavedText() const { return false; }
  virtual int StoredSavePosition() const { return -1; }
  // A variable: kept in the band's variable list in calculation order; its stored order, -1 none.
  virtual bool IsVariable() const { return false; }
  virtual int StoredCalcOrder() const { return -1; }
  // A text component: a group may break on its text, and it keeps the groups that do.
  virtual bool IsText() const { return false; }
  virtual void AddBreakGroup(TppGroup*) {}
  virtual void RemoveBreakGroup(TppGroup*) {}
  // A sub-report (the band's GetSubReports).
  virtual bool IsSubReport() const { return false; }
  // The report a sub-report holds; null for every other object.
  virtual TppCustomReport* ChildReport() const { return nullptr; }
  // A sub-report whose child report prints on its parent's printer setup.
  virtual bool ParentPrinterSetup() const { return false; }

  // ---- overrides
  TComponent* GetReportDesigner() const override;
  int GetLanguageIndex() const override;
  TppPrinter* GetPrinter() const override;
  bool IsReportPrinting() const override;
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;
  void SetmmLeft(int32_t Value) override;
  void SetmmTop(int32_t Value) override;
  void SetmmWidth(int32_t Value) override;
  void SetmmHeight(int32_t Value) override;
  void SetBounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height) override;
  void SetParentWidth(bool Value) override;
  void SetParentHeight(bool Value) override;
  TRect GetClientRect() const override;
  void NotifyBoundsChange() override;
  void InvalidateLayout() override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void DefineProperties(TFiler* Filer) override;
  void ReadState(TReader& Reader) override;

protected:
  void Destroying() override;

private:
  friend class TppBand;
  friend class TppRegionMembers;

  TppAnchors FAnchors = ppAnchorLeft | ppAnchorTop;
  TppBand* FBand = nullptr;
  TppBandType FBandType = btDetail;
  int FGroupNo = -1;
  bool FParentDataPipeline = true;
  TppComponent* FRegion = nullptr;
  TppGroup* FResetGroup = nullptr;
};

// The member list of a region: components that stay band objects while they move, size and
// generate with the region. A region component derives from its component kind and from this,
// and answers AsRegion with it.
class TppRegionMembers {
public:
  virtual ~TppRegionMembers() = default;

  // The region component itself.
  virtual TppComponent* RegionComponent() = 0;
  const TppComponent* RegionComponent() const { return const_cast<TppRegionMembers*>(this)->RegionComponent(); }

  int MemberCount() const { return static_cast<int>(FMembers.size()); }
  TppComponent* GetMember(int Index) const;  // EListError outside
  int IndexOfMember(const TppComponent* Component) const;
  void MoveMemberToFront(TppComponent* Component);
  void MoveMemberToBack(TppComponent* Component);
  // Left, top, width, height when the members were last anchored.
  TRect SavedBounds() const { return FSavedBounds; }
  void SetSavedBounds(const TRect& Bounds) { FSavedBounds = Bounds; }
  // Members re-anchor to the region's new bounds, which are then saved.
  void MembersToBounds();

protected:
  // After a component joined or left the list (its Region already set or cleared).
  virtual void MemberAdded(TppComponent*) {}
  virtual void MemberRemoved(TppComponent*) {}
  // Every member leaves the region (the region component's Destroying).
  void ReleaseMembers();

private:
  friend class TppComponent;
  void AddMember(TppComponent* Component);
  void RemoveMember(TppComponent* Component);

  std::vector<TppComponent*> FMembers;
  TRect FSavedBounds{};
};
