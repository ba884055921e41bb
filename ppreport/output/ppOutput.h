#pragma once
// Start-up of the pp output library, after the core's (InitializePPReport): registers its device
// classes ("Screen", "Printer", "TextFile", "ReportTextFile", "ArchiveFile") for the producer's
// registry and for streaming, and makes the background print manager. Counted like the core's: the last FinalizePPReportOutput removes
// them again.
void InitializePPReportOutput();
void FinalizePPReportOutput();
