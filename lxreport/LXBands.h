#pragma once
// Bands: the horizontal strips of a report (title, page header, detail, group header...) that
// hold printables. A band is a panel whose parent is always the report; the report keeps its
// bands in BandList in the order a run meets them (OrderBands) and lays them out one below the
// other on the design surface (LayoutBands). A band has at most one child band (the first
// TLXChildBand whose ParentBand it is), may link to another band that must stay on its page,
// and controller bands (sub-details) name a master that runs them. Cycles in the child, link
// and master chains are refused.
#include <cstdint>
#include <memory>
#include <string>

#include "lxreport/LXDesign.h"
#include "lxreport/LXUnits.h"
#include "platform/classes/TypInfo.h"

class TCustomVexaRep;
class TLXCustomController;
class TLXController;
class TLXPrintable;
class TDataSet;

enum TLXBandType : uint8_t {
  rbTitle, rbPageHeader, rbDetail, rbPageFooter, rbSummary, rbGroupHeader, rbGroupFooter, rbSubDetail,
  rbColumnHeader, rbOverlay, rbChild
};
DEFINE_ENUM_INFO(TLXBandType, "rbTitle", "rbPageHeader", "rbDetail", "rbPageFooter", "rbSummary", "rbGroupHeader",
                 "rbGroupFooter", "rbSubDetail", "rbColumnHeader", "rbOverlay", "rbChild")
constexpr int LXBandTypeCount = 11;

// The display title ("Detail") and the name prefix of new bands ("DetailBand") of a type.
std::string LXBandTypeTitle(TLXBandType Type);
std::string LXBandNamePrefix(TLXBandType Type);

class TLXCustomBand;
using TLXBandBeforePrintEvent = TEvent<void(TLXCustomBand* Sender, bool& PrintBand)>;
using TLXBandAfterPrintEvent = TEvent<void(TLXCustomBand* Sender, bool BandPrinted)>;
using TLXOnNeedDataEvent = TEvent<void(TObject* Sender, bool& MoreData)>;

class TLXCustomBand : public TLXBasePanel {
  DECLARE_CLASSINFO(TLXCustomBand)
public:
  explicit TLXCustomBand(TComponent* AOwner);
  ~TLXCustomBand() override;

  virtual std::string BandTypeTitle() const { return LXBandTypeTitle(FBandType); }
  virtual std::string BandNamePrefix() const { return LXBandNamePrefix(FBandType); }
  virtual void SetReport(TCustomVexaRep* Value);
  virtual void BandHook() {}

  TCustomVexaRep* Report() const { return FReport; }
  TLXBandType BandType() const { return FBandType; }
  // Stores the type; a band on a report is ordered and laid out again.
  void SetBandType(TLXBandType Value);
  TLXBandSize* Size() const { return FSize.get(); }
  // The controller whose detail band this is, set when that controller runs.
  TLXCustomController* Controller() const { return FController; }
  void SetController(TLXCustomController* Value) { FController = Value; }
  bool AlignToBottom() const { return FAlignToBottom; }
  void SetAlignToBottom(bool V) { FAlignToBottom = V; }
  bool ForceNewColumn() const { return FForceNewColumn; }
  void SetForceNewColumn(bool V) { FForceNewColumn = V; }
  bool ForceNewPage() const { return FForceNewPage; }
  void SetForceNewPage(bool V) { FForceNewPage = V; }
  // The band's child: the first child band in the report's band list whose ParentBand it is.
  TLXCustomBand* FindChild() const;
  bool HasChild() const { return FindChild() != nullptr; }
  // True makes a child band (on a band that sits on a report); false frees it, handing a
  // grandchild to this band.
  void SetHasChild(bool Value);
  TLXCustomBand* LinkBand() const { return FLinkBand; }
  // Refused when the chain of links from Value reaches this band.
  void SetLinkBand(TLXCustomBand* Value);
  // Set while LayoutBands moves the band.
  bool Laying() const { return FLaying; }
  void SetLaying(bool V) { FLaying = V; }
  int32_t StoredHeight() const { return FStoredHeight; }
  // During a run: extra height from stretching printables, and the band as last drawn.
  long double Expanded = 0;
  TRect OutputRect;

  // ---- Printing during a run (tenths of a millimetre)
  // Events, breaks, background, printables (again on the next column while any is unfinished),
  // frame, the export filter's AcceptBand, then the child band.
  void Render();
  // The fit test: a band that does not fit (or the first band of a run) starts a new column.
  void EnsureRoom();
  // The band's height with the bands it links to (which must share its page).
  long double HeightWithLinks() const;
  // Moves the report's cursor below the band.
  void Advance(long double Saved);
  // Stretching printables: whether Amount more fits, and taking it.
  bool HasRoomFor(long double Amount) const;
  bool GrowBy(long double& NewExpanded, bool& HasGrown, long double Amount);

  TLXBandBeforePrintEvent BeforePrint;
  TLXBandAfterPrintEvent AfterPrint;

