#include "lxreport/LXPrntr.h"

#include <algorithm>
#include <cmath>

#include "lxreport/LXConsts.h"
#include "lxreport/LXError.h"
#include "platform/app/Application.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/RtlMath.h"

std::function<void(TLXPrinter*)> LXPreviewInterface;

namespace {
// Stored pages are measured on the screen.
long double ScreenFactor() { return ScreenPixelsPerInch() / 254.0L; }
}  // namespace

const TClassInfo& TLXPrinter::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXPrinter>("TLXPrinter", &TPersistent::StaticClassInfo());
  return Info;
}

TLXPrinter::TLXPrinter(TComponent* Owner) {
  auto* Report = dynamic_cast<ILXPrinterOwner*>(Owner);
  if (Report) {
    const TLXPrinterSettings* S = Report->ReportPrinterSettings();
    FUseStandardPrinter = S && S->UseStandardprinter();
    FOwnerReport = Owner;
  }
  if (FUseStandardPrinter) {
    CreateGlobalPrinter();
    FPrinter = ::Printer();
  } else {
    FOwnPrinter = std::make_unique<TPrinter>();
    FPrinter = FOwnPrinter.get();
  }
  FPrintersAvailable = !FPrinter->Printers().empty();
  FPrinterSettings = std::make_unique<TPrinterSettings>(Report ? Owner : nullptr);
  if (Report) {
    FPrinterSettings->OnGetPrinterSettings = [Report](TPrinterSettings* S, bool& Cancel, TDeviceMode* M) {
      Report->GetPrinterSettings(S, Cancel, M);
    };
    FPrinterSettings->OnApplyPrinterSettings = [Report](TPrinterSettings* S, bool& Cancel, TDeviceMode* M) {
      Report->ApplyPrinterSettings(S, Cancel, M);
    };
  }
  if (FPrintersAvailable) {
    FPrinterSettings->SetPrinter(FPrinter);
    ProcessMessages();
    if (TPrinter* Global = ::Printer(); Global && Global != FPrinter) {
      int Index = Global->PrinterIndex();
      if (Index >= 0 && Index < static_cast<int>(FPrinter->Printers().size())) FPrinter->SetPrinterIndex(Index);
    }
  }
  FTopWaste = FPrinterSettings->TopOffset();
  FLeftWaste = FPrinterSettings->LeftOffset();
  FPageList = std::make_unique<TLXPageList>();
}

TLXPrinter::~TLXPrinter() {
  if (auto* Report = dynamic_cast<ILXPrinterOwner*>(FOwnerReport)) Report->PrinterFreed(this);
  if (FStatus != lxsReady) Cleanup();
  if (auto* View = dynamic_cast<ILXPrinterView*>(FindMessageTarget(FStatusWindow))) View->PrinterFreed(this);
}

void TLXPrinter::DetachReport() {
  FOwnerReport = nullptr;
  FParentReport = 0;
  AfterPrint = nullptr;
  AfterPreview = nullptr;
  OnExportToFilter = nullptr;
  OnPreview = nullptr;
  OnPrintSetup = nullptr;
  FPrinterSettings->OnGetPrinterSettings = nullptr;
  FPrinterSettings->OnApplyPrinterSettings = nullptr;
  FPrinterSettings->SetOwner(nullptr);
}

void TLXPrinter::Cleanup() {
  if (FStatus == lxsBusy) Cancel();
  // A run left open ends here: the canvas lets go of its page first.
  FCanvas = nullptr;
  FMetafileCanvas.reset();
  FPageMetafile.reset();
  if (FJobOpen) {
    FPrinter->Abort();
    FJobOpen = false;
  }
  FPageList->SetStream(nullptr);
  FPageList->Clear();
  FStatus = lxsReady;
}

void TLXPrinter::ProcessMessages() {
  if (Application) Application->ProcessMessages();
}

// ---- Coordinates

int32_t TLXPrinter::XPos(long double X) const { return static_cast<int32_t>(Round((X - FLeftWaste) * FXFactor)); }
int32_t TLXPrinter::YPos(long double Y) const { return static_cast<int32_t>(Round((Y - FTopWaste) * FYFactor)); }
int32_t TLXPrinter::XSize(long double W) const { return static_cast<int32_t>(Round(W * FXFactor)); }
int32_t TLXPrinter::YSize(long double H) const { return static_cast<int32_t>(Round(H * FYFactor)); }

