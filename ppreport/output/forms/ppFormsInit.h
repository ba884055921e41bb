#pragma once
// Start-up of the pp windows: registers each dialog's form class under its kind and the dialog
// service's Qt handler for pp forms. Call after InitializeForms and InitializePPReport; counted.
void InitializePPForms();
void FinalizePPForms();
