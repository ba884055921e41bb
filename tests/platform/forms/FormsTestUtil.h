#pragma once
// Shared by the forms tests: the fixture and synthetic input.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include "platform/app/Application.h"
#include "platform/classes/Streams.h"
#include "platform/forms/Controls.h"
#include "platform/graphics/Picture.h"

// The test main started the application (InitializeForms).
class FormsTest : public ::testing::Test {};

inline void SendMouse(TControl* C, QEvent::Type T, int X, int Y, Qt::MouseButton B = Qt::LeftButton,
                      Qt::KeyboardModifiers M = Qt::NoModifier) {
  QPointF P(X, Y);
  Qt::MouseButtons Held = T == QEvent::MouseButtonRelease || T == QEvent::MouseMove ? Qt::NoButton : Qt::MouseButtons(B);
  QMouseEvent E(T, P, C->Widget()->mapToGlobal(P), T == QEvent::MouseMove ? Qt::NoButton : B, Held, M);
  QCoreApplication::sendEvent(C->Widget(), &E);
}

inline void ClickAt(TControl* C, int X, int Y) {
  SendMouse(C, QEvent::MouseButtonPress, X, Y);
  SendMouse(C, QEvent::MouseButtonRelease, X, Y);
}

inline void SendKey(TControl* C, int QtKey, Qt::KeyboardModifiers M = Qt::NoModifier, const QString& Text = {}) {
  QKeyEvent E(QEvent::KeyPress, QtKey, M, Text);
  QCoreApplication::sendEvent(C->Widget(), &E);
}

inline void SendWheel(TControl* C, int Delta, Qt::KeyboardModifiers M = Qt::NoModifier) {
  QWheelEvent E(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, Delta), Qt::NoButton, M, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(C->Widget(), &E);
}

// The control as it paints, in a 32-bit image.
inline QImage Grab(TControl* C) { return C->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// A 16 x 16 icon of one colour, read from the ICO bytes Qt writes.
inline TIcon SolidIcon(QRgb Colour) {
  QImage Image(16, 16, QImage::Format_ARGB32);
  Image.fill(Colour);
  QByteArray Ico;
  QBuffer Buffer(&Ico);
  Buffer.open(QIODevice::WriteOnly);
  Image.save(&Buffer, "ICO");
  TMemoryStream Stream;
  Stream.WriteBuffer(Ico.constData(), Ico.size());
  Stream.SetPosition(0);
  TIcon Icon;
  Icon.LoadFromStream(Stream);
  return Icon;
}

// The colour in the middle of the window's icon.
inline QRgb WindowIconColour(TControl* C) { return C->Widget()->windowIcon().pixmap(16, 16).toImage().pixel(8, 8); }
