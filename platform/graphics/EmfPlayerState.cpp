// TEmfPlayer: header, state, objects, mapping and clipping records.
#include <algorithm>
#include <cmath>

#include "platform/graphics/EmfDib.h"
#include "platform/graphics/EmfPlayerImpl.h"
#include "platform/graphics/GraphicsConsts.h"
#include "platform/rtl/Win1252.h"

#define PLAY(Name) void TEmfPlayer::Play##Name([[maybe_unused]] const TByteReader& R)

PLAY(Header) {}
PLAY(Eof) { FEof = true; }
PLAY(GdiComment) {}
PLAY(SelectPalette) {}
PLAY(RealizePalette) {}

// SetMapMode gives each fixed mode its extents on the reference device, starts
// MM_ISOTROPIC as MM_LOMETRIC and leaves MM_ANISOTROPIC's as they were; the
// origins stay. Extents can be set only in the two free modes.
PLAY(SetMapMode) {
  int M = R.I32(8);
  if (M < MM_TEXT || M > MM_ANISOTROPIC) return FailRecord();
  if (M == FMap.MapMode && FreeExtents()) return;
  FMap.MapMode = M;
  double UnitsPerMm = 0;
  switch (M) {
    case MM_LOMETRIC:
    case MM_ISOTROPIC: UnitsPerMm = 10; break;
    case MM_HIMETRIC: UnitsPerMm = 100; break;
    case MM_LOENGLISH: UnitsPerMm = 100 / 25.4; break;
    case MM_HIENGLISH: UnitsPerMm = 1000 / 25.4; break;
    case MM_TWIPS: UnitsPerMm = 1440 / 25.4; break;
    default: break;
  }
  if (M == MM_TEXT) SetExtents(1, 1, 1, 1);
  else if (UnitsPerMm > 0) SetExtents(FRefMmX * UnitsPerMm, FRefMmY * UnitsPerMm, FRefPxX, -FRefPxY);
  ApplyTransform();
}
PLAY(SetWindowExtEx) {
  if (!FreeExtents()) return;  // GDI ignores it then
  SetExtents(R.I32(8), R.I32(12), FMap.VExtX, FMap.VExtY);
}
PLAY(SetWindowOrgEx) {
  FMap.WOrgX = R.I32(8), FMap.WOrgY = R.I32(12);
  ApplyTransform();
}
PLAY(SetViewportExtEx) {
  if (!FreeExtents()) return;
  SetExtents(FMap.WExtX, FMap.WExtY, R.I32(8), R.I32(12));
}
PLAY(SetViewportOrgEx) {
  FMap.VOrgX = R.I32(8), FMap.VOrgY = R.I32(12);
  ApplyTransform();
}
PLAY(ScaleViewportExtEx) {
  if (!FreeExtents() || R.I32(12) == 0 || R.I32(20) == 0) return;
  SetExtents(FMap.WExtX, FMap.WExtY, FMap.VExtX * R.I32(8) / R.I32(12), FMap.VExtY * R.I32(16) / R.I32(20));
}
PLAY(ScaleWindowExtEx) {
  if (!FreeExtents() || R.I32(12) == 0 || R.I32(20) == 0) return;
  SetExtents(FMap.WExtX * R.I32(8) / R.I32(12), FMap.WExtY * R.I32(16) / R.I32(20), FMap.VExtX, FMap.VExtY);
}

static TXForm ReadXForm(const TByteReader& R, size_t At) {
  TXForm X{R.F32(At), R.F32(At + 4), R.F32(At + 8), R.F32(At + 12), R.F32(At + 16), R.F32(At + 20)};
  for (double V : {X.M11, X.M12, X.M21, X.M22, X.Dx, X.Dy})
    if (!std::isfinite(V)) throw EReadError(SEmfInvalidTransform);
  return X;
}

