#pragma once
// Controls as thin classes over Qt widgets built in code. The owner frees a
// control (TComponent); the parent shows it and, when freed itself, frees the
// children still on it, as the class library does (so children are heap objects). Left/Top/Width/Height are
// kept here and pushed to the widget, so they hold even while nothing is shown.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/app/Cursors.h"
#include "platform/app/Messages.h"
#include "platform/graphics/Canvas.h"

class QWidget;
class QEvent;
class TWinControl;
class TForm;
class TWidgetBridge;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
DEFINE_ENUM_INFO(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom")
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

enum TShiftStateFlag : uint32_t {
  ssShift = 1 << 0,
  ssAlt = 1 << 1,
  ssCtrl = 1 << 2,
  ssLeft = 1 << 3,
  ssRight = 1 << 4,
  ssMiddle = 1 << 5,
  ssDouble = 1 << 6,
};
using TShiftState = uint32_t;


// Virtual-key codes as OnKeyDown receives them.
constexpr uint16_t VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
                   VK_MENU = 0x12, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22,
                   VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27,
                   VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_F1 = 0x70;

// Window messages the controls themselves use.
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr uint32_t CM_RELEASE = 0xB021;  // frees a form once its handlers have returned

using TMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = TEvent<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, char& Key)>;
using TMouseWheelEvent = TEvent<void(TObject* Sender, TShiftState Shift, int WheelDelta, int X, int Y, bool& Handled)>;
using TDragDropEvent = TEvent<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TDragOverEvent = TEvent<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TEndDragEvent = TEvent<void(TObject* Sender, TObject* Target, int X, int Y)>;

class TControl : public TComponent {
  DECLARE_CLASSINFO(TControl)
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int V) { SetBounds(V, FTop, FWidth, FHeight); }
  void SetTop(int V) { SetBounds(FLeft, V, FWidth, FHeight); }
  void SetWidth(int V) { SetBounds(FLeft, FTop, V, FHeight); }
  void SetHeight(int V) { SetBounds(FLeft, FTop, FWidth, V); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  // The inside of the control in its own coordinates.
  virtual int ClientWidth() const { return FWidth; }
  virtual int ClientHeight() const { return FHeight; }
  void SetClientWidth(int V) { SetWidth(V + FWidth - ClientWidth()); }
  void SetClientHeight(int V) { SetHeight(V + FHeight - ClientHeight()); }

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool V);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible here and on every parent up to a shown form.
  bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool V);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign V);

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  bool HasParent() const override { return FParent != nullptr; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

  // Caption and Text are one value, as in the class library.
  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& V) { SetText(V); }
  std::string Text() const { return GetText(); }
  void SetText(const std::string& V);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& V);
  // Whether the hint shows; with ParentShowHint (the default) the parent decides.
  bool ShowHint() const;
  void SetShowHint(bool V);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool V);
  // The font of the control's text (and its canvas while painting). With
  // ParentFont (the default) it follows the parent's; setting it ends that.
  TFont& Font() { return FFont; }
  const TFont& Font() const { return FFont; }
  void SetFont(const TFont& V);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool V);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor V);
  // Background colour; clNone (the default for most controls) leaves the parent's showing.
  TColor Color() const { return FColor; }
  virtual void SetColor(TColor V);

  // Asks for a paint later; Repaint paints now (when shown); Refresh is Repaint.
  void Invalidate();
  void Repaint();
  void Refresh() { Repaint(); }
  void Update();
  void BringToFront();

  // Fires OnClick (and what the control does on a click).
  virtual void Click();
  virtual void DblClick();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TDragDropEvent OnDragDrop;
  TDragOverEvent OnDragOver;
  TEndDragEvent OnEndDrag;

  // The Qt widget behind the control (for the platform layer and tests).
  QWidget* Widget() const { return FWidget; }
  // The size the control needs to show its caption whole, as its widget measures it in its font.
  virtual TSize CaptionExtent() const;

protected:
  // Takes over a widget made by a derived class (null: a plain widget).
  TControl(TComponent* AOwner, QWidget* AWidget);

  virtual std::string GetText() const { return FText; }
  // The text changed; controls show it.
  virtual void TextChanged() {}
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  // Called after the size changed; fires OnResize.
  virtual void Resize();
  // Paints the widget (called from its paint event); false leaves it to Qt.
  virtual bool PaintWidget() { return false; }
  // Every Qt event of the widget passes here first; true consumes it.
  virtual bool WidgetEvent(QEvent* E);
  // Widgets that handle input themselves (buttons, edits) get the events after us.
  void SetNativeInput(bool V) { FNativeInput = V; }
  // Pushes the bounds to the widget.
  virtual void UpdateWidgetGeometry();
  virtual void UpdateWidgetVisibility();
  // Called after the bounds changed (before Resize when the size changed).
  virtual void BoundsChanged() {}
  // The font changed; the default gives it to the widget and repaints.
  virtual void FontChanged();

  std::string FText;

