#pragma once
// Internal to the platform's start-up: the arguments a Qt application is made
// with. The platform is chosen through Qt's own "-platform" argument, so the
// start-up never changes the process's environment.
#include "platform/app/Application.h"

// Qt keeps references to both for the application's lifetime: they are static.
int& QtArgc(TDisplayMode Mode);
char** QtArgv();
