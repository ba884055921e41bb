// TppCustomReport as its engine sees it: the engine's making, the settings a run reads, the report
// steps passed to bands and groups, and the report events the engine causes.
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppParamList.h"

namespace {
TppCustomReport::TEngineFactory& EngineFactory() {
  static TppCustomReport::TEngineFactory Factory;
  return Factory;
}

void Fire(const TNotifyEvent& E, TObject* Sender) {
  if (E) E(Sender);
}
}  // namespace

void TppCustomReport::SetEngineFactory(TEngineFactory Factory) { EngineFactory() = std::move(Factory); }

bool TppCustomReport::HasEngineFactory() { return static_cast<bool>(EngineFactory()); }

void TppCustomReport::CreateEngine() {
  if (!EngineFactory()) return;
  FEngine = EngineFactory()(*this);
  if (!FEngine) return;
  FEngine->OnEndPage = [this](TObject* Sender) { EngineEndPage(Sender); };
  FEngine->OnPageFinished = [this](TObject* Sender) { EnginePageFinished(Sender); };
}

void TppCustomReport::Reset() {
  TppProducer::Reset();
  if (FEngine && !Reading()) FEngine->Reset();
}

void TppCustomReport::StopEngine() {
  if (TppCustomEngine* E = Engine()) E->SetStopPrinting(true);
}

void TppCustomReport::SetPassSetting(TppPassSettingType Value) {
  if (FPassSetting == Value) return;
  FPassSetting = Value;
  SetModified(true);
  if (FEngine) FEngine->Reset();
}

void TppCustomReport::SetNoDataBehaviors(TppNoDataBehaviors Value) {
  const auto Page = static_cast<TppNoDataBehaviors>(ppSetBit(ndBlankPage));
  const auto Report = static_cast<TppNoDataBehaviors>(ppSetBit(ndBlankReport));
  if ((Value & Page) && (Value & Report)) {
    const TppNoDataBehaviors Old = FNoDataBehaviors & (Page | Report);
    Value &= static_cast<TppNoDataBehaviors>(~(Old == Page ? Page : Report));
  }
  FNoDataBehaviors = Value;
}

void TppCustomReport::PrintError(const std::string& Message) {
  TppProducer::PrintError();
  TppCustomEngine* E = Engine();
  if (E && E->Printing()) StopEngine();
  if (E && E->SilentExceptions()) return;
  throw EPrintError(LanguageString(1023) + "\r\n\r\n" + Message);
}

void TppCustomReport::StartOfMainReport() {
  for (int I = 0; I < BandCount(); ++I) GetBand(I)->StartOfMainReport();
  for (int I = 0; I < GroupCount(); ++I) GetGroup(I)->PrepareKeepTogether();
}

void TppCustomReport::EndOfMainReport() {
  for (int I = 0; I < BandCount(); ++I) GetBand(I)->EndOfMainReport();
}

void TppCustomReport::StartOfGeneration() {
  for (int I = 0; I < GroupCount(); ++I) GetGroup(I)->StartOfGeneration();
  for (int I = 0; I < BandCount(); ++I) GetBand(I)->StartOfGeneration();
}

void TppCustomReport::EndOfPage() {
  for (int I = 0; I < BandCount(); ++I) GetBand(I)->EndOfPage();
}

void TppCustomReport::NotifyStartOfReport() { SendEventNotify(this, ciReportGenerationStart, nullptr); }

void TppCustomReport::EngineEndPage(TObject*) {
  DoOnEndPage();
  TppCustomEngine* E = Engine();
  if (E && FPageLimit > 0 && E->AbsolutePageNo() >= FPageLimit) E->PageLimitReached();
}

void TppCustomReport::DoOnStartPage() {
  Fire(OnStartPage, this);
  SendEventNotify(this, ciReportStartPage, nullptr);
}

void TppCustomReport::DoOnEndPage() {
  Fire(OnEndPage, this);
  SendEventNotify(this, ciReportEndPage, nullptr);
}

void TppCustomReport::DoOnStartColumn() {
  Fire(OnStartColumn, this);
  SendEventNotify(this, ciReportStartColumn, nullptr);
}

void TppCustomReport::DoOnEndColumn() {
  Fire(OnEndColumn, this);
  SendEventNotify(this, ciReportEndColumn, nullptr);
}

void TppCustomReport::DoOnStartFirstPass() {
  Fire(OnStartFirstPass, this);
  SendEventNotify(this, ciReportStartFirstPass, nullptr);
}

void TppCustomReport::DoOnEndFirstPass() {
  Fire(OnEndFirstPass, this);
  SendEventNotify(this, ciReportEndFirstPass, nullptr);
}

void TppCustomReport::DoOnStartSecondPass() {
  Fire(OnStartSecondPass, this);
  SendEventNotify(this, ciReportStartSecondPass, nullptr);
}

void TppCustomReport::DoOnEndSecondPass() {
  Fire(OnEndSecondPass, this);
  SendEventNotify(this, ciReportEndSecondPass, nullptr);
}

void TppCustomReport::DoOnNoData(TObject* Dialog, bool& ShowDialog, TObject* DrawCommand, bool& AddDrawCommand) {
  if (OnNoData) OnNoData(this, Dialog, ShowDialog, DrawCommand, AddDrawCommand);
  SendEventNotify(this, ciReportNoData, nullptr);
}
