#include "lxreport/LXEvFunctions.h"

#include <cmath>
#include <cstdint>

#include "lxreport/LXEvEnvironment.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/LocaleCase.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

using namespace LXExprText;

// ---- library ----

void TLXLibrary::AddEntry(TLXFunctionClass ElementClass, const std::string& Name, const std::string& Description,
                          const std::string& ArgumentCode, const std::string& Vendor) {
  auto E = std::make_unique<TLXLibraryEntry>();
  E->Description = Description;
  E->ArgumentCode = ArgumentCode;
  E->ElementClass = ElementClass;
  E->Name = Name;
  E->Vendor = Vendor;
  FEntries.push_back(std::move(E));
}

TLXLibraryEntry* TLXLibrary::EntryAt(int Index) {
  return Index >= 0 && Index < Count() ? FEntries[static_cast<size_t>(Index)].get() : nullptr;
}

int TLXLibrary::IndexOf(const std::string& Name) const {
  std::string U = AnsiUpperCase(Name);
  for (size_t I = 0; I < FEntries.size(); ++I)
    if (AnsiUpperCase(FEntries[I]->Name) == U) return static_cast<int>(I);
  return -1;
}

std::unique_ptr<TLXEvElement> TLXFunctionLibrary::NewFunctionElement(const std::string& Name) {
  int I = IndexOf(Name);
  if (I < 0) return TLXEvElementError::CreateWithMessage(Format(UnknownFunction, {Name}));
  return EntryAt(I)->ElementClass();
}

// ---- process-wide state ----

char ArgumentSeparator = ',';
bool ReleasingEnvironments = false;

namespace {
int GInitCount = 0;
std::unique_ptr<TLXFunctionLibrary> GFunctions;
std::unique_ptr<TLXEvEnvironment> GShared;
}  // namespace

TLXFunctionLibrary* ExpressionFunctions() { return GFunctions.get(); }
TLXEvEnvironment* SharedEnvironment() { return GShared.get(); }

void DeclareExpressionFunction(TLXFunctionClass ElementClass, const std::string& Name, const std::string& Description,
                               const std::string& ArgumentCode, const std::string& Vendor) {
  if (GFunctions) GFunctions->AddEntry(ElementClass, Name, Description, ArgumentCode, Vendor);
}

