#include "platform/graphics/EmfPlayer.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/EmfPlayerImpl.h"
#include "platform/graphics/GraphicsConsts.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/SysUtils.h"

namespace {
uint32_t CheckedHeader(const TByteReader& F) {
  if (!F.Has(0, TMetafile::MinHeaderSize) || F.U32(0) != TMetafile::EmrHeader ||
      F.U32(40) != TMetafile::EmfSignature || F.U32(4) < TMetafile::MinHeaderSize || F.U32(4) > F.Size())
    throw EInvalidGraphic(SInvalidMetafile);
  uint32_t Total = F.U32(48);
  return Total < F.Size() ? Total : static_cast<uint32_t>(F.Size());
}
}  // namespace

// The header's fixed part ends where its extensions end: 88 bytes, 100 with
// the pixel format fields, 108 with the size in micrometres. A record may be
// longer only because its description or pixel format follows, and older
// writers put the description straight after the 88 bytes: those bytes are
// text, not extension fields.
uint32_t HeaderFixedSize(const TByteReader& H) {
  uint32_t End = H.U32(4);
  auto Before = [&End](uint32_t Count, uint32_t Offset) {
    if (Count && Offset >= 88) End = std::min(End, Offset);
  };
  Before(H.U32(60), H.U32(64));  // nDescription, offDescription
  if (End < 100) return 88;
  Before(H.U32(88), H.U32(92));  // cbPixelFormat, offPixelFormat
  return End < 108 ? 100 : 108;
}

std::vector<TEmfRecordRef> ParseEnhMetaFile(const uint8_t* Data, size_t Size) {
  TByteReader F(Data, Size);
  uint32_t Total = CheckedHeader(F);
  std::vector<TEmfRecordRef> Out;
  Out.reserve(Total / 32);
  for (uint32_t Off = 0; F.Has(Off, 8) && Off + 8 <= Total;) {
    uint32_t Type = F.U32(Off), Len = F.U32(Off + 4);
    if (Len < 8 || Len % 4 || Len > Total - Off) break;
    Out.push_back(TEmfRecordRef{Type, Off, Len});
    if (Type == static_cast<uint32_t>(TEmr::Eof)) break;
    Off += Len;
  }
  return Out;
}

TEmfPlayResult PlayEnhMetaFile(TDeviceContext& Dc, const uint8_t* Data, size_t Size, const TRect& Dest) {
  TByteReader F(Data, Size);
  F = F.Slice(0, CheckedHeader(F));
  // The device gets its state back however playing ends; a device that can
  // save no more could not, so nothing is played on it.
  int Level = Dc.SaveDC();
  if (Level == 0) return TEmfPlayResult{0, 0, 1};
  TFinally Restore([&Dc, Level] { Dc.RestoreDC(Level); });
  // Whatever the picture does to its clip stays inside the caller's.
  Dc.SetMetaRgn();
  TEmfPlayer Player(Dc, F, Dest);
  return Player.Play();
}

TEmfPlayer::TEmfPlayer(TDeviceContext& Dc, const TByteReader& File, const TRect& Dest)
    : FDc(Dc), FFile(File), FDest(Dest), FStart(Dc.WorldTransform()) {
  const TByteReader& H = FFile;
  int DevX = H.I32(72), DevY = H.I32(76), MmX = H.I32(80), MmY = H.I32(84);
  double UmX = 0, UmY = 0;
  if (HeaderFixedSize(H) >= 108) UmX = H.I32(100), UmY = H.I32(104);
  if (DevX > 0 && DevY > 0) {
    if (UmX > 0 && UmY > 0) FRefPxX = DevX, FRefPxY = DevY, FRefMmX = UmX / 1000, FRefMmY = UmY / 1000;
    else if (MmX > 0 && MmY > 0) FRefPxX = DevX, FRefPxY = DevY, FRefMmX = MmX, FRefMmY = MmY;
  }
  double PixPerMmX = FRefPxX / FRefMmX, PixPerMmY = FRefPxY / FRefMmY;
  // The frame (hundredths of a millimetre) in reference pixels goes onto Dest.
  double Fl = H.I32(24) * PixPerMmX / 100, Ft = H.I32(28) * PixPerMmY / 100;
  double Fr = H.I32(32) * PixPerMmX / 100, Fb = H.I32(36) * PixPerMmY / 100;
  if (Fr - Fl < 1e-6 || Fb - Ft < 1e-6) {  // no frame: the bounds, inclusive
    Fl = H.I32(8), Ft = H.I32(12), Fr = H.I32(16) + 1.0, Fb = H.I32(20) + 1.0;
  }
  if (Fr - Fl < 1e-6) Fr = Fl + 1;
  if (Fb - Ft < 1e-6) Fb = Ft + 1;
  FBase.M11 = Dest.Width() / (Fr - Fl);
  FBase.M22 = Dest.Height() / (Fb - Ft);
  FBase.Dx = Dest.Left - Fl * FBase.M11;
  FBase.Dy = Dest.Top - Ft * FBase.M22;
  uint32_t Handles = H.U16(56);
  FObjects.resize(Handles ? Handles : 1);
}

