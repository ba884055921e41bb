#pragma once
// Geometry and colour values shared by the canvas, its devices and the EMF code.
#include <algorithm>
#include <cstdint>

struct TPoint {
  int X = 0, Y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TSize {
  int cx = 0, cy = 0;
  bool operator==(const TSize&) const = default;
};

// Right and bottom are excluded, as in GDI.
struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool operator==(const TRect&) const = default;
};

inline TRect Rect(int L, int T, int R, int B) { return TRect{L, T, R, B}; }
inline TRect Bounds(int L, int T, int W, int H) { return TRect{L, T, L + W, T + H}; }
inline TPoint Point(int X, int Y) { return TPoint{X, Y}; }
inline TRect IntersectRect(const TRect& A, const TRect& B) {
  TRect R{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom)};
  if (R.IsEmpty()) R = TRect{};
  return R;
}
inline TRect NormalizedRect(const TRect& R) {
  return TRect{std::min(R.Left, R.Right), std::min(R.Top, R.Bottom), std::max(R.Left, R.Right),
               std::max(R.Top, R.Bottom)};
}

// Rounds a device coordinate, bounded far beyond any page so sums stay in int.
inline int ClampToPixel(double V) {
  if (!(V > -1e8)) return -100000000;
  if (!(V < 1e8)) return 100000000;
  return static_cast<int>(V < 0 ? V - 0.5 : V + 0.5);
}

// 0x00BBGGRR; values with the top byte 0xFF name a system colour by its index.
using TColor = int32_t;
using TColorRef = uint32_t;  // a plain 0x00BBGGRR value

constexpr TColorRef RGB(uint8_t R, uint8_t G, uint8_t B) { return R | (G << 8) | (uint32_t(B) << 16); }
constexpr uint8_t GetRValue(TColorRef C) { return C & 0xFF; }
constexpr uint8_t GetGValue(TColorRef C) { return (C >> 8) & 0xFF; }
constexpr uint8_t GetBValue(TColorRef C) { return (C >> 16) & 0xFF; }

constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000);
constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clActiveCaption = clSystemColor | 2;
constexpr TColor clInactiveCaption = clSystemColor | 3;
constexpr TColor clMenu = clSystemColor | 4;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowFrame = clSystemColor | 6;
constexpr TColor clMenuText = clSystemColor | 7;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clCaptionText = clSystemColor | 9;
constexpr TColor clActiveBorder = clSystemColor | 10;
constexpr TColor clInactiveBorder = clSystemColor | 11;
constexpr TColor clAppWorkSpace = clSystemColor | 12;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clInactiveCaptionText = clSystemColor | 19;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor cl3DDkShadow = clSystemColor | 21;
constexpr TColor cl3DLight = clSystemColor | 22;
constexpr TColor clInfoText = clSystemColor | 23;
constexpr TColor clInfoBk = clSystemColor | 24;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colours resolve to a fixed scheme (never read from the desktop) so
// that pages look the same on every machine.
TColorRef ColorToRGB(TColor Color);
