#pragma once
// Qt helpers private to the graphics backends (never included above platform/).
#include <QImage>
#include <QRawFont>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/DeviceContext.h"

namespace QtSupport {
// Raises EInvalidOperation unless InitializeGraphics ran (GraphicsInit.h).
void RequireGraphics();
// The raw font of a logical font at a pixel em size (cached for the calling
// thread: a face is never used by two threads at once; a shared copy, so the
// caller keeps it while the cache is trimmed).
QRawFont RawFont(const TLogFont& Font, double PixelEm);
// A decoded image as 32-bit pixels.
TBitmap ToBitmap(const QImage& Image);
}  // namespace QtSupport
