#include "platform/richtext/RichTextDocument.h"

#include <QChar>
#include <algorithm>

#include "platform/richtext/RichTextLayoutCache.h"
#include "platform/richtext/RichTextLock.h"
#include "platform/rtl/LocaleCase.h"

namespace {
constexpr char16_t Mark = u'\r', LineBreak = u'\v';

// What an inserted text becomes: paragraph marks, line breaks and tabs kept as
// the model spells them; other control characters dropped.
std::u16string NormalizeInserted(std::u16string_view Text) {
  std::u16string Out;
  Out.reserve(Text.size());
  for (size_t I = 0; I < Text.size(); ++I) {
    char16_t C = Text[I];
    if (C == u'\r') {
      if (I + 1 < Text.size() && Text[I + 1] == u'\n') ++I;
      Out += Mark;
    } else if (C == u'\n' || C == 0x2029) {
      Out += Mark;
    } else if (C == LineBreak || C == 0x2028) {
      Out += LineBreak;
    } else if (C == u'\t' || C >= 0x20) {
      Out += C;
    }
  }
  return Out;
}

bool IsWordChar(char16_t C) { return C == u'_' || QChar(C).isLetterOrNumber(); }
}  // namespace

void TRichCharFormat::Apply(const TRichCharFormat& S, uint32_t Mask) {
  if (Mask & CFM_FACE) FaceName = S.FaceName, PitchAndFamily = S.PitchAndFamily;
  if (Mask & CFM_CHARSET) Charset = S.Charset;
  if (Mask & CFM_SIZE) Size = std::clamp(S.Size, MinFontTwips, MaxFontTwips);
  if (Mask & CFM_BOLD) Bold = S.Bold;
  if (Mask & CFM_ITALIC) Italic = S.Italic;
  if (Mask & CFM_UNDERLINE) Underline = S.Underline;
  if (Mask & CFM_STRIKEOUT) StrikeOut = S.StrikeOut;
  if (Mask & CFM_COLOR) AutoColor = S.AutoColor, Color = S.Color & 0xFFFFFF;
  if (Mask & CFM_BACKCOLOR) AutoBackColor = S.AutoBackColor, BackColor = S.BackColor & 0xFFFFFF;
}

uint32_t TRichCharFormat::SameMask(const TRichCharFormat& B) const {
  uint32_t M = 0;
  if (FaceName == B.FaceName && PitchAndFamily == B.PitchAndFamily) M |= CFM_FACE;
  if (Charset == B.Charset) M |= CFM_CHARSET;
  if (Size == B.Size) M |= CFM_SIZE;
  if (Bold == B.Bold) M |= CFM_BOLD;
  if (Italic == B.Italic) M |= CFM_ITALIC;
  if (Underline == B.Underline) M |= CFM_UNDERLINE;
  if (StrikeOut == B.StrikeOut) M |= CFM_STRIKEOUT;
  if (AutoColor == B.AutoColor && (AutoColor || Color == B.Color)) M |= CFM_COLOR;
  if (AutoBackColor == B.AutoBackColor && (AutoBackColor || BackColor == B.BackColor)) M |= CFM_BACKCOLOR;
  return M;
}

const std::shared_ptr<const TRichParaFormat>& TRichTextDocument::DefaultParaFormat() {
  static const auto* Default = new std::shared_ptr<const TRichParaFormat>(std::make_shared<const TRichParaFormat>());
  return *Default;
}

TRichTextDocument::TRichTextDocument() : FLayouts(std::make_unique<TRichLayoutCache>()) {
  FDefaultFormat = Intern(TRichCharFormat());
  FParas.emplace_back().MarkFormat = FDefaultFormat;
}

TRichTextDocument::TRichTextDocument(const TRichTextDocument& Other) : FLayouts(std::make_unique<TRichLayoutCache>()) {
  *this = Other;
}

TRichTextDocument& TRichTextDocument::operator=(const TRichTextDocument& Other) {
  TLock L(RichTextLock());
  if (this == &Other) return *this;
  FParas = Other.FParas;
  FFormats = Other.FFormats;
  FFormatIndex = Other.FFormatIndex;
  FDefaultFormat = Other.FDefaultFormat;
  FDefaultTab = Other.FDefaultTab;
  Changed();
  return *this;
}

TRichTextDocument::~TRichTextDocument() = default;

int TRichTextDocument::Intern(const TRichCharFormat& Format) {
  auto It = FFormatIndex.find(Format);
  if (It != FFormatIndex.end()) return It->second;
  FFormats.push_back(Format);
  int Index = static_cast<int>(FFormats.size()) - 1;
  FFormatIndex.emplace(Format, Index);
  return Index;
}

