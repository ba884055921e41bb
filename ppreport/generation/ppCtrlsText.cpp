// TppCustomText: the text a box prints, its sizing (plain and turned), the band's save list, the
// groups that break on it, and the copy of all of it into a TppDrawText.
#include <algorithm>

#include "platform/classes/Filer.h"
#include "platform/graphics/Canvas.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppMeasuringCanvas.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppPlainText.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppRotatedText.h"
#include "ppreport/generation/ppCtrls.h"
#include "ppreport/generation/ppGenConsts.h"

namespace {
constexpr int ppVersionSaveTextHandler = 3100;  // before it: an "OnSave" handler per text

// The canvas text is measured on, its device context made: a printer's canvas makes it only on
// first use, and measuring calls draw nothing on a canvas without one.
struct TMeasure : TppMeasuringCanvas {
  TMeasure(IppMeasuringPrinter* Printer, const TFont& Font) : TppMeasuringCanvas(Printer, Font) {
    Canvas().RequiredState();
  }
};

// Microns to whole canvas pixels, truncated toward zero.
int ToCanvasPixels(const TppMeasuringCanvas& M, int32_t Microns, int Axis) {
  return static_cast<int>(ConvertFromMicrons(Microns, M.Unit(), Axis, M.Resolution()));
}
}  // namespace

TppCustomText::TppCustomText(TComponent* AOwner) : TppCustomComponent(AOwner) {
  AssignAutoSize(true);
  SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawText(nullptr); });
}

TppCustomText::~TppCustomText() { BeforeDestruction(); }

void TppCustomText::Destroying() {
  // A group left with this text's name would look for a control that is gone.
  const std::vector<TppGroup*> Groups(FBreakGroups.rbegin(), FBreakGroups.rend());
  FBreakGroups.clear();
  for (TppGroup* G : Groups) G->SetBreakName("");
  TppCustomComponent::Destroying();
}

// ---- properties

void TppCustomText::SetAngle(int Value) {
  if (Value == FAngle) return;
  int NewAngle;
  if (Value >= -359 && Value <= -1)
    NewAngle = Value + 360;
  else if (Value >= 0 && Value <= 359)
    NewAngle = Value;
  else
    return;
  PropertyChanging("Angle");
  FAngle = NewAngle;
  if (FAngle != 0 && WordWrap()) TppCustomComponent::SetWordWrap(false);
  RecalcSize();
  PropertyChanged();
}

void TppCustomText::SetWordWrap(bool Value) { TppCustomComponent::SetWordWrap(FAngle != 0 ? false : Value); }

void TppCustomText::SetCharWrap(bool Value) {
  if (IsReportPrinting() || Value == FCharWrap) return;
  PropertyChanging("CharWrap");
  FCharWrap = Value;
  InvalidateDesignControl();
  PropertyChanged();
  InvalidateLayout();
}

void TppCustomText::SetDisplayFormat(const std::string& Value) {
  if (Value == FDisplayFormat) return;
  PropertyChanging("DisplayFormat");
  FDisplayFormat = Value;
  PropertyChanged();
}

void TppCustomText::SetTextAlignment(TppTextAlignment Value) {
  if (Value == taFullJustified) return;
  TppCustomComponent::SetTextAlignment(Value);
}

void TppCustomText::SetCaption(const std::string& Value) {
  TppCustomComponent::SetCaption(Value);
  if (!AutoSize() && FAngle != 0) RecalcSize();
}

void TppCustomText::SetFont(const TFont* Value) {
  TppCustomComponent::SetFont(Value);
  RecalcSize();
}

void TppCustomText::SetName(const std::string& Value) {
  const std::string Old = Name();
  TppCustomComponent::SetName(Value);
  if (IsReadingOrLoading() || Old == Name()) return;
  for (TppGroup* G : std::vector<TppGroup*>(FBreakGroups)) G->RenameBreakComponent(Old, Name());
}

std::string TppCustomText::GetDescription() const { return GetUserName() + ": " + Caption(); }

// ---- the save list

void TppCustomText::SetSave(bool Value) {
  if (Value == FSave) return;
  FSave = Value;
  if (!HasState(csReading) && Band()) {
    if (!FSave)
      Band()->RemoveSave(this);
    else if (Band()->IndexOfSave(this) < 0)
      Band()->AddSave(this);
  }
  if (Designing()) PropertyChanged();
  InvalidateLayout();
}

void TppCustomText::SetSaveLength(int Value) {
  if (Value == FSaveLength) return;
  FSaveLength = Value;
  InvalidateLayout();
}

int TppCustomText::SaveOrder() const { return Band() ? Band()->IndexOfSave(this) : -1; }

void TppCustomText::SetSaveOrder(int Value) {
  if (HasState(csReading)) {
    FStoredSaveOrder = static_cast<int16_t>(Value);
    return;
  }
  MoveToSaveOrder(Value);
  InvalidateLayout();
}

