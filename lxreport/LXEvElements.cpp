#include "lxreport/LXEvElements.h"

#include "lxreport/LXEvEnvironment.h"
#include "platform/rtl/SysUtils.h"

void TLXFiFo::Append(std::unique_ptr<TLXEvElement> Element) { FItems.push_back(std::move(Element)); }

TLXEvElement* TLXFiFo::Items(int Index) const {
  return Index >= 0 && Index < Count() ? FItems[static_cast<size_t>(Index)].get() : nullptr;
}

void TLXEvElement::Produce(TLXFiFo&, TLXEvValue&) {}

void ProduceNext(TLXFiFo& Queue, TLXEvValue& Value) {
  if (TLXEvElement* E = Queue.Next()) E->Produce(Queue, Value);
  else MakeErrorValue("", Value);
}

// ---- operators ----

namespace {

const char* OperatorText(TLXEvOpCode Op) {
  switch (Op) {
    case ocLess: return "<";
    case ocLessEqual: return "<=";
    case ocGreater: return ">";
    case ocGreaterEqual: return ">=";
    case ocOr: return "OR";
    case ocAnd: return "AND";
    default: return "";
  }
}

const char* Verb(TLXEvOpCode Op) {
  switch (Op) {
    case ocAdd: return LXExprText::VerbAdd;
    case ocSubtract: return LXExprText::VerbSubtract;
    case ocMultiply: return LXExprText::VerbMultiply;
    default: return LXExprText::VerbDivide;
  }
}

void NotCompatible(TLXEvOpCode Op, const char* KindWord, TLXEvValue& R) {
  MakeErrorValue(Format(LXExprText::OperatorNotCompatible, {OperatorText(Op), KindWord}), R);
}

void Cannot(TLXEvOpCode Op, const char* KindWord, TLXEvValue& R) {
  MakeErrorValue(Format(LXExprText::CannotOperate, {Verb(Op), KindWord}), R);
}

// 32-bit wrap-around without signed overflow.
int32_t Wrap(int64_t V) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(V))); }

template <typename T>
bool Compare(TLXEvOpCode Op, const T& A, const T& B) {
  switch (Op) {
    case ocLess: return A < B;
    case ocLessEqual: return A <= B;
    case ocGreater: return A > B;
    case ocGreaterEqual: return A >= B;
    case ocEqual: return A == B;
    default: return A != B;
  }
}

bool IsComparison(TLXEvOpCode Op) { return Op <= ocNotEqual; }

}  // namespace

void TLXEvElementOperator::PromoteOperands(TLXEvValue& First, TLXEvValue& Second) {
  if (First.Kind == evError || Second.Kind == evError || First.Kind == Second.Kind) return;
  if (First.Kind == evInteger && Second.Kind == evFloat) {
    First.SetFloat(First.Integer);
  } else if (First.Kind == evFloat && Second.Kind == evInteger) {
    Second.SetFloat(Second.Integer);
  } else {
    First.SetString(ValueToText(First));
    Second.SetString(ValueToText(Second));
  }
}

void TLXEvElementOperator::Apply(TLXEvOpCode Op, TLXEvValue& A, TLXEvValue& B, TLXEvValue& R) {
  PromoteOperands(A, B);
  if (A.Kind == evError) {
    R = A;
    return;
  }
  if (B.Kind == evError) {
    R = B;
    return;
  }
  switch (A.Kind) {
    case evInteger:
      if (IsComparison(Op)) return R.SetBoolean(Compare(Op, A.Integer, B.Integer));
      switch (Op) {
        case ocAdd: return R.SetInteger(Wrap(int64_t(A.Integer) + B.Integer));
        case ocSubtract: return R.SetInteger(Wrap(int64_t(A.Integer) - B.Integer));
        case ocMultiply: return R.SetInteger(Wrap(int64_t(A.Integer) * B.Integer));
        case ocDivide:
          if (B.Integer == 0) return MakeErrorValue(LXExprText::DivideByZero, R);
          return R.SetFloat(static_cast<double>(A.Integer) / B.Integer);
        case ocOr: return R.SetInteger(A.Integer | B.Integer);
        default: return R.SetInteger(A.Integer & B.Integer);
      }
    case evFloat:
      if (IsComparison(Op)) return R.SetBoolean(Compare(Op, A.Float, B.Float));
      switch (Op) {
        case ocAdd: return R.SetFloat(A.Float + B.Float);
        case ocSubtract: return R.SetFloat(A.Float - B.Float);
        case ocMultiply: return R.SetFloat(A.Float * B.Float);
        case ocDivide:
          if (B.Float == 0) return MakeErrorValue(LXExprText::DivideByZero, R);
          return R.SetFloat(A.Float / B.Float);
        default: return NotCompatible(Op, LXExprText::KindNumeric, R);
      }
    case evString:
      if (IsComparison(Op)) return R.SetBoolean(Compare(Op, CompareTexts(A.Text(), B.Text()), 0));
      switch (Op) {
        case ocAdd:
          R = A;
          R.Append(B.Text());
          return;
        case ocOr:
        case ocAnd: return NotCompatible(Op, LXExprText::KindString, R);
        default: return Cannot(Op, LXExprText::KindString, R);
      }
    default:  // evBoolean
      switch (Op) {
        case ocEqual: return R.SetBoolean(A.Boolean == B.Boolean);
        case ocNotEqual: return R.SetBoolean(A.Boolean != B.Boolean);
        case ocOr: return R.SetBoolean(A.Boolean || B.Boolean);
        case ocAnd: return R.SetBoolean(A.Boolean && B.Boolean);
        case ocLess:
        case ocLessEqual:
        case ocGreater:
        case ocGreaterEqual: return NotCompatible(Op, LXExprText::KindBoolean, R);
        default: return Cannot(Op, LXExprText::KindBoolean, R);
      }
  }
}

