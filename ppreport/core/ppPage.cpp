#include "ppreport/core/ppPage.h"

#include <algorithm>
#include <cstring>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppLanguage.h"

namespace {
constexpr char OutlineCommandClass[] = "TppOutlineDrawCommand";

// Whether a class of the command's line bears the outline command's name: only then can it be of
// the class registered under that name, and the registry (a search under its lock) is asked.
bool MayBeOutlineCommand(const TppDrawCommand& Command) {
  for (const TClassInfo* C = Command.ClassInfo(); C; C = C->Parent)
    if (std::strcmp(C->Name, OutlineCommandClass) == 0) return true;
  return false;
}
}  // namespace

// ---- the page

const TClassInfo& TppPage::StaticClassInfo() {
  using P = TppPage;
  static const TClassInfo Info = TClassDef<P>("TppPage", &TppRelative::StaticClassInfo())
                                     .Prop("AbsolutePageCount", &P::AbsolutePageCount, &P::SetAbsolutePageCount)
                                     .Default(0)
                                     .Prop("AbsolutePageNo", &P::AbsolutePageNo, &P::SetAbsolutePageNo)
                                     .Default(0)
                                     .Prop("Calculation", &P::Calculation, &P::SetCalculation)
                                     .Default(0)
                                     .Prop("Color", &P::Color, &P::SetColor)
                                     .Default(clWhite)
                                     .Prop("ControlGroupBreakNo", &P::ControlGroupBreakNo, &P::SetControlGroupBreakNo)
                                     .Default(0)
                                     .Prop("DocumentName", &P::DocumentName, &P::SetDocumentName)
                                     .Prop("Final", &P::Final, &P::SetFinal)
                                     .Default(0)
                                     .Prop("FirstPage", &P::FirstPage, &P::SetFirstPage)
                                     .Default(0)
                                     .Prop("LanguageIndex", &P::LanguageIndex, &P::SetLanguageIndex)
                                     .Default(0)
                                     .Prop("LastPage", &P::LastPage, &P::SetLastPage)
                                     .Default(0)
                                     .Prop("PageCount", &P::PageCount, &P::SetPageCount)
                                     .Default(0)
                                     .Prop("PageNo", &P::PageNo, &P::SetPageNo)
                                     .Default(0)
                                     .Prop("PassSetting", &P::PassSetting, &P::SetPassSetting)
                                     .NoDefault()
                                     .Prop("PrintDateTime", &P::PrintDateTime, &P::SetPrintDateTime)
                                     .AsFloat(TFloatType::Date)
                                     .Prop("PrinterSetup", &P::PrinterSetup, &P::SetPrinterSetup);
  return Info;
}

TppPage::TppPage(TComponent* AOwner) : TppRelative(AOwner), FPrinterSetup(std::make_unique<TppPrinterSetup>(this)) {}

TppPage::~TppPage() { BeforeDestruction(); }

void TppPage::Destroying() {
  ClearDrawCommands();
  SetProducer(nullptr);
  TppRelative::Destroying();
}

void TppPage::SetPrinterSetup(const TppPrinterSetup* Value) {
  if (Value) FPrinterSetup->CopySettings(*Value);
}

void TppPage::SetProducer(TComponent* Value) {
  if (Value == FProducer || Value == this) return;
  if (FProducer) RemoveFreeNotification(FProducer);
  FProducer = HasState(csDestroying) ? nullptr : Value;
  if (FProducer) FreeNotification(FProducer);
}

void TppPage::Notification(TComponent* AComponent, TOperation Operation) {
  TppRelative::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent && AComponent == FProducer) FProducer = nullptr;
}

bool TppPage::NotifiesOwned(const TComponent* AComponent) const {
  return !(AComponent && AComponent->Owner() == this && AComponent->InheritsFrom(TppDrawCommand::StaticClassInfo()));
}

// ---- draw commands

void TppPage::AddDrawCommand(TppDrawCommand* DrawCommand) {
  if (!DrawCommand || DrawCommand->Page() == this) return;
  if (const TClassInfo* Outline = MayBeOutlineCommand(*DrawCommand) ? GetClass(OutlineCommandClass) : nullptr)
    if (DrawCommand->InheritsFrom(*Outline) && FindDrawCommand(*Outline))
      throw EOutlineError(ppErrorText("TppPage", "AddDrawCommand", SppSecondOutlineCommand));
  if (TppPage* Old = DrawCommand->Page()) Old->RemoveDrawCommand(DrawCommand);
  DrawCommand->LinkPage(this);
  if (DrawCommand->IsUpdateable()) FUpdateables.push_back(DrawCommand);
  if (DrawCommand->Clickable()) FClickables.push_back(DrawCommand);
  if (DrawCommand->Owner() != this) {
    if (TComponent* OldOwner = DrawCommand->Owner()) OldOwner->RemoveComponent(DrawCommand);
    InsertComponent(DrawCommand);
  }
}

