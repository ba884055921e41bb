#pragma once
// TCustomVexaRep: the band report component. A design panel whose children are bands (which
// hold printables), with its page setup, its band switches, its report variables and the
// controller that walks the data. This part keeps the bands in print order (OrderBands), lays
// them out on the design surface (LayoutBands), converts every size when the units change, and
// draws the design surface: rulers, margins, the frame, column ticks and the page-1 thumbnail.
// TVexaRep is the published report over a data set.
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "lxreport/LXBands.h"
#include "lxreport/LXDataAccess.h"
#include "lxreport/LXDesign.h"
#include "lxreport/LXUnits.h"
#include "platform/graphics/Metafile.h"

class TLXCustomController;
class TLXController;
class TLXEvEnvironment;
class TLXPrinter;
class TLXExportFilter;
class TLXPrintable;
class TDataSet;

class TCustomVexaRep : public TLXBasePanel {
  DECLARE_CLASSINFO(TCustomVexaRep)
public:
  explicit TCustomVexaRep(TComponent* AOwner);
  ~TCustomVexaRep() override;

  // Units in which page, band and printable sizes are read and written: the page's.
  TLXUnit Units() const;
  virtual void SetUnits(TLXUnit U);
  // Accepted from 1 to 300.
  void SetZoom(int32_t Z) override;
  void PaintRuler(TLXUnit Units) override;
  virtual void PaintColumns();
  virtual void PaintMargins();
  virtual void PaintFrame();
  // Gives the controller its header, detail and footer bands (nothing here).
  virtual void AssignControllerBands() {}
  // Adds P to the printables the top controller tells when the detail advances.
  virtual void RegisterPrintable(TLXPrintable* P);

  TLXPage* Page() const { return FPage.get(); }
  TVexaRepBands* Bands() const { return FBands.get(); }
  TLXCustomController* Controller() const { return FController.get(); }
  TLXEvEnvironment* Functions() const { return FFunctions.get(); }
  // The bands in print order; not owning.
  const std::vector<TLXCustomBand*>& BandList() const { return FBandList; }
  // The first band of the type in the band list, or null.
  TLXCustomBand* BandOfType(TLXBandType Type) const;

  // A new band of the type on the report, owned by the report's owner (else the report) and
  // named with its prefix and the smallest free number.
  TLXBand* NewBand(TLXBandType Type);
  void RegisterBand(TLXCustomBand* Band);
  void UnregisterBand(TLXCustomBand* Band);
  // Page headers, titles, column headers, the controller's bands, page footers, then the rest
  // in their old order; each band followed by its child chain. Skipped while loading.
  void OrderBands();
  // One below the other from the top margin, at the left margin; title, page header, page
  // footer, summary and overlay bands (and their children) as wide as the margins allow, the
  // others as wide as a column. Skipped while anything is loading and without a page.
  void LayoutBands();
  // While OrderBands runs: appends Band and its child chain to the new order (a band already
  // placed, or going, is skipped).
  void AppendBandChain(TLXCustomBand* Band);

  // The page-1 picture shown on the design surface; dropped when a band or printable moves.
  TMetafile* Thumbnail() const { return FThumbnail.get(); }
  void SetThumbnail(std::unique_ptr<TMetafile> Page);
  bool ThumbnailStale() const { return FThumbnailStale; }
  void InvalidateThumbnail();

  // The run's printer (null outside a run) and whether bands, frames and graphics are drawn
  // on it (false during an export).
  TLXPrinter* ActivePrinter() const { return FActivePrinter; }
  void SetActivePrinter(TLXPrinter* P) { FActivePrinter = P; }
  bool Rendering() const { return FRendering; }
  void SetRendering(bool V) { FRendering = V; }

  // Text extent in Font at the screen's resolution, for the text printables' layout: the width
  // plus 1, and the height.
  int MeasureTextWidth(const TFont* Font, const std::string& Text);
  int MeasureTextHeight(const TFont* Font, const std::string& Text);
  bool Exporting() const { return FExporting; }
  TLXExportFilter* ExportFilter() const { return FExportFilter; }
  void SetExportFilter(TLXExportFilter* Filter);
  // The data sets of the report's form during a run (null outside one), as expressions see them.
  TLXDataSetList* DataSets() const { return FDataSets.get(); }
  // Room left on the page for bands; 0 outside a run.
  int32_t RoomLeft() const;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Loaded() override;
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

protected:
  // Replaces the top controller (a TVexaRep walks a data set).
  void SetController(TLXCustomController* C);
  void Paint() override;
  bool ShowsRulerNumbers() const override { return true; }
  void Destroying() override;
  // 0x401 (page available) with 1 in the low word of wParam: page 1 of the printer becomes the
  // thumbnail.
  void WndProc(TMessage& Message) override;

private:
  bool AnythingLoading() const;
  std::unique_ptr<TLXCustomController, TComponentDeleter> FController;
  std::vector<TLXCustomBand*> FBandList;
  std::unique_ptr<TLXEvEnvironment> FFunctions;
  std::unique_ptr<TVexaRepBands> FBands;
  std::unique_ptr<TLXPage> FPage;
  std::unique_ptr<TMetafile> FThumbnail;
  bool FThumbnailStale = false;
  TLXPrinter* FActivePrinter = nullptr;
  bool FRendering = true;
  std::unique_ptr<TLXDataSetList> FDataSets;
  TLXExportFilter* FExportFilter = nullptr;
  bool FExporting = false;
  // The new order while OrderBands builds it.
  std::vector<TLXCustomBand*> FNewOrder;
  std::unordered_set<TLXCustomBand*> FPlaced;
  std::unordered_map<TLXCustomBand*, TLXCustomBand*> FChildOf;
  bool FOrdering = false;
  int FLayoutLock = 0;  // LayoutBands waits while set
};

// The report component over a data set: its controller is a TLXController whose header,
// detail and footer bands are the title, detail and summary bands.
class TVexaRep : public TCustomVexaRep {
  DECLARE_CLASSINFO(TVexaRep)
public:
  explicit TVexaRep(TComponent* AOwner);
  TLXController* Controller() const;
  TDataSet* DataSet() const;
  void SetDataSet(TDataSet* Value);
  void AssignControllerBands() override;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
};