void TLXEvElementOperator::Produce(TLXFiFo& Queue, TLXEvValue& Value) {
  TLXEvValue A, B;
  ProduceNext(Queue, A);
  ProduceNext(Queue, B);
  Apply(FOpCode, A, B, Value);
}

void TLXEvElementNot::Produce(TLXFiFo& Queue, TLXEvValue& Value) {
  TLXEvValue V;
  ProduceNext(Queue, V);
  if (V.Kind == evBoolean) Value.SetBoolean(!V.Boolean);
  else MakeErrorValue(LXExprText::InvalidNot, Value);
}

// ---- data fields ----

void TLXEvElementDataField::Produce(TLXFiFo&, TLXEvValue& Value) {
  TLXFieldAccess* F = FField;
  // Default fields are recreated at every opening: fetch again by index.
  if (FDataSet && FDataSet->DefaultFields()) F = FDataSet->Fields(FFieldIndex);
  if (!F || (FDataSet && !FDataSet->Active())) {
    MakeErrorValue(Format(LXExprText::FieldGone, {FFieldName}), Value);
    return;
  }
  try {
    switch (F->Kind()) {
      case TLXFieldKind::fkString: Value.SetString(F->AsString()); break;
      case TLXFieldKind::fkInteger: Value.SetInteger(F->AsInteger()); break;
      case TLXFieldKind::fkFloat: Value.SetFloat(F->AsFloat()); break;
      case TLXFieldKind::fkBoolean: Value.SetBoolean(F->AsBoolean()); break;
      case TLXFieldKind::fkDate:
      case TLXFieldKind::fkDateTime: Value.SetString(F->DisplayText()); break;
      default: MakeErrorValue(Format(LXExprText::UnknownFieldType, {F->FieldName()}), Value); break;
    }
  } catch (const Exception& E) {
    // A value that does not convert is an error value: expressions never raise.
    MakeErrorValue(E.Message(), Value);
  }
}

// ---- environment entries ----

void TLXEvElementWrapper::Produce(TLXFiFo& Queue, TLXEvValue& Value) {
  if (std::shared_ptr<TLXEvEmbeddedFunction> E = FEntry.lock()) E->Produce(Queue, Value);
  else MakeErrorValue(Format(LXExprText::UnknownFunction, {FName}), Value);
}

// ---- functions ----

void TLXEvElementFunction::CollectArguments(TLXFiFo& Queue) {
  FArguments.clear();  // an evaluation cut short by an exception may have left some
  while (TLXEvElement* E = Queue.Next()) {
    if (dynamic_cast<TLXEvElementArgumentEnd*>(E)) break;
    TLXEvValue V;
    E->Produce(Queue, V);
    FArguments.push_back(V);
  }
}

void TLXEvElementFunction::ArgumentValue(int Index, TLXEvValue& Value) const {
  if (Index >= 0 && Index < ArgumentCount()) Value = FArguments[static_cast<size_t>(Index)];
}

void TLXEvElementFunction::Compute(TLXEvValue& Value) { MakeErrorValue("", Value); }

void TLXEvElementFunction::Produce(TLXFiFo& Queue, TLXEvValue& Value) {
  CollectArguments(Queue);
  if (Queue.Aggregating()) AccumulateStep();
  Compute(Value);
  ReleaseArguments();
}
