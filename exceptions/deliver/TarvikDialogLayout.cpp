#include "exceptions/deliver/TarvikDialogLayout.h"

#include <algorithm>

#include "exceptions/base/TarvikIni.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikStackFrame.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/report/TarvikReport.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/FileSystem.h"

namespace {
constexpr const char* Section = "Coordinates";
constexpr int MaxCollapsedWidth = 640;

int ReadInt(const std::string& Ini, const char* Key, int Default) {
  return static_cast<int>(StrToIntDef(Trim(ReadIniText(Ini, Section, Key, "")), Default));
}

void WriteInt(const std::string& Ini, const std::string& Key, int Value) {
  WriteIniText(Ini, Section, Key, std::to_string(Value));
}
}  // namespace

int CheckBoxAreaHeight(bool SendBox, bool AttachScreenshot) { return SendBox && AttachScreenshot ? 34 : 20; }

bool SendBoxVisible(const TTarvikModuleOptions& O, bool IsDuplicate) { return O.MailSendMode() != msNone && !IsDuplicate; }

bool TerminateButtonVisible(const TTarvikModuleOptions& O, int ReportCount) {
  return O.TerminateButtonAfterErrors() && ReportCount > O.TerminateButtonErrorCount();
}

TCollapsedLayout CollapsedLayout(const std::vector<int>& LineWidths, int LineHeight, int CheckArea,
                                 const TDialogMetrics& M) {
  const int B = 2 * M.FrameWidth + 58;
  const int Max = MaxCollapsedWidth - B;
  int TextWidth = 0, TextHeight = 0;
  for (int W : LineWidths) {
    if (W > TextWidth) {
      TextWidth = W + 16;
      if (TextWidth > Max) {
        TextWidth = Max;
        TextHeight += ((W - Max + 16) / Max + 1) * LineHeight;  // the wrapped part's lines
      }
    }
    TextHeight += LineHeight;
  }
  TCollapsedLayout L;
  L.Window.Width = std::max(TextWidth + B, 250);
  L.Window.Height = std::max(TextHeight - 39, 0) + 2 * M.FrameHeight + M.SmallCaptionHeight + 86 + CheckArea;
  L.Window.Left = (M.ScreenWidth - L.Window.Width) / 2;
  L.Window.Top = (M.ScreenHeight - L.Window.Height) / 2;
  L.Label = {48, 8, TextWidth, TextHeight};
  return L;
}

TDialogControls DialogControlRects(int W, int H, int A, bool Expanded) {
  TDialogControls C;
  const int Y = H - A - 32;
  C.Tabs = {4, 52, W - 8, H - 90 - A};
  if (Expanded) C.Label = {48, 8, W - 56, 42};
  C.Ok = {(W - 75) / 2, Y, 75, 25};
  C.Terminate = {5, Y, 75, 25};
  C.Details = {W - 80, Y, 75, 25};
  const int BoxWidth = W / 2 - 4;
  C.SendBox = {4, Y + 34, BoxWidth, 13};
  C.CopyBox = {W - BoxWidth - 4, Y + 34, BoxWidth, 13};
  C.ShotBox = {23, Y + 50, W - 23, 13};
  return C;
}

std::string DialogIniPath() {
  std::string Dir = ConfigHomeDirectory();
  return Dir.empty() ? std::string() : Dir + "/TarvikLog.ini";
}

TDialogCoordinates ReadDialogCoordinates(const std::string& Ini, int A, const TDialogMetrics& M) {
  TDialogCoordinates C;
  C.Width = ReadInt(Ini, "Width", 640);
  C.Height = ReadInt(Ini, "Height", 385);
  if (C.Width <= 0) C.Width = 640;
  if (C.Height <= 0) C.Height = 385;
  C.Left = ReadInt(Ini, "Left", (M.ScreenWidth - C.Width) / 2);
  C.Top = ReadInt(Ini, "Top", (M.ScreenHeight - C.Height - A) / 2);
  C.WindowState = ReadInt(Ini, "WindowsState", 1);
  if (C.WindowState != 3 && C.WindowState != 6) C.WindowState = 1;
  if (C.Top + C.Height > M.ScreenHeight) C.Top = M.ScreenHeight - C.Height - A;
  if (C.Left + C.Width > M.ScreenWidth) C.Left = M.ScreenWidth - C.Width;
  C.Left = std::max(C.Left, 0);
  C.Top = std::max(C.Top, 0);
  return C;
}

