// Band printing and the page and column layout of a run: the report's cursor (page, column,
// x, y), the fit test, new columns and pages with their headers and footers, and the export
// filter's page and band calls. Lengths are tenths of a millimetre; only the printer's
// XPos/YPos turn them into device pixels.
#include "lxreport/LXController.h"
#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXExport.h"
#include "lxreport/LXPrintable.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/Application.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/RtlMath.h"

namespace {
int32_t R32(long double X) { return static_cast<int32_t>(Round(X)); }

bool NeverBreaks(TLXBandType T) { return T == rbTitle || T == rbPageHeader || T == rbPageFooter || T == rbOverlay; }

bool Designing(const TComponent* C) { return C->HasState(csDesigning); }

// Far more links than a report has: longer is a loop the setters missed.
constexpr int MaxLinks = 1 << 16;
}  // namespace

// ---- TCustomVexaRep

void TCustomVexaRep::MeasurePageFooter() {
  FFooterSpace = 0;
  for (int I = 0; I < ControlCount(); ++I) {
    auto* B = dynamic_cast<TLXCustomBand*>(Controls(I));
    if (!B || B->BandType() != rbPageFooter || !B->Enabled()) continue;
    FFooterSpace += B->Size()->Height();
    int Steps = 0;
    for (TLXCustomBand* C = B->FindChild(); C && Steps < MaxLinks; C = C->FindChild(), ++Steps)
      FFooterSpace += C->Size()->Height();
  }
  FFooterHeight = FFooterSpace;
}

int32_t TCustomVexaRep::RunPaperLength() const {
  // The printer holds every paper, a custom one too, as it stands in portrait.
  const TLXPrinter* P = FActivePrinter;
  return P->GetOrientation() == poLandscape ? P->GetPaperWidth() : P->GetPaperLength();
}

int32_t TCustomVexaRep::RoomLeft() const {
  if (FIdle || FCurrentY == -1 || !FActivePrinter) return 0;
  if (FExporting && FExportFilter->GetStreaming()) return R32(FActivePrinter->GetPaperLength());
  return R32(RunPaperLength() - FPage->BottomMargin() - FFooterSpace - FCurrentY);
}

void TCustomVexaRep::PlaceBand(TLXCustomBand* Band) {
  if (!Band) return;
  // A band as wide as the margins comes after the columns: at the left margin, below them all.
  TLXBandType T = Band->BandType();
  if (FPage->Columns() > 1 && FPageNumber > 0 && T != rbPageHeader && T != rbPageFooter && FullWidthBand(Band)) {
    FCurrentX = R32(FPage->LeftMargin());
    FCurrentY = std::max(FCurrentY, FColumnsBottom);
  }
  Band->Render();
}

void TCustomVexaRep::ReserveBottomBand(TLXCustomBand* Band) {
  // Without a footer on the last page the summary may use the footer's room, so it is the
  // last page when the summary fits there. The footer of a page closed before still prints
  // in its own place (ClosePage), whatever room is left to the summary.
  if (Band->BandType() == rbSummary && !HasOption(LastPageFooter)) FFooterSpace = 0;
}

void TCustomVexaRep::BandPlaced(TLXCustomBand* Band) {
  FStartPending = false;
  // Only the band right after the title or column header absorbs a forced page break.
  FSkipNextPageBreak = false;
  if (!Band->AlignToBottom()) return;
  // On the page the band has landed on, as low as the bottom margin and the footers allow.
  long double H = Band->Size()->Height();
  int64_t Need = Round(H + FPage->BottomMargin() + FFooterSpace);
  int64_t Paper = RunPaperLength();
  if (Need <= Paper - FCurrentY)
    FCurrentY = static_cast<int32_t>(Paper - Round(H) - Round(FPage->BottomMargin() + FFooterSpace));
}

void TCustomVexaRep::StoreColumnNumber() { TLXEvEnvironment::StoreInteger(FColumnNumberEntry, FColumnNumber); }

