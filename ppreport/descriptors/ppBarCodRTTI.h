#pragma once
// The descriptor of the typed barcode.
#include "ppreport/core/ppRTTI.h"

// The symbology settings; Data through the barcode's data getter. Orientation is described here
// and read and written as the published property.
const TraRTTI& TraTppBarCodeRTTI();

// Registers the unit's descriptors (the descriptors library's start-up); removes them again.
void InitializeBarCodRTTIUnit();
void FinalizeBarCodRTTIUnit();
