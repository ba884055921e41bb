#include "ppreport/core/ppPrinterSetup.h"

#include <cstdlib>
#include <utility>

#include "platform/classes/Filer.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppPaper.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppPrinterList.h"

namespace {
constexpr char CustomPaper[] = "Custom";
constexpr int32_t QuarterInch = 6350;

int ToTenths(int32_t Microns) { return static_cast<int>(Round(Microns / 100.0L)); }
}  // namespace

// ---- TppPageDef

const TClassInfo& TppPageDef::StaticClassInfo() {
  using P = TppPageDef;
  static const TClassInfo Info = TClassDef<P>("TppPageDef", &TPersistent::StaticClassInfo())
                                     .Prop("mmHeight", &P::mmHeight, &P::SetmmHeight)
                                     .Prop("mmMarginBottom", &P::mmMarginBottom, &P::SetmmMarginBottom)
                                     .Prop("mmMarginLeft", &P::mmMarginLeft, &P::SetmmMarginLeft)
                                     .Prop("mmMarginRight", &P::mmMarginRight, &P::SetmmMarginRight)
                                     .Prop("mmMarginTop", &P::mmMarginTop, &P::SetmmMarginTop)
                                     .Prop("mmWidth", &P::mmWidth, &P::SetmmWidth);
  return Info;
}

void TppPageDef::Assign(const TPersistent* Source) {
  const auto* D = dynamic_cast<const TppPageDef*>(Source);
  if (!D) {
    TPersistent::Assign(Source);
    return;
  }
  FHeight = D->FHeight;
  FWidth = D->FWidth;
  FMarginLeft = D->FMarginLeft;
  FMarginRight = D->FMarginRight;
  FMarginTop = D->FMarginTop;
  FMarginBottom = D->FMarginBottom;
}

bool TppPageDef::IsEqual(const TppPageDef& O) const {
  return FHeight == O.FHeight && FWidth == O.FWidth && FMarginLeft == O.FMarginLeft &&
         FMarginRight == O.FMarginRight && FMarginTop == O.FMarginTop && FMarginBottom == O.FMarginBottom;
}

TRect TppPageDef::GetPrintableRect() const {
  return Rect(FMarginLeft, FMarginTop, FWidth - FMarginRight, FHeight - FMarginBottom);
}

int TppPageDef::GetspWidth() const {
  return static_cast<int>(ConvertFromMicrons(FWidth, utScreenPixels, ppHorizontal, nullptr));
}

int TppPageDef::GetspHeight() const {
  return static_cast<int>(ConvertFromMicrons(FHeight, utScreenPixels, ppVertical, nullptr));
}

// ---- TppPrinterSetup: construction and state

TppPrinterSetup::TppPrinterSetup(TComponent* Owner)
    : FOwner(Owner), FPageDef(std::make_unique<TppPageDef>()), FScratch(std::make_unique<TppPageDef>()) {
  if (FormatSettings().DecimalSeparator == '.') {
    FPageDef->SetmmWidth(215900);
    FPageDef->SetmmHeight(279401);
  } else {
    FPageDef->SetmmWidth(210000);
    FPageDef->SetmmHeight(297000);
  }
  FPageDef->SetmmMarginLeft(QuarterInch);
  FPageDef->SetmmMarginRight(QuarterInch);
  FPageDef->SetmmMarginTop(QuarterInch);
  FPageDef->SetmmMarginBottom(QuarterInch);
  FPrinterInfo = GetPrinterList()->GetPrinterInfo(FPrinterName);
}

TppPrinterSetup::~TppPrinterSetup() = default;

bool TppPrinterSetup::OwnerReading() const {
  return FOwner && (FOwner->ComponentState() & (csLoading | csReading)) != 0;
}

bool TppPrinterSetup::Active() const {
  TLock L(FLock);
  return FTracking && !OwnerReading();
}

bool TppPrinterSetup::ChangeTracking() const {
  TLock L(FLock);
  return FTracking;
}

void TppPrinterSetup::SetChangeTracking(bool Value) {
  TLock L(FLock);
  FTracking = Value;
}

