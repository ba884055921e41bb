#include "ppreport/output/forms/ppASCtrl.h"

#include <algorithm>
#include <cctype>

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "platform/classes/StringList.h"
#include "platform/graphics/Bitmap.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppUtils.h"
#include "ppreport/output/forms/ppFormsConsts.h"

const TClassInfo& TppBullet::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppBullet>("TppBullet", &TGraphicControl::StaticClassInfo());
  return Info;
}
const TClassInfo& TppAutoSearchPanel::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppAutoSearchPanel>("TppAutoSearchPanel", &TPanel::StaticClassInfo());
  return Info;
}
const TClassInfo& TppSimpleSearchPanel::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppSimpleSearchPanel>("TppSimpleSearchPanel", &TppAutoSearchPanel::StaticClassInfo());
  return Info;
}
const TClassInfo& TppBetweenSearchPanel::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppBetweenSearchPanel>("TppBetweenSearchPanel", &TppSimpleSearchPanel::StaticClassInfo());
  return Info;
}
const TClassInfo& TppInListSearchPanel::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppInListSearchPanel>("TppInListSearchPanel", &TppSimpleSearchPanel::StaticClassInfo());
  return Info;
}
const TClassInfo& TppAutoSearchTabs::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppAutoSearchTabs>("TppAutoSearchTabs", &TPanel::StaticClassInfo());
  return Info;
}

namespace {
int Right(const TControl* C) { return C->Left() + C->Width(); }
int Bottom(const TControl* C) { return C->Top() + C->Height(); }
bool Inside(const TControl* C, int X, int Y) {
  return C && C->Visible() && X >= C->Left() && X < Right(C) && Y >= C->Top() && Y < Bottom(C);
}

template <class T>
T* Make(TWinControl* Parent, TComponent* Owner) {
  auto* C = new T(Owner);
  C->SetParent(Parent);
  return C;
}

TLabel* MakeLabel(TWinControl* Parent, int Left, int Top, const std::string& Caption) {
  auto* L = Make<TLabel>(Parent, Parent);
  L->SetTransparent(false);
  L->SetCaption(Caption);
  L->SetLeft(Left);
  L->SetTop(Top);
  return L;
}

TEdit* MakeEdit(TWinControl* Parent, int Left, int Top, int Width) {
  auto* E = Make<TEdit>(Parent, Parent);
  E->SetBounds(Left, Top, Width, 21);
  return E;
}

void SetFontColor(TControl* C, TColor Colour) {
  TFont F = C->Font();
  F.SetColor(Colour);
  C->SetFont(F);
}
}  // namespace

// ---- TppBullet

TppBullet::TppBullet(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 5, 7); }

void TppBullet::SetBulletColor(TColor V) {
  FBulletColor = V;
  Invalidate();
}

void TppBullet::Paint() {
  Canvas().Brush().SetColor(FBulletColor);
  Canvas().Pen().SetColor(FBulletColor);
  Canvas().Ellipse(0, 0, Width(), Height());
}

// ---- TppAutoSearchPanel

TppAutoSearchPanel::TppAutoSearchPanel(TComponent* AOwner) : TPanel(AOwner) {}

