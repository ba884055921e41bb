#pragma once
// "Full Search": the standard search, and the rich text commands as well. A rich text hit is
// highlighted by colouring its characters in the command's own RTF; leaving the hit (moving the
// cursor, clearing the highlights) writes the old colours back.
#include <memory>

#include "ppreport/output/ppTextSearchEngine.h"

class TppRichEdit;
class TppDrawRichText;

class TppTextSearchRichTextEngine : public TppTextSearchEngine {
  DECLARE_CLASSINFO(TppTextSearchRichTextEngine)
public:
  explicit TppTextSearchRichTextEngine(TComponent* AOwner = nullptr);
  ~TppTextSearchRichTextEngine() override;

  static std::string Description() { return "Full Search"; }
  static const TppTextSearchEngineClass& EngineClass();
  std::string GetDescription() const override { return Description(); }

  void ClearHighlights() override;
  // With at least two hits: Height shared out evenly from Top, so that the hits of one rich text
  // keep their order when the page is sorted.
  void SpreadOccurrenceTops(TppOccurrenceList& List, int32_t Top, int32_t Height);

protected:
  void BeforeMoveBackward() override { EraseCurrentRichTextHighlight(); }
  void BeforeMoveForward() override { EraseCurrentRichTextHighlight(); }
  void BuildSearchOccurrenceList(TppDrawCommand* Command, int Index, TppOccurrenceList& List,
                                 const std::string& Text) override;

private:
  void BuildRichTextSearchOccurrenceList(TppDrawRichText& Command, int Index, TppOccurrenceList& List,
                                         const std::string& Text);
  void EraseCurrentRichTextHighlight();
  void EraseHighlight(TppDrawCommand* Command, TppTextSearchOccurrence* Occurrence);

  std::unique_ptr<TppRichEdit> FRichEdit;  // made on first use
};