void TppPrinterSetup::Notify(const TNotifyEvent& Event) {
  if (Event) Event(this);
}

std::shared_ptr<TppPrinterInfo> TppPrinterSetup::PrinterInfo() const {
  TLock L(FLock);
  return FPrinterInfo;
}

std::shared_ptr<TppPrinterInfo> TppPrinterSetup::CapabilityInfo() const {
  return FPrinterInfo ? FPrinterInfo : GetNoPrinterInfo();
}

// Printer pixels are counted at the printer the owner names, else at the shared printer's.
const IppPrinterResolution* TppPrinterSetup::ConversionPrinter() const {
  if (FUnits != utPrinterPixels) return nullptr;
  TppCustomPrinter* Printer = nullptr;
  if (OnGetPrinter) OnGetPrinter(const_cast<TppPrinterSetup*>(this), Printer);
  if (!Printer) Printer = GetSharedPrinter();
  return Printer;
}

float TppPrinterSetup::FromMicrons(int32_t Value, int Axis) const {
  return ConvertFromMicrons(Value, FUnits, Axis, ConversionPrinter());
}

int32_t TppPrinterSetup::ToMicrons(float Value, int Axis) const {
  return ConvertToMicrons(FUnits, Axis, ConversionPrinter(), Value);
}

// ---- getters

std::string TppPrinterSetup::PrinterName() const {
  TLock L(FLock);
  return FPrinterName;
}

std::string TppPrinterSetup::PrinterDescription() const {
  TLock L(FLock);
  return FPrinterName == "Default" ? GetPrinterList()->DefaultPrinterName() : FPrinterName;
}

TStrings* TppPrinterSetup::PrinterNames() const { return GetPrinterList()->PrinterNames(); }

TStrings* TppPrinterSetup::PaperNames() const {
  TLock L(FLock);
  return &CapabilityInfo()->GetCapabilities()->PaperNames;
}

TStrings* TppPrinterSetup::BinNames() const {
  TLock L(FLock);
  return &CapabilityInfo()->GetCapabilities()->BinNames;
}

float TppPrinterSetup::PaperWidth() const {
  TLock L(FLock);
  return FromMicrons(FPageDef->mmWidth(), ppHorizontal);
}

float TppPrinterSetup::PaperHeight() const {
  TLock L(FLock);
  return FromMicrons(FPageDef->mmHeight(), ppVertical);
}

float TppPrinterSetup::MarginLeft() const {
  TLock L(FLock);
  return FromMicrons(FPageDef->mmMarginLeft(), ppHorizontal);
}

float TppPrinterSetup::MarginRight() const {
  TLock L(FLock);
  return FromMicrons(FPageDef->mmMarginRight(), ppHorizontal);
}

float TppPrinterSetup::MarginTop() const {
  TLock L(FLock);
  return FromMicrons(FPageDef->mmMarginTop(), ppVertical);
}

float TppPrinterSetup::MarginBottom() const {
  TLock L(FLock);
  return FromMicrons(FPageDef->mmMarginBottom(), ppVertical);
}

float TppPrinterSetup::PrintableWidth() const {
  TLock L(FLock);
  return FromMicrons(FPageDef->GetmmPrintableWidth(), ppHorizontal);
}

float TppPrinterSetup::PrintableHeight() const {
  TLock L(FLock);
  return FromMicrons(FPageDef->GetmmPrintableHeight(), ppVertical);
}

TPrinterOrientation TppPrinterSetup::Orientation() const {
  TLock L(FLock);
  return FOrientation;
}

std::string TppPrinterSetup::BinName() const {
  TLock L(FLock);
  return FBinName;
}

int TppPrinterSetup::Copies() const {
  TLock L(FLock);
  return FCopies;
}

bool TppPrinterSetup::Collation() const {
  TLock L(FLock);
  return FCollation;
}

TppDuplexType TppPrinterSetup::Duplex() const {
  TLock L(FLock);
  return FDuplex;
}

