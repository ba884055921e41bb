#pragma once
// The player's own state; one handler per record type, named after it.
#include <variant>
#include <vector>

#include "platform/classes/ByteReader.h"
#include "platform/graphics/EmfPlayer.h"
#include "platform/graphics/EmfRecords.h"

// A coordinate from the file, kept within GDI's 27-bit range so that no sum overflows.
inline int EmfCoord(const TByteReader& R, size_t At) {
  constexpr int32_t Limit = 1 << 27;
  int32_t V = R.I32(At);
  return V < -Limit ? -Limit : V > Limit ? Limit : V;
}

// 88, 100 or 108: which extensions the header record H (checked to be an EMF
// header) carries.
uint32_t HeaderFixedSize(const TByteReader& H);

class TEmfPlayer {
public:
  TEmfPlayer(TDeviceContext& Dc, const TByteReader& File, const TRect& Dest);
  TEmfPlayResult Play();

private:
  // The page transform as GDI keeps it: window and viewport extents exist in
  // every mode (each fixed mode sets its own), the viewport in reference pixels.
  struct TMapping {
    int MapMode = MM_TEXT;
    double WOrgX = 0, WOrgY = 0, WExtX = 1, WExtY = 1;
    double VOrgX = 0, VOrgY = 0, VExtX = 1, VExtY = 1;
    TXForm World;
    bool ArcClockwise = false;
  };
  struct TNone {};
  struct TPalette {};
  using TObject = std::variant<TNone, TLogPen, TLogBrush, TLogFont, TPalette>;

#define EMF_DECLARE(Name, Type) void Play##Name(const TByteReader& R);
  EMF_RECORDS(EMF_DECLARE)
#undef EMF_DECLARE
  void Dispatch(uint32_t Type, const TByteReader& R);

  void ApplyTransform();
  TXForm PageTransform() const;
  bool FreeExtents() const { return FMap.MapMode == MM_ISOTROPIC || FMap.MapMode == MM_ANISOTROPIC; }
  // Takes new extents when they are usable (non-zero, finite) and keeps an
  // isotropic mapping isotropic.
  void SetExtents(double WX, double WY, double VX, double VY);
  void FailRecord() { FRecordFailed = true; }
  void SelectStock(uint32_t Index);
  TObject& Slot(uint32_t Index);
  static int Coord(const TByteReader& R, size_t At) { return EmfCoord(R, At); }
  static TRect ReadRect(const TByteReader& R, size_t At);
  static std::vector<TPoint> ReadPoints16(const TByteReader& R, size_t At, uint32_t Count);
  void Text(const TByteReader& R, bool Wide);
  void UseGraphicsMode(uint32_t Mode);
  // GDI draws arcs counter-clockwise unless the direction was set clockwise.
  void ArcPoints(const TByteReader& R, TPoint& Start, TPoint& End) const;
  void Blt(const TByteReader& R, const TRect& Dest, const TRect& Src, uint32_t Rop, uint32_t OffBmi, uint32_t CbBmi,
           uint32_t OffBits, uint32_t CbBits, bool BottomUpSource);
  void ClipReset();
  void PatternBrush(const TByteReader& R, bool Mono);

  TDeviceContext& FDc;
  TByteReader FFile;
  TRect FDest;
  TXForm FStart;  // the device's transform when playing began
  TXForm FBase;   // reference-device pixels to the destination rectangle
  // The reference device: its size in pixels and in millimetres.
  double FRefPxX = 96, FRefPxY = 96, FRefMmX = 25.4, FRefMmY = 25.4;
  int FGraphicsMode = 0;  // last given to the device; 0 before any text
  TMapping FMap;
  std::vector<TMapping> FSaved;
  std::vector<TObject> FObjects;
  TEmfPlayResult FResult;
  bool FEof = false;
  bool FRecordFailed = false;  // set by a handler that could not do what its record asks
};
