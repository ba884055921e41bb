// The control base (placement on the page, the one-byte page record), the label, and the class
// records and start-up of the text and graphic controls.
#include "ppreport/generation/ppCtrls.h"

#include "platform/classes/Filer.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppLanguageModule.h"
#include "ppreport/core/ppModelPalette.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppGenConsts.h"
#include "ppreport/generation/ppShapes.h"
#include "ppreport/generation/ppStrtch.h"

namespace {

// The region a control lies in, when it is a generating one.
TppStretchable* ParentRegion(const TppComponent& C) {
  return dynamic_cast<TppStretchable*>(static_cast<TppComponent*>(C.Region()));
}

}  // namespace

// ---- TppCustomComponent

TppCustomComponent::TppCustomComponent(TComponent* AOwner) : TppComponent(AOwner) { SetCacheRecordSize(1); }

TppCustomComponent::~TppCustomComponent() { BeforeDestruction(); }

bool TppCustomComponent::ParentOverFlow() const {
  if (const TppStretchable* R = ParentRegion(*this)) return R->OverFlow();
  return Band() && Band()->OverFlow();
}

bool TppCustomComponent::ParentCanStretch() const {
  if (!Band() || Band()->PrintHeight() != phDynamic) return false;
  const TppStretchable* R = ParentRegion(*this);
  return !R || R->Stretch();
}

void TppCustomComponent::Generate() {
  if (ReprintOnOverFlow() && ParentOverFlow()) MarkForDrawing();
  if (!Visible() && !DrawComponent()) {
    DoOnPrint();
    if (Visible()) SetDrawComponent(true);  // the handler showed it
  } else {
    DoOnPrint();
  }
  if (DrawComponent() && Visible()) {
    CalcPrintPosition();
    if (OutOfSpace()) return;  // generated again on the next page
  }
  SetGenerationComplete(true);
}

void TppCustomComponent::CalcPrintPosition() {
  // Once an object a record: the class table answers what a dynamic cast would, for less.
  TppBand* Mine = Band();
  if (!Mine || !Mine->InheritsFrom(TppCustomBand::StaticClassInfo())) return;
  auto* B = static_cast<TppCustomBand*>(Mine);
  const int32_t Left = B->GetPrintRect().Left + mmLeft();
  int32_t Height = mmHeight();
  const TppComponent* Shifter = nullptr;
  int32_t Growth = 0, Current, Bottom, Adjustment, Top;
  bool Partial;
  if (const TppStretchable* R = ParentRegion(*this)) {
    Current = R->CurrentPosition();
    Bottom = R->PageBottom();
    Partial = R->PartialGeneration();
    Adjustment = R->PartialAdjustment();
    Top = mmTop() - R->mmTop() + R->PrintRect().Top;
    if (R->SpaceUsed() > 0) {
      Shifter = R->MaxStretchable();
      Growth = R->SpaceUsed() - R->mmHeight();
    }
  } else {
    Current = B->GetCurrentPosition();
    Bottom = B->GetPageBottom();
    Partial = B->GetPartialGeneration();
    Adjustment = B->GetPartialAdjustment();
    Top = B->GetPrintRect().Top + mmTop();
    if (B->GetSpaceUsed() > 0) {
      Shifter = B->GetMaxStretchable();
      Growth = B->GetSpaceUsed() - B->mmHeight();
    }
  }
  if (Partial) Top -= Adjustment;
  if (GetShiftWithParent()) {
    // Keeps the designed gap below the lowest stretchable.
    if (Shifter)
      Top = Shifter->PrintRect().Top + Shifter->SpaceUsed() + (mmTop() - (Shifter->mmTop() + Shifter->mmHeight()));
    else
      Top += Growth;
  }
  if (StretchWithParent()) {
    if (Top < Current) Height = Current - Top;
    if (Top < Bottom && Bottom < Top + Height) Height = Bottom - Top;
  }
  if (ParentCanStretch() && Top + Height > Bottom + 1) {
    SetOutOfSpace(true);
    return;
  }
  SetPrintRect({Left, Top, Left + mmWidth(), Top + Height});
  SetSpaceUsed(Height);
  UpdateDrawState();
  TRect R = PrintRect();
  R.Bottom = R.Top + SpaceUsed();
  SetPrintRect(R);
}

void TppCustomComponent::SaveToCache(int Page) {
  const uint8_t Record = DrawComponent() ? 1 : 0;
  WriteRecord(Page, Record);
}