void TRichTextDocument::Changed() { ++FRevision; }

uint64_t TRichTextDocument::Revision() const {
  TLock L(RichTextLock());
  return FRevision;
}

void TRichTextDocument::BuildStarts() const {
  if (FStartsRevision == FRevision && FStarts.size() == FParas.size()) return;
  FStarts.resize(FParas.size());
  int Pos = 0;
  for (size_t I = 0; I < FParas.size(); ++I) {
    FStarts[I] = Pos;
    Pos += static_cast<int>(FParas[I].Text.size()) + 1;
  }
  FStartsRevision = FRevision;
}

int TRichTextDocument::LengthNoLock() const {
  BuildStarts();
  return FStarts.back() + static_cast<int>(FParas.back().Text.size());
}

std::pair<int, int> TRichTextDocument::Locate(int Position) const {
  BuildStarts();
  Position = std::clamp(Position, 0, LengthNoLock());
  auto It = std::upper_bound(FStarts.begin(), FStarts.end(), Position);
  int Para = static_cast<int>(It - FStarts.begin()) - 1;
  return {Para, Position - FStarts[static_cast<size_t>(Para)]};
}

int TRichTextDocument::Length() const {
  TLock L(RichTextLock());
  return LengthNoLock();
}

const std::u16string& TRichTextDocument::FlatText() const {
  if (FFlatRevision == FRevision) return FFlat;
  FFlat.clear();
  for (size_t I = 0; I < FParas.size(); ++I) {
    FFlat += FParas[I].Text;
    if (I + 1 < FParas.size()) FFlat += Mark;
  }
  FFlatRevision = FRevision;
  return FFlat;
}

std::u16string TRichTextDocument::Text() const {
  TLock L(RichTextLock());
  return FlatText();
}

std::u16string TRichTextDocument::TextRange(int Start, int Count) const {
  TLock L(RichTextLock());
  const std::u16string& T = FlatText();
  size_t S = static_cast<size_t>(std::clamp(Start, 0, static_cast<int>(T.size())));
  size_t N = Count < 0 ? T.size() - S : std::min(static_cast<size_t>(Count), T.size() - S);
  return T.substr(S, N);
}

int TRichTextDocument::ParagraphCount() const {
  TLock L(RichTextLock());
  return static_cast<int>(FParas.size());
}

int TRichTextDocument::ParagraphAt(int Position) const {
  TLock L(RichTextLock());
  return Locate(Position).first;
}

int TRichTextDocument::ParagraphStart(int Index) const {
  TLock L(RichTextLock());
  BuildStarts();
  return FStarts[static_cast<size_t>(std::clamp(Index, 0, static_cast<int>(FParas.size()) - 1))];
}

TRichCharFormat TRichTextDocument::DefaultCharFormat() const {
  TLock L(RichTextLock());
  return FFormats[static_cast<size_t>(FDefaultFormat)];
}

void TRichTextDocument::SetDefaultCharFormat(const TRichCharFormat& Format) {
  TLock L(RichTextLock());
  TRichCharFormat F;
  F.Apply(Format, CFM_ALL);
  FDefaultFormat = Intern(F);
  if (LengthNoLock() == 0) FParas.back().MarkFormat = FDefaultFormat;
  Changed();
}

int TRichTextDocument::DefaultTabWidth() const {
  TLock L(RichTextLock());
  return FDefaultTab;
}

void TRichTextDocument::SetDefaultTabWidth(int Twips) {
  TLock L(RichTextLock());
  // A stop every twip would give a line thousands of stops: at least a tenth of a point.
  FDefaultTab = std::clamp(Twips, 2, MaxIndentTwips);
  Changed();
}

void TRichTextDocument::Clear() {
  TLock L(RichTextLock());
  TRichCharFormat Default = FFormats[static_cast<size_t>(FDefaultFormat)];
  FFormats.clear();
  FFormatIndex.clear();
  FDefaultFormat = Intern(Default);
  FParas.clear();
  FParas.emplace_back().MarkFormat = FDefaultFormat;
  Changed();
}

void TRichTextDocument::SetPlainText(std::u16string_view Text) {
  TLock L(RichTextLock());
  Clear();
  Insert(0, NormalizeInserted(Text), FDefaultFormat);
}

int TRichTextDocument::FormatOfChar(int Para, int Offset) const {
  const TParagraph& P = FParas[static_cast<size_t>(Para)];
  int Pos = 0;
  for (const TRun& R : P.Runs) {
    if (Offset < Pos + R.Length) return R.Format;
    Pos += R.Length;
  }
  return P.MarkFormat;
}

