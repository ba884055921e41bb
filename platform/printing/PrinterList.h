#pragma once
// The installed printers: the system's (CUPS) followed by the virtual printers
// a test installed. With neither, the list is empty and nothing fails.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/printing/PrinterDriver.h"

// Printers in list order. The system's are enumerated again by RefreshPrinters.
std::vector<std::shared_ptr<TPrinterDriver>> InstalledPrinters();
// The name of the default printer: the system's default, else the first
// printer of the list; empty without printers.
std::string DefaultPrinterName();
// Enumerates the system's printers again.
void RefreshPrinters();

// Where the system's printers come from: the printers in the system's order and
// the name of its default (empty when none). InitializeCupsPrinters
// (platform/printing/cups) installs CUPS; without a source only the program's
// own printers are listed.
using TSystemPrinterSource = std::function<std::vector<std::shared_ptr<TPrinterDriver>>(std::string& DefaultName)>;
void SetSystemPrinterSource(TSystemPrinterSource Source);

// Whether the system's printers are listed (on by default). Tests that must
// not depend on the machine switch them off.
void SetSystemPrintersEnabled(bool Enabled);
bool SystemPrintersEnabled();

// Installs a printer of the program's own (after the system's printers);
// Default makes it the default printer while no system printer is listed.
void InstallPrinter(std::shared_ptr<TPrinterDriver> Driver, bool Default = false);
void UninstallPrinter(const std::shared_ptr<TPrinterDriver>& Driver);
void UninstallAllPrinters();

// Start-up of the printing library (after the graphics). FinalizePrinting
// frees the global printer and forgets the system's printers, whose backends
// must not outlive the Qt application; the program's own printers stay
// installed until their owner uninstalls them.
void InitializePrinting();
void FinalizePrinting();
