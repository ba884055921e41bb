// The barcode components: settings refused or followed, data checks, auto-size, the draw command they
// make, streams of the stored integers, and the data-aware barcode reading a pipeline.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/app/DialogService.h"
#include "platform/app/Dialogs.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/data/MemDataSet.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/generation/ppBarCod.h"
#include "tests/ppreport/generation/ppCtrlsTestSupport.h"

namespace {

class BarCodeComponent : public ::testing::Test {
protected:
  std::unique_ptr<TScriptedDialogService> Owned = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService& Dialogs = *Owned;
  TDialogServiceScope Scope{std::move(Owned)};
  TComponent Form{nullptr};
  TppBarCode* Bar = new TppBarCode(&Form);

  // The messages shown since the last call.
  size_t Messages() {
    const size_t N = Dialogs.Calls.size();
    Dialogs.Calls.clear();
    return N;
  }
  std::string LastMessage() const { return Dialogs.LastCall<TMessageRequest>().Text; }
};

TEST_F(BarCodeComponent, ChangingTheSymbologySetsItsSampleAndSettings) {
  EXPECT_EQ(bcCode39, Bar->BarCodeType());
  EXPECT_EQ(76200, Bar->mmWideBarRatio());
  EXPECT_FLOAT_EQ(3.0f, Bar->WideBarRatio());
  EXPECT_EQ("Courier New", Bar->Font()->Name());

  Bar->SetBarCodeType(bcPostnet);
  EXPECT_TRUE(Bar->AutoSize());
  EXPECT_FALSE(Bar->PrintHumanReadable());
  EXPECT_EQ(508, Bar->mmBarWidth());  // 0.02 inch
  EXPECT_EQ("012345678", Bar->Data());
  Bar->SetAutoSize(false);  // POSTNET always sizes to the symbol
  EXPECT_TRUE(Bar->AutoSize());
  EXPECT_EQ(1u, Messages());

  Bar->SetBarCodeType(bcEAN_13);
  EXPECT_EQ("0012345678905", Bar->Data());
  EXPECT_TRUE(Bar->CodeOK());
  Bar->SetAutoSizeFont(false);
  EXPECT_TRUE(Bar->AutoSizeFont());
  Bar->SetBarCodeType(bcCode128);
  EXPECT_TRUE(Bar->AutoEncode());
  EXPECT_EQ(1u, Messages());  // only the refused font fitting spoke

  Bar->Font()->SetColor(clRed);
  EXPECT_EQ(clRed, Bar->BarColor());
  Bar->SetBarColor(clNavy);
  EXPECT_EQ(clNavy, Bar->Font()->Color());
}

TEST_F(BarCodeComponent, RefusedSettingsKeepTheirValueAndSaySo) {
  Bar->SetBarCodeType(bcEAN_13);
  Messages();
  struct Case {
    TppBarCodeType Type;
    std::string AddOn;
    bool Kept;
  } Cases[] = {
      {bcEAN_13, "12", true}, {bcEAN_13, "12345", true}, {bcEAN_13, "123", false},
      {bcEAN_13, "1a", false}, {bcCode39, "12", false},  {bcUPC_A, "123", false},
  };
  for (const Case& C : Cases) {
    Bar->SetBarCodeType(C.Type);
    Bar->SetAddOnCode("");
    Messages();
    Bar->SetAddOnCode(C.AddOn);
    EXPECT_EQ(C.Kept ? C.AddOn : "", Bar->AddOnCode()) << C.AddOn;
    EXPECT_EQ(C.Kept ? 0u : 1u, Messages()) << C.AddOn;
  }

  Bar->SetBarWidth(0.003f);  // inches, the default units
  EXPECT_EQ(330, Bar->mmBarWidth());  // UPC-A's own
  // The limit in the report's units, with the decimal separator of the settings.
  const std::string Said = LastMessage();
  EXPECT_TRUE(Said == "A largura da barra não pode ser menor que 0,004." ||
              Said == "A largura da barra não pode ser menor que 0.004.")
      << Said;
  EXPECT_EQ(1u, Messages());
  Bar->SetBarWidth(0.004f);
  EXPECT_EQ(102, Bar->mmBarWidth());
  Bar->SetBarWidth(0.11f);
  EXPECT_EQ(102, Bar->mmBarWidth());
  EXPECT_EQ(1u, Messages());

  Bar->SetBearerBars(true);  // Interleaved 2 of 5 only
  EXPECT_FALSE(Bar->BearerBars());
  Bar->SetBarCodeType(bcInt2of5);
  Bar->SetBearerBars(true);
  EXPECT_TRUE(Bar->BearerBars());

  Bar->SetAutoEncode(true);  // Code 128 only
  EXPECT_FALSE(Bar->AutoEncode());
  Bar->SetWideBarRatio(0);
  Bar->SetWideBarRatio(-2);
  EXPECT_FLOAT_EQ(3.0f, Bar->WideBarRatio());
}

TEST_F(BarCodeComponent, DataIsCheckedAgainstTheSymbology) {
  struct Case {
    TppBarCodeType Type;
    bool CalcCheckDigit;
    std::string Data;
    bool Valid;
  } Cases[] = {
      {bcCode39, true, "*ABC-12*", true},   {bcCode39, true, "AB*C", false},
      {bcCode39, true, "abc $%+./", true},  {bcCodabar, true, "A01234B", true},
      {bcCodabar, true, "A01B34B", false},  {bcCodabar, true, "0123", false},
      {bcUPC_A, true, "01234567890", true}, {bcUPC_A, false, "01234567890", false},
      {bcUPC_A, true, "0123456789X", false}, {bcEAN_13, true, "001234567890", true},
      {bcEAN_8, true, "123", false},        {bcInt2of5, false, "123", false},
      {bcPostnet, true, "12345-6789", true}, {bcFIM, true, "b", true},
      {bcFIM, true, "AB", false},           {bcMSI, true, "12a", false},
  };
  for (const Case& C : Cases) {
    Bar->SetData("");  // from empty: the data always changes
    Bar->SetBarCodeType(C.Type);
    Bar->SetCalcCheckDigit(C.CalcCheckDigit);
    Bar->SetData("");
    Messages();
    Bar->SetData(C.Data);
    EXPECT_EQ(C.Valid, Bar->CodeOK()) << C.Data;
    EXPECT_EQ(C.Valid ? 0u : 1u, Messages()) << C.Data;
  }
  Bar->SetData("");  // empty: invalid without a word
  EXPECT_FALSE(Bar->CodeOK());
  EXPECT_EQ(0u, Messages());
}

TEST_F(BarCodeComponent, AutoSizeTakesTheDrawCommandsSizeAndTheCommandCarriesEverySetting) {
  Bar->SetBarCodeType(bcEAN_13);
  Bar->SetData("400638133393");
  Bar->SetAddOnCode("12");
  Bar->SetColor(clYellow);
  Bar->SetBarColor(clNavy);
  Bar->SetmmBarWidth(400);
  Bar->SetLeft(0.5f);
  const int32_t W = Bar->mmWidth(), H = Bar->mmHeight();
  EXPECT_EQ(W, Bar->AutoSizedWidth());
  EXPECT_GT(W, H);

  int Made = 0;
  Bar->OnDrawCommandCreate = [&](TObject*, TObject* Made_) {
    ++Made;
    auto* D = dynamic_cast<TppDrawBarCode*>(Made_);
    ASSERT_NE(nullptr, D);
    EXPECT_EQ(W, D->Width());
    EXPECT_EQ(H, D->Height());
    EXPECT_EQ(Bar->PageRect().Left, D->Left());  // placed by generation (see the band test)
    EXPECT_EQ(bcEAN_13, D->BarCodeType());
    EXPECT_EQ("400638133393", D->Data());
    EXPECT_EQ("12", D->AddOnCode());
    EXPECT_EQ(400, D->BarWidth());
    EXPECT_EQ(clNavy, D->BarColor());
    EXPECT_EQ(clYellow, D->Color());
    EXPECT_FLOAT_EQ(3.0f, D->WideBarRatio());
    EXPECT_TRUE(D->CodeOK());
    EXPECT_EQ("Courier New", D->Font()->Name());
  };
  Bar->CreateDrawCommand(nullptr);
  EXPECT_EQ(1, Made);

  // A command filled by hand with the same settings measures the same symbol.
  TppDrawBarCode Hand(nullptr);
  Hand.SetBarCodeType(bcEAN_13);
  Hand.SetData("400638133393");
  Hand.SetAddOnCode("12");
  Hand.SetBarWidth(400);
  Hand.SetWideBarRatio(3);
  Hand.Font()->SetName("Courier New");
  Hand.CalcSize(nullptr);
  EXPECT_EQ(W, Hand.Width());
  EXPECT_EQ(H, Hand.Height());

  Bar->SetOrientation(orBottomToTop);  // standing up: the sides swap
  EXPECT_EQ(H, Bar->mmWidth());
  EXPECT_EQ(W, Bar->mmHeight());
  Bar->OnDrawCommandCreate = nullptr;

  Bar->SetOrientation(orLeftToRight);
  Bar->SetData("40063813339X");  // refused: the size stays, the command draws only its background
  Messages();
  EXPECT_EQ(W, Bar->mmWidth());
  TppDrawBarCode D(nullptr);
  Bar->PropertiesToDrawCommand(&D);
  EXPECT_FALSE(D.CodeOK());
  EXPECT_EQ(0u, Messages());  // said once, when the data came
}

TEST_F(BarCodeComponent, StreamsKeepTheStoredIntegersAndReadOldFloats) {
  Bar->SetName("BarCode1");
  Bar->SetBarCodeType(bcInt2of5);
  Bar->SetmmBarWidth(500);
  Bar->SetWideBarRatio(2.5f);
  Bar->SetData("12345678");
  Bar->SetOrientation(orTopToBottom);
  Bar->SetPrintHumanReadable(false);
  TMemoryStream Bin;
  WriteComponentToStream(Bin, Bar);
  Bin.SetPosition(0);
  TMemoryStream Text;
  ObjectBinaryToText(Bin, Text);
  const std::string AsText(reinterpret_cast<const char*>(Text.Memory()), static_cast<size_t>(Text.Size()));
  EXPECT_NE(std::string::npos, AsText.find("mmBarWidth = 500")) << AsText;
  EXPECT_NE(std::string::npos, AsText.find("mmWideBarRatio = 63500")) << AsText;
  EXPECT_EQ(std::string::npos, AsText.find(" BarWidth =")) << AsText;

  Bin.SetPosition(0);
  std::unique_ptr<TComponent> Read(ReadComponentFromStream(Bin, nullptr));
  auto* R = dynamic_cast<TppBarCode*>(Read.get());
  ASSERT_NE(nullptr, R);
  EXPECT_EQ(bcInt2of5, R->BarCodeType());
  EXPECT_EQ("12345678", R->Data());  // the type read does not bring its sample
  EXPECT_EQ(500, R->mmBarWidth());
  EXPECT_FLOAT_EQ(2.5f, R->WideBarRatio());
  EXPECT_EQ(orTopToBottom, R->Orientation());
  EXPECT_FALSE(R->PrintHumanReadable());
  EXPECT_EQ(Bar->mmWidth(), R->mmWidth());
  EXPECT_EQ(Bar->mmHeight(), R->mmHeight());

  // Old streams stored floats: taken to the nearest integer; loading refuses nothing.
  const std::string Old =
      "object B: TppBarCode\n  BarCodeType = bcCode39\n  mmBarWidth = 50.4\n  mmWideBarRatio = 50800.0\n"
      "  AddOnCode = '12'\nend\n";
  TMemoryStream In, Bin2;
  In.WriteBuffer(Old.data(), static_cast<int64_t>(Old.size()));
  In.SetPosition(0);
  ObjectTextToBinary(In, Bin2);
  Bin2.SetPosition(0);
  std::unique_ptr<TComponent> OldRead(ReadComponentFromStream(Bin2, nullptr));
  auto* O = dynamic_cast<TppBarCode*>(OldRead.get());
  ASSERT_NE(nullptr, O);
  EXPECT_EQ(50, O->mmBarWidth());
  EXPECT_FLOAT_EQ(2.0f, O->WideBarRatio());
  EXPECT_EQ("12", O->AddOnCode());
  EXPECT_EQ(0u, Messages());
}

TEST_F(BarCodeComponent, DataAwareBarCodeReadsItsField) {
  auto* Set = new TMemoryDataSet(&Form);
  Set->FieldDefs().Add("Code", ftString, 20);
  Set->AppendRecord({"4006381333931"});
  Set->AppendRecord({""});
  auto* Pipe = new TppDataSetPipeline(&Form);
  Pipe->SetDataSet(Set);
  auto* DB = new TppDBBarCode(&Form);
  EXPECT_EQ("DBBarCode", DB->GetData());  // no data: the sample
  DB->SetBarCodeType(bcEAN_13);
  DB->SetDataPipeline(Pipe);
  DB->SetDataField("Code");
  Pipe->Open();
  Pipe->First();
  EXPECT_EQ("4006381333931", DB->GetData());
  TppDrawBarCode D(nullptr);
  DB->PropertiesToDrawCommand(&D);
  EXPECT_EQ("4006381333931", D.Data());
  EXPECT_TRUE(D.CodeOK());
  Pipe->Next();
  EXPECT_EQ("", DB->GetData());
  DB->PropertiesToDrawCommand(&D);
  EXPECT_FALSE(D.CodeOK());  // empty data draws the background only
  EXPECT_EQ(0u, Messages());

  // At design time with data shown, a data change brings the field's value into Data.
  DB->AddDesignState(dsDesigning | dsDisplayData);
  Pipe->First();
  DB->Notify(Pipe, ppopDataChange);
  EXPECT_EQ("4006381333931", DB->Data());
  EXPECT_TRUE(DB->CodeOK());
  DB->RemoveDesignState(dsDisplayData);  // designing without data: the sample
  DB->Notify(Pipe, ppopDataChange);
  EXPECT_EQ("0012345678905", DB->Data());
  DB->RemoveDesignState(dsDesigning);

  Set->SetName("Set1");
  Pipe->SetName("Pipe1");
  DB->SetName("DBBarCode1");
  TMemoryStream Bin, Text;
  WriteComponentToStream(Bin, DB);
  Bin.SetPosition(0);
  ObjectBinaryToText(Bin, Text);
  const std::string AsText(reinterpret_cast<const char*>(Text.Memory()), static_cast<size_t>(Text.Size()));
  EXPECT_NE(std::string::npos, AsText.find("DataField = 'Code'")) << AsText;
  EXPECT_NE(std::string::npos, AsText.find("DataPipeline = ")) << AsText;
  EXPECT_EQ(std::string::npos, AsText.find("Data =")) << AsText;  // the field's value is not stored
}

}  // namespace

