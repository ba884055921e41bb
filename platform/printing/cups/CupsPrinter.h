#pragma once
// The system's printers: CUPS queues through Qt's print support, with libcups
// where Qt has no call (bins, colour).
#include <memory>
#include <string>
#include <vector>

#include "platform/printing/PrinterDriver.h"

// The CUPS queues in CUPS's order, and the name of the system default queue
// (empty when none is set). Empty when no Qt GUI application exists or CUPS
// cannot be reached.
std::vector<std::shared_ptr<TPrinterDriver>> EnumerateCupsPrinters(std::string& DefaultName);

// Makes the CUPS queues the system's printers of the printer list
// (SetSystemPrinterSource); FinalizeCupsPrinters removes them again.
void InitializeCupsPrinters();
void FinalizeCupsPrinters();
