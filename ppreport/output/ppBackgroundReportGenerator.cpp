#include "ppreport/output/ppBackgroundReportGenerator.h"

#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppProd.h"
#include "ppreport/core/ppProdSettings.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/output/ppBackgroundContainerAdapter.h"

const TClassInfo& TppBackgroundReportGenerator::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppBackgroundReportGenerator>("TppBackgroundReportGenerator", &TppCommunicator::StaticClassInfo());
  return Info;
}

TppBackgroundReportGenerator::TppBackgroundReportGenerator(TComponent* AOwner) : TppCommunicator(AOwner) {}

TppBackgroundReportGenerator::~TppBackgroundReportGenerator() { BeforeDestruction(); }

void TppBackgroundReportGenerator::Destroying() {
  Cancel();
  FAdapter.reset();
  TppCommunicator::Destroying();
}

void TppBackgroundReportGenerator::Cancel() {
  if (FAdapter && FAdapter->Producer()) FAdapter->Producer()->Cancel();
}

void TppBackgroundReportGenerator::ProcessRequest(TppBackgroundPrintRequest* Request) {
  {
    // The caller's wait ends on every path, an escaping exception included.
    TFinally Created([this] {
      if (OnContainerCreated) OnContainerCreated();
    });
    if (!FAdapter) {
      FAdapter = std::make_unique<TppBackgroundContainerAdapter>(Request);
      if (FAdapter->ErrorFound()) {
        FErrorFound = true;
        FErrorMessage = FAdapter->ErrorMessage();
        FAdapter.reset();
      }
    }
  }
  if (!FAdapter || !FAdapter->Producer()) return;
  TppProducer* Producer = FAdapter->Producer();
  FAdapter->OnPageReceive = [this] {
    if (CancelRequested()) Cancel();
  };
  Producer->BackgroundPrintSettings()->SetEnabled(false);
  Producer->BackgroundPrintSettings()->SetActive(false);
  if (CancelRequested()) return;
  try {
    Producer->Print();
  } catch (const std::exception& E) {
    FErrorFound = true;
    FErrorMessage = ppErrorText("TppBackgroundReportGenerator", "ProcessRequest", "Cannot Generate Report") + "\r\n" + E.what();
  }
}
