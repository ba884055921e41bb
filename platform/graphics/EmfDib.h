#pragma once
// Device-independent bitmaps as EMF records (and BMP files) carry them.
#include <cstdint>
#include <vector>

#include "platform/classes/ByteReader.h"
#include "platform/graphics/DeviceContext.h"

struct TDibImage {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;  // 0xAARRGGBB, top row first
  TDibView View() const { return TDibView{Width, Height, Pixels.data()}; }
};

// Decodes a BITMAPINFO (header and colour table) and its bits: 1, 4, 8, 16,
// 24 and 32 bits per pixel, BI_RGB and BI_BITFIELDS. Raises EReadError on
// bytes that do not fit; EInvalidGraphic on a kind it does not decode.
TDibImage DecodeDib(const TByteReader& Info, const TByteReader& Bits);
