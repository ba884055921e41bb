// TEmfPlayer: drawing, text and bitmap records.
#include <algorithm>

#include "platform/graphics/EmfDib.h"
#include "platform/graphics/EmfPlayerImpl.h"
#include "platform/graphics/GraphicsConsts.h"
#include "platform/rtl/Win1252.h"

#define PLAY(Name) void TEmfPlayer::Play##Name([[maybe_unused]] const TByteReader& R)

std::vector<TPoint> TEmfPlayer::ReadPoints16(const TByteReader& R, size_t At, uint32_t Count) {
  R.Check(At, size_t(Count) * 4);
  std::vector<TPoint> P(Count);
  for (uint32_t I = 0; I < Count; ++I) P[I] = TPoint{R.I16(At + 4 * I), R.I16(At + 4 * I + 2)};
  return P;
}

static std::vector<TPoint> ReadPoints32(const TByteReader& R, size_t At, uint32_t Count) {
  R.Check(At, size_t(Count) * 8);
  std::vector<TPoint> P(Count);
  for (uint32_t I = 0; I < Count; ++I) P[I] = TPoint{EmfCoord(R, At + 8 * I), EmfCoord(R, At + 8 * I + 4)};
  return P;
}

PLAY(SetPixelV) { FDc.SetPixel(Coord(R, 8), Coord(R, 12), R.U32(16) & 0xFFFFFF); }
PLAY(MoveToEx) { FDc.MoveTo(Coord(R, 8), Coord(R, 12)); }
PLAY(LineTo) { FDc.LineTo(Coord(R, 8), Coord(R, 12)); }
PLAY(Rectangle) { FDc.Rectangle(ReadRect(R, 8)); }
PLAY(RoundRect) { FDc.RoundRect(ReadRect(R, 8), Coord(R, 24), Coord(R, 28)); }
PLAY(Ellipse) { FDc.Ellipse(ReadRect(R, 8)); }
// Clockwise from A to B covers what counter-clockwise from B to A does.
void TEmfPlayer::ArcPoints(const TByteReader& R, TPoint& Start, TPoint& End) const {
  Start = TPoint{Coord(R, 24), Coord(R, 28)};
  End = TPoint{Coord(R, 32), Coord(R, 36)};
  if (FMap.ArcClockwise) std::swap(Start, End);
}
PLAY(Arc) {
  TPoint A, B;
  ArcPoints(R, A, B);
  FDc.Arc(ReadRect(R, 8), A, B);
}
PLAY(Pie) {
  TPoint A, B;
  ArcPoints(R, A, B);
  FDc.Pie(ReadRect(R, 8), A, B);
}
PLAY(Chord) {
  TPoint A, B;
  ArcPoints(R, A, B);
  FDc.Chord(ReadRect(R, 8), A, B);
}

PLAY(Polygon16) { FDc.Polygon(ReadPoints16(R, 28, R.U32(24))); }
PLAY(Polyline16) { FDc.Polyline(ReadPoints16(R, 28, R.U32(24))); }
PLAY(PolyBezier16) { FDc.PolyBezier(ReadPoints16(R, 28, R.U32(24))); }
PLAY(Polygon) { FDc.Polygon(ReadPoints32(R, 28, R.U32(24))); }
PLAY(Polyline) { FDc.Polyline(ReadPoints32(R, 28, R.U32(24))); }
PLAY(PolyBezier) { FDc.PolyBezier(ReadPoints32(R, 28, R.U32(24))); }

// The ...To forms start at the current position and leave it at their last
// point; in a path they go on with the open figure.
PLAY(PolylineTo16) { FDc.PolylineTo(ReadPoints16(R, 28, R.U32(24))); }
PLAY(PolylineTo) { FDc.PolylineTo(ReadPoints32(R, 28, R.U32(24))); }
PLAY(PolyBezierTo16) { FDc.PolyBezierTo(ReadPoints16(R, 28, R.U32(24))); }
PLAY(PolyBezierTo) { FDc.PolyBezierTo(ReadPoints32(R, 28, R.U32(24))); }

static std::vector<std::vector<TPoint>> ReadPolyPoly(const TByteReader& R, bool Wide) {
  uint32_t Polys = R.U32(24), Total = R.U32(28);
  size_t PointSize = Wide ? 8 : 4;
  R.Check(32, size_t(Polys) * 4);
  size_t At = 32 + size_t(Polys) * 4;
  R.Check(At, size_t(Total) * PointSize);
  std::vector<std::vector<TPoint>> Out;
  uint32_t Used = 0;
  for (uint32_t I = 0; I < Polys; ++I) {
    uint32_t N = R.U32(32 + 4 * size_t(I));
    if (N > Total - Used) throw EReadError(SEmfInvalidPointCount);
    std::vector<TPoint> P(N);
    for (uint32_t K = 0; K < N; ++K, ++Used)
      P[K] = Wide ? TPoint{EmfCoord(R, At + 8 * size_t(Used)), EmfCoord(R, At + 8 * size_t(Used) + 4)}
                  : TPoint{R.I16(At + 4 * size_t(Used)), R.I16(At + 4 * size_t(Used) + 2)};
    Out.push_back(std::move(P));
  }
  return Out;
}

PLAY(PolyPolygon16) { FDc.PolyPolygon(ReadPolyPoly(R, false)); }
PLAY(PolyPolygon) { FDc.PolyPolygon(ReadPolyPoly(R, true)); }
PLAY(PolyPolyline16) {
  for (const auto& P : ReadPolyPoly(R, false)) FDc.Polyline(P);
}
PLAY(PolyPolyline) {
  for (const auto& P : ReadPolyPoly(R, true)) FDc.Polyline(P);
}

