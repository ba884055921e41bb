#include "exceptions/report/TarvikPng.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>

#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

namespace {
const uint32_t* CrcTable() {
  static const auto Table = [] {
    std::array<uint32_t, 256> T{};
    for (uint32_t N = 0; N < 256; ++N) {
      uint32_t C = N;
      for (int K = 0; K < 8; ++K) C = (C & 1) ? 0xEDB88320u ^ (C >> 1) : C >> 1;
      T[N] = C;
    }
    return T;
  }();
  return Table.data();
}

constexpr int GreyCount = 40;

int GreyLevel(int I) { return ((I + 1) * 255 * 2 + 41) / 82; }  // round((I + 1) * 255 / 41)

// Every grey of the palette (the cube's six and the forty), ascending, with its entry.
struct TGreyScale {
  std::array<uint8_t, 256> Entry{};  // nearest grey entry for a level
  std::array<uint8_t, 256> Value{};  // that entry's level
};

const TGreyScale& GreyScale() {
  static const TGreyScale S = [] {
    std::vector<std::pair<int, int>> Greys;  // level, entry
    for (int Q = 0; Q < 6; ++Q) Greys.push_back({Q * 51, Q * 43});  // r=g=b=Q: Q*36+Q*6+Q
    for (int I = 0; I < GreyCount; ++I) Greys.push_back({GreyLevel(I), ScreenPaletteCubeSize + I});
    TGreyScale R;
    for (int L = 0; L < 256; ++L) {
      int Best = 0;
      for (size_t K = 1; K < Greys.size(); ++K)
        if (std::abs(Greys[K].first - L) < std::abs(Greys[Best].first - L)) Best = static_cast<int>(K);
      R.Entry[L] = static_cast<uint8_t>(Greys[Best].second);
      R.Value[L] = static_cast<uint8_t>(Greys[Best].first);
    }
    return R;
  }();
  return S;
}

inline int Sq(int V) { return V * V; }

inline uint8_t NearestEntry(int R, int G, int B, const TGreyScale& Grey) {
  int QR = (R + 25) / 51, QG = (G + 25) / 51, QB = (B + 25) / 51;
  int CubeError = Sq(R - QR * 51) + Sq(G - QG * 51) + Sq(B - QB * 51);
  int L = (R + G + B + 1) / 3;
  int V = Grey.Value[L];
  int GreyError = Sq(R - V) + Sq(G - V) + Sq(B - V);
  return GreyError < CubeError ? Grey.Entry[L] : static_cast<uint8_t>(QR * 36 + QG * 6 + QB);
}

void PutBE32(std::string& Out, uint32_t V) {
  char B[4] = {char(V >> 24), char(V >> 16), char(V >> 8), char(V)};
  Out.append(B, 4);
}

void PutChunk(std::string& Out, const char Type[4], const uint8_t* Data, size_t Length) {
  PutBE32(Out, static_cast<uint32_t>(Length));
  size_t Start = Out.size();
  Out.append(Type, 4);
  if (Length) Out.append(reinterpret_cast<const char*>(Data), Length);
  PutBE32(Out, ~CalcCRC(0xFFFFFFFFu, Out.data() + Start, Length + 4));
}
}  // namespace

uint32_t CalcCRC(uint32_t Crc, const void* Data, size_t Length) {
  const uint32_t* T = CrcTable();
  const auto* P = static_cast<const uint8_t*>(Data);
  for (size_t I = 0; I < Length; ++I) Crc = T[(Crc ^ P[I]) & 0xFF] ^ (Crc >> 8);
  return Crc;
}

const std::array<uint8_t, 768>& ScreenPalette() {
  static const auto P = [] {
    std::array<uint8_t, 768> E{};
    for (int I = 0; I < ScreenPaletteCubeSize; ++I) {
      E[I * 3] = static_cast<uint8_t>(I / 36 * 51);
      E[I * 3 + 1] = static_cast<uint8_t>(I / 6 % 6 * 51);
      E[I * 3 + 2] = static_cast<uint8_t>(I % 6 * 51);
    }
    for (int I = 0; I < GreyCount; ++I)
      for (int C = 0; C < 3; ++C) E[(ScreenPaletteCubeSize + I) * 3 + C] = static_cast<uint8_t>(GreyLevel(I));
    return E;
  }();
  return P;
}

uint8_t ScreenPaletteIndex(uint8_t R, uint8_t G, uint8_t B) { return NearestEntry(R, G, B, GreyScale()); }

