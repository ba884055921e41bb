// PDF export of a customer list, 50 records a page (targets at 10,000 records: under 2.4 s and
// a file under 1.5 MB; peak memory under 64 MiB whatever the record count): through the PDF
// filter and the writer component, and as stored pages played into a PDF. Each case runs in a
// process of its own, so each peak is its own.
//   bench_lxpdf [records...]   (default 10000 1000000)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "lxreport/LXPDFFilter.h"
#include "lxreport/LXPDFPages.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/LXReport.h"
#include "platform/app/Application.h"
#include "platform/classes/TempFiles.h"

namespace {
using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point A, Clock::time_point B) { return std::chrono::duration<double>(B - A).count(); }
double PeakMiB() {
  rusage U{};
  getrusage(RUSAGE_SELF, &U);
  return U.ru_maxrss / 1024.0;
}
double FileMB(const std::string& F) { return std::filesystem::file_size(F) / 1e6; }

constexpr int PerPage = 50;

// One record's line: code, name, address, city and balance, in tenths of a millimetre.
struct TColumn {
  long double X;
  TAlignment Alignment;
};
constexpr TColumn Columns[] = {{150, taLeftJustify}, {350, taLeftJustify}, {950, taLeftJustify},
                               {1500, taLeftJustify}, {2000, taRightJustify}};
std::string Field(int Record, int Column) {
  switch (Column) {
    case 0: return std::to_string(100000 + Record);
    case 1: return "Cliente Conceição " + std::to_string(Record);
    case 2: return "Rua das Acácias, " + std::to_string(Record % 997);
    case 3: return Record % 2 ? "São Paulo" : "Belo Horizonte";
    default: return std::to_string(Record * 37 % 100000) + ",45";
  }
}
}  // namespace

int main(int argc, char** argv) {
  // bench_lxpdf <filter|pages> <records>: one case; otherwise every case for every count.
  const bool One = argc == 3 && (std::strcmp(argv[1], "filter") == 0 || std::strcmp(argv[1], "pages") == 0);
  if (!One) {
    std::vector<std::string> Counts;
    for (int I = 1; I < argc; ++I) Counts.push_back(argv[I]);
    if (Counts.empty()) Counts = {"10000", "1000000"};
    for (const std::string& N : Counts)
      for (const char* Case : {"filter", "pages"})
        if (std::system((std::string("'") + argv[0] + "' " + Case + " " + N).c_str()) != 0) return 1;
    return 0;
  }
  const bool Filtered = std::strcmp(argv[1], "filter") == 0;
  const int Records = std::atoi(argv[2]);
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  std::string Dir = GetTempPath();
  TFont Font;
  Font.SetName("Arial");
  Font.SetSize(9);
  TFont Title;
  Title.SetName("Arial");
  Title.SetSize(14);
  Title.SetStyle(fsBold);
  if (Filtered) {
    // Through the filter: the calls an export run makes, items into the component.
    TLXPrinter Printer;
    Printer.BeginDoc();
    std::string Pdf = Dir + "bench_lxpdf-filter.pdf";
    auto A = Clock::now();
    {
      TLXPDFDocumentFilter Filter(Pdf);
      Filter.SetSourcePrinter(&Printer);
      Filter.Start(2100, 2970, &Font);
      TPen Pen;
      for (int Record = 0; Record < Records; ++Record) {
        int Row = Record % PerPage;
        if (Row == 0) {
          Filter.EndPage();
          Filter.NewPage();
          Filter.TextOut(150, 100, &Title, clWhite, taLeftJustify, "Lista de clientes");
          Filter.SendRule(Printer.XPos(150), Printer.YPos(180), Pen, Printer.XSize(1850), Printer.YSize(5));
        }
        long double Y = 220 + Row * 50;
        for (int C = 0; C < 5; ++C) Filter.TextOut(Columns[C].X, Y, &Font, clWhite, Columns[C].Alignment, Field(Record, C));
      }
      Filter.EndPage();
      Filter.Finish();
    }
    auto B = Clock::now();
    std::printf("filter and writer component, %d records, %d pages: %.2f s, peak %.1f MiB, file %.2f MB\n", Records,
                Records / PerPage, Seconds(A, B), PeakMiB(), FileMB(Pdf));
    std::filesystem::remove(Pdf);
    Printer.AbortDoc();
  }
  else {
    // Stored pages of the same list played into a PDF (a loaded report file's export).
    TLXPrinter Printer;
    Printer.SetPaperSize(TLXPaperSize::A4);
    Printer.BeginDoc();
    for (int Record = 0; Record < Records; ++Record) {
      int Row = Record % PerPage;
      TCanvas* C = Printer.Canvas();
      if (Row == 0) {
        Printer.NewPage();
        C = Printer.Canvas();
        C->Font().Assign(Title);
        C->TextOut(Printer.XPos(150), Printer.YPos(100), "Lista de clientes");
        C->Font().Assign(Font);
      }
      for (int Col = 0; Col < 5; ++Col) {
        std::string S = Field(Record, Col);
        int X = Printer.XPos(Columns[Col].X);
        if (Columns[Col].Alignment == taRightJustify) X -= C->TextWidth(S);
        C->TextOut(X, Printer.YPos(220 + Row * 50), S);
      }
    }
    Printer.EndDoc();
    std::string Pdf = Dir + "bench_lxpdf-pages.pdf";
    auto A = Clock::now();
    ExportPagesToPDF(Printer, Pdf);
    auto B = Clock::now();
    std::printf("stored pages played into a PDF, %d records, %d pages: %.2f s, peak %.1f MiB, file %.2f MB\n",
                Records, Printer.PageCount(), Seconds(A, B), PeakMiB(), FileMB(Pdf));
    std::filesystem::remove(Pdf);
  }
  FinalizeLXReport();
  FinalizeApplication();
  return 0;
}
