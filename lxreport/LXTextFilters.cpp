#include "lxreport/LXTextFilters.h"

#include <algorithm>
#include <cmath>

#include "lxreport/LXSpillFile.h"
#include "lxreport/VexaRpt.h"
#include "platform/graphics/FontEngine.h"
#include "platform/rtl/LocaleCase.h"
#include "platform/rtl/Win1252.h"

int32_t LXRTFSpaceBeforeCorrection = 50;

namespace {
constexpr long double TenthsPerPoint = 3.5277777777777777778L;
constexpr long double TwipsPerTenth = 5.669291338582677165L;
constexpr long double TenthsPerTwip = 0.17638888888888888888L;
long long Round(long double V) { return std::llrintl(V); }

std::vector<TLXRTFFont> FontList;

bool SameText(const std::string& A, const std::string& B) { return AnsiSameText(A, B); }
}  // namespace

// Text file

TLXTextFile::TLXTextFile(const std::string& FileName) : FStream(std::make_unique<TSafeFileStream>(FileName)) {}
TLXTextFile::~TLXTextFile() = default;

void TLXTextFile::Write(std::string_view S) {
  FBuffer.append(S);
  if (FBuffer.size() >= 1 << 16) {
    FStream->WriteBuffer(FBuffer.data(), static_cast<int64_t>(FBuffer.size()));
    FBuffer.clear();
  }
}

void TLXTextFile::WriteLine(std::string_view S) {
  Write(S);
  Write("\r\n");
}

void TLXTextFile::Close() {
  if (!FStream) return;
  FStream->WriteBuffer(FBuffer.data(), static_cast<int64_t>(FBuffer.size()));
  FBuffer.clear();
  FStream->Commit();
  FStream.reset();
}

// RTF

const std::array<TColor, 18> RTFColors = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080, 0xC0C0C0,
    0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xC0C0C0, 0x808080, 0xFFFFFF};

const std::vector<TLXRTFFont>& RTFFontList() { return FontList; }

void RefillRTFFontList() {
  FontList.clear();
  for (const auto& F : FontEngine::InstalledFamilies())
    if (FontList.empty() || !SameText(FontList.back().Name, F.Name)) FontList.push_back({F.Name, F.Family});
  std::stable_sort(FontList.begin(), FontList.end(), [](const TLXRTFFont& A, const TLXRTFFont& B) {
    return AnsiUpperCase(A.Name) < AnsiUpperCase(B.Name);
  });
}

int32_t RTFFontIndex(const std::string& FaceName) {
  auto Find = [](const std::string& Name) -> int32_t {
    for (size_t I = 0; I < FontList.size(); ++I)
      if (SameText(FontList[I].Name, Name)) return static_cast<int32_t>(I);
    return -1;
  };
  int32_t I = Find(FaceName);
  return I >= 0 ? I : Find(FontEngine::MapFaceName(FaceName));
}

std::string RTFEscape(const std::string& Text) {
  std::string R;
  R.reserve(Text.size());
  for (size_t I = 0; I < Text.size();) {
    const char32_t C = NextUtf8(Text, I);
    if (C == '\\' || C == '{' || C == '}') {
      R += '\\';
      R += static_cast<char>(C);
    } else if (C == '\t') {
      // Every RTF reader takes a tab, written or escaped, for a jump to the next tab stop, and
      // the line's items sit on tab stops: the data's tab is the blank the report measured.
      R += ' ';
    } else if (C < 0x20) {
      R += Format("\\'%.2x", {static_cast<int>(C)});
    } else if (C < 0x80) {
      R += static_cast<char>(C);
    } else if (int B = CodePointToWin1252(C); B >= 0) {
      R += Format("\\'%.2x", {B});
    } else {
      std::string One;
      AppendUtf8(One, C);
      for (char16_t U : Utf8ToUtf16(One)) R += "\\u" + std::to_string(static_cast<int16_t>(U)) + "?";
    }
  }
  return R;
}

std::string RTFFamilyName(const std::string& FaceName) {
  std::string Name = FaceName;
  // The font database tells families of several foundries apart as "Family [Foundry]".
  if (const size_t Open = Name.rfind(" ["); Open != std::string::npos && !Name.empty() && Name.back() == ']')
    Name.erase(Open);
  return Name.empty() ? std::string("Arial") : Name;
}

