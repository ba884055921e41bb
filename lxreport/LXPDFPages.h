#pragma once
// A report's stored pages as a PDF document: each page's metafile is played
// into the PDF at the page's own size, so text stays text (fonts embedded)
// and lines stay lines. This is how a loaded report file becomes PDF, as it
// cannot run its printables again.
#include <string>

class TLXPrinter;

// Writes every stored page of Printer to FileName. Raises ELXError when the
// printer holds no finished pages, and the class library's file exceptions
// (naming the file and the reason) when the file cannot be written. The file
// takes its name only when complete: a failure leaves nothing, and an earlier
// file of that name as it was.
void ExportPagesToPDF(TLXPrinter& Printer, const std::string& FileName);

// The paper size (hundredths of a millimetre) a stored page's frame stands for: the frame is
// the paper rounded to whole screen pixels, so A4 comes back as 21000 x 29700.
int StoredPagePaperHmm(int FrameHmm);

// The PDF entry of a preview: a report that can run again (its printer has an
// export hook) runs with a TLXPDFDocumentFilter, so its printables become PDF
// items; a loaded report file has its stored pages played (ExportPagesToPDF).
void ExportToPDF(TLXPrinter& Printer, const std::string& FileName);
