// The pp generation engine on a long list: a report of N records (default 20,000), a header and a
// detail band with one text box on A4 with 10 mm margins, about 29 records a page. Prints the time
// to generate every page, then the time to generate one page alone from the cached state of the
// page before it, for an early, a middle and the last page (the same cost wherever the page lies),
// and the peak resident memory.
//   bench_ppengine [records]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/app/Application.h"
#include "platform/data/MemDataSet.h"
#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/generation/ppGeneration.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppEngine.h"

namespace {
using TClock = std::chrono::steady_clock;

double Ms(TClock::time_point Start) { return std::chrono::duration<double, std::milli>(TClock::now() - Start).count(); }

double PeakMiB() {
  rusage U{};
  getrusage(RUSAGE_SELF, &U);
  return U.ru_maxrss / 1024.0;
}

class TBenchBand : public TppCustomBand {
public:
  TBenchBand(TComponent* AOwner, TppBandType Kind) : TppCustomBand(AOwner), Kind(Kind) {}
  ~TBenchBand() override { BeforeDestruction(); }
  TppBandType Kind;
  std::string GetBandSortKey() const override { return ppBandSortKey(2); }
  TppBandType GetBandType() const override { return Kind; }
  std::string GetDefaultCaption() const override { return "Band"; }
  bool IsPageStartBand() const override { return Kind == btHeader; }
};

// The record's "Name" at the band's place.
class TBenchBox : public TppComponent {
public:
  explicit TBenchBox(TComponent* AOwner) : TppComponent(AOwner) {
    SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawText(nullptr); });
  }
  ~TBenchBox() override { BeforeDestruction(); }
  void Generate() override {
    auto* B = static_cast<TppCustomBand*>(Band());
    const TRect R = B->GetPrintRect();
    SetPrintRect({R.Left, R.Top, R.Left + mmWidth(), R.Top + mmHeight()});
    SetSpaceUsed(mmHeight());
    SetGenerationComplete(true);
    FText = B->Report()->DataPipeline()->GetFieldAsString("Name");
  }
  void PropertiesToDrawCommand(TppDrawCommand* C) override {
    TppComponent::PropertiesToDrawCommand(C);
    C->SetLeft(PrintRect().Left);
    C->SetTop(PrintRect().Top);
    static_cast<TppDrawText*>(C)->SetText(FText);
  }

private:
  std::string FText;
};

// Caches page states the way the banded report does; counts the pages it finishes.
class TBenchReport : public TppCustomReport {
public:
  explicit TBenchReport(TComponent* AOwner) : TppCustomReport(AOwner), Cache(new TppCacheManager(this)) {
    TppCustomEngine* E = Engine();
    E->OnInitialize = [this](TObject*) { Cache->Reset(); };
    E->OnPageStart = [this](TObject*) { Cache->RestoreFromCache(Engine()->AbsolutePageNo() - 1); };
    E->OnDataPipelineStatesSaved = [this](TObject*) { Cache->SaveToCache(Engine()->AbsolutePageNo()); };
    E->OnGetLastPageCached = [this](TObject*, int& Last) { Last = Cache->CachePageCount(); };
  }
  ~TBenchReport() override { BeforeDestruction(); }
  TppCacheManager* Cache;
  int Finished = 0;
  void EnginePageFinished() override { ++Finished; }
  void Request(TppPageSettingType Setting, int Page = 0) {
    TppPageRequest R;
    R.SetPageSetting(Setting);
    R.SetPageRequested(Page);
    Engine()->Generate(&R);
  }
};
}  // namespace

int main(int argc, char** argv) {
  const int Records = argc > 1 ? std::atoi(argv[1]) : 20000;
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializePPGeneration();
  {
    TComponent Form(nullptr);
    auto* Set = new TMemoryDataSet(&Form);
    Set->FieldDefs().Add("Name", ftString, 20);
    for (int I = 1; I <= Records; ++I) Set->AppendRecord({"record " + std::to_string(I)});
    auto* Pipeline = new TppDataSetPipeline(&Form);
    Pipeline->SetDataSet(Set);
    auto* Report = new TBenchReport(&Form);
    Report->SetDataPipeline(Pipeline);
    TppPrinterSetup* Setup = Report->PrinterSetup();
    Report->SetUnits(utMMThousandths);
    Setup->SetPaperWidth(210000);
    Setup->SetPaperHeight(297000);
    for (auto Set : {&TppPrinterSetup::SetMarginLeft, &TppPrinterSetup::SetMarginRight, &TppPrinterSetup::SetMarginTop,
                     &TppPrinterSetup::SetMarginBottom})
      (Setup->*Set)(10000);
    for (TppBandType Kind : {btHeader}) {
      auto* B = new TBenchBand(&Form, Kind);
      B->ChangeHeight(10000);
      B->SetReport(Report);
    }
    auto* Detail = new TppDetailBand(&Form);
    Detail->ChangeHeight(9000);
    Detail->SetReport(Report);
    auto* Box = new TBenchBox(&Form);
    Box->SetBounds(0, 0, 50000, 9000);
    Box->SetBand(Detail);

    auto Start = TClock::now();
    Report->Request(psAll);
    const double All = Ms(Start);
    const int Pages = Report->Engine()->AbsolutePageCount();
    std::printf("%d records, %d pages: all pages %.0f ms (%.3f ms a page)\n", Records, Pages, All, All / Pages);
    for (int Page : {2, Pages / 2, Pages}) {
      const int Runs = 50;
      Start = TClock::now();
      for (int I = 0; I < Runs; ++I) Report->Request(psSinglePage, Page);
      std::printf("page %d alone from the cache: %.3f ms\n", Page, Ms(Start) / Runs);
    }
    std::printf("peak resident memory: %.1f MiB\n", PeakMiB());
  }
  FinalizePPGeneration();
  FinalizeApplication();
  return 0;
}
