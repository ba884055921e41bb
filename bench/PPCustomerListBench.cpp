// The pp report on a customer list: A4 portrait, 10 mm margins, a 15 mm page header with the title
// "Relatório de Clientes" in 14 pt bold, a 5 mm detail band with four data-aware texts in 9 pt
// (the id, the name, the date as dd/mm/yyyy and the value with two decimals), a 10 mm page footer
// with the page number (a system variable); 50 records a page, read from a SQLite table the
// benchmark makes. Prints the time to generate every page (and a record's share of it), the peak
// resident memory, and the time to generate one random page again alone from the page-state cache
// (the device keeps no page), median and worst of 200. Targets: <= 5 us a record, under 64 MiB,
// one random page of the 100,000 records under 2 ms median and 5 ms at worst.
// Each record count runs in a process of its own, so each peak is its own.
// The report's outline (on by default) puts a copy of the tree so far on every page: with -n it is
// switched off, to show what that copy costs. With -p it prints the time a page takes along one
// long run (1,000,000 records unless given), in blocks of 2,000 pages, and the last block's time
// against the first's: a page late in the run must cost what an early one does (within 1.2 times).
//   bench_ppcustomers [-n] [-p] [records...]   (default 10000 100000; 1000000 as an argument)
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/app/Application.h"
#include "platform/data/DBTables.h"
#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/generation/ppGeneration.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppCtrls.h"
#include "ppreport/generation/ppDBText.h"
#include "ppreport/generation/ppEngine.h"
#include "ppreport/generation/ppPageBands.h"
#include "ppreport/generation/ppReport.h"
#include "ppreport/generation/ppVar.h"

namespace {
using TClock = std::chrono::steady_clock;

double Seconds(TClock::time_point Start) { return std::chrono::duration<double>(TClock::now() - Start).count(); }

double PeakMiB() {
  rusage U{};
  getrusage(RUSAGE_SELF, &U);
  return U.ru_maxrss / 1024.0;
}

void MakeTable(const std::string& Path, int Records) {
  std::filesystem::remove(Path);
  TQuery Q(nullptr);
  Q.SetDatabaseName(Path);
  Q.SetSQL({"CREATE TABLE Customers (Id INTEGER PRIMARY KEY, Name VARCHAR(40), Since DATE, Balance REAL)"});
  Q.ExecSQL();
  Q.SetSQL({"WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < " + std::to_string(Records) +
            ") INSERT INTO Customers SELECT I, 'Cliente número ' || I, date('2000-01-01', '+' || (I % 9000) || ' days'),"
            " (I * 37 % 100000) / 7.0 FROM N"});
  Q.ExecSQL();
}

// Takes each page as a printer would and keeps none: the page number it last saw, the commands.
class TBenchDevice : public TppDevice {
  DECLARE_CLASSINFO(TBenchDevice)
public:
  using TppDevice::TppDevice;
  ~TBenchDevice() override { BeforeDestruction(); }
  int Pages = 0, Commands = 0;
  std::string LastPageNumber;
  // Pages a block when timing blocks of pages (0: none), and each block's time a page.
  int Block = 0;
  std::vector<double> BlockMs;
  TClock::time_point BlockStart = TClock::now();
  void ReceivePage(TppPage* Page) override {
    TppDevice::ReceivePage(Page);
    if (IsMessagePage() || !IsRequestedPage()) return;
    ++Pages;
    if (Block > 0 && Pages % Block == 0) {
      const double Ms = std::chrono::duration<double, std::milli>(TClock::now() - BlockStart).count();
      BlockMs.push_back(Ms / Block);
      std::printf("  pages %6d-%6d: %.3f ms a page\n", Pages - Block + 1, Pages, Ms / Block);
      std::fflush(stdout);
      BlockStart = TClock::now();
    }
    Commands = Page->GetDrawCommandCount();
    for (int I = 0; I < Commands; ++I)
      if (auto* V = dynamic_cast<TppDrawVar*>(Page->GetDrawCommand(I))) LastPageNumber = V->Text();
  }
};

const TClassInfo& TBenchDevice::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TBenchDevice>("TBenchCustomerDevice", &TppDevice::StaticClassInfo());
  return Info;
}

void Text9(TppCustomText* T, TppBand* B, int32_t Left, int32_t Width) {
  T->Font()->SetName("Liberation Sans");
  T->Font()->SetSize(9);
  T->SetBounds(Left, 500, Width, 4000);
  T->SetBand(B);
}

