#pragma once
// The platform's start-up for a program with windows: a Qt widget application
// (made before anything else of Qt), the system's printers, then the
// application start-up of platform/app.
#include "platform/app/Application.h"

// Creates the Qt widget application when no Qt application exists, loads Qt's
// Brazilian Portuguese translations where installed, installs the CUPS
// printers and calls InitializeApplication. Each call is matched by
// one FinalizeForms; the last one undoes it in reverse.
void InitializeForms(int argc = 0, char** argv = nullptr, TDisplayMode Mode = TDisplayMode::Screen);
void FinalizeForms();
// Whether Qt's own texts (dialog buttons, file dialogs) were translated at start-up.
bool QtTranslationsLoaded();
