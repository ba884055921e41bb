// Windowed controls (children, alignment, keys, wheel) and painting controls.
#include <QKeyEvent>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>

#include "platform/classes/ScopeGuard.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/WidgetBridge.h"
#include "platform/graphics/QtPainterDC.h"

// ---- TWinControl

const TClassInfo& TWinControl::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TWinControl>("TWinControl", &TControl::StaticClassInfo())
                                     .Prop("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
                                     .Default(0)
                                     .Event("OnKeyDown", &TWinControl::OnKeyDown)
                                     .Event("OnKeyPress", &TWinControl::OnKeyPress)
                                     .Event("OnEnter", &TWinControl::OnEnter)
                                     .Event("OnExit", &TWinControl::OnExit);
  return Info;
}

TWinControl::TWinControl(TComponent* AOwner) : TWinControl(AOwner, nullptr) {}

TWinControl::TWinControl(TComponent* AOwner, QWidget* AWidget) : TControl(AOwner, AWidget) {}

TWinControl::~TWinControl() { BeforeDestruction(); }

void TWinControl::Destroying() {
  // The parent frees the children still on it, as the class library does.
  while (!FControls.empty()) FControls.back()->Free();
  TControl::Destroying();
}

void TWinControl::InsertControl(TControl* C) {
  if (!C || C->FParent == this) return;
  if (C->FParent) C->FParent->RemoveControl(C);
  FControls.push_back(C);
  C->FParent = this;
  C->FWidget->setParent(ClientWidget());
  C->UpdateWidgetGeometry();
  C->UpdateWidgetVisibility();
  C->ParentChanged();
  if (C->FAlign != alNone) Realign();
  ControlsChanged();
}

void TWinControl::RemoveControl(TControl* C) {
  auto It = std::find(FControls.begin(), FControls.end(), C);
  if (It == FControls.end()) return;
  FControls.erase(It);
  C->FParent = nullptr;
  if (!C->HasState(csDestroying)) {
    C->FWidget->hide();
    C->FWidget->setParent(nullptr);
  }
  if (HasState(csDestroying)) return;
  if (C->FAlign != alNone) Realign();
  ControlsChanged();
}

void TWinControl::AdjustClientRect(int&, int&, int&, int&) const {}

void TWinControl::EnableAlign() {
  if (FAlignDisabled > 0 && --FAlignDisabled == 0) Realign();
}

void TWinControl::ChildBoundsChanged(TControl* C) {
  if (!FAligning && C->FAlign != alNone) Realign();
  ControlsChanged();
}

void TWinControl::Realign() {
  if (FAlignDisabled || FAligning || HasState(csDestroying)) return;
  TRestore<bool> Busy(FAligning, true);
  int L = 0, T = 0, R = ClientWidth(), B = ClientHeight();
  AdjustClientRect(L, T, R, B);
  auto Place = [&](TAlign A) {
    std::vector<TControl*> List;
    for (TControl* C : FControls)
      if (C->FAlign == A && C->FVisible) List.push_back(C);
    // Controls of one alignment keep the order of their positions; ties keep insertion order.
    std::stable_sort(List.begin(), List.end(), [A](TControl* X, TControl* Y) {
      switch (A) {
        case alTop: return X->FTop < Y->FTop;
        case alBottom: return X->FTop + X->FHeight > Y->FTop + Y->FHeight;
        case alLeft: return X->FLeft < Y->FLeft;
        case alRight: return X->FLeft + X->FWidth > Y->FLeft + Y->FWidth;
        default: return false;
      }
    });
    for (TControl* C : List) {
      int W = C->FWidth, H = C->FHeight;
      switch (A) {
        case alTop: C->SetBounds(L, T, std::max(R - L, 0), H); T += H; break;
        case alBottom: C->SetBounds(L, B - H, std::max(R - L, 0), H); B -= H; break;
        case alLeft: C->SetBounds(L, T, W, std::max(B - T, 0)); L += W; break;
        case alRight: C->SetBounds(R - W, T, W, std::max(B - T, 0)); R -= W; break;
        case alClient: C->SetBounds(L, T, std::max(R - L, 0), std::max(B - T, 0)); break;
        default: break;
      }
    }
  };
  for (TAlign A : {alTop, alBottom, alLeft, alRight, alClient}) Place(A);
}

