#include "platform/graphics/PdfDocument.h"

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/classes/ClassesConsts.h"
#include "platform/graphics/QtPainterDC.h"
#include "platform/graphics/QtSupport.h"
#include "platform/rtl/SysUtils.h"

struct TPdfDocument::Impl {
  std::unique_ptr<QPdfWriter> Writer;
  QPainter Painter;
  std::unique_ptr<TQtPainterDC> Dc;
};

TPdfDocument::TPdfDocument(std::string FileName, int Ppi)
    : D(std::make_unique<Impl>()), FFileName(std::move(FileName)), FPpi(std::clamp(Ppi, 72, 2400)) {}

TPdfDocument::~TPdfDocument() {
  D->Dc.reset();
  if (D->Painter.isActive()) D->Painter.end();
}

TDeviceContext& TPdfDocument::BeginPage(int WidthHmm, int HeightHmm) {
  QtSupport::RequireGraphics();
  // A page of 0.1 mm to 5 m, as a damaged page may claim anything.
  WidthHmm = std::clamp(WidthHmm, 10, 500000), HeightHmm = std::clamp(HeightHmm, 10, 500000);
  QPageSize Size(QSizeF(WidthHmm / 100.0, HeightHmm / 100.0), QPageSize::Millimeter, QString(),
                 QPageSize::ExactMatch);
  D->Dc.reset();
  if (!D->Writer) {
    D->Writer = std::make_unique<QPdfWriter>(QString::fromStdString(FFileName));
    D->Writer->setResolution(FPpi);
    D->Writer->setCreator(QStringLiteral("Mivo Open Report"));
    D->Writer->setPageMargins(QMarginsF(0, 0, 0, 0));
    D->Writer->setPageSize(Size);
    errno = 0;
    if (!D->Painter.begin(D->Writer.get())) {
      int Error = errno;
      D->Writer.reset();
      throw EFCreateError(Format(SFCreateError, {FFileName, Error ? std::strerror(Error) : "PDF"}));
    }
  } else {
    D->Writer->setPageSize(Size);
    D->Writer->newPage();
  }
  FPageWidth = static_cast<int>(WidthHmm * static_cast<int64_t>(FPpi) / 2540);
  FPageHeight = static_cast<int>(HeightHmm * static_cast<int64_t>(FPpi) / 2540);
  D->Painter.resetTransform();
  D->Dc = std::make_unique<TQtPainterDC>(&D->Painter, FPpi, FPpi);
  return *D->Dc;
}

void TPdfDocument::End() {
  if (!D->Writer) BeginPage(21000, 29700);
  D->Dc.reset();
  if (!D->Painter.end()) throw EWriteError(SWriteError);
  D->Writer.reset();
}