void TLXRTFLineItem::Add(TLXRTFItem Item) {
  auto At = std::upper_bound(RTFItems.begin(), RTFItems.end(), Item.X,
                             [](long double X, const TLXRTFItem& E) { return X < E.X; });
  RTFItems.insert(At, std::move(Item));
}

TLXRTFExportFilter::~TLXRTFExportFilter() = default;
std::string TLXRTFExportFilter::GetDescription() const { return "RTF Export filter"; }
std::string TLXRTFExportFilter::GetExtension() const { return "RTF"; }
std::string TLXRTFExportFilter::GetFilterName() const { return "RTF File"; }

void TLXRTFExportFilter::Start(int PaperWidth, int PaperHeight, const TFont* Font) {
  bool Landscape = false;
  int PaperSize = 0;
  if (auto* Report = dynamic_cast<TCustomVexaRep*>(Owner()); Report && Report->Page()) {
    // Lengths are tenths of a millimetre in the page setup; the file wants twips.
    const TLXPage& P = *Report->Page();
    FLength = P.Length() * TwipsPerTenth;
    FWidth = P.Width() * TwipsPerTenth;
    FTop = P.TopMargin() * TwipsPerTenth;
    FBottom = P.BottomMargin() * TwipsPerTenth;
    FLeft = P.LeftMargin() * TwipsPerTenth;
    FRight = P.RightMargin() * TwipsPerTenth;
    Landscape = P.Orientation() == poLandscape;
    PaperSize = static_cast<int>(P.PaperSize());
  } else {
    FTop = FBottom = FLeft = FRight = 720;
    FLength = FWidth = 0;
  }
  RefillRTFFontList();
  FFile = std::make_unique<TLXTextFile>(FileName());
  FPendingPageBreak = false;
  FXFactor = (Font ? Font->Size() : 8) * TenthsPerPoint;
  FYFactor = TenthsPerPoint;
  FLineCount = static_cast<int32_t>(Round(PaperHeight / FYFactor));

  FHeader = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720";
  if (FLength > 0)
    FHeader += "\\paperh" + std::to_string(Round(FLength)) + "\\paperw" + std::to_string(Round(FWidth)) + "\\psz" +
               std::to_string(PaperSize);
  FHeader += "\\margl" + std::to_string(Round(FLeft)) + "\\margr" + std::to_string(Round(FRight)) + "\\margt" +
             std::to_string(Round(FTop)) + "\\margb" + std::to_string(Round(FBottom));
  if (Landscape) FHeader += "\\landscape";

  FColorTable = "{\\colortbl";
  for (TColor C : RTFColors)
    FColorTable += Format("\\red%.1d\\green%.1d\\blue%.1d;", {C & 0xFF, (C >> 8) & 0xFF, (C >> 16) & 0xFF});
  FColorTable += "}";
  FDefaultLanguage = "\\deflang1033";

  // The font table lists the fonts the body uses, known only at Finish: the body waits.
  FUsedFonts.clear();
  FUsedFontIndex.clear();
  FFontTable.clear();
  FBody = std::make_unique<TLXSpillFile>();
  UsedFontIndex(Font ? Font->Name() : std::string());  // the report's font is the default, \f0
  TLXExportFilter::Start(PaperWidth, PaperHeight, Font);
}

void TLXRTFExportFilter::NewPage() {
  FRTFLines.assign(static_cast<size_t>(std::max(FLineCount, 0)), TLXRTFLineItem{});
}

void TLXRTFExportFilter::TextOut(long double X, long double Y, const TFont* Font, TColor, TAlignment Alignment,
                                 const std::string& Text) {
  const long long Line = Round(Y / FYFactor);
  if (Line < 0 || Line >= static_cast<long long>(FRTFLines.size())) return;
  TLXRTFItem Item;
  Item.X = X, Item.Y = Y;
  Item.Alignment = static_cast<uint8_t>(Alignment);
  Item.Text = RTFEscape(Text);
  if (Font) {
    Item.FontIndex = UsedFontIndex(Font->Name());
    Item.FontColor = Font->Color();
    Item.FontStyle = Font->Style();
    Item.FontSize = Font->Size() * 2;
  }
  FRTFLines[static_cast<size_t>(Line)].Add(std::move(Item));
}

