// TppEngine: which page comes next for a request and when the request is served, columns down
// the page, and the no-data rules.
#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/app/Application.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppFormRegistry.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/generation/ppEngine.h"
#include "ppreport/generation/ppEngineBands.h"

namespace {
TppNoDataDialogShower& DialogShower() {
  static TppNoDataDialogShower Shower;
  return Shower;
}
TppNoDataDialogPreparer& DialogPreparer() {
  static TppNoDataDialogPreparer Preparer;
  return Preparer;
}

// The texts end in one period: a language module's text may bring its own.
std::string Sentence(std::string Text) {
  if (Text.empty() || Text.back() != '.') Text += '.';
  return Text;
}
}  // namespace

void SetNoDataDialogShower(TppNoDataDialogShower Shower) { DialogShower() = std::move(Shower); }
void SetNoDataDialogPreparer(TppNoDataDialogPreparer Preparer) { DialogPreparer() = std::move(Preparer); }

// ---- page selection

int TppEngine::ClampRequestedPage(int Page) const {
  if (FirstPassCompleted() && Page > AbsolutePageCount()) return AbsolutePageCount();
  return Page <= 0 ? 1 : Page;
}

void TppEngine::SetFirstPage() {
  DoOnGetLastPageCached();
  int Page = 1;
  switch (FPageRequest->PageSetting()) {
    case psPageList:
      FPageListIndex = 0;
      if (NextPageInList())
        Page = FPageRequest->PageRequested();
      else
        SetDonePrinting(true);
      break;
    case psSinglePage:
      FPageRequest->SetPageRequested(ClampRequestedPage(FPageRequest->PageRequested()));
      Page = FPageRequest->PageRequested();
      break;
    case psLastPage: Page = FirstPassCompleted() ? AbsolutePageCount() : LastPageCached() + 1; break;
    default: Page = 1; break;  // all pages, the first page, a range (served as all pages)
  }
  // Pages are always generated in order from the last cached state.
  SetAbsolutePageNo(std::min(Page, LastPageCached() + 1));
}

void TppEngine::NextPage() {
  if (DonePrinting()) return;
  int Page = AbsolutePageNo() + 1;
  switch (FPageRequest->PageSetting()) {
    case psPageList:
      if (NextPageInList())
        Page = FPageRequest->PageRequested();
      else
        SetDonePrinting(true);
      break;
    case psSinglePage:
      if (AbsolutePageNo() >= FPageRequest->PageRequested() && DrawPage()) {
        SetDonePrinting(true);
      } else {
        FPageRequest->SetPageRequested(ClampRequestedPage(FPageRequest->PageRequested()));
        Page = FPageRequest->PageRequested();
      }
      break;
    case psFirstPage:
      if (AbsolutePageNo() > 0) SetDonePrinting(true);
      break;
    case psLastPage:
      // A report that learns its end only by reaching it counted its last page without drawing
      // it: that page is made again, drawn, rather than a page beyond the end.
      if (LastBandGenerated() && DrawPage())
        SetDonePrinting(true);
      else if (LastBandGenerated() && FirstPassCompleted())
        Page = AbsolutePageCount();
      break;
    default:
      if (LastBandGenerated()) SetDonePrinting(true);
      break;
  }
  if (DonePrinting()) return;
  DoOnGetLastPageCached();
  if (Page > LastPageCached() + 1) Page = FirstPassCompleted() ? LastPageCached() : LastPageCached() + 1;
  SetAbsolutePageNo(Page);
}

bool TppEngine::ReadPageListEntry() {
  TStringList* List = FPageRequest->PageList();
  const std::string Entry = Trim(List->Get(FPageListIndex));
  // Not a whole number: the conversion error passes out of Generate.
  FPageRequest->SetPageRequested(static_cast<int>(StrToInt(Entry)));
  const int Page = FPageRequest->PageRequested();
  return Page > 0 && !(FirstPassCompleted() && Page > AbsolutePageCount());
}

bool TppEngine::NextPageInList() {
  TStringList* List = FPageRequest->PageList();
  if (!List || FPageListIndex >= List->Count()) return false;
  bool Usable = false;
  while (FPageListIndex < List->Count() && !Usable) {
    Usable = ReadPageListEntry();
    // An entry beyond the next page to generate is kept: the pages up to it come first.
    if (!Usable || FPageRequest->PageRequested() <= AbsolutePageCount() + 1) ++FPageListIndex;
  }
  return Usable;
}

