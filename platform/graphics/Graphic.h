#pragma once
// TGraphic: what a canvas can draw and a picture can hold (bitmap, JPEG,
// metafile, icon). Loaded from and saved to streams.
#include <memory>
#include <string>

#include "platform/classes/Streams.h"
#include "platform/graphics/Types.h"
#include "platform/rtl/SysUtils.h"

DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)

class TCanvas;

class TGraphic {
public:
  virtual ~TGraphic() = default;
  // Draws the whole graphic stretched over R.
  virtual void Draw(TCanvas& Canvas, const TRect& R) = 0;
  virtual bool Empty() const = 0;
  // Natural size in screen pixels.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void LoadFromStream(TStream& Stream) = 0;
  virtual void SaveToStream(TStream& Stream) const = 0;
  virtual std::unique_ptr<TGraphic> Clone() const = 0;
  virtual const char* ClassName() const = 0;
  virtual bool Transparent() const { return false; }
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;
};
