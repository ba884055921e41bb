#pragma once
// The compiled form of an expression: a flat queue of elements in prefix
// order. An operator is followed by its left and right operands, a function by
// its arguments and an end marker. Evaluating asks the first element for its
// value; each element takes its operands from the queue as it goes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lxreport/LXDataAccess.h"
#include "lxreport/LXEvValue.h"

class TLXEvElement;
class TLXEvEmbeddedFunction;

class TLXFiFo {
public:
  void Append(std::unique_ptr<TLXEvElement> Element);
  void Rewind() { FPosition = 0; }
  // The element at the read position, advancing; nullptr at the end.
  TLXEvElement* Next() { return FPosition < FItems.size() ? FItems[FPosition++].get() : nullptr; }
  bool Aggregating() const { return FAggregating; }
  void SetAggregating(bool V) { FAggregating = V; }
  int Count() const { return static_cast<int>(FItems.size()); }
  TLXEvElement* Items(int Index) const;

private:
  std::vector<std::unique_ptr<TLXEvElement>> FItems;
  size_t FPosition = 0;
  bool FAggregating = false;
};

class TLXEvElement {
public:
  virtual ~TLXEvElement() = default;
  // Computes the value, taking operand elements from the queue.
  virtual void Produce(TLXFiFo& Queue, TLXEvValue& Value);
  // Clears accumulated aggregate state.
  virtual void ResetState() {}
  // Set by aggregate functions.
  bool Aggregate() const { return FAggregate; }

protected:
  bool FAggregate = false;
};

// Produces the next element of the queue into Value; a queue that ends early
// gives an error with an empty message.
void ProduceNext(TLXFiFo& Queue, TLXEvValue& Value);

enum TLXEvOpCode : uint8_t {
  ocLess, ocLessEqual, ocGreater, ocGreaterEqual, ocEqual, ocNotEqual,
  ocAdd, ocSubtract, ocOr, ocMultiply, ocDivide, ocAnd
};

class TLXEvElementOperator : public TLXEvElement {
public:
  explicit TLXEvElementOperator(TLXEvOpCode Op) : FOpCode(Op) {}
  static std::unique_ptr<TLXEvElementOperator> CreateWithOpCode(TLXEvOpCode Op) {
    return std::make_unique<TLXEvElementOperator>(Op);
  }
  TLXEvOpCode OpCode() const { return FOpCode; }
  // Both operands are always evaluated; the first error operand wins.
  void Produce(TLXFiFo& Queue, TLXEvValue& Value) override;
  // Integer with float: both float. Other mixed kinds: both text.
  static void PromoteOperands(TLXEvValue& First, TLXEvValue& Second);
  // The operator applied to two values, promotion included.
  static void Apply(TLXEvOpCode Op, TLXEvValue& First, TLXEvValue& Second, TLXEvValue& Result);

private:
  TLXEvOpCode FOpCode;
};

class TLXEvElementConstant : public TLXEvElement {
public:
  explicit TLXEvElementConstant(const TLXEvValue& V) : FValue(V) {}
  static std::unique_ptr<TLXEvElementConstant> CreateWithValue(const TLXEvValue& V) {
    return std::make_unique<TLXEvElementConstant>(V);
  }
  void Produce(TLXFiFo&, TLXEvValue& Value) override { Value = FValue; }
  const TLXEvValue& Value() const { return FValue; }
  void SetValue(const TLXEvValue& V) { FValue = V; }

private:
  TLXEvValue FValue;
};

// A string literal.
class TLXEvElementString : public TLXEvElement {
public:
  explicit TLXEvElementString(std::string_view Utf8) { SetText(Utf8); }
  static std::unique_ptr<TLXEvElementString> CreateWithText(std::string_view Utf8) {
    return std::make_unique<TLXEvElementString>(Utf8);
  }
  void Produce(TLXFiFo&, TLXEvValue& Value) override { Value = FValue; }
  std::string Text() const { return FValue.Text(); }
  void SetText(std::string_view Utf8) { FValue.SetString(Utf8); }

private:
  TLXEvValue FValue;
};