void TppEngine::CheckGenerationComplete() {
  switch (FPageRequest->PageSetting()) {
    case psPageList: {
      TStringList* List = FPageRequest->PageList();
      const int Kept = FPageRequest->PageRequested();
      bool Left = false;
      for (int I = FPageListIndex; List && I < List->Count() && !Left; ++I) {
        const int Saved = FPageListIndex;
        FPageListIndex = I;
        Left = ReadPageListEntry();
        FPageListIndex = Saved;
      }
      FPageRequest->SetPageRequested(Kept);
      if (!Left) SetDonePrinting(true);
      break;
    }
    case psSinglePage:
      if (AbsolutePageNo() >= FPageRequest->PageRequested() && DrawPage()) SetDonePrinting(true);
      break;
    case psFirstPage:
      if (AbsolutePageNo() > 0 && DrawPage()) SetDonePrinting(true);
      break;
    default:
      if (LastBandGenerated() && DrawPage() && AbsolutePageNo() == AbsolutePageCount()) SetDonePrinting(true);
      break;
  }
}

// ---- columns down the page

void TppEngine::StartColumn() {
  if (EngineState() & (esPrintingTitle | esPrintingSummary)) return;
  TppCustomReport* R = CustomReport();
  if (CurrentColumn() == 0) FColumnStartPosition = PrintPosition().Top;
  if (CurrentColumn() >= R->Columns()) return;
  SetCurrentColumn(CurrentColumn() + 1);
  if (!PositionColumn() || FAllColumnsStarted) return;
  const int L = FBandListIndex, B = FBandIndex;
  R->DoOnStartColumn();
  IncludePrintCondition(pcColumnHeader);
  FBandListIndex = blColumnHeader;
  SetPageStarted(false);
  GenerateBandList(blColumnHeader, 0, true);
  if (CurrentColumn() == R->Columns()) FAllColumnsStarted = true;
  FBandListIndex = L;
  FBandIndex = B;
}

bool TppEngine::PositionColumn() {
  TppCustomReport* R = CustomReport();
  TppPageDef* Def = Page()->PageDef();
  const int32_t W = R->mmColumnWidth();
  const int N = CurrentColumn();
  // The stored positions are microns.
  const TStringList& Positions = R->StoredColumnPositions();
  const bool HasPositions = Positions.Count() > 0;
  int32_t Left = Def->mmMarginLeft() + (N - 1) * W;
  if (HasPositions) {
    if (Positions.Count() < N) R->PrintError(Sentence(FormatLanguageString(43, {std::to_string(N)})));
    double Value = 0;
    const std::string Text = Trim(Positions.Get(N - 1));
    if (!TryStrToFloat(Text, Value, EnglishFormatSettings()) || !std::isfinite(Value) || std::fabs(Value) > 2e9)
      R->PrintError(Sentence(FormatLanguageString(42, {std::to_string(N)})));
    else
      Left = static_cast<int32_t>(std::lround(Value));
  }
  const int32_t Right = Def->mmWidth() - Def->mmMarginRight();
  const bool Fits = (HasPositions || Right >= Left + W) && (!HasPositions || Right >= Left);
  if (Fits) SetPrintPosition(Left, FColumnStartPosition, Right, FColumnStartPosition);
  return Fits;
}

void TppEngine::EndColumn() {
  TppCustomReport* R = CustomReport();
  FColumnComplete = true;
  const int Positions = R->StoredColumnPositions().Count();
  const bool Last = CurrentColumn() > 0 && CurrentColumn() == Positions;
  bool NextFits = false;
  if (!Last) {
    const TRect Kept = PrintPosition();
    SetCurrentColumn(CurrentColumn() + 1);
    // A position that is not a number stops the run here too (the report's print error).
    NextFits = PositionColumn();
    SetCurrentColumn(CurrentColumn() - 1);
    SetPrintPosition(Kept.Left, Kept.Top, Kept.Right, Kept.Bottom);
  }
  TppBand* Detail = DetailBand();
  const bool DetailEmpty = !Detail || ppEngineBand::Count(*Detail) == 0;
  const bool TitleOrSummaryOnly = (EngineState() & (esPrintingTitle | esPrintingSummary)) && DetailEmpty;
  bool EndOfPage = CurrentColumn() == R->Columns() || (AllDataTraversed() && FBandListIndex > blGroupFooter) ||
                   !NextFits || (EngineState() & esSectionOpened) || TitleOrSummaryOnly;
  if (!EndOfPage && FCurrentBand && FCurrentBand->GetBandType() == btGroupHeader && FCurrentBand->GetGroup()) {
    TppGroup* G = FCurrentBand->GetGroup();
    EndOfPage = (G->NewPage() && !G->NewColumn()) ||
                (ppEngineBand::OutOfSpace(*FCurrentBand) && G->mmNewPageThreshold() != 0 && G->mmNewColumnThreshold() == 0);
  }
  if (EndOfPage) SaveStatesAtPageEnd();
  if (CalcsOutOfSync()) {
    StepBack();
    SetAdvanceRecordPending(NextFits);
  }
  if (!TitleOrSummaryOnly) {
    IncludePrintCondition(pcColumnFooter);
    const int L = FBandListIndex, B = FBandIndex;
    GenerateBandList(blColumnFooter, 0, false);
    FBandListIndex = L;
    FBandIndex = B;
    R->DoOnEndColumn();
    ExcludePrintCondition(pcColumnFooter);
  }
  if (EndOfPage) {
    TppPageDef* Def = Page()->PageDef();
    const TRect P = PrintPosition();
    SetPrintPosition(Def->mmMarginLeft(), P.Top, Def->mmMarginLeft() + Def->GetmmPrintableWidth(), P.Bottom);
    EndPage();
  }
}

