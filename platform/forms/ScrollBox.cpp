// Scrolling controls: the bars, the moving content area and the scroll box.
#include <QPainter>
#include <QScrollBar>
#include <QWidget>
#include <algorithm>

#include "platform/classes/ScopeGuard.h"
#include "platform/forms/Forms.h"

// ---- TControlScrollBar

void TControlScrollBar::SetPosition(int V) {
  int Client = FKind == sbHorizontal ? FControl->ClientWidth() : FControl->ClientHeight();
  V = std::clamp(V, 0, std::max(FRange - Client, 0));
  if (V == FPosition) return;
  FPosition = V;
  FControl->UpdateScrollBars();
}

void TControlScrollBar::SetRange(int V) {
  FControl->FAutoScroll = false;
  FRange = std::max(V, 0);
  FControl->UpdateScrollBars();
}

void TControlScrollBar::SetIncrement(int V) {
  FIncrement = std::max(V, 1);
  FBar->setSingleStep(FIncrement);
}

void TControlScrollBar::SetTracking(bool V) {
  FTracking = V;
  FBar->setTracking(V);
}

void TControlScrollBar::SetVisible(bool V) {
  FVisible = V;
  FControl->UpdateScrollBars();
}

// ---- TScrollingWinControl

const TClassInfo& TScrollingWinControl::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TScrollingWinControl>("TScrollingWinControl", &TWinControl::StaticClassInfo())
          .Prop("AutoScroll", &TScrollingWinControl::AutoScroll, &TScrollingWinControl::SetAutoScroll)
          .Default(1);
  return Info;
}

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner) : TScrollingWinControl(AOwner, nullptr) {}

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner, QWidget* AWidget) : TWinControl(AOwner, AWidget) {
  Init();
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::Init() {
  FViewport = new QWidget(Widget());
  FContent = new QWidget(FViewport);
  for (TControlScrollBar* B : {&FHorz, &FVert}) {
    B->FBar = new QScrollBar(B->FKind == sbHorizontal ? Qt::Horizontal : Qt::Vertical, Widget());
    B->FBar->setTracking(false);
    B->FBar->setSingleStep(B->FIncrement);
    B->FBar->hide();
    QObject::connect(B->FBar, &QScrollBar::valueChanged, B->FBar, [this, B](int V) { BarMoved(*B, V); });
  }
  UpdateScrollBars();
}

void TScrollingWinControl::SetAutoScroll(bool V) {
  FAutoScroll = V;
  UpdateScrollBars();
}

void TScrollingWinControl::BarMoved(TControlScrollBar& Bar, int Value) {
  if (FUpdating) return;
  Bar.SetPosition(Value);
}

void TScrollingWinControl::UpdateScrollBars() {
  if (FUpdating || HasState(csDestroying)) return;
  bool SizeChanged;
  {
    TRestore<bool> Busy(FUpdating, true);
    if (FAutoScroll) {
      // The range follows the hand-placed children.
      int RH = 0, RV = 0;
      for (int I = 0; I < ControlCount(); ++I) {
        TControl* C = Controls(I);
        if (!C->Visible() || C->Align() != alNone) continue;
        RH = std::max(RH, C->Left() + C->Width());
        RV = std::max(RV, C->Top() + C->Height());
      }
      FHorz.FRange = RH;
      FVert.FRange = RV;
    }
    int B = BorderWidth();
    int AvailW = std::max(Width() - 2 * B, 0), AvailH = std::max(Height() - 2 * B, 0);
    bool NeedV = FVert.FVisible && FVert.FRange > AvailH;
    int CW = std::max(AvailW - (NeedV ? ScrollBarSize : 0), 0);
    bool NeedH = FHorz.FVisible && FHorz.FRange > CW;
    int CH = std::max(AvailH - (NeedH ? ScrollBarSize : 0), 0);
    if (!NeedV && FVert.FVisible && FVert.FRange > CH) {
      NeedV = true;
      CW = std::max(AvailW - ScrollBarSize, 0);
    }
    SizeChanged = CW != FClientW || CH != FClientH;
    FClientW = CW;
    FClientH = CH;
    FHorz.FShown = NeedH;
    FVert.FShown = NeedV;
    FHorz.FPosition = NeedH ? std::clamp(FHorz.FPosition, 0, std::max(FHorz.FRange - CW, 0)) : 0;
    FVert.FPosition = NeedV ? std::clamp(FVert.FPosition, 0, std::max(FVert.FRange - CH, 0)) : 0;

    FViewport->setGeometry(B, B, CW, CH);
    FContent->setGeometry(-FHorz.FPosition, -FVert.FPosition, std::max(FHorz.FRange, CW), std::max(FVert.FRange, CH));
    FHorz.FBar->setGeometry(B, B + CH, CW, ScrollBarSize);
    FVert.FBar->setGeometry(B + CW, B, ScrollBarSize, CH);
    FHorz.FBar->setRange(0, std::max(FHorz.FRange - CW, 0));
    FVert.FBar->setRange(0, std::max(FVert.FRange - CH, 0));
    FHorz.FBar->setPageStep(std::max(CW, 1));
    FVert.FBar->setPageStep(std::max(CH, 1));
    FHorz.FBar->setValue(FHorz.FPosition);
    FVert.FBar->setValue(FVert.FPosition);
    FHorz.FBar->setVisible(NeedH);
    FVert.FBar->setVisible(NeedV);
  }
  if (SizeChanged) Realign();
}

void TScrollingWinControl::ScrollInView(TControl* C) {
  if (!C || C->Parent() != this) return;
  if (C->Left() < FHorz.FPosition)
    FHorz.SetPosition(C->Left());
  else if (C->Left() + C->Width() > FHorz.FPosition + FClientW)
    FHorz.SetPosition(C->Left() + C->Width() - FClientW);
  if (C->Top() < FVert.FPosition)
    FVert.SetPosition(C->Top());
  else if (C->Top() + C->Height() > FVert.FPosition + FClientH)
    FVert.SetPosition(C->Top() + C->Height() - FClientH);
}

// ---- TScrollBox

const TClassInfo& TScrollBox::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TScrollBox>("TScrollBox", &TScrollingWinControl::StaticClassInfo())
                                     .Prop("BorderStyle", &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle)
                                     .Default(bsSingle);
  return Info;
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  SetBounds(0, 0, 185, 41);
  UpdateScrollBars();
}

void TScrollBox::SetBorderStyle(TBorderStyle V) {
  FBorderStyle = V == bsNone ? bsNone : bsSingle;
  UpdateScrollBars();
  Invalidate();
}

bool TScrollBox::PaintWidget() {
  if (FBorderStyle == bsNone) return false;
  // The sunken two-pixel edge of a 3-D box.
  QPainter P(Widget());
  int W = Width(), H = Height();
  P.setPen(QColor(160, 160, 160));
  P.drawLine(0, 0, W - 2, 0);
  P.drawLine(0, 0, 0, H - 2);
  P.setPen(QColor(105, 105, 105));
  P.drawLine(1, 1, W - 3, 1);
  P.drawLine(1, 1, 1, H - 3);
  P.setPen(QColor(255, 255, 255));
  P.drawLine(0, H - 1, W - 1, H - 1);
  P.drawLine(W - 1, 0, W - 1, H - 1);
  P.setPen(QColor(227, 227, 227));
  P.drawLine(1, H - 2, W - 2, H - 2);
  P.drawLine(W - 2, 1, W - 2, H - 2);
  return true;
}
