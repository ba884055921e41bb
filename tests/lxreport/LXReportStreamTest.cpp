// Reports in the component stream: lengths travel as native "Values" only, binary and text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lxreport/LXBands.h"
#include "lxreport/LXPrintable.h"
#include "lxreport/VexaRpt.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "tests/lxreport/LXReportTestSupport.h"

using namespace lxtest;

namespace {
std::string ToText(TMemoryStream& Binary) {
  Binary.SetPosition(0);
  TMemoryStream Out;
  ObjectBinaryToText(Binary, Out);
  return std::string(reinterpret_cast<const char*>(Out.Memory()), Out.Bytes().size());
}

void FromText(const std::string& Text, TMemoryStream& Binary) {
  TMemoryStream In;
  In.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
  In.SetPosition(0);
  Binary.SetSize(0);
  ObjectTextToBinary(In, Binary);
  Binary.SetPosition(0);
}

// Reads Text into a new report (at the geometry in force).
TReportPtr ReadText(const std::string& Text) {
  TMemoryStream Binary;
  FromText(Text, Binary);
  TReportPtr R = NewReport();
  ReadComponentFromStream(Binary, R.get());
  return R;
}

TLXCustomBand* Named(const TCustomVexaRep& R, const std::string& Name) {
  for (TLXCustomBand* B : R.BandList())
    if (B->Name() == Name) return B;
  return nullptr;
}

class LXReportStreamTest : public ::testing::Test {
protected:
  LXReportStreamTest() { RegisterClass(TLXPrintable::StaticClassInfo()); }
  ~LXReportStreamTest() override { UnRegisterClass(TLXPrintable::StaticClassInfo()); }

  // Letter in landscape, inches, two columns; a title with a child and its own font, a detail
  // 27.3 mm tall, a printable on the detail.
  TReportPtr Sample() {
    TReportPtr R = NewReport();
    R->SetName("Rep");
    TLXPage& P = *R->Page();
    P.SetPaperSize(TLXPaperSize::Letter);
    P.SetOrientation(poLandscape);
    P.SetColumns(2);
    R->SetUnits(TLXUnit::Inches);
    P.SetColumnSpace(0.25L);
    P.SetLeftMargin(0.7L);
    TLXBand* Title = R->NewBand(rbTitle);
    Title->SetHasChild(true);
    Title->FindChild()->SetName("TitleChild");
    Title->Font()->SetName("Courier New");
    Title->Frame()->SetDrawBottom(true);
    TLXBand* Detail = R->NewBand(rbDetail);
    R->SetUnits(TLXUnit::MM);
    Detail->Size()->SetHeight(27.3L);
    auto* Box = new TLXPrintable(R.get());
    Box->SetName("Box");
    Box->SetParent(Detail);
    Box->Size()->SetLeft(12.5L);
    Box->Size()->SetTop(3.1L);
    Box->Size()->SetWidth(40);
    Box->Size()->SetHeight(8.25L);
    return R;
  }

  static void ExpectSameLengths(const TCustomVexaRep& A, const TCustomVexaRep& B) {
    auto Same = [](const TLXUnitBase& X, const TLXUnitBase& Y) {
      auto L = X.NativeLengths(), M = Y.NativeLengths();
      ASSERT_EQ(L.size(), M.size());
      for (size_t I = 0; I < L.size(); ++I) EXPECT_EQ(L[I], M[I]) << X.ClassName() << " " << I;
    };
    Same(*A.Page(), *B.Page());
    ASSERT_EQ(A.BandList().size(), B.BandList().size());
    for (const TLXCustomBand* Band : A.BandList()) {
      const TLXCustomBand* Other = Named(B, Band->Name());
      ASSERT_NE(Other, nullptr) << Band->Name();
      Same(*Band->Size(), *Other->Size());
      for (int I = 0; I < Band->ControlCount(); ++I) {
        auto* P = dynamic_cast<const TLXPrintable*>(Band->Controls(I));
        auto* Q = dynamic_cast<const TLXPrintable*>(Other->Controls(I));
        ASSERT_TRUE(P && Q);
        Same(*P->Size(), *Q->Size());
      }
    }
  }

  TGeometryScope Geometry;
};
}  // namespace

