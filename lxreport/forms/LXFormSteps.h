#pragma once
// What the design-time dialogs share: the fixed, centred dialog they each are,
// their controls placed in code, and sub-steps (a page of the expression
// builder, the new-entry group of the variables dialog) run as loops of their
// own: messages are handled until the step's answer is set or its window is gone.
#include <string>

#include "platform/app/Application.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

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

// Fixed size, centred on the screen, a close box only.
inline void SetupFixedDialog(TForm* F, const std::string& Caption, int ClientWidth, int ClientHeight) {
  F->SetCaption(Caption);
  F->SetBorderStyle(bsDialog);
  F->SetBorderIcons(biSystemMenu);
  F->SetPosition(poScreenCenter);
  F->SetAutoScroll(false);
  F->SetClientWidth(ClientWidth);
  F->SetClientHeight(ClientHeight);
}

template <class C>
C* PlaceControl(TComponent* Owner, TWinControl* Parent, int Left, int Top, int Width, int Height) {
  auto* X = new C(Owner);
  X->SetParent(Parent);
  X->SetBounds(Left, Top, Width, Height);
  return X;
}

// As wide as its caption.
inline TLabel* PlaceLabel(TComponent* Owner, TWinControl* Parent, const std::string& Caption, int Left, int Top) {
  auto* L = new TLabel(Owner);
  L->SetParent(Parent);
  L->SetCaption(Caption);
  L->SetLeft(Left);
  L->SetTop(Top);
  return L;
}

template <class C>
C* PlaceCaptioned(TComponent* Owner, TWinControl* Parent, const std::string& Caption, int Left, int Top, int Width,
                  int Height = 25) {
  C* X = PlaceControl<C>(Owner, Parent, Left, Top, Width, Height);
  X->SetCaption(Caption);
  return X;
}
