#pragma once
// Named expressions that other expressions use as variables. Each entry
// compiles its own expression with its own evaluator; a name in an expression
// reaches the entry through a wrapper element. Counters change without
// recompiling by overwriting the one literal their expression compiles to.
#include <memory>
#include <string>
#include <vector>

#include "lxreport/LXEvaluator.h"
#include "platform/classes/StringList.h"

class TReader;
class TWriter;

class TLXEvEmbeddedFunction : public TLXEvElement {
public:
  explicit TLXEvEmbeddedFunction(std::string Expression);
  static std::shared_ptr<TLXEvEmbeddedFunction> CreateWithExpression(std::string Expression) {
    return std::make_shared<TLXEvEmbeddedFunction>(std::move(Expression));
  }
  // Evaluates the entry's own compiled queue (the queue passed in is not
  // used); "Recursive calls not allowed" when the entry is already being evaluated.
  void Produce(TLXFiFo& Queue, TLXEvValue& Value) override;
  void ResetState() override { FEvaluator.ResetAggregates(); }

  const std::string& ExpressionText() const { return FExpression; }
  TLXEvaluator& Evaluator() { return FEvaluator; }
  // The element at Index of the compiled queue; nullptr when not compiled or past the end.
  TLXEvElement* CompiledElement(int Index) const;

private:
  std::string FExpression;
  TLXEvaluator FEvaluator;
  bool FEvaluating = false;
};

// A string list of entry names (upper case when defined here; a stream may
// bring any case, and every lookup ignores it); entry k compiles the k-th
// expression. In a form stream it is two properties of the owning property:
// "Strings" (the names, written when there are any) and "DATA" (the
// expressions, always written), matched by position.
//
// The entries stay in step with the names through adding, inserting,
// exchanging and deleting; a name without an entry (added to the list
// directly) is not a variable. Sorting the list is not supported.
class TLXEvEnvironment : public TStringList {
  DECLARE_CLASSINFO(TLXEvEnvironment)
public:
  TLXEvEnvironment();
  ~TLXEvEnvironment() override;

  // The entry of the k-th name; nullptr for a name added to the list directly.
  TLXEvEmbeddedFunction* Entries(int Index) const;

  // Appends an entry unless the name exists (the first expression stays).
  // While the environment is compiled the new entry is compiled at once.
  void Define(const std::string& Name, const std::string& Expression);
  void Undefine(const std::string& Name);
  // A new entry for the k-th name holding Expression, in place of the old one
  // (the variables dialog's edits); compiled at once while the environment is.
  void ReplaceEntry(int Index, const std::string& Expression);
  // A wrapper for the entry, or an error element "Unknown function : NAME"
  // with the name as passed. The caller owns it.
  std::unique_ptr<TLXEvElement> ElementFor(const std::string& Name);
  // Evaluates the entry; an absent name gives kind evError.
  void ValueOf(const std::string& Name, TLXEvValue& Value);
  // The first compiled element of the entry, or nullptr.
  TLXEvElement* FirstElementOf(const std::string& Name);
  // Overwrite a literal in place: a constant takes an integer or a whole
  // value, a string literal a text; any other element is left alone.
  static void StoreInteger(TLXEvElement* Element, int32_t N);
  static void StoreText(TLXEvElement* Element, const std::string& Text);
  static void StoreValue(TLXEvElement* Element, const TLXEvValue& Value);

  // Counted: the first Compile compiles every entry, the matching last Discard discards them.
  void Compile();
  void Discard();
  bool IsCompiled() const { return FCompileCount > 0; }

  void AssignDataSets(TLXDataSetList* List);
  TLXDataSetList* DataSetList();

  // Frees the entries, last first.
  void Clear() override;
  void Delete(int Index) override;
  int AddObject(const std::string& S, TObject* AObject) override;
  void Insert(int Index, const std::string& S) override;
  void Exchange(int Index1, int Index2) override;
  // "Strings", then "DATA". Reading raises EReadError when the names are not
  // followed by their "DATA" or the number of expressions differs from the
  // number of names.
  void DefineProperties(TFiler* Filer) override;

private:
  int EntryIndex(const std::string& Name) const;
  void CompileEntry(TLXEvEmbeddedFunction& E);
  void ReadNames(TReader& Reader);
  void ReadData(TReader& Reader);
  void WriteData(TWriter& Writer) const;

  // One per name, nullptr for a name without an entry; wrappers hold entries only weakly.
  std::vector<std::shared_ptr<TLXEvEmbeddedFunction>> FEntries;
  int FCompileCount = 0;
  TLXDataSetList* FDataSets = nullptr;
  std::unique_ptr<TLXDataSetList> FOwnedDataSets;
};
