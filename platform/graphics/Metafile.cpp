#include "platform/graphics/Metafile.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "platform/classes/ByteReader.h"
#include "platform/graphics/EmfPlayer.h"
#include "platform/graphics/EmfRecorder.h"
#include "platform/graphics/WmfRecorder.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/GraphicsConsts.h"
#include "platform/rtl/SysUtils.h"

// Checks the fixed part of an EMF header and returns the file's byte count.
static uint32_t CheckedTotalSize(const uint8_t* Head) {
  TByteReader R(Head, TMetafile::MinHeaderSize);
  uint32_t Type = R.U32(0), HeaderSize = R.U32(4);
  uint32_t Sig = R.U32(40), Total = R.U32(48);
  if (Type != TMetafile::EmrHeader || Sig != TMetafile::EmfSignature || HeaderSize < TMetafile::MinHeaderSize ||
      Total < HeaderSize)
    throw EInvalidGraphic(SInvalidMetafile);
  return Total;
}

void TMetafile::LoadFromStream(TStream& Stream) {
  uint8_t Head[MinHeaderSize];
  if (Stream.Read(Head, sizeof Head) != static_cast<int64_t>(sizeof Head)) throw EInvalidGraphic(SInvalidMetafile);
  uint32_t Total = CheckedTotalSize(Head);
  // Never allocate more than the stream can still give.
  int64_t Left = Stream.Size() - Stream.Position();
  if (static_cast<int64_t>(Total) - MinHeaderSize > Left) throw EInvalidGraphic(SInvalidMetafile);
  std::vector<uint8_t> Bytes(Total);
  std::memcpy(Bytes.data(), Head, sizeof Head);
  if (Stream.Read(Bytes.data() + sizeof Head, Total - sizeof Head) != static_cast<int64_t>(Total - sizeof Head))
    throw EInvalidGraphic(SInvalidMetafile);
  FData = std::move(Bytes);
  TakeFrame();
}

void TMetafile::SaveToStream(TStream& Stream) const {
  if (FData.empty()) return;
  if (!FEnhanced) {
    const std::vector<uint8_t> Wmf = EmfToWmf(FData, FMMWidth, FMMHeight);
    Stream.WriteBuffer(Wmf.data(), static_cast<int64_t>(Wmf.size()));
    return;
  }
  Stream.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

void TMetafile::SetData(std::vector<uint8_t> Bytes) {
  if (Bytes.size() < MinHeaderSize || CheckedTotalSize(Bytes.data()) != Bytes.size()) throw EInvalidGraphic(SInvalidMetafile);
  FData = std::move(Bytes);
  TakeFrame();
}

void TMetafile::Clear() {
  FData.clear();
  FMMWidth = FMMHeight = 0;
}

void TMetafile::TakeFrame() {
  TByteReader R(FData.data(), FData.size());
  // A damaged frame must not overflow: the difference is taken wide and bounded.
  auto Span = [](int64_t A, int64_t B) { return static_cast<int>(std::clamp<int64_t>(B - A, INT32_MIN, INT32_MAX)); };
  FMMWidth = Span(R.I32(24), R.I32(32));
  FMMHeight = Span(R.I32(28), R.I32(36));
}

// Pixels and hundredths of a millimetre convert at the screen's resolution, rounding as MulDiv does.
static int MulDiv(int A, int B, int C) {
  long long P = static_cast<long long>(A) * B;
  return static_cast<int>((P >= 0 ? P + C / 2 : P - C / 2) / C);
}

int TMetafile::Width() const { return MulDiv(FMMWidth, ScreenPixelsPerInch(), 2540); }
int TMetafile::Height() const { return MulDiv(FMMHeight, ScreenPixelsPerInch(), 2540); }
void TMetafile::SetWidth(int Pixels) { FMMWidth = MulDiv(Pixels, 2540, ScreenPixelsPerInch()); }
void TMetafile::SetHeight(int Pixels) { FMMHeight = MulDiv(Pixels, 2540, ScreenPixelsPerInch()); }
int TMetafile::MMWidth() const { return FMMWidth; }
int TMetafile::MMHeight() const { return FMMHeight; }

void TMetafile::Draw(TCanvas& Canvas, const TRect& R) {
  if (FData.empty() || !Canvas.Handle()) return;
  Canvas.RequiredState();
  PlayEnhMetaFile(*Canvas.Handle(), FData.data(), FData.size(), R);
  // The player restores the device state; the canvas selects its tools again.
  Canvas.Refresh();
}

TMetafileCanvas::TMetafileCanvas(TMetafile& Metafile)
    : FMetafile(&Metafile),
      FRecorder(std::make_unique<TEmfRecorderDC>(Rect(0, 0, Metafile.MMWidth(), Metafile.MMHeight()))) {
  SetHandle(FRecorder.get());
}

TMetafileCanvas::~TMetafileCanvas() { End(); }

void TMetafileCanvas::End() {
  if (!FRecorder) return;
  SetHandle(nullptr);
  int W = FMetafile->MMWidth(), H = FMetafile->MMHeight();
  FMetafile->SetData(FRecorder->Finish());
  if (W > 0 && H > 0) {
    FMetafile->SetMMWidth(W);
    FMetafile->SetMMHeight(H);
  }
  FRecorder.reset();
}
