// The RTF reader's control words: one small handler per word and one table
// that makes the dispatch. A word the table does not hold is ignored (its
// group's text still counts), as RTF asks of readers.
#include <algorithm>

#include "platform/richtext/RtfReaderImpl.h"
#include "platform/rtl/Win1252.h"

namespace {
// What a file may hold in its tables; more is ignored.
constexpr size_t MaxFonts = 1024, MaxColors = 1024, MaxFontName = 128;

bool On(bool HasParam, int Param) { return !HasParam || Param != 0; }
int Twips(int Param) { return std::clamp(Param, -MaxIndentTwips, MaxIndentTwips); }
}  // namespace

// One handler per word, named after it.
struct TRtfWords {
  using R = TRtfReader;
  // Destinations.
  static void fonttbl(R& r, bool, int) { r.FState.Destination = TDestination::FontTable; }
  static void colortbl(R& r, bool, int) {
    if (r.FColorTableRead) return r.SkipDestination();  // the first table counts
    r.FColorTableRead = true;
    r.FState.Destination = TDestination::ColorTable;
  }
  static void skip(R& r, bool, int) { r.SkipDestination(); }
  static void bin(R& r, bool HasParam, int Param) {
    if (HasParam && Param > 0) r.FIn.Skip(std::min(static_cast<size_t>(Param), r.FIn.Remaining()));
  }
  // Document.
  static void deff(R& r, bool, int Param) { r.FDefaultFont = Param; }
  static void deftab(R& r, bool HasParam, int Param) {
    if (HasParam && Param > 0) r.FDoc.SetDefaultTabWidth(Param);
  }
  static void uc(R& r, bool, int Param) { r.FState.UnicodeFallback = std::clamp(Param, 0, 16); }
  static void u(R& r, bool, int Param) {
    r.AddChar(static_cast<char16_t>(Param < 0 ? Param + 65536 : Param));
    r.FUnicodeSkip = r.FState.UnicodeFallback;
  }
  // Font table entries.
  static void f(R& r, bool, int Param) {
    if (r.FState.Destination == TDestination::FontTable) {
      r.EndFontEntry();
      r.FFontPending = true;
      r.FFontNumber = Param;
      r.FFontName.clear();
      r.FFontEntry = {};
    } else {
      r.SelectFont(Param);
    }
  }
  static void fcharset(R& r, bool, int Param) { r.FFontEntry.Charset = static_cast<uint8_t>(std::clamp(Param, 0, 255)); }
  static void fprq(R& r, bool, int Param) {
    r.FFontEntry.PitchAndFamily = static_cast<uint8_t>((r.FFontEntry.PitchAndFamily & 0xF0) | (Param & 3));
  }
  static void Family(R& r, int Code) {
    r.FFontEntry.PitchAndFamily = static_cast<uint8_t>((r.FFontEntry.PitchAndFamily & 0x0F) | (Code << 4));
  }
  static void froman(R& r, bool, int) { Family(r, 1); }
  static void fswiss(R& r, bool, int) { Family(r, 2); }
  static void fmodern(R& r, bool, int) { Family(r, 3); }
  static void fscript(R& r, bool, int) { Family(r, 4); }
  static void fdecor(R& r, bool, int) { Family(r, 5); }
  // Colour table entries.
  static void red(R& r, bool, int Param) { r.FRed = std::clamp(Param, 0, 255), r.FColorPending = true; }
  static void green(R& r, bool, int Param) { r.FGreen = std::clamp(Param, 0, 255), r.FColorPending = true; }
  static void blue(R& r, bool, int Param) { r.FBlue = std::clamp(Param, 0, 255), r.FColorPending = true; }
  // Character attributes.
  static void plain(R& r, bool, int) { r.Plain(); }
  static void b(R& r, bool H, int P) { r.FState.Char.Bold = On(H, P); }
  static void i(R& r, bool H, int P) { r.FState.Char.Italic = On(H, P); }
  static void ul(R& r, bool H, int P) { r.FState.Char.Underline = On(H, P); }
  static void ulnone(R& r, bool, int) { r.FState.Char.Underline = false; }
  static void strike(R& r, bool H, int P) { r.FState.Char.StrikeOut = On(H, P); }
  static void v(R& r, bool H, int P) { r.FState.Hidden = On(H, P); }
  static void fs(R& r, bool HasParam, int Param) {
    if (HasParam) r.FState.Char.Size = std::clamp(Param, 1, MaxFontTwips / 10) * 10;
  }
  static void cf(R& r, bool, int Param) {
    std::optional<TColorRef> C = r.Color(Param);
    r.FState.Char.AutoColor = !C;
    r.FState.Char.Color = C.value_or(0);
  }
  static void highlight(R& r, bool, int Param) {
    std::optional<TColorRef> C = r.Color(Param);
    r.FState.Char.AutoBackColor = !C;
    r.FState.Char.BackColor = C.value_or(0xFFFFFF);
  }
  // Paragraph attributes.
  static void pard(R& r, bool, int) {
    r.FState.Para = TRichParaFormat();
    r.FState.NextTabKind = TTabKind::Left;
  }
  static void ql(R& r, bool, int) { r.FState.Para.Alignment = TParaAlignment::Left; }
  static void qr(R& r, bool, int) { r.FState.Para.Alignment = TParaAlignment::Right; }
  static void qc(R& r, bool, int) { r.FState.Para.Alignment = TParaAlignment::Center; }
  static void qj(R& r, bool, int) { r.FState.Para.Alignment = TParaAlignment::Justify; }
  static void li(R& r, bool, int P) { r.FState.Para.LeftIndent = Twips(P); }
  static void ri(R& r, bool, int P) { r.FState.Para.RightIndent = Twips(P); }
  static void fi(R& r, bool, int P) { r.FState.Para.FirstIndent = Twips(P); }
  static void sb(R& r, bool, int P) { r.FState.Para.SpaceBefore = Twips(P); }
  static void sa(R& r, bool, int P) { r.FState.Para.SpaceAfter = Twips(P); }
  static void sl(R& r, bool, int P) { r.FState.Para.LineSpacing = Twips(P); }
  static void slmult(R& r, bool, int P) { r.FState.Para.LineSpacingMultiple = P != 0; }
  static void tqr(R& r, bool, int) { r.FState.NextTabKind = TTabKind::Right; }
  static void tqc(R& r, bool, int) { r.FState.NextTabKind = TTabKind::Center; }
  static void tqdec(R& r, bool, int) { r.FState.NextTabKind = TTabKind::Decimal; }
  static void tx(R& r, bool, int P) { r.AddTab(P); }
  static void tb(R& r, bool, int) { r.FState.NextTabKind = TTabKind::Left; }  // bar tabs draw no stop
  // Text.
  static void par(R& r, bool, int) { r.Paragraph(); }
  static void line(R& r, bool, int) { r.Special(u'\v'); }
  static void tab(R& r, bool, int) { r.Special(u'\t'); }
  template <char16_t C>
  static void character(R& r, bool, int) {
    r.AddChar(C);
  }
};

