#include "lxreport/LXPrinterSettings.h"

#include <gtest/gtest.h>

#include "tests/platform/printing/VirtualPrinterFixture.h"

#include <memory>

#include "platform/app/Application.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"
#include "platform/rtl/RtlMath.h"

TEST(LXPaperTableTest, SizesCodesAndBins) {
  struct Case {
    TLXPaperSize Size;
    int Width, Length, Code;
  } Cases[] = {
      {TLXPaperSize::Letter, 2159, 2794, 1}, {TLXPaperSize::Ledger, 4318, 2794, 4},
      {TLXPaperSize::A4, 2100, 2970, 9},     {TLXPaperSize::B4, 2500, 3540, 12},
      {TLXPaperSize::Note, 2159, 2790, 18},  {TLXPaperSize::Env9, 984, 2254, 19},
      {TLXPaperSize::Env10, 1048, 2413, 20}, {TLXPaperSize::ESheet, 1000, 1000, 26},
  };
  TPrinterSettings S;
  for (const auto& C : Cases) {
    ASSERT_TRUE(S.SetPaperSize(C.Size));
    EXPECT_EQ(S.GetPaperWidth(), C.Width) << int(C.Size);
    EXPECT_EQ(S.GetPaperLength(), C.Length) << int(C.Size);
    EXPECT_EQ(LXPaperCode(C.Size), C.Code);
  }
  EXPECT_EQ(LXPaperCode(TLXPaperSize::Custom), 256);
  S.SetPaperSize(TLXPaperSize::Custom);
  S.SetPaperWidth(1234);
  S.SetPaperLength(987);
  EXPECT_EQ(S.GetPaperWidth(), 1234);
  EXPECT_EQ(S.GetPaperLength(), 987);
  int Bins[] = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 14};
  for (int B = 0; B < LXBinCount; ++B) EXPECT_EQ(LXBinCode(static_cast<TLXBin>(B)), Bins[B]);
}

TEST(LXPrinterSettingsTest, DefaultsAssignAndPublishedProperties) {
  TLXCompositePrinterSettings A;
  EXPECT_EQ(A.PaperSize(), TLXPaperSize::Letter);
  EXPECT_EQ(A.Copies(), 1);
  EXPECT_EQ(A.PrinterIndex(), -1);
  EXPECT_EQ(A.OutputBin(), TLXBin::Auto);
  EXPECT_FALSE(A.Duplex());
  A.SetCopies(3);
  A.SetPaperSize(TLXPaperSize::Legal);
  A.SetOrientation(poLandscape);
  A.SetCustomBinCode(260);
  TVexaRepPrinterSettings B;
  B.Assign(&A);
  EXPECT_EQ(B.Copies(), 3);
  EXPECT_EQ(B.PaperSize(), TLXPaperSize::Legal);
  EXPECT_EQ(B.Orientation(), poLandscape);
  EXPECT_EQ(B.CustomBinCode(), 260);

  const TClassInfo& V = TVexaRepPrinterSettings::StaticClassInfo();
  EXPECT_EQ(V.AllProps().size(), 12u);
  EXPECT_EQ(V.FindProp("PaperSize"), nullptr);
  const TClassInfo& C = TLXCompositePrinterSettings::StaticClassInfo();
  ASSERT_NE(C.FindProp("PaperSize"), nullptr);
  EXPECT_EQ(C.FindProp("PaperSize")->GetOrd(&A), static_cast<int>(TLXPaperSize::Legal));
  EXPECT_EQ(C.FindProp("PaperSize")->Enum->NameOf(16), "lx10X14");
  EXPECT_EQ(C.FindProp("OutputBin")->Enum->NameOf(13), "Last");
}

namespace {
class TPrinterSettingsTest : public VirtualPrinterTest {
protected:
  static TVirtualPrinterConfig Office() {
    TVirtualPrinterConfig C;
    C.PixelsPerInchX = 600;
    C.PixelsPerInchY = 300;
    C.MarginLeft = 42;  // 99.2 pixels at 600 dpi -> 99
    C.MarginTop = 64;   // 75.6 pixels at 300 dpi -> 76
    C.Papers = {{9, "A4", 2100, 2970}, {1, "Letter", 2159, 2794}, {5, "Legal", 2159, 3556}, {300, "Roll", 800, 3000}};
    C.Bins = {{1, "Upper"}, {7, "Auto"}};
    C.SupportedFields |= DM_DUPLEX;
    C.Defaults.DefaultSource = 1;
    C.Defaults.Duplex = DMDUP_VERTICAL;
    C.Defaults.Copies = 2;
    return C;
  }
};
}  // namespace

