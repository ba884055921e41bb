#pragma once
// The design-time dialogs run sub-steps (a page of the expression builder, the
// new-entry group of the variables dialog) as loops of their own: messages are
// handled until the step's answer is set or its window is gone.
#include "platform/app/Application.h"
#include "platform/forms/Forms.h"

enum TLXStepAnswer { saWaiting = 0, saOk = 1, saCancelled = 2 };

// False when Form was freed meanwhile (the caller must not touch it then).
inline bool WaitForAnswer(TForm* Form, const TLXStepAnswer& Answer) {
  HWND Self = Form->Handle();
  while (Answer == saWaiting) {
    Application->HandleMessage();
    if (!IsWindow(Self)) return false;
    if (Application->Terminated()) break;
  }
  return true;
}
