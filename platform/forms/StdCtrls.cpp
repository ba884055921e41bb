#include "platform/forms/StdCtrls.h"
#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QLineEdit>
#include <QPushButton>

#include "platform/classes/ScopeGuard.h"
#include "platform/forms/Forms.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/QtImage.h"

// ---- TLabel

const TClassInfo& TLabel::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLabel>("TLabel", &TGraphicControl::StaticClassInfo())
                                     .Prop("Caption", &TLabel::Caption, &TLabel::SetCaption)
                                     .Prop("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize).Default(1)
                                     .Prop("Alignment", &TLabel::Alignment, &TLabel::SetAlignment)
                                     .Default(taLeftJustify)
                                     .Prop("Layout", &TLabel::Layout, &TLabel::SetLayout).Default(tlTop)
                                     .Prop("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap).Default(0)
                                     .Prop("Transparent", &TLabel::Transparent, &TLabel::SetTransparent)
                                     .Default(0);
  return Info;
}

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner, new QLabel), FLabel(static_cast<QLabel*>(Widget())) {
  FLabel->setTextFormat(Qt::PlainText);
  FLabel->setAutoFillBackground(true);
  UpdateAlignment();
  SetBounds(0, 0, 65, 17);
}

void TLabel::TextChanged() {
  // '&' marks an accelerator in the class library; "&&" is a literal ampersand.
  QString T = QString::fromStdString(FText);
  QString Shown;
  for (int I = 0; I < T.size(); ++I) {
    if (T[I] == '&' && I + 1 < T.size()) ++I;
    Shown += T[I];
  }
  FLabel->setText(Shown);
  AdjustBounds();
}

void TLabel::AdjustBounds() {
  if (!FAutoSize) return;
  if (FWordWrap) {
    // As tall as its lines at its width, each a whole line spacing.
    SetBounds(Left(), Top(), Width(), std::max(FLabel->heightForWidth(Width()), 0));
    return;
  }
  QSize S = FLabel->sizeHint();
  int W = S.width(), H = S.height();
  // A right-aligned label keeps its right edge.
  int L = FAlignment == taRightJustify ? Left() + Width() - W : Left();
  SetBounds(L, Top(), W, H);
}

void TLabel::FontChanged() {
  TGraphicControl::FontChanged();
  AdjustBounds();
}

void TLabel::SetAutoSize(bool V) {
  FAutoSize = V;
  AdjustBounds();
}

void TLabel::UpdateAlignment() {
  Qt::Alignment A = FAlignment == taRightJustify ? Qt::AlignRight : FAlignment == taCenter ? Qt::AlignHCenter
                                                                                           : Qt::AlignLeft;
  A |= FLayout == tlCenter ? Qt::AlignVCenter : FLayout == tlBottom ? Qt::AlignBottom : Qt::AlignTop;
  FLabel->setAlignment(A);
}

void TLabel::SetAlignment(TAlignment V) {
  FAlignment = V;
  UpdateAlignment();
}

void TLabel::SetLayout(TTextLayout V) {
  FLayout = V;
  UpdateAlignment();
}

void TLabel::SetWordWrap(bool V) {
  FWordWrap = V;
  FLabel->setWordWrap(V);
  AdjustBounds();
}

void TLabel::SetTransparent(bool V) {
  FTransparent = V;
  FLabel->setAutoFillBackground(!V);
}

// ---- TButton

const TClassInfo& TButton::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TButton>("TButton", &TWinControl::StaticClassInfo())
                                     .Prop("Caption", &TButton::Caption, &TButton::SetCaption)
                                     .Prop("Default", &TButton::Default, &TButton::SetDefault).Default(0)
                                     .Prop("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(0)
                                     .Prop("ModalResult", &TButton::ModalResult, &TButton::SetModalResult)
                                     .Default(0);
  return Info;
}

TButton::TButton(TComponent* AOwner)
    : TWinControl(AOwner, new QPushButton), FButton(static_cast<QPushButton*>(Widget())) {
  SetNativeInput(true);
  SetTabStop(true);
  QObject::connect(FButton, &QPushButton::clicked, FButton, [this] { Click(); });
  SetBounds(0, 0, 75, 25);
}

