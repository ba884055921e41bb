#pragma once
// A test with only the printers the test installs (the test main started the
// application), and temporary files removed after it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/printing/PrinterList.h"
#include "platform/printing/Printers.h"
#include "platform/printing/VirtualPrinter.h"
#include "tests/TestTemp.h"

class VirtualPrinterTest : public ::testing::Test {
protected:
  void SetUp() override { SetSystemPrintersEnabled(false); }
  void TearDown() override {
    UninstallAllPrinters();
    FreeGlobalPrinter();
  }
  TTestTempFiles TempFiles;
  static std::shared_ptr<TVirtualPrinter> Install(const std::string& Name, TVirtualPrinterConfig C = {},
                                                  bool Default = false) {
    auto P = std::make_shared<TVirtualPrinter>(Name, std::move(C));
    InstallPrinter(P, Default);
    return P;
  }
};
