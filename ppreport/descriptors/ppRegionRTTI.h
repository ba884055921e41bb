#pragma once
// The descriptor of the regions.
#include "ppreport/core/ppRTTI.h"

// ObjectCount, MaxStretchable, Brush, Pen, ParentWidth (written by the printable's descriptor) and
// the indexed Objects.
const TraRTTI& TraTppCustomRegionRTTI();

// Registers the unit's descriptors (the descriptors library's start-up); removes them again.
void InitializeRegionRTTIUnit();
void FinalizeRegionRTTIUnit();