void TppCustomComponent::RestoreFromCache(int Page) {
  uint8_t Record = 0;
  if (ReadRecord(Page, Record)) SetDrawComponent(Record != 0);
}

void TppCustomComponent::DefineProperties(TFiler* Filer) {
  TppComponent::DefineProperties(Filer);
  // Old streams: the two band-relative options before anchors and parent stretching had names.
  Filer->DefineProperty("ShiftWithBand", [this](TReader& R) { SetShiftWithParent(R.ReadBoolean()); }, nullptr, false);
  Filer->DefineProperty("StretchWithBand", [this](TReader& R) { SetStretchWithParent(R.ReadBoolean()); }, nullptr,
                        false);
}

// ---- TppLabel

TppLabel::TppLabel(TComponent* AOwner) : TppCustomText(AOwner) { SetDefaultProp("Caption", 0); }

TppLabel::~TppLabel() { BeforeDestruction(); }

std::string TppLabel::GetDefaultPropHint() const {
  if (ppResourceManager().ModulesLoaded()) {
    std::string Text = LanguageString(119);
    if (!Text.empty()) return Text;
  }
  return SppHintLabelCaption;
}

void TppLabel::SetUserName(const std::string& Value) {
  const std::string Old = GetUserName();
  TppCustomText::SetUserName(Value);
  if (GetUserName() == Old || IsReadingOrLoading()) return;
  if (Caption() == Old) SetCaption(GetUserName());
}

// ---- class records

const TClassInfo& TppCustomComponent::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppCustomComponent>("TppCustomComponent", &TppComponent::StaticClassInfo());
  return Info;
}

const TClassInfo& TppCustomText::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppCustomText>("TppCustomText", &TppCustomComponent::StaticClassInfo());
  return Info;
}

const TClassInfo& TppLabel::StaticClassInfo() {
  using C = TppLabel;
  static const TClassInfo Info =
      TClassDef<C>("TppLabel", &TppCustomText::StaticClassInfo())
          .SetProp<TppAnchorType>("Anchors", &C::Anchors, &C::SetAnchors)
          .Default(ppAnchorLeft | ppAnchorTop)
          .Prop("Angle", &C::Angle, &C::SetAngle)
          .Default(0)
          .Prop("AutoSize", &C::AutoSize, &C::SetAutoSize)
          .Default(1)
          .Prop("Border", &C::Border, &C::SetBorder)
          .Prop("Caption", &C::Caption, &C::SetCaption)
          .Prop("CharWrap", &C::CharWrap, &C::SetCharWrap)
          .Default(0)
          .Prop("Color", &C::Color, &C::SetColor)
          .Default(clWhite)
          .Prop("Font", &C::Font, &C::SetFont)
          .Prop("Height", &C::GetHeight, &C::SetHeight)
          .Stored(false)
          .Prop("Left", &C::GetLeft, &C::SetLeft)
          .Stored(false)
          .Prop("Top", &C::GetTop, &C::SetTop)
          .Stored(false)
          .Prop("Width", &C::GetWidth, &C::SetWidth)
          .Stored(false)
          .Event("OnDrawCommandClick", &C::OnDrawCommandClick)
          .Event("OnDrawCommandCreate", &C::OnDrawCommandCreate)
          .Event("OnGetText", &C::OnGetText)
          .Event("OnPrint", &C::OnPrint)
          .Prop("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow)
          .Default(0)
          .Prop("Save", &C::Save, &C::SetSave)
          .Default(0)
          .Prop("SaveLength", &C::SaveLength, &C::SetSaveLength)
          .Default(0)
          .Prop("SaveOrder", &C::SaveOrder, &C::SetSaveOrder)
          .Default(-1)
          .Prop("TextAlignment", &C::TextAlignment, &C::SetTextAlignment)
          .Default(taLeftJustified)
          .Prop("Transparent", &C::Transparent, &C::SetTransparent)
          .Default(0)
          .Prop("Visible", &C::Visible, &C::SetVisible)
          .Default(1)
          .Prop("WordWrap", &C::WordWrap, &C::SetWordWrap)
          .Default(0);
  return Info;
}

// ---- start-up

void InitializeCtrlsUnit() {
  ppRegisterModelComponents(
      {&TppLabel::StaticClassInfo(), &TppShape::StaticClassInfo(), &TppLine::StaticClassInfo()});
}

void FinalizeCtrlsUnit() {
  ppUnregisterModelComponents(
      {&TppLabel::StaticClassInfo(), &TppShape::StaticClassInfo(), &TppLine::StaticClassInfo()});
}
