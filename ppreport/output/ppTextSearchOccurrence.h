#pragma once
// One text search hit: where it is on its page (draw command, line, ordinal in the line) and the
// colours a highlight replaced. An engine creates it, one search page owns it.
#include <cstdint>

#include "platform/graphics/Types.h"
#include "ppreport/core/ppComm.h"

class TppTextSearchOccurrence : public TppCommunicator {
  DECLARE_CLASSINFO(TppTextSearchOccurrence)
public:
  explicit TppTextSearchOccurrence(TComponent* AOwner = nullptr) : TppCommunicator(AOwner) {}

  int32_t DrawCommandIndex() const { return FDrawCommandIndex; }
  void SetDrawCommandIndex(int32_t V) { FDrawCommandIndex = V; }
  // Plain text: 1 for the first hit of its line; rich text: 0 for the first hit of the range.
  int32_t OrdinalInLine() const { return FOrdinalInLine; }
  void SetOrdinalInLine(int32_t V) { FOrdinalInLine = V; }
  // The window colour is kept as plain white: the highlight is erased on any device.
  void RecordBackColor(TColor Colour) { SavedBackColor = Colour == clWindow ? clWhite : Colour; }

  // Written directly by engines and highlighters.
  int32_t SortLeft = 0;           // command Left plus the hit's number within the command
  int32_t SortTop = 0;            // microns
  int32_t RichTextPosition = 0;   // rich text: 0-based character position in its plain text
  int32_t TextLineNo = 1;         // plain text: 1-based line of the command's text; rich text 0
  TColor SavedBackColor = -1;     // -1: no highlight recorded one
  TColor SavedFontColor = -1;

private:
  int32_t FOrdinalInLine = 0;
  int32_t FDrawCommandIndex = 0;
};
