// TQtPainterDC: text and bitmaps.
#include <QGlyphRun>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <QRawFont>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/graphics/FontEngine.h"
#include "platform/graphics/QtPainterImpl.h"
#include "platform/graphics/QtSupport.h"

std::vector<int> TQtPainterDC::CharAdvances(const std::u16string& Text) const { return D->S.Advances(Text); }

TTextMetric TQtPainterDC::TextMetrics() const { return FontEngine::Metrics(D->S.Font); }

namespace {
constexpr double kDegree = std::numbers::pi / 1800;  // tenths of a degree to radians

// How a line of text lies on the device. Logical offsets (A along the
// baseline, B down across it, both from the reference point) map to device
// offsets through Along and Across; glyphs are drawn in a frame whose unit is a
// pixel of the font rasterised at the em size, mapped to the device by Glyph.
struct TTextFrame {
  QPointF Along, Across;  // device vector of one logical unit
  QTransform Glyph;       // linear part only
  QTransform ToGlyph;     // device offsets into the glyph frame
  bool Valid = false;
  QPointF Device(double A, double B) const { return A * Along + B * Across; }
  QPointF InGlyph(double A, double B) const { return ToGlyph.map(Device(A, B)); }
};

QPointF Vec(double X, double Y) { return QPointF(X, Y); }

// GM_COMPATIBLE: text stays upright and unmirrored; the escapement turns
// counter-clockwise on the device unless the transform flips one axis, when it
// turns the other way (outline fonts follow the coordinate system's
// handedness). Only the escapement counts; glyphs turn with the baseline.
// GM_ADVANCED: everything is in logical space (escapement for the baseline,
// orientation for the glyphs) and then follows the transform, mirroring included.
TTextFrame MakeFrame(const TDCState& S, double Sx, double Sy) {
  const TXForm& W = S.World;
  TTextFrame F;
  if (!(Sy > 0) || !(Sx > 0)) return F;
  if (S.GraphicsMode == GM_ADVANCED) {
    auto Map = [&](double X, double Y) { return Vec(W.M11 * X + W.M21 * Y, W.M12 * X + W.M22 * Y); };
    double E = S.Font.Escapement * kDegree, O = S.Font.Orientation * kDegree;
    F.Along = Map(std::cos(E), -std::sin(E));
    F.Across = Map(std::sin(E), std::cos(E));
    QPointF Gx = Map(std::cos(O), -std::sin(O)) / Sy, Gy = Map(std::sin(O), std::cos(O)) / Sy;
    F.Glyph = QTransform(Gx.x(), Gx.y(), Gy.x(), Gy.y(), 0, 0);
  } else {
    bool Flipped = W.M11 * W.M22 - W.M12 * W.M21 < 0;
    double A = (Flipped ? -S.Font.Escapement : S.Font.Escapement) * kDegree;
    QPointF U = Vec(std::cos(A), -std::sin(A)), V = Vec(std::sin(A), std::cos(A));
    F.Along = U * Sx;
    F.Across = V * Sy;
    double Stretch = Sx / Sy;
    F.Glyph = QTransform(U.x() * Stretch, U.y() * Stretch, V.x(), V.y(), 0, 0);
  }
  bool Invertible = false;
  F.ToGlyph = F.Glyph.inverted(&Invertible);
  // A glyph squeezed, stretched or sheared a hundredfold is no text any page has (and the
  // rasteriser fails on glyphs squeezed to a pixel or two across): the frame's longest axis is
  // at most a hundred times its shortest.
  double Det = std::abs(F.Glyph.determinant());
  double Sq = F.Glyph.m11() * F.Glyph.m11() + F.Glyph.m12() * F.Glyph.m12() + F.Glyph.m21() * F.Glyph.m21() +
              F.Glyph.m22() * F.Glyph.m22();
  double Longest2 = (Sq + std::sqrt(std::max(0.0, Sq * Sq - 4 * Det * Det))) / 2;  // squared
  F.Valid = Invertible && Det > 1e-4 && Det < 1e4 && std::abs(F.Glyph.m11()) < 100 &&
            std::abs(F.Glyph.m12()) < 100 && std::abs(F.Glyph.m21()) < 100 && std::abs(F.Glyph.m22()) < 100 &&
            Longest2 <= 100 * Det;
  return F;
}
}  // namespace

