#pragma once
// The page viewer: a panel holding a scroll box with a paint box that shows the bitmap of its own
// screen device (ppViewr.h). It is given a report, attaches the device to the report's publisher,
// and offers navigation, zoom, printing, cancelling and regeneration; clicks on clickable draw
// commands reach the commands (drill-down). Its notices are also broadcast through its
// walkie-talkie (94 page change, 95 print state, 96 status, 97 reset, 129 mouse down).
#include <memory>
#include <string>

#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "ppreport/core/ppComm.h"
#include "ppreport/output/forms/ppScrollBox.h"
#include "ppreport/output/ppTextSearchCustomEngine.h"
#include "ppreport/output/ppViewr.h"

class TppPrinterSetup;
class TppProducer;

// The paint box of the viewer; it paints from the viewer's screen device.
class TppPaintBox : public TPaintBox {
  DECLARE_CLASSINFO(TppPaintBox)
public:
  explicit TppPaintBox(TComponent* AOwner) : TPaintBox(AOwner) {}
  TppScreenDevice* ScreenDevice() const { return FScreenDevice; }
  void SetScreenDevice(TppScreenDevice* V) { FScreenDevice = V; }

private:
  TppScreenDevice* FScreenDevice = nullptr;
};

class TppViewer : public TPanel, public IppScreenView, public IppSearchViewer {
  DECLARE_CLASSINFO(TppViewer)
public:
  explicit TppViewer(TComponent* AOwner);
  ~TppViewer() override;

  TColor PageColor() const override { return FPageColor; }
  void SetPageColor(TColor Value);
  TppProducer* Report() const { return FReport; }
  void SetReport(TppProducer* Value);
  int ZoomPercentage() const override { return FZoomPercentage; }
  // Kept within 25 ... 250; switches to zsPercentage.
  void SetZoomPercentage(int Value);
  TppZoomSettingType ZoomSetting() const override { return FZoomSetting; }
  void SetZoomSetting(TppZoomSettingType Value);

  TppScreenDevice* ScreenDevice() const override { return FScreenDevice; }
  TppScrollBox* ScrollBox() const { return FScrollBox; }
  TppPaintBox* PaintBox() const { return FPaintBox; }
  TppCommunicator* WalkieTalkie() const override { return FWalkieTalkie; }

  // The scroll box and the paint box, made once (not while the viewer is being read).
  void CreateControls();
  void UpdatePageDef();
  void Reset();
  void RegenerateReport();
  void DisplayAutoSearchDialog();
  // Prints the report on its printer from the page on display; the screen comes back afterwards
  // (and shows the pages again when the print dialog changed the setup).
  void Print();
  void Cancel();
  void FirstPage();
  void LastPage();
  void GotoPage(int PageNo) override;
  void NextPage();
  void PriorPage();
  // 0 up, 1 down, 2 left, 3 right, by a view's height or width.
  void ScrollPage(int Direction);
  int GetAbsolutePageNo() const;
  int GetCalculatedZoom() const;
  std::string GetStatus() const;
  bool GetBusy() const;
  TppPage* GetCurrentPage() const override;
  TSize SearchViewerSize() const override { return TSize{Width(), Height()}; }
  bool IsUpdating() const { return FUpdateCount > 0; }
  bool CanDraw();
  void RefreshPage();
  void UpdateScrollBars();
  // Renders the page for the view and again when that brought a scroll bar.
  void RenderForView();

  TNotifyEvent OnPageChange, OnPrintStateChange, OnStatusChange, OnReset;

  // ---- what the screen device asks
  TSize ViewSize() const override;
  bool ViewEnabled() const override { return Enabled(); }
  TppProducer* ViewReport() const override { return FReport; }
  void ClearViewReport() override { FReport = nullptr; }
  void DeviceStatusChanged() override { DoOnStatusChange(); }
  void DevicePageShown() override;
  void DeviceRepaint() override;
  void DeviceRectChanged(const TRect& R) override;
  void DeviceReportGone() override;

protected:
  void Loaded() override;
  void Resize() override;
  void Destroying() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void PaintBoxPaint(TObject* Sender);
  void PaintBoxClick(TObject* Sender);
  void PaintBoxMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void PaintBoxMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void ReportEventNotify(TppCommunicator* Sender, int EventID);
  void Broadcast(int EventID);
  void DoOnPageChange();
  void DoOnPrintStateChange();
  void DoOnStatusChange();
  void DoOnReset();

  TColor FPageColor = clWindow;
  TppProducer* FReport = nullptr;
  int FZoomPercentage = 100;
  TppZoomSettingType FZoomSetting = zsWholePage;
  TppScreenDevice* FScreenDevice = nullptr;  // owned
  TppScrollBox* FScrollBox = nullptr;          // owned (as its owner)
  TppPaintBox* FPaintBox = nullptr;
  TppCommunicator* FWalkieTalkie = nullptr;  // owned
  bool FPageReady = false, FRedrawing = false, FResetScroll = true;
  TCursor FSavedCursor = crDefault;
  TPoint FMouseDownAt{-1, -1};
  int FUpdateCount = 0;
  // While printing from the viewer.
  std::string FSavedDeviceType;
  bool FSavedShowAutoSearchDialog = false;
  std::unique_ptr<TppPrinterSetup> FSavedPrinterSetup;
};