void TppCustomText::MoveToSaveOrder(int N) {
  if (!FSave || !Band()) return;
  int Order = static_cast<int16_t>(N);
  if (Order < 0) Order = 0;
  const int Count = Band()->GetSaveCount();
  if (Count > 0 && Order >= Count) Order = Count - 1;
  if (SaveOrder() == Order) return;
  if (Band()->IndexOfSave(this) >= 0) Band()->RemoveSave(this);
  Band()->InsertSave(std::min(Order, Band()->GetSaveCount()), this);
}

// ---- break groups

void TppCustomText::AddBreakGroup(TppGroup* Group) {
  if (Group && std::find(FBreakGroups.begin(), FBreakGroups.end(), Group) == FBreakGroups.end())
    FBreakGroups.push_back(Group);
}

void TppCustomText::RemoveBreakGroup(TppGroup* Group) { std::erase(FBreakGroups, Group); }

// ---- text

std::string TppCustomText::GetDisplayText() const { return TppCustomComponent::GetText(); }

std::string TppCustomText::GetText() const {
  std::string Text = GetDisplayText();
  if (IsReadingOrLoading() || (Designing() && !IsReportPrinting())) return Text;
  auto* Self = const_cast<TppCustomText*>(this);
  if (OnGetText) OnGetText(Self, Text);
  if (IsEventRequested(ciTextGetText)) {
    TraParamList Params;
    Params.AddParam("Text", vkString, nullptr, {}, false, true);
    Params.BindParam(0, &Text);
    Self->SendEventNotify(Self, ciTextGetText, &Params);
  }
  return Text;
}

// ---- sizing

void TppCustomText::RecalcSize() {
  if (HasState(csReading)) return;
  if (FAngle != 0)
    CalcRotatedSize();
  else
    CalcSize();
}

void TppCustomText::CalcSize() {
  if (IsReportPrinting() || (!AutoSize() && WordWrap())) return;
  TMeasure M(GetPrinter(), *Font());
  TRect R{0, 0, ToCanvasPixels(M, mmWidth(), ppHorizontal), ToCanvasPixels(M, mmHeight(), ppVertical)};
  uint32_t Flags = DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX | DT_EXTERNALLEADING;
  if (Alignment() == taRightJustify) Flags |= DT_RIGHT;
  if (Alignment() == taCenter) Flags |= DT_CENTER;
  if (WordWrap()) Flags |= DT_WORDBREAK;
  M.Canvas().DrawText(Caption(), R, Flags);
  const TppControlBounds Measured{0, 0, M.ToMicrons(R.Width(), ppHorizontal), M.ToMicrons(R.Height(), ppVertical)};
  const TppControlBounds B = AdjustBounds(Measured);
  SetBounds(B.Left, B.Top, B.Width, B.Height);
  FSizedLeft = mmLeft();
  FSizedWidth = mmWidth();
}

TppControlBounds TppCustomText::AdjustBounds(const TppControlBounds& Measured) {
  TppControlBounds R = Measured;
  R.Top = mmTop();
  if (!AutoSize()) {
    R.Left = mmLeft();
    R.Width = mmWidth();
  }
  TppBorder& Border = *this->Border();
  const int32_t B = Border.Visible() ? Border.GetmmWeight() : 0;
  auto Sides = [&](TppBorderPositionType First, TppBorderPositionType Second) {
    return (Border.Has(First) ? B : 0) + (Border.Has(Second) ? B : 0);
  };
  const int32_t Vertical = Sides(bpTop, bpBottom), Horizontal = Sides(bpLeft, bpRight);
  if (Border.Visible() && !AutoSize()) {
    if (WordWrap())
      R.Height += Vertical;
    else
      R.Height = mmHeight();
  }
  if (!AutoSize()) return R;
  R.Height += Vertical;
  R.Width += Horizontal;
  // The new box keeps the anchor box's anchor for the alignment (its left edge, centre or right
  // edge), measured with the sides' border included, so a text that changes again and again stays put.
  if (mmLeft() != FSizedLeft || mmWidth() != FSizedWidth) {
    FAnchorLeft = mmLeft();
    FAnchorWidth = mmWidth();
  }
  const int32_t Spare = FAnchorWidth - R.Width;
  switch (Alignment()) {
    case taLeftJustify: R.Left = FAnchorLeft; break;
    case taRightJustify:
      // Just after the sides changed the text keeps its left edge, once; that box is the new anchor.
      if (Border.BorderPositions() != Border.PreviousBorderPositions()) {
        R.Left = FAnchorLeft;
        FAnchorWidth = R.Width;
        Border.SetPreviousBorderPositions(Border.BorderPositions());
      } else {
        R.Left = FAnchorLeft + Spare;
      }
      break;
    case taCenter: R.Left = FAnchorLeft + Spare / 2; break;
    default: throw EDesignError(SppUnknownAlignment);
  }
  return R;
}

