#pragma once
// The mouse cursor over the whole application (the class library's Screen.Cursor), for code
// without windows too: a template load shows the hourglass through it. Anything but crDefault
// overrides every window's cursor until set back. It belongs to the main thread: set from another
// thread (a report printing in the background) it changes nothing.

// Cursor numbers of the class library.
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11,
                  crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16,
                  crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                  crSizeAll = -22;

TCursor ScreenCursor();
void SetScreenCursor(TCursor Value);
