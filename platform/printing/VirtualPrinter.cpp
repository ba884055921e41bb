#include "platform/printing/VirtualPrinter.h"

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/graphics/QtPainterDC.h"
#include "platform/printing/PaperSizes.h"
#include "platform/printing/Printers.h"

namespace {
int ToPixels(int Tenths, int Ppi) { return (Tenths * Ppi + 127) / 254; }
}  // namespace

TVirtualPrinter::TVirtualPrinter(std::string Name, TVirtualPrinterConfig Config)
    : FName(std::move(Name)), FConfig(std::move(Config)) {}

TDeviceMode TVirtualPrinter::DefaultDeviceMode() {
  TDeviceMode M = FConfig.Defaults;
  M.Fields = FConfig.SupportedFields;
  if (!FConfig.Bins.empty()) {
    M.Fields |= DM_DEFAULTSOURCE;
    if (M.DefaultSource == 0) M.DefaultSource = static_cast<int16_t>(FConfig.Bins.front().Code);
  }
  if (!M.Has(DM_COLOR)) M.Color = FConfig.Color ? 2 : 1;
  return M;
}

std::vector<TPaperInfo> TVirtualPrinter::Papers() {
  if (!FConfig.Papers.empty()) return FConfig.Papers;
  std::vector<TPaperInfo> L;
  for (int Code : {DMPAPER_A4, DMPAPER_LETTER, DMPAPER_LEGAL, DMPAPER_A3, DMPAPER_A5}) {
    const TPaperSizeRow* R = FindPaperSize(Code);
    L.push_back({Code, R->Name, R->Width, R->Height});
  }
  return L;
}

TDriverCapabilities TVirtualPrinter::Capabilities() {
  return FConfig.Capabilities ? *FConfig.Capabilities : TPrinterDriver::Capabilities();
}

bool TVirtualPrinter::SetForm(const TPaperForm& Form) {
  for (TPaperForm& F : FForms)
    if (F.Name == Form.Name) {
      F = Form;
      return true;
    }
  FForms.push_back(Form);
  return true;
}

TDeviceCaps TVirtualPrinter::DeviceCaps(const TDeviceMode& Mode) {
  int W, H;
  ResolveSheet(Mode, Papers(), FConfig.Defaults, W, H);
  TDeviceCaps C;
  C.PixelsPerInchX = FConfig.PixelsPerInchX;
  C.PixelsPerInchY = FConfig.PixelsPerInchY;
  C.PhysicalWidth = ToPixels(W, C.PixelsPerInchX);
  C.PhysicalHeight = ToPixels(H, C.PixelsPerInchY);
  C.PhysicalOffsetX = ToPixels(FConfig.MarginLeft, C.PixelsPerInchX);
  C.PhysicalOffsetY = ToPixels(FConfig.MarginTop, C.PixelsPerInchY);
  C.PageWidth = C.PhysicalWidth - C.PhysicalOffsetX - ToPixels(FConfig.MarginRight, C.PixelsPerInchX);
  C.PageHeight = C.PhysicalHeight - C.PhysicalOffsetY - ToPixels(FConfig.MarginBottom, C.PixelsPerInchY);
  C.IsColor = FConfig.Color;
  return C;
}

class TVirtualJob : public TPrintJob {
public:
  TVirtualJob(TVirtualPrinter& Printer, size_t JobIndex, const TDeviceMode& Mode)
      : FPrinter(Printer), FJobIndex(JobIndex) {
    const std::string& File = Printer.FConfig.OutputFile;
    if (!File.empty()) {
      FPdf = std::make_unique<QPdfWriter>(QString::fromStdString(File));
      FPdf->setResolution(1200);
      FPdf->setTitle(QString::fromStdString(Job().Title));
      FPdf->setPageMargins(QMarginsF(0, 0, 0, 0));
    }
    StartPage(Mode);
  }
  ~TVirtualJob() override {
    if (!FDone) Abort();
  }

