#include "lxreport/LXPageList.h"

#include <gtest/gtest.h>

#include <cstring>

#include "lxreport/LXCompress.h"
#include "lxreport/LXError.h"
#include "platform/classes/TempFiles.h"

namespace {
// A minimal EMF: header record, a GDI comment of Extra bytes tagged with Tag, EOF.
std::vector<uint8_t> Emf(uint8_t Tag, uint32_t Extra = 4) {
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

TMetafile Page(uint8_t Tag, uint32_t Extra = 4) {
  TMetafile M;
  M.SetData(Emf(Tag, Extra));
  return M;
}

// Builds a report file byte by byte as the format lays it out.
std::vector<uint8_t> ReportFile(const std::vector<std::vector<uint8_t>>& PageData, bool Compressed = false,
                                int32_t HeaderCount = -1) {
  std::vector<uint8_t> F(128, 0);
  auto Put32 = [&](size_t At, int32_t V) { std::memcpy(&F[At], &V, 4); };
  F[0] = 3, F[2] = 0x6A, F[3] = 0x01;  // 3, 362
  Put32(8, HeaderCount >= 0 ? HeaderCount : static_cast<int32_t>(PageData.size()));
  F[25] = Compressed ? 1 : 0;
  for (size_t I = 0; I < PageData.size(); ++I) {
    int32_t Start = static_cast<int32_t>(F.size());
    F.resize(F.size() + 8);
    Put32(Start, static_cast<int32_t>(I + 1));
    F.insert(F.end(), PageData[I].begin(), PageData[I].end());
    Put32(Start + 4, static_cast<int32_t>(F.size() + 4));
    F.resize(F.size() + 4);
    Put32(F.size() - 4, Start);
  }
  return F;
}

std::vector<uint8_t> Coded(const std::vector<uint8_t>& Bytes) {
  TMemoryStream S;
  S.WriteInt32(static_cast<int32_t>(Bytes.size()));
  {
    TLXCompress C(&S, true);
    C.CompressBuffer(Bytes.data(), Bytes.size());
  }
  return S.Bytes();
}

struct TempFile {
  std::string Path = GetTempFileName(GetTempPath(), "tst");
  ~TempFile() { DeleteFile(Path); }
  void Write(const std::vector<uint8_t>& B) {
    TFileStream F(Path, fmCreate);
    F.WriteBuffer(B.data(), static_cast<int64_t>(B.size()));
  }
  std::vector<uint8_t> Read() {
    TMemoryStream M;
    M.LoadFromFile(Path);
    return M.Bytes();
  }
};

std::unique_ptr<TLXPageList> Loaded(const std::vector<uint8_t>& Bytes, TempFile& F) {
  F.Write(Bytes);
  auto L = std::make_unique<TLXPageList>();
  L->LoadFromFile(F.Path);
  return L;
}
}  // namespace

TEST(LXPageListTest, ReadsHandBuiltFiles) {
  for (bool Compressed : {false, true}) {
    std::vector<std::vector<uint8_t>> Data;
    for (uint8_t T : {10, 20, 30}) Data.push_back(Compressed ? Coded(Emf(T)) : Emf(T));
    TempFile F;
    auto L = Loaded(ReportFile(Data, Compressed), F);
    ASSERT_EQ(L->PageCount(), 3);
    EXPECT_EQ(L->Compression(), Compressed);  // taken from header byte 25
    // Forward, then backward through the back links, then jumps.
    for (int32_t N : {1, 2, 3, 2, 1, 3, 1, 2, 2}) {
      auto P = L->GetPage(N);
      ASSERT_TRUE(P) << N;
      EXPECT_EQ(P->Data(), Emf(static_cast<uint8_t>(N * 10))) << N;
    }
    EXPECT_EQ(L->GetPage(4), nullptr);
    EXPECT_EQ(L->GetPage(0), nullptr);
  }
}

TEST(LXPageListTest, ZeroAndOnePageFiles) {
  TempFile F;
  auto Empty = Loaded(ReportFile({}), F);
  EXPECT_EQ(Empty->PageCount(), 0);
  EXPECT_EQ(Empty->GetPage(1), nullptr);
  TempFile G;
  auto One = Loaded(ReportFile({Emf(5)}), G);
  ASSERT_EQ(One->PageCount(), 1);
  EXPECT_EQ(One->GetPage(1)->Data(), Emf(5));
}

TEST(LXPageListTest, WritesTheExactLayout) {
  for (bool Compressed : {false, true}) {
    TLXPageList L;
    L.SetCompression(Compressed);
    L.SetStream(std::make_unique<TLXStream>(100000));
    for (uint8_t T : {1, 2, 3}) L.AddPage(Page(T));
    L.Finish();
    TempFile F;
    L.SaveToFile(F.Path);
    std::vector<std::vector<uint8_t>> Data;
    for (uint8_t T : {1, 2, 3}) Data.push_back(Compressed ? Coded(Emf(T)) : Emf(T));
    std::vector<uint8_t> Want = ReportFile(Data, Compressed);
    std::vector<uint8_t> Got = F.Read();
    ASSERT_EQ(Got.size(), Want.size());
    // Bytes 16..23 hold the moment of writing.
    std::memset(&Got[16], 0, 8);
    EXPECT_EQ(Got, Want);
    // Pages read back from the live stream too.
    EXPECT_EQ(L.GetPage(2)->Data(), Emf(2));
    EXPECT_EQ(L.GetPage(1)->Data(), Emf(1));
  }
}

TEST(LXPageListTest, SpilledStreamKeepsWorking) {
  TLXPageList L;
  L.SetStream(std::make_unique<TLXStream>(100000));
  for (int I = 0; I < 40; ++I) L.AddPage(Page(static_cast<uint8_t>(I), 5000));
  EXPECT_FALSE(L.Stream()->InMemory());
  EXPECT_EQ(L.GetPage(37)->Data(), Emf(36, 5000));  // page N holds tag N - 1
  EXPECT_EQ(L.GetPage(3)->Data(), Emf(2, 5000));
}

TEST(LXPageListTest, HostileFilesRaise) {
  auto Put32 = [](std::vector<uint8_t>& B, size_t At, int32_t V) { std::memcpy(&B[At], &V, 4); };
  const std::vector<uint8_t> Good = ReportFile({Emf(1), Emf(2), Emf(3), Emf(4)});
  const size_t Rec = 8 + Emf(1).size() + 4;
  struct Case {
    const char* Name;
    std::vector<uint8_t> Bytes;
    std::vector<int32_t> Pages;
  };
  std::vector<Case> Cases;
  auto Add = [&](const char* Name, auto Mutate, std::vector<int32_t> Pages) {
    auto B = Good;
    Mutate(B);
    Cases.push_back({Name, B, Pages});
  };
  Add("short header", [](auto& B) { B.resize(100); }, {1});
  Add("negative count", [&](auto& B) { Put32(B, 8, -5); }, {1});
  Add("huge count", [&](auto& B) { Put32(B, 8, 1 << 30); }, {1});
  Add("cyclic forward link", [&](auto& B) { Put32(B, 128 + 4, 128); }, {3});
  Add("forward link past end", [&](auto& B) { Put32(B, 128 + 4, 1 << 30); }, {3});
  Add("last link outside", [&](auto& B) { Put32(B, B.size() - 4, 1 << 30); }, {4});
  Add("cyclic back link", [&](auto& B) { Put32(B, 128 + 3 * Rec - 4, static_cast<int32_t>(128 + 3 * Rec)); }, {4, 2});
  Add("page numbers repeat", [&](auto& B) { Put32(B, 128 + Rec, 1); }, {3});
  Add("EMF larger than record", [&](auto& B) { Put32(B, 128 + 8 + 48, 5000); }, {1});
  Add("not an EMF", [&](auto& B) { B[128 + 8 + 40] = 'X'; }, {1});
  Add("truncated file", [&](auto& B) { B.resize(B.size() - 30); }, {4});
  for (Case& C : Cases) {
    TempFile F;
    F.Write(C.Bytes);
    TLXPageList L;
    try {
      L.LoadFromFile(F.Path);
      for (int32_t P : C.Pages) L.GetPage(P);
      ADD_FAILURE() << C.Name << " loaded";
    } catch (const ELXError&) {
    } catch (const EInvalidGraphic&) {
    }
  }
}

TEST(LXPageListTest, CompressedLengthMustFitTheRecord) {
  auto Data = Coded(Emf(1));
  int32_t Huge = 1 << 28;
  std::memcpy(Data.data(), &Huge, 4);
  TempFile F;
  auto L = Loaded(ReportFile({Data}, true), F);
  EXPECT_THROW(L->GetPage(1), ELXError);
}

TEST(LXPageListTest, FailedLoadKeepsThePreviousFile) {
  TempFile Good, Bad;
  auto L = Loaded(ReportFile({Emf(9)}), Good);
  Bad.Write({1, 2, 3});
  EXPECT_THROW(L->LoadFromFile(Bad.Path), ELXError);
  EXPECT_EQ(L->PageCount(), 1);
  EXPECT_EQ(L->GetPage(1)->Data(), Emf(9));
}

TEST(LXPageListTest, RefusesAPageThatWouldPass2GiB) {
  TLXPageList L;
  L.SetStream(std::make_unique<TLXStream>(100000));
  L.AddPage(Page(1, 200000));  // spills to a file
  ASSERT_FALSE(L.Stream()->InMemory());
  // Grow the file sparsely to just under the reach of 32-bit links.
  L.Stream()->Seek(INT32_MAX - 100, soBeginning);
  L.Stream()->WriteByte(0);
  int64_t Size = L.Stream()->Size();
  EXPECT_THROW(L.AddPage(Page(2)), ELXError);
  EXPECT_EQ(L.PageCount(), 1);
  EXPECT_EQ(L.Stream()->Size(), Size);  // nothing was written
}
