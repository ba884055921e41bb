#include "platform/printing/cups/QtPrinterMode.h"

#include <gtest/gtest.h>

#include <QPrinter>

#include "platform/printing/PaperSizes.h"

namespace {
TDeviceMode Mode(uint32_t Fields, void (*Set)(TDeviceMode&)) {
  TDeviceMode M;
  M.Fields = Fields;
  Set(M);
  return M;
}
}  // namespace

TEST(QtPrinterModeTest, ADeviceModeSurvivesTheWayThroughAQtPrinter) {
  // The PDF engine keeps every setting whatever printers the machine has.
  const std::pair<const char*, TDeviceMode> Cases[] = {
      {"A4", Mode(DM_PAPERSIZE | DM_ORIENTATION, [](TDeviceMode& M) { M.PaperSize = DMPAPER_A4; })},
      {"Letter landscape", Mode(DM_PAPERSIZE | DM_ORIENTATION, [](TDeviceMode& M) {
         M.PaperSize = DMPAPER_LETTER;
         M.Orientation = DMORIENT_LANDSCAPE;
       })},
      {"user size", Mode(DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH, [](TDeviceMode& M) {
         M.PaperSize = DMPAPER_USER;
         M.PaperWidth = 1234;
         M.PaperLength = 2345;
       })},
      {"A3 by its size", Mode(DM_PAPERWIDTH | DM_PAPERLENGTH, [](TDeviceMode& M) {
         M.PaperWidth = 2970;
         M.PaperLength = 4200;
       })},
      {"copies, no collation, monochrome", Mode(DM_COPIES | DM_COLLATE | DM_COLOR, [](TDeviceMode& M) {
         M.Copies = 7;
         M.Collate = 0;
         M.Color = 1;
       })},
  };
  for (const auto& [Name, M] : Cases) {
    SCOPED_TRACE(Name);
    QPrinter P;
    P.setOutputFormat(QPrinter::PdfFormat);
    DeviceModeToQPrinter(M, P);
    TDeviceMode Back = DeviceModeOfQPrinter(P);
    int W = 0, L = 0;
    if (DeviceModePaperSize(M, W, L)) {
      EXPECT_EQ(Back.PaperWidth, W);
      EXPECT_EQ(Back.PaperLength, L);
      EXPECT_EQ(Back.PaperSize, M.Has(DM_PAPERSIZE) ? M.PaperSize : PaperCodeForSize(W, L));
    }
    if (M.Has(DM_ORIENTATION)) EXPECT_EQ(Back.Orientation, M.Orientation);
    if (M.Has(DM_COPIES)) EXPECT_EQ(Back.Copies, M.Copies);
    if (M.Has(DM_COLLATE)) EXPECT_EQ(Back.Collate, M.Collate);
    if (M.Has(DM_COLOR)) EXPECT_EQ(Back.Color, M.Color);
    EXPECT_TRUE(Back.Has(DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH | DM_ORIENTATION | DM_COPIES | DM_COLOR));
  }
}

TEST(QtPrinterModeTest, BinsMapToQtPaperSourcesBothWays) {
  for (int Bin : {DMBIN_UPPER, DMBIN_LOWER, DMBIN_MIDDLE, DMBIN_MANUAL, DMBIN_ENVELOPE, DMBIN_ENVMANUAL, DMBIN_AUTO,
                  DMBIN_TRACTOR, DMBIN_SMALLFMT, DMBIN_LARGEFMT, DMBIN_LARGECAPACITY, DMBIN_CASSETTE,
                  DMBIN_FORMSOURCE}) {
    QPrinter P;
    P.setOutputFormat(QPrinter::PdfFormat);
    TDeviceMode M;
    M.Fields = DM_DEFAULTSOURCE;
    M.DefaultSource = static_cast<int16_t>(Bin);
    DeviceModeToQPrinter(M, P);
    TDeviceMode Back = DeviceModeOfQPrinter(P);
    EXPECT_TRUE(Back.Has(DM_DEFAULTSOURCE)) << Bin;
    EXPECT_EQ(Back.DefaultSource, Bin);
  }
  // A driver's own bin has no Qt source: the printer keeps its own.
  QPrinter P;
  P.setOutputFormat(QPrinter::PdfFormat);
  P.setPaperSource(QPrinter::Lower);
  TDeviceMode M;
  M.Fields = DM_DEFAULTSOURCE;
  M.DefaultSource = DMBIN_USER + 3;
  DeviceModeToQPrinter(M, P);
  EXPECT_EQ(P.paperSource(), QPrinter::Lower);
}
