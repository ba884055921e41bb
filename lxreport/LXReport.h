#pragma once
// Start-up of the band report library (after the platform's,
// InitializeApplication): the expression function library with every
// built-in and the shared environment (whose AppName is the application's
// title at this moment), the report classes for streaming and the export
// filter library. Each call is matched by one FinalizeLXReport; the last one
// undoes it in reverse.
void InitializeLXReport();
void FinalizeLXReport();