void TCustomVexaRep::AdvanceColumn() {
  int32_t Columns = FPage->Columns();
  // The run's first band begins a page: a column needs a page, and a run that goes on with
  // another's page has no column of its own above it to move beside.
  bool Start = FStartPending || FPageNumber == 0;
  if (FColumnNumber >= Columns || Start) {
    FColumnNumber = 1;
    FCurrentX = R32(FPage->LeftMargin());
    AdvancePage();
  } else {
    int64_t W;
    if (TLXCustomBand* Detail = BandOfType(rbDetail)) {
      W = Round(Detail->Size()->Width());
    } else {
      int64_t Full = Round(FPage->Width() - (FPage->LeftMargin() + FPage->RightMargin()));
      W = (Full - int64_t(Columns - 1) * Round(FPage->ColumnSpace())) / Columns;
    }
    FCurrentX = static_cast<int32_t>(FCurrentX + W + Round(FPage->ColumnSpace()));
    FCurrentY = FColumnTop;
    ++FColumnNumber;
  }
  StoreColumnNumber();
  // On the run's first page the controller prints the column header itself, after the title.
  if (!Start) {
    PlaceBand(BandOfType(rbColumnHeader));
    FController->ReprintGroupHeaders();
  }
}

void TCustomVexaRep::AdvancePage() {
  bool Start = FStartPending;
  ClosePage();
  if (FExporting) FExportFilter->NewPage();
  ++FPageNumber;
  TLXEvEnvironment::StoreInteger(FPageNumberEntry, FPageNumber);
  if (FRendering || FPageNumber == 1) FActivePrinter->NewPage();
  // An export run draws every page on one scratch page: it starts empty again, or what it
  // records grows with the page count.
  else FActivePrinter->RestartScratchPage();
  FCurrentY = R32(FPage->TopMargin());
  if (OnStartPage && !Designing(this)) OnStartPage(this);
  if (FPageNumber > 1 || HasOption(FirstPageHeader)) PlaceBand(BandOfType(rbPageHeader));
  FColumnTop = FColumnsBottom = FCurrentY;
  // The title prints on the run's first page before the columns start.
  if (Start)
    if (TLXCustomBand* Title = BandOfType(rbTitle)) FColumnTop += R32(Title->Size()->Height());
}

void TCustomVexaRep::ClosePage() {
  if (FPageNumber > 0) {
    FCurrentY = R32(FPage->Length() - FPage->BottomMargin() - FFooterHeight);
    FCurrentX = R32(FPage->LeftMargin());
    if (!FFinalPage || HasOption(LastPageFooter)) PlaceBand(BandOfType(rbPageFooter));
    DrawPageFrame();
    if (OnEndPage && !Designing(this)) OnEndPage(this);
  }
  if (FExporting) FExportFilter->EndPage();
}

void TCustomVexaRep::DrawPageFrame() {
  for (int I = 0; I < ControlCount(); ++I)
    if (auto* P = PrintableOf(Controls(I))) P->PrintAt(0, 0);
  if (!FRendering) return;
  TLXPrinter* P = FActivePrinter;
  TRect R = Rect(P->XPos(FPage->LeftMargin()), P->YPos(FPage->TopMargin()),
                 P->XPos(FPage->Width() - FPage->RightMargin()), P->YPos(FPage->Length() - FPage->BottomMargin()));
  Frame()->DrawOn(*P->Canvas(), R, P->XFactor(), P->YFactor());
}

void TCustomVexaRep::ForcedPageBreak() {
  if (FSkipNextPageBreak) {
    FSkipNextPageBreak = false;
    return;
  }
  do AdvanceColumn();
  while (FColumnNumber != 1);
}

void TCustomVexaRep::BreakToNewPage() {
  FColumnNumber = FPage->Columns();
  AdvanceColumn();
}

void TCustomVexaRep::ForcedColumnBreak() {
  if (FColumnBreakArmed || FColumnNumber > 1) AdvanceColumn();
  else FColumnBreakArmed = true;  // the first one met in column 1 is absorbed
}

// ---- TLXCustomBand

long double TLXCustomBand::HeightWithLinks() const {
  // Each band of the chain once: the control's pixels are the same height again.
  long double H = FSize->Height();
  int Steps = 0;
  for (const TLXCustomBand* L = FLinkBand; L && L != this && Steps < MaxLinks; L = L->FLinkBand, ++Steps)
    H += L->FSize->Height();
  return H;
}

void TLXCustomBand::EnsureRoom() {
  TCustomVexaRep* R = FReport;
  int64_t H = Round(HeightWithLinks());
  TLXPage* Page = R->Page();
  bool Fits = FBandType == rbPageFooter || H <= R->RoomLeft() ||
              H > Page->Length() - (Page->TopMargin() + Page->BottomMargin());
  if (Fits && R->PageNumber() != 0) {
    if (FBandType == rbDetail) R->SetBreakInProgress(false);
    return;
  }
  R->SetBreakInProgress(FBandType == rbDetail);
  // A band across the columns cannot move beside them: it goes to the next page.
  if (R->Page()->Columns() > 1 && TCustomVexaRep::FullWidthBand(this)) R->BreakToNewPage();
  else R->AdvanceColumn();
}

