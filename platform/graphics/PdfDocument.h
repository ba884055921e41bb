#pragma once
// A PDF file drawn page by page through a device context (the Qt painter
// backend over Qt's PDF engine): text stays text with its fonts embedded and
// subset, content streams are compressed. Pages go to the output stream as they
// are finished, so a long document takes no more memory than its largest page.
#include <memory>
#include <string>

#include "platform/graphics/DeviceContext.h"

class TStream;

class TPdfDocument {
public:
  // Nothing is written until the first page begins. Ppi is the devices' resolution. Output is
  // written sequentially and must outlive the document.
  explicit TPdfDocument(TStream& Output, int Ppi = 600);
  ~TPdfDocument();
  TPdfDocument(const TPdfDocument&) = delete;
  TPdfDocument& operator=(const TPdfDocument&) = delete;

  // Ends the page before and begins one of this size in hundredths of a
  // millimetre (in whole points, as PDF readers show paper: A4 is 595 x 842); its
  // device covers the page at Ppi. Raises the output's exception when it failed.
  TDeviceContext& BeginPage(int WidthHmm, int HeightHmm);
  // Pixels of the page begun last.
  int PageWidth() const { return FPageWidth; }
  int PageHeight() const { return FPageHeight; }
  // Completes the document (one without pages gets one empty A4 page). Raises
  // the output's exception (or EWriteError) when it could not all be written.
  void End();

private:
  struct Impl;
  void CheckOutput();
  std::unique_ptr<Impl> D;
  int FPpi;
  int FPageWidth = 0, FPageHeight = 0;
};
