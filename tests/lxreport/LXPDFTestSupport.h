#pragma once
// What poppler reads from a PDF: its text, its fonts, a page as pixels.
#include <QImage>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/TestTemp.h"
#include "tests/platform/printing/PdfProbe.h"

namespace lxtest {

// The text of page N, lines trimmed at the end, blank lines and form feeds dropped.
inline std::string PdfText(const std::string& Pdf, int Page) {
  std::string N = std::to_string(Page);
  std::string Raw = RunCommand("pdftotext -enc UTF-8 -layout -f " + N + " -l " + N + " '" + Pdf + "' - 2>/dev/null");
  std::istringstream In(Raw);
  std::string Line, Out;
  while (std::getline(In, Line)) {
    size_t Start = Line.find_first_not_of(" \f");
    if (Start == std::string::npos) continue;
    size_t End = Line.find_last_not_of(' ');
    if (!Out.empty()) Out += '\n';
    Out += Line.substr(Start, End - Start + 1);
  }
  return Out;
}

// qpdf's structural check: answers its report when it finds anything wrong, empty when the file is sound.
inline std::string QpdfProblems(const std::string& Pdf) {
  std::string Out = RunCommand("qpdf --check '" + Pdf + "' 2>&1; echo \"exit $?\"");
  bool Sound = Out.find("No syntax or stream encoding errors found") != std::string::npos &&
               Out.find("exit 0") != std::string::npos;
  return Sound ? std::string() : Out;
}

struct TPdfFont {
  std::string Name;
  bool Embedded = false;
};

// pdffonts' table: name, type..., then "emb sub uni" as yes/no.
inline std::vector<TPdfFont> PdfFonts(const std::string& Pdf) {
  std::istringstream In(RunCommand("pdffonts '" + Pdf + "' 2>/dev/null"));
  std::string Line;
  std::vector<TPdfFont> Fonts;
  int Row = 0;
  while (std::getline(In, Line)) {
    if (++Row <= 2) continue;  // heading and rule
    std::istringstream Words(Line);
    std::vector<std::string> W;
    for (std::string S; Words >> S;) W.push_back(S);
    if (W.size() < 6) continue;
    // From the end: object number, generation, uni, sub, emb.
    size_t Emb = W.size() - 5;
    Fonts.push_back({W[0], W[Emb] == "yes"});
  }
  return Fonts;
}

// Page N rendered at Ppi by pdftoppm.
inline QImage RenderPdfPage(const std::string& Pdf, int Page, int Ppi, TTestTempFiles& Temp) {
  std::string Base = Temp.Path("render"), N = std::to_string(Page);
  RunCommand("pdftoppm -r " + std::to_string(Ppi) + " -f " + N + " -l " + N + " -singlefile -png '" + Pdf + "' '" +
             Base + "'");
  Temp.Adopt(Base + ".png");
  return QImage(QString::fromStdString(Base + ".png")).convertToFormat(QImage::Format_RGB32);
}

// Dark pixels inside R.
inline int InkIn(const QImage& Image, const QRect& R) {
  int Ink = 0;
  for (int Y = R.top(); Y <= R.bottom(); ++Y)
    for (int X = R.left(); X <= R.right(); ++X)
      if (Image.valid(X, Y) && qGray(Image.pixel(X, Y)) < 128) ++Ink;
  return Ink;
}

struct TPdfWord {
  int Page;
  double XMin, YMin, XMax, YMax;
  std::string Text;
};

// Every word of a PDF with its page and its box in points (pdftotext -bbox).
inline std::vector<TPdfWord> PdfWords(const std::string& Pdf) {
  const std::string Html = RunCommand("pdftotext -enc UTF-8 -bbox '" + Pdf + "' - 2>/dev/null");
  static const std::regex Word(
      "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
  std::vector<TPdfWord> R;
  int Page = 0;
  for (size_t At = Html.find("<page "); At != std::string::npos; At = Html.find("<page ", At + 1)) {
    ++Page;
    const size_t End = std::min(Html.find("</page>", At), Html.size());
    for (std::sregex_iterator I(Html.begin() + At, Html.begin() + End, Word), E; I != E; ++I)
      R.push_back({Page, std::stod((*I)[1]), std::stod((*I)[2]), std::stod((*I)[3]), std::stod((*I)[4]), (*I)[5]});
  }
  return R;
}
}  // namespace lxtest
