#include "ppreport/core/ppPrinter.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "platform/app/Dialogs.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppPaper.h"
#include "ppreport/core/ppPrinterSetupRTTI.h"
#include "ppreport/core/ppUnits.h"

namespace {
std::atomic<TppPrinter*> SharedInstance{nullptr};

TDeviceCaps ScreenCaps() {
  TDeviceCaps C;
  C.PixelsPerInchX = C.PixelsPerInchY = ScreenPixelsPerInch();
  return C;
}

bool IsBlackOrWhite(TColor Color) {
  TColorRef Rgb = ColorToRGB(Color) & 0xFFFFFF;
  return Rgb == 0 || Rgb == 0xFFFFFF;
}
}  // namespace

// ---- TppPrinterCanvas

void TppPrinterCanvas::UpdateFont() {
  int Ppi = FPrinter.GetPixelsPerInch().Y;
  if (Ppi > 0 && Ppi != Font().PixelsPerInch()) {
    int Points = Font().Size();
    Font().SetPixelsPerInch(Ppi);
    Font().SetSize(Points);
  }
  if (!FPrinter.GetIsColor() && !IsBlackOrWhite(Font().Color())) Font().SetColor(clBlack);
}

void TppPrinterCanvas::CreateHandle() {
  UpdateFont();
  SetHandle(FPrinter.GetDC());
}

// ---- TppCustomPrinter

TppCustomPrinter::TppCustomPrinter() : FInfoBitmap(1, 1) {}

TppCustomPrinter::~TppCustomPrinter() {
  TLock L(FLock);
  if (FJobOpen && FHandle) FHandle->Abort();
  if (FCanvas) FCanvas->SetHandle(nullptr);
  FDC = nullptr;
  FInfoDC.reset();
  FHandle.reset();
  FDevMode.reset();
  FCanvas.reset();
}

bool TppCustomPrinter::Printing() const {
  TLock L(FLock);
  return FPrinting;
}

bool TppCustomPrinter::PageStarted() const {
  TLock L(FLock);
  return FPageStarted;
}

int TppCustomPrinter::PageNumber() const {
  TLock L(FLock);
  return FPageNumber;
}

bool TppCustomPrinter::IsScreen() const { return dynamic_cast<TppScreenPrinterInfo*>(FPrinterInfo.get()) != nullptr; }

// ---- jobs and pages

template <class F>
void TppCustomPrinter::Spool(F&& Action) {
  try {
    Action();
  } catch (const EPrinter& E) {
    DropJob();
    throw EPrintError(E.Message());
  } catch (...) {
    DropJob();
    throw;
  }
}

// Ends the job without handing anything to the spooler.
void TppCustomPrinter::DropJob() {
  if (FJobOpen && FHandle) FHandle->Abort();
  FJobOpen = false;
  FPrinting = false;
  FPageStarted = false;
  FPageNumber = 0;
  FDevModeChanged = false;
  FreeDC();
}

void TppCustomPrinter::BeginDoc() {
  TLock L(FLock);
  if (FPrinting) return;
  FreeDC();
  FPrinting = true;
  FPageNumber = 0;
  FPageStarted = false;
  FJobOpen = false;
  TOnException Undo([this] { DropJob(); });
  GetPrinterInfo();
  if (IsScreen()) throw EPrintError(SppScreenPrinting);
  GetDC();  // a printer that cannot be opened raises here, before anything is drawn
  if (!GetPrinterHandle() || !GetDevMode())
    throw EPrintError(ppErrorText("TppCustomPrinter", "BeginDoc", SppPrinterUnavailable));
  ResetDC();
}

void TppCustomPrinter::EndDoc() {
  TLock L(FLock);
  if (!FPrinting) return;
  EndPage();
  bool JobOpen = FJobOpen;
  FJobOpen = false;
  TFinally Idle([this] {
    FreeDC();
    FPrinting = false;
    FPageStarted = false;
    FPageNumber = 0;
    FDevModeChanged = false;
  });
  if (!JobOpen) return;
  // A refused or incomplete job is the caller's error, not a printed document.
  try {
    FHandle->EndDoc();
  } catch (const EPrinter& E) {
    throw EPrintError(E.Message());
  }
}

