// TEmfRecorderDC: text, bitmaps and completing the file.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/graphics/EmfRecorder.h"
#include "platform/graphics/EmfRecords.h"
#include "platform/graphics/Metafile.h"

void TEmfRecorderDC::ExtTextOut(int X, int Y, uint32_t Options, const TRect* R, const std::u16string& Text,
                                const int* Dx) {
  std::vector<int> Measured;
  if (!Dx) Measured = FS.Advances(Text);
  const int* Adv = Dx ? Dx : Measured.data();
  long Total = 0;
  for (size_t I = 0; I < Text.size(); ++I) Total += Adv[I];
  const TTextMetric M = FontEngine::Metrics(FS.Font);
  int Left = X, Top = Y;
  if ((FS.TextAlign & TA_CENTER) == TA_RIGHT) Left -= Total;
  else if ((FS.TextAlign & TA_CENTER) == TA_CENTER) Left -= Total / 2;
  if ((FS.TextAlign & TA_BASELINE) == TA_BASELINE) Top -= M.Ascent;
  else if ((FS.TextAlign & TA_BASELINE) == TA_BOTTOM) Top -= M.Height;
  TRect Box = Bounds(Left, Top, static_cast<int>(Total), M.Height);
  if (FS.Font.Escapement % 3600 != 0) {
    int Reach = static_cast<int>(Total) + M.Height;  // a rotated box stays within this of the reference
    Box = Rect(X - Reach, Y - Reach, X + Reach, Y + Reach);
  }
  if (R && (Options & ETO_CLIPPED)) Box = IntersectRect(Box, NormalizedRect(*R));
  if (R && (Options & ETO_OPAQUE)) TouchRect(*R);
  if (!Text.empty() && !Box.IsEmpty()) TouchRect(Box);

  uint32_t N = static_cast<uint32_t>(Text.size());
  uint32_t OffString = 76, StringBytes = (2 * N + 3) / 4 * 4, OffDx = OffString + StringBytes;
  // The record at once, after its type and size; what is not set stays zero (the scales too).
  Begin(static_cast<uint32_t>(TEmr::ExtTextOutW));
  uint8_t* P = Append(OffDx - 8 + 4 * size_t(N));
  PutRect(P, Box.IsEmpty() ? TRect{0, 0, -1, -1} : Rect(Box.Left, Box.Top, Box.Right - 1, Box.Bottom - 1));
  Put32(P + 16, static_cast<uint32_t>(FS.GraphicsMode));
  Put32(P + 28, static_cast<uint32_t>(X));
  Put32(P + 32, static_cast<uint32_t>(Y));
  Put32(P + 36, N);
  Put32(P + 40, OffString);
  Put32(P + 44, Options);
  PutRect(P + 48, R ? *R : TRect{});
  Put32(P + 64, N ? OffDx : 0);
  // offString and offDx count from the start of the record.
  uint8_t* S = P + (OffString - 8);
  for (char16_t C : Text) {
    *S++ = uint8_t(C);
    *S++ = uint8_t(C >> 8);
  }
  uint8_t* D = P + (OffDx - 8);
  for (uint32_t I = 0; I < N; ++I, D += 4) Put32(D, static_cast<uint32_t>(Adv[I]));
  End();
}

