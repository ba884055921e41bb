#pragma once
// The descriptors of the variables.
#include "ppreport/core/ppRTTI.h"

// The typed values ("As…", Value), the calculation and reset settings, CalcOrder; OnCalc and OnReset
// ("Value", var); SaveToCache. OldOnCalc is hidden from scripts.
const TraRTTI& TraTppVariableRTTI();
// VarType and DataType (described writable, never written).
const TraRTTI& TraTppSystemVariableRTTI();

// Registers the unit's descriptors (the descriptors library's start-up); removes them again.
void InitializeVarRTTIUnit();
void FinalizeVarRTTIUnit();
