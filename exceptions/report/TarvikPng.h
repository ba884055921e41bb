#pragma once
// The screenshot's picture and its PNG file: 256 colours (a 6x6x6 colour cube and 40 greys), written
// with the reporter's own chunk writer; only deflate comes from zlib.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The PNG standard's CRC-32 step: start with 0xFFFFFFFF and complement the end result.
uint32_t CalcCRC(uint32_t Crc, const void* Data, size_t Length);

// One byte per pixel, rows top-down without padding.
struct TPalettedImage {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Pixels;
};

// The fixed palette: entry r*36+g*6+b (each 0..5) is the cube colour (r*51, g*51, b*51), entries
// 216..255 are greys between the cube's own.
inline constexpr int ScreenPaletteCubeSize = 216;
const std::array<uint8_t, 768>& ScreenPalette();
// The palette entry nearest to a colour.
uint8_t ScreenPaletteIndex(uint8_t R, uint8_t G, uint8_t B);
// Reduces 0x??RRGGBB pixels (rows StridePixels apart) to the palette.
TPalettedImage QuantizeToScreenPalette(const uint32_t* Pixels, int Width, int Height, size_t StridePixels);

// The largest IDAT chunk written: the zlib stream is cut into pieces of this size.
inline constexpr size_t PngIdatChunkSize = 262143;
// The PNG file of Image (colour type 3, zlib level 9). Raises EInvalidGraphic for an empty or
// oversized image.
std::string EncodePng(const TPalettedImage& Image);
// Writes EncodePng's bytes to FileName, replacing it; raises EFCreateError/EWriteError.
void WritePngFile(const std::string& FileName, const TPalettedImage& Image);
