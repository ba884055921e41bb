#include "platform/graphics/FontEngine.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QMutex>
#include <QString>
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
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

// What measuring one logical font needs, found once per font: its em, metrics and width scale,
// and the advance of every character below 256 (the Latin text of reports), so that measuring
// such a line is a walk over a table instead of a round through Qt. Plain values only: a
// thread's last face may outlive the Qt application.
struct TMeasureFace {
  bool Valid = false;  // the face could be loaded
  double Em = 0;
  TTextMetric Metric;
  bool Latin1Ready = false;
  std::array<double, 256> Latin1{};
};

struct TMeasureKey {
  std::string FaceName;
  int Height, Width, Weight;
  bool Italic;
  bool Matches(const TLogFont& F) const {
    return Height == F.Height && Width == F.Width && Weight == F.Weight && Italic == F.Italic &&
           FaceName == F.FaceName;
  }
  auto Tie() const { return std::tie(FaceName, Height, Width, Weight, Italic); }
  bool operator<(const TMeasureKey& B) const { return Tie() < B.Tie(); }
};

std::map<TMeasureKey, std::shared_ptr<const TMeasureFace>> MeasureCache;  // under CacheLock
// FinalizeGraphics starts a new generation: no thread goes on with a face of the old one.
std::atomic<uint64_t> MeasureGeneration{0};

// std::lround (halves away from zero) without the call, for the running sums of advances.
long RoundHalfAway(double X) {
  if (!(std::fabs(X) < 4503599627370496.0)) return std::lround(X);  // from 2^52 on (and NaN) the long way
  const long T = static_cast<long>(X);          // toward zero
  const double F = X - static_cast<double>(T);  // exact below 2^52
  return F >= 0.5 ? T + 1 : F <= -0.5 ? T - 1 : T;
}

bool AllLatin1(const std::u16string& Text) {
  char16_t Or = 0;
  for (char16_t C : Text) Or |= C;
  return Or < 256;
}

// The advances are the ones Advances finds for the characters in a line: each character's own
// glyph and design advance, scaled to the font's width.
std::shared_ptr<const TMeasureFace> MakeMeasureFace(const TLogFont& Font) {
  auto F = std::make_shared<TMeasureFace>();
  F->Em = FontEngine::EmHeight(Font);
  const QRawFont R = QtSupport::RawFont(Font, F->Em);
  if (!R.isValid()) return F;
  F->Valid = true;
  double WidthScale = 1;
  if (Font.Width > 0 && R.averageCharWidth() > 0) WidthScale = Font.Width / R.averageCharWidth();
  TTextMetric& M = F->Metric;
  M.Ascent = static_cast<int>(std::lround(R.ascent()));
  M.Descent = static_cast<int>(std::lround(R.descent()));
  M.Height = M.Ascent + M.Descent;
  M.InternalLeading = std::max(0, M.Height - static_cast<int>(std::lround(F->Em)));
  M.ExternalLeading = static_cast<int>(std::lround(R.leading()));
  M.AveCharWidth = static_cast<int>(std::lround(R.averageCharWidth() * WidthScale));
  M.MaxCharWidth = static_cast<int>(std::lround(R.maxCharWidth() * WidthScale));
  M.Weight = Font.Weight;
  M.Italic = Font.Italic;
  QString All(256, Qt::Uninitialized);
  for (int C = 0; C < 256; ++C) All[C] = QChar(C);
  QList<QPointF> Adv = R.advancesForGlyphIndexes(R.glyphIndexesForString(All), QRawFont::UseDesignMetrics);
  if (Adv.size() == 256) {
    for (int C = 0; C < 256; ++C) F->Latin1[C] = Adv[C].x() * WidthScale;
    F->Latin1Ready = true;
  }
  return F;
}

// The measuring face of a font; the reference holds until the thread's next call.
const TMeasureFace& MeasureFace(const TLogFont& Font) {
  // Most calls measure in the font of the call before.
  thread_local struct {
    uint64_t Generation = 0;
    TMeasureKey Key;
    std::shared_ptr<const TMeasureFace> Face;
  } Last;
  const uint64_t Generation = MeasureGeneration.load(std::memory_order_acquire);
  if (Last.Face && Last.Generation == Generation && Last.Key.Matches(Font)) return *Last.Face;
  TMeasureKey Key{Font.FaceName, Font.Height, Font.Width, Font.Weight, Font.Italic};
  std::shared_ptr<const TMeasureFace> Face;
  {
    QMutexLocker L(&CacheLock);
    auto It = MeasureCache.find(Key);
    if (It != MeasureCache.end()) Face = It->second;
  }
  if (!Face) {
    Face = MakeMeasureFace(Font);  // takes the lock itself, through RawFont
    QMutexLocker L(&CacheLock);
    if (MeasureCache.size() > 512) MeasureCache.clear();
    MeasureCache.emplace(Key, Face);
  }
  Last.Generation = Generation;
  Last.Key = std::move(Key);
  Last.Face = std::move(Face);
  return *Last.Face;
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
  MeasureCache.clear();
  ++MeasureGeneration;
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
  const TMeasureFace& Face = MeasureFace(Font);
  if (!Face.Valid) return Out;
  if (Face.Latin1Ready && AllLatin1(Text)) {
    for (size_t I = 0; I < Text.size(); ++I) Out[I] = Face.Latin1[Text[I]];
    return Out;
  }
  const QRawFont R = QtSupport::RawFont(Font, Face.Em);
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

TTextMetric FontEngine::Metrics(const TLogFont& Font) { return MeasureFace(Font).Metric; }

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
  std::vector<int> Out(Text.size());
  if (Text.empty()) return Out;
  const TMeasureFace& Face = MeasureFace(Font);
  const bool FromTable = Face.Valid && Face.Latin1Ready && AllLatin1(Text);
  // The same sums as over JustifiedAdvances, without making its vectors.
  std::vector<double> A = FromTable ? std::vector<double>{} : JustifiedAdvances(Font, Text, JustExtra, JustCount);
  double Sum = 0;
  long Prev = 0;
  int BreakIndex = 0;
  for (size_t I = 0; I < Text.size(); ++I) {
    double Advance;
    if (FromTable) {
      Advance = Face.Latin1[Text[I]];
      if (JustCount > 0 && Text[I] == u' ') {
        Advance += JustExtra / JustCount + (BreakIndex < (JustExtra % JustCount) ? 1 : 0);
        ++BreakIndex;
      }
    } else {
      Advance = A[I];
    }
    Sum += Advance;
    long Now = RoundHalfAway(Sum);
    Out[I] = static_cast<int>(Now - Prev);
    Prev = Now;
  }
  return Out;
}

int FontEngine::TextWidth(const TLogFont& Font, const std::u16string& Text, int JustExtra, int JustCount) {
  if (Text.empty()) return 0;
  const TMeasureFace& Face = MeasureFace(Font);
  if (!Face.Valid || !Face.Latin1Ready || !AllLatin1(Text)) {
    int W = 0;
    for (int A : IntAdvances(Font, Text, JustExtra, JustCount)) W += A;
    return W;
  }
  // The integer advances are differences of rounded running sums: they add up to the last one.
  double Sum = 0;
  int BreakIndex = 0;
  for (char16_t C : Text) {
    double Advance = Face.Latin1[C];
    if (JustCount > 0 && C == u' ') {
      Advance += JustExtra / JustCount + (BreakIndex < (JustExtra % JustCount) ? 1 : 0);
      ++BreakIndex;
    }
    Sum += Advance;
  }
  return static_cast<int>(RoundHalfAway(Sum));
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
