#include "ppreport/output/forms/ppTextSearchPreview.h"

#include <algorithm>

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "platform/app/Application.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/StdCtrls.h"
#include "platform/graphics/Bitmap.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/output/forms/ppTextSearchPreviewIcons.h"
#include "ppreport/output/ppTextSearchCustomEngine.h"

const TClassInfo& TppTextSearchPreview::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppTextSearchPreview>("TppTextSearchPreview", &TppCustomSearchPreview::StaticClassInfo());
  return Info;
}

namespace {
// The options' captions, a separator in the middle.
constexpr std::array<int, 6> OptionTexts = {1062, 1063, 1064, 0, 1057, 1056};
}  // namespace

TppTextSearchPreview::TppTextSearchPreview(TComponent* AOwner) : TppCustomSearchPreview(AOwner) {}

void TppTextSearchPreview::CreateControls(TWinControl* Toolbar) {
  TppCustomSearchPreview::CreateControls(Toolbar);
  if (!Toolbar) return;
  SearchEdit = new TEdit(Toolbar);
  SearchEdit->SetParent(Toolbar);
  SearchEdit->SetWidth(115);
  SearchEdit->SetTabStop(false);
  SearchEdit->SetTag(101);
  SearchEdit->SetText(FTextSearchSettings->DefaultString());
  SearchEdit->OnKeyDown = [this](TObject* S, uint16_t& K, TShiftState Sh) { SearchKeyDown(S, K, Sh); };
  auto HitButton = [&](TPixelImage Glyph, int Tag, int Action) {
    auto* B = new TSpeedButton(Toolbar);
    B->SetParent(Toolbar);
    B->SetFlat(true);
    B->SetGlyph(Glyph);
    B->SetLayout(blGlyphLeft);
    B->SetNumGlyphs(2);
    B->SetEnabled(false);
    B->SetBounds(0, 0, 23, 22);
    B->SetTag(Tag);
    B->OnClick = [this, Action](TObject*) { PerformSearchAction(Action); };
    return B;
  };
  FirstButton = HitButton(TppMetaBitmap::CreateGlyph<TppFirstSearchOccurrenceIcon>(), 102, saFirst);
  PriorButton = HitButton(TppMetaBitmap::CreateGlyph<TppPriorSearchOccurrenceIcon>(), 103, saPrior);
  NextButton = HitButton(TppMetaBitmap::CreateGlyph<TppNextSearchOccurrenceIcon>(), 104, saNext);
  LastButton = HitButton(TppMetaBitmap::CreateGlyph<TppLastSearchOccurrenceIcon>(), 105, saLast);
  auto PushButton = [&](int Tag) {
    auto* B = new TButton(Toolbar);
    B->SetParent(Toolbar);
    B->SetBounds(0, 0, 55, 23);
    B->SetTabStop(false);
    B->SetTag(Tag);
    B->OnKeyDown = [this](TObject* S, uint16_t& K, TShiftState Sh) {
      if (FKeyDownHandler) FKeyDownHandler(S, K, Sh);
    };
    return B;
  };
  FindButton = PushButton(106);
  FindButton->OnClick = [this](TObject*) {
    try {
      PerformSearchAction(saFind);
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  };
  DoneButton = PushButton(107);
  DoneButton->SetEnabled(false);
  DoneButton->OnClick = [this](TObject*) { DoneClick(); };
  FOptionsMenu = CreateOptionsMenu(Toolbar);
  LoadTexts();
  SyncMenu();
}

QMenu* TppTextSearchPreview::CreateOptionsMenu(TWinControl* Owner) {
  QWidget* Panel = Owner->Widget();
  auto* Menu = new QMenu(Panel);
  for (int I = 0; I < static_cast<int>(OptionTexts.size()); ++I) {
    if (I == soSeparator) {
      Menu->addSeparator();
      continue;
    }
    QAction* Item = Menu->addAction(QString());
    Item->setCheckable(true);
    QObject::connect(Item, &QAction::triggered, Menu, [this, I] { OptionClicked(I); });
  }
  // Auto pop-up: a right click anywhere on the panel.
  Panel->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(Panel, &QWidget::customContextMenuRequested, Menu,
                   [Menu, Panel](const QPoint& At) { Menu->popup(Panel->mapToGlobal(At)); });
  return Menu;
}

QMenu* TppTextSearchPreview::OptionsMenu() const { return FOptionsMenu; }

QAction* TppTextSearchPreview::Option(int Index) const {
  if (!FOptionsMenu || Index < 0 || Index >= FOptionsMenu->actions().size()) return nullptr;
  return FOptionsMenu->actions()[Index];
}

bool TppTextSearchPreview::OptionChecked(int Index) const {
  const QAction* Item = Option(Index);
  return Item && Item->isChecked();
}

void TppTextSearchPreview::SetKeyDownHandler(TppSearchKeyDownHandler Handler) {
  TppCustomSearchPreview::SetKeyDownHandler(std::move(Handler));
}

// Enter searches with the box's text as it stands; other keys go to the preview.
void TppTextSearchPreview::SearchKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift) {
  if (Key == VK_RETURN) {
    Key = 0;
    FSearchText = SearchEdit->Text();
    FOptionsChanged = true;
    PerformSearchAction(saFind);
    return;
  }
  if (FKeyDownHandler) FKeyDownHandler(Sender, Key, Shift);
}