std::string TppPrinterSetup::DocumentName() const {
  TLock L(FLock);
  return FDocumentName;
}

TppUnitType TppPrinterSetup::Units() const {
  TLock L(FLock);
  return FUnits;
}

// ---- paper names, codes and sizes

void TppPrinterSetup::ResolvePendingPaperCode() const {
  if (FPendingPaperCode == 0) return;
  std::string Name;
  if (PaperNameForCode(FPendingPaperCode, Name)) FPaperName = Name;
  FPendingPaperCode = 0;
}

std::string TppPrinterSetup::ResolvedPaperName() const {
  ResolvePendingPaperCode();
  if (FPaperName == CustomPaper)
    FPaperName = NameForMicrons(FPageDef->mmWidth(), FPageDef->mmHeight(), FOrientation);
  return FPaperName;
}

std::string TppPrinterSetup::PaperName() const {
  TLock L(FLock);
  return ResolvedPaperName();
}

bool TppPrinterSetup::PaperNameForCode(int Code, std::string& Name) const {
  TLock L(FLock);
  if (!FPrinterInfo) return false;
  TppPrinterCapabilities* C = FPrinterInfo->GetCapabilities();
  int I = C->Papers.IndexOf(IntToStr(Code));
  if (I < 0 || I >= C->PaperNames.Count()) return false;
  Name = C->PaperNames.Get(I);
  return true;
}

// Sizes compare as portrait tenths of a millimetre, within a millimetre either way.
std::string TppPrinterSetup::NameForMicrons(int32_t Width, int32_t Height, TPrinterOrientation Orientation) const {
  if (!FPrinterInfo) return FPaperName;
  int W = ToTenths(Width), H = ToTenths(Height);
  if (Orientation == poLandscape) std::swap(W, H);
  TppPrinterCapabilities* C = FPrinterInfo->GetCapabilities();
  for (int I = 0; I < C->PaperWidths.Count() && I < C->PaperHeights.Count(); ++I) {
    int LW = StrToIntDef(C->PaperWidths.Get(I), 0), LH = StrToIntDef(C->PaperHeights.Get(I), 0);
    if (std::abs(LW - W) <= 10 && std::abs(LH - H) <= 10)
      return I < C->PaperNames.Count() ? C->PaperNames.Get(I) : std::string(CustomPaper);
  }
  return CustomPaper;
}

std::string TppPrinterSetup::PaperNameForSize(float Height, float Width) const {
  TLock L(FLock);
  return NameForMicrons(ToMicrons(Width, ppHorizontal), ToMicrons(Height, ppVertical), FOrientation);
}

bool TppPrinterSetup::ListedSize(const std::string& Name, int& Width, int& Height) const {
  if (!FPrinterInfo) return false;
  TppPrinterCapabilities* C = FPrinterInfo->GetCapabilities();
  int I = C->PaperNames.IndexOf(Name);
  if (I < 0) return false;
  Width = I < C->PaperWidths.Count() ? StrToIntDef(C->PaperWidths.Get(I), 0) : 0;
  Height = I < C->PaperHeights.Count() ? StrToIntDef(C->PaperHeights.Get(I), 0) : 0;
  return true;
}

void TppPrinterSetup::PaperSizeForName(const std::string& Name, float& Width, float& Height) const {
  TLock L(FLock);
  int W, H;
  if (!ListedSize(Name, W, H)) return;
  float FW = ConvertFromTenthsMM(W, FUnits, ppHorizontal, ConversionPrinter());
  float FH = ConvertFromTenthsMM(H, FUnits, ppVertical, ConversionPrinter());
  if (FOrientation == poLandscape) std::swap(FW, FH);
  Width = FW;
  Height = FH;
}

int TppPrinterSetup::GetPaperSizeCode() const {
  TLock L(FLock);
  if (!FPrinterInfo) return 0;
  TppPrinterCapabilities* C = FPrinterInfo->GetCapabilities();
  int I = C->PaperNames.IndexOf(ResolvedPaperName());
  if (I < 0) I = C->PaperNames.IndexOf(NameForMicrons(FPageDef->mmWidth(), FPageDef->mmHeight(), FOrientation));
  if (I < 0 || I >= C->Papers.Count()) return ppCustomPaperCode;
  return StrToIntDef(C->Papers.Get(I), ppCustomPaperCode);
}

