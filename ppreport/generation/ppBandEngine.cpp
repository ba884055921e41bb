#include "ppreport/generation/ppBandEngine.h"

#include <cmath>

#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppComponent.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/generation/ppGenConsts.h"

// ---- TppBandEngine

const TClassInfo& TppBandEngine::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppBandEngine>("TppBandEngine", &TppCommunicator::StaticClassInfo());
  return Info;
}

TppBandEngine::TppBandEngine() : TppCommunicator(nullptr) {}

TppBandEngine::~TppBandEngine() { BeforeDestruction(); }

void TppBandEngine::Destroying() {
  SetBand(nullptr);
  TppCommunicator::Destroying();
}

void TppBandEngine::SetBand(TppCustomBand* Band) {
  if (Band == GenerationBand()) return;
  if (GenerationBand()) RemoveNotify(GenerationBand());
  SetGenerationBand(Band);
  if (Band) AddNotify(Band);
}

void TppBandEngine::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCommunicator::Notify(Partner, Operation);
  if (Operation == ppopRemove && Partner == GenerationBand()) SetGenerationBand(nullptr);
}

void TppBandEngine::Init() {
  if (TppCustomBand* B = Band()) B->TppBand::Init();
  InitGeneration();
}

void TppBandEngine::Generate() { RunGeneration(); }

void TppBandEngine::DoAfterGenerate() {
  if (AfterGenerate) AfterGenerate(this);
}
void TppBandEngine::DoAfterPrint() {
  if (AfterPrint) AfterPrint(this);
}
void TppBandEngine::DoBeforeGenerate() {
  if (BeforeGenerate) BeforeGenerate(this);
}
void TppBandEngine::DoBeforePrint() {
  if (BeforePrint) BeforePrint(this);
}

void TppBandEngine::CheckPrintPosition() { BaseCheckPrintPosition(); }

void TppBandEngine::CompleteGeneration() {
  EndObjects();
  const TppBandGenerationState& S = State();
  // A dynamic band that ran out of space before printing anything goes on in the next page.
  if (Band()->PrintHeight() == phDynamic && S.OutOfSpace && S.SpaceUsed == 0)
    if (TppCustomEngine* E = Engine()) E->SendEventNotify(E, ciEngineDynamicBandOverflow, nullptr);
  if (!S.OutOfSpace || S.OverFlow) DoAfterPrint();
}

void TppBandEngine::AfterBandGenerate() { DoAfterGenerate(); }

void TppBandEngine::BeforeBandGenerate() { DoBeforeGenerate(); }

void TppBandEngine::BeginBandGeneration() {
  if (IsPageStartBand())
    if (TppCustomEngine* E = Engine()) E->AdvanceRecord();
  BeginObjects();
  DoBeforePrint();
}

// ---- TppDetailBandEngine

const TClassInfo& TppDetailBandEngine::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppDetailBandEngine>("TppDetailBandEngine", &TppBandEngine::StaticClassInfo());
  return Info;
}

TppDetailBandEngine::~TppDetailBandEngine() { BeforeDestruction(); }

TppDetailBand* TppDetailBandEngine::DetailBand() const { return static_cast<TppDetailBand*>(Band()); }

void TppDetailBandEngine::SetBand(TppCustomBand* Band) {
  if (Band && !dynamic_cast<TppDetailBand*>(Band))
    throw ETalvorError(ppErrorText("TppDetailBandEngine", "SetBand", SppDetailBandEngineBand));
  TppBandEngine::SetBand(Band);
}

void TppDetailBandEngine::Init() {
  TppBandEngine::Init();
  FBandsPerRecordCount = 1;
}

void TppDetailBandEngine::CheckPrintPosition() {
  if (!Engine()->FirstDetailBandPrinted()) BaseCheckPrintPosition();
}

void TppDetailBandEngine::BeginBandGeneration() {
  DoBeforePrint();
  if (!Band()->Visible()) Engine()->AdvanceRecord();
  BeginObjects();
}

void TppDetailBandEngine::BeforeBandGenerate() {
  // A pending advance or catch-up happens before the record prints.
  Engine()->AdvanceRecord();
  DoBeforeGenerate();
}

