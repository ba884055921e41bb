#pragma once
// Tiny valid pictures of every format the picture classes read, for the tests and the fuzz seeds.
// PNG and GIF are 2 x 2 pixels: red, green on top, blue, white below. The others are made by our own
// writers: a 4 x 2 BMP and JPEG (red left half, white right half), an EMF with one red rectangle.
#include <cstdint>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"

namespace picturefixtures {

inline std::string Png() {
  // signature, IHDR (2 x 2, 8-bit RGB), IDAT, IEND
  static const uint8_t B[] = {
      0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
      0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00,
      0x00, 0xFD, 0xD4, 0x9A, 0x73, 0x00, 0x00, 0x00, 0x12, 0x49, 0x44, 0x41, 0x54, 0x78,
      0xDA, 0x63, 0xF8, 0xCF, 0xC0, 0xC0, 0x00, 0xC2, 0x0C, 0xFF, 0x81, 0x00, 0x00, 0x1F,
      0xEE, 0x05, 0xFB, 0xF1, 0xAB, 0xBA, 0x77, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E,
      0x44, 0xAE, 0x42, 0x60, 0x82};
  return std::string(reinterpret_cast<const char*>(B), sizeof B);
}

inline std::string Gif() {
  static const uint8_t B[] = {
      0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x02, 0x00, 0x81, 0x00, 0x00,  // GIF89a 2 x 2, 4 colours
      0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF,        // red, green, blue, white
      0x2C, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x00,                    // image descriptor
      0x02, 0x03, 0x44, 0x34, 0x05, 0x00,                                            // LZW: 0 1 2 3
      0x3B};
  return std::string(reinterpret_cast<const char*>(B), sizeof B);
}

inline TBitmap HalfRed() {
  TBitmap B(4, 2);
  B.Canvas().Brush().SetColor(clWhite);
  B.Canvas().FillRect(Rect(0, 0, 4, 2));
  B.Canvas().Brush().SetColor(clRed);
  B.Canvas().FillRect(Rect(0, 0, 2, 2));
  return B;
}

inline std::string Saved(const TGraphic& G) {
  TMemoryStream S;
  G.SaveToStream(S);
  return std::string(reinterpret_cast<const char*>(S.Memory()), S.Bytes().size());
}

inline std::string Bmp() { return Saved(HalfRed()); }

inline std::string Jpeg() {
  TJPEGImage J;
  J.CompressFrom(HalfRed(), 90);
  return Saved(J);
}

inline std::string Emf() {
  TMetafile M;
  {
    TMetafileCanvas C(M);
    C.Brush().SetColor(clRed);
    C.FillRect(Rect(0, 0, 8, 4));
  }
  return Saved(M);
}

}  // namespace picturefixtures
