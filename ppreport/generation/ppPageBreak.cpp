#include "ppreport/generation/ppPageBreak.h"

#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/generation/ppBands.h"

const TClassInfo& TppPageBreak::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppPageBreak>("TppPageBreak", &TppStretchable::StaticClassInfo());
  return Info;
}

TppPageBreak::TppPageBreak(TComponent* AOwner) : TppStretchable(AOwner) {
  TppComponent::SetParentWidth(true);
  SetspHeight(13);
}

TppPageBreak::~TppPageBreak() { BeforeDestruction(); }

void TppPageBreak::GenerateContent() {
  SetSpaceUsed(0);
  // Taken on the page before: what lies below goes on from here.
  if (OverFlow()) {
    SetOverFlow(false);
    return;
  }
  if (TppCustomBand* B = GenerationBand()) {
    B->SetOutOfSpace(true);
    B->SetGenerationComplete(true);
  }
  SetOverFlow(true);
}

void TppPageBreak::SetShiftRelativeTo(TppStretchable* Value) {
  TppStretchable::SetShiftRelativeTo(Value);
  SetStretch(Value != nullptr);
}

void InitializePageBreakUnit() { RegisterPPClasses({&TppPageBreak::StaticClassInfo()}); }

void FinalizePageBreakUnit() { UnregisterPPClasses({&TppPageBreak::StaticClassInfo()}); }
