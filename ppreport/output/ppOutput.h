#pragma once
// Start-up of the pp output library. Counted: each call is matched by one FinalizePPReportOutput,
// the last of which removes everything again. Starts the libraries below it first (the descriptors,
// which start generation and the pp core), then registers the device classes ("Screen", "Printer",
// "TextFile", "ReportTextFile", "ArchiveFile") for the producer's registry and for streaming, and
// makes the background print manager.
void InitializePPReportOutput();
void FinalizePPReportOutput();