// What the done button does follows the busy state, never its caption: a caption is a language
// string and changes with the language.
void TppTextSearchPreview::DoneClick() {
  if (FBusy) {
    // Taken while a find runs, whose action holds the counter.
    ++FActionCount;
    auto Back = TFinally([this] { --FActionCount; });
    PerformSearchAction(saCancel);
  } else {
    PerformSearchAction(saClear);
  }
}

// The menu has inverted the item's tick already.
void TppTextSearchPreview::OptionClicked(int Index) {
  if (Index == soFromFirstPage || Index == soFromCurrentPage)
    if (QAction* Other = Option(Index == soFromFirstPage ? soFromCurrentPage : soFromFirstPage))
      Other->setChecked(!OptionChecked(Index));
  FOptionsChanged = true;
  if (FindButton) FindButton->SetEnabled(true);
}

void TppTextSearchPreview::SyncMenu() {
  if (!FOptionsMenu) return;
  const std::pair<int, bool> Ticks[] = {{soShowAll, FTextSearchSettings->ShowAll()},
                                        {soCaseSensitive, FTextSearchSettings->CaseSensitive()},
                                        {soWholeWord, FTextSearchSettings->WholeWord()},
                                        {soFromCurrentPage, FTextSearchSettings->SearchFromCurrentPage()},
                                        {soFromFirstPage, !FTextSearchSettings->SearchFromCurrentPage()}};
  for (const auto& [Index, Checked] : Ticks) Option(Index)->setChecked(Checked);
}

void TppTextSearchPreview::ReadControls() {
  if (FOptionsMenu) {
    FTextSearchSettings->SetShowAll(OptionChecked(soShowAll));
    FTextSearchSettings->SetCaseSensitive(OptionChecked(soCaseSensitive));
    FTextSearchSettings->SetWholeWord(OptionChecked(soWholeWord));
    FTextSearchSettings->SetSearchFromCurrentPage(OptionChecked(soFromCurrentPage));
  }
  if (!SearchEdit) return;
  FTextSearchSettings->SetDefaultString(SearchEdit->Text());
  FSearchText = SearchEdit->Text();
}

void TppTextSearchPreview::BeforePreview() {
  TppCustomSearchPreview::BeforePreview();
  if (SearchEdit) SearchEdit->SetText(FTextSearchSettings->DefaultString());
  SyncMenu();
}

