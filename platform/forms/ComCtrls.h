#pragma once
// Tool bars with tool buttons, status bars with panels, progress bars.
#include <memory>
#include <utility>
#include <vector>

#include "platform/forms/Controls.h"
#include "platform/forms/ImgList.h"

class QToolButton;
class QProgressBar;
class TToolBar;
class TStatusBar;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
DEFINE_ENUM_INFO(TToolButtonStyle, "tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider")

// Places tool buttons of the given widths left to right in rows of ButtonHeight,
// starting a new row when a button would pass ClientWidth (with Wrapable) or after
// a button marked Wrap. Returns each button's left and top.
std::vector<std::pair<int, int>> LayoutToolButtons(int ClientWidth, int ButtonHeight, const std::vector<int>& Widths,
                                                   const std::vector<bool>& Wrap, bool Wrapable);

class TToolButton : public TGraphicControl {
  DECLARE_CLASSINFO(TToolButton)
public:
  explicit TToolButton(TComponent* AOwner);

  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle V);
  // Neighbouring check buttons that are all Grouped form a group: one of them is down.
  bool Grouped() const { return FGrouped; }
  void SetGrouped(bool V);
  bool Down() const { return FDown; }
  void SetDown(bool V);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool V) { FAllowAllUp = V; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int V);
  // Ends the row after this button.
  bool Wrap() const { return FWrap; }
  void SetWrap(bool V);
  // Position among the tool bar's buttons, or -1.
  int Index() const;
  TToolBar* ToolBar() const;

  void Click() override;

protected:
  void TextChanged() override { UpdateLook(); }
  bool PaintWidget() override { return false; }

private:
  friend class TToolBar;
  void UpdateLook();
  // The contiguous grouped check buttons this one belongs to (itself included).
  std::vector<TToolButton*> Group() const;
  QToolButton* FButton;
  TToolButtonStyle FStyle = tbsButton;
  bool FGrouped = false, FDown = false, FAllowAllUp = false, FWrap = false;
  int FImageIndex = -1;
};

class TToolBar : public TWinControl {
  DECLARE_CLASSINFO(TToolBar)
public:
  explicit TToolBar(TComponent* AOwner);
  ~TToolBar() override;

  int ButtonCount() const { return static_cast<int>(FButtons.size()); }
  TToolButton* Buttons(int Index) const { return FButtons.at(static_cast<size_t>(Index)); }
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int V);
  int ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(int V);
  // Pictures of the buttons by ImageIndex (not owned; cleared when it is freed).
  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* V);
  // Captions under the pictures.
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool V);
  bool Flat() const { return FFlat; }
  void SetFlat(bool V);
  bool Wrapable() const { return FWrapable; }
  void SetWrapable(bool V);
  // The height of each row of buttons: ButtonHeight, or more where the captions need it.
  int RowHeight() const;
  // Places the buttons again (after the images or the captions changed).
  void UpdateButtons();

protected:
  void ControlsChanged() override;
  void BoundsChanged() override { ControlsChanged(); }
  void Notification(TComponent* C, TOperation Op) override;

private:
  friend class TToolButton;
  std::vector<TToolButton*> FButtons;
  TImageList* FImages = nullptr;
  int FButtonWidth = 23, FButtonHeight = 22;
  bool FShowCaptions = false, FFlat = false, FWrapable = true, FLayingOut = false;
};

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusPanel {
public:
  const std::string& Text() const { return FText; }
  void SetText(const std::string& V);
  int Width() const { return FWidth; }
  void SetWidth(int V);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment V);
  TStatusPanelBevel Bevel() const { return FBevel; }
  void SetBevel(TStatusPanelBevel V);
  int Index() const;

private:
  friend class TStatusPanels;
  explicit TStatusPanel(TStatusBar* Bar) : FBar(Bar) {}
  TStatusBar* FBar;
  std::string FText;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  TStatusPanelBevel FBevel = pbLowered;
};

class TStatusPanels {
public:
  TStatusPanel* Add();
  int Count() const { return static_cast<int>(FItems.size()); }
  TStatusPanel* Items(int Index) const { return FItems.at(static_cast<size_t>(Index)).get(); }
  TStatusPanel* operator[](int Index) const { return Items(Index); }
  void Clear();

private:
  friend class TStatusBar;
  friend class TStatusPanel;
  explicit TStatusPanels(TStatusBar* Bar) : FBar(Bar) {}
  TStatusBar* FBar;
  std::vector<std::unique_ptr<TStatusPanel>> FItems;
};

// A bar at the bottom of a form with panels side by side; the last panel takes
// what is left of the width.
class TStatusBar : public TCustomControl {
  DECLARE_CLASSINFO(TStatusBar)
public:
  explicit TStatusBar(TComponent* AOwner);
  TStatusPanels& Panels() { return FPanels; }
  const TStatusPanels& Panels() const { return FPanels; }
  // One text over the whole bar instead of the panels.
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool V);
  const std::string& SimpleText() const { return FSimpleText; }
  void SetSimpleText(const std::string& V);

protected:
  void Paint() override;

private:
  TStatusPanels FPanels{this};
  bool FSimplePanel = false;
  std::string FSimpleText;
};

class TProgressBar : public TWinControl {
  DECLARE_CLASSINFO(TProgressBar)
public:
  explicit TProgressBar(TComponent* AOwner);
  int Min() const { return FMin; }
  void SetMin(int V);
  int Max() const { return FMax; }
  void SetMax(int V);
  // Kept within Min .. Max.
  int Position() const { return FPosition; }
  void SetPosition(int V);
  int Step() const { return FStep; }
  void SetStep(int V) { FStep = V; }
  void StepIt() { SetPosition(FPosition + FStep); }
  void StepBy(int Delta) { SetPosition(FPosition + Delta); }

private:
  void Apply();
  QProgressBar* FBar;
  int FMin = 0, FMax = 100, FPosition = 0, FStep = 10;
};

enum TUDBtnType { btNext, btPrev };
using TUDClickEvent = TEvent<void(TObject* Sender, TUDBtnType Button)>;

// Two arrow buttons, one above the other: the upper one raises Position by
// Increment (btNext), the lower one lowers it (btPrev), within Min .. Max.
class TUpDown : public TCustomControl {
  DECLARE_CLASSINFO(TUpDown)
public:
  explicit TUpDown(TComponent* AOwner);
  int Min() const { return FMin; }
  void SetMin(int V) { FMin = V; }
  int Max() const { return FMax; }
  void SetMax(int V) { FMax = V; }
  int Position() const { return FPosition; }
  void SetPosition(int V);
  int Increment() const { return FIncrement; }
  void SetIncrement(int V) { FIncrement = V; }

  // After a button changed Position (or would have, at the ends).
  TUDClickEvent OnClick;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  int FMin = 0, FMax = 100, FPosition = 0, FIncrement = 1;
  int FPressed = -1;  // the half held down: 0 upper, 1 lower
};
