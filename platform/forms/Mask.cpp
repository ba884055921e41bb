#include "platform/forms/Mask.h"

#include <QLineEdit>

namespace {
struct TParsedMask {
  std::string Qt;
  std::vector<bool> Literal;
  bool SaveLiterals = true;
  char Blank = '_';
};

TParsedMask ParseMask(const std::string& EditMask) {
  TParsedMask P;
  if (EditMask.empty()) return P;
  // The last two ';' fields are the save-literals flag and the blank character.
  std::string Mask = EditMask;
  size_t Semi = std::string::npos;
  for (size_t I = 0; I < Mask.size(); ++I) {
    if (Mask[I] == '\\') {
      ++I;
      continue;
    }
    if (Mask[I] == ';') {
      Semi = I;
      break;
    }
  }
  std::string Fields = Semi == std::string::npos ? std::string() : Mask.substr(Semi + 1);
  Mask = Mask.substr(0, Semi);
  if (!Fields.empty()) {
    P.SaveLiterals = Fields[0] != '0';
    size_t S2 = Fields.find(';');
    if (S2 != std::string::npos && S2 + 1 < Fields.size()) P.Blank = Fields[S2 + 1];
  }
  auto Literal = [&](char C) {
    // Characters Qt gives a meaning are escaped.
    if (std::string("AaNnXx90Dd#HhBb><!\\;{}[]").find(C) != std::string::npos) P.Qt += '\\';
    P.Qt += C;
    P.Literal.push_back(true);
  };
  auto Slot = [&](char QtChar) {
    P.Qt += QtChar;
    P.Literal.push_back(false);
  };
  for (size_t I = 0; I < Mask.size(); ++I) {
    char C = Mask[I];
    switch (C) {
      case '\\':
        if (I + 1 < Mask.size()) Literal(Mask[++I]);
        break;
      case '0': Slot('9'); break;
      case '9': Slot('0'); break;
      case '#': Slot('#'); break;
      case 'L': Slot('A'); break;
      case 'l': Slot('a'); break;
      case 'A': Slot('N'); break;
      case 'a': Slot('n'); break;
      case 'C': Slot('X'); break;
      case 'c': Slot('x'); break;
      case '>':
        if (I + 1 < Mask.size() && Mask[I + 1] == '<') {
          P.Qt += '!';
          ++I;
        } else {
          P.Qt += '>';
        }
        break;
      case '<': P.Qt += '<'; break;
      case '!': break;  // blanks leading instead of trailing: no Qt equivalent needed
      default: Literal(C); break;
    }
  }
  P.Qt += ';';
  P.Qt += P.Blank;
  return P;
}
}  // namespace

std::string QtInputMask(const std::string& EditMask) { return ParseMask(EditMask).Qt; }

const TClassInfo& TMaskEdit::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TMaskEdit>("TMaskEdit", &TEdit::StaticClassInfo())
                                     .Prop("EditMask", &TMaskEdit::EditMask, &TMaskEdit::SetEditMask);
  return Info;
}

TMaskEdit::TMaskEdit(TComponent* AOwner) : TEdit(AOwner) {}

void TMaskEdit::SetEditMask(const std::string& V) {
  FEditMask = V;
  TParsedMask P = ParseMask(V);
  FLiteral = P.Literal;
  FSaveLiterals = P.SaveLiterals;
  FBlank = P.Blank;
  static_cast<QLineEdit*>(Widget())->setInputMask(QString::fromStdString(P.Qt));
}

std::string TMaskEdit::EditText() const { return static_cast<QLineEdit*>(Widget())->displayText().toStdString(); }

std::string TMaskEdit::GetText() const {
  if (FEditMask.empty()) return TEdit::GetText();
  QString Shown = static_cast<QLineEdit*>(Widget())->displayText();
  QString Out;
  for (int I = 0; I < Shown.size(); ++I) {
    bool Lit = static_cast<size_t>(I) < FLiteral.size() && FLiteral[static_cast<size_t>(I)];
    if (Lit) {
      if (FSaveLiterals) Out += Shown[I];
    } else if (Shown[I] != QChar::fromLatin1(FBlank)) {
      Out += Shown[I];
    }
  }
  return Out.toStdString();
}
