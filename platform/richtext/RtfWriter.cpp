#include "platform/richtext/RtfWriter.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "platform/richtext/RichTextLock.h"
#include "platform/rtl/Win1252.h"

namespace {
using TFontKey = std::tuple<std::string, uint8_t, uint8_t>;

TFontKey FontKey(const TRichCharFormat& F) { return {F.FaceName, F.Charset, F.PitchAndFamily}; }

void Hex(std::string& Out, unsigned B) {
  static const char Digits[] = "0123456789abcdef";
  Out += "\\'";
  Out += Digits[(B >> 4) & 15];
  Out += Digits[B & 15];
}

// One UTF-16 unit of text, 7-bit.
void Char(std::string& Out, char16_t C) {
  switch (C) {
    case u'\\': Out += "\\\\"; return;
    case u'{': Out += "\\{"; return;
    case u'}': Out += "\\}"; return;
    case u'\t': Out += "\\tab "; return;
    case u'\v': Out += "\\line "; return;
    default: break;
  }
  if (C >= 0x20 && C < 0x7F) {
    Out += static_cast<char>(C);
    return;
  }
  // Surrogates have no Windows-1252 byte: each half goes as \u, as readers expect.
  int B = (C >= 0xD800 && C <= 0xDFFF) ? -1 : CodePointToWin1252(C);
  if (B >= 0x80) {
    Hex(Out, static_cast<unsigned>(B));
    return;
  }
  Out += "\\u" + std::to_string(C > 32767 ? static_cast<int>(C) - 65536 : static_cast<int>(C)) + "?";
}

class TWriter {
public:
  explicit TWriter(const TRichTextDocument& Doc) : FDoc(Doc) {}

  std::string Run() {
    CollectTables();
    FOut = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab" + std::to_string(FDoc.DefaultTabWidth()) + "\\uc1\r\n";
    WriteFontTable();
    WriteColorTable();
    const auto& Paras = FDoc.Paragraphs();
    for (size_t I = 0; I < Paras.size(); ++I) {
      const TRichTextDocument::TParagraph& P = Paras[I];
      WritePara(P.Format());
      size_t Pos = 0;
      for (const TRichTextDocument::TRun& R : P.Runs) {
        Select(R.Format);
        for (size_t K = 0; K < static_cast<size_t>(R.Length); ++K) Char(FOut, P.Text[Pos + K]);
        Pos += static_cast<size_t>(R.Length);
      }
      // The mark's format, also for the last paragraph: it is the height of an empty line.
      Select(P.MarkFormat);
      if (I + 1 < Paras.size()) FOut += "\\par\r\n";
    }
    FOut += "}\r\n";
    return std::move(FOut);
  }

private:
  void CollectTables() {
    AddFont(FDoc.DefaultCharFormat());
    FColors.push_back(0);  // entry 0: the automatic colour, written empty
    // The formats in use, in the order of the text (the table also keeps ones that edits left unused).
    auto Add = [&](int Index) {
      const TRichCharFormat& F = FDoc.FormatAt(Index);
      AddFont(F);
      if (!F.AutoColor) AddColor(F.Color);
      if (!F.AutoBackColor) AddColor(F.BackColor);
    };
    for (const TRichTextDocument::TParagraph& P : FDoc.Paragraphs()) {
      for (const TRichTextDocument::TRun& R : P.Runs) Add(R.Format);
      Add(P.MarkFormat);
    }
  }
  void AddFont(const TRichCharFormat& F) {
    if (FFontIndex.emplace(FontKey(F), static_cast<int>(FFonts.size())).second) FFonts.push_back(F);
  }
  void AddColor(TColorRef C) {
    C &= 0xFFFFFF;
    if (FColorIndex.emplace(C, static_cast<int>(FColors.size())).second) FColors.push_back(C);
  }

