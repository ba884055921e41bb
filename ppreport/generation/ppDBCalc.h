#pragma once
// TppDBCalc: the aggregate of one field over the records traversed since its last reset: count,
// sum, minimum, maximum or average. It resets with its reset group, gives back the last record
// when it sits in the page footer and a detail band overflowed (that record prints, and counts,
// on the next page), keeps its totals per page in the page-state cache, and in a two-pass report
// can print a total in a band before the one where it is complete (look-ahead).
#include <cstdint>
#include <memory>
#include <string>

#include "ppreport/generation/ppDBText.h"
#include "ppreport/generation/ppLookAhead.h"

class TppDBCalc : public TppDBText {
  DECLARE_CLASSINFO(TppDBCalc)
public:
  explicit TppDBCalc(TComponent* AOwner);
  ~TppDBCalc() override;

  // ---- properties
  TppDBCalcType DBCalcType() const { return FDBCalcType; }
  void SetDBCalcType(TppDBCalcType Value);
  bool LookAhead() const { return FLookAhead; }
  // On (outside reading) makes the main report two-pass. Ignored while the report prints.
  void SetLookAhead(bool Value);
  // The running value: the count for dcCount, the sum for dcAverage.
  double Value() const { return FValue; }
  void SetValue(double V) { FValue = V; }
  // Records counted since the reset.
  double Divisor() const { return FDivisor; }
  void SetDivisor(double V) { FDivisor = V; }
  // The list of this calculation's look-ahead values; null outside a two-pass run with LookAhead.
  TppLookAheadList* LookAheadList() const { return FLookAheadList.get(); }
  // Zeroes the totals (scripting's Clear).
  void Clear() { Reset(); }

  // The key of the current totals: the reset group's break, else the page (and column) of a
  // header or footer band.
  std::string GetLookAheadKey() const;
  std::string GetLookAheadValue(const std::string& Key) const;
  // The traversal count of the pipeline the totals follow.
  int TraversalCount() const;

  // ---- overrides
  bool IsCalculated() const override { return true; }
  void SetBand(TppBand* NewBand) override;
  void Init() override;
  void Reset() override;
  void Compute() override;
  void RollBackValue() override;
  void SaveToCache(int Page) override;
  void RestoreFromCache(int Page) override;
  std::string GetDisplayText() const override;
  std::string GetDescription() const override;
  void StartOfMainReport() override;
  void EndOfMainReport() override;
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;

  TNotifyEvent OnCalc;
  TNotifyEvent OnGroupBreak;

private:
  // The design caption: the aggregate's name and the field (its alias when Alias is set).
  std::string DesignCaption(bool Alias) const;
  double FieldAsFloat();
  bool InPageFooter() const;
  bool LookAheadApplies() const;

  TppDBCalcType FDBCalcType = dcSum;
  double FValue = 0, FDivisor = 0;
  double FPriorValue = 0, FPriorDivisor = 0;
  double FCachedValue = 0, FCachedDivisor = 0;
  bool FCacheWritten = false;
  bool FLookAhead = false;
  std::unique_ptr<TppLookAheadList> FLookAheadList;
};

void InitializeDBCalcUnit();
void FinalizeDBCalcUnit();