TEST_F(TPrinterSettingsTest, ReadsTheDriversModeMeasuresAndPapers) {
  Install("Office", Office());
  TPrinter P;
  TPrinterSettings S;
  S.SetPrinter(&P);
  EXPECT_TRUE(S.HasDriver());
  EXPECT_EQ(S.Device(), "Office");
  EXPECT_EQ(S.PixelsPerInchX(), 600);
  EXPECT_EQ(S.PixelsPerInchY(), 300);
  EXPECT_EQ(S.Copies(), 2);
  EXPECT_EQ(S.OutputBin(), TLXBin::First);  // code 1 is First, never Upper
  EXPECT_TRUE(S.Duplex());
  EXPECT_EQ(S.LeftOffset(), Round(99.0L / 600 * 254));
  EXPECT_EQ(S.TopOffset(), Round(76.0L / 300 * 254));
  EXPECT_EQ(S.PaperSize(), TLXPaperSize::A4);
  EXPECT_EQ(S.PaperWidth(), 2100);
  EXPECT_EQ(S.PaperLength(), 2970);
  for (auto Size : {TLXPaperSize::A4, TLXPaperSize::Letter, TLXPaperSize::Legal, TLXPaperSize::Custom})
    EXPECT_TRUE(S.PaperSupported(Size)) << int(Size);
  EXPECT_FALSE(S.PaperSupported(TLXPaperSize::A3));
  EXPECT_FALSE(S.SetPaperSize(TLXPaperSize::A3));
  EXPECT_EQ(S.PaperSize(), TLXPaperSize::A4);
  EXPECT_TRUE(S.SetPaperSize(TLXPaperSize::Custom));
  EXPECT_TRUE(S.SetPaperSize(TLXPaperSize::Default));
  EXPECT_TRUE(S.SetCopies(5));
  EXPECT_TRUE(S.SetOutputBin(TLXBin::Manual));
}

TEST_F(TPrinterSettingsTest, UnsupportedFieldsRefuseTheirSetters) {
  TVirtualPrinterConfig C;
  C.SupportedFields = DM_PAPERSIZE;
  Install("Plain", C);
  TPrinter P;
  TPrinterSettings S;
  S.SetPrinter(&P);
  EXPECT_FALSE(S.SupportsField(DM_DUPLEX));
  EXPECT_FALSE(S.SetDuplex(true));
  EXPECT_FALSE(S.Duplex());
  EXPECT_FALSE(S.SetCopies(3));
  EXPECT_EQ(S.Copies(), 1);
  EXPECT_FALSE(S.SetOrientation(1));
  EXPECT_FALSE(S.SetOutputBin(TLXBin::Lower));
  EXPECT_EQ(S.OutputBin(), TLXBin::First);
  // Fields added for printing do not make the driver support them.
  S.ApplyToDriver();
  EXPECT_TRUE(P.DeviceMode().Has(DM_DUPLEX));
  EXPECT_FALSE(S.SetDuplex(true));
}

