#pragma once
// Panels and timers.
#include "platform/forms/Controls.h"

class QTimer;

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
DEFINE_ENUM_INFO(TBevelCut, "bvNone", "bvLowered", "bvRaised", "bvSpace")

// A container with bevels and a centred caption. The bevels and the border
// narrow the area its aligned children fill.
class TPanel : public TCustomControl {
  DECLARE_CLASSINFO(TPanel)
public:
  explicit TPanel(TComponent* AOwner);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut V);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut V);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int V);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int V);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment V);
  void AdjustClientRect(int& ALeft, int& ATop, int& ARight, int& ABottom) const override;

protected:
  void Paint() override;
  void TextChanged() override { Invalidate(); }

private:
  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
DEFINE_ENUM_INFO(TBevelShape, "bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer")
enum TBevelStyle { bsLowered, bsRaised };
DEFINE_ENUM_INFO(TBevelStyle, "bsLowered", "bsRaised")

// A 3-D box, frame or line drawn in the button shadow and highlight colours.
class TBevel : public TGraphicControl {
  DECLARE_CLASSINFO(TBevel)
public:
  explicit TBevel(TComponent* AOwner);
  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape V);
  TBevelStyle Style() const { return FStyle; }
  void SetStyle(TBevelStyle V);

protected:
  void Paint() override;

private:
  TBevelShape FShape = bsBox;
  TBevelStyle FStyle = bsLowered;
};

// Dragging the splitter resizes the aligned control before it (the one its
// alignment edge touches). Below MinSize the control snaps shut with AutoSnap,
// else it stays at MinSize.
class TSplitter : public TGraphicControl {
  DECLARE_CLASSINFO(TSplitter)
public:
  explicit TSplitter(TComponent* AOwner);
  int MinSize() const { return FMinSize; }
  void SetMinSize(int V) { FMinSize = std::max(V, 1); }
  bool AutoSnap() const { return FAutoSnap; }
  void SetAutoSnap(bool V) { FAutoSnap = V; }
  // The control the splitter resizes now, or null.
  TControl* FindControl() const;

  TNotifyEvent OnMoved;

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  bool Horizontal() const { return Align() == alTop || Align() == alBottom; }
  TControl* FControl = nullptr;
  int FDownPos = 0, FStartSize = 0;
  int FMinSize = 30;
  bool FAutoSnap = true;
};

// A control that others paint: OnPaint draws on Canvas (valid while it runs).
class TPaintBox : public TGraphicControl {
  DECLARE_CLASSINFO(TPaintBox)
public:
  explicit TPaintBox(TComponent* AOwner);
  using TGraphicControl::Canvas;

  TNotifyEvent OnPaint;

protected:
  void Paint() override;
};

// Fires OnTimer every Interval milliseconds while Enabled, on the main thread's
// event loop. A handler may disable or free its timer.
class TTimer : public TComponent {
  DECLARE_CLASSINFO(TTimer)
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool V);
  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned V);

  TNotifyEvent OnTimer;

private:
  void UpdateTimer();
  QTimer* FTimer;
  bool FEnabled = true;
  unsigned FInterval = 1000;
};
