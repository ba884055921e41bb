// The printer setup: defaults, lengths in units, validation by the owner, paper names and sizes on
// a printer's paper list, the stream extras, and its descriptor.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/FormatSettings.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppPrinterSetupRTTI.h"
#include "tests/ppreport/core/ppPrintTestSupport.h"

namespace {

// A printer listing A4, Letter and an envelope (as drivers name them here), and a second printer
// that lists A4 under another name.
class ppPrinterSetupTest : public ppPrintTest {
protected:
  void SetUp() override {
    ppPrintTest::SetUp();
    TVirtualPrinterConfig A;
    A.Papers = {{9, "A4", 2100, 2970}, {1, "Letter", 2159, 2794}, {27, "Envelope DL 110 x 220mm", 1100, 2200}};
    Install("Office", A, true);
    TVirtualPrinterConfig B;
    B.Papers = {{1, "Carta", 2159, 2794}, {9, "A4 (folha)", 2100, 2970}};
    Install("Plotter", B);
    Refresh();
  }
};

// A component that owns a setup, as a report does, for streams.
class TSetupHost : public TComponent {
  DECLARE_CLASSINFO(TSetupHost)
public:
  explicit TSetupHost(TComponent* Owner) : TComponent(Owner), Setup(this) {}
  TppPrinterSetup* GetSetup() const { return const_cast<TppPrinterSetup*>(&Setup); }
  TppPrinterSetup Setup;
};

const TClassInfo& TSetupHost::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TSetupHost>("TSetupHost", &TComponent::StaticClassInfo())
                                     .Prop("PrinterSetup", &TSetupHost::GetSetup);
  return Info;
}

std::string StreamText(TComponent* Root, TComponent* Ancestor = nullptr) {
  TMemoryStream Bin, Text;
  {
    TWriter W(Bin);
    if (Ancestor)
      W.WriteDescendent(Root, Ancestor);
    else
      W.WriteRootComponent(Root);
  }
  Bin.SetPosition(0);
  ObjectBinaryToText(Bin, Text);
  return std::string(reinterpret_cast<const char*>(Text.Memory()), static_cast<size_t>(Text.Size()));
}

TEST_F(ppPrinterSetupTest, DefaultsFollowTheDecimalSeparator) {
  {
    TFormatSettingsScope English(EnglishFormatSettings());
    TppPrinterSetup S;
    EXPECT_EQ(215900, S.PageDef()->mmWidth());
    EXPECT_EQ(279401, S.PageDef()->mmHeight());
    EXPECT_EQ(6350, S.PageDef()->mmMarginLeft());
    EXPECT_EQ(6350, S.PageDef()->mmMarginBottom());
    EXPECT_FLOAT_EQ(8.5f, S.PaperWidth());
    EXPECT_FLOAT_EQ(0.25f, S.MarginTop());
    EXPECT_EQ(utInches, S.Units());
  }
  TppPrinterSetup S;
  EXPECT_EQ(210000, S.PageDef()->mmWidth());
  EXPECT_EQ(297000, S.PageDef()->mmHeight());
  EXPECT_EQ("Default", S.PrinterName());
  EXPECT_EQ("Office", S.PrinterDescription());
  EXPECT_EQ("A4", S.PaperName());  // "Custom" that fits a listed paper reads as that paper
  EXPECT_EQ(9, S.GetPaperSizeCode());
  EXPECT_EQ(1, S.Copies());
  EXPECT_TRUE(S.Collation());
  EXPECT_EQ(dpNone, S.Duplex());
  EXPECT_EQ("Default", S.BinName());
  EXPECT_TRUE(S.Active());
  S.SetUnits(utMillimeters);
  EXPECT_FLOAT_EQ(210.0f - 2 * 6.35f, S.PrintableWidth());
  EXPECT_EQ(Rect(6350, 6350, 210000 - 6350, 297000 - 6350), S.PageDef()->GetPrintableRect());
  EXPECT_EQ(794, S.PageDef()->GetspWidth());
}

