#include "ppreport/core/ppProdSettings.h"

const TClassInfo& TppTextSearchSettings::StaticClassInfo() {
  using S = TppTextSearchSettings;
  static const TClassInfo Info =
      TClassDef<S>("TppTextSearchSettings", &TPersistent::StaticClassInfo()).Prop("Enabled", &S::Enabled, &S::SetEnabled).Default(1);
  return Info;
}

void TppTextSearchSettings::Assign(const TPersistent* Source) {
  if (const auto* S = dynamic_cast<const TppTextSearchSettings*>(Source))
    FEnabled = S->FEnabled;
  else
    TPersistent::Assign(Source);
}

const TClassInfo& TppBackgroundPrintSettings::StaticClassInfo() {
  using S = TppBackgroundPrintSettings;
  static const TClassInfo Info = TClassDef<S>("TppBackgroundPrintSettings", &TPersistent::StaticClassInfo())
                                     .Prop("Enabled", &S::Enabled, &S::SetEnabled)
                                     .Default(0);
  return Info;
}

void TppBackgroundPrintSettings::SetEnabled(bool V) {
  FEnabled = V;
  if (!V) FActive = false;
}

void TppBackgroundPrintSettings::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppBackgroundPrintSettings*>(Source);
  if (!S) {
    TPersistent::Assign(Source);
    return;
  }
  FEnabled = S->FEnabled;
  FActive = S->FActive;
}

const TClassInfo& TppPDFSettings::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppPDFSettings>("TppPDFSettings", &TPersistent::StaticClassInfo());
  return Info;
}

void TppPDFSettings::Assign(const TPersistent* Source) {
  if (!dynamic_cast<const TppPDFSettings*>(Source)) TPersistent::Assign(Source);
}
