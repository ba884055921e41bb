#pragma once
// The descriptors of the image controls.
#include "ppreport/core/ppRTTI.h"

// Center, DirectDraw, MaintainAspectRatio, Stretch, Transparent.
const TraRTTI& TraTppCustomImageRTTI();
// Picture (a bare object reference) and OnGetPicture ("aPicture").
const TraRTTI& TraTppDBImageRTTI();

// Registers the unit's descriptors (the descriptors library's start-up); removes them again.
void InitializeCtrlsImageRTTIUnit();
void FinalizeCtrlsImageRTTIUnit();