void InitializeLXExpressions(const std::string& ApplicationTitle) {
  if (GInitCount++ > 0) return;
  ReleasingEnvironments = false;
  ArgumentSeparator = ',';
  GFunctions = std::make_unique<TLXFunctionLibrary>();
  struct TBuiltIn {
    TLXFunctionClass Class;
    const char* Name;
    const char* Signature;
    const char* Explanation;
    const char* Code;
  };
  const TBuiltIn BuiltIns[] = {
      {FunctionClassOf<TLXEvIfFunction>, "IF", "IF(<Exp>, <X>, <Y>)|",
       "Returns <X> or <Y> depending on the boolean expression <Exp>", "5BVV"},
      {FunctionClassOf<TLXEvStrFunction>, "STR", "STR(<X>)|", "Convert a numeric <X> to a string", "7N"},
      {FunctionClassOf<TLXEvUpperFunction>, "UPPER", "UPPER(<X>)|", "Converts a string to upper case letters", "7S"},
      {FunctionClassOf<TLXEvLowerFunction>, "LOWER", "LOWER(<X>)|", "Converts a string to lower case letters", "7S"},
      {FunctionClassOf<TLXEvPrettyFunction>, "PRETTY", "PRETTY(<X>)|",
       "Makes the first character upper case and the rest lower case", "7S"},
      {FunctionClassOf<TLXEvTimeFunction>, "TIME", "TIME|", "Return current time as a string", "1"},
      {FunctionClassOf<TLXEvDateFunction>, "DATE", "DATE|", "Return current date as a string", "1"},
      {FunctionClassOf<TLXEvCopyFunction>, "COPY", "COPY(<X>, <St>,<Len>)|", "Returns a substring of string X",
       "7SNN"},
      {FunctionClassOf<TLXEvSumFunction>, "SUM", "SUM(<X>)|", "Sums the numeric <X>", "3N"},
      {FunctionClassOf<TLXEvCountFunction>, "COUNT", "COUNT|", "Increments for each iteration", "3"},
      {FunctionClassOf<TLXEvMaxFunction>, "MAX", "MAX(<X>)|", "Returns the highest <X>", "3V"},
      {FunctionClassOf<TLXEvMinFunction>, "MIN", "MIN(<X>)|", "Returns the lowest <X>", "3V"},
      {FunctionClassOf<TLXEvAverageFunction>, "AVERAGE", "AVERAGE(<X>)|", "Returns the average of numeric <X>", "3N"},
      {FunctionClassOf<TLXEvTrue>, "TRUE", "TRUE|", "boolean value", "5"},
      {FunctionClassOf<TLXEvFalse>, "FALSE", "FALSE|", "boolean value", "5"},
      {FunctionClassOf<TLXEvIntFunction>, "INT", "INT(<X>)|", "Returns the integer part of <X>", "2N"},
      {FunctionClassOf<TLXEvFracFunction>, "FRAC", "FRAC(<X>)|", "Returns the fractional part of <X>", "2N"},
      {FunctionClassOf<TLXEvSQRTFunction>, "SQRT", "SQRT(<X>)|", "Returns square root of <X>", "2N"},
      {FunctionClassOf<TLXEvDivFunction>, "DIV", "DIV(<X>, <Y>) | ", "Integer division of <X> by <Y>", "2NN"},
      {FunctionClassOf<TLXEvTypeOfFunction>, "TYPEOF", "TYPEOF(<Exp>)|", "Returns the data type of <Exp>", "6N"},
      {FunctionClassOf<TLXEvFormatNumericFunction>, "FORMATNUMERIC", "FORMATNUMERIC(<F>,<N>)|",
       "Formats numeric <N> using the mask in <F>", "7SN"},
  };
  for (const TBuiltIn& B : BuiltIns)
    GFunctions->AddEntry(B.Class, B.Name, std::string(B.Signature) + B.Explanation, B.Code, Vendor);

  GShared = std::make_unique<TLXEvEnvironment>();
  TDateTime Start = Now();
  auto Quoted = [](const std::string& T) {
    std::string Q(1, '\'');
    Q += T;
    Q += '\'';
    return Q;
  };
  GShared->Define("AppStartTime", Quoted(TimeToStr(Start)));
  GShared->Define("AppStartDate", Quoted(DateToStr(Start)));
  GShared->Define("AppName", Quoted(ApplicationTitle));
}

void FinalizeLXExpressions() {
  if (GInitCount == 0 || --GInitCount > 0) return;
  GShared.reset();
  GFunctions.reset();
}

// ---- built-ins ----

namespace {
bool IsNumber(const TLXEvValue& V) { return V.Kind == evInteger || V.Kind == evFloat; }
double NumberOf(const TLXEvValue& V) { return V.Kind == evInteger ? V.Integer : V.Float; }
void Wrong(const char* Name, TLXEvValue& V) { MakeErrorValue(Format(WrongArguments, {Name}), V); }
// A float taken to a 32-bit integer, truncated or rounded (halves to even);
// false when the integer does not fit, rather than wrapping around.
bool ToInt32(long double X, bool Rounded, int32_t& Out) {
  if (!std::isfinite(X) || std::fabs(X) >= 4e9L) return false;
  int64_t I = Rounded ? Round(X) : Trunc(X);
  if (I < INT32_MIN || I > INT32_MAX) return false;
  Out = static_cast<int32_t>(I);
  return true;
}
}  // namespace

void TLXEvTrue::Compute(TLXEvValue& V) {
  if (ArgumentCount() > 0) MakeErrorValue(TooManyArguments, V);
  else V.SetBoolean(true);
}

void TLXEvFalse::Compute(TLXEvValue& V) {
  if (ArgumentCount() > 0) MakeErrorValue(TooManyArguments, V);
  else V.SetBoolean(false);
}

void TLXEvIfFunction::Compute(TLXEvValue& V) {
  if (ArgumentCount() != 3 || Argument(0).Kind != evBoolean) return Wrong("IF", V);
  V = Argument(0).Boolean ? Argument(1) : Argument(2);
}

void TLXEvTypeOfFunction::Compute(TLXEvValue& V) {
  if (ArgumentCount() != 1) return Wrong("TypeOf", V);
  static const char* const Names[] = {"INTEGER", "FLOAT", "STRING", "BOOLEAN", "ERROR"};
  unsigned K = Argument(0).Kind;
  if (K > evError) MakeErrorValue(UnknownType, V);
  else V.SetString(Names[K]);
}

