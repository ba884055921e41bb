#pragma once
// Printables printed by hand: a report on a form whose printer runs into stored pages at the
// screen's resolution (or onto a virtual printer), with the page played back into a call log.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "lxreport/LXPrntr.h"
#include "lxreport/VexaRpt.h"
#include "platform/graphics/CallLogDC.h"
#include "platform/graphics/Canvas.h"
#include "tests/lxreport/LXReportTestSupport.h"
#include "tests/platform/printing/VirtualPrinterFixture.h"

namespace lxtest {

struct TTextCall {
  int X = 0, Y = 0;
  std::string Text;
  bool operator==(const TTextCall&) const = default;
};

inline std::vector<TTextCall> TextCalls(const std::vector<std::string>& Log) {
  std::vector<TTextCall> Out;
  for (const std::string& L : Log) {
    TTextCall T;
    if (std::sscanf(L.c_str(), "ExtTextOut(%d,%d,", &T.X, &T.Y) != 2) continue;
    size_t Q = L.find('"');
    T.Text = L.substr(Q + 1, L.size() - Q - 3);
    Out.push_back(T);
  }
  return Out;
}
inline bool HasCall(const std::vector<std::string>& Log, const std::string& Call) {
  for (const std::string& L : Log)
    if (L == Call) return true;
  return false;
}
inline std::vector<std::string> CallsOf(const std::vector<std::string>& Log, const std::string& Prefix) {
  std::vector<std::string> Out;
  for (const std::string& L : Log)
    if (L.rfind(Prefix, 0) == 0) Out.push_back(L);
  return Out;
}

class LXPrintTest : public VirtualPrinterTest {
protected:
  TGeometryScope Geometry;
  TComponent Form{nullptr};
  TReportPtr Report = NewReport(&Form);
  std::unique_ptr<TLXPrinter> OwnPrinter = std::make_unique<TLXPrinter>();
  TLXPrinter& Printer() { return *OwnPrinter; }
  // A virtual printer at Ppi becomes the default and the run's device.
  void PrintOnPrinterAt(int Ppi) {
    TVirtualPrinterConfig Config;
    Config.PixelsPerInchX = Config.PixelsPerInchY = Ppi;
    Install("Virtual", Config, true);
    OwnPrinter = std::make_unique<TLXPrinter>();
    OwnPrinter->SetDestination(lxdPrinter);
  }

  ~LXPrintTest() override { Report->SetActivePrinter(nullptr); }

  // Every printable prepared, a page begun.
  void StartRun() {
    Report->SetActivePrinter(&Printer());
    Report->PrepareContents();
    if (Printer().Status() != lxsReady) Printer().Cleanup();
    Printer().BeginDoc();
    Printer().NewPage();
  }
  void EndRun() {
    Printer().EndDoc();
    Report->UnprepareContents();
  }
  // Ends the run; the last page's drawing calls.
  std::vector<std::string> EndRunLog() {
    EndRun();
    auto Page = Printer().GetPage(Printer().PageCount());
    if (!Page) return {};
    TCallLogDC Dc(96, TSize{Page->Width(), Page->Height()});
    TCanvas C(&Dc);
    C.Draw(0, 0, *Page);
    return Dc.Log;
  }
  // One line's height in tenths of a millimetre on the stored pages.
  long double LineHeightOf(const TFont& Font) {
    return LXScreenTextExtent(Font, "W").cy / (LXScreenPixelsPerInch() / 254.0L);
  }
};

}  // namespace lxtest