TppSearchValueCheck TppAutoSearchPanel::ValidateValue(const std::string& Text, TppDataType DataType) {
  TppSearchValueCheck R;
  R.Value = Text;
  if (Text.empty()) return R;
  auto Fail = [&](const std::string& Error) {
    R.Valid = false;
    R.Error = Error;
    return R;
  };
  const TFormatSettings& FS = FormatSettings();
  // The report reads every value through the same conversion (TppAutoSearchField::GetValues): what
  // passes here must pass there, so the value kept is the one checked.
  auto ReportReads = [&](const std::string& Value) {
    try {
      TppAutoSearchField Probe(nullptr);
      Probe.SetDataType(DataType);
      Probe.SetSearchExpression(Value);
      (void)Probe.GetValue();
      return true;
    } catch (const EConvertError&) {
      return false;
    }
  };
  switch (DataType) {
    case dtBoolean: {
      const char C = static_cast<char>(std::toupper(static_cast<unsigned char>(Text[0])));
      if (std::string_view("01FNTY").find(C) == std::string_view::npos) return Fail(LanguageString(60));
      return R;
    }
    case dtDate:
    case dtTime:
    case dtDateTime: {
      TDateTime D{};
      bool Ok = false;
      if (DataType == dtDate)
        Ok = TryStrToDate(Text, D, FS);
      else if (DataType == dtTime)
        Ok = TryStrToTime(Text, D, FS);
      else {
        try {
          (void)TextToDateTime(Text);
          Ok = true;
        } catch (const EConvertError&) {
        }
      }
      if (Ok && Text.find(',') == std::string::npos) Ok = ReportReads(Text);
      if (!Ok) return Fail(Text + " " + LanguageString(DataType == dtDate ? 56 : DataType == dtTime ? 57 : 58));
      return R;
    }
    case dtInteger:
    case dtLongint:
    case dtSingle:
    case dtDouble:
    case dtExtended:
    case dtCurrency: {
      std::string Plain;
      for (char C : Text)
        if (C != FS.ThousandSeparator) Plain += C;
      bool Ok;
      if (DataType == dtInteger || DataType == dtLongint) {
        Ok = !Plain.empty();
        try {
          (void)StrToInt(Plain);
        } catch (const EConvertError&) {
          Ok = false;
        }
      } else {
        double V;
        Ok = TryStrToFloat(Plain, V, FS);
      }
      if (Ok && Plain.find(',') != std::string::npos)
        return Fail(Text + " " + SppSearchValueHasComma);
      if (!Ok || !ReportReads(Plain)) return Fail(Text + " " + LanguageString(59));
      R.Value = Plain;
      return R;
    }
    default:
      if (Text.find(',') != std::string::npos) return Fail(Text + " " + SppSearchValueHasComma);
      return R;
  }
}

void TppAutoSearchPanel::CreateControls() {
  SetParentFont(false);
  TppAutoSearchField* F = Field();
  FShowAllBox = Make<TCheckBox>(this, this);
  FShowAllBox->SetCaption(FormatLanguageString(1033, {F->FieldAlias()}));
  FShowAllBox->SetBounds(8, 5, Width(), 17);
  FShowAllBox->SetVisible(!F->Mandatory());
  if (FShowAllBox->Visible()) FShowAllBox->SetChecked(F->ShowAllValues());
  FShowAllBox->OnClick = [this](TObject*) { ShowAllValuesClick(); };

  const bool First = Parent() && Parent()->ControlCount() > 0 && Parent()->Controls(0) == this;
  F->SetFirstField(First);
  FPrefixLabel = MakeLabel(this, 8, 29, LanguageString(First ? 54 : 55));
  FFieldLabel = MakeLabel(this, Right(FPrefixLabel) + 5, 29, F->FieldAlias());
  SetFontColor(FFieldLabel, clBlue);
  FOperatorLabel = MakeLabel(this, Right(FFieldLabel) + 5, 29, F->GetOperatorDescription());

  FErrorBullet = Make<TppBullet>(this, this);
  FErrorBullet->SetBulletColor(clRed);
  FErrorBullet->SetVisible(false);
  FErrorLabel = MakeLabel(this, 8, 8, "");
  SetFontColor(FErrorLabel, clRed);
  FErrorLabel->SetVisible(false);
  FMandatoryBullet = Make<TppBullet>(this, this);
  // On a tab the tab's page frames the panels.
  if (Parent() && dynamic_cast<TppAutoSearchTabs*>(Parent()->Parent())) SetBevelOuter(bvNone);
}

// The show-all box's caption names the field: however long, it is shown whole.
int TppAutoSearchPanel::ShowAllWidth() const { return FShowAllBox->Visible() ? FShowAllBox->CaptionExtent().cx : 0; }

void TppAutoSearchPanel::DisableControls() {
  for (TControl* C : {static_cast<TControl*>(FPrefixLabel), static_cast<TControl*>(FFieldLabel),
                      static_cast<TControl*>(FOperatorLabel)})
    C->SetEnabled(false);
}

void TppAutoSearchPanel::EnableControls() {
  for (TControl* C : {static_cast<TControl*>(FPrefixLabel), static_cast<TControl*>(FFieldLabel),
                      static_cast<TControl*>(FOperatorLabel)})
    C->SetEnabled(true);
}

void TppAutoSearchPanel::ShowAllValuesClick() { UpdateEnabledState(); }