void TppCustomPrinter::AbortDoc() {
  TLock L(FLock);
  if (FPrinting) DropJob();
}

void TppCustomPrinter::StartPage() {
  TLock L(FLock);
  if (!FPrinting || FPageStarted) return;
  Spool([this] {
    FPageStarted = true;
    if (FDevModeChanged) ResetDC();
    TPrinter* H = GetPrinterHandle();
    if (!H) throw EPrintError(ppErrorText("TppCustomPrinter", "StartPage", SppPrinterUnavailable));
    if (!FJobOpen) {
      H->SetTitle(FDocumentName);
      H->BeginDoc();
      FJobOpen = true;
    } else {
      H->NewPage();
    }
    ++FPageNumber;
    // The page's own context replaces the information context until the page ends.
    if (FCanvas) FCanvas->SetHandle(nullptr);
    FInfoDC.reset();
    FDC = H->DeviceContext();
    UpdateDeviceCaps();
    if (FCanvas) {
      FCanvas->UpdateFont();
      FCanvas->SetHandle(FDC);
    }
  });
}

void TppCustomPrinter::EndPage() {
  TLock L(FLock);
  if (!FPrinting || !FPageStarted) return;
  FPageStarted = false;
  FreeDC();
}

void TppCustomPrinter::ResetDC() {
  TLock L(FLock);
  if (!FPrinting) return;
  FDevModeChanged = false;
  // The platform's job takes a device mode with the next page it opens.
  if (TPrinter* H = GetPrinterHandle(); H && GetDevMode()) H->SetDeviceMode(*FDevMode);
  if (!FPageStarted) FreeDC();
  UpdateDeviceCaps();
  if (FCanvas) FCanvas->UpdateFont();
}

// ---- printer choice and device mode

std::string TppCustomPrinter::PrinterName() const {
  TLock L(FLock);
  return FPrinterName;
}

std::string TppCustomPrinter::GetPrinterName() const {
  TLock L(FLock);
  return FPrinterName == "Default" ? GetPrinterList()->DefaultPrinterName() : FPrinterName;
}

void TppCustomPrinter::SetPrinterName(const std::string& Name) {
  TLock L(FLock);
  if (FPrinting) return;
  TppPrinterList* List = GetPrinterList();
  if (Name == "Default") List->GetDefaultPrinterName();
  std::shared_ptr<TppPrinterInfo> Info = List->GetPrinterInfo(Name, false);
  if (!Info || !Info->IsValid()) Info = List->GetPrinterInfo("Screen", false);
  if (!Info || Info == FPrinterInfo) return;
  FreeHandles();
  FPrinterName = Info->Name();
  FPrinterInfo = Info;
}

std::string TppCustomPrinter::DocumentName() const {
  TLock L(FLock);
  return FDocumentName;
}

void TppCustomPrinter::SetDocumentName(const std::string& Value) {
  TLock L(FLock);
  FDocumentName = Value;
}

std::shared_ptr<TppPrinterInfo> TppCustomPrinter::GetPrinterInfo() {
  TLock L(FLock);
  if (!FPrinterInfo) FPrinterInfo = GetPrinterList()->GetPrinterInfo(FPrinterName);
  return FPrinterInfo;
}

TppPrinterCapabilities* TppCustomPrinter::GetCapabilities() {
  TLock L(FLock);
  std::shared_ptr<TppPrinterInfo> Info = GetPrinterInfo();
  return Info ? Info->GetCapabilities() : nullptr;
}

