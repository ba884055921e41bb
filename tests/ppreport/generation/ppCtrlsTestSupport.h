#pragma once
// What the control tests share: the band kinds' report on the real engine (pages of 100 x 100 mm
// with 10 mm margins) with the machine's printers hidden, so that text is measured either on a
// screen bitmap (96 dpi) or on a virtual printer the test installs; and the draw commands of a
// page by class.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"
#include "ppreport/core/ppPrinterList.h"
#include "ppreport/generation/ppCtrls.h"
#include "ppreport/generation/ppShapes.h"
#include "tests/ppreport/generation/ppBandKindsTestSupport.h"

namespace ctrlstest {

using bandkindstest::mm;

class CtrlsOnEngine : public bandkindstest::BandKinds {
protected:
  void SetUp() override {
    SetSystemPrintersEnabled(false);
    UninstallAllPrinters();
    GetPrinterList()->RefreshPrinters();
    BandKinds::SetUp();
    Report->PrinterSetup()->SetPrinterName("Screen");
  }
  void TearDown() override {
    UninstallAllPrinters();
    SetSystemPrintersEnabled(true);
    GetPrinterList()->RefreshPrinters();
  }
  // The report prints on a virtual printer of Dpi on both axes.
  void UsePrinterOf(int Dpi) {
    TVirtualPrinterConfig C;
    C.PixelsPerInchX = C.PixelsPerInchY = Dpi;
    const std::string Name = "Virtual " + std::to_string(Dpi);
    InstallPrinter(std::make_shared<TVirtualPrinter>(Name, C), true);
    GetPrinterList()->RefreshPrinters();
    Report->PrinterSetup()->SetPrinterName(Name);
  }
  // A band of kind T (Height high) on the report, without objects.
  template <class T>
  T* Band(int32_t Height = 10 * mm) {
    auto* B = new T(&Form);
    B->ChangeHeight(Height);
    B->SetReport(Report);
    return B;
  }
  template <class C>
  C* Put(TppBand* B, int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
    auto* O = new C(&Form);
    O->SetBand(B);
    O->SetBounds(Left, Top, Width, Height);
    return O;
  }
  // A label of fixed bounds (AutoSize off, so that measuring leaves them).
  TppLabel* Label(TppBand* B, const std::string& Caption, int32_t Left, int32_t Top, int32_t Width = 30 * mm,
                  int32_t Height = 5 * mm) {
    auto* L = new TppLabel(&Form);
    L->SetBand(B);
    L->SetAutoSize(false);
    L->SetCaption(Caption);
    L->SetBounds(Left, Top, Width, Height);
    return L;
  }
  // The commands of class T on page No, in drawing order.
  template <class T>
  std::vector<T*> Commands(int No) {
    std::vector<T*> L;
    auto It = Report->Pages.find(No);
    if (It == Report->Pages.end()) return L;
    for (int I = 0; I < It->second->GetDrawCommandCount(); ++I)
      if (auto* C = dynamic_cast<T*>(It->second->GetDrawCommand(I))) L.push_back(C);
    return L;
  }
};

}  // namespace ctrlstest
