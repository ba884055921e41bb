#include "ppreport/core/ppPrintable.h"

#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppReaderUtils.h"
#include "platform/rtl/SysUtils.h"

namespace {
constexpr int ppDefaultWidthPixels = 65;
constexpr int ppDefaultHeightPixels = 17;
constexpr int ppHintDataField = 203;
constexpr int ppHintCaption = 154;

int32_t ScreenPixelsToMicrons(int Axis, int Pixels) {
  return ConvertToMicrons(utScreenPixels, Axis, nullptr, static_cast<float>(Pixels));
}
int MicronsToScreenPixels(int Axis, int32_t Microns) {
  return static_cast<int>(ConvertFromMicrons(Microns, utScreenPixels, Axis, nullptr));
}
}  // namespace

TppPrintable::TppPrintable(TComponent* AOwner)
    : TppCacheable(AOwner),
      FBorder(std::make_unique<TppBorder>(this)),
      FFont(std::make_unique<TppFont>()),
      FHeight(ScreenPixelsToMicrons(ppVertical, ppDefaultHeightPixels)),
      FWidth(ScreenPixelsToMicrons(ppHorizontal, ppDefaultWidthPixels)) {
  FBorder->OnChange = [this](TObject*) { BorderChanged(); };
  FFont->OnChange = [this](TGraphicsObject*) { FontChanged(); };
  // Virtual calls in a constructor reach this class only: the data-aware kinds set their own defaults.
}

TppPrintable::~TppPrintable() { BeforeDestruction(); }

void TppPrintable::Destroying() {
  FBorder->OnChange = nullptr;
  FFont->OnChange = nullptr;
  if (FDataPipeline) RemoveNotify(FDataPipeline);
  FDataPipeline = nullptr;
  TppCacheable::Destroying();
}

bool TppPrintable::IsReadingOrLoading() const {
  if (DesignState() & dsFollowNameWhileLoading) return false;
  return HasState(csReading) || HasState(csLoading);
}

// ---- design-time notices

void TppPrintable::PropertyChanged() {
  if (IsReportPrinting() || (DesignState() & (dsQuietChange | dsTemplateLoading))) return;
  SendDesignerMessage(ppdmPropertyChange, ppdmMessageClass, reinterpret_cast<intptr_t>(this));
  DesignerModified();
}

void TppPrintable::InvalidateDesignControl() {
  if (Designing() && !IsReportPrinting()) SendEventNotify(this, ciPrintableDesignRedraw, nullptr);
}

void TppPrintable::NotifyBoundsChange() { SendEventNotify(this, ciPrintableBoundsChange, nullptr); }

void TppPrintable::SetName(const std::string& Value) {
  TppCacheable::SetName(Value);
  InvalidateDesignControl();
  SendDesignerMessage(ppdmComponentRename, ppdmMessageClass, reinterpret_cast<intptr_t>(this));
}

void TppPrintable::SetUserName(const std::string& Value) {
  TppCacheable::SetUserName(Value);
  InvalidateDesignControl();
  SendDesignerMessage(ppdmComponentRename, ppdmMessageClass, reinterpret_cast<intptr_t>(this));
}

// ---- appearance

void TppPrintable::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  PropertyChanging("Alignment");
  FAlignment = Value;
  FTextAlignment = Value == taRightJustify ? taRightJustified : Value == taCenter ? taCentered : taLeftJustified;
  InvalidateDesignControl();
  PropertyChanged();
}

void TppPrintable::SetTextAlignment(TppTextAlignment Value) {
  if (Value == FTextAlignment) return;
  if (Value == taFullJustified && !CanFullJustify()) return;
  PropertyChanging("TextAlignment");
  FTextAlignment = Value;
  FAlignment = Value == taRightJustified ? taRightJustify : Value == taCentered ? taCenter : taLeftJustify;
  InvalidateDesignControl();
  RecalcSize();
  PropertyChanged();
}

void TppPrintable::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  PropertyChanging("AutoSize");
  FAutoSize = Value;
  RecalcSize();
  PropertyChanged();
}

void TppPrintable::SetColor(TColor Value) {
  if (Value == FColor || !HasColor()) return;
  PropertyChanging("Color");
  FColor = Value;
  InvalidateDesignControl();
  PropertyChanged();
  InvalidateLayout();
}

void TppPrintable::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  PropertyChanging("Transparent");
  FTransparent = Value;
  InvalidateDesignControl();
  PropertyChanged();
  InvalidateLayout();
}

