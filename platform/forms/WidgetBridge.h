#pragma once
// Internal to platform/forms: routes a widget's Qt events to its control.
#include <QObject>

#include "platform/app/CursorShapes.h"
#include "platform/forms/Controls.h"

class TWidgetBridge : public QObject {
public:
  explicit TWidgetBridge(TControl* C) : Control(C) {}
  TControl* Control;

  bool eventFilter(QObject* Watched, QEvent* E) override {
    if (!Control || Watched != static_cast<QObject*>(Control->FWidget)) return false;
    return Control->WidgetEvent(E);
  }
  // Lets the widget's own handler see an event we have already looked at.
  static bool PassOn(QWidget* W, QEvent* E);
};
