#pragma once
// The autosearch panels (one per criterion: one value, two values, or a list of values) and the
// notebook that lays them out on one scrolling page or, with several criteria groups, on one tab
// per group.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/forms/Buttons.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"
#include "ppreport/core/ppTypes.h"

class TppAutoSearchField;
class TppAutoSearchGroup;
class TppAutoSearchGroups;

// A filled circle (the mandatory and error bullets).
class TppBullet : public TGraphicControl {
  DECLARE_CLASSINFO(TppBullet)
public:
  explicit TppBullet(TComponent* AOwner);
  void SetBulletColor(TColor V);

protected:
  void Paint() override;

private:
  TColor FBulletColor = clBlack;
};

// The outcome of checking a typed value: the error text when refused, else the value as the
// report will read it (a number without the locale's thousands separators).
struct TppSearchValueCheck {
  bool Valid = true;
  std::string Value;
  std::string Error;
};

class TppAutoSearchPanel : public TPanel {
  DECLARE_CLASSINFO(TppAutoSearchPanel)
public:
  explicit TppAutoSearchPanel(TComponent* AOwner);

  TppAutoSearchField* Field() const { return FField; }
  void SetField(TppAutoSearchField* Value) { FField = Value; }

  virtual void DisableControls();
  virtual void EnableControls();
  virtual bool PointInEditArea(int X, int Y) const = 0;
  virtual void ShowAllValuesClick();
  // The size the panel's controls need (aligned to its container it may be shown wider).
  virtual int GetPanelHeight() const { return FPanelHeight; }
  virtual int GetPanelWidth() const { return FPanelWidth; }
  virtual void CreateControls();
  virtual void UpdateEnabledState();
  virtual void SetTabOrders();
  // Checks the values and, when they pass, writes them into the field.
  virtual bool Validate() = 0;
  // The panel's own focus, then its editor's with the text selected.
  virtual void FocusPanel();

  // Empty texts pass. Numbers may carry the locale's thousands separators; dates, times and
  // date-times are the locale's. A value holding a comma is refused: the report splits its values
  // at commas and would read another value.
  static TppSearchValueCheck ValidateValue(const std::string& Text, TppDataType DataType);

  TLabel* PrefixLabel() const { return FPrefixLabel; }
  TLabel* FieldLabel() const { return FFieldLabel; }
  TLabel* OperatorLabel() const { return FOperatorLabel; }
  TLabel* ErrorLabel() const { return FErrorLabel; }
  TppBullet* ErrorBullet() const { return FErrorBullet; }
  TppBullet* MandatoryBullet() const { return FMandatoryBullet; }
  TCheckBox* ShowAllBox() const { return FShowAllBox; }
  bool AllValuesChosen() const { return FShowAllBox->Visible() && FShowAllBox->Checked(); }

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void SetPanelSize(int W, int H) {
    FPanelWidth = W;
    FPanelHeight = H;
    SetBounds(Left(), Top(), W, H);
  }
  // Shows Error beside Editor (or hides the error when empty).
  void ShowError(const std::string& Error, TControl* Beside);

  TLabel* FPrefixLabel = nullptr;
  TLabel* FFieldLabel = nullptr;
  TLabel* FOperatorLabel = nullptr;
  TppBullet* FErrorBullet = nullptr;
  TLabel* FErrorLabel = nullptr;
  TppBullet* FMandatoryBullet = nullptr;
  TCheckBox* FShowAllBox = nullptr;
  // The width the show-all box needs for its caption (0 while it is hidden).
  int ShowAllWidth() const;

private:
  TppAutoSearchField* FField = nullptr;
  int FPanelWidth = 0, FPanelHeight = 0;
};

class TppSimpleSearchPanel : public TppAutoSearchPanel {
  DECLARE_CLASSINFO(TppSimpleSearchPanel)
public:
  using TppAutoSearchPanel::TppAutoSearchPanel;
  void CreateControls() override;
  void DisableControls() override;
  void EnableControls() override;
  bool PointInEditArea(int X, int Y) const override;
  void ShowAllValuesClick() override;
  bool Validate() override;
  void FocusPanel() override;
  TEdit* Editor() const { return FEdit; }
  // The editor's text checked; the error shown beside it when refused. Value: what to store.
  bool ValidateEdit(TEdit* Editor, std::string& Value);

protected:
  void EditKeyUp(TObject* Sender, uint16_t& Key, TShiftState Shift);
  TEdit* FEdit = nullptr;
};

class TppBetweenSearchPanel : public TppSimpleSearchPanel {
  DECLARE_CLASSINFO(TppBetweenSearchPanel)
public:
  using TppSimpleSearchPanel::TppSimpleSearchPanel;
  void CreateControls() override;
  void DisableControls() override;
  void EnableControls() override;
  bool PointInEditArea(int X, int Y) const override;
  bool Validate() override;
  TEdit* SecondEditor() const { return FEdit2; }

private:
  TLabel* FAndLabel = nullptr;
  TEdit* FEdit2 = nullptr;
  TppBullet* FMandatoryBullet2 = nullptr;
};