void TppPrintable::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  PropertyChanging("WordWrap");
  FWordWrap = Value;
  RecalcSize();
  PropertyChanged();
  InvalidateLayout();
}

void TppPrintable::SetForceJustifyLastLine(bool Value) {
  if (Value == FForceJustifyLastLine) return;
  PropertyChanging("ForceJustifyLastLine");
  FForceJustifyLastLine = Value;
  InvalidateDesignControl();
  PropertyChanged();
}

void TppPrintable::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  PropertyChanged();
  InvalidateLayout();
}

void TppPrintable::SetReprintOnOverFlow(bool Value) {
  if (Value == FReprintOnOverFlow) return;
  FReprintOnOverFlow = Value;
  PropertyChanged();
  InvalidateLayout();
}

void TppPrintable::SetStretchWithParent(bool Value) {
  if (Value == FStretchWithParent) return;
  FStretchWithParent = Value;
  PropertyChanged();
  InvalidateLayout();
}

void TppPrintable::SetFont(const TFont* Value) {
  PropertyChanging("Font");
  if (Value) FFont->Assign(Value);  // the font's change notice runs FontChanged
  PropertyChanged();
}

void TppPrintable::SetBorder(const TppBorder* Value) {
  if (Value) FBorder->Assign(Value);
}

void TppPrintable::SetFontColor(TColor Value) {
  if (!HasFont()) return;
  PropertyChanging("Font.Color");
  FFont->SetColor(Value);
  PropertyChanged();
}

void TppPrintable::SetBackgroundColor(TColor Value, bool Transparent) {
  SetTransparent(Transparent);
  if (!Transparent) SetColor(Value);
}

void TppPrintable::GetBackgroundColor(TColor& Value, bool& Transparent) const {
  if (HasColor()) {
    Value = FColor;
    Transparent = FTransparent;
  } else {
    Value = clWhite;
    Transparent = true;
  }
}

void TppPrintable::GetFontColor(TColor& Value, bool& Transparent) const {
  if (HasFont()) {
    Value = FFont->Color();
    Transparent = FTransparent;
  } else {
    Transparent = true;
  }
}

void TppPrintable::FontChanged() {
  RecalcSize();
  InvalidateDesignControl();
}

void TppPrintable::BorderChanged() {
  RecalcSize();
  InvalidateDesignControl();
  PropertyChanged();
}

// ---- caption and text

void TppPrintable::SetCaption(const std::string& Value) {
  const bool Changed = !IsDataAware() && Value != FCaption;
  if (Changed) PropertyChanging("Caption");
  const std::string Old = FCaption;
  FCaption = Value;
  FText = FCaption;
  if (FAutoSize && FCaption != Old) RecalcSize();
  InvalidateDesignControl();
  if (Changed) PropertyChanged();
}

std::string TppPrintable::GetCaption() {
  if (FCaption.empty() && Designing() && !IsReportPrinting()) {
    FCaption = GetText();
    if (IsDataAware() && !IsDataAvailable()) FCaption = FieldDisplayName();
  }
  return FCaption;
}

void TppPrintable::SetText(const std::string& Value) {
  FText = Value;
  if (!IsDataAware()) PropertyChanged();
}

std::string TppPrintable::GetComponentTypeName() const { return ClassName(); }

std::string TppPrintable::GetDefaultPropHint() const {
  if (IsDataAware()) return LanguageString(ppHintDataField);
  if (FDefaultPropName == "Caption") return LanguageString(ppHintCaption);
  return {};
}

// ---- data binding

std::string TppPrintable::FieldDisplayName() const {
  if (!FDataPipeline) return FDataField;
  try {
    return FDataPipeline->GetFieldAlias(FDataField);
  } catch (const Exception&) {
    return FDataField;
  }
}

void TppPrintable::SetDataPipeline(TppDataPipeline* Value) {
  const bool Same = Value == FDataPipeline;
  if (!Same) PropertyChanging("DataPipeline");
  if (FDataPipeline) RemoveNotify(FDataPipeline);
  FDataPipeline = Value;
  if (Value) AddNotify(Value);
  Notify(Value, ppopDataChange);
  if (IsReadingOrLoading()) return;
  SendDesignerMessage(ppdmDataPipelineChange, ppdmMessageClass, 0);
  InvalidateLayout();
  if (!Same) PropertyChanged();
}

void TppPrintable::SetDataField(const std::string& Value) {
  if (!IsDataAware()) return;
  if (Value != FDataField) PropertyChanging("DataField");
  FDataField = Value;
  if (Value.empty()) SetCaption(Name());
  else if (!IsDataAvailable()) SetCaption(FieldDisplayName());
  InvalidateLayout();
}

