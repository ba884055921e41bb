#include "ppreport/core/ppCache.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppCacheRTTI.h"
#include "ppreport/core/ppLanguage.h"
#include "tests/TestEnv.h"

namespace {

// A cacheable whose record is a byte pattern of its id and the page.
class TCacheProbe : public TppCacheable {
public:
  TCacheProbe(TComponent* AOwner, int Id, int Size) : TppCacheable(AOwner), FId(Id) { SetCacheRecordSize(Size); }
  using TppCacheable::ReadFromCache;
  using TppCacheable::WriteToCache;

  std::vector<std::byte> Pattern(int Page) const {
    std::vector<std::byte> R(static_cast<size_t>(CacheRecordSize()));
    for (size_t I = 0; I < R.size(); ++I) R[I] = std::byte((FId * 31 + Page * 7 + Salt + int(I)) & 0xFF);
    return R;
  }
  void SaveToCache(int Page) override {
    if (Skip && Skip(Page)) return;
    if (Page == ThrowAt) throw EPrintError("probe failed");
    if (OnSave) OnSave(Page);
    WriteToCache(Page, Pattern(Page));
  }
  void RestoreFromCache(int Page) override {
    std::vector<std::byte> R(static_cast<size_t>(CacheRecordSize()));
    if (ReadFromCache(Page, R)) Restored = R, RestoredPage = Page;
  }
  void CacheTruncated(int Pages) override { Truncations.push_back(Pages); }

  std::function<bool(int)> Skip;
  std::function<void(int)> OnSave;
  int ThrowAt = -1;
  int Salt = 0;  // changes the records of every page
  std::vector<std::byte> Restored;
  int RestoredPage = -1;
  std::vector<int> Truncations;

private:
  int FId;
};

// The report side of the cache.
class TCacheReport : public TComponent, public IppCacheReport {
public:
  using TComponent::TComponent;
  void RegisterCacheManager(TppCacheManager* M) override { Manager = M; }
  void UnregisterCacheManager(TppCacheManager* M) override {
    if (Manager == M) Manager = nullptr;
  }
  void GetCacheables(const std::function<void(TppCacheable*)>& Add) override {
    for (TppCacheable* C : Cacheables) Add(C);
  }
  bool IsEnginePrinting() const override { return Printing; }
  void StopEngine() override { Stopped = true; }

