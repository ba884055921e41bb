#include "platform/forms/ExtCtrls.h"

#include "platform/classes/ScopeGuard.h"

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

// ---- TBevel

const TClassInfo& TBevel::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TBevel>("TBevel", &TGraphicControl::StaticClassInfo())
                                     .Prop("Shape", &TBevel::Shape, &TBevel::SetShape).Default(bsBox)
                                     .Prop("Style", &TBevel::Style, &TBevel::SetStyle).Default(bsLowered);
  return Info;
}

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 50, 50); }

void TBevel::SetShape(TBevelShape V) {
  FShape = V;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle V) {
  FStyle = V;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas& C = Canvas();
  TColor Dark = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor Light = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
  int W = Width(), H = Height();
  C.Pen().SetWidth(1);
  // Top and left edges in the first colour, bottom and right in the second.
  auto Box = [&](int L, int T, int R, int B, TColor First, TColor Second) {
    C.Pen().SetColor(First);
    C.Polyline({{L, B}, {L, T}, {R, T}});
    C.Pen().SetColor(Second);
    C.Polyline({{R, T}, {R, B}, {L, B}});
  };
  auto Line = [&](TColor Color, int X1, int Y1, int X2, int Y2) {
    C.Pen().SetColor(Color);
    C.MoveTo(X1, Y1);
    C.LineTo(X2, Y2);
  };
  switch (FShape) {
    case bsBox: Box(0, 0, W - 1, H - 1, Dark, Light); break;
    case bsFrame:
      Box(1, 1, W - 1, H - 1, Light, Light);
      Box(0, 0, W - 2, H - 2, Dark, Dark);
      break;
    case bsTopLine: Line(Dark, 0, 0, W, 0); Line(Light, 0, 1, W, 1); break;
    case bsBottomLine: Line(Dark, 0, H - 2, W, H - 2); Line(Light, 0, H - 1, W, H - 1); break;
    case bsLeftLine: Line(Dark, 0, 0, 0, H); Line(Light, 1, 0, 1, H); break;
    case bsRightLine: Line(Dark, W - 2, 0, W - 2, H); Line(Light, W - 1, 0, W - 1, H); break;
    default: break;
  }
}

// ---- TSplitter

const TClassInfo& TSplitter::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TSplitter>("TSplitter", &TGraphicControl::StaticClassInfo())
                                     .Prop("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize).Default(30)
                                     .Prop("AutoSnap", &TSplitter::AutoSnap, &TSplitter::SetAutoSnap).Default(1)
                                     .Event("OnMoved", &TSplitter::OnMoved);
  return Info;
}

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 3, 100);
  SetAlign(alLeft);
  SetCursor(crHSplit);
}

TControl* TSplitter::FindControl() const {
  if (!Parent()) return nullptr;
  for (int I = 0; I < Parent()->ControlCount(); ++I) {
    TControl* C = Parent()->Controls(I);
    if (C == this || !C->Visible() || C->Align() != Align()) continue;
    bool Touches = false;
    switch (Align()) {
      case alLeft: Touches = C->Left() + C->Width() == Left(); break;
      case alRight: Touches = C->Left() == Left() + Width(); break;
      case alTop: Touches = C->Top() + C->Height() == Top(); break;
      case alBottom: Touches = C->Top() == Top() + Height(); break;
      default: break;
    }
    if (Touches) return C;
  }
  return nullptr;
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FControl = FindControl();
  if (!FControl) return;
  // Positions in the parent's coordinates, so that the splitter moving under the mouse does not matter.
  FDownPos = Horizontal() ? Top() + Y : Left() + X;
  FStartSize = Horizontal() ? FControl->Height() : FControl->Width();
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FControl || !(Shift & ssLeft)) return;
  int Pos = Horizontal() ? Top() + Y : Left() + X;
  int Delta = Pos - FDownPos;
  if (Align() == alRight || Align() == alBottom) Delta = -Delta;
  int Size = FStartSize + Delta;
  if (Size < FMinSize) Size = FAutoSnap ? 0 : FMinSize;
  if (Horizontal())
    FControl->SetHeight(Size);
  else
    FControl->SetWidth(Size);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft || !FControl) return;
  FControl = nullptr;
  if (OnMoved) OnMoved(this);
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
    TRestore<QTimer*> Fire(Firing, FTimer);
    auto Handler = OnTimer;  // the handler may free this timer
    Handler(this);
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
