#pragma once
// The search panel of the preview: a search box, four buttons stepping from hit to hit, find and
// done buttons and the search options, wired to the actions of TppCustomSearchPreview; it writes
// the hit count and the options into the status bar's second panel.
#include <array>
#include <string>

#include "ppreport/output/forms/ppTextSearchCustomPreview.h"

class TButton;
class TEdit;
class TSpeedButton;

// One entry of the search options (a separator has an empty caption).
struct TppSearchOption {
  int LanguageId = 0;
  std::string Caption;
  bool Checked = false;
};

// Indexes of TppTextSearchPreview::Options.
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
  const std::array<TppSearchOption, 6>& Options() const { return FOptions; }
  // A click on an option: the first three invert their tick, the two start options tick one of them.
  void ClickOption(int Index);
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

  std::array<TppSearchOption, 6> FOptions;
};
