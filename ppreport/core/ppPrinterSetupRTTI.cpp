#include "ppreport/core/ppPrinterSetupRTTI.h"

#include "platform/classes/StringList.h"
#include "ppreport/core/ppPrinterList.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppRTTIDef.h"

const TraRTTI& TraTppPrinterSetupRTTI() {
  using S = TppPrinterSetup;
  static const TraRTTI Info = TraRTTIDef<S>("TraTppPrinterSetupRTTI", TraTPersistentRTTI())
                                  .Prop("Active", &S::Active).Listed()
                                  .Prop("BinNames", &S::BinNames).Listed()
                                  .Prop("PageDef", &S::PageDef).Listed()
                                  .Prop("PaperNames", &S::PaperNames).Listed()
                                  .Prop("PrintableHeight", &S::PrintableHeight).Listed()
                                  .Prop("PrintableWidth", &S::PrintableWidth).Listed()
                                  .Prop("PrinterDescription", &S::PrinterDescription).Listed()
                                  .Prop("PrinterInfo", &S::GetPrinterInfo).Listed()
                                  .Prop("PrinterNames", &S::PrinterNames).Listed()
                                  .Prop("Units", &S::Units, &S::SetUnits).Listed();
  return Info;
}