TEST_F(LXReportStreamTest, ValuesRoundTripBinaryAndText) {
  TReportPtr R = Sample();
  TMemoryStream Binary;
  WriteComponentToStream(Binary, R.get());
  std::string Text = ToText(Binary);
  // Lengths travel only as native "Values": seven for the page, two for a band, four for a printable.
  EXPECT_NE(Text.find("  Page.Values = (\r\n    100.0\r\n    2159.0\r\n    100.0\r\n    2794.0\r\n    177.8\r\n"
                      "    100.0\r\n    63.5)"),
            std::string::npos)
      << Text;
  EXPECT_NE(Text.find("    Size.Values = (\r\n      273.0\r\n      1226.35)"), std::string::npos);
  EXPECT_NE(Text.find("      Size.Values = (\r\n        82.5\r\n        125.0\r\n        31.0\r\n        400.0)"),
            std::string::npos);
  for (const char* Never : {"Page.Width", "Page.LeftMargin", "Size.Height", "Size.Left", "HasChild", "HasDetail"})
    EXPECT_EQ(Text.find(Never), std::string::npos) << Never;
  // Defaults stay out; what differs is there.
  EXPECT_NE(Text.find("Page.Columns = 2"), std::string::npos);
  EXPECT_NE(Text.find("Page.Orientation = poLandscape"), std::string::npos);
  EXPECT_EQ(Text.find("Ruler"), std::string::npos);
  EXPECT_EQ(Text.find("Frame.DrawTop"), std::string::npos);
  EXPECT_NE(Text.find("Frame.DrawBottom = True"), std::string::npos);
  EXPECT_NE(Text.find("Font.Name = 'Courier New'"), std::string::npos);
  EXPECT_NE(Text.find("ParentBand = TitleBand1"), std::string::npos);
  size_t Lists = 0;
  for (size_t At = 0; (At = Text.find("Values = (", At)) != std::string::npos; ++At) ++Lists;
  EXPECT_EQ(Lists, 5u) << Text;  // the page, three bands, the box

  Binary.SetPosition(0);
  TReportPtr FromBinary = NewReport();
  ReadComponentFromStream(Binary, FromBinary.get());
  ExpectSameLengths(*R, *FromBinary);
  TReportPtr FromTextForm = ReadText(Text);
  ExpectSameLengths(*R, *FromTextForm);

  const TCustomVexaRep& C = *FromTextForm;
  EXPECT_EQ(C.Page()->PaperSize(), TLXPaperSize::Letter);
  EXPECT_EQ(C.Page()->Columns(), 2);
  EXPECT_EQ(C.Units(), TLXUnit::MM);
  ASSERT_EQ(C.BandList().size(), 3u);  // one child band, not a second one from a stored switch
  TLXCustomBand* Title = Named(C, "TitleBand1");
  ASSERT_NE(Title, nullptr);
  EXPECT_EQ(Title->FindChild(), Named(C, "TitleChild"));
  EXPECT_EQ(Title->Font()->Name(), "Courier New");
  EXPECT_TRUE(Title->Frame()->DrawBottom());
  EXPECT_TRUE(Named(C, "TitleChild")->ParentFont());
  TLXCustomBand* Detail = Named(C, "DetailBand1");
  ASSERT_EQ(Detail->ControlCount(), 1);
  auto* Box = dynamic_cast<TLXPrintable*>(Detail->Controls(0));
  ASSERT_NE(Box, nullptr);
  EXPECT_EQ(Box->Report(), &C);
  EXPECT_EQ(Box->BoundsRect(), Bounds(RoundPixels(125 / 254.0L * 96), RoundPixels(31 / 254.0L * 96),
                                      RoundPixels(400 / 254.0L * 96), RoundPixels(82.5L / 254 * 96)));
  EXPECT_EQ(Detail->Height(), RoundPixels(273 / 254.0L * 96));
}

TEST_F(LXReportStreamTest, AReportSavedAt96PpiKeepsItsLengthsAt120) {
  TReportPtr R = Sample();
  TMemoryStream Binary;
  WriteComponentToStream(Binary, R.get());
  TGeometryScope Screen120(false, 120);
  Binary.SetPosition(0);
  TReportPtr Read = NewReport();
  ReadComponentFromStream(Binary, Read.get());
  ExpectSameLengths(*R, *Read);
  // The pixels follow the new screen.
  TLXCustomBand* Detail = Named(*Read, "DetailBand1");
  EXPECT_EQ(Detail->Height(), RoundPixels(273 / 254.0L * 120));
  EXPECT_EQ(Read->Width(), RoundPixels(2794 / 254.0L * 120));
  EXPECT_EQ(Detail->Controls(0)->Width(), RoundPixels(400 / 254.0L * 120));
}

