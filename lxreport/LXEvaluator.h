#pragma once
// Compiles one expression text into an element queue once, then evaluates it
// as often as needed. Compiling never raises: whatever cannot be understood
// becomes an error element, and the expression then evaluates to that error.
//
// Evaluation recurses once per level of the compiled expression (a chain
// a+b+c nests to the right), so compiling bounds the nesting: a text longer
// than MaxLength, or a part nested deeper than MaxDepth (parentheses, calls
// and every further term of a chain count), compiles to an error instead.
#include <memory>
#include <span>
#include <string>

#include "lxreport/LXDataAccess.h"
#include "lxreport/LXEvElements.h"

class TLXEvEnvironment;

class TLXEvaluator {
public:
  // Far beyond any real expression; their product bounds the compile time.
  static constexpr size_t MaxLength = 32767;
  static constexpr int MaxDepth = 256;

  TLXEvaluator();
  virtual ~TLXEvaluator();
  TLXEvaluator(const TLXEvaluator&) = delete;
  TLXEvaluator& operator=(const TLXEvaluator&) = delete;

  // Not owned; assign before compiling.
  TLXEvEnvironment* Environment() const { return FEnvironment; }
  void SetEnvironment(TLXEvEnvironment* E) { FEnvironment = E; }

  // Never frees a list it did not create.
  void AssignDataSets(TLXDataSetList* List);
  // The list; creates an empty owned one when none was assigned.
  TLXDataSetList* DataSetList();

  void Compile(const std::string& Text);
  // Frees the queue and releases the shared environment.
  void Discard();
  bool Compiled() const { return FCompiled; }

  // Raises Exception "Evaluator not prepared" when not compiled.
  void CurrentValue(TLXEvValue& Value);
  TLXEvValue CurrentValue() {
    TLXEvValue V;
    CurrentValue(V);
    return V;
  }
  // One aggregate pass: every aggregate function takes one step.
  void AccumulateAggregates();
  bool HasAggregates() const;
  void ResetAggregates();
  void SetAggregating(bool Flag);
  void EvaluateOnce(const std::string& Text, TLXEvValue& Value);

  // The compiled queue (nullptr when not compiled).
  TLXFiFo* Queue() const { return FQueue.get(); }
  // How deep the compiled queue nests (0 for a single element).
  int Height() const { return FHeight; }

protected:
  // Name lookup; override to add names. Append what they compile to the
  // queue. Arguments is the text between the call's parentheses, inside the
  // text being compiled: it is compiled in place (no copy per nested call).
  virtual void CompileFunction(const std::string& Name, std::span<char> Arguments);
  virtual void CompileName(const std::string& Name);
  void Append(std::unique_ptr<TLXEvElement> E) { FQueue->Append(std::move(E)); }

private:
  // A part of the text being compiled. Parts are compiled in place: the
  // sign swaps of a chain rewrite the characters of its later terms.
  struct TPart {
    char* B;
    char* E;
  };
  // False when Depth is beyond MaxDepth, and from then on: the compiled
  // expression is then the one error "too deeply".
  bool Enter(int Depth);
  void ParseComparison(TPart P, int Depth);
  // A sum (a+b, a-b, a or b) or product (a*b, a/b, a and b) chain. Swapped:
  // the part is the right side of a subtraction or division already.
  void ParseChain(bool Sum, TPart P, int Depth, bool Swapped);
  void ParseFactor(TPart P, int Depth);
  void ParseNumber(const std::string& Text);
  void ParseCall(TPart P, int Depth);
  void CompileEnvironmentName(const std::string& Name);
  void AppendError(const std::string& Message);

  int FDepth = 0;   // depth of what the name hooks compile
  int FHeight = 0;  // deepest level compiled
  bool FTooDeep = false;
  bool FCompiled = false;
  TLXEvEnvironment* FEnvironment = nullptr;
  TLXDataSetList* FDataSets = nullptr;
  std::unique_ptr<TLXDataSetList> FOwnedDataSets;
  std::unique_ptr<TLXFiFo> FQueue;
};

// 1-based position of the first ArgumentSeparator at depth 0 outside quotes
// (the last character never counts); 0 when none.
size_t FindArgumentSeparator(const std::string& Text);
