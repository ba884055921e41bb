#include "ppreport/generation/ppGeneration.h"

#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/PPReport.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/generation/ppBarCod.h"
#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppCtrls.h"
#include "ppreport/generation/ppCtrlsImage.h"
#include "ppreport/generation/ppDBCalc.h"
#include "ppreport/generation/ppDBText.h"
#include "ppreport/generation/ppEngine.h"
#include "ppreport/generation/ppMemo.h"
#include "ppreport/generation/ppPageBreak.h"
#include "ppreport/generation/ppPageStyle.h"
#include "ppreport/generation/ppRegion.h"
#include "ppreport/generation/ppReport.h"
#include "ppreport/generation/ppRichTx.h"
#include "ppreport/generation/ppRichTxDrwCmd.h"
#include "ppreport/generation/ppSubRpt.h"
#include "ppreport/generation/ppVar.h"

namespace {
int GenerationInitCount = 0;
}

void InitializePPGeneration() {
  InitializePPReport();
  if (GenerationInitCount++ > 0) return;
  TOnException Undo([] {
    GenerationInitCount = 0;
    FinalizePPReport();
  });
  RegisterPPClasses({&TppDrawBarCode::StaticClassInfo(), &TppDrawRichText::StaticClassInfo()});
  InitializeBarCodeUnit();
  InitializeBandsUnit();
  InitializePageBreakUnit();
  InitializeCtrlsUnit();
  InitializeMemoUnit();
  InitializePageStyleUnit();
  InitializeDBTextUnit();
  InitializeDBCalcUnit();
  InitializeReportUnit();
  InitializeSubReportUnit();
  InitializeVarUnit();
  InitializeRichTextUnit();
  InitializeRegionUnit();
  InitializeImageUnit();
  RegisterEngineFactory();
}

void FinalizePPGeneration() {
  if (GenerationInitCount == 0) return;
  if (--GenerationInitCount == 0) {
    UnregisterEngineFactory();
    FinalizeImageUnit();
    FinalizeRegionUnit();
    FinalizeRichTextUnit();
    FinalizeVarUnit();
    FinalizeSubReportUnit();
    FinalizeReportUnit();
    FinalizePageStyleUnit();
    FinalizeMemoUnit();
    FinalizeDBCalcUnit();
    FinalizeDBTextUnit();
    FinalizeCtrlsUnit();
    FinalizePageBreakUnit();
    FinalizeBandsUnit();
    FinalizeBarCodeUnit();
    UnregisterPPClasses({&TppDrawBarCode::StaticClassInfo(), &TppDrawRichText::StaticClassInfo()});
  }
  FinalizePPReport();
}
