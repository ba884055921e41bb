#pragma once
// Internal to platform/forms: the main-thread object that posted messages
// travel to, made and freed with the application.
#include "platform/app/Messages.h"

void CreateMessageDispatcher();
void FreeMessageDispatcher();
LRESULT DeliverMessage(HWND Target, uint32_t Msg, WPARAM WParam, LPARAM LParam);
