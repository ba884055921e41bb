#include "platform/forms/ExtCtrls.h"

#include <QTimer>
#include <QWidget>

// ---- TPanel

const TClassInfo& TPanel::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TPanel>("TPanel", &TCustomControl::StaticClassInfo())
                                     .Prop("Caption", &TPanel::Caption, &TPanel::SetCaption)
                                     .Prop("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner)
                                     .Default(bvNone)
                                     .Prop("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter)
                                     .Default(bvRaised)
                                     .Prop("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth).Default(1)
                                     .Prop("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth)
                                     .Default(0)
                                     .Prop("Alignment", &TPanel::Alignment, &TPanel::SetAlignment)
                                     .Default(taCenter);
  return Info;
}

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clBtnFace);
  SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelInner(TBevelCut V) {
  FBevelInner = V;
  Realign();
  Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut V) {
  FBevelOuter = V;
  Realign();
  Invalidate();
}

void TPanel::SetBevelWidth(int V) {
  FBevelWidth = std::max(V, 1);
  Realign();
  Invalidate();
}

void TPanel::SetBorderWidth(int V) {
  FBorderWidth = std::max(V, 0);
  Realign();
  Invalidate();
}

void TPanel::SetAlignment(TAlignment V) {
  FAlignment = V;
  Invalidate();
}

void TPanel::AdjustClientRect(int& ALeft, int& ATop, int& ARight, int& ABottom) const {
  int B = FBorderWidth;
  if (FBevelOuter != bvNone) B += FBevelWidth;
  if (FBevelInner != bvNone) B += FBevelWidth;
  ALeft += B;
  ATop += B;
  ARight -= B;
  ABottom -= B;
}

void TPanel::Paint() {
  TCanvas& C = Canvas();
  TRect R = Rect(0, 0, Width(), Height());
  auto Bevel = [&](TBevelCut Cut) {
    if (Cut == bvNone) return;
    TColor Top = Cut == bvLowered ? clBtnShadow : clBtnHighlight;
    TColor Bottom = Cut == bvLowered ? clBtnHighlight : clBtnShadow;
    if (Cut == bvSpace) Top = Bottom = Color();
    Frame3D(C, R, Top, Bottom, FBevelWidth);
  };
  Bevel(FBevelOuter);
  Frame3D(C, R, Color(), Color(), FBorderWidth);
  Bevel(FBevelInner);
  C.Brush().SetColor(Color());
  C.FillRect(R);
  if (FText.empty()) return;
  C.Brush().SetStyle(bsClear);
  uint32_t Flags = DT_SINGLELINE | DT_VCENTER |
                   (FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT);
  C.DrawText(FText, R, Flags);
}

// ---- TPaintBox

const TClassInfo& TPaintBox::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TPaintBox>("TPaintBox", &TGraphicControl::StaticClassInfo())
                                     .Event("OnPaint", &TPaintBox::OnPaint);
  return Info;
}

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 105, 105); }

void TPaintBox::Paint() {
  if (OnPaint) OnPaint(this);
}

// ---- TTimer

const TClassInfo& TTimer::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TTimer>("TTimer", &TComponent::StaticClassInfo())
                                     .Prop("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(1)
                                     .Prop("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000)
                                     .Event("OnTimer", &TTimer::OnTimer);
  return Info;
}

namespace {
// The Qt timer whose timeout is being handled now.
QTimer* Firing = nullptr;
}  // namespace

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), FTimer(new QTimer) {
  QObject::connect(FTimer, &QTimer::timeout, FTimer, [this] {
    if (!OnTimer) return;
    QTimer* Outer = Firing;
    Firing = FTimer;
    auto Handler = OnTimer;  // the handler may free this timer
    try {
      Handler(this);
    } catch (...) {
      Firing = Outer;
      throw;
    }
    Firing = Outer;
  });
  UpdateTimer();
}

TTimer::~TTimer() {
  FTimer->stop();
  FTimer->disconnect();
  // A QTimer must not be deleted inside its own timeout; the loop we are in deletes it.
  if (FTimer == Firing)
    FTimer->deleteLater();
  else
    delete FTimer;
}

void TTimer::SetEnabled(bool V) {
  FEnabled = V;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned V) {
  FInterval = V;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (FEnabled && FInterval > 0)
    FTimer->start(static_cast<int>(FInterval));
  else
    FTimer->stop();
}
