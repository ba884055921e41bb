#include "ppreport/generation/ppPageBands.h"

#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppPrinterSetup.h"

namespace {
// The page height less the bottom margin of the engine's current page.
int32_t PageBottomMargin(TppCustomEngine& E) {
  const TppPageDef* Def = E.Page()->PageDef();
  return Def->mmHeight() - Def->mmMarginBottom();
}

// The engine's print position from Top down Height: the band's place.
TRect Across(TppCustomEngine& E, int32_t Top, int32_t Height) {
  const TRect P = E.PrintPosition();
  return {P.Left, Top, P.Right, Top + Height};
}
}  // namespace

// ---- page header and footer

const TClassInfo& TppPageBand::StaticClassInfo() {
  using B = TppPageBand;
  static const TClassInfo Info = TClassDef<B>("TppPageBand", &TppBasicBand::StaticClassInfo())
                                     .Prop("PrintHeight", &B::PrintHeight, &B::SetPrintHeight)
                                     .Default(phStatic)
                                     .Prop("PrintOnFirstPage", &B::PrintOnFirstPage, &B::SetPrintOnFirstPage)
                                     .Default(1)
                                     .Prop("PrintOnLastPage", &B::PrintOnLastPage, &B::SetPrintOnLastPage)
                                     .Default(1);
  return Info;
}

TppPageBand::TppPageBand(TComponent* AOwner) : TppBasicBand(AOwner) {}
TppPageBand::~TppPageBand() { BeforeDestruction(); }

void TppPageBand::SetPrintOnFirstPage(bool Value) {
  if (!Report() || Value == FPrintOnFirstPage) return;
  FPrintOnFirstPage = Value;
  Reset();
  PropertyChanged();
}

void TppPageBand::SetPrintOnLastPage(bool Value) {
  if (!Report() || Value == FPrintOnLastPage) return;
  FPrintOnLastPage = Value;
  Reset();
  PropertyChanged();
}

void TppPageBand::CheckPrintOnPage() {
  TppCustomEngine* E = Engine();
  bool Skip = !E;
  if (E) {
    const uint16_t S = E->EngineState();
    // One pass knows its last page by the end of the data; a second pass by the page count.
    Skip = (!FPrintOnFirstPage && E->AbsolutePageNo() == 1) ||
           (!FPrintOnLastPage && (S & esFirstPass) && (E->LastBandGenerated() || (S & esPrintingSummary))) ||
           (!FPrintOnLastPage && (S & esSecondPass) && E->AbsolutePageNo() == E->AbsolutePageCount());
  }
  if (Skip) SetGenerationComplete(true);
}

const TClassInfo& TppHeaderBand::StaticClassInfo() {
  using B = TppHeaderBand;
  static const TClassInfo Info = TClassDef<B>("TppHeaderBand", &TppPageBand::StaticClassInfo())
                                     .Prop("BottomOffset", &B::GetBottomOffset, &B::SetBottomOffset)
                                     .Stored(false)
                                     .Prop("PrintPosition", &B::GetPrintPosition, &B::SetPrintPosition)
                                     .Stored(false);
  return Info;
}

TppHeaderBand::~TppHeaderBand() { BeforeDestruction(); }
std::string TppHeaderBand::GetDefaultCaption() const { return LanguageString(193); }

const TClassInfo& TppFooterBand::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppFooterBand>("TppFooterBand", &TppPageBand::StaticClassInfo());
  return Info;
}

TppFooterBand::~TppFooterBand() { BeforeDestruction(); }
std::string TppFooterBand::GetDefaultCaption() const { return LanguageString(190); }

void TppFooterBand::CalcBandPrintPosition() {
  TppCustomEngine& E = *Engine();
  SetPageBottom(PageBottomMargin(E));
  SetStartingPosition(GetPageBottom() - mmHeight());
  Generation().PlaceBand(Across(E, GetStartingPosition(), mmHeight()));
}

// ---- title and summary

const TClassInfo& TppReportBand::StaticClassInfo() {
  using B = TppReportBand;
  static const TClassInfo Info = TClassDef<B>("TppReportBand", &TppBasicBand::StaticClassInfo())
                                     .Prop("BottomOffset", &B::GetBottomOffset, &B::SetBottomOffset)
                                     .Stored(false)
                                     .Prop("NewPage", &B::NewPage, &B::SetNewPage)
                                     .Default(0)
                                     .Prop("PrintHeight", &B::PrintHeight, &B::SetPrintHeight)
                                     .Default(phStatic)
                                     .Prop("PrintPosition", &B::GetPrintPosition, &B::SetPrintPosition)
                                     .Stored(false);
  return Info;
}

TppReportBand::~TppReportBand() { BeforeDestruction(); }

void TppReportBand::SetNewPage(bool Value) {
  if (!Report() || Value == FNewPage) return;
  FNewPage = Value;
  Reset();
  PropertyChanged();
}

void TppReportBand::Init() {
  TppBasicBand::Init();
  FNewPageDone = false;
}

void TppReportBand::SaveToCache(int Page) {
  TppBandCacheRecord R{};
  FillCacheRecord(R);
  R.Reserved2[0] = FNewPageDone ? 1 : 0;
  WriteRecord(Page, R);
}

void TppReportBand::RestoreFromCache(int Page) {
  TppBandCacheRecord R{};
  if (!ReadRecord(Page, R)) return;
  TakeCacheRecord(R);
  FNewPageDone = R.Reserved2[0] != 0;
}

const TClassInfo& TppTitleBand::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppTitleBand>("TppTitleBand", &TppReportBand::StaticClassInfo());
  return Info;
}