  void WriteFontTable() {
    static const char* const Families[] = {"fnil", "froman", "fswiss", "fmodern", "fscript", "fdecor"};
    FOut += "{\\fonttbl";
    for (size_t I = 0; I < FFonts.size(); ++I) {
      const TRichCharFormat& F = FFonts[I];
      int Family = F.PitchAndFamily >> 4;
      FOut += "{\\f" + std::to_string(I) + "\\" + (Family <= 5 ? Families[Family] : "fnil") + "\\fcharset" +
              std::to_string(F.Charset);
      if (F.PitchAndFamily & 3) FOut += "\\fprq" + std::to_string(F.PitchAndFamily & 3);
      FOut += ' ';
      // A semicolon ends the entry, whatever escapes it: the name goes without.
      for (char16_t C : Utf8ToUtf16(F.FaceName))
        if (C != u';') Char(FOut, C);
      FOut += ";}";
    }
    FOut += "}\r\n";
  }

  void WriteColorTable() {
    if (FColors.size() <= 1) return;
    FOut += "{\\colortbl ;";
    for (size_t I = 1; I < FColors.size(); ++I) {
      TColorRef C = FColors[I];
      FOut += "\\red" + std::to_string(C & 0xFF) + "\\green" + std::to_string((C >> 8) & 0xFF) + "\\blue" +
              std::to_string((C >> 16) & 0xFF) + ";";
    }
    FOut += "}\r\n";
  }

  void WritePara(const TRichParaFormat& P) {
    FOut += "\\pard";
    switch (P.Alignment) {
      case TParaAlignment::Left: break;
      case TParaAlignment::Right: FOut += "\\qr"; break;
      case TParaAlignment::Center: FOut += "\\qc"; break;
      case TParaAlignment::Justify: FOut += "\\qj"; break;
    }
    auto Num = [&](const char* Word, int Value) {
      if (Value != 0) FOut += std::string("\\") + Word + std::to_string(Value);
    };
    Num("li", P.LeftIndent);
    Num("ri", P.RightIndent);
    Num("fi", P.FirstIndent);
    Num("sb", P.SpaceBefore);
    Num("sa", P.SpaceAfter);
    if (P.LineSpacing != 0) {
      Num("sl", P.LineSpacing);
      FOut += P.LineSpacingMultiple ? "\\slmult1" : "\\slmult0";
    }
    for (const TRichTab& T : P.Tabs) {
      switch (T.Kind) {
        case TTabKind::Left: break;
        case TTabKind::Right: FOut += "\\tqr"; break;
        case TTabKind::Center: FOut += "\\tqc"; break;
        case TTabKind::Decimal: FOut += "\\tqdec"; break;
      }
      FOut += "\\tx" + std::to_string(T.Position);
    }
    FOut += ' ';
    FCurrent = -1;  // \pard leaves character attributes alone, but a fresh run start is clearer
  }

  void Select(int Format) {
    if (Format == FCurrent) return;
    FCurrent = Format;
    const TRichCharFormat& F = FDoc.FormatAt(Format);
    FOut += "\\plain\\f" + std::to_string(FFontIndex.at(FontKey(F)));
    FOut += "\\fs" + std::to_string(std::max(1, (F.Size + 5) / 10));
    if (F.Bold) FOut += "\\b";
    if (F.Italic) FOut += "\\i";
    if (F.Underline) FOut += "\\ul";
    if (F.StrikeOut) FOut += "\\strike";
    if (!F.AutoColor) FOut += "\\cf" + std::to_string(FColorIndex.at(F.Color & 0xFFFFFF));
    if (!F.AutoBackColor) FOut += "\\highlight" + std::to_string(FColorIndex.at(F.BackColor & 0xFFFFFF));
    FOut += ' ';
  }

  const TRichTextDocument& FDoc;
  std::string FOut;
  std::vector<TRichCharFormat> FFonts;
  std::map<TFontKey, int> FFontIndex;
  std::vector<TColorRef> FColors;
  std::map<TColorRef, int> FColorIndex;
  int FCurrent = -1;
};
}  // namespace

std::string WriteRichText(const TRichTextDocument& Doc) {
  TLock L(RichTextLock());
  return TWriter(Doc).Run();
}

std::string WriteRichText(const TRichTextDocument& Doc, int Start, int Count) {
  TLock L(RichTextLock());
  TRichTextDocument Part(Doc);
  int Length = Part.Length();
  Start = std::clamp(Start, 0, Length);
  if (Count >= 0 && Start + Count < Length) Part.Replace(Start + Count, -1, u"");
  Part.Replace(0, Start, u"");
  return TWriter(Part).Run();
}
