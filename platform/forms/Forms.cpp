#include "platform/forms/Forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "platform/app/Application.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/forms/FormsConsts.h"
#include "platform/forms/QtImage.h"
#include "platform/forms/StdCtrls.h"
#include "platform/forms/WidgetBridge.h"

// ---- TForm

const TClassInfo& TForm::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TForm>("TForm", &TScrollingWinControl::StaticClassInfo())
                                     .Prop("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle)
                                     .Default(bsSizeable)
                                     .Prop("Position", &TForm::Position, &TForm::SetPosition)
                                     .Default(poDesigned)
                                     .Prop("WindowState", &TForm::WindowState, &TForm::SetWindowState)
                                     .Default(wsNormal)
                                     .Prop("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle)
                                     .Default(fsNormal)
                                     .Prop("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview)
                                     .Default(0)
                                     .Event("OnCreate", &TForm::OnCreate)
                                     .Event("OnDestroy", &TForm::OnDestroy)
                                     .Event("OnShow", &TForm::OnShow)
                                     .Event("OnActivate", &TForm::OnActivate)
                                     .Event("OnClose", &TForm::OnClose)
                                     .Event("OnCloseQuery", &TForm::OnCloseQuery);
  return Info;
}

namespace {
std::vector<TForm*>& AllForms() {
  static std::vector<TForm*> L;
  return L;
}
}  // namespace

TForm::TForm(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  AllForms().push_back(this);
  SetColor(clBtnFace);
  TControl::SetVisible(false);
  ApplyWindowFlags();
  SetBounds(0, 0, 320, 240);
}

TForm::~TForm() {
  BeforeDestruction();
  auto& L = AllForms();
  L.erase(std::find(L.begin(), L.end(), this));
}

void TForm::Destroying() {
  if (OnDestroy) OnDestroy(this);
  TScrollingWinControl::Destroying();
}

void TForm::SetIcon(const TIcon* Value) {
  FIcon = Value && !Value->Empty() ? std::make_unique<TIcon>(*Value) : nullptr;
  Widget()->setWindowIcon(FIcon ? QIcon(ToQPixmap(TPixelImage::FromDib(FIcon->Image().Dib()))) : QIcon());
}

void TForm::DoCreate() {
  if (FCreated) return;
  FCreated = true;
  if (OnCreate) OnCreate(this);
}

void TForm::ApplyWindowFlags() {
  Qt::WindowFlags F = Qt::Window;
  switch (FBorderStyle) {
    case bsNone: F |= Qt::FramelessWindowHint; break;
    case bsDialog: F = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint; break;
    case bsToolWindow: case bsSizeToolWin: F = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint; break;
    default: F |= Qt::CustomizeWindowHint | Qt::WindowTitleHint; break;
  }
  if (FBorderStyle != bsNone) {
    if (FBorderIcons & biSystemMenu) F |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (FBorderStyle != bsDialog && (FBorderIcons & biSystemMenu)) {
      if (FBorderIcons & biMinimize) F |= Qt::WindowMinimizeButtonHint;
      if (FBorderIcons & biMaximize) F |= Qt::WindowMaximizeButtonHint;
    }
  }
  if (FFormStyle == fsStayOnTop) F |= Qt::WindowStaysOnTopHint;
  bool WasVisible = Widget()->isVisible();
  Widget()->setWindowFlags(F);
  if (WasVisible) Widget()->show();
}

void TForm::SetBorderStyle(TFormBorderStyle V) {
  // Only the frame changes: even a single-line border may be maximised, so the size is not fixed.
  FBorderStyle = V;
  ApplyWindowFlags();
}

void TForm::SetBorderIcons(TBorderIcons V) {
  FBorderIcons = V;
  ApplyWindowFlags();
}

void TForm::SetFormStyle(TFormStyle V) {
  FFormStyle = V;
  ApplyWindowFlags();
}

TWindowState TForm::WindowState() const {
  if (Widget()->isVisible()) {
    if (Widget()->isMinimized()) return wsMinimized;
    if (Widget()->isMaximized()) return wsMaximized;
    return wsNormal;
  }
  return FWindowState;
}

void TForm::SetWindowState(TWindowState V) {
  FWindowState = V;
  if (!Widget()->isVisible()) return;
  if (V == wsMaximized)
    Widget()->showMaximized();
  else if (V == wsMinimized)
    Widget()->showMinimized();
  else
    Widget()->showNormal();
}

bool TForm::Active() const { return Widget()->isActiveWindow(); }

void TForm::TextChanged() { Widget()->setWindowTitle(QString::fromStdString(FText)); }

void TForm::PlaceOnShow() {
  if (FPlaced) return;
  FPlaced = true;
  QRect Area(0, 0, 800, 600);
  if (QScreen* S = QGuiApplication::primaryScreen()) Area = S->availableGeometry();
  QRect Over = Area;
  if (FPosition == poMainFormCenter || FPosition == poOwnerFormCenter)
    if (auto* OwnerForm = dynamic_cast<TForm*>(Owner()); OwnerForm && OwnerForm->Widget()->isVisible())
      Over = OwnerForm->Widget()->geometry();
  if (FPosition == poScreenCenter || FPosition == poDesktopCenter || FPosition == poMainFormCenter ||
      FPosition == poOwnerFormCenter)
    SetBounds(Over.x() + (Over.width() - Width()) / 2, Over.y() + (Over.height() - Height()) / 2, Width(), Height());
}

void TForm::UpdateWidgetVisibility() {
  if (HasState(csDestroying)) return;
  if (Parent()) {
    TScrollingWinControl::UpdateWidgetVisibility();
    return;
  }
  if (Visible() == Widget()->isVisible()) return;
  if (Visible()) {
    DoCreate();
    DoShow();
    PlaceOnShow();
    if (FWindowState == wsMaximized)
      Widget()->showMaximized();
    else if (FWindowState == wsMinimized)
      Widget()->showMinimized();
    else
      Widget()->show();
  } else {
    FWindowState = WindowState();
    Widget()->hide();
    DoHide();
  }
}

void TForm::Show() {
  SetVisible(true);
  Widget()->raise();
  Widget()->activateWindow();
}

TModalResult TForm::ShowModal() {
  if (!Application) throw EInvalidOperation(SShowModalWithoutApplication);
  if (Visible() || FModal) throw EInvalidOperation(SCannotShowModal);
  FModal = true;
  FModalResult = mrNone;
  Widget()->setWindowModality(Qt::ApplicationModal);
  // Handlers may free the form; keep only its handle to notice.
  HWND Self = Handle();
  TFinally EndModal([this, Self] {
    if (!IsWindow(Self)) return;
    FModal = false;
    // Hidden first: Qt leaves its modal state only when a window still modal is
    // hidden, else the freed form stays on its modal stack and blocks the others.
    Hide();
    Widget()->setWindowModality(Qt::NonModal);
  });
  Show();
  while (true) {
    if (FModalResult == mrNone) Application->HandleMessage();
    if (!IsWindow(Self)) return mrCancel;
    if (Application->Terminated()) FModalResult = mrCancel;
    if (FModalResult == mrNone) continue;
    TCloseAction Action = caNone;
    if (CloseQuery()) {
      Action = caHide;
      DoClose(Action);
    }
    if (Action == caNone) {
      FModalResult = mrNone;
      continue;
    }
    if (Action == caFree) Release();
    break;
  }
  return FModalResult;
}

bool TForm::CloseQuery() {
  bool CanClose = true;
  if (OnCloseQuery) OnCloseQuery(this, CanClose);
  return CanClose;
}

void TForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TForm::Close() {
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction Action = FFormStyle == fsMDIChild ? caMinimize : caHide;
  DoClose(Action);
  switch (Action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
  }
}

void TForm::Release() { PostMessage(Handle(), CM_RELEASE, 0, 0); }

void TForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TForm::DialogKey(uint16_t Key) {
  // Depth-first over the children for a visible, enabled default or cancel button.
  std::function<TButton*(TWinControl*)> Find = [&](TWinControl* W) -> TButton* {
    for (int I = 0; I < W->ControlCount(); ++I) {
      TControl* C = W->Controls(I);
      if (!C->Visible() || !C->Enabled()) continue;
      if (auto* B = dynamic_cast<TButton*>(C))
        if ((Key == VK_RETURN && B->Default()) || (Key == VK_ESCAPE && B->Cancel())) return B;
      if (auto* Inner = dynamic_cast<TWinControl*>(C))
        if (TButton* B = Find(Inner)) return B;
    }
    return nullptr;
  };
  if (TButton* B = Find(this)) B->Click();
}

void TForm::WndProc(TMessage& Message) {
  if (Message.Msg == CM_RELEASE) {
    Free();
    return;
  }
  if (Message.Msg == WM_CLOSE) {
    Close();
    return;
  }
  TScrollingWinControl::WndProc(Message);
}

bool TForm::WidgetEvent(QEvent* E) {
  switch (E->type()) {
    case QEvent::Close:
      // The window's close box goes through Close, which decides what happens.
      if (!Parent()) {
        E->ignore();
        Close();
        return true;
      }
      break;
    case QEvent::WindowActivate:
      Activate();
      return false;
    case QEvent::WindowDeactivate:
      Deactivate();
      return false;
    default:
      break;
  }
  return TScrollingWinControl::WidgetEvent(E);
}

// ---- TScreen

TScreen& Screen() {
  static TScreen S;
  return S;
}

int TScreen::FormCount() const { return static_cast<int>(AllForms().size()); }

TForm* TScreen::Forms(int Index) const { return AllForms().at(static_cast<size_t>(Index)); }

TForm* TScreen::ActiveForm() const {
  QWidget* Active = QApplication::activeWindow();
  for (TForm* F : AllForms())
    if (Active && F->Widget() == Active) return F;
  return nullptr;
}

int TScreen::Width() const {
  QScreen* S = QGuiApplication::primaryScreen();
  return S ? S->geometry().width() : 0;
}

int TScreen::Height() const {
  QScreen* S = QGuiApplication::primaryScreen();
  return S ? S->geometry().height() : 0;
}

int TScreen::PixelsPerInch() const { return ScreenPixelsPerInch(); }
