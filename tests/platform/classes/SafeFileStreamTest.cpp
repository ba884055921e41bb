#include "platform/classes/SafeFileStream.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/classes/ClassesConsts.h"
#include "platform/rtl/SysUtils.h"
#include "tests/TinyDisk.h"

namespace fs = std::filesystem;

namespace {
std::string ReadAll(const std::string& File) {
  std::ifstream In(File, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), {}};
}

std::set<std::string> Names(const std::string& Dir) {
  std::set<std::string> S;
  for (const auto& E : fs::directory_iterator(Dir)) S.insert(E.path().filename().string());
  return S;
}

// A fresh folder of this test, removed with it.
struct TFolder {
  std::string Path;
  explicit TFolder(const std::string& At) : Path(At) {
    fs::remove_all(Path);
    fs::create_directories(Path);
  }
  ~TFolder() {
    std::error_code Ec;
    fs::remove_all(Path, Ec);
  }
};

std::string Message(const std::string& File, const char* Why) { return Format(SFWriteError, {File, Why}); }
}  // namespace

TEST(SafeFileStreamTest, TheFileAppearsOnlyOnCommitAndAnEarlierOneSurvivesAnythingElse) {
  TFolder Dir(::testing::TempDir() + "mor-safe-" + std::to_string(getpid()));
  const std::string File = Dir.Path + "/report.csv";
  std::ofstream(File) << "old";
  ::chmod(File.c_str(), 0640);
  {
    TSafeFileStream S(File);
    S.WriteBuffer("new", 3);
    EXPECT_EQ(Names(Dir.Path).size(), 2u);  // the earlier file and the temporary one beside it
    EXPECT_EQ(ReadAll(File), "old");
  }
  EXPECT_EQ(Names(Dir.Path), std::set<std::string>{"report.csv"});
  EXPECT_EQ(ReadAll(File), "old");

  TSafeFileStream S(File);
  std::string Big(200000, 'x');  // past the buffer
  S.WriteBuffer(Big.data(), static_cast<int64_t>(Big.size()));
  S.Commit();
  EXPECT_TRUE(S.Committed());
  EXPECT_EQ(ReadAll(File), Big);
  EXPECT_EQ(Names(Dir.Path), std::set<std::string>{"report.csv"});
  struct stat St {};
  ASSERT_EQ(::stat(File.c_str(), &St), 0);
  EXPECT_EQ(St.st_mode & 0777, 0640u);
  EXPECT_THROW(S.WriteBuffer("x", 1), EWriteError);  // a committed file takes nothing more
}

TEST(SafeFileStreamTest, ALinkStaysALinkAndFoldersThatRefuseSayWhichFile) {
  TFolder Dir(::testing::TempDir() + "mor-safe-link-" + std::to_string(getpid()));
  fs::create_directories(Dir.Path + "/real");
  std::ofstream(Dir.Path + "/real/target.txt") << "old";
  fs::create_symlink("real/target.txt", Dir.Path + "/link.txt");
  {
    TSafeFileStream S(Dir.Path + "/link.txt");
    S.WriteBuffer("new", 3);
    S.Commit();
  }
  EXPECT_TRUE(fs::is_symlink(Dir.Path + "/link.txt"));
  EXPECT_EQ(ReadAll(Dir.Path + "/real/target.txt"), "new");

  // The system's reasons in the program's language.
  struct Case {
    std::string File;
    const char* Why;
  } Cases[] = {{Dir.Path + "/missing/x.csv", SNoSuchFile}, {Dir.Path + "/real", SIsAFolder}};
  for (const Case& C : Cases) {
    try {
      TSafeFileStream S(C.File);
      ADD_FAILURE() << C.File;
    } catch (const EFCreateError& E) {
      EXPECT_EQ(E.Message(), Format(SFCreateError, {C.File, C.Why}));
    }
  }
}

TEST(SafeFileStreamTest, AFullDiskRaisesWithTheFileAndLeavesOnlyTheEarlierFile) {
  if (!InsideTinyDisk()) return RunOnTinyDisk(96);
  const std::string Dir = TinyDiskFolder(), File = Dir + "/out.bin";
  std::ofstream(File) << "earlier";
  // Past the disk while writing, and a tail that only the commit finds no room for.
  for (size_t Size : {size_t(400000), size_t(60000)}) {
    std::string Filler;
    if (Size < 100000) {
      Filler = Dir + "/filler";
      std::ofstream(Filler) << std::string(64 * 1024, 'f');
    }
    TSafeFileStream S(File);
    std::string Bytes(Size, 'b');
    try {
      S.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
      S.Commit();
      ADD_FAILURE() << "written on a full disk: " << Size;
    } catch (const EWriteError& E) {
      EXPECT_EQ(E.Message(), Message(File, SDiskFull));
    }
    if (!Filler.empty()) {
      // The commit's failure already left nothing, while the stream still exists.
      EXPECT_EQ(Names(Dir), (std::set<std::string>{"out.bin", "filler"}));
      fs::remove(Filler);
    }
  }
  EXPECT_EQ(Names(Dir), std::set<std::string>{"out.bin"});
  EXPECT_EQ(ReadAll(File), "earlier");
}
