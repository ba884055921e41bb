#pragma once
// A PDF file drawn page by page through a device context (the Qt painter
// backend over Qt's PDF engine): text stays text with its fonts embedded and
// subset, content streams are compressed.
#include <memory>
#include <string>

#include "platform/graphics/DeviceContext.h"

class TPdfDocument {
public:
  // Nothing is written until the first page begins. Ppi is the devices' resolution.
  explicit TPdfDocument(std::string FileName, int Ppi = 600);
  ~TPdfDocument();
  TPdfDocument(const TPdfDocument&) = delete;
  TPdfDocument& operator=(const TPdfDocument&) = delete;

  // Ends the page before and begins one of this size in hundredths of a
  // millimetre; its device covers the page at Ppi. Raises EFCreateError when
  // the file cannot be made.
  TDeviceContext& BeginPage(int WidthHmm, int HeightHmm);
  // Pixels of the page begun last.
  int PageWidth() const { return FPageWidth; }
  int PageHeight() const { return FPageHeight; }
  // Completes the file (a document without pages gets one empty A4 page).
  // Raises EWriteError when it cannot be written.
  void End();

private:
  struct Impl;
  std::unique_ptr<Impl> D;
  std::string FFileName;
  int FPpi;
  int FPageWidth = 0, FPageHeight = 0;
};
