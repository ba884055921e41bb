// What every export does with its file: written beside its name and put in place only when
// complete, so a full disk, a refused run or a cancel leaves nothing and an earlier file as it
// was; failures name the file and the reason.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "lxreport/LXConsts.h"
#include "lxreport/LXError.h"
#include "lxreport/LXGridFilters.h"
#include "lxreport/LXMetafileFilter.h"
#include "lxreport/LXPDFFilter.h"
#include "lxreport/LXPDFPages.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/LXTextFilters.h"
#include "platform/classes/ClassesConsts.h"
#include "tests/TinyDisk.h"
#include "tests/lxreport/LXEngineTestSupport.h"
#include "tests/lxreport/LXExportTestSupport.h"
#include "tests/lxreport/LXPDFTestSupport.h"
#include "tests/platform/printing/VirtualPrinterFixture.h"

using namespace lxtest;
namespace fs = std::filesystem;

namespace {
std::set<std::string> Names(const std::string& Dir) {
  std::set<std::string> S;
  for (const auto& E : fs::directory_iterator(Dir)) S.insert(E.path().filename().string());
  return S;
}

// Pages of Lines lines of four numbered cells: text that compresses badly.
std::vector<TPageTexts> Pages(int Count, int Lines) {
  std::vector<TPageTexts> P(static_cast<size_t>(Count));
  int N = 0;
  for (auto& Page : P)
    for (int L = 0; L < Lines; ++L)
      for (int C = 0; C < 4; ++C) Page.push_back({150.0L + C * 450, 150.0L + L * 60, "Cliente " + std::to_string(N++ * 7919 % 1000003)});
  return P;
}

// The same texts as stored pages.
void StorePages(TLXPrinter& P, const std::vector<TPageTexts>& Texts) {
  P.SetPaperSize(TLXPaperSize::A4);
  P.BeginDoc();
  for (const auto& Page : Texts) {
    P.NewPage();
    P.Canvas()->Font().SetName("Arial");
    P.Canvas()->Font().SetSize(9);
    for (const auto& T : Page) P.Canvas()->TextOut(P.XPos(T.X), P.YPos(T.Y), T.Text);
  }
  P.EndDoc();
}

class LXExportFilesTest : public VirtualPrinterTest {};
}  // namespace

TEST_F(LXExportFilesTest, AFullDiskFailsEveryExportWithTheFileAndTheReasonAndLeavesTheEarlierFile) {
  if (!InsideTinyDisk()) return RunOnTinyDisk(128);
  const std::string Dir = TinyDiskFolder();
  const auto Texts = Pages(60, 40);
  const TFont Font = MakeFont(9);
  TLXPrinter Stored;
  StorePages(Stored, Texts);  // its page stream lives in the system's temporary folder
  auto Grid = [&](auto Make) {
    return [&, Make](const std::string& File) {
      auto F = Make(File);
      RunPages(*F, Texts, Font);
    };
  };
  const std::string Plain = SFWriteError, Pdf = SLXPDFNotWritten;
  struct Case {
    const char* Name;
    std::function<void(const std::string&)> Export;
    const std::string& Message;
  } Cases[] = {
      {"out.csv", Grid([](const std::string& F) { return std::make_unique<TLXCommaSeparatedFilter>(F); }), Plain},
      {"out.htm", Grid([](const std::string& F) { return std::make_unique<TLXHTMLDocumentFilter>(F); }), Plain},
      {"out.xls", Grid([](const std::string& F) { return std::make_unique<TLXXLSFilter>(F); }), Plain},
      {"out.rtf", Grid([](const std::string& F) { return std::make_unique<TLXRTFExportFilter>(F); }), Plain},
      {"out.txt", Grid([](const std::string& F) { return std::make_unique<TLXAsciiExportFilter>(F); }), Plain},
      // The filter with the writer component, and stored pages played into a PDF.
      {"filter.pdf",
       [&](const std::string& File) {
         TLXPrinter Source;
         Source.BeginDoc();
         TLXPDFDocumentFilter F(File);
         F.SetSourcePrinter(&Source);
         RunPages(F, Texts, Font);
       },
       Pdf},
      {"pages.pdf", [&](const std::string& File) { ExportPagesToPDF(Stored, File); }, Pdf},
  };
  for (const Case& C : Cases) {
    const std::string File = Dir + "/" + C.Name;
    std::ofstream(File) << "earlier";
    try {
      C.Export(File);
      ADD_FAILURE() << C.Name << " written on a full disk";
    } catch (const EStreamError& E) {
      EXPECT_EQ(E.Message(), Format(C.Message.c_str(), {File, SDiskFull})) << C.Name;
    }
    EXPECT_EQ(Names(Dir), std::set<std::string>{C.Name}) << C.Name;
    EXPECT_EQ(ReadAll(File), "earlier") << C.Name;
    fs::remove(File);
  }
}

TEST_F(LXExportFilesTest, ASheetPastItsLastRowStopsTheRunAndLeavesTheEarlierFile) {
  const std::string File = TempFiles.Path("full.xls");
  std::ofstream(File) << "earlier";
  auto Report = NewReport();  // keeps the running row from page to page
  std::vector<TPageTexts> Texts(410, TPageTexts{});
  for (auto& Page : Texts)
    for (int L = 0; L < 40; ++L) Page.push_back({150, 150.0L + L * 60, "linha"});
  try {
    TLXXLSFilter F(File);
    F.SetOwner(Report.get());
    RunPages(F, Texts, MakeFont(9));
    ADD_FAILURE() << "a sheet of 16,400 rows";
  } catch (const ELXError& E) {
    EXPECT_EQ(E.Message(), Format(SLXSheetFull, {File, XLSMaxRow + 1}));
  }
  EXPECT_EQ(Names(fs::path(File).parent_path().string()).count(fs::path(File).filename().string()), 1u);
  for (const auto& N : Names(fs::path(File).parent_path().string()))
    EXPECT_EQ(N.find(fs::path(File).filename().string() + "."), std::string::npos) << N;  // no temporary file
  EXPECT_EQ(ReadAll(File), "earlier");
}

