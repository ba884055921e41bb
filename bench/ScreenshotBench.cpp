// The screenshot's PNG of a 1920x1080 screen: a desktop-like picture (a gradient background,
// windows with title bars, lines of text from a set of glyphs, a photo) reduced to the palette and encoded
// (zlib level 9). Prints milliseconds (median of runs) for reducing and for encoding, and the size.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "exceptions/report/TarvikPng.h"

namespace {
constexpr int W = 1920, H = 1080, Runs = 7;

std::vector<uint32_t> Desktop() {
  std::vector<uint32_t> P(size_t(W) * H);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) P[size_t(Y) * W + X] = uint32_t(20 + Y * 60 / H) << 8 | uint32_t(80 + Y * 120 / H);
  std::mt19937 Rng(3);
  std::vector<std::vector<uint32_t>> Glyphs(40, std::vector<uint32_t>(77));
  for (auto& G : Glyphs)
    for (auto& Dot : G) Dot = Rng() % 3 == 0;
  auto Fill = [&](int X0, int Y0, int X1, int Y1, uint32_t C) {
    for (int Y = std::max(0, Y0); Y < std::min(H, Y1); ++Y)
      for (int X = std::max(0, X0); X < std::min(W, X1); ++X) P[size_t(Y) * W + X] = C;
  };
  const int Windows[][4] = {{60, 40, 1000, 700}, {700, 200, 1860, 1000}, {200, 600, 900, 1040}};
  for (const auto& Wn : Windows) {
    Fill(Wn[0], Wn[1], Wn[2], Wn[3], 0xF0F0F0);
    Fill(Wn[0], Wn[1], Wn[2], Wn[1] + 28, 0x3060A0);
    for (int Line = Wn[1] + 40; Line + 12 < Wn[3]; Line += 18)  // text: words of 7x11 glyphs
      for (int X = Wn[0] + 10; X + 8 < Wn[2] - 10;) {
        int Letters = 2 + int(Rng() % 9);
        for (int L = 0; L < Letters && X + 8 < Wn[2] - 10; ++L, X += 8) {
          const uint32_t* G = Glyphs[Rng() % Glyphs.size()].data();
          for (int Y = 0; Y < 11; ++Y)
            for (int K = 0; K < 7; ++K)
              if (G[Y * 7 + K]) P[size_t(Line + Y) * W + X + K] = 0x202020;
        }
        X += 6;
      }
  }
  for (int Y = 250; Y < 550; ++Y)  // a photo
    for (int X = 1100; X < 1500; ++X)
      P[size_t(Y) * W + X] = uint32_t((X * 3 + Rng() % 20) & 0xFF) << 16 | uint32_t((Y * 2 + Rng() % 20) & 0xFF) << 8 |
                             uint32_t((X + Y + Rng() % 20) & 0xFF);
  return P;
}

template <class F>
double MedianMs(F Step) {
  std::vector<double> T;
  for (int R = 0; R < Runs; ++R) {
    auto T0 = std::chrono::steady_clock::now();
    Step();
    T.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - T0).count());
  }
  std::sort(T.begin(), T.end());
  return T[T.size() / 2];
}
}  // namespace

int main() {
  std::vector<uint32_t> Screen = Desktop();
  TPalettedImage Image;
  double Reduce = MedianMs([&] { Image = QuantizeToScreenPalette(Screen.data(), W, H, W); });
  size_t Size = 0;
  double Encode = MedianMs([&] { Size = EncodePng(Image).size(); });
  std::printf("screenshot PNG %dx%d: reduce %.1f ms, encode %.1f ms, total %.1f ms, %zu bytes\n", W, H, Reduce,
              Encode, Reduce + Encode, Size);
  return 0;
}
