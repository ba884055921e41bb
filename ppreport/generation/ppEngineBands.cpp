#include "ppreport/generation/ppEngineBands.h"

#include "ppreport/core/ppBand.h"

namespace ppEngineBand {
namespace {
const IppEngineBandSettings NoSettings;

TppCustomBand* Custom(TppBand& Band) { return dynamic_cast<TppCustomBand*>(&Band); }
}  // namespace

void Generate(TppBand& Band) { Band.Generate(); }
bool OutOfSpace(TppBand& Band) { return Custom(Band) && Custom(Band)->GetOutOfSpace(); }
int32_t SpaceUsed(TppBand& Band) { return Custom(Band) ? Custom(Band)->GetSpaceUsed() : 0; }
int Count(TppBand& Band) { return Custom(Band) ? Custom(Band)->GetCount() : 0; }

void SetCount(TppBand& Band, int Value) {
  if (TppCustomBand* B = Custom(Band)) B->SetCount(Value);
}

TppComponent* CurrentObject(TppBand& Band) { return Custom(Band) ? Custom(Band)->CurrentObject() : nullptr; }

TppColumnTraversalType ColumnTraversal(TppBand& Band) {
  auto* Detail = dynamic_cast<TppDetailBand*>(&Band);
  return Detail ? Detail->ColumnTraversal() : ctTopToBottom;
}

bool Generation(TppBand& Band) { return Band.Breaking(); }
void SetGeneration(TppBand& Band, bool Value) { Band.SetBreaking(Value); }

const IppEngineBandSettings& Settings(TppBand& Band) {
  const auto* S = dynamic_cast<const IppEngineBandSettings*>(&Band);
  return S ? *S : NoSettings;
}

IppEngineBandSettings* MutableSettings(TppBand& Band) { return dynamic_cast<IppEngineBandSettings*>(&Band); }
}  // namespace ppEngineBand