TEST_F(LXExportFilesTest, MetafilePagesAreWrittenAllOrNoneNextToTheNameInDottedFolders) {
  struct Case {
    const char* File;
    const char* Base;
  } Cases[] = {{"/a/b.c/report", "/a/b.c/report"},
               {"/a/b.c/report.wmf", "/a/b.c/report"},
               {"report.v2.wmf", "report.v2"},
               {"report", "report"}};
  for (const Case& C : Cases) EXPECT_EQ(MetafileExportBase(C.File), C.Base) << C.File;

  TEngineScope S;
  S.Band(rbDetail, 1300);
  S.Records(3);
  const std::string Dir = TempFiles.Path("pages.v2");
  fs::create_directories(Dir);
  TLXWMFFilter Component(nullptr);
  {
    // Never prepared: nothing to save, and it says so.
    TLXWMFExportFilter F(Dir + "/report");
    try {
      S.Report->ExportRun(&F);
      ADD_FAILURE() << "an export of no pages";
    } catch (const ELXError& E) {
      EXPECT_EQ(E.Message(), SLXExportNoPreparedPages);
    }
  }
  EXPECT_TRUE(Names(Dir).empty());

  S.Report->Prepare();
  TLXPrinter* Shown = S.Report->ActivePrinter();
  ASSERT_EQ(Shown->PageCount(), 2);  // two details a page
  // A folder in the way of page 2: no page is put in place, and the message names that file.
  fs::create_directories(Dir + "/report002.wmf");
  S.Record = 0;
  {
    TLXWMFExportFilter F(Dir + "/report");
    try {
      Shown->ExportToFilter(&F);
      ADD_FAILURE() << "page 2 written over a folder";
    } catch (const EFCreateError& E) {
      EXPECT_EQ(E.Message(), Format(SFCreateError, {Dir + "/report002.wmf", SIsAFolder}));
    }
  }
  EXPECT_EQ(Names(Dir), std::set<std::string>{"report002.wmf"});
  fs::remove(Dir + "/report002.wmf");
  S.Record = 0;
  {
    TLXWMFExportFilter F(Dir + "/report");
    Shown->ExportToFilter(&F);
  }
  EXPECT_EQ(Names(Dir), (std::set<std::string>{"report001.wmf", "report002.wmf"}));
  fs::remove_all(Dir);
}

TEST_F(LXExportFilesTest, ACancelledExportRunLeavesTheEarlierFile) {
  TEngineScope S;
  S.Band(rbDetail, 1300);
  S.Report->OnNeedData = [&](TObject*, bool& More) {
    More = S.Record < 5;
    if (++S.Record == 3) S.Report->CancelRun();
  };
  const std::string File = TempFiles.Path("cancelled.csv");
  std::ofstream(File) << "earlier";
  {
    TLXCommaSeparatedFilter F(File);
    S.Report->ExportRun(&F);
  }
  EXPECT_EQ(ReadAll(File), "earlier");
  for (const auto& N : Names(fs::path(File).parent_path().string()))
    EXPECT_EQ(N.find(fs::path(File).filename().string() + "."), std::string::npos) << N;
}

TEST_F(LXExportFilesTest, ThePdfWriterWritesEachPageAsTheNextBeginsAndNamesTheFileAtTheEnd) {
  const std::string File = TempFiles.Path("stream.pdf");
  const std::string Dir = fs::path(File).parent_path().string(), Name = fs::path(File).filename().string();
  auto Beside = [&] {
    uintmax_t Size = 0;
    for (const auto& E : fs::directory_iterator(Dir))
      if (E.path().filename().string().rfind("." + Name + ".", 0) == 0) Size += E.file_size();
    return Size;
  };
  TLXPrinter Source;
  Source.BeginDoc();
  TLXPDFDocumentFilter F(File);
  F.SetSourcePrinter(&Source);
  const TFont Font = MakeFont(12);
  F.Start(2100, 2970, &Font);
  uintmax_t Before = 0;
  const auto Texts = Pages(60, 30);
  for (int Page = 1; Page <= 60; ++Page) {
    F.EndPage();
    F.NewPage();
    if (Page == 60) Before = Beside();
    F.TextOut(200, 100, &Font, clWhite, taLeftJustify, "Página " + std::to_string(Page));
    for (const auto& T : Texts[Page - 1]) F.TextOut(T.X, T.Y + 100, &Font, clWhite, taLeftJustify, T.Text);
  }
  EXPECT_GT(Before, 0u);  // earlier pages are on disk before the document ends
  EXPECT_FALSE(fs::exists(File));
  F.EndPage();
  F.Finish();
  EXPECT_EQ(Beside(), 0u);
  EXPECT_EQ(ReadPdfInfo(File).Pages, 60);
  EXPECT_EQ(QpdfProblems(File), "");
  EXPECT_EQ(PdfText(File, 60).substr(0, 10), "Página 60");
}