const std::map<std::string_view, TRtfReader::THandler>& TRtfReader::Words() {
  using W = TRtfWords;
  static const std::map<std::string_view, THandler> Table = {
      // Destinations read.
      {"fonttbl", W::fonttbl}, {"colortbl", W::colortbl},
      // Destinations skipped whole (those written without "\*").
      {"stylesheet", W::skip}, {"info", W::skip}, {"pict", W::skip}, {"object", W::skip},
      {"header", W::skip}, {"headerl", W::skip}, {"headerr", W::skip}, {"headerf", W::skip},
      {"footer", W::skip}, {"footerl", W::skip}, {"footerr", W::skip}, {"footerf", W::skip},
      {"footnote", W::skip}, {"fldinst", W::skip}, {"pntext", W::skip}, {"pn", W::skip},
      {"listtable", W::skip}, {"listoverridetable", W::skip}, {"revtbl", W::skip}, {"filetbl", W::skip},
      {"xe", W::skip}, {"tc", W::skip}, {"txe", W::skip}, {"nonshppict", W::skip}, {"shp", W::skip},
      {"shpinst", W::skip}, {"shprslt", W::skip}, {"template", W::skip}, {"atnid", W::skip},
      {"annotation", W::skip}, {"bkmkstart", W::skip}, {"bkmkend", W::skip}, {"falt", W::skip},
      {"panose", W::skip}, {"themedata", W::skip}, {"colorschememapping", W::skip},
      {"datastore", W::skip}, {"latentstyles", W::skip}, {"rsidtbl", W::skip}, {"generator", W::skip},
      {"bin", W::bin},
      // Document.
      {"deff", W::deff}, {"deftab", W::deftab}, {"uc", W::uc}, {"u", W::u},
      // Font table.
      {"f", W::f}, {"fcharset", W::fcharset}, {"fprq", W::fprq}, {"froman", W::froman},
      {"fswiss", W::fswiss}, {"fmodern", W::fmodern}, {"fscript", W::fscript}, {"fdecor", W::fdecor},
      // Colour table.
      {"red", W::red}, {"green", W::green}, {"blue", W::blue},
      // Character attributes.
      {"plain", W::plain}, {"b", W::b}, {"i", W::i}, {"ul", W::ul}, {"uld", W::ul}, {"uldb", W::ul},
      {"uldash", W::ul}, {"ulw", W::ul}, {"ulth", W::ul}, {"ulwave", W::ul}, {"ulnone", W::ulnone},
      {"strike", W::strike}, {"striked", W::strike}, {"v", W::v}, {"fs", W::fs}, {"cf", W::cf},
      {"highlight", W::highlight}, {"cb", W::highlight}, {"chcbpat", W::highlight},
      // Paragraph attributes.
      {"pard", W::pard}, {"ql", W::ql}, {"qr", W::qr}, {"qc", W::qc}, {"qj", W::qj}, {"li", W::li},
      {"ri", W::ri}, {"fi", W::fi}, {"sb", W::sb}, {"sa", W::sa}, {"sl", W::sl}, {"slmult", W::slmult},
      {"tqr", W::tqr}, {"tqc", W::tqc}, {"tqdec", W::tqdec}, {"tx", W::tx}, {"tb", W::tb},
      // Text. Sections, pages and table rows end paragraphs; cells end with a tab.
      {"par", W::par}, {"sect", W::par}, {"page", W::par}, {"row", W::par}, {"line", W::line},
      {"tab", W::tab}, {"cell", W::tab}, {"nestcell", W::tab},
      {"emdash", W::character<0x2014>}, {"endash", W::character<0x2013>}, {"bullet", W::character<0x2022>},
      {"lquote", W::character<0x2018>}, {"rquote", W::character<0x2019>}, {"ldblquote", W::character<0x201C>},
      {"rdblquote", W::character<0x201D>}, {"emspace", W::character<0x2003>}, {"enspace", W::character<0x2002>},
      {"qmspace", W::character<0x2005>},
  };
  return Table;
}

