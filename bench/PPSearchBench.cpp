// The text search on a 2,000-page customer list whose pages were generated once and are cached:
// a city that occurs once per page searched with the full search engine, the time to the first hit
// (target under 50 ms) and to all hits (target under 2 s); then, in the same run, the same pages
// written to a PDF and searched with `pdftotext file - | grep -c`, and the ratio of the two.
//   bench_ppsearch [pages]   (default 2000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "platform/app/Application.h"
#include "platform/classes/Streams.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/PdfDocument.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/PPReport.h"
#include "ppreport/output/ppOutput.h"
#include "ppreport/output/ppTextSearchPage.h"
#include "ppreport/output/ppTextSearchRichTextEngine.h"
#include "tests/ppreport/output/ppSearchTestSupport.h"

using namespace ppsearchtest;

namespace {
using TClock = std::chrono::steady_clock;
double MsSince(TClock::time_point Start) { return std::chrono::duration<double, std::milli>(TClock::now() - Start).count(); }

constexpr int Rows = 50;
const char* const Cities[] = {"Fortaleza", "Sobral", "Crato", "Iguatu", "Russas"};

// Three columns a row: name, street, city; the city searched is on one row of each page.
void FillPage(int No, TppPage& Page) {
  for (int Row = 0; Row < Rows; ++Row) {
    const int32_t Top = 15000 + Row * 5000;
    const int Id = No * Rows + Row;
    AddText(Page, "Cliente " + std::to_string(Id) + " Comércio Ltda", 10000, Top);
    AddText(Page, "Rua das Flores, " + std::to_string(Id % 997), 80000, Top);
    AddText(Page, Row == No % Rows ? "Quixadá" : Cities[Id % 5], 150000, Top);
  }
}

// The cached pages as a PDF of their texts, each where the report puts it.
void WritePdf(TppPublisher& Publisher, const std::string& FileName) {
  TFileStream Out(FileName, fmCreate);
  TPdfDocument Pdf(Out, 300);
  for (int I = 0; I < Publisher.GetCachedPageCount(); ++I) {
    TppPage* Page = Publisher.GetCachedPage(I);
    TCanvas Canvas(&Pdf.BeginPage(21590, 27940));
    Canvas.Font().SetName("Arial");
    Canvas.Font().SetSize(10);
    for (int K = 0; K < Page->GetDrawCommandCount(); ++K)
      if (auto* T = dynamic_cast<TppDrawText*>(Page->GetDrawCommand(K)))
        Canvas.TextOut(T->Left() * 300 / 25400, T->Top() * 300 / 25400, T->Text());
  }
  Pdf.End();
}
}  // namespace

int main(int argc, char** argv) {
  const int Pages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializePPReport();
  InitializePPReportOutput();
  {
    THighlighters Highlighters;
    TSearchReport Report(Pages, FillPage);
    TSearchView View(Report);
    auto Start = TClock::now();
    View.ScreenDevice()->LastPage();  // every page generated once, and cached
    View.GotoPage(1);
    std::printf("%d pages of %d rows generated and cached: %.0f ms\n", Report.Publisher().GetCachedPageCount(), Rows,
                MsSince(Start));

    std::unique_ptr<TppTextSearchRichTextEngine, TComponentDeleter> Engine(new TppTextSearchRichTextEngine(nullptr));
    Engine->SetViewer(&View);
    Engine->SetStartingPageNo(1);
    double FirstHit = -1;
    TppCommunicator* Probe = new TppCommunicator(nullptr);
    Probe->EventMask().Include(ciSearchEnginePageResults);
    Probe->OnEventNotify = [&](TppCommunicator*, TppCommunicator*, int, TraParamList*) {
      if (FirstHit < 0) FirstHit = MsSince(Start);  // the first page with a hit is being filled
    };
    Engine->AddEventNotify(Probe);
    Start = TClock::now();
    const bool Found = Engine->Search("Quixadá");
    const double All = MsSince(Start);
    Probe->Free();
    std::printf("full search, \"Quixadá\" once a page: %s, %d hits on %d pages; first hit %.1f ms (target < 50), "
                "all hits %.0f ms (target < 2000)\n",
                Found ? "found" : "not found", Engine->GetOccurrenceCount(), Engine->PageList()->Count(), FirstHit, All);

    const std::string Pdf = "/tmp/bench_ppsearch_" + std::to_string(getpid()) + ".pdf";
    Start = TClock::now();
    WritePdf(Report.Publisher(), Pdf);
    std::printf("the same pages as a PDF: %.0f ms\n", MsSince(Start));
    const std::string Command = "pdftotext '" + Pdf + "' - | grep -c Quixadá";
    Start = TClock::now();
    FILE* P = popen(Command.c_str(), "r");
    char Line[64] = {};
    if (P && !std::fgets(Line, sizeof Line, P)) Line[0] = 0;
    const int Rc = P ? pclose(P) : -1;
    const double Grep = MsSince(Start);
    std::printf("pdftotext | grep -c: %d lines in %.0f ms (exit %d); the search engine took %.2f times as long\n",
                std::atoi(Line), Grep, Rc, All / Grep);
    std::remove(Pdf.c_str());
  }
  FinalizePPReportOutput();
  FinalizePPReport();
  FinalizeApplication();
  return 0;
}
