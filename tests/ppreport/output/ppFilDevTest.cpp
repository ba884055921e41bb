// The stream and file devices: the file's lifecycle and status texts, a caller's stream, a short
// write, a file that cannot be made, a cancel, and a full disk (a small tmpfs of its own), which
// raises and leaves no cut file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppLanguage.h"
#include "tests/TestTemp.h"
#include "tests/TinyDisk.h"
#include "tests/ppreport/output/ppDeviceTestSupport.h"

using namespace ppdevtest;

namespace {

// Writes each requested page as a line of Bytes bytes ("page n" padded with dots).
class TLineFileDevice : public TppFileDevice {
public:
  using TppFileDevice::TppFileDevice;
  size_t Bytes = 8;
  int Freed = 0;
  void ReceivePage(TppPage* Page) override {
    TppDevice::ReceivePage(Page);
    if (!IsRequestedPage()) return;
    UpdateStatus(Page);
    if (IsMessagePage()) return;
    std::string Line = "page " + std::to_string(Page->AbsolutePageNo());
    Line.resize(std::max(Line.size(), Bytes - 1), '.');
    Line += '\n';
    WriteToFile(Line.data(), static_cast<int64_t>(Line.size()));
  }
};

std::string ReadAll(const std::string& Path) {
  std::ifstream F(Path, std::ios::binary);
  std::stringstream S;
  S << F.rdbuf();
  return S.str();
}

// The files in Folder, temporary ones included.
int FileCount(const std::string& Folder) {
  int N = 0;
  for (const auto& E : std::filesystem::directory_iterator(Folder)) N += E.is_regular_file();
  return N;
}

// A stream that takes at most Room bytes of each write.
class TShortStream : public TMemoryStream {
public:
  int64_t Room = 4;
  int64_t Write(const void* Buffer, int64_t Count) override {
    return TMemoryStream::Write(Buffer, std::min(Count, Room));
  }
};

TEST(ppFilDevTest, AJobWritesItsFileWithStatusTexts) {
  TTestTempFiles Temp;
  const std::string File = Temp.Path("vendas.txt");
  TppPrinterSetup Setup;
  Setup.SetDocumentName("Vendas");
  TPageSource Source(2, &Setup, nullptr);
  TStatusDialog Dialog;
  TLineFileDevice Device(nullptr);
  Device.SetFileName(File);
  Device.SetCancelDialog(&Dialog);
  Device.SetPublisher(&Source.Publisher());
  Device.OnPageReceive = [&](TObject*, TObject*) {
    // During the job the name stands and nothing has the file's name yet.
    Device.SetFileName(File + ".other");
    EXPECT_FALSE(std::filesystem::exists(File));
  };
  Device.RequestPages();
  EXPECT_FALSE(Device.Busy());
  EXPECT_EQ(File, Device.FileName());
  EXPECT_EQ("page 1.\npage 2.\n", ReadAll(File));
  ASSERT_EQ(3u, Dialog.History.size());
  EXPECT_EQ("Acessando os dados...", Dialog.History[0]);
  EXPECT_EQ("Imprimindo a página 2 do Relatório Vendas em " + File, Dialog.History[2]);
  EXPECT_EQ(nullptr, Device.OutputStream());
  Device.SetPublisher(nullptr);
}

// A caller's stream is written and kept; a short write raises; CreateFile off without a stream
// writes nothing; a file that cannot be made is the print error naming it.
TEST(ppFilDevTest, StreamsShortWritesAndMissingFiles) {
  TPageSource Source(2, nullptr, nullptr);
  {
    TMemoryStream Mine;
    TLineFileDevice Device(nullptr);
    Device.SetOutputStream(&Mine);
    Device.SetPublisher(&Source.Publisher());
    Device.RequestPages();
    Device.EndJob();  // a second end releases nothing more
    EXPECT_EQ(&Mine, Device.OutputStream());
    EXPECT_EQ(16, Mine.Size());
    Device.SetPublisher(nullptr);
  }
  {
    TShortStream Short;
    TLineFileDevice Device(nullptr);
    Device.SetOutputStream(&Short);
    Device.StartJob();
    const char Bytes[] = "12345678";
    try {
      Device.WriteBuffer(Bytes, 8);
      ADD_FAILURE() << "a short write passed";
    } catch (const EWriteError& E) {
      EXPECT_EQ("Erro gravando canal", E.Message());
    }
    Device.WriteBuffer(Bytes, 0);
    Device.EndJob();
  }
  {
    TLineFileDevice Device(nullptr);
    Device.SetCreateFile(false);
    Device.SetPublisher(&Source.Publisher());
    Device.RequestPages();
    EXPECT_EQ(nullptr, Device.OutputStream());
    Device.SetPublisher(nullptr);
  }
  {
    TLineFileDevice Device(nullptr);
    const std::string Missing = ::testing::TempDir() + "no-such-folder-" + std::to_string(getpid()) + "/a.txt";
    Device.SetFileName(Missing);
    try {
      Device.StartJob();
      ADD_FAILURE() << "a file that cannot be made passed";
    } catch (const EPrintError& E) {
      EXPECT_EQ(FormatLanguageString(67, {Missing}), E.Message());
      EXPECT_NE(std::string::npos, E.Message().find(Missing));
    }
    EXPECT_FALSE(Device.Busy());
  }
}

// A cancel in the middle, and a device freed in the middle of a job: an earlier file stays as it
// was and nothing else is left in the folder.
TEST(ppFilDevTest, CancelledAndAbandonedJobsLeaveTheEarlierFile) {
  TTestTempFiles Temp;
  const std::string Folder = Temp.Path("folder");
  std::filesystem::create_directories(Folder);
  const std::string File = Folder + "/out.txt";
  std::ofstream(File) << "earlier";
  for (bool Cancel : {true, false}) {
    SCOPED_TRACE(Cancel ? "cancel" : "freed");
    TPageSource Source(3, nullptr, nullptr);
    auto* Device = new TLineFileDevice(nullptr);
    Device->SetFileName(File);
    Device->SetPublisher(&Source.Publisher());
    if (Cancel) {
      Source.AfterPage = [&](int No) {
        if (No == 2) Source.Publisher().CancelJob();
      };
      Device->RequestPages();
      EXPECT_TRUE(Device->Cancelled());
      Device->Free();
    } else {
      Device->StartJob();
      const char Bytes[] = "half";
      Device->WriteToFile(Bytes, 4);
      Device->Free();
    }
    EXPECT_EQ("earlier", ReadAll(File));
    EXPECT_EQ(1, FileCount(Folder));
  }
  std::filesystem::remove_all(Folder);
}

// A disk that fills in the middle of the job: the write raises, the earlier file stays as it was,
// and no temporary file remains.
TEST(ppFilDevTest, AFullDiskRaisesAndLeavesNoCutFile) {
  if (!InsideTinyDisk()) {
    RunOnTinyDisk(64);
    return;
  }
  const std::string Folder = TinyDiskFolder();
  const std::string File = Folder + "/relatorio.txt";
  std::ofstream(File) << "earlier";
  TPageSource Source(40, nullptr, nullptr);
  TLineFileDevice Device(nullptr);
  Device.Bytes = 16 * 1024;
  Device.SetFileName(File);
  Device.SetPublisher(&Source.Publisher());
  EXPECT_THROW(Device.RequestPages(), EWriteError);
  Device.EndJob();
  EXPECT_FALSE(Device.Busy());
  Device.SetPublisher(nullptr);
  EXPECT_LT(Source.Generated, 40);
  EXPECT_EQ("earlier", ReadAll(File));
  EXPECT_EQ(1, FileCount(Folder));
}

}  // namespace