private:
  friend class TWidgetBridge;
  friend class TWinControl;
  bool HandleMouse(QEvent* E);
  void ApplyHint();
  void ParentChanged();

  QWidget* FWidget = nullptr;
  TWidgetBridge* FBridge = nullptr;
  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  bool FShowHint = false;
  bool FParentShowHint = true;
  bool FParentFont = true;
  bool FFontFromParent = false;
  TFont FFont;
  bool FNativeInput = false;
  bool FLeftDown = false;
  TAlign FAlign = alNone;
  std::string FHint;
  TCursor FCursor = crDefault;
  TColor FColor = clNone;
};

// A control with a window of its own: children, focus, keys and messages.
class TWinControl : public TControl, public TMessageTarget {
  DECLARE_CLASSINFO(TWinControl)
public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const { return FControls.at(static_cast<size_t>(Index)); }
  void InsertControl(TControl* C);
  void RemoveControl(TControl* C);
  // Places the aligned children again (top, bottom, left, right, then client).
  void Realign();
  void DisableAlign() { ++FAlignDisabled; }
  void EnableAlign();

  bool Focused() const;
  virtual bool CanFocus() const;
  virtual void SetFocus();
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool V) { FTabStop = V; }
  HWND Handle() const { return TMessageTarget::Handle(); }
  bool HandleAllocated() const { return true; }
  // Sends the message to this control's window procedure now.
  LRESULT Perform(uint32_t Msg, WPARAM WParam, LPARAM LParam);

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TMouseWheelEvent OnMouseWheel;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // Where the children's widgets live (a scroll box's moving content).
  virtual QWidget* ClientWidget() const { return Widget(); }
  // Origin of the area the aligned children fill, in client coordinates.
  virtual void AdjustClientRect(int& ALeft, int& ATop, int& ARight, int& ABottom) const;

protected:
  TWinControl(TComponent* AOwner, QWidget* AWidget);
  // Frees the child controls still on it while this parent is whole.
  void Destroying() override;
  // Messages: 0x20A (wheel) goes to OnMouseWheel and, unhandled, to the parent.
  void WndProc(TMessage& Message) override;
  // Key handling: form preview first, then this control; a Key set to 0 stops it.
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  virtual void KeyUp(uint16_t& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, int X, int Y);
  virtual void DoEnter();
  virtual void DoExit();
  bool WidgetEvent(QEvent* E) override;
  void Resize() override;
  virtual void ControlsChanged() {}

private:
  friend class TControl;
  bool HandleKey(QEvent* E);
  void ChildBoundsChanged(TControl* C);

  std::vector<TControl*> FControls;
  int FAlignDisabled = 0;
  bool FAligning = false;
  bool FTabStop = false;
};

// The form a control sits on, or null.
TForm* GetParentForm(const TControl* C);

// Maps Qt key codes to virtual-key codes and Qt modifiers to shift states.
uint16_t QtKeyToVirtualKey(int QtKey);
TShiftState ShiftStateFromQt(unsigned Modifiers, unsigned Buttons);

// A control without a window of its own that paints itself (labels, speed buttons, images).
class TGraphicControl : public TControl {
  DECLARE_CLASSINFO(TGraphicControl)
public:
  explicit TGraphicControl(TComponent* AOwner);

protected:
  TGraphicControl(TComponent* AOwner, QWidget* AWidget);
  // Draws the control on Canvas (valid only while painting); the default draws nothing.
  virtual void Paint() {}
  bool PaintWidget() override;
  TCanvas& Canvas() { return FCanvas; }

private:
  TCanvas FCanvas;
};

// A windowed control that paints itself.
class TCustomControl : public TWinControl {
  DECLARE_CLASSINFO(TCustomControl)
public:
  explicit TCustomControl(TComponent* AOwner);

protected:
  TCustomControl(TComponent* AOwner, QWidget* AWidget);
  // Draws the control on Canvas (valid only while painting).
  virtual void Paint() {}
  bool PaintWidget() override;
  TCanvas& Canvas() { return FCanvas; }

private:
  TCanvas FCanvas;
};

// Draws a 3-D frame of Width lines inside R and shrinks R by it.
void Frame3D(TCanvas& Canvas, TRect& R, TColor TopColor, TColor BottomColor, int Width);