void TppDetailBandEngine::AfterBandGenerate() {
  TppCustomEngine* E = Engine();
  TppBandGenerationState& S = State();
  if (!S.OverFlow && E->AllDataTraversed()) S.GenerationComplete = true;
  // A section sub-report that has not finished goes on in the next page.
  if (S.PrintingSection && (E->EngineState() & esSectionDone) == 0) S.OutOfSpace = true;
  E->SetFirstDetailBandPrinted(true);
  if (!E->GetPageStarted()) E->SetPageStarted(true);
  DoAfterGenerate();
}

void TppDetailBandEngine::CompleteGeneration() {
  TppBandEngine::CompleteGeneration();
  TppCustomEngine* E = Engine();
  TppBandGenerationState& S = State();
  if (!S.OverFlow && !S.OutOfSpace) {
    if (FBandsPerRecordCount < DetailBand()->BandsPerRecord()) {
      ++FBandsPerRecordCount;
    } else {
      E->NextRecord();
      FBandsPerRecordCount = 1;
    }
    // The data has ended, or a group break was found.
    if (E->AllDataTraversed() || (E->PrintCondition() & pcGroupFooter) != 0) S.GenerationComplete = true;
  }
  if (S.GenerationComplete) return;
  if (!S.OverFlow && Report() && Report()->AutoStop() && S.Count == 1) {
    S.GenerationComplete = true;
    E->Stop();
  }
  // PrintCount is the number of detail bands per page (or column).
  if (Band()->PrintMode() == 3 && S.Count == Band()->PrintCount()) S.OutOfSpace = true;
}

// ---- TppVerticalBandEngine

const TClassInfo& TppVerticalBandEngine::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppVerticalBandEngine>("TppVerticalBandEngine", &TppDetailBandEngine::StaticClassInfo());
  return Info;
}

TppVerticalBandEngine::~TppVerticalBandEngine() { BeforeDestruction(); }

// ---- TppHorizontalBandEngine

const TClassInfo& TppHorizontalBandEngine::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppHorizontalBandEngine>("TppHorizontalBandEngine", &TppDetailBandEngine::StaticClassInfo());
  return Info;
}

TppHorizontalBandEngine::~TppHorizontalBandEngine() { BeforeDestruction(); }

int32_t TppHorizontalBandEngine::ColumnLeft(int Index) const {
  TppCustomReport* R = Report();
  TppCustomEngine* E = Engine();
  const int32_t LeftMargin = E ? E->GetPage()->PageDef()->mmMarginLeft() : 0;
  // The stored positions are microns.
  const TStringList* Positions = R ? &R->StoredColumnPositions() : nullptr;
  if (!Positions || Positions->Count() == 0) return LeftMargin + Index * (R ? R->mmColumnWidth() : 0);
  // The language texts end in their own period.
  if (Index < 0 || Index >= Positions->Count()) {
    GenerationError(FormatLanguageString(43, {std::to_string(Index + 1)}));
    return LeftMargin;
  }
  // In the program's number format, or with a decimal point as stored reports may hold them.
  double Value = 0;
  const std::string Text = Trim(Positions->Get(Index));
  if (!TryStrToFloat(Text, Value) && !TryStrToFloat(Text, Value, EnglishFormatSettings())) {
    GenerationError(FormatLanguageString(42, {std::to_string(Index + 1)}));
    return LeftMargin;
  }
  if (!std::isfinite(Value) || std::fabs(Value) > 2e9) {
    GenerationError(FormatLanguageString(42, {std::to_string(Index + 1)}));
    return LeftMargin;
  }
  return static_cast<int32_t>(std::lround(Value));
}

void TppHorizontalBandEngine::CheckPrintOnPage() { FRowLeft = Engine()->PrintPosition().Left; }

void TppHorizontalBandEngine::BeginBandGeneration() {
  TppDetailBandEngine::BeginBandGeneration();
  TppCustomEngine* E = Engine();
  const TppBandGenerationState& S = State();
  if (!E->FirstDetailBandPrinted()) {
    E->SetCurrentColumn(0);
  } else if (E->CurrentColumn() < Report()->Columns() - 1) {
    E->SetCurrentColumn(E->CurrentColumn() + 1);
  } else {
    E->SetCurrentColumn(0);
    const int32_t Top = S.PrintRect.Top + Band()->mmHeight() + Band()->mmBottomOffset();
    E->SetPrintPosition(S.PrintRect.Left, Top, S.PrintRect.Right, Top);
  }
  if (!E->GetColumnStarted(E->CurrentColumn())) ColumnHeader();
}

