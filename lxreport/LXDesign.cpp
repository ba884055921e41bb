#include "lxreport/LXDesign.h"

#include "lxreport/LXPrintable.h"
#include "platform/rtl/RtlMath.h"

namespace {
constexpr TColor Rgb(uint8_t R, uint8_t G, uint8_t B) { return static_cast<TColor>(RGB(R, G, B)); }

TLXDesignSettings Settings;
bool SettingsChosen = false;

const TColor RulerGrey = Rgb(192, 192, 192);

TLXDesignSettings HighColour() {
  return {psSolid, psSolid, Rgb(249, 249, 249), Rgb(240, 240, 240), "Small Fonts", Rgb(112, 112, 112), 6,
          psDot,   Rgb(128, 128, 255),         psDot,              Rgb(96, 96, 96)};
}

TLXDesignSettings LowColour() {
  return {psDot,  psSolid, Rgb(192, 192, 192), Rgb(192, 192, 192), "Small Fonts", Rgb(192, 192, 192), 6,
          psDash, Rgb(128, 128, 128),         psSolid,            Rgb(128, 128, 128)};
}
}  // namespace

const TLXDesignSettings& LXDesignSettings() {
  if (!SettingsChosen) UseHighColourScheme();
  return Settings;
}

void UseHighColourScheme() {
  Settings = HighColour();
  SettingsChosen = true;
}

void UseLowColourScheme() {
  Settings = LowColour();
  SettingsChosen = true;
}

void ChooseColourScheme(int64_t NumColors) {
  if (NumColors > 256 || NumColors < 0)
    UseHighColourScheme();
  else
    UseLowColourScheme();
}

// ---- TLXBasePanel

const TClassInfo& TLXBasePanel::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXBasePanel>("TLXBasePanel", &THeadlessWinControl::StaticClassInfo())
                                     .Prop("Frame", &TLXBasePanel::Frame, &TLXBasePanel::SetFrame);
  return Info;
}

TLXBasePanel::TLXBasePanel(TComponent* AOwner)
    : THeadlessWinControl(AOwner), FFrame(std::make_unique<TLXFrame>(this)) {}

TLXBasePanel::~TLXBasePanel() { BeforeDestruction(); }

void TLXBasePanel::SetFrame(const TLXFrame* V) {
  if (V) FFrame->Assign(V);
  Invalidate();
}

namespace {
// Calls OnPrintable for each printable on Panel and OnPanel for each panel on it.
template <class P, class Q>
void EachChild(TLXBasePanel& Panel, P OnPrintable, Q OnPanel) {
  for (int I = 0; I < Panel.ControlCount(); ++I) {
    if (auto* X = dynamic_cast<TLXPrintable*>(Panel.Controls(I)))
      OnPrintable(*X);
    else if (auto* Y = dynamic_cast<TLXBasePanel*>(Panel.Controls(I)))
      OnPanel(*Y);
  }
}
}  // namespace

void TLXBasePanel::SetZoom(int32_t Z) {
  if (Z == 0) return;
  FZoom = Z;
  EachChild(*this, [Z](TLXPrintable& P) { P.SetZoom(Z); }, [Z](TLXBasePanel& P) { P.SetZoom(Z); });
}

void TLXBasePanel::PrepareContents() {
  EachChild(*this, [](TLXPrintable& P) { P.BeginPrinting(); }, [](TLXBasePanel& P) { P.PrepareContents(); });
}

void TLXBasePanel::UnprepareContents() {
  EachChild(*this, [](TLXPrintable& P) { P.EndPrinting(); }, [](TLXBasePanel& P) { P.UnprepareContents(); });
}

void TLXBasePanel::Paint() {
  TCanvas& C = Canvas();
  C.Brush().SetColor(Enabled() ? Color() : RulerGrey);
  C.Brush().SetStyle(bsSolid);
  C.FillRect(ClientRect());
  C.Brush().SetStyle(bsClear);
}

