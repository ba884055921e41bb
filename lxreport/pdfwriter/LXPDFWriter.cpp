// The PDF writer component: a shared library of its own, loaded by the PDF
// export filter by name at run time. It writes the document through Qt's PDF
// engine (embedded, subset fonts; compressed content; text stays selectable).
// Given an output (SetOutput), it writes each page as soon as the next begins
// and keeps only the page in progress, so its memory does not grow with the
// page count; without one it keeps every item until FinishDoc names the file.
//
// Items are placed at their own coordinates on pages of the size SetPageParams
// gives; the top margin is part of those coordinates already.
#include <QColor>
#include <QFile>
#include <QIODevice>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "lxreport/LXPDFItem.h"

#define LXPDF_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
using namespace LXPDFItem;

struct TItem {
  uint8_t Kind = 0;
  double X = 0, Y = 0, Width = 0, Height = 0, PenWidth = 0, ScaleX = 1, ScaleY = 1;
  int FontSize = 0;
  bool Bold = false, Italic = false, Filled = false;
  uint8_t Shape = 0;
  QColor PenColor, Color;
  QString FontName, Text;
  QImage Picture;
};

struct TPage {
  double Width, Height;
  std::vector<TItem> Items;
};

using TWriteOutput = int (*)(void* Context, const char* Data, int64_t Size);

// The document's bytes to the filter's output; once it refuses, nothing more is written.
class TOutputDevice : public QIODevice {
public:
  TOutputDevice(void* Context, TWriteOutput Write) : FContext(Context), FWrite(Write) {}
  bool Failed() const { return FFailed; }
  void Stop() { FFailed = true; }

protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* Data, qint64 Size) override {
    if (FFailed || !FWrite(FContext, Data, Size)) {
      FFailed = true;
      return -1;
    }
    return Size;
  }

private:
  void* FContext;
  TWriteOutput FWrite;
  bool FFailed = false;
};

class TPainter;

// A PDF being written page by page onto a device.
struct TPdfOut {
  QIODevice* Device = nullptr;
  std::unique_ptr<QPdfWriter> Writer;
  QPainter Painter;
  std::unique_ptr<TPainter> Draw;
  bool Failed = false;
  ~TPdfOut();
  void Page(const TPage& P);
  // Ends the document; whether it was all written.
  bool End();
};

// One document at a time, as the calls carry no handle.
struct TDocument {
  double PaperWidth = 595.2756, PaperHeight = 841.8898;  // A4 until told
  // The pages not written yet: the one in progress when streaming, all of them otherwise.
  std::vector<TPage> Pages;
  std::unique_ptr<TOutputDevice> Device;
  std::unique_ptr<TPdfOut> Out;
  TPage& Current() {
    if (Pages.empty()) Pages.push_back({PaperWidth, PaperHeight, {}});
    return Pages.back();
  }
};

std::mutex Lock;
std::unique_ptr<TDocument> Doc;

TDocument& Document() {
  if (!Doc) Doc = std::make_unique<TDocument>();
  return *Doc;
}

// A document given up: nothing more reaches the output, whose owner may be gone.
void Forget() {
  if (Doc && Doc->Device) Doc->Device->Stop();
  Doc.reset();
}

QColor Rgb(const uint8_t* R, size_t At) { return QColor(R[At], R[At + 1], R[At + 2]); }

// Reads a picture file of Width x Height pixels; a null image when it cannot be read.
QImage ReadPicture(const std::string& File, int Width, int Height) {
  if (File.empty() || Width <= 0 || Height <= 0 || int64_t(Width) * Height > 64 * 1024 * 1024) return {};
  QFile F(QString::fromStdString(File));
  if (!F.open(QIODevice::ReadOnly)) return {};
  QByteArray Text = F.readAll();
  // Six digits a pixel: a file too short for its picture was cut and is not drawn.
  if (Text.size() < int64_t(Width) * Height * 6) return {};
  QImage Image(Width, Height, QImage::Format_RGB32);
  if (Image.isNull()) return {};
  std::vector<uint32_t> Pixels(size_t(Width) * Height);
  LXPDFPicture::Decode(Text.constData(), size_t(Text.size()), Pixels.data(), Pixels.size());
  for (int Row = 0; Row < Height; ++Row) {
    auto* Line = reinterpret_cast<QRgb*>(Image.scanLine(Row));
    for (int Col = 0; Col < Width; ++Col) Line[Col] = 0xFF000000u | Pixels[size_t(Row) * Width + Col];
  }
  return Image;
}

