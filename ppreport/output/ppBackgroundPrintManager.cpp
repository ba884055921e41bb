#include "ppreport/output/ppBackgroundPrintManager.h"

#include "platform/app/Dialogs.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppProd.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/output/ppBackGroundPrintRequest.h"
#include "ppreport/output/ppBackgroundPrintQueue.h"
#include "ppreport/output/ppBackgroundPrintThread.h"

TppBackgroundPrintManager::TppBackgroundPrintManager() : FQueue(std::make_unique<TppBackgroundPrintQueue>()) {
  FQueue->SetThreadPriority(ppLowestThreadPriority);
  FQueue->OnThreadTerminated = [this](TObject*) { ThreadTerminated(); };
}

TppBackgroundPrintManager::~TppBackgroundPrintManager() {
  CancelAll();
  WaitForAll();
}

void TppBackgroundPrintManager::Print(TPersistent* Producer, const TppPageRequest* PageRequest,
                                      const std::string& TextFileName, const std::string& ArchiveFileName,
                                      const std::string& DeviceType) {
  std::shared_ptr<TppBackgroundPrintRequest> Request;
  {
    TLock Guard(FLock);
    if (Producer && !dynamic_cast<TppCustomReport*>(Producer))
      throw EBackgroundPrintError(ppErrorText("TppBackgroundPrintManager", "Print",
                                              "Background printing not supported for " + Producer->ClassName()));
    Request = std::make_shared<TppBackgroundPrintRequest>(Producer, TextFileName, ArchiveFileName, DeviceType,
                                                          PageRequest);
  }
  // Outside the lock: the start-up wait processes messages, and they may ask for RequestCount.
  FQueue->Add(std::move(Request));
}

void TppBackgroundPrintManager::CancelAll() {
  TLock Guard(FLock);
  FQueue->Flush();
}

int TppBackgroundPrintManager::RequestCount() const {
  TLock Guard(FLock);
  return FQueue->Count();
}

void TppBackgroundPrintManager::WaitForAll() { FQueue->WaitForThread(); }

void TppBackgroundPrintManager::ThreadTerminated() {
  if (FQueue->ErrorFound()) {
    const EBackgroundPrintError Error(FQueue->TakeErrorMessage());
    if (OnError)
      OnError(nullptr, Error);
    else
      MessageDlg(Error.Message(), mtWarning, MsgButton(mbOK));
  }
  if (OnRequestFinished) OnRequestFinished(nullptr);
  if (RequestCount() == 0 && OnAllRequestsFinished) OnAllRequestsFinished(nullptr);
}

// ---- the unit

namespace {
std::unique_ptr<TppBackgroundPrintManager> Manager;
}

TppBackgroundPrintManager* ppBackgroundPrintManager() { return Manager.get(); }

void InitializeBackgroundPrintUnit() {
  Manager = std::make_unique<TppBackgroundPrintManager>();
  SetBackgroundPrintHandler([](TppProducer& Producer, const TppPageRequest* PageRequest, const std::string& DeviceType,
                               const std::string& TextFileName, const std::string& ArchiveFileName) {
    if (!Manager) throw EBackgroundPrintError(ppErrorText("TppProducer", "InternalPrintInBackground", SppBackgroundUnavailable));
    Manager->Print(&Producer, PageRequest, TextFileName, ArchiveFileName, DeviceType);
  });
}

void FinalizeBackgroundPrintUnit() {
  SetBackgroundPrintHandler(nullptr);
  Manager.reset();
}