TPrinter* TppCustomPrinter::GetPrinterHandle() {
  TLock L(FLock);
  if (FHandle) return FHandle.get();
  std::shared_ptr<TppPrinterInfo> Info = GetPrinterInfo();
  if (!Info || IsScreen() || Info->Device().empty()) return nullptr;
  auto Handle = std::make_unique<TPrinter>();
  const auto& Names = Handle->Printers();
  auto It = std::find(Names.begin(), Names.end(), Info->Device());
  if (It == Names.end()) return nullptr;
  Handle->SetPrinterIndex(static_cast<int>(It - Names.begin()));
  FHandle = std::move(Handle);
  return FHandle.get();
}

TDeviceMode* TppCustomPrinter::GetDevMode() {
  TLock L(FLock);
  if (FDevMode) return FDevMode.get();
  TPrinter* H = GetPrinterHandle();
  if (!H) return nullptr;
  TDeviceMode Mode = H->DeviceMode();
  if (Mode.Fields == 0) return nullptr;  // the driver gave no settings
  FDevMode = std::make_unique<TDeviceMode>(Mode);
  FDefaultSource = Mode.DefaultSource;
  return FDevMode.get();
}

std::unique_ptr<TDeviceMode> TppCustomPrinter::CopyDevMode() {
  TLock L(FLock);
  TDeviceMode* M = GetDevMode();
  return M ? std::make_unique<TDeviceMode>(*M) : nullptr;
}

void TppCustomPrinter::SetDevMode(const TDeviceMode& Mode) {
  TLock L(FLock);
  if (!FDevMode) GetDevMode();  // keeps the driver's default bin
  FDevMode = std::make_unique<TDeviceMode>(Mode);
  if (FPrinting)
    FDevModeChanged = true;
  else
    FreeDC();
}

bool TppCustomPrinter::DevModeChanged() const {
  TLock L(FLock);
  return FDevModeChanged;
}

int16_t TppCustomPrinter::DefaultSource() const {
  TLock L(FLock);
  return FDefaultSource;
}

// The dialog runs without the lock, so a worker printing meanwhile is not held up by a person.
bool TppCustomPrinter::ShowPrinterProperties() {
  TPrinterSetupData Data;
  TDeviceMode Shown;
  {
    TLock L(FLock);
    TDeviceMode* M = GetDevMode();
    if (!M) return false;
    Shown = *M;
    Data.PrinterName = GetPrinterName();
    Data.DeviceMode = Shown;
  }
  if (!ExecuteDialog(Data)) return false;
  SetDevMode(TakeDeviceModeFields(Shown, Data.DeviceMode, DeviceModeDifferences(Shown, Data.DeviceMode)));
  if (OnDevModeChange) OnDevModeChange(this);
  return true;
}

void TppCustomPrinter::SetCustomPaperForm(const std::string& Name, TSize Size, TRect ImageableArea) {
  TLock L(FLock);
  TPrinter* H = GetPrinterHandle();
  if (!H) return;
  TPaperForm Form{Name, Size.cx, Size.cy, ImageableArea.Left, ImageableArea.Top, ImageableArea.Right,
                  ImageableArea.Bottom};
  for (const TPaperForm& F : H->Forms())
    if (F.Name == Name && F == Form) return;
  H->SetForm(Form);
}

// ---- device context and measures

