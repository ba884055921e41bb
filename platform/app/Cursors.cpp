#include "platform/app/Cursors.h"

#include <QCursor>
#include <QGuiApplication>
#include <QThread>
#include <atomic>

#include "platform/app/CursorShapes.h"

namespace {
std::atomic<TCursor> GCursor{crDefault};
}  // namespace

Qt::CursorShape CursorShapeOf(TCursor C) {
  switch (C) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: case crVSplit: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: case crHSplit: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: case crSQLWait: return Qt::WaitCursor;
    case crDrag: case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop: case crNo: return Qt::ForbiddenCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}

TCursor ScreenCursor() { return GCursor.load(); }

void SetScreenCursor(TCursor Value) {
  QCoreApplication* App = QCoreApplication::instance();
  if (App && QThread::currentThread() != App->thread()) return;
  const TCursor Old = GCursor.load();
  if (Value == Old) return;
  // The override stack holds at most this one cursor.
  if (qobject_cast<QGuiApplication*>(App)) {
    if (Old != crDefault) QGuiApplication::restoreOverrideCursor();
    if (Value != crDefault) QGuiApplication::setOverrideCursor(QCursor(CursorShapeOf(Value)));
  }
  GCursor = Value;
}
