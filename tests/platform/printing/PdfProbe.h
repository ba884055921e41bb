#pragma once
// Reads what poppler's pdfinfo says about a PDF: page count, title, page sizes in points.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

struct TPdfInfo {
  int Pages = -1;
  std::string Title;
  std::vector<std::pair<double, double>> PageSizes;
};

inline std::string RunCommand(const std::string& Cmd) {
  std::string Out;
  if (FILE* F = popen(Cmd.c_str(), "r")) {
    char Buf[4096];
    size_t N;
    while ((N = fread(Buf, 1, sizeof Buf, F)) > 0) Out.append(Buf, N);
    pclose(F);
  }
  return Out;
}

inline TPdfInfo ReadPdfInfo(const std::string& File) {
  TPdfInfo I;
  std::string Out = RunCommand("pdfinfo -l 1000 '" + File + "' 2>/dev/null");
  size_t Pos = 0;
  while (Pos < Out.size()) {
    size_t End = Out.find('\n', Pos);
    if (End == std::string::npos) End = Out.size();
    std::string Line = Out.substr(Pos, End - Pos);
    Pos = End + 1;
    auto Value = [&](const char* Key) -> const char* {
      size_t K = std::string(Key).size();
      if (Line.compare(0, K, Key) != 0) return nullptr;
      size_t V = Line.find_first_not_of(' ', K);
      return V == std::string::npos ? "" : Line.c_str() + V;
    };
    if (const char* V = Value("Pages:")) I.Pages = std::atoi(V);
    if (const char* V = Value("Title:")) I.Title = V;
    if (Line.compare(0, 5, "Page ") == 0 && Line.find(" size:") != std::string::npos) {
      double W = 0, H = 0;
      if (std::sscanf(Line.c_str() + Line.find(" size:") + 6, "%lf x %lf", &W, &H) == 2) I.PageSizes.push_back({W, H});
    }
  }
  return I;
}
