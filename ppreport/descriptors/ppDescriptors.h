#pragma once
// The descriptors library's start-up: the generation library under it first, then each unit's
// descriptors in the order of the units. Counted: each call is matched by one finalise.
void InitializePPDescriptors();
void FinalizePPDescriptors();
