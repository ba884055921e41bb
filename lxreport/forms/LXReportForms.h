#pragma once
// Start-up of the band report library's windows (after InitializeForms): the
// band report library itself (InitializeLXReport), then the preview window
// class that a printer's Preview shows. Each call is matched by one
// FinalizeLXReportForms; the last one undoes it in reverse.
void InitializeLXReportForms();
void FinalizeLXReportForms();
