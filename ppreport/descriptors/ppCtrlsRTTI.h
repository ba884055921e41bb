#pragma once
// The descriptors of the controls that do not stretch: texts, data-aware texts, calculations,
// graphics, lines and shapes.
#include "ppreport/core/ppRTTI.h"

// Text, colour, wrapping, the save list, the rotated origin; OnGetText ("Text", var); OnFormat is
// hidden from scripts.
const TraRTTI& TraTppCustomTextRTTI();
// The field's value and the repeated-value state.
const TraRTTI& TraTppDBTextRTTI();
// Value, Divisor, DBCalcType, OnCalc; methods Clear, GetLookAheadKey, GetLookAheadValue.
const TraRTTI& TraTppDBCalcRTTI();
// Brush and Pen.
const TraRTTI& TraTppCustomGraphicRTTI();
// Position and Style; "LinePosition" reads Position without a description of its own.
const TraRTTI& TraTppLineRTTI();
// Shape.
const TraRTTI& TraTppShapeRTTI();

// Registers the unit's descriptors (the descriptors library's start-up); removes them again.
void InitializeCtrlsRTTIUnit();
void FinalizeCtrlsRTTIUnit();
