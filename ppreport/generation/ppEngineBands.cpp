#include "ppreport/generation/ppEngineBands.h"

#include "ppreport/core/ppBand.h"

namespace ppEngineBand {
namespace {
const IppEngineBandSettings NoSettings;
const IppEngineBandState* State(TppBand& Band) { return dynamic_cast<const IppEngineBandState*>(&Band); }
}  // namespace

void Generate(TppBand& Band) { Band.Generate(); }
bool OutOfSpace(TppBand& Band) { return State(Band) && State(Band)->GetOutOfSpace(); }
int32_t SpaceUsed(TppBand& Band) { return State(Band) ? State(Band)->GetSpaceUsed() : 0; }
int Count(TppBand& Band) { return State(Band) ? State(Band)->GetCount() : 0; }

void SetCount(TppBand& Band, int Value) {
  if (auto* S = dynamic_cast<IppEngineBandState*>(&Band)) S->SetCount(Value);
}

TppComponent* CurrentObject(TppBand&) { return nullptr; }
TppColumnTraversalType ColumnTraversal(TppBand& Band) { return Settings(Band).ColumnTraversal(); }
bool Generation(TppBand& Band) { return Band.Breaking(); }
void SetGeneration(TppBand& Band, bool Value) { Band.SetBreaking(Value); }

const IppEngineBandSettings& Settings(TppBand& Band) {
  const auto* S = dynamic_cast<const IppEngineBandSettings*>(&Band);
  return S ? *S : NoSettings;
}

IppEngineBandSettings* MutableSettings(TppBand& Band) { return dynamic_cast<IppEngineBandSettings*>(&Band); }
}  // namespace ppEngineBand