// Text records carry the graphics mode they were written in.
void TEmfPlayer::UseGraphicsMode(uint32_t Mode) {
  int M = Mode == GM_ADVANCED ? GM_ADVANCED : GM_COMPATIBLE;
  if (M == FGraphicsMode) return;
  FDc.SetGraphicsMode(M);
  FGraphicsMode = M;
}

// EMR_EXTTEXTOUTW/A: offString and offDx count from the start of the record,
// not of the text object.
void TEmfPlayer::Text(const TByteReader& R, bool Wide) {
  UseGraphicsMode(R.U32(24));
  int X = Coord(R, 36), Y = Coord(R, 40);
  uint32_t N = R.U32(44), OffString = R.U32(48), Options = R.U32(52), OffDx = R.U32(72);
  TRect Box = ReadRect(R, 56);
  bool HasRect = (Options & (ETO_OPAQUE | ETO_CLIPPED)) && !(Options & ETO_NO_RECT);
  std::u16string Text;
  if (N && !(Options & ETO_GLYPH_INDEX)) {  // glyph indexes of another machine's font cannot be shown
    R.Check(OffString, size_t(N) * (Wide ? 2 : 1));
    Text.resize(N);
    for (uint32_t I = 0; I < N; ++I)
      Text[I] = Wide ? R.U16(OffString + 2 * size_t(I))
                     : static_cast<char16_t>(Win1252ToCodePoint(R.U8(OffString + I)));
  }
  std::vector<int> Dx;
  size_t Step = (Options & ETO_PDY) ? 8 : 4;
  if (!Text.empty() && OffDx && R.Has(OffDx, N * Step)) {
    Dx.resize(N);
    for (uint32_t I = 0; I < N; ++I) Dx[I] = Coord(R, OffDx + Step * I);
  }
  FDc.ExtTextOut(X, Y, Options & ~(ETO_GLYPH_INDEX | ETO_PDY), HasRect ? &Box : nullptr, Text,
                 Dx.empty() ? nullptr : Dx.data());
}

PLAY(ExtTextOutW) { Text(R, true); }
PLAY(ExtTextOutA) { Text(R, false); }

// EMR_SMALLTEXTOUT: no advances; the clip box is present unless ETO_NO_RECT;
// ETO_SMALL_CHARS (0x200) means 8-bit characters.
PLAY(SmallTextOut) {
  uint32_t N = R.U32(16), Options = R.U32(20);
  UseGraphicsMode(R.U32(24));
  bool HasBox = !(Options & ETO_NO_RECT), Small = Options & 0x200;
  TRect Box = HasBox ? ReadRect(R, 36) : TRect{};
  size_t At = HasBox ? 52 : 36;
  R.Check(At, size_t(N) * (Small ? 1 : 2));
  std::u16string Text(N, u' ');
  for (uint32_t I = 0; I < N; ++I)
    Text[I] = Small ? static_cast<char16_t>(Win1252ToCodePoint(R.U8(At + I))) : R.U16(At + 2 * size_t(I));
  bool UseBox = HasBox && (Options & (ETO_OPAQUE | ETO_CLIPPED));
  FDc.ExtTextOut(Coord(R, 8), Coord(R, 12), Options & (ETO_OPAQUE | ETO_CLIPPED | ETO_RTLREADING), UseBox ? &Box : nullptr,
                 Text, nullptr);
}

void TEmfPlayer::Blt(const TByteReader& R, const TRect& Dest, const TRect& Src, uint32_t Rop, uint32_t OffBmi,
                     uint32_t CbBmi, uint32_t OffBits, uint32_t CbBits, bool BottomUpSource) {
  if (CbBmi == 0) {  // a pattern or a constant: no source bitmap
    FDc.StretchDIBits(Dest, Src, TDibView{}, Rop);
    return;
  }
  TDibImage Img = DecodeDib(R.Slice(OffBmi, CbBmi), R.Slice(OffBits, CbBits));
  TRect S = Src;
  // StretchDIBits counts a bottom-up DIB's source rectangle from its lower-left corner.
  if (BottomUpSource && R.I32(OffBmi + 8) > 0) {
    int H = S.Height();
    S.Top = Img.Height - S.Top - H;
    S.Bottom = S.Top + H;
  }
  FDc.StretchDIBits(Dest, S, Img.View(), Rop);
}

PLAY(BitBlt) {
  int X = Coord(R, 24), Y = Coord(R, 28), Cx = Coord(R, 32), Cy = Coord(R, 36);
  int Sx = Coord(R, 44), Sy = Coord(R, 48);
  Blt(R, Bounds(X, Y, Cx, Cy), Bounds(Sx, Sy, Cx, Cy), R.U32(40), R.U32(84), R.U32(88), R.U32(92), R.U32(96),
      false);
}

PLAY(StretchBlt) {
  int X = Coord(R, 24), Y = Coord(R, 28), Cx = Coord(R, 32), Cy = Coord(R, 36);
  int Sx = Coord(R, 44), Sy = Coord(R, 48), Scx = Coord(R, 100), Scy = Coord(R, 104);
  Blt(R, Bounds(X, Y, Cx, Cy), Bounds(Sx, Sy, Scx, Scy), R.U32(40), R.U32(84), R.U32(88), R.U32(92), R.U32(96),
      false);
}

PLAY(StretchDIBits) {
  int X = Coord(R, 24), Y = Coord(R, 28), Sx = Coord(R, 32), Sy = Coord(R, 36), Scx = Coord(R, 40), Scy = Coord(R, 44);
  int Cx = Coord(R, 72), Cy = Coord(R, 76);
  Blt(R, Bounds(X, Y, Cx, Cy), Bounds(Sx, Sy, Scx, Scy), R.U32(68), R.U32(48), R.U32(52), R.U32(56), R.U32(60),
      true);
}
