#include "platform/printing/Printers.h"

#include "platform/graphics/Canvas.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/PrintingConsts.h"

TPrinter::TPrinter() { Refresh(); }

TPrinter::~TPrinter() { Abort(); }

void TPrinter::Refresh() {
  std::string Selected = FIndex >= 0 && FDriver ? FDriver->Name() : std::string();
  FDrivers = InstalledPrinters();
  FNames.clear();
  for (const auto& D : FDrivers) FNames.push_back(D->Name());
  int Found = -1;
  for (size_t I = 0; I < FNames.size(); ++I)
    if (!Selected.empty() && FNames[I] == Selected) Found = static_cast<int>(I);
  if (!FJob) SetPrinterIndex(Found);
}

int TPrinter::PrinterIndex() const {
  if (FIndex >= 0) return FIndex;
  for (size_t I = 0; I < FDrivers.size(); ++I)
    if (FDrivers[I] == FDriver) return static_cast<int>(I);
  return -1;
}

void TPrinter::SetPrinterIndex(int Index) {
  if (FJob) throw EPrinter(SPrinting);
  if (Index < -1 || Index >= static_cast<int>(FDrivers.size())) throw EPrinter(SPrinterIndexError);
  std::shared_ptr<TPrinterDriver> D;
  if (Index >= 0) {
    D = FDrivers[static_cast<size_t>(Index)];
  } else {
    std::string Default = DefaultPrinterName();
    for (const auto& Candidate : FDrivers)
      if (Candidate->Name() == Default) D = Candidate;
    if (!D && !FDrivers.empty()) D = FDrivers.front();
  }
  FIndex = Index;
  if (D != FDriver) {
    FDriver = std::move(D);
    FModeValid = false;
  }
}

std::string TPrinter::PrinterName() const { return FDriver ? FDriver->Name() : std::string(); }

const TDeviceMode& TPrinter::DeviceMode() {
  if (!FModeValid) {
    FMode = FDriver ? FDriver->DefaultDeviceMode() : TDeviceMode{};
    FModeValid = true;
  }
  return FMode;
}

void TPrinter::SetDeviceMode(const TDeviceMode& Mode) {
  FMode = Mode;
  FModeValid = true;
}

void TPrinter::ResetDeviceMode() {
  if (FJob) throw EPrinter(SPrinting);
  FModeValid = false;
}

TDeviceCaps TPrinter::DeviceCaps() { return FDriver ? FDriver->DeviceCaps(DeviceMode()) : TDeviceCaps{}; }

TDeviceCaps TPrinter::DeviceCaps(const TDeviceMode& Mode) {
  return FDriver ? FDriver->DeviceCaps(Mode) : TDeviceCaps{};
}

TDriverCapabilities TPrinter::Capabilities() { return FDriver ? FDriver->Capabilities() : TDriverCapabilities{}; }

std::vector<TPaperForm> TPrinter::Forms() { return FDriver ? FDriver->Forms() : std::vector<TPaperForm>{}; }

bool TPrinter::SetForm(const TPaperForm& Form) { return FDriver && FDriver->SetForm(Form); }

std::vector<TPaperInfo> TPrinter::Papers() { return FDriver ? FDriver->Papers() : std::vector<TPaperInfo>{}; }

std::vector<TBinInfo> TPrinter::Bins() { return FDriver ? FDriver->Bins() : std::vector<TBinInfo>{}; }

void TPrinter::CheckPrinting() const {
  if (!FJob) throw EPrinter(SNotPrinting);
}

void TPrinter::BeginDoc() {
  if (FJob) throw EPrinter(SPrinting);
  if (!FDriver) throw EPrinter(SNoDefaultPrinter);
  FAborted = false;
  FJob = FDriver->StartDoc(DeviceMode(), FTitle);
  FPageNumber = 1;
  AttachCanvas();
}

void TPrinter::NewPage() {
  CheckPrinting();
  DetachCanvas();
  FJob->NewPage(DeviceMode());
  ++FPageNumber;
  AttachCanvas();
}

void TPrinter::EndDoc() {
  CheckPrinting();
  DetachCanvas();
  auto Job = std::move(FJob);
  FPageNumber = 0;
  Job->End();
}

void TPrinter::Abort() {
  if (!FJob) return;
  DetachCanvas();
  auto Job = std::move(FJob);
  FPageNumber = 0;
  FAborted = true;
  Job->Abort();
}

TDeviceContext* TPrinter::DeviceContext() const { return FJob ? &FJob->DeviceContext() : nullptr; }

TCanvas* TPrinter::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TCanvas>();
  return FCanvas.get();
}

void TPrinter::AttachCanvas() { Canvas()->SetHandle(&FJob->DeviceContext()); }

// The page's device context ends with the page: the canvas lets go of it first.
void TPrinter::DetachCanvas() {
  if (FCanvas) FCanvas->SetHandle(nullptr);
}

namespace {
TPrinter* GlobalPrinter = nullptr;
}

TPrinter* Printer() { return GlobalPrinter; }

void CreateGlobalPrinter() {
  if (!GlobalPrinter) GlobalPrinter = new TPrinter;
}

void FreeGlobalPrinter() {
  delete GlobalPrinter;
  GlobalPrinter = nullptr;
}