TppTitleBand::~TppTitleBand() { BeforeDestruction(); }
std::string TppTitleBand::GetDefaultCaption() const { return LanguageString(195); }

void TppTitleBand::CheckPrintOnPage() {
  TppCustomEngine* E = Engine();
  if (NewPage() && NewPageDone()) {
    SetGenerationComplete(true);
    if (E) E->ExcludeEngineState(esPrintingTitle);
  } else if (E) {
    E->IncludeEngineState(esPrintingTitle);
  }
}

TppCustomBand* TppTitleBand::CheckNewPage() {
  if (NewPage() && !NewPageDone()) {
    SetNewPageDone(true);
    // An invisible title takes no page of its own.
    if (Visible()) SetOutOfSpace(true);
  } else if (TppCustomEngine* E = Engine()) {
    E->ExcludeEngineState(esPrintingTitle);
  }
  return this;
}

const TClassInfo& TppSummaryBand::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppSummaryBand>("TppSummaryBand", &TppReportBand::StaticClassInfo());
  return Info;
}

TppSummaryBand::~TppSummaryBand() { BeforeDestruction(); }
std::string TppSummaryBand::GetDefaultCaption() const { return LanguageString(194); }

void TppSummaryBand::CheckPrintOnPage() {
  TppCustomEngine* E = Engine();
  if (!E) return;
  E->IncludeEngineState(esPrintingSummary);
  if (NewPage() && NewPageDone()) return;
  // The summary is no break of the group that numbers the pages: its count stays that of the last
  // break.
  if (TppGroup* G = E->ControlGroup())
    if (!GetOverFlow() && !GetPartialGeneration()) G->SetBreakNo(G->BreakNo() - 1);
}

void TppSummaryBand::CalcBandPrintPosition() {
  TppCustomEngine& E = *Engine();
  // A summary that waits for a later page or column keeps this page's bottom: it waits by choice,
  // not for lack of room, and the guard against bands that never fit must not take it for one.
  const auto Wait = [&] {
    SetPageBottom(E.GetPageBottom() - mmBottomOffset());
    SetOutOfSpace(true);
  };
  if (NewPage() && !NewPageDone()) {
    SetNewPageDone(true);
    if (Visible()) Wait();
    return;
  }
  TppCustomReport* R = Report();
  if (R->Columns() == 1) {
    TppBasicBand::CalcBandPrintPosition();
    return;
  }
  auto* Detail = dynamic_cast<TppDetailBand*>(R->GetDetailBand());
  if (Detail && Detail->ColumnTraversal() == ctLeftToRight) {
    // Across the page from the left margin, under every column.
    E.MoveToLeftMargin();
    TppBasicBand::CalcBandPrintPosition();
  } else if (E.PrintPosition().Left == E.Page()->PageDef()->mmMarginLeft()) {
    TppBasicBand::CalcBandPrintPosition();
  } else {
    Wait();  // never from a column after the first
  }
}

void TppSummaryBand::EndOfPage() {
  TppReportBand::EndOfPage();
  if (TppCustomEngine* E = Engine()) E->ExcludeEngineState(esPrintingSummary);
}

// ---- column header and footer

const TClassInfo& TppColumnHeaderBand::StaticClassInfo() {
  using B = TppColumnHeaderBand;
  static const TClassInfo Info = TClassDef<B>("TppColumnHeaderBand", &TppBasicBand::StaticClassInfo())
                                     .Prop("BottomOffset", &B::GetBottomOffset, &B::SetBottomOffset)
                                     .Stored(false)
                                     .Prop("PrintHeight", &B::PrintHeight, &B::SetPrintHeight)
                                     .Default(phStatic)
                                     .Prop("PrintPosition", &B::GetPrintPosition, &B::SetPrintPosition)
                                     .Stored(false);
  return Info;
}

TppColumnHeaderBand::TppColumnHeaderBand(TComponent* AOwner) : TppBasicBand(AOwner) { ChangeHeight(0); }
TppColumnHeaderBand::~TppColumnHeaderBand() { BeforeDestruction(); }
std::string TppColumnHeaderBand::GetDefaultCaption() const { return LanguageString(188); }

const TClassInfo& TppColumnFooterBand::StaticClassInfo() {
  using B = TppColumnFooterBand;
  static const TClassInfo Info = TClassDef<B>("TppColumnFooterBand", &TppBasicBand::StaticClassInfo())
                                     .Prop("PrintHeight", &B::PrintHeight, &B::SetPrintHeight)
                                     .Default(phStatic);
  return Info;
}

TppColumnFooterBand::TppColumnFooterBand(TComponent* AOwner) : TppBasicBand(AOwner) { ChangeHeight(0); }
TppColumnFooterBand::~TppColumnFooterBand() { BeforeDestruction(); }
std::string TppColumnFooterBand::GetDefaultCaption() const { return LanguageString(187); }

void TppColumnFooterBand::CalcBandPrintPosition() {
  TppCustomEngine& E = *Engine();
  SetPageBottom(PageBottomMargin(E));
  SetStartingPosition(E.GetPageBottom());
  Generation().PlaceBand(Across(E, GetStartingPosition(), mmHeight()));
}

void TppColumnFooterBand::AfterBandGenerate() {
  TppCustomReport* R = Report();
  // A child report's column ends where its body ended, not at the bottom of the page.
  if (GetSpaceUsed() == 0 && R && (R->IsChildReport() || R->PrintingAsSubReport())) {
    TppCustomEngine& E = *Engine();
    SetPrintRect(E.PrintPosition());
  }
}