void TppAutoSearchPanel::UpdateEnabledState() {
  if (AllValuesChosen())
    DisableControls();
  else
    EnableControls();
}

void TppAutoSearchPanel::SetTabOrders() {
  // The show-all box is created first but is last in the tab order.
  QWidget* Previous = nullptr;
  for (int I = 0; I < ControlCount(); ++I) {
    auto* W = dynamic_cast<TWinControl*>(Controls(I));
    if (!W || W == FShowAllBox) continue;
    if (Previous) QWidget::setTabOrder(Previous, W->Widget());
    Previous = W->Widget();
  }
  if (Previous) QWidget::setTabOrder(Previous, FShowAllBox->Widget());
}

void TppAutoSearchPanel::FocusPanel() {
  if (CanFocus()) SetFocus();
}

void TppAutoSearchPanel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TPanel::MouseDown(Button, Shift, X, Y);
  // A click on a greyed editor reaches the panel: it means "let me type a value".
  if (AllValuesChosen() && PointInEditArea(X, Y)) {
    FShowAllBox->SetChecked(false);
    ShowAllValuesClick();
  }
}

void TppAutoSearchPanel::ShowError(const std::string& Error, TControl* Beside) {
  if (Error.empty()) {
    FErrorLabel->SetVisible(false);
    FErrorBullet->SetVisible(false);
    return;
  }
  FErrorLabel->SetCaption(Error);
  FErrorLabel->SetVisible(true);
  FErrorBullet->SetLeft(Right(Beside) + 3);
  FErrorBullet->SetTop(Beside->Top());
  FErrorBullet->BringToFront();
  FErrorBullet->SetVisible(true);
}

// ---- TppSimpleSearchPanel

void TppSimpleSearchPanel::CreateControls() {
  TppAutoSearchPanel::CreateControls();
  TppAutoSearchField* F = Field();
  FEdit = MakeEdit(this, Right(FOperatorLabel) + 5, 26, 273);
  FEdit->SetText(F->SearchExpression());
  FEdit->OnKeyUp = [this](TObject* Sender, uint16_t& Key, TShiftState Shift) { EditKeyUp(Sender, Key, Shift); };
  FErrorLabel->SetLeft(FEdit->Left() + 4);
  FErrorLabel->SetTop(8);
  FShowAllBox->SetBounds(FEdit->Left(), Bottom(FEdit) + 5, std::max(FEdit->Width(), ShowAllWidth()),
                         FShowAllBox->Height());
  if (F->SearchOperator() == soBlank || F->SearchOperator() == soNotBlank) {
    FEdit->SetVisible(false);
    FOperatorLabel->SetCaption(FOperatorLabel->Caption() + ".");
  }
  FMandatoryBullet->SetVisible(F->Mandatory());
  FMandatoryBullet->SetLeft(Right(FEdit) + 3);
  FMandatoryBullet->SetTop(FEdit->Top());
  SetPanelSize(std::max(Right(FEdit), Right(FShowAllBox)) + 5, 73);
}

void TppSimpleSearchPanel::DisableControls() {
  TppAutoSearchPanel::DisableControls();
  FEdit->SetEnabled(false);
}

void TppSimpleSearchPanel::EnableControls() {
  TppAutoSearchPanel::EnableControls();
  FEdit->SetEnabled(true);
}

bool TppSimpleSearchPanel::PointInEditArea(int X, int Y) const { return Inside(FEdit, X, Y); }

void TppSimpleSearchPanel::ShowAllValuesClick() {
  TppAutoSearchPanel::ShowAllValuesClick();
  if (FEdit->Enabled() && FEdit->Visible() && FEdit->CanFocus()) {
    FEdit->SetFocus();
    FEdit->SelectAll();
  }
}

void TppSimpleSearchPanel::FocusPanel() {
  TppAutoSearchPanel::FocusPanel();
  if (FEdit->Visible() && FEdit->Enabled() && FEdit->CanFocus()) {
    FEdit->SetFocus();
    FEdit->SelectAll();
  }
}

void TppSimpleSearchPanel::EditKeyUp(TObject*, uint16_t& Key, TShiftState) {
  if (FShowAllBox->Visible() && Key != VK_TAB) FShowAllBox->SetChecked(FEdit->Text().empty());
}

