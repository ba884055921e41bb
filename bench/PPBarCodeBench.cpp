// Barcodes on the screen: 10,000 Code 128 symbols of 20 characters, each encoded and drawn by its
// draw command on a screen device (a page bitmap at the screen's resolution, 100 %), 40 to a page,
// each at its measured size.
// Prints the whole time (wall clock and the process's CPU time, which a loaded machine does not
// inflate) and the time per symbol; the target is under a second for all.
//   bench_ppbarcode [symbols]   (default 10000)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/app/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "ppreport/generation/ppGeneration.h"

namespace {

double CpuMs() {
  rusage U{};
  getrusage(RUSAGE_SELF, &U);
  return (U.ru_utime.tv_sec + U.ru_stime.tv_sec) * 1e3 + (U.ru_utime.tv_usec + U.ru_stime.tv_usec) / 1e3;
}

// The screen device's part in a self-drawing command: its page bitmap's canvas and its rectangles.
class TBenchScreen : public TppRasterDevice {
public:
  TBenchScreen() : TppRasterDevice(nullptr), Page(794, 1123), FCanvas(&Page.Canvas()) {}
  TBitmap Page;
  TppRasterKind RasterKind() const override { return rkScreen; }
  TCanvas* DeviceCanvas() override { return FCanvas; }
  void ComputeDrawRect(TppDrawCommand& C) override {
    const auto Sp = [](int32_t V, int Axis) {
      return static_cast<int>(Trunc(ConvertFromMicrons(V, utScreenPixels, Axis, nullptr)));
    };
    const int L = Sp(C.Left(), ppHorizontal), T = Sp(C.Top(), ppVertical);
    C.SetDrawRect(Rect(L, T, L + Sp(C.Width(), ppHorizontal), T + Sp(C.Height(), ppVertical)));
  }

private:
  TCanvas* FCanvas;
};

}  // namespace

int main(int argc, char** argv) {
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializePPGeneration();
  const int Count = argc > 1 ? std::atoi(argv[1]) : 10000;
  std::unique_ptr<TBenchScreen, TComponentDeleter> Screen(new TBenchScreen);
  std::unique_ptr<TppDrawBarCode, TComponentDeleter> Cmd(new TppDrawBarCode(nullptr));
  Cmd->SetBarCodeType(bcCode128);
  Cmd->SetAutoEncode(true);
  Cmd->SetBarWidth(254);  // a hundredth of an inch
  Cmd->SetColor(clWhite);
  Cmd->SetBarColor(clBlack);
  Cmd->SetAlignment(taCenter);
  char Data[32];
  // The command's size is the symbol's at the screen's resolution, as the component sizes it, so the
  // bitmap is drawn at its own size.
  {
    Cmd->SetData("MIVO-000000000000000");
    TBitmap Measure(1, 1);
    Cmd->MeasureOnCanvas(Measure.Canvas());
    Cmd->SetWidth(ConvertToMicrons(utScreenPixels, ppHorizontal, nullptr, static_cast<float>(Cmd->TotalWidth())));
    Cmd->SetHeight(ConvertToMicrons(utScreenPixels, ppVertical, nullptr, static_cast<float>(Cmd->TotalHeight())));
  }
  const auto Start = std::chrono::steady_clock::now();
  const double CpuStart = CpuMs();
  for (int I = 0; I < Count; ++I) {
    std::snprintf(Data, sizeof Data, "MIVO-%015d", I * 7919);  // 20 characters
    Cmd->SetData(Data);
    Cmd->SetLeft(5000 + (I % 2) * 100000);
    Cmd->SetTop(5000 + (I / 2 % 20) * 14000);
    Cmd->Draw(Screen.get());
    if (!Cmd->CodeOK()) {
      std::fprintf(stderr, "refused: %s\n", Data);
      return 1;
    }
  }
  const double Ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start).count();
  const double Cpu = CpuMs() - CpuStart;
  std::printf("%d Code 128 symbols of 20 characters on the screen: %.1f ms wall, %.1f ms CPU (%.1f us a symbol)\n",
              Count, Ms, Cpu, Cpu * 1000 / Count);
  Cmd.reset();
  Screen.reset();
  FinalizePPGeneration();
  FinalizeApplication();
  return 0;
}