class TLXEvElementError : public TLXEvElement {
public:
  explicit TLXEvElementError(std::string_view Message) { MakeErrorValue(Message, FValue); }
  static std::unique_ptr<TLXEvElementError> CreateWithMessage(std::string_view Message) {
    return std::make_unique<TLXEvElementError>(Message);
  }
  void Produce(TLXFiFo&, TLXEvValue& Value) override { Value = FValue; }
  std::string Message() const { return FValue.Text(); }

private:
  TLXEvValue FValue;
};

// Marks the end of a function's arguments; never asked for a value.
class TLXEvElementArgumentEnd : public TLXEvElement {};

// Negation: the next element's boolean, negated; "Invalid use of NOT" for any other kind.
class TLXEvElementNot : public TLXEvElement {
public:
  void Produce(TLXFiFo& Queue, TLXEvValue& Value) override;
};

// The current value of a data set's field.
class TLXEvElementDataField : public TLXEvElement {
public:
  TLXEvElementDataField(TLXDataSetAccess* DataSet, int FieldIndex, TLXFieldAccess* Field)
      : FDataSet(DataSet), FFieldIndex(FieldIndex), FField(Field), FFieldName(Field ? Field->FieldName() : "") {}
  static std::unique_ptr<TLXEvElementDataField> CreateForField(TLXDataSetAccess* DataSet, int FieldIndex) {
    return std::make_unique<TLXEvElementDataField>(DataSet, FieldIndex, DataSet->Fields(FieldIndex));
  }
  void Produce(TLXFiFo& Queue, TLXEvValue& Value) override;
  TLXDataSetAccess* DataSet() const { return FDataSet; }
  TLXFieldAccess* Field() const { return FField; }

private:
  TLXDataSetAccess* FDataSet;
  int FFieldIndex;
  TLXFieldAccess* FField;
  std::string FFieldName;
};

// Forwards to an environment entry. Holds it weakly: an entry undefined
// while an expression still names it reads as an unknown name.
class TLXEvElementWrapper : public TLXEvElement {
public:
  TLXEvElementWrapper(std::weak_ptr<TLXEvEmbeddedFunction> Entry, std::string Name)
      : FEntry(std::move(Entry)), FName(std::move(Name)) {}
  static std::unique_ptr<TLXEvElementWrapper> CreateFor(std::weak_ptr<TLXEvEmbeddedFunction> Entry, std::string Name) {
    return std::make_unique<TLXEvElementWrapper>(std::move(Entry), std::move(Name));
  }
  void Produce(TLXFiFo& Queue, TLXEvValue& Value) override;
  // Not forwarded: resetting an expression leaves its variables' own aggregates alone.
  void ResetState() override {}
  std::shared_ptr<TLXEvEmbeddedFunction> Entry() const { return FEntry.lock(); }

private:
  std::weak_ptr<TLXEvEmbeddedFunction> FEntry;
  std::string FName;
};

// Base of every function. Produce collects the arguments (every one is
// evaluated first), takes an aggregate step when the queue aggregates,
// computes, and releases the arguments.
class TLXEvElementFunction : public TLXEvElement {
public:
  void Produce(TLXFiFo& Queue, TLXEvValue& Value) override;
  virtual void AccumulateStep() {}
  // The base gives an error with an empty message.
  virtual void Compute(TLXEvValue& Value);

  // Copies argument Index (0-based); an index beyond the list leaves Value unchanged.
  void ArgumentValue(int Index, TLXEvValue& Value) const;
  int ArgumentCount() const { return static_cast<int>(FArguments.size()); }
  const TLXEvValue& Argument(int Index) const { return FArguments[static_cast<size_t>(Index)]; }
  void CollectArguments(TLXFiFo& Queue);
  void ReleaseArguments() { FArguments.clear(); }

private:
  // Reused from call to call (cleared, capacity kept), so a call allocates nothing.
  std::vector<TLXEvValue> FArguments;
};