// The DIB goes in as a 24-bit bottom-up BITMAPINFO; only the part drawn is kept.
void TEmfRecorderDC::StretchDIBits(const TRect& Dest, const TRect& Src, const TDibView& Dib, uint32_t Rop) {
  TRect S = IntersectRect(NormalizedRect(Src), Rect(0, 0, Dib.Width, Dib.Height));
  bool NoSource = Rop == BLACKNESS || Rop == WHITENESS || Rop == PATCOPY;
  if (!NoSource && (S.IsEmpty() || !Dib.Pixels)) return;
  TouchRect(Dest);
  if (NoSource) {
    // A blit without a source, as GDI records PatBlt and FillRect.
    TRect D = NormalizedRect(Dest);
    Begin(static_cast<uint32_t>(TEmr::BitBlt));
    // Source origin, crBkColorSrc, usage, offBmi, cbBmi, offBits and cbBits stay zero.
    uint8_t* P = Append(92);
    PutRect(P, Rect(D.Left, D.Top, D.Right - 1, D.Bottom - 1));
    Put32(P + 16, static_cast<uint32_t>(D.Left));
    Put32(P + 20, static_cast<uint32_t>(D.Top));
    Put32(P + 24, static_cast<uint32_t>(D.Width()));
    Put32(P + 28, static_cast<uint32_t>(D.Height()));
    Put32(P + 32, Rop);
    constexpr uint32_t One = 0x3F800000;  // 1.0f: xformSrc is the identity
    Put32(P + 44, One);
    Put32(P + 56, One);
    End();
    return;
  }
  int W = NoSource ? 0 : S.Width(), H = NoSource ? 0 : S.Height();
  uint32_t Stride = (static_cast<uint32_t>(W) * 3 + 3) / 4 * 4, Bits = Stride * H;
  uint32_t OffBmi = 80, OffBits = NoSource ? 0 : OffBmi + 40;
  Begin(static_cast<uint32_t>(TEmr::StretchDIBits));
  RectL(Rect(std::min(Dest.Left, Dest.Right), std::min(Dest.Top, Dest.Bottom), std::max(Dest.Left, Dest.Right) - 1,
             std::max(Dest.Top, Dest.Bottom) - 1));
  I32(Dest.Left);
  I32(Dest.Top);
  I32(0);
  I32(0);
  I32(W);
  I32(H);
  U32(NoSource ? 0 : OffBmi);
  U32(NoSource ? 0 : 40);
  U32(OffBits);
  U32(NoSource ? 0 : Bits);
  U32(0);  // DIB_RGB_COLORS
  U32(Rop);
  I32(Dest.Width() * (Src.Right < Src.Left ? -1 : 1));
  I32(Dest.Height() * (Src.Bottom < Src.Top ? -1 : 1));
  if (!NoSource) {
    U32(40);  // BITMAPINFOHEADER
    I32(W);
    I32(H);  // positive: bottom-up
    U16(1);
    U16(24);
    U32(0);  // BI_RGB
    U32(Bits);
    I32(3780);  // 96 pixels per inch in pixels per metre
    I32(3780);
    U32(0);
    U32(0);
    const size_t At = FSize;
    Append(Bits);
    for (int Y = 0; Y < H; ++Y) {
      const uint32_t* Row = Dib.Pixels + static_cast<size_t>(S.Top + H - 1 - Y) * Dib.Width + S.Left;
      uint8_t* Out = &FBytes[At + static_cast<size_t>(Y) * Stride];
      for (int X = 0; X < W; ++X) {
        uint32_t P = Row[X];
        if (Dib.HasAlpha) {  // no alpha in a 24-bit DIB: blend over white
          uint32_t A = P >> 24;
          auto Mix = [A](uint32_t C) { return (C * A + 255 * (255 - A)) / 255; };
          P = (Mix((P >> 16) & 0xFF) << 16) | (Mix((P >> 8) & 0xFF) << 8) | Mix(P & 0xFF);
        }
        Out[3 * X] = P & 0xFF;
        Out[3 * X + 1] = (P >> 8) & 0xFF;
        Out[3 * X + 2] = (P >> 16) & 0xFF;
      }
    }
  }
  End();
}

std::vector<uint8_t> TEmfRecorderDC::Finish() {
  if (FFinished) return {};
  Begin(static_cast<uint32_t>(TEmr::Eof));
  U32(0);   // palette entries
  U32(16);  // their offset
  U32(20);  // this record's size, repeated at its end
  End();
  FFinished = true;

  auto Put = [&](size_t At, uint32_t V) { std::memcpy(&FBytes[At], &V, 4); };
  TRect B = FHasBounds ? FBounds : TRect{0, 0, -1, -1};
  TRect Frame = FFrame;
  if (Frame.IsEmpty()) {
    // Hundredths of a millimetre of the drawn area at the reference resolution.
    auto Mm = [&](int Px) { return static_cast<int>(std::lround(Px * 2540.0 / FPpi)); };
    Frame = FHasBounds ? Rect(Mm(B.Left), Mm(B.Top), Mm(B.Right + 1), Mm(B.Bottom + 1)) : TRect{};
  }
  int MicroX = static_cast<int>(std::lround(FDevice.cx * 25400.0 / FPpi));
  int MicroY = static_cast<int>(std::lround(FDevice.cy * 25400.0 / FPpi));
  Put(4, 108);
  Put(8, B.Left), Put(12, B.Top), Put(16, B.Right), Put(20, B.Bottom);
  Put(24, Frame.Left), Put(28, Frame.Top), Put(32, Frame.Right), Put(36, Frame.Bottom);
  Put(40, TMetafile::EmfSignature);
  Put(44, 0x10000);
  Put(48, static_cast<uint32_t>(FSize));
  Put(52, FRecords);
  Put(56, static_cast<uint32_t>(FUsed.size()));  // handles (16 bits) and the reserved word
  Put(60, 0);
  Put(64, 0);
  Put(68, 0);
  Put(72, FDevice.cx), Put(76, FDevice.cy);
  Put(80, static_cast<uint32_t>(std::lround(MicroX / 1000.0))), Put(84, static_cast<uint32_t>(std::lround(MicroY / 1000.0)));
  Put(88, 0), Put(92, 0), Put(96, 0);
  Put(100, MicroX), Put(104, MicroY);
  FBytes.resize(FSize);
  // A picture may be kept for long: no more than a quarter of it spare.
  if (FBytes.capacity() - FSize > FSize / 4) FBytes.shrink_to_fit();
  return std::move(FBytes);
}
