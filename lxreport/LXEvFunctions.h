#pragma once
// The function library of the expression language: a process-wide registry
// of function classes by name, and the built-in functions.
#include <memory>
#include <string>
#include <vector>

#include "lxreport/LXEvElements.h"

class TLXEvEnvironment;

// Creates a fresh element of a function class; every call site gets its own,
// so aggregates accumulate per call site.
using TLXFunctionClass = std::unique_ptr<TLXEvElementFunction> (*)();

template <typename T>
std::unique_ptr<TLXEvElementFunction> FunctionClassOf() {
  return std::make_unique<T>();
}

struct TLXLibraryEntry {
  // Signature, "|", explanation (the expression builder splits at the first "|").
  std::string Description;
  // A category digit (1 date and time, 2 mathematics, 3 statistics, 4 database,
  // 5 logic, 6 information, 7 other), then one letter per argument: N numeric,
  // S text, B boolean, V any. Descriptive only.
  std::string ArgumentCode;
  TLXFunctionClass ElementClass = nullptr;
  std::string Name;
  std::string Vendor;
};

class TLXLibrary {
public:
  virtual ~TLXLibrary() = default;
  void AddEntry(TLXFunctionClass ElementClass, const std::string& Name, const std::string& Description,
                const std::string& ArgumentCode, const std::string& Vendor);
  // nullptr beyond the count.
  virtual TLXLibraryEntry* EntryAt(int Index);
  int Count() const { return static_cast<int>(FEntries.size()); }
  // First entry of that name, letter case ignored; -1 when absent.
  int IndexOf(const std::string& Name) const;

private:
  // Unsorted, duplicates allowed; the first of a name wins.
  std::vector<std::unique_ptr<TLXLibraryEntry>> FEntries;
};

class TLXFunctionLibrary : public TLXLibrary {
public:
  // A new element of the registered class, or an error element
  // "Unknown function : NAME" for a name the library does not know.
  std::unique_ptr<TLXEvElement> NewFunctionElement(const std::string& Name);
};

// ---- process-wide state, set up by InitializeLXExpressions ----

// nullptr before initialisation.
TLXFunctionLibrary* ExpressionFunctions();
extern char ArgumentSeparator;
extern bool ReleasingEnvironments;
// The shared environment: APPSTARTTIME, APPSTARTDATE, APPNAME. nullptr before initialisation.
TLXEvEnvironment* SharedEnvironment();

void DeclareExpressionFunction(TLXFunctionClass ElementClass, const std::string& Name, const std::string& Description,
                               const std::string& ArgumentCode, const std::string& Vendor);

// The expression library's start-up, run by InitializeLXReport (LXReport.h):
// registers the 21 built-ins and defines the shared environment's variables
// (start time and date fixed now, the application's title). Counted: only the
// first call works, the matching last finalise frees.
void InitializeLXExpressions(const std::string& ApplicationTitle);
void FinalizeLXExpressions();

// ---- built-in functions ----

class TLXEvIfFunction : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvStrFunction : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvUpperFunction : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvLowerFunction : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvPrettyFunction : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvTimeFunction : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvDateFunction : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvCopyFunction : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvTrue : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvFalse : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvIntFunction : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvFracFunction : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvSQRTFunction : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvDivFunction : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvTypeOfFunction : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };
class TLXEvFormatNumericFunction : public TLXEvElementFunction { public: void Compute(TLXEvValue& V) override; };

// Running total. The total becomes a float as soon as a float arrives, so an
// integer first value does not drop the fractions of later ones.
class TLXEvSumFunction : public TLXEvElementFunction {
public:
  TLXEvSumFunction() { FAggregate = true; }
  void AccumulateStep() override;
  void Compute(TLXEvValue& V) override;
  void ResetState() override { FAssigned = false; }

protected:
  TLXEvValue FTotal;
  bool FAssigned = false;
};

class TLXEvAverageFunction : public TLXEvSumFunction {
public:
  void AccumulateStep() override;
  void Compute(TLXEvValue& V) override { V = FAverage; }
  void ResetState() override;

private:
  TLXEvValue FAverage;  // the integer 0 until the first reset
  int FCount = 0;
};

class TLXEvMaxFunction : public TLXEvElementFunction {
public:
  TLXEvMaxFunction() { FAggregate = true; }
  void AccumulateStep() override;
  void Compute(TLXEvValue& V) override;
  void ResetState() override { FAssigned = false; }

protected:
  // True when Arg should replace the running value.
  virtual bool Better(const TLXEvValue& Arg) const;
  TLXEvValue FValue;
  bool FAssigned = false;
};

class TLXEvMinFunction : public TLXEvMaxFunction {
protected:
  bool Better(const TLXEvValue& Arg) const override;
};

class TLXEvCountFunction : public TLXEvElementFunction {
public:
  TLXEvCountFunction() { FAggregate = true; }
  void Produce(TLXFiFo& Queue, TLXEvValue& Value) override;
  void ResetState() override { FCounter = 0; }

private:
  int32_t FCounter = 0;
};
