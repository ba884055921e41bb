#include "lxreport/LXEvaluator.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXEvFunctions.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/LocaleCase.h"
#include "platform/rtl/SysUtils.h"

using namespace LXExprText;

namespace {

char LowerAscii(char C) { return (C >= 'A' && C <= 'Z') ? static_cast<char>(C + 32) : C; }

bool MatchNoCase(const char* At, const char* End, const char* Word) {
  for (size_t K = 0; Word[K]; ++K)
    if (At + K >= End || LowerAscii(At[K]) != Word[K]) return false;
  return true;
}

// Quote, parenthesis and bracket states of an operator scan. An operator
// counts only at the top level: depth 0, outside quotes and brackets.
struct TScanState {
  bool Quote = false, Bracket = false;
  int Depth = 0;
  void Step(char C) {
    if (C == '\'' && !Bracket) Quote = !Quote;
    else if (C == '(' && !Quote && !Bracket) ++Depth;
    else if (C == ')' && !Quote && !Bracket) --Depth;
    else if (C == '[' && !Quote && !Bracket) Bracket = true;
    else if (C == ']' && Bracket) Bracket = false;
  }
  bool TopLevel() const { return Depth == 0 && !Quote && !Bracket; }
};

// The sign swaps of one chain, done as the scan reaches each character.
// Every subtraction (division) swaps "+" and "-" ("*" and "/") in the rest
// of the chain: at parenthesis depth 0 and outside quotes as counted from
// the start of that rest (brackets are not tracked), except its first
// non-blank character, a sign that belongs to the first factor.
//
// Each swap is a small machine walking the rest; all of them read the same
// characters, so they are kept as two groups (outside and inside quotes) of
// depths relative to a shared offset, and two machines in the same state
// cancel out. A chain of n terms costs O(n), not n rewrites of its rest.
class TSwaps {
public:
  bool Active() const { return FPending || !FOdd[0].empty() || !FOdd[1].empty(); }
  // A swap of the rest from here on.
  void Start() { FPending = true; }
  // Whether sign C here is swapped; then steps every machine over C.
  bool Swap(char C) {
    bool Odd = false;
    if (C != ' ') {
      if (C == '+' || C == '-' || C == '*' || C == '/') {
        const std::vector<int>& V = FOdd[FOut];
        Odd = std::find(V.begin(), V.end(), -FOffset[FOut]) != V.end();
      }
      // The new machine starts on the first non-blank character (blanks
      // change no state), skipping it.
      if (FPending) Toggle(FOut, -FOffset[FOut]);
      FPending = false;
    }
    if (C == '\'') FOut ^= 1;
    else if (C == '(') ++FOffset[FOut];
    else if (C == ')') --FOffset[FOut];
    return Odd;
  }

private:
  void Toggle(int Group, int Key) {
    std::vector<int>& V = FOdd[Group];
    auto It = std::find(V.begin(), V.end(), Key);
    if (It == V.end()) V.push_back(Key);
    else V.erase(It);
  }
  std::vector<int> FOdd[2];  // keys of groups with an odd number of machines
  int FOffset[2] = {0, 0};
  int FOut = 0;  // which group is outside quotes
  bool FPending = false;
};

bool NameChar(char C) {
  unsigned char U = static_cast<unsigned char>(C);
  return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '_' || C == '.' ||
         U >= 0x80;
}

TFormatSettings PeriodSettings() {
  TFormatSettings FS;
  FS.DecimalSeparator = '.';
  FS.ThousandSeparator = ',';
  return FS;
}

// 1-based position of the first argument separator; see FindArgumentSeparator.
size_t FindSeparator(const char* B, const char* E) {
  if (B == E) return 0;  // a call without parentheses has no text at all
  bool Quote = false;
  int Depth = 0;
  for (const char* C = B; C + 1 < E; ++C) {
    if (*C == '\'') Quote = !Quote;
    else if (!Quote && *C == '(') ++Depth;
    else if (!Quote && *C == ')') --Depth;
    else if (!Quote && Depth == 0 && *C == ArgumentSeparator) return static_cast<size_t>(C - B) + 1;
  }
  return 0;
}

}  // namespace

size_t FindArgumentSeparator(const std::string& Text) { return FindSeparator(Text.data(), Text.data() + Text.size()); }

TLXEvaluator::TLXEvaluator() = default;

TLXEvaluator::~TLXEvaluator() {
  if (FCompiled) Discard();
}

void TLXEvaluator::AssignDataSets(TLXDataSetList* List) {
  if (FDataSets && FDataSets != List && FDataSets == FOwnedDataSets.get()) FOwnedDataSets.reset();
  FDataSets = List;
}