TItem ReadItem(const uint8_t* R) {
  TItem I;
  I.Kind = R[Kind];
  I.X = double(GetFloat(R, X));
  I.Y = double(GetFloat(R, Y));
  I.Width = double(GetFloat(R, Width));
  I.Height = double(GetFloat(R, Height));
  I.PenWidth = double(GetFloat(R, PenWidth));
  I.ScaleX = double(GetFloat(R, ScaleX));
  I.ScaleY = double(GetFloat(R, ScaleY));
  I.FontSize = GetInt(R, FontSize);
  I.Bold = R[Bold] != 0;
  I.Italic = R[Italic] != 0;
  I.Filled = R[Filled] != 0;
  I.Shape = R[ShapeKind];
  I.PenColor = Rgb(R, PenColor);
  I.Color = Rgb(R, Color);
  if (I.Kind == KindText) {
    I.FontName = QString::fromStdString(GetText(R, FontName));
    I.Text = QString::fromStdString(GetText(R, Text));
  }
  return I;
}

bool Finite(const TItem& I) {
  for (double V : {I.X, I.Y, I.Width, I.Height, I.PenWidth, I.ScaleX, I.ScaleY})
    if (!std::isfinite(V) || std::fabs(V) > 1e7) return false;
  return true;
}

// Drawing in points on a writer of Dpi dots per inch.
class TPainter {
public:
  TPainter(QPainter& P, double Dpi) : FP(P), K(Dpi / 72.0) {}

  void Draw(const TItem& I) {
    if (!Finite(I)) return;
    switch (I.Kind) {
      case KindText: Text(I); break;
      case KindShape: Shape(I); break;
      case KindImage: Image(I); break;
      default: break;
    }
  }

private:
  void Text(const TItem& I) {
    if (I.Text.isEmpty() || I.FontSize <= 0 || I.FontSize > 10000) return;
    QFont F(I.FontName.isEmpty() ? QStringLiteral("Arial") : I.FontName);
    F.setPointSizeF(I.FontSize);
    F.setBold(I.Bold);
    F.setItalic(I.Italic);
    F.setKerning(false);
    FP.setFont(F);
    FP.setPen(I.Color);
    // Y is the line's top plus the font size; the baseline lies one ascent below the top.
    QFontMetricsF M(F, FP.device());
    double Top = (I.Y - I.FontSize) * K;
    // A tab in the data is one character the report measured as a blank; Qt would move the
    // rest of the line to its next tab stop.
    QString Text = I.Text;
    Text.replace(QChar(u'\t'), QChar(u' '));
    FP.drawText(QPointF(I.X * K, Top + M.ascent()), Text);
  }

  void Shape(const TItem& I) {
    // Pen widths are pixels of the report's pages (96 to the inch); 0 draws the finest line.
    QPen Pen(I.PenColor);
    Pen.setWidthF(std::max(0.0, I.PenWidth) * 0.75 * K);
    Pen.setCapStyle(Qt::FlatCap);
    Pen.setJoinStyle(Qt::MiterJoin);
    FP.setPen(Pen);
    FP.setBrush(I.Filled ? QBrush(I.Color) : QBrush(Qt::NoBrush));
    QRectF R(I.X * K, I.Y * K, I.Width * K, I.Height * K);
    double MidX = R.center().x(), MidY = R.center().y();
    switch (I.Shape) {
      case ShapeRectangle: FP.drawRect(R); break;
      case ShapeEllipse: FP.drawEllipse(R); break;
      case ShapeHorLine: FP.drawLine(QPointF(R.left(), MidY), QPointF(R.right(), MidY)); break;
      case ShapeVertLine: FP.drawLine(QPointF(MidX, R.top()), QPointF(MidX, R.bottom())); break;
      case ShapeRoundRect: {
        double Corner = std::min(R.width(), R.height()) / 8;
        FP.drawRoundedRect(R, Corner, Corner);
        break;
      }
      case ShapeTopAndBottom:
        FP.drawLine(R.topLeft(), R.topRight());
        FP.drawLine(R.bottomLeft(), R.bottomRight());
        break;
      case ShapeRightAndLeft:
        FP.drawLine(R.topLeft(), R.bottomLeft());
        FP.drawLine(R.topRight(), R.bottomRight());
        break;
      default: break;
    }
  }

  void Image(const TItem& I) {
    if (I.Picture.isNull()) return;
    // Y is the bottom edge; the drawn size is the item's size times its scales.
    double W = I.Width * I.ScaleX, H = I.Height * I.ScaleY;
    if (!(W > 0 && H > 0)) return;
    FP.drawImage(QRectF(I.X * K, (I.Y - H) * K, W * K, H * K), I.Picture);
  }

  QPainter& FP;
  double K;
};

QPageSize SizeOf(const TPage& P) {
  return QPageSize(QSizeF(std::clamp(P.Width, 1.0, 14400.0), std::clamp(P.Height, 1.0, 14400.0)), QPageSize::Point,
                   QString(), QPageSize::ExactMatch);
}

constexpr int Dpi = 1200;

TPdfOut::~TPdfOut() {
  Draw.reset();
  if (Painter.isActive()) Painter.end();
}