bool TppPrintable::IsDataAvailable() const {
  if (!IsDataAware() || FDataField.empty() || !FDataPipeline) return false;
  try {
    if (!FDataPipeline->GetActive()) return false;
    // No pipeline of this program restricts fields at design time, so the design-time field query
    // has nothing to refuse.
    return !Designing() || (DesignState() & dsDisplayData) || IsReportPrinting();
  } catch (const Exception&) {
    return false;
  }
}

void TppPrintable::GetDataPipelines(std::vector<TppDataPipeline*>& List) const {
  if (!IsDataAware() || !FDataPipeline) return;
  if (std::find(List.begin(), List.end(), FDataPipeline) == List.end()) List.push_back(FDataPipeline);
}

void TppPrintable::RenameDataField(TppDataPipeline* Pipeline, const std::string& OldName,
                                   const std::string& NewName) {
  if (IsDataAware() && Pipeline == FDataPipeline && SameTextAscii(FDataField, OldName)) FDataField = NewName;
}

void TppPrintable::ReplaceDataPipeline(TppDataPipeline* NewPipeline, const std::string& UserName) {
  if (IsDataAware() && FDataPipeline && FDataPipeline->GetUserName() == UserName) SetDataPipeline(NewPipeline);
}

void TppPrintable::ResolveDataPipeline(const TppDataPipelineList& List) {
  if (IsDataAware() && !FDataPipeline && !FDataPipelineName.empty())
    SetDataPipeline(List.GetDataPipelineForName(FDataPipelineName));
}

void TppPrintable::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCacheable::Notify(Partner, Operation);
  if (Operation == ppopRemove && Partner && Partner == FDataPipeline) {
    FDataPipeline = nullptr;
    InvalidateLayout();
  }
}

void TppPrintable::DesignStateChanged(uint16_t Flags) {
  if (IsDataAware() && (Flags & dsDisplayData)) Notify(FDataPipeline, ppopDataChange);
}

// ---- bounds

void TppPrintable::SetBound(int32_t& Field, int32_t Value, const char* Change) {
  PropertyChanging(Change);
  Field = Value;
  BoundsChanged();
  InvalidateLayout();
}

void TppPrintable::SetmmLeft(int32_t Value) { SetBound(FLeft, Value, "MoveBounds"); }
void TppPrintable::SetmmTop(int32_t Value) { SetBound(FTop, Value, "MoveBounds"); }
void TppPrintable::SetmmWidth(int32_t Value) { SetBound(FWidth, Value, "ResizeBounds"); }
void TppPrintable::SetmmHeight(int32_t Value) { SetBound(FHeight, Value, "ResizeBounds"); }

void TppPrintable::StoreBounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
  FLeft = Left;
  FTop = Top;
  FWidth = Width;
  FHeight = Height;
}

void TppPrintable::SetBounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
  PropertyChanging(Left != FLeft || Top != FTop ? "MoveBounds" : "ResizeBounds");
  StoreBounds(Left, Top, Width, Height);
  BoundsChanged();
  InvalidateLayout();
}

void TppPrintable::BoundsChanged() {
  if (!Designing() || IsReportPrinting() || IsReadingOrLoading()) return;
  NotifyBoundsChange();
  PropertyChanged();
  if (FHeight != FPriorHeight || FWidth != FPriorWidth) {
    FPriorHeight = FHeight;
    FPriorWidth = FWidth;
    InvalidateDesignControl();
  }
}

float TppPrintable::MMThousandthsToUnits(int32_t Value, TppUnitType Unit, int Axis) const {
  return ConvertFromMicrons(Value, Unit, Axis, Unit == utPrinterPixels ? GetPrinter() : nullptr);
}

int32_t TppPrintable::UnitsToMMThousandths(TppUnitType Unit, int Axis, float Value) const {
  return ConvertToMicrons(Unit, Axis, Unit == utPrinterPixels ? GetPrinter() : nullptr, Value);
}

float TppPrintable::GetLeft() const { return MMThousandthsToUnits(FLeft, FUnits, ppHorizontal); }
float TppPrintable::GetTop() const { return MMThousandthsToUnits(FTop, FUnits, ppVertical); }
float TppPrintable::GetWidth() const { return MMThousandthsToUnits(FWidth, FUnits, ppHorizontal); }
float TppPrintable::GetHeight() const { return MMThousandthsToUnits(FHeight, FUnits, ppVertical); }

