// The barcode draw command as page data: copies, equality, streams, and streams that claim anything.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "platform/app/DialogService.h"
#include "platform/app/Dialogs.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "tests/ppreport/generation/BarCodeDevices.h"

namespace {

template <class T>
using TOwnedCmd = std::unique_ptr<T, TComponentDeleter>;

TOwnedCmd<TppDrawBarCode> FullBarCode() {
  TOwnedCmd<TppDrawBarCode> C(new TppDrawBarCode(nullptr));
  C->SetLeft(1000);
  C->SetTop(2000);
  C->SetWidth(50000);
  C->SetHeight(20000);
  C->SetAlignment(taRightJustify);
  C->SetAddOnCode("12");
  C->SetAutoEncode(true);
  C->SetAutoSize(false);
  C->SetAutoSizeFont(false);
  C->SetBarCodeType(bcEAN_13);
  C->SetBarColor(clNavy);
  C->SetBarWidth(330);
  C->SetBearerBars(true);
  C->SetCalcCheckDigit(false);
  C->SetCodeOK(false);
  C->SetColor(clYellow);
  C->SetData("4006381333931");
  C->Font()->SetName("DejaVu Serif");
  C->Font()->SetSize(9);
  C->SetOrientation(orBottomToTop);
  C->SetPrintHumanReadable(false);
  C->SetTransparent(true);
  C->SetWideBarRatio(2.5f);
  return C;
}

TOwnedCmd<TppDrawBarCode> RoundTrip(TppDrawBarCode& C) {
  TMemoryStream Bin;
  WriteComponentToStream(Bin, &C);
  Bin.Seek(0, soBeginning);
  return TOwnedCmd<TppDrawBarCode>(dynamic_cast<TppDrawBarCode*>(ReadComponentFromStream(Bin, nullptr)));
}

TOwnedCmd<TppDrawBarCode> ReadText(const std::string& Text) {
  TBytesStream In(Text.data(), static_cast<int64_t>(Text.size()));
  TMemoryStream Bin;
  ObjectTextToBinary(In, Bin);
  Bin.Seek(0, soBeginning);
  return TOwnedCmd<TppDrawBarCode>(dynamic_cast<TppDrawBarCode*>(ReadComponentFromStream(Bin, nullptr)));
}

}  // namespace

TEST(ppBarCodDrwCmdStreamTest, CopiesAndStreamsKeepEverySettingAndEqualitySeesEach) {
  auto C = FullBarCode();
  TOwnedCmd<TppDrawBarCode> Copy(new TppDrawBarCode(nullptr));
  Copy->Assign(C.get());
  EXPECT_TRUE(Copy->IsEqual(*C));
  auto Read = RoundTrip(*C);
  ASSERT_TRUE(Read);
  EXPECT_TRUE(Read->IsEqual(*C));
  EXPECT_EQ(Read->Data(), "4006381333931");
  EXPECT_EQ(Read->Font()->Name(), "DejaVu Serif");
  EXPECT_EQ(Read->WideBarRatio(), 2.5f);
  EXPECT_EQ(Read->DataType(), dtGraphic);
  // A fresh command streams its defaults back as they were.
  TOwnedCmd<TppDrawBarCode> Fresh(new TppDrawBarCode(nullptr));
  auto FreshRead = RoundTrip(*Fresh);
  EXPECT_TRUE(FreshRead->IsEqual(*Fresh));
  EXPECT_TRUE(FreshRead->AutoSize() && FreshRead->PrintHumanReadable() && FreshRead->CodeOK());

  const std::vector<std::pair<const char*, std::function<void(TppDrawBarCode&)>>> Changes = {
      {"Alignment", [](TppDrawBarCode& B) { B.SetAlignment(taCenter); }},
      {"AddOnCode", [](TppDrawBarCode& B) { B.SetAddOnCode("13"); }},
      {"AutoEncode", [](TppDrawBarCode& B) { B.SetAutoEncode(false); }},
      {"AutoSize", [](TppDrawBarCode& B) { B.SetAutoSize(true); }},
      {"AutoSizeFont", [](TppDrawBarCode& B) { B.SetAutoSizeFont(true); }},
      {"BarCodeType", [](TppDrawBarCode& B) { B.SetBarCodeType(bcUPC_A); }},
      {"BarColor", [](TppDrawBarCode& B) { B.SetBarColor(clBlack); }},
      {"BarWidth", [](TppDrawBarCode& B) { B.SetBarWidth(331); }},
      {"BearerBars", [](TppDrawBarCode& B) { B.SetBearerBars(false); }},
      {"CalcCheckDigit", [](TppDrawBarCode& B) { B.SetCalcCheckDigit(true); }},
      {"CodeOK", [](TppDrawBarCode& B) { B.SetCodeOK(true); }},
      {"Color", [](TppDrawBarCode& B) { B.SetColor(clWhite); }},
      {"Data", [](TppDrawBarCode& B) { B.SetData("4006381333932"); }},
      {"Font", [](TppDrawBarCode& B) { B.Font()->SetSize(10); }},
      {"Orientation", [](TppDrawBarCode& B) { B.SetOrientation(orTopToBottom); }},
      {"PrintHumanReadable", [](TppDrawBarCode& B) { B.SetPrintHumanReadable(true); }},
      {"Transparent", [](TppDrawBarCode& B) { B.SetTransparent(false); }},
      {"WideBarRatio", [](TppDrawBarCode& B) { B.SetWideBarRatio(3); }},
      {"Left", [](TppDrawBarCode& B) { B.SetLeft(0); }},
  };
  for (const auto& [Name, Change] : Changes) {
    TOwnedCmd<TppDrawBarCode> Other(new TppDrawBarCode(nullptr));
    Other->Assign(C.get());
    Change(*Other);
    EXPECT_FALSE(Other->IsEqual(*C)) << Name;
    EXPECT_TRUE(RoundTrip(*Other)->IsEqual(*Other)) << Name;
  }
}

