#include "ppreport/output/forms/ppScrollBox.h"

#include <QPointer>
#include <QScrollBar>
#include <QWidget>

const TClassInfo& TppScrollBox::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppScrollBox>("TppScrollBox", &TScrollBox::StaticClassInfo())
                                     .Event("OnHorizontalScroll", &TppScrollBox::OnHorizontalScroll)
                                     .Event("OnVerticalScroll", &TppScrollBox::OnVerticalScroll);
  return Info;
}

TppScrollBox::TppScrollBox(TComponent* AOwner) : TScrollBox(AOwner) {
  // The bars are the scroll box's own Qt scroll bars: their actions are the scroll messages.
  for (QScrollBar* Bar : Widget()->findChildren<QScrollBar*>()) {
    const bool Vertical = Bar->orientation() == Qt::Vertical;
    QObject::connect(Bar, &QAbstractSlider::actionTriggered, Bar, [this, Bar, Vertical](int Action) {
      int Code = -1;
      switch (Action) {
        case QAbstractSlider::SliderSingleStepSub: Code = vsLineUp; break;
        case QAbstractSlider::SliderSingleStepAdd: Code = vsLineDown; break;
        case QAbstractSlider::SliderPageStepSub: Code = vsPageUp; break;
        case QAbstractSlider::SliderPageStepAdd: Code = vsPageDown; break;
        case QAbstractSlider::SliderToMinimum: Code = vsTop; break;
        case QAbstractSlider::SliderToMaximum: Code = vsBottom; break;
        default: return;
      }
      // The slider position is already the one the scroll moves to: report it once the box
      // has scrolled.
      const int Position = Bar->sliderPosition();
      const QPointer<QScrollBar> Guard(Bar);
      QMetaObject::invokeMethod(
          Bar, [this, Guard, Vertical, Code, Position] { if (Guard) Scrolled(Vertical, Code, Position); },
          Qt::QueuedConnection);
    });
    // Dragging: the thumb's position, whether or not the box follows the thumb.
    QObject::connect(Bar, &QAbstractSlider::sliderMoved, Bar,
                     [this, Vertical](int Position) { Scrolled(Vertical, vsThumbTrack, Position); });
    QObject::connect(Bar, &QAbstractSlider::sliderReleased, Bar, [this, Bar, Vertical] {
      Scrolled(Vertical, vsThumbPos, Bar->sliderPosition());
      Scrolled(Vertical, vsEndScroll, Bar->value());
    });
  }
}

void TppScrollBox::Scrolled(bool Vertical, int Code, int Position) {
  // Thumb codes carry the thumb's position, the others the bar's position after the scroll.
  if (Code != vsThumbPos && Code != vsThumbTrack)
    Position = Vertical ? VertScrollBar()->Position() : HorzScrollBar()->Position();
  const auto P = static_cast<int16_t>(Position);
  if (Vertical)
    DoVerticalScroll(P, static_cast<TppVerticalScrollEventType>(Code));
  else
    DoHorizontalScroll(P, static_cast<TppHorizontalScrollEventType>(Code));
}

void TppScrollBox::DoVerticalScroll(int16_t aPosition, TppVerticalScrollEventType aEventType) {
  if (OnVerticalScroll) OnVerticalScroll(this, aPosition, aEventType);
}

void TppScrollBox::DoHorizontalScroll(int16_t aPosition, TppHorizontalScrollEventType aEventType) {
  if (OnHorizontalScroll) OnHorizontalScroll(this, aPosition, aEventType);
}
