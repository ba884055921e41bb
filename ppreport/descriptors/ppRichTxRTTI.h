#pragma once
// The descriptors of the rich text components.
#include "ppreport/core/ppRTTI.h"

// The rich and plain text, the selection, the page's character range, OnGetRichText ("Text", var);
// FindText, LoadFromFile and SaveToFile. The stream names and methods are described only: a stream
// is no object a value or parameter can carry, so they answer False.
const TraRTTI& TraTppCustomRichTextRTTI();
// AutoDisplay.
const TraRTTI& TraTppDBRichTextRTTI();

// Registers the unit's descriptors (the descriptors library's start-up); removes them again.
void InitializeRichTxRTTIUnit();
void FinalizeRichTxRTTIUnit();
