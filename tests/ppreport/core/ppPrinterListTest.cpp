// The pp printer list over virtual printers: its two pseudo entries, the default printer, lookups,
// and the capability lists lined up from what drivers report.
#include <gtest/gtest.h>

#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppPrinterList.h"
#include "tests/ppreport/core/ppPrintTestSupport.h"

namespace {

class ppPrinterListTest : public ppPrintTest {};

TEST_F(ppPrinterListTest, EntriesDefaultPrinterAndLookups) {
  Install("Alpha");
  auto Beta = Install("Beta", {}, true);
  TppPrinterList& L = Refresh();
  EXPECT_EQ((std::vector<std::string>{"Default", "Screen", "Alpha", "Beta"}), L.Names());
  EXPECT_EQ("Beta", L.DefaultPrinterName());
  EXPECT_EQ("Beta", L.GetPrinterInfo("Default")->Name());
  EXPECT_EQ("Alpha", L.GetPrinterInfo("aLPHA")->Name());
  EXPECT_EQ("Alpha", L.GetPrinterInfo("Alpha on usb://x")->Name());  // a device on a port
  EXPECT_EQ("Alpha", L.PrinterNameForDevice("ALPHA"));
  EXPECT_EQ("", L.PrinterNameForDevice("Gamma"));
  EXPECT_EQ("Beta", L.GetPrinterInfo("Gamma")->Name());  // unknown: the default printer
  EXPECT_EQ(nullptr, L.GetPrinterInfo("Gamma", false));
  EXPECT_EQ("Screen", L.GetPrinterInfo("Screen")->Device());
  EXPECT_EQ("Virtual Printer", L.GetPrinterInfo("Alpha")->Driver());

  // The system's default moves; the list answers the old one until it reads the default again.
  UninstallPrinter(Beta);
  auto Alpha2 = Install("Alpha2", {}, true);
  L.RefreshPrinters();  // the list, not the default
  EXPECT_EQ("Beta", L.DefaultPrinterName());
  EXPECT_EQ(nullptr, L.GetPrinterInfo("Default"));  // Beta is gone from the list
  EXPECT_EQ("Alpha2", L.GetDefaultPrinterName());
  EXPECT_EQ("Alpha2", L.GetPrinterInfo("Default")->Name());
}

TEST_F(ppPrinterListTest, WithoutPrintersTheScreenIsTheDefault) {
  TppPrinterList& L = Refresh();
  EXPECT_EQ(2, L.GetCount());
  EXPECT_EQ("Screen", L.DefaultPrinterName());
  EXPECT_EQ("Screen", L.GetPrinterInfo("Default")->Name());
  EXPECT_EQ("Screen", L.GetPrinterInfo("Anything")->Name());
  EXPECT_EQ(nullptr, GetSharedPrinter());

  TppPrinterCapabilities* None = GetNoPrinterInfo()->GetCapabilities();
  EXPECT_EQ("No Printer Installed", None->PrinterName);
  EXPECT_EQ(std::vector<std::string>{"Custom"}, Items(None->PaperNames));
  EXPECT_EQ(std::vector<std::string>{"256"}, Items(None->Papers));
  EXPECT_EQ(std::vector<std::string>{"Default"}, Items(None->BinNames));
  EXPECT_EQ(std::vector<std::string>{"7"}, Items(None->Bins));

  Install("Alpha");
  Refresh();
  EXPECT_NE(nullptr, GetSharedPrinter());
}

TEST_F(ppPrinterListTest, ScreenPapers) {
  TppPrinterCapabilities* C = Refresh().GetPrinterInfo("Screen")->GetCapabilities();
  EXPECT_EQ((std::vector<std::string>{"256", "1", "5", "8", "9", "17", "39", "40", "19", "20", "21", "22", "23"}),
            Items(C->Papers));
  EXPECT_EQ("Custom", C->PaperNames.Get(0));
  EXPECT_EQ("A4 210 x 297 mm", C->PaperNames.Get(4));
  EXPECT_EQ("0", C->PaperWidths.Get(0));
  EXPECT_EQ("2159", C->PaperWidths.Get(1));
  EXPECT_EQ("2970", C->PaperHeights.Get(4));
  EXPECT_EQ(std::vector<std::string>{"Default"}, Items(C->BinNames));
}

// What drivers report, lined up: names to codes, "Custom" last, papers without a size dropped,
// bins cut to the shorter list with "Default" in front.
TEST_F(ppPrinterListTest, CapabilitiesAreLinedUp) {
  struct TCase {
    const char* What;
    TDriverCapabilities Reported;
    std::vector<std::string> Names, Codes, Widths, Heights, BinNames, Bins;
  };
  const TCase Cases[] = {
      {"code 256 named as a user paper",
       {{"Letter", "A4", "User defined"}, {1, 9, 256}, {{2159, 2794}, {2100, 2970}, {0, 0}}, {}, {}},
       {"Letter", "A4", "Custom"}, {"1", "9", "256"}, {"2159", "2100", "0"}, {"2794", "2970", "0"},
       {"Default"}, {"7"}},
      {"a user paper without code 256 goes last under its own code",
       {{"Letter", "USER SIZE", "A4"}, {1, 300, 9}, {{2159, 2794}, {1000, 1000}, {2100, 2970}},
        {"Upper", "Lower"}, {1, 2, 3}},
       {"Letter", "A4", "Custom"}, {"1", "9", "300"}, {"2159", "2100", "1000"}, {"2794", "2970", "1000"},
       {"Default", "Upper", "Lower"}, {"7", "1", "2"}},
      {"a paper of width 0 is dropped; Custom is added",
       {{"Letter", "Odd", "A4"}, {1, 400, 9}, {{2159, 2794}, {0, 2970}, {2100, 2970}},
        {"Default", "Manual"}, {7, 4}},
       {"Letter", "A4", "Custom"}, {"1", "9", "256"}, {"2159", "2100", "0"}, {"2794", "2970", "0"},
       {"Default", "Manual"}, {"7", "4"}},
      {"fewer names than codes: names from the table, the size, or the code",
       {{"x"}, {9, 48, 49}, {{2100, 2970}, {1000, 2000}}, {"Tray"}, {1}},
       {"A4 210 x 297 mm", "100 x 200 mm", "Custom"}, {"9", "48", "256"}, {"2100", "1000", "0"},
       {"2970", "2000", "0"}, {"Default", "Tray"}, {"7", "1"}},
      {"more names than codes: the surplus goes; sizes missing come from the table",
       {{"Letter", "A4", "Extra"}, {1, 9}, {}, {"Only"}, {}},
       {"Letter", "A4", "Custom"}, {"1", "9", "256"}, {"2159", "2100", "0"}, {"2794", "2970", "0"},
       {"Default"}, {"7"}},
      {"a driver that reports nothing", {}, {"Custom"}, {"256"}, {"0"}, {"0"}, {"Default"}, {"7"}},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.What);
    UninstallAllPrinters();
    TVirtualPrinterConfig Config;
    Config.Capabilities = Case.Reported;
    Install("Reporting", Config);
    TppPrinterCapabilities* C = Refresh().GetPrinterInfo("Reporting")->GetCapabilities();
    EXPECT_EQ("Reporting", C->PrinterName);
    EXPECT_EQ(Case.Names, Items(C->PaperNames));
    EXPECT_EQ(Case.Codes, Items(C->Papers));
    EXPECT_EQ(Case.Widths, Items(C->PaperWidths));
    EXPECT_EQ(Case.Heights, Items(C->PaperHeights));
    EXPECT_EQ(Case.BinNames, Items(C->BinNames));
    EXPECT_EQ(Case.Bins, Items(C->Bins));
  }
}

}  // namespace
