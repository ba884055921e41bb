#pragma once
// The pp descriptors library: the scripting descriptors of the generation library's classes.
// Counted like the libraries below it: each call is matched by one finalise, and the generation
// library (with the pp core under it) is started first.
void InitializePPDescriptors();
void FinalizePPDescriptors();