int32_t TLXRTFExportFilter::UsedFontIndex(const std::string& FaceName) {
  const std::string Name = RTFFamilyName(FaceName);
  const std::string Key = AnsiUpperCase(Name);
  const auto [It, Added] = FUsedFontIndex.try_emplace(Key, static_cast<int32_t>(FUsedFonts.size()));
  if (Added) {
    const int32_t Installed = RTFFontIndex(Name);
    FUsedFonts.push_back({Name, Installed >= 0 ? FontList[static_cast<size_t>(Installed)].Family : 0});
  }
  return It->second;
}

void TLXRTFExportFilter::BodyLine(std::string_view S) {
  FBody->Write(S);
  FBody->Write("\r\n");
}

void TLXRTFExportFilter::EndPage() {
  if (!FFile || !FBody) return;
  if (FPendingPageBreak) BodyLine("{\\page }");
  if (FRTFLines.empty()) return;
  long double LastY = FTop * TenthsPerTwip;
  int32_t MaxSize = 0;
  for (const auto& Line : FRTFLines) {
    std::string Tabs, Texts;
    bool First = true;
    for (const auto& Item : Line.RTFItems) {
      if (First) {
        Tabs = "\\pard\\plain";
        const long long SpaceBefore =
            Round((Item.Y - LastY) * TwipsPerTenth) - MaxSize * 10 - LXRTFSpaceBeforeCorrection;
        if (SpaceBefore > 0) Tabs += "\\sb" + std::to_string(SpaceBefore);
        First = false;
      }
      MaxSize = std::max(MaxSize, Item.FontSize);
      LastY = std::max(LastY, Item.Y);
      Tabs += Item.Alignment == 1 ? "\\tqr" : Item.Alignment == 2 ? "\\tqc" : "\\tql";
      Tabs += "\\tx" + std::to_string(Round(Item.X * TwipsPerTenth - FLeft) + 20);
      // The tab before the text is in the item's font too: in the paragraph's default font it
      // would make every line as tall as that font.
      Texts += "\\plain";
      if (Item.FontIndex >= 0) Texts += "\\f" + std::to_string(Item.FontIndex);
      Texts += "\\fs" + std::to_string(Item.FontSize);
      if (Item.FontStyle & fsBold) Texts += "\\b";
      if (Item.FontStyle & fsItalic) Texts += "\\i";
      if (Item.FontStyle & fsUnderline) Texts += "\\ul";
      if (Item.FontStyle & fsStrikeOut) Texts += "\\strike";
      const TColorRef Rgb = ColorToRGB(Item.FontColor);
      for (size_t N = 1; N < RTFColors.size(); ++N)
        if (static_cast<TColorRef>(RTFColors[N]) == Rgb) {
          Texts += "\\cf" + std::to_string(N);
          break;
        }
      // The blank after a control word is its delimiter.
      Texts += "\\tab " + Item.Text;
    }
    if (!Texts.empty()) {
      BodyLine(Tabs);
      BodyLine("{" + Texts + "{\\fs1\\par}}");
      FPendingPageBreak = true;
    }
  }
}

void TLXRTFExportFilter::Finish() {
  if (FFile && FBody) {
    static const char* const FamilyWords[] = {"\\fnil",   "\\froman", "\\fswiss", "\\fmodern",
                                              "\\fscript", "\\fdecor", "\\ftech",  "\\fbidi"};
    FFontTable = "{\\fonttbl";
    for (size_t I = 0; I < FUsedFonts.size(); ++I)
      FFontTable += "{\\f" + std::to_string(I) + FamilyWords[FUsedFonts[I].Family & 7] + " " +
                    RTFEscape(FUsedFonts[I].Name) + ";}";
    FFontTable += "}";
    FFile->WriteLine(FHeader + FFontTable);
    FFile->WriteLine(FColorTable);
    FFile->WriteLine(FDefaultLanguage);
    FBody->Rewind();
    std::string Chunk;
    while (FBody->Read(Chunk, 1 << 16) > 0) {
      FFile->Write(Chunk);
      Chunk.clear();
    }
    FFile->WriteLine("\\par }");
    FFile->Close();
    FFile.reset();
  }
  FBody.reset();
  FRTFLines.clear();
  TLXExportFilter::Finish();
}

