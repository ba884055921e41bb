#pragma once
// Band engines: the generation of the detail band, kept outside the band so that the band's state
// lives with the engine that runs it. TppBandEngine is the band generation with the overflow event
// (a dynamic band that ran out of space before printing anything); TppDetailBandEngine adds the
// per-record rules (bands per record, the move to the next record, AutoStop, PrintCount per page);
// the vertical engine runs records down a column (the page engine runs the columns), the
// horizontal one across the columns of a row and then down to the next row, with the column header
// and footer of each column.
#include <cstdint>
#include <functional>
#include <string>

#include "ppreport/core/ppComm.h"
#include "ppreport/generation/ppBands.h"

class TppBandEngine : public TppCommunicator, public TppBandGeneration {
  DECLARE_CLASSINFO(TppBandEngine)
public:
  TppBandEngine();
  ~TppBandEngine() override;

  TppCustomBand* Band() const { return GenerationBand(); }
  // Stops listening to the old band, keeps and listens to the new one.
  virtual void SetBand(TppCustomBand* Band);
  // Before a run: the band's report, every object's Init, the resume state, the generation lists.
  virtual void Init();
  // Generates the band on the engine's current page.
  virtual void Generate();
  // At the end of every page; nothing here.
  virtual void EndOfPage() {}

  // The band's events; a hook not set is skipped.
  TNotifyEvent AfterGenerate, AfterPrint, BeforeGenerate, BeforePrint;

  void CheckPrintPosition() override;
  void CheckNewPage() override {}
  void CompleteGeneration() override;
  void AfterBandGenerate() override;
  void CheckPrintOnPage() override {}
  void BeforeBandGenerate() override;
  void BeginBandGeneration() override;
  void CalcBandPrintPosition() override { BaseCalcBandPrintPosition(); }
  void ExtensionHook(TppPage*) override {}
  bool IsPageStartBand() override { return false; }
  void UpdateSpaceUsed() override { BaseUpdateSpaceUsed(); }

  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

protected:
  void Destroying() override;
  void DoAfterGenerate();
  void DoAfterPrint();
  void DoBeforeGenerate();
  void DoBeforePrint();
};

class TppDetailBandEngine : public TppBandEngine {
  DECLARE_CLASSINFO(TppDetailBandEngine)
public:
  using TppBandEngine::TppBandEngine;
  ~TppDetailBandEngine() override;

  TppDetailBand* DetailBand() const;
  int BandsPerRecordCount() const { return FBandsPerRecordCount; }
  void SetBandsPerRecordCount(int V) { FBandsPerRecordCount = V; }

  // Only TppDetailBand: another band raises ETalvorError.
  void SetBand(TppCustomBand* Band) override;
  void Init() override;
  // Only before the first detail band of the page: a fixed print position places only that one.
  void CheckPrintPosition() override;
  void BeginBandGeneration() override;
  void BeforeBandGenerate() override;
  void AfterBandGenerate() override;
  void CompleteGeneration() override;
  bool IsPageStartBand() override { return true; }

private:
  int FBandsPerRecordCount = 1;
};

// Records run down a column; the page engine runs the columns.
class TppVerticalBandEngine : public TppDetailBandEngine {
  DECLARE_CLASSINFO(TppVerticalBandEngine)
public:
  using TppDetailBandEngine::TppDetailBandEngine;
  ~TppVerticalBandEngine() override;
};

// Records run across the columns of a row, then down to the next row. The engine prints the column
// header of a column before its first record and the column footers when the page ends.
class TppHorizontalBandEngine : public TppDetailBandEngine {
  DECLARE_CLASSINFO(TppHorizontalBandEngine)
public:
  using TppDetailBandEngine::TppDetailBandEngine;
  ~TppHorizontalBandEngine() override;

  // The left edge of column Index (0-based): the left margin plus Index column widths, or the
  // report's column position, which must exist and be a number (else the print error).
  int32_t ColumnLeft(int Index) const;

  void CheckPrintOnPage() override;
  void BeginBandGeneration() override;
  void CalcBandPrintPosition() override;
  void UpdateSpaceUsed() override;
  void AfterBandGenerate() override;
  void CheckNewPage() override;
  // The column footer of every column that has not had it.
  void EndOfPage() override;

private:
  void InColumn(uint16_t Condition, const std::function<void()>& Body);
  void ColumnHeader();
  void ColumnFooter();
  int32_t FRowLeft = 0;
};