TEST_F(ppPrinterSetupTest, ChangesAreOfferedToTheOwnerFirst) {
  TppPrinterSetup S;
  S.SetUnits(utMillimeters);
  int Layouts = 0, Others = 0;
  bool Accept = true;
  int32_t Offered = 0;
  S.OnLayoutChange = [&](TObject*) { ++Layouts; };
  S.OnPrinterSetupChange = [&](TObject*) { ++Others; };
  S.OnPageDefChange = [&](TObject*, TppPageDef* Candidate, bool& Valid) {
    Offered = Candidate->mmMarginLeft();
    Valid = Accept;
  };
  S.SetMarginLeft(10);
  EXPECT_EQ(10000, Offered);
  EXPECT_EQ(10000, S.PageDef()->mmMarginLeft());
  EXPECT_EQ(1, Layouts);
  Accept = false;
  S.SetMarginLeft(20);
  EXPECT_EQ(10000, S.PageDef()->mmMarginLeft());
  EXPECT_EQ(1, Layouts);
  Accept = true;
  S.SetMarginLeft(-1);
  S.SetPaperWidth(-5);
  S.SetCopies(0);
  EXPECT_EQ(10000, S.PageDef()->mmMarginLeft());
  EXPECT_EQ(210000, S.PageDef()->mmWidth());
  EXPECT_EQ(1, S.Copies());
  EXPECT_EQ(1, Layouts);
  EXPECT_EQ(0, Others);

  S.SetOrientation(poLandscape);
  EXPECT_EQ(297000, S.PageDef()->mmWidth());
  EXPECT_EQ(210000, S.PageDef()->mmHeight());
  S.SetOrientation(poLandscape);
  EXPECT_EQ(2, Layouts);
  Accept = false;
  S.SetOrientation(poPortrait);
  EXPECT_EQ(poLandscape, S.Orientation());
  EXPECT_EQ(297000, S.PageDef()->mmWidth());

  S.SetCopies(3);
  S.SetCopies(3);
  S.SetBinName("Current");  // "Default" already
  S.SetDuplex(dpVertical);
  EXPECT_EQ(2, Others);

  // Change tracking off (a printer updating the setup): stored without asking or announcing.
  S.SetChangeTracking(false);
  S.SetMarginTop(30);
  S.SetOrientation(poPortrait);
  EXPECT_EQ(30000, S.PageDef()->mmMarginTop());
  EXPECT_EQ(210000, S.PageDef()->mmWidth());
  EXPECT_EQ(2, Layouts);
}

TEST_F(ppPrinterSetupTest, PaperNamesAndSizes) {
  TppPrinterSetup S;
  S.SetUnits(utMillimeters);
  // Within a millimetre of a listed paper.
  S.SetPaperWidth(210.5f);
  S.SetPaperHeight(297.9f);
  EXPECT_EQ("A4", S.PaperName());
  S.SetPaperWidth(211.5f);
  S.SetPaperHeight(297);
  EXPECT_EQ("Custom", S.PaperName());
  EXPECT_EQ(256, S.GetPaperSizeCode());
  // Landscape sizes compare with the portrait list.
  S.SetOrientation(poLandscape);
  S.SetPaperWidth(279.4f);
  S.SetPaperHeight(215.9f);
  EXPECT_EQ("Letter", S.PaperName());
  EXPECT_EQ(1, S.GetPaperSizeCode());

  std::string Name;
  EXPECT_TRUE(S.PaperNameForCode(27, Name));
  EXPECT_EQ("Envelope DL 110 x 220mm", Name);
  EXPECT_FALSE(S.PaperNameForCode(8, Name));
  float W = 1, H = 2;
  S.PaperSizeForName("A4", W, H);
  EXPECT_FLOAT_EQ(297, W);  // as oriented
  EXPECT_FLOAT_EQ(210, H);
  S.PaperSizeForName("A5", W, H);
  EXPECT_FLOAT_EQ(297, W);

  // Naming a listed paper takes its size.
  S.SetOrientation(poPortrait);
  S.SetPaperName("A4");
  EXPECT_EQ(210000, S.PageDef()->mmWidth());
  EXPECT_EQ(297000, S.PageDef()->mmHeight());
  // "Custom" only names the paper; the size stays.
  S.SetPaperName("Custom");
  EXPECT_EQ(210000, S.PageDef()->mmWidth());
}

TEST_F(ppPrinterSetupTest, AnEnvelopeTurnsThePageOnlyWhenTheOwnerAccepts) {
  TppPrinterSetup S;
  S.SetUnits(utMillimeters);
  bool Accept = false;
  int Layouts = 0;
  S.OnPageDefChange = [&](TObject*, TppPageDef*, bool& Valid) { Valid = Accept; };
  S.OnLayoutChange = [&](TObject*) { ++Layouts; };
  S.SetPaperName("Envelope DL 110 x 220mm");
  EXPECT_EQ(poPortrait, S.Orientation());  // refused: nothing changed
  EXPECT_EQ(210000, S.PageDef()->mmWidth());
  EXPECT_EQ("A4", S.PaperName());
  EXPECT_EQ(0, Layouts);
  Accept = true;
  S.SetPaperName("Envelope DL 110 x 220mm");
  EXPECT_EQ(poLandscape, S.Orientation());
  EXPECT_EQ(220000, S.PageDef()->mmWidth());
  EXPECT_EQ(110000, S.PageDef()->mmHeight());
  EXPECT_FLOAT_EQ(220, S.PaperWidth());
  EXPECT_EQ(1, Layouts);

  // In inches the listed size is kept exactly; a change of unit leaves it so.
  S.SetUnits(utInches);
  EXPECT_EQ(220000, S.PageDef()->mmWidth());
  EXPECT_NEAR(8.6614, S.PaperWidth(), 1e-4);
}