class TppInListSearchPanel : public TppSimpleSearchPanel {
  DECLARE_CLASSINFO(TppInListSearchPanel)
public:
  using TppSimpleSearchPanel::TppSimpleSearchPanel;
  void CreateControls() override;
  void DisableControls() override;
  void EnableControls() override;
  bool PointInEditArea(int X, int Y) const override;
  bool Validate() override;
  bool ValidateList();
  void AddValue();
  void RemoveValue();
  TListBox* ValueList() const { return FList; }
  TSpeedButton* AddButton() const { return FAddButton; }
  TSpeedButton* RemoveButton() const { return FRemoveButton; }

private:
  TListBox* FList = nullptr;
  TSpeedButton* FAddButton = nullptr;
  TSpeedButton* FRemoveButton = nullptr;
};

// The tabs of several criteria groups: a strip of tab buttons over one scrolling page per tab,
// the active one shown.
class TppAutoSearchTabs : public TPanel {
  DECLARE_CLASSINFO(TppAutoSearchTabs)
public:
  explicit TppAutoSearchTabs(TComponent* AOwner);
  int PageCount() const { return static_cast<int>(FPages.size()); }
  TScrollBox* Pages(int Index) const { return FPages.at(static_cast<size_t>(Index)); }
  TSpeedButton* Tab(int Index) const { return FTabs.at(static_cast<size_t>(Index)); }
  std::string TabCaption(int Index) const { return Tab(Index)->Caption(); }
  TScrollBox* AddPage(const std::string& Caption);
  int ActivePageIndex() const { return FActive; }
  void SetActivePageIndex(int Index);
  // The error picture on the tab, or none.
  void SetTabError(int Index, bool Error);
  bool TabError(int Index) const { return !Tab(Index)->Glyph().Empty(); }
  int IndexOfPage(const TScrollBox* Page) const;
  // Moves the tab at From to To, its page with it.
  void MoveTab(int From, int To);
  int TabHeight() const { return 24; }
  // A pop-up menu on the tabs that moves the active tab one place left or right; each item is
  // enabled unless the active tab is already at that end.
  void EnableReorderMenu(std::function<void()> MoveLeft, std::function<void()> MoveRight);

private:
  void LayoutTabs();
  TPanel* FStrip;
  std::vector<TSpeedButton*> FTabs;
  std::vector<TScrollBox*> FPages;
  int FActive = -1;
};

// The panel class a field gets (by its operator), which a dialog may replace.
using TppAutoSearchPanelClass = const TClassInfo*;
using TppGetPanelClassEvent = std::function<void(TppAutoSearchField* Field, TppAutoSearchPanelClass& PanelClass)>;
using TppPanelCreatedEvent = std::function<void(TppAutoSearchField* Field, TppAutoSearchPanel* Panel)>;

class TppAutoSearchNotebook {
public:
  explicit TppAutoSearchNotebook(TWinControl* Dialog);
  ~TppAutoSearchNotebook();
  TppAutoSearchNotebook(const TppAutoSearchNotebook&) = delete;
  TppAutoSearchNotebook& operator=(const TppAutoSearchNotebook&) = delete;

  TppAutoSearchGroups* Groups = nullptr;
  bool AllowTabReorder = false;
  TppGetPanelClassEvent OnGetPanelClass;
  TppPanelCreatedEvent OnPanelCreated;

  void Build();
  int Height() const { return FHeight; }
  int Width() const { return FWidth; }
  bool HasMandatory() const { return FHasMandatory; }
  TppAutoSearchTabs* PageControl() const { return FPageControl; }
  TScrollBox* ScrollBox() const { return FScrollBox; }
  TppAutoSearchPanel* PanelOf(const TppAutoSearchField* Field) const;
  TWinControl* ContainerOf(const TppAutoSearchField* Field) const;

  bool ValidateAll();
  bool ValidateGroup(TppAutoSearchGroup* Group);
  void FocusFirst();
  // Moves the active tab one place (reorder on): the groups take their new places as TabOrder.
  void MoveActiveTabLeft();
  void MoveActiveTabRight();
  // The panel class for an operator.
  static TppAutoSearchPanelClass PanelClassFor(TppSearchOperatorType Operator);

private:
  void CreateLayout();
  void ComputeSize();
  TppAutoSearchPanel* CreatePanel(TppAutoSearchField* Field);
  void AddPanel(TppAutoSearchField* Field, TppAutoSearchPanel* Panel);
  void UpdateTabState(bool ResultSoFar, bool Valid, TppAutoSearchPanel* Panel);
  void SwapTabs(int From, int To);

  TWinControl* FDialog;
  TppAutoSearchTabs* FPageControl = nullptr;
  TScrollBox* FScrollBox = nullptr;
  std::map<const TppAutoSearchField*, TppAutoSearchPanel*> FPanels;
  std::map<const TppAutoSearchField*, TWinControl*> FContainers;
  int FHeight = 0, FWidth = 0;
  bool FHasMandatory = false;
  bool FFailureShown = false;
};
