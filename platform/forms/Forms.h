#pragma once
// Scrolling controls and forms. A scroll box keeps its children on a content
// area that the bars move: a child's Left/Top are content coordinates and do
// not change when the box scrolls. Scroll bars are 17 pixels, whatever the
// style says, so sizes do not depend on the machine.
#include <memory>

#include "platform/app/ModalResult.h"
#include "platform/forms/Controls.h"
#include "platform/graphics/Picture.h"

class QScrollBar;
class TScrollingWinControl;

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
DEFINE_ENUM_INFO(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin")
using TBorderStyle = TFormBorderStyle;  // bsNone or bsSingle for controls
enum TBorderIconFlag : uint32_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = uint32_t;
enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
DEFINE_ENUM_INFO(TPosition, "poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                 "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter")
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
DEFINE_ENUM_INFO(TWindowState, "wsNormal", "wsMinimized", "wsMaximized")
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
DEFINE_ENUM_INFO(TFormStyle, "fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop")
enum TCloseAction { caNone, caHide, caFree, caMinimize };


constexpr int ScrollBarSize = 17;

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

// One scroll bar of a scrolling control.
class TControlScrollBar {
public:
  TScrollBarKind Kind() const { return FKind; }
  int Position() const { return FPosition; }
  // Kept within 0 .. Range - client size.
  void SetPosition(int V);
  int ScrollPos() const { return FPosition; }
  // With automatic range it follows the children; setting it turns that off for the control.
  int Range() const { return FRange; }
  void SetRange(int V);
  // True: the content follows the thumb while it is dragged; false: only when it is let go.
  bool Tracking() const { return FTracking; }
  void SetTracking(bool V);
  // Whether the bar may show; it shows when the range exceeds the client size.
  bool Visible() const { return FVisible; }
  void SetVisible(bool V);
  bool IsScrollBarVisible() const { return FShown; }
  int Increment() const { return FIncrement; }
  // A line: what the bar's arrows move.
  void SetIncrement(int V);

private:
  friend class TScrollingWinControl;
  TControlScrollBar(TScrollingWinControl* Control, TScrollBarKind Kind) : FControl(Control), FKind(Kind) {}
  TScrollingWinControl* FControl;
  TScrollBarKind FKind;
  QScrollBar* FBar = nullptr;
  int FPosition = 0, FRange = 0, FIncrement = 8;
  bool FTracking = false, FVisible = true, FShown = false;
};

class TScrollingWinControl : public TWinControl {
  DECLARE_CLASSINFO(TScrollingWinControl)
public:
  explicit TScrollingWinControl(TComponent* AOwner);
  ~TScrollingWinControl() override;

  TControlScrollBar* HorzScrollBar() { return &FHorz; }
  TControlScrollBar* VertScrollBar() { return &FVert; }
  const TControlScrollBar* HorzScrollBar() const { return &FHorz; }
  const TControlScrollBar* VertScrollBar() const { return &FVert; }
  bool AutoScroll() const { return FAutoScroll; }
  void SetAutoScroll(bool V);
  int ClientWidth() const override { return FClientW; }
  int ClientHeight() const override { return FClientH; }
  QWidget* ClientWidget() const override { return FContent; }
  // Scrolls so that the control is inside the visible area.
  void ScrollInView(TControl* C);

protected:
  TScrollingWinControl(TComponent* AOwner, QWidget* AWidget);
  // Width of the frame around the client area.
  virtual int BorderWidth() const { return 0; }
  void UpdateScrollBars();
  void BoundsChanged() override { UpdateScrollBars(); }
  void ControlsChanged() override { UpdateScrollBars(); }

private:
  friend class TControlScrollBar;
  void Init();
  void BarMoved(TControlScrollBar& Bar, int Value);
  TControlScrollBar FHorz{this, sbHorizontal};
  TControlScrollBar FVert{this, sbVertical};
  QWidget* FViewport = nullptr;
  QWidget* FContent = nullptr;
  int FClientW = 0, FClientH = 0;
  bool FAutoScroll = true;
  bool FUpdating = false;
};

class TScrollBox : public TScrollingWinControl {
  DECLARE_CLASSINFO(TScrollBox)
public:
  explicit TScrollBox(TComponent* AOwner);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle V);

protected:
  int BorderWidth() const override { return FBorderStyle == bsNone ? 0 : 2; }
  bool PaintWidget() override;

private:
  TBorderStyle FBorderStyle = bsSingle;
};

// A top-level window. Width and Height are the window's client geometry as Qt
// gives it (the window manager's frame is not counted).
class TForm : public TScrollingWinControl {
  DECLARE_CLASSINFO(TForm)
public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle V);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons V);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition V) { FPosition = V; }
  TWindowState WindowState() const;
  void SetWindowState(TWindowState V);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle V);
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool V) { FKeyPreview = V; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult V) { FModalResult = V; }
  bool Modal() const { return FModal; }
  bool Active() const;
  // The window's own icon; null (or an empty icon) leaves it the program's. Set copies it.
  const TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(const TIcon* Value);

  // Shows the window without waiting.
  void Show();
  // Shows the window and runs messages until ModalResult is set or the window closes;
  // answers ModalResult. Raises EInvalidOperation when the window is already shown.
  TModalResult ShowModal();
  // Asks OnCloseQuery, then OnClose decides: hide (the default), free, minimise or stay.
  // A modal window just gets ModalResult mrCancel.
  void Close();
  // Frees the form once the messages now waiting have been handled.
  void Release();
  virtual bool CloseQuery();
  // Enter and Esc not taken by a control: the default or cancel button is clicked.
  virtual void DialogKey(uint16_t Key);

  TNotifyEvent OnCreate;
  // Fires when freeing begins, while the form and its controls are whole.
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

protected:
  // Fires OnCreate once; forms built in code call it at the end of their
  // constructor (Show and ShowModal call it when that was not done).
  void DoCreate();
  virtual void DoClose(TCloseAction& Action);
  virtual void DoShow();
  virtual void DoHide();
  virtual void Activate();
  virtual void Deactivate();
  void TextChanged() override;
  void UpdateWidgetVisibility() override;
  // CM_RELEASE frees the form; WM_CLOSE closes it as Close does.
  void WndProc(TMessage& Message) override;
  bool WidgetEvent(QEvent* E) override;
  void Destroying() override;

private:
  void ApplyWindowFlags();
  void PlaceOnShow();
  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
  TPosition FPosition = poDesigned;
  TWindowState FWindowState = wsNormal;
  TFormStyle FFormStyle = fsNormal;
  bool FKeyPreview = false;
  bool FModal = false;
  bool FCreated = false;
  bool FPlaced = false;
  TModalResult FModalResult = mrNone;
  std::unique_ptr<TIcon> FIcon;
};

// The screen: the forms that exist, the active one, the cursor over the whole application.
class TScreen {
public:
  int FormCount() const;
  TForm* Forms(int Index) const;
  // The form whose window is active, or null.
  TForm* ActiveForm() const;
  // The application's cursor (platform/app/Cursors.h): anything but crDefault overrides every
  // control's cursor until set back.
  TCursor Cursor() const { return ScreenCursor(); }
  void SetCursor(TCursor V) { SetScreenCursor(V); }
  int Width() const;
  int Height() const;
  int PixelsPerInch() const;
};

TScreen& Screen();
