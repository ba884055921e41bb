// The barcode components: settings and their checks, auto-sizing, the draw command they make,
// streaming of the two stored integers, and the data-aware barcode's field value.
#include "ppreport/generation/ppBarCod.h"

#include <cmath>

#include "platform/app/Dialogs.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/data/DB.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variants.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppDisplayFormat.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppReaderUtils.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/core/ppUtils.h"
#include "ppreport/generation/ppGenConsts.h"

namespace {

constexpr float MicronsPerInch = 25400.0f;
constexpr int32_t MinBarWidth = 102;   // 0.004 inch
constexpr int32_t MaxBarWidth = 2540;  // 0.1 inch

// A loaded language module's text where it has one, else ours.
std::string DesignText(int N, const char* Ours) {
  if (ppResourceManager().ModulesLoaded()) {
    std::string Text = LanguageString(N);
    if (!Text.empty()) return Text;
  }
  return Ours;
}

std::string ErrorText(const EBarCodeError& E) {
  if (E.Number() != 0 && ppResourceManager().ModulesLoaded()) {
    try {
      std::string Text = E.Argument().empty() ? LanguageString(E.Number())
                                              : FormatLanguageString(E.Number(), {E.Argument()});
      if (!Text.empty()) return Text;
    } catch (const EConvertError&) {
      // a module text whose placeholders do not fit: the message says it as well
    }
  }
  return E.Message();
}

bool IsUPCOrEAN(TppBarCodeType T) { return T == bcUPC_A || T == bcUPC_E || T == bcEAN_13 || T == bcEAN_8; }

int32_t DefaultBarWidth(TppBarCodeType T) {
  switch (T) {
    case bcUPC_A:
    case bcUPC_E:
    case bcEAN_13:
    case bcEAN_8: return 330;  // 0.013 inch
    case bcInt2of5: return 381;  // 0.015 inch
    case bcPostnet: return 508;  // 0.02 inch
    case bcFIM: return 787;  // 0.031 inch
    default: return 254;  // 0.01 inch
  }
}

int32_t InchesToMicrons(double Inches) { return static_cast<int32_t>(std::lround(Inches * MicronsPerInch)); }

}  // namespace

// ---- the base

TppCustomBarCode::TppCustomBarCode(TComponent* AOwner) : TppCustomComponent(AOwner) {
  SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawBarCode(nullptr); });
  AssignAutoSize(true);
  Font()->SetName("Courier New");
  StoreBounds(mmLeft(), mmTop(), InchesToMicrons(1.53), InchesToMicrons(0.5083));
}

TppCustomBarCode::~TppCustomBarCode() { BeforeDestruction(); }

template <class T>
void TppCustomBarCode::Change(const char* Name, T& Field, T Value) {
  if (Field == Value) return;
  if (IsReadingOrLoading()) {
    Field = Value;
    return;
  }
  PropertyChanging(Name);
  Field = Value;
  RecalcSize();
  PropertyChanged();
}

void TppCustomBarCode::ShowDesignMessage(const std::string& Text) {
  if (IsReadingOrLoading() || IsReportPrinting()) return;
  MessageDlg(Text, mtInformation, MsgButton(mbOK));
}

std::string TppCustomBarCode::GetData() { return FData; }

std::string TppCustomBarCode::GetSampleData() const {
  switch (FBarCodeType) {
    case bcUPC_A: return FCalcCheckDigit ? "01234567890" : "012345678905";
    case bcUPC_E: return FCalcCheckDigit ? "012345" : "0123456";
    case bcEAN_13: return "0012345678905";
    case bcEAN_8: return "20123451";
    case bcInt2of5: return FCalcCheckDigit ? "0123456789" : "01234567";
    case bcCode128: return ppCode128Char(c128StartC) + "1234" + ppCode128Char(c128CodeB) + " abcd";
    case bcCode39: return IsDataAware() ? "DBBarCode" : "BarCode";
    case bcPostnet: return "012345678";
    case bcFIM: return "A";
    case bcCodabar: return "A01234B";
    case bcMSI: return "0139725";
  }
  return {};
}

