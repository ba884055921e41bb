#pragma once
// Controls that live without a widget: bounds, a parent and children in insertion order, colour,
// font, and painting on request through a TCanvas onto any device. The band report library builds
// its report, bands and printables on them, so a report lays itself out and draws its design
// surface in a program without windows; a window that shows one calls PaintTo from its own paint.
// The owner frees a control; a parent frees the children still on it.
#include <functional>
#include <vector>

#include "platform/app/Messages.h"
#include "platform/classes/Classes.h"
#include "platform/graphics/Canvas.h"

class THeadlessWinControl;

class THeadlessControl : public TComponent {
  DECLARE_CLASSINFO(THeadlessControl)
public:
  explicit THeadlessControl(TComponent* AOwner);
  ~THeadlessControl() override;

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Each goes through SetBounds, which descendants override to follow every move and resize.
  void SetLeft(int V) { SetBounds(V, FTop, FWidth, FHeight); }
  void SetTop(int V) { SetBounds(FLeft, V, FWidth, FHeight); }
  void SetWidth(int V) { SetBounds(FLeft, FTop, V, FHeight); }
  void SetHeight(int V) { SetBounds(FLeft, FTop, FWidth, V); }
  // Stores the bounds (negative sizes become 0); Resize follows a change of size.
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Rect(FLeft, FTop, FLeft + FWidth, FTop + FHeight); }
  TRect ClientRect() const { return Rect(0, 0, FWidth, FHeight); }

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool V);
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool V);
  TColor Color() const { return FColor; }
  virtual void SetColor(TColor V);
  // With ParentFont (the default) the font follows the parent's; changing it ends that.
  TFont* Font() { return &FFont; }
  const TFont* Font() const { return &FFont; }
  void SetFont(const TFont* V);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool V);

  THeadlessWinControl* Parent() const { return FParent; }
  // Raises EInvalidOperation when the control would become its own ancestor.
  virtual void SetParent(THeadlessWinControl* AParent);
  bool HasParent() const override { return FParent != nullptr; }
  TComponent* GetParentComponent() const override;
  // A stream's parent: taken when it is a headless control, ignored otherwise.
  void SetParentComponent(TComponent* Value) override;

  // Asks for a paint: counted, and handed to the OnInvalidate of the topmost parent (a window
  // showing the tree repaints then).
  void Invalidate();
  void Repaint() { Invalidate(); }
  void Refresh() { Invalidate(); }
  int InvalidateCount() const { return FInvalidateCount; }
  std::function<void(THeadlessControl* Sender)> OnInvalidate;

  // Paints the control with its top-left corner at (X, Y) of the device, clipped to its bounds,
  // then its visible children in insertion order on top.
  void PaintTo(TDeviceContext& Dc, int X, int Y);

protected:
  // Draws the control on Canvas() in its own coordinates (valid only while painting).
  virtual void Paint() {}
  TCanvas& Canvas() { return FCanvas; }
  virtual void Resize() {}
  virtual void FontChanged();

private:
  friend class THeadlessWinControl;
  THeadlessWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  bool FParentFont = true;
  bool FFontFromParent = false;
  TColor FColor = clNone;
  TFont FFont;
  TCanvas FCanvas;
  int FInvalidateCount = 0;
};

// A headless control that holds others and receives window messages through its Handle.
class THeadlessWinControl : public THeadlessControl, public TMessageTarget {
  DECLARE_CLASSINFO(THeadlessWinControl)
public:
  explicit THeadlessWinControl(TComponent* AOwner);
  ~THeadlessWinControl() override;

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  THeadlessControl* Controls(int Index) const { return FControls.at(static_cast<size_t>(Index)); }
  void InsertControl(THeadlessControl* C);
  void RemoveControl(THeadlessControl* C);
  // Sends the message to this control's window procedure now.
  LRESULT Perform(uint32_t Msg, WPARAM WParam, LPARAM LParam);
  // The children a stream writes after this control: those Root owns, in insertion order.
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

protected:
  // Frees the child controls still on it while this parent is whole.
  void Destroying() override;
  void FontChanged() override;

private:
  std::vector<THeadlessControl*> FControls;
};