bool TppSimpleSearchPanel::ValidateEdit(TEdit* Editor, std::string& Value) {
  TppSearchValueCheck Check;
  if (Field()->Mandatory() && Editor->Text().empty()) {
    Check.Valid = false;
    Check.Error = LanguageString(61);
  } else {
    Check = ValidateValue(Editor->Text(), Field()->DataType());
  }
  ShowError(Check.Valid ? std::string() : Check.Error, Editor);
  Value = Check.Value;
  return Check.Valid;
}

bool TppSimpleSearchPanel::Validate() {
  std::string Value = FEdit->Text();
  if (!AllValuesChosen() && FEdit->Visible() && !ValidateEdit(FEdit, Value)) return false;
  if (AllValuesChosen()) ShowError({}, FEdit);
  Field()->SetSearchExpression(Value);
  Field()->SetShowAllValues(AllValuesChosen());
  return true;
}

// ---- TppBetweenSearchPanel

void TppBetweenSearchPanel::CreateControls() {
  TppSimpleSearchPanel::CreateControls();
  TppAutoSearchField* F = Field();
  FEdit->SetWidth(150);
  FAndLabel = MakeLabel(this, Right(FEdit) + 10, 29, LanguageString(62));
  FEdit2 = MakeEdit(this, Right(FAndLabel) + 10, 26, 150);
  FEdit2->OnKeyUp = FEdit->OnKeyUp;
  FErrorLabel->SetTop(8);
  TStringList Parts;
  SplitCommaList(F->SearchExpression(), Parts);
  FEdit->SetText(Parts.Count() > 0 ? Parts.Get(0) : std::string());
  FEdit2->SetText(Parts.Count() > 1 ? Parts.Get(1) : std::string());
  FErrorBullet->SetLeft(Right(FEdit2) + 5);
  FMandatoryBullet->SetLeft(Right(FEdit) + 3);
  FMandatoryBullet2 = Make<TppBullet>(this, this);
  FMandatoryBullet2->SetLeft(Right(FEdit2) + 3);
  FMandatoryBullet2->SetTop(FEdit2->Top());
  FMandatoryBullet2->SetVisible(F->Mandatory());
  FShowAllBox->SetWidth(std::max(Right(FEdit2) - FEdit->Left(), ShowAllWidth()));
  SetPanelSize(std::max(Right(FEdit2), Right(FShowAllBox)) + 5, 73);
}

void TppBetweenSearchPanel::DisableControls() {
  TppSimpleSearchPanel::DisableControls();
  FAndLabel->SetEnabled(false);
  FEdit2->SetEnabled(false);
}

void TppBetweenSearchPanel::EnableControls() {
  TppSimpleSearchPanel::EnableControls();
  FAndLabel->SetEnabled(true);
  FEdit2->SetEnabled(true);
}

bool TppBetweenSearchPanel::PointInEditArea(int X, int Y) const {
  return Inside(FEdit, X, Y) || Inside(FEdit2, X, Y);
}

bool TppBetweenSearchPanel::Validate() {
  Field()->SetShowAllValues(AllValuesChosen());
  if (Field()->ShowAllValues()) {
    ShowError({}, FEdit);
    return true;
  }
  std::string First, Second;
  for (TEdit* E : {FEdit, FEdit2}) {
    if (!ValidateEdit(E, E == FEdit ? First : Second)) {
      FErrorLabel->SetLeft(E->Left() + 4);
      return false;
    }
  }
  Field()->SetSearchExpression(!First.empty() && !Second.empty() ? First + "," + Second : std::string());
  return true;
}

// ---- TppInListSearchPanel