void TLXEvIntFunction::Compute(TLXEvValue& V) {
  if (ArgumentCount() != 1 || !IsNumber(Argument(0))) return Wrong("INT", V);
  const TLXEvValue& A = Argument(0);
  if (A.Kind == evInteger) return V.SetInteger(A.Integer);
  int32_t I;
  if (!ToInt32(A.Float, false, I)) return Wrong("INT", V);
  V.SetInteger(I);
}

void TLXEvFracFunction::Compute(TLXEvValue& V) {
  if (ArgumentCount() != 1 || !IsNumber(Argument(0))) return MakeErrorValue("", V);
  const TLXEvValue& A = Argument(0);
  V.SetFloat(A.Kind == evInteger ? 0.0 : A.Float - std::trunc(A.Float));
}

void TLXEvSQRTFunction::Compute(TLXEvValue& V) {
  if (ArgumentCount() != 1 || !IsNumber(Argument(0)) || NumberOf(Argument(0)) < 0)
    return MakeErrorValue(InvalidSqrt, V);
  V.SetFloat(std::sqrt(NumberOf(Argument(0))));
}

void TLXEvDivFunction::Compute(TLXEvValue& V) {
  if (ArgumentCount() != 2 || !IsNumber(Argument(0)) || !IsNumber(Argument(1))) return Wrong("DIV", V);
  int32_t X, Y;
  if (!ToInt32(NumberOf(Argument(0)), true, X) || !ToInt32(NumberOf(Argument(1)), true, Y)) return Wrong("DIV", V);
  if (Y == 0) return MakeErrorValue(DivisionByZero, V);
  // In 64 bits: the lowest integer divided by -1 does not fit.
  int64_t Q = int64_t(X) / Y;
  if (Q > INT32_MAX) return Wrong("DIV", V);
  V.SetInteger(static_cast<int32_t>(Q));
}

void TLXEvStrFunction::Compute(TLXEvValue& V) {
  if (ArgumentCount() != 1) return MakeErrorValue(ConversionError, V);
  const TLXEvValue& A = Argument(0);
  switch (A.Kind) {
    case evInteger:
    case evFloat:
    case evBoolean: V.SetString(ValueToText(A)); break;
    default: MakeErrorValue(ConversionError, V); break;
  }
}

namespace {
// UPPER, LOWER and PRETTY: exactly one string.
bool OneString(const TLXEvElementFunction& F, const char* Name, TLXEvValue& V) {
  if (F.ArgumentCount() != 1) {
    MakeErrorValue(Format(MissingArgument, {Name}), V);
    return false;
  }
  const TLXEvValue& A = F.Argument(0);
  if (A.Kind == evString) return true;
  if (A.Kind == evError) V = A;  // the argument's own message passes on
  else MakeErrorValue(Format(WrongArguments, {Name}), V);
  return false;
}
}  // namespace

void TLXEvUpperFunction::Compute(TLXEvValue& V) {
  if (OneString(*this, "UPPER", V)) V.SetString(AnsiUpperCase(Argument(0).Text()));
}

void TLXEvLowerFunction::Compute(TLXEvValue& V) {
  if (OneString(*this, "LOWER", V)) V.SetString(AnsiLowerCase(Argument(0).Text()));
}

void TLXEvPrettyFunction::Compute(TLXEvValue& V) {
  if (!OneString(*this, "PRETTY", V)) return;
  const std::string Lower = AnsiLowerCase(Argument(0).Text());
  // The first character, not the first byte: an accented letter is two bytes of UTF-8.
  size_t First = 0;
  if (!Lower.empty()) NextUtf8(Lower, First);
  V.SetString(AnsiUpperCase(std::string_view(Lower).substr(0, First)) + Lower.substr(First));
}

void TLXEvTimeFunction::Compute(TLXEvValue& V) {
  if (ArgumentCount() != 0) return MakeErrorValue("", V);
  V.SetString(TimeToStr(Now()));
}

void TLXEvDateFunction::Compute(TLXEvValue& V) {
  if (ArgumentCount() != 0) return MakeErrorValue("", V);
  V.SetString(DateToStr(Date()));
}