int TRichTextDocument::InsertFormat(int Position, int Count) const {
  auto [Para, Offset] = Locate(Position);
  if (Count == 0 && Offset > 0) return FormatOfChar(Para, Offset - 1);
  return FormatOfChar(Para, Offset);
}

size_t TRichTextDocument::SplitRun(TParagraph& P, int Offset) {
  int Pos = 0;
  for (size_t I = 0; I < P.Runs.size(); ++I) {
    if (Offset == Pos) return I;
    TRun& R = P.Runs[I];
    if (Offset < Pos + R.Length) {
      TRun Tail{Pos + R.Length - Offset, R.Format};
      R.Length = Offset - Pos;
      P.Runs.insert(P.Runs.begin() + static_cast<std::ptrdiff_t>(I) + 1, Tail);
      return I + 1;
    }
    Pos += R.Length;
  }
  return P.Runs.size();
}

void TRichTextDocument::MergeRuns(TParagraph& P) {
  std::vector<TRun> Out;
  Out.reserve(P.Runs.size());
  for (const TRun& R : P.Runs) {
    if (R.Length <= 0) continue;
    if (!Out.empty() && Out.back().Format == R.Format)
      Out.back().Length += R.Length;
    else
      Out.push_back(R);
  }
  P.Runs = std::move(Out);
}

void TRichTextDocument::Delete(int Start, int Count) {
  if (Count <= 0) return;
  auto [P1, O1] = Locate(Start);
  auto [P2, O2] = Locate(Start + Count);
  TParagraph& A = FParas[static_cast<size_t>(P1)];
  if (P1 == P2) {
    size_t From = SplitRun(A, O1), To = SplitRun(A, O2);
    A.Runs.erase(A.Runs.begin() + static_cast<std::ptrdiff_t>(From), A.Runs.begin() + static_cast<std::ptrdiff_t>(To));
    A.Text.erase(static_cast<size_t>(O1), static_cast<size_t>(O2 - O1));
    MergeRuns(A);
  } else {
    // The head of the first paragraph joins the tail of the last, whose mark
    // (and with it the paragraph format) stays.
    TParagraph& B = FParas[static_cast<size_t>(P2)];
    // Split first: the split may move the runs, and the iterators must come after it.
    const size_t Head = SplitRun(A, O1);
    A.Runs.resize(Head);
    A.Text.resize(static_cast<size_t>(O1));
    size_t Tail = SplitRun(B, O2);
    A.Runs.insert(A.Runs.end(), B.Runs.begin() + static_cast<std::ptrdiff_t>(Tail), B.Runs.end());
    A.Text += B.Text.substr(static_cast<size_t>(O2));
    A.MarkFormat = B.MarkFormat;
    A.FormatPtr = B.FormatPtr;
    MergeRuns(A);
    FParas.erase(FParas.begin() + P1 + 1, FParas.begin() + P2 + 1);
  }
  Changed();
}

int TRichTextDocument::Insert(int Position, std::u16string_view Text, int Format) {
  if (Text.empty()) return 0;
  auto [Para, Offset] = Locate(Position);
  // Pieces between the marks of the text: the first joins the paragraph's
  // head, the last its tail, which keeps the paragraph's own mark.
  std::vector<std::u16string_view> Pieces;
  size_t From = 0;
  for (size_t I = 0; I <= Text.size(); ++I)
    if (I == Text.size() || Text[I] == Mark) {
      Pieces.push_back(Text.substr(From, I - From));
      From = I + 1;
    }
  TParagraph& P = FParas[static_cast<size_t>(Para)];
  size_t At = SplitRun(P, Offset);
  if (Pieces.size() == 1) {
    P.Runs.insert(P.Runs.begin() + static_cast<std::ptrdiff_t>(At), TRun{static_cast<int>(Text.size()), Format});
    P.Text.insert(static_cast<size_t>(Offset), Text);
    MergeRuns(P);
  } else {
    TParagraph Tail;
    Tail.Text = P.Text.substr(static_cast<size_t>(Offset));
    Tail.Runs.assign(P.Runs.begin() + static_cast<std::ptrdiff_t>(At), P.Runs.end());
    Tail.MarkFormat = P.MarkFormat;
    Tail.FormatPtr = P.FormatPtr;
    P.Text.resize(static_cast<size_t>(Offset));
    P.Runs.resize(At);
    std::vector<TParagraph> New;
    New.reserve(Pieces.size() - 1);
    for (size_t I = 1; I + 1 < Pieces.size(); ++I) {
      TParagraph& N = New.emplace_back();
      N.Text = Pieces[I];
      N.Runs.push_back(TRun{static_cast<int>(N.Text.size()), Format});
      N.MarkFormat = Format;
      N.FormatPtr = P.FormatPtr;
      MergeRuns(N);
    }
    Tail.Text.insert(0, Pieces.back());
    Tail.Runs.insert(Tail.Runs.begin(), TRun{static_cast<int>(Pieces.back().size()), Format});
    MergeRuns(Tail);
    New.push_back(std::move(Tail));
    P.Text += Pieces.front();
    P.Runs.push_back(TRun{static_cast<int>(Pieces.front().size()), Format});
    P.MarkFormat = Format;
    MergeRuns(P);
    FParas.insert(FParas.begin() + Para + 1, std::make_move_iterator(New.begin()), std::make_move_iterator(New.end()));
  }
  Changed();
  return static_cast<int>(Text.size());
}

