#pragma once
// The descriptors of draw commands and pages.
#include "ppreport/core/ppRTTI.h"

// "Page" (set through SetPage), "Clickable" (read only), "RedrawPage".
const TraRTTI& TraTppDrawCommandRTTI();
// The text command: its published properties.
const TraRTTI& TraTppDrawTextRTTI();
// The method "RemoveDrawCommand" ("aDrawCommand").
const TraRTTI& TraTppPageRTTI();