void TRtfReader::Dispatch(std::string_view Word, bool HasParam, int Param) {
  const auto& Table = Words();
  auto It = Table.find(Word);
  if (It != Table.end()) It->second(*this, HasParam, Param);
}

void TRtfReader::AddChar(char16_t C) {
  switch (FState.Destination) {
    case TDestination::Text:
      // Control characters given as \'hh or \uN are no text: a CR there would
      // pass for a paragraph mark without being one. Tabs and line breaks stay.
      if (C < 0x20 && C != u'\t' && C != u'\v') return;
      if (FState.Hidden) return;
      if (!FText.empty() && !(FState.Char == FTextFormat)) Flush();
      if (FText.empty()) FTextFormat = FState.Char;
      FText += C;
      break;
    case TDestination::FontTable:
      if (C == u';')
        EndFontEntry();
      else if (FFontPending && FFontName.size() < MaxFontName)
        FFontName += C;
      break;
    case TDestination::ColorTable:
      if (C == u';') EndColorEntry(true);
      break;
  }
}

void TRtfReader::Special(char16_t C) {
  if (FState.Destination == TDestination::Text) AddChar(C);
}

void TRtfReader::Flush() {
  if (FText.empty()) return;
  FDoc.AppendText(FText, FTextFormat);
  FText.clear();
}

