#pragma once
// The EMF player: plays an enhanced metafile stretched into a rectangle on any
// device context, honouring the header's frame and reference device, mapping
// modes, window/viewport and world transforms. Unknown records are skipped;
// a record that cannot be read is counted and playing carries on.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/graphics/DeviceContext.h"

struct TEmfPlayResult {
  int Played = 0;   // records handled
  int Skipped = 0;  // records of types the player does not know
  int Failed = 0;   // records whose bytes were bad (cut short, out of range) or the device refused
};

// Raises EInvalidGraphic ("Metafile inválido") when the header is not an EMF.
// The device's state is restored afterwards.
TEmfPlayResult PlayEnhMetaFile(TDeviceContext& Dc, const uint8_t* Data, size_t Size, const TRect& Dest);

struct TEmfRecordRef {
  uint32_t Type;
  uint32_t Offset;
  uint32_t Size;
};
// Splits an EMF into its records (checked framing only); stops at EOF or at
// the first record whose size does not fit.
std::vector<TEmfRecordRef> ParseEnhMetaFile(const uint8_t* Data, size_t Size);
