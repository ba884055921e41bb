#pragma once
// Printer tests on printers the test makes: virtual printers (platform/printing) whose papers,
// bins, resolution and colour the test sets, with the machine's printers hidden; the pp printer
// list is built again from them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"
#include "ppreport/core/ppPrinterList.h"
#include "tests/TestTemp.h"

class ppPrintTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetSystemPrintersEnabled(false);
    UninstallAllPrinters();
  }
  void TearDown() override {
    UninstallAllPrinters();
    SetSystemPrintersEnabled(true);
    GetPrinterList()->RefreshPrinters();
  }
  // Installs a virtual printer; the pp list is built again by Refresh.
  static std::shared_ptr<TVirtualPrinter> Install(const std::string& Name, TVirtualPrinterConfig C = {},
                                                  bool Default = false) {
    auto P = std::make_shared<TVirtualPrinter>(Name, std::move(C));
    InstallPrinter(P, Default);
    return P;
  }
  static TppPrinterList& Refresh() {
    TppPrinterList& L = *GetPrinterList();
    L.RefreshPrinters();
    L.GetDefaultPrinterName();
    return L;
  }
  static std::vector<std::string> Items(const TStrings& L) {
    std::vector<std::string> V;
    for (int I = 0; I < L.Count(); ++I) V.push_back(L.Get(I));
    return V;
  }
  TTestTempFiles TempFiles;
};