int TRichTextDocument::Replace(int Start, int Count, std::u16string_view Text) {
  TLock L(RichTextLock());
  int Length = LengthNoLock();
  Start = std::clamp(Start, 0, Length);
  Count = Count < 0 ? Length - Start : std::min(Count, Length - Start);
  int Format = InsertFormat(Start, Count);
  Delete(Start, Count);
  return Insert(Start, NormalizeInserted(Text), Format);
}

TRichCharFormat TRichTextDocument::CharFormat(int Start, int Count, uint32_t* Mask) const {
  TLock L(RichTextLock());
  int Length = LengthNoLock();
  Start = std::clamp(Start, 0, Length);
  Count = Count < 0 ? Length - Start : std::min(Count, Length - Start);
  int First = InsertFormat(Start, Count);
  const TRichCharFormat& F = FFormats[static_cast<size_t>(First)];
  if (Mask) {
    uint32_t M = CFM_ALL;
    auto [Para, Offset] = Locate(Start);
    int Left = Count;
    // Runs (and marks) from Start until Count characters were seen.
    for (size_t P = static_cast<size_t>(Para); P < FParas.size() && Left > 0; ++P, Offset = 0) {
      int Pos = 0;
      for (const TRun& R : FParas[P].Runs) {
        int End = Pos + R.Length;
        if (End > Offset && Left > 0) {
          int Used = std::min(End - std::max(Pos, Offset), Left);
          M &= F.SameMask(FFormats[static_cast<size_t>(R.Format)]);
          Left -= Used;
        }
        Pos = End;
      }
      if (Left > 0 && P + 1 < FParas.size()) {
        M &= F.SameMask(FFormats[static_cast<size_t>(FParas[P].MarkFormat)]);
        --Left;
      }
    }
    *Mask = M;
  }
  return F;
}

void TRichTextDocument::SetCharFormat(int Start, int Count, const TRichCharFormat& Format, uint32_t Mask) {
  TLock L(RichTextLock());
  int Length = LengthNoLock();
  Start = std::clamp(Start, 0, Length);
  Count = Count < 0 ? Length - Start : std::min(Count, Length - Start);
  if (Count == 0 || (Mask & CFM_ALL) == 0) return;
  auto Change = [&](int Index) {
    TRichCharFormat F = FFormats[static_cast<size_t>(Index)];
    F.Apply(Format, Mask);
    return Intern(F);
  };
  auto [Para, Offset] = Locate(Start);
  int Left = Count;
  for (size_t P = static_cast<size_t>(Para); P < FParas.size() && Left > 0; ++P, Offset = 0) {
    TParagraph& Par = FParas[P];
    int End = std::min(static_cast<int>(Par.Text.size()), Offset + Left);
    size_t From = SplitRun(Par, Offset), To = SplitRun(Par, End);
    for (size_t I = From; I < To; ++I) Par.Runs[I].Format = Change(Par.Runs[I].Format);
    MergeRuns(Par);
    Left -= End - Offset;
    if (Left > 0 && P + 1 < FParas.size()) {
      Par.MarkFormat = Change(Par.MarkFormat);
      --Left;
    }
  }
  Changed();
}

TRichParaFormat TRichTextDocument::ParaFormat(int Start) const {
  TLock L(RichTextLock());
  return FParas[static_cast<size_t>(Locate(Start).first)].Format();
}

