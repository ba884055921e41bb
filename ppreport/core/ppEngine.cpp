#include "ppreport/core/ppEngine.h"

const TClassInfo& TppCustomEngine::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppCustomEngine>("TppCustomEngine", &TppCacheable::StaticClassInfo());
  return Info;
}

TppCustomEngine::TppCustomEngine(TComponent* AOwner)
    : TppCacheable(AOwner), FPage(new TppPage(nullptr)), FReport(AOwner) {}

TppCustomEngine::~TppCustomEngine() { BeforeDestruction(); }

void TppCustomEngine::Destroying() {
  FreeAndNil(FPage);
  TppCacheable::Destroying();
}

void TppCustomEngine::SetPrintPosition(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  FPrintPosition = TRect{Left, Top, Right, Bottom};
}

void TppCustomEngine::MoveToLeftMargin() { FPrintPosition.Left = FPage->PageDef()->mmMarginLeft(); }

namespace {
void Fire(const TNotifyEvent& E, TObject* Sender) {
  if (E) E(Sender);
}
}  // namespace

void TppCustomEngine::DoAfterSendPage() {
  Fire(AfterSendPage, this);
  SendEventNotify(this, ciEnginePageSent, nullptr);
}

void TppCustomEngine::DoBeforeSendPage() { Fire(BeforeSendPage, this); }
void TppCustomEngine::DoOnPageStart() { Fire(OnPageStart, this); }
void TppCustomEngine::DoOnInitialize() { Fire(OnInitialize, this); }
void TppCustomEngine::DoOnDataPipelineStatesSaved() { Fire(OnDataPipelineStatesSaved, this); }
void TppCustomEngine::DoOnEndPage() { Fire(OnEndPage, this); }
void TppCustomEngine::DoOnPageFinished() { Fire(OnPageFinished, this); }

void TppCustomEngine::DoOnGetLastPageCached() {
  if (OnGetLastPageCached) OnGetLastPageCached(this, FLastPageCached);
}