bool TppCustomBarCode::ValidateData(const std::string& Value, bool Quiet) {
  if (Value.empty()) return false;
  if (FBarCodeType == bcCode128) return true;  // the encoder checks its own
  try {
    ppCheckBarCodeData(FBarCodeType, Value, FCalcCheckDigit);
    return true;
  } catch (const EBarCodeError& E) {
    if (!Quiet) ShowDesignMessage(ErrorText(E));
    return false;
  }
}

void TppCustomBarCode::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  if (FUpdateCount > 0) return;
  if (AutoSize()) RecalcSize();
  else InvalidateDesignControl();
}

void TppCustomBarCode::SetBarCodeType(TppBarCodeType Value) {
  if (Value == FBarCodeType) return;
  if (IsReadingOrLoading()) {
    FBarCodeType = Value;  // the stream brings the data and settings that go with it
    return;
  }
  PropertyChanging("BarCodeType");
  BeginUpdate();
  {
    TFinally Done([this] { EndUpdate(); });
    FBarCodeType = Value;
    SetData(GetSampleData());
    FCodeOK = true;
    if (Value == bcPostnet || Value == bcFIM) {
      AssignAutoSize(true);
      FPrintHumanReadable = false;
    }
    if (IsUPCOrEAN(Value)) FAutoSizeFont = true;
    if (Value == bcCode128) FAutoEncode = true;
    FBarWidth = DefaultBarWidth(Value);
  }
  PropertyChanged();
}

void TppCustomBarCode::SetData(const std::string& Value) {
  if (Value == FData) return;
  if (IsReadingOrLoading()) {
    FData = Value;
    return;
  }
  PropertyChanging("Data");
  FData = Value;
  FCodeOK = ValidateData(FData);
  RecalcSize();
  if (!IsDataAware()) PropertyChanged();
}

void TppCustomBarCode::SetAddOnCode(const std::string& Value) {
  if (Value == FAddOnCode) return;
  if (!IsReadingOrLoading()) {
    if (!Value.empty() && !IsUPCOrEAN(FBarCodeType)) return ShowDesignMessage(DesignText(423, SppAddOnUPCEANOnly));
    if (Value.size() != 0 && Value.size() != 2 && Value.size() != 5)
      return ShowDesignMessage(DesignText(424, SppAddOnLength));
    // The encoder refuses anything but digits: say so now rather than draw an empty symbol later.
    for (char C : Value)
      if (C < '0' || C > '9') return ShowDesignMessage(SppAddOnDigits);
  }
  Change("AddOnCode", FAddOnCode, Value);
}

void TppCustomBarCode::SetAutoEncode(bool Value) {
  if (Value && FBarCodeType != bcCode128 && !IsReadingOrLoading()) return;
  Change("AutoEncode", FAutoEncode, Value);
}

void TppCustomBarCode::SetAutoSize(bool Value) {
  if (!Value && AutoSize() && (FBarCodeType == bcPostnet || FBarCodeType == bcFIM) && !IsReadingOrLoading())
    return ShowDesignMessage(DesignText(425, SppAutoSizeRequired));
  TppCustomComponent::SetAutoSize(Value);
}

void TppCustomBarCode::SetAutoSizeFont(bool Value) {
  if (!Value && FAutoSizeFont && IsUPCOrEAN(FBarCodeType) && !IsReadingOrLoading())
    return ShowDesignMessage(DesignText(426, SppAutoSizeFontRequired));
  Change("AutoSizeFont", FAutoSizeFont, Value);
}

void TppCustomBarCode::SetBarColor(TColor Value) {
  if (Value == FBarColor) return;
  if (IsReadingOrLoading()) {
    FBarColor = Value;
    return;
  }
  PropertyChanging("BarColor");
  FBarColor = Value;
  if (Font()->Color() != Value) Font()->SetColor(Value);
  InvalidateDesignControl();
  PropertyChanged();
}