void TppCustomPrinter::CreateDC() {
  std::shared_ptr<TppPrinterInfo> Info = GetPrinterInfo();
  if (Info && Info->IsValid() && IsScreen()) {
    if (FPrinting) throw EPrintError(SppScreenPrinting);
    FCaps = ScreenCaps();
  } else {
    TPrinter* H = Info && Info->IsValid() ? GetPrinterHandle() : nullptr;
    TDeviceMode* M = H ? GetDevMode() : nullptr;
    TDeviceCaps Caps;
    if (M) Caps = FPrinting ? H->DeviceCaps() : H->DeviceCaps(*M);
    if (Caps.PixelsPerInchX <= 0 || Caps.PixelsPerInchY <= 0) {
      // The printer cannot be opened: never again from this list, and outside a job the screen
      // measures instead.
      if (Info) Info->SetIsValid(false);
      if (FPrinting) throw EPrintError(ppErrorText("TppCustomPrinter", "GetDC", SppPrinterUnavailable));
      SetPrinterName("Screen");
      if (!IsScreen()) throw EPrintError(ppErrorText("TppCustomPrinter", "GetDC", SppPrinterUnavailable));
      FCaps = ScreenCaps();
    } else {
      FCaps = Caps;
    }
  }
  FInfoDC = CreateBitmapDC(FInfoBitmap, FCaps.PixelsPerInchX, FCaps.PixelsPerInchY);
  FDC = FInfoDC.get();
  FCapsValid = true;
  if (FCanvas && FCanvas->Handle()) FCanvas->SetHandle(FDC);
}

TDeviceContext* TppCustomPrinter::GetDC() {
  TLock L(FLock);
  if (!FDC) CreateDC();
  return FDC;
}

void TppCustomPrinter::UpdateDeviceCaps() {
  TLock L(FLock);
  if (IsScreen()) {
    FCaps = ScreenCaps();
  } else if (TPrinter* H = GetPrinterHandle()) {
    TDeviceMode* M = GetDevMode();
    if (FPrinting)
      FCaps = H->DeviceCaps();
    else if (M)
      FCaps = H->DeviceCaps(*M);
  }
  FCapsValid = true;
}

bool TppCustomPrinter::GetIsColor() {
  TLock L(FLock);
  GetDC();
  return FCaps.IsColor;
}

TRect TppCustomPrinter::GetUnprintableMargins() {
  TLock L(FLock);
  GetDC();
  const TDeviceCaps& C = FCaps;
  return Rect(C.PhysicalOffsetX, C.PhysicalOffsetY, C.PhysicalWidth - C.PhysicalOffsetX - C.PageWidth,
              C.PhysicalHeight - C.PhysicalOffsetY - C.PageHeight);
}

TPoint TppCustomPrinter::GetPixelsPerInch() const {
  TLock L(FLock);
  // Conversions ask this and never raise: a printer without a context counts at the screen's.
  try {
    const_cast<TppCustomPrinter*>(this)->GetDC();
  } catch (const Exception&) {
    return Point(ScreenPixelsPerInch(), ScreenPixelsPerInch());
  }
  return Point(FCaps.PixelsPerInchX, FCaps.PixelsPerInchY);
}

TSize TppCustomPrinter::GetPhysicalSize() {
  TLock L(FLock);
  GetDC();
  return TSize{FCaps.PhysicalWidth, FCaps.PhysicalHeight};
}

TSize TppCustomPrinter::GetPrintableSize() {
  TLock L(FLock);
  GetDC();
  return TSize{FCaps.PageWidth, FCaps.PageHeight};
}

TppPrinterCanvas* TppCustomPrinter::GetCanvas() {
  TLock L(FLock);
  if (!FCanvas) FCanvas = std::make_unique<TppPrinterCanvas>(*this);
  return FCanvas.get();
}

TCanvas* TppCustomPrinter::MeasuringCanvas() {
  if (IsScreen() || !GetDC()) return nullptr;
  return GetCanvas();
}

void TppCustomPrinter::FreeDC() {
  TLock L(FLock);
  if (FCanvas) FCanvas->SetHandle(nullptr);
  FDC = nullptr;
  FInfoDC.reset();
  FCapsValid = false;
}

void TppCustomPrinter::FreeDevMode() {
  TLock L(FLock);
  FDevMode.reset();
  FDevModeChanged = false;
  if (FHandle && !FPrinting) FHandle->ResetDeviceMode();
}

void TppCustomPrinter::ClosePrinterHandle() {
  TLock L(FLock);
  if (FPrinting) return;
  FHandle.reset();
  FPrinterInfo.reset();
}

