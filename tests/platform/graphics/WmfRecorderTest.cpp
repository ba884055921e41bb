#include "platform/graphics/WmfRecorder.h"

#include <gtest/gtest.h>

#include "platform/classes/ByteReader.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/SysUtils.h"
#include "tests/TestTemp.h"
#include "tests/platform/printing/PdfProbe.h"

namespace {
TMetafile SmallPage() {
  TMetafile M;
  M.SetWidth(320);
  M.SetHeight(160);
  TMetafileCanvas C(M);
  C.Font().SetName("Arial");
  C.Font().SetSize(14);
  C.Brush().SetStyle(bsClear);
  C.TextOut(20, 20, "Relatório Mensal");
  C.Pen().SetWidth(2);
  C.Brush().SetColor(clYellow);
  C.Rectangle(20, 60, 200, 120);
  C.Ellipse(220, 60, 300, 120);
  C.MoveTo(20, 140);
  C.LineTo(300, 140);
  C.Brush().SetColor(clLime);
  C.FillRect(Rect(20, 145, 60, 155));
  C.End();
  return M;
}
}  // namespace

TEST(WmfRecorderTest, PlaceableHeaderAndRecordChain) {
  TMetafile M = SmallPage();
  M.SetEnhanced(false);
  TMemoryStream S;
  M.SaveToStream(S);
  std::vector<uint8_t> B(static_cast<size_t>(S.Size()));
  S.SetPosition(0);
  S.ReadBuffer(B.data(), S.Size());
  TByteReader R(B.data(), B.size());
  EXPECT_EQ(R.U32(0), 0x9AC6CDD7u);
  EXPECT_EQ(R.U16(14), 1440);
  // 320 x 160 screen pixels are 3.33 x 1.67 inches.
  EXPECT_NEAR(R.I16(10), 4800, 2);
  EXPECT_NEAR(R.I16(12), 2400, 2);
  uint16_t Sum = 0;
  for (size_t I = 0; I < 20; I += 2) Sum ^= R.U16(I);
  EXPECT_EQ(R.U16(20), Sum);
  EXPECT_EQ(R.U16(22), 1);
  EXPECT_EQ(R.U16(24), 9);
  EXPECT_EQ(R.U32(28) * 2 + 22, B.size());
  // Records chain to the end-of-file record; none is larger than the header says.
  size_t At = 40, Records = 0;
  uint32_t Largest = 0;
  std::vector<uint16_t> Functions;
  while (At + 6 <= B.size()) {
    const uint32_t Words = R.U32(At);
    ASSERT_GE(Words, 3u);
    Largest = std::max(Largest, Words);
    Functions.push_back(R.U16(At + 4));
    At += Words * 2, ++Records;
    if (Functions.back() == 0) break;
  }
  EXPECT_EQ(At, B.size());
  EXPECT_EQ(R.U32(34), Largest);
  for (uint16_t F : {0x0A32, 0x041B, 0x0418, 0x0213}) {
    EXPECT_NE(std::find(Functions.begin(), Functions.end(), F), Functions.end()) << std::hex << F;
  }
}

// Another program must read what we write.
TEST(WmfRecorderTest, AnIndependentReaderConvertsTheFile) {
  if (std::system("command -v wmf2svg >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "wmf2svg is not installed (Debian package libwmf-bin, in scripts/deps.sh)";
  TTestTempFiles Temp;
  const std::string Wmf = Temp.Path("page.wmf"), Svg = Temp.Path("page.svg");
  TMetafile M = SmallPage();
  M.SetEnhanced(false);
  M.SaveToFile(Wmf);
  ASSERT_EQ(std::system(("wmf2svg -o '" + Svg + "' '" + Wmf + "' 2>/dev/null").c_str()), 0);
  const std::string S = LowerCaseAscii(RunCommand("cat '" + Svg + "'"));
  // The reader places each glyph by its advance, one text element per glyph.
  std::string Glyphs;
  for (size_t P = S.find("\t>"); P != std::string::npos; P = S.find("\t>", P + 1)) Glyphs += S.substr(P + 2, S.find('<', P) - P - 2);
  EXPECT_EQ(Glyphs, "relat\xF3rio mensal") << S.substr(0, 3000);
  EXPECT_NE(S.find("<ellipse"), std::string::npos);
  EXPECT_NE(S.find("fill:yellow"), std::string::npos);  // the rectangle's brush
  EXPECT_NE(S.find("fill:lime"), std::string::npos) << S;    // the filled rectangle
}

TEST(WmfRecorderTest, APageBeyondSixteenBitsGetsFewerUnitsPerInch) {
  const TMetafile M = SmallPage();
  const std::vector<uint8_t> B = EmfToWmf(M.Data(), 100000, 50000);  // a metre by half a metre
  TByteReader R(B.data(), B.size());
  EXPECT_EQ(R.U16(14), 832);
  EXPECT_EQ(R.I16(10), 32755);
  EXPECT_EQ(R.I16(12), 16377);
}

// Each advance is one signed 16-bit word: a larger step (a damaged file's, or one through a large
// transform) is clamped, and the glyphs after it still land where their running sum puts them.
TEST(WmfRecorderTest, TextAdvancesBeyondSixteenBitsAreClamped) {
  struct TCase {
    std::vector<int> Dx;
    std::vector<int16_t> Words;
  };
  const TCase Cases[] = {
      {{100000, -99990, 7}, {32767, -32757, 7}},
      {{2000000000, 2000000000, 2000000000}, {32767, 32767, 32767}},
      {{-2000000000, -2000000000, 5}, {-32768, -32768, -32768}},
  };
  for (const TCase& C : Cases) {
    TWmfRecorderDC Dc(TSize{1000, 1000}, 1440);
    Dc.ExtTextOut(0, 0, 0, nullptr, u"abc", C.Dx.data());
    const std::vector<uint8_t> B = Dc.Finish();
    TByteReader R(B.data(), B.size());
    // The text record: size, function, y, x, length, options, the bytes (padded), the advances.
    size_t At = 40;
    while (At + 6 <= B.size() && R.U16(At + 4) != 0x0A32) At += R.U32(At) * 2;
    ASSERT_LT(At + 6, B.size());
    EXPECT_EQ(R.U16(At + 10), 3);
    for (size_t I = 0; I < 3; ++I) EXPECT_EQ(R.I16(At + 14 + 4 + 2 * I), C.Words[I]) << C.Dx[0] << " " << I;
  }
}
