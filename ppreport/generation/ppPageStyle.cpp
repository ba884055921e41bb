#include "ppreport/generation/ppPageStyle.h"

#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/core/ppUtils.h"
#include "ppreport/generation/ppCompUtils.h"
#include "platform/rtl/SysUtils.h"

TppPageStyle::TppPageStyle(TComponent* AOwner) : TppBasicBand(AOwner) {
  ChangeHeight(13229);
  SetUserName("PageStyle");
}

TppPageStyle::~TppPageStyle() { BeforeDestruction(); }

std::string TppPageStyle::GetDefaultCaption() const { return LanguageString(691); }

// Generated and drawn first while printing; listed after every other band at design time.
std::string TppPageStyle::GetBandSortKey() const {
  return ppBandSortKey(ppReportGenerating(Report()) ? 0 : 10);
}

bool TppPageStyle::Changeable() const { return !ppReportGenerating(Report()); }

void TppPageStyle::Changed() {
  PropertyChanged();
  Reset();
}

void TppPageStyle::SetPageSetting(TppPageSettingType Value) {
  if (!Changeable() || Value == FPageSetting) return;
  FPageSetting = Value;
  Changed();
}

void TppPageStyle::SetPageList(const TStrings* Value) {
  if (!Changeable()) return;
  FPageList.Assign(Value);
  Changed();
}

void TppPageStyle::SetValidPages(const std::string& Value) {
  if (!Changeable() || Value == FValidPages) return;
  if (IsReading()) {  // the stored list and setting come with it
    FValidPages = Value;
    return;
  }
  TStringList Pages;
  ParsePageList(Value, Pages, false);  // a bad list raises and changes nothing
  FValidPages = Value;
  FPageList.Assign(&Pages);
  FPageSetting = psPageList;
  Changed();
}

void TppPageStyle::SetSinglePage(int32_t Value) {
  if (!Changeable() || Value == FSinglePage) return;
  FSinglePage = Value;
  Changed();
}

void TppPageStyle::SetStartPage(int32_t Value) {
  if (!Changeable() || Value == FStartPage) return;
  FStartPage = Value;
  Changed();
}

void TppPageStyle::SetEndPage(int32_t Value) {
  if (!Changeable() || Value == FEndPage) return;
  FEndPage = Value;
  Changed();
}

bool TppPageStyle::PrintsOnPage(int PageNo) const {
  switch (FPageSetting) {
    case psAll: return true;
    case psPageList: return FPageList.IndexOf(Format("%8d", {PageNo})) >= 0;
    case psSinglePage: return PageNo == FSinglePage;
    case psFirstPage: return PageNo == 1;
    case psLastPage: {
      // Known only once the first pass has counted the pages.
      const TppCustomReport* R = Report();
      const TppCustomEngine* E = R ? R->GetMainReport()->Engine() : nullptr;
      return E && E->FirstPassCompleted() && PageNo == E->AbsolutePageCount();
    }
    case psPageRange: return PageNo >= FStartPage && (FEndPage == 0 || PageNo <= FEndPage);
  }
  return false;
}

void TppPageStyle::CheckPrintOnPage() {
  // A page test that only skips the page: Visible stays the user's setting.
  const TppCustomReport* R = Report();
  const TppCustomEngine* E = R ? R->GetMainReport()->Engine() : nullptr;
  if (!E || !PrintsOnPage(E->AbsolutePageNo())) SetGenerationComplete(true);
}

void TppPageStyle::CalcBandPrintPosition() {
  TppCustomEngine& E = *Engine();
  FSavedPosition = E.PrintPosition();
  const TppPageDef* Def = E.Page()->PageDef();
  SetPageBottom(Def->mmHeight() - Def->mmMarginBottom());
  SetStartingPosition(Def->mmMarginTop());
  Generation().PlaceBand(
      {FSavedPosition.Left, GetStartingPosition(), FSavedPosition.Right, GetStartingPosition() + mmHeight()});
}

void TppPageStyle::CompleteGeneration() {
  TppBasicBand::CompleteGeneration();
  if (!GetOverFlow()) SetGenerationComplete(true);
  TppCustomEngine& E = *Engine();
  E.SetSpaceUsed(GetPrintRect().Bottom);
  E.SetPrintPosition(FSavedPosition.Left, FSavedPosition.Top, FSavedPosition.Right, FSavedPosition.Top);
}

const TClassInfo& TppPageStyle::StaticClassInfo() {
  using B = TppPageStyle;
  static const TClassInfo Info = TClassDef<B>("TppPageStyle", &TppBasicBand::StaticClassInfo())
                                     .Prop("EndPage", &B::EndPage, &B::SetEndPage)
                                     .Default(0)
                                     .Prop("PageList", &B::PageList, &B::SetPageList)
                                     .Prop("PageSetting", &B::PageSetting, &B::SetPageSetting)
                                     .Default(psAll)
                                     .Prop("SinglePage", &B::SinglePage, &B::SetSinglePage)
                                     .Default(0)
                                     .Prop("StartPage", &B::StartPage, &B::SetStartPage)
                                     .Default(0)
                                     .Prop("ValidPages", &B::ValidPages, &B::SetValidPages);
  return Info;
}

void InitializePageStyleUnit() { RegisterPPClasses({&TppPageStyle::StaticClassInfo()}); }

void FinalizePageStyleUnit() { UnregisterPPClasses({&TppPageStyle::StaticClassInfo()}); }