TEST_F(ppPrinterSetupTest, ThePaperFollowsToAnotherPrinter) {
  TppPrinterSetup S;
  int Others = 0;
  S.OnPrinterSetupChange = [&](TObject*) { ++Others; };
  S.SetPaperName("Letter");
  S.SetPrinterName("plotter");
  EXPECT_EQ("Plotter", S.PrinterName());  // as the list writes it
  EXPECT_EQ("Carta", S.PaperName());      // code 1 there
  EXPECT_EQ(1, Others);
  EXPECT_EQ((std::vector<std::string>{"Carta", "A4 (folha)", "Custom"}), Items(*S.PaperNames()));
  EXPECT_EQ((std::vector<std::string>{"Default", "Screen", "Office", "Plotter"}), Items(*S.PrinterNames()));
  S.SetPrinterName("Current");
  EXPECT_EQ("Default", S.PrinterName());
  EXPECT_EQ("Office", S.PrinterDescription());
  EXPECT_EQ("Letter", S.PaperName());
  S.SetPrinterName("Nowhere");  // the default printer's entry, under its own name
  EXPECT_EQ("Office", S.PrinterName());

  // The entry lives on with the setup when the list is built again.
  auto Info = S.PrinterInfo();
  UninstallAllPrinters();
  Refresh();
  EXPECT_EQ("Office", Info->Name());
  EXPECT_EQ("Letter", S.PaperNames()->Get(1));
}

TEST_F(ppPrinterSetupTest, CopiesAndComparisons) {
  TppPrinterSetup A, B;
  A.SetPaperName("Letter");
  A.SetCopies(2);
  A.SetDocumentName("Vendas");
  A.SetUnits(utMillimeters);
  int Calls = 0;
  B.OnLayoutChange = [&](TObject*) { ++Calls; };
  B.OnPrinterSetupChange = [&](TObject*) { ++Calls; };
  B.Assign(&A);
  EXPECT_EQ(0, Calls);
  EXPECT_TRUE(B.IsEqual(A));
  EXPECT_TRUE(B.IsSamePaper(A));
  EXPECT_EQ(utMillimeters, B.Units());
  EXPECT_EQ("Vendas", B.DocumentName());
  // The paper's name alone does not make two setups differ, but another paper.
  B.SetChangeTracking(false);
  B.SetPaperName("Letter (US)");
  EXPECT_TRUE(B.IsEqual(A));
  EXPECT_FALSE(B.IsSamePaper(A));
  B.SetCollation(false);
  EXPECT_FALSE(B.IsEqual(A));
  TppPageDef Def;
  EXPECT_THROW(B.Assign(&Def), EConvertError);
}

TEST_F(ppPrinterSetupTest, StreamsCarryMicronsAndThePaperCode) {
  RegisterClass(TSetupHost::StaticClassInfo());
  TSetupHost Host(nullptr);
  Host.SetName("Report");
  Host.Setup.SetUnits(utMillimeters);
  Host.Setup.SetPaperName("Letter");
  Host.Setup.SetMarginLeft(12.5f);
  Host.Setup.SetOrientation(poLandscape);
  std::string Text = StreamText(&Host);
  EXPECT_NE(std::string::npos, Text.find("PrinterSetup.mmMarginLeft = 12500")) << Text;
  EXPECT_NE(std::string::npos, Text.find("PrinterSetup.mmPaperWidth = 279400")) << Text;
  EXPECT_NE(std::string::npos, Text.find("PrinterSetup.PaperSize = 1")) << Text;
  EXPECT_NE(std::string::npos, Text.find("PrinterSetup.Orientation = poLandscape")) << Text;
  EXPECT_EQ(std::string::npos, Text.find("PrinterSetup.MarginLeft =")) << Text;

  // Read for another printer: the stored code finds that printer's name for the paper.
  size_t At = Text.find("PrinterSetup.PrinterName = 'Default'");
  ASSERT_NE(std::string::npos, At) << Text;
  Text.replace(At, std::string("PrinterSetup.PrinterName = 'Default'").size(), "PrinterSetup.PrinterName = 'Plotter'");
  TMemoryStream In, Bin;
  In.Write(Text.data(), static_cast<int64_t>(Text.size()));
  In.SetPosition(0);
  ObjectTextToBinary(In, Bin);
  Bin.SetPosition(0);
  TSetupHost Copy(nullptr);
  int Offers = 0;
  Copy.Setup.OnPageDefChange = [&](TObject*, TppPageDef*, bool&) { ++Offers; };
  ReadComponentFromStream(Bin, &Copy);
  EXPECT_EQ(0, Offers);  // read without asking
  EXPECT_EQ("Plotter", Copy.Setup.PrinterName());
  EXPECT_EQ("Carta", Copy.Setup.PaperName());
  EXPECT_EQ(279400, Copy.Setup.PageDef()->mmWidth());
  EXPECT_EQ(12500, Copy.Setup.PageDef()->mmMarginLeft());
  EXPECT_EQ(poLandscape, Copy.Setup.Orientation());

  // Against an equal ancestor nothing of the setup is written.
  TSetupHost Ancestor(nullptr);
  Ancestor.SetName("Report");
  Ancestor.Setup.Assign(&Copy.Setup);
  Text = StreamText(&Copy, &Ancestor);
  EXPECT_EQ(std::string::npos, Text.find("PrinterSetup.mm")) << Text;
  EXPECT_EQ(std::string::npos, Text.find("PaperSize")) << Text;
  UnRegisterClass(TSetupHost::StaticClassInfo());
}

