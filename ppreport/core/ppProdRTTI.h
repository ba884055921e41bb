#pragma once
// The producer's descriptor.
#include "ppreport/core/ppRTTI.h"

// Every producer property and event, and the method "Cancel"; "OnSaveText" takes "Text".
const TraRTTI& TraTppProducerRTTI();
