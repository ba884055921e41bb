#pragma once
// TLXCompositeReport: several reports in one print job and one preview. The
// application adds the member reports in OnAddReports; each member's run goes
// on where the one before stopped (page, page number, vertical position) on
// the composite's printer. A headless message window takes the library's
// messages (0x402 print, 0x404 preview closed) on the composite's behalf.
#include <memory>
#include <string>
#include <vector>

#include "lxreport/LXPrinterSettings.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/HeadlessControls.h"

class TLXCompositeReport;
class TLXPrinter;

class TLXCompositeWinControl : public THeadlessWinControl {
  DECLARE_CLASSINFO(TLXCompositeWinControl)
public:
  explicit TLXCompositeWinControl(TLXCompositeReport* Composite);
  TLXCompositeReport* Composite() const { return FComposite; }

protected:
  void WndProc(TMessage& Message) override;
  // Freed first (by a parent): the composite forgets it.
  void Destroying() override;

private:
  friend class TLXCompositeReport;
  TLXCompositeReport* FComposite;
};

class TLXCompositeReport : public TComponent {
  DECLARE_CLASSINFO(TLXCompositeReport)
public:
  explicit TLXCompositeReport(TComponent* AOwner);
  ~TLXCompositeReport() override;

  // Stored pages of every member in a new printer the composite keeps (ActivePrinter).
  void Prepare();
  // The members in one preview on a new printer; waits until the preview closes.
  void Preview();
  // The members as one job on the system's printer (message 0x402 too).
  void PrintComposite();
  // Runs OnAddReports and every member onto ActivePrinter.
  void Build();
  void ApplySettings();

  TLXPrinter* ActivePrinter() const { return FActivePrinter; }
  // Not owning; filled by OnAddReports.
  std::vector<TCustomVexaRep*>& Reports() { return FReports; }
  bool Generating() const { return FGenerating; }
  TCustomVexaRep* CurrentReport() const { return FCurrentReport; }
  TLXCompositeWinControl* MessageWindow() const { return FMessageWindow; }

  uint32_t Options() const { return FOptions; }
  void SetOptions(uint32_t V) { FOptions = V; }
  TLXCompositePrinterSettings* PrinterSettings() const { return FPrinterSettings.get(); }
  void SetPrinterSettings(const TLXCompositePrinterSettings* V);
  const std::string& ReportTitle() const { return FReportTitle; }
  void SetReportTitle(const std::string& V) { FReportTitle = V; }

  TNotifyEvent OnAddReports;
  TNotifyEvent OnFinished;

protected:
  // A member freed leaves the list.
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TLXCompositeWinControl;
  void PreviewClosed();
  TLXPrinter* NewPrinter();
  // Frees the printer once, and no member keeps pointing at it.
  void FreePrinter(TLXPrinter* P);

  std::vector<TCustomVexaRep*> FReports;
  std::unique_ptr<TLXCompositePrinterSettings> FPrinterSettings;
  TLXCompositeWinControl* FMessageWindow = nullptr;
  TLXPrinter* FActivePrinter = nullptr;
  TCustomVexaRep* FCurrentReport = nullptr;
  bool FGenerating = false;
  uint32_t FOptions = LXOption(FirstPageHeader) | LXOption(LastPageFooter);
  std::string FReportTitle;
};
