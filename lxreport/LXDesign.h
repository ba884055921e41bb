#pragma once
// The design surface. The report and its bands are panels the user arranges at design time;
// in a run they only carry the layout. TLXBasePanel is their common base: a frame, a zoom it
// passes to the panels and printables on it, its background and the rulers in the report's
// units. Everything is drawn through TCanvas (PaintTo of the headless control tree), so the
// surface draws the same on a Qt image, in a metafile or in a test's call log.
#include <cstdint>
#include <memory>
#include <string>

#include "lxreport/LXUnits.h"
#include "platform/app/HeadlessControls.h"

// Colours and pen styles of the design surface, chosen once at start-up from the screen's
// colour depth.
struct TLXDesignSettings {
  TPenStyle RulerMinorStyle, RulerMajorStyle;
  TColor RulerMinorColor, RulerMajorColor;
  std::string RulerFontName;
  TColor RulerFontColor;
  int RulerFontSize;
  TPenStyle MarginStyle;
  TColor MarginColor;
  TPenStyle BandFrameStyle;
  TColor BandFrameColor;
};
const TLXDesignSettings& LXDesignSettings();
void UseHighColourScheme();
void UseLowColourScheme();
// NumColors as the screen's colour-count capability gives it: more than 256, or negative
// (true colour), takes the high colour scheme.
void ChooseColourScheme(int64_t NumColors);

class TLXBasePanel : public THeadlessWinControl {
  DECLARE_CLASSINFO(TLXBasePanel)
public:
  explicit TLXBasePanel(TComponent* AOwner);
  ~TLXBasePanel() override;

  // Ignored when 0; passed to every printable and panel on it.
  virtual void SetZoom(int32_t Z);
  // The report's rulers (lines and numbers) and the bands' (lines only), in Units.
  virtual void PaintRuler(TLXUnit Units);

  TLXFrame* Frame() const { return FFrame.get(); }
  // Copies the frame's settings (the panel keeps its own frame).
  void SetFrame(const TLXFrame* V);
  // The font size the character ruler counts with.
  int32_t FontSize() const { return FFontSize; }
  void SetFontSize(int32_t V) { FFontSize = V; }
  int32_t Zoom() const { return FZoom; }
  // BeginPrinting of every printable on it, on its panels and theirs; EndPrinting likewise.
  void PrepareContents();
  void UnprepareContents();

protected:
  // The background in Color (grey when disabled); the brush is clear afterwards.
  void Paint() override;
  // Ruler numbers are the report's; bands draw the lines only.
  virtual bool ShowsRulerNumbers() const { return false; }

private:
  void PaintInchRuler(bool Numbers);
  void PaintMillimetreRuler(bool Numbers);
  void PaintCharacterRuler(bool Numbers);
  std::unique_ptr<TLXFrame> FFrame;
  int32_t FFontSize = 12;
  int32_t FZoom = 100;
};
