#pragma once
// TppPageBreak: ends the page at its place in a band. The objects above it print on this page, the
// objects below it go on at the top of the next; it prints nothing itself and ends the page through
// the band's own overflow state.
#include "ppreport/generation/ppStrtch.h"

class TppPageBreak : public TppStretchable {
  DECLARE_CLASSINFO(TppPageBreak)
public:
  explicit TppPageBreak(TComponent* AOwner);
  ~TppPageBreak() override;

  void GenerateContent() override;
  // A page break never belongs to a region.
  void SetRegion(TppComponent*) override {}
  // Following an object means following its growth.
  void SetShiftRelativeTo(TppStretchable* Value) override;
  bool HasColor() const override { return false; }
  bool HasFont() const override { return false; }
};

// The page break for streaming.
void InitializePageBreakUnit();
void FinalizePageBreakUnit();