void WriteDialogCoordinates(const std::string& Ini, const TDialogCoordinates& C) {
  if (Ini.empty()) return;
  ForceDirectories(ExtractFilePath(Ini));
  WriteInt(Ini, "Width", C.Width);
  WriteInt(Ini, "Height", C.Height);
  WriteInt(Ini, "Left", C.Left);
  WriteInt(Ini, "Top", C.Top);
  WriteInt(Ini, "WindowsState", C.WindowState);
}

std::array<int, 6> ReadColumnWidths(const std::string& Ini, bool Modules) {
  std::array<int, 6> W = Modules ? DefaultModuleColumns : DefaultStackColumns;
  for (int I = 0; I < 6; ++I) {
    std::string Key = (Modules ? "ColMod" : "Col") + std::to_string(I);
    int V = ReadInt(Ini, Key.c_str(), W[I]);
    if (V > 0) W[I] = V;
  }
  return W;
}

void WriteColumnWidths(const std::string& Ini, bool Modules, const std::array<int, 6>& Widths) {
  if (Ini.empty()) return;
  ForceDirectories(ExtractFilePath(Ini));
  for (int I = 0; I < 6; ++I) WriteInt(Ini, (Modules ? "ColMod" : "Col") + std::to_string(I), Widths[I]);
}

std::vector<TDialogRow> CallStackRows(const std::vector<TTarvikStackFrame>& Stack) {
  std::vector<TDialogRow> Rows;
  for (const TTarvikStackFrame& F : Stack) {
    // The program's own exports stay out (its debug data names them better); a frame nothing
    // names shows its module and address.
    if (F.Kind == dkExportSplit && F.ModuleKind == mkProgram) continue;
    TDialogRow R;
    // All 64 bits: eight digits would cut a Linux address in half.
    R.Cells = {AddressText(F.Address), ExtractFileName(F.ModuleFileName), F.UnitName, F.ClassName, F.ProcedureName,
               F.Line ? std::to_string(F.Line) : std::string()};
    R.Icon = F.Kind == dkDebugData            ? "PAS"
             : F.ModuleKind == mkProgram     ? "VCL"
             : F.ModuleKind == mkPackage     ? "BPL"
                                             : "DLL";
    Rows.push_back(std::move(R));
  }
  return Rows;
}

std::string ShortVersion(const std::string& V) {
  size_t Dot = V.find('.');
  if (Dot != std::string::npos) Dot = V.find('.', Dot + 1);
  if (Dot != std::string::npos) Dot = V.find('.', Dot + 1);
  return Dot == std::string::npos ? V : V.substr(0, Dot);
}

std::vector<TDialogRow> ModuleRows(const std::vector<TReportModule>& Modules, const std::string& ProgramFileName) {
  std::vector<TDialogRow> Rows;
  for (const TReportModule& M : Modules) {
    TDialogRow R;
    R.Cells = {AddressText(M.Handle), ExtractFileName(M.FileName), M.Description, ShortVersion(M.Version),
               std::to_string((M.Size + 512) / 1024) + " Kb", ExtractFilePath(M.FileName)};
    std::string Ext = UpperCaseAscii(ExtractFileExt(M.FileName));
    R.Icon = (Ext == ".BPL" || Ext == ".DPL")                     ? "BPL"
             : (Ext == ".EXE" || M.FileName == ProgramFileName) ? "VCL"
                                                                 : "DLL";
    Rows.push_back(std::move(R));
  }
  return Rows;
}
