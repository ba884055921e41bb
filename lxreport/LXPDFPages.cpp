#include "lxreport/LXPDFPages.h"

#include <cstring>

#include "lxreport/LXConsts.h"
#include "lxreport/LXError.h"
#include "lxreport/LXPDFFilter.h"
#include "lxreport/LXPrntr.h"
#include "platform/classes/SafeFileStream.h"
#include "platform/graphics/EmfPlayer.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/PdfDocument.h"

int StoredPagePaperHmm(int FrameHmm) {
  // A stored page's frame is its paper rounded to whole pixels of the screen (A4's 210 mm is 794
  // pixels, 210.08 mm): the paper is the nearest whole millimetre that gives the same pixels.
  const int Ppi = ScreenPixelsPerInch();
  auto Pixels = [Ppi](long long Hmm) { return (Hmm * Ppi + 1270) / 2540; };
  const long long Mm = (FrameHmm + 50) / 100;
  return FrameHmm > 0 && Pixels(Mm * 100) == Pixels(FrameHmm) ? static_cast<int>(Mm * 100) : FrameHmm;
}

void ExportPagesToPDF(TLXPrinter& Printer, const std::string& FileName) {
  if (Printer.Status() != lxsFinished || Printer.PageCount() < 1) throw ELXError(SLXExportNoPreparedPages);
  // The document takes its name only when whole: a failure leaves an earlier file as it was.
  TSafeFileStream Out(FileName);
  try {
    TPdfDocument Pdf(Out);
    for (int32_t N = 1; N <= Printer.PageCount(); ++N) {
      std::unique_ptr<TMetafile> Page = Printer.GetPage(N);
      if (!Page) throw ELXError(Format(SLXNoSuchPage, {N}));
      TDeviceContext& Dc = Pdf.BeginPage(StoredPagePaperHmm(Page->MMWidth()), StoredPagePaperHmm(Page->MMHeight()));
      const std::vector<uint8_t>& Bytes = Page->Data();
      PlayEnhMetaFile(Dc, Bytes.data(), Bytes.size(), Rect(0, 0, Pdf.PageWidth(), Pdf.PageHeight()));
    }
    Pdf.End();
    Out.Commit();
  } catch (const EWriteError&) {
    // Said as the filter's export says it: the document, and why.
    if (Out.Error()) throw EWriteError(Format(SLXPDFNotWritten, {FileName, SysErrorMessage(Out.Error())}));
    throw;
  }
}

void ExportToPDF(TLXPrinter& Printer, const std::string& FileName) {
  if (!Printer.OnExportToFilter) return ExportPagesToPDF(Printer, FileName);
  TLXPDFDocumentFilter Filter(FileName);
  Printer.ExportToFilter(&Filter);
}
