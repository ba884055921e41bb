#pragma once
// Descriptor of the autosearch criterion.
#include "ppreport/core/ppRTTI.h"

// "Value", "ValueCount" (read-only), indexed "Values" (by "Index"), method "DisableCriteria".
const TraRTTI& TraTppAutoSearchFieldRTTI();
