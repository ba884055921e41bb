// The archive device and its reader: the layout byte for byte, every page read back equal to the
// one generated, the outline kept on the last page only, a table of damaged archives, and the
// jobs that do not end whole (cancelled, abandoned, a full disk, no temporary folder), which leave
// no archive and no temporary file.
//
// With MOR_ARCHIVE_SEEDS set, the archives written here become the seeds of fuzz_archive.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/StringList.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/output/ppArchiveDev.h"
#include "ppreport/output/ppArchiveReader.h"
#include "tests/TestTemp.h"
#include "tests/TinyDisk.h"
#include "tests/ppreport/output/ppDeviceTestSupport.h"

using namespace ppdevtest;

namespace {

std::string ArchiveBytes(const std::string& Path) {
  std::ifstream F(Path, std::ios::binary);
  std::stringstream S;
  S << F.rdbuf();
  return S.str();
}

int32_t ArchiveInt(const std::string& Bytes, size_t At) {
  uint32_t V = 0;
  for (int I = 3; I >= 0; --I) V = (V << 8) | static_cast<uint8_t>(Bytes.at(At + size_t(I)));
  return static_cast<int32_t>(V);
}

void ArchiveSeed(const std::string& Name, const std::string& Bytes) {
  const char* Dir = std::getenv("MOR_ARCHIVE_SEEDS");
  if (!Dir) return;
  const std::filesystem::path Folder = std::filesystem::path(Dir) / "fuzz_archive";
  std::filesystem::create_directories(Folder);
  std::string File = Name;
  for (char& C : File)
    if (C == ' ') C = '-';
  std::ofstream(Folder / File, std::ios::binary) << Bytes;
}

// The outline command: the class registered under its name, or a stand-in while none is.
class TStandInOutline : public TppDrawCommand {
  DECLARE_CLASSINFO(TStandInOutline)
public:
  using TppDrawCommand::TppDrawCommand;
};
const TClassInfo& TStandInOutline::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TStandInOutline>("TppOutlineDrawCommand", &TppDrawCommand::StaticClassInfo());
  return Info;
}

class TOutlineClass {
public:
  TOutlineClass() {
    if (!GetClass("TppOutlineDrawCommand")) {
      RegisterClass(TStandInOutline::StaticClassInfo());
      FStandIn = true;
    }
  }
  ~TOutlineClass() {
    if (FStandIn) UnRegisterClass(TStandInOutline::StaticClassInfo());
  }
  void AddTo(TppPage& Page) {
    auto* Command = static_cast<TppDrawCommand*>(GetClass("TppOutlineDrawCommand")->Create(nullptr));
    Command->SetPage(&Page);
  }

private:
  bool FStandIn = false;
};

// A page of the kinds of commands a report makes.
void AddPageCommands(int PageNo, TppPage& Page) {
  auto* Title = new TppDrawText(nullptr);
  Title->SetText("Relatório de vendas – página " + std::to_string(PageNo));
  Title->SetLeft(6350);
  Title->SetTop(6350 + PageNo);
  Title->SetWidth(100000);
  Title->SetHeight(5000);
  Title->Font()->SetName("Arial");
  Title->Font()->SetSize(14);
  Title->SetAlignment(taCenter);
  Title->SetBandSave(true);
  Title->SetBandSaveNo(3);
  TStringList Lines;
  Lines.Add("linha um");
  Lines.Add("linha dois");
  Title->SetWrappedText(&Lines);
  Title->SetPage(&Page);
  auto* Box = new TppDrawShape(nullptr);
  Box->SetShapeType(stRoundRect);
  Box->SetLeft(1000);
  Box->SetTop(20000);
  Box->SetWidth(50000);
  Box->SetHeight(10000);
  Box->Brush()->SetColor(clRed);
  Box->SetPage(&Page);
  auto* Line = new TppDrawLine(nullptr);
  Line->SetWeight(1.5f);
  Line->SetLinePosition(lpBottom);
  Line->SetTop(40000);
  Line->SetWidth(180000);
  Line->SetPage(&Page);
  auto* Number = new TppDrawVar(nullptr);
  Number->SetVarType(vtPageNoDesc);
  Number->SetText(std::to_string(PageNo));
  Number->SetTop(250000);
  Number->SetPage(&Page);
}

// Pages as the device received them (copies), and the archive read back.
struct TArchiveRun {
  std::vector<TppOwnedPage> Sent;
  void Watch(TppDevice& Device) {
    Device.OnPageReceive = [this, &Device](TObject*, TObject* Page) {
      if (!Device.IsRequestedPage() || Device.IsMessagePage()) return;
      Sent.emplace_back(new TppPage(nullptr));
      Sent.back()->Assign(static_cast<TppPage*>(Page));
    };
  }
};