void TLXEvCopyFunction::Compute(TLXEvValue& V) {
  if (ArgumentCount() != 3 || Argument(0).Kind != evString || Argument(1).Kind != evInteger ||
      Argument(2).Kind != evInteger)
    return MakeErrorValue("", V);
  // Positions and lengths count characters, not the bytes of their UTF-8.
  const std::string& S = Argument(0).Text();
  const int64_t Start = Argument(1).Integer < 1 ? 1 : Argument(1).Integer;
  const int64_t Len = Argument(2).Integer;
  if (Len <= 0) return V.SetString("");
  size_t From = 0;
  for (int64_t N = 1; N < Start && From < S.size(); ++N) NextUtf8(S, From);
  size_t To = From;
  for (int64_t N = 0; N < Len && To < S.size(); ++N) NextUtf8(S, To);
  V.SetString(std::string_view(S).substr(From, To - From));
}

void TLXEvFormatNumericFunction::Compute(TLXEvValue& V) {
  if (ArgumentCount() != 2 || Argument(0).Kind != evString || !IsNumber(Argument(1))) return MakeErrorValue("", V);
  try {
    V.SetString(FormatFloat(Argument(0).Text(), NumberOf(Argument(1))));
  } catch (const std::exception&) {
    MakeErrorValue(InvalidFormat, V);
  }
}

// ---- aggregates ----

void TLXEvSumFunction::AccumulateStep() {
  if (ArgumentCount() != 1) return;
  const TLXEvValue& A = Argument(0);
  if (!FAssigned) {
    if (IsNumber(A)) FTotal = A;
    else MakeErrorValue("", FTotal);
  } else if (A.Kind == evString) {
    MakeErrorValue("", FTotal);
  } else if (FTotal.Kind == evInteger && A.Kind == evInteger) {
    FTotal.SetInteger(static_cast<int32_t>(static_cast<uint32_t>(FTotal.Integer) + static_cast<uint32_t>(A.Integer)));
  } else if (IsNumber(FTotal) && IsNumber(A)) {
    FTotal.SetFloat(NumberOf(FTotal) + NumberOf(A));  // a float on either side makes the total a float
  }
  FAssigned = true;
}

void TLXEvSumFunction::Compute(TLXEvValue& V) {
  if (FAssigned) V = FTotal;
  else V.SetInteger(0);
}

void TLXEvAverageFunction::ResetState() {
  TLXEvSumFunction::ResetState();
  FAverage.SetFloat(0);
  FCount = 0;
  FAggregate = true;
}

void TLXEvAverageFunction::AccumulateStep() {
  TLXEvSumFunction::AccumulateStep();
  ++FCount;
  TLXEvValue Total;
  TLXEvSumFunction::Compute(Total);
  if (IsNumber(Total)) FAverage.SetFloat(NumberOf(Total) / FCount);
  else MakeErrorValue("", FAverage);
}

bool TLXEvMaxFunction::Better(const TLXEvValue& A) const {
  switch (FValue.Kind) {
    case evInteger:
      if (A.Kind == evInteger) return A.Integer > FValue.Integer;
      return A.Kind == evFloat && A.Float > FValue.Integer;
    case evFloat: return IsNumber(A) && NumberOf(A) > FValue.Float;
    case evString: return A.Kind == evString && CompareTexts(A.Text(), FValue.Text()) > 0;
    case evBoolean: return A.Kind == evBoolean && A.Boolean && !FValue.Boolean;
    default: return false;
  }
}

bool TLXEvMinFunction::Better(const TLXEvValue& A) const {
  switch (FValue.Kind) {
    case evInteger:
      if (A.Kind == evInteger) return A.Integer < FValue.Integer;
      return A.Kind == evFloat && A.Float < FValue.Integer;
    case evFloat: return IsNumber(A) && NumberOf(A) < FValue.Float;
    case evString: return A.Kind == evString && CompareTexts(A.Text(), FValue.Text()) < 0;
    case evBoolean: return A.Kind == evBoolean && !A.Boolean && FValue.Boolean;
    default: return false;
  }
}

void TLXEvMaxFunction::AccumulateStep() {
  if (ArgumentCount() != 1) return;
  const TLXEvValue& A = Argument(0);
  if (!FAssigned || Better(A)) FValue = A;
  FAssigned = true;
}

void TLXEvMaxFunction::Compute(TLXEvValue& V) {
  if (FAssigned) V = FValue;
  else V.SetInteger(0);
}

void TLXEvCountFunction::Produce(TLXFiFo& Queue, TLXEvValue& Value) {
  CollectArguments(Queue);
  if (ArgumentCount() > 0) {
    MakeErrorValue(std::string(CountPrefix) + TooManyArguments, Value);
  } else {
    if (Queue.Aggregating()) ++FCounter;
    Value.SetInteger(FCounter);
  }
  ReleaseArguments();
}