void TppTextSearchPreview::AfterPreview() {
  TppCustomSearchPreview::AfterPreview();
  if (DoneButton) DoneButton->SetEnabled(false);
  ReadControls();
  UpdateStatus();
}

bool TppTextSearchPreview::Find() {
  if (DoneButton) DoneButton->SetEnabled(true);
  return TppCustomSearchPreview::Find();
}

void TppTextSearchPreview::ClearSearch() {
  TppCustomSearchPreview::ClearSearch();
  if (DoneButton) DoneButton->SetEnabled(false);
}

void TppTextSearchPreview::EnableSearch() {
  TppCustomSearchPreview::EnableSearch();
  if (SearchEdit) SearchEdit->SetEnabled(true);
  if (FindButton) FindButton->SetEnabled(true);
}

void TppTextSearchPreview::HandleSearchError() {
  TppCustomSearchPreview::HandleSearchError();
  if (SearchEdit) SearchEdit->SetText(FSearchText);
}

bool TppTextSearchPreview::NeedsNewSearch() {
  return TppCustomSearchPreview::NeedsNewSearch() || (SearchEdit && SearchEdit->Text() != FSearchText);
}

void TppTextSearchPreview::SetBusy(bool Busy) {
  TppCustomSearchPreview::SetBusy(Busy);
  if (!DoneButton) return;
  DoneButton->SetCaption(LanguageString(FBusy ? 5 : 1046));
  DoneButton->SetHint(LanguageString(FBusy ? 5 : 1049));
}

void TppTextSearchPreview::LoadTexts() {
  if (SearchEdit) SearchEdit->SetHint(LanguageString(1052));
  const std::pair<TSpeedButton*, int> Hints[] = {
      {FirstButton, 1058}, {PriorButton, 1061}, {NextButton, 1060}, {LastButton, 1059}};
  for (const auto& [B, Id] : Hints)
    if (B) B->SetHint(LanguageString(Id));
  if (FindButton) {
    FindButton->SetCaption(LanguageString(1072));
    FindButton->SetHint(LanguageString(1053));
  }
  if (DoneButton) {
    DoneButton->SetCaption(LanguageString(FBusy ? 5 : 1046));
    DoneButton->SetHint(LanguageString(FBusy ? 5 : 1049));
  }
  for (int I = 0; I < static_cast<int>(OptionTexts.size()); ++I)
    if (QAction* Item = Option(I); Item && OptionTexts[static_cast<size_t>(I)])
      Item->setText(QString::fromStdString(LanguageString(OptionTexts[static_cast<size_t>(I)])));
}

void TppTextSearchPreview::LanguageChanged() {
  LoadTexts();
  UpdateStatus();
}

void TppTextSearchPreview::ArrangeHorizontally() {
  if (!SearchEdit || !FToolbar) return;
  SearchEdit->SetLeft(2);
  SearchEdit->SetTop(2);
  TControl* Previous = SearchEdit;
  for (TControl* C : std::initializer_list<TControl*>{FirstButton, PriorButton, NextButton, LastButton, FindButton,
                                                      DoneButton}) {
    C->SetLeft(Previous->Left() + Previous->Width() + 5);
    C->SetTop(2);
    Previous = C;
  }
  FToolbar->SetWidth(DoneButton->Left() + DoneButton->Width());
  FToolbarWidth = FToolbar->Width();
}

