// Generates a customer list into stored pages: A4 portrait, 10 mm margins, a page header with a
// 14 pt bold title, a 5 mm detail band with four expressions in 9 pt (an id, a name, a date and
// a money value with mask #,##0.00), a page footer with "Página " + PAGENUMBER; 50 records a
// page, read from a SQLite table the benchmark makes. Prints the time a record, the peak resident
// memory (target: 5 us a record or less, < 64 MiB, whatever the record count) and, for runs of
// two blocks or more, the time a page of each block of 2,000 pages along the run (target: the
// last block within 1.2 times the first). Each record count runs in a process of its own, so
// each peak is its own.
//   bench_lxgenerate [--pdf] [--save FILE.lxp] [records...]   (default 10000 100000 1000000)
// --pdf also exports the report to PDF by its export run (the PDF filter and the writer
// component, as the preview's PDF entry does), with the peak memory after it; --save keeps the
// stored pages (one record count only).
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "lxreport/LXBands.h"
#include "lxreport/LXExpr.h"
#include "lxreport/LXLabel.h"
#include "lxreport/LXPDFPages.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/LXReport.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/Application.h"
#include "platform/data/DBTables.h"

namespace {
using TClock = std::chrono::steady_clock;

long PeakRssKiB() {
  rusage U{};
  getrusage(RUSAGE_SELF, &U);
  return U.ru_maxrss;
}

// A file of this process's own in the temporary folder: others may run the benchmark meanwhile.
std::string TempPath(const char* Extension) {
  return (std::filesystem::temp_directory_path() / ("bench_lxgenerate." + std::to_string(getpid()) + Extension))
      .string();
}

void MakeTable(const std::string& Path, int Records) {
  std::filesystem::remove(Path);
  TQuery Q(nullptr);
  Q.SetDatabaseName(Path);
  Q.SetSQL({"CREATE TABLE Customers (Id INTEGER, Name VARCHAR(40), Since DATE, Balance REAL)"});
  Q.ExecSQL();
  Q.SetSQL({
      "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < " + std::to_string(Records) +
      ") INSERT INTO Customers SELECT I, 'Cliente número ' || I, date('2000-01-01', '+' || (I % 9000) || ' days'),"
      " (I * 37 % 100000) / 7.0 FROM N"});
  Q.ExecSQL();
}

TLXExpr* Expr(TComponent* Owner, TLXBand* Band, const std::string& Text, long double Left, long double Width) {
  auto* E = new TLXExpr(Owner);
  E->SetParent(Band);
  E->SetAutoSize(false);
  E->Font()->SetName("Liberation Sans");
  E->Font()->SetSize(9);
  E->Size()->SetLeft(Left);
  E->Size()->SetTop(5);
  E->Size()->SetWidth(Width);
  E->Size()->SetHeight(40);
  E->SetExpression(Text);
  return E;
}

constexpr int BlockPages = 2000;

struct TOptions {
  bool Pdf = false;
  std::string SaveAs;
};

double Run(const std::string& Path, int Records, const TOptions& Options) {
  TComponent Form(nullptr);
  auto* Data = new TQuery(&Form);
  Data->SetName("Customers");
  Data->SetDatabaseName(Path);
  Data->SetSQL({"SELECT Id, Name, Since, Balance FROM Customers ORDER BY Id"});
  auto* R = new TVexaRep(&Form);
  R->SetName("Report");
  R->SetUnits(TLXUnit::Native);
  TLXPage& P = *R->Page();
  P.SetPaperSize(TLXPaperSize::A4);
  P.SetTopMargin(100);
  P.SetBottomMargin(100);
  P.SetLeftMargin(100);
  P.SetRightMargin(100);
  auto NewBand = [&](TLXBandType Type, long double Height) {
    TLXBand* B = R->NewBand(Type);
    B->Size()->SetUnits(TLXUnit::Native);
    B->Size()->SetHeight(Height);
    return B;
  };
  TLXBand* Header = NewBand(rbPageHeader, 150);
  auto* Title = new TLXLabel(&Form);
  Title->SetParent(Header);
  Title->Font()->SetName("Liberation Sans");
  Title->Font()->SetSize(14);
  Title->Font()->SetStyle(fsBold);
  Title->SetCaption("Lista de clientes");
  TLXBand* Detail = NewBand(rbDetail, 50);
  Expr(&Form, Detail, "Id", 0, 150);
  Expr(&Form, Detail, "Name", 200, 900);
  Expr(&Form, Detail, "Since", 1150, 300);
  Expr(&Form, Detail, "Balance", 1500, 400)->SetMask("#,##0.00");
  TLXBand* Footer = NewBand(rbPageFooter, 100);
  Expr(&Form, Footer, "'Página ' + PAGENUMBER", 0, 400);
  Data->Open();
  R->SetDataSet(Data);
  R->SetShowProgress(false);

  // The start of every block of pages along the run.
  std::vector<TClock::time_point> BlockStarts;
  int Pages = 0;
  R->OnStartPage = [&](TCustomVexaRep*) {
    if (Pages++ % BlockPages == 0) BlockStarts.push_back(TClock::now());
  };

  auto T0 = TClock::now();
  R->Prepare();
  auto T1 = TClock::now();
  double Seconds = std::chrono::duration<double>(T1 - T0).count();
  TLXPrinter* Out = R->ActivePrinter();
  std::printf("%d records: %d pages in %.3f s (%.2f us a record), peak RSS %.1f MiB\n", Records,
              Out ? Out->PageCount() : 0, Seconds, Seconds * 1e6 / Records, PeakRssKiB() / 1024.0);
  // Whole blocks only: the last, partial one would not compare.
  const int Blocks = Pages / BlockPages;
  if (Blocks >= 2) {
    BlockStarts.push_back(T1);
    std::printf("  ms a page per block of %d pages:", BlockPages);
    for (int B = 0; B < Blocks; ++B)
      std::printf(" %.3f", std::chrono::duration<double, std::milli>(BlockStarts[B + 1] - BlockStarts[B]).count() /
                               BlockPages);
    auto PerPage = [&](int B) { return std::chrono::duration<double>(BlockStarts[B + 1] - BlockStarts[B]).count(); };
    std::printf("\n  last block / first block: %.2f\n", PerPage(Blocks - 1) / PerPage(0));
  }
  std::fflush(stdout);
  if (Out && !Options.SaveAs.empty()) Out->Save(Options.SaveAs);
  if (Out && Options.Pdf) {
    const std::string Pdf = TempPath(".pdf");
    T0 = TClock::now();
    ExportToPDF(*Out, Pdf);
    double PdfSeconds = std::chrono::duration<double>(TClock::now() - T0).count();
    std::printf("%d records to PDF through the filter: %.3f s, peak RSS %.1f MiB, file %.1f MB\n", Records,
                PdfSeconds, PeakRssKiB() / 1024.0, std::filesystem::file_size(Pdf) / 1e6);
    std::filesystem::remove(Pdf);
  }
  for (TLXPrinter* Pr : std::vector<TLXPrinter*>(R->Printers())) delete Pr;
  return Seconds;
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<int> Counts;
  TOptions Options;
  std::string Flags;
  for (int I = 1; I < argc; ++I) {
    if (std::strcmp(argv[I], "--pdf") == 0) {
      Options.Pdf = true;
      Flags += " --pdf";
    } else if (std::strcmp(argv[I], "--save") == 0 && I + 1 < argc) {
      Options.SaveAs = argv[++I];
    } else {
      Counts.push_back(std::atoi(argv[I]));
    }
  }
  if (Counts.empty()) Counts = {10000, 100000, 1000000};
  if (Counts.size() > 1) {
    if (!Options.SaveAs.empty()) {
      std::fprintf(stderr, "--save takes one record count\n");
      return 2;
    }
    // One process a count: the peak memory of one run is not the peak of the one before.
    for (int N : Counts)
      if (std::system((std::string("'") + argv[0] + "'" + Flags + " " + std::to_string(N)).c_str()) != 0) return 1;
    return 0;
  }
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  std::string Path = TempPath(".db");
  MakeTable(Path, Counts[0]);
  Run(Path, Counts[0], Options);
  std::filesystem::remove(Path);
  FinalizeLXReport();
  FinalizeApplication();
  return 0;
}
