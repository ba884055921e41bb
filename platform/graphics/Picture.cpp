#include "platform/graphics/Picture.h"

#include <QByteArray>
#include <QImage>
#include <mutex>

#include "platform/graphics/GraphicsConsts.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/QtSupport.h"
#include "platform/graphics/RasterImage.h"
#include "platform/rtl/SysUtils.h"

namespace {
std::vector<uint8_t> ReadRest(TStream& Stream) {
  int64_t Left = Stream.Size() - Stream.Position();
  std::vector<uint8_t> B(static_cast<size_t>(std::max<int64_t>(Left, 0)));
  if (!B.empty()) Stream.ReadBuffer(B.data(), static_cast<int64_t>(B.size()));
  return B;
}

std::mutex RegistryLock;
std::vector<TGraphicClass>& Registry() {
  static std::vector<TGraphicClass> List;
  static bool Filled = false;
  if (!Filled) {
    Filled = true;
    auto Sig = [](std::vector<uint8_t> S) {
      return [S](const uint8_t* H, size_t N) { return N >= S.size() && std::equal(S.begin(), S.end(), H); };
    };
    List.push_back({"TBitmap", "bmp", SVBitmaps, [] { return std::make_unique<TBitmap>(); }, Sig({'B', 'M'})});
    List.push_back({"TJPEGImage", "jpg", SVJpegImageFile, [] { return std::make_unique<TJPEGImage>(); },
                    Sig({0xFF, 0xD8, 0xFF})});
    List.push_back({"TJPEGImage", "jpeg", SVJpegImageFile, [] { return std::make_unique<TJPEGImage>(); }, {}});
    List.push_back({"TMetafile", "emf", SVEnhMetafiles, [] { return std::make_unique<TMetafile>(); },
                    [](const uint8_t* H, size_t N) {
                      return N >= 44 && H[0] == 1 && H[1] == 0 && H[2] == 0 && H[3] == 0 && H[40] == ' ' &&
                             H[41] == 'E' && H[42] == 'M' && H[43] == 'F';
                    }});
    List.push_back({"TIcon", "ico", SVIcons, [] { return std::make_unique<TIcon>(); }, Sig({0, 0, 1, 0})});
    // Formats this Qt reads (its plug-ins decide).
    if (RasterFormatReadable("PNG"))
      List.push_back({"TPngImage", "png", SVPngImages, [] { return std::make_unique<TPngImage>(); },
                      Sig({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'})});
    if (RasterFormatReadable("GIF"))
      List.push_back({"TGIFImage", "gif", SVGifImages, [] { return std::make_unique<TGIFImage>(); },
                      [](const uint8_t* H, size_t N) {
                        return N >= 6 && H[0] == 'G' && H[1] == 'I' && H[2] == 'F' && H[3] == '8' &&
                               (H[4] == '7' || H[4] == '9') && H[5] == 'a';
                      }});
  }
  return List;
}
}  // namespace

void GraphicClasses::Register(const TGraphicClass& Class) {
  std::lock_guard L(RegistryLock);
  auto& R = Registry();
  for (auto& C : R)
    if (SameTextAscii(C.ClassName, Class.ClassName) && SameTextAscii(C.Extension, Class.Extension)) {
      C = Class;
      return;
    }
  R.push_back(Class);
}

const TGraphicClass* GraphicClasses::FindByClassName(const std::string& ClassName) {
  std::lock_guard L(RegistryLock);
  for (const auto& C : Registry())
    if (SameTextAscii(C.ClassName, ClassName)) return &C;
  return nullptr;
}

const TGraphicClass* GraphicClasses::FindByExtension(const std::string& Extension) {
  std::string E = Extension;
  if (!E.empty() && E[0] == '.') E.erase(0, 1);
  std::lock_guard L(RegistryLock);
  for (const auto& C : Registry())
    if (SameTextAscii(C.Extension, E)) return &C;
  return nullptr;
}

const TGraphicClass* GraphicClasses::Recognise(const uint8_t* Head, size_t Size) {
  std::lock_guard L(RegistryLock);
  for (const auto& C : Registry())
    if (C.Recognises && C.Recognises(Head, Size)) return &C;
  return nullptr;
}

std::vector<TGraphicClass> GraphicClasses::All() {
  std::lock_guard L(RegistryLock);
  return Registry();
}

void TIcon::Draw(TCanvas& Canvas, const TRect& R) {
  if (FImage.Empty()) return;
  TDibView V = FImage.Dib();
  V.HasAlpha = true;
  Canvas.StretchDIB(R, Rect(0, 0, FImage.Width(), FImage.Height()), V);
}

void TIcon::LoadFromStream(TStream& Stream) {
  std::vector<uint8_t> B = ReadRest(Stream);
  QtSupport::RequireGraphics();
  QImage Img;
  if (B.size() < 6 || B[0] || B[1] || B[2] != 1 || B[3] ||
      !Img.loadFromData(reinterpret_cast<const uchar*>(B.data()), static_cast<int>(B.size()), "ICO"))
    throw EInvalidGraphic(SInvalidIcon);
  FImage = QtSupport::ToBitmap(Img);
  FData = std::move(B);
}

void TIcon::SaveToStream(TStream& Stream) const {
  if (!FData.empty()) Stream.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

void TPicture::SetGraphic(const TGraphic* G) {
  FGraphic = G ? G->Clone() : nullptr;
  Changed();
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> G) {
  FGraphic = std::move(G);
  Changed();
}

TBitmap& TPicture::Bitmap() {
  auto* B = dynamic_cast<TBitmap*>(FGraphic.get());
  if (!B) {
    FGraphic = std::make_unique<TBitmap>();
    B = static_cast<TBitmap*>(FGraphic.get());
    Changed();
  }
  return *B;
}

void TPicture::LoadFromStream(TStream& Stream) {
  int64_t Start = Stream.Position();
  uint8_t Head[64] = {};
  int64_t Got = Stream.Read(Head, sizeof Head);
  Stream.SetPosition(Start);
  const TGraphicClass* C = GraphicClasses::Recognise(Head, static_cast<size_t>(std::max<int64_t>(Got, 0)));
  if (!C) throw EInvalidGraphic(SUnknownPictureFormat);
  std::unique_ptr<TGraphic> G = C->Create();
  G->LoadFromStream(Stream);
  SetGraphic(std::move(G));
}

void TPicture::SaveToStream(TStream& Stream) const {
  if (FGraphic) FGraphic->SaveToStream(Stream);
}

void TPicture::LoadFromFile(const std::string& FileName) {
  std::string Ext = ExtractFileExt(FileName);
  const TGraphicClass* C = GraphicClasses::FindByExtension(Ext);
  if (!C) throw EInvalidGraphic(Format(SUnknownExtension, {Ext}));
  std::unique_ptr<TGraphic> G = C->Create();
  G->LoadFromFile(FileName);
  SetGraphic(std::move(G));
}

void TPicture::SaveToFile(const std::string& FileName) const {
  if (FGraphic) FGraphic->SaveToFile(FileName);
}