void TppTextSearchPreview::ArrangeVertically() {
  if (!SearchEdit) return;
  SearchEdit->SetLeft(5);
  SearchEdit->SetTop(5);
  const int HitTop = SearchEdit->Top() + SearchEdit->Height() + 2;
  FirstButton->SetBounds(5, HitTop, FirstButton->Width(), FirstButton->Height());
  PriorButton->SetBounds(FirstButton->Left() + FirstButton->Width() + 7, HitTop, PriorButton->Width(),
                         PriorButton->Height());
  NextButton->SetBounds(PriorButton->Left() + PriorButton->Width() + 10, HitTop, NextButton->Width(),
                        NextButton->Height());
  LastButton->SetBounds(NextButton->Left() + NextButton->Width() + 7, HitTop, LastButton->Width(),
                        LastButton->Height());
  TBitmap Scratch;
  auto CaptionWidth = [&Scratch](TButton* B) {
    Scratch.Canvas().Font().Assign(B->Font());
    return Scratch.Canvas().TextWidth(B->Caption()) + 10;
  };
  const int ButtonTop = HitTop + FirstButton->Height() + 2;
  const int FindWidth = std::max(55, CaptionWidth(FindButton));
  FindButton->SetBounds(5, ButtonTop, FindWidth, FindButton->Height());
  DoneButton->SetBounds(FindButton->Left() + FindWidth + 6, ButtonTop, std::max(FindWidth, CaptionWidth(DoneButton)),
                        DoneButton->Height());
  FToolbarWidth = DoneButton->Left() + DoneButton->Width() + 5;
}

// ---- the status bar

void TppTextSearchPreview::UpdateStatus() {
  TppCustomSearchPreview::UpdateStatus();
  UpdateButtons();
  WriteHitText();
}

void TppTextSearchPreview::StatusChange() {
  TppCustomSearchPreview::StatusChange();
  if (FPanelVisible) WriteHitText();
}

void TppTextSearchPreview::UpdateButtons() {
  if (!FirstButton) return;
  const bool Active = (FSearchState & ppSearchStateActive) != 0;
  if (FTextSearchSettings->ShowAll() || !Active) {
    for (TSpeedButton* B : {FirstButton, PriorButton, NextButton, LastButton}) B->SetEnabled(false);
    DoneButton->SetEnabled(Active);
    return;
  }
  if (HasHits() || (FSearchState & ppSearchStateSearching)) {
    PriorButton->SetEnabled(FCurrentOccurrenceNo > 0);
    NextButton->SetEnabled(
        !(FEngine->AllPagesSearched() && FCurrentOccurrenceNo + 1 >= FEngine->GetOccurrenceCount()));
    DoneButton->SetEnabled(true);
  } else {
    NextButton->SetEnabled(false);
    PriorButton->SetEnabled(false);
    DoneButton->SetEnabled(false);
  }
  FirstButton->SetEnabled(PriorButton->Enabled());
  LastButton->SetEnabled(NextButton->Enabled());
}

void TppTextSearchPreview::WriteHitText() {
  if (!FStatusBar || FStatusBar->SimplePanel()) return;
  if (FStatusBar->Panels().Count() == 0) FStatusBar->Panels().Add();
  if (FStatusBar->Panels().Count() == 1) {
    FStatusBar->Panels().Add();
    FStatusBar->Panels()[0]->SetWidth(275);
  }
  const bool Active = (FSearchState & ppSearchStateActive) != 0;
  const bool ShowAll = FTextSearchSettings->ShowAll();
  const int Count = FEngine ? FEngine->GetOccurrenceCount() : 0;
  std::string Text;
  if (Cancelled()) {
    Text = LanguageString(1051);
  } else if (Active) {
    Text = LanguageString(1048) + " ";
    if (!ShowAll) Text += std::to_string(FCurrentOccurrenceNo + 1) + " " + LanguageString(16) + " ";
    Text += std::to_string(Count);
    if (FEngine && !FEngine->AllPagesSearched()) Text += LanguageString(1045);
  }
  StatusTextHook(Text);
  if (Active && !Cancelled()) {
    const std::pair<bool, int> Shown[] = {{ShowAll, soShowAll},
                                          {FTextSearchSettings->CaseSensitive(), soCaseSensitive},
                                          {FTextSearchSettings->WholeWord(), soWholeWord}};
    for (const auto& [Set, Index] : Shown)
      if (Set) Text += std::string(10, ' ') + LanguageString(OptionTexts[static_cast<size_t>(Index)]);
  }
  FStatusBar->Panels()[1]->SetText(Text);
}