TEST_F(TPrinterSettingsTest, ApplyWritesTheChoicesIntoTheDeviceMode) {
  auto V = Install("Office", Office());
  TPrinter P;
  TPrinterSettings S;
  S.SetPrinter(&P);
  S.SetPaperSize(TLXPaperSize::Letter);
  S.SetOrientation(1);
  S.SetCopies(3);
  S.SetOutputBin(TLXBin::Auto);
  S.SetDuplex(false);
  S.SetExtendedDuplex(2);
  S.ApplyToDriver();
  TDeviceMode M = P.DeviceMode();
  EXPECT_EQ(M.PaperSize, 1);
  EXPECT_EQ(M.PaperWidth, 2159);
  EXPECT_EQ(M.PaperLength, 2794);
  EXPECT_EQ(M.Orientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(M.Copies, 3);
  EXPECT_EQ(M.Duplex, 2);  // ExtendedDuplex whatever Duplex says
  EXPECT_EQ(M.DefaultSource, DMBIN_AUTO);
  EXPECT_EQ(P.DeviceCaps().PhysicalWidth, 6600);  // 11 in at 600 dpi, landscape

  S.SetExtendedDuplex(0);
  S.SetDuplex(true);
  S.SetUseCustomPaperCode(true);
  S.SetCustomPaperCode(300);
  S.SetUseCustomBinCode(true);
  S.SetCustomBinCode(261);
  S.ApplyToDriver();
  M = P.DeviceMode();
  EXPECT_EQ(M.Duplex, DMDUP_HORIZONTAL);
  EXPECT_EQ(M.PaperSize, 300);
  EXPECT_EQ(M.DefaultSource, 261);

  P.BeginDoc();
  P.EndDoc();
  EXPECT_EQ(V->Jobs()[0].PageModes[0].Orientation, DMORIENT_LANDSCAPE);
}

TEST_F(TPrinterSettingsTest, ReportEventsMayTakeOverReadingAndApplying) {
  Install("Office", Office());
  TPrinter P;
  TPrinterSettings S;
  int Calls = 0;
  S.OnGetPrinterSettings = [&](TPrinterSettings* Sender, bool& Cancel, TDeviceMode* Mode) {
    EXPECT_EQ(Sender, &S);
    EXPECT_EQ(Mode->PaperSize, 9);
    ++Calls;
    Cancel = true;
  };
  S.SetPrinter(&P);
  EXPECT_EQ(Calls, 1);
  EXPECT_EQ(S.PaperSize(), TLXPaperSize::A4);  // the initial value, untouched
  EXPECT_EQ(S.PixelsPerInchX(), 0);
  EXPECT_EQ(S.Copies(), 1);

  S.OnGetPrinterSettings = [&](TPrinterSettings*, bool& Cancel, TDeviceMode*) {
    ++Calls;
    Cancel = true;  // looked at only before reading
  };
  S.ReadFromDriver();
  EXPECT_EQ(Calls, 2);
  S.OnGetPrinterSettings = [&](TPrinterSettings*, bool&, TDeviceMode*) { ++Calls; };
  S.ReadFromDriver();
  EXPECT_EQ(Calls, 4);  // before and after reading
  EXPECT_EQ(S.PixelsPerInchX(), 600);

  S.OnApplyPrinterSettings = [](TPrinterSettings*, bool& Cancel, TDeviceMode* Mode) {
    Mode->Copies = 9;
    Cancel = true;
  };
  S.SetCopies(4);
  S.ApplyToDriver();
  EXPECT_EQ(P.DeviceMode().Copies, 2);
  S.OnApplyPrinterSettings = [](TPrinterSettings*, bool&, TDeviceMode* Mode) { Mode->Copies = 9; };
  S.ApplyToDriver();
  EXPECT_EQ(P.DeviceMode().Copies, 9);
}

TEST_F(TPrinterSettingsTest, WithoutPrintersEveryPaperAndOrientationIsAccepted) {
  TPrinter P;
  TPrinterSettings S;
  S.SetPrinter(&P);
  EXPECT_FALSE(S.HasDriver());
  EXPECT_FALSE(S.SupportsField(DM_PAPERSIZE));
  EXPECT_TRUE(S.SetPaperSize(TLXPaperSize::Letter));
  EXPECT_EQ(S.GetPaperWidth(), 2159);
  EXPECT_TRUE(S.SetOrientation(1));
  EXPECT_EQ(S.Orientation(), 1);
  EXPECT_FALSE(S.SetCopies(2));
  S.ApplyToDriver();  // nothing to apply to
  TPrinterSettings None;
  None.SetPrinter(nullptr);
  EXPECT_TRUE(None.SetPaperSize(TLXPaperSize::A5));
}

TEST_F(TPrinterSettingsTest, ResetDriverFetchesTheNewPrintersMode) {
  Install("Office", Office());
  TVirtualPrinterConfig Letter;
  Letter.Defaults.PaperSize = 1;
  Install("Letter", Letter);
  TPrinter P;
  TPrinterSettings S;
  S.SetPrinter(&P);
  EXPECT_EQ(S.PaperSize(), TLXPaperSize::A4);
  P.SetPrinterIndex(1);
  ResetDriver(&P);
  S.ReadFromDriver();
  EXPECT_EQ(S.PaperSize(), TLXPaperSize::Letter);
  EXPECT_EQ(S.Device(), "Letter");
  EXPECT_EQ(S.PixelsPerInchX(), 300);
}
