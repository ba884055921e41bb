#include "lxreport/LXPageList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#include "lxreport/LXConsts.h"
#include "lxreport/LXError.h"
#include "tests/TestTemp.h"
#include "tests/TinyDisk.h"
#include "tests/lxreport/LXPageTestSupport.h"

using namespace lxtest;

namespace {
TMetafile Page(uint8_t Tag, uint32_t Extra = 4) {
  TMetafile M;
  M.SetData(Emf(Tag, Extra));
  return M;
}

struct TempFile {
  TTestTempFiles Temp;
  std::string Path = Temp.Path("pages.lxp");
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
  // A damaged forward chain leaves the later pages to the back chain: only pages
  // that neither chain reaches raise.
  auto CutForward = [&](auto& B) { Put32(B, 128 + Rec, 1); };  // page 2 numbered 1
  Add("cyclic forward link", [&](auto& B) { Put32(B, 128 + 4, 128); }, {1});
  Add("forward link past end", [&](auto& B) { Put32(B, 128 + 4, 1 << 30); }, {1});
  Add("page numbers repeat", CutForward, {2});
  Add("last link outside", [&](auto& B) { CutForward(B), Put32(B, B.size() - 4, 1 << 30); }, {2, 3});
  auto BackLinkLoop = [&](auto& B) { Put32(B, 128 + 3 * Rec - 4, static_cast<int32_t>(128 + 3 * Rec)); };
  Add("cyclic back link", [&](auto& B) { CutForward(B), BackLinkLoop(B); }, {3, 2});
  Add("EMF larger than record", [&](auto& B) { Put32(B, 128 + 8 + 48, 5000); }, {1});
  Add("not an EMF", [&](auto& B) { B[128 + 8 + 40] = 'X'; }, {1});
  Add("truncated file", [&](auto& B) { B.resize(B.size() - 30); }, {4});
  for (Case& C : Cases) {
    TempFile F;
    F.Write(C.Bytes);
    // The user is told which file is damaged, in the program's language.
    const std::string Named = Format(SLXDamagedFile, {F.Path, ""});
    TLXPageList L;
    try {
      L.LoadFromFile(F.Path);
    } catch (const ELXError& E) {
      EXPECT_EQ(0u, std::string(E.what()).rfind(Named, 0)) << C.Name << ": " << E.what();
      continue;
    }
    for (int32_t P : C.Pages) {
      try {
        L.GetPage(P);
        ADD_FAILURE() << C.Name << ": page " << P << " loaded";
      } catch (const ELXError& E) {
        EXPECT_EQ(0u, std::string(E.what()).rfind(Named, 0)) << C.Name << ": " << E.what();
      } catch (const EInvalidGraphic&) {
      }
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

namespace {
struct TCounted {
  TLXPageList List;
  TCountingStream* Stream;
};

// Opens File through a counting page stream; Reads then holds what the load read.
std::unique_ptr<TCounted> Counted(const std::vector<uint8_t>& File, int64_t Budget = 1000000) {
  auto C = std::make_unique<TCounted>();
  auto S = std::make_unique<TCountingStream>(File, Budget);
  C->Stream = S.get();
  C->List.LoadFromStream(std::move(S));
  return C;
}
}  // namespace

// Page 3 links forward to page 7, whose back link returns to page 3: asking for
// page 5 used to go back and forth for ever. Pages on either intact side still read.
TEST(LXPageListTest, ALinkCycleEndsTheWalk) {
  std::vector<int32_t> Starts;
  auto B = ReportFile(Pages(8), false, -1, &Starts);
  LinkCycle(B, Starts);
  const std::vector<std::vector<int32_t>> Orders = {{5}, {3, 5}, {4, 5, 6}, {1, 2, 3, 4, 5, 6, 7, 8},
                                                    {8, 7, 6, 5, 4, 3, 2, 1}, {3, 5, 7, 5, 6}};
  for (const auto& Order : Orders) {
    TempFile F;
    auto L = Loaded(B, F);
    for (int32_t N : Order) {
      if (N >= 4 && N <= 6) {
        EXPECT_THROW(L->GetPage(N), ELXError) << N;
      } else {
        auto P = L->GetPage(N);
        ASSERT_TRUE(P) << N;
        EXPECT_EQ(P->Data(), Emf(static_cast<uint8_t>(N * 10))) << N;
      }
    }
  }
}

// Files whose numbers and links are shuffled at random: every fetch comes back
// (with a page or an error) after at most one visit to each record.
TEST(LXPageListTest, RandomLinkGraphsAreWalkedAtMostOnce) {
  for (uint32_t Seed = 0; Seed < 400; ++Seed) {
    std::mt19937 Rng(Seed);
    int N = 1 + static_cast<int>(Rng() % 10);
    bool Compressed = Rng() % 4 == 0;
    std::vector<int32_t> Starts;
    auto B = ReportFile(Pages(N, Compressed), Compressed, -1, &Starts);
    ShuffleLinks(B, Starts, Rng);
    std::unique_ptr<TCounted> C;
    try {
      C = Counted(B);
    } catch (const ELXError&) {
      continue;
    }
    int32_t Count = C->List.PageCount();
    EXPECT_LE(C->Stream->Reads, Count + 2) << "seed " << Seed;  // the header, then one read per record
    for (int I = 0; I < 3 * N; ++I) {
      int32_t Want = static_cast<int32_t>(Rng() % (Count + 2));
      int64_t Before = C->Stream->Reads;
      try {
        C->List.GetPage(Want);
      } catch (const ELXError&) {
      } catch (const EInvalidGraphic&) {
      }
      EXPECT_LE(C->Stream->Reads - Before, 2 * Count + 12) << "seed " << Seed << " page " << Want;
    }
  }
}

// A page's metafile may declare fewer bytes than its record holds; the next page
// must not be looked for inside the rest of the record.
TEST(LXPageListTest, AShortMetafileLeavesTheStreamAtItsRecordsEnd) {
  auto Data = Pages(4);
  Data[1].resize(Data[1].size() + 16, 0);
  std::vector<int32_t> Starts;
  auto B = ReportFile(Data, false, -1, &Starts);
  TempFile F;
  auto L = Loaded(B, F);
  ASSERT_TRUE(L->GetPage(2));
  EXPECT_EQ(L->Stream()->Position(), Starts[2]);
  auto P = L->GetPage(3);
  ASSERT_TRUE(P);
  EXPECT_EQ(P->Data(), Emf(30));
  EXPECT_EQ(L->GetPage(2)->Data(), Emf(20));
}

// Each file says whether its pages are coded; the last file's flag does not stay.
TEST(LXPageListTest, CompressionFollowsEachFilesHeader) {
  TempFile Coded3, Plain3;
  Coded3.Write(ReportFile(Pages(3, true), true));
  Plain3.Write(ReportFile(Pages(3), false));
  TLXPageList L;
  L.SetCompression(true);
  for (const TempFile* F : {&Plain3, &Coded3, &Plain3}) {
    L.LoadFromFile(F->Path);
    EXPECT_EQ(L.Compression(), F == &Coded3);
    for (int32_t N : {2, 1, 3}) EXPECT_EQ(L.GetPage(N)->Data(), Emf(static_cast<uint8_t>(N * 10))) << N;
  }
}

// Once a file is open its pages are found through the index of record offsets,
// in any order, without walking the chain again. The walk at opening reads each
// record at most once; a damaged forward link hands the later pages to the back chain.
TEST(LXPageListTest, PagesAreFoundWithoutWalking) {
  const int Count = 300;
  auto B = ReportFile(Pages(Count), false);
  auto C = Counted(B);
  EXPECT_LE(C->Stream->Reads, Count + 1);
  std::mt19937 Rng(7);
  for (int I = 0; I < 200; ++I) {
    int32_t N = 1 + static_cast<int32_t>(Rng() % Count);
    int64_t Before = C->Stream->Reads;
    EXPECT_EQ(C->List.GetPage(N)->Data(), Emf(static_cast<uint8_t>(N * 10))) << N;
    EXPECT_LE(C->Stream->Reads - Before, 4) << N;
  }

  Put32(B, RecordOf(B, 100) + 4, 5);  // page 100's forward link is lost
  auto D = Counted(B);
  EXPECT_EQ(D->List.GetPage(99)->Data(), Emf(static_cast<uint8_t>(990)));
  EXPECT_EQ(D->List.GetPage(250)->Data(), Emf(static_cast<uint8_t>(2500)));  // 50 steps back from the end
  int64_t Before = D->Stream->Reads;
  EXPECT_EQ(D->List.GetPage(101)->Data(), Emf(static_cast<uint8_t>(1010)));
  EXPECT_LE(D->Stream->Reads - Before, 2 * 150 + 4);
  Before = D->Stream->Reads;
  EXPECT_EQ(D->List.GetPage(200)->Data(), Emf(static_cast<uint8_t>(2000)));
  EXPECT_LE(D->Stream->Reads - Before, 4);
}

// A reader on another thread sees only whole pages while pages are added.
TEST(LXPageListTest, FetchesWhilePagesAreAdded) {
  TLXPageList L;
  L.SetStream(std::make_unique<TLXStream>(100000));
  std::thread Reader([&] {
    for (int32_t N = 0; N < 200;) {  // until the last page has been read
      N = L.PageCount();
      if (N == 0) continue;
      auto P = L.GetPage(N);
      if (!P || P->Data() != Emf(static_cast<uint8_t>(N), 2000)) {
        ADD_FAILURE() << "page " << N;
        return;
      }
    }
  });
  for (int I = 1; I <= 200; ++I) L.AddPage(Page(static_cast<uint8_t>(I), 2000));
  Reader.join();
}

// A save takes the file's name only when whole: over the file the pages came from, and on a disk
// that fills up half-way, where the earlier file stays as it was and nothing else is left.
TEST(LXPageListTest, ASaveReplacesTheFileOnlyWhenWhole) {
  if (!InsideTinyDisk()) {
    TempFile F;
    auto L = Loaded(ReportFile({Emf(1), Emf(2), Emf(3)}), F);
    L->SaveToFile(F.Path);
    TLXPageList Again;
    Again.LoadFromFile(F.Path);
    ASSERT_EQ(Again.PageCount(), 3);
    EXPECT_EQ(Again.GetPage(3)->Data(), Emf(3));
    return RunOnTinyDisk(64);
  }
  const std::string Path = std::string(TinyDiskFolder()) + "/pages.lxp";
  const std::vector<uint8_t> Earlier = ReportFile({Emf(7)});
  {
    TFileStream F(Path, fmCreate);
    F.WriteBuffer(Earlier.data(), static_cast<int64_t>(Earlier.size()));
  }
  TLXPageList L;
  L.SetStream(std::make_unique<TLXStream>(100000));
  for (int I = 0; I < 40; ++I) L.AddPage(Page(static_cast<uint8_t>(I), 5000));
  L.Finish();
  EXPECT_THROW(L.SaveToFile(Path), Exception);
  TMemoryStream Back;
  Back.LoadFromFile(Path);
  EXPECT_EQ(Back.Bytes(), Earlier);
  int Files = 0;
  for (const auto& E : std::filesystem::directory_iterator(TinyDiskFolder())) Files += E.is_regular_file();
  EXPECT_EQ(Files, 1);
}