PLAY(SetWorldTransform) {
  FMap.World = ReadXForm(R, 8);
  ApplyTransform();
}
PLAY(ModifyWorldTransform) {
  TXForm X = ReadXForm(R, 8);
  switch (R.U32(32)) {
    case 1: FMap.World = TXForm{}; break;             // MWT_IDENTITY
    case 2: FMap.World = X.Then(FMap.World); break;   // MWT_LEFTMULTIPLY
    case 3: FMap.World = FMap.World.Then(X); break;   // MWT_RIGHTMULTIPLY
    case 4: FMap.World = X; break;                    // MWT_SET
    default: return;
  }
  ApplyTransform();
}

PLAY(SetArcDirection) { FMap.ArcClockwise = R.I32(8) == 2; }

// A save the device refuses (its stack is full) saves nothing here either,
// so both stacks stay paired.
PLAY(SaveDC) {
  if (FDc.SaveDC() == 0) return FailRecord();
  FSaved.push_back(FMap);
}
PLAY(RestoreDC) {
  int Rel = R.I32(8);
  // Only relative levels, and never below where this metafile started.
  if (Rel >= 0 || -static_cast<long>(Rel) > static_cast<long>(FSaved.size())) return;
  FDc.RestoreDC(Rel);
  FMap = FSaved[FSaved.size() + Rel];
  FSaved.resize(FSaved.size() + Rel);
  ApplyTransform();
}

PLAY(SetBkMode) { FDc.SetBkMode(R.I32(8)); }
PLAY(SetBkColor) { FDc.SetBkColor(R.U32(8) & 0xFFFFFF); }
PLAY(SetTextColor) { FDc.SetTextColor(R.U32(8) & 0xFFFFFF); }
PLAY(SetTextAlign) { FDc.SetTextAlign(R.U32(8)); }
PLAY(SetPolyFillMode) { FDc.SetPolyFillMode(R.I32(8)); }
PLAY(SetROP2) { FDc.SetROP2(R.I32(8)); }
PLAY(SetStretchBltMode) { FDc.SetStretchBltMode(R.I32(8)); }
PLAY(SetTextJustification) { FDc.SetTextJustification(Coord(R, 8), std::max(0, Coord(R, 12))); }

PLAY(CreatePen) {
  Slot(R.U32(8)) = TLogPen{R.U32(12), std::max(0, Coord(R, 16)), R.U32(24) & 0xFFFFFF};
}
PLAY(ExtCreatePen) {
  uint32_t Style = R.U32(28);
  TLogPen P{Style & 0xFFFF, std::max(0, Coord(R, 32)), R.U32(40) & 0xFFFFFF};
  if (!(Style & 0x10000)) P.Width = 0;     // cosmetic pens are one pixel
  if (R.U32(36) == 1) P.Style = PS_NULL;  // a hollow brush draws nothing
  Slot(R.U32(8)) = P;
}
PLAY(CreateBrushIndirect) {
  uint32_t Style = R.U32(12);
  TLogBrush B{Style == BS_NULL ? BS_NULL : Style == BS_HATCHED ? BS_HATCHED : BS_SOLID, R.U32(16) & 0xFFFFFF,
              R.U32(20), {}};
  Slot(R.U32(8)) = B;
}
// EMR_CREATEMONOBRUSH and EMR_CREATEDIBPATTERNBRUSHPT: ihBrush, iUsage, then
// the DIB as offBmi, cbBmi, offBits, cbBits from the start of the record.
void TEmfPlayer::PatternBrush(const TByteReader& R, bool Mono) {
  TDibImage Img = DecodeDib(R.Slice(R.U32(16), R.U32(20)), R.Slice(R.U32(24), R.U32(28)));
  if (Img.Width > 256 || Img.Height > 256) return FailRecord();  // a pattern, not a picture
  auto P = std::make_shared<TBrushPattern>();
  P->Width = Img.Width;
  P->Height = Img.Height;
  P->Pixels = std::move(Img.Pixels);
  P->Mono = Mono;
  TLogBrush B{BS_PATTERN, 0, 0, std::move(P)};
  Slot(R.U32(8)) = B;
}
PLAY(CreateMonoBrush) { PatternBrush(R, true); }
PLAY(CreateDIBPatternBrushPt) { PatternBrush(R, false); }

