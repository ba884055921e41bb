#pragma once
// What the engine tests share: bands that print a text of their own height (the detail band one
// per record, with the record's "Name"), a report that caches page states the way the banded
// report does and keeps every finished page, and an in-memory pipeline.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/MemDataSet.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/generation/ppEngine.h"
#include "ppreport/generation/ppEngineBands.h"

namespace enginetest {

// Band kind bits as the engine's print conditions hold them.
inline uint16_t KindBit(TppBandType Kind) {
  switch (Kind) {
    case btTitle: return pcTitle;
    case btSummary: return pcSummary;
    case btHeader:
    case btPageStyle: return pcHeader;
    case btFooter: return pcFooter;
    case btColumnHeader: return pcColumnHeader;
    case btColumnFooter: return pcColumnFooter;
    case btGroupHeader: return pcGroupHeader;
    case btGroupFooter: return pcGroupFooter;
    default: return pcDetail;
  }
}

// A band that prints one text of its own height per cycle, on the engine's page, in a loop of its
// own (the band kinds' decisions in small). Group bands follow the break decisions of group headers
// and footers; a detail band of this class moves on one record per cycle.
class TTestBand : public TppCustomBand, public IppEngineBandSettings {
  DECLARE_CLASSINFO(TTestBand)
public:
  TTestBand(TComponent* AOwner, TppBandType Kind, int32_t Height, std::string Label)
      : TppCustomBand(AOwner), Kind(Kind), Label(std::move(Label)) {
    ChangeHeight(Height);
    SetCacheRecordSize(sizeof(TRec));
  }
  ~TTestBand() override { BeforeDestruction(); }

  TppBandType Kind;
  std::string Label;
  TppGroup* Group = nullptr;
  bool KeepOnLastPage = true, OwnPage = false;
  bool AlreadyPageBreak = false;
  int Generated = 0;  // Generate calls

  // ---- the band model
  std::string GetBandSortKey() const override {
    static const int Keys[] = {2, 1, 3, 4, 5, 6, 7, 9, 8, 10};
    const int Key = Keys[Kind];
    const int GroupNo = Group ? Group->GetGroupNo() : 0;
    if (Kind == btGroupHeader) return Format("%8d", {Key}) + Format("%8d", {GroupNo});
    if (Kind == btGroupFooter) return Format("%8d", {Key}) + Format("%8d", {99999998 - GroupNo});
    return Format("%8d", {Key});
  }
  TppBandType GetBandType() const override { return Kind; }
  std::string GetDefaultCaption() const override { return Label; }
  TppGroup* GetGroup() const override { return Group; }

  // ---- what the engine reads
  bool PrintOnLastPage() const override { return KeepOnLastPage; }
  bool TitleNewPage() const override { return OwnPage; }
  void SetAlreadyPageBreak(bool V) override { AlreadyPageBreak = V; }

  void Init() override {
    TppCustomBand::Init();
    if (Kind == btGroupHeader) {
      AlreadyPageBreak = !TheEngine()->GetPageStarted();
      SetBreaking(true);
    }
    if (Kind == btGroupFooter) SetBreaking(true);
  }

  void SaveToCache(int Page) override { WriteRecord(Page, TRec{AlreadyPageBreak, Breaking()}); }
  void RestoreFromCache(int Page) override {
    TRec R{};
    if (!ReadRecord(Page, R)) return;
    AlreadyPageBreak = R.AlreadyPageBreak;
    SetBreaking(R.Generation);
  }

