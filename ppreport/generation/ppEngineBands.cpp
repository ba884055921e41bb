#include "ppreport/generation/ppEngineBands.h"

#include "ppreport/core/ppBand.h"

namespace ppEngineBand {
namespace {
const IppEngineBandSettings NoSettings;
}

void Generate(TppBand& Band) { Band.Generate(); }
bool OutOfSpace(TppBand&) { return false; }
int32_t SpaceUsed(TppBand&) { return 0; }
int Count(TppBand&) { return 0; }
void SetCount(TppBand&, int) {}
TppComponent* CurrentObject(TppBand&) { return nullptr; }
TppColumnTraversalType ColumnTraversal(TppBand&) { return ctTopToBottom; }

const IppEngineBandSettings& Settings(TppBand& Band) {
  const auto* S = dynamic_cast<const IppEngineBandSettings*>(&Band);
  return S ? *S : NoSettings;
}

IppEngineBandSettings* MutableSettings(TppBand& Band) { return dynamic_cast<IppEngineBandSettings*>(&Band); }
}  // namespace ppEngineBand
