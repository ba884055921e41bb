// Report text through the word wrap, page by page as a memo prints it. A four-byte header picks the
// settings (width in characters, page height in half lines, char wrap, full justification, auto
// size, leading, tab stops), the rest is the text. Measured on the tests' fixed-metrics printer,
// so no font is needed and nothing is started.
//
// Every page must move on (or the memo would print pages forever), hold no more lines than fit,
// and the last one must end one past the text (past any NUL too); sanitizers catch the rest.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ppreport/core/ppPlainText.h"
#include "tests/ppreport/core/FixedMetrics.h"

namespace {
void Check(bool Condition) {
  if (!Condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Bytes, size_t Size) {
  if (Size < 4 || Size > 4096) return 0;
  TFixedMetricsPrinter Printer;
  const int Width = 1 + Bytes[0] % 40;
  // One and a half to four and a half lines a page (a page lower than a line takes nothing, by design).
  const int HalfLines = 3 + Bytes[1] % 7;
  const bool CharWrap = Bytes[2] & 1;
  const TppTextAlignment Alignment = (Bytes[2] & 2) ? taFullJustified : taLeftJustified;
  const bool AutoSize = Bytes[2] & 4;
  const int32_t Leading = (Bytes[2] & 8) ? Printer.Lines(1) / 4 : 0;
  TStringList Tabs;
  for (int I = 0; I < Bytes[3] % 4; ++I) Tabs.Add(std::to_string((I + 1) * 1500));
  const std::string Text(reinterpret_cast<const char*>(Bytes + 4), Size - 4);

  const TRect Page{0, 0, Printer.Chars(Width), Printer.Lines(HalfLines) / 2};
  const int Fit = Page.Bottom / (Printer.Lines(1) + Leading);
  TFont Font;
  TStringList Lines;
  int32_t Start = 0;
  for (int Pages = 0; Start <= static_cast<int32_t>(Text.size()); ++Pages) {
    Check(Pages <= static_cast<int>(Text.size()) + 1);
    const int32_t Before = Start;
    TppPlainText::WordWrap(Text, Page, Alignment, AutoSize, Font, CharWrap, Leading, Bytes[3] & 4 ? &Tabs : nullptr,
                           &Printer, Start, Lines);
    Check(Start > Before);
    Check(Lines.Count() <= Fit);
  }
  Check(Start == static_cast<int32_t>(Text.size()) + 1);
  return 0;
}