  void SetZoom(int32_t Z) override;
  void PaintRuler(TLXUnit Units) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetParent(THeadlessWinControl* AParent) override;
  void Loaded() override;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Destroying() override;
  // The panel, the rulers, the outline, the frame and the band's title.
  void Paint() override;
  // Refuses a link that would close a cycle; says so at design time.
  bool RefuseCircular() const;

private:
  TCustomVexaRep* FReport = nullptr;
  TLXBandType FBandType = rbTitle;
  std::unique_ptr<TLXBandSize> FSize;
  TLXCustomController* FController = nullptr;
  bool FAlignToBottom = false, FForceNewColumn = false, FForceNewPage = false;
  TLXCustomBand* FLinkBand = nullptr;
  bool FLaying = false;
  int32_t FStoredHeight = 40;
};

// A band of any type but child (the type is published).
class TLXBand : public TLXCustomBand {
  DECLARE_CLASSINFO(TLXBand)
public:
  using TLXCustomBand::TLXCustomBand;
};

// A band printed after its parent band, and with it.
class TLXChildBand : public TLXCustomBand {
  DECLARE_CLASSINFO(TLXChildBand)
public:
  explicit TLXChildBand(TComponent* AOwner);
  TLXCustomBand* ParentBand() const { return FParentBand; }
  // Stored only on a band that sits on a report; refused when the chain of parent bands from
  // Value reaches this band.
  void SetParentBand(TLXCustomBand* Value);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TLXCustomBand* FParentBand = nullptr;
};

// A band that owns a controller whose detail band it is (sub-details).
class TLXControllerBand : public TLXCustomBand {
  DECLARE_CLASSINFO(TLXControllerBand)
public:
  explicit TLXControllerBand(TComponent* AOwner);
  ~TLXControllerBand() override;

  // The controller it owns (the one that runs it; Controller() is set to it during a run).
  TLXController* OwnedController() const { return FController.get(); }
  TComponent* Master() const { return FMaster; }
  // Ignored for the band itself; refused when the chain of masters from Value reaches it.
  virtual void SetMaster(TComponent* Value);
  // Appends itself and its child chain to the report's new band order.
  virtual void AppendToBandList();
  bool LocalVariableDefined() const { return FLocalVariableDefined; }

  void SetName(const std::string& NewName) override;
  void SetReport(TCustomVexaRep* Value) override;
  void SetParent(THeadlessWinControl* AParent) override;

protected:
  // The report variable named after the band, when LocalVariableExpression gives one.
  virtual void DefineLocalVariable();
  virtual void UndefineLocalVariable();
  virtual std::string LocalVariableExpression() const { return {}; }
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Destroying() override;

private:
  std::unique_ptr<TLXController, TComponentDeleter> FController;
  TComponent* FMaster = nullptr;
  bool FLocalVariableDefined = false;
};

class TLXSubDetail;

// A sub-detail's header and footer switches.
class TLXSubDetailGroupBands : public TPersistent {
  DECLARE_CLASSINFO(TLXSubDetailGroupBands)
public:
  explicit TLXSubDetailGroupBands(TLXSubDetail* SubDetail = nullptr) : FSubDetail(SubDetail) {}
  bool HasHeader() const;
  void SetHasHeader(bool Value);
  bool HasFooter() const;
  void SetHasFooter(bool Value);

private:
  // Makes or frees the group header (footer) band.
  void Switch(bool Value, TLXBandType Type);
  TLXSubDetail* FSubDetail;
};

// The detail band of a controller of its own: records of another data set printed for each
// record of its master.
class TLXSubDetail : public TLXControllerBand {
  DECLARE_CLASSINFO(TLXSubDetail)
public:
  explicit TLXSubDetail(TComponent* AOwner);

  TLXSubDetailGroupBands* Bands() const { return FBands.get(); }
  TDataSet* DataSet() const;
  void SetDataSet(TDataSet* Value);
  TLXCustomBand* HeaderBand() const;
  // Makes the band a group header (footer) of this sub-detail.
  void SetHeaderBand(TLXCustomBand* Value);
  TLXCustomBand* FooterBand() const;
  void SetFooterBand(TLXCustomBand* Value);
  bool PrintBefore() const;
  void SetPrintBefore(bool Value);
  bool PrintIfEmpty() const;
  void SetPrintIfEmpty(bool Value);
  // Adds a printable to the printables told when this sub-detail's record advances.
  void RegisterWithSubDetail(TLXPrintable* Printable);
  void AppendToBandList() override;

  // Record source when there is no data set; the run hands it to the controller.
  TLXOnNeedDataEvent OnNeedData;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  std::unique_ptr<TLXSubDetailGroupBands> FBands;
};

// The report's switches for its title, page header, column header, detail, page footer and
// summary bands.
class TVexaRepBands : public TPersistent {
  DECLARE_CLASSINFO(TVexaRepBands)
public:
  explicit TVexaRepBands(TCustomVexaRep* Report = nullptr) : FReport(Report) {}
  // Whether the report has a band of the type; true makes one, false frees the first.
  bool Has(TLXBandType Type) const;
  void SetHas(TLXBandType Type, bool Value);

private:
  TCustomVexaRep* FReport;
};
