#pragma once
// Helpers shared by the EMF tests: a record builder for hand-made files and
// image comparison.
#include <QImage>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/QtPainterDC.h"

class TEmfBuilder {
public:
  // Header for a picture framed as W x H hundredths of a millimetre on a 96 ppi
  // reference screen of 1920 x 1080 pixels.
  explicit TEmfBuilder(int FrameW, int FrameH) {
    Rec(1, {0, 0, 0, 0, 0, 0, uint32_t(FrameW), uint32_t(FrameH), 0x464D4520, 0x10000, 0, 0, 0, 0, 0, 0, 1920, 1080,
            508, 286, 0, 0, 0, 508000, 285750});
  }
  // Header for a picture framed by Frame (hundredths of a millimetre, as stored)
  // on a reference device of DevW x DevH pixels and MmW x MmH millimetres,
  // without the micrometre extension (an 88-byte header, as older writers make).
  TEmfBuilder(TRect Frame, int DevW, int DevH, int MmW, int MmH) {
    auto Px = [](int Hmm, int Dev, int Mm) { return uint32_t(int64_t(Hmm) * Dev / (Mm * 100)); };
    Rec(1, {Px(Frame.Left, DevW, MmW), Px(Frame.Top, DevH, MmH), Px(Frame.Right, DevW, MmW) - 1,
            Px(Frame.Bottom, DevH, MmH) - 1, uint32_t(Frame.Left), uint32_t(Frame.Top), uint32_t(Frame.Right), uint32_t(Frame.Bottom),
            0x464D4520, 0x10000, 0, 0, 0, 0, 0, 0, uint32_t(DevW), uint32_t(DevH), uint32_t(MmW), uint32_t(MmH)});
  }
  std::vector<uint8_t>& Bytes() { return B; }
  // A record of 32-bit fields.
  void Rec(uint32_t Type, std::initializer_list<uint32_t> Fields) {
    size_t At = Start(Type);
    for (uint32_t F : Fields) U32(F);
    Finish(At);
  }
  size_t Start(uint32_t Type) {
    size_t At = B.size();
    U32(Type);
    U32(0);
    ++Records;
    return At;
  }
  void U32(uint32_t V) {
    for (int I = 0; I < 4; ++I) B.push_back(uint8_t(V >> (8 * I)));
  }
  void U16(uint16_t V) {
    B.push_back(uint8_t(V));
    B.push_back(uint8_t(V >> 8));
  }
  void Raw(const std::string& S) { B.insert(B.end(), S.begin(), S.end()); }
  void Pad() {
    while (B.size() % 4) B.push_back(0);
  }
  void Finish(size_t At) {
    Pad();
    uint32_t Size = uint32_t(B.size() - At);
    std::memcpy(&B[At + 4], &Size, 4);
  }
  // Appends EOF and fixes the header's counts.
  std::vector<uint8_t> Done() {
    Rec(14, {0, 16, 20});
    uint32_t Size = uint32_t(B.size()), N = Records, H = 8;
    std::memcpy(&B[48], &Size, 4);
    std::memcpy(&B[52], &N, 4);
    std::memcpy(&B[56], &H, 4);
    return B;
  }

private:
  std::vector<uint8_t> B;
  uint32_t Records = 0;
};

// Share of pixels whose colour differs by more than Tolerance in a channel.
inline double DifferentPixels(const QImage& A, const QImage& B, int Tolerance = 48) {
  if (A.size() != B.size()) return 1;
  long Diff = 0;
  for (int Y = 0; Y < A.height(); ++Y)
    for (int X = 0; X < A.width(); ++X) {
      QRgb P = A.pixel(X, Y), Q = B.pixel(X, Y);
      if (std::abs(qRed(P) - qRed(Q)) > Tolerance || std::abs(qGreen(P) - qGreen(Q)) > Tolerance ||
          std::abs(qBlue(P) - qBlue(Q)) > Tolerance)
        ++Diff;
    }
  return double(Diff) / (A.width() * A.height());
}

inline QImage WhiteImage(int W, int H) {
  QImage I(W, H, QImage::Format_RGB32);
  I.fill(Qt::white);
  return I;
}

// A white W x H image with Graphic stretched over Dest, drawn at 96 ppi.
inline QImage StretchedInto(int W, int H, const TRect& Dest, TGraphic& Graphic) {
  QImage Img = WhiteImage(W, H);
  TQtPainterDC Dc(&Img, 96, 96);
  TCanvas C(&Dc);
  C.StretchDraw(Dest, Graphic);
  Dc.End();
  return Img;
}