std::string StreamOf(TppPage& Page) {
  TMemoryStream M;
  WriteComponentToStream(M, &Page);
  return std::string(reinterpret_cast<const char*>(M.Memory()), size_t(M.Size()));
}

// Every page of the archive equals the one sent, and writes the same stream again.
void ExpectSamePages(TppArchiveReader& Reader, const std::vector<TppOwnedPage>& Sent) {
  ASSERT_EQ(int(Sent.size()), Reader.PageCount());
  for (int I = 0; I < Reader.PageCount(); ++I) {
    SCOPED_TRACE(I);
    TppOwnedPage Page = Reader.ReadPage(I);
    EXPECT_EQ(Sent[size_t(I)]->AbsolutePageNo(), Reader.AbsolutePageNo(I));
    EXPECT_TRUE(ppIsEqualPage(*Sent[size_t(I)], *Page));
    EXPECT_EQ(StreamOf(*Sent[size_t(I)]), StreamOf(*Page));
  }
}

TEST(ppArchiveDevTest, OnePageLayout) {
  TTestTempFiles Temp;
  const std::string File = Temp.Path("um.raf");
  TppPrinterSetup Setup;
  Setup.SetDocumentName("Vendas");
  TPageSource Source(1, &Setup, AddPageCommands);
  TppArchiveDevice Device(nullptr);
  TArchiveRun Run;
  Run.Watch(Device);
  Device.SetFileName(File);
  RequestPagesFrom(Device, Source);
  const std::string Bytes = ArchiveBytes(File);
  ArchiveSeed("one-page.raf", Bytes);
  EXPECT_EQ(12, ArchiveInt(Bytes, 0));
  EXPECT_EQ(0, ArchiveInt(Bytes, 4));
  EXPECT_EQ(1, ArchiveInt(Bytes, 8));
  ASSERT_EQ(1u, Run.Sent.size());
  EXPECT_EQ("TPF0", Bytes.substr(12, 4));
  EXPECT_EQ(StreamOf(*Run.Sent[0]), Bytes.substr(12));
  TppArchiveReader Reader(File);
  ExpectSamePages(Reader, Run.Sent);
  EXPECT_EQ("Vendas", Reader.ReadPage(0)->DocumentName());
}

// Pages of a page list arrive in order with their own numbers (not consecutive); the outline
// stays on the last page only, and the pages handed to the device keep theirs.
TEST(ppArchiveDevTest, PageListAndOutline) {
  TTestTempFiles Temp;
  TOutlineClass Outline;
  const std::string File = Temp.Path("lista.raf");
  TPageSource Source(6, nullptr, [&](int No, TppPage& Page) {
    AddPageCommands(No, Page);
    Outline.AddTo(Page);
  });
  TppArchiveDevice Device(nullptr);
  TArchiveRun Run;
  Run.Watch(Device);
  Device.SetFileName(File);
  TppPageRequest Request;
  Request.SetPageSetting(psPageList);
  TStringList List;
  for (const char* N : {"5", "2", "6"}) List.Add(N);
  Request.SetPageList(&List);
  Device.SetPageRequest(&Request);
  RequestPagesFrom(Device, Source);
  const std::string Bytes = ArchiveBytes(File);
  ArchiveSeed("page-list-outline.raf", Bytes);
  const int32_t P = ArchiveInt(Bytes, 0);
  ASSERT_EQ(4 + 8 * 3, P);
  const int Numbers[] = {2, 5, 6};
  for (int I = 0; I < 3; ++I) {
    const int32_t Offset = ArchiveInt(Bytes, size_t(4 + 8 * I));
    EXPECT_EQ(Numbers[I], ArchiveInt(Bytes, size_t(8 + 8 * I)));
    EXPECT_EQ("TPF0", Bytes.substr(size_t(P + Offset), 4));
    if (I == 0) EXPECT_EQ(0, Offset);
    // The sent pages keep their outline.
    EXPECT_NE(nullptr, Run.Sent[size_t(I)]->GetOutlineDrawCommand());
  }
  TppArchiveReader Reader(File);
  ASSERT_EQ(3, Reader.PageCount());
  EXPECT_EQ(1, Reader.IndexOfPage(5));
  EXPECT_EQ(-1, Reader.IndexOfPage(3));
  for (int I = 0; I < 3; ++I) {
    TppOwnedPage Page = Reader.ReadPage(I);
    EXPECT_EQ(I == 2, Page->GetOutlineDrawCommand() != nullptr) << I;
    // Without its outline, each page is the one sent.
    TppOwnedPage Expected(new TppPage(nullptr));
    Expected->Assign(Run.Sent[size_t(I)].get());
    if (I < 2) Expected->GetOutlineDrawCommand()->Free();
    EXPECT_TRUE(ppIsEqualPage(*Expected, *Page)) << I;
  }
  // Off: every page keeps it.
  Device.SetKeepOutlineOnLastPageOnly(false);
  Request.Reset();
  Device.SetPageRequest(&Request);
  RequestPagesFrom(Device, Source);
  TppArchiveReader All(File);
  ASSERT_EQ(6, All.PageCount());
  EXPECT_NE(nullptr, All.ReadPage(0)->GetOutlineDrawCommand());
}

