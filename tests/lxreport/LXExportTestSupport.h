#pragma once
// Drives export filters as the report engine does, and runs the independent readers that
// check what they wrote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lxreport/LXExport.h"
#include "tests/TestTemp.h"
#include "tests/platform/printing/PdfProbe.h"

namespace lxtest {

struct TCellText {
  long double X, Y;
  std::string Text;
  TAlignment Alignment = taLeftJustify;
  TFont Font = TFont();
};
using TPageTexts = std::vector<TCellText>;

// Start, then for every page EndPage/NewPage and its texts, then EndPage and Finish.
inline void RunPages(TLXExportFilter& F, const std::vector<TPageTexts>& Pages, const TFont& ReportFont,
                     int PaperWidth = 2100, int PaperHeight = 2970) {
  if (!F.Active()) F.Start(PaperWidth, PaperHeight, &ReportFont);
  for (const auto& Page : Pages) {
    F.EndPage();
    F.NewPage();
    for (const auto& T : Page) F.TextOut(T.X, T.Y, &T.Font, clWhite, T.Alignment, T.Text);
  }
  F.EndPage();
  F.Finish();
}

inline TFont MakeFont(int Size, TColor Color = clWindowText, TFontStyles Style = 0, const char* Name = "Arial") {
  TFont F;
  F.SetName(Name);
  F.SetSize(Size);
  F.SetColor(Color);
  F.SetStyle(Style);
  return F;
}

inline std::string ReadAll(const std::string& File) {
  std::ifstream In(File, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), {}};
}

// Runs a Python script of the system's interpreter (where the Debian readers live) with
// one argument; its standard output.
inline std::string RunPython(TTestTempFiles& Temp, const std::string& Script, const std::string& Arg) {
  const std::string Path = Temp.Path("reader.py");
  std::ofstream(Path) << Script;
  return RunCommand("/usr/bin/python3 '" + Path + "' '" + Arg + "' 2>&1");
}

inline bool HaveTool(const char* Command) {
  return std::system((std::string("command -v ") + Command + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace lxtest
