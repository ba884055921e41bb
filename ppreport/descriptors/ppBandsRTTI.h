#pragma once
// Descriptors of the band kinds of the generation library.
#include "ppreport/core/ppRTTI.h"

// The generation state of a band ("Count", "OverFlow" listed), read-only.
const TraRTTI& TraTppCustomBandRTTI();
// Page and column-footer bands describe "PrintHeight" read-only; the band descriptor still writes it.
const TraRTTI& TraTppPageBandRTTI();
const TraRTTI& TraTppFooterBandRTTI();
const TraRTTI& TraTppColumnFooterBandRTTI();
// "NewPage".
const TraRTTI& TraTppReportBandRTTI();
// "BandsPerRecord", "BandsPerRecordCount", "PrintCount", "DataPipeline".
const TraRTTI& TraTppDetailBandRTTI();
// "Group", "Description", "Generation", "SaveGeneration".
const TraRTTI& TraTppGroupBandRTTI();
// "AlreadyPageBreak".
const TraRTTI& TraTppGroupHeaderBandRTTI();

void InitializeBandsRTTIUnit();
void FinalizeBandsRTTIUnit();
