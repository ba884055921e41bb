#include "ppreport/core/ppDrwCmd.h"

#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppDisplayFormat.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppRTTI.h"
#include "ppreport/core/ppUtils.h"

// ---- the base

const TClassInfo& TppDrawCommand::StaticClassInfo() {
  using C = TppDrawCommand;
  static const TClassInfo Info =
      TClassDef<C>("TppDrawCommand", &TppRelative::StaticClassInfo())
          .Prop("Border", &C::Border, &C::SetBorder)
          .Stored([](const C& S) { return S.Border()->Visible(); })
          .Prop("Clickable", &C::Clickable, &C::SetClickable)
          .Default(0)
          .Prop("DataType", &C::DataType, &C::SetDataType)
          .NoDefault()
          .Stored([](const C& S) { return S.DataType() != S.DefaultDataType(); })
          .Prop("Height", &C::Height, &C::SetHeight)
          .Default(0)
          .Prop("Left", &C::Left, &C::SetLeft)
          .Default(0)
          .Prop("Top", &C::Top, &C::SetTop)
          .Default(0)
          .Prop("Width", &C::Width, &C::SetWidth)
          .Default(0);
  return Info;
}

TppDrawCommand::TppDrawCommand(TComponent* AOwner) : TppRelative(AOwner), FBorder(std::make_unique<TppBorder>(this)) {}

TppDrawCommand::~TppDrawCommand() { BeforeDestruction(); }

void TppDrawCommand::Destroying() {
  SetPage(nullptr);
  ChangeReference(FComponent, nullptr);
  ChangeReference(FBand, nullptr);
  SetOnDrawCommandClick(nullptr, nullptr);
  TppRelative::Destroying();
}

void TppDrawCommand::SetBorder(const TppBorder* Value) {
  if (Value) FBorder->Assign(Value);
}

bool TppDrawCommand::Refers(const TComponent* C) const { return C && (C == FComponent || C == FBand || C == FClick.Target); }

void TppDrawCommand::ChangeReference(TComponent*& Field, TComponent* Value) {
  if (Value == this || Field == Value) return;
  TComponent* Old = Field;
  Field = Value;
  if (Old && !Refers(Old)) RemoveFreeNotification(Old);
  if (Value && !HasState(csDestroying)) FreeNotification(Value);
  else if (Value) Field = nullptr;  // nothing may link to a command that is going
}

void TppDrawCommand::SetOnDrawCommandClick(TComponent* Target, std::function<void(TppDrawCommand*)> Code) {
  TComponent* Old = FClick.Target;
  FClick = {};
  if (Old && !Refers(Old)) RemoveFreeNotification(Old);
  if (!Code) return;
  FClick.Code = std::move(Code);
  if (Target && Target != this && !HasState(csDestroying)) {
    FClick.Target = Target;
    FreeNotification(Target);
  }
}

void TppDrawCommand::DoDrawCommandClick() {
  if (FClick) FClick.Code(this);
}

void TppDrawCommand::ReferenceFreed(TComponent*) {}

void TppDrawCommand::Notification(TComponent* AComponent, TOperation Operation) {
  TppRelative::Notification(AComponent, Operation);
  if (Operation != opRemove || !AComponent) return;
  // What the report made the command with may go before the page does (a cached page, an archive).
  if (AComponent == FClick.Target) FClick = {};
  if (AComponent == FBand) FBand = nullptr;
  if (AComponent == FComponent) {
    FComponent = nullptr;
    ReferenceFreed(AComponent);
  }
}

// ---- the page

void TppDrawCommand::LinkPage(TppPage* Page) {
  TRestore Linking(FLinking, true);
  TOnException Forget([this] { FPage = nullptr; });
  FPage = Page;
  TppRelative::SetParent(Page);
}

void TppDrawCommand::SetPage(TppPage* Page) {
  if (Page == FPage) return;
  if (FPage) FPage->RemoveDrawCommand(this);
  if (Page) Page->AddDrawCommand(this);
}

void TppDrawCommand::SetParent(TppRelative* NewParent) {
  if (FLinking) return;
  if (!NewParent || dynamic_cast<TppPage*>(NewParent)) SetPage(static_cast<TppPage*>(NewParent));
}

// ---- the virtual operations

void TppDrawCommand::Draw(TppDevice* Device) {
  if (Device) Device->RenderDrawCommand(this);
}

bool TppDrawCommand::IsEqual(const TppDrawCommand& Other) const {
  return FLeft == Other.FLeft && FHeight == Other.FHeight && FTop == Other.FTop && FWidth == Other.FWidth;
}

