#pragma once
// Raster pictures decoded through Qt's image readers: TPngImage and TGIFImage (the first frame).
// The bytes are kept as loaded and saved back unchanged; the pixels keep their alpha. Each class is
// in the graphic class registry only when this Qt has a reader for its format.
#include <memory>
#include <vector>

#include "platform/graphics/Bitmap.h"

class TRasterImage : public TGraphic {
public:
  int Width() const override { return FImage.Width(); }
  int Height() const override { return FImage.Height(); }
  bool Empty() const override { return FData.empty(); }
  bool Transparent() const override { return true; }
  // The pixels with their alpha (0xAARRGGBB).
  const TBitmap& Image() const { return FImage; }
  const std::vector<uint8_t>& Data() const { return FData; }
  void Draw(TCanvas& Canvas, const TRect& R) override;
  // Reads from the stream's position to its end; raises EInvalidGraphic for bytes the reader
  // refuses and for pictures of more than 2^24 pixels.
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;

protected:
  // The Qt format name ("PNG", "GIF") and the message of a refused picture.
  virtual const char* Format() const = 0;
  virtual const char* InvalidMessage() const = 0;

private:
  std::vector<uint8_t> FData;
  TBitmap FImage;
};

class TPngImage : public TRasterImage {
public:
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TPngImage>(*this); }
  const char* ClassName() const override { return "TPngImage"; }

protected:
  const char* Format() const override { return "PNG"; }
  const char* InvalidMessage() const override;
};

class TGIFImage : public TRasterImage {
public:
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TGIFImage>(*this); }
  const char* ClassName() const override { return "TGIFImage"; }

protected:
  const char* Format() const override { return "GIF"; }
  const char* InvalidMessage() const override;
};

// True when this Qt reads the format ("PNG", "GIF").
bool RasterFormatReadable(const char* Format);
