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
// Whether the face a Windows name maps to is installed (rather than stood in
// for by another). A stand-in is drawn, and reported once on stderr.
bool FaceInstalled(const std::string& FaceName);
// Em height in logical units of a font (cell heights converted).
double EmHeight(const TLogFont& Font);
// Unrounded advance of each UTF-16 unit in logical units.
std::vector<double> Advances(const TLogFont& Font, const std::u16string& Text);
TTextMetric Metrics(const TLogFont& Font);
// Exact advances with justification: JustExtra logical units spread over the
// first JustCount break characters, the remainder to the first ones (as GDI).
std::vector<double> JustifiedAdvances(const TLogFont& Font, const std::u16string& Text, int JustExtra,
                                      int JustCount);
// Integer advances whose running sums are the rounded running sums of the
// justified exact advances.
std::vector<int> IntAdvances(const TLogFont& Font, const std::u16string& Text, int JustExtra, int JustCount);
// The sum of those integer advances, without making them.
int TextWidth(const TLogFont& Font, const std::u16string& Text, int JustExtra, int JustCount);

// An installed font family and its family code, the high nibble of a Windows
// pitch-and-family value: 0 unknown, 1 serif, 2 sans serif, 3 monospace,
// 4 script, 5 decorative; guessed from the face's pitch and name.
struct TFontFamily {
  std::string Name;
  int Family = 0;
};
std::vector<TFontFamily> InstalledFamilies();
}  // namespace FontEngine
