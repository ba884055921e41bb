#pragma once
// Qt helpers private to the graphics backends (never included above platform/).
#include <QRawFont>

#include "platform/graphics/DeviceContext.h"

namespace QtSupport {
// Creates the Qt GUI application the font database needs when none exists yet.
void EnsureGuiApplication();
// The raw font of a logical font at a pixel em size (cached; a shared copy,
// so callers on other threads keep theirs while the cache is trimmed).
// Creating the application belongs to the main thread: call it there first.
QRawFont RawFont(const TLogFont& Font, double PixelEm);
}  // namespace QtSupport
