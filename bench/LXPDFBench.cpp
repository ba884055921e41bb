// PDF export of a customer list of 10,000 records on 200 pages (targets: under
// 2.4 s, under 64 MiB peak memory, a file under 1.5 MB): through the PDF
// filter and the writer component, and as stored pages played into a PDF.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

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

constexpr int Records = 10000, PerPage = 50;

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
  {
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
  {
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
    std::printf("stored pages played into a PDF, %d pages: %.2f s, peak %.1f MiB, file %.2f MB\n",
                Printer.PageCount(), Seconds(A, B), PeakMiB(), FileMB(Pdf));
    std::filesystem::remove(Pdf);
  }
  FinalizeLXReport();
  FinalizeApplication();
  return 0;
}