float TppCustomBarCode::BarWidth() const { return MMThousandthsToUnits(FBarWidth, Units(), ppHorizontal); }

void TppCustomBarCode::SetBarWidth(float Value) { SetmmBarWidth(UnitsToMMThousandths(Units(), ppHorizontal, Value)); }

void TppCustomBarCode::SetmmBarWidth(int32_t Value) {
  if (Value == FBarWidth) return;
  if (!IsReadingOrLoading() && (Value < MinBarWidth || Value > MaxBarWidth)) {
    const bool Small = Value < MinBarWidth;
    // Units are linear in length: the limit in inches times one inch in Units, to four places.
    const double Limit =
        std::round(MMThousandthsToUnits(25400, Units(), ppHorizontal) * (Small ? 0.004 : 0.1) * 1e4) / 1e4;
    const std::string Pattern =
        ppResourceManager().ModulesLoaded() && !LanguageString(Small ? 427 : 428).empty()
            ? ExpandMessagePlaceholders(LanguageString(Small ? 427 : 428))
            : std::string(Small ? SppBarWidthTooSmall : SppBarWidthTooLarge);
    return ShowDesignMessage(Format(Pattern, {FloatToStr(Limit)}));
  }
  Change("BarWidth", FBarWidth, Value);
}

void TppCustomBarCode::SetBearerBars(bool Value) {
  if (Value && FBarCodeType != bcInt2of5 && !IsReadingOrLoading())
    return ShowDesignMessage(DesignText(429, SppBearerBarsInt2of5));
  Change("BearerBars", FBearerBars, Value);
}

void TppCustomBarCode::SetCalcCheckDigit(bool Value) {
  if (Value == FCalcCheckDigit) return;
  if (IsReadingOrLoading()) {
    FCalcCheckDigit = Value;
    return;
  }
  PropertyChanging("CalcCheckDigit");
  FCalcCheckDigit = Value;
  FCodeOK = ValidateData(FData);
  RecalcSize();
  PropertyChanged();
}

void TppCustomBarCode::SetOrientation(TppBarCodeOrientation Value) { Change("Orientation", FOrientation, Value); }

void TppCustomBarCode::SetPrintHumanReadable(bool Value) {
  Change("PrintHumanReadable", FPrintHumanReadable, Value);
}

float TppCustomBarCode::WideBarRatio() const { return static_cast<float>(FWideBarRatio / double(MicronsPerInch)); }

void TppCustomBarCode::SetWideBarRatio(float Value) {
  if (!(Value > 0)) return;
  const int32_t Held = InchesToMicrons(Value);
  Change("WideBarRatio", FWideBarRatio, Held);
}

// ---- overrides

void TppCustomBarCode::FontChanged() {
  if (Font()->Color() != FBarColor) FBarColor = Font()->Color();
  TppCustomComponent::FontChanged();
}

void TppCustomBarCode::SetFont(const TFont* Value) {
  if (DesignState() & (1u << 10)) return;
  TppCustomComponent::SetFont(Value);
}

std::string TppCustomBarCode::GetCaption() { return GetData(); }

void TppCustomBarCode::SetCaption(const std::string& Value) { TppCustomComponent::SetCaption(Value); }

std::string TppCustomBarCode::GetDefaultPropHint() const { return DesignText(694, SppBarCodeDataHint); }

void TppCustomBarCode::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppCustomComponent::PropertiesToDrawCommand(DrawCommand);
  auto* B = dynamic_cast<TppDrawBarCode*>(DrawCommand);
  if (!B) return;
  B->SetAlignment(Alignment());
  B->SetAddOnCode(FAddOnCode);
  B->SetAutoEncode(FAutoEncode);
  B->SetAutoSize(AutoSize());
  B->SetAutoSizeFont(FAutoSizeFont);
  B->SetBarCodeType(FBarCodeType);
  B->SetBarColor(FBarColor);
  B->SetBarWidth(FBarWidth);
  B->SetBearerBars(FBearerBars);
  B->SetCalcCheckDigit(FCalcCheckDigit);
  B->SetColor(Color());
  const std::string Value = GetData();
  B->SetData(Value);
  // Quiet: the setter that brought the data has said what is wrong with it.
  B->SetCodeOK(ValidateData(Value, true));
  B->SetFont(Font());
  B->SetOrientation(FOrientation);
  B->SetPrintHumanReadable(FPrintHumanReadable);
  B->SetTransparent(Transparent());
  B->SetWideBarRatio(WideBarRatio());
  const TRect R = PageRect();
  B->SetLeft(R.Left);
  B->SetTop(R.Top);
  B->SetWidth(R.Width());
  B->SetHeight(R.Height());
  B->CalcSize(GetPrinter());
}

