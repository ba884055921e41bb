#include "platform/app/HeadlessControls.h"

#include <algorithm>

#include "platform/app/AppConsts.h"

// ---- THeadlessControl

const TClassInfo& THeadlessControl::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<THeadlessControl>("THeadlessControl", &TComponent::StaticClassInfo())
          .Prop("Left", &THeadlessControl::Left, &THeadlessControl::SetLeft)
          .Prop("Top", &THeadlessControl::Top, &THeadlessControl::SetTop)
          .Prop("Width", &THeadlessControl::Width, &THeadlessControl::SetWidth)
          .Prop("Height", &THeadlessControl::Height, &THeadlessControl::SetHeight)
          .Prop("Visible", &THeadlessControl::Visible, &THeadlessControl::SetVisible).Default(1);
  return Info;
}

THeadlessControl::THeadlessControl(TComponent* AOwner) : TComponent(AOwner) {
  FFont.OnChange = [this](TGraphicsObject*) {
    if (!FFontFromParent) FParentFont = false;
    FontChanged();
  };
}

THeadlessControl::~THeadlessControl() {
  BeforeDestruction();
  if (FParent) FParent->RemoveControl(this);
}

void THeadlessControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  bool Sized = AWidth != FWidth || AHeight != FHeight;
  if (!Sized && ALeft == FLeft && ATop == FTop) return;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (Sized) Resize();
  Invalidate();
}

void THeadlessControl::SetVisible(bool V) {
  if (V == FVisible) return;
  FVisible = V;
  Invalidate();
}

void THeadlessControl::SetEnabled(bool V) {
  if (V == FEnabled) return;
  FEnabled = V;
  Invalidate();
}

void THeadlessControl::SetColor(TColor V) {
  if (V == FColor) return;
  FColor = V;
  Invalidate();
}

void THeadlessControl::SetFont(const TFont* V) {
  if (V) FFont.Assign(*V);
}

void THeadlessControl::SetParentFont(bool V) {
  FParentFont = V;
  if (V && FParent) {
    TRestore<bool> FromParent(FFontFromParent, true);
    FFont.Assign(FParent->FFont);
  }
}

void THeadlessControl::FontChanged() { Invalidate(); }

void THeadlessControl::SetParent(THeadlessWinControl* AParent) {
  if (AParent == FParent) return;
  for (const THeadlessControl* P = AParent; P; P = P->FParent)
    if (P == this) throw EInvalidOperation(SControlParentSetToSelf);
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

TComponent* THeadlessControl::GetParentComponent() const { return FParent; }

void THeadlessControl::SetParentComponent(TComponent* Value) {
  if (auto* W = dynamic_cast<THeadlessWinControl*>(Value)) SetParent(W);
}

void THeadlessControl::Invalidate() {
  ++FInvalidateCount;
  THeadlessControl* Top = this;
  while (Top->FParent) Top = Top->FParent;
  if (Top->OnInvalidate && !HasState(csDestroying)) Top->OnInvalidate(this);
}

void THeadlessControl::PaintTo(TDeviceContext& Dc, int X, int Y) {
  auto Saved = SaveDCScope(Dc);
  TXForm Shift;
  Shift.Dx = X;
  Shift.Dy = Y;
  Dc.SetWorldTransform(Shift.Then(Dc.WorldTransform()));
  Dc.IntersectClipRect(ClientRect());
  FCanvas.SetHandle(&Dc);
  TFinally Release([this] { FCanvas.SetHandle(nullptr); });
  FCanvas.SetFont(FFont);
  Paint();
  if (auto* W = dynamic_cast<THeadlessWinControl*>(this))
    for (int I = 0; I < W->ControlCount(); ++I) {
      THeadlessControl* C = W->Controls(I);
      if (C->Visible()) C->PaintTo(Dc, C->Left(), C->Top());
    }
}

// ---- THeadlessWinControl

const TClassInfo& THeadlessWinControl::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<THeadlessWinControl>("THeadlessWinControl", &THeadlessControl::StaticClassInfo());
  return Info;
}

THeadlessWinControl::THeadlessWinControl(TComponent* AOwner) : THeadlessControl(AOwner) {}

THeadlessWinControl::~THeadlessWinControl() { BeforeDestruction(); }

void THeadlessWinControl::Destroying() {
  // The parent frees the children still on it, as the class library does.
  while (!FControls.empty()) FControls.back()->Free();
  THeadlessControl::Destroying();
}

void THeadlessWinControl::InsertControl(THeadlessControl* C) {
  if (!C || C->FParent == this) return;
  if (C->FParent) C->FParent->RemoveControl(C);
  FControls.push_back(C);
  C->FParent = this;
  if (C->FParentFont) C->SetParentFont(true);
  Invalidate();
}

void THeadlessWinControl::RemoveControl(THeadlessControl* C) {
  auto It = std::find(FControls.begin(), FControls.end(), C);
  if (It == FControls.end()) return;
  FControls.erase(It);
  C->FParent = nullptr;
  if (!HasState(csDestroying)) Invalidate();
}

LRESULT THeadlessWinControl::Perform(uint32_t Msg, WPARAM WParam, LPARAM LParam) {
  TMessage M{Msg, WParam, LParam, 0};
  WndProc(M);
  return M.Result;
}

void THeadlessWinControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (THeadlessControl* C : FControls)
    if (C->Owner() == Root) Proc(C);
}

void THeadlessWinControl::FontChanged() {
  THeadlessControl::FontChanged();
  // Children that follow this font take it too.
  for (THeadlessControl* C : FControls)
    if (C->FParentFont) C->SetParentFont(true);
}