namespace ctrlstest {

// Barcodes are placed like every other control: one command per record at the band's place, the
// typed one with its data, the data-aware one with each record's field.
TEST_F(CtrlsOnEngine, BarCodesOnABandMakeTheirCommandsWhereTheyStand) {
  Rows({{"A1", ""}, {"B22", ""}});
  auto* D = Band<TppDetailBand>(20 * mm);
  auto* Typed = new TppBarCode(&Form);
  Typed->SetBand(D);
  Typed->SetData("PEDIDO 42");  // sized to its symbol
  Typed->SetmmLeft(5 * mm);
  Typed->SetmmTop(3 * mm);
  auto* Field = new TppDBBarCode(&Form);
  Field->SetBand(D);
  Field->SetDataPipeline(Report->DataPipeline());
  Field->SetDataField("Name");
  Field->SetmmLeft(40 * mm);
  Field->SetmmTop(1 * mm);
  Field->SetOrientation(orTopToBottom);
  Run();
  const auto Made = Commands<TppDrawBarCode>(1);
  ASSERT_EQ(4u, Made.size());
  for (int Row = 0; Row < 2; ++Row) {
    const int32_t BandTop = 10 * mm + Row * 20 * mm;
    const TppDrawBarCode& T = *Made[Row * 2];
    EXPECT_EQ("PEDIDO 42", T.Data());
    EXPECT_TRUE(T.CodeOK());
    EXPECT_EQ((TRect{15 * mm, BandTop + 3 * mm, 15 * mm + Typed->mmWidth(), BandTop + 3 * mm + Typed->mmHeight()}),
              (TRect{T.Left(), T.Top(), T.Left() + T.Width(), T.Top() + T.Height()}))
        << Row;
    const TppDrawBarCode& F = *Made[Row * 2 + 1];
    EXPECT_EQ(Row == 0 ? "A1" : "B22", F.Data());
    EXPECT_TRUE(F.CodeOK());
    EXPECT_EQ(orTopToBottom, F.Orientation());
    EXPECT_EQ(50 * mm, F.Left()) << Row;
    EXPECT_EQ(BandTop + 1 * mm, F.Top()) << Row;
    EXPECT_GT(F.Height(), F.Width()) << Row;  // standing up
  }
  // The longer value makes the longer symbol.
  EXPECT_GT(Made[3]->Height(), Made[1]->Height());
}

}  // namespace ctrlstest
