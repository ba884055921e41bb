#pragma once
// Start-up of the pp generation library. Counted: each call is matched by one FinalizePPGeneration,
// the last of which removes everything again. Starts the pp core first (InitializePPReport), then
// registers the draw commands, bands and components for streaming and installs the engine factory,
// so that every report made afterwards gets its page generation engine.
void InitializePPGeneration();
void FinalizePPGeneration();
