#include "platform/graphics/FontEngine.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QMutex>
#include <QString>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>

#include "platform/graphics/GraphicsConsts.h"
#include "platform/graphics/GraphicsInit.h"
#include "platform/graphics/QtSupport.h"
#include "platform/rtl/SysUtils.h"

namespace {
struct TFaceKey {
  std::string Family;
  int Weight;
  bool Italic;
  double Px;
  auto Tie() const { return std::tie(Family, Weight, Italic, Px); }
  bool operator<(const TFaceKey& B) const { return Tie() < B.Tie(); }
};

QMutex CacheLock;
// A raw font holds Qt's font engine, whose FreeType face may not be used by two threads at once
// (a job printed in the background beside one in the foreground): each thread keeps its own.
thread_local std::map<TFaceKey, QRawFont> RawCache;
std::map<std::tuple<std::string, int, bool>, double> CellRatioCache;

int QtWeight(int W) { return W >= 600 ? QFont::Bold : QFont::Normal; }

// The family Qt draws for a family name (a raw font's own name can be missing).
QString UsedFamily(const std::string& Family) { return QFontInfo(QFont(QString::fromStdString(Family))).family(); }

QRawFont MakeRaw(const std::string& Family, int Weight, bool Italic, double Px) {
  QFont F(QString::fromStdString(Family));
  F.setPixelSize(static_cast<int>(std::lround(std::clamp(Px, 1.0, 100000.0))));
  F.setWeight(static_cast<QFont::Weight>(QtWeight(Weight)));
  F.setItalic(Italic);
  F.setKerning(false);
  F.setHintingPreference(QFont::PreferNoHinting);
  F.setStyleStrategy(QFont::StyleStrategy(QFont::ForceOutline | QFont::NoFontMerging));
  QRawFont R = QRawFont::fromFont(F);
  R.setPixelSize(Px);
  // Metrics and looks follow the face drawn: say once which one stood in.
  // A damaged file can name any number of faces: a few dozen are told.
  static std::set<std::string> Reported;
  QMutexLocker L(&CacheLock);
  if (Reported.size() < 64 && !Reported.count(Family)) {
    QString Used = UsedFamily(Family);
    if (Used.compare(QString::fromStdString(Family), Qt::CaseInsensitive) != 0) {
      Reported.insert(Family);
      std::fprintf(stderr, "mor: font \"%s\" is not installed; \"%s\" is drawn in its place%s\n", Family.c_str(),
                   Used.toStdString().c_str(), Family.rfind("Liberation", 0) == 0 ? " (install fonts-liberation)" : "");
    }
  }
  return R;
}

// (ascent + descent) / em of a face: converts GDI cell heights to em heights.
double CellRatio(const TLogFont& Font) {
  std::string Family = FontEngine::MapFaceName(Font.FaceName);
  auto Key = std::make_tuple(Family, QtWeight(Font.Weight), Font.Italic);
  {
    QMutexLocker L(&CacheLock);
    auto It = CellRatioCache.find(Key);
    if (It != CellRatioCache.end()) return It->second;
  }
  const QRawFont& R = QtSupport::RawFont(Font, 1000);
  double Ratio = R.isValid() ? (R.ascent() + R.descent()) / 1000.0 : 1.15;
  if (Ratio <= 0) Ratio = 1.15;
  QMutexLocker L(&CacheLock);
  CellRatioCache[Key] = Ratio;
  return Ratio;
}
}  // namespace

namespace {
std::atomic<bool> Initialized{false};
}  // namespace

void InitializeGraphics() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    throw EInvalidOperation(SGraphicsWithoutQtApplication);
  Initialized = true;
}

void FinalizeGraphics() {
  Initialized = false;
  RawCache.clear();
  QMutexLocker L(&CacheLock);
  CellRatioCache.clear();
}

bool GraphicsInitialized() { return Initialized; }

void QtSupport::RequireGraphics() {
  if (!Initialized)
    throw EInvalidOperation(SGraphicsNotInitialized);
}

QRawFont QtSupport::RawFont(const TLogFont& Font, double PixelEm) {
  RequireGraphics();
  // Absurd heights (from damaged files) measure as the largest sane one.
  if (!(PixelEm > 0.01)) PixelEm = 0.01;
  if (PixelEm > 1e6) PixelEm = 1e6;
  TFaceKey Key{FontEngine::MapFaceName(Font.FaceName), QtWeight(Font.Weight), Font.Italic, PixelEm};
  auto It = RawCache.find(Key);
  if (It != RawCache.end()) return It->second;
  if (RawCache.size() > 512) RawCache.clear();
  return RawCache.emplace(Key, MakeRaw(Key.Family, Key.Weight, Key.Italic, PixelEm)).first->second;
}

std::string FontEngine::MapFaceName(const std::string& FaceName) {
  static const std::pair<const char*, const char*> Map[] = {
      {"Arial", "Liberation Sans"},           {"Helvetica", "Liberation Sans"},
      {"MS Sans Serif", "Liberation Sans"},   {"Microsoft Sans Serif", "Liberation Sans"},
      {"Small Fonts", "Liberation Sans"},     {"MS Shell Dlg", "Liberation Sans"},
      {"MS Shell Dlg 2", "Liberation Sans"},  {"Tahoma", "Liberation Sans"},
      {"Verdana", "Liberation Sans"},         {"System", "Liberation Sans"},
      {"Arial Narrow", "Liberation Sans Narrow"},
      {"Times New Roman", "Liberation Serif"}, {"Times", "Liberation Serif"},
      {"MS Serif", "Liberation Serif"},       {"Courier New", "Liberation Mono"},
      {"Courier", "Liberation Mono"},         {"Fixedsys", "Liberation Mono"},
      {"Lucida Console", "Liberation Mono"},
  };
  for (const auto& [From, To] : Map)
    if (SameTextAscii(FaceName, From)) return To;
  if (FaceName.empty()) return "Liberation Sans";
  return FaceName;
}