void TWinControl::Resize() {
  Realign();
  TControl::Resize();
}

bool TWinControl::Focused() const { return Widget()->hasFocus(); }

bool TWinControl::CanFocus() const {
  for (const TControl* C = this; C; C = C->Parent())
    if (!C->Visible() || !C->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (Widget()->focusPolicy() == Qt::NoFocus) Widget()->setFocusPolicy(Qt::StrongFocus);
  Widget()->setFocus(Qt::OtherFocusReason);
}

LRESULT TWinControl::Perform(uint32_t Msg, WPARAM WParam, LPARAM LParam) {
  TMessage M{Msg, WParam, LParam, 0};
  WndProc(M);
  return M.Result;
}

void TWinControl::WndProc(TMessage& Message) {
  if (Message.Msg == WM_MOUSEWHEEL) {
    int Delta = static_cast<int16_t>(static_cast<uint16_t>(Message.WParam >> 16));
    unsigned Keys = Message.WParam & 0xFFFF;
    TShiftState Shift = 0;
    if (Keys & 0x01) Shift |= ssLeft;
    if (Keys & 0x02) Shift |= ssRight;
    if (Keys & 0x04) Shift |= ssShift;
    if (Keys & 0x08) Shift |= ssCtrl;
    if (Keys & 0x10) Shift |= ssMiddle;
    int X = static_cast<int16_t>(Message.LParam & 0xFFFF);
    int Y = static_cast<int16_t>((Message.LParam >> 16) & 0xFFFF);
    if (DoMouseWheel(Shift, Delta, X, Y))
      Message.Result = 1;
    else if (Parent())
      Message.Result = Parent()->Perform(Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  TMessageTarget::WndProc(Message);
}

bool TWinControl::DoMouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) {
  bool Handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, X, Y, Handled);
  return Handled;
}

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

bool TWinControl::HandleKey(QEvent* E) {
  auto* K = static_cast<QKeyEvent*>(E);
  uint16_t Key = QtKeyToVirtualKey(K->key());
  TShiftState Shift = ShiftStateFromQt(K->modifiers(), 0);
  TForm* Form = GetParentForm(this);
  TWinControl* Preview = Form && Form != this && Form->KeyPreview() ? Form : nullptr;
  QPointer<QWidget> Alive(Widget());
  if (E->type() == QEvent::KeyRelease) {
    if (Preview) Preview->KeyUp(Key, Shift);
    if (Key && Alive) KeyUp(Key, Shift);
    if (Key && Alive && FNativeInput) TWidgetBridge::PassOn(Widget(), E);
    return true;
  }
  if (Key || !K->text().isEmpty()) {
    if (Preview) Preview->KeyDown(Key, Shift);
    if (!Alive) return true;
    if (Key) KeyDown(Key, Shift);
    if (!Alive || (!Key && QtKeyToVirtualKey(K->key()))) return true;
  }
  // One character for OnKeyPress: text keys, Enter, Esc, Backspace, Tab.
  QByteArray Latin = K->text().toLatin1();
  char Ch = Latin.size() == 1 ? Latin[0] : 0;
  if (Key == VK_RETURN) Ch = '\r';
  if (Key == VK_ESCAPE) Ch = 27;
  if (Ch) {
    char Orig = Ch;
    if (Preview) Preview->KeyPress(Ch);
    if (!Alive) return true;
    if (Ch) KeyPress(Ch);
    if (!Alive || !Ch) return true;
    if (Ch != Orig && FNativeInput) {
      QKeyEvent Changed(QEvent::KeyPress, 0, K->modifiers(), QString(QChar::fromLatin1(Ch)));
      TWidgetBridge::PassOn(Widget(), &Changed);
      return true;
    }
  }
  if (FNativeInput) {
    TWidgetBridge::PassOn(Widget(), E);
    if (Key != VK_RETURN && Key != VK_ESCAPE) return true;
  }
  // Enter and Esc left over press the form's default and cancel buttons.
  if (Form && (Key == VK_RETURN || Key == VK_ESCAPE)) Form->DialogKey(Key);
  return true;
}

bool TWinControl::WidgetEvent(QEvent* E) {
  switch (E->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      return HandleKey(E);
    case QEvent::Wheel: {
      auto* W = static_cast<QWheelEvent*>(E);
      int Delta = W->angleDelta().y();
      unsigned Keys = 0;
      if (W->buttons() & Qt::LeftButton) Keys |= 0x01;
      if (W->buttons() & Qt::RightButton) Keys |= 0x02;
      if (W->modifiers() & Qt::ShiftModifier) Keys |= 0x04;
      if (W->modifiers() & Qt::ControlModifier) Keys |= 0x08;
      if (W->buttons() & Qt::MiddleButton) Keys |= 0x10;
      QPoint G = W->globalPosition().toPoint();
      WPARAM WP = (static_cast<WPARAM>(static_cast<uint16_t>(Delta)) << 16) | Keys;
      LPARAM LP = static_cast<LPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(G.y())) << 16) |
                                      static_cast<uint16_t>(G.x()));
      Perform(WM_MOUSEWHEEL, WP, LP);
      return true;
    }
    case QEvent::FocusIn:
      DoEnter();
      return false;
    case QEvent::FocusOut:
      DoExit();
      return false;
    default:
      return TControl::WidgetEvent(E);
  }
}