// ---- no data

void TppEngine::HandleNoDataBlankPage() {
  TppCustomReport* R = CustomReport();
  if (!R->HasNoDataBehavior(ndBlankPage)) return;
  SetDonePrinting(true);
  SetLastBandGenerated(true);
  FMainReportStarted = false;
  TComponent* Dialog = R->HasNoDataBehavior(ndMessageDialog) ? CreateNoDataDialog() : nullptr;
  bool Show = !FStartOfSecondPassFired, Add = false;
  R->DoOnNoData(Dialog, Show, nullptr, Add);
  ShowNoDataDialog(Dialog, Show);
  // A two-pass report shows the dialog once.
  if (R->PassSetting() == psTwoPass) FStartOfSecondPassFired = true;
}

void TppEngine::ShowNoDataMessage() {
  TppCustomReport* R = CustomReport();
  FreeAndNil(FNoDataText);
  if (!R->HasNoDataBehavior(ndBlankReport)) return;
  bool Add = false, Show = false;
  if (R->HasNoDataBehavior(ndMessageOnPage)) {
    FNoDataText = CreateNoDataText();
    Add = true;
  }
  TComponent* Dialog = nullptr;
  if (R->HasNoDataBehavior(ndMessageDialog)) {
    Dialog = CreateNoDataDialog();
    Show = !FStartOfSecondPassFired;
  }
  R->DoOnNoData(Dialog, Show, FNoDataText, Add);
  ShowNoDataDialog(Dialog, Show);
  if (!FNoDataText) return;
  if (!Add) {
    FreeAndNil(FNoDataText);
    return;
  }
  FNoDataText->SetPage(Page());
  FNoDataText = nullptr;  // the page owns it now
}

void TppEngine::ShowNoDataDialog(TComponent*& Dialog, bool Show) {
  if (!Dialog) return;
  TppCustomReport* R = CustomReport();
  try {
    if (Show && DialogShower()) DialogShower()(*Dialog, *R);
  } catch (...) {
    FreeAndNil(Dialog);
    throw;
  }
  FreeAndNil(Dialog);
}

TComponent* TppEngine::CreateNoDataDialog() {
  if (!GetFormClass(ppNoDataDialogRole)) return nullptr;
  TComponent* Dialog = CreateFormOfRole(ppNoDataDialogRole, Application);
  try {
    if (DialogPreparer()) DialogPreparer()(*Dialog, *CustomReport());
  } catch (...) {
    Dialog->Free();
    throw;
  }
  return Dialog;
}

TppDrawText* TppEngine::CreateNoDataText() {
  auto* Text = new TppDrawText(nullptr);
  Text->SetAutoSize(true);
  Text->Font()->SetName("Arial");
  Text->Font()->SetSize(12);
  Text->Font()->SetColor(clBlack);
  Text->SetIsMemo(false);
  Text->SetText(LanguageString(1034));
  Text->SetTransparent(true);
  Text->SetWordWrap(false);
  const int32_t H = ConvertToMicrons(utScreenPixels, ppVertical, nullptr, 18);
  const int32_t W = ConvertToMicrons(utScreenPixels, ppHorizontal, nullptr, 110);
  Text->SetHeight(H);
  Text->SetWidth(W);
  Text->SetLeft((Page()->PageDef()->GetmmPrintableWidth() - W) / 2);
  Text->SetTop((SpaceUsed() - H) / 2);
  return Text;
}