// ---- setters

bool TppPrinterSetup::Validate(TppPageDef& Candidate) {
  bool Valid = true;
  if (OnPageDefChange && Active()) OnPageDefChange(this, &Candidate, Valid);
  return Valid;
}

bool TppPrinterSetup::ChangeLength(void (TppPageDef::*Setter)(int32_t), int32_t Value) {
  if (!Active()) {
    (FPageDef.get()->*Setter)(Value);
    return false;
  }
  FScratch->Assign(FPageDef.get());
  (FScratch.get()->*Setter)(Value);
  if (!Validate(*FScratch)) return false;
  (FPageDef.get()->*Setter)(Value);
  return true;
}

void TppPrinterSetup::SetPrinterName(const std::string& Value) {
  std::string Paper;
  {
    TLock L(FLock);
    std::string Name = Value == "Current" ? "Default" : Value;
    std::shared_ptr<TppPrinterInfo> Info = GetPrinterList()->GetPrinterInfo(Name);
    if (!Info) return;
    bool WasActive = Active();
    int OldCode = WasActive ? GetPaperSizeCode() : 0;
    FPrinterName = Name == "Default" ? Name : Info->Name();
    FPrinterInfo = Info;
    if (!WasActive) return;
    // The paper follows: the same code on the new printer, else the paper of the same size.
    if (OldCode == 0 || OldCode == ppCustomPaperCode || !PaperNameForCode(OldCode, Paper))
      Paper = NameForMicrons(FPageDef->mmWidth(), FPageDef->mmHeight(), FOrientation);
  }
  SetPaperName(Paper);
  Notify(OnPrinterSetupChange);
}

void TppPrinterSetup::SetPaperName(const std::string& Value) {
  {
    TLock L(FLock);
    if (!Active() || Value == CustomPaper) {
      FPaperName = Value;
      return;
    }
    ResolvePendingPaperCode();
    // An envelope is fed sideways. Width and height are exchanged with the orientation and only
    // once the owner accepts the new page, so a refusal leaves the setup as it was.
    TPrinterOrientation NewOrientation = Value.find("Envelope") != std::string::npos ? poLandscape : FOrientation;
    int32_t W = FPageDef->mmWidth(), H = FPageDef->mmHeight();
    if (NewOrientation != FOrientation) std::swap(W, H);
    if (int LW, LH; ListedSize(Value, LW, LH)) {
      W = LW * 100;
      H = LH * 100;
      if (NewOrientation == poLandscape) std::swap(W, H);
    }
    FScratch->Assign(FPageDef.get());
    FScratch->SetmmWidth(W);
    FScratch->SetmmHeight(H);
    if (!Validate(*FScratch)) return;
    FOrientation = NewOrientation;
    FPaperName = Value;
    FPageDef->SetmmWidth(W);
    FPageDef->SetmmHeight(H);
  }
  Notify(OnLayoutChange);
}

void TppPrinterSetup::SetPaperWidth(float Value) {
  {
    TLock L(FLock);
    if (OwnerReading()) {
      FPendingWidth = Value;
      FHasPendingWidth = true;
      return;
    }
    if (Value < 0) return;
    if (!ChangeLength(&TppPageDef::SetmmWidth, ToMicrons(Value, ppHorizontal))) return;
    FPaperName = NameForMicrons(FPageDef->mmWidth(), FPageDef->mmHeight(), FOrientation);
  }
  Notify(OnLayoutChange);
}

void TppPrinterSetup::SetPaperHeight(float Value) {
  {
    TLock L(FLock);
    if (OwnerReading()) {
      FPendingHeight = Value;
      FHasPendingHeight = true;
      return;
    }
    if (Value < 0) return;
    if (!ChangeLength(&TppPageDef::SetmmHeight, ToMicrons(Value, ppVertical))) return;
    FPaperName = NameForMicrons(FPageDef->mmWidth(), FPageDef->mmHeight(), FOrientation);
  }
  Notify(OnLayoutChange);
}

