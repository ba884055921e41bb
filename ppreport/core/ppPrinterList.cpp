#include "ppreport/core/ppPrinterList.h"

#include <algorithm>

#include "platform/printing/PrinterList.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppPaper.h"
#include "ppreport/core/ppPrinter.h"

namespace {
constexpr char CustomPaperName[] = "Custom";
constexpr char DefaultBinName[] = "Default";
constexpr int DefaultBinCode = 7;  // automatic selection

std::atomic<TppPrinterList*> ListInstance{nullptr};
std::shared_ptr<TppPrinterInfo> NoPrinterInstance;

std::string UpperAscii(std::string S) {
  for (char& C : S)
    if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 'a' + 'A');
  return S;
}

bool SameTextIgnoringCase(const std::string& A, const std::string& B) { return UpperAscii(A) == UpperAscii(B); }

void DeleteAt(TStringList& L, int I) {
  if (I < L.Count()) L.Delete(I);
}

void MoveToEnd(TStringList& L, int I) {
  if (I < L.Count()) {
    std::string S = L.Get(I);
    L.Delete(I);
    L.Add(S);
  }
}
}  // namespace

// ---- TppPrinterInfo

TppPrinterInfo::TppPrinterInfo(std::string Name, std::string Driver, std::string Device, std::string Port)
    : FName(std::move(Name)), FDriver(std::move(Driver)), FDevice(std::move(Device)), FPort(std::move(Port)) {}

TppPrinterInfo::~TppPrinterInfo() {
  TLock L(FLock);
  FCapabilities.reset();
}

TppPrinterCapabilities* TppPrinterInfo::GetCapabilities() {
  TLock L(FLock);
  if (!FCapabilities) {
    auto Caps = std::make_unique<TppPrinterCapabilities>();
    Caps->PrinterName = FName;
    ReadCapabilities(*Caps);
    NormaliseCapabilities(*Caps);
    FCapabilities = std::move(Caps);
  }
  return FCapabilities.get();
}

void TppPrinterInfo::ReadCapabilities(TppPrinterCapabilities& Caps) {
  if (FDevice.empty()) return;
  std::shared_ptr<TPrinterDriver> Driver;
  for (const auto& D : InstalledPrinters())
    if (D->Name() == FDevice) Driver = D;
  if (!Driver) return;
  TDriverCapabilities C = Driver->Capabilities();
  for (const std::string& N : C.PaperNames) Caps.PaperNames.Add(N);
  for (int Code : C.PaperCodes) Caps.Papers.Add(IntToStr(Code));
  for (const TPaperSize& S : C.PaperSizes) {
    Caps.PaperWidths.Add(IntToStr(S.Width));
    Caps.PaperHeights.Add(IntToStr(S.Height));
  }
  for (const std::string& N : C.BinNames) Caps.BinNames.Add(N);
  for (int Code : C.BinCodes) Caps.Bins.Add(IntToStr(Code));
}

