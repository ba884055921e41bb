#include "exceptions/base/TarvikVirtualFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <stdexcept>

#include "exceptions/base/TarvikOptions.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/Process.h"
#include "platform/sys/SharedMemory.h"
#include "tests/exceptions/ChildProcess.h"

namespace {
// A module handle no real module has, so these tests never meet the reporter's own files.
constexpr TModuleHandle TestModule = 0x7E57;

uint32_t Prefix(const TVirtualFile& F) {
  uint32_t V;
  std::memcpy(&V, F.Data() - 4, 4);
  return V;
}

TEST(TarvikVirtualFilesTest, NamesCarryProcessModuleAndFile) {
  EXPECT_EQ(VirtualFileName(0x1234, 0xABCDEF, "EXCEPT"), "000012340000000000ABCDEFEXCEPT");
}

TEST(TarvikVirtualFilesTest, CreateOpenAndDelete) {
  // Size 0 opens only: a module that never published has no file.
  EXPECT_EQ(CreateVirtualFile(TestModule, "MODULE", 0), nullptr);

  auto Owner = CreateVirtualFile(TestModule, "MODULE", 10);
  ASSERT_NE(Owner, nullptr);
  EXPECT_EQ(Owner->DataSize(), 10u);
  EXPECT_EQ(Prefix(*Owner), 14u);
  EXPECT_EQ(Owner->Data()[9], 0);
  EXPECT_EQ(Owner->Write("0123456789", 10), 10u);

  // Opened by name, the file keeps the size it was made with: a longer write copies only that much.
  auto Reader = CreateVirtualFile(TestModule, "MODULE", 0);
  ASSERT_NE(Reader, nullptr);
  EXPECT_EQ(Reader->DataSize(), 10u);
  EXPECT_EQ(std::memcmp(Reader->Data(), "0123456789", 10), 0);
  std::string Long(100, 'x');
  EXPECT_EQ(Reader->Write(Long.data(), Long.size()), 10u);

  // The creator's delete removes the name; a reader's view stays readable.
  std::string Name = Owner->Name();
  DeleteVirtualFile(Owner);
  EXPECT_EQ(Owner, nullptr);
  EXPECT_FALSE(TSharedMemory::Exists(Name));
  EXPECT_EQ(Reader->Data()[0], 'x');
  DeleteVirtualFile(Reader);
  EXPECT_EQ(CreateVirtualFile(TestModule, "MODULE", 0), nullptr);
}

// A name left by an earlier process with the same id (it crashed before its shutdown) is replaced.
TEST(TarvikVirtualFilesTest, ALeftoverNameIsReplaced) {
  std::string Name = VirtualFileName(ProcessId(), TestModule, "EXCEPT");
  TSharedMemory Old;
  ASSERT_TRUE(Old.Create(Name, 3));
  Old.Close();
  auto F = CreateVirtualFile(TestModule, "EXCEPT", 20);
  ASSERT_NE(F, nullptr);
  EXPECT_EQ(F->DataSize(), 20u);
  EXPECT_EQ(Prefix(*F), 24u);
  DeleteVirtualFile(F);
  EXPECT_FALSE(TSharedMemory::Exists(Name));
}

TEST(TarvikVirtualFilesTest, DamagedFilesAreNotOpened) {
  std::string Name = VirtualFileName(ProcessId(), TestModule, "EXCEPT");
  for (uint32_t Stated : {0u, 3u, 1000u}) {
    TSharedMemory Bad;
    ASSERT_TRUE(Bad.Create(Name, 16));
    std::memcpy(Bad.Data(), &Stated, 4);
    EXPECT_EQ(OpenVirtualFile(ProcessId(), TestModule, "EXCEPT"), nullptr) << Stated;
    TSharedMemory::Remove(Name);
  }
  EXPECT_FALSE(ReadExceptVirtualFile(ProcessId(), TestModule).has_value());
}

TEST(TarvikVirtualFilesTest, StringForm) {
  TMemoryStream S;
  WriteVirtualString(S, "Linha única\r\n");
  WriteVirtualString(S, "");
  EXPECT_EQ(S.Size(), 4 + 11 + 4);
  EXPECT_EQ(S.Memory()[0], 11);
  EXPECT_EQ(S.Memory()[4 + 6], 0xFA);  // 'ú' in Windows-1252
  S.SetPosition(0);
  EXPECT_EQ(ReadVirtualString(S), "Linha única");
  EXPECT_EQ(ReadVirtualString(S), "");
  // A length past the end is damage; a negative one an empty text.
  uint8_t Long[] = {9, 0, 0, 0, 'a', 'b'}, Negative[] = {0xFF, 0xFF, 0xFF, 0xFF};
  TBytesStream L(Long, sizeof Long), N(Negative, sizeof Negative);
  EXPECT_THROW(ReadVirtualString(L), EReadError);
  EXPECT_EQ(ReadVirtualString(N), "");
}

// The test program's reporter made its files at start-up: nothing recorded until an exception.
TEST(TarvikVirtualFilesTest, TheReportersExceptFileDescribesTheLastException) {
  ASSERT_TRUE(ReporterVirtualFilesExist());
  auto Read = [] { return ReadExceptVirtualFile(ProcessId(), ReporterModuleHandle()); };
  struct {
    std::exception_ptr E;
    std::string Class, Message;
  } Cases[] = {
      {std::make_exception_ptr(EConvertError("Valor inválido\r\n")), "EConvertError", "Valor inválido"},
      {std::make_exception_ptr(std::runtime_error("disco cheio")), "std::runtime_error", "disco cheio"},
      {std::make_exception_ptr(42), "Unknown exception type.", "Unknown error message."},  // no class
      {nullptr, "Unknown exception type.", "Unknown error message."},
  };
  for (const auto& C : Cases) {
    WriteExceptVirtualFile(C.E);
    auto Got = Read();
    ASSERT_TRUE(Got.has_value());
    EXPECT_TRUE(Got->Recorded);
    EXPECT_EQ(Got->ClassName, C.Class);
    EXPECT_EQ(Got->Message, C.Message);
  }
  // Another process reads the same file by name.
  TChildProcess Child = StartChild({"read-except", std::to_string(ProcessId()), std::to_string(ReporterModuleHandle())});
  EXPECT_EQ(ReadChildLine(Child), "1|Unknown exception type.|Unknown error message.");
  EXPECT_EQ(WaitChild(Child), 0);
}

// Another program's reporter: its files exist while it runs and are gone after its shutdown.
TEST(TarvikVirtualFilesTest, AnotherProcessesFilesLiveUntilItsShutdown) {
  TChildProcess Child = StartChild({"publish"});
  std::istringstream Line(ReadChildLine(Child));
  int Pid = 0;
  TModuleHandle Module = 0;
  Line >> Pid >> Module;
  ASSERT_EQ(Pid, Child.Pid);
  auto Got = ReadExceptVirtualFile(Pid, Module);
  ASSERT_TRUE(Got.has_value());
  EXPECT_TRUE(Got->Recorded);
  EXPECT_EQ(Got->ClassName, "EConvertError");
  EXPECT_EQ(Got->Message, "Valor inválido");
  // The child's reporter published the options of its reporter data when it read them.
  auto Options = OpenVirtualFile(Pid, Module, "MODULE");
  ASSERT_NE(Options, nullptr);
  EXPECT_EQ(Options->Data()[0], 1);
  DeleteVirtualFile(Options);
  TTarvikModuleOptions Published("", 0);
  Published.SetMaxReportsInLog(5);
  EXPECT_TRUE(LoadPublishedOptions(Published, Pid, Module));
  EXPECT_EQ(Published.MaxReportsInLog(), 32);

  WriteChildLine(Child, "quit");
  EXPECT_EQ(WaitChild(Child), 0);
  EXPECT_FALSE(TSharedMemory::Exists(VirtualFileName(Pid, Module, "EXCEPT")));
  EXPECT_FALSE(TSharedMemory::Exists(VirtualFileName(Pid, Module, "MODULE")));
}
}  // namespace
