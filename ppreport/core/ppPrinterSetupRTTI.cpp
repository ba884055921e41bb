#include "ppreport/core/ppPrinterSetupRTTI.h"

#include "platform/classes/StringList.h"
#include "ppreport/core/ppPrinterList.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppRTTIDef.h"

// A plain object to scripts: no "Assign", and nothing added to the name list.
const TraRTTI& TraTppPrinterSetupRTTI() {
  using S = TppPrinterSetup;
  static const TraRTTI Info = TraRTTIDef<S>("TraTppPrinterSetupRTTI", TraTObjectRTTI())
                                  .Prop("Active", &S::Active)
                                  .Prop("PrinterDescription", &S::PrinterDescription)
                                  .Prop("PrintableHeight", &S::PrintableHeight)
                                  .Prop("PrintableWidth", &S::PrintableWidth)
                                  .Prop("BinNames", &S::BinNames)
                                  .Prop("PaperNames", &S::PaperNames)
                                  .Prop("PrinterNames", &S::PrinterNames)
                                  .Prop("PrinterInfo", &S::GetPrinterInfo)
                                  .Prop("PageDef", &S::PageDef)
                                  .Prop("BinName", &S::BinName, &S::SetBinName)
                                  .Prop("DocumentName", &S::DocumentName, &S::SetDocumentName)
                                  .Prop("PaperName", &S::PaperName, &S::SetPaperName)
                                  .Prop("PrinterName", &S::PrinterName, &S::SetPrinterName)
                                  .Prop("Collation", &S::Collation, &S::SetCollation)
                                  .Prop("Copies", &S::Copies, &S::SetCopies)
                                  .Prop("MarginBottom", &S::MarginBottom, &S::SetMarginBottom)
                                  .Prop("MarginLeft", &S::MarginLeft, &S::SetMarginLeft)
                                  .Prop("MarginRight", &S::MarginRight, &S::SetMarginRight)
                                  .Prop("MarginTop", &S::MarginTop, &S::SetMarginTop)
                                  .Prop("PaperHeight", &S::PaperHeight, &S::SetPaperHeight)
                                  .Prop("PaperWidth", &S::PaperWidth, &S::SetPaperWidth)
                                  .Prop("Duplex", &S::Duplex, &S::SetDuplex)
                                  .Prop("Orientation", &S::Orientation, &S::SetOrientation)
                                  .Prop("Units", &S::Units, &S::SetUnits);
  return Info;
}
