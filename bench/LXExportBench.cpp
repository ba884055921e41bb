// Exports a customer list from a report run, as the preview window's save does: A4 portrait,
// a page header with a 14 pt bold title, a 5 mm detail band with four expressions in 9 pt (an
// id, a name, a city and a right-aligned balance with mask #,##0.00), a page footer with
// "Página " + PAGENUMBER; 40,000 records from an in-memory data set, into each of the six
// formats (target: each under 2 s). The spreadsheet takes 16,000 records: a BIFF2 sheet holds
// 16,384 rows and the export stops past them. Prints the time of each export and its file size.
//   bench_lxexport [records [format...]]   (default 40000, every format; formats by extension)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lxreport/LXBands.h"
#include "lxreport/LXExpr.h"
#include "lxreport/LXGridFilters.h"
#include "lxreport/LXLabel.h"
#include "lxreport/LXPDFFilter.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/LXReport.h"
#include "lxreport/LXTextFilters.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/Application.h"
#include "platform/classes/TempFiles.h"
#include "platform/data/MemDataSet.h"

namespace {
using TClock = std::chrono::steady_clock;

TLXExpr* Expr(TComponent* Owner, TLXBand* Band, const std::string& Text, long double Left, long double Width,
              TAlignment Alignment = taLeftJustify) {
  auto* E = new TLXExpr(Owner);
  E->SetParent(Band);
  E->SetAutoSize(false);
  E->SetAlignment(Alignment);
  E->Font()->SetName("Liberation Sans");
  E->Font()->SetSize(9);
  E->Size()->SetLeft(Left);
  E->Size()->SetTop(5);
  E->Size()->SetWidth(Width);
  E->Size()->SetHeight(40);
  E->SetExpression(Text);
  return E;
}

// The report over Records customers, owned by Form.
TVexaRep* CustomerList(TComponent& Form, int Records) {
  auto* Data = new TMemoryDataSet(&Form);
  Data->SetName("Customers");
  Data->FieldDefs().Add("Id", ftInteger);
  Data->FieldDefs().Add("Name", ftString, 40);
  Data->FieldDefs().Add("City", ftString, 30);
  Data->FieldDefs().Add("Balance", ftFloat);
  for (int I = 1; I <= Records; ++I)
    Data->AppendRecord({I, "Cliente número " + std::to_string(I), I % 2 ? "São Paulo" : "Belo Horizonte",
                        (I * 37 % 100000) / 7.0});
  Data->Open();
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
  Expr(&Form, Detail, "Name", 200, 800);
  Expr(&Form, Detail, "City", 1050, 450);
  Expr(&Form, Detail, "Balance", 1500, 400, taRightJustify)->SetMask("#,##0.00");
  TLXBand* Footer = NewBand(rbPageFooter, 100);
  Expr(&Form, Footer, "'Página ' + PAGENUMBER", 0, 400);
  R->SetDataSet(Data);
  R->SetShowProgress(false);
  return R;
}

struct TFormat {
  const char* Name;
  const char* Extension;
  bool OneSheet;  // the spreadsheet: at most a sheet's rows
  std::function<std::unique_ptr<TLXExportFilter>(const std::string&)> Make;
};

template <class T>
std::unique_ptr<TLXExportFilter> Make(const std::string& File) {
  return std::make_unique<T>(File);
}
}  // namespace

int main(int argc, char** argv) {
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  const int Records = argc > 1 ? std::atoi(argv[1]) : 40000;
  const int SheetRecords = std::min(Records, 16000);
  const TFormat Formats[] = {{"CSV", "csv", false, Make<TLXCommaSeparatedFilter>},
                             {"HTML", "htm", false, Make<TLXHTMLDocumentFilter>},
                             {"spreadsheet", "xls", true, Make<TLXXLSFilter>},
                             {"RTF", "rtf", false, Make<TLXRTFExportFilter>},
                             {"text", "txt", false, Make<TLXAsciiExportFilter>},
                             {"PDF", "pdf", false, Make<TLXPDFDocumentFilter>}};
  const std::string Base = GetTempPath() + "bench_lxexport-" + std::to_string(getpid()) + ".";
  auto Wanted = [&](const TFormat& F) {
    if (argc <= 2) return true;
    for (int I = 2; I < argc; ++I)
      if (std::string(argv[I]) == F.Extension) return true;
    return false;
  };
  for (const TFormat& F : Formats) {
    if (!Wanted(F)) continue;
    const int N = F.OneSheet ? SheetRecords : Records;
    TComponent Form(nullptr);
    TVexaRep* R = CustomerList(Form, N);
    const std::string File = Base + F.Extension;
    const auto From = TClock::now();
    {
      auto Filter = F.Make(File);
      R->ExportRun(Filter.get());
    }
    const double Seconds = std::chrono::duration<double>(TClock::now() - From).count();
    std::error_code Ec;
    const auto Size = std::filesystem::file_size(File, Ec);
    std::printf("%-12s %6d records: %.3f s, %.1f MB\n", F.Name, N, Seconds, Ec ? 0.0 : Size / 1e6);
    std::filesystem::remove(File, Ec);
    for (TLXPrinter* P : std::vector<TLXPrinter*>(R->Printers())) delete P;
  }
  FinalizeLXReport();
  FinalizeApplication();
  return 0;
}
