#pragma once
// Pictures of buttons: a pixel image type and the image list.
#include <cstdint>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

// A 32-bit picture, 0xAARRGGBB, top row first; alpha 0 is transparent.
struct TPixelImage {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;

  bool Empty() const { return Width <= 0 || Height <= 0; }
  uint32_t Pixel(int X, int Y) const { return Pixels[static_cast<size_t>(Y) * Width + X]; }
  TDibView View() const { return TDibView{Width, Height, Pixels.data()}; }
  // The part [X, X + W) of every row.
  TPixelImage Slice(int X, int W) const;
  // Every pixel of colour Rgb (0xRRGGBB) becomes transparent.
  void MakeTransparent(uint32_t Rgb);

  static TPixelImage FromDib(const TDibView& Dib);
  // Draws any graphic (bitmap, metafile...) stretched over W x H; the rest stays transparent.
  static TPixelImage FromGraphic(TGraphic& Graphic, int W, int H);
};

// Draws the opaque pixels of Image at X, Y (transparent pixels leave the canvas as it was).
void DrawPixelImage(TCanvas& Canvas, int X, int Y, const TPixelImage& Image);

// Images of one size, drawn by index.
class TImageList : public TComponent {
  DECLARE_CLASSINFO(TImageList)
public:
  explicit TImageList(TComponent* AOwner);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Changing the size empties the list, as the class library does.
  void SetWidth(int V);
  void SetHeight(int V);
  int Count() const { return static_cast<int>(FImages.size()); }

  // Adds the picture (wider pictures are cut into several images of Width); returns
  // the index of the first image added.
  int Add(const TPixelImage& Image);
  // As Add, with every pixel of MaskColor (0xRRGGBB) transparent.
  int AddMasked(const TPixelImage& Image, uint32_t MaskColor);
  int AddGraphic(TGraphic& Graphic);
  void Delete(int Index);
  void Clear();
  const TPixelImage& Image(int Index) const { return FImages.at(static_cast<size_t>(Index)); }
  void Draw(TCanvas& Canvas, int X, int Y, int Index) const;

  // Fires after the images changed (tool bars repaint their buttons).
  TNotifyEvent OnChange;

private:
  void Changed();
  int FWidth = 16, FHeight = 16;
  std::vector<TPixelImage> FImages;
};
