#include "platform/sys/SystemInfo.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/sys/DesktopHooks.h"
#include "platform/sys/LockedFile.h"
#include "platform/sys/Process.h"
#include "tests/TestTemp.h"

namespace {
TEST(SystemInfoTest, OperatingSystemName) {
  struct TCase {
    const char* Text;
    const char* Name;
  };
  const TCase Cases[] = {
      {"NAME=\"Debian GNU/Linux\"\nVERSION=\"12 (bookworm)\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
       "Debian GNU/Linux 12 (bookworm)"},
      {"NAME=Fedora\nVERSION='40 (Workstation Edition)'\n", "Fedora 40 (Workstation Edition)"},
      {"NAME=\"Alpine \\\"Linux\\\"\"\n", "Alpine \"Linux\""},
      {"PRETTY_NAMEX=nada\n", "Linux"},
      {"", "Linux"},
  };
  for (const TCase& C : Cases) EXPECT_EQ(OsReleaseName(C.Text, "Linux"), C.Name) << C.Text;
}

TEST(SystemInfoTest, FactsOfThisMachine) {
  EXPECT_FALSE(HostName().empty());
  EXPECT_FALSE(UserName().empty());
  TMemoryStatus M = MemoryStatus();
  EXPECT_GT(M.Total, 0u);
  EXPECT_LE(M.Available, M.Total);
  auto D = DiskSpace("/");
  ASSERT_TRUE(D);
  EXPECT_LE(D->Available, D->Total);
  EXPECT_FALSE(DiskSpace("/no/such/folder"));
  TOsVersion Os = OsVersion();
  EXPECT_FALSE(Os.Name.empty());
  EXPECT_FALSE(Os.KernelRelease.empty());
  TDateTime Start = ProcessStartTime();
  EXPECT_LE(Start, Now() + 1.0 / 86400);
  EXPECT_GT(Start, Now() - 1);
}

TEST(SystemInfoTest, LanguageOfTheLocale) {
  std::string Old = std::getenv("LC_ALL") ? std::getenv("LC_ALL") : "";
  ::setenv("LC_ALL", "C.UTF-8", 1);
  EXPECT_EQ(SystemLanguageName(), "");
  // A locale that is not installed gives its own name without the code set.
  ::setenv("LC_ALL", "xx_YY.UTF-8@euro", 1);
  EXPECT_EQ(SystemLanguageName(), "xx_YY");
  if (Old.empty()) ::unsetenv("LC_ALL");
  else ::setenv("LC_ALL", Old.c_str(), 1);
}

TEST(LockedFileTest, ReadRewriteAndLock) {
  TTestTempFiles Temp;
  std::string Dir = Temp.Path("lockdir");
  std::string Path = Dir + "/sub/file.txt";
  {
    TLockedFile Missing(Path, TLockedFile::lmRead, 0);
    EXPECT_FALSE(Missing.Exists());
    EXPECT_EQ(Missing.ReadAll(), "");
  }
  {
    TLockedFile W(Path, TLockedFile::lmReadWrite, 0);  // makes the folders and the file
    EXPECT_TRUE(W.LockHeld());
    W.Rewrite("uma linha mais longa");
    W.Rewrite("curta");
    EXPECT_EQ(W.ReadAll(), "curta");
    // Writers and readers wait for it; readers share.
    EXPECT_THROW(TLockedFile(Path, TLockedFile::lmReadWrite, 50), EFileLocked);
    EXPECT_THROW(TLockedFile(Path, TLockedFile::lmRead, 0), EFileLocked);
  }
  TLockedFile R1(Path, TLockedFile::lmRead, 0), R2(Path, TLockedFile::lmRead, 0);
  EXPECT_EQ(R2.ReadAll(), "curta");
  EXPECT_THROW(R1.Rewrite("x"), EWriteError);
  EXPECT_THROW(TLockedFile(Path, TLockedFile::lmReadWrite, 0), EFileLocked);
  // A file where the folder should be.
  std::string NotAFolder = Temp.Path("file");
  { TLockedFile(NotAFolder, TLockedFile::lmReadWrite, 0); }
  EXPECT_THROW(TLockedFile(NotAFolder + "/x", TLockedFile::lmReadWrite, 0), EFOpenError);
  std::filesystem::remove_all(Dir);
}

TEST(DesktopHooksTest, InstalledAndRemoved) {
  TDesktopHooks H;
  H.CopyText = [](const std::string&) { return true; };
  TDesktopHooks Before = SetDesktopHooks(H);
  EXPECT_TRUE(DesktopHooks().CopyText && DesktopHooks().CopyText("x"));
  EXPECT_FALSE(DesktopHooks().ActiveWindow);
  SetDesktopHooks(Before);
  EXPECT_FALSE(DesktopHooks().CopyText);
}

TEST(SystemInfo, ResolvConfNameServers) {
  EXPECT_EQ(ParseResolvConf("# comment\nsearch lan\nnameserver 192.168.0.1\n  nameserver\t10.0.0.2 # x\n"
                            "nameserver 0.0.0.0\nnameserver ::1\nnameserver not-an-address\nnameserver\n"),
            (std::vector<std::string>{"192.168.0.1", "10.0.0.2"}));
}
}  // namespace
