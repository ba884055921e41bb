#pragma once
// TppBackgroundPrintRequest: a snapshot of a report to print in the background, taken on the
// calling thread: the report's definition, its autosearch criteria, the pages and the printer
// setup. The worker builds its own report from it and never touches the user's report.
#include <memory>
#include <string>

#include "platform/classes/Classes.h"
#include "platform/classes/Streams.h"

class TppAutoSearchGroups;
class TppPageRequest;
class TppPrinterSetup;

class TppBackgroundPrintRequest {
public:
  // EBackgroundPrintError for no producer, one that is not a TppProducer, one without an owner,
  // and the screen device. PageRequest null: every page.
  TppBackgroundPrintRequest(TPersistent* Producer, const std::string& TextFileName,
                            const std::string& ArchiveFileName, const std::string& DeviceType,
                            const TppPageRequest* PageRequest);
  ~TppBackgroundPrintRequest();
  TppBackgroundPrintRequest(const TppBackgroundPrintRequest&) = delete;
  TppBackgroundPrintRequest& operator=(const TppBackgroundPrintRequest&) = delete;

  const std::string& ProducerName() const { return FProducerName; }
  const std::string& DeviceType() const { return FDeviceType; }
  const TClassInfo* OwnerClass() const { return FOwnerClass; }
  TppPageRequest* PageRequest() const { return FPageRequest.get(); }
  TppPrinterSetup* PrinterSetup() const { return FPrinterSetup.get(); }
  const std::string& ArchiveFileName() const { return FArchiveFileName; }
  const std::string& TextFileName() const { return FTextFileName; }
  TMemoryStream& ReportStream() { return FReportStream; }
  TppAutoSearchGroups* AutoSearchGroups() const { return FAutoSearchGroups.get(); }

private:
  std::string FProducerName, FDeviceType, FArchiveFileName, FTextFileName;
  const TClassInfo* FOwnerClass = nullptr;
  std::unique_ptr<TppPageRequest> FPageRequest;
  std::unique_ptr<TppPrinterSetup> FPrinterSetup;
  TMemoryStream FReportStream;
  std::unique_ptr<TppAutoSearchGroups, TComponentDeleter> FAutoSearchGroups;
};
