#pragma once
// The rich text highlighter: a hit in a rich text command is shown by rewriting the colours of the
// matched characters inside the command's own RTF (the engine then draws the command again), and
// erased by writing back the colours the hit had.
#include "ppreport/output/ppTextSearchHighlighter.h"

class TppDrawRichText;

class TppTextSearchRichTextHighlighter : public TppTextSearchDrawCommandHighlighter {
public:
  // Makes no command: the rich text command itself now shows the hit.
  TppOwnedDrawCommand CreateHighlight(TppDrawCommand* Command, TppTextSearchOccurrence* Occurrence,
                                      const std::string& SearchText, TCanvas* Canvas) override;
  // Writes back the colours the highlight replaced and forgets them, so that a second erase changes
  // nothing. A hit never highlighted is left alone.
  void EraseHighlight(TppDrawCommand* Command, TppTextSearchOccurrence* Occurrence, const std::string& SearchText,
                      TCanvas* Canvas) override;

  TColor RichBackColor = static_cast<TColor>(RGB(10, 36, 106));    // dark blue
  TColor RichTextColor = static_cast<TColor>(RGB(255, 251, 240));  // cream

private:
  // Colours the hit's characters. Record: keep the colours they had in the occurrence (clDefault
  // for an automatic colour, which is given back as automatic).
  static void ApplyColors(TppDrawRichText& Command, TColor BackColor, TColor TextColor, const std::string& SearchText,
                          TppTextSearchOccurrence& Occurrence, bool Record);
};
