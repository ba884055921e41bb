#include "lxreport/LXPDFPages.h"

#include <cstdio>

#include "lxreport/LXConsts.h"
#include "lxreport/LXError.h"
#include "lxreport/LXPDFFilter.h"
#include "lxreport/LXPrntr.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/graphics/EmfPlayer.h"
#include "platform/graphics/PdfDocument.h"

void ExportPagesToPDF(TLXPrinter& Printer, const std::string& FileName) {
  if (Printer.Status() != lxsFinished || Printer.PageCount() < 1) throw ELXError(SLXNoPagesToSave);
  TPdfDocument Pdf(FileName);
  TOnException RemovePart([&] { std::remove(FileName.c_str()); });
  for (int32_t N = 1; N <= Printer.PageCount(); ++N) {
    std::unique_ptr<TMetafile> Page = Printer.GetPage(N);
    if (!Page) throw ELXError(Format(SLXNoSuchPage, {N}));
    TDeviceContext& Dc = Pdf.BeginPage(Page->MMWidth(), Page->MMHeight());
    const std::vector<uint8_t>& Bytes = Page->Data();
    PlayEnhMetaFile(Dc, Bytes.data(), Bytes.size(), Rect(0, 0, Pdf.PageWidth(), Pdf.PageHeight()));
  }
  Pdf.End();
}

void ExportToPDF(TLXPrinter& Printer, const std::string& FileName) {
  if (!Printer.OnExportToFilter) return ExportPagesToPDF(Printer, FileName);
  TLXPDFDocumentFilter Filter(FileName);
  Printer.ExportToFilter(&Filter);
}