TSize TButton::CaptionExtent() const {
  QString Text = FButton->text();
  Text.remove(QRegularExpression("&(?!&)"));
  const QStyle* Style = FButton->style();
  // The text inside the button's frame with two pixels each side: the style's own margins are
  // wider than a class-library button leaves, and its text still shows whole with less.
  const int Margins = 2 * (Style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, FButton) + 2);
  const QFontMetrics M = FButton->fontMetrics();
  return TSize{M.horizontalAdvance(Text) + Margins, M.height() + Margins};
}

void TButton::SetDefault(bool V) {
  FDefault = V;
  FButton->setDefault(V);
}

void TButton::TextChanged() { FButton->setText(QString::fromStdString(FText)); }

void TButton::Click() {
  if (TForm* Form = GetParentForm(this)) Form->SetModalResult(FModalResult);
  TWinControl::Click();
}

// ---- TEdit

const TClassInfo& TEdit::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TEdit>("TEdit", &TWinControl::StaticClassInfo())
                                     .Prop("Text", &TEdit::Text, &TEdit::SetText)
                                     .Prop("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength).Default(0)
                                     .Prop("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly).Default(0)
                                     .Event("OnChange", &TEdit::OnChange);
  return Info;
}

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner, new QLineEdit), FEdit(static_cast<QLineEdit*>(Widget())) {
  SetNativeInput(true);
  SetTabStop(true);
  QObject::connect(FEdit, &QLineEdit::textChanged, FEdit, [this] {
    if (OnChange) OnChange(this);
  });
  SetBounds(0, 0, 121, 21);
}

std::string TEdit::GetText() const { return FEdit->text().toStdString(); }

void TEdit::TextChanged() { FEdit->setText(QString::fromStdString(FText)); }

void TEdit::SetMaxLength(int V) {
  FMaxLength = std::max(V, 0);
  FEdit->setMaxLength(FMaxLength ? FMaxLength : 32767);
}

void TEdit::SetReadOnly(bool V) {
  FReadOnly = V;
  FEdit->setReadOnly(V);
}

void TEdit::SelectAll() { FEdit->selectAll(); }

int TEdit::SelStart() const { return FEdit->hasSelectedText() ? FEdit->selectionStart() : FEdit->cursorPosition(); }

void TEdit::SetSelStart(int V) { FEdit->setCursorPosition(std::clamp(V, 0, static_cast<int>(FEdit->text().size()))); }

int TEdit::SelLength() const { return FEdit->hasSelectedText() ? static_cast<int>(FEdit->selectedText().size()) : 0; }

void TEdit::SetSelLength(int V) {
  int S = SelStart();
  FEdit->setSelection(S, std::clamp(V, 0, static_cast<int>(FEdit->text().size()) - S));
}

void TEdit::SetSelText(const std::string& V) { FEdit->insert(QString::fromStdString(V)); }

// ---- TCheckBox

const TClassInfo& TCheckBox::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TCheckBox>("TCheckBox", &TWinControl::StaticClassInfo())
                                     .Prop("Caption", &TCheckBox::Caption, &TCheckBox::SetCaption)
                                     .Prop("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked).Default(0);
  return Info;
}

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner, new QCheckBox), FBox(static_cast<QCheckBox*>(Widget())) {
  SetNativeInput(true);
  SetTabStop(true);
  QObject::connect(FBox, &QCheckBox::toggled, FBox, [this](bool On) { SetChecked(On); });
  SetBounds(0, 0, 97, 17);
}

void TCheckBox::SetChecked(bool V) {
  FBox->setChecked(V);
  if (V == FChecked) return;
  FChecked = V;
  Click();
}

void TCheckBox::TextChanged() { FBox->setText(QString::fromStdString(FText)); }

// ---- TRadioButton

const TClassInfo& TRadioButton::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TRadioButton>("TRadioButton", &TWinControl::StaticClassInfo())
                                     .Prop("Caption", &TRadioButton::Caption, &TRadioButton::SetCaption)
                                     .Prop("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked).Default(0);
  return Info;
}

TRadioButton::TRadioButton(TComponent* AOwner)
    : TWinControl(AOwner, new QRadioButton), FButton(static_cast<QRadioButton*>(Widget())) {
  SetNativeInput(true);
  SetTabStop(true);
  // Exclusivity is kept here, among the radio buttons of one parent control.
  FButton->setAutoExclusive(false);
  QObject::connect(FButton, &QRadioButton::clicked, FButton, [this] { SetChecked(true); });
  SetBounds(0, 0, 113, 17);
}