// ---- Settings

void TLXPrinter::SetPrinterIndex(int32_t I) {
  if (!FPrintersAvailable || FUseStandardPrinter) return;
  FPrinter->SetPrinterIndex(I);
  ResetDriver(FPrinter);
  FPrinterSettings->ReadFromDriver();
}

void TLXPrinter::SetCompression(bool B) {
  FCompression = B;
  FPageList->SetCompression(B);
}

int32_t TLXPrinter::GetLeftWaste() const { return FDestination == lxdPrinter ? FPrinterSettings->LeftOffset() : 0; }
int32_t TLXPrinter::GetTopWaste() const { return FDestination == lxdPrinter ? FPrinterSettings->TopOffset() : 0; }

int32_t TLXPrinter::PaperWidthValue() const {
  bool Landscape = FPrinterSettings->Orientation() == 1;
  return Landscape ? FPrinterSettings->GetPaperLength() : FPrinterSettings->GetPaperWidth();
}

int32_t TLXPrinter::PaperLengthValue() const {
  bool Landscape = FPrinterSettings->Orientation() == 1;
  return Landscape ? FPrinterSettings->GetPaperWidth() : FPrinterSettings->GetPaperLength();
}

// ---- Generation run

void TLXPrinter::BeginDoc() {
  if (FStatus != lxsReady) throw ELXError(SLXPrinterNotReady);
  FPageMetafile.reset();
  FAvailablePages = 0;
  FCancelled = false;
  if (FDestination == lxdPrinter) FPrinterSettings->ApplyToDriver();
  FTopWaste = GetTopWaste();
  FLeftWaste = GetLeftWaste();
  FPageNumber = 0;
  FPageCount = 0;
  FStatus = lxsBusy;
  if (FDestination == lxdMetafile) {
    FPageList->SetStream(std::make_unique<TLXStream>(100000));
    FPageList->Clear();
    FPageList->SetCompression(FCompression);
    FXFactor = FYFactor = ScreenFactor();
  } else {
    TDeviceCaps C = FPrinter->DeviceCaps();
    FXFactor = C.PixelsPerInchX / 254.0L;
    FYFactor = C.PixelsPerInchY / 254.0L;
  }
}

bool TLXPrinter::PageInRange() const {
  return !((FFirstPage > 0 && FFirstPage > FPageCount) || (FLastPage > 0 && FLastPage < FPageCount));
}

void TLXPrinter::OpenMetafilePage() {
  FPageMetafile = std::make_unique<TMetafile>();
  FXFactor = FYFactor = ScreenFactor();
  FPageMetafile->SetWidth(XSize(PaperWidthValue()));
  FPageMetafile->SetHeight(YSize(PaperLengthValue()));
  FMetafileCanvas = std::make_unique<TMetafileCanvas>(*FPageMetafile);
  FCanvas = FMetafileCanvas.get();
}

// Ends the recording; a stored page goes to the page list, a scratch page is dropped.
void TLXPrinter::CloseMetafilePage(bool Keep) {
  FCanvas = nullptr;
  FMetafileCanvas.reset();
  if (Keep && FPageMetafile) FPageList->AddPage(*FPageMetafile);
  FPageMetafile.reset();
}

// One page break of the printer per page: the job begins with the first
// printed page and each later printed page starts with the printer's NewPage.
void TLXPrinter::OpenPrinterPage() {
  if (FJobOpen) {
    FPrinter->NewPage();
  } else {
    FPrinter->SetTitle(FTitle);
    FPrinter->BeginDoc();
    FJobOpen = true;
  }
  FCanvas = FPrinter->Canvas();
  FCanvas->Refresh();
  TDeviceCaps C = FPrinter->DeviceCaps();
  FXFactor = C.PixelsPerInchX / 254.0L;
  FYFactor = C.PixelsPerInchY / 254.0L;
}

void TLXPrinter::NewPage() {
  if (FStatus != lxsBusy) throw ELXError(SLXIllegalNewPage);
  if (FPageNumber > 0) {
    if (FDestination == lxdMetafile) CloseMetafilePage(true);
    else if (FPageMetafile) CloseMetafilePage(false);
    else FCanvas = nullptr;
    SetAvailablePages(FAvailablePages + 1);
  }
  ++FPageCount;
  ++FPageNumber;
  if (FDestination == lxdMetafile) OpenMetafilePage();
  else if (PageInRange()) OpenPrinterPage();
  else OpenMetafilePage();
}