  TDeviceContext& DeviceContext() override { return *FDC; }

  void NewPage(const TDeviceMode& Mode) override {
    FinishPage();
    StartPage(Mode);
  }

  void End() override {
    FinishPage();
    if (FPdf && FPdfPainter.isActive()) FPdfPainter.end();
    FPdf.reset();
    Job().Ended = true;
    FDone = true;
  }

  void Abort() override {
    FDC.reset();
    if (FPainter.isActive()) FPainter.end();
    if (FPdfPainter.isActive()) FPdfPainter.end();
    if (FPdf) {
      FPdf.reset();
      std::remove(FPrinter.FConfig.OutputFile.c_str());
    }
    Job().Aborted = true;
    FDone = true;
  }

private:
  TVirtualPrinter::TJob& Job() { return FPrinter.FJobs[FJobIndex]; }

  void StartPage(const TDeviceMode& Mode) {
    FCaps = FPrinter.DeviceCaps(Mode);
    // The device is the printable area; the sheet around it is added when the page ends. Pages of
    // one size share the image (the sheet is a copy), so a long job does not map memory afresh per page.
    QSize Size(std::max(FCaps.PageWidth, 1), std::max(FCaps.PageHeight, 1));
    if (FPage.size() != Size) FPage = QImage(Size, QImage::Format_RGB32);
    FPage.fill(Qt::white);
    FPage.setDotsPerMeterX(qRound(FCaps.PixelsPerInchX / 0.0254));
    FPage.setDotsPerMeterY(qRound(FCaps.PixelsPerInchY / 0.0254));
    FPainter.begin(&FPage);
    FDC = std::make_unique<TQtPainterDC>(&FPainter, FCaps.PixelsPerInchX, FCaps.PixelsPerInchY);
    Job().PageModes.push_back(Mode);
    ++Job().PageCount;
  }

  void FinishPage() {
    FDC.reset();
    FPainter.end();
    if (!FPdf && !FPrinter.FConfig.KeepPageImages) return;  // nobody looks at the sheet
    QImage Sheet(FCaps.PhysicalWidth, FCaps.PhysicalHeight, QImage::Format_RGB32);
    Sheet.fill(Qt::white);
    Sheet.setDotsPerMeterX(FPage.dotsPerMeterX());
    Sheet.setDotsPerMeterY(FPage.dotsPerMeterY());
    {
      QPainter S(&Sheet);
      S.drawImage(FCaps.PhysicalOffsetX, FCaps.PhysicalOffsetY, FPage);
    }
    if (FPdf) {
      QSizeF Mm(FCaps.PhysicalWidth * 25.4 / FCaps.PixelsPerInchX, FCaps.PhysicalHeight * 25.4 / FCaps.PixelsPerInchY);
      QPageSize Size(Mm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
      if (!FPdfPainter.isActive()) {
        FPdf->setPageSize(Size);
        FPdfPainter.begin(FPdf.get());
      } else {
        FPdf->setPageSize(Size);
        FPdf->newPage();
      }
      QRect Target = FPdfPainter.viewport();
      FPdfPainter.drawImage(Target, Sheet);
    }
    if (FPrinter.FConfig.KeepPageImages) Job().Pages.push_back(std::move(Sheet));
  }

  TVirtualPrinter& FPrinter;
  size_t FJobIndex;
  TDeviceCaps FCaps;
  QImage FPage;
  QPainter FPainter;
  std::unique_ptr<TQtPainterDC> FDC;  // over FPainter, one per page
  std::unique_ptr<QPdfWriter> FPdf;
  QPainter FPdfPainter;
  bool FDone = false;
};

std::unique_ptr<TPrintJob> TVirtualPrinter::StartDoc(const TDeviceMode& Mode, const std::string& Title) {
  TJob J;
  J.Title = Title;
  FJobs.push_back(std::move(J));
  return std::make_unique<TVirtualJob>(*this, FJobs.size() - 1, Mode);
}
