#pragma once
// Tests that compare with exact glyph metrics (advances, ascent, pixel
// positions of text) need the metric-compatible faces the Windows names map
// to; without them such a test fails and says what to install.
#include <gtest/gtest.h>

#include "platform/graphics/FontEngine.h"

#define REQUIRE_METRIC_FONTS()                                                                           \
  ASSERT_TRUE(FontEngine::FaceInstalled("Arial") && FontEngine::FaceInstalled("Times New Roman") &&     \
              FontEngine::FaceInstalled("Courier New"))                                                  \
      << "this test needs exact font metrics: install fonts-liberation"
