#include "platform/graphics/RasterImage.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <algorithm>

#include "platform/graphics/GraphicsConsts.h"
#include "platform/graphics/QtSupport.h"

TBitmap QtSupport::ToBitmap(const QImage& Image) {
  const QImage Img = Image.convertToFormat(QImage::Format_ARGB32);
  TBitmap Pixels(Img.width(), Img.height());
  for (int Y = 0; Y < Img.height(); ++Y) {
    const QRgb* Row = reinterpret_cast<const QRgb*>(Img.constScanLine(Y));
    std::copy_n(Row, Img.width(), Pixels.ScanLine(Y));
  }
  return Pixels;
}

namespace {
// Bytes from a blob field are outside data: a header that claims a huge picture is refused
// before any pixel is allocated.
constexpr long long MaxPixels = 1LL << 24;
}  // namespace

bool RasterFormatReadable(const char* Format) {
  const QByteArray Wanted = QByteArray(Format).toLower();
  for (const QByteArray& F : QImageReader::supportedImageFormats())
    if (F.toLower() == Wanted) return true;
  return false;
}

void TRasterImage::Draw(TCanvas& Canvas, const TRect& R) {
  if (FImage.Empty()) return;
  TDibView V = FImage.Dib();
  V.HasAlpha = true;
  Canvas.StretchDIB(R, Rect(0, 0, FImage.Width(), FImage.Height()), V);
}

void TRasterImage::LoadFromStream(TStream& Stream) {
  const int64_t Left = Stream.Size() - Stream.Position();
  if (Left <= 0 || Left > (int64_t(1) << 30)) throw EInvalidGraphic(InvalidMessage());
  std::vector<uint8_t> B(static_cast<size_t>(Left));
  Stream.ReadBuffer(B.data(), Left);
  QtSupport::RequireGraphics();
  QByteArray Bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(B.data()), static_cast<qsizetype>(B.size()));
  QBuffer Device(&Bytes);
  Device.open(QIODevice::ReadOnly);
  QImageReader Reader(&Device, Format());
  Reader.setDecideFormatFromContent(false);
  const QSize Size = Reader.size();
  if (!Size.isValid() || Size.isEmpty() || static_cast<long long>(Size.width()) * Size.height() > MaxPixels)
    throw EInvalidGraphic(InvalidMessage());
  QImage Img = Reader.read();
  if (Img.isNull() || Img.width() != Size.width() || Img.height() != Size.height())
    throw EInvalidGraphic(InvalidMessage());
  FImage = QtSupport::ToBitmap(Img);
  FData = std::move(B);
}

void TRasterImage::SaveToStream(TStream& Stream) const {
  if (!FData.empty()) Stream.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

const char* TPngImage::InvalidMessage() const { return SInvalidPng; }
const char* TGIFImage::InvalidMessage() const { return SInvalidGif; }