  void Generate() override {
    ++Generated;
    TppEngine* E = TheEngine();
    SetOutOfSpace(false);
    SetCount(0);
    SetSpaceUsed(0);
    bool Complete = !PrintsOnThisCall();
    while (!Complete && !E->StopPrinting() && !GetOutOfSpace() && !(Kind != btDetail && GetCount() == 1) &&
           (E->PrintCondition() & Bit())) {
      if (IsPageStart()) E->AdvanceRecord();
      // Footers sit in the room the engine keeps for them at the bottom; the rest stack downwards.
      const bool AtBottom = Kind == btFooter || Kind == btColumnFooter;
      TppPageDef* Def = E->Page()->PageDef();
      const int32_t Top = Kind == btFooter         ? Def->mmHeight() - Def->mmMarginBottom() - mmHeight()
                          : Kind == btColumnFooter ? E->GetPageBottom()
                                                   : E->PrintPosition().Top;
      if (AtBottom) {
        SetCount(GetCount() + 1);
        Draw(*E, Top);
      } else if (Visible() && Top + mmHeight() > E->GetPageBottom()) {
        SetOutOfSpace(true);
      } else if (Visible()) {
        if (Kind == btDetail) E->AdvanceRecord();
        SetCount(GetCount() + 1);
        E->SetReportBandCount(E->ReportBandCount() + 1);
        E->SetPageBandCount(E->PageBandCount() + 1);
        Draw(*E, Top);
        const TRect P = E->PrintPosition();
        E->SetPrintPosition(P.Left, Top + mmHeight(), P.Right, Top + mmHeight());
        SetSpaceUsed(mmHeight());
        if (Kind == btDetail) {
          if (E->AllDataTraversed()) Complete = true;
          E->SetFirstDetailBandPrinted(true);
          if (!E->GetPageStarted()) E->SetPageStarted(true);
        }
      }
      if (!Visible()) Complete = true;
      Complete = EndCycle(*E) || Complete;
    }
    if (Kind == btGroupFooter && Group && Group->GetGroupNo() == 0 && !GetOutOfSpace() && !E->AllDataTraversed() &&
        (E->PrintCondition() & pcGroupFooter))
      E->SetAdvanceRecordPending(true);
  }

private:
  struct TRec {
    bool AlreadyPageBreak, Generation;
  };
  TppEngine* TheEngine() const { return static_cast<TppEngine*>(Report()->Engine()); }
  uint16_t Bit() const {
    if (Kind == btGroupHeader && Group && Group->ReprintOnSubsequentPage()) return pcGroupHeader | pcHeader;
    return KindBit(Kind);
  }
  bool IsPageStart() const {
    return Kind == btTitle || Kind == btHeader || Kind == btColumnHeader || Kind == btPageStyle;
  }
  void Draw(TppEngine& E, int32_t Top) {
    if (!DrawPage()) return;
    std::string Text = Label;
    if (Kind == btDetail && Report()->DataPipeline()) Text += " " + Report()->DataPipeline()->GetFieldAsString("Name");
    auto* T = new TppDrawText(nullptr);
    T->SetText(Text);
    T->SetLeft(E.PrintPosition().Left);
    T->SetTop(Top);
    T->SetWidth(E.PrintPosition().Right - E.PrintPosition().Left);
    T->SetHeight(mmHeight());
    T->SetBand(this);
    T->SetPage(E.Page());
  }
  // Whether the band prints on this call (the group bands decide; the others always do).
  bool PrintsOnThisCall() {
    TppEngine* E = TheEngine();
    if (!Group) return true;
    const bool Gen = Breaking();
    if (Kind == btGroupFooter) return Gen || (E->PrintCondition() & pcSummary);
    if (Gen) Group->SaveKeepTogetherState();
    bool Print;
    if (!Gen && (E->PrintCondition() & pcHeader) && Group->ReprintOnSubsequentPage() &&
        E->AbsolutePageNo() >= Group->FirstPageNo())
      Print = true;
    else if (E->EngineState() & (esPrintingTitle | esPrintingSummary))
      Print = false;
    else
      Print = Gen;
    if (!Print) return false;
    const int32_t Free = E->GetPageBottom() - E->PrintPosition().Top;
    if (!AlreadyPageBreak && ((Gen && Group->NewPage()) || Free < Group->mmNewPageThreshold())) {
      AlreadyPageBreak = true;
      SetOutOfSpace(true);
      return false;
    }
    if (Gen) {
      Group->SetFirstPageNo(E->AbsolutePageNo());
      E->AdvanceRecord();
    }
    return true;
  }
  // The end of one cycle; answers whether the band is done for this call.
  bool EndCycle(TppEngine& E) {
    if (Kind == btDetail && !GetOutOfSpace()) {
      E.NextRecord();
      if (E.AllDataTraversed() || (E.PrintCondition() & pcGroupFooter)) return true;
      if (Report()->AutoStop() && GetCount() == 1) {
        E.Stop();
        return true;
      }
    }
    if (Group && Breaking() && !GetOutOfSpace() && GetCount() > 0) {
      SetBreaking(false);
      if (Kind == btGroupHeader) {
        Group->SetBreaking(false);
        AlreadyPageBreak = false;
      } else {
        Group->EndBreak();
      }
    }
    return false;
  }
};

inline const TClassInfo& TTestBand::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TTestBand>("TEngineTestBand", &TppCustomBand::StaticClassInfo());
  return Info;
}

