#pragma once
// The 136-byte item record that the PDF filter hands to the PDF writer
// component, and the layout both sides read it by. Little-endian; lengths in
// PDF points as 10-byte extended floats.
//
// The three text slots (font name, text, picture file) are 4 bytes wide, too
// narrow for an address here: each holds the offset from the record's first
// byte to a zero-terminated UTF-8 text that follows the record in the block
// handed over, 0 for none.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/rtl/RtlMath.h"

namespace LXPDFItem {
inline constexpr size_t RecordSize = 136;

enum : uint8_t { KindText = 1, KindPageBreak = 2, KindShape = 3, KindImage = 4 };
// Shape kinds.
enum : uint8_t {
  ShapeRectangle = 0,
  ShapeEllipse = 1,
  ShapeHorLine = 2,
  ShapeVertLine = 3,
  ShapeRoundRect = 4,
  ShapeTopAndBottom = 5,
  ShapeRightAndLeft = 6
};

// Byte offsets of the fields.
// BlockSize (a reserved field of the record) gives the size of the whole block, record and texts.
inline constexpr size_t Kind = 0, X = 8, Y = 18, FontName = 28, Text = 32, FontSize = 36, BlockSize = 40,
                        Bold = 44, Italic = 45, Filled = 47, Width = 56, Height = 66, PenWidth = 76, ScaleX = 86, ScaleY = 96,
                        PictureFile = 108, ShapeKind = 112, PictureWidth = 116, PictureHeight = 120,
                        PenColor = 124, Color = 127;

inline long double GetFloat(const uint8_t* R, size_t At) { return DecodeExtended(R + At); }
inline void SetFloat(uint8_t* R, size_t At, long double V) {
  TExtendedBytes B = EncodeExtended(V);
  std::memcpy(R + At, B.data(), B.size());
}
inline int32_t GetInt(const uint8_t* R, size_t At) {
  uint32_t V = uint32_t(R[At]) | uint32_t(R[At + 1]) << 8 | uint32_t(R[At + 2]) << 16 | uint32_t(R[At + 3]) << 24;
  return static_cast<int32_t>(V);
}
inline void SetInt(uint8_t* R, size_t At, int32_t V) {
  uint32_t U = static_cast<uint32_t>(V);
  for (int I = 0; I < 4; ++I) R[At + I] = static_cast<uint8_t>(U >> (8 * I));
}
// Red, green, blue at At.
inline void SetRGB(uint8_t* R, size_t At, uint32_t ColorRef) {
  R[At] = ColorRef & 0xFF, R[At + 1] = (ColorRef >> 8) & 0xFF, R[At + 2] = (ColorRef >> 16) & 0xFF;
}

// The text a slot names; empty when the slot is 0 or points outside the
// block, or the text has no end inside it.
inline std::string GetText(const uint8_t* Block, size_t Slot) {
  uint32_t Size = static_cast<uint32_t>(GetInt(Block, BlockSize));
  uint32_t Offset = static_cast<uint32_t>(GetInt(Block, Slot));
  if (Offset < RecordSize || Offset >= Size) return {};
  const void* End = std::memchr(Block + Offset, 0, Size - Offset);
  if (!End) return {};
  return std::string(reinterpret_cast<const char*>(Block + Offset), static_cast<const uint8_t*>(End) - (Block + Offset));
}
}  // namespace LXPDFItem

// Picture files: text lines of pixels, six upper-case hexadecimal digits each
// (red, green, blue), row by row from the top, a line ended as soon as it
// holds more than 2047 characters.
namespace LXPDFPicture {
inline constexpr size_t MaxLine = 2047;
// Pixels as 0xRRGGBB, row by row.
inline std::string Encode(const uint32_t* Pixels, size_t Count) {
  static const char Hex[] = "0123456789ABCDEF";
  std::string Out;
  Out.reserve(Count * 6 + Count * 6 / MaxLine + 2);
  size_t Line = 0;
  for (size_t I = 0; I < Count; ++I) {
    for (int Shift = 20; Shift >= 0; Shift -= 4) {
      Out += Hex[(Pixels[I] >> Shift) & 0xF];
      if (++Line > MaxLine) Out += "\r\n", Line = 0;
    }
  }
  if (Line) Out += "\r\n";
  return Out;
}
// Reads Count pixels; pixels the text does not reach stay white, a character
// that is not a hexadecimal digit counts as 0.
inline void Decode(const char* Text, size_t Size, uint32_t* Pixels, size_t Count) {
  size_t P = 0;
  uint32_t V = 0;
  int Digits = 0;
  for (size_t I = 0; I < Size && P < Count; ++I) {
    char C = Text[I];
    if (C == '\r' || C == '\n') continue;
    uint32_t D = C >= '0' && C <= '9' ? C - '0' : C >= 'A' && C <= 'F' ? C - 'A' + 10 : C >= 'a' && C <= 'f' ? C - 'a' + 10 : 0;
    V = V << 4 | D;
    if (++Digits == 6) Pixels[P++] = V, V = 0, Digits = 0;
  }
  for (; P < Count; ++P) Pixels[P] = 0xFFFFFF;
}
}  // namespace LXPDFPicture