// A caller's stream takes the archive (no file is made); the reader reads it from memory.
TEST(ppArchiveDevTest, ArchiveInACallersStream) {
  TPageSource Source(4, nullptr, AddPageCommands);
  TMemoryStream Mine;
  TppArchiveDevice Device(nullptr);
  TArchiveRun Run;
  Run.Watch(Device);
  Device.SetOutputStream(&Mine);
  RequestPagesFrom(Device, Source);
  auto Copy = std::make_unique<TMemoryStream>();
  Copy->CopyFrom(Mine, 0);
  ArchiveSeed("four-pages.raf", std::string(reinterpret_cast<const char*>(Mine.Memory()), size_t(Mine.Size())));
  TppArchiveReader Reader(std::move(Copy), "memória");
  ExpectSamePages(Reader, Run.Sent);
  EXPECT_EQ(&TppArchiveDevice::StaticClassInfo(), DeviceClassForName("ArchiveFile"));
  EXPECT_EQ("Arquivo de Relatório", TppArchiveDevice::GetFileDescription(lgDefault));
}

// Cut and damaged archives: each raises EArchiveError naming the file, when opened or when the
// page is read, and never anything else.
TEST(ppArchiveDevTest, DamagedArchivesRaiseAClearError) {
  TTestTempFiles Temp;
  const std::string Good = Temp.Path("bom.raf");
  {
    TPageSource Source(3, nullptr, AddPageCommands);
    TppArchiveDevice Device(nullptr);
    Device.SetFileName(Good);
    RequestPagesFrom(Device, Source);
  }
  const std::string Bytes = ArchiveBytes(Good);
  const int32_t P = ArchiveInt(Bytes, 0);
  const int32_t Second = ArchiveInt(Bytes, 12);
  auto Put = [](std::string B, size_t At, int32_t V) {
    for (int I = 0; I < 4; ++I) B[At + size_t(I)] = char(uint32_t(V) >> (8 * I));
    return B;
  };
  struct {
    const char* Name;
    std::string Bytes;
    const char* Says;
  } Cases[] = {
      {"empty", "", "cabeçalho"},
      {"two bytes", Bytes.substr(0, 2), "cabeçalho"},
      {"cut in the directory", Bytes.substr(0, 10), "cabeçalho"},
      {"P not 4 + 8 N", Put(Bytes, 0, P + 1), "cabeçalho"},
      {"P below 4", Put(Bytes, 0, -8), "cabeçalho"},
      {"P past the end", Put(Bytes, 0, 0x7FFFFFFC), "cabeçalho"},
      {"first offset not 0", Put(Bytes, 4, 1), "índice"},
      {"offsets backwards", Put(Bytes, 20, Second - 1), "índice"},
      {"offset past the end", Put(Bytes, 12, int32_t(Bytes.size())), "índice"},
      {"negative offset", Put(Bytes, 12, -4), "índice"},
      {"cut in the last page", Bytes.substr(0, Bytes.size() - 9), "página 3"},
      {"cut at a page start", Bytes.substr(0, size_t(P + ArchiveInt(Bytes, 20))), "página 3"},
      {"no signature", Put(Bytes, size_t(P), 0x31465054), "página 1 não é"},
      {"page bytes damaged", Put(Bytes, size_t(P + Second + 9), -1), "página 2"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string File = Temp.Path("dano.raf");
    std::ofstream(File, std::ios::binary) << C.Bytes;
    ArchiveSeed(std::string("damaged-") + C.Name, C.Bytes);
    try {
      TppArchiveReader Reader(File);
      for (int I = 0; I < Reader.PageCount(); ++I) Reader.ReadPage(I);
      ADD_FAILURE() << "read without error";
    } catch (const EArchiveError& E) {
      EXPECT_NE(std::string::npos, E.Message().find(File)) << E.Message();
      EXPECT_NE(std::string::npos, E.Message().find(C.Says)) << E.Message();
    }
  }
  // A file that is not there, and a page index out of range.
  EXPECT_THROW(TppArchiveReader(Temp.Path("nada.raf")), EArchiveError);
  TppArchiveReader Reader(Good);
  EXPECT_THROW(Reader.ReadPage(3), EArchiveError);
  EXPECT_THROW(Reader.ReadPage(-1), EArchiveError);
}

// $TMPDIR set to Folder while the guard lives.
class TTempDirScope {
public:
  explicit TTempDirScope(const std::string& Folder) {
    if (const char* Old = std::getenv("TMPDIR")) FOld = Old, FHad = true;
    setenv("TMPDIR", Folder.c_str(), 1);
  }
  ~TTempDirScope() {
    if (FHad) setenv("TMPDIR", FOld.c_str(), 1);
    else unsetenv("TMPDIR");
  }

private:
  std::string FOld;
  bool FHad = false;
};

int FilesIn(const std::string& Folder) {
  int N = 0;
  for (const auto& E : std::filesystem::directory_iterator(Folder)) N += E.is_regular_file();
  return N;
}

// A cancel in the middle and a device freed in the middle: the earlier archive stays as it was,
// and neither a cut archive nor a temporary file is left.
TEST(ppArchiveDevTest, UnfinishedJobsLeaveNoFiles) {
  TTestTempFiles Temp;
  const std::string Folder = Temp.Path("arquivos"), Tmp = Temp.Path("tmp");
  std::filesystem::create_directories(Folder);
  std::filesystem::create_directories(Tmp);
  auto Clean = TFinally([&] {
    std::filesystem::remove_all(Folder);
    std::filesystem::remove_all(Tmp);
  });
  TTempDirScope TempDir(Tmp);
  const std::string File = Folder + "/rel.raf";
  std::ofstream(File) << "earlier";
  for (bool Cancel : {true, false}) {
    SCOPED_TRACE(Cancel ? "cancel" : "freed");
    TPageSource Source(4, nullptr, AddPageCommands);
    auto* Device = new TppArchiveDevice(nullptr);
    Device->SetFileName(File);
    Device->SetPublisher(&Source.Publisher());
    // Page 2 in: a cancel, or a report that fails and a device freed while its job runs.
    Source.AfterPage = [&](int No) {
      if (No != 2) return;
      EXPECT_EQ(1, FilesIn(Tmp));  // the page streams wait in the temporary folder
      if (Cancel) Source.Publisher().CancelJob();
      else throw std::runtime_error("falhou");
    };
    if (Cancel) {
      Device->RequestPages();
      EXPECT_TRUE(Device->Cancelled());
      EXPECT_EQ("", Device->TempFileName());
    } else {
      EXPECT_THROW(Device->RequestPages(), std::runtime_error);
      EXPECT_TRUE(Device->Busy());
    }
    Device->Free();
    EXPECT_EQ("earlier", ArchiveBytes(File));
    EXPECT_EQ(1, FilesIn(Folder));
    EXPECT_EQ(0, FilesIn(Tmp));
  }
  // No temporary folder: the print error names the temporary file, and nothing is made.
  TTempDirScope Missing(Tmp + "/nao-existe");
  TppArchiveDevice Device(nullptr);
  Device.SetFileName(Folder + "/novo.raf");
  try {
    Device.StartJob();
    ADD_FAILURE() << "started without a temporary folder";
  } catch (const EPrintError& E) {
    EXPECT_EQ(FormatLanguageString(67, {Tmp + "/nao-existe/arc"}), E.Message());
  }
  EXPECT_FALSE(Device.Busy());
  EXPECT_EQ(1, FilesIn(Folder));
}

// A disk that fills while pages are stored (the temporary folder is on it too): the write raises,
// the earlier archive stays as it was, and no temporary file remains.
TEST(ppArchiveDevTest, AFullDiskRaisesAndLeavesNoFiles) {
  if (!InsideTinyDisk()) {
    RunOnTinyDisk(128);
    return;
  }
  const std::string Folder = TinyDiskFolder();
  TTempDirScope TempDir(Folder);
  const std::string File = Folder + "/rel.raf";
  std::ofstream(File) << "earlier";
  TPageSource Source(60, nullptr, [](int No, TppPage& Page) {
    AddPageCommands(No, Page);
    auto* Big = new TppDrawText(nullptr);
    Big->SetText(std::string(8 * 1024, 'x'));
    Big->SetPage(&Page);
  });
  TppArchiveDevice Device(nullptr);
  Device.SetFileName(File);
  Device.SetPublisher(&Source.Publisher());
  EXPECT_THROW(Device.RequestPages(), EWriteError);
  Device.EndJob();
  EXPECT_FALSE(Device.Busy());
  Device.SetPublisher(nullptr);
  EXPECT_LT(Source.Generated, 60);
  EXPECT_EQ("earlier", ArchiveBytes(File));
  EXPECT_EQ(1, FilesIn(Folder));
}

}  // namespace
