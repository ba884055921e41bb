#pragma once
// Descriptors of the banded report and the report.
#include "ppreport/core/ppRTTI.h"

// The band of each kind by two names ("Title", "TitleBand"; nil when the report has none) and the
// indexed group bands ("GroupHeader", "GroupHeaderBand", "GroupFooter", "GroupFooterBand").
const TraRTTI& TraTppBandedReportRTTI();
// The generating report ("ActiveReport"), autosearch fields and dialog, page cache, parameters,
// and the data-pipeline, autosearch and outline events.
const TraRTTI& TraTppReportRTTI();

void InitializeReportRTTIUnit();
void FinalizeReportRTTIUnit();