TEST(ppBarCodDrwCmdStreamTest, RefusedDataIsShownOnceOnScreenAndNeverWhilePrinting) {
  auto Scripted = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService& Dialogs = *Scripted;
  TDialogServiceScope Scope(std::move(Scripted));
  struct TCase {
    TppBarCodeType Type;
    std::string Data, AddOn;
  };
  const TCase Refused[] = {
      {bcEAN_13, "40063813339", ""},     // too short
      {bcEAN_13, "400638133393", "1x"},  // an add-on that is not digits
      {bcEAN_13, "400638133393", "123"}, // an add-on of three digits
      {bcCode39, "abc*def", ""},
  };
  for (const TCase& R : Refused) {
    for (TppRasterKind Kind : {rkScreen, rkPrinter}) {
      Dialogs.Calls.clear();
      auto Device = TOwnedCmd<bctest::TBitmapDevice>(new bctest::TBitmapDevice(Kind, 400, 200, 96));
      TOwnedCmd<TppDrawBarCode> C(new TppDrawBarCode(nullptr));
      C->SetBarCodeType(R.Type);
      C->SetData(R.Data);
      C->SetAddOnCode(R.AddOn);
      C->SetBarWidth(330);
      C->SetWidth(20000);
      C->SetHeight(10000);
      C->SetColor(clWhite);
      C->Draw(Device.get());
      C->Draw(Device.get());
      EXPECT_FALSE(C->CodeOK()) << R.Data << " " << R.AddOn;
      EXPECT_TRUE(C->MainPattern().empty() && C->AddOnPattern().empty());
      ASSERT_EQ(Dialogs.Calls.size(), Kind == rkScreen ? 1u : 0u) << R.Data << " " << R.AddOn;
      if (Kind == rkScreen) EXPECT_EQ(Dialogs.LastCall<TMessageRequest>().Type, mtInformation);
      // Only the background shows.
      for (int X = 0; X < 400; X += 7)
        for (int Y = 0; Y < 200; Y += 5) ASSERT_EQ(Device->At(X, Y), 0xFFFFFFu) << X << "," << Y;
    }
  }
}

TEST(ppBarCodDrwCmdStreamTest, StreamsThatClaimAnythingDrawWithinBounds) {
  // Values a damaged or hostile archive may hold; each is drawn on both devices and must neither
  // crash nor allocate beyond the symbol limits.
  const std::string Head = "object TppDrawBarCode\n  Left = 0\n  Top = 0\n  Width = 30000\n  Height = 10000\n";
  const std::string Bodies[] = {
      "  BarCodeType = bcCode128\n  BarWidth = 2147483647\n  Data = 'abc'\n",
      "  BarCodeType = bcCode128\n  BarWidth = -500\n  Data = 'abc'\n",
      "  BarCodeType = bcCode39\n  BarWidth = 330\n  WideBarRatio = 1000000000\n  Data = 'ABC'\n",
      "  BarCodeType = bcCode39\n  BarWidth = 330\n  WideBarRatio = -3\n  Data = 'ABC'\n",
      "  BarCodeType = bcCode128\n  BarWidth = 330\n  AutoSize = False\n  Height = 2147483647\n  Data = 'abc'\n",
      "  BarCodeType = bcCode128\n  BarWidth = 330\n  AutoSize = False\n  Height = -2147483647\n  Data = 'abc'\n",
      "  BarCodeType = bcEAN_13\n  BarWidth = 330\n  Font.Height = -2147483647\n  AutoSizeFont = False\n  Data = '400638133393'\n",
      "  BarCodeType = bcFIM\n  BarWidth = 2000000\n  Data = 'A'\n",
      "  BarCodeType = bcUPC_A\n  BarWidth = 330\n  AddOnCode = '12'\n  CalcCheckDigit = False\n  Data = '01234'\n",
      "  BarCodeType = bcCode128\n  BarWidth = 1\n  Data = '" + std::string(20000, 'x') + "'\n",
      "  BarCodeType = bcPostnet\n  BarWidth = 330\n  Data = '----'\n",
      "  BarCodeType = bcMSI\n  BarWidth = 330\n  Orientation = orBottomToTop\n  Data = '12a'\n",
  };
  auto Scripted = std::make_unique<TScriptedDialogService>();
  TDialogServiceScope Scope(std::move(Scripted));
  for (const std::string& Body : Bodies) {
    auto C = ReadText(Head + Body + "end\n");
    ASSERT_TRUE(C) << Body.substr(0, 80);
    for (TppRasterKind Kind : {rkScreen, rkPrinter}) {
      auto Device = TOwnedCmd<bctest::TBitmapDevice>(new bctest::TBitmapDevice(Kind, 300, 200, 300));
      C->Draw(Device.get());
      EXPECT_LE(static_cast<int64_t>(C->TotalWidth()), static_cast<int64_t>(ppMaxBarCodePattern) * 40) << Body.substr(0, 80);
    }
  }
  // An enumeration value no symbology has is refused by the reader, not drawn.
  EXPECT_THROW(ReadText(Head + "  BarCodeType = bcNothing\nend\n"), Exception);
}