void TppCustomText::CalcRotatedSize() {
  const std::string Text = GetText();
  // Without a text there is nothing to turn: the control keeps its bounds.
  if (Text.empty()) return;
  TMeasure M(GetPrinter(), *Font());
  TppRotatedBounds B;
  TppRotatedText::CalcBoundsRect(M.Canvas(), Text, B, Border(), Alignment(), AutoSize(), FAngle, mmHeight(),
                                 mmWidth(), mmTop(), mmLeft(), *Font());
  SetBounds(B.Left, B.Top, B.Width, B.Height);
  InvalidateDesignControl();
}

void TppCustomText::BoundsChanged() {
  TppCustomComponent::BoundsChanged();
  if (FAngle == 0) return;
  const std::string Text = GetText();
  if (Text.empty()) return;
  TMeasure M(GetPrinter(), *Font());
  TPoint Origin{};
  TppRotatedText::CalcTextOrigin(M.Canvas(), Text, Origin, Border(), Alignment(), AutoSize(), FAngle, mmHeight(),
                                 mmWidth(), *Font());
  FRotatedOriginLeft = Origin.X;
  FRotatedOriginTop = Origin.Y;
}

// ---- the draw command

void TppCustomText::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppCustomComponent::PropertiesToDrawCommand(DrawCommand);
  auto* T = dynamic_cast<TppDrawText*>(DrawCommand);
  if (!T) return;
  const TRect R = PageRect();
  T->SetAlignment(Alignment());
  T->SetAngle(FAngle);
  T->SetAutoSize(AutoSize());
  T->SetColor(Color());
  T->SetForceJustifyLastLine(ForceJustifyLastLine());
  T->SetLeft(R.Left);
  T->SetTop(R.Top);
  T->SetHeight(R.Height());
  T->SetWidth(R.Width());
  T->SetRotatedOriginLeft(FRotatedOriginLeft);
  T->SetRotatedOriginTop(FRotatedOriginTop);
  T->SetText(GetText());
  T->SetTextAlignment(TextAlignment());
  T->SetTransparent(Transparent());
  T->SetWordWrap(WordWrap());
  T->SetFont(Font());
  if (WordWrap()) {
    TStringList Lines;
    int32_t Start = 0;
    TRect Room = R;
    if (AutoSize()) {
      // The box was sized to hold exactly its lines; the wrapper counts each line's height rounded
      // and wants room to spare, and would drop the last line. Allow it up to one line less a micron
      // below the box: its lines all fit, and never one more.
      int32_t LineHeight = 0;
      TppPlainText::CalcLineCount(*Font(), 0, LineHeight, GetPrinter(), R.Height());
      Room.Bottom += std::max(LineHeight - 1, 0);
    }
    TppPlainText::WordWrap(T->Text(), Room, T->TextAlignment(), T->AutoSize(), *Font(), FCharWrap, 0, nullptr,
                           GetPrinter(), Start, Lines);
    T->SetWrappedText(&Lines);
  }
  T->SetBandSave(Band() && Band()->Save());
  TppCustomReport* Report = GetReport();
  T->SetBandSaveNo(Report ? Report->ReportBandCount() : 0);
  T->SetComponentSave(FSave);
  T->SetComponentSaveNo(SaveOrder());
  T->SetSaveLength(FSaveLength);
}

// ---- streaming

void TppCustomText::ConvertFromVersion(int Version) {
  TppCustomComponent::ConvertFromVersion(Version);
  if (Version >= ppVersionSaveTextHandler || FOnSaveName.empty() || !Band() || !Band()->Report()) return;
  Band()->Report()->BindSaveTextHandler(FOnSaveName);
}

void TppCustomText::DefineProperties(TFiler* Filer) {
  TppCustomComponent::DefineProperties(Filer);
  Filer->DefineProperty("OnSave", [this](TReader& R) { FOnSaveName = R.ReadIdent(); }, nullptr, false);
  const auto* Anc = dynamic_cast<const TppCustomText*>(Filer->Ancestor());
  const bool Turned = FAngle != 0;
  Filer->DefineProperty(
      "RotatedOriginLeft", [this](TReader& R) { FRotatedOriginLeft = R.ReadInteger(); },
      [this](TWriter& W) { W.WriteInteger(FRotatedOriginLeft); },
      Turned && (!Anc || Anc->FRotatedOriginLeft != FRotatedOriginLeft));
  Filer->DefineProperty(
      "RotatedOriginTop", [this](TReader& R) { FRotatedOriginTop = R.ReadInteger(); },
      [this](TWriter& W) { W.WriteInteger(FRotatedOriginTop); },
      Turned && (!Anc || Anc->FRotatedOriginTop != FRotatedOriginTop));
}
