#include "exceptions/report/TarvikPng.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <tuple>

#include "exceptions/report/TarvikScreenshot.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "tests/TestTemp.h"
#include "tests/exceptions/XvfbServer.h"

namespace {
struct TDecoded {
  int Width = 0, Height = 0, IdatCount = 0;
  size_t LargestIdat = 0;
  std::string Palette, Pixels;
};

// Reads the file back with the independent reader (Python's zlib and struct).
TDecoded Decode(const std::string& Png) {
  TTestTempFiles T;
  std::string Raw = T.Path("raw.bin");
  std::string Cmd = "python3 " MOR_PNG_CHECK " '" + Png + "' '" + Raw + "' 2>&1";
  TDecoded D;
  FILE* P = popen(Cmd.c_str(), "r");
  if (!P) return D;
  char Line[4096] = {0};
  std::string Out;
  while (fgets(Line, sizeof Line, P)) Out += Line;
  int Rc = pclose(P);
  EXPECT_EQ(Rc, 0) << Out;
  std::istringstream S(Out);
  S >> D.Width >> D.Height >> D.IdatCount >> D.LargestIdat;
  std::ifstream F(Raw, std::ios::binary);
  std::string All((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
  if (All.size() >= 768) {
    D.Palette = All.substr(0, 768);
    D.Pixels = All.substr(768);
  }
  return D;
}

// The palette colour of the pixel at (X, Y) of a decoded picture.
uint32_t ColourAt(const TDecoded& D, int X, int Y) {
  auto E = static_cast<uint8_t>(D.Pixels[static_cast<size_t>(Y) * D.Width + X]);
  auto C = [&](int K) { return static_cast<uint32_t>(static_cast<uint8_t>(D.Palette[E * 3 + K])); };
  return C(0) << 16 | C(1) << 8 | C(2);
}

// Squared distance of two colours.
int Distance(uint32_t A, uint32_t B) {
  int M = 0;
  for (int S = 0; S <= 16; S += 8) M += (int(A >> S & 0xFF) - int(B >> S & 0xFF)) * (int(A >> S & 0xFF) - int(B >> S & 0xFF));
  return M;
}
// The cube's worst case: every channel 25 away from its level.
constexpr int PaletteError = 3 * 25 * 25;
}  // namespace

TEST(TarvikPng, CrcMatchesTheStandard) {
  EXPECT_EQ(~CalcCRC(0xFFFFFFFFu, "IEND", 4), 0xAE426082u);
  EXPECT_EQ(~CalcCRC(0xFFFFFFFFu, "123456789", 9), 0xCBF43926u);  // the CRC-32 check value
}

TEST(TarvikPng, PaletteIsCubeAndGreysAndMapsWithinItsError) {
  const auto& P = ScreenPalette();
  EXPECT_EQ(P[(5 * 36 + 0 * 6 + 3) * 3 + 2], 153);  // cube entry (255, 0, 153)
  for (int I = 216; I < 256; ++I) {
    EXPECT_EQ(P[I * 3], P[I * 3 + 1]);
    EXPECT_EQ(P[I * 3], P[I * 3 + 2]);
  }
  std::mt19937 Rng(7);
  for (int K = 0; K < 2000; ++K) {
    uint32_t C = Rng() & 0xFFFFFF;
    uint8_t E = ScreenPaletteIndex(C >> 16, C >> 8 & 0xFF, C & 0xFF);
    uint32_t Got = uint32_t(P[E * 3]) << 16 | uint32_t(P[E * 3 + 1]) << 8 | P[E * 3 + 2];
    EXPECT_LE(Distance(C, Got), PaletteError) << std::hex << C;
  }
  // Greys keep a fine scale (the 40 greys sit between the cube's six).
  for (int L = 0; L < 256; ++L) {
    uint8_t E = ScreenPaletteIndex(L, L, L);
    EXPECT_LE(std::abs(int(P[E * 3]) - L), 4) << L;
  }
}

TEST(TarvikPng, IndependentReaderDecodesItsOwnOutput) {
  TTestTempFiles T;
  struct TCase {
    int Width, Height;
    bool Noisy;
  } Cases[] = {{1, 1, false}, {37, 5, false}, {1023, 17, false}, {800, 700, true}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::to_string(C.Width) + "x" + std::to_string(C.Height));
    TPalettedImage Image;
    Image.Width = C.Width;
    Image.Height = C.Height;
    Image.Pixels.resize(size_t(C.Width) * C.Height);
    std::mt19937 Rng(C.Width);
    for (size_t I = 0; I < Image.Pixels.size(); ++I)
      Image.Pixels[I] = static_cast<uint8_t>(C.Noisy ? Rng() : I % 251);
    std::string File = T.Path("image.png");
    WritePngFile(File, Image);
    TDecoded D = Decode(File);
    EXPECT_EQ(D.Width, C.Width);
    EXPECT_EQ(D.Height, C.Height);
    EXPECT_EQ(D.Pixels, std::string(Image.Pixels.begin(), Image.Pixels.end()));
    EXPECT_EQ(D.Palette, std::string(ScreenPalette().begin(), ScreenPalette().end()));
    EXPECT_LE(D.LargestIdat, PngIdatChunkSize);
    if (C.Noisy) {  // 560 kB that does not compress: three chunks, all but the last full
      EXPECT_EQ(D.IdatCount, 3);
      EXPECT_EQ(D.LargestIdat, PngIdatChunkSize);
    }
  }
}

TEST(TarvikPng, RefusesImpossibleImagesAndUnwritableFiles) {
  TPalettedImage Empty;
  EXPECT_THROW(EncodePng(Empty), EInvalidGraphic);
  TPalettedImage Short;
  Short.Width = Short.Height = 4;
  Short.Pixels.resize(15);
  EXPECT_THROW(EncodePng(Short), EInvalidGraphic);
  Short.Pixels.resize(16);
  EXPECT_THROW(WritePngFile("/nonexistent-folder/x.png", Short), EFCreateError);
}

TEST(TarvikPng, QuantizeKeepsRowsOfAnyWidth) {
  // Rows with padding (stride 8 for width 5) as a screen hands them out.
  std::vector<uint32_t> Rgb(8 * 3, 0xDEADBEEF);
  for (int Y = 0; Y < 3; ++Y)
    for (int X = 0; X < 5; ++X) Rgb[Y * 8 + X] = (X == Y) ? 0xFF0000 : 0x808080;
  TPalettedImage I = QuantizeToScreenPalette(Rgb.data(), 5, 3, 8);
  ASSERT_EQ(I.Pixels.size(), 15u);
  for (int Y = 0; Y < 3; ++Y)
    for (int X = 0; X < 5; ++X)
      EXPECT_EQ(I.Pixels[Y * 5 + X], X == Y ? ScreenPaletteIndex(255, 0, 0) : ScreenPaletteIndex(128, 128, 128));
}

TEST(TarvikScreenshot, WithoutDisplayNoFileAndNoError) {
  TTestTempFiles T;
  std::string File = T.Path("shot.png");
  const char* Old = std::getenv("DISPLAY");
  std::string Saved = Old ? Old : "";
  unsetenv("DISPLAY");
  EXPECT_NO_THROW(WriteScreenshot(File));
  EXPECT_FALSE(FileExists(File));
  if (Old) setenv("DISPLAY", Saved.c_str(), 1);
}

// The program's windows less what others cover, as a mask over their bounding rectangle.
TEST(TarvikScreenshot, OwnVisibleAreaLeavesOthersOut) {
  struct TCase {
    const char* Name;
    std::vector<TScreenWindow> Windows;
    int X, Y, W, H;
    std::vector<std::pair<int, int>> Hidden, Shown;  // screen points
  };
  const TCase Cases[] = {
      {"none of ours", {{0, 0, 10, 10, false}}, 0, 0, 0, 0, {}, {}},
      {"one of ours", {{2, 3, 4, 5, true}}, 2, 3, 4, 5, {}, {{2, 3}, {5, 7}}},
      {"another program's on top", {{0, 0, 10, 10, true}, {5, 0, 10, 10, false}}, 0, 0, 5, 10, {}, {{4, 9}}},
      {"ours on top of another's", {{5, 0, 10, 10, false}, {0, 0, 10, 10, true}}, 0, 0, 10, 10, {}, {{9, 9}}},
      {"two of ours apart", {{0, 0, 2, 2, true}, {8, 8, 2, 2, true}}, 0, 0, 10, 10, {{5, 5}}, {{0, 0}, {9, 9}}},
      {"hole in ours", {{0, 0, 10, 10, true}, {4, 4, 2, 2, false}}, 0, 0, 10, 10, {{4, 4}, {5, 5}}, {{3, 3}, {6, 6}}},
      {"off the screen", {{-5, -5, 8, 8, true}}, 0, 0, 3, 3, {}, {{0, 0}, {2, 2}}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TOwnArea A = OwnVisibleArea(C.Windows, 20, 20);
    EXPECT_EQ(std::make_tuple(A.X, A.Y, A.Width, A.Height), std::make_tuple(C.X, C.Y, C.W, C.H));
    auto At = [&](std::pair<int, int> P) { return A.Mask.at(static_cast<size_t>(P.second - A.Y) * A.Width + P.first - A.X); };
    for (auto P : C.Hidden) EXPECT_EQ(At(P), 0) << P.first << "," << P.second;
    for (auto P : C.Shown) EXPECT_EQ(At(P), 1) << P.first << "," << P.second;
  }
}

// On a real X server: the picture holds the program's window, with another program's window on
// top of it blanked and nothing of the desktop or the other programs around it.
TEST(TarvikScreenshot, OnlyTheProgramsOwnWindowsUnderXvfb) {
  std::string Name = XvfbDisplay();
  ASSERT_FALSE(Name.empty());
  const uint32_t Desktop = 0x777777, Ours = 0xFF0000, Theirs = 0x3355AA, Elsewhere = 0x00CC66;
  ASSERT_TRUE(PaintRootBands(Name, {Desktop}));
  TTestTempFiles T;
  std::string File = T.Path("screen.png");
  const char* Old = std::getenv("DISPLAY");
  std::string Saved = Old ? Old : "";
  setenv("DISPLAY", Name.c_str(), 1);
  TFinally RestoreDisplay([&] {
    if (Old)
      setenv("DISPLAY", Saved.c_str(), 1);
    else
      unsetenv("DISPLAY");
  });
  {
    TTestWindows Windows(Name);
    ASSERT_TRUE(Windows.Add(700, 500, 100, 80, Elsewhere, ::getpid() + 1));
    WriteScreenshot(File);
    EXPECT_FALSE(FileExists(File));  // no window of ours: no picture at all
    ASSERT_TRUE(Windows.Add(100, 100, 200, 150, Ours, ::getpid()));
    ASSERT_TRUE(Windows.Add(250, 160, 200, 150, Theirs, ::getpid() + 1));
    WriteScreenshot(File);
  }
  ASSERT_TRUE(FileExists(File));
  TDecoded Dec = Decode(File);
  ASSERT_EQ(Dec.Width, 200);  // our window's rectangle
  ASSERT_EQ(Dec.Height, 150);
  EXPECT_LE(Distance(ColourAt(Dec, 10, 10), Ours), PaletteError);
  EXPECT_LE(Distance(ColourAt(Dec, 140, 140), Ours), PaletteError);
  // The part under the other program's window.
  EXPECT_EQ(ColourAt(Dec, 190, 100), HiddenColour);
  EXPECT_EQ(ColourAt(Dec, 160, 70), HiddenColour);
  for (int Y = 0; Y < Dec.Height; ++Y)
    for (int X = 0; X < Dec.Width; ++X) {
      uint32_t C = ColourAt(Dec, X, Y);
      ASSERT_GT(Distance(C, Theirs), PaletteError) << X << "," << Y;
      ASSERT_GT(Distance(C, Desktop), PaletteError) << X << "," << Y;
    }
}
