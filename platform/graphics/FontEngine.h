#pragma once
// Text measuring shared by every device: unhinted outlines at the logical em
// size, so that measuring (on the reference screen) and drawing (at any zoom or
// printer resolution) agree.
#include <string>
#include <vector>

#include "platform/graphics/DeviceContext.h"

namespace FontEngine {
// Windows face name to the installed metric-compatible family.
std::string MapFaceName(const std::string& FaceName);
// Em height in logical units of a font (cell heights converted).
double EmHeight(const TLogFont& Font);
// Unrounded advance of each UTF-16 unit in logical units.
std::vector<double> Advances(const TLogFont& Font, const std::u16string& Text);
TTextMetric Metrics(const TLogFont& Font);
// Integer advances whose running sums are the rounded running sums of the
// exact advances; justification adds Extra spread over Count break characters.
std::vector<int> IntAdvances(const TLogFont& Font, const std::u16string& Text, int JustExtra, int JustCount);
}  // namespace FontEngine