void TppPage::RemoveDrawCommand(TppDrawCommand* DrawCommand) {
  if (!DrawCommand || DrawCommand->Page() != this) return;
  DrawCommand->LinkPage(nullptr);
  std::erase(FClickables, DrawCommand);
  std::erase(FUpdateables, DrawCommand);
  if (DrawCommand->Owner() == this && !HasState(csDestroying)) RemoveComponent(DrawCommand);
}

void TppPage::ClearDrawCommands() { FreeChildren(); }

TppDrawCommand* TppPage::GetDrawCommand(int Index) const { return static_cast<TppDrawCommand*>(GetChild(Index)); }

void TppPage::InsertChild(int Index, TppRelative* Child) {
  if (Child && !dynamic_cast<TppDrawCommand*>(Child)) {
    const std::string Text = SppPageChildNotDrawCommand + Child->ClassName() + ".";
    if (HasState(csReading) || HasState(csLoading) || Child->HasState(csReading) || Child->HasState(csLoading))
      throw EReadError(Text);
    throw ETalvorError(ppErrorText("TppPage", "InsertChild", Text));
  }
  TppRelative::InsertChild(Index, Child);
}

TppDrawCommand* TppPage::GetClickable(int Index) const {
  if (Index < 0 || Index >= GetClickableCount()) return nullptr;
  return FClickables[static_cast<size_t>(Index)];
}

void TppPage::RedrawUpdateables(TppDevice* Device) {
  // A redraw may add or remove commands: walk a copy, skipping those that left.
  const std::vector<TppDrawCommand*> Commands = FUpdateables;
  for (TppDrawCommand* C : Commands) {
    if (std::find(FUpdateables.begin(), FUpdateables.end(), C) == FUpdateables.end()) continue;
    if (C->IsUpdatePending() && Device) Device->RedrawDrawCommand(C);
  }
}

TppDrawCommand* TppPage::FindDrawCommand(const TClassInfo& Class) const {
  for (int I = 0; I < GetChildCount(); ++I)
    if (TppDrawCommand* C = GetDrawCommand(I); C && C->InheritsFrom(Class)) return C;
  return nullptr;
}

TppDrawCommand* TppPage::GetOutlineDrawCommand() const {
  const TClassInfo* Outline = GetClass(OutlineCommandClass);
  return Outline ? FindDrawCommand(*Outline) : nullptr;
}

std::string TppPage::GetPageNoText() const { return LanguageString(18) + " " + IntToStr(FAbsolutePageNo); }

std::string TppPage::GetPageOfPagesText() const {
  return GetPageNoText() + " " + LanguageString(16) + " " + IntToStr(FAbsolutePageCount);
}

void TppPage::Reset() {
  ClearDrawCommands();
  FAbsolutePageNo = FAbsolutePageCount = FControlGroupBreakNo = FLanguageIndex = FPageCount = FPageNo = 0;
  FCalculation = FFinal = FLastPage = false;
  FDocumentName.clear();
}

void TppPage::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppPage*>(Source);
  if (!S) {
    TppRelative::Assign(Source);
    return;
  }
  FAbsolutePageNo = S->FAbsolutePageNo;
  FAbsolutePageCount = S->FAbsolutePageCount;
  FPageNo = S->FPageNo;
  FPageCount = S->FPageCount;
  FControlGroupBreakNo = S->FControlGroupBreakNo;
  FCalculation = S->FCalculation;
  FFinal = S->FFinal;
  FFirstPage = S->FFirstPage;
  FLastPage = S->FLastPage;
  FColor = S->FColor;
  FDocumentName = S->FDocumentName;
  FLanguageIndex = S->FLanguageIndex;
  FPassSetting = S->FPassSetting;
  FPrintDateTime = S->FPrintDateTime;
  SetProducer(S->FProducer);
  FPrinterSetup->CopySettings(*S->FPrinterSetup);
  ClearDrawCommands();
  for (int I = 0; I < S->GetChildCount(); ++I) {
    const TppDrawCommand* From = S->GetDrawCommand(I);
    if (!From || !From->ClassInfo()->Create) continue;
    // Owned by this page from the start, so a failing copy is freed with it.
    auto* To = dynamic_cast<TppDrawCommand*>(From->ClassInfo()->Create(this));
    if (!To) continue;
    To->Assign(From);
    To->SetPage(this);
  }
}

void TppPage::Loaded() {
  FPrinterSetup->Changed();
  TppRelative::Loaded();
}

// ---- the page request

const TClassInfo& TppPageRequest::StaticClassInfo() {
  using R = TppPageRequest;
  static const TClassInfo Info = TClassDef<R>("TppPageRequest", &TPersistent::StaticClassInfo())
                                     .Prop("PageList", &R::PageList, &R::SetPageList)
                                     .Prop("PageRange", &R::PageRange, &R::SetPageRange)
                                     .Default(prAll)
                                     .Prop("PageRequested", &R::PageRequested, &R::SetPageRequested)
                                     .Default(1)
                                     .Prop("PageSetting", &R::PageSetting, &R::SetPageSetting)
                                     .Default(psAll);
  return Info;
}

TppPageRequest::TppPageRequest() : FPageList(std::make_unique<TStringList>()) {}

TppPageRequest::~TppPageRequest() = default;