int Run(const std::string& Path, int Records, bool Outline, bool PerPage) {
  TComponent Form(nullptr);
  auto* Data = new TQuery(&Form);
  Data->SetDatabaseName(Path);
  Data->SetSQL({"SELECT Id, Name, Since, Balance FROM Customers ORDER BY Id"});
  auto* Pipe = new TppDataSetPipeline(&Form);
  Pipe->SetDataSet(Data);
  Pipe->SetUserName("Customers");
  auto* Report = new TppReport(&Form);
  Report->SetName("Customers");
  Report->OutlineSettings()->SetEnabled(Outline);
  Report->SetUnits(utMMThousandths);
  TppPrinterSetup* Setup = Report->PrinterSetup();
  Setup->SetPaperWidth(210000);
  Setup->SetPaperHeight(297000);
  for (auto Set : {&TppPrinterSetup::SetMarginLeft, &TppPrinterSetup::SetMarginRight, &TppPrinterSetup::SetMarginTop,
                   &TppPrinterSetup::SetMarginBottom})
    (Setup->*Set)(10000);
  Report->SetDataPipeline(Pipe);

  auto* Header = new TppHeaderBand(&Form);
  Header->ChangeHeight(15000);
  Header->SetReport(Report);
  auto* Title = new TppLabel(&Form);
  Title->Font()->SetName("Liberation Sans");
  Title->Font()->SetSize(14);
  Title->Font()->SetStyle(fsBold);
  Title->SetBounds(0, 3000, 100000, 7000);
  Title->SetBand(Header);
  Title->SetCaption("Relatório de Clientes");

  auto* Detail = new TppDetailBand(&Form);
  Detail->ChangeHeight(5000);
  Detail->SetReport(Report);
  struct TColumn {
    const char* Field;
    int32_t Left, Width;
    const char* Format;
  };
  for (const TColumn& C : {TColumn{"Id", 0, 15000, ""}, TColumn{"Name", 20000, 90000, ""},
                           TColumn{"Since", 115000, 30000, "dd/mm/yyyy"}, TColumn{"Balance", 150000, 40000, "0.00"}}) {
    auto* T = new TppDBText(&Form);
    Text9(T, Detail, C.Left, C.Width);
    T->SetDataPipeline(Pipe);
    T->SetDataField(C.Field);
    T->SetDisplayFormat(C.Format);
  }

  auto* Footer = new TppFooterBand(&Form);
  Footer->ChangeHeight(10000);
  Footer->SetReport(Report);
  auto* PageNo = new TppSystemVariable(&Form);
  Text9(PageNo, Footer, 0, 30000);
  PageNo->SetVarType(vtPageNo);

  auto* Device = new TBenchDevice(&Form);
  Device->SetPublisher(Report->Publisher());
  if (PerPage) Device->Block = 2000;
  auto Start = TClock::now();
  Device->BlockStart = Start;
  Report->PrintToDevices();
  const double All = Seconds(Start);
  const int Pages = Device->Pages;
  std::printf("%s", Outline ? "" : "(no outline) ");
  std::printf(
      "%d records: %d pages (%d commands on the last, page number %s) in %.3f s (%.2f us a record), peak RSS %.1f "
      "MiB\n",
      Records, Pages, Device->Commands, Device->LastPageNumber.c_str(), All, All * 1e6 / Records, PeakMiB());
  std::fflush(stdout);
  if (PerPage) {
    if (Device->BlockMs.size() > 1)
      std::printf("  last block / first block: %.2f\n", Device->BlockMs.back() / Device->BlockMs.front());
    return Device->LastPageNumber == std::to_string(Pages) ? 0 : 1;
  }

  std::mt19937 Random(38);
  std::uniform_int_distribution<int> Page(1, Pages);
  const int Runs = 200;
  std::vector<double> Ms;
  bool Right = true;
  for (int I = 0; I < Runs; ++I) {
    const int No = Page(Random);
    TppPageRequest R;
    R.SetPageSetting(psSinglePage);
    R.SetPageRequested(No);
    Device->Reset();
    Device->SetPageRequest(&R);
    Start = TClock::now();
    Report->PrintToDevices();
    Ms.push_back(Seconds(Start) * 1000);
    Right = Right && Device->LastPageNumber == std::to_string(No);
  }
  std::sort(Ms.begin(), Ms.end());
  std::printf("%s", Outline ? "" : "(no outline) ");
  std::printf("%d records: one random page alone %.3f ms median, %.3f ms at worst (%s), peak RSS %.1f MiB\n",
              Records, Ms[Ms.size() / 2], Ms.back(), Right ? "numbers right" : "WRONG page numbers", PeakMiB());
  return Right ? 0 : 1;
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<int> Counts;
  bool Outline = true, PerPage = false;
  for (int I = 1; I < argc; ++I) {
    if (std::string(argv[I]) == "-n")
      Outline = false;
    else if (std::string(argv[I]) == "-p")
      PerPage = true;
    else
      Counts.push_back(std::atoi(argv[I]));
  }
  if (Counts.empty()) Counts = PerPage ? std::vector<int>{1000000} : std::vector<int>{10000, 100000};
  if (Counts.size() > 1) {
    // One process a count: the peak memory of one run is not the peak of the one before.
    for (int N : Counts)
      if (std::system((std::string("'") + argv[0] + "' " + (Outline ? "" : "-n ") + (PerPage ? "-p " : "") +
                       std::to_string(N))
                          .c_str()) != 0)
        return 1;
    return 0;
  }
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializePPGeneration();
  const std::string Path = (std::filesystem::temp_directory_path() / ("bench_ppcustomers_" + std::to_string(getpid()) + ".db")).string();
  MakeTable(Path, Counts[0]);
  const int Result = Run(Path, Counts[0], Outline, PerPage);
  std::filesystem::remove(Path);
  FinalizePPGeneration();
  FinalizeApplication();
  return Result;
}