// A band of any kind generated by the band base itself.
class TKindBand : public TppCustomBand {
  DECLARE_CLASSINFO(TKindBand)
public:
  TKindBand(TComponent* AOwner, TppBandType Kind) : TppCustomBand(AOwner), Kind(Kind) {}
  ~TKindBand() override { BeforeDestruction(); }
  TppBandType Kind;
  std::string GetBandSortKey() const override {
    static const int Keys[] = {2, 1, 3, 4, 5, 6, 7, 9, 8, 10};
    return ppBandSortKey(Keys[Kind]);
  }
  TppBandType GetBandType() const override { return Kind; }
  std::string GetDefaultCaption() const override { return "Band " + std::to_string(Kind); }
  bool IsPageStartBand() const override { return Kind == btTitle || Kind == btHeader || Kind == btColumnHeader; }
};

inline const TClassInfo& TKindBand::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TKindBand>("TEngineTestKindBand", &TppCustomBand::StaticClassInfo());
  return Info;
}

// Draws its label and the current record's "Name" at the band's place (a detail band's object).
class TRecordBox : public TppComponent {
  DECLARE_CLASSINFO(TRecordBox)
public:
  explicit TRecordBox(TComponent* AOwner) : TppComponent(AOwner) {
    SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawText(nullptr); });
  }
  ~TRecordBox() override { BeforeDestruction(); }
  std::string Label;
  void Generate() override {
    auto* B = static_cast<TppCustomBand*>(Band());
    const TRect R = B->GetPrintRect();
    SetPrintRect({R.Left + mmLeft(), R.Top + mmTop(), R.Left + mmLeft() + mmWidth(), R.Top + mmTop() + mmHeight()});
    SetSpaceUsed(mmHeight());
    SetGenerationComplete(true);
    FText = Label;
    if (TppDataPipeline* P = B->Report()->DataPipeline()) FText += " " + P->GetFieldAsString("Name");
  }
  void PropertiesToDrawCommand(TppDrawCommand* C) override {
    TppComponent::PropertiesToDrawCommand(C);
    C->SetLeft(PrintRect().Left);
    C->SetTop(PrintRect().Top);
    C->SetWidth(PrintRect().Width());
    C->SetHeight(PrintRect().Height());
    static_cast<TppDrawText*>(C)->SetText(FText);
  }

private:
  std::string FText;
};

inline const TClassInfo& TRecordBox::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TRecordBox>("TEngineTestRecordBox", &TppComponent::StaticClassInfo());
  return Info;
}

// A report that keeps its page states in a cache as the banded report does and every page it
// finishes (the final, drawn ones as copies, by absolute page number).
class TTestReport : public TppCustomReport {
  DECLARE_CLASSINFO(TTestReport)
public:
  explicit TTestReport(TComponent* AOwner) : TppCustomReport(AOwner), Cache(new TppCacheManager(this)) {
    TppCustomEngine* E = Engine();
    E->OnInitialize = [this](TObject*) { Cache->Reset(); };
    E->OnPageStart = [this](TObject*) { Cache->RestoreFromCache(Engine()->AbsolutePageNo() - 1); };
    E->OnDataPipelineStatesSaved = [this](TObject*) { Cache->SaveToCache(Engine()->AbsolutePageNo()); };
    E->OnGetLastPageCached = [this](TObject*, int& Last) { Last = Cache->CachePageCount(); };
  }
  ~TTestReport() override { BeforeDestruction(); }

