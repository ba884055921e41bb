#pragma once
// The one bounds-checked reader for outside bytes: every read checks offset + size
// against the span before touching memory, and raises EReadError otherwise.
// Callers never do pointer arithmetic of their own.
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/classes/ClassesConsts.h"
#include "platform/rtl/SysUtils.h"

class TByteReader {
public:
  TByteReader() = default;
  TByteReader(const uint8_t* Data, size_t Size) : FData(Data), FSize(Size) {}

  size_t Offset() const { return FOffset; }
  size_t Size() const { return FSize; }
  size_t Remaining() const { return FSize - FOffset; }
  bool AtEnd() const { return FOffset == FSize; }
  // Set once a read ran past the end: the bytes are damaged, not merely unexpected.
  bool Failed() const { return FFailed; }

  void Seek(size_t Offset) {
    if (Offset > FSize) Fail();
    FOffset = Offset;
  }
  void Skip(size_t N) { Bytes(N); }
  // N bytes at the current offset; advances past them.
  const uint8_t* Bytes(size_t N) {
    if (N > Remaining()) Fail();
    const uint8_t* P = FData + FOffset;
    FOffset += N;
    return P;
  }
  uint8_t Peek() {
    if (AtEnd()) Fail();
    return FData[FOffset];
  }
  uint8_t U8() { return *Bytes(1); }
  uint16_t U16() { return static_cast<uint16_t>(Le(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Le(4)); }
  uint64_t U64() { return Le(8); }
  int8_t I8() { return static_cast<int8_t>(U8()); }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  int64_t I64() { return static_cast<int64_t>(U64()); }
  float F32() {
    uint32_t B = U32();
    float F;
    std::memcpy(&F, &B, 4);
    return F;
  }
  double F64() {
    uint64_t B = U64();
    double D;
    std::memcpy(&D, &B, 8);
    return D;
  }
  std::string String(size_t N) {
    const uint8_t* P = Bytes(N);
    return std::string(reinterpret_cast<const char*>(P), N);
  }

  // Reads at an absolute offset, leaving the cursor alone (record formats such
  // as EMF address their fields by offset).
  const uint8_t* Data() const { return FData; }
  bool Has(size_t Offset, size_t Count) const { return Offset <= FSize && Count <= FSize - Offset; }
  void Check(size_t Offset, size_t Count) const {
    if (!Has(Offset, Count)) throw EReadError(SReadPastEnd);
  }
  // A reader over Count bytes at Offset.
  TByteReader Slice(size_t Offset, size_t Count) const {
    Check(Offset, Count);
    return TByteReader(FData + Offset, Count);
  }
  uint8_t U8(size_t Offset) const {
    Check(Offset, 1);
    return FData[Offset];
  }
  uint16_t U16(size_t Offset) const { return static_cast<uint16_t>(LeAt(Offset, 2)); }
  int16_t I16(size_t Offset) const { return static_cast<int16_t>(LeAt(Offset, 2)); }
  uint32_t U32(size_t Offset) const { return static_cast<uint32_t>(LeAt(Offset, 4)); }
  int32_t I32(size_t Offset) const { return static_cast<int32_t>(LeAt(Offset, 4)); }
  float F32(size_t Offset) const {
    uint32_t B = U32(Offset);
    float F;
    std::memcpy(&F, &B, 4);
    return F;
  }

  [[noreturn]] void Fail(const std::string& Message = SReadError) {
    FFailed = true;
    throw EReadError(Message);
  }

private:
  uint64_t LeAt(size_t Offset, size_t N) const {
    Check(Offset, N);
    uint64_t V = 0;
    for (size_t I = N; I-- > 0;) V = (V << 8) | FData[Offset + I];
    return V;
  }
  uint64_t Le(size_t N) {
    const uint8_t* P = Bytes(N);
    uint64_t V = 0;
    for (size_t I = N; I-- > 0;) V = (V << 8) | P[I];
    return V;
  }
  const uint8_t* FData = nullptr;
  size_t FSize = 0;
  size_t FOffset = 0;
  bool FFailed = false;
};