// An older stream carries PaperWidth and PaperHeight in the setup's unit: they wait for the report.
TEST_F(ppPrinterSetupTest, PaperSizesOfOlderStreamsWaitUntilApplied) {
  RegisterClass(TSetupHost::StaticClassInfo());
  const std::string Text =
      "object Report: TSetupHost\n"
      "  PrinterSetup.PaperHeight = 10\n"
      "  PrinterSetup.PaperWidth = 5\n"
      "end\n";
  TMemoryStream In, Bin;
  In.Write(Text.data(), static_cast<int64_t>(Text.size()));
  In.SetPosition(0);
  ObjectTextToBinary(In, Bin);
  Bin.SetPosition(0);
  TSetupHost Host(nullptr);
  ReadComponentFromStream(Bin, &Host);
  EXPECT_EQ(210000, Host.Setup.PageDef()->mmWidth());
  Host.Setup.ApplyPendingPaperSize();
  EXPECT_EQ(127000, Host.Setup.PageDef()->mmWidth());
  EXPECT_EQ(254001, Host.Setup.PageDef()->mmHeight());
  UnRegisterClass(TSetupHost::StaticClassInfo());
}

TEST_F(ppPrinterSetupTest, PrinterPixelsCountAtThePrinterTheOwnerNames) {
  TVirtualPrinterConfig C;
  C.PixelsPerInchX = 600;
  C.PixelsPerInchY = 300;
  Install("Fine", C);
  Refresh();
  TppPrinter Fine;
  Fine.SetPrinterName("Fine");
  TppPrinterSetup S;
  S.SetUnits(utPrinterPixels);
  S.OnGetPrinter = [&](TObject*, TppCustomPrinter*& P) { P = &Fine; };
  EXPECT_NEAR(210 * 0.03937 * 600, S.PaperWidth(), 1);
  EXPECT_NEAR(297 * 0.03937 * 300, S.PaperHeight(), 1);
}

TEST_F(ppPrinterSetupTest, Descriptor) {
  TppPrinterSetup S;
  const TraRTTI* D = TraRTTIClassRegistry::GetRTTIClass(S);
  ASSERT_NE(nullptr, D);
  EXPECT_STREQ("TraTppPrinterSetupRTTI", D->Name());
  // Served by name, not listed: the list is the plain object's ("Assign" not among it).
  TStringList Names;
  D->GetPropList(*S.ClassInfo(), Names);
  EXPECT_EQ(-1, Names.IndexOf("Assign"));
  for (const char* N : {"Active", "BinNames", "PageDef", "PaperNames", "PrintableHeight", "PrintableWidth",
                        "PrinterDescription", "PrinterInfo", "PrinterNames", "Units", "PaperName", "Orientation"}) {
    TraPropRec Rec;
    EXPECT_TRUE(D->GetPropRec(*S.ClassInfo(), N, Rec)) << N;
  }
  TraValue V;
  V.Ord = utMillimeters;
  ASSERT_TRUE(D->SetPropValue(&S, "Units", V));
  EXPECT_EQ(utMillimeters, S.Units());
  ASSERT_TRUE(D->GetPropValue(&S, "PrintableWidth", V));
  EXPECT_FLOAT_EQ(210 - 12.7f, static_cast<float>(V.Float));
  ASSERT_TRUE(D->GetPropValue(&S, "PrinterInfo", V));
  EXPECT_EQ(S.GetPrinterInfo(), V.Obj);
  EXPECT_FALSE(D->SetPropValue(&S, "PrintableWidth", V));
  TraPropRec R;
  ASSERT_TRUE(D->GetPropRec(*S.ClassInfo(), "PaperNames", R));
  EXPECT_EQ(vkClass, R.DataType);
  EXPECT_TRUE(R.ReadOnly);
}

}  // namespace
