#pragma once
// The descriptors of the memos.
#include "ppreport/core/ppRTTI.h"

// Lines, the memo stream, the printed lines, leading, tab stops, CharWrap and Color.
const TraRTTI& TraTppCustomMemoRTTI();
// AutoDisplay and OnGetMemo ("Lines").
const TraRTTI& TraTppDBMemoRTTI();

// Registers the unit's descriptors (the descriptors library's start-up); removes them again.
void InitializeMemoRTTIUnit();
void FinalizeMemoRTTIUnit();
