#include "ppreport/output/ppTextSearchToolbox.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/classes/ScopeGuard.h"
#include "platform/classes/StringList.h"
#include "platform/graphics/Canvas.h"
#include "platform/rtl/LocaleCase.h"
#include "platform/rtl/RtlMath.h"
#include "platform/richtext/RichEdit.h"
#include "platform/rtl/Win1252.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppPlainText.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/output/ppSearchConsts.h"

namespace {

TppTextSearchToolbox* CurrentToolbox = nullptr;

TppTextSearchToolbox& StandardToolbox() {
  static TppTextSearchToolbox Standard;
  return Standard;
}

// The delimiter list and, beside it, the same set as a table of the ASCII characters it holds.
struct TDelimiters {
  TStringList List;
  std::bitset<128> Table;
  TDelimiters() {
    TppTextSearchToolboxRegistry::ToolboxClass().FillWordDelimiters(List);
    for (int I = 0; I < List.Count(); ++I) {
      const std::string S = List.Strings(I);
      if (S.size() == 1 && static_cast<unsigned char>(S[0]) < 128) Table.set(static_cast<unsigned char>(S[0]));
    }
  }
};

const TDelimiters& Delimiters() {
  static const TDelimiters D;
  return D;
}

// One code point of a text and where it starts. Bytes that are not UTF-8 stand for themselves
// (above the code point range, so they match only the same byte).
struct TCodePoint {
  char32_t C;
  uint32_t At;
};

std::vector<TCodePoint> Decode(std::string_view S, bool Fold) {
  std::vector<TCodePoint> Out;
  Out.reserve(S.size());
  size_t I = 0;
  while (I < S.size()) {
    const uint32_t At = static_cast<uint32_t>(I);
    char32_t C = NextUtf8(S, I);
    if (C == 0xFFFFFFFF)
      C = 0x110000 + static_cast<unsigned char>(S[At]);
    else if (Fold)
      C = UpperCaseChar(C);
    Out.push_back({C, At});
  }
  return Out;
}

bool SameAt(const std::vector<TCodePoint>& T, size_t At, const std::vector<TCodePoint>& P) {
  for (size_t K = 0; K < P.size(); ++K)
    if (T[At + K].C != P[K].C) return false;
  return true;
}

}  // namespace

void TppTextSearchToolbox::FillWordDelimiters(TStrings& List) const {
  static constexpr char Chars[] = " \".',?;:()!@#$%^&*-+={}[]/~`|\\";
  List.Clear();
  for (const char* P = Chars; *P; ++P) List.Add(std::string(1, *P));
}

const TStrings& TppTextSearchToolbox::WordDelimiters() { return Delimiters().List; }

bool TppTextSearchToolbox::IsWordDelimiter(char32_t C) { return C < 128 && Delimiters().Table.test(C); }

bool TppTextSearchToolbox::FindText(std::string_view Text, std::string_view SearchText, bool CaseSensitive,
                                    bool WholeWord, int32_t& Position, int32_t* MatchLength) const {
  Position = 0;
  if (MatchLength) *MatchLength = 0;
  if (SearchText.empty() || Text.empty()) return false;
  const std::vector<TCodePoint> T = Decode(Text, !CaseSensitive), P = Decode(SearchText, !CaseSensitive);
  if (P.size() > T.size()) return false;
  // A search text that is a delimiter itself has no word around it to check.
  const bool Words = WholeWord && !(P.size() == 1 && SearchText.size() == 1 && IsWordDelimiter(P[0].C));
  for (size_t Q = 0; Q + P.size() <= T.size();) {
    if (!SameAt(T, Q, P)) {
      ++Q;
      continue;
    }
    const size_t End = Q + P.size();
    if (!Words || ((Q == 0 || IsWordDelimiter(T[Q - 1].C)) && (End == T.size() || IsWordDelimiter(T[End].C)))) {
      Position = static_cast<int32_t>(T[Q].At) + 1;
      if (MatchLength)
        *MatchLength = static_cast<int32_t>((End == T.size() ? Text.size() : T[End].At) - T[Q].At);
      return true;
    }
    Q = End;  // a rejected occurrence is skipped whole
  }
  return false;
}

int32_t TppTextSearchToolbox::FindRichText(const TRichEdit& Edit, std::string_view SearchText, uint32_t Options,
                                           int32_t Length, int32_t Start) const {
  if (SearchText.empty() || Length <= 0) return -1;
  return Edit.FindText(Utf8ToUtf16(SearchText), Start, Length, Options & (stWholeWord | stMatchCase));
}

void TppTextSearchToolbox::ReplaceText(std::string_view Text, std::string_view OldPattern, std::string& Result,
                                       bool CaseSensitive, bool ReplaceAll, std::string_view NewPattern) const {
  Result.clear();
  int32_t Position = 0, Length = 0;
  while (!Text.empty() && FindText(Text, OldPattern, CaseSensitive, false, Position, &Length)) {
    Result.append(Text.substr(0, static_cast<size_t>(Position - 1))).append(NewPattern);
    Text.remove_prefix(static_cast<size_t>(Position - 1 + Length));
    if (!ReplaceAll) break;
  }
  Result.append(Text);
}

int TppTextSearchToolbox::TextWidth(const std::string& Text, TCanvas& Canvas) const {
  TppTabStopPositions None{};
  return TppPlainText::GetTabbedTextWidth(Canvas, Text, None, 0);
}

int32_t TppTextSearchToolbox::CalculateLineHeight(const TppDrawText& Command, TCanvas* Canvas, double Scale) const {
  if (!Canvas) throw ESearchError(ppErrorText("TppTextMetrics", "CalculateLineHeight", SppSearchNoCanvas));
  const TFont Saved = Canvas->Font();
  TFinally Restore([&] { Canvas->SetFont(Saved); });
  TFont F = *Command.Font();
  F.SetName(TppDeviceSubstitutions::SubstituteFont(F.Name()));
  F.SetHeight(static_cast<int>(Round(static_cast<long double>(F.Height()) * Scale)));
  Canvas->SetFont(F);
  const TTextMetric Metrics = Canvas->TextMetrics();

  const int Leading =
      Command.IsMemo()
          ? static_cast<int>(std::trunc(ConvertFromMicrons(Command.Leading(), utScreenPixels, ppVertical, nullptr)))
          : Metrics.ExternalLeading;
  const TRect R = Command.GetDrawRect();
  const int Lines = Command.IsMemo() && Command.WrappedText() ? Command.WrappedText()->Count() : 0;
  const int RectLine = static_cast<int>(Round(static_cast<long double>(R.Bottom - R.Top) / std::max(Lines, 1)));
  int Height = Leading + Metrics.Height;
  // The device's own spacing wins when it is close: it is where the lines were really drawn.
  if (Height > 0 && std::abs(RectLine - Height) / static_cast<double>(Height) <= 0.1) Height = RectLine;
  return ConvertToMicrons(utScreenPixels, ppVertical, nullptr, static_cast<float>(Height));
}

TppTextSearchToolbox& TppTextSearchToolboxRegistry::ToolboxClass() {
  if (!CurrentToolbox) CurrentToolbox = &StandardToolbox();
  return *CurrentToolbox;
}

void TppTextSearchToolboxRegistry::SetToolboxClass(TppTextSearchToolbox* Toolbox) { CurrentToolbox = Toolbox; }