TLXDataSetList* TLXEvaluator::DataSetList() {
  if (!FDataSets) {
    FOwnedDataSets = std::make_unique<TLXDataSetList>();
    FDataSets = FOwnedDataSets.get();
  }
  return FDataSets;
}

void TLXEvaluator::Compile(const std::string& Text) {
  if (FCompiled) Discard();
  if (TLXEvEnvironment* Shared = SharedEnvironment()) Shared->Compile();
  FQueue = std::make_unique<TLXFiFo>();
  FCompiled = true;  // the shared environment is held from here on
  FHeight = 0;
  FTooDeep = false;
  if (Text.size() > MaxLength) return AppendError(Format(TooLong, {static_cast<int>(MaxLength)}));
  // Parentheses deeper than the limit are refused before compiling: each
  // level would scan its inside again.
  TScanState S;
  for (char C : Text) {
    S.Step(C);
    if (S.Depth > MaxDepth) return AppendError(Format(TooDeep, {MaxDepth}));
  }
  std::string Work = Text.empty() ? std::string("' '") : Text;
  ParseComparison({Work.data(), Work.data() + Work.size()}, 0);
  if (FTooDeep) {
    // Some part went too deep: the error is the whole expression, so that no
    // function or operator around it turns it into another message.
    FQueue = std::make_unique<TLXFiFo>();
    AppendError(Format(TooDeep, {MaxDepth}));
  }
}

void TLXEvaluator::Discard() {
  FQueue.reset();
  // Only a compiled evaluator holds a use of the shared environment.
  if (FCompiled)
    if (TLXEvEnvironment* Shared = SharedEnvironment()) Shared->Discard();
  FCompiled = false;
}

void TLXEvaluator::CurrentValue(TLXEvValue& Value) {
  if (!FCompiled) throw Exception(NotPrepared);
  FQueue->Rewind();
  ProduceNext(*FQueue, Value);
}

void TLXEvaluator::AccumulateAggregates() {
  TFinally Done([this]() noexcept { SetAggregating(false); });
  SetAggregating(true);
  TLXEvValue Scratch;
  CurrentValue(Scratch);
}

bool TLXEvaluator::HasAggregates() const {
  if (!FQueue) return false;
  for (int I = 0; I < FQueue->Count(); ++I)
    if (FQueue->Items(I)->Aggregate()) return true;
  return false;
}

void TLXEvaluator::ResetAggregates() {
  if (!FQueue) return;
  for (int I = 0; I < FQueue->Count(); ++I) FQueue->Items(I)->ResetState();
}

void TLXEvaluator::SetAggregating(bool Flag) {
  if (FQueue) FQueue->SetAggregating(Flag);
}

void TLXEvaluator::EvaluateOnce(const std::string& Text, TLXEvValue& Value) {
  Compile(Text);
  CurrentValue(Value);
  Discard();
}

void TLXEvaluator::AppendError(const std::string& Message) { Append(TLXEvElementError::CreateWithMessage(Message)); }

// ---- levels ----
//
// Each level splits its part at the leftmost operator of its own level on
// the top level, appends the operator and then compiles the two sides, so
// the queue holds an operator before its operands. An operator needs a
// non-blank character before it in its part: a leading sign, blanks before
// it or not, belongs to the first factor.

bool TLXEvaluator::Enter(int Depth) {
  if (Depth > FHeight) FHeight = Depth;
  if (Depth > MaxDepth) FTooDeep = true;
  return !FTooDeep;  // once too deep, nothing more is compiled
}

void TLXEvaluator::ParseComparison(TPart P, int Depth) {
  if (!Enter(Depth)) return;
  TScanState S;
  bool Seen = false;  // a non-blank before
  for (char* C = P.B; C + 1 < P.E; ++C) {
    S.Step(*C);
    if (Seen && S.TopLevel()) {
      TLXEvOpCode Op;
      size_t Skip = 1;
      switch (*C) {
        case '<':
          if (C[1] == '>') Op = ocNotEqual, Skip = 2;
          else if (C[1] == '=') Op = ocLessEqual, Skip = 2;
          else Op = ocLess;
          break;
        case '=': Op = ocEqual; break;
        case '>':
          if (C[1] == '=') Op = ocGreaterEqual, Skip = 2;
          else Op = ocGreater;
          break;
        default: Seen = Seen || *C != ' '; continue;
      }
      Append(TLXEvElementOperator::CreateWithOpCode(Op));
      ParseChain(true, {P.B, C}, Depth + 1, false);
      ParseChain(true, {C + Skip, P.E}, Depth + 1, false);
      return;
    }
    Seen = Seen || *C != ' ';
  }
  ParseChain(true, P, Depth, false);
}