void TppDrawCommand::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppDrawCommand*>(Source);
  if (!S) {
    TppRelative::Assign(Source);
    return;
  }
  FClickable = S->FClickable;
  FDataType = S->FDataType;
  FDrawRect = S->FDrawRect;
  FLeft = S->FLeft;
  FTop = S->FTop;
  FWidth = S->FWidth;
  FHeight = S->FHeight;
  FExpansionKey = S->FExpansionKey;
  SetOnDrawCommandClick(S->FClick);
  SetTag(S->Tag());
  FBorder->Assign(S->FBorder.get());
}

// ---- text

const TClassInfo& TppDrawText::StaticClassInfo() {
  using C = TppDrawText;
  static const TClassInfo Info = TClassDef<C>("TppDrawText", &TppDrawCommand::StaticClassInfo())
                                     .Prop("AutoSize", &C::AutoSize, &C::SetAutoSize)
                                     .Default(0)
                                     .Prop("BandSave", &C::BandSave, &C::SetBandSave)
                                     .Default(0)
                                     .Prop("BandSaveNo", &C::BandSaveNo, &C::SetBandSaveNo)
                                     .Default(0)
                                     .Prop("Color", &C::Color, &C::SetColor)
                                     .Default(clWhite)
                                     .Prop("ComponentSave", &C::ComponentSave, &C::SetComponentSave)
                                     .Default(0)
                                     .Prop("ComponentSaveNo", &C::ComponentSaveNo, &C::SetComponentSaveNo)
                                     .Default(0)
                                     .Prop("Font", &C::Font, &C::SetFont)
                                     .Prop("ForceJustifyLastLine", &C::ForceJustifyLastLine,
                                           &C::SetForceJustifyLastLine)
                                     .Default(0)
                                     .Prop("IsMemo", &C::IsMemo, &C::SetIsMemo)
                                     .Default(0)
                                     .Prop("Leading", &C::Leading, &C::SetLeading)
                                     .Default(0)
                                     .Prop("Angle", &C::Angle, &C::SetAngle)
                                     .Default(0)
                                     .Prop("SaveLength", &C::SaveLength, &C::SetSaveLength)
                                     .Default(0)
                                     .Prop("TabStopPositions", &C::TabStopPositions, &C::SetTabStopPositions)
                                     .Prop("Text", &C::Text, &C::SetText)
                                     .Prop("TextAlignment", &C::TextAlignment, &C::SetTextAlignment)
                                     .Default(taLeftJustified)
                                     .Prop("Transparent", &C::Transparent, &C::SetTransparent)
                                     .Default(0)
                                     .Prop("WordWrap", &C::WordWrap, &C::SetWordWrap)
                                     .Default(0)
                                     .Prop("WrappedText", &C::WrappedText, &C::SetWrappedText);
  return Info;
}

TppDrawText::TppDrawText(TComponent* AOwner) : TppDrawCommand(AOwner), FFont(std::make_unique<TppFont>()) {}

TppDrawText::~TppDrawText() { BeforeDestruction(); }

void TppDrawText::SetFont(const TFont* V) {
  if (V) FFont->Assign(*V);
}

void TppDrawText::SetWrappedText(const TStrings* V) {
  if (V && (FWrappedText || V->Count() > 0)) WrappedText()->Assign(V);
}

void TppDrawText::SetTabStopPositions(const TStrings* V) {
  if (V && (FTabStopPositions || V->Count() > 0)) TabStopPositions()->Assign(V);
}

// A list never made is an empty one.
void TppDrawText::CopyList(std::unique_ptr<TStringList>& L, const std::unique_ptr<TStringList>& Source) {
  if (Source) {
    List(L)->Assign(Source.get());
  } else if (L) {
    const TStringList Empty;
    L->Assign(&Empty);
  }
}

void TppDrawText::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  FTextAlignment = Value == taRightJustify ? taRightJustified : Value == taCenter ? taCentered : taLeftJustified;
}

void TppDrawText::SetTextAlignment(TppTextAlignment Value) {
  if (Value == FTextAlignment) return;
  FTextAlignment = Value;
  FAlignment = Value == taRightJustified ? taRightJustify : Value == taCentered ? taCenter : taLeftJustify;
}

std::string TppDrawText::GetSaveOrderKey() const {
  return Format("%8d", {FBandSaveNo}) + Format("%8d", {FComponentSaveNo});
}