  TppCacheManager* Cache;  // owned (the report is its owner)
  std::map<int, std::unique_ptr<TppPage>> Pages;
  struct TSent {
    int Page;
    bool Drawn, Final;
  };
  std::vector<TSent> Sent;  // every page finished, drawn or counted

  TppEngine* TheEngine() const { return static_cast<TppEngine*>(Engine()); }
  void EnginePageFinished() override {
    TppPage* P = Engine()->Page();
    // A page is finished twice: empty at its start, then filled at its end.
    if (!TheEngine()->PageComplete()) return;
    Sent.push_back({P->AbsolutePageNo(), !P->Calculation(), P->Final()});
    if (!P->Final() || P->Calculation()) return;
    auto Copy = std::make_unique<TppPage>(nullptr);
    Copy->Assign(P);
    Pages[P->AbsolutePageNo()] = std::move(Copy);
  }
  // Generates what the request asks; pages arrive in Pages.
  void Request(TppPageSettingType Setting, int Page = 0, std::vector<std::string> List = {}) {
    TppPageRequest R;
    R.SetPageSetting(Setting);
    R.SetPageRequested(Page);
    TStringList L;
    for (auto& S : List) L.Add(S);
    R.SetPageList(&L);
    Engine()->Generate(&R);
  }
  // The texts on a page with their tops, in drawing order.
  std::vector<std::pair<std::string, int32_t>> Texts(int Page) const {
    std::vector<std::pair<std::string, int32_t>> L;
    auto It = Pages.find(Page);
    if (It == Pages.end()) return L;
    for (int I = 0; I < It->second->GetDrawCommandCount(); ++I)
      if (auto* T = dynamic_cast<TppDrawText*>(It->second->GetDrawCommand(I))) L.emplace_back(T->Text(), T->Top());
    return L;
  }
};

inline const TClassInfo& TTestReport::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TTestReport>("TEngineTestReport", &TppCustomReport::StaticClassInfo());
  return Info;
}

// Pages alike: the numbers and flags a device reads, and every command alike (IsEqual).
// The page counts only when Counts is set.
inline bool SamePage(const TppPage& A, const TppPage& B, bool Counts, std::string* Why = nullptr) {
  auto Fail = [&](const std::string& W) {
    if (Why) *Why = W;
    return false;
  };
  if (A.AbsolutePageNo() != B.AbsolutePageNo() || A.PageNo() != B.PageNo() || A.FirstPage() != B.FirstPage() ||
      (Counts && (A.AbsolutePageCount() != B.AbsolutePageCount() || A.PageCount() != B.PageCount() ||
                  A.LastPage() != B.LastPage())))
    return Fail(Format("numbers %d/%d %d/%d %d %d against %d/%d %d/%d %d %d",
                       {A.AbsolutePageNo(), A.AbsolutePageCount(), A.PageNo(), A.PageCount(), int(A.FirstPage()),
                        int(A.LastPage()), B.AbsolutePageNo(), B.AbsolutePageCount(), B.PageNo(), B.PageCount(),
                        int(B.FirstPage()), int(B.LastPage())}));
  if (A.GetDrawCommandCount() != B.GetDrawCommandCount()) return Fail("command count");
  for (int I = 0; I < A.GetDrawCommandCount(); ++I)
    if (!A.GetDrawCommand(I)->IsEqual(*B.GetDrawCommand(I))) return Fail("command " + std::to_string(I));
  return true;
}

// An in-memory pipeline over the records given: fields "Name" and "Grp".
inline TppDataSetPipeline* MakePipeline(TComponent* Owner, const std::vector<std::pair<std::string, std::string>>& Rows) {
  auto* Set = new TMemoryDataSet(Owner);
  Set->FieldDefs().Add("Name", ftString, 20);
  Set->FieldDefs().Add("Grp", ftString, 20);
  for (auto& [Name, Grp] : Rows) Set->AppendRecord({Name, Grp});
  auto* P = new TppDataSetPipeline(Owner);
  P->SetDataSet(Set);
  P->SetUserName("Data");
  return P;
}

}  // namespace enginetest