void TppPrintable::SetPublishedBound(int32_t& Field, int Axis, float Value, void (TppPrintable::*Set)(int32_t)) {
  // Old streams hold screen pixels here (ConvertFromVersion rescales them); newer ones overwrite
  // the field with the stored microns read later.
  if (HasState(csReading)) Field = static_cast<int32_t>(Round(Value));
  else (this->*Set)(UnitsToMMThousandths(FUnits, Axis, Value));
}

void TppPrintable::SetLeft(float Value) { SetPublishedBound(FLeft, ppHorizontal, Value, &TppPrintable::SetmmLeft); }
void TppPrintable::SetTop(float Value) { SetPublishedBound(FTop, ppVertical, Value, &TppPrintable::SetmmTop); }
void TppPrintable::SetWidth(float Value) {
  SetPublishedBound(FWidth, ppHorizontal, Value, &TppPrintable::SetmmWidth);
}
void TppPrintable::SetHeight(float Value) {
  SetPublishedBound(FHeight, ppVertical, Value, &TppPrintable::SetmmHeight);
}

int TppPrintable::GetspLeft() const { return MicronsToScreenPixels(ppHorizontal, FLeft); }
int TppPrintable::GetspTop() const { return MicronsToScreenPixels(ppVertical, FTop); }
int TppPrintable::GetspWidth() const { return MicronsToScreenPixels(ppHorizontal, FWidth); }
int TppPrintable::GetspHeight() const { return MicronsToScreenPixels(ppVertical, FHeight); }
void TppPrintable::SetspLeft(int Value) { SetmmLeft(ScreenPixelsToMicrons(ppHorizontal, Value)); }
void TppPrintable::SetspTop(int Value) { SetmmTop(ScreenPixelsToMicrons(ppVertical, Value)); }
void TppPrintable::SetspWidth(int Value) { SetmmWidth(ScreenPixelsToMicrons(ppHorizontal, Value)); }
void TppPrintable::SetspHeight(int Value) { SetmmHeight(ScreenPixelsToMicrons(ppVertical, Value)); }

void TppPrintable::SetSpBounds(int Left, int Top, int Width, int Height) {
  SetBounds(ScreenPixelsToMicrons(ppHorizontal, Left), ScreenPixelsToMicrons(ppVertical, Top),
            ScreenPixelsToMicrons(ppHorizontal, Width), ScreenPixelsToMicrons(ppVertical, Height));
}

TRect TppPrintable::GetClientRect() const { return TRect{0, 0, GetspWidth(), GetspHeight()}; }

TRect TppPrintable::GetSpBoundsRect() const {
  return TRect{GetspLeft(), GetspTop(), MicronsToScreenPixels(ppHorizontal, FLeft + FWidth),
               MicronsToScreenPixels(ppVertical, FTop + FHeight)};
}

// ---- generation

void TppPrintable::Init() {
  FOverFlow = false;
  if (NeedsResetOnInit()) Reset();
}

void TppPrintable::BeginGeneration() {
  FGenerationComplete = false;
  FSpaceUsed = 0;
  FOutOfSpace = false;
}

void TppPrintable::MarkForDrawing() {
  if (FVisible) FDrawComponent = true;
}

void TppPrintable::PrintToPage(TppPage* Page) {
  if (FDrawComponent && FVisible) CreateDrawCommand(Page);
}

void TppPrintable::EndGeneration() {
  if (FGenerationComplete) FDrawComponent = false;
}

void TppPrintable::DoOnPrint() {
  if (OnPrint) OnPrint(this);
  SendEventNotify(this, ciPrintablePrint, nullptr);
}

// ---- draw commands

void TppPrintable::CreateDrawCommand(TppPage* Page) {
  if (!FDrawCommandClass) return;
  std::unique_ptr<TppDrawCommand> Command(FDrawCommandClass());
  PropertiesToDrawCommand(Command.get());
  Command->SetClickable(static_cast<bool>(OnDrawCommandClick) || IsEventRequested(ciPrintableDrawCommandClick));
  Command->SetComponent(this);
  Command->SetOnDrawCommandClick(this, [this](TppDrawCommand* C) { DrawCommandClick(C); });
  if (Page && Page->PrinterSetup()) Command->SetPageRect(Page->PageDef()->GetPrintableRect());
  if (OnDrawCommandCreate) OnDrawCommandCreate(this, Command.get());
  TppDrawCommand* Placed = Command.get();
  if (Page) {
    Placed->SetPage(Page);  // the page owns it from here
    if (Placed->Page() == Page) Command.release();
  }
  SendObjectEvent(ciPrintableDrawCommandCreate, "aDrawCommand", TppDrawCommand::StaticClassInfo(), Placed);
}