bool TppDrawText::IsEqual(const TppDrawCommand& Other) const {
  if (!TppDrawCommand::IsEqual(Other)) return false;
  const auto* O = dynamic_cast<const TppDrawText*>(&Other);
  if (!O) return false;
  // The font colour, the angle and the save settings do not make two texts differ.
  return FAlignment == O->FAlignment && FTextAlignment == O->FTextAlignment &&
         FForceJustifyLastLine == O->FForceJustifyLastLine && FAutoSize == O->FAutoSize && FColor == O->FColor &&
         FFont->Name() == O->FFont->Name() && FFont->Size() == O->FFont->Size() &&
         FFont->Style() == O->FFont->Style() && FIsMemo == O->FIsMemo && FLeading == O->FLeading &&
         FSaveLength == O->FSaveLength && FText == O->FText && FTransparent == O->FTransparent &&
         ListText(FTabStopPositions) == ListText(O->FTabStopPositions) && FWordWrap == O->FWordWrap &&
         ListText(FWrappedText) == ListText(O->FWrappedText);
}

void TppDrawText::Assign(const TPersistent* Source) {
  TppDrawCommand::Assign(Source);
  const auto* S = dynamic_cast<const TppDrawText*>(Source);
  if (!S) return;
  FText = S->FText;
  FFont->Assign(*S->FFont);
  FColor = S->FColor;
  FTransparent = S->FTransparent;
  FAutoSize = S->FAutoSize;
  FWordWrap = S->FWordWrap;
  CopyList(FWrappedText, S->FWrappedText);
  CopyList(FTabStopPositions, S->FTabStopPositions);
  FAngle = S->FAngle;
  FLeading = S->FLeading;
  FIsMemo = S->FIsMemo;
  FTextAlignment = S->FTextAlignment;
  FAlignment = S->FAlignment;
  FForceJustifyLastLine = S->FForceJustifyLastLine;
  FBandSave = S->FBandSave;
  FBandSaveNo = S->FBandSaveNo;
  FComponentSave = S->FComponentSave;
  FComponentSaveNo = S->FComponentSaveNo;
  FSaveLength = S->FSaveLength;
  FLayoutFontHeight = S->FLayoutFontHeight;
  FLayoutLineHeight = S->FLayoutLineHeight;
  FLayoutTextWidth = S->FLayoutTextWidth;
  FRotatedOriginLeft = S->FRotatedOriginLeft;
  FRotatedOriginTop = S->FRotatedOriginTop;
  SetComponent(S->FComponent);
}

void TppDrawText::DefineProperties(TFiler* Filer) {
  TppDrawCommand::DefineProperties(Filer);
  // Older streams carry the class library's alignment; it is read and never written.
  Filer->DefineProperty(
      "Alignment",
      [this](TReader& R) {
        if (R.NextValue() != vaIdent) {
          R.SkipValue();
          return;
        }
        const std::string Id = R.ReadIdent();
        if (Id == "taLeftJustify") SetAlignment(taLeftJustify);
        else if (Id == "taCenter") SetAlignment(taCenter);
        else if (Id == "taRightJustify") SetAlignment(taRightJustify);
      },
      [](TWriter&) {}, false);
  Filer->DefineProperty(
      "RotatedOriginLeft", [this](TReader& R) { FRotatedOriginLeft = R.ReadInteger(); },
      [this](TWriter& W) { W.WriteInteger(FRotatedOriginLeft); }, FAngle != 0);
  Filer->DefineProperty(
      "RotatedOriginTop", [this](TReader& R) { FRotatedOriginTop = R.ReadInteger(); },
      [this](TWriter& W) { W.WriteInteger(FRotatedOriginTop); }, FAngle != 0);
}

// ---- look-ahead values

const TClassInfo& TppDrawVariable::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppDrawVariable>("TppDrawVariable", &TppDrawText::StaticClassInfo());
  return Info;
}

TppDrawVariable::TppDrawVariable(TComponent* AOwner) : TppDrawText(AOwner) {}

TppDrawVariable::~TppDrawVariable() { BeforeDestruction(); }

void TppDrawVariable::Destroying() {
  SetLookAhead(false);
  TppDrawText::Destroying();
}

void TppDrawVariable::SetLookAhead(bool Value) {
  if (!Value) {
    FreeAndNil(FListener);
    return;
  }
  if (!FListener) {
    FListener = new TppCommunicator(nullptr);
    FListener->OnEventNotify = [this](TppCommunicator*, TppCommunicator*, int EventID, TraParamList* Params) {
      if (EventID == ciLookAheadValue) ValueArrived(Params);
    };
  }
  FListener->EventMask().Clear();
  FListener->EventMask().Include(ciLookAheadValue);
}