void TQtPainterDC::ExtTextOut(int X, int Y, uint32_t Options, const TRect* R, const std::u16string& Text,
                              const int* Dx) {
  if (!D->P || D->InPath) return;
  TDCState& S = D->S;
  QPainter& P = *D->P;
  P.setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (R && (Options & ETO_OPAQUE)) P.fillRect(D->MapRect(*R), ToQColor(S.BkColor));
  if (Text.empty()) return;

  double Sx = D->ScaleX(), Sy = D->ScaleY();
  TTextFrame F = MakeFrame(S, Sx, Sy);
  // Where each character starts along the baseline, in logical units. Given
  // advances are the writer's; without them glyphs go at the font's own
  // advances, placed at whole device pixels rather than whole logical units.
  std::vector<double> Start(Text.size() + 1, 0.0);
  if (Dx) {
    for (size_t I = 0; I < Text.size(); ++I) Start[I + 1] = Start[I] + Dx[I];
  } else {
    std::vector<double> A = FontEngine::JustifiedAdvances(S.Font, Text, S.JustExtra, S.JustCount);
    for (size_t I = 0; I < Text.size(); ++I) Start[I + 1] = Start[I] + A[I];
  }
  double Total = Start.back();
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
  double Em = FontEngine::EmHeight(S.Font) * Sy;
  if (!std::isfinite(Em)) Em = 0;
  const QRawFont& Raw = QtSupport::RawFont(S.Font, std::clamp(Em, 1.0, 4096.0));
  QPointF Origin = D->MapF(X, Y);
  bool Placed = F.Valid && std::isfinite(Origin.x()) && std::isfinite(Origin.y()) && std::abs(Origin.x()) < 1e7 &&
                std::abs(Origin.y()) < 1e7;
  // As GDI does, the reference point and each glyph sit on whole device pixels
  // (along the baseline), whatever the logical unit.
  if (Placed) Origin = QPointF(std::round(Origin.x()), std::round(Origin.y()));
  double Pitch = std::hypot(F.Along.x(), F.Along.y());  // device pixels per logical unit along the baseline
  auto OnPixel = [Pitch](double A) {
    double D = A * Pitch;
    return Pitch > 1e-9 && std::abs(D) < 1e9 ? std::round(D) / Pitch : A;
  };

  if (Placed) {
    P.save();
    if (R && (Options & ETO_CLIPPED))
      P.setClipRect(D->MapRect(*R), P.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    P.setTransform(F.Glyph * QTransform::fromTranslate(Origin.x(), Origin.y()), true);
    // A band across the text from B0 to B1 (logical units below the reference point).
    auto Band = [&](double B0, double B1, const QColor& C) {
      QPointF A = F.InGlyph(Xoff, B0), B = F.InGlyph(Xoff + Total, B1);
      if (F.ToGlyph.type() <= QTransform::TxScale) {
        P.fillRect(QRectF(A, B).normalized(), C);
      } else {
        QPainterPath Pp;
        Pp.addPolygon(QPolygonF({A, F.InGlyph(Xoff + Total, B0), B, F.InGlyph(Xoff, B1)}));
        P.fillPath(Pp, C);
      }
    };
    if (S.BkMode == OPAQUE) Band(Yoff - M.Ascent, Yoff + M.Descent, ToQColor(S.BkColor));

    // Outlines beyond this size overflow the rasteriser (and no page has them).
    double Reach = Em * std::max(std::hypot(F.Glyph.m11(), F.Glyph.m12()), std::hypot(F.Glyph.m21(), F.Glyph.m22()));
    if (Raw.isValid() && Em > 0.2 && Reach < 4096) {
      QString Str = QString::fromUtf16(Text.data(), static_cast<qsizetype>(Text.size()));
      QList<quint32> Glyphs = Raw.glyphIndexesForString(Str);
      QList<QPointF> Pos;
      Pos.reserve(Glyphs.size());
      for (size_t I = 0; I < Text.size(); ++I) {
        bool Low = (Text[I] & 0xFC00) == 0xDC00 && I > 0 && (Text[I - 1] & 0xFC00) == 0xD800;
        QPointF At = F.InGlyph(OnPixel(Xoff + Start[I]), Yoff);
        if (std::abs(At.x()) > 1e7 || std::abs(At.y()) > 1e7) break;  // the rasteriser's fixed point ends there
        if (!Low) Pos.push_back(At);
      }
      Glyphs.resize(std::min(Glyphs.size(), Pos.size()));
      Pos.resize(Glyphs.size());
      QGlyphRun Run;
      Run.setRawFont(Raw);
      Run.setGlyphIndexes(Glyphs);
      Run.setPositions(Pos);
      P.setPen(ToQColor(S.TextColor));
      P.drawGlyphRun(QPointF(0, 0), Run);
      double Thick = std::max(1.0, Raw.lineThickness()) / Sy;
      if (S.Font.Underline) {
        double At = Yoff + Raw.underlinePosition() / Sy;
        Band(At, At + Thick, ToQColor(S.TextColor));
      }
      if (S.Font.StrikeOut) {
        double At = Yoff - Raw.xHeight() / 2 / Sy - Thick / 2;
        Band(At, At + Thick, ToQColor(S.TextColor));
      }
    }
    P.restore();
  }
  if (UpdateCp) {
    // The current position moves along the baseline as drawn, back in logical units.
    QPointF Step = F.Device(Total, 0);
    const TXForm& W = S.World;
    double Det = W.M11 * W.M22 - W.M12 * W.M21;
    // Kept within GDI's 27-bit coordinates, however far a damaged record moves it.
    auto Moved = [](int From, double By) {
      double To = std::round(From + By);
      return static_cast<int>(std::isfinite(To) ? std::clamp(To, -134217728.0, 134217728.0) : From);
    };
    if (F.Valid && std::abs(Det) > 1e-12) {
      S.Pos.X = Moved(S.Pos.X, (Step.x() * W.M22 - Step.y() * W.M21) / Det);
      S.Pos.Y = Moved(S.Pos.Y, (Step.y() * W.M11 - Step.x() * W.M12) / Det);
    }
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
