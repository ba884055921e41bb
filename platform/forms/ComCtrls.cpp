#include "platform/forms/ComCtrls.h"

#include <QFontMetrics>
#include <QProgressBar>
#include <QToolButton>
#include <algorithm>

#include "platform/classes/ScopeGuard.h"
#include "platform/forms/QtImage.h"

std::vector<std::pair<int, int>> LayoutToolButtons(int ClientWidth, int ButtonHeight, const std::vector<int>& Widths,
                                                   const std::vector<bool>& Wrap, bool Wrapable) {
  std::vector<std::pair<int, int>> Pos;
  int X = 0, Y = 0;
  for (size_t I = 0; I < Widths.size(); ++I) {
    if (Wrapable && X > 0 && X + Widths[I] > ClientWidth) {
      X = 0;
      Y += ButtonHeight;
    }
    Pos.emplace_back(X, Y);
    X += Widths[I];
    if (I < Wrap.size() && Wrap[I]) {
      X = 0;
      Y += ButtonHeight;
    }
  }
  return Pos;
}

// ---- TToolButton

const TClassInfo& TToolButton::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TToolButton>("TToolButton", &TGraphicControl::StaticClassInfo())
                                     .Prop("Caption", &TToolButton::Caption, &TToolButton::SetCaption)
                                     .Prop("Style", &TToolButton::Style, &TToolButton::SetStyle).Default(tbsButton)
                                     .Prop("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped).Default(0)
                                     .Prop("Down", &TToolButton::Down, &TToolButton::SetDown).Default(0)
                                     .Prop("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex)
                                     .Default(-1)
                                     .Prop("Wrap", &TToolButton::Wrap, &TToolButton::SetWrap).Default(0);
  return Info;
}

TToolButton::TToolButton(TComponent* AOwner)
    : TGraphicControl(AOwner, new QToolButton), FButton(static_cast<QToolButton*>(Widget())) {
  SetNativeInput(true);
  FButton->setFocusPolicy(Qt::NoFocus);
  QObject::connect(FButton, &QToolButton::clicked, FButton, [this] { Click(); });
  SetBounds(0, 0, 23, 22);
  UpdateLook();
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

int TToolButton::Index() const {
  TToolBar* Bar = ToolBar();
  if (!Bar) return -1;
  auto It = std::find(Bar->FButtons.begin(), Bar->FButtons.end(), this);
  return It == Bar->FButtons.end() ? -1 : static_cast<int>(It - Bar->FButtons.begin());
}

void TToolButton::UpdateLook() {
  TToolBar* Bar = ToolBar();
  bool Separator = FStyle == tbsSeparator || FStyle == tbsDivider;
  QIcon Icon;
  if (Bar && Bar->FImages && FImageIndex >= 0 && FImageIndex < Bar->FImages->Count()) {
    Icon = QIcon(ToQPixmap(Bar->FImages->Image(FImageIndex)));
    FButton->setIconSize(QSize(Bar->FImages->Width(), Bar->FImages->Height()));
  }
  bool ShowText = !Separator && (!Bar || Bar->FShowCaptions || Icon.isNull());
  FButton->setIcon(Separator ? QIcon() : Icon);
  FButton->setText(ShowText ? QString::fromStdString(FText) : QString());
  FButton->setToolButtonStyle(Icon.isNull() ? Qt::ToolButtonTextOnly
                              : ShowText    ? Qt::ToolButtonTextUnderIcon
                                            : Qt::ToolButtonIconOnly);
  FButton->setAutoRaise(!Bar || Bar->FFlat);
  FButton->setEnabled(Enabled() && !Separator);
  FButton->setCheckable(FStyle == tbsCheck);
  FButton->setChecked(FDown);
}

void TToolButton::SetStyle(TToolButtonStyle V) {
  FStyle = V;
  if (V != tbsCheck) FDown = false;
  UpdateLook();
  if (TToolBar* Bar = ToolBar()) Bar->UpdateButtons();
}

void TToolButton::SetGrouped(bool V) {
  FGrouped = V;
  UpdateLook();
}

std::vector<TToolButton*> TToolButton::Group() const {
  std::vector<TToolButton*> G{const_cast<TToolButton*>(this)};
  TToolBar* Bar = ToolBar();
  int I = Index();
  if (!Bar || I < 0 || !FGrouped || FStyle != tbsCheck) return G;
  auto InGroup = [](TToolButton* B) { return B->FGrouped && B->FStyle == tbsCheck; };
  for (int J = I - 1; J >= 0 && InGroup(Bar->FButtons[J]); --J) G.push_back(Bar->FButtons[J]);
  for (int J = I + 1; J < Bar->ButtonCount() && InGroup(Bar->FButtons[J]); ++J) G.push_back(Bar->FButtons[J]);
  return G;
}

void TToolButton::SetDown(bool V) {
  if (FStyle != tbsCheck) V = false;
  FDown = V;
  if (V)
    for (TToolButton* B : Group())
      if (B != this && B->FDown) {
        B->FDown = false;
        B->UpdateLook();
      }
  UpdateLook();
}

void TToolButton::SetImageIndex(int V) {
  FImageIndex = V;
  UpdateLook();
}

void TToolButton::SetWrap(bool V) {
  FWrap = V;
  if (TToolBar* Bar = ToolBar()) Bar->UpdateButtons();
}

void TToolButton::Click() {
  if (FStyle == tbsCheck) {
    if (!FGrouped)
      SetDown(!FDown);
    else if (!FDown)
      SetDown(true);
    else if (FAllowAllUp)
      SetDown(false);
    else
      UpdateLook();  // stays down; undo Qt's own toggle
  }
  TGraphicControl::Click();
}

// ---- TToolBar

const TClassInfo& TToolBar::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TToolBar>("TToolBar", &TWinControl::StaticClassInfo())
                                     .Prop("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth)
                                     .Default(23)
                                     .Prop("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight)
                                     .Default(22)
                                     .Prop("Images", &TToolBar::Images, &TToolBar::SetImages)
                                     .Prop("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions)
                                     .Default(0)
                                     .Prop("Flat", &TToolBar::Flat, &TToolBar::SetFlat).Default(0)
                                     .Prop("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable).Default(1);
  return Info;
}

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetColor(clBtnFace);
  SetBounds(0, 0, 150, 29);
  SetAlign(alTop);
}

TToolBar::~TToolBar() {
  SetState(csDestroying, true);
  SetImages(nullptr);
}

void TToolBar::SetButtonWidth(int V) {
  FButtonWidth = std::max(V, 0);
  UpdateButtons();
}

void TToolBar::SetButtonHeight(int V) {
  FButtonHeight = std::max(V, 0);
  UpdateButtons();
}

void TToolBar::SetImages(TImageList* V) {
  if (V == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = V;
  if (FImages) FImages->FreeNotification(this);
  UpdateButtons();
}

void TToolBar::Notification(TComponent* C, TOperation Op) {
  TWinControl::Notification(C, Op);
  if (Op == opRemove && C == FImages) {
    FImages = nullptr;
    UpdateButtons();
  }
}

void TToolBar::SetShowCaptions(bool V) {
  FShowCaptions = V;
  UpdateButtons();
}

void TToolBar::SetFlat(bool V) {
  FFlat = V;
  UpdateButtons();
}

void TToolBar::SetWrapable(bool V) {
  FWrapable = V;
  UpdateButtons();
}

void TToolBar::ControlsChanged() {
  if (FLayingOut || HasState(csDestroying)) return;
  // Buttons keep the order they came onto the bar.
  std::vector<TToolButton*> Now;
  for (TToolButton* B : FButtons)
    if (B->Parent() == this) Now.push_back(B);
  for (int I = 0; I < ControlCount(); ++I)
    if (auto* B = dynamic_cast<TToolButton*>(Controls(I)); B && std::find(Now.begin(), Now.end(), B) == Now.end())
      Now.push_back(B);
  FButtons = std::move(Now);
  UpdateButtons();
}

// A caption under a picture needs the picture, the 4 pixels Qt's styles keep around it and a whole
// line of text; a smaller ButtonHeight grows to that, as the system's tool bars grow, so that no
// caption loses its descenders.
int TToolBar::RowHeight() const {
  if (!FShowCaptions || !FImages) return FButtonHeight;
  return std::max(FButtonHeight, FImages->Height() + 4 + QFontMetrics(Widget()->font()).height());
}

void TToolBar::UpdateButtons() {
  if (FLayingOut || HasState(csDestroying)) return;
  TRestore<bool> Busy(FLayingOut, true);
  std::vector<int> Widths;
  std::vector<bool> Wraps;
  for (TToolButton* B : FButtons) {
    bool Separator = B->FStyle == tbsSeparator || B->FStyle == tbsDivider;
    Widths.push_back(Separator ? B->Width() : FButtonWidth);
    Wraps.push_back(B->FWrap);
  }
  int Height = RowHeight();
  auto Pos = LayoutToolButtons(ClientWidth(), Height, Widths, Wraps, FWrapable);
  for (size_t I = 0; I < FButtons.size(); ++I) {
    FButtons[I]->SetBounds(Pos[I].first, Pos[I].second, Widths[I], Height);
    FButtons[I]->UpdateLook();
  }
}

// ---- TStatusBar

void TStatusPanel::SetText(const std::string& V) {
  if (V == FText) return;
  FText = V;
  FBar->Invalidate();
}

void TStatusPanel::SetWidth(int V) {
  FWidth = std::max(V, 0);
  FBar->Invalidate();
}

void TStatusPanel::SetAlignment(TAlignment V) {
  FAlignment = V;
  FBar->Invalidate();
}

void TStatusPanel::SetBevel(TStatusPanelBevel V) {
  FBevel = V;
  FBar->Invalidate();
}

int TStatusPanel::Index() const {
  auto& L = FBar->Panels().FItems;
  for (size_t I = 0; I < L.size(); ++I)
    if (L[I].get() == this) return static_cast<int>(I);
  return -1;
}

TStatusPanel* TStatusPanels::Add() {
  FItems.push_back(std::unique_ptr<TStatusPanel>(new TStatusPanel(FBar)));
  FBar->Invalidate();
  return FItems.back().get();
}

void TStatusPanels::Clear() {
  FItems.clear();
  FBar->Invalidate();
}

const TClassInfo& TStatusBar::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TStatusBar>("TStatusBar", &TCustomControl::StaticClassInfo())
                                     .Prop("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel)
                                     .Default(0)
                                     .Prop("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
  return Info;
}

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clBtnFace);
  SetBounds(0, 0, 150, 19);
  SetAlign(alBottom);
}

void TStatusBar::SetSimplePanel(bool V) {
  FSimplePanel = V;
  Invalidate();
}

void TStatusBar::SetSimpleText(const std::string& V) {
  FSimpleText = V;
  Invalidate();
}

void TStatusBar::Paint() {
  TCanvas& C = Canvas();
  C.Brush().SetColor(Color());
  C.FillRect(Rect(0, 0, Width(), Height()));
  C.Brush().SetStyle(bsClear);
  auto Text = [&](TRect R, const std::string& S, TAlignment A) {
    R = Rect(R.Left + 2, R.Top + 1, R.Right - 2, R.Bottom - 1);
    uint32_t F = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                 (A == taCenter ? DT_CENTER : A == taRightJustify ? DT_RIGHT : DT_LEFT);
    C.DrawText(S, R, F);
  };
  if (FSimplePanel) {
    Text(Rect(0, 2, Width(), Height()), FSimpleText, taLeftJustify);
    return;
  }
  int X = 0;
  for (int I = 0; I < FPanels.Count(); ++I) {
    TStatusPanel* P = FPanels[I];
    int Right = I == FPanels.Count() - 1 ? Width() : X + P->Width();
    TRect R = Rect(X, 2, Right - 2, Height());
    if (P->Bevel() != pbNone) {
      TRect F = R;
      Frame3D(C, F, P->Bevel() == pbLowered ? clBtnShadow : clBtnHighlight,
              P->Bevel() == pbLowered ? clBtnHighlight : clBtnShadow, 1);
    }
    Text(R, P->Text(), P->Alignment());
    X = Right;
  }
}

// ---- TProgressBar

const TClassInfo& TProgressBar::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TProgressBar>("TProgressBar", &TWinControl::StaticClassInfo())
                                     .Prop("Min", &TProgressBar::Min, &TProgressBar::SetMin).Default(0)
                                     .Prop("Max", &TProgressBar::Max, &TProgressBar::SetMax).Default(100)
                                     .Prop("Position", &TProgressBar::Position, &TProgressBar::SetPosition)
                                     .Default(0)
                                     .Prop("Step", &TProgressBar::Step, &TProgressBar::SetStep).Default(10);
  return Info;
}

TProgressBar::TProgressBar(TComponent* AOwner)
    : TWinControl(AOwner, new QProgressBar), FBar(static_cast<QProgressBar*>(Widget())) {
  FBar->setTextVisible(false);
  SetBounds(0, 0, 150, 16);
  Apply();
}

void TProgressBar::SetMin(int V) {
  FMin = V;
  FMax = std::max(FMax, V);
  Apply();
}

void TProgressBar::SetMax(int V) {
  FMax = V;
  FMin = std::min(FMin, V);
  Apply();
}

void TProgressBar::SetPosition(int V) {
  FPosition = V;
  Apply();
}

void TProgressBar::Apply() {
  FPosition = std::clamp(FPosition, FMin, FMax);
  FBar->setRange(FMin, FMax);
  FBar->setValue(FPosition);
}

// ---- TUpDown

const TClassInfo& TUpDown::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TUpDown>("TUpDown", &TCustomControl::StaticClassInfo())
                                     .Prop("Min", &TUpDown::Min, &TUpDown::SetMin).Default(0)
                                     .Prop("Max", &TUpDown::Max, &TUpDown::SetMax).Default(100)
                                     .Prop("Position", &TUpDown::Position, &TUpDown::SetPosition).Default(0)
                                     .Prop("Increment", &TUpDown::Increment, &TUpDown::SetIncrement).Default(1)
                                     .Event("OnClick", &TUpDown::OnClick);
  return Info;
}

TUpDown::TUpDown(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clBtnFace);
  SetBounds(0, 0, 17, 25);
}

void TUpDown::SetPosition(int V) {
  FPosition = std::clamp(V, std::min(FMin, FMax), std::max(FMin, FMax));
  Invalidate();
}

void TUpDown::Paint() {
  TCanvas& C = Canvas();
  int Half = Height() / 2;
  const TRect Halves[] = {Rect(0, 0, Width(), Half), Rect(0, Half, Width(), Height())};
  for (int I = 0; I < 2; ++I) {
    TRect R = Halves[I];
    bool Down = FPressed == I;
    Frame3D(C, R, Down ? clBtnShadow : clBtnHighlight, Down ? clBtnHighlight : clBtnShadow, 1);
    C.Brush().SetColor(clBtnFace);
    C.FillRect(R);
  }
}

void TUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FPressed = Y < Height() / 2 ? 0 : 1;
  TUDBtnType B = FPressed == 0 ? btNext : btPrev;
  SetPosition(FPosition + (B == btNext ? FIncrement : -FIncrement));
  if (OnClick) OnClick(this, B);
}

void TUpDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  FPressed = -1;
  Invalidate();
}