const std::shared_ptr<const TRichParaFormat>& TRichTextDocument::SharedParaFormat(const TRichParaFormat& Format) {
  TRichParaFormat F = Format;
  F.LeftIndent = std::clamp(F.LeftIndent, 0, MaxIndentTwips);
  F.RightIndent = std::clamp(F.RightIndent, 0, MaxIndentTwips);
  F.FirstIndent = std::clamp(F.FirstIndent, -MaxIndentTwips, MaxIndentTwips);
  F.SpaceBefore = std::clamp(F.SpaceBefore, 0, MaxIndentTwips);
  F.SpaceAfter = std::clamp(F.SpaceAfter, 0, MaxIndentTwips);
  F.LineSpacing = std::clamp(F.LineSpacing, -MaxIndentTwips, MaxIndentTwips);
  if (F.Tabs.size() > static_cast<size_t>(MaxTabStops)) F.Tabs.resize(static_cast<size_t>(MaxTabStops));
  for (TRichTab& T : F.Tabs) T.Position = std::clamp(T.Position, 0, MaxIndentTwips);
  std::sort(F.Tabs.begin(), F.Tabs.end(), [](const TRichTab& A, const TRichTab& B) { return A.Position < B.Position; });
  if (!FLastParaFormat || !(*FLastParaFormat == F)) FLastParaFormat = std::make_shared<const TRichParaFormat>(F);
  return FLastParaFormat;
}

void TRichTextDocument::SetParaFormat(int Start, int Count, const TRichParaFormat& Format) {
  TLock L(RichTextLock());
  const std::shared_ptr<const TRichParaFormat>& Shared = SharedParaFormat(Format);
  // A range that ends just after a mark stops at that paragraph.
  int First = Locate(Start).first;
  int Last = Count > 0 ? std::max(First, Locate(Start + Count - 1).first) : First;
  for (int P = First; P <= Last; ++P) FParas[static_cast<size_t>(P)].FormatPtr = Shared;
  Changed();
}

int TRichTextDocument::FindText(std::u16string_view What, int Start, int End, TSearchTypes Options) const {
  TLock L(RichTextLock());
  const std::u16string& T = FlatText();
  const int Len = static_cast<int>(T.size());
  if (End < 0 || End > Len) End = Len;
  Start = std::max(Start, 0);
  const int N = static_cast<int>(What.size());
  if (N == 0 || Start > End - N) return -1;
  const bool MatchCase = Options & stMatchCase, WholeWord = Options & stWholeWord;
  auto Fold = [&](char16_t C) -> char16_t {
    if (MatchCase || (C >= 0xD800 && C <= 0xDFFF)) return C;
    char32_t U = UpperCaseChar(C);
    return U <= 0xFFFF ? static_cast<char16_t>(U) : C;
  };
  std::u16string Key(What);
  for (char16_t& C : Key) C = Fold(C);
  // Only an end of the search text that is a word character needs a boundary there.
  const bool CheckHead = WholeWord && IsWordChar(What.front());
  const bool CheckTail = WholeWord && IsWordChar(What.back());
  for (int I = Start; I <= End - N; ++I) {
    int K = 0;
    while (K < N && Fold(T[static_cast<size_t>(I + K)]) == Key[static_cast<size_t>(K)]) ++K;
    if (K < N) continue;
    if (CheckHead && I > 0 && IsWordChar(T[static_cast<size_t>(I - 1)])) continue;
    if (CheckTail && I + N < Len && IsWordChar(T[static_cast<size_t>(I + N)])) continue;
    return I;
  }
  return -1;
}

void TRichTextDocument::AppendText(std::u16string_view Text, const TRichCharFormat& Format) {
  TLock L(RichTextLock());
  if (Text.empty()) return;
  TParagraph& P = FParas.back();
  int F = Intern(Format);
  if (!P.Runs.empty() && P.Runs.back().Format == F)
    P.Runs.back().Length += static_cast<int>(Text.size());
  else
    P.Runs.push_back(TRun{static_cast<int>(Text.size()), F});
  P.Text += Text;
  Changed();
}

void TRichTextDocument::AppendParagraphMark(const TRichCharFormat& MarkFormat, const TRichParaFormat& ParaFormat) {
  TLock L(RichTextLock());
  SetLastParagraph(MarkFormat, ParaFormat);
  // The new paragraph starts as the one just ended (copied first: the vector may move).
  TParagraph Next;
  Next.MarkFormat = FParas.back().MarkFormat;
  Next.FormatPtr = FParas.back().FormatPtr;
  FParas.push_back(std::move(Next));
  Changed();
}

void TRichTextDocument::SetLastParagraph(const TRichCharFormat& MarkFormat, const TRichParaFormat& ParaFormat) {
  TLock L(RichTextLock());
  // The last paragraph by its place, not by its position: a reader calls this at every mark, and
  // positions would be counted again each time.
  FParas.back().MarkFormat = Intern(MarkFormat);
  FParas.back().FormatPtr = SharedParaFormat(ParaFormat);  // bounded as any format set
  Changed();
}
