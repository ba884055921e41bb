#pragma once
// The descriptor of the stretching components' base.
#include "ppreport/core/ppRTTI.h"

// Generation state (positions in microns, partial generation, the shifters), KeepTogether, Stretch
// and ShiftRelativeTo.
const TraRTTI& TraTppStretchableRTTI();

// Registers the unit's descriptors (the descriptors library's start-up); removes them again.
void InitializeStrtchRTTIUnit();
void FinalizeStrtchRTTIUnit();
