#pragma once
// The screen device: one page at a time rendered into an off-screen bitmap at a zoom, through the
// same drawing steps as the printer device (ppDeviceDraw.h), so the screen shows what prints. The
// page viewer (output/forms) shows the bitmap; without a viewer the text search keeps a device of
// its own. It also finds the clickable command under a point and redraws a command whose value
// arrived late (page counts) while the report is still being calculated.
#include <functional>
#include <memory>

#include "platform/graphics/Bitmap.h"
#include "ppreport/core/ppDevice.h"

class TppDrawText;
class TppDrawShape;
class TppDrawLine;
class TppDrawImage;
class TppProducer;

// What the screen device asks of the viewer that owns it.
class IppScreenView {
public:
  virtual TppZoomSettingType ZoomSetting() const = 0;
  virtual int ZoomPercentage() const = 0;
  // The visible area the page is laid out in (the scroll box), pixels.
  virtual TSize ViewSize() const = 0;
  virtual TColor PageColor() const = 0;
  virtual bool ViewEnabled() const = 0;
  virtual TppProducer* ViewReport() const = 0;
  virtual void ClearViewReport() = 0;
  // The device's status text changed.
  virtual void DeviceStatusChanged() = 0;
  // A new page was rendered: scroll bars, repaint, page-change notice.
  virtual void DevicePageShown() = 0;
  // The bitmap was rebuilt (zoom, size, cleared page): repaint.
  virtual void DeviceRepaint() = 0;
  // The part R of the bitmap changed (a redrawn command): copy it to the screen.
  virtual void DeviceRectChanged(const TRect& R) = 0;
  // The publisher went away: the viewer forgets the report and resets.
  virtual void DeviceReportGone() = 0;

protected:
  ~IppScreenView() = default;
};

class TppScreenDevice : public TppRasterDevice {
  DECLARE_CLASSINFO(TppScreenDevice)
public:
  // An owner that is a screen view becomes the device's Viewer.
  explicit TppScreenDevice(TComponent* AOwner);
  ~TppScreenDevice() override;

  static std::string DeviceName() { return ppScreenDeviceName; }

  IppScreenView* Viewer() const { return FViewer; }
  void SetViewer(IppScreenView* V) { FViewer = V; }
  TppPage* Page() const { return FPage; }
  TBitmap& Bitmap() { return *FBitmap; }
  int CalculatedZoom() const { return FCalculatedZoom; }
  int PageLeft() const { return FPageLeft; }
  int PageTop() const { return FPageTop; }
  int PageWidth() const { return FPageWidth; }
  int PageHeight() const { return FPageHeight; }
  double ScaleX() const override { return FScaleX; }
  double ScaleY() const { return FScaleY; }

  // ---- the device
  void SetStatus(const std::string& Text) override;
  void CancelJob() override;
  bool RenderDrawCommand(TppDrawCommand* Command) override;
  bool RedrawDrawCommand(TppDrawCommand* Command) override;
  void EndJob() override;
  bool FinalPagesOnly() const override { return false; }
  void ReceivePage(TppPage* Page) override;
  void Reset() override;
  void StartJob() override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

  // ---- navigation (nothing while busy)
  void FirstPage();
  void LastPage();
  void GotoPage(int PageNo);
  int GetAbsolutePageNo() const;
  void CancelReport();
  void ClearPage();

  // ---- layout and drawing
  void RenderPage();
  void CalcPageLayout();
  TppRasterKind RasterKind() const override { return rkScreen; }
  // The page bitmap's canvas while a page is drawn.
  TCanvas* DeviceCanvas() override { return FCanvas; }
  void ComputeDrawRect(TppDrawCommand& Command) override;
  void DrawBorder(TppDrawCommand& Command, const TRect& Rect) override;
  // The first clickable command whose rectangle holds (X, Y), edges included; null when none.
  TppDrawCommand* FindClickable(int X, int Y) const;

  TNotifyEvent OnPageDrawn;

protected:
  void DrawShape(TppDrawShape& Shape);
  void DrawLine(TppDrawLine& Line);
  void DrawImage(TppDrawImage& Image);
  void DrawText(TppDrawText& Text);
  void Destroying() override;

private:
  void DrawRotatedText(TppDrawText& Text);
  void DrawWrappedText(TppDrawText& Text);
  void DirectDrawImage(TppDrawImage& Image);
  void SelectScreenFont(TppDrawText& Text);
  void ShowPageStatus();
  int SpPixels(int32_t Microns, int Axis) const;

  IppScreenView* FViewer = nullptr;
  TppPage* FPage = nullptr;  // owned
  std::unique_ptr<TBitmap> FBitmap;
  TCanvas* FCanvas = nullptr;
  int FCalculatedZoom = 100;
  int FPageLeft = 0, FPageTop = 0, FPageWidth = 0, FPageHeight = 0;
  double FScaleX = 1, FScaleY = 1;
};
