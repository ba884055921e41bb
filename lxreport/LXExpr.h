#pragma once
// TLXExpr: a text printable whose printed text is the value of its own expression, evaluated
// against the report's data sets and variables. Aggregates accumulate once per detail record
// through the controller the printable registers with, and may restart after every print.
#include <memory>
#include <string>

#include "lxreport/LXLabel.h"

class TLXEvaluator;

class TLXExpr : public TLXCustomLabel {
  DECLARE_CLASSINFO(TLXExpr)
public:
  explicit TLXExpr(TComponent* AOwner);
  ~TLXExpr() override;

  const std::string& Expression() const { return FExpression; }
  // The caption shows the expression, or "(none)".
  void SetExpression(const std::string& V);
  // FormatFloat's format text for numbers; empty: the general format.
  const std::string& Mask() const { return FMask; }
  void SetMask(const std::string& V);
  // The report or sub-detail whose detail records drive the aggregates; without one the
  // printable's report does, and only for an expression with aggregates.
  TComponent* Master() const { return FMaster; }
  void SetMaster(TComponent* V) { FMaster = V; }
  bool ResetAfterPrint() const { return FResetAfterPrint; }
  void SetResetAfterPrint(bool V) { FResetAfterPrint = V; }
  TLXEvaluator* Evaluator() const { return FEvaluator.get(); }
  void ResetTotals();

  TLXPrintableEditorClass EditorClass() const override;
  void BeginPrinting() override;
  void PrintAt(int32_t X, int32_t Y) override;
  void ControllerNotify(TComponent* Sender, int32_t Code) override;
  void EndPrinting() override;

private:
  std::string FExpression;
  std::string FMask;
  TComponent* FMaster = nullptr;
  bool FResetAfterPrint = false;
  std::unique_ptr<TLXEvaluator> FEvaluator;
};
