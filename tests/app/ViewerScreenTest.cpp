// The real program on a real (virtual) X display: the window must show page 1 of the sample.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <sys/wait.h>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/TestTemp.h"

namespace {
uint32_t Be32(const std::vector<uint8_t>& B, size_t At) {
  return uint32_t(B[At]) << 24 | uint32_t(B[At + 1]) << 16 | uint32_t(B[At + 2]) << 8 | B[At + 3];
}

// A 24-bit TrueColor screen dump of xwd, as 0xRRGGBB rows.
struct TScreen {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;
  uint32_t At(int X, int Y) const { return Pixels[size_t(Y) * Width + X]; }
};

TScreen ReadXwd(const std::string& File) {
  std::ifstream In(File, std::ios::binary);
  std::vector<uint8_t> B{std::istreambuf_iterator<char>(In), {}};
  TScreen S;
  if (B.size() < 100) return S;
  uint32_t Header = Be32(B, 0), LineBytes = Be32(B, 48), Colors = Be32(B, 76);
  bool LsbFirst = Be32(B, 28) == 0;
  S.Width = int(Be32(B, 16)), S.Height = int(Be32(B, 20));
  // Xvfb's depth 24 says 24 bits per pixel but stores four bytes a pixel; the line length tells.
  if (S.Width <= 0 || LineBytes < uint32_t(S.Width) * 4) return {};
  size_t Data = Header + size_t(Colors) * 12;
  if (B.size() < Data + size_t(LineBytes) * S.Height) return {};
  for (int Y = 0; Y < S.Height; ++Y)
    for (int X = 0; X < S.Width; ++X) {
      const uint8_t* P = &B[Data + size_t(Y) * LineBytes + size_t(X) * 4];
      S.Pixels.push_back(LsbFirst ? uint32_t(P[2]) << 16 | P[1] << 8 | P[0] : uint32_t(P[1]) << 16 | P[2] << 8 | P[3]);
    }
  return S;
}
// The white sheet on the screen (rows with a run of 100 pure white pixels) and the dark pixels drawn
// inside it.
struct TSheet {
  int Top = -1, Bottom = -1, Left = 0, Right = -1, Dark = 0;
};

TSheet FindSheet(const TScreen& S) {
  TSheet R;
  R.Left = S.Width;
  for (int Y = 0; Y < S.Height; ++Y) {
    int Run = 0;
    for (int X = 0; X < S.Width; ++X) {
      Run = S.At(X, Y) == 0xFFFFFF ? Run + 1 : 0;
      if (Run == 100) {
        if (R.Top < 0) R.Top = Y;
        R.Bottom = Y;
        R.Left = std::min(R.Left, X - 99);
      }
      if (Run >= 100) R.Right = std::max(R.Right, X);
    }
  }
  for (int Y = R.Top + 4; R.Top >= 0 && Y < R.Bottom - 4; ++Y)
    for (int X = R.Left + 4; X < R.Right - 4; ++X) {
      uint32_t P = S.At(X, Y);
      if (((P >> 16 & 0xFF) + (P >> 8 & 0xFF) + (P & 0xFF)) / 3 < 100) ++R.Dark;
    }
  return R;
}
}  // namespace

TEST(ViewerScreenTest, TheWindowShowsPageOneOfTheSample) {
  ASSERT_EQ(std::system("bash '" MOR_SOURCE_DIR "/scripts/deps.sh' >/dev/null"), 0) << "xvfb-run, xdotool and xwd";
  TTestTempFiles Temp;
  std::string Shot = Temp.Path("screen.xwd");
  std::string Home = Temp.Path("home");
  std::string Cmd = "env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME='" + Home + "/config' XDG_DATA_HOME='" +
                    Home + "/data' xvfb-run -a -s '-screen 0 1024x768x24' sh '" MOR_SOURCE_DIR
                    "/tests/app/screenshot.sh' '" MOR_VIEWER "' '" MOR_SAMPLE "' '" + Shot + "'";
  ASSERT_EQ(std::system(Cmd.c_str()), 0) << Cmd;
  std::system(("rm -rf '" + Home + "'").c_str());
  TScreen S = ReadXwd(Shot);
  ASSERT_GT(S.Width, 0) << "no screen dump";
  TSheet Sheet = FindSheet(S);
  ASSERT_GE(Sheet.Top, 0) << "no white sheet on the screen";
  EXPECT_GT(Sheet.Bottom - Sheet.Top, 200);
  // At the main form's 100 %, an A4 sheet is wider than the window shows; the paperless default
  // (220 by 283 pixels) means the zoom was never applied to the printer's paper.
  EXPECT_GT(Sheet.Right - Sheet.Left, 400) << "the page drawn at the size of no paper";
  EXPECT_GT(Sheet.Dark, 300) << "the sheet is blank";
}

// The pp sample opens its report in the print preview, page 1 drawn at page width; Escape closes
// the preview and the program ends well.
TEST(ViewerScreenTest, ThePPSampleShowsItsReportInThePrintPreview) {
  ASSERT_EQ(std::system("bash '" MOR_SOURCE_DIR "/scripts/deps.sh' >/dev/null"), 0) << "xvfb-run, xdotool and xwd";
  TTestTempFiles Temp;
  std::string Shot = Temp.Path("screen.xwd");
  std::string Cmd = "env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 XDG_CONFIG_HOME='" +
                    Temp.Path("config") + "' xvfb-run -a -s '-screen 0 1024x768x24' sh '" MOR_SOURCE_DIR
                    "/tests/app/ppsample-shot.sh' '" MOR_PPSAMPLE "' '" + Shot + "'";
  ASSERT_EQ(std::system(Cmd.c_str()), 0) << Cmd;
  TSheet Sheet = FindSheet(ReadXwd(Shot));
  ASSERT_GE(Sheet.Top, 0) << "no white sheet on the screen";
  EXPECT_GT(Sheet.Right - Sheet.Left, 300) << "page width zoom not applied";
  EXPECT_GT(Sheet.Dark, 300) << "the sheet is blank";
}

// A file the viewer cannot open ends in the exception reporter's report, whose stack names the
// viewer's own source lines; the program ends with status 1.
TEST(ViewerScreenTest, AFileThatCannotBeOpenedEndsInTheReportersReport) {
  TTestTempFiles Temp;
  std::string Out = Temp.Path("out.txt");
  std::string Cmd = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 XDG_STATE_HOME='" +
                    Temp.Path("state") + "' XDG_CONFIG_HOME='" + Temp.Path("config") + "' '" MOR_VIEWER "' /no/such.lxp >'" + Out +
                    "' 2>&1";
  int Status = std::system(Cmd.c_str());
  ASSERT_TRUE(WIFEXITED(Status));
  EXPECT_EQ(WEXITSTATUS(Status), 1);
  std::ifstream In(Out);
  std::string Text{std::istreambuf_iterator<char>(In), {}};
  EXPECT_NE(Text.find("2.4 Type   : EFOpenError"), std::string::npos) << Text;
  EXPECT_NE(Text.find("/no/such.lxp"), std::string::npos);
  EXPECT_NE(Text.find("|app/Viewer.cpp"), std::string::npos) << Text;
  EXPECT_NE(Text.find("|RunViewer"), std::string::npos);
}
