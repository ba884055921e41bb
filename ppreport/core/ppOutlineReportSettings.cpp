#include "ppreport/core/ppOutlineReportSettings.h"

#include "platform/classes/TypInfo.h"

const TClassInfo& TppOutlineReportSettings::StaticClassInfo() {
  using S = TppOutlineReportSettings;
  static const TClassInfo Info =
      TClassDef<S>("TppOutlineReportSettings", &TppOutlineSettings::StaticClassInfo())
          .Prop("CreatePageNodes", &S::CreatePageNodes, &S::SetCreatePageNodes)
          .Default(1)
          .Prop("Enabled", &S::Enabled, &S::SetEnabled)
          .Default(1)
          .Prop("Visible", &S::Visible, &S::SetVisible)
          .Default(1);
  return Info;
}

void TppOutlineReportSettings::SetCreatePageNodes(bool Value) {
  FCreatePageNodes = Value;
  Changed();
}

void TppOutlineReportSettings::SetEnabled(bool Value) {
  FEnabled = Value;
  if (!Value) FVisible = false;
  Changed();
}

void TppOutlineReportSettings::SetVisible(bool Value) { FVisible = Value && FEnabled; }

void TppOutlineReportSettings::Assign(const TPersistent* Source) {
  if (const auto* S = dynamic_cast<const TppOutlineReportSettings*>(Source)) {
    FCreatePageNodes = S->FCreatePageNodes;
    FEnabled = S->FEnabled;
    if (!FEnabled) FVisible = false;
  }
  TppOutlineSettings::Assign(Source);
}