void TppPrinterSetup::SetmmPaperSize(int32_t Width, int32_t Height) {
  {
    TLock L(FLock);
    if (Width < 0 || Height < 0) return;
    if (Active()) {
      FScratch->Assign(FPageDef.get());
      FScratch->SetmmWidth(Width);
      FScratch->SetmmHeight(Height);
      if (!Validate(*FScratch)) return;
    }
    FPageDef->SetmmWidth(Width);
    FPageDef->SetmmHeight(Height);
    if (!Active()) return;
  }
  Notify(OnLayoutChange);
}

void TppPrinterSetup::SetMarginLeft(float Value) {
  {
    TLock L(FLock);
    if (Value < 0 || !ChangeLength(&TppPageDef::SetmmMarginLeft, ToMicrons(Value, ppHorizontal))) return;
  }
  Notify(OnLayoutChange);
}

void TppPrinterSetup::SetMarginRight(float Value) {
  {
    TLock L(FLock);
    if (Value < 0 || !ChangeLength(&TppPageDef::SetmmMarginRight, ToMicrons(Value, ppHorizontal))) return;
  }
  Notify(OnLayoutChange);
}

void TppPrinterSetup::SetMarginTop(float Value) {
  {
    TLock L(FLock);
    if (Value < 0 || !ChangeLength(&TppPageDef::SetmmMarginTop, ToMicrons(Value, ppVertical))) return;
  }
  Notify(OnLayoutChange);
}

void TppPrinterSetup::SetMarginBottom(float Value) {
  {
    TLock L(FLock);
    if (Value < 0 || !ChangeLength(&TppPageDef::SetmmMarginBottom, ToMicrons(Value, ppVertical))) return;
  }
  Notify(OnLayoutChange);
}

void TppPrinterSetup::SetOrientation(TPrinterOrientation Value) {
  bool Announce;
  {
    TLock L(FLock);
    if (Value == FOrientation) return;
    Announce = Active();
    if (Announce) {
      FScratch->Assign(FPageDef.get());
      FScratch->SetmmWidth(FPageDef->mmHeight());
      FScratch->SetmmHeight(FPageDef->mmWidth());
      if (!Validate(*FScratch)) return;
    }
    FOrientation = Value;
    int32_t W = FPageDef->mmWidth();
    FPageDef->SetmmWidth(FPageDef->mmHeight());
    FPageDef->SetmmHeight(W);
  }
  if (Announce) Notify(OnLayoutChange);
}

// A listed paper takes its listed size exactly (not rounded through the new unit); a size of the
// user's own stays as it is.
void TppPrinterSetup::SetUnits(TppUnitType Value) {
  {
    TLock L(FLock);
    if (Value == FUnits) return;
    FUnits = Value;
    if (!Active()) return;
    if (int W, H; FPaperName != CustomPaper && ListedSize(FPaperName, W, H) && W > 0 && H > 0) {
      if (FOrientation == poLandscape) std::swap(W, H);
      FPageDef->SetmmWidth(W * 100);
      FPageDef->SetmmHeight(H * 100);
    }
  }
  Notify(OnLayoutChange);
}

void TppPrinterSetup::SetBinName(const std::string& Value) {
  {
    TLock L(FLock);
    std::string Name = Value == "Current" ? "Default" : Value;
    if (Name == FBinName) return;
    FBinName = Name;
    if (!Active()) return;
  }
  Notify(OnPrinterSetupChange);
}

void TppPrinterSetup::SetCopies(int Value) {
  {
    TLock L(FLock);
    if (Value < 1 || Value == FCopies) return;
    FCopies = Value;
    if (!Active()) return;
  }
  Notify(OnPrinterSetupChange);
}

void TppPrinterSetup::SetCollation(bool Value) {
  {
    TLock L(FLock);
    if (Value == FCollation) return;
    FCollation = Value;
    if (!Active()) return;
  }
  Notify(OnPrinterSetupChange);
}