PLAY(ExtCreateFontIndirectW) {
  TLogFont F;
  F.Height = Coord(R, 12);
  F.Width = std::max(0, Coord(R, 16));
  F.Escapement = R.I32(20) % 3600;
  F.Orientation = R.I32(24) % 3600;
  F.Weight = R.I32(28);
  F.Italic = R.U8(32);
  F.Underline = R.U8(33);
  F.StrikeOut = R.U8(34);
  F.CharSet = R.U8(35);
  F.OutPrecision = R.U8(36);
  F.ClipPrecision = R.U8(37);
  F.Quality = R.U8(38);
  F.PitchAndFamily = R.U8(39);
  std::u16string Face;
  for (size_t I = 0; I < 32; ++I) {
    char16_t C = R.U16(40 + 2 * I);
    if (!C) break;
    Face += C;
  }
  F.FaceName = Utf16ToUtf8(Face);
  Slot(R.U32(8)) = F;
}
PLAY(SelectObject) {
  uint32_t H = R.U32(8);
  if (H & EmfStockObject) return SelectStock(H & ~EmfStockObject);
  TObject& O = Slot(H);
  if (auto* P = std::get_if<TLogPen>(&O)) FDc.SelectPen(*P);
  else if (auto* B = std::get_if<TLogBrush>(&O)) FDc.SelectBrush(*B);
  else if (auto* F = std::get_if<TLogFont>(&O)) FDc.SelectFont(*F);
}
PLAY(DeleteObject) {
  uint32_t H = R.U32(8);
  if (!(H & EmfStockObject) && H < FObjects.size()) FObjects[H] = TNone{};
}

PLAY(IntersectClipRect) { FDc.IntersectClipRect(ReadRect(R, 8)); }
PLAY(ExcludeClipRect) { FDc.ExcludeClipRect(ReadRect(R, 8)); }

// Removing the clip goes back to the meta region: the caller's clip.
void TEmfPlayer::ClipReset() { FDc.SelectClipRegion(nullptr, RGN_COPY); }
PLAY(SetMetaRgn) { FDc.SetMetaRgn(); }

PLAY(ExtSelectClipRgn) {
  uint32_t Cb = R.U32(8);
  int Mode = R.I32(12);
  if (Cb == 0) {
    if (Mode == RGN_COPY) ClipReset();
    return;
  }
  TByteReader Data = R.Slice(16, Cb);
  uint32_t Count = Data.U32(8), HeaderSize = Data.U32(0);
  // Region rectangles are in reference-device pixels: take them to the device.
  TXForm ToDevice = FBase.Then(FStart);
  TRegion Rg;
  for (uint32_t I = 0; I < Count; ++I) {
    TRect Src = ReadRect(Data, HeaderSize + 16 * size_t(I));
    auto X = [&](int V) { return ClampToPixel(ToDevice.MapX(V, 0)); };
    auto Y = [&](int V) { return ClampToPixel(ToDevice.MapY(0, V)); };
    Rg.Rects.push_back(NormalizedRect(Rect(X(Src.Left), Y(Src.Top), X(Src.Right), Y(Src.Bottom))));
  }
  FDc.SelectClipRegion(&Rg, Mode);
}

PLAY(BeginPath) { FDc.BeginPath(); }
PLAY(EndPath) { FDc.EndPath(); }
PLAY(CloseFigure) { FDc.CloseFigure(); }
PLAY(FillPath) { FDc.FillPath(); }
PLAY(StrokePath) { FDc.StrokePath(); }
PLAY(StrokeAndFillPath) { FDc.StrokeAndFillPath(); }
PLAY(SelectClipPath) { FDc.SelectClipPath(R.I32(8)); }

TRect TEmfPlayer::ReadRect(const TByteReader& R, size_t At) {
  return TRect{Coord(R, At), Coord(R, At + 4), Coord(R, At + 8), Coord(R, At + 12)};
}