void TppCustomBarCode::MeasureDrawCommand() {
  if (!FSizer) FSizer.reset(new TppDrawBarCode(nullptr));
  // Measured in a box of the designed size at the origin; a setting changed while the band
  // generates must not move the control from its place on the page.
  const TRect Placed = PageRect();
  TFinally Back([&] { SetPrintRect(Placed); });
  SetPrintRect({0, 0, mmWidth(), mmHeight()});
  PropertiesToDrawCommand(FSizer.get());
}

void TppCustomBarCode::RecalcSize() {
  if (FUpdateCount > 0 || IsReadingOrLoading() || FSizing) return;
  TRestore<bool> Sizing(FSizing, true);
  if (AutoSize()) {
    MeasureDrawCommand();
    if (FSizer->CodeOK()) {
      FAutoSizedWidth = FSizer->Width();
      FAutoSizedHeight = FSizer->Height();
      SetBounds(mmLeft(), mmTop(), FAutoSizedWidth, FAutoSizedHeight);
    }
  }
  InvalidateDesignControl();
}

void TppCustomBarCode::DefineProperties(TFiler* Filer) {
  TppCustomComponent::DefineProperties(Filer);
  const auto* Anc = dynamic_cast<const TppCustomBarCode*>(Filer->Ancestor());
  TppHReaderUtils::DefineMicrons(*Filer, "mmBarWidth", FBarWidth, Anc ? &Anc->FBarWidth : nullptr);
  TppHReaderUtils::DefineMicrons(*Filer, "mmWideBarRatio", FWideBarRatio, Anc ? &Anc->FWideBarRatio : nullptr);
}

// ---- the typed barcode

TppBarCode::TppBarCode(TComponent* AOwner) : TppCustomBarCode(AOwner) { SetDefaultProp("Data", 1); }

TppBarCode::~TppBarCode() { BeforeDestruction(); }

// ---- the data-aware barcode

TppDBBarCode::TppDBBarCode(TComponent* AOwner) : TppCustomBarCode(AOwner) {}

TppDBBarCode::~TppDBBarCode() { BeforeDestruction(); }

std::string TppDBBarCode::GetData() {
  if (!IsDataAvailable()) return IsReportPrinting() ? std::string() : GetSampleData();
  TppDataPipeline* P = GetDataPipeline();
  try {
    TppDataType Type = dtString;
    try {
      Type = P->GetFieldDataType(DataField());
    } catch (const Exception&) {
      Type = dtString;
    }
    const Variant V = P->GetFieldValue(DataField());
    if (V.IsNull() || V.IsEmpty()) return {};
    return FormatDisplayValue("", Type, V);
  } catch (const EDatabaseError&) {
    return {};
  } catch (const EConvertError&) {
    return {};
  } catch (const EVariantError&) {
    return {};
  }
}

void TppDBBarCode::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCustomBarCode::Notify(Partner, Operation);
  if ((Operation == ppopRemove || Operation == ppopDataChange) && Designing() && !IsReportPrinting())
    SetData(GetData());
}

void TppDBBarCode::SetCaption(const std::string&) {
  if (Designing() && !IsReportPrinting()) SetData(GetData());
}

void TppDBBarCode::SetDataField(const std::string& Value) {
  TppCustomBarCode::SetDataField(Value);
  if (IsReadingOrLoading()) return;
  Notify(this, ppopDataChange);
  PropertyChanged();
}

