#include "platform/graphics/Jpeg.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "platform/graphics/GraphicsConsts.h"
#include "platform/rtl/SysUtils.h"

namespace {
// libjpeg reports errors by calling error_exit, which must not return: it
// jumps back to the call below, where only plain data is alive.
struct TJpegError {
  jpeg_error_mgr Mgr;
  std::jmp_buf Jump;
};
void ErrorExit(j_common_ptr Info) { std::longjmp(reinterpret_cast<TJpegError*>(Info->err)->Jump, 1); }
void Quiet(j_common_ptr, int) {}
void NoMessage(j_common_ptr) {}

struct TDecoded {
  int Width = 0, Height = 0, Components = 0;
};

// Header only (Out == nullptr) or full decode into 0xFFRRGGBB pixels.
bool Decode(const std::vector<uint8_t>& Data, TDecoded& Info, std::vector<uint32_t>* Out) {
  jpeg_decompress_struct Cinfo;
  TJpegError Err;
  std::vector<uint8_t> Row;
  Cinfo.err = jpeg_std_error(&Err.Mgr);
  Err.Mgr.error_exit = ErrorExit;
  Err.Mgr.emit_message = Quiet;
  Err.Mgr.output_message = NoMessage;
  if (setjmp(Err.Jump)) {
    jpeg_destroy_decompress(&Cinfo);
    return false;
  }
  jpeg_create_decompress(&Cinfo);
  jpeg_mem_src(&Cinfo, Data.data(), static_cast<unsigned long>(Data.size()));
  jpeg_read_header(&Cinfo, TRUE);
  Info.Width = static_cast<int>(Cinfo.image_width);
  Info.Height = static_cast<int>(Cinfo.image_height);
  Info.Components = Cinfo.num_components;
  if (Out) {
    if (static_cast<long long>(Info.Width) * Info.Height > (1LL << 27)) longjmp(Err.Jump, 1);
    Cinfo.out_color_space = Cinfo.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&Cinfo);
    int N = Cinfo.output_components;
    Out->assign(static_cast<size_t>(Cinfo.output_width) * Cinfo.output_height, 0xFFFFFFFFu);
    Row.resize(static_cast<size_t>(Cinfo.output_width) * N);
    while (Cinfo.output_scanline < Cinfo.output_height) {
      JSAMPROW P = Row.data();
      size_t Y = Cinfo.output_scanline;
      jpeg_read_scanlines(&Cinfo, &P, 1);
      uint32_t* Dst = &(*Out)[Y * Cinfo.output_width];
      for (JDIMENSION X = 0; X < Cinfo.output_width; ++X) {
        const uint8_t* S = &Row[X * N];
        Dst[X] = N == 1 ? 0xFF000000u | (S[0] << 16) | (S[0] << 8) | S[0]
                        : 0xFF000000u | (S[0] << 16) | (S[1] << 8) | S[2];
      }
    }
    jpeg_finish_decompress(&Cinfo);
  }
  jpeg_destroy_decompress(&Cinfo);
  return true;
}
}  // namespace

TJPEGImage::TJPEGImage(const TJPEGImage& J)
    : TGraphic(), FData(J.FData), FWidth(J.FWidth), FHeight(J.FHeight), FGrayscale(J.FGrayscale) {}

TJPEGImage& TJPEGImage::operator=(const TJPEGImage& J) {
  if (&J == this) return *this;
  FData = J.FData;
  FWidth = J.FWidth;
  FHeight = J.FHeight;
  FGrayscale = J.FGrayscale;
  FBitmap.reset();
  return *this;
}

void TJPEGImage::SetData(std::vector<uint8_t> Bytes) {
  TDecoded Info;
  if (Bytes.size() < 4 || Bytes[0] != 0xFF || Bytes[1] != 0xD8 || !Decode(Bytes, Info, nullptr) || Info.Width <= 0 ||
      Info.Height <= 0)
    throw EInvalidGraphic(SInvalidJpeg);
  FData = std::move(Bytes);
  FWidth = Info.Width;
  FHeight = Info.Height;
  FGrayscale = Info.Components == 1;
  FBitmap.reset();
}

