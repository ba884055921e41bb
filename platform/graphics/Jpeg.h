#pragma once
// TJPEGImage: JPEG bytes kept as loaded, decoded through libjpeg when drawn.
#include <memory>
#include <vector>

#include "platform/graphics/Bitmap.h"

class TJPEGImage : public TGraphic {
public:
  TJPEGImage() = default;
  TJPEGImage(const TJPEGImage& J);
  TJPEGImage& operator=(const TJPEGImage& J);

  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  bool Empty() const override { return FData.empty(); }
  bool Grayscale() const { return FGrayscale; }
  const std::vector<uint8_t>& Data() const { return FData; }
  // Takes JPEG bytes (header checked); raises EInvalidGraphic ("JPEG inválido").
  void SetData(std::vector<uint8_t> Bytes);
  // Encodes a bitmap; Quality 1..100.
  void CompressFrom(const TBitmap& Bitmap, int Quality = 90);
  // The decoded pixels (decoded once and kept).
  const TBitmap& Bitmap() const;

  void Draw(TCanvas& Canvas, const TRect& R) override;
  // Reads from the stream's position to its end, as the class library does.
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TJPEGImage>(*this); }
  const char* ClassName() const override { return "TJPEGImage"; }

private:
  std::vector<uint8_t> FData;
  int FWidth = 0, FHeight = 0;
  bool FGrayscale = false;
  mutable std::unique_ptr<TBitmap> FBitmap;
};
