#pragma once
// Start-up of the pp windows: registers each dialog's form class under its kind, the dialog
// service's Qt handler for pp forms and the text search. Call after InitializeForms and
// InitializePPReport; counted.
void InitializePPForms();
void FinalizePPForms();
