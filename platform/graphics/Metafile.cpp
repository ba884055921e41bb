#include "platform/graphics/Metafile.h"

#include <cstring>

#include "platform/rtl/SysUtils.h"

static const char* kInvalid = "Metafile inválido";

static uint32_t Le32(const uint8_t* P) { return P[0] | (P[1] << 8) | (P[2] << 16) | (uint32_t(P[3]) << 24); }

// Checks the fixed part of an EMF header and returns the file's byte count.
static uint32_t CheckedTotalSize(const uint8_t* Head) {
  uint32_t Type = Le32(Head), HeaderSize = Le32(Head + 4);
  uint32_t Sig = Le32(Head + 40), Total = Le32(Head + 48);
  if (Type != TMetafile::EmrHeader || Sig != TMetafile::EmfSignature || HeaderSize < TMetafile::MinHeaderSize ||
      Total < HeaderSize)
    throw EInvalidGraphic(kInvalid);
  return Total;
}

void TMetafile::LoadFromStream(TStream& Stream) {
  uint8_t Head[MinHeaderSize];
  if (Stream.Read(Head, sizeof Head) != static_cast<int64_t>(sizeof Head)) throw EInvalidGraphic(kInvalid);
  uint32_t Total = CheckedTotalSize(Head);
  // Never allocate more than the stream can still give.
  int64_t Left = Stream.Size() - Stream.Position();
  if (static_cast<int64_t>(Total) - MinHeaderSize > Left) throw EInvalidGraphic(kInvalid);
  std::vector<uint8_t> Bytes(Total);
  std::memcpy(Bytes.data(), Head, sizeof Head);
  if (Stream.Read(Bytes.data() + sizeof Head, Total - sizeof Head) != static_cast<int64_t>(Total - sizeof Head))
    throw EInvalidGraphic(kInvalid);
  FData = std::move(Bytes);
}

void TMetafile::SaveToStream(TStream& Stream) const {
  if (!FData.empty()) Stream.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

void TMetafile::LoadFromFile(const std::string& FileName) {
  TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(F);
}

void TMetafile::SaveToFile(const std::string& FileName) const {
  TFileStream F(FileName, fmCreate);
  SaveToStream(F);
}

void TMetafile::SetData(std::vector<uint8_t> Bytes) {
  if (Bytes.size() < MinHeaderSize || CheckedTotalSize(Bytes.data()) != Bytes.size()) throw EInvalidGraphic(kInvalid);
  FData = std::move(Bytes);
}
