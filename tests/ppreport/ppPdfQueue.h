#pragma once
// The printer a pp print test prints a PDF on: the CUPS PDF queue, or where CUPS is not reachable a
// virtual PDF printer (said in the output), which the caller uninstalls again.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"
#include "ppreport/core/ppPrinterList.h"
#include "tests/platform/printing/CupsPdfQueue.h"

// Returns the printer's name; Virtual is set only when the virtual printer stands in, writing its
// PDF to OutputFile (none when empty).
inline std::string ppPdfQueueOrVirtual(std::shared_ptr<TVirtualPrinter>& Virtual, const std::string& OutputFile = {},
                                       const std::string& VirtualName = "Virtual PDF") {
  SetSystemPrintersEnabled(true);
  GetPrinterList()->RefreshPrinters();
  for (const std::string& N : GetPrinterList()->Names())
    if (N == CupsPdfQueueName) return N;
  std::printf("CUPS queue %s not reachable: printing on the virtual printer instead\n", CupsPdfQueueName);
  TVirtualPrinterConfig C;
  C.PixelsPerInchX = C.PixelsPerInchY = 100;
  C.OutputFile = OutputFile;
  C.KeepPageImages = false;
  Virtual = std::make_shared<TVirtualPrinter>(VirtualName, C);
  InstallPrinter(Virtual);
  GetPrinterList()->RefreshPrinters();
  return VirtualName;
}