void TLXPrinter::RestartScratchPage() {
  if (FStatus != lxsBusy || !FPageMetafile) return;
  CloseMetafilePage(false);
  OpenMetafilePage();
}

void TLXPrinter::EndDoc() {
  if (FStatus != lxsBusy) return;
  if (FDestination == lxdMetafile) {
    if (FPageCount > 0) CloseMetafilePage(true);
  } else {
    if (FPageMetafile) CloseMetafilePage(false);
    FCanvas = nullptr;
    if (FJobOpen) {
      FJobOpen = false;
      // A job the spooler refuses ends the run all the same; the error goes to the caller.
      TOnException Finished([this] { FStatus = lxsFinished; });
      FPrinter->EndDoc();
    }
  }
  FStatus = lxsFinished;
  ProcessMessages();
  SetAvailablePages(FAvailablePages + 1);
  if (FDestination == lxdMetafile) FPageList->Finish();
  else if (AfterPrint) AfterPrint(this);
}

void TLXPrinter::AbortDoc() {
  if (FDestination == lxdPrinter) {
    if (FPageMetafile) CloseMetafilePage(false);
    FCanvas = nullptr;
    if (FJobOpen) {
      FJobOpen = false;
      FPrinter->Abort();
    }
  } else if (FStatus == lxsBusy) {
    if (FPageMetafile) CloseMetafilePage(true);
    FPageList->Finish();
  }
  FStatus = lxsFinished;
}

void TLXPrinter::SetProgress(int32_t P) {
  FProgress = P;
  if (FStatusWindow) PostMessage(FStatusWindow, WM_LXPROGRESS, static_cast<WPARAM>(P), 0);
}

void TLXPrinter::SetAvailablePages(int32_t N) {
  FAvailablePages = N;
  if (FStatusWindow) PostMessage(FStatusWindow, WM_LXPAGEAVAILABLE, static_cast<WPARAM>(N), 0);
}

// ---- Finished pages

std::unique_ptr<TMetafile> TLXPrinter::GetPage(int32_t N) {
  if ((FStatus != lxsBusy && FStatus != lxsFinished) || N < 1 || N > FPageCount) return nullptr;
  if (FPageWalk) {
    ProcessMessages();  // the progress window's cancel button
    if (FCancelled) ::Abort();
    auto Percent = static_cast<int32_t>(static_cast<int64_t>(N) * 100 / FPageCount);
    if (Percent != FProgress) SetProgress(Percent);
  }
  return FPageList->GetPage(N);
}

void TLXPrinter::BeginPageWalk() {
  FPageWalk = true;
  FCancelled = false;
  FProgress = 0;
}

void TLXPrinter::SetPageNumber(int32_t N) {
  // The new number is what must lie among the pages: after Load the old one is 0.
  if (N < 1 || N > FPageCount) return;
  FCurrentPage.reset();
  FCurrentPage = GetPage(N);
  FPageNumber = N;
}

void TLXPrinter::Load(const std::string& FileName) {
  // Everything that can fail happens on a list of its own; the pages held now
  // stay until the new file has been opened and its first page read.
  auto List = std::make_unique<TLXPageList>();
  List->LoadFromFile(FileName);
  long double Factor = ScreenFactor();
  TPaperGuess Paper;
  if (std::unique_ptr<TMetafile> First = List->GetPage(1)) Paper = GuessPaper(*First, Factor);  // may raise

  if (FStatus != lxsReady) Cleanup();
  FPageList = std::move(List);
  FPageCount = FPageList->PageCount();
  FPageNumber = 0;
  FCurrentPage.reset();
  FXFactor = FYFactor = Factor;
  if (Paper.Found) {
    FPrinterSettings->SetPaperSize(Paper.Size);
    FPrinterSettings->SetOrientation(Paper.Landscape ? 1 : 0);
  }
  FStatus = lxsFinished;
  OnPrintSetup = nullptr;
  OnExportToFilter = nullptr;
  FPrepared = true;
}

