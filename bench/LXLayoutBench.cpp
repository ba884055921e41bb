// Lays out a report of 1,000 bands (each with two printables) on the design surface, orders the
// band list, and reads the report back from its component stream; prints the time per band.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "lxreport/LXBands.h"
#include "lxreport/LXPrintable.h"
#include "lxreport/LXReport.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/Application.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"

namespace {
using TClock = std::chrono::steady_clock;
double Ms(TClock::time_point From) { return std::chrono::duration<double, std::milli>(TClock::now() - From).count(); }

double Median(std::vector<double> V) {
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}

constexpr int Bands = 1000;

void Fill(TCustomVexaRep& R) {
  const TLXBandType Types[] = {rbDetail, rbGroupHeader, rbGroupFooter, rbColumnHeader, rbOverlay};
  R.Page()->SetColumns(2);
  R.Page()->SetColumnSpace(5);
  R.Bands()->SetHas(rbTitle, true);
  R.Bands()->SetHas(rbPageHeader, true);
  R.Bands()->SetHas(rbPageFooter, true);
  R.Bands()->SetHas(rbSummary, true);
  for (int I = static_cast<int>(R.BandList().size()); I < Bands; ++I) {
    TLXBand* B = R.NewBand(Types[I % 5]);
    for (int P = 0; P < 2; ++P) {
      auto* X = new TLXPrintable(&R);
      X->SetParent(B);
      X->Size()->SetLeft(10 + 40 * P);
      X->Size()->SetWidth(30);
      X->Size()->SetHeight(5);
    }
    if (I % 10 == 0) B->SetHasChild(true), ++I;
  }
}
}  // namespace

int main(int argc, char** argv) {
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  RegisterClass(TLXPrintable::StaticClassInfo());
  {
    auto T0 = TClock::now();
    TVexaRep R(nullptr);
    Fill(R);
    double Build = Ms(T0);
    size_t N = R.BandList().size();

    std::vector<double> Layout, Order;
    for (int Run = 0; Run < 21; ++Run) {
      T0 = TClock::now();
      R.LayoutBands();
      Layout.push_back(Ms(T0));
      T0 = TClock::now();
      R.OrderBands();
      Order.push_back(Ms(T0));
    }
    // A zoom change lays every band and printable out again once.
    std::vector<double> Zoom;
    for (int Run = 0; Run < 21; ++Run) {
      T0 = TClock::now();
      R.SetZoom(Run % 2 ? 100 : 150);
      Zoom.push_back(Ms(T0));
    }

    TMemoryStream S;
    WriteComponentToStream(S, &R);
    std::vector<double> Load;
    for (int Run = 0; Run < 5; ++Run) {
      S.SetPosition(0);
      TVexaRep Copy(nullptr);
      T0 = TClock::now();
      ReadComponentFromStream(S, &Copy);
      Load.push_back(Ms(T0));
    }

    int Printables = 0;
    for (const TLXCustomBand* B : R.BandList()) Printables += B->ControlCount();
    double Lay = Median(Layout);
    std::printf("%zu bands, %d printables: LayoutBands %.3f ms median (%.2f us per band)\n", N, Printables, Lay,
                Lay * 1000 / N);
    std::printf("OrderBands %.3f ms median; zoom change %.3f ms median\n", Median(Order), Median(Zoom));
    std::printf("building it band by band (each new band orders and lays out the list): %.0f ms\n", Build);
    std::printf("reading it from its %lld-byte component stream: %.1f ms median\n",
                static_cast<long long>(S.Size()), Median(Load));
  }
  UnRegisterClass(TLXPrintable::StaticClassInfo());
  FinalizeLXReport();
  FinalizeApplication();
  return 0;
}
