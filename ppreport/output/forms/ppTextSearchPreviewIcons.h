#pragma once
// The search buttons' glyphs, drawn in code: binoculars for the preview's text search button and
// the page arrows in maroon for stepping from hit to hit. All are double glyphs (enabled left half,
// disabled right half).
#include "ppreport/output/forms/ppIcons.h"

class TppTextSearchIcon : public TppDoubleGlyphIcon {
protected:
  void DrawGlyph(TCanvas& C, int Offset, TColor Colour) override;
};

namespace ppsearchicons {
// The hit arrows' enabled colour, so they differ from the page arrows beside them.
inline constexpr TColor Maroon = static_cast<TColor>(RGB(128, 0, 0));
}  // namespace ppsearchicons

class TppFirstSearchOccurrenceIcon : public TppFirstIcon {
public:
  TColor GetEnabledColor() const override { return ppsearchicons::Maroon; }
};
class TppPriorSearchOccurrenceIcon : public TppPriorIcon {
public:
  TColor GetEnabledColor() const override { return ppsearchicons::Maroon; }
};
class TppNextSearchOccurrenceIcon : public TppNextIcon {
public:
  TColor GetEnabledColor() const override { return ppsearchicons::Maroon; }
};
class TppLastSearchOccurrenceIcon : public TppLastIcon {
public:
  TColor GetEnabledColor() const override { return ppsearchicons::Maroon; }
};
