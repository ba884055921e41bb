#include "platform/graphics/EmfDib.h"

#include <cstdlib>

#include "platform/graphics/GraphicsConsts.h"
#include "platform/rtl/SysUtils.h"

namespace {
int ShiftOf(uint32_t Mask) {
  int S = 0;
  if (!Mask) return 0;
  while (!(Mask & 1)) Mask >>= 1, ++S;
  return S;
}
// Scales a masked channel to 8 bits.
uint32_t Channel(uint32_t V, uint32_t Mask) {
  if (!Mask) return 0;
  uint32_t Max = Mask >> ShiftOf(Mask);
  return ((V & Mask) >> ShiftOf(Mask)) * 255 / Max;
}
}  // namespace

TDibImage DecodeDib(const TByteReader& Info, const TByteReader& Bits) {
  uint32_t HeaderSize = Info.U32(0);
  int32_t W, H;
  uint16_t Bpp;
  uint32_t Compression = 0, ClrUsed = 0;
  if (HeaderSize == 12) {  // BITMAPCOREHEADER
    W = Info.U16(4);
    H = Info.I16(6);
    Bpp = Info.U16(10);
  } else {
    if (HeaderSize < 40) throw EInvalidGraphic(SInvalidDib);
    W = Info.I32(4);
    H = Info.I32(8);
    Bpp = Info.U16(14);
    Compression = Info.U32(16);
    ClrUsed = Info.U32(32);
  }
  bool TopDown = H < 0;
  long long AbsH = std::llabs(static_cast<long long>(H));
  if (W <= 0 || AbsH == 0 || static_cast<long long>(W) * AbsH > (1LL << 26))
    throw EInvalidGraphic(SInvalidDib);
  if (Compression != 0 && Compression != 3) throw EInvalidGraphic(SInvalidDib);
  // Colour table for palette formats.
  std::vector<uint32_t> Palette;
  size_t EntrySize = HeaderSize == 12 ? 3 : 4;
  if (Bpp <= 8) {
    uint32_t Count = ClrUsed ? ClrUsed : (1u << Bpp);
    if (Count > 256) Count = 256;
    for (uint32_t I = 0; I < Count; ++I) {
      size_t At = HeaderSize + I * EntrySize;
      if (!Info.Has(At, 3)) break;
      Palette.push_back(0xFF000000u | (Info.U8(At + 2) << 16) | (Info.U8(At + 1) << 8) | Info.U8(At));
    }
  }
  uint32_t Masks[3] = {0xFF0000, 0xFF00, 0xFF};
  if (Bpp == 16) Masks[0] = 0x7C00, Masks[1] = 0x3E0, Masks[2] = 0x1F;
  if (Compression == 3) {
    // BI_BITFIELDS: masks follow a 40-byte header, or sit inside a larger one.
    for (int I = 0; I < 3; ++I) Masks[I] = Info.U32(40 + 4 * I);
  }
  if (Bpp != 1 && Bpp != 4 && Bpp != 8 && Bpp != 16 && Bpp != 24 && Bpp != 32)
    throw EInvalidGraphic(SInvalidDib);
  size_t Stride = (static_cast<size_t>(W) * Bpp + 31) / 32 * 4;
  Bits.Check(0, Stride * static_cast<size_t>(AbsH));
  TDibImage Img;
  Img.Width = W;
  Img.Height = static_cast<int>(AbsH);
  Img.Pixels.resize(static_cast<size_t>(W) * AbsH);
  const uint8_t* Base = Bits.Data();
  auto Pal = [&](uint32_t I) { return I < Palette.size() ? Palette[I] : 0xFF000000u; };
  for (long long Y = 0; Y < AbsH; ++Y) {
    const uint8_t* Row = Base + (TopDown ? Y : AbsH - 1 - Y) * Stride;
    uint32_t* Out = &Img.Pixels[static_cast<size_t>(Y) * W];
    for (int X = 0; X < W; ++X) {
      switch (Bpp) {
        case 1: Out[X] = Pal((Row[X >> 3] >> (7 - (X & 7))) & 1); break;
        case 4: Out[X] = Pal((Row[X >> 1] >> ((X & 1) ? 0 : 4)) & 0xF); break;
        case 8: Out[X] = Pal(Row[X]); break;
        case 16: {
          uint32_t V = Row[2 * X] | (Row[2 * X + 1] << 8);
          Out[X] = 0xFF000000u | (Channel(V, Masks[0]) << 16) | (Channel(V, Masks[1]) << 8) | Channel(V, Masks[2]);
          break;
        }
        case 24: Out[X] = 0xFF000000u | (Row[3 * X + 2] << 16) | (Row[3 * X + 1] << 8) | Row[3 * X]; break;
        default: {
          uint32_t V = Row[4 * X] | (Row[4 * X + 1] << 8) | (Row[4 * X + 2] << 16) | (uint32_t(Row[4 * X + 3]) << 24);
          if (Compression == 3)
            Out[X] = 0xFF000000u | (Channel(V, Masks[0]) << 16) | (Channel(V, Masks[1]) << 8) | Channel(V, Masks[2]);
          else
            Out[X] = 0xFF000000u | (V & 0xFFFFFF);
        }
      }
    }
  }
  return Img;
}