const TBitmap& TJPEGImage::Bitmap() const {
  if (!FBitmap) {
    FBitmap = std::make_unique<TBitmap>();
    TDecoded Info;
    std::vector<uint32_t> Pixels;
    if (!FData.empty() && Decode(FData, Info, &Pixels)) {
      FBitmap->SetSize(Info.Width, Info.Height);
      for (int Y = 0; Y < Info.Height; ++Y)
        std::copy_n(&Pixels[static_cast<size_t>(Y) * Info.Width], Info.Width, FBitmap->ScanLine(Y));
    } else if (!FData.empty()) {
      // A body damaged past its header: show nothing rather than fail the page.
      FBitmap->SetSize(FWidth, FHeight);
    }
  }
  return *FBitmap;
}

void TJPEGImage::Draw(TCanvas& Canvas, const TRect& R) {
  const TBitmap& B = Bitmap();
  if (!B.Empty()) Canvas.StretchDIB(R, Rect(0, 0, B.Width(), B.Height()), B.Dib());
}

void TJPEGImage::LoadFromStream(TStream& Stream) {
  int64_t Left = Stream.Size() - Stream.Position();
  if (Left <= 0) throw EInvalidGraphic(SInvalidJpeg);
  std::vector<uint8_t> B(static_cast<size_t>(Left));
  Stream.ReadBuffer(B.data(), Left);
  SetData(std::move(B));
}

void TJPEGImage::SaveToStream(TStream& Stream) const {
  if (!FData.empty()) Stream.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

void TJPEGImage::CompressFrom(const TBitmap& Bitmap, int Quality) {
  if (Bitmap.Empty()) throw EInvalidGraphic(SInvalidJpeg);
  jpeg_compress_struct Cinfo;
  TJpegError Err;
  unsigned char* Mem = nullptr;
  unsigned long MemSize = 0;
  std::vector<uint8_t> Row(static_cast<size_t>(Bitmap.Width()) * 3);
  Cinfo.err = jpeg_std_error(&Err.Mgr);
  Err.Mgr.error_exit = ErrorExit;
  if (setjmp(Err.Jump)) {
    jpeg_destroy_compress(&Cinfo);
    std::free(Mem);
    throw EInvalidGraphic(SInvalidJpeg);
  }
  jpeg_create_compress(&Cinfo);
  jpeg_mem_dest(&Cinfo, &Mem, &MemSize);
  Cinfo.image_width = static_cast<JDIMENSION>(Bitmap.Width());
  Cinfo.image_height = static_cast<JDIMENSION>(Bitmap.Height());
  Cinfo.input_components = 3;
  Cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&Cinfo);
  jpeg_set_quality(&Cinfo, std::clamp(Quality, 1, 100), TRUE);
  jpeg_start_compress(&Cinfo, TRUE);
  while (Cinfo.next_scanline < Cinfo.image_height) {
    const uint32_t* P = Bitmap.ScanLine(static_cast<int>(Cinfo.next_scanline));
    for (int X = 0; X < Bitmap.Width(); ++X) {
      Row[3 * X] = (P[X] >> 16) & 0xFF;
      Row[3 * X + 1] = (P[X] >> 8) & 0xFF;
      Row[3 * X + 2] = P[X] & 0xFF;
    }
    JSAMPROW R = Row.data();
    jpeg_write_scanlines(&Cinfo, &R, 1);
  }
  jpeg_finish_compress(&Cinfo);
  jpeg_destroy_compress(&Cinfo);
  std::vector<uint8_t> Bytes(Mem, Mem + MemSize);
  std::free(Mem);
  SetData(std::move(Bytes));
}
