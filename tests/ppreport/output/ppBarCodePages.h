#pragma once
// Barcode commands on the pages the device tests print, and zbarimg reading the page images back.
#include <QImage>
#include <set>
#include <string>

#include "ppreport/core/ppPage.h"
#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "tests/TestTemp.h"
#include "tests/ppreport/generation/BarCodeDevices.h"
#include "tests/ppreport/generation/BarCodeReaders.h"

namespace ppdevtest {

// A black symbol on white at (Left, Top), sized as the screen measures it; the page owns it.
inline TppDrawBarCode* BarCodeOn(TppPage& Page, TppBarCodeType Type, const std::string& Data, int32_t Left,
                                 int32_t Top) {
  auto* C = new TppDrawBarCode(nullptr);
  C->SetBarCodeType(Type);
  C->SetData(Data);
  C->SetBarWidth(330);
  C->SetWideBarRatio(3);
  C->SetAutoEncode(true);
  C->SetColor(clWhite);
  C->SetBarColor(clBlack);
  C->Font()->SetName("DejaVu Sans");
  C->SetLeft(Left);
  C->SetTop(Top);
  bctest::SizeForScreen(*C);
  C->SetPage(&Page);
  return C;
}

// What zbarimg reads in a page image, one entry per symbol.
inline std::multiset<std::string> ZbarReadImage(const QImage& Image, TTestTempFiles& Temp) {
  const std::string Png = Temp.Path("page.png");
  if (!Image.convertToFormat(QImage::Format_Grayscale8).save(QString::fromStdString(Png), "PNG")) return {};
  return bctest::ZbarRead(Png);
}

}  // namespace ppdevtest
