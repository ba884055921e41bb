#pragma once
// Compiles one expression text into an element queue once, then evaluates it
// as often as needed. Compiling never raises: whatever cannot be understood
// becomes an error element, and the expression then evaluates to that error.
#include <memory>
#include <string>

#include "lxreport/LXDataAccess.h"
#include "lxreport/LXEvElements.h"

class TLXEvEnvironment;

class TLXEvaluator {
public:
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

protected:
  // Name lookup; override to add names. Append what they compile to the queue.
  virtual void CompileFunction(const std::string& Name, const std::string& Arguments);
  virtual void CompileName(const std::string& Name);
  void Append(std::unique_ptr<TLXEvElement> E) { FQueue->Append(std::move(E)); }

private:
  void ParseComparison(const std::string& Text);
  void ParseSum(const std::string& Text);
  void ParseProduct(const std::string& Text);
  void ParseFactor(std::string Text);
  void ParseNumber(const std::string& Text);
  void ParseCall(const std::string& Text);
  void CompileEnvironmentName(const std::string& Name);
  void AppendError(const std::string& Message);

  bool FCompiled = false;
  TLXEvEnvironment* FEnvironment = nullptr;
  TLXDataSetList* FDataSets = nullptr;
  std::unique_ptr<TLXDataSetList> FOwnedDataSets;
  std::unique_ptr<TLXFiFo> FQueue;
};

// At depth 0 outside quotes, every First becomes Second and every Second First.
std::string SwapTopLevel(const std::string& Text, char First, char Second);
// 1-based position of the first ArgumentSeparator at depth 0 outside quotes
// (the last character never counts); 0 when none.
size_t FindArgumentSeparator(const std::string& Text);
