#include "lxreport/LXPrintable.h"

#include <array>
#include <typeinfo>

#include "lxreport/LXBands.h"
#include "lxreport/LXConsts.h"
#include "lxreport/LXError.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/VexaRpt.h"

// ---- TLXPrintableSize

const TClassInfo& TLXPrintableSize::StaticClassInfo() {
  auto Len = [](size_t I) {
    return [I](const TLXPrintableSize& S) { return S.Value(I); };
  };
  auto SetLen = [](size_t I) {
    return [I](TLXPrintableSize& S, long double V) { S.SetLength(I, V); };
  };
  static const TClassInfo Info = TClassDef<TLXPrintableSize>("TLXPrintableSize", &TLXUnitBase::StaticClassInfo())
                                     .Prop("Height", Len(HeightIndex), SetLen(HeightIndex)).Stored(false)
                                     .Prop("Left", Len(LeftIndex), SetLen(LeftIndex)).Stored(false)
                                     .Prop("Top", Len(TopIndex), SetLen(TopIndex)).Stored(false)
                                     .Prop("Width", Len(WidthIndex), SetLen(WidthIndex)).Stored(false);
  return Info;
}

void TLXPrintableSize::SetLength(size_t Index, long double V) {
  NativeRef(Index) = ToNative(Units(), IsHorizontal(Index), V);
  ApplyToParent();
}

void TLXPrintableSize::ApplyToParent() {
  if (!FControl) return;
  auto Px = [this](size_t I) { return RoundPixels(FromNative(TLXUnit::Pixels, IsHorizontal(I), FLengths[I])); };
  Applying([&] { FControl->SetBounds(Px(LeftIndex), Px(TopIndex), Px(WidthIndex), Px(HeightIndex)); });
}

// ---- TLXPrintable

TLXPrintable* PrintableOf(THeadlessControl* Control) {
  if (!Control) return nullptr;
  struct TAnswer {
    const std::type_info* Class = nullptr;
    bool Printable = false;
  };
  thread_local std::array<TAnswer, 4> Answers;
  thread_local size_t Next = 0;
  const std::type_info* Class = &typeid(*Control);
  for (const TAnswer& A : Answers)
    if (A.Class == Class) return A.Printable ? static_cast<TLXPrintable*>(Control) : nullptr;
  auto* P = dynamic_cast<TLXPrintable*>(Control);
  Answers[Next] = TAnswer{Class, P != nullptr};
  Next = (Next + 1) % Answers.size();
  return P;
}

const TClassInfo& TLXPrintable::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXPrintable>("TLXPrintable", &THeadlessWinControl::StaticClassInfo())
                                     .Prop("Enabled", &TLXPrintable::Enabled, &TLXPrintable::SetEnabled).Default(1)
                                     .Prop("Frame", &TLXPrintable::Frame, &TLXPrintable::SetFrame)
                                     .Prop("Size", &TLXPrintable::Size);
  return Info;
}

TLXPrintable::TLXPrintable(TComponent* AOwner)
    : THeadlessWinControl(AOwner),
      FFrame(std::make_unique<TLXFrame>(this)),
      FSize(std::make_unique<TLXPrintableSize>(this)) {
  SetColor(clWhite);
  SetBounds(Left(), Top(), 10, 10);
}

TLXPrintable::~TLXPrintable() { BeforeDestruction(); }

TLXPrintableEditorClass TLXPrintable::EditorClass() const { return {"TLXPrintableEditor", nullptr}; }

void TLXPrintable::AlignToParent() {
  if (!FAlignToBand) return;
  TRestore<bool> Busy(FAligning, true);
  auto* Band = dynamic_cast<TLXCustomBand*>(Parent());
  switch (FAlignment) {
    case taLeftJustify: SetLeft(0); break;
    case taRightJustify:
      if (Band) SetLeft(Band->Width() - Width());
      break;
    case taCenter:
      if (Band) SetLeft((Band->Width() - Width()) / 2);  // toward zero, also when wider than the band
      break;
  }
}

void TLXPrintable::BeginPrinting() {
  FPrinting = true;
  FOutputPrinter = FReport ? FReport->ActivePrinter() : nullptr;
}

void TLXPrintable::PrintAt(int32_t X, int32_t Y) {
  if (!FReport || !FReport->Rendering() || !FOutputPrinter || !FFrame->HasAnySide()) return;
  // Native lengths: the run keeps the report in native units, but the frame must not depend on it.
  long double L = X + FSize->Native(TLXPrintableSize::LeftIndex);
  long double T = Y + FSize->Native(TLXPrintableSize::TopIndex);
  long double R = L + FSize->Native(TLXPrintableSize::WidthIndex);
  long double B = T + FSize->Native(TLXPrintableSize::HeightIndex);
  TLXPrinter* P = FOutputPrinter;
  FFrame->DrawOn(*P->Canvas(), Rect(P->XPos(L), P->YPos(T), P->XPos(R), P->YPos(B)), P->XFactor(), P->YFactor());
}

void TLXPrintable::ControllerNotify(TComponent*, int32_t Code) {
  if (Code == 2) AlignToParent();
}

void TLXPrintable::SetAlignment(TAlignment V) {
  FAlignment = V;
  if (FAlignToBand) AlignToParent();
  Invalidate();
}

void TLXPrintable::SetAlignToBand(bool V) {
  FAlignToBand = V;
  AlignToParent();
}

