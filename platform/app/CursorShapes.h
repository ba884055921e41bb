#pragma once
// The Qt cursor of a class-library cursor number (for the platform's Qt side only).
#include <Qt>

#include "platform/app/Cursors.h"

Qt::CursorShape CursorShapeOf(TCursor C);
