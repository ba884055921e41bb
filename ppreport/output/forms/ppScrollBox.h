#pragma once
// A scroll box that reports every scroll with its position and kind; the viewer scrolls its pages
// in one. The kinds' ordinals are the scroll-bar request codes (line, page, thumb, ends, end).
#include <cstdint>

#include "platform/forms/Forms.h"
#include "ppreport/core/ppTypes.h"

class TppScrollBox : public TScrollBox {
  DECLARE_CLASSINFO(TppScrollBox)
public:
  explicit TppScrollBox(TComponent* AOwner);

  TppVerticalScrollEvent OnVerticalScroll;
  TppHorizontalScrollEvent OnHorizontalScroll;

protected:
  virtual void DoVerticalScroll(int16_t aPosition, TppVerticalScrollEventType aEventType);
  virtual void DoHorizontalScroll(int16_t aPosition, TppHorizontalScrollEventType aEventType);

private:
  // Request code (0 .. 8) and position of a scroll on the bar of that orientation.
  void Scrolled(bool Vertical, int Code, int Position);
};
