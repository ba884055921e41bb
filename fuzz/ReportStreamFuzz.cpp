// Reads arbitrary bytes as a stored report (the binary component stream, or its text form) into
// a band report, then lays it out, draws its design surface, generates its pages and writes it
// back; what was written must read again. A damaged stream may only raise a read error.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "lxreport/LXPrintable.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/LXReport.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/Application.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/graphics/CallLogDC.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  InitializeApplication(*argc, *argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  RegisterClass(TLXPrintable::StaticClassInfo());
  std::atexit([] {
    FinalizeLXReport();
    FinalizeApplication();
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TMemoryStream In;
  In.WriteBuffer(Data, static_cast<int64_t>(Size));
  In.SetPosition(0);
  TMemoryStream Binary;
  try {
    if (TestStreamFormat(In) == sofText)
      ObjectTextToBinary(In, Binary);
    else
      Binary.CopyFrom(In, 0);
  } catch (EReadError&) {
    return 0;
  }
  Binary.SetPosition(0);
  TVexaRep Report(nullptr);
  try {
    ReadComponentFromStream(Binary, &Report);
  } catch (EReadError&) {
    return 0;
  }
  // Lengths that read are sane: drawing them must not fail (kept to sizes a screen shows, for speed).
  if (Report.BandList().size() <= 64 && Report.Width() <= 20000 && Report.Height() <= 20000) {
    TCallLogDC Dc;
    Report.PaintTo(Dc, 0, 0);
  }
  // Whatever read runs: a run without data prints each band once (kept to few columns and a
  // paper up to a metre, for speed).
  const TLXPage& Page = *Report.Page();
  if (Report.BandList().size() <= 64 && Page.Columns() <= 16 && Page.Native(TLXPage::WidthIndex) <= 10000 &&
      Page.Native(TLXPage::LengthIndex) <= 10000) {
    Report.Prepare();
    for (TLXPrinter* P : std::vector<TLXPrinter*>(Report.Printers())) delete P;
  }
  TMemoryStream Again;
  WriteComponentToStream(Again, &Report);
  Again.SetPosition(0);
  TVexaRep Copy(nullptr);
  ReadComponentFromStream(Again, &Copy);  // anything it throws is a finding
  return 0;
}