TEmfPlayResult TEmfPlayer::Play() {
  // GDI's defaults at the start of playing.
  FDc.SelectPen(TLogPen{PS_SOLID, 0, 0});
  FDc.SelectBrush(TLogBrush{BS_SOLID, 0xFFFFFF, 0, {}});
  SelectStock(SYSTEM_FONT);
  FDc.SetTextColor(0);
  FDc.SetBkColor(0xFFFFFF);
  FDc.SetBkMode(OPAQUE);
  FDc.SetTextAlign(TA_LEFT | TA_TOP);
  FDc.SetPolyFillMode(ALTERNATE);
  FDc.SetROP2(R2_COPYPEN);
  FDc.SetTextJustification(0, 0);
  FDc.MoveTo(0, 0);
  ApplyTransform();
  for (uint32_t Off = 0; FFile.Has(Off, 8) && !FEof;) {
    uint32_t Type = FFile.U32(Off), Len = FFile.U32(Off + 4);
    if (Len < 8 || Len % 4 || !FFile.Has(Off, Len)) {
      ++FResult.Failed;  // framing is lost: nothing after this can be trusted
      break;
    }
    try {
      Dispatch(Type, FFile.Slice(Off, Len));
    } catch (const Exception&) {
      ++FResult.Failed;
    }
    Off += Len;
  }
  return FResult;
}

void TEmfPlayer::Dispatch(uint32_t Type, const TByteReader& R) {
  FRecordFailed = false;
  switch (static_cast<TEmr>(Type)) {
#define EMF_CASE(Name, Id)                               \
  case TEmr::Name:                                       \
    Play##Name(R);                                       \
    ++(FRecordFailed ? FResult.Failed : FResult.Played); \
    return;
    EMF_RECORDS(EMF_CASE)
#undef EMF_CASE
  }
  ++FResult.Skipped;
}

// Logical units to reference-device pixels.
TXForm TEmfPlayer::PageTransform() const {
  TXForm P;
  P.M11 = FMap.VExtX / FMap.WExtX;
  P.M22 = FMap.VExtY / FMap.WExtY;
  P.Dx = FMap.VOrgX - FMap.WOrgX * P.M11;
  P.Dy = FMap.VOrgY - FMap.WOrgY * P.M22;
  return P;
}

void TEmfPlayer::SetExtents(double WX, double WY, double VX, double VY) {
  for (double V : {WX, WY, VX, VY})
    if (V == 0 || !std::isfinite(V) || std::abs(V) > 1e12 || std::abs(V) < 1e-12) return;
  FMap.WExtX = WX, FMap.WExtY = WY, FMap.VExtX = VX, FMap.VExtY = VY;
  if (FMap.MapMode == MM_ISOTROPIC) {
    // The viewport shrinks on the axis whose scale is larger; signs stay.
    double Sx = std::abs(VX / WX), Sy = std::abs(VY / WY);
    if (Sx > Sy) FMap.VExtX = std::copysign(std::abs(WX) * Sy, VX);
    else if (Sy > Sx) FMap.VExtY = std::copysign(std::abs(WY) * Sx, VY);
  }
  ApplyTransform();
}

void TEmfPlayer::ApplyTransform() { FDc.SetWorldTransform(FMap.World.Then(PageTransform()).Then(FBase).Then(FStart)); }

TEmfPlayer::TObject& TEmfPlayer::Slot(uint32_t Index) {
  if (Index >= FObjects.size()) {
    if (Index > 0xFFFF) throw EReadError(SEmfObjectOutOfTable);
    FObjects.resize(Index + 1);
  }
  return FObjects[Index];
}

void TEmfPlayer::SelectStock(uint32_t Index) {
  switch (Index) {
    case WHITE_BRUSH: FDc.SelectBrush(TLogBrush{BS_SOLID, 0xFFFFFF, 0, {}}); break;
    case LTGRAY_BRUSH: FDc.SelectBrush(TLogBrush{BS_SOLID, 0xC0C0C0, 0, {}}); break;
    case GRAY_BRUSH: FDc.SelectBrush(TLogBrush{BS_SOLID, 0x808080, 0, {}}); break;
    case DKGRAY_BRUSH: FDc.SelectBrush(TLogBrush{BS_SOLID, 0x404040, 0, {}}); break;
    case BLACK_BRUSH: FDc.SelectBrush(TLogBrush{BS_SOLID, 0, 0, {}}); break;
    case NULL_BRUSH: FDc.SelectBrush(TLogBrush{BS_NULL, 0, 0, {}}); break;
    case DC_BRUSH: FDc.SelectBrush(TLogBrush{BS_SOLID, 0xFFFFFF, 0, {}}); break;
    case WHITE_PEN: FDc.SelectPen(TLogPen{PS_SOLID, 0, 0xFFFFFF}); break;
    case BLACK_PEN:
    case DC_PEN: FDc.SelectPen(TLogPen{PS_SOLID, 0, 0}); break;
    case NULL_PEN: FDc.SelectPen(TLogPen{PS_NULL, 0, 0}); break;
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT: {
      TLogFont F;
      F.FaceName = "Courier New";
      F.Height = 16;
      FDc.SelectFont(F);
      break;
    }
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
    case DEFAULT_GUI_FONT: {
      TLogFont F;
      F.FaceName = "MS Sans Serif";
      F.Height = Index == SYSTEM_FONT ? 16 : -11;
      F.Weight = Index == SYSTEM_FONT ? FW_BOLD : FW_NORMAL;
      FDc.SelectFont(F);
      break;
    }
    default: break;  // the default palette
  }
}