// ---- TGraphicControl, TCustomControl

const TClassInfo& TGraphicControl::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TGraphicControl>("TGraphicControl", &TControl::StaticClassInfo());
  return Info;
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TGraphicControl(AOwner, nullptr) {}
TGraphicControl::TGraphicControl(TComponent* AOwner, QWidget* AWidget) : TControl(AOwner, AWidget) {}

namespace {
// Runs Paint with the canvas on the widget's painter at the screen's fixed resolution.
template <class F>
void PaintThrough(QWidget* W, TCanvas& Canvas, const TFont& Font, F&& Paint) {
  int Ppi = ScreenPixelsPerInch();
  TQtPainterDC Dc(W, Ppi, Ppi);
  Canvas.SetHandle(&Dc);
  TFinally Release([&Canvas] { Canvas.SetHandle(nullptr); });
  Canvas.SetFont(Font);
  Paint();
}
}  // namespace

bool TGraphicControl::PaintWidget() {
  PaintThrough(Widget(), FCanvas, Font(), [this] { Paint(); });
  return true;
}

const TClassInfo& TCustomControl::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TCustomControl>("TCustomControl", &TWinControl::StaticClassInfo());
  return Info;
}

TCustomControl::TCustomControl(TComponent* AOwner) : TCustomControl(AOwner, nullptr) {}
TCustomControl::TCustomControl(TComponent* AOwner, QWidget* AWidget) : TWinControl(AOwner, AWidget) {}

bool TCustomControl::PaintWidget() {
  PaintThrough(Widget(), FCanvas, Font(), [this] { Paint(); });
  return true;
}

void Frame3D(TCanvas& Canvas, TRect& R, TColor TopColor, TColor BottomColor, int Width) {
  Canvas.Pen().SetWidth(1);
  --R.Bottom;
  --R.Right;
  for (int I = 0; I < Width; ++I) {
    Canvas.Pen().SetColor(TopColor);
    Canvas.Polyline({{R.Left, R.Bottom}, {R.Left, R.Top}, {R.Right, R.Top}});
    Canvas.Pen().SetColor(BottomColor);
    Canvas.Polyline({{R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left - 1, R.Bottom}});
    ++R.Left;
    ++R.Top;
    --R.Right;
    --R.Bottom;
  }
  ++R.Bottom;
  ++R.Right;
}
