#pragma once
// Start-up of the graphics library. Drawing, measuring text and decoding
// pictures need the Qt GUI application, which the program creates
// (InitializeApplication in platform/app); before InitializeGraphics they
// raise EInvalidOperation instead.
//
// Raises EInvalidOperation when no Qt GUI application exists. Main thread.
void InitializeGraphics();
// Drops the font caches, which must not outlive the Qt application.
void FinalizeGraphics();
bool GraphicsInitialized();