void TRadioButton::SetChecked(bool V) {
  if (V == FChecked) {
    Sync();
    return;
  }
  FChecked = V;
  Sync();
  if (!V) return;
  if (Parent())
    for (int I = 0; I < Parent()->ControlCount(); ++I)
      if (auto* R = dynamic_cast<TRadioButton*>(Parent()->Controls(I)); R && R != this) R->SetChecked(false);
  Click();
}

void TRadioButton::Sync() { FButton->setChecked(FChecked); }

void TRadioButton::TextChanged() { FButton->setText(QString::fromStdString(FText)); }

// ---- TComboBox

const TClassInfo& TComboBox::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TComboBox>("TComboBox", &TWinControl::StaticClassInfo())
                                     .Prop("Style", &TComboBox::Style, &TComboBox::SetStyle).Default(csDropDown)
                                     .Prop("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex)
                                     .Prop("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted).Default(0)
                                     .Event("OnChange", &TComboBox::OnChange);
  return Info;
}

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner, new QComboBox), FCombo(static_cast<QComboBox*>(Widget())) {
  SetNativeInput(true);
  SetTabStop(true);
  FItems.OnChange = [this](TObject*) { ItemsChanged(); };
  // A pick in a list-only box; an editable box reports through its edit text below.
  QObject::connect(FCombo, &QComboBox::activated, FCombo, [this](int) {
    if (FStyle == csDropDownList && OnChange) OnChange(this);
  });
  // Typing in an editable combo box (the signal only comes from the edit field).
  QObject::connect(FCombo, &QComboBox::editTextChanged, FCombo, [this](const QString&) {
    if (!FSyncing && !FCombo->signalsBlocked() && OnChange) OnChange(this);
  });
  SetStyle(csDropDown);
  SetBounds(0, 0, 145, 21);
}

void TComboBox::ItemsChanged() {
  TRestore<bool> Busy(FSyncing, true);
  QString Kept = FCombo->currentText();
  FCombo->clear();
  for (int I = 0; I < FItems.Count(); ++I) FCombo->addItem(QString::fromStdString(FItems.Get(I)));
  FCombo->setCurrentIndex(-1);
  if (FStyle != csDropDownList) FCombo->setEditText(Kept);
  UpdateImages();
}

void TComboBox::SetImages(TImageList* V) {
  if (FImages == V) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = V;
  if (FImages) FImages->FreeNotification(this);
  UpdateImages();
}

void TComboBox::UpdateImages() {
  for (int I = 0; I < FCombo->count(); ++I) {
    const int Index = FImages && OnGetImageIndex ? OnGetImageIndex(I) : -1;
    FCombo->setItemIcon(I, Index >= 0 && Index < FImages->Count() ? QIcon(ToQPixmap(FImages->Image(Index))) : QIcon());
  }
  if (FImages) FCombo->setIconSize(QSize(FImages->Width(), FImages->Height()));
}

void TComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) {
    FImages = nullptr;
    UpdateImages();
  }
}

int TComboBox::ItemIndex() const { return FCombo->currentIndex(); }

void TComboBox::SetItemIndex(int V) {
  FCombo->setCurrentIndex(V >= 0 && V < FItems.Count() ? V : -1);
}

void TComboBox::SetStyle(TComboBoxStyle V) {
  FStyle = V;
  FCombo->setEditable(V != csDropDownList);
}

std::string TComboBox::GetText() const { return FCombo->currentText().toStdString(); }

void TComboBox::TextChanged() {
  TRestore<bool> Busy(FSyncing, true);
  int I = FItems.IndexOf(FText);
  if (FStyle == csDropDownList)
    FCombo->setCurrentIndex(I);
  else
    FCombo->setEditText(QString::fromStdString(FText));
}

// ---- TGroupBox

const TClassInfo& TGroupBox::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TGroupBox>("TGroupBox", &TWinControl::StaticClassInfo())
                                     .Prop("Caption", &TGroupBox::Caption, &TGroupBox::SetCaption);
  return Info;
}

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner, new QGroupBox), FBox(static_cast<QGroupBox*>(Widget())) {
  SetBounds(0, 0, 185, 105);
}

void TGroupBox::TextChanged() { FBox->setTitle(QString::fromStdString(FText)); }

// ---- TListBox

