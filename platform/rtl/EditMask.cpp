#include "platform/rtl/EditMask.h"

#include <vector>

#include "platform/rtl/LocaleCase.h"
#include "platform/rtl/Win1252.h"

namespace {
enum class TCase { None, Upper, Lower };

// One position of the mask: a slot or a literal character.
struct TPosition {
  bool Slot = false;
  char32_t Literal = 0;
  TCase Case = TCase::None;
};

struct TParsed {
  std::vector<TPosition> Positions;
  bool SaveLiterals = true;
  bool Reverse = false;
  char32_t Blank = U' ';
};

bool IsSlot(char C) { return std::string_view("09#LlAaCc").find(C) != std::string_view::npos; }

TParsed Parse(std::string_view Mask, const TFormatSettings& FS) {
  TParsed P;
  // The mask ends at its first ";" that is not escaped; the fields follow.
  size_t End = Mask.size();
  for (size_t I = 0; I < Mask.size(); ++I) {
    if (Mask[I] == '\\') {
      ++I;
    } else if (Mask[I] == ';') {
      End = I;
      break;
    }
  }
  if (End < Mask.size()) {
    std::string_view Fields = Mask.substr(End + 1);
    size_t Semi = Fields.find(';');
    std::string_view Save = Fields.substr(0, Semi);
    P.SaveLiterals = Save.empty() || Save[0] != '0';
    if (Semi != std::string_view::npos && Semi + 1 < Fields.size()) {
      size_t I = Semi + 1;
      char32_t C = NextUtf8(Fields, I);
      if (C != 0xFFFFFFFF) P.Blank = C;
    }
  }
  TCase Case = TCase::None;
  std::string_view M = Mask.substr(0, End);
  for (size_t I = 0; I < M.size();) {
    const char C = M[I];
    if (C == '\\' && I + 1 < M.size()) {
      ++I;
      P.Positions.push_back({false, NextUtf8(M, I)});
      continue;
    }
    ++I;
    if (C == '!') {
      P.Reverse = true;
    } else if (C == '>') {
      if (I < M.size() && M[I] == '<') {
        Case = TCase::None;
        ++I;
      } else {
        Case = TCase::Upper;
      }
    } else if (C == '<') {
      Case = TCase::Lower;
    } else if (IsSlot(C)) {
      P.Positions.push_back({true, 0, Case});
    } else if (C == '_') {
      P.Positions.push_back({false, U' '});
    } else if (C == '/') {
      P.Positions.push_back({false, static_cast<unsigned char>(FS.DateSeparator)});
    } else if (C == ':') {
      P.Positions.push_back({false, static_cast<unsigned char>(FS.TimeSeparator)});
    } else {
      size_t Back = I - 1;
      P.Positions.push_back({false, NextUtf8(M, Back)});
      I = Back;
    }
  }
  return P;
}

char32_t Cased(char32_t C, TCase Case) {
  switch (Case) {
    case TCase::Upper: return UpperCaseChar(C);
    case TCase::Lower: return LowerCaseChar(C);
    case TCase::None: break;
  }
  return C;
}

std::vector<char32_t> CodePoints(std::string_view S) {
  std::vector<char32_t> Out;
  for (size_t I = 0; I < S.size();) {
    char32_t C = NextUtf8(S, I);
    Out.push_back(C == 0xFFFFFFFF ? U'\uFFFD' : C);
  }
  return Out;
}
}  // namespace

std::string FormatMaskText(std::string_view EditMask, std::string_view Value, const TFormatSettings& FS) {
  const TParsed P = Parse(EditMask, FS);
  std::vector<char32_t> In = CodePoints(Value);
  const size_t N = P.Positions.size();
  std::vector<char32_t> Out(N);
  size_t Used = 0;
  if (P.SaveLiterals) {
    // The value stands position for position; a literal of the mask wins over what is there.
    for (size_t I = 0; I < N; ++I) {
      const TPosition& Pos = P.Positions[I];
      if (!Pos.Slot) Out[I] = Pos.Literal;
      else Out[I] = I < In.size() ? Cased(In[I], Pos.Case) : P.Blank;
    }
    Used = std::min(In.size(), N);
  } else if (!P.Reverse) {
    for (size_t I = 0; I < N; ++I) {
      const TPosition& Pos = P.Positions[I];
      if (!Pos.Slot) Out[I] = Pos.Literal;
      else Out[I] = Used < In.size() ? Cased(In[Used++], Pos.Case) : P.Blank;
    }
  } else {
    // Filled from the end, so missing slots are the first ones.
    size_t Slots = 0;
    for (const TPosition& Pos : P.Positions) Slots += Pos.Slot;
    const size_t Take = std::min(Slots, In.size());
    size_t Next = In.size() - Take, Empty = Slots - Take;
    for (size_t I = 0; I < N; ++I) {
      const TPosition& Pos = P.Positions[I];
      if (!Pos.Slot) Out[I] = Pos.Literal;
      else if (Empty > 0) Out[I] = P.Blank, --Empty;
      else Out[I] = Cased(In[Next++], Pos.Case);
    }
    // The value's first characters, when it is longer than the mask, are not lost: they lead.
    std::string Result;
    for (size_t I = 0; I < In.size() - Take; ++I) AppendUtf8(Result, In[I]);
    for (char32_t C : Out) AppendUtf8(Result, C);
    return Result;
  }
  std::string Result;
  for (char32_t C : Out) AppendUtf8(Result, C);
  for (size_t I = Used; I < In.size(); ++I) AppendUtf8(Result, In[I]);
  return Result;
}

std::string FormatMaskText(std::string_view EditMask, std::string_view Value) {
  return FormatMaskText(EditMask, Value, FormatSettings());
}
