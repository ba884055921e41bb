#include "ppreport/output/forms/ppTextSearchPreviewIcons.h"

// Two barrels joined by a bridge. Enabled: a black outline with silver bodies and white glints;
// disabled: the same shape in Colour only.
void TppTextSearchIcon::DrawGlyph(TCanvas& C, int O, TColor Colour) {
  const bool Enabled = O == 0;
  const TColor Body = Enabled ? clSilver : BackgroundColor();
  for (int Left : {1, 9}) {
    Fill(C, O + Left, 4, O + Left + 5, 13, Colour);
    Fill(C, O + Left + 1, 5, O + Left + 4, 12, Body);
    Fill(C, O + Left + 1, 2, O + Left + 4, 4, Colour);
    if (Enabled) Line(C, O + Left + 1, 6, O + Left + 1, 10, clWhite);
  }
  Fill(C, O + 7, 5, O + 8, 8, Colour);
}
