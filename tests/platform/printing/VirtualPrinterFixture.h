#pragma once
// A test with the application running and only the printers the test installs.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/app/Application.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/Printers.h"
#include "platform/printing/VirtualPrinter.h"

class VirtualPrinterTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitializeApplication();
    SetSystemPrintersEnabled(false);
  }
  void TearDown() override {
    UninstallAllPrinters();
    FreeGlobalPrinter();
    FinalizeApplication();
  }
  static std::shared_ptr<TVirtualPrinter> Install(const std::string& Name, TVirtualPrinterConfig C = {},
                                                  bool Default = false) {
    auto P = std::make_shared<TVirtualPrinter>(Name, std::move(C));
    InstallPrinter(P, Default);
    return P;
  }
};
