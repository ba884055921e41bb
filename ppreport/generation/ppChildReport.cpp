#include "ppreport/generation/ppChildReport.h"

#include "ppreport/core/ppComponent.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppPrinterSetup.h"

TppChildReport::TppChildReport(TComponent* AOwner) : TppBandedReport(AOwner) {}

TppChildReport::~TppChildReport() { BeforeDestruction(); }

void TppChildReport::SetParent(TppRelative* NewParent) {
  if (IppSubReportParent* Old = HoldingSubReport(*this); Old && Parent() != NewParent) Old->AttachReport(nullptr);
  TppBandedReport::SetParent(NewParent);
  if (auto* New = dynamic_cast<IppSubReportParent*>(NewParent)) New->AttachReport(this);
}

void TppChildReport::Transfer(TPersistent* Source) {
  TppBandedReport::Transfer(Source);
  SetSaveAsTemplate(false);
  if (dynamic_cast<TppChildReport*>(Source)) CheckParentPrinterSetup();
}

void TppChildReport::PrinterSetupChanged() {
  TppBandedReport::PrinterSetupChanged();
  CheckParentPrinterSetup();
}

void TppChildReport::CheckParentPrinterSetup() {
  IppSubReportParent* Sub = HoldingSubReport(*this);
  auto* Component = dynamic_cast<TppComponent*>(Parent());
  TppCustomReport* Above = ParentReport();
  if (!Sub || !Component || !Above || !Component->ParentPrinterSetup()) return;
  if (!PrinterSetup()->IsEqual(*Above->PrinterSetup())) Sub->SetParentPrinterSetup(false);
}

TppCustomReport* TppChildReport::GetMainReport() {
  if (TppCustomReport* Above = HoldingSubReportReport(*this)) return Above->GetMainReport();
  // Not placed yet: the report stands for itself, so nothing walks off a null main report.
  return ParentReport() ? ParentReport()->GetMainReport() : this;
}

std::string TppChildReport::GetReportCaption() const {
  IppSubReportParent* Sub = HoldingSubReport(*this);
  return Sub ? Sub->GetSubReportCaption() : std::string();
}

std::string TppChildReport::GetUniqueUserName(const TComponent* Component) const {
  auto* C = dynamic_cast<const TppComponent*>(Component);
  const TppCustomReport* Main = GetMainReport();
  if (C && C->IsSubReport() && Main && Main != this) return Main->GetUniqueUserName(Component);
  return TppBandedReport::GetUniqueUserName(Component);
}

std::string TppChildReport::GetStatus() const {
  auto* Main = dynamic_cast<const TppBandedReport*>(GetMainReport());
  return Main && Main != this ? Main->GetStatus() : std::string();
}

void TppChildReport::SetStatus(const std::string& Text) {
  auto* Main = dynamic_cast<TppBandedReport*>(GetMainReport());
  if (Main && Main != this) Main->SetStatus(Text);
}

void TppChildReport::Reset() {
  TppCustomReport* Main = GetMainReport();
  if (Main && Main != this)
    Main->Reset();
  else
    TppBandedReport::Reset();
}

void TppChildReport::Cancel() {
  TppProducer::Cancel();
  if (TppCustomEngine* E = Engine()) E->SetStopPrinting(true);
  TppCustomReport* Above = ParentReport();
  if (Above && !dynamic_cast<TppReport*>(Above)) Above->Cancel();
}

void TppChildReport::IncludeEngineState(uint16_t Bits) {
  TppBandedReport::IncludeEngineState(Bits);
  if (auto* Above = dynamic_cast<TppBandedReport*>(ParentReport())) Above->IncludeEngineState(Bits);
}

void TppChildReport::ExcludeEngineState(uint16_t Bits) {
  TppBandedReport::ExcludeEngineState(Bits);
  if (auto* Above = dynamic_cast<TppBandedReport*>(ParentReport())) Above->ExcludeEngineState(Bits);
}

void TppChildReport::SetModified(bool Value) {
  TppBandedReport::SetModified(Value);
  if (!SaveAsTemplate() && ParentReport()) ParentReport()->SetModified(Value);
}
