// Archived pp pages: arbitrary bytes read as a component stream of the pp classes (a page and its
// draw commands, as an archive holds them, or their text form). A page that reads is copied (the
// copy must equal it, command by command), brought up to date, its texts written rotated, and
// written and read again; its barcodes are drawn on a printer (a call-log device). A damaged stream
// may only raise a stream error.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/app/Application.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/graphics/CallLogDC.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "ppreport/generation/ppGeneration.h"

namespace {
using TOwned = std::unique_ptr<TComponent, TComponentDeleter>;

void Check(bool Condition) {
  if (!Condition) std::abort();
}

// A printer that logs calls instead of drawing: barcodes draw on it at 600 dpi, showing no message.
class TFuzzPrinter : public TppRasterDevice {
public:
  TFuzzPrinter() : TppRasterDevice(nullptr), FCanvas(&FDc) {}
  TppRasterKind RasterKind() const override { return rkPrinter; }
  TCanvas* DeviceCanvas() override { return &FCanvas; }
  TPoint DevicePixelsPerInch() const override { return {600, 600}; }
  void ComputeDrawRect(TppDrawCommand& C) override { C.SetDrawRect(Rect(0, 0, 1000, 1000)); }

private:
  TCallLogDC FDc;
  TCanvas FCanvas;
};

void Exercise(TppPage& Page) {
  std::unique_ptr<TppPage, TComponentDeleter> Copy(new TppPage(nullptr));
  Copy->Assign(&Page);
  Check(Copy->GetDrawCommandCount() == Page.GetDrawCommandCount());
  for (int I = 0; I < Page.GetDrawCommandCount(); ++I) {
    TppDrawCommand* A = Page.GetDrawCommand(I);
    TppDrawCommand* B = Copy->GetDrawCommand(I);
    Check(A && B && A->ClassInfo() == B->ClassInfo() && A->IsEqual(*B));
  }
  Copy->RedrawUpdateables(nullptr);
  TCallLogDC Dc;
  TCanvas Canvas(&Dc);
  for (int I = 0; I < Copy->GetDrawCommandCount() && I < 64; ++I) {
    if (auto* T = dynamic_cast<TppDrawText*>(Copy->GetDrawCommand(I)); T && T->Text().size() < 256)
      TextOutRotated(Canvas, *T->Font(), T->RotatedOriginLeft(), T->RotatedOriginTop(), T->Text(), T->Angle());
    // Small images only: a header may claim any size, and decoding costs its area.
    if (auto* Image = dynamic_cast<TppDrawImage*>(Copy->GetDrawCommand(I));
        Image && Image->Picture()->Graphic() &&
        int64_t(Image->Picture()->Picture().Width()) * Image->Picture()->Picture().Height() <= 1 << 20)
      Image->GetAsBitmap();
    if (auto* BarCode = dynamic_cast<TppDrawBarCode*>(Copy->GetDrawCommand(I))) {
      std::unique_ptr<TFuzzPrinter, TComponentDeleter> Printer(new TFuzzPrinter);
      BarCode->Draw(Printer.get());
      Check(!BarCode->Drawing());
    }
  }
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  InitializeApplication(*argc, *argv, TDisplayMode::Offscreen);
  InitializePPGeneration();
  std::atexit([] {
    FinalizePPGeneration();
    FinalizeApplication();
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TMemoryStream In;
  In.WriteBuffer(Data, static_cast<int64_t>(Size));
  In.SetPosition(0);
  TMemoryStream Binary;
  TOwned Root;
  try {
    if (TestStreamFormat(In) == sofText)
      ObjectTextToBinary(In, Binary);
    else
      Binary.CopyFrom(In, 0);
    Binary.SetPosition(0);
    Root.reset(ReadComponentFromStream(Binary, nullptr));
  } catch (const EStreamError&) {
    return 0;
  }
  if (auto* Page = dynamic_cast<TppPage*>(Root.get())) Exercise(*Page);
  TMemoryStream Again;
  WriteComponentToStream(Again, Root.get());
  Again.SetPosition(0);
  TOwned Back(ReadComponentFromStream(Again, nullptr));  // anything it throws is a finding
  return 0;
}