void TppHorizontalBandEngine::CalcBandPrintPosition() {
  TppCustomEngine* E = Engine();
  TppBandGenerationState& S = State();
  S.PageBottom = E->GetPageBottom() - Band()->mmBottomOffset();
  S.StartingPosition = E->PrintPosition().Top;
  if (!E->GetColumnStarted(E->CurrentColumn()))
    if (auto* Header = dynamic_cast<TppCustomBand*>(Report()->FindBand(btColumnHeader)))
      S.StartingPosition += Header->GetSpaceUsed();
  if (Band()->Visible() && S.StartingPosition + Band()->mmHeight() > S.PageBottom) {
    S.OutOfSpace = true;
    return;
  }
  PlaceBand({ColumnLeft(E->CurrentColumn()), S.StartingPosition, E->PrintPosition().Right,
             S.StartingPosition + Band()->mmHeight()});
}

void TppHorizontalBandEngine::UpdateSpaceUsed() {
  TppCustomEngine* E = Engine();
  TppBandGenerationState& S = State();
  // Only the first column of a row takes space; the next row moves the print position.
  if (E->CurrentColumn() == 0) {
    S.SpaceUsed = Band()->mmHeight() + Band()->mmBottomOffset();
    E->SetSpaceUsed(E->SpaceUsed() + S.SpaceUsed);
  } else {
    S.SpaceUsed = 0;
  }
}

void TppHorizontalBandEngine::AfterBandGenerate() {
  TppCustomEngine* E = Engine();
  const TppBandGenerationState& S = State();
  E->SetColumnStarted(E->CurrentColumn(), true);
  if (Band()->Visible() && S.PrintRect.Bottom + Band()->mmHeight() > S.PageBottom) ColumnFooter();
  TppDetailBandEngine::AfterBandGenerate();
}

void TppHorizontalBandEngine::CheckNewPage() {
  // A call that placed nothing leaves the position where it was.
  if (State().Count == 0) return;
  const TRect& R = State().PrintRect;
  Engine()->SetPrintPosition(FRowLeft, R.Bottom, R.Right, R.Bottom);
}

void TppHorizontalBandEngine::EndOfPage() {
  TppCustomEngine* E = Engine();
  if (!E || !Report()) return;
  if ((E->EngineState() & (esPrintingTitle | esPrintingSummary)) != 0 && !E->FirstDetailBandPrinted()) return;
  for (int I = 0; I < Report()->Columns(); ++I)
    if (!E->GetColumnFinished(I)) {
      E->SetCurrentColumn(I);
      ColumnFooter();
    }
}

// Runs Body with Condition in the print condition and the print position at the current column's
// left; condition, position and space used are put back whatever happens.
void TppHorizontalBandEngine::InColumn(uint16_t Condition, const std::function<void()>& Body) {
  TppCustomEngine* E = Engine();
  E->IncludePrintCondition(Condition);
  TFinally Due([E, Condition] { E->ExcludePrintCondition(Condition); });
  const TRect Position = E->PrintPosition();
  const int32_t SpaceUsed = E->SpaceUsed();
  TFinally PutBack([E, Position, SpaceUsed] {
    E->SetPrintPosition(Position.Left, Position.Top, Position.Right, Position.Bottom);
    E->SetSpaceUsed(SpaceUsed);
  });
  E->SetPrintPosition(ColumnLeft(E->CurrentColumn()), Position.Top, Position.Right, Position.Bottom);
  Body();
}

void TppHorizontalBandEngine::ColumnHeader() {
  TppCustomReport* R = Report();
  InColumn(pcColumnHeader, [R] {
    R->DoOnStartColumn();
    if (auto* Header = dynamic_cast<TppCustomBand*>(R->FindBand(btColumnHeader))) Header->Generate();
  });
}

void TppHorizontalBandEngine::ColumnFooter() {
  TppCustomReport* R = Report();
  InColumn(pcColumnFooter, [R] {
    if (auto* Footer = dynamic_cast<TppCustomBand*>(R->FindBand(btColumnFooter))) Footer->Generate();
    R->DoOnEndColumn();
  });
  Engine()->SetColumnFinished(Engine()->CurrentColumn(), true);
}
