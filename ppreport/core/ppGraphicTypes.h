#pragma once
// The class library's drawing enumerations that the pp library streams and registers by name,
// beside the platform's graphics (kept out of ppTypes.h, which every unit includes).
#include "platform/classes/TypInfo.h"
#include "platform/graphics/Graphics.h"

// The class library's shape kinds; no platform control uses them yet.
enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
DEFINE_ENUM_INFO(TShapeType, "stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle")
// The platform declares TBrushStyle without its record; the pp library is the first to stream it.
DEFINE_ENUM_INFO(TBrushStyle, "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
                 "bsCross", "bsDiagCross")