namespace {
// Qt makes the first item current when a list without one takes the focus; in the class library
// that is no pick, so it must not reach OnClick (a page's list would be refilled under the user).
class TFocusQuietList : public QListWidget {
public:
  explicit TFocusQuietList(bool* Syncing) : FSyncing(Syncing) {}

protected:
  void focusInEvent(QFocusEvent* E) override {
    const bool Was = *FSyncing;
    *FSyncing = true;
    QListWidget::focusInEvent(E);
    *FSyncing = Was;
  }

private:
  bool* FSyncing;
};
}  // namespace

const TClassInfo& TListBox::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TListBox>("TListBox", &TWinControl::StaticClassInfo())
                                     .Prop("ItemIndex", &TListBox::ItemIndex, &TListBox::SetItemIndex);
  return Info;
}

TListBox::TListBox(TComponent* AOwner)
    : TWinControl(AOwner, new TFocusQuietList(&FSyncing)), FList(static_cast<QListWidget*>(Widget())) {
  SetNativeInput(true);
  SetTabStop(true);
  FItems.OnChange = [this](TObject*) { ItemsChanged(); };
  // The list's items live in its viewport, so its own signals report the user's picks.
  QObject::connect(FList, &QListWidget::currentRowChanged, FList, [this](int) {
    if (!FSyncing) Click();
  });
  QObject::connect(FList, &QListWidget::itemDoubleClicked, FList, [this](QListWidgetItem*) { DblClick(); });
  SetBounds(0, 0, 121, 97);
}

void TListBox::ItemsChanged() {
  TRestore<bool> Busy(FSyncing, true);
  FList->clear();
  for (int I = 0; I < FItems.Count(); ++I) FList->addItem(QString::fromStdString(FItems.Get(I)));
  FList->setCurrentRow(-1);
}

int TListBox::ItemIndex() const { return FList->currentRow(); }

void TListBox::SetItemIndex(int V) {
  TRestore<bool> Busy(FSyncing, true);
  FList->setCurrentRow(V >= 0 && V < FItems.Count() ? V : -1);
}

// ---- TMemo

const TClassInfo& TMemo::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TMemo>("TMemo", &TWinControl::StaticClassInfo())
                                     .Prop("Text", &TMemo::Text, &TMemo::SetText)
                                     .Prop("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap).Default(1)
                                     .Event("OnChange", &TMemo::OnChange);
  return Info;
}

TMemo::TMemo(TComponent* AOwner) : TWinControl(AOwner, new QPlainTextEdit), FEdit(static_cast<QPlainTextEdit*>(Widget())) {
  SetNativeInput(true);
  SetTabStop(true);
  FEdit->setTabChangesFocus(true);
  QObject::connect(FEdit, &QPlainTextEdit::textChanged, FEdit, [this] {
    if (OnChange) OnChange(this);
  });
  SetWordWrap(true);
  SetBounds(0, 0, 185, 89);
}

void TMemo::SetWordWrap(bool V) {
  FWordWrap = V;
  FEdit->setLineWrapMode(V ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  FEdit->setHorizontalScrollBarPolicy(V ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
}

// The class library's memo writes a line break as CR LF; the text keeps the breaks typed.
std::string TMemo::GetText() const {
  std::string S = FEdit->toPlainText().toStdString();
  std::string R;
  for (char C : S) {
    if (C == '\n') R += '\r';
    R += C;
  }
  return R;
}

void TMemo::TextChanged() {
  std::string S;
  for (char C : FText)
    if (C != '\r') S += C;
  FEdit->setPlainText(QString::fromStdString(S));
}

int TMemo::SelStart() const { return FEdit->textCursor().selectionStart(); }

void TMemo::SetSelStart(int V) {
  QTextCursor C = FEdit->textCursor();
  C.setPosition(std::clamp(V, 0, static_cast<int>(FEdit->toPlainText().size())));
  FEdit->setTextCursor(C);
}

int TMemo::SelLength() const {
  QTextCursor C = FEdit->textCursor();
  return C.selectionEnd() - C.selectionStart();
}

void TMemo::SetSelLength(int V) {
  QTextCursor C = FEdit->textCursor();
  int S = C.selectionStart();
  C.setPosition(S);
  C.setPosition(std::clamp(S + V, S, static_cast<int>(FEdit->toPlainText().size())), QTextCursor::KeepAnchor);
  FEdit->setTextCursor(C);
}

void TMemo::SetSelText(const std::string& V) { FEdit->insertPlainText(QString::fromStdString(V)); }

void TMemo::SelectAll() { FEdit->selectAll(); }
