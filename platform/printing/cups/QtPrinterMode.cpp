#include "platform/printing/cups/QtPrinterMode.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "platform/printing/PaperSizes.h"

namespace {
int Tenths(double Millimetres) { return static_cast<int>(std::lround(Millimetres * 10.0)); }

// Windows bins and Qt's paper sources name the same trays.
struct TBinSource {
  int Bin;
  QPrinter::PaperSource Source;
};
constexpr TBinSource BinSources[] = {
    {DMBIN_ONLYONE, QPrinter::OnlyOne},       {DMBIN_LOWER, QPrinter::Lower},
    {DMBIN_MIDDLE, QPrinter::Middle},         {DMBIN_MANUAL, QPrinter::Manual},
    {DMBIN_ENVELOPE, QPrinter::Envelope},     {DMBIN_ENVMANUAL, QPrinter::EnvelopeManual},
    {DMBIN_AUTO, QPrinter::Auto},             {DMBIN_TRACTOR, QPrinter::Tractor},
    {DMBIN_SMALLFMT, QPrinter::SmallFormat},  {DMBIN_LARGEFMT, QPrinter::LargeFormat},
    {DMBIN_LARGECAPACITY, QPrinter::LargeCapacity}, {DMBIN_CASSETTE, QPrinter::Cassette},
    {DMBIN_FORMSOURCE, QPrinter::FormSource},
};

// The mode's sheet as a Qt page size: the Windows code's size unless the mode's own width and
// length say otherwise.
bool PageSizeOf(const TDeviceMode& Mode, QPageSize& Size) {
  int W, L;
  if (!DeviceModePaperSize(Mode, W, L)) return false;
  if (Mode.Has(DM_PAPERSIZE) && Mode.PaperSize > 0 && Mode.PaperSize < DMPAPER_USER) {
    QPageSize ById(QPageSize::id(Mode.PaperSize));
    QSizeF Mm = ById.size(QPageSize::Millimeter);
    if (ById.isValid() && std::abs(Tenths(Mm.width()) - W) <= 10 && std::abs(Tenths(Mm.height()) - L) <= 10) {
      Size = ById;
      return true;
    }
  }
  Size = QPageSize(QSizeF(W / 10.0, L / 10.0), QPageSize::Millimeter);
  return true;
}
}  // namespace

void DeviceModeToQPrinter(const TDeviceMode& Mode, QPrinter& P) {
  if (QPageSize Size; PageSizeOf(Mode, Size)) P.setPageSize(Size);
  if (Mode.Has(DM_ORIENTATION))
    P.setPageOrientation(Mode.Orientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape : QPageLayout::Portrait);
  if (Mode.Has(DM_COPIES)) P.setCopyCount(std::max<int>(1, Mode.Copies));
  if (Mode.Has(DM_COLLATE)) P.setCollateCopies(Mode.Collate != 0);
  if (Mode.Has(DM_COLOR)) P.setColorMode(Mode.Color == 1 ? QPrinter::GrayScale : QPrinter::Color);
  if (Mode.Has(DM_DUPLEX))
    P.setDuplex(Mode.Duplex == DMDUP_VERTICAL     ? QPrinter::DuplexLongSide
                : Mode.Duplex == DMDUP_HORIZONTAL ? QPrinter::DuplexShortSide
                                                  : QPrinter::DuplexNone);
  if (Mode.Has(DM_DEFAULTSOURCE))
    for (const TBinSource& B : BinSources)
      if (B.Bin == Mode.DefaultSource) P.setPaperSource(B.Source);
}

TDeviceMode DeviceModeOfQPrinter(const QPrinter& P) {
  TDeviceMode M;
  M.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_COLLATE | DM_COLOR;
  QPageLayout Layout = P.pageLayout();
  M.Orientation = static_cast<int16_t>(Layout.orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE
                                                                                       : DMORIENT_PORTRAIT);
  QPageSize Size = Layout.pageSize();
  QSizeF Mm = Size.size(QPageSize::Millimeter);  // portrait, whatever the orientation
  M.PaperWidth = static_cast<int16_t>(Tenths(Mm.width()));
  M.PaperLength = static_cast<int16_t>(Tenths(Mm.height()));
  int Code = Size.windowsId();
  if (Code <= 0 || Code >= DMPAPER_USER) Code = PaperCodeForSize(M.PaperWidth, M.PaperLength, 2);
  M.PaperSize = static_cast<int16_t>(Code > 0 ? Code : DMPAPER_USER);
  M.Copies = static_cast<int16_t>(std::clamp(P.copyCount(), 1, 32767));
  M.Collate = P.collateCopies() ? 1 : 0;
  M.Color = P.colorMode() == QPrinter::GrayScale ? 1 : 2;
  M.Fields |= DM_DUPLEX;
  switch (P.duplex()) {
    case QPrinter::DuplexLongSide:
    case QPrinter::DuplexAuto: M.Duplex = DMDUP_VERTICAL; break;
    case QPrinter::DuplexShortSide: M.Duplex = DMDUP_HORIZONTAL; break;
    default: M.Duplex = DMDUP_SIMPLEX; break;
  }
  for (const TBinSource& B : BinSources)
    if (B.Source == P.paperSource()) {
      M.Fields |= DM_DEFAULTSOURCE;
      M.DefaultSource = static_cast<int16_t>(B.Bin);
      break;
    }
  return M;
}