void TLXCustomBand::Advance(long double Saved) {
  TCustomVexaRep* R = FReport;
  R->SetCurrentY(static_cast<int32_t>(R->CurrentY() + Round(FSize->Height() + Expanded)));
  R->NoteBandBottom(R->CurrentY());
  if (FSize->Height() != Saved) FSize->SetHeight(Saved);
}

bool TLXCustomBand::HasRoomFor(long double Amount) const {
  if (!FReport) return false;
  return Round(FSize->Height() + Expanded + Amount) <= static_cast<int64_t>(FReport->RoomLeft());
}

bool TLXCustomBand::GrowBy(long double& NewExpanded, bool& HasGrown, long double Amount) {
  if (!HasRoomFor(Amount)) return false;
  if (!HasGrown && Amount < Expanded) {
    NewExpanded = Expanded;
    HasGrown = true;
    return true;
  }
  Expanded += Amount;
  NewExpanded = Expanded;
  HasGrown = true;
  return false;
}

void TLXCustomBand::Render() {
  TCustomVexaRep* R = FReport;
  if (!R) return;
  bool Print = Enabled();
  int32_t StartX = R->CurrentX(), StartY = R->CurrentY();
  if (Enabled() && BeforePrint && !Designing(this)) BeforePrint(this, Print);
  if (!Print) {
    if (FController && !Enabled()) FController->NotifyTargets(0);
  } else {
    if (FAlignToBottom) R->ReserveBottomBand(this);
    if (FForceNewPage && !R->BreakInProgress() && !NeverBreaks(FBandType) && R->PageNumber() > 0) {
      R->ForcedPageBreak();
      R->SetBreakInProgress(false);
    } else if (FForceNewColumn && !NeverBreaks(FBandType) && R->PageNumber() > 0) {
      R->ForcedColumnBreak();
    } else {
      EnsureRoom();
    }
    R->BandPlaced(this);
    if (FController) FController->NotifyTargets(0);
    TLXPrinter* P = R->ActivePrinter();
    auto Place = [&](long double Height) {
      OutputRect = Rect(P->XPos(R->CurrentX()), P->YPos(R->CurrentY()), P->XPos(R->CurrentX() + FSize->Width()),
                        P->YPos(R->CurrentY() + Height));
    };
    Place(FSize->Height());
    if (Height() != 0 && Enabled()) {
      if (R->Rendering()) {
        TCanvas* C = P->Canvas();
        C->Brush().SetColor(Color());
        C->Brush().SetStyle(bsSolid);
        C->FillRect(OutputRect);
      }
      Expanded = 0;
      long double Saved = FSize->Height();
      bool First = true;
      for (;;) {
        bool Done = true;
        for (int I = 0; I < ControlCount(); ++I) {
          auto* Printable = PrintableOf(Controls(I));
          if (!Printable || !Printable->Enabled()) continue;
          if (First || !Printable->Finished()) Printable->PrintAt(R->CurrentX(), R->CurrentY());
          Done = Done && Printable->Finished();
        }
        if (R->Rendering()) {
          P = R->ActivePrinter();
          Place(FSize->Height() + Expanded + 1);
          Frame()->DrawOn(*P->Canvas(), OutputRect, P->XFactor(), P->YFactor());
        }
        if (Done) break;
        // Content left over continues on the next column; a cancel ends a band that never finishes.
        if (Application) Application->ProcessMessages();
        if (R->Cancelled() || R->ActivePrinter()->Cancelled()) break;
        R->SetBreakInProgress(true);
        R->AdvanceColumn();
        R->SetBreakInProgress(false);
        if (FSize->Height() != Saved) FSize->SetHeight(Saved);
        Expanded = 0;
        First = false;
        P = R->ActivePrinter();
      }
      Advance(Saved);
    }
  }
  if (R->Exporting()) R->ExportFilter()->AcceptBand(this, StartX, StartY, Expanded);
  if (AfterPrint && !Designing(this)) AfterPrint(this, Print);
  if (TLXCustomBand* Child = FindChild()) {
    // A page footer's child prints as a page footer (it never breaks the page).
    TLXBandType ChildType = Child->FBandType;
    if (FBandType == rbPageFooter) Child->FBandType = rbPageFooter;
    TFinally Back([&] { Child->FBandType = ChildType; });
    R->PlaceBand(Child);
  }
  R->SetBreakInProgress(false);
}