void TPdfOut::Page(const TPage& P) {
  if (Failed) return;
  if (!Writer) {
    Writer = std::make_unique<QPdfWriter>(Device);
    Writer->setResolution(Dpi);
    Writer->setCreator(QStringLiteral("Mivo Open Report"));
    Writer->setPageMargins(QMarginsF(0, 0, 0, 0));
    Writer->setPageSize(SizeOf(P));
    if (!Painter.begin(Writer.get())) {
      Failed = true;
      return;
    }
    Draw = std::make_unique<TPainter>(Painter, Dpi);
  } else {
    Writer->setPageSize(SizeOf(P));
    if (!Writer->newPage()) {
      Failed = true;
      return;
    }
  }
  for (const TItem& I : P.Items) Draw->Draw(I);
}

bool TPdfOut::End() {
  Draw.reset();
  return Writer && Painter.end() && !Failed;
}

// Writes the pages kept and ends the document (one blank page when there is none).
bool WriteRest(TDocument& D, TPdfOut& Out) {
  if (D.Pages.empty() && !Out.Writer) D.Pages.push_back({D.PaperWidth, D.PaperHeight, {}});
  for (const TPage& P : D.Pages) Out.Page(P);
  D.Pages.clear();
  return Out.End();
}

// Without an output: the whole document to the file named at the end.
bool WriteFile(TDocument& D, const std::string& FileName) {
  QFile File(QString::fromStdString(FileName));
  if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  bool Ok;
  {
    TPdfOut Out;
    Out.Device = &File;
    Ok = WriteRest(D, Out);
  }
  Ok = File.flush() && Ok;
  Ok = File.error() == QFileDevice::NoError && Ok;
  File.close();
  return Ok && File.error() == QFileDevice::NoError;
}
}  // namespace

// Owner is the filter's owner, unused: a new document begins.
LXPDF_EXPORT void InitLib(void*) {
  std::lock_guard<std::mutex> G(Lock);
  Forget();
  Document();
}

// Sizes in points; the top margin is part of the items' coordinates already.
LXPDF_EXPORT void SetPageParams(long double PaperWidth, long double PaperHeight, long double, long double,
                                long double) {
  std::lock_guard<std::mutex> G(Lock);
  TDocument& D = Document();
  if (!(PaperWidth > 0 && PaperHeight > 0 && PaperWidth < 1e5 && PaperHeight < 1e5)) return;
  D.PaperWidth = double(PaperWidth), D.PaperHeight = double(PaperHeight);
  // A page that holds nothing yet takes the new size.
  if (!D.Pages.empty() && D.Pages.back().Items.empty())
    D.Pages.back().Width = D.PaperWidth, D.Pages.back().Height = D.PaperHeight;
}

// The filter's output for the document's bytes: each page is written as the next begins.
LXPDF_EXPORT void SetOutput(void* Context, TWriteOutput Write) {
  std::lock_guard<std::mutex> G(Lock);
  TDocument& D = Document();
  if (D.Device) D.Device->Stop();
  D.Out.reset();
  D.Device.reset();
  if (!Write) return;
  D.Device = std::make_unique<TOutputDevice>(Context, Write);
  D.Device->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  D.Out = std::make_unique<TPdfOut>();
  D.Out->Device = D.Device.get();
}

LXPDF_EXPORT void AddPDFItem(const uint8_t* Item) {
  if (!Item) return;
  std::lock_guard<std::mutex> G(Lock);
  TDocument& D = Document();
  D.Current();
  if (Item[Kind] == KindPageBreak) {
    if (D.Out) {
      // The page is finished: out it goes, and its items with it.
      D.Out->Page(D.Pages.back());
      D.Pages.clear();
    }
    D.Pages.push_back({D.PaperWidth, D.PaperHeight, {}});
    return;
  }
  D.Current().Items.push_back(ReadItem(Item));
}

// The picture file is read now: the filter may remove it once the document ends.
// Answers 0 when a picture was named but could not be read.
LXPDF_EXPORT int AddImageItem(const uint8_t* Item, int32_t) {
  if (!Item) return 0;
  TItem I = ReadItem(Item);
  std::string File = GetText(Item, PictureFile);
  I.Picture = ReadPicture(File, GetInt(Item, PictureWidth), GetInt(Item, PictureHeight));
  bool Read = File.empty() || !I.Picture.isNull();
  std::lock_guard<std::mutex> G(Lock);
  Document().Current().Items.push_back(std::move(I));
  return Read ? 1 : 0;
}

// Writes the document and forgets it: to the output when one was given (FileName is then not
// used), else to FileName. Answers 1 when all of it was written, 0 otherwise.
LXPDF_EXPORT int FinishDoc(const char* FileName) {
  std::lock_guard<std::mutex> G(Lock);
  TDocument& D = Document();
  bool Ok = D.Out ? WriteRest(D, *D.Out) && !D.Device->Failed()
                  : FileName && *FileName && WriteFile(D, FileName);
  Forget();
  Document();
  return Ok ? 1 : 0;
}

LXPDF_EXPORT void CloseDownLib() {
  std::lock_guard<std::mutex> G(Lock);
  Forget();
}