void TppCustomPrinter::FreeHandles() {
  TLock L(FLock);
  if (FPrinting) return;
  FreeDC();
  FreeDevMode();
  ClosePrinterHandle();
}

// ---- TppPrinter

TppPrinter::TppPrinter() : FPrinterSetup(std::make_unique<TppPrinterSetup>()) {
  FPrinterSetup->OnLayoutChange = [this](TObject*) { ApplySetupToDevMode(); };
  FPrinterSetup->OnPrinterSetupChange = [this](TObject*) { ApplySetupToDevMode(); };
  FPrinterSetup->OnGetPrinter = [this](TObject*, TppCustomPrinter*& Printer) { Printer = this; };
}

TppPrinter::~TppPrinter() {
  FPrinterSetup->OnLayoutChange = nullptr;
  FPrinterSetup->OnPrinterSetupChange = nullptr;
  FPrinterSetup->OnGetPrinter = nullptr;
}

void TppPrinter::SetPrinterSetup(const TppPrinterSetup& Setup) {
  TLock L(FLock);
  std::shared_ptr<TppPrinterInfo> Info = GetPrinterInfo();
  bool OtherPrinter = Info && Info->Name() != Setup.PrinterDescription();
  if (!OtherPrinter && Setup.IsEqual(*FPrinterSetup)) return;
  if (!Printing() && OtherPrinter) FPrinterSetup->SetPrinterName(Setup.PrinterName());
  FPrinterSetup->SetChangeTracking(false);
  TFinally Track([this] { FPrinterSetup->SetChangeTracking(true); });
  FPrinterSetup->Assign(&Setup);
  ApplySetupToDevMode();
}

void TppPrinter::GetPaperSizeInTenths(int& Width, int& Height) {
  TppPageDef* Def = FPrinterSetup->PageDef();
  auto Tenths = [](int32_t Microns) {
    return static_cast<int>(std::clamp<int64_t>(Round(Microns / 100.0L), 0, 32767));
  };
  int W = Tenths(Def->mmWidth()), H = Tenths(Def->mmHeight());
  if (FPrinterSetup->Orientation() == poLandscape) std::swap(W, H);
  Width = W;
  Height = H;
}

void TppPrinter::ApplySetupToDevMode() {
  TLock L(FLock);
  TppPrinterSetup& S = *FPrinterSetup;
  bool Tracking = S.ChangeTracking();
  S.SetChangeTracking(false);
  TFinally Track([&S, Tracking] { S.SetChangeTracking(Tracking); });

  SetPrinterName(S.PrinterName());
  SetDocumentName(S.DocumentName());
  std::unique_ptr<TDeviceMode> Mode = CopyDevMode();
  if (!Mode) return;

  const std::string Paper = S.PaperName();
  const int Code = S.GetPaperSizeCode();
  // Only these fields are set; what else the driver had flagged is left to its defaults.
  Mode->Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DUPLEX;
  Mode->Copies = 1;  // the printer device makes the copies
  Mode->Duplex = static_cast<int16_t>(S.Duplex() + 1);
  Mode->Orientation = static_cast<int16_t>(S.Orientation() + 1);
  Mode->PaperSize = static_cast<int16_t>(Code);
  if (Paper == "Custom" || Code == ppCustomPaperCode) {
    int W, H;
    GetPaperSizeInTenths(W, H);
    Mode->Fields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    Mode->PaperWidth = static_cast<int16_t>(W);
    Mode->PaperLength = static_cast<int16_t>(H);
  }
  if (Paper == "Custom") {
    // A size of the user's own travels as a form of that name; the form field is flagged so that
    // the driver reads the name.
    TppPageDef* Def = S.PageDef();
    int32_t W = Def->mmWidth(), H = Def->mmHeight();
    if (S.Orientation() == poLandscape) std::swap(W, H);
    SetCustomPaperForm(Paper, TSize{W, H}, Rect(0, 0, W, H));
    Mode->FormName = Paper;
    Mode->Fields |= DM_FORMNAME;
  }
  if (TppPrinterCapabilities* Caps = GetCapabilities()) {
    int Bin = Caps->BinNames.IndexOf(S.BinName());
    if (Bin >= 0 && Bin < Caps->Bins.Count()) {
      Mode->DefaultSource = S.BinName() == "Default" ? DefaultSource()
                                                     : static_cast<int16_t>(StrToIntDef(Caps->Bins.Get(Bin), 0));
      Mode->Fields |= DM_DEFAULTSOURCE;
    }
  }
  SetDevMode(*Mode);
}