void TLXEvaluator::ParseChain(bool Sum, TPart P, int Depth, bool Swapped) {
  if (!Enter(Depth)) return;
  const char Plus = Sum ? '+' : '*', Minus = Sum ? '-' : '/';
  // "or" and "and" need a blank on each side; the split point is their first
  // letter, so the left side keeps the blank before it.
  const char* Word = Sum ? "or " : "and ";
  const size_t WordSkip = Sum ? 2 : 3;
  // The sides below: a sum's terms are products, a product's are factors.
  auto Side = [&](TPart Part, int D) {
    if (Sum) ParseChain(false, Part, D, false);
    else ParseFactor(Part, D);
  };
  TSwaps Swaps;
  if (Swapped) Swaps.Start();
  TScanState S;
  bool Seen = false;
  char* Start = P.B;  // of the rest of the chain
  for (char* C = P.B; C < P.E; ++C) {
    if (Swaps.Active() && Swaps.Swap(*C) && (*C == Plus || *C == Minus)) *C = *C == Plus ? Minus : Plus;
    S.Step(*C);
    if (Seen && C + 1 < P.E && S.TopLevel()) {
      TLXEvOpCode Op;
      size_t Skip = 1;
      if (*C == Plus) Op = Sum ? ocAdd : ocMultiply;
      else if (*C == Minus) Op = Sum ? ocSubtract : ocDivide;
      else if (C[-1] == ' ' && MatchNoCase(C, P.E, Word)) Op = Sum ? ocOr : ocAnd, Skip = WordSkip;
      else {
        Seen = Seen || *C != ' ';
        continue;
      }
      if (!Enter(Depth + 1)) return;
      Append(TLXEvElementOperator::CreateWithOpCode(Op));
      Side({Start, C}, Depth + 1);
      // The rest is the right operand, one level down. Swapping its signs
      // makes the right-recursive split left-associative: a-b+c is a-(b-c),
      // and a - -b + c is a-((-b)-c).
      ++Depth;
      if (Op == ocSubtract || Op == ocDivide) Swaps.Start();
      C += Skip - 1;  // the letters of "or" and "and" change no state
      Start = C + 1;
      Seen = false;
      continue;
    }
    Seen = Seen || *C != ' ';
  }
  Side({Start, P.E}, Depth);
}

void TLXEvaluator::ParseFactor(TPart P, int Depth) {
  if (!Enter(Depth)) return;
  for (;;) {
    while (P.B < P.E && *P.B == ' ') ++P.B;
    while (P.E > P.B && P.E[-1] == ' ') --P.E;
    size_t Size = static_cast<size_t>(P.E - P.B);
    // NOT is the keyword only when what follows cannot continue a name, so
    // fields such as NOTA or NOTES are names.
    if (Size >= 3 && MatchNoCase(P.B, P.E, "not") && (Size == 3 || !NameChar(P.B[3]))) {
      Append(std::make_unique<TLXEvElementNot>());
      ParseChain(true, {P.B + 3, P.E}, Depth + 1, false);
      return;
    }
    if (Size == 0) return AppendError(Format(ErrorInExpression, {""}));
    char First = *P.B, Last = P.E[-1];
    TPart Inner{P.B + 1, P.E - 1};
    switch (First) {
      case '\'':
        if (Size >= 2 && Last == '\'') Append(TLXEvElementString::CreateWithText(std::string(Inner.B, Inner.E)));
        else AppendError(Format(Missing, {"'"}));
        return;
      case '(':
        if (Size >= 2 && Last == ')') ParseComparison(Inner, Depth + 1);
        else AppendError(Format(Missing, {")"}));
        return;
      case '[':
        FDepth = Depth;
        if (Size >= 2 && Last == ']') CompileName(std::string(Inner.B, Inner.E));
        else AppendError(Format(Missing, {"]"}));
        return;
      case '+':
        ++P.B;  // the rest is the factor
        continue;
      case '-':
        // -x is 0-x: a subtraction whose right side is the rest.
        if (Size == 1) return AppendError(std::string(IllegalNumeric) + "\"0-\"");
        if (!Enter(Depth + 1)) return;
        Append(TLXEvElementOperator::CreateWithOpCode(ocSubtract));
        Append(TLXEvElementConstant::CreateWithValue(TLXEvValue::OfInteger(0)));
        ParseChain(true, {P.B + 1, P.E}, Depth + 1, true);
        return;
      default: break;
    }
    if (First >= '0' && First <= '9') return ParseNumber(std::string(P.B, P.E));
    if ((First >= 'A' && First <= 'Z') || (First >= 'a' && First <= 'z')) return ParseCall(P, Depth);
    return AppendError(Format(ErrorInExpression, {std::string(P.B, P.E)}));
  }
}