void TppInListSearchPanel::CreateControls() {
  TppSimpleSearchPanel::CreateControls();
  TppAutoSearchField* F = Field();
  FEdit->SetBounds(FPrefixLabel->Left(), 53, 200, FEdit->Height());
  FEdit->SetText("");
  FErrorLabel->SetBounds(FEdit->Left() + 4, Bottom(FEdit) + 4, FErrorLabel->Width(), FErrorLabel->Height());
  FErrorBullet->SetLeft(Right(FEdit) + 5);
  FOperatorLabel->SetCaption(FOperatorLabel->Caption() + ":");
  FAddButton = Make<TSpeedButton>(this, this);
  FAddButton->SetCaption(LanguageString(63));
  FAddButton->SetBounds(Right(FEdit) + 15, 53, 95, 25);
  FAddButton->OnClick = [this](TObject*) { AddValue(); };
  FRemoveButton = Make<TSpeedButton>(this, this);
  FRemoveButton->SetCaption(LanguageString(64));
  FRemoveButton->SetBounds(FAddButton->Left(), 85, 95, 25);
  FRemoveButton->OnClick = [this](TObject*) { RemoveValue(); };
  FList = Make<TListBox>(this, this);
  FList->SetBounds(std::max(Right(FAddButton) + 10, Right(FOperatorLabel) + 10), 26, 200, 131);
  SplitCommaList(F->SearchExpression(), FList->Items());
  FMandatoryBullet->SetLeft(Right(FList) + 3);
  FMandatoryBullet->SetTop(FList->Top());
  FShowAllBox->SetTop(Bottom(FList) + 5);
  FShowAllBox->SetLeft(FList->Left());
  if (FShowAllBox->Width() < FList->Width())
    FShowAllBox->SetWidth(FList->Width());
  else
    FList->SetWidth(FShowAllBox->Width());
  SetPanelSize(Right(FList) + 5, 183);
}

void TppInListSearchPanel::DisableControls() {
  TppSimpleSearchPanel::DisableControls();
  for (TControl* C : {static_cast<TControl*>(FAddButton), static_cast<TControl*>(FRemoveButton),
                      static_cast<TControl*>(FList)})
    C->SetEnabled(false);
}

void TppInListSearchPanel::EnableControls() {
  TppSimpleSearchPanel::EnableControls();
  for (TControl* C : {static_cast<TControl*>(FAddButton), static_cast<TControl*>(FRemoveButton),
                      static_cast<TControl*>(FList)})
    C->SetEnabled(true);
}

bool TppInListSearchPanel::PointInEditArea(int X, int Y) const { return Inside(FEdit, X, Y) || Inside(FList, X, Y); }

void TppInListSearchPanel::AddValue() {
  std::string Value;
  if (ValidateEdit(FEdit, Value) && !Value.empty() && FList->Items().IndexOf(Value) < 0) {
    FList->Items().Add(Value);
    FList->SetItemIndex(FList->Items().Count() - 1);
  }
  if (!FErrorLabel->Visible()) FEdit->SetText("");
  if (FEdit->CanFocus()) FEdit->SetFocus();
}

void TppInListSearchPanel::RemoveValue() {
  const int I = FList->ItemIndex();
  if (I < 0) return;
  FList->Items().Delete(I);
  const int N = FList->Items().Count();
  if (N > 0) FList->SetItemIndex(I < N ? I : N - 1);
  if (FList->CanFocus()) FList->SetFocus();
}

bool TppInListSearchPanel::ValidateList() {
  if (Field()->Mandatory() && FList->Items().Count() == 0) {
    FErrorLabel->SetCaption(LanguageString(61));
    FErrorLabel->SetBounds(FList->Left(), Bottom(FList) + 4, FErrorLabel->Width(), FErrorLabel->Height());
    FErrorLabel->SetVisible(true);
    FErrorBullet->SetLeft(Right(FList) + 3);
    FErrorBullet->SetTop(FList->Top());
    FErrorBullet->BringToFront();
    FErrorBullet->SetVisible(true);
    return false;
  }
  ShowError({}, FList);
  return true;
}

bool TppInListSearchPanel::Validate() {
  if (!ValidateList()) return false;
  std::string Joined;
  for (int I = 0; I < FList->Items().Count(); ++I) Joined += (I ? "," : "") + FList->Items().Get(I);
  Field()->SetSearchExpression(Joined);
  Field()->SetShowAllValues(AllValuesChosen());
  return !(Field()->Mandatory() && Joined.empty() && !Field()->ShowAllValues());
}

// ---- TppAutoSearchTabs

namespace {
// The tab's error picture: a red bullet 5 x 5 on a transparent ground.
TPixelImage ErrorBulletImage() {
  TPixelImage I;
  I.Width = I.Height = 5;
  I.Pixels.assign(25, 0);
  for (int Y = 0; Y < 5; ++Y)
    for (int X = 0; X < 5; ++X)
      if ((X - 2) * (X - 2) + (Y - 2) * (Y - 2) <= 5) I.Pixels[static_cast<size_t>(Y * 5 + X)] = 0xFFFF0000;
  return I;
}
}  // namespace