void TppPrinterSetup::SetDuplex(TppDuplexType Value) {
  {
    TLock L(FLock);
    if (Value == FDuplex) return;
    FDuplex = Value;
    if (!Active()) return;
  }
  Notify(OnPrinterSetupChange);
}

void TppPrinterSetup::SetDocumentName(const std::string& Value) {
  {
    TLock L(FLock);
    if (Value == FDocumentName) return;
    FDocumentName = Value;
    if (!Active()) return;
  }
  Notify(OnPrinterSetupChange);
}

// ---- copies and comparisons

void TppPrinterSetup::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppPrinterSetup*>(Source);
  if (!S) {
    TPersistent::Assign(Source);
    return;
  }
  if (S == this) return;
  // The source is read under its own lock first, so two setups never wait on each other.
  TppPageDef Def;
  std::string PrinterName, PaperName, BinName, DocumentName;
  bool Collation;
  int Copies;
  TppDuplexType Duplex;
  TPrinterOrientation Orientation;
  TppUnitType Units;
  {
    TLock L(S->FLock);
    Def.Assign(S->FPageDef.get());
    PrinterName = S->FPrinterName;
    PaperName = S->FPaperName;
    BinName = S->FBinName;
    DocumentName = S->FDocumentName;
    Collation = S->FCollation;
    Copies = S->FCopies;
    Duplex = S->FDuplex;
    Orientation = S->FOrientation;
    Units = S->FUnits;
  }
  std::shared_ptr<TppPrinterInfo> Info = GetPrinterList()->GetPrinterInfo(PrinterName);
  TLock L(FLock);
  FPageDef->Assign(&Def);
  FPrinterName = PrinterName;
  FPaperName = PaperName;
  FBinName = BinName;
  FDocumentName = DocumentName;
  FCollation = Collation;
  FCopies = Copies;
  FDuplex = Duplex;
  FOrientation = Orientation;
  FUnits = Units;
  FPrinterInfo = Info;
  FPendingPaperCode = 0;
}

void TppPrinterSetup::CopySettings(const TppPrinterSetup& Source) {
  int Pending;
  {
    TLock L(Source.FLock);
    Pending = Source.FPendingPaperCode;
  }
  Assign(&Source);
  TLock L(FLock);
  FPendingPaperCode = Pending;
}

// The other setup is read under its own lock before this one is taken.
bool TppPrinterSetup::IsEqual(const TppPrinterSetup& O) const {
  if (&O == this) return true;
  TppPageDef Def;
  std::string Printer = O.PrinterDescription(), Bin, Document;
  bool Collation;
  int Copies;
  TppDuplexType Duplex;
  TPrinterOrientation Orientation;
  {
    TLock L(O.FLock);
    Def.Assign(O.FPageDef.get());
    Bin = O.FBinName;
    Document = O.FDocumentName;
    Collation = O.FCollation;
    Copies = O.FCopies;
    Duplex = O.FDuplex;
    Orientation = O.FOrientation;
  }
  TLock L(FLock);
  return PrinterDescription() == Printer && FBinName == Bin && FCollation == Collation && FCopies == Copies &&
         FDocumentName == Document && FDuplex == Duplex && FOrientation == Orientation && FPageDef->IsEqual(Def);
}

bool TppPrinterSetup::IsSamePaper(const TppPrinterSetup& O) const {
  std::string Printer = O.PrinterDescription(), Paper;
  TPrinterOrientation Orientation;
  {
    TLock L(O.FLock);
    Paper = O.FPaperName;
    Orientation = O.FOrientation;
  }
  TLock L(FLock);
  return PrinterDescription() == Printer && FOrientation == Orientation && FPaperName == Paper;
}

void TppPrinterSetup::ApplyPendingPaperSize() {
  TLock L(FLock);
  if (FHasPendingHeight) FPageDef->SetmmHeight(ConvertToMicrons(FUnits, ppVertical, nullptr, FPendingHeight));
  if (FHasPendingWidth) FPageDef->SetmmWidth(ConvertToMicrons(FUnits, ppHorizontal, nullptr, FPendingWidth));
  FHasPendingHeight = FHasPendingWidth = false;
}