void TRtfReader::Paragraph() {
  if (FState.Destination != TDestination::Text) return;
  Flush();
  FDoc.AppendParagraphMark(FState.Char, FState.Para);
}

void TRtfReader::Finish() {
  Flush();
  FDoc.SetLastParagraph(FState.Char, FState.Para);
}

void TRtfReader::Plain() {
  FState.Char = FDefaultChar;
  FState.Hidden = false;
  FState.Font = -1;
  SelectFont(FDefaultFont);
  FState.Font = -1;
}

void TRtfReader::SelectFont(int Number) {
  // A number the table lacks takes the default font, else the document's face.
  auto It = FFonts.find(Number);
  if (It == FFonts.end()) It = FFonts.find(FDefaultFont);
  FState.Font = Number;
  if (It == FFonts.end()) {
    FState.Char.FaceName = FDefaultChar.FaceName;
    FState.Char.Charset = FDefaultChar.Charset;
    FState.Char.PitchAndFamily = FDefaultChar.PitchAndFamily;
    return;
  }
  FState.Char.FaceName = It->second.Name;
  FState.Char.Charset = It->second.Charset;
  FState.Char.PitchAndFamily = It->second.PitchAndFamily;
}

void TRtfReader::EndFontEntry() {
  if (!FFontPending) return;
  FFontPending = false;
  std::string Name = Utf16ToUtf8(FFontName);
  while (!Name.empty() && Name.back() == ' ') Name.pop_back();
  while (!Name.empty() && Name.front() == ' ') Name.erase(0, 1);
  if (Name.empty() || FFonts.size() >= MaxFonts) return;
  FFontEntry.Name = Name;
  FFonts[FFontNumber] = FFontEntry;
}

void TRtfReader::FontTableRead() {
  // Text chosen no font yet takes the default one, in every open group.
  auto Apply = [&](TRtfState& S) {
    if (S.Font >= 0 || S.Destination != TDestination::Text) return;
    std::swap(S, FState);
    SelectFont(FDefaultFont);
    FState.Font = -1;
    std::swap(S, FState);
  };
  for (TRtfState& S : FStack) Apply(S);
  TRtfState Current = FState;
  Apply(Current);
  FState = Current;
  // \plain goes back to the default font from now on.
  auto It = FFonts.find(FDefaultFont);
  if (It != FFonts.end()) {
    FDefaultChar.FaceName = It->second.Name;
    FDefaultChar.Charset = It->second.Charset;
    FDefaultChar.PitchAndFamily = It->second.PitchAndFamily;
  }
}

void TRtfReader::EndColorEntry(bool Always) {
  if (!Always && !FColorPending) return;
  if (FColors.size() < MaxColors)
    FColors.push_back(FColorPending ? std::optional<TColorRef>(RGB(static_cast<uint8_t>(FRed),
                                                                   static_cast<uint8_t>(FGreen),
                                                                   static_cast<uint8_t>(FBlue)))
                                    : std::nullopt);
  FRed = FGreen = FBlue = 0;
  FColorPending = false;
}

std::optional<TColorRef> TRtfReader::Color(int Index) const {
  if (Index < 0 || static_cast<size_t>(Index) >= FColors.size()) return std::nullopt;
  return FColors[static_cast<size_t>(Index)];
}

void TRtfReader::AddTab(int Position) {
  std::vector<TRichTab>& Tabs = FState.Para.Tabs;
  TRichTab T{std::clamp(Position, 0, MaxIndentTwips), FState.NextTabKind};
  FState.NextTabKind = TTabKind::Left;
  auto It = std::find_if(Tabs.begin(), Tabs.end(), [&](const TRichTab& X) { return X.Position >= T.Position; });
  if (It != Tabs.end() && It->Position == T.Position)
    *It = T;
  else if (Tabs.size() < static_cast<size_t>(MaxTabStops))
    Tabs.insert(It, T);
}