void TLXPrintable::EndPrinting() {
  FPrinting = false;
  FOutputPrinter = nullptr;  // the run's printer goes with the run
}

void TLXPrintable::SetFrame(const TLXFrame* V) {
  if (V) FFrame->Assign(V);
  Invalidate();
}

void TLXPrintable::SetZoom(int32_t Z) {
  FSize->SetZoom(Z);
  FSize->ZoomChanged();
}

void TLXPrintable::SetTransparent(bool V) {
  if (V == Transparent()) return;
  FOpaque = !V;
  Invalidate();
}

void TLXPrintable::Attach(TCustomVexaRep* Report) {
  FReport = Report;
  FSize->SetReport(Report);
  SetZoom(Report->Zoom());
}

void TLXPrintable::SetParent(THeadlessWinControl* AParent) {
  THeadlessWinControl::SetParent(AParent);
  if (auto* R = dynamic_cast<TCustomVexaRep*>(AParent)) {
    FSize->SetUnits(R->Units());
    Attach(R);
  } else if (auto* B = dynamic_cast<TLXCustomBand*>(AParent)) {
    FSize->SetUnits(B->Size()->Units());
    if (B->Report()) Attach(B->Report());
  } else {
    FReport = nullptr;  // off the report: no pointer left to it
    FSize->SetReport(nullptr);
  }
  // Records the control's place in Size.
  SetBounds(Left(), Top(), Width(), Height());
}

void TLXPrintable::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FSize->Updating()) {
    THeadlessWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (FReport) FReport->InvalidateThumbnail();
  } else if (HasState(csLoading)) {
    // The stored lengths place it in Loaded; the bounds read are kept for streams without them.
    // A property sets one bound and passes the control's own for the rest: only that one counts.
    auto Keep = [](int New, int Current, int32_t& Stored) {
      if (New && New != Current) Stored = New;
    };
    Keep(ALeft, Left(), FStoredLeft);
    Keep(ATop, Top(), FStoredTop);
    Keep(AWidth, Width(), FStoredWidth);
    Keep(AHeight, Height(), FStoredHeight);
  } else {
    // Moved or resized on the design surface: the pixels flow into Size. A length changes
    // only when its pixels do, so the native lengths do not creep to whole pixels.
    struct {
      size_t Index;
      int Pixels;
    } const Moves[] = {{TLXPrintableSize::HeightIndex, AHeight},
                       {TLXPrintableSize::WidthIndex, AWidth},
                       {TLXPrintableSize::TopIndex, ATop},
                       {TLXPrintableSize::LeftIndex, ALeft}};
    for (const auto& M : Moves) {
      bool Horizontal = M.Index == TLXPrintableSize::LeftIndex || M.Index == TLXPrintableSize::WidthIndex;
      if (RoundPixels(FSize->FromNative(TLXUnit::Pixels, Horizontal, FSize->Native(M.Index))) != M.Pixels)
        FSize->SetNative(M.Index, FSize->ToNative(TLXUnit::Pixels, Horizontal, M.Pixels));
    }
    FSize->ApplyToParent();
  }
  if (FAlignToBand && !FAligning) AlignToParent();
}

void TLXPrintable::Loaded() {
  THeadlessWinControl::Loaded();
  FSize->AfterLoad();
  // A stream without "Values" still places the printable at the bounds it carried.
  if (!FSize->ValuesRead() && (FStoredLeft || FStoredTop || FStoredWidth || FStoredHeight))
    SetBounds(FStoredLeft ? FStoredLeft : Left(), FStoredTop ? FStoredTop : Top(),
              FStoredWidth ? FStoredWidth : Width(), FStoredHeight ? FStoredHeight : Height());
}

void TLXPrintable::Paint() {
  if (FPrinting) return;
  TCanvas& C = Canvas();
  if (!Transparent()) {
    C.Brush().SetColor(clWhite);
    C.Brush().SetStyle(bsSolid);
    C.FillRect(ClientRect());
  }
  PaintCorners();
  long double F = Zoom() * (LXScreenPixelsPerInch() / 254.0L) / 100;
  FFrame->DrawOn(C, Rect(0, 0, Width() - 1, Height() - 1), F, F);
}

void TLXPrintable::PaintCorners() {
  TCanvas& C = Canvas();
  C.Pen().SetColor(clBlack);
  C.Pen().SetWidth(1);
  C.Pen().SetStyle(psSolid);
  int W = Width(), H = Height();
  C.Polyline({Point(0, 4), Point(0, 0), Point(4, 0)});
  C.Polyline({Point(0, H - 5), Point(0, H - 1), Point(4, H - 1)});
  C.Polyline({Point(W - 5, 0), Point(W - 1, 0), Point(W - 1, 4)});
  C.Polyline({Point(W - 5, H - 1), Point(W - 1, H - 1), Point(W - 1, H - 5)});
}

// ---- TLXPrintableEditor

void TLXPrintableEditor::WriteColor(TColor) { throw ELXError(SLXAbstractError); }
void TLXPrintableEditor::WriteFont(const TFont*) { throw ELXError(SLXAbstractError); }
void TLXPrintableEditor::WriteValue(const std::string&) { throw ELXError(SLXAbstractError); }
bool TLXPrintableEditor::EditControl() { throw ELXError(SLXAbstractError); }