TppAutoSearchTabs::TppAutoSearchTabs(TComponent* AOwner) : TPanel(AOwner) {
  SetBevelOuter(bvNone);
  FStrip = new TPanel(this);
  FStrip->SetParent(this);
  FStrip->SetBevelOuter(bvNone);
  FStrip->SetHeight(TabHeight());
  FStrip->SetAlign(alTop);
}

TScrollBox* TppAutoSearchTabs::AddPage(const std::string& Caption) {
  auto* Tab = new TSpeedButton(this);
  Tab->SetParent(FStrip);
  Tab->SetCaption(Caption);
  Tab->SetGroupIndex(1);
  Tab->SetAllowAllUp(false);
  Tab->OnClick = [this, Tab](TObject*) {
    const auto It = std::find(FTabs.begin(), FTabs.end(), Tab);
    if (It != FTabs.end()) SetActivePageIndex(static_cast<int>(It - FTabs.begin()));
  };
  auto* Page = new TScrollBox(this);
  Page->SetParent(this);
  Page->SetBorderStyle(bsNone);
  Page->SetAlign(alClient);
  FTabs.push_back(Tab);
  FPages.push_back(Page);
  LayoutTabs();
  if (FActive < 0) SetActivePageIndex(0);
  else Page->SetVisible(false);
  return Page;
}

void TppAutoSearchTabs::LayoutTabs() {
  TBitmap Measure(1, 1);
  int X = 0;
  for (TSpeedButton* T : FTabs) {
    const int W = Measure.Canvas().TextWidth(T->Caption()) + 24;
    T->SetBounds(X, 0, W, TabHeight());
    X += W;
  }
}

void TppAutoSearchTabs::SetActivePageIndex(int Index) {
  if (Index < 0 || Index >= PageCount()) return;
  FActive = Index;
  for (int I = 0; I < PageCount(); ++I) {
    FPages[static_cast<size_t>(I)]->SetVisible(I == Index);
    FTabs[static_cast<size_t>(I)]->SetDown(I == Index);
  }
}

void TppAutoSearchTabs::EnableReorderMenu(std::function<void()> MoveLeft, std::function<void()> MoveRight) {
  QWidget* W = FStrip->Widget();
  W->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(W, &QWidget::customContextMenuRequested, W, [this, W, MoveLeft, MoveRight](const QPoint& At) {
    QMenu Menu(W);
    QAction* Left = Menu.addAction(QString::fromStdString(LanguageString(1025)));
    QAction* Rightward = Menu.addAction(QString::fromStdString(LanguageString(1026)));
    Left->setEnabled(FActive > 0);
    Rightward->setEnabled(FActive >= 0 && FActive < PageCount() - 1);
    QAction* Chosen = Menu.exec(W->mapToGlobal(At));
    if (Chosen == Left) MoveLeft();
    else if (Chosen == Rightward) MoveRight();
  });
}

void TppAutoSearchTabs::SetTabError(int Index, bool Error) {
  Tab(Index)->SetGlyph(Error ? ErrorBulletImage() : TPixelImage{});
}

int TppAutoSearchTabs::IndexOfPage(const TScrollBox* Page) const {
  const auto It = std::find(FPages.begin(), FPages.end(), Page);
  return It == FPages.end() ? -1 : static_cast<int>(It - FPages.begin());
}

void TppAutoSearchTabs::MoveTab(int From, int To) {
  if (From < 0 || To < 0 || From >= PageCount() || To >= PageCount() || From == To) return;
  TScrollBox* Active = FActive >= 0 ? Pages(FActive) : nullptr;
  std::swap(FTabs[static_cast<size_t>(From)], FTabs[static_cast<size_t>(To)]);
  std::swap(FPages[static_cast<size_t>(From)], FPages[static_cast<size_t>(To)]);
  LayoutTabs();
  if (Active) FActive = IndexOfPage(Active);
}

// ---- TppAutoSearchNotebook

TppAutoSearchNotebook::TppAutoSearchNotebook(TWinControl* Dialog) : FDialog(Dialog) {}

TppAutoSearchNotebook::~TppAutoSearchNotebook() {
  FPanels.clear();
  FContainers.clear();
  if (FScrollBox) FScrollBox->Free();
  if (FPageControl) FPageControl->Free();
}

