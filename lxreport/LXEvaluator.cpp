#include "lxreport/LXEvaluator.h"

#include <climits>

#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXEvFunctions.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/LocaleCase.h"
#include "platform/rtl/SysUtils.h"

using namespace LXExprText;

namespace {

char LowerAscii(char C) { return (C >= 'A' && C <= 'Z') ? static_cast<char>(C + 32) : C; }

bool MatchNoCase(const std::string& T, size_t At, const char* Word) {
  for (size_t K = 0; Word[K]; ++K)
    if (At + K >= T.size() || LowerAscii(T[At + K]) != Word[K]) return false;
  return true;
}

// The operator found by one level's scan.
struct TSplit {
  size_t Pos = std::string::npos;  // first character of the operator
  size_t Skip = 0;                 // characters from Pos to the start of the right part
  TLXEvOpCode Op = ocAdd;
};

// Walks positions 0 .. size-2 keeping the quote, parenthesis and bracket
// states; an operator qualifies at depth 0, outside quotes and brackets, from
// the second character on. Test returns true when Pos holds its operator.
template <typename TTest>
TSplit Scan(const std::string& T, TTest Test) {
  TSplit S;
  bool Quote = false, Bracket = false;
  int Depth = 0;
  for (size_t I = 0; I + 1 < T.size(); ++I) {
    char C = T[I];
    if (C == '\'' && !Bracket) Quote = !Quote;
    else if (C == '(' && !Quote && !Bracket) ++Depth;
    else if (C == ')' && !Quote && !Bracket) --Depth;
    else if (C == '[' && !Quote && !Bracket) Bracket = true;
    else if (C == ']' && Bracket) Bracket = false;
    if (Depth == 0 && !Quote && !Bracket && I >= 1 && Test(T, I, S)) {
      S.Pos = I;
      return S;
    }
  }
  return TSplit{};
}

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

}  // namespace

std::string SwapTopLevel(const std::string& Text, char First, char Second) {
  std::string R = Text;
  bool Quote = false;
  int Depth = 0;
  for (char& C : R) {
    if (C == '\'') Quote = !Quote;
    else if (!Quote && C == '(') ++Depth;
    else if (!Quote && C == ')') --Depth;
    else if (!Quote && Depth == 0) {
      if (C == First) C = Second;
      else if (C == Second) C = First;
    }
  }
  return R;
}

size_t FindArgumentSeparator(const std::string& Text) {
  bool Quote = false;
  int Depth = 0;
  for (size_t I = 0; I + 1 < Text.size(); ++I) {
    char C = Text[I];
    if (C == '\'') Quote = !Quote;
    else if (!Quote && C == '(') ++Depth;
    else if (!Quote && C == ')') --Depth;
    else if (!Quote && Depth == 0 && C == ArgumentSeparator) return I + 1;
  }
  return 0;
}

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
  ParseComparison(Text.empty() ? std::string("' '") : Text);
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
  struct TGuard {
    TLXEvaluator* E;
    ~TGuard() { E->SetAggregating(false); }
  } Guard{this};
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

void TLXEvaluator::ParseComparison(const std::string& Text) {
  TSplit S = Scan(Text, [](const std::string& T, size_t I, TSplit& R) {
    switch (T[I]) {
      case '<':
        if (T[I + 1] == '>') R = {0, 2, ocNotEqual};
        else if (T[I + 1] == '=') R = {0, 2, ocLessEqual};
        else R = {0, 1, ocLess};
        return true;
      case '=': R = {0, 1, ocEqual}; return true;
      case '>':
        if (T[I + 1] == '=') R = {0, 2, ocGreaterEqual};
        else R = {0, 1, ocGreater};
        return true;
      default: return false;
    }
  });
  if (S.Pos == std::string::npos) return ParseSum(Text);
  Append(TLXEvElementOperator::CreateWithOpCode(S.Op));
  ParseSum(Text.substr(0, S.Pos));
  ParseSum(Text.substr(S.Pos + S.Skip));
}

void TLXEvaluator::ParseSum(const std::string& Text) {
  // "or" needs a blank on each side; the split point is its o, so the left
  // part keeps the blank before it.
  TSplit S = Scan(Text, [](const std::string& T, size_t I, TSplit& R) {
    if (T[I] == '+') R = {0, 1, ocAdd};
    else if (T[I] == '-') R = {0, 1, ocSubtract};
    else if (T[I - 1] == ' ' && MatchNoCase(T, I, "or ")) R = {0, 2, ocOr};
    else return false;
    return true;
  });
  if (S.Pos == std::string::npos) return ParseProduct(Text);
  Append(TLXEvElementOperator::CreateWithOpCode(S.Op));
  ParseProduct(Text.substr(0, S.Pos));
  std::string Right = Text.substr(S.Pos + S.Skip);
  // The split is right-recursive; swapping the signs makes a-b+c mean (a-b)+c.
  ParseSum(S.Op == ocSubtract ? SwapTopLevel(Right, '+', '-') : Right);
}

