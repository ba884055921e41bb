#pragma once
// The search panel of the preview: a search box, four buttons stepping from hit to hit, find and
// done buttons and the search options, wired to the actions of TppCustomSearchPreview; it writes
// the hit count and the options into the status bar's second panel.
#include <array>
#include <string>

#include <QPointer>

#include "ppreport/output/forms/ppTextSearchCustomPreview.h"

class QAction;
class QMenu;
class TButton;
class TEdit;
class TSpeedButton;

// The items of the options menu, in order.
enum : int {
  soShowAll = 0, soCaseSensitive = 1, soWholeWord = 2, soSeparator = 3, soFromFirstPage = 4, soFromCurrentPage = 5
};

class TppTextSearchPreview : public TppCustomSearchPreview {
  DECLARE_CLASSINFO(TppTextSearchPreview)
public:
  explicit TppTextSearchPreview(TComponent* AOwner);

  TEdit* SearchEdit = nullptr;
  TSpeedButton* FirstButton = nullptr;
  TSpeedButton* PriorButton = nullptr;
  TSpeedButton* NextButton = nullptr;
  TSpeedButton* LastButton = nullptr;
  TButton* FindButton = nullptr;
  TButton* DoneButton = nullptr;
  // The options: a pop-up menu of the search panel (a right click on it opens the menu). Null
  // before the controls are made.
  QMenu* OptionsMenu() const;
  bool OptionChecked(int Index) const;
  // The ticks from the settings.
  void SyncMenu();
  // The status text as it goes to the status bar; the hook may change it.
  virtual void StatusTextHook(std::string&) {}

  void CreateControls(TWinControl* Toolbar) override;
  void SetKeyDownHandler(TppSearchKeyDownHandler Handler) override;
  void BeforePreview() override;
  void AfterPreview() override;
  void EnableSearch() override;
  void StatusChange() override;
  void LanguageChanged() override;
  void ArrangeVertically() override;
  void ArrangeHorizontally() override;
  void UpdateStatus() override;

protected:
  // The options menu, owned by Owner's window.
  virtual QMenu* CreateOptionsMenu(TWinControl* Owner);
  void ReadControls() override;
  bool Find() override;
  void ClearSearch() override;
  void HandleSearchError() override;
  bool NeedsNewSearch() override;
  void SetBusy(bool Busy) override;

private:
  void LoadTexts();
  void UpdateButtons();
  void WriteHitText();
  void SearchKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void DoneClick();
  // The first three invert their tick; the two start options tick one of them.
  void OptionClicked(int Index);
  QAction* Option(int Index) const;

  QPointer<QMenu> FOptionsMenu;  // the panel's window frees it
};
