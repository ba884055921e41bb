#pragma once
// The descriptor of the rich text draw command.
#include "ppreport/core/ppRTTI.h"

// Color only. It sits below the component descriptor, whose names do not apply to a draw command:
// they answer False here (their component reads find no component).
const TraRTTI& TraTppDrawRichTextRTTI();

// Registers the unit's descriptors (the descriptors library's start-up); removes them again.
void InitializeRichTxDrwCmdRTTIUnit();
void FinalizeRichTxDrwCmdRTTIUnit();
