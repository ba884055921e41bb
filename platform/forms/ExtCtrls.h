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