void TppPrinterInfo::NormaliseCapabilities(TppPrinterCapabilities& Caps) {
  TStringList &Names = Caps.PaperNames, &Codes = Caps.Papers, &Widths = Caps.PaperWidths,
              &Heights = Caps.PaperHeights;
  // Names line up with codes: surplus names go, missing ones are made from the code (or the size).
  if (Names.Count() > Codes.Count()) {
    while (Names.Count() > Codes.Count()) Names.Delete(Names.Count() - 1);
  } else if (Names.Count() < Codes.Count()) {
    Names.Clear();
    for (int I = 0; I < Codes.Count(); ++I) {
      int Code = StrToIntDef(Codes.Get(I), 0);
      std::string Name = BuiltInPaperName(Code);
      if (Name == "Unknown") {
        if (I < Widths.Count() && I < Heights.Count())
          Name = PaperSizeText(StrToIntDef(Widths.Get(I), 0), StrToIntDef(Heights.Get(I), 0));
        else
          Name = "Unknown: " + Codes.Get(I);
      }
      Names.Add(Name);
    }
  }
  // The custom paper: code 256, else the first name that says so.
  int Custom = Codes.IndexOf(IntToStr(ppCustomPaperCode));
  if (Custom < 0)
    for (int I = 0; I < Names.Count() && Custom < 0; ++I) {
      std::string U = UpperAscii(Names.Get(I));
      if (U.find("CUSTOM") != std::string::npos || U.find("USER") != std::string::npos) Custom = I;
    }
  if (Custom >= 0) {
    Names.Put(Custom, CustomPaperName);
    if (Codes.Count() < Names.Count()) Codes.Add(IntToStr(ppCustomPaperCode));
  } else {
    Names.Add(CustomPaperName);
    Codes.Add(IntToStr(ppCustomPaperCode));
  }
  // Sizes line up too: a paper without a listed size takes its code's; surplus sizes go.
  while (Widths.Count() > Codes.Count()) Widths.Delete(Widths.Count() - 1);
  while (Heights.Count() > Codes.Count()) Heights.Delete(Heights.Count() - 1);
  for (int I = 0; I < Codes.Count(); ++I) {
    if (I < Widths.Count() && I < Heights.Count()) continue;
    int W, H;
    BuiltInPaperSize(StrToIntDef(Codes.Get(I), 0), W, H);
    if (I >= Widths.Count()) Widths.Add(IntToStr(W));
    if (I >= Heights.Count()) Heights.Add(IntToStr(H));
  }
  // No paper without a size, except the custom one.
  for (int I = Codes.Count() - 1; I >= 0; --I) {
    if (I < Names.Count() && Names.Get(I) == CustomPaperName) continue;
    if (Widths.Get(I) == "0" || Heights.Get(I) == "0") {
      DeleteAt(Names, I);
      DeleteAt(Codes, I);
      DeleteAt(Widths, I);
      DeleteAt(Heights, I);
    }
  }
  // The custom paper last.
  int Last = Names.IndexOf(CustomPaperName);
  if (Last >= 0) {
    MoveToEnd(Names, Last);
    MoveToEnd(Codes, Last);
    MoveToEnd(Widths, Last);
    MoveToEnd(Heights, Last);
  }
  // Bins: the shorter list decides; "Default" (automatic selection) comes first when missing.
  while (Caps.BinNames.Count() > Caps.Bins.Count()) Caps.BinNames.Delete(Caps.BinNames.Count() - 1);
  while (Caps.Bins.Count() > Caps.BinNames.Count()) Caps.Bins.Delete(Caps.Bins.Count() - 1);
  if (Caps.BinNames.IndexOf(DefaultBinName) < 0) {
    Caps.BinNames.Insert(0, DefaultBinName);
    Caps.Bins.Insert(0, IntToStr(DefaultBinCode));
  }
}

// ---- TppScreenPrinterInfo

TppScreenPrinterInfo::TppScreenPrinterInfo() : TppPrinterInfo("Screen", "", "Screen", "") {}

void TppScreenPrinterInfo::ReadCapabilities(TppPrinterCapabilities& Caps) {
  Caps.BinNames.Add(DefaultBinName);
  Caps.Bins.Add(IntToStr(DefaultBinCode));
  for (int Code : {ppCustomPaperCode, 1, 5, 8, 9, 17, 39, 40, 19, 20, 21, 22, 23}) {
    int W, H;
    BuiltInPaperSize(Code, W, H);
    Caps.PaperNames.Add(BuiltInPaperName(Code));
    Caps.Papers.Add(IntToStr(Code));
    Caps.PaperWidths.Add(IntToStr(W));
    Caps.PaperHeights.Add(IntToStr(H));
  }
}

// ---- TppPrinterList

TppPrinterList::TppPrinterList() {
  RefreshPrinters();
  GetDefaultPrinterName();
}

