#include "ppreport/output/ppBackGroundPrintRequest.h"

#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppAutoSearchRTTI.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppProd.h"
#include "ppreport/core/ppReportTemplateRTTI.h"
#include "ppreport/core/ppTypes.h"
#include "platform/rtl/SysUtils.h"

namespace {
[[noreturn]] void Refuse(const std::string& Text) {
  throw EBackgroundPrintError(ppErrorText("TppBackgroundPrintRequest", "Create", Text));
}
}  // namespace

TppBackgroundPrintRequest::TppBackgroundPrintRequest(TPersistent* Producer, const std::string& TextFileName,
                                                     const std::string& ArchiveFileName,
                                                     const std::string& DeviceType,
                                                     const TppPageRequest* PageRequest)
    : FArchiveFileName(ArchiveFileName), FTextFileName(TextFileName) {
  if (!Producer) Refuse("Producer cannot be nil for background printing.");
  auto* P = dynamic_cast<TppProducer*>(Producer);
  if (!P) Refuse("Object passed as producer is not a TppProducer but rather a " + Producer->ClassName());
  if (!P->Owner()) Refuse("Owner of producer cannot be nil for background printing.");
  FProducerName = P->Name();
  FDeviceType = DeviceType;
  if (SameTextAscii(DeviceType, ppScreenDeviceName))
    Refuse("The producer's device cannot be a screen device for background printing.");
  FOwnerClass = P->Owner()->ClassInfo();
  FPageRequest = std::make_unique<TppPageRequest>();
  if (PageRequest) FPageRequest->Assign(PageRequest);
  FPrinterSetup = std::make_unique<TppPrinterSetup>();
  FPrinterSetup->CopySettings(*P->PrinterSetup());
  TppReportTemplateRTTI::SaveToStream(P, FReportStream);
  FReportStream.SetPosition(0);
  FAutoSearchGroups.reset(new TppAutoSearchGroups(nullptr));
  if (TppAutoSearchRTTI::HasAutoSearchFields(P))
    TppAutoSearchRTTI::ReadAutoSearchFields(P, FAutoSearchGroups.get());
}

TppBackgroundPrintRequest::~TppBackgroundPrintRequest() = default;
