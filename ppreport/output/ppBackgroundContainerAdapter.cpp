#include "ppreport/output/ppBackgroundContainerAdapter.h"

#include <map>
#include <mutex>

#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/SyncObjs.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppAutoSearchRTTI.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppProd.h"
#include "ppreport/core/ppReportTemplateRTTI.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/output/ppBackGroundPrintRequest.h"

// ---- the container factories

namespace {
struct TFactories {
  std::mutex Lock;
  std::map<const TClassInfo*, TppBackgroundContainerFactory> ByClass;
};

TFactories& Factories() {
  static TFactories F;
  return F;
}

TppBackgroundContainerFactory FactoryFor(const TClassInfo& Class) {
  std::lock_guard<std::mutex> Guard(Factories().Lock);
  auto It = Factories().ByClass.find(&Class);
  return It == Factories().ByClass.end() ? TppBackgroundContainerFactory() : It->second;
}

const char SppCreateContainer[] = "CreateContainer";
}  // namespace

void RegisterBackgroundContainerClass(const TClassInfo& OwnerClass, TppBackgroundContainerFactory Factory) {
  std::lock_guard<std::mutex> Guard(Factories().Lock);
  Factories().ByClass[&OwnerClass] = std::move(Factory);
}

void UnregisterBackgroundContainerClass(const TClassInfo& OwnerClass) {
  std::lock_guard<std::mutex> Guard(Factories().Lock);
  Factories().ByClass.erase(&OwnerClass);
}

void ClearBackgroundContainerClasses() {
  std::lock_guard<std::mutex> Guard(Factories().Lock);
  Factories().ByClass.clear();
}

// ---- TppBackgroundContainerAdapter

TppBackgroundContainerAdapter::TppBackgroundContainerAdapter(TppBackgroundPrintRequest* Request) {
  {
    TLock Guard(GlobalNameSpace());
    CreateContainer(Request);
  }
  if (!FContainer) return;
  try {
    Request->ReportStream().SetPosition(0);
    TppReportTemplateRTTI::LoadFromStream(FProducer, Request->ReportStream());
    TppAutoSearchRTTI::WriteAutoSearchFields(FProducer, Request->AutoSearchGroups());
    FPageRequest = std::make_unique<TppPageRequest>();
    FPageRequest->Assign(Request->PageRequest());
    FPrinterSetup = std::make_unique<TppPrinterSetup>();
    FPrinterSetup->CopySettings(*Request->PrinterSetup());
    FCommunicator.reset(new TppCommunicator(nullptr));
    FCommunicator->EventMask().Include(ciProducerBeforePrint);
    FCommunicator->OnEventNotify = [this](TppCommunicator*, TppCommunicator* Sender, int EventID,
                                          TraParamList* Params) { ProducerEvent(Sender, EventID, Params); };
    FProducer->AddEventNotify(FCommunicator.get());
    FProducer->SetArchiveFileName(Request->ArchiveFileName());
    FProducer->SetDeviceType(Request->DeviceType());
    FProducer->SetEnableProcessMessages(false);
    FProducer->SetPrinterSetup(FPrinterSetup.get());
    FProducer->SetShowAutoSearchDialog(false);
    FProducer->SetShowCancelDialog(false);
    FProducer->SetShowPrintDialog(false);
    FProducer->SetTextFileName(Request->TextFileName());
  } catch (...) {
    // The caller never sees a half-made adapter: the container goes with the exception.
    TLock Guard(GlobalNameSpace());
    FCommunicator.reset();
    FreeAndNil(FContainer);
    throw;
  }
}

TppBackgroundContainerAdapter::~TppBackgroundContainerAdapter() {
  TLock Guard(GlobalNameSpace());
  FPageRequest.reset();
  FCommunicator.reset();
  FreeAndNil(FContainer);
  FPrinterSetup.reset();
}

void TppBackgroundContainerAdapter::RecordError(const std::string& Text) {
  FErrorFound = true;
  FErrorMessage = ppErrorText("TppBackgroundContainerAdapter", SppCreateContainer, Text);
}

void TppBackgroundContainerAdapter::CreateContainer(TppBackgroundPrintRequest* Request) {
  if (!Request) return RecordError("Request cannot be nil.");
  if (!Request->OwnerClass()) return RecordError("Request.OwnerClass cannot be nil.");
  const std::string ClassName = Request->OwnerClass()->Name;
  TComponent* Made = nullptr;
  // The factory's failure is caught here, on this thread: the application's exception event
  // belongs to the main thread and is not borrowed.
  if (TppBackgroundContainerFactory Factory = FactoryFor(*Request->OwnerClass())) {
    try {
      Made = Factory();
    } catch (const Exception& E) {
      FErrorFound = true;
      FErrorMessage = std::string(E.ClassName()) + ": " + E.Message();
    } catch (const std::exception& E) {
      FErrorFound = true;
      FErrorMessage = std::string("Exception: ") + E.what();
    }
  }
  if (FErrorFound) {
    if (Made) Made->Free();
    return;
  }
  if (!Made) return RecordError("Cannot create container: " + ClassName);
  TComponent* Found = Made->FindComponent(Request->ProducerName());
  auto* Producer = dynamic_cast<TppProducer*>(Found);
  if (!Found)
    RecordError("Cannot find producer in owner: " + Request->ProducerName());
  else if (!Producer)
    RecordError("Component found for " + Request->ProducerName() + " is not a TppProducer: " + Found->ClassName());
  if (!Producer) {
    Made->Free();
    return;
  }
  FContainer = Made;
  FProducer = Producer;
}

void TppBackgroundContainerAdapter::ProducerEvent(TppCommunicator*, int EventID, TraParamList*) {
  if (EventID != ciProducerBeforePrint || !FProducer || !FProducer->Publisher()) return;
  TppPublisher* Publisher = FProducer->Publisher();
  for (int I = 0; I < Publisher->GetDeviceCount(); ++I) {
    TppDevice* D = Publisher->GetDevice(I);
    D->SetPageRequest(FPageRequest.get());
    TppPageReceiveEvent Before = D->OnPageReceive;
    D->OnPageReceive = [this, Before](TObject* Sender, TObject* Page) {
      if (Before) Before(Sender, Page);
      if (OnPageReceive) OnPageReceive();
    };
  }
}
