#pragma once
// The descriptor of the printer setup.
#include "ppreport/core/ppRTTI.h"

// The published properties, and "Active", "BinNames", "PageDef", "PaperNames",
// "PrintableHeight", "PrintableWidth", "PrinterDescription", "PrinterInfo", "PrinterNames" (read
// only) and "Units".
const TraRTTI& TraTppPrinterSetupRTTI();
