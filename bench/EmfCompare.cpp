// Compares the EMF player with other renderers: for each NAME.emf in a folder,
// plays it stretched over an image of the size of each reference picture
// NAME.<renderer>.png found in the reference folder, and prints how well the
// ink agrees. Not a test: the references are made on a developer's machine
// by other programs (see the Graphics README).
//
//   emf_compare EMF_DIR REF_DIR OUT_DIR [NAME...]
//
// For each pair it prints recall (share of the reference's ink that has ours
// within 2 pixels), precision (the other way round), their harmonic mean, and
// the bounding boxes of the ink; OUT_DIR gets our picture and the reference
// and ours side by side.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/app/Application.h"
#include "platform/graphics/EmfPlayer.h"
#include "platform/graphics/QtPainterDC.h"
#include "platform/rtl/SysUtils.h"

namespace {
constexpr int Reach = 2;  // pixels of slack for anti-aliasing and rounding

bool Inked(QRgb P) { return qRed(P) < 235 || qGreen(P) < 235 || qBlue(P) < 235; }

std::vector<uint8_t> InkMask(const QImage& I) {
  std::vector<uint8_t> M(size_t(I.width()) * I.height());
  for (int Y = 0; Y < I.height(); ++Y)
    for (int X = 0; X < I.width(); ++X) M[size_t(Y) * I.width() + X] = Inked(I.pixel(X, Y));
  return M;
}

// The mask grown by Reach pixels in every direction (a square).
std::vector<uint8_t> Grown(const std::vector<uint8_t>& M, int W, int H) {
  std::vector<uint8_t> Rows(M.size()), Out(M.size());
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      uint8_t V = 0;
      for (int K = std::max(0, X - Reach); K <= std::min(W - 1, X + Reach) && !V; ++K) V = M[size_t(Y) * W + K];
      Rows[size_t(Y) * W + X] = V;
    }
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      uint8_t V = 0;
      for (int K = std::max(0, Y - Reach); K <= std::min(H - 1, Y + Reach) && !V; ++K) V = Rows[size_t(K) * W + X];
      Out[size_t(Y) * W + X] = V;
    }
  return Out;
}

struct TBox {
  int L = 1 << 30, T = 1 << 30, R = -1, B = -1;
};
TBox BoxOf(const std::vector<uint8_t>& M, int W, int H) {
  TBox Bx;
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X)
      if (M[size_t(Y) * W + X]) Bx = TBox{std::min(Bx.L, X), std::min(Bx.T, Y), std::max(Bx.R, X + 1), std::max(Bx.B, Y + 1)};
  return Bx;
}

// Share of A's ink with ink of B near it; 1 when A has none.
double Covered(const std::vector<uint8_t>& A, const std::vector<uint8_t>& BGrown) {
  long N = 0, Hit = 0;
  for (size_t I = 0; I < A.size(); ++I)
    if (A[I]) ++N, Hit += BGrown[I];
  return N ? double(Hit) / N : 1.0;
}

QByteArray ReadAll(const QString& Path) {
  QFile F(Path);
  return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
}
}  // namespace

int main(int argc, char** argv) {
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  if (argc < 4) {
    std::fprintf(stderr, "usage: emf_compare EMF_DIR REF_DIR OUT_DIR [NAME...]\n");
    return 2;
  }
  QDir EmfDir(argv[1]), RefDir(argv[2]), OutDir(argv[3]);
  QStringList Names;
  for (int I = 4; I < argc; ++I) Names << QString(argv[I]);
  if (Names.isEmpty())
    for (const QString& F : EmfDir.entryList({"*.emf"}, QDir::Files, QDir::Name)) Names << F.chopped(4);
  std::printf("%-26s %-4s %9s %5s %5s %5s %5s  %-19s %-19s\n", "file", "ref", "size", "fail", "recl", "prec", "F",
              "ink ref", "ink ours");
  double Sum = 0;
  int Pairs = 0;
  for (const QString& Name : Names) {
    QByteArray Bytes = ReadAll(EmfDir.filePath(Name + ".emf"));
    for (const QString& RefFile : RefDir.entryList({Name + ".*.png"}, QDir::Files, QDir::Name)) {
      QString Renderer = RefFile.mid(Name.size() + 1).chopped(4);
      if (Renderer.contains('.')) continue;  // another file whose name starts with this one
      QImage Ref = QImage(RefDir.filePath(RefFile)).convertToFormat(QImage::Format_RGB32);
      int W = Ref.width(), H = Ref.height();
      QImage Ours(W, H, QImage::Format_RGB32);
      Ours.fill(Qt::white);
      TEmfPlayResult Res{};
      bool Raised = false;
      try {
        TQtPainterDC Dc(&Ours, 96, 96);
        Res = PlayEnhMetaFile(Dc, reinterpret_cast<const uint8_t*>(Bytes.constData()), size_t(Bytes.size()),
                              Rect(0, 0, W, H));
      } catch (const Exception&) {
        Raised = true;
      }
      std::vector<uint8_t> A = InkMask(Ref), B = InkMask(Ours);
      double Recall = Covered(A, Grown(B, W, H)), Precision = Covered(B, Grown(A, W, H));
      double F = Recall + Precision > 0 ? 2 * Recall * Precision / (Recall + Precision) : 0;
      TBox Ba = BoxOf(A, W, H), Bb = BoxOf(B, W, H);
      std::printf("%-26s %-4s %4dx%-4d %5d %5.3f %5.3f %5.3f  %4d,%4d-%4d,%4d  %4d,%4d-%4d,%4d%s\n",
                  Name.toUtf8().constData(), Renderer.left(4).toUtf8().constData(), W, H, Res.Failed, Recall,
                  Precision, F, Ba.L, Ba.T, Ba.R, Ba.B, Bb.L, Bb.T, Bb.R, Bb.B, Raised ? "  (raised)" : "");
      Sum += F;
      ++Pairs;
      Ours.save(OutDir.filePath(Name + ".ours.png"));
      QImage Side(W * 2 + 8, H, QImage::Format_RGB32);
      Side.fill(Qt::gray);
      {
        QPainter P(&Side);
        P.drawImage(0, 0, Ref);
        P.drawImage(W + 8, 0, Ours);
      }
      Side.save(OutDir.filePath(Name + "." + Renderer + ".side.png"));
    }
  }
  if (Pairs) std::printf("pairs: %d, mean F: %.3f\n", Pairs, Sum / Pairs);
  FinalizeApplication();
  return 0;
}
