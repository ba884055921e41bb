// Rich text as a report meets it: a long RTF document read, written back, split
// into pages on a 600 dpi printer and every page drawn. Then documents of many
// paragraph marks (10,000, 80,000 and 1,000,000 "\par", and as many "\line" for
// comparison) read: the time must grow with the size, not its square. Prints the times.
//   bench_richtext [marks]   (the largest document, default 1000000)
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/graphics/CallLogDC.h"
#include "platform/graphics/GraphicsInit.h"
#include "platform/richtext/RichEdit.h"

namespace {
double Ms(std::chrono::steady_clock::duration D) { return std::chrono::duration<double, std::milli>(D).count(); }

std::string Sample(int Paragraphs) {
  std::string Rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
      "{\\colortbl ;\\red255\\green0\\blue0;}";
  for (int P = 0; P < Paragraphs; ++P) {
    Rtf += P % 2 ? "\\pard\\qj " : "\\pard\\li360 ";
    for (int W = 0; W < 60; ++W) Rtf += W % 9 == 0 ? "{\\b\\cf1 negrito} " : "texto corrido com acentua\\'e7\\'e3o ";
    Rtf += "\\par\n";
  }
  return Rtf + "}";
}

std::string Marks(int Count, const std::string& Mark) {
  std::string Rtf = "{\\rtf1\\ansi ";
  Rtf.reserve(Rtf.size() + Mark.size() * static_cast<size_t>(Count) + 1);
  for (int I = 0; I < Count; ++I) Rtf += Mark;
  return Rtf + "}";
}
}  // namespace

int main(int argc, char** argv) {
  QGuiApplication App(argc, argv);
  InitializeGraphics();
  {
    using Clock = std::chrono::steady_clock;
    const std::string Rtf = Sample(400);
    auto T0 = Clock::now();
    TRichEdit E;
    E.LoadFromBytes(Rtf);
    auto T1 = Clock::now();
    const std::string Out = E.SaveToBytes();
    auto T2 = Clock::now();
    TCallLogDC Printer(600);
    TRichFormatRange R;
    R.Dc = &Printer;
    R.Rc = R.RcPage = TRect{0, 0, 9000, 13000};  // about an A4 page's text area, in twips
    std::vector<std::pair<int, int>> Pages;
    for (int First = 0; First < E.Length();) {
      R.First = First;
      R.Last = E.Length() - 1;
      int Next = E.FormatRange(R, false);
      if (Next <= First) break;
      Pages.emplace_back(First, Next - 1);
      First = Next;
    }
    auto T3 = Clock::now();
    for (auto [First, Last] : Pages) {
      TCallLogDC Page(600);
      R.Dc = &Page;
      R.First = First;
      R.Last = Last;
      E.Document().ClearFormatCache();  // as a draw command does, with a document of its own
      E.FormatRange(R, true);
    }
    auto T4 = Clock::now();
    std::printf("rich text: %zu bytes of RTF, %d characters, %zu pages\n", Rtf.size(), E.Length(), Pages.size());
    std::printf("  read      %8.1f ms\n", Ms(T1 - T0));
    std::printf("  write     %8.1f ms (%zu bytes)\n", Ms(T2 - T1), Out.size());
    std::printf("  paginate  %8.1f ms (%.2f ms a page)\n", Ms(T3 - T2), Ms(T3 - T2) / Pages.size());
    std::printf("  draw      %8.1f ms (%.2f ms a page)\n", Ms(T4 - T3), Ms(T4 - T3) / Pages.size());
  }
  const int Largest = argc > 1 ? std::atoi(argv[1]) : 1000000;
  for (const char* Mark : {"\\par", "\\line"})
    for (int Count : {10000, 80000, 1000000}) {
      if (Count > Largest) continue;
      const std::string Rtf = Marks(Count, Mark);
      const auto T0 = std::chrono::steady_clock::now();
      TRichEdit E;
      E.LoadFromBytes(Rtf);
      const double Read = Ms(std::chrono::steady_clock::now() - T0);
      std::printf("  read %7d %-5s %8.1f ms (%.3f us a mark, %d characters)\n", Count, Mark, Read,
                  Read * 1000 / Count, E.Length());
    }
  FinalizeGraphics();
  return 0;
}