void TppDrawVariable::ValueArrived(TraParamList* Params) {
  if (!Params) return;
  const int KeyAt = Params->IndexOfParam("aLookAheadKey");
  const int CountAt = Params->IndexOfParam("aTraversalCount");
  const int TextAt = Params->IndexOfParam("aText");
  if (KeyAt < 0 || CountAt < 0 || TextAt < 0) return;
  if (Params->Value<std::string>(KeyAt) != FLookAheadKey) {
    // Values for a later key: this command's value is final.
    FListener->EventMask().Clear();
    return;
  }
  const int Count = Params->Value<int>(CountAt);
  if (FTraversalCount < Count) {
    SetText(Params->Value<std::string>(TextAt));
    FTraversalCount = Count;
  }
}

bool TppDrawVariable::IsUpdatePending() { return FListener && !FListener->EventMask().Empty(); }

void TppDrawVariable::Assign(const TPersistent* Source) {
  TppDrawText::Assign(Source);
  const auto* S = dynamic_cast<const TppDrawVariable*>(Source);
  if (!S) return;
  FLookAheadKey = S->FLookAheadKey;
  SetLookAhead(S->LookAhead());
  if (!S->FListener) return;
  // The copy hears the same senders.
  for (int I = 0; I < S->FListener->GetNotifyCount(); ++I)
    if (TppCommunicator* Sender = S->FListener->GetNotifyItem(I)) Sender->AddEventNotify(FListener);
}

// ---- system variables

const TClassInfo& TppDrawVar::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppDrawVar>("TppDrawVar", &TppDrawText::StaticClassInfo())
                                     .Prop("VarType", &TppDrawVar::VarType, &TppDrawVar::SetVarType)
                                     .Default(vtDate);
  return Info;
}

TppDrawVar::TppDrawVar(TComponent* AOwner) : TppDrawText(AOwner) {}

namespace {
bool IsDateOrTime(TppVarType T) { return T == vtDate || T == vtDateTime || T == vtPrintDateTime || T == vtTime; }
bool IsPageKind(TppVarType T) {
  return T == vtPageCount || T == vtPageSet || T == vtPageSetDesc || T == vtPageNo || T == vtPageNoDesc;
}
}  // namespace

bool TppDrawVar::IsEqual(const TppDrawCommand& Other) const {
  const auto* O = dynamic_cast<const TppDrawVar*>(&Other);
  // A date or a time changes from run to run: any two are alike wherever they stand.
  if (IsDateOrTime(FVarType)) return O && IsDateOrTime(O->FVarType);
  return O && TppDrawText::IsEqual(Other) && FVarType == O->FVarType;
}

bool TppDrawVar::IsUpdateable() const { return IsPageKind(FVarType); }

bool TppDrawVar::IsUpdatePending() {
  TppPage* P = Page();
  if (!P) return false;
  if (Component() && (FVarType == vtPageCount || FVarType == vtPageNo)) {
    const int Value = FVarType == vtPageCount ? P->PageCount() : P->PageNo();
    std::string DisplayFormat;
    if (const TraRTTI* R = TraRTTIClassRegistry::GetRTTIClass(*Component()))
      R->GetPropValueText(Component(), "DisplayFormat", DisplayFormat);
    SetText(FormatDisplayValue(DisplayFormat, dtInteger, Variant(Value)));
    return true;
  }
  if (!IsPageKind(FVarType)) return false;
  std::string Value = Text();
  FormatSystemVariable(FVarType, P->PageNo(), P->PageCount(), Value, true, P->PrintDateTime());
  SetText(Value);
  return true;
}

void TppDrawVar::Assign(const TPersistent* Source) {
  TppDrawText::Assign(Source);
  if (const auto* S = dynamic_cast<const TppDrawVar*>(Source)) FVarType = S->FVarType;
}

// ---- calculations

const TClassInfo& TppDrawCalc::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppDrawCalc>("TppDrawCalc", &TppDrawText::StaticClassInfo())
                                     .Prop("CalcType", &TppDrawCalc::CalcType, &TppDrawCalc::SetCalcType)
                                     .Default(ctDate);
  return Info;
}

TppDrawCalc::TppDrawCalc(TComponent* AOwner) : TppDrawText(AOwner) {}

bool TppDrawCalc::IsUpdatePending() {
  TppPage* P = Page();
  if (!P || (FCalcType != ctPageCount && FCalcType != ctPageSet && FCalcType != ctPageSetDesc)) return false;
  std::string Value = Text();
  FormatSystemVariable(CalcTypeToVarType(FCalcType), P->PageNo(), P->PageCount(), Value, true, P->PrintDateTime());
  SetText(Value);
  return true;
}

void TppDrawCalc::Assign(const TPersistent* Source) {
  TppDrawText::Assign(Source);
  if (const auto* S = dynamic_cast<const TppDrawCalc*>(Source)) FCalcType = S->FCalcType;
}