TppAutoSearchPanelClass TppAutoSearchNotebook::PanelClassFor(TppSearchOperatorType Operator) {
  switch (Operator) {
    case soBetween:
    case soNotBetween: return &TppBetweenSearchPanel::StaticClassInfo();
    case soInList:
    case soNotInList: return &TppInListSearchPanel::StaticClassInfo();
    default: return &TppSimpleSearchPanel::StaticClassInfo();
  }
}

TppAutoSearchPanel* TppAutoSearchNotebook::PanelOf(const TppAutoSearchField* Field) const {
  const auto It = FPanels.find(Field);
  return It == FPanels.end() ? nullptr : It->second;
}

TWinControl* TppAutoSearchNotebook::ContainerOf(const TppAutoSearchField* Field) const {
  const auto It = FContainers.find(Field);
  return It == FContainers.end() ? nullptr : It->second;
}

void TppAutoSearchNotebook::Build() {
  CreateLayout();
  ComputeSize();
}

void TppAutoSearchNotebook::CreateLayout() {
  if (!Groups) return;
  const int N = Groups->GroupCount();
  if (N < 2) {
    FScrollBox = new TScrollBox(FDialog);
    FScrollBox->SetParent(FDialog);
    FScrollBox->SetBorderStyle(bsNone);
    FScrollBox->SetAlign(alClient);
  } else {
    FPageControl = new TppAutoSearchTabs(FDialog);
    FPageControl->SetParent(FDialog);
    FPageControl->SetAlign(alClient);
    // Tabs in TabOrder, compared as the "%8d" texts they were always compared as.
    std::vector<TppAutoSearchGroup*> Sorted;
    for (int I = 0; I < N; ++I) Sorted.push_back(Groups->GetGroup(I));
    std::stable_sort(Sorted.begin(), Sorted.end(), [](TppAutoSearchGroup* A, TppAutoSearchGroup* B) {
      return Format("%8d", {A->TabOrder()}) < Format("%8d", {B->TabOrder()});
    });
    for (size_t I = 0; I < Sorted.size(); ++I) {
      Sorted[I]->SetTabOrder(static_cast<int>(I));
      FPageControl->AddPage(Sorted[I]->Description());
    }
    if (AllowTabReorder)
      FPageControl->EnableReorderMenu([this] { MoveActiveTabLeft(); }, [this] { MoveActiveTabRight(); });
  }
  for (int G = 0; G < N; ++G) {
    TppAutoSearchGroup* Group = Groups->GetGroup(G);
    TWinControl* Container = FScrollBox;
    if (FPageControl) {
      Container = nullptr;
      for (int T = 0; T < FPageControl->PageCount() && !Container; ++T)
        if (IsSameText(FPageControl->TabCaption(T), Group->Description())) Container = FPageControl->Pages(T);
    }
    for (int F = 0; F < Group->FieldCount(); ++F) {
      TppAutoSearchField* Field = Group->GetField(F);
      if (Container) FContainers[Field] = Container;
      TppAutoSearchPanel* Panel = CreatePanel(Field);
      AddPanel(Field, Panel);
      if (Field->Mandatory()) FHasMandatory = true;
    }
  }
}

TppAutoSearchPanel* TppAutoSearchNotebook::CreatePanel(TppAutoSearchField* Field) {
  TppAutoSearchPanelClass Class = PanelClassFor(Field->SearchOperator());
  if (OnGetPanelClass) OnGetPanelClass(Field, Class);
  TPersistent* Made = Class && Class->Create ? Class->Create(FDialog) : nullptr;
  auto* Panel = dynamic_cast<TppAutoSearchPanel*>(Made);
  if (!Panel) {
    delete Made;
    Panel = new TppSimpleSearchPanel(FDialog);
  }
  FPanels[Field] = Panel;
  if (OnPanelCreated) OnPanelCreated(Field, Panel);
  return Panel;
}

void TppAutoSearchNotebook::AddPanel(TppAutoSearchField* Field, TppAutoSearchPanel* Panel) {
  TWinControl* Container = ContainerOf(Field);
  Panel->SetParent(Container);
  Panel->SetField(Field);
  Panel->CreateControls();
  Panel->SetTabOrders();
  Panel->UpdateEnabledState();
  if (Container && Container->ControlCount() > 1) {
    TControl* Before = Container->Controls(Container->ControlCount() - 2);
    Panel->SetLeft(0);
    Panel->SetTop(Before->Top() + Before->Height());
  }
  Panel->SetAlign(alTop);
}

