// TQtPainterDC: text and bitmaps.
#include <QGlyphRun>
#include <QRawFont>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/graphics/FontEngine.h"
#include "platform/graphics/QtPainterImpl.h"
#include "platform/graphics/QtSupport.h"

std::vector<int> TQtPainterDC::CharAdvances(const std::u16string& Text) const { return D->S.Advances(Text); }

TTextMetric TQtPainterDC::TextMetrics() const { return FontEngine::Metrics(D->S.Font); }

void TQtPainterDC::ExtTextOut(int X, int Y, uint32_t Options, const TRect* R, const std::u16string& Text,
                              const int* Dx) {
  if (!D->P || D->InPath) return;
  TDCState& S = D->S;
  QPainter& P = *D->P;
  P.setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (R && (Options & ETO_OPAQUE)) P.fillRect(D->MapRect(*R), ToQColor(S.BkColor));
  if (Text.empty()) return;

  std::vector<int> Own;
  if (!Dx) {
    Own = S.Advances(Text);
    Dx = Own.data();
  }
  long Total = 0;
  for (size_t I = 0; I < Text.size(); ++I) Total += Dx[I];
  bool UpdateCp = S.TextAlign & TA_UPDATECP;
  if (UpdateCp) {
    X = S.Pos.X;
    Y = S.Pos.Y;
  }
  TTextMetric M = FontEngine::Metrics(S.Font);
  double Xoff = 0, Yoff = 0;
  switch (S.TextAlign & TA_CENTER) {
    case TA_RIGHT: Xoff = -Total; break;
    case TA_CENTER: Xoff = -Total / 2.0; break;
    default: break;
  }
  switch (S.TextAlign & TA_BASELINE) {
    case TA_BASELINE: break;
    case TA_BOTTOM: Yoff = -M.Descent; break;
    default: Yoff = M.Ascent; break;
  }
  double Sx = D->ScaleX(), Sy = D->ScaleY();
  double Em = FontEngine::EmHeight(S.Font) * Sy;
  if (!std::isfinite(Em)) Em = 0;
  const QRawFont& Raw = QtSupport::RawFont(S.Font, std::clamp(Em, 1.0, 4096.0));
  QPointF Origin = D->MapF(X, Y);

  P.save();
  if (R && (Options & ETO_CLIPPED)) P.setClipRect(D->MapRect(*R), P.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  // Text stays upright on the device; the escapement turns it counter-clockwise.
  P.translate(Origin);
  if (S.Font.Escapement % 3600 != 0) P.rotate(-S.Font.Escapement / 10.0);
  double Stretch = Sy > 0 ? Sx / Sy : 1;
  if (std::abs(Stretch - 1) > 1e-6) P.scale(Stretch, 1);
  double Left = Xoff * Sy, Base = Yoff * Sy;
  if (S.BkMode == OPAQUE)
    P.fillRect(QRectF(Left, Base - M.Ascent * Sy, Total * Sy, (M.Ascent + M.Descent) * Sy), ToQColor(S.BkColor));

  // Outlines beyond this size overflow the rasteriser (and no page has them);
  // neither does a glyph squeezed or stretched a hundredfold.
  bool Drawable = Em > 0.2 && Em < 4096 && Em * Stretch < 4096 && Stretch > 0.01 && Stretch < 100 &&
                  std::isfinite(Origin.x()) && std::isfinite(Origin.y()) && std::abs(Origin.x()) < 1e7 &&
                  std::abs(Origin.y()) < 1e7;
  if (Raw.isValid() && Drawable) {
    QString Str = QString::fromUtf16(Text.data(), static_cast<qsizetype>(Text.size()));
    QList<quint32> Glyphs = Raw.glyphIndexesForString(Str);
    QList<QPointF> Pos;
    Pos.reserve(Glyphs.size());
    double Cum = 0;
    for (size_t I = 0; I < Text.size(); ++I) {
      bool Low = (Text[I] & 0xFC00) == 0xDC00 && I > 0 && (Text[I - 1] & 0xFC00) == 0xD800;
      double At = Left + Cum * Sy;
      if (std::abs(At) > 1e7) break;  // the rasteriser's fixed point ends there
      if (!Low) Pos.push_back(QPointF(At, Base));
      Cum += Dx[I];
    }
    Glyphs.resize(std::min(Glyphs.size(), Pos.size()));
    Pos.resize(Glyphs.size());
    QGlyphRun Run;
    Run.setRawFont(Raw);
    Run.setGlyphIndexes(Glyphs);
    Run.setPositions(Pos);
    P.setPen(ToQColor(S.TextColor));
    P.drawGlyphRun(QPointF(0, 0), Run);
    double Thick = std::max(1.0, Raw.lineThickness());
    if (S.Font.Underline)
      P.fillRect(QRectF(Left, Base + Raw.underlinePosition(), Total * Sy, Thick), ToQColor(S.TextColor));
    if (S.Font.StrikeOut)
      P.fillRect(QRectF(Left, Base - Raw.xHeight() / 2 - Thick / 2, Total * Sy, Thick), ToQColor(S.TextColor));
  }
  P.restore();
  if (UpdateCp) {
    double A = S.Font.Escapement / 10.0 * std::numbers::pi / 180;
    S.Pos.X += static_cast<int>(std::lround(Total * std::cos(A)));
    S.Pos.Y -= static_cast<int>(std::lround(Total * std::sin(A)));
  }
}

void TQtPainterDC::StretchDIBits(const TRect& Dest, const TRect& Src, const TDibView& Dib, uint32_t Rop) {
  if (!D->P) return;
  QPainter& P = *D->P;
  QPointF A = D->MapF(Dest.Left, Dest.Top), B = D->MapF(Dest.Right, Dest.Bottom);
  QRectF Target(QPointF(std::round(std::min(A.x(), B.x())), std::round(std::min(A.y(), B.y()))),
                QPointF(std::round(std::max(A.x(), B.x())), std::round(std::max(A.y(), B.y()))));
  if (Target.isEmpty()) return;
  if (Rop == BLACKNESS || Rop == WHITENESS || Rop == PATCOPY) {
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
    P.fillRect(Target, Rop == BLACKNESS   ? QBrush(Qt::black)
                       : Rop == WHITENESS ? QBrush(Qt::white)
                                          : D->MakeBrush(D->S.Brush));
    return;
  }
  if (!Dib.Pixels || Dib.Width <= 0 || Dib.Height <= 0) return;
  QImage Img(reinterpret_cast<const uchar*>(Dib.Pixels), Dib.Width, Dib.Height, Dib.Width * 4,
             Dib.HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  TRect S = NormalizedRect(Src);
  S = IntersectRect(S, Rect(0, 0, Dib.Width, Dib.Height));
  if (S.IsEmpty()) return;
  bool FlipX = (B.x() < A.x()) != (Src.Right < Src.Left), FlipY = (B.y() < A.y()) != (Src.Bottom < Src.Top);
  if (FlipX || FlipY) Img = Img.copy(S.Left, S.Top, S.Width(), S.Height()).mirrored(FlipX, FlipY), S = Rect(0, 0, S.Width(), S.Height());
  QPainter::CompositionMode Mode = QPainter::CompositionMode_SourceOver;
  bool Raster = D->IsRaster();
  if (Rop == SRCAND) Mode = Raster ? QPainter::RasterOp_SourceAndDestination : QPainter::CompositionMode_Multiply;
  else if (Rop == SRCPAINT) Mode = Raster ? QPainter::RasterOp_SourceOrDestination : QPainter::CompositionMode_Screen;
  else if (Rop == SRCINVERT) Mode = Raster ? QPainter::RasterOp_SourceXorDestination : QPainter::CompositionMode_Difference;
  P.save();
  P.setCompositionMode(Mode);
  P.setRenderHint(QPainter::SmoothPixmapTransform, D->S.StretchMode == HALFTONE);
  P.drawImage(Target, Img, QRectF(S.Left, S.Top, S.Width(), S.Height()));
  P.restore();
}