void TLXEvaluator::ParseProduct(const std::string& Text) {
  TSplit S = Scan(Text, [](const std::string& T, size_t I, TSplit& R) {
    if (T[I] == '*') R = {0, 1, ocMultiply};
    else if (T[I] == '/') R = {0, 1, ocDivide};
    else if (T[I - 1] == ' ' && MatchNoCase(T, I, "and ")) R = {0, 3, ocAnd};
    else return false;
    return true;
  });
  if (S.Pos == std::string::npos) return ParseFactor(Text);
  Append(TLXEvElementOperator::CreateWithOpCode(S.Op));
  ParseFactor(Text.substr(0, S.Pos));
  std::string Right = Text.substr(S.Pos + S.Skip);
  ParseProduct(S.Op == ocDivide ? SwapTopLevel(Right, '*', '/') : Right);
}

void TLXEvaluator::ParseFactor(std::string Text) {
  size_t B = Text.find_first_not_of(' ');
  Text = B == std::string::npos ? std::string() : Text.substr(B, Text.find_last_not_of(' ') - B + 1);
  // NOT is the keyword only when what follows cannot continue a name, so
  // fields such as NOTA or NOTES are names.
  if (Text.size() >= 3 && MatchNoCase(Text, 0, "not") && (Text.size() == 3 || !NameChar(Text[3]))) {
    Append(std::make_unique<TLXEvElementNot>());
    ParseSum(Text.substr(3));
    return;
  }
  if (Text.empty()) return AppendError(Format(ErrorInExpression, {""}));
  char First = Text[0], Last = Text.back();
  std::string Inner = Text.size() >= 2 ? Text.substr(1, Text.size() - 2) : std::string();
  switch (First) {
    case '\'':
      if (Text.size() >= 2 && Last == '\'') Append(TLXEvElementString::CreateWithText(Inner));
      else AppendError(Format(Missing, {"'"}));
      return;
    case '(':
      if (Text.size() >= 2 && Last == ')') ParseComparison(Inner);
      else AppendError(Format(Missing, {")"}));
      return;
    case '[':
      if (Text.size() >= 2 && Last == ']') CompileName(Inner);
      else AppendError(Format(Missing, {"]"}));
      return;
    case '+': return ParseFactor(Text.substr(1));
    case '-': return ParseSum("0-" + Text.substr(1));
    default: break;
  }
  if (First >= '0' && First <= '9') return ParseNumber(Text);
  if ((First >= 'A' && First <= 'Z') || (First >= 'a' && First <= 'z')) return ParseCall(Text);
  AppendError(Format(ErrorInExpression, {Text}));
}

void TLXEvaluator::ParseNumber(const std::string& Text) {
  size_t Digits = 0;
  while (Digits < Text.size() && Text[Digits] >= '0' && Text[Digits] <= '9') ++Digits;
  auto Illegal = [&] {
    AppendError(std::string(IllegalNumeric) + "\"" + Text.substr(0, TLXEvValue::MaxText) + "\"");
  };
  if (Digits == Text.size()) {
    // Digits only: a 32-bit integer when it fits, else a float.
    if (Digits <= 10) {
      long long V = std::stoll(Text);
      if (V <= INT_MAX) return Append(TLXEvElementConstant::CreateWithValue(TLXEvValue::OfInteger(static_cast<int32_t>(V))));
    }
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

void TLXEvaluator::ParseCall(const std::string& Text) {
  size_t Open = Text.find('(');
  if (Open == std::string::npos) return CompileFunction(Text, "");
  if (Text.back() == ')') return CompileFunction(Text.substr(0, Open), Text.substr(Open + 1, Text.size() - Open - 2));
  CompileFunction("", "");
}

void TLXEvaluator::CompileFunction(const std::string& Name, const std::string& Arguments) {
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
  std::string Rest = Arguments;
  for (;;) {
    size_t P = FindArgumentSeparator(Rest);
    if (P > 0) ParseComparison(Rest.substr(0, P - 1));
    else if (!Rest.empty()) ParseComparison(Rest);
    if (P == 0) break;
    Rest.erase(0, P);
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