TEST_F(LXReportStreamTest, FewerValuesKeepTheRestMoreOrInsaneOnesAreAReadError) {
  std::string Head = "object Rep: TVexaRep\r\n  Page.Values = (\r\n";
  TReportPtr R = ReadText(Head + "    150.0\r\n    2000.0)\r\nend\r\n");
  const TLXPage& P = *R->Page();
  EXPECT_EQ(P.Native(TLXPage::BottomMarginIndex), 150);
  EXPECT_EQ(P.Native(TLXPage::LengthIndex), 2000);
  EXPECT_EQ(P.Native(TLXPage::TopMarginIndex), 100);  // the new report's own
  EXPECT_EQ(P.Native(TLXPage::WidthIndex), 2100);
  EXPECT_EQ(R->Height(), RoundPixels(2000 / 254.0L * 96));

  // An empty list changes nothing.
  EXPECT_EQ(ReadText("object Rep: TVexaRep\r\n  Page.Values = ()\r\nend\r\n")->Page()->Native(TLXPage::LengthIndex),
            2970);

  for (const std::string& Bad : {std::string("1.0 2.0 3.0 4.0 5.0 6.0 7.0 8.0"), std::string("1e30"),
                                  std::string("-2e7")}) {
    SCOPED_TRACE(Bad);
    std::string Items;
    for (char C : Bad) Items += C == ' ' ? std::string("\r\n") : std::string(1, C);
    TMemoryStream Binary;
    FromText(Head + Items + ")\r\nend\r\n", Binary);
    TReportPtr Into = NewReport();
    EXPECT_THROW(ReadComponentFromStream(Binary, Into.get()), EReadError);
    EXPECT_EQ(Into->Page()->Native(TLXPage::BottomMarginIndex), 100);  // nothing taken from a bad list
  }
  // A band's list holds two.
  TMemoryStream Binary;
  FromText("object Rep: TVexaRep\r\n  object B: TLXBand\r\n    Size.Values = (\r\n      1.0\r\n      2.0\r\n"
           "      3.0)\r\n  end\r\nend\r\n",
           Binary);
  TReportPtr Into = NewReport();
  EXPECT_THROW(ReadComponentFromStream(Binary, Into.get()), EReadError);
}

TEST_F(LXReportStreamTest, AStreamCutInsideTheValuesIsAReadError) {
  TReportPtr R = Sample();
  TMemoryStream Binary;
  WriteComponentToStream(Binary, R.get());
  const auto& Bytes = Binary.Bytes();
  std::string All(Bytes.begin(), Bytes.end());
  size_t At = All.find("Page.Values");
  ASSERT_NE(At, std::string::npos);
  // Cut in the list itself, then in the middle of a float.
  for (size_t Cut : {At + 12, At + 12 + 1 + 1 + 5}) {
    TMemoryStream Short;
    Short.WriteBuffer(Bytes.data(), static_cast<int64_t>(Cut));
    Short.SetPosition(0);
    TReportPtr Into = NewReport();
    EXPECT_THROW(ReadComponentFromStream(Short, Into.get()), EReadError) << Cut;
  }
}

TEST_F(LXReportStreamTest, WithoutValuesTheBoundsReadPlaceBandsAndPrintables) {
  TReportPtr R = ReadText(
      "object Rep: TVexaRep\r\n"
      "  object Tall: TLXBand\r\n    Height = 55\r\n    BandType = rbDetail\r\n"
      "    object Box: TLXPrintable\r\n      Left = 10\r\n      Top = 5\r\n      Width = 100\r\n"
      "      Height = 20\r\n    end\r\n  end\r\n"
      "  object Plain: TLXBand\r\n    Height = 40\r\n    BandType = rbSummary\r\n  end\r\nend\r\n");
  TLXCustomBand* Tall = Named(*R, "Tall");
  ASSERT_NE(Tall, nullptr);
  EXPECT_EQ(Tall->Height(), 55);
  EXPECT_NEAR(static_cast<double>(Tall->Size()->Native(TLXBandSize::LengthIndex)), 55 * 254 / 96.0, 1e-9);
  EXPECT_EQ(Named(*R, "Plain")->Height(), 40);
  EXPECT_EQ(Named(*R, "Plain")->Top(), Tall->Top() + 55);
  auto* Box = dynamic_cast<TLXPrintable*>(Tall->Controls(0));
  ASSERT_NE(Box, nullptr);
  EXPECT_EQ(Box->BoundsRect(), Bounds(10, 5, 100, 20));
  EXPECT_NEAR(static_cast<double>(Box->Size()->Native(TLXPrintableSize::WidthIndex)), 100 * 254 / 96.0, 1e-9);
}