void TppPrintable::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  DrawCommand->SetTag(Tag());
  DrawCommand->SetBorder(FBorder.get());
  if (IsDataAvailable()) DrawCommand->SetDataType(FDataPipeline->GetFieldDataType(FDataField));
}

void TppPrintable::DrawCommandClick(TObject* DrawCommand) {
  auto* Command = dynamic_cast<TppDrawCommand*>(DrawCommand);
  if (!Command) return;
  if (OnDrawCommandClick) OnDrawCommandClick(this, Command);
  SendObjectEvent(ciPrintableDrawCommandClick, "aDrawCommand", TppDrawCommand::StaticClassInfo(), Command);
}

// ---- streaming

void TppPrintable::ReadState(TReader& Reader) {
  if (IsDataAware()) FDataPipelineName = TppHReaderUtils::PeekIdentProperty(Reader, "DataPipeline");
  TppCacheable::ReadState(Reader);
}

void TppPrintable::Loaded() {
  if (DesignState() & dsFollowNameWhileLoading) RemoveDesignState(dsFollowNameWhileLoading);
  TppCacheable::Loaded();
}

void TppPrintable::DefineProperties(TFiler* Filer) {
  TppCacheable::DefineProperties(Filer);
  const auto* Anc = dynamic_cast<const TppPrintable*>(Filer->Ancestor());
  auto NameOf = [](const TppDataPipeline* P) { return P ? P->Name() : std::string(); };
  Filer->DefineProperty(
      "DataPipelineName", [this](TReader& R) { FDataPipelineName = R.ReadString(); },
      [this, NameOf](TWriter& W) { W.WriteString(NameOf(FDataPipeline)); },
      Anc ? Anc->FDataPipeline != FDataPipeline : FDataPipeline != nullptr);
  TppHReaderUtils::DefineMicrons(*Filer, "mmHeight", FHeight, Anc ? &Anc->FHeight : nullptr);
  TppHReaderUtils::DefineMicrons(*Filer, "mmLeft", FLeft, Anc ? &Anc->FLeft : nullptr);
  TppHReaderUtils::DefineMicrons(*Filer, "mmTop", FTop, Anc ? &Anc->FTop : nullptr);
  TppHReaderUtils::DefineMicrons(*Filer, "mmWidth", FWidth, Anc ? &Anc->FWidth : nullptr);
  Filer->DefineProperty("DataSource", [this](TReader& R) { FOldDataSourceName = R.ReadIdent(); }, nullptr, false);
  Filer->DefineProperty("OnFormatText", [](TReader& R) { R.ReadIdent(); }, nullptr, false);
  Filer->DefineProperty("Region", [](TReader& R) { R.ReadIdent(); }, nullptr, false);
  Filer->DefineProperty("ReportField", [this](TReader& R) { FOldReportField = R.ReadString(); }, nullptr, false);
  Filer->DefineProperty("ParentDataSource", [](TReader& R) { R.ReadBoolean(); }, nullptr, false);
  Filer->DefineProperty(
      "Alignment",
      [this](TReader& R) {
        const std::string Ident = R.ReadIdent();
        if (Ident == "taLeftJustify") SetAlignment(taLeftJustify);
        else if (Ident == "taCenter") SetAlignment(taCenter);
        else if (Ident == "taRightJustify") SetAlignment(taRightJustify);
      },
      nullptr, false);
}

void TppPrintable::ConvertFromVersion(int Version) {
  if (Version < ppVersionDataField) FDataField = FOldReportField;
  if (Version <= ppVersionScreenPixels) {
    FLeft = ScreenPixelsToMicrons(ppHorizontal, FLeft);
    FWidth = ScreenPixelsToMicrons(ppHorizontal, FWidth);
    FTop = ScreenPixelsToMicrons(ppVertical, FTop);
    FHeight = ScreenPixelsToMicrons(ppVertical, FHeight);
  }
  if (Version < ppVersionUserNames) SetUserName(Name());
}

// ---- class record

const TClassInfo& TppPrintable::StaticClassInfo() {
  using P = TppPrintable;
  static const TClassInfo Info = TClassDef<P>("TppPrintable", &TppCacheable::StaticClassInfo());
  return Info;
}
