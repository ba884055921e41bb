#include "platform/forms/Controls.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <algorithm>

#include "platform/app/AppConsts.h"
#include "platform/forms/Forms.h"
#include "platform/forms/FormsConsts.h"
#include "platform/forms/WidgetBridge.h"
#include "platform/graphics/FontEngine.h"

bool TWidgetBridge::PassOn(QWidget* W, QEvent* E) {
  // QObject::event is public; the widget's override runs without our filter.
  return static_cast<QObject*>(W)->event(E);
}

namespace {
TMouseButton ButtonOf(Qt::MouseButton B) {
  if (B == Qt::RightButton) return mbRight;
  if (B == Qt::MiddleButton) return mbMiddle;
  return mbLeft;
}
}  // namespace

uint16_t QtKeyToVirtualKey(int K) {
  if (K >= Qt::Key_0 && K <= Qt::Key_9) return static_cast<uint16_t>('0' + (K - Qt::Key_0));
  if (K >= Qt::Key_A && K <= Qt::Key_Z) return static_cast<uint16_t>('A' + (K - Qt::Key_A));
  if (K >= Qt::Key_F1 && K <= Qt::Key_F24) return static_cast<uint16_t>(VK_F1 + (K - Qt::Key_F1));
  switch (K) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
  }
}

TShiftState ShiftStateFromQt(unsigned Modifiers, unsigned Buttons) {
  TShiftState S = 0;
  if (Modifiers & Qt::ShiftModifier) S |= ssShift;
  if (Modifiers & Qt::AltModifier) S |= ssAlt;
  if (Modifiers & Qt::ControlModifier) S |= ssCtrl;
  if (Buttons & Qt::LeftButton) S |= ssLeft;
  if (Buttons & Qt::RightButton) S |= ssRight;
  if (Buttons & Qt::MiddleButton) S |= ssMiddle;
  return S;
}

TForm* GetParentForm(const TControl* C) {
  while (C && C->Parent()) C = C->Parent();
  return const_cast<TForm*>(dynamic_cast<const TForm*>(C));
}

// ---- TControl

const TClassInfo& TControl::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TControl>("TControl", &TComponent::StaticClassInfo())
                                     .Prop("Left", &TControl::Left, &TControl::SetLeft)
                                     .Prop("Top", &TControl::Top, &TControl::SetTop)
                                     .Prop("Width", &TControl::Width, &TControl::SetWidth)
                                     .Prop("Height", &TControl::Height, &TControl::SetHeight)
                                     .Prop("Align", &TControl::Align, &TControl::SetAlign).Default(alNone)
                                     .Prop("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(1)
                                     .Prop("Visible", &TControl::Visible, &TControl::SetVisible).Default(1)
                                     .Prop("Hint", &TControl::Hint, &TControl::SetHint)
                                     .Prop("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Default(0)
                                     .Event("OnClick", &TControl::OnClick)
                                     .Event("OnDblClick", &TControl::OnDblClick)
                                     .Event("OnMouseDown", &TControl::OnMouseDown)
                                     .Event("OnMouseMove", &TControl::OnMouseMove)
                                     .Event("OnMouseUp", &TControl::OnMouseUp);
  return Info;
}

TControl::TControl(TComponent* AOwner) : TControl(AOwner, nullptr) {}

TControl::TControl(TComponent* AOwner, QWidget* AWidget) : TComponent(AOwner) {
  FWidget = AWidget ? AWidget : new QWidget;
  FWidget->hide();
  FWidget->setMouseTracking(true);  // OnMouseMove fires without a button held
  FBridge = new TWidgetBridge(this);
  FWidget->installEventFilter(FBridge);
  FFont.OnChange = [this](TGraphicsObject*) {
    if (!FFontFromParent) FParentFont = false;
    FontChanged();
  };
  FontChanged();
}

TControl::~TControl() {
  BeforeDestruction();
  if (FParent) FParent->RemoveControl(this);
  FBridge->Control = nullptr;
  FWidget->removeEventFilter(FBridge);
  delete FWidget;
  delete FBridge;
}

TSize TControl::CaptionExtent() const {
  const QSize S = FWidget->sizeHint();
  return TSize{S.width(), S.height()};
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  bool Sized = AWidth != FWidth || AHeight != FHeight;
  if (!Sized && ALeft == FLeft && ATop == FTop) return;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  UpdateWidgetGeometry();
  BoundsChanged();
  if (Sized) Resize();
  if (FParent) FParent->ChildBoundsChanged(this);
}

void TControl::UpdateWidgetGeometry() { FWidget->setGeometry(FLeft, FTop, FWidth, FHeight); }

void TControl::UpdateWidgetVisibility() {
  if (HasState(csDestroying)) return;
  FWidget->setVisible(FVisible && FParent != nullptr);
}

void TControl::SetVisible(bool V) {
  if (V == FVisible) return;
  FVisible = V;
  UpdateWidgetVisibility();
  if (FParent && FAlign != alNone) FParent->Realign();
}

bool TControl::Showing() const {
  if (!FVisible) return false;
  if (FParent) return FParent->Showing();
  return FWidget->isVisible();
}

void TControl::SetEnabled(bool V) {
  FEnabled = V;
  FWidget->setEnabled(V);
}

void TControl::SetAlign(TAlign V) {
  if (V == FAlign) return;
  FAlign = V;
  if (FParent) FParent->Realign();
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  for (const TControl* P = AParent; P; P = P->FParent)
    if (P == this) throw EInvalidOperation(SControlParentSetToSelf);
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* W = dynamic_cast<TWinControl*>(Value)) SetParent(W);
}