void TLXEvaluator::ParseNumber(const std::string& Text) {
  size_t Digits = 0;
  while (Digits < Text.size() && Text[Digits] >= '0' && Text[Digits] <= '9') ++Digits;
  auto Illegal = [&] {
    AppendError(std::string(IllegalNumeric) + "\"" + Text + "\"");
  };
  if (Digits == Text.size()) {
    // Digits only: a 32-bit integer when it fits, leading zeros or not; else a float.
    int64_t V = 0;
    for (char C : Text) {
      V = V * 10 + (C - '0');
      if (V > INT32_MAX) break;
    }
    if (V <= INT32_MAX) return Append(TLXEvElementConstant::CreateWithValue(TLXEvValue::OfInteger(static_cast<int32_t>(V))));
  } else {
    for (size_t I = Digits; I < Text.size(); ++I)
      if (std::string_view("+-.0123456789Ee").find(Text[I]) == std::string_view::npos) return Illegal();
  }
  // Literals always use the period, whatever the locale.
  static const TFormatSettings Period = PeriodSettings();
  double F;
  if (!TryStrToFloat(Text, F, Period)) return Illegal();
  Append(TLXEvElementConstant::CreateWithValue(TLXEvValue::OfFloat(F)));
}

void TLXEvaluator::ParseCall(TPart P, int Depth) {
  FDepth = Depth;
  char* Open = std::find(P.B, P.E, '(');
  if (Open == P.E) return CompileFunction(std::string(P.B, P.E), {});
  if (P.E[-1] == ')') return CompileFunction(std::string(P.B, Open), {Open + 1, P.E - 1});
  CompileFunction("", {});
}

void TLXEvaluator::CompileFunction(const std::string& Name, std::span<char> Arguments) {
  int Depth = FDepth;
  std::string Upper = AnsiUpperCase(Name);
  std::unique_ptr<TLXEvElement> E;
  if (TLXFunctionLibrary* Lib = ExpressionFunctions()) E = Lib->NewFunctionElement(Upper);
  else E = TLXEvElementError::CreateWithMessage(Format(UnknownFunction, {Upper}));
  if (dynamic_cast<TLXEvElementError*>(E.get())) {
    // A bare identifier is first a function, then a field, then a variable.
    if (!Arguments.empty()) Append(std::move(E));
    else CompileName(Upper);
    return;
  }
  Append(std::move(E));
  // Each argument between separators.
  char* B = Arguments.data();
  char* End = B + Arguments.size();
  for (;;) {
    size_t P = FindSeparator(B, End);
    if (P > 0) ParseComparison({B, B + P - 1}, Depth + 1);
    else if (B != End) ParseComparison({B, End}, Depth + 1);
    if (P == 0) break;
    B += P;
  }
  Append(std::make_unique<TLXEvElementArgumentEnd>());
}

void TLXEvaluator::CompileName(const std::string& Name) {
  if (!FDataSets) return CompileEnvironmentName(Name);
  std::string SetName, FieldName;
  size_t Dot = Name.find('.');
  if (Dot == std::string::npos) {
    FieldName = AnsiUpperCase(Name);
  } else {
    SetName = AnsiUpperCase(Name.substr(0, Dot));
    FieldName = AnsiUpperCase(Name.substr(Dot + 1));
  }
  for (TLXDataSetAccess* DS : *FDataSets) {
    if (!DS) continue;
    if (!SetName.empty()) {
      if (AnsiUpperCase(DS->Name()) != SetName) continue;
      int I = DS->FindFieldIndex(FieldName);
      if (I >= 0) return Append(TLXEvElementDataField::CreateForField(DS, I));
      break;  // the first data set of that name decides
    }
    int I = DS->FindFieldIndex(FieldName);
    if (I >= 0) return Append(TLXEvElementDataField::CreateForField(DS, I));
  }
  CompileEnvironmentName(Name);
}

void TLXEvaluator::CompileEnvironmentName(const std::string& Name) {
  TLXEvEnvironment* Shared = SharedEnvironment();
  std::unique_ptr<TLXEvElement> E;
  if (FEnvironment) E = FEnvironment->ElementFor(Name);
  if (Shared && (!E || dynamic_cast<TLXEvElementError*>(E.get()))) E = Shared->ElementFor(Name);
  if (!E) E = TLXEvElementError::CreateWithMessage(Format(UnknownFunction, {Name}));
  Append(std::move(E));
}
