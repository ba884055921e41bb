#pragma once
// The drawing steps the printer and the screen device share: one drawing path for paper and
// screen, each device handing in the pixel sizes of its own resolution and zoom. Everything here
// draws on a platform canvas in device pixels.
#include <string>

#include "platform/graphics/Canvas.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppPlainText.h"

namespace ppDeviceDraw {

// W one-pixel lines inward from the edge of R that Position names, the first Gap pixels in.
void StrokeLine(TCanvas& Canvas, TppLinePositionType Position, const TRect& R, int W, int Gap);

// A command's border: pen style and colour of Border, width 1; Nx + 1 one-pixel lines on the left
// and right sides, Ny + 1 on the top and bottom, each k pixels inside R.
void StrokeBorder(TCanvas& Canvas, const TppBorder& Border, const TRect& R, int Nx, int Ny);

// Where a picture of Gw x Gh goes in R: stretched (fitted and centred with MaintainAspectRatio and
// Center), else at its own size (centred with Center).
TRect PlaceImage(const TRect& R, int Gw, int Gh, bool Stretch, bool MaintainAspectRatio, bool Center);

// The wrapped-text layout after the device has chosen its font, insets and line height.
struct TppTextLines {
  int Bx = 0, By = 0;  // border insets, horizontal and vertical
  int LineHeight = 0;
  TppTabStopPositions Tabs{};
  int TabCount = 0;
  int LastLine = -1;  // the last line index drawn; -1: all
  // The screen's rules: auto-size widths leave out the paragraph-end mark, the opaque fill's
  // rectangle is not extended by the border, and auto-sized plain lines are drawn unclipped.
  bool ScreenRules = false;
};

// The lines of Text (its wrapped lines, or the text itself) drawn into its DrawRect with the
// canvas's font: fill, alignment, full justification and border insets. With AutoSize the
// command's DrawRect takes the laid-out size. Returns the text rectangle's width.
int DrawTextLines(TCanvas& Canvas, TppDrawText& Text, const TppTextLines& Layout);

// The lines a text command draws: its wrapped text with WordWrap, else the text as one line.
std::vector<std::string> TextLinesOf(const TppDrawText& Text);

}  // namespace ppDeviceDraw