// Plain text

TLXAsciiExportFilter::~TLXAsciiExportFilter() = default;
std::string TLXAsciiExportFilter::GetDescription() const { return "Text export (ASCII) filter"; }
std::string TLXAsciiExportFilter::GetExtension() const { return "TXT"; }
std::string TLXAsciiExportFilter::GetFilterName() const { return "Text file"; }

void TLXAsciiExportFilter::Start(int PaperWidth, int PaperHeight, const TFont* Font) {
  FFile = std::make_unique<TLXTextFile>(FileName());
  FCharWidth = FCharHeight = (Font ? Font->Size() : 8) * TenthsPerPoint;
  FLineCount = static_cast<int32_t>(Round(PaperHeight / FCharHeight));
  TLXExportFilter::Start(PaperWidth, PaperHeight, Font);
}

void TLXAsciiExportFilter::NewPage() {
  for (auto& L : FLines) L.clear();
}

void TLXAsciiExportFilter::TextOut(long double X, long double Y, const TFont*, TColor, TAlignment Alignment,
                                   const std::string& Text) {
  if (FCharWidth <= 0) return;
  std::u32string T;
  // A tab of the data is a character of the line: a blank, not a jump to a column.
  for (size_t I = 0; I < Text.size();) {
    const char32_t Ch = NextUtf8(Text, I);
    T += Ch == U'\t' ? U' ' : Ch;
  }
  long double Column = X / FCharWidth * 1.7L;
  const long double Row = Y / FCharHeight;
  // X is the anchor: a right-aligned text ends there, a centred one is centred on it.
  if (Alignment == taRightJustify) Column -= static_cast<long double>(T.size());
  else if (Alignment == taCenter) Column -= static_cast<long double>(T.size()) / 2;
  const long double Index = std::trunc(Row + 0.5L);
  if (!(Index >= 0 && Index <= MaxLine)) return;
  std::u32string& Line = FLines[static_cast<size_t>(Index)];
  const long long Pos = Round(Column);
  if (Column > static_cast<long double>(Line.size()) && Pos > 0) Line.resize(static_cast<size_t>(Pos), U' ');
  if (Pos >= 1 && static_cast<size_t>(Pos) <= Line.size()) Line.erase(static_cast<size_t>(Pos - 1), T.size());
  const size_t At = Pos < 1 ? 0 : std::min(static_cast<size_t>(Pos - 1), Line.size());
  Line.insert(At, T);
}

std::string TLXAsciiExportFilter::Line(int I) const {
  std::string R;
  if (I < 0 || I > MaxLine) return R;
  for (char32_t C : FLines[static_cast<size_t>(I)]) AppendUtf8(R, C);
  return R;
}

void TLXAsciiExportFilter::EndPage() {
  if (!FFile) return;
  for (int I = 0; I < std::min(FLineCount, MaxLine + 1); ++I)
    if (!FLines[static_cast<size_t>(I)].empty()) FFile->WriteLine(Line(I));
}

void TLXAsciiExportFilter::Finish() {
  if (FFile) {
    FFile->Close();
    FFile.reset();
  }
  TLXExportFilter::Finish();
}

// Components

const TClassInfo& TLXRTFFilter::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXRTFFilter>("TLXRTFFilter", &TComponent::StaticClassInfo());
  return Info;
}
TLXRTFFilter::TLXRTFFilter(TComponent* AOwner) : TComponent(AOwner) {
  AddExportFilter(ExportFilterClassOf<TLXRTFExportFilter>());
}
TLXRTFFilter::~TLXRTFFilter() { RemoveExportFilter(ExportFilterClassOf<TLXRTFExportFilter>()); }

const TClassInfo& TLXTextFilter::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXTextFilter>("TLXTextFilter", &TComponent::StaticClassInfo());
  return Info;
}
TLXTextFilter::TLXTextFilter(TComponent* AOwner) : TComponent(AOwner) {
  AddExportFilter(ExportFilterClassOf<TLXAsciiExportFilter>());
}
TLXTextFilter::~TLXTextFilter() { RemoveExportFilter(ExportFilterClassOf<TLXAsciiExportFilter>()); }