// The paper and orientation of a page, from its size. Rows are matched within
// 2 mm, the closest first; papers of the same size keep the first row (A4
// rather than A4 Small, Letter rather than Note) and a square paper ends in
// landscape. Counting in whole 4-mm steps instead misses sizes whose rounded
// pixel width falls just short of a step (an A3 page measures 104 steps, not 105).
TLXPrinter::TPaperGuess TLXPrinter::GuessPaper(const TMetafile& Page, long double Factor) {
  long double W = Page.Width() / Factor, H = Page.Height() / Factor;  // tenths of a millimetre
  constexpr long double Tolerance = 20;
  long double Best = Tolerance;
  TPaperGuess Guess;
  for (int S = static_cast<int>(TLXPaperSize::Letter); S <= static_cast<int>(TLXPaperSize::ESheet); ++S) {
    const TLXPaperDimensions& D = LXPaperDimensions(static_cast<TLXPaperSize>(S));
    long double Pw = 10 * D.Width, Pl = 10 * D.Length;
    long double Portrait = std::max(std::fabs(W - Pw), std::fabs(H - Pl));
    long double Landscape = std::max(std::fabs(W - Pl), std::fabs(H - Pw));
    if (Landscape <= Portrait && Landscape < Best) {
      Best = Landscape, Guess = {true, static_cast<TLXPaperSize>(S), true};
    } else if (Portrait < Best) {
      Best = Portrait, Guess = {true, static_cast<TLXPaperSize>(S), false};
    }
  }
  return Guess;
}

void TLXPrinter::Save(const std::string& FileName) {
  if (FStatus == lxsFinished) FPageList->SaveToFile(FileName);
}

bool TLXPrinter::Print() {
  if (FParentReport && !FPrepared && !FPrinterSettings->PrintMetafile() && FStatus == lxsFinished) {
    PostMessage(FParentReport, WM_LXPRINT, 0, 0);
    return false;
  }
  if (FStatus != lxsFinished || !FPrintersAvailable) return false;
  int32_t First = FFirstPage > 0 ? FFirstPage : 1;
  // Past the last stored page there is nothing to print.
  int32_t Last = FLastPage > 0 && FLastPage < FPageCount ? FLastPage : FPageCount;
  if (First > Last) return false;  // no job, so no blank sheet
  FPrinter->SetTitle(FTitle);
  if (FPrinter->Printing()) FPrinter->Abort();
  FPrinterSettings->ApplyToDriver();
  FPrinter->BeginDoc();
  // A cancel belongs to one print; an earlier one must not stop this one.
  FCancelled = false;
  {
    // A page that cannot be read or drawn ends the job unprinted: a report
    // missing its later pages must not reach the paper as if it were whole.
    TOnException AbortJob([&] { FPrinter->Abort(); });
    for (int32_t I = First; I <= Last; ++I) {
      ProcessMessages();
      SetPageNumber(I);  // the page is read and decoded once, into CurrentPage
      if (FCurrentPage)
        FPrinter->Canvas()->StretchDraw(Rect(0, 0, FPrinter->PageWidth(), FPrinter->PageHeight()), *FCurrentPage);
      if (I < Last) FPrinter->NewPage();
      if (FCancelled) {
        FPrinter->Abort();
        break;
      }
    }
  }
  if (!FPrinter->Printing()) return false;
  FPrinter->EndDoc();
  return true;
}

void TLXPrinter::Preview() {
  if (OnPreview) OnPreview(this);
  else if (LXPreviewInterface) LXPreviewInterface(this);
}

void TLXPrinter::ExportToFilter(TLXExportFilter* Filter) {
  if (OnExportToFilter) OnExportToFilter(Filter);
}

void TLXPrinter::PrintSetup() {
  if (OnPrintSetup) OnPrintSetup();
}

void TLXPrinter::ClosePreview(TComponent*) {
  if (FParentReport) SendMessage(FParentReport, WM_LXPREVIEWCLOSED, 0, reinterpret_cast<LPARAM>(this));
}

void TLXPrinter::SetShowingPreview(bool B) {
  bool Was = FShowingPreview;
  TFinally Set([&] { FShowingPreview = B; });  // also when AfterPreview raises
  if (Was && !B) {
    if (FStatus == lxsBusy) Cancel();
    if (AfterPreview) AfterPreview(this);
  }
}
