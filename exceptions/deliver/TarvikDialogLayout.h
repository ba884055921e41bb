#pragma once
// The exception dialog's arithmetic, apart from any window system: the collapsed size from the
// message's text extents, the places of the controls for a client size, the geometry kept in
// "TarvikLog.ini" (section "Coordinates") and the rows of its two lists.
#include <array>
#include <string>
#include <vector>

class TTarvikModuleOptions;
struct TReportModule;
struct TTarvikStackFrame;

struct TDialogRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TDialogRect&) const = default;
};

// The window frame's parts, in pixels.
struct TDialogMetrics {
  int FrameWidth = 3, FrameHeight = 3, SmallCaptionHeight = 17;
  int ScreenWidth = 1024, ScreenHeight = 768;
};

// 34 when the send box shows and screenshots are on (two rows of boxes), else 20.
int CheckBoxAreaHeight(bool SendBoxVisible, bool AttachScreenshot);
// The send box shows when mailing is on and the report is no duplicate.
bool SendBoxVisible(const TTarvikModuleOptions& Options, bool IsDuplicate);
// From the report after TerminateButtonErrorCount reports, when TerminateButtonAfterErrors is on.
bool TerminateButtonVisible(const TTarvikModuleOptions& Options, int ReportCount);

// The collapsed dialog: the window (frame included, centred on the screen) and the message label.
struct TCollapsedLayout {
  TDialogRect Window;
  TDialogRect Label;
};
// LineWidths: each line of the message and the boxes' line, as the message font measures them.
TCollapsedLayout CollapsedLayout(const std::vector<int>& LineWidths, int LineHeight, int CheckArea,
                                 const TDialogMetrics& Metrics);

// The controls for a client area of Width x Height.
struct TDialogControls {
  TDialogRect Tabs, Label, Ok, Terminate, Details, SendBox, CopyBox, ShotBox;
};
TDialogControls DialogControlRects(int Width, int Height, int CheckArea, bool Expanded);

// The expanded window's stored geometry. Height leaves out the check-box area.
struct TDialogCoordinates {
  int Left = 0, Top = 0, Width = 640, Height = 385;
  int WindowState = 1;  // 1 normal, 3 maximized, 6 minimized
};
// The first columns hold 16 hexadecimal digits (and the icon), not 8: wider than the classic 80.
inline constexpr std::array<int, 6> DefaultStackColumns = {140, 102, 105, 118, 137, 48};
inline constexpr std::array<int, 6> DefaultModuleColumns = {140, 100, 130, 65, 65, 150};

// "TarvikLog.ini" in the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config).
std::string DialogIniPath();
// Reads the coordinates (defaults for what is missing or not a number; centred by default) and
// keeps the window on the screen.
TDialogCoordinates ReadDialogCoordinates(const std::string& IniPath, int CheckArea, const TDialogMetrics& Metrics);
void WriteDialogCoordinates(const std::string& IniPath, const TDialogCoordinates& C);
// "Col0".."Col5" (Modules false) or "ColMod0".."ColMod5"; a width that is not a positive number
// takes its default.
std::array<int, 6> ReadColumnWidths(const std::string& IniPath, bool Modules);
void WriteColumnWidths(const std::string& IniPath, bool Modules, const std::array<int, 6>& Widths);

// The lists' rows: six cells and the icon ("DLL", "BPL", "VCL", "PAS").
struct TDialogRow {
  std::array<std::string, 6> Cells;
  std::string Icon;
};
// Frames that name a procedure, but not the exported names of the program itself.
std::vector<TDialogRow> CallStackRows(const std::vector<TTarvikStackFrame>& Stack);
std::vector<TDialogRow> ModuleRows(const std::vector<TReportModule>& Modules, const std::string& ProgramFileName);
// "1.2.3.4" -> "1.2.3": the version up to its third part.
std::string ShortVersion(const std::string& Version);