TPalettedImage QuantizeToScreenPalette(const uint32_t* Pixels, int Width, int Height, size_t StridePixels) {
  TPalettedImage Image;
  Image.Width = Width;
  Image.Height = Height;
  Image.Pixels.resize(static_cast<size_t>(Width) * static_cast<size_t>(Height));
  const TGreyScale& Grey = GreyScale();
  uint8_t* Out = Image.Pixels.data();
  for (int Y = 0; Y < Height; ++Y) {
    const uint32_t* Row = Pixels + static_cast<size_t>(Y) * StridePixels;
    // Screens are mostly runs of one colour: reuse the last answer.
    uint32_t Last = ~Row[0] & 0xFFFFFF;
    uint8_t LastEntry = 0;
    for (int X = 0; X < Width; ++X) {
      uint32_t P = Row[X] & 0xFFFFFF;
      if (P != Last) {
        Last = P;
        LastEntry = NearestEntry(int(P >> 16), int(P >> 8 & 0xFF), int(P & 0xFF), Grey);
      }
      *Out++ = LastEntry;
    }
  }
  return Image;
}

std::string EncodePng(const TPalettedImage& Image) {
  // PNG allows 2^31-1; a screen is far smaller, so keep the row arithmetic in range.
  if (Image.Width <= 0 || Image.Height <= 0 || Image.Width > 65535 || Image.Height > 65535 ||
      Image.Pixels.size() != static_cast<size_t>(Image.Width) * static_cast<size_t>(Image.Height))
    throw EInvalidGraphic("Cannot write a PNG image of " + IntToStr(Image.Width) + " x " +
                          IntToStr(Image.Height) + " pixels.");
  std::string Out("\x89PNG\r\n\x1a\n", 8);
  uint8_t Header[13] = {0};
  for (int I = 0; I < 4; ++I) {
    Header[I] = static_cast<uint8_t>(uint32_t(Image.Width) >> (24 - 8 * I));
    Header[4 + I] = static_cast<uint8_t>(uint32_t(Image.Height) >> (24 - 8 * I));
  }
  Header[8] = 8;  // bit depth
  Header[9] = 3;  // palette
  PutChunk(Out, "IHDR", Header, sizeof Header);
  PutChunk(Out, "PLTE", ScreenPalette().data(), 768);

  z_stream Z{};
  if (deflateInit(&Z, 9) != Z_OK) throw EOutOfMemory("zlib: deflateInit failed.");
  // Level 9 searches hash chains of 4096 entries: a screen of text takes a second that way. A chain
  // of 64 costs 8 % in size and keeps the whole picture near 100 ms.
  deflateTune(&Z, 32, 258, 258, 64);
  TFinally End([&Z] { deflateEnd(&Z); });
  std::vector<uint8_t> Buffer(PngIdatChunkSize);
  std::vector<uint8_t> Row(static_cast<size_t>(Image.Width) + 1, 0);
  Z.next_out = Buffer.data();
  Z.avail_out = static_cast<uInt>(Buffer.size());
  auto Feed = [&](int Flush) {
    for (;;) {
      int Rc = deflate(&Z, Flush);
      if (Rc == Z_STREAM_ERROR) throw EWriteError("zlib: deflate failed.");
      if (Z.avail_out == 0) {
        PutChunk(Out, "IDAT", Buffer.data(), Buffer.size());
        Z.next_out = Buffer.data();
        Z.avail_out = static_cast<uInt>(Buffer.size());
        continue;
      }
      if (Flush == Z_FINISH ? Rc == Z_STREAM_END : Z.avail_in == 0) break;
    }
  };
  for (int Y = 0; Y < Image.Height; ++Y) {
    std::memcpy(Row.data() + 1, Image.Pixels.data() + static_cast<size_t>(Y) * Image.Width, Image.Width);
    Z.next_in = Row.data();
    Z.avail_in = static_cast<uInt>(Row.size());
    Feed(Z_NO_FLUSH);
  }
  Feed(Z_FINISH);
  size_t Left = Buffer.size() - Z.avail_out;
  if (Left) PutChunk(Out, "IDAT", Buffer.data(), Left);
  PutChunk(Out, "IEND", nullptr, 0);
  return Out;
}

void WritePngFile(const std::string& FileName, const TPalettedImage& Image) {
  std::string Bytes = EncodePng(Image);
  int Fd = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (Fd < 0) throw EFCreateError("Cannot create file \"" + FileName + "\". " + std::strerror(errno));
  TFinally Close([Fd] { ::close(Fd); });
  size_t Done = 0;
  while (Done < Bytes.size()) {
    ssize_t W = ::write(Fd, Bytes.data() + Done, Bytes.size() - Done);
    if (W < 0 && errno == EINTR) continue;
    if (W <= 0) throw EWriteError("Cannot write file \"" + FileName + "\". " + std::strerror(errno));
    Done += static_cast<size_t>(W);
  }
}
