#pragma once
// Labels, push buttons and one-line edits over Qt's own widgets.
#include <functional>

#include "platform/forms/Controls.h"

#include "platform/classes/StringList.h"

class QLabel;
class QPushButton;
class QLineEdit;
class QCheckBox;
class QRadioButton;
class QComboBox;
class QGroupBox;
class QListWidget;
class TImageList;
class QPlainTextEdit;

enum TTextLayout { tlTop, tlCenter, tlBottom };
DEFINE_ENUM_INFO(TTextLayout, "tlTop", "tlCenter", "tlBottom")

class TLabel : public TGraphicControl {
  DECLARE_CLASSINFO(TLabel)
public:
  explicit TLabel(TComponent* AOwner);
  // With AutoSize (the default) the label takes the size of its text; a word-wrapped one keeps its
  // width and takes the height of its lines.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool V);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment V);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout V);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool V);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool V);

protected:
  void TextChanged() override;
  void FontChanged() override;
  bool PaintWidget() override { return false; }

private:
  void AdjustBounds();
  void UpdateAlignment();
  QLabel* FLabel;
  bool FAutoSize = true;
  bool FWordWrap = false;
  bool FTransparent = false;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
};

class TButton : public TWinControl {
  DECLARE_CLASSINFO(TButton)
public:
  explicit TButton(TComponent* AOwner);
  // Enter on the form clicks the default button, Esc the cancel button.
  bool Default() const { return FDefault; }
  void SetDefault(bool V);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool V) { FCancel = V; }
  // A click gives the parent form this modal result (which ends a modal form).
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int V) { FModalResult = V; }
  void Click() override;
  // The caption inside the button's frame (the style's minimum width left out).
  TSize CaptionExtent() const override;

protected:
  void TextChanged() override;

private:
  QPushButton* FButton;
  bool FDefault = false;
  bool FCancel = false;
  int FModalResult = 0;
};

class TEdit : public TWinControl {
  DECLARE_CLASSINFO(TEdit)
public:
  explicit TEdit(TComponent* AOwner);
  int MaxLength() const { return FMaxLength; }
  // 0: no limit; counts characters.
  void SetMaxLength(int V);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool V);
  void SelectAll();
  void Clear() { SetText(""); }
  // The caret (in characters) and the selection after it; SetSelText replaces the selection.
  int SelStart() const;
  void SetSelStart(int V);
  int SelLength() const;
  void SetSelLength(int V);
  void SetSelText(const std::string& V);

  // Fires on every change of the text, typed or set.
  TNotifyEvent OnChange;

protected:
  std::string GetText() const override;
  void TextChanged() override;

private:
  QLineEdit* FEdit;
  int FMaxLength = 0;
  bool FReadOnly = false;
};

// A check box; OnClick fires whenever Checked changes, by the user or by code.
class TCheckBox : public TWinControl {
  DECLARE_CLASSINFO(TCheckBox)
public:
  explicit TCheckBox(TComponent* AOwner);
  bool Checked() const { return FChecked; }
  void SetChecked(bool V);

protected:
  void TextChanged() override;

private:
  QCheckBox* FBox;
  bool FChecked = false;
};

// Radio buttons on one parent are exclusive; OnClick fires when one becomes checked.
class TRadioButton : public TWinControl {
  DECLARE_CLASSINFO(TRadioButton)
public:
  explicit TRadioButton(TComponent* AOwner);
  bool Checked() const { return FChecked; }
  void SetChecked(bool V);

protected:
  void TextChanged() override;

private:
  void Sync();
  QRadioButton* FButton;
  bool FChecked = false;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };
DEFINE_ENUM_INFO(TComboBoxStyle, "csDropDown", "csSimple", "csDropDownList")

// A drop-down list; Items may carry objects. OnChange fires when the user picks or types.
class TComboBox : public TWinControl {
  DECLARE_CLASSINFO(TComboBox)
public:
  explicit TComboBox(TComponent* AOwner);
  TStringList& Items() { return FItems; }
  const TStringList& Items() const { return FItems; }
  int ItemIndex() const;
  void SetItemIndex(int V);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle V);
  bool Sorted() const { return FItems.Sorted(); }
  void SetSorted(bool V) { FItems.SetSorted(V); }
  // Pictures before the items: each item shows the image of Images that OnGetImageIndex answers
  // for it (none below 0, or without either). Not owned; cleared when the list is freed.
  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* V);
  std::function<int(int Index)> OnGetImageIndex;
  // Asks OnGetImageIndex again for every item.
  void UpdateImages();

  TNotifyEvent OnChange;

protected:
  std::string GetText() const override;
  void TextChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void ItemsChanged();
  TImageList* FImages = nullptr;
  QComboBox* FCombo;
  TStringList FItems;
  TComboBoxStyle FStyle = csDropDown;
  bool FSyncing = false;
};

// A frame with a caption around other controls.
class TGroupBox : public TWinControl {
  DECLARE_CLASSINFO(TGroupBox)
public:
  explicit TGroupBox(TComponent* AOwner);

protected:
  void TextChanged() override;

private:
  QGroupBox* FBox;
};

// A list of texts, one selectable; Items may carry objects. OnClick fires when the user
// selects an item, OnDblClick when an item is double-clicked.
class TListBox : public TWinControl {
  DECLARE_CLASSINFO(TListBox)
public:
  explicit TListBox(TComponent* AOwner);
  TStringList& Items() { return FItems; }
  const TStringList& Items() const { return FItems; }
  // -1: nothing selected.
  int ItemIndex() const;
  void SetItemIndex(int V);

private:
  void ItemsChanged();
  QListWidget* FList;
  TStringList FItems;
  bool FSyncing = false;
};

// A text of several lines; with WordWrap (the default) long lines wrap at the edge.
class TMemo : public TWinControl {
  DECLARE_CLASSINFO(TMemo)
public:
  explicit TMemo(TComponent* AOwner);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool V);
  // As TEdit's, in characters of the shown text (a line break counts as one).
  int SelStart() const;
  void SetSelStart(int V);
  int SelLength() const;
  void SetSelLength(int V);
  void SetSelText(const std::string& V);
  void SelectAll();
  void Clear() { SetText(""); }

  TNotifyEvent OnChange;

protected:
  std::string GetText() const override;
  void TextChanged() override;

private:
  QPlainTextEdit* FEdit;
  bool FWordWrap = true;
};