namespace {
// The page an entry names (plain or "%8d"), 0 when it names none.
int ListPage(const std::string& Entry) { return static_cast<int>(StrToIntDef(Trim(Entry), 0)); }

// The one page a single-page or first-page request wants.
int WantedPage(const TppPageRequest& R) { return R.PageSetting() == psFirstPage ? 1 : R.PageRequested(); }
}  // namespace

void TppPageRequest::SetPageList(const TStrings* List) {
  if (!List) return;
  FPageList->Assign(List);
  // Completion is told by the last entry, so the list is kept in page order.
  FPageList->CustomSort([](TStringList& L, int A, int B) {
    const int PA = ListPage(L.Get(A)), PB = ListPage(L.Get(B));
    return PA < PB ? -1 : PA > PB ? 1 : 0;
  });
}

void TppPageRequest::SetPageRangeBounds(int From, int To) {
  FPageSetting = psPageRange;
  FRangeFrom = std::min(From, To);
  FRangeTo = std::max(From, To);
}

int TppPageRequest::IndexOfListPage(int Page) const {
  for (int I = 0; I < FPageList->Count(); ++I)
    if (ListPage(FPageList->Get(I)) == Page) return I;
  return -1;
}

void TppPageRequest::AddListPage(int Page) {
  if (IndexOfListPage(Page) >= 0) return;
  int At = 0;
  while (At < FPageList->Count() && ListPage(FPageList->Get(At)) < Page) ++At;
  FPageList->Insert(At, IntToStr(Page));
}

void TppPageRequest::Reset() {
  FPageList->Clear();
  FPageSetting = psAll;
  FPageRange = prAll;
  FPageRequested = 1;
  FRangeFrom = FRangeTo = 1;
}

void TppPageRequest::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppPageRequest*>(Source);
  if (!S) return;
  FPageList->Assign(S->FPageList.get());
  FPageRequested = S->FPageRequested;
  FPageSetting = S->FPageSetting;
  FPageRange = S->FPageRange;
  FRangeFrom = S->FRangeFrom;
  FRangeTo = S->FRangeTo;
}

bool TppPageRequest::IsRequestedPage(const TppPage& Page) {
  const int No = Page.AbsolutePageNo();
  bool Wanted = false;
  switch (FPageSetting) {
    case psAll: Wanted = true; break;
    case psPageList: Wanted = IndexOfListPage(No) >= 0; break;
    case psSinglePage:
      // A page beyond the end is the last page; one before the start the first.
      if (Page.LastPage() && Page.AbsolutePageCount() < FPageRequested)
        FPageRequested = Page.AbsolutePageCount();
      else if (FPageRequested < 1 && No == 1)
        FPageRequested = 1;
      Wanted = No == FPageRequested;
      break;
    case psFirstPage: Wanted = Page.FirstPage(); break;
    case psLastPage: Wanted = Page.LastPage(); break;
    case psPageRange: Wanted = No >= FRangeFrom && No <= FRangeTo; break;
  }
  if (Wanted && FPageRange == prOddPages) Wanted = No % 2 != 0;
  if (Wanted && FPageRange == prEvenPages) Wanted = No % 2 == 0;
  return Wanted;
}

bool TppPageRequest::IsLastRequestedPage(const TppPage& Page) const {
  switch (FPageSetting) {
    case psAll:
    case psLastPage: return Page.LastPage();
    case psPageList:
      return FPageList->Count() > 0 && ListPage(FPageList->Get(FPageList->Count() - 1)) == Page.AbsolutePageNo();
    case psSinglePage: return Page.AbsolutePageNo() == FPageRequested;
    case psFirstPage: return Page.FirstPage();
    case psPageRange: return Page.AbsolutePageNo() >= FRangeTo || Page.LastPage();
  }
  return false;
}

void TppPageRequest::Merge(const TppPageRequest& Other) {
  const bool OtherOnePage = Other.FPageSetting == psSinglePage || Other.FPageSetting == psFirstPage;
  if (!OtherOnePage) {
    FPageSetting = psAll;
    return;
  }
  const int Wanted = WantedPage(Other);
  if ((FPageSetting == psSinglePage || FPageSetting == psFirstPage) && WantedPage(*this) != Wanted) {
    const int Own = WantedPage(*this);
    FPageSetting = psPageList;
    AddListPage(Own);
    AddListPage(Wanted);
  } else if (FPageSetting == psPageList) {
    AddListPage(Wanted);
  } else if (FPageSetting == psPageRange && (Wanted < FRangeFrom || Wanted > FRangeTo)) {
    // A page outside the range: the union is every page, each device keeps its own.
    FPageSetting = psAll;
  }
}

void TppPageRequest::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  const bool Range = FPageSetting == psPageRange;
  Filer->DefineProperty(
      "RangeFrom", [this](TReader& R) { FRangeFrom = R.ReadInteger(); },
      [this](TWriter& W) { W.WriteInteger(FRangeFrom); }, Range);
  Filer->DefineProperty(
      "RangeTo", [this](TReader& R) { FRangeTo = R.ReadInteger(); }, [this](TWriter& W) { W.WriteInteger(FRangeTo); },
      Range);
}
