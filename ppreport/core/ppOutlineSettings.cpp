#include "ppreport/core/ppOutlineSettings.h"

#include "platform/classes/TypInfo.h"

const TClassInfo& TppOutlineSettings::StaticClassInfo() {
  using S = TppOutlineSettings;
  static const TClassInfo Info = TClassDef<S>("TppOutlineSettings", &TPersistent::StaticClassInfo())
                                     .Prop("CreateNode", &S::CreateNode, &S::SetCreateNode)
                                     .Default(1);
  return Info;
}

void TppOutlineSettings::SetCreateNode(bool Value) {
  FCreateNode = Value;
  Changed();
}

void TppOutlineSettings::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppOutlineSettings*>(Source);
  if (!S) {
    TPersistent::Assign(Source);
    return;
  }
  FCreateNode = S->FCreateNode;
  Changed();
}

void TppOutlineSettings::Changed() {
  if (!FParticipant || FParticipant->HasState(csReading) || FParticipant->HasState(csLoading)) return;
  if (auto* P = dynamic_cast<IppOutlineParticipant*>(FParticipant)) P->OutlineSettingsChanged();
}
