#pragma once
// Lines of laid-out paragraphs kept between format passes (private to the
// module). A measurement bisects a rectangle's height with many passes over the
// same paragraphs; each piece of a paragraph is broken into lines once per
// width. Plain numbers only, so nothing of Qt outlives a call.
#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

struct TRichLine {
  int Start = 0;   // offset in the paragraph's text
  int Length = 0;  // characters of the text (a line break included, the mark not)
  double Ascent = 0, Descent = 0;  // twips, the line's tallest font
  double Width = 0;                // twips, trailing spaces left out
  bool FirstOfParagraph = false, LastOfParagraph = false;
};

struct TRichLayoutCache {
  struct TKey {
    int Paragraph, Offset, End, Width;
    auto Tie() const { return std::tie(Paragraph, Offset, End, Width); }
    bool operator<(const TKey& B) const { return Tie() < B.Tie(); }
  };
  static constexpr size_t MaxEntries = 4096;
  uint64_t Revision = ~0ull;
  std::map<TKey, std::vector<TRichLine>> Lines;
  void Reset(uint64_t ForRevision) {
    Lines.clear();
    Revision = ForRevision;
  }
};
