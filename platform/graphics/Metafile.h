#pragma once
// An enhanced metafile held as its bytes. Saving writes exactly those bytes, or
// with Enhanced false a placeable Windows metafile converted from them;
// loading consumes exactly the byte count its header gives.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

class TEmfRecorderDC;

class TMetafile : public TGraphic {
public:
  TMetafile() = default;

  // Reads one EMF at the stream's position. Raises EInvalidGraphic
  // ("Metafile inválido") when the bytes there are not an EMF.
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;
  using TGraphic::LoadFromFile;
  using TGraphic::SaveToFile;

  const std::vector<uint8_t>& Data() const { return FData; }
  // Takes bytes that already form an EMF (checked as LoadFromStream checks).
  void SetData(std::vector<uint8_t> Bytes);
  bool Empty() const override { return FData.empty(); }
  void Clear();

  // Size in screen pixels, from the frame in hundredths of a millimetre.
  int Width() const override;
  int Height() const override;
  void SetWidth(int Pixels);
  void SetHeight(int Pixels);
  int MMWidth() const;
  int MMHeight() const;
  void SetMMWidth(int V) { FMMWidth = V; }
  void SetMMHeight(int V) { FMMHeight = V; }
  // False: SaveToStream writes a WMF (EmfToWmf over the frame).
  bool Enhanced() const { return FEnhanced; }
  void SetEnhanced(bool V) { FEnhanced = V; }

  // Plays the metafile stretched over R.
  void Draw(TCanvas& Canvas, const TRect& R) override;
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TMetafile>(*this); }
  const char* ClassName() const override { return "TMetafile"; }

  static constexpr uint32_t EmrHeader = 1;
  static constexpr uint32_t EmfSignature = 0x464D4520;  // " EMF"
  static constexpr int MinHeaderSize = 88;              // the header record without extensions

private:
  void TakeFrame();
  std::vector<uint8_t> FData;
  int FMMWidth = 0, FMMHeight = 0;
  bool FEnhanced = true;
};

// Records a page: drawing on this canvas writes EMF records; destroying the
// canvas (or End) completes the metafile and gives it the bytes. The
// reference device is the screen; the frame is the metafile's MMWidth and
// MMHeight when set, else the bounds of the drawing.
class TMetafileCanvas : public TCanvas {
public:
  explicit TMetafileCanvas(TMetafile& Metafile);
  ~TMetafileCanvas() override;
  void End();

private:
  TMetafile* FMetafile;
  std::unique_ptr<TEmfRecorderDC> FRecorder;
};