void TControl::SetText(const std::string& V) {
  if (V == GetText()) return;
  FText = V;
  TextChanged();
}

void TControl::SetHint(const std::string& V) {
  FHint = V;
  ApplyHint();
}

bool TControl::ShowHint() const {
  if (FParentShowHint && FParent) return FParent->ShowHint();
  return FShowHint;
}

void TControl::SetShowHint(bool V) {
  FShowHint = V;
  FParentShowHint = false;
  ApplyHint();
}

void TControl::SetParentShowHint(bool V) {
  FParentShowHint = V;
  ApplyHint();
}

void TControl::ApplyHint() {
  FWidget->setToolTip(ShowHint() ? QString::fromStdString(FHint) : QString());
  if (auto* W = dynamic_cast<TWinControl*>(this))
    for (int I = 0; I < W->ControlCount(); ++I) W->Controls(I)->ApplyHint();
}

void TControl::SetFont(const TFont& V) { FFont.Assign(V); }

void TControl::SetParentFont(bool V) {
  FParentFont = V;
  if (V && FParent) {
    FFontFromParent = true;
    FFont.Assign(FParent->FFont);
    FFontFromParent = false;
  }
}

void TControl::ParentChanged() {
  if (FParentFont) SetParentFont(true);
  ApplyHint();
}

void TControl::FontChanged() {
  TLogFont L = FFont.LogFont();
  QFont F(QString::fromStdString(FontEngine::MapFaceName(L.FaceName)));
  F.setPixelSize(std::max(1, static_cast<int>(std::lround(FontEngine::EmHeight(L)))));
  F.setBold(L.Weight >= 600);
  F.setItalic(L.Italic);
  F.setUnderline(L.Underline);
  F.setStrikeOut(L.StrikeOut);
  FWidget->setFont(F);
  TColorRef C = ColorToRGB(FFont.Color());
  QPalette P = FWidget->palette();
  QColor QC(GetRValue(C), GetGValue(C), GetBValue(C));
  P.setColor(QPalette::WindowText, QC);
  P.setColor(QPalette::ButtonText, QC);
  P.setColor(QPalette::Text, QC);
  FWidget->setPalette(P);
  Invalidate();
  // Children that follow this font take it too.
  if (auto* W = dynamic_cast<TWinControl*>(this))
    for (int I = 0; I < W->ControlCount(); ++I)
      if (W->Controls(I)->FParentFont) W->Controls(I)->SetParentFont(true);
}