void TLXBasePanel::PaintRuler(TLXUnit Units) {
  const TLXDesignSettings& S = LXDesignSettings();
  TCanvas& C = Canvas();
  C.Font().SetName(S.RulerFontName);
  C.Font().SetSize(S.RulerFontSize);
  C.Font().SetColor(S.RulerFontColor);
  C.Pen().SetColor(RulerGrey);
  C.Pen().SetWidth(1);
  C.Brush().SetStyle(bsClear);  // numbers over the lines, no boxes behind them
  bool Numbers = ShowsRulerNumbers();
  switch (Units) {
    case TLXUnit::Inches: PaintInchRuler(Numbers); break;
    case TLXUnit::MM: PaintMillimetreRuler(Numbers); break;
    case TLXUnit::Characters: PaintCharacterRuler(Numbers); break;
    default: break;
  }
  C.Pen().SetStyle(psSolid);
}

namespace {
// One ruler line across the panel at Pos, with its number when Label is not empty.
void RulerLine(TCanvas& C, bool Vertical, int Pos, int W, int H, const std::string& Label) {
  if (Vertical) {
    C.MoveTo(Pos, 0);
    C.LineTo(Pos, H);
    if (!Label.empty()) C.TextOut(Pos + 2, 2, Label);
  } else {
    C.MoveTo(0, Pos);
    C.LineTo(W, Pos);
    if (!Label.empty()) C.TextOut(2, Pos + 2, Label);
  }
}

void RulerPen(TCanvas& C, bool Major) {
  const TLXDesignSettings& S = LXDesignSettings();
  C.Pen().SetColor(Major ? S.RulerMajorColor : S.RulerMinorColor);
  C.Pen().SetStyle(Major ? S.RulerMajorStyle : S.RulerMinorStyle);
}
}  // namespace

void TLXBasePanel::PaintInchRuler(bool Numbers) {
  TCanvas& C = Canvas();
  long double P = LXScreenPixelsPerInch();
  int W = Width(), H = Height();
  bool Minor = FZoom >= 50;  // quarter inches
  long double Step = P / 4 * FZoom / 100;
  for (bool Vertical : {true, false}) {
    int64_t N = Round((Vertical ? W : H) / P / FZoom * 400);
    for (int64_t I = 1; I <= N; ++I) {
      bool Major = I % 4 == 0;
      if (!Major && !Minor) continue;
      RulerPen(C, Major);
      RulerLine(C, Vertical, RoundPixels(I * Step), W, H, Major && Numbers ? std::to_string(I / 4) : "");
    }
  }
}

void TLXBasePanel::PaintMillimetreRuler(bool Numbers) {
  TCanvas& C = Canvas();
  long double P = LXScreenPixelsPerInch();
  int W = Width(), H = Height();
  bool Fine = FZoom >= 60;  // 5 mm lines and the numbers
  long double Q = 1 / P * 5.08L / FZoom * 100;  // five-millimetre steps per pixel
  for (bool Vertical : {true, false}) {
    int64_t N = Round((Vertical ? W : H) * Q);
    for (int64_t I = 1; I <= N; ++I) {
      bool Major = I % 2 == 0;
      if (!Major && !Fine) continue;
      RulerPen(C, Major);
      RulerLine(C, Vertical, RoundPixels(I / Q), W, H, Major && Numbers && Fine ? std::to_string(I / 2) : "");
    }
  }
}

void TLXBasePanel::PaintCharacterRuler(bool Numbers) {
  TCanvas& C = Canvas();
  C.Pen().SetStyle(psDot);
  long double P = LXScreenPixelsPerInch();
  long double S = FFontSize < 1 ? 1 : FFontSize;
  long double Cpc = CharactersPerCm(S), Lpc = LinesPerCm(S);
  int W = Width(), H = Height();
  int64_t N = Round(W / P * 25.4L / Cpc / 10);
  for (int64_t I = 1; I <= N; ++I)
    RulerLine(C, true, RoundPixels(Cpc * I * P / 2.54L), W, H, Numbers ? std::to_string(I * 10) : "");
  N = Round(H / P * 25.4L / Lpc);
  for (int64_t J = 1; J <= N; ++J)
    RulerLine(C, false, RoundPixels(Lpc * J * P / 25.4L), W, H, Numbers ? std::to_string(J) : "");
}