TppPrinterSetup* TppPrinter::GetPrinterSetup() {
  TLock L(FLock);
  TppPrinterSetup& S = *FPrinterSetup;
  bool Tracking = S.ChangeTracking();
  S.SetChangeTracking(false);
  TFinally Track([&S, Tracking] { S.SetChangeTracking(Tracking); });

  std::unique_ptr<TDeviceMode> Mode = CopyDevMode();
  if (!Mode) return &S;
  if (PrinterName() != S.PrinterName()) S.SetPrinterName(PrinterName());
  if (Mode->Has(DM_DUPLEX)) S.SetDuplex(static_cast<TppDuplexType>(std::clamp(Mode->Duplex - 1, 0, 2)));
  if (Mode->Has(DM_ORIENTATION))
    S.SetOrientation(Mode->Orientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait);
  TppPrinterCapabilities* Caps = GetCapabilities();
  const bool Landscape = S.Orientation() == poLandscape;
  auto SetSize = [&S, Landscape](int W, int H) {
    if (W <= 0 || H <= 0) return;
    if (Landscape) std::swap(W, H);
    S.SetmmPaperSize(W * 100, H * 100);
  };
  if (Mode->Has(DM_PAPERSIZE) && Caps) {
    int I = Caps->Papers.IndexOf(IntToStr(Mode->PaperSize));
    if (I >= 0 && I < Caps->PaperNames.Count()) {
      S.SetPaperName(Caps->PaperNames.Get(I));
      // The listed size is exact; the mode's own size stands for papers listed without one.
      int W = StrToIntDef(Caps->PaperWidths.Get(I), 0), H = StrToIntDef(Caps->PaperHeights.Get(I), 0);
      if (W <= 0 || H <= 0) {
        W = Mode->PaperWidth;
        H = Mode->PaperLength;
      }
      SetSize(W, H);
    }
  }
  if (Mode->Has(DM_PAPERSIZE) && Mode->PaperSize == ppCustomPaperCode) SetSize(Mode->PaperWidth, Mode->PaperLength);
  if (Mode->Has(DM_DEFAULTSOURCE) && Caps) {
    if (Mode->DefaultSource == DefaultSource()) {
      S.SetBinName("Default");
    } else {
      int I = Caps->Bins.IndexOf(IntToStr(Mode->DefaultSource));
      if (I >= 0 && I < Caps->BinNames.Count()) S.SetBinName(Caps->BinNames.Get(I));
    }
  }
  return &S;
}

// ---- the shared printer and the unit

TppPrinter* GetSharedPrinter() {
  if (TppPrinter* P = SharedInstance.load(std::memory_order_acquire)) return P;
  TLock G(ppPrinterUnitLock());
  if (!SharedInstance.load(std::memory_order_relaxed) && GetPrinterList()->GetCount() >= 3)
    SharedInstance.store(new TppPrinter, std::memory_order_release);
  return SharedInstance.load(std::memory_order_relaxed);
}

void FreeSharedPrinter() {
  TLock G(ppPrinterUnitLock());
  delete SharedInstance.exchange(nullptr);
}

void InitializePrinterUnit() { TraRTTIClassRegistry::RegisterRTTIClass(TraTppPrinterSetupRTTI()); }

void FinalizePrinterUnit() {
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppPrinterSetupRTTI());
  FreeSharedPrinter();
  FreePrinterList();
}
