#pragma once
// What the engine reads and sets on a band beyond the band model: one place, so the engine does
// not depend on how each band kind keeps its generation state.
#include <cstdint>

#include "ppreport/generation/ppBands.h"

class TppBand;
class TppComponent;

// Settings of band kinds the engine reads (title, header, footer and group header bands). Interim:
// those kinds answer through this interface until their own classes are in; a band without it
// answers the defaults.
class IppEngineBandSettings {
public:
  virtual ~IppEngineBandSettings() = default;
  // Header and footer: whether the band stays on the last page (two-pass reports).
  virtual bool PrintOnLastPage() const { return true; }
  // Title: the title takes a page of its own.
  virtual bool TitleNewPage() const { return false; }
  // Group header: a page break was already taken for an outer group breaking at the same record.
  virtual void SetAlreadyPageBreak(bool) {}
};

namespace ppEngineBand {
// The band generates on the engine's page (the band kind's own loop, or its band engine).
void Generate(TppBand& Band);
bool OutOfSpace(TppBand& Band);
int32_t SpaceUsed(TppBand& Band);
// Cycles printed in the current generation (the detail band: records on this page).
int Count(TppBand& Band);
void SetCount(TppBand& Band, int Value);
// The object the band is generating, none when unknown.
TppComponent* CurrentObject(TppBand& Band);
// The detail band's; top to bottom for any other band.
TppColumnTraversalType ColumnTraversal(TppBand& Band);
// A group band belongs to a break that has not finished printing (the group marks its bands).
bool Generation(TppBand& Band);
void SetGeneration(TppBand& Band, bool Value);
// The settings above; the defaults for a band without them.
const IppEngineBandSettings& Settings(TppBand& Band);
IppEngineBandSettings* MutableSettings(TppBand& Band);
}  // namespace ppEngineBand
