#include "platform/graphics/PdfDocument.h"

#include <QIODevice>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <exception>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/Streams.h"
#include "platform/graphics/QtPainterDC.h"
#include "platform/graphics/QtSupport.h"
#include "platform/rtl/SysUtils.h"

namespace {
// Qt's PDF engine writes through this into our stream. An exception may not cross Qt, so the
// first one is kept for the document to raise; after it nothing more is written.
class TStreamDevice : public QIODevice {
public:
  explicit TStreamDevice(TStream& Output) : FOutput(Output) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
  std::exception_ptr Error() const { return FError; }

protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* Data, qint64 Size) override {
    if (FError) return -1;
    try {
      FOutput.WriteBuffer(Data, Size);
      return Size;
    } catch (...) {
      FError = std::current_exception();
      return -1;
    }
  }

private:
  TStream& FOutput;
  std::exception_ptr FError;
};
}  // namespace

struct TPdfDocument::Impl {
  explicit Impl(TStream& Output) : Device(Output) {}
  TStreamDevice Device;
  std::unique_ptr<QPdfWriter> Writer;
  QPainter Painter;
  std::unique_ptr<TQtPainterDC> Dc;
};

TPdfDocument::TPdfDocument(TStream& Output, int Ppi)
    : D(std::make_unique<Impl>(Output)), FPpi(std::clamp(Ppi, 72, 2400)) {}

TPdfDocument::~TPdfDocument() {
  D->Dc.reset();
  if (D->Painter.isActive()) D->Painter.end();
}

void TPdfDocument::CheckOutput() {
  if (auto Error = D->Device.Error()) std::rethrow_exception(Error);
}

TDeviceContext& TPdfDocument::BeginPage(int WidthHmm, int HeightHmm) {
  QtSupport::RequireGraphics();
  // A page of 0.1 mm to 5 m, as a damaged page may claim anything; in whole points, as the
  // page boxes are written (rounding a millimetre size up would make A4 596 points wide).
  WidthHmm = std::clamp(WidthHmm, 10, 500000), HeightHmm = std::clamp(HeightHmm, 10, 500000);
  const int WidthPt = std::max(1, static_cast<int>(std::lround(WidthHmm * 72.0 / 2540)));
  const int HeightPt = std::max(1, static_cast<int>(std::lround(HeightHmm * 72.0 / 2540)));
  QPageSize Size(QSize(WidthPt, HeightPt), QString(), QPageSize::ExactMatch);
  D->Dc.reset();
  if (!D->Writer) {
    D->Writer = std::make_unique<QPdfWriter>(&D->Device);
    D->Writer->setResolution(FPpi);
    D->Writer->setCreator(QStringLiteral("Mivo Open Report"));
    D->Writer->setPageMargins(QMarginsF(0, 0, 0, 0));
    D->Writer->setPageSize(Size);
    if (!D->Painter.begin(D->Writer.get())) {
      D->Writer.reset();
      CheckOutput();
      throw EWriteError(SWriteError);
    }
  } else {
    D->Writer->setPageSize(Size);
    D->Writer->newPage();
  }
  // The page before went out with newPage: a full disk stops here.
  CheckOutput();
  FPageWidth = static_cast<int>(WidthPt * static_cast<int64_t>(FPpi) / 72);
  FPageHeight = static_cast<int>(HeightPt * static_cast<int64_t>(FPpi) / 72);
  D->Painter.resetTransform();
  D->Dc = std::make_unique<TQtPainterDC>(&D->Painter, FPpi, FPpi);
  return *D->Dc;
}

void TPdfDocument::End() {
  if (!D->Writer) BeginPage(21000, 29700);
  D->Dc.reset();
  const bool Ended = D->Painter.end();
  D->Writer.reset();
  CheckOutput();
  if (!Ended) throw EWriteError(SWriteError);
}