  TppCacheManager* Manager = nullptr;
  std::vector<TppCacheable*> Cacheables;
  bool Printing = false;
  bool Stopped = false;
};

// A folder of one test, removed with what is in it.
class TCacheFolder {
public:
  TCacheFolder() {
    std::string T = ::testing::TempDir() + "ppcacheXXXXXX";
    FPath = ::mkdtemp(T.data());
  }
  ~TCacheFolder() {
    std::error_code Ec;
    std::filesystem::remove_all(FPath, Ec);
  }
  const std::string& Path() const { return FPath; }
  int CacheFiles() const {
    int N = 0;
    for (const auto& E : std::filesystem::directory_iterator(FPath))
      if (E.path().filename().string().rfind("cch", 0) == 0) ++N;
    return N;
  }

private:
  std::string FPath;
};

// Files of this process open in Folder whose name was removed ("... (deleted)"), named cch*.
int OpenDeletedCacheFiles(const std::string& Folder) {
  int N = 0;
  for (const auto& E : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code Ec;
    std::string Target = std::filesystem::read_symlink(E.path(), Ec).string();
    if (!Ec && Target.rfind(Folder + "/cch", 0) == 0 && Target.ends_with(" (deleted)")) ++N;
  }
  return N;
}

// Runs Body in a child process: its exit code, or 128 + the signal that ended it.
int RunInChild(const std::function<int()>& Body) {
  pid_t Pid = ::fork();
  if (Pid == 0) {
    int Code = 99;
    try {
      Code = Body();
    } catch (...) {
      Code = 98;
    }
    ::_exit(Code);
  }
  int Status = 0;
  ::waitpid(Pid, &Status, 0);
  return WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
}

struct TCacheSet {
  TComponent Owner{nullptr};
  std::vector<TCacheProbe*> Probes;
  TCacheProbe* Add(int Size) {
    Probes.push_back(new TCacheProbe(&Owner, static_cast<int>(Probes.size()), Size));
    return Probes.back();
  }
  std::vector<TppCacheable*> List() const { return {Probes.begin(), Probes.end()}; }
  // Every probe restored to Page holds its pattern of Page.
  ::testing::AssertionResult RestoresAll(TppCacheManager& M, int Page) {
    for (TCacheProbe* P : Probes) P->Restored.clear();
    M.RestoreFromCache(Page);
    for (TCacheProbe* P : Probes)
      if (P->Restored != P->Pattern(Page))
        return ::testing::AssertionFailure() << "probe " << P->CachePosition() << " of size " << P->CacheRecordSize()
                                             << " page " << Page;
    return ::testing::AssertionSuccess();
  }
};

TEST(ppCacheTest, RecordsShareAStreamPerSizePageMajor) {
  TCacheSet S;
  TCacheProbe* A = S.Add(24);
  TCacheProbe* B = S.Add(8);
  TCacheProbe* C = S.Add(24);
  TCacheProbe* D = S.Add(24);
  TppCacheManager M(nullptr);
  M.SetCacheables(S.List());
  EXPECT_EQ(2, M.CacheStreamCount());
  EXPECT_EQ(3, M.GetCacheCount(24));
  EXPECT_EQ(1, M.GetCacheCount(8));
  EXPECT_EQ(3, C->CacheCount());
  EXPECT_EQ((std::vector<int>{0, 0, 1, 2}),
            (std::vector<int>{A->CachePosition(), B->CachePosition(), C->CachePosition(), D->CachePosition()}));
  EXPECT_EQ(A->CacheStream(), D->CacheStream());
  EXPECT_NE(A->CacheStream(), B->CacheStream());

  M.SaveToCache(0);
  M.SaveToCache(1);
  EXPECT_EQ(1, M.CachePageCount());
  EXPECT_EQ(144, M.CacheStreamForSize(24)->Size());
  EXPECT_EQ(16, M.CacheStreamForSize(8)->Size());
  // The second object of size 24, page 1: 24 x (1 x 3 + 1).
  std::vector<std::byte> R(24);
  TStream* Stream = M.CacheStreamForSize(24);
  Stream->Seek(96, soBeginning);
  Stream->ReadBuffer(R.data(), 24);
  EXPECT_EQ(C->Pattern(1), R);
  EXPECT_TRUE(S.RestoresAll(M, 0));
  EXPECT_TRUE(S.RestoresAll(M, 1));

  // A page never cached leaves every object as it was.
  A->Restored.clear();
  M.RestoreFromCache(2);
  EXPECT_TRUE(A->Restored.empty());
  // A buffer of another size is a programmer's error, not a stray read.
  std::vector<std::byte> Small(8);
  EXPECT_THROW(A->ReadFromCache(0, Small), ETalvorError);
  EXPECT_THROW(A->WriteToCache(0, Small), ETalvorError);
}

TEST(ppCacheTest, ManyPagesAndKindsInMemoryAndAfterTheMoveToFiles) {
  TCacheFolder Folder;
  for (bool SmallBudget : {false, true}) {
    TCacheSet S;
    const int Sizes[] = {8, 24, 200, 24, 8, 64};
    for (int I = 0; I < 60; ++I) S.Add(Sizes[I % 6]);
    TppCacheManager M(nullptr);
    M.SetCachePath(Folder.Path());
    if (SmallBudget) M.SetMemoryBudget(256 * 1024);
    M.SetCacheables(S.List());
    const int Pages = 400;  // about 2.4 MB of records
    for (int P = 0; P < Pages; ++P) M.SaveToCache(P);
    SCOPED_TRACE(SmallBudget ? "budget 256 KiB" : "default budget");
    EXPECT_EQ(SmallBudget ? ctFile : ctMemory, M.CacheType());
    EXPECT_LE(M.MemoryUsed(), M.MemoryBudget());
    for (int P : {0, 1, 57, 200, Pages - 1}) EXPECT_TRUE(S.RestoresAll(M, P));
    if (SmallBudget) {
      // One file a record size, made in the cache folder and unlinked there at once.
      EXPECT_EQ(0, M.MemoryUsed());
      ASSERT_EQ(4u, M.CacheFileNames().size());
      for (const std::string& Name : M.CacheFileNames()) EXPECT_EQ(0u, Name.rfind(Folder.Path() + "/cch", 0)) << Name;
      EXPECT_EQ(0, Folder.CacheFiles());
      EXPECT_EQ(4, OpenDeletedCacheFiles(Folder.Path()));
      // Truncating and caching again on files; a new layout after Reset stays on files.
      M.TruncateCache(100);
      for (int P = 100; P < 150; ++P) M.SaveToCache(P);
      EXPECT_TRUE(S.RestoresAll(M, 120));
      // A page written again after it was read (and read ahead) reads as written.
      for (TCacheProbe* P : S.Probes) P->Salt = 5;
      M.SaveToCache(120);
      std::vector<std::byte> Direct(200);
      ASSERT_TRUE(S.Probes[2]->ReadFromCache(120, Direct));
      EXPECT_EQ(S.Probes[2]->Pattern(120), Direct);
      EXPECT_TRUE(S.RestoresAll(M, 120));
      for (TCacheProbe* P : S.Probes) P->Salt = 0;
      M.SetCacheables(S.List());
      EXPECT_EQ(ctFile, M.CacheType());
      M.SaveToCache(0);
      EXPECT_TRUE(S.RestoresAll(M, 0));
    }
  }
  EXPECT_EQ(0, OpenDeletedCacheFiles(Folder.Path()));
}

TEST(ppCacheTest, TruncationKeepsTheFirstPagesAndNeverGrows) {
  TCacheSet S;
  TCacheProbe* A = S.Add(24);
  S.Add(24);
  TppCacheManager M(nullptr);
  M.SetCacheables(S.List());
  M.TruncateCache(3);  // empty: nothing, no notice
  EXPECT_TRUE(A->Truncations.empty());
  for (int P = 0; P < 5; ++P) M.SaveToCache(P);
  M.TruncateCache(9);  // more pages than cached: the streams keep their size
  EXPECT_EQ(240, M.CacheStreamForSize(24)->Size());
  EXPECT_EQ(4, M.CachePageCount());
  M.TruncateCache(1);
  EXPECT_EQ((std::vector<int>{5, 1}), A->Truncations);
  EXPECT_EQ(0, M.CachePageCount());
  EXPECT_EQ(0, A->CachePageCount());
  EXPECT_EQ(48, M.CacheStreamForSize(24)->Size());
  EXPECT_TRUE(S.RestoresAll(M, 0));
  A->Restored.clear();
  M.RestoreFromCache(3);
  EXPECT_TRUE(A->Restored.empty());
  // Without notices the cacheables hear nothing.
  M.SaveToCache(1);
  M.SetTruncateNotices(false);
  M.TruncateCache(1);
  EXPECT_EQ(2u, A->Truncations.size());
  EXPECT_EQ(48, M.CacheStreamForSize(24)->Size());
}

// A record whose offset lies past the stream's end lands at its own offset, the gap zero-filled.
TEST(ppCacheTest, ARecordPastTheEndLandsAtItsOffset) {
  TCacheSet S;
  TCacheProbe* A = S.Add(16);
  TCacheProbe* B = S.Add(16);
  A->Skip = [](int Page) { return Page % 2 == 0; };  // writes odd pages only
  TppCacheManager M(nullptr);
  M.SetCacheables(S.List());
  for (int P = 0; P < 4; ++P) M.SaveToCache(P);
  EXPECT_EQ(128, M.CacheStreamForSize(16)->Size());
  for (int P = 0; P < 4; ++P) {
    M.RestoreFromCache(P);
    EXPECT_EQ(B->Pattern(P), B->Restored) << P;
    EXPECT_EQ(P % 2 ? A->Pattern(P) : std::vector<std::byte>(16), A->Restored) << P;
  }
}

TEST(ppCacheTest, CacheablesLeavingAndJoiningKeepTheOthersRecords) {
  TCacheSet S;
  S.Add(12);
  TCacheProbe* Leaver = S.Add(12);
  TCacheProbe* Last = S.Add(12);
  TppCacheManager M(nullptr);
  M.SetCacheables(S.List());
  for (int P = 0; P < 3; ++P) M.SaveToCache(P);
  // Freed while registered: it leaves quietly and its slot stays empty, so the record of the
  // object after it is still found where it was written.
  Leaver->Free();
  S.Probes.erase(S.Probes.begin() + 1);
  EXPECT_EQ(2, M.CacheableCount());
  EXPECT_EQ(2, Last->CachePosition());
  EXPECT_TRUE(S.RestoresAll(M, 1));
  M.SaveToCache(3);
  EXPECT_TRUE(S.RestoresAll(M, 3));

  // A newcomer once pages are cached stays out of the cache until the next layout.
  TCacheProbe* Late = new TCacheProbe(&S.Owner, 7, 12);
  M.AddCacheable(Late);
  M.AddCacheable(Late);  // repeats are ignored
  EXPECT_EQ(3, M.CacheableCount());
  M.SaveToCache(4);
  EXPECT_EQ(nullptr, Late->CacheStream());
  EXPECT_TRUE(S.RestoresAll(M, 4));
  // While the cache holds no page it joins at once.
  S.Probes.push_back(Late);
  M.SetCacheables(S.List());
  TCacheProbe* Early = new TCacheProbe(&S.Owner, 8, 12);
  M.AddCacheable(Early);
  S.Probes.push_back(Early);
  EXPECT_EQ(4, Early->CacheCount());
  M.SaveToCache(0);
  EXPECT_TRUE(S.RestoresAll(M, 0));

  // One freed by another during a save: the walk goes on with the rest.
  TCacheProbe* First = S.Probes[0];
  TCacheProbe* Second = S.Probes[1];
  First->OnSave = [&](int) {
    if (Second) Second->Free(), Second = nullptr;
  };
  S.Probes.erase(S.Probes.begin() + 1);
  M.SaveToCache(1);
  EXPECT_TRUE(S.RestoresAll(M, 1));

  // Freeing the manager leaves no stream behind in the objects.
  {
    TppCacheManager Other(nullptr);
    Other.SetCacheables(S.List());
    EXPECT_NE(nullptr, Late->CacheStream());
  }
  EXPECT_EQ(nullptr, Late->CacheStream());
}

TEST(ppCacheTest, TheReportCollectsItsCacheablesAndStopsOnTheCacheError) {
  TCacheFolder Folder;
  TCacheReport Report(nullptr);
  TCacheSet S;
  for (int I = 0; I < 4; ++I) S.Add(100);
  Report.Cacheables = S.List();
  auto* M = new TppCacheManager(&Report);
  EXPECT_EQ(M, Report.Manager);
  M->SetMemoryBudget(32 * 1024);
  M->SetCachePath(Folder.Path() + "/missing");  // no files can be made there
  M->Reset();
  EXPECT_EQ(4, M->CacheableCount());
  for (int P = 0; P < 30; ++P) M->SaveToCache(P);  // 12 KB: within the budget

  // The move to files fails: the cache error (its text, not an empty one), the print stopped,
  // and the cache still in memory with every page it had.
  Report.Printing = true;
  try {
    for (int P = 30; P < 200; ++P) M->SaveToCache(P);
    ADD_FAILURE() << "no cache error";
  } catch (const EPrintError& E) {
    EXPECT_EQ(LanguageString(284), E.Message());
    EXPECT_FALSE(E.Message().empty());
  }
  EXPECT_TRUE(Report.Stopped);
  EXPECT_EQ(ctMemory, M->CacheType());
  EXPECT_TRUE(S.RestoresAll(*M, 29));

  // With a folder that takes files the same pages go on, now on files.
  M->SetCachePath(Folder.Path());
  M->Reset();
  for (int P = 0; P < 200; ++P) M->SaveToCache(P);
  EXPECT_EQ(ctFile, M->CacheType());
  EXPECT_TRUE(S.RestoresAll(*M, 150));
  // A second move to files is the cache error.
  EXPECT_THROW(M->SwitchToFileCache(), EPrintError);
  M->Free();
  EXPECT_EQ(nullptr, Report.Manager);
}

// The disk refuses: the write that fails again raises the cache error and leaves no part of a
// record in the file. The child's file size limit stands for a full disk.
TEST(ppCacheTest, AFullDiskIsTheCacheError) {
  TCacheFolder Folder;
  int Code = RunInChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit Limit{100 * 1000, 100 * 1000};
    if (::setrlimit(RLIMIT_FSIZE, &Limit) != 0) return 10;
    TCacheSet S;
    for (int I = 0; I < 10; ++I) S.Add(96);
    TppCacheManager M(nullptr);
    M.SetCachePath(Folder.Path());
    M.SetMemoryBudget(0);
    M.SetCacheables(S.List());
    int Page = 0;
    try {
      for (; Page < 1000; ++Page) M.SaveToCache(Page);
      return 11;
    } catch (const EPrintError& E) {
      if (E.Message() != LanguageString(284)) return 12;
    }
    if (M.CacheType() != ctFile) return 13;
    if (M.CacheStreamForSize(96)->Size() % 96 != 0) return 14;  // whole records only
    if (!S.RestoresAll(M, Page - 1)) return 15;
    return 0;
  });
  EXPECT_EQ(0, Code);
  EXPECT_EQ(0, Folder.CacheFiles());
}

