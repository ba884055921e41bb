#pragma once
// The descriptor of the sub-report.
#include "ppreport/core/ppRTTI.h"

// The child report, the behaviour settings, the instance and drill-down keys, the indexed
// Expansions and CreateReport ("MasterReport").
const TraRTTI& TraTppSubReportRTTI();

// Registers the unit's descriptors (the descriptors library's start-up); removes them again.
void InitializeSubRptRTTIUnit();
void FinalizeSubRptRTTIUnit();
