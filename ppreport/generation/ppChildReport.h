#pragma once
// TppChildReport: the banded report inside a sub-report. It has its own bands, groups, pipeline
// and engine, but the sub-report drives its engine; what belongs to the whole document (the main
// report, status, resets, cancelling, modification, sub-report names, section states) is passed
// up to the report above it.
#include "ppreport/generation/ppReport.h"

class TppChildReport : public TppBandedReport {
  DECLARE_CLASSINFO(TppChildReport)
public:
  explicit TppChildReport(TComponent* AOwner);
  ~TppChildReport() override;

  bool IsChildReport() const override { return true; }
  // Leaves the old sub-report, joins the new one (AttachReport on both).
  void SetParent(TppRelative* NewParent) override;
  void Transfer(TPersistent* Source) override;
  void PrinterSetupChanged() override;
  // A setup differing from the parent report's turns the sub-report's ParentPrinterSetup off.
  void CheckParentPrinterSetup();
  // The main report of the report of the band holding the sub-report; null outside one.
  TppCustomReport* GetMainReport() override;
  using TppCustomReport::GetMainReport;
  std::string GetReportCaption() const override;
  std::string GetUniqueUserName(const TComponent* Component) const override;
  std::string GetStatus() const override;
  void SetStatus(const std::string& Text) override;
  // The main report resets (which resets every engine of the tree).
  void Reset() override;
  // Stops this engine, then cancels upwards until the top report (cancelled by its caller).
  void Cancel() override;
  void IncludeEngineState(uint16_t Bits) override;
  void ExcludeEngineState(uint16_t Bits) override;
  void SetModified(bool Value) override;
};
