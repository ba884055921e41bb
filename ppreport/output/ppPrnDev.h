#pragma once
// The printer device: every requested final page drawn on a printer through the pp printer's
// canvas, in printer pixels, each edge converted on its own axis (printers may resolve 600 x 300
// dots per inch). The device makes the copies itself (uncollated: each page n times in a row;
// collated: the page request published once per copy) and keeps the driver's own count at 1, so
// copies never multiply. A cancelled job is thrown away, not ended.
#include <functional>
#include <memory>

#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppPrinter.h"

class TppDrawText;
class TppDrawShape;
class TppDrawLine;
class TppDrawImage;

using TppPrinterPageEvent = std::function<void(TppDevice* Device, TppPage* Page)>;

class TppPrinterDevice : public TppRasterDevice {
  DECLARE_CLASSINFO(TppPrinterDevice)
public:
  explicit TppPrinterDevice(TComponent* AOwner);
  ~TppPrinterDevice() override;

  static std::string DeviceName() { return ppPrinterDeviceName; }

  TppPrinter* Printer() const override { return FPrinter.get(); }
  TCanvas* Canvas() const { return FCanvas; }
  TppRasterKind RasterKind() const override { return rkPrinter; }
  TCanvas* DeviceCanvas() override { return FCanvas; }
  int CollatedCopies() const { return FCollatedCopies; }
  // Whether StartJob begins and EndJob / CancelJob end the printer's document (a sub-report
  // printing into its parent's job sets both off).
  bool StartPrintJob() const { return FStartPrintJob; }
  void SetStartPrintJob(bool V) { FStartPrintJob = V; }
  bool EndPrintJob() const { return FEndPrintJob; }
  void SetEndPrintJob(bool V) { FEndPrintJob = V; }
  // The negated unprintable left and top margins of the page, printer pixels.
  TPoint PageOffset() const { return FPageOffset; }

  void StartJob() override;
  void ReceivePage(TppPage* Page) override;
  void EndJob() override;
  void CancelJob() override;
  bool RenderDrawCommand(TppDrawCommand* Command) override;

  // The command's DrawRect in printer pixels on the current page.
  void ComputeDrawRect(TppDrawCommand& Command) override;
  // The command's border around Rect: Round(weight x dpi / 72) + 1 lines a side, at least 2.
  void DrawBorder(TppDrawCommand& Command, const TRect& Rect) override;

  TppPrinterPageEvent OnStartPage, OnEndPage;

protected:
  // False after starting a further collated pass (the job goes on), True when the copies are done.
  virtual bool NextCollatedCopy();
  virtual void DrawShape(TppDrawShape& Shape);
  virtual void DrawLine(TppDrawLine& Line);
  virtual void DrawImage(TppDrawImage& Image);
  virtual void DrawText(TppDrawText& Text);
  void Destroying() override;

private:
  void StartPage(TppPage& Page);
  void EndPage(TppPage& Page);
  void UpdateStatus(TppPage* Page);
  void DrawRotatedText(TppDrawText& Text);
  void DrawWrappedText(TppDrawText& Text);
  void DrawPicture(TppDrawImage& Image, TGraphic& Graphic);
  void DrawGraphic(TppDrawImage& Image, TGraphic& Graphic);
  int PixelsX(float Microns) const;
  int PixelsY(float Microns) const;

  std::unique_ptr<TppPrinter> FPrinter;
  TCanvas* FCanvas = nullptr;
  int FCollatedCopies = 1;
  bool FFirstPage = true;
  bool FStartPrintJob = true, FEndPrintJob = true;
  TPoint FPageOffset{};
};
