#include "lxreport/LXCompress.h"

#include "lxreport/LXConsts.h"
#include "lxreport/LXError.h"

static constexpr size_t kBlock = 4096;

TLXCompress::TLXCompress(TStream* Stream, bool Compress)
    : FStream(Stream), FCompressFlag(Compress), FBitPos(Compress ? 0 : 7) {
  // A complete tree: internal nodes 0..255, leaves 256..512 (512 is never coded).
  for (int I = 1; I <= 512; ++I) FUp[I] = static_cast<uint16_t>((I - 1) / 2);
  FUp[0] = 0;
  for (int I = 0; I < 256; ++I) {
    FLeft[I] = static_cast<uint16_t>(2 * I + 1);
    FRight[I] = static_cast<uint16_t>(2 * I + 2);
  }
  FBuf.reserve(kBlock);
}

TLXCompress::~TLXCompress() {
  try {
    Finish();
  } catch (...) {
  }
}

void TLXCompress::Finish() {
  if (FFinished) return;
  FFinished = true;
  if (FCompressFlag) {
    if (FBitPos != 0) FBuf.push_back(static_cast<uint8_t>(FOutByte));
    FlushOut();
  } else if (FBufPos < FBuf.size()) {
    FStream->Seek(-static_cast<int64_t>(FBuf.size() - FBufPos), soCurrent);
    FBuf.clear();
    FBufPos = 0;
  }
}

void TLXCompress::FlushOut() {
  if (!FBuf.empty()) FStream->WriteBuffer(FBuf.data(), static_cast<int64_t>(FBuf.size()));
  FBuf.clear();
}

void TLXCompress::EmitBit(bool Bit) {
  // Bits fill each byte from its least significant bit upwards.
  if (Bit) FOutByte |= static_cast<uint16_t>(1u << FBitPos);
  if (FBitPos == 7) {
    FBuf.push_back(static_cast<uint8_t>(FOutByte));
    if (FBuf.size() >= kBlock) FlushOut();
    FBitPos = 0;
    FOutByte = 0;
  } else {
    ++FBitPos;
  }
}

void TLXCompress::Compress(uint8_t Value) {
  // Walk up from the leaf noting the side; emit root-first. A path is at most 256 steps.
  bool Bits[256];
  int N = 0;
  int A = Value + 256;
  int P;
  do {
    P = FUp[A];
    Bits[N++] = FRight[P] == A;
    A = P;
  } while (P != 0);
  while (N > 0) EmitBit(Bits[--N]);
  Splay(Value);
}

bool TLXCompress::NextBit() {
  if (FBitPos == 7) {
    if (FBufPos == FBuf.size()) {
      FBuf.resize(kBlock);
      int64_t Got = FStream->Read(FBuf.data(), static_cast<int64_t>(kBlock));
      FBuf.resize(Got > 0 ? static_cast<size_t>(Got) : 0);
      FBufPos = 0;
      if (FBuf.empty()) throw ELXError(SLXCodeCutShort);
    }
    FInByte = FBuf[FBufPos++];
    FBitPos = 0;
  } else {
    ++FBitPos;
  }
  return (FInByte >> FBitPos) & 1;
}

void TLXCompress::Expand(uint8_t& Value) {
  int Index = 0;
  do {
    Index = NextBit() ? FRight[Index] : FLeft[Index];
  } while (Index < 256);
  Splay(Index - 256);
  Value = static_cast<uint8_t>(Index - 256);
}

void TLXCompress::CompressBuffer(const uint8_t* Data, size_t Count) {
  for (size_t I = 0; I < Count; ++I) Compress(Data[I]);
}

void TLXCompress::ExpandBuffer(uint8_t* Data, size_t Count) {
  for (size_t I = 0; I < Count; ++I) Expand(Data[I]);
}

void TLXCompress::Splay(int Symbol) {
  // Each step exchanges the node with its uncle and continues from the grandparent.
  int A = Symbol + 256;
  do {
    int P = FUp[A];
    if (P == 0) break;
    int G = FUp[P];
    int U = FLeft[G];
    if (U == P) {
      U = FRight[G];
      FRight[G] = static_cast<uint16_t>(A);
    } else {
      FLeft[G] = static_cast<uint16_t>(A);
    }
    if (FLeft[P] == A)
      FLeft[P] = static_cast<uint16_t>(U);
    else
      FRight[P] = static_cast<uint16_t>(U);
    FUp[A] = static_cast<uint16_t>(G);
    FUp[U] = static_cast<uint16_t>(P);
    A = G;
  } while (A != 0);
}
