#include "exceptions/tools/SymbolNames.h"

#include <algorithm>
#include <cctype>

namespace {
bool IsIdentChar(char C) { return std::isalnum(static_cast<unsigned char>(C)) || C == '_' || C == '$'; }

// Where the keyword "operator" of the name's last component starts (npos when none): from there
// on the characters are the operator's, not brackets.
size_t OperatorStart(const std::string& S) {
  int Depth = 0;
  for (size_t I = 0; I < S.size(); ++I) {
    char C = S[I];
    if (Depth == 0 && S.compare(I, 8, "operator") == 0 && (I == 0 || !IsIdentChar(S[I - 1])) &&
        (I + 8 == S.size() || !IsIdentChar(S[I + 8])))
      return I;
    if (C == '<' || C == '(' || C == '{' || C == '[') ++Depth;
    if ((C == '>' || C == ')' || C == '}' || C == ']') && Depth > 0) --Depth;
  }
  return std::string::npos;
}

// Positions in [0, End) that are outside every bracket.
template <class F>
void ForTopLevel(const std::string& S, size_t End, F Visit) {
  int Depth = 0;
  for (size_t I = 0; I < End && I < S.size(); ++I) {
    char C = S[I];
    if (C == '<' || C == '(' || C == '{' || C == '[') ++Depth;
    else if ((C == '>' || C == ')' || C == '}' || C == ']') && Depth > 0) --Depth;
    else if (Depth == 0) Visit(I);
  }
}
}  // namespace

std::string QualifiedFunctionName(const std::string& Demangled) {
  std::string S = Demangled;
  for (size_t Clone; (Clone = S.find(" [clone ")) != std::string::npos;) {
    size_t Close = S.find(']', Clone);
    S.erase(Clone, Close == std::string::npos ? std::string::npos : Close - Clone + 1);
  }
  // The parameter list: the last ")" and the "(" that opens it; qualifiers after it go with it.
  size_t Close = S.rfind(')');
  if (Close != std::string::npos) {
    int Depth = 0;
    for (size_t I = Close + 1; I-- > 0;) {
      if (S[I] == ')') ++Depth;
      if (S[I] == '(' && --Depth == 0) {
        S.erase(I);
        break;
      }
    }
  }
  // A return type stands before the name, separated by a blank outside any bracket.
  size_t Op = OperatorStart(S);
  size_t Cut = std::string::npos;
  ForTopLevel(S, Op == std::string::npos ? S.size() : Op, [&](size_t I) {
    if (S[I] == ' ') Cut = I;
  });
  if (Cut != std::string::npos) S.erase(0, Cut + 1);
  return S;
}

std::string DottedProcedureName(const std::string& Qualified, bool IsMember) {
  size_t Op = OperatorStart(Qualified);
  size_t Split = std::string::npos;
  if (IsMember)
    ForTopLevel(Qualified, Op == std::string::npos ? Qualified.size() : Op, [&](size_t I) {
      if (Qualified.compare(I, 2, "::") == 0) Split = I;
    });
  if (Split == std::string::npos) {
    std::string R = Qualified;
    std::replace(R.begin(), R.end(), '.', '_');
    return R;
  }
  std::string Class = Qualified.substr(0, Split);
  std::replace(Class.begin(), Class.end(), '.', '_');
  return Class + "." + Qualified.substr(Split + 2);
}