// No temporary file outlives its cache: freed, left by an exception, at a normal exit of the
// program that never freed it, or with the program killed.
// A child that exits normally would run the leak checker over what it inherited from the parent at
// the fork (fonts Qt was loading on its threads), which is not what it is there to show.
namespace {
bool GNoLeakCheckAtExit = false;
}
extern "C" int __lsan_is_turned_off() { return GNoLeakCheckAtExit ? 1 : 0; }

TEST(ppCacheTest, NoCacheFileIsLeftBehind) {
  TCacheFolder Folder;
  auto Fill = [&](TppCacheManager& M, TCacheSet& S) {
    for (int I = 0; I < 8; ++I) S.Add(I % 2 ? 40 : 16);
    M.SetMemoryBudget(16 * 1024);
    M.SetCacheables(S.List());
    for (int P = 0; P < 200; ++P) M.SaveToCache(P);
    return M.CacheType() == ctFile && OpenDeletedCacheFiles(Folder.Path()) == 2;
  };
  {
    TCacheSet S;
    TppCacheManager M(nullptr);
    M.SetCachePath(Folder.Path());
    ASSERT_TRUE(Fill(M, S));
    M.FreeCache();
    EXPECT_EQ(0, OpenDeletedCacheFiles(Folder.Path()));
    EXPECT_EQ(ctFile, M.CacheType());
  }
  {
    TCacheSet S;
    EXPECT_THROW(
        {
          TppCacheManager M(nullptr);
          M.SetCachePath(Folder.Path());
          Fill(M, S);
          S.Probes[3]->ThrowAt = 250;
          for (int P = 200; P < 300; ++P) M.SaveToCache(P);
        },
        EPrintError);
    EXPECT_EQ(0, OpenDeletedCacheFiles(Folder.Path()));
  }
  // The system temporary folder is the default; the child never frees its cache.
  static TppCacheManager* Kept = nullptr;
  static TCacheSet* KeptSet = nullptr;
  for (bool Killed : {false, true}) {
    int Code = RunInChild([&] {
      TEnvScope Tmp("TMPDIR", Folder.Path());
      KeptSet = new TCacheSet;
      Kept = new TppCacheManager(nullptr);
      if (Kept->CachePath() != Folder.Path() + "/" || !Fill(*Kept, *KeptSet)) return 20;
      if (Killed) ::raise(SIGKILL);
      GNoLeakCheckAtExit = true;
      ::exit(0);
    });
    EXPECT_EQ(Killed ? 128 + SIGKILL : 0, Code);
  }
  EXPECT_EQ(0, Folder.CacheFiles());
}