void TControl::SetCursor(TCursor V) {
  FCursor = V;
  if (V == crDefault)
    FWidget->unsetCursor();
  else
    FWidget->setCursor(CursorShapeOf(V));
}

void TControl::SetColor(TColor V) {
  FColor = V;
  if (V == clNone || V == clDefault) {
    FWidget->setAutoFillBackground(false);
  } else {
    TColorRef C = ColorToRGB(V);
    QPalette P = FWidget->palette();
    P.setColor(QPalette::Window, QColor(GetRValue(C), GetGValue(C), GetBValue(C)));
    FWidget->setPalette(P);
    FWidget->setAutoFillBackground(true);
  }
  Invalidate();
}

void TControl::Invalidate() { FWidget->update(); }
void TControl::Repaint() { FWidget->repaint(); }
void TControl::Update() { FWidget->repaint(); }

void TControl::BringToFront() {
  FWidget->raise();
  if (FParent) {
    auto& L = FParent->FControls;
    L.erase(std::find(L.begin(), L.end(), this));
    L.push_back(this);
  }
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

bool TControl::HandleMouse(QEvent* E) {
  auto* M = static_cast<QMouseEvent*>(E);
  int X = static_cast<int>(M->position().x()), Y = static_cast<int>(M->position().y());
  TShiftState Shift = ShiftStateFromQt(M->modifiers(), M->buttons());
  // Handlers may free the control; stop touching it then.
  QPointer<QWidget> Alive(FWidget);
  switch (E->type()) {
    case QEvent::MouseButtonPress:
      if (M->button() == Qt::LeftButton) FLeftDown = true;
      MouseDown(ButtonOf(M->button()), Shift, X, Y);
      break;
    case QEvent::MouseButtonDblClick:
      // The release after a double click is no second click, as in the class library.
      if (M->button() == Qt::LeftButton) {
        FLeftDown = false;
        DblClick();
        if (!Alive) return true;
      }
      MouseDown(ButtonOf(M->button()), Shift | ssDouble, X, Y);
      break;
    case QEvent::MouseMove:
      MouseMove(Shift, X, Y);
      break;
    case QEvent::MouseButtonRelease: {
      bool WasDown = FLeftDown && M->button() == Qt::LeftButton;
      if (M->button() == Qt::LeftButton) FLeftDown = false;
      // Shift on release lists the button just released, as the class library does.
      MouseUp(ButtonOf(M->button()), Shift | ShiftStateFromQt(0, M->button()), X, Y);
      if (!Alive) return true;
      // Native buttons report their own clicks.
      if (WasDown && !FNativeInput && X >= 0 && Y >= 0 && X < FWidth && Y < FHeight) Click();
      break;
    }
    default:
      break;
  }
  if (!Alive) return true;
  if (FNativeInput) TWidgetBridge::PassOn(FWidget, E);
  return true;  // never passed on to the parent widget
}

bool TControl::WidgetEvent(QEvent* E) {
  switch (E->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      return HandleMouse(E);
    case QEvent::Paint:
      return PaintWidget();
    case QEvent::Resize:
    case QEvent::Move:
      // Only a window is moved or sized from outside (window manager, maximising).
      if (!FParent && FWidget->isWindow()) {
        QRect G = FWidget->geometry();
        if (G.width() != FWidth || G.height() != FHeight || G.x() != FLeft || G.y() != FTop) {
          bool Sized = G.width() != FWidth || G.height() != FHeight;
          FLeft = G.x();
          FTop = G.y();
          FWidth = G.width();
          FHeight = G.height();
          BoundsChanged();
          if (Sized) Resize();
        }
      }
      return false;
    default:
      return false;
  }
}
