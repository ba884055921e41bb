// A report template of 500 components (five bands of 100 labels, each with a float and a
// reference to its neighbour): the time to save it and to load it back, binary and text form,
// through a memory stream (the file's bytes are read and written whole around the same work).
//   bench_pptemplate [components] [rounds]   (default 500, 50)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/classes/Streams.h"
#include "ppreport/core/PPReport.h"
#include "ppreport/core/ppTemplate.h"
#include "tests/ppreport/core/ppTemplateTestSupport.h"

using namespace pptest;

namespace {
using TClock = std::chrono::steady_clock;

double Median(std::vector<double> Ms) {
  std::sort(Ms.begin(), Ms.end());
  return Ms[Ms.size() / 2];
}

void Build(TModelReport* Report, int Count) {
  TComponent* Form = Report->Owner();
  TTemplateLabel* Prior = nullptr;
  TTemplateBand* Band = nullptr;
  for (int I = 0; I < Count; ++I) {
    if (I % 100 == 0) {
      Band = new TTemplateBand(Form, I == 0 ? btHeader : btDetail);
      Band->SetName("Band" + std::to_string(I / 100 + 1));
      Band->SetReport(Report);
    }
    auto* L = new TTemplateLabel(Form);
    L->SetName("Label" + std::to_string(I + 1));
    L->SetBand(Band);
    L->SetmmLeft(1000 * (I % 100));
    L->SetRatio(I * 0.5);
    L->SetPartner(Prior);
    Prior = L;
  }
}
}  // namespace

int main(int argc, char** argv) {
  const int Count = argc > 1 ? std::atoi(argv[1]) : 500;
  const int Rounds = argc > 2 ? std::atoi(argv[2]) : 50;
  InitializePPReport();
  {
    TTemplateClasses Classes;
    TComponent Form(nullptr);
    auto* Report = new TModelReport(&Form);
    Report->SetName("Report1");
    Build(Report, Count);
    for (TppFormatType Format : {ftBinary, ftASCII}) {
      std::vector<double> Save, Load;
      size_t Bytes = 0;
      for (int R = 0; R < Rounds; ++R) {
        auto T0 = TClock::now();
        const std::string S = SaveTemplate(Report, Format);
        Save.push_back(std::chrono::duration<double, std::milli>(TClock::now() - T0).count());
        Bytes = S.size();
        TMemoryStream M;
        M.WriteBuffer(S.data(), static_cast<int64_t>(S.size()));
        M.SetPosition(0);
        T0 = TClock::now();
        Report->Template()->LoadFromStream(M);
        Load.push_back(std::chrono::duration<double, std::milli>(TClock::now() - T0).count());
      }
      std::printf("%s template, %d components, %zu bytes: save %.2f ms, load %.2f ms (median of %d)\n",
                  Format == ftBinary ? "binary" : "text", Count, Bytes, Median(Save), Median(Load), Rounds);
    }
  }
  FinalizePPReport();
  return 0;
}