TppPrinterList::~TppPrinterList() {
  TLock L(FLock);
  FInfos.clear();
  FNames.Clear();
}

int TppPrinterList::GetCount() {
  TLock L(FLock);
  return FNames.Count();
}

std::vector<std::string> TppPrinterList::Names() {
  TLock L(FLock);
  std::vector<std::string> V;
  for (int I = 0; I < FNames.Count(); ++I) V.push_back(FNames.Get(I));
  return V;
}

std::shared_ptr<TppPrinterInfo> TppPrinterList::Find(const std::string& Name) {
  int I = FNames.IndexOf(Name);
  return I < 0 ? nullptr : FInfos[static_cast<size_t>(I)];
}

std::shared_ptr<TppPrinterInfo> TppPrinterList::GetPrinterInfo(const std::string& Name, bool FallBackToDefault) {
  TLock L(FLock);
  if (Name == "Default") return Find(FDefaultPrinterName);
  if (auto Info = Find(Name)) return Info;
  // "<device> on <port>", as print dialogs describe a printer.
  if (size_t On = Name.find(" on"); On != std::string::npos)
    if (auto Info = Find(PrinterNameForDevice(Name.substr(0, On)))) return Info;
  return FallBackToDefault ? Find(FDefaultPrinterName) : nullptr;
}

std::string TppPrinterList::GetDefaultPrinterName() {
  TLock L(FLock);
  std::string Device = ::DefaultPrinterName();
  if (Device.empty()) Device = "Screen";
  FDefaultPrinterName = PrinterNameForDevice(Device);
  return FDefaultPrinterName;
}

std::string TppPrinterList::DefaultPrinterName() {
  TLock L(FLock);
  return FDefaultPrinterName;
}

std::string TppPrinterList::PrinterNameForDevice(const std::string& DeviceName) {
  TLock L(FLock);
  for (const auto& Info : FInfos)
    if (!Info->Device().empty() && SameTextIgnoringCase(Info->Device(), DeviceName)) return Info->Name();
  return {};
}

void TppPrinterList::RefreshPrinters() {
  FreeSharedPrinter();
  TLock L(FLock);
  FInfos.clear();
  FNames.Clear();
  FNames.Add("Default");
  FInfos.push_back(std::make_shared<TppPrinterInfo>("Default", "", "", ""));
  FNames.Add("Screen");
  FInfos.push_back(std::make_shared<TppScreenPrinterInfo>());
  ::RefreshPrinters();
  for (const auto& D : InstalledPrinters()) {
    if (FNames.IndexOf(D->Name()) >= 0) continue;  // one entry per name
    FNames.Add(D->Name());
    FInfos.push_back(std::make_shared<TppPrinterInfo>(D->Name(), D->DriverName(), D->Name(), D->PortName()));
  }
}

// ---- process-wide objects

TCriticalSection& ppPrinterUnitLock() {
  static TCriticalSection Lock;
  return Lock;
}

TppPrinterList* GetPrinterList() {
  if (TppPrinterList* L = ListInstance.load(std::memory_order_acquire)) return L;
  TLock G(ppPrinterUnitLock());
  if (!ListInstance.load(std::memory_order_relaxed)) ListInstance.store(new TppPrinterList, std::memory_order_release);
  return ListInstance.load(std::memory_order_relaxed);
}

std::shared_ptr<TppPrinterInfo> GetNoPrinterInfo() {
  TLock G(ppPrinterUnitLock());
  if (!NoPrinterInstance)
    NoPrinterInstance = std::make_shared<TppPrinterInfo>("No Printer Installed", "None", "None", "");
  return NoPrinterInstance;
}

void FreePrinterList() {
  TLock G(ppPrinterUnitLock());
  delete ListInstance.exchange(nullptr);
  NoPrinterInstance.reset();
}

bool PrinterListExists() { return ListInstance.load() != nullptr; }
