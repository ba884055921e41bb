#pragma once
// An enhanced metafile held as its bytes. Saving writes exactly those bytes;
// loading consumes exactly the byte count its header gives.
#include <cstdint>
#include <vector>

#include "platform/classes/Streams.h"

class TMetafile {
public:
  TMetafile() = default;
  virtual ~TMetafile() = default;

  // Reads one EMF at the stream's position. Raises EInvalidGraphic
  // ("Metafile inválido") when the bytes there are not an EMF.
  void LoadFromStream(TStream& Stream);
  void SaveToStream(TStream& Stream) const;
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;

  const std::vector<uint8_t>& Data() const { return FData; }
  // Takes bytes that already form an EMF (checked as LoadFromStream checks).
  void SetData(std::vector<uint8_t> Bytes);
  bool Empty() const { return FData.empty(); }
  void Clear() { FData.clear(); }

  static constexpr uint32_t EmrHeader = 1;
  static constexpr uint32_t EmfSignature = 0x464D4520;  // " EMF"
  static constexpr int MinHeaderSize = 88;              // the header record without extensions

private:
  std::vector<uint8_t> FData;
};
