#pragma once
// Report files built byte by byte, and a page stream that counts its reads.
#include <cstdint>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

#include "lxreport/LXCompress.h"
#include "lxreport/LXStream.h"
#include "platform/graphics/Metafile.h"

namespace lxtest {

// A minimal EMF: header record, a GDI comment of Extra bytes tagged with Tag, EOF.
inline std::vector<uint8_t> Emf(uint8_t Tag, uint32_t Extra = 4) {
  uint32_t CommentSize = 12 + Extra;
  uint32_t Total = 88 + CommentSize + 20;
  std::vector<uint8_t> B(Total, 0);
  auto Put = [&](size_t At, uint32_t V) { std::memcpy(&B[At], &V, 4); };
  Put(0, 1), Put(4, 88), Put(40, 0x464D4520), Put(44, 0x10000), Put(48, Total), Put(52, 3);
  Put(88, 70), Put(92, CommentSize), Put(96, Extra);  // EMR_GDICOMMENT
  for (uint32_t I = 0; I < Extra; ++I) B[100 + I] = static_cast<uint8_t>(Tag + I);
  Put(88 + CommentSize, 14), Put(92 + CommentSize, 20), Put(Total - 4, 20);
  return B;
}

inline void Put32(std::vector<uint8_t>& B, size_t At, int32_t V) { std::memcpy(&B[At], &V, 4); }
inline int32_t Get32(const std::vector<uint8_t>& B, size_t At) {
  int32_t V;
  std::memcpy(&V, &B[At], 4);
  return V;
}

// A report file laid out as the format says; Starts receives each record's offset.
inline std::vector<uint8_t> ReportFile(const std::vector<std::vector<uint8_t>>& PageData, bool Compressed = false,
                                       int32_t HeaderCount = -1, std::vector<int32_t>* Starts = nullptr) {
  std::vector<uint8_t> F(128, 0);
  F[0] = 3, F[2] = 0x6A, F[3] = 0x01;  // 3, 362
  Put32(F, 8, HeaderCount >= 0 ? HeaderCount : static_cast<int32_t>(PageData.size()));
  F[25] = Compressed ? 1 : 0;
  for (size_t I = 0; I < PageData.size(); ++I) {
    int32_t Start = static_cast<int32_t>(F.size());
    if (Starts) Starts->push_back(Start);
    F.resize(F.size() + 8);
    Put32(F, Start, static_cast<int32_t>(I + 1));
    F.insert(F.end(), PageData[I].begin(), PageData[I].end());
    Put32(F, Start + 4, static_cast<int32_t>(F.size() + 4));
    F.resize(F.size() + 4);
    Put32(F, F.size() - 4, Start);
  }
  return F;
}

// Page data coded as a compressed record holds it: the length, then the code.
inline std::vector<uint8_t> Coded(const std::vector<uint8_t>& Bytes) {
  TMemoryStream S;
  S.WriteInt32(static_cast<int32_t>(Bytes.size()));
  {
    TLXCompress C(&S, true);
    C.CompressBuffer(Bytes.data(), Bytes.size());
  }
  return S.Bytes();
}

// Data of Count pages, page N tagged N x 10, plain or coded.
inline std::vector<std::vector<uint8_t>> Pages(int Count, bool Compressed = false) {
  std::vector<std::vector<uint8_t>> Data;
  for (int N = 1; N <= Count; ++N) {
    auto E = Emf(static_cast<uint8_t>(N * 10));
    Data.push_back(Compressed ? Coded(E) : E);
  }
  return Data;
}

// Where page N's record starts in a well-formed file, along the forward links.
inline size_t RecordOf(const std::vector<uint8_t>& File, int N) {
  size_t At = 128;
  for (int I = 1; I < N; ++I) At = static_cast<size_t>(Get32(File, At + 4));
  return At;
}

// Rewires a report file at random: 1 to 4 times, one record's page number,
// forward link or back link, the header's page count or the last back link
// takes a value that points at a record, the header's end, the file's end,
// anywhere or nowhere. Starts holds the record offsets of the intact file.
inline void ShuffleLinks(std::vector<uint8_t>& File, const std::vector<int32_t>& Starts, std::mt19937& Rng) {
  int32_t Pages = static_cast<int32_t>(Starts.size());
  std::vector<int32_t> Targets = Starts;
  for (int32_t T : {128, static_cast<int32_t>(File.size()), static_cast<int32_t>(Rng() % File.size()), -1, 0})
    Targets.push_back(T);
  auto Pick = [&] { return Targets[Rng() % Targets.size()]; };
  for (int M = 1 + static_cast<int>(Rng() % 4); M > 0; --M) {
    size_t R = Rng() % Starts.size();
    size_t End = R + 1 < Starts.size() ? static_cast<size_t>(Starts[R + 1]) : File.size();
    switch (Rng() % 5) {
      case 0: Put32(File, Starts[R], static_cast<int32_t>(Rng() % (Pages + 2))); break;
      case 1: Put32(File, Starts[R] + 4, Pick()); break;
      case 2: Put32(File, End - 4, Pick()); break;
      case 3: Put32(File, 8, static_cast<int32_t>(Rng() % (Pages + 3))); break;
      case 4: Put32(File, File.size() - 4, Pick()); break;
    }
  }
}

// The 3 -> 7 -> 3 loop: page 3 links forward to page 7, and the back link just
// before page 7 returns to page 3 (an eight-page file).
inline void LinkCycle(std::vector<uint8_t>& File, const std::vector<int32_t>& Starts) {
  Put32(File, Starts[2] + 4, Starts[6]);
  Put32(File, Starts[6] - 4, Starts[2]);
}

// Spoils the metafile signature of page N of a file of plain pages.
inline void SpoilPage(std::vector<uint8_t>& File, int N) { File[RecordOf(File, N) + 8 + 40] ^= 0xFF; }

struct TReadBudgetExceeded : std::runtime_error {
  TReadBudgetExceeded() : std::runtime_error("the page stream was read more often than any walk needs") {}
};

// An in-memory page stream that counts reads and fails once a budget is spent,
// so that a walk that would never end fails instead.
class TCountingStream : public TLXStream {
public:
  explicit TCountingStream(const std::vector<uint8_t>& Bytes, int64_t Budget = INT64_MAX)
      : TLXStream(INT32_MAX), Budget(Budget) {
    if (!Bytes.empty()) WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    SetPosition(0);
  }
  int64_t Read(void* Buffer, int64_t Count) override {
    if (++Reads > Budget) throw TReadBudgetExceeded();
    int64_t N = TLXStream::Read(Buffer, Count);
    BytesRead += N;
    return N;
  }
  int64_t Budget;
  int64_t Reads = 0;
  int64_t BytesRead = 0;
};

}  // namespace lxtest