TEST(ppCacheTest, Descriptor) {
  const TraRTTI* D = TraRTTIClassRegistry::GetRTTIClass(TCacheProbe::StaticClassInfo());
  ASSERT_EQ(&TraTppCacheableRTTI(), D);
  TCacheSet S;
  TCacheProbe* A = S.Add(16);
  S.Add(16);
  TppCacheManager M(nullptr);
  M.SetCacheables(S.List());
  // The scripting save writes the object's own record.
  int Page = 0;
  auto P = D->GetParams("SaveToCache");
  ASSERT_NE(nullptr, P);
  EXPECT_EQ("aCachePageNo", P->GetParamRec(0).Name);
  P->BindParam(0, &Page);
  ASSERT_TRUE(D->CallMethod(A, "SaveToCache", P.get()));
  EXPECT_EQ(16, M.CacheStreamForSize(16)->Size());
  TraValue V;
  ASSERT_TRUE(D->GetPropValue(A, "CacheCount", V));
  EXPECT_EQ(2, V.Ord);
  TraPropRec R;
  ASSERT_TRUE(D->GetPropRec(TppCacheable::StaticClassInfo(), "CacheRecordSize", R));
  EXPECT_TRUE(R.ReadOnly);
  ASSERT_TRUE(D->GetPropRec(TppCacheable::StaticClassInfo(), "CacheStream", R));
  EXPECT_EQ(vkClass, R.DataType);
  EXPECT_FALSE(D->GetPropValue(A, "CacheStream", V));
}

}  // namespace
