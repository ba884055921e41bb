#pragma once
// The descriptor of the printer setup.
#include "ppreport/core/ppRTTI.h"

// A plain object to scripts (no "Assign"): "Active", "BinNames", "PageDef", "PaperNames",
// "PrintableHeight", "PrintableWidth", "PrinterDescription", "PrinterInfo", "PrinterNames" (read
// only); names, copies, collation, margins, paper size, duplex, orientation and units writable.
const TraRTTI& TraTppPrinterSetupRTTI();