void TppAutoSearchNotebook::ComputeSize() {
  std::vector<TWinControl*> Containers;
  if (FScrollBox) Containers.push_back(FScrollBox);
  if (FPageControl)
    for (int T = 0; T < FPageControl->PageCount(); ++T) Containers.push_back(FPageControl->Pages(T));
  FWidth = FHeight = 0;
  for (TWinControl* C : Containers) {
    int W = 0, H = 0;
    for (const auto& [Field, Panel] : FPanels) {
      if (ContainerOf(Field) != C) continue;
      W = std::max(W, Panel->GetPanelWidth());
      H += Panel->GetPanelHeight();
    }
    if (FPageControl) H += 28;
    FWidth = std::max(FWidth, W);
    FHeight = std::max(FHeight, H);
  }
  if (FPageControl) {
    FPageControl->SetWidth(FWidth + 20);
    FPageControl->SetHeight(FHeight + 20);
  }
}

bool TppAutoSearchNotebook::ValidateAll() {
  bool All = true;
  FFailureShown = false;
  if (!Groups) return All;
  for (int G = 0; G < Groups->GroupCount(); ++G) All = ValidateGroup(Groups->GetGroup(G)) && All;
  return All;
}

bool TppAutoSearchNotebook::ValidateGroup(TppAutoSearchGroup* Group) {
  bool SoFar = true;
  for (int F = 0; F < Group->FieldCount(); ++F) {
    TppAutoSearchPanel* Panel = PanelOf(Group->GetField(F));
    if (!Panel) continue;
    const bool Valid = Panel->Validate();
    UpdateTabState(SoFar, Valid, Panel);
    SoFar = SoFar && Valid;
  }
  return SoFar;
}

void TppAutoSearchNotebook::UpdateTabState(bool ResultSoFar, bool Valid, TppAutoSearchPanel* Panel) {
  if (!FPageControl) return;
  const int Tab = FPageControl->IndexOfPage(dynamic_cast<TScrollBox*>(Panel->Parent()));
  if (Tab < 0) return;
  if (Panel->Parent()->ControlCount() > 0 && Panel->Parent()->Controls(0) == Panel) FPageControl->SetTabError(Tab, false);
  if (!Valid) FPageControl->SetTabError(Tab, true);
  // The tab shown is the first one with a refused value (the user must see what to correct).
  if (ResultSoFar && !Valid && !FFailureShown) {
    FPageControl->SetActivePageIndex(Tab);
    FFailureShown = true;
  }
}

void TppAutoSearchNotebook::FocusFirst() {
  TppAutoSearchPanel* First = nullptr;
  if (FPageControl && FPageControl->PageCount() > 0) {
    TScrollBox* Page = FPageControl->Pages(0);
    if (Page->ControlCount() > 0) First = dynamic_cast<TppAutoSearchPanel*>(Page->Controls(0));
  } else if (Groups && Groups->GroupCount() > 0 && Groups->GetGroup(0)->FieldCount() > 0) {
    First = PanelOf(Groups->GetGroup(0)->GetField(0));
  }
  if (First) First->FocusPanel();
}

void TppAutoSearchNotebook::SwapTabs(int From, int To) {
  if (!FPageControl || !AllowTabReorder) return;
  if (From < 0 || To < 0 || From >= FPageControl->PageCount() || To >= FPageControl->PageCount()) return;
  const std::string A = FPageControl->TabCaption(From), B = FPageControl->TabCaption(To);
  FPageControl->MoveTab(From, To);
  for (int G = 0; G < Groups->GroupCount(); ++G) {
    TppAutoSearchGroup* Group = Groups->GetGroup(G);
    if (Group->Description() == A) Group->SetTabOrder(To);
    else if (Group->Description() == B) Group->SetTabOrder(From);
  }
}

void TppAutoSearchNotebook::MoveActiveTabLeft() {
  if (FPageControl) SwapTabs(FPageControl->ActivePageIndex(), FPageControl->ActivePageIndex() - 1);
}

void TppAutoSearchNotebook::MoveActiveTabRight() {
  if (FPageControl) SwapTabs(FPageControl->ActivePageIndex(), FPageControl->ActivePageIndex() + 1);
}
