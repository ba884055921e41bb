#include "ppreport/descriptors/ppRichTxDrwCmdRTTI.h"

#include "ppreport/core/ppModelRTTI.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/generation/ppRichTxDrwCmd.h"

const TraRTTI& TraTppDrawRichTextRTTI() {
  using D = TppDrawRichText;
  static const TraRTTI Info = TraRTTIDef<D>("TraTppDrawRichTextRTTI", TraTppComponentRTTI())
                                  .Prop("Color", &D::Color, &D::SetColor)
                                  .AsEnum("TColor");
  return Info;
}

void InitializeRichTxDrwCmdRTTIUnit() {
  for (const TraRTTI* D : {&TraTppDrawRichTextRTTI()}) TraRTTIClassRegistry::RegisterRTTIClass(*D);
}

void FinalizeRichTxDrwCmdRTTIUnit() {
  for (const TraRTTI* D : {&TraTppDrawRichTextRTTI()}) TraRTTIClassRegistry::UnregisterRTTIClass(*D);
}