// ---- class records and start-up

const TClassInfo& TppCustomBarCode::StaticClassInfo() {
  using C = TppCustomBarCode;
  static const TClassInfo Info = TClassDef<C>("TppCustomBarCode", &TppCustomComponent::StaticClassInfo());
  return Info;
}

namespace {
// What both barcodes publish; the bar width and ratio are stored as integers (DefineProperties).
template <class C>
TClassDef<C>& Publish(TClassDef<C>& D) {
  return D.Prop("AddOnCode", &C::AddOnCode, &C::SetAddOnCode)
      .Prop("Alignment", &C::Alignment, &C::SetAlignment)
      .Default(taLeftJustify)
      .Prop("AutoEncode", &C::AutoEncode, &C::SetAutoEncode)
      .Default(0)
      .Prop("AutoSizeFont", &C::AutoSizeFont, &C::SetAutoSizeFont)
      .Default(1)
      .Prop("BarColor", &C::BarColor, &C::SetBarColor)
      .Default(clBlack)
      .Prop("BarCodeType", &C::BarCodeType, &C::SetBarCodeType)
      .Default(bcCode39)
      .Prop("BarWidth", &C::BarWidth, &C::SetBarWidth)
      .Stored(false)
      .Prop("BearerBars", &C::BearerBars, &C::SetBearerBars)
      .Default(0)
      .Prop("CalcCheckDigit", &C::CalcCheckDigit, &C::SetCalcCheckDigit)
      .Default(1)
      .Prop("Color", &C::Color, &C::SetColor)
      .Default(clWhite)
      .Prop("Font", &C::Font, &C::SetFont)
      .Prop("Orientation", &C::Orientation, &C::SetOrientation)
      .Default(orLeftToRight)
      .Prop("PrintHumanReadable", &C::PrintHumanReadable, &C::SetPrintHumanReadable)
      .Default(1)
      .Prop("Transparent", &C::Transparent, &C::SetTransparent)
      .Default(0)
      .Prop("AutoSize", &C::AutoSize, &C::SetAutoSize)
      .Default(1)
      .Prop("WideBarRatio", &C::WideBarRatio, &C::SetWideBarRatio)
      .Stored(false)
      .Prop("Left", &C::GetLeft, &C::SetLeft)
      .Stored(false)
      .Prop("Top", &C::GetTop, &C::SetTop)
      .Stored(false)
      .Prop("Width", &C::GetWidth, &C::SetWidth)
      .Stored(false)
      .Prop("Height", &C::GetHeight, &C::SetHeight)
      .Stored(false)
      .Prop("Visible", &C::Visible, &C::SetVisible)
      .Default(1)
      .Prop("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow)
      .Default(0);
}
}  // namespace

const TClassInfo& TppBarCode::StaticClassInfo() {
  using C = TppBarCode;
  static const TClassInfo Info = [] {
    TClassDef<C> D("TppBarCode", &TppCustomBarCode::StaticClassInfo());
    D.Prop("Data", &C::Data, &C::SetData);
    Publish(D);
    return TClassInfo(D);
  }();
  return Info;
}

const TClassInfo& TppDBBarCode::StaticClassInfo() {
  using C = TppDBBarCode;
  static const TClassInfo Info = [] {
    TClassDef<C> D("TppDBBarCode", &TppCustomBarCode::StaticClassInfo());
    D.Prop("DataField", &C::DataField, &C::SetDataField);
    D.Prop("DataPipeline", &C::GetDataPipeline, &C::SetDataPipeline);
    Publish(D);
    return TClassInfo(D);
  }();
  return Info;
}

void InitializeBarCodeUnit() { RegisterPPClasses({&TppBarCode::StaticClassInfo(), &TppDBBarCode::StaticClassInfo()}); }

void FinalizeBarCodeUnit() {
  UnregisterPPClasses({&TppBarCode::StaticClassInfo(), &TppDBBarCode::StaticClassInfo()});
}