bool FontEngine::FaceInstalled(const std::string& FaceName) {
  QtSupport::RequireGraphics();
  std::string Family = MapFaceName(FaceName);
  return UsedFamily(Family).compare(QString::fromStdString(Family), Qt::CaseInsensitive) == 0;
}

double FontEngine::EmHeight(const TLogFont& Font) {
  if (Font.Height < 0) return -static_cast<double>(Font.Height);
  if (Font.Height == 0) return 12;  // GDI's default font height
  return Font.Height / CellRatio(Font);
}

std::vector<double> FontEngine::Advances(const TLogFont& Font, const std::u16string& Text) {
  std::vector<double> Out(Text.size(), 0.0);
  if (Text.empty()) return Out;
  double Em = EmHeight(Font);
  const QRawFont& R = QtSupport::RawFont(Font, Em);
  if (!R.isValid()) return Out;
  QString S = QString::fromUtf16(Text.data(), static_cast<qsizetype>(Text.size()));
  QList<quint32> Glyphs = R.glyphIndexesForString(S);
  QList<QPointF> Adv = R.advancesForGlyphIndexes(Glyphs, QRawFont::UseDesignMetrics);
  double WidthScale = 1;
  if (Font.Width > 0 && R.averageCharWidth() > 0) WidthScale = Font.Width / R.averageCharWidth();
  // Surrogate pairs give one glyph for two units: the second unit advances 0.
  size_t G = 0;
  for (size_t I = 0; I < Text.size() && G < static_cast<size_t>(Adv.size()); ++I) {
    Out[I] = Adv[G].x() * WidthScale;
    ++G;
    if ((Text[I] & 0xFC00) == 0xD800 && I + 1 < Text.size()) ++I;
  }
  return Out;
}

TTextMetric FontEngine::Metrics(const TLogFont& Font) {
  double Em = EmHeight(Font);
  const QRawFont& R = QtSupport::RawFont(Font, Em);
  TTextMetric M;
  if (!R.isValid()) return M;
  M.Ascent = static_cast<int>(std::lround(R.ascent()));
  M.Descent = static_cast<int>(std::lround(R.descent()));
  M.Height = M.Ascent + M.Descent;
  M.InternalLeading = std::max(0, M.Height - static_cast<int>(std::lround(Em)));
  M.ExternalLeading = static_cast<int>(std::lround(R.leading()));
  double WidthScale = 1;
  if (Font.Width > 0 && R.averageCharWidth() > 0) WidthScale = Font.Width / R.averageCharWidth();
  M.AveCharWidth = static_cast<int>(std::lround(R.averageCharWidth() * WidthScale));
  M.MaxCharWidth = static_cast<int>(std::lround(R.maxCharWidth() * WidthScale));
  M.Weight = Font.Weight;
  M.Italic = Font.Italic;
  return M;
}

std::vector<double> FontEngine::JustifiedAdvances(const TLogFont& Font, const std::u16string& Text, int JustExtra,
                                                  int JustCount) {
  std::vector<double> A = Advances(Font, Text);
  if (JustCount <= 0) return A;
  int BreakIndex = 0;
  for (size_t I = 0; I < A.size(); ++I)
    if (Text[I] == u' ') {
      A[I] += JustExtra / JustCount + (BreakIndex < (JustExtra % JustCount) ? 1 : 0);
      ++BreakIndex;
    }
  return A;
}

std::vector<int> FontEngine::IntAdvances(const TLogFont& Font, const std::u16string& Text, int JustExtra,
                                         int JustCount) {
  std::vector<double> A = JustifiedAdvances(Font, Text, JustExtra, JustCount);
  std::vector<int> Out(A.size());
  double Sum = 0;
  long Prev = 0;
  for (size_t I = 0; I < A.size(); ++I) {
    Sum += A[I];
    long Now = std::lround(Sum);
    Out[I] = static_cast<int>(Now - Prev);
    Prev = Now;
  }
  return Out;
}

std::vector<FontEngine::TFontFamily> FontEngine::InstalledFamilies() {
  QtSupport::RequireGraphics();
  std::vector<TFontFamily> R;
  for (const QString& Family : QFontDatabase::families()) {
    const QString L = Family.toLower();
    int Code = 0;
    if (QFontDatabase::isFixedPitch(Family) || L.contains("mono") || L.contains("courier"))
      Code = 3;
    else if (L.contains("script") || L.contains("hand") || L.contains("chancery") || L.contains("brush"))
      Code = 4;
    else if (L.contains("symbol") || L.contains("dingbat") || L.contains("emoji") || L.contains("ornament"))
      Code = 5;
    else if (L.contains("sans"))
      Code = 2;
    else if (L.contains("serif") || L.contains("roman") || L.contains("times"))
      Code = 1;
    else if (QFont(Family).styleHint() == QFont::Serif)
      Code = 1;
    R.push_back({Family.toStdString(), Code});
  }
  return R;
}
