#pragma once
// Start-up of the pp windows. Call after InitializeForms. Counted: each call is matched by one
// FinalizePPForms. Starts the output library first (and with it every pp library below), then
// registers each dialog's form class under its kind, the dialog service's Qt handler for pp forms
// and the text search. A program with pp windows needs no other pp start-up.
void InitializePPForms();
void FinalizePPForms();