// ---- streams

void TppPrinterSetup::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  const auto* Anc = dynamic_cast<const TppPrinterSetup*>(Filer->Ancestor());
  struct TLength {
    const char* Name;
    int32_t (TppPageDef::*Get)() const;
    void (TppPageDef::*Set)(int32_t);
  };
  static constexpr TLength Lengths[] = {
      {"mmMarginBottom", &TppPageDef::mmMarginBottom, &TppPageDef::SetmmMarginBottom},
      {"mmMarginLeft", &TppPageDef::mmMarginLeft, &TppPageDef::SetmmMarginLeft},
      {"mmMarginRight", &TppPageDef::mmMarginRight, &TppPageDef::SetmmMarginRight},
      {"mmMarginTop", &TppPageDef::mmMarginTop, &TppPageDef::SetmmMarginTop},
      {"mmPaperHeight", &TppPageDef::mmHeight, &TppPageDef::SetmmHeight},
      {"mmPaperWidth", &TppPageDef::mmWidth, &TppPageDef::SetmmWidth},
  };
  for (const TLength& E : Lengths) {
    int32_t Mine = (FPageDef.get()->*E.Get)();
    bool HasData = !Anc || (Anc->PageDef()->*E.Get)() != Mine;
    Filer->DefineProperty(
        E.Name,
        [this, Set = E.Set](TReader& R) {
          int32_t V = R.ReadInteger();
          TLock L(FLock);
          (FPageDef.get()->*Set)(V);
        },
        [Mine](TWriter& W) { W.WriteInteger(Mine); }, HasData);
  }
  int Code = GetPaperSizeCode() & 0xFFFF;
  Filer->DefineProperty(
      "PaperSize",
      [this](TReader& R) {
        int32_t V = R.ReadInteger() & 0xFFFF;
        TLock L(FLock);
        FPendingPaperCode = V;
      },
      [Code](TWriter& W) { W.WriteInteger(Code); }, !Anc || (Anc->GetPaperSizeCode() & 0xFFFF) != Code);
}

// ---- class record

const TClassInfo& TppPrinterSetup::StaticClassInfo() {
  using S = TppPrinterSetup;
  // The lengths travel in thousandths of a millimetre (DefineProperties), not in the unit of the day.
  static const TClassInfo Info = TClassDef<S>("TppPrinterSetup", &TPersistent::StaticClassInfo())
                                     .Prop("BinName", &S::BinName, &S::SetBinName)
                                     .Prop("Collation", &S::Collation, &S::SetCollation)
                                     .Default(1)
                                     .Prop("Copies", &S::Copies, &S::SetCopies)
                                     .Default(1)
                                     .Prop("DocumentName", &S::DocumentName, &S::SetDocumentName)
                                     .Prop("Duplex", &S::Duplex, &S::SetDuplex)
                                     .Default(dpNone)
                                     .Prop("MarginBottom", &S::MarginBottom, &S::SetMarginBottom)
                                     .Stored(false)
                                     .Prop("MarginLeft", &S::MarginLeft, &S::SetMarginLeft)
                                     .Stored(false)
                                     .Prop("MarginRight", &S::MarginRight, &S::SetMarginRight)
                                     .Stored(false)
                                     .Prop("MarginTop", &S::MarginTop, &S::SetMarginTop)
                                     .Stored(false)
                                     .Prop("Orientation", &S::Orientation, &S::SetOrientation)
                                     .Default(poPortrait)
                                     .Prop("PaperHeight", &S::PaperHeight, &S::SetPaperHeight)
                                     .Stored(false)
                                     .Prop("PaperName", &S::PaperName, &S::SetPaperName)
                                     .Prop("PaperWidth", &S::PaperWidth, &S::SetPaperWidth)
                                     .Stored(false)
                                     .Prop("PrinterName", &S::PrinterName, &S::SetPrinterName);
  return Info;
}
