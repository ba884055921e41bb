#pragma once
// TPicture holds any graphic; the registry of graphic classes says which
// classes exist (by class name and by file extension) and recognises a
// graphic in a stream by its first bytes. TIcon is the icon graphic.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/graphics/Bitmap.h"

class TIcon : public TGraphic {
public:
  int Width() const override { return FImage.Width(); }
  int Height() const override { return FImage.Height(); }
  bool Empty() const override { return FData.empty(); }
  bool Transparent() const override { return true; }
  // Icon pixels with their alpha (0xAARRGGBB).
  const TBitmap& Image() const { return FImage; }
  void Draw(TCanvas& Canvas, const TRect& R) override;
  // Reads from the stream's position to its end; the largest image is used.
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TIcon>(*this); }
  const char* ClassName() const override { return "TIcon"; }

private:
  std::vector<uint8_t> FData;
  TBitmap FImage;
};

struct TGraphicClass {
  std::string ClassName;    // "TBitmap"
  std::string Extension;    // "bmp", without the dot, lower case
  std::string Description;  // for file dialogs
  std::function<std::unique_ptr<TGraphic>()> Create;
  // True when the bytes start like this class's files (may be empty: never sniffed).
  std::function<bool(const uint8_t* Head, size_t Size)> Recognises;
};

namespace GraphicClasses {
// Bitmap, JPEG, metafile and icon are registered on first use; registering a
// class name again replaces it.
void Register(const TGraphicClass& Class);
const TGraphicClass* FindByClassName(const std::string& ClassName);
const TGraphicClass* FindByExtension(const std::string& Extension);
// The class whose signature matches the first bytes; nullptr when none does.
const TGraphicClass* Recognise(const uint8_t* Head, size_t Size);
std::vector<TGraphicClass> All();
}  // namespace GraphicClasses

// A plain object (no class record) so that it can travel wherever an object does.
class TPicture : public TObject {
public:
  TPicture() = default;
  TPicture(const TPicture& P) : TObject() { Assign(P); }
  TPicture& operator=(const TPicture& P) {
    Assign(P);
    return *this;
  }

  TGraphic* Graphic() const { return FGraphic.get(); }
  // Copies the graphic (nullptr clears the picture).
  void SetGraphic(const TGraphic* G);
  void SetGraphic(std::unique_ptr<TGraphic> G);
  void Assign(const TPicture& P) { SetGraphic(P.FGraphic.get()); }
  // The graphic as a bitmap, replacing any other graphic by an empty bitmap (as the class library does).
  TBitmap& Bitmap();
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }
  bool Empty() const { return !FGraphic || FGraphic->Empty(); }

  // Picks the graphic class by the first bytes; raises EInvalidGraphic
  // ("Formato de imagem não suportado") when no class recognises them.
  void LoadFromStream(TStream& Stream);
  void SaveToStream(TStream& Stream) const;
  // Picks the class by the file's extension.
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;

  std::function<void(TPicture*)> OnChange;

private:
  void Changed() {
    if (OnChange) OnChange(this);
  }
  std::unique_ptr<TGraphic> FGraphic;
};
