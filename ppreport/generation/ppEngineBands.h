#pragma once
// What the engine reads and sets on a band beyond the band model (TppBand): one place, so the
// engine does not depend on how each band kind keeps its generation state.
#include <cstdint>

class TppBand;
class TppComponent;

// Band kinds that carry the settings below answer them through this interface (title, header,
// footer and group bands); a band without it answers the defaults.
class IppEngineBandSettings {
public:
  virtual ~IppEngineBandSettings() = default;
  // Header and footer: whether the band stays on the last page (two-pass reports).
  virtual bool PrintOnLastPage() const { return true; }
  // Title: the title takes a page of its own.
  virtual bool TitleNewPage() const { return false; }
  // Group header: generated in the current break, and the copy kept while orphaned footers
  // reprint the headers above them.
  virtual bool Generation() const { return false; }
  virtual void SetGeneration(bool) {}
  virtual bool SaveGeneration() const { return false; }
  virtual void SetSaveGeneration(bool) {}
  // Group header: a page break was already taken for an outer group breaking at the same record.
  virtual void SetAlreadyPageBreak(bool) {}
};

// The detail band's way of filling columns.
enum TppColumnTraversalType { ctTopToBottom, ctLeftToRight };

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
TppColumnTraversalType ColumnTraversal(TppBand& Band);
// The settings above; the defaults for a band without them.
const IppEngineBandSettings& Settings(TppBand& Band);
IppEngineBandSettings* MutableSettings(TppBand& Band);
}  // namespace ppEngineBand
