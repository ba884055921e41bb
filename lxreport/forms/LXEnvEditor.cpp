#include "lxreport/forms/LXEnvEditor.h"

#include <memory>

#include "lxreport/LXConsts.h"
#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXEvFunctions.h"
#include "platform/rtl/LocaleCase.h"
#include "platform/rtl/SysUtils.h"

namespace T = LXEditorText;


const TClassInfo& TLXEnvironmentEditor::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXEnvironmentEditor>("TLXEnvironmentEditor", &TForm::StaticClassInfo());
  return Info;
}

TLXEnvironmentEditor::TLXEnvironmentEditor(TComponent* AOwner) : TForm(AOwner) {
  // Room for the expression builder, which runs inside this dialog.
  SetupFixedDialog(this, T::EnvironmentCaption, 381, 300);

  NewEntryGB = PlaceCaptioned<TGroupBox>(this, this, T::NewEntryGroup, 8, 8, 365, 245);
  PlaceLabel(this, NewEntryGB, T::NameLabel, 12, 24);
  Name = new TEdit(this);
  Name->SetParent(NewEntryGB);
  Name->SetBounds(12, 42, 200, 21);
  PlaceLabel(this, NewEntryGB, T::ExpressionLabel, 12, 72);
  Expression = new TEdit(this);
  Expression->SetParent(NewEntryGB);
  Expression->SetBounds(12, 90, 315, 21);
  SpeedButton1 = new TSpeedButton(this);
  SpeedButton1->SetParent(NewEntryGB);
  SpeedButton1->SetCaption(T::Ellipsis);
  SpeedButton1->SetBounds(332, 90, 21, 21);
  SpeedButton1->OnClick = [this](TObject*) {
    std::string E = Expression->Text();
    if (EditExpression(Name->Text(), E, this, FLocal, this)) Expression->SetText(E);
  };
  NewOKBtn = PlaceCaptioned<TButton>(this, NewEntryGB, T::EntryOK, 196, 208, 75);
  NewOKBtn->OnClick = [this](TObject*) { FNewAnswer = saOk; };
  NewCancelBtn = PlaceCaptioned<TButton>(this, NewEntryGB, T::EntryCancel, 278, 208, 75);
  NewCancelBtn->OnClick = [this](TObject*) { FNewAnswer = saCancelled; };

  AvailableGB = PlaceCaptioned<TGroupBox>(this, this, T::AvailableGroup, 8, 8, 365, 245);
  UDFGrid = new TStringGrid(this);
  UDFGrid->SetParent(AvailableGB);
  UDFGrid->SetBounds(12, 22, 341, 180);
  UDFGrid->SetColCount(2);
  UDFGrid->SetFixedCols(0);
  UDFGrid->SetRowCount(2);
  UDFGrid->SetFixedRows(1);
  UDFGrid->SetEditing(true);
  UDFGrid->SetColWidths(0, 123);
  UDFGrid->SetColWidths(1, 165);
  UDFGrid->SetCells(0, 0, T::NameHeader);
  UDFGrid->SetCells(1, 0, T::ExpressionHeader);
  UDFGrid->OnSetEditText = [this](TObject*, int C, int R, const std::string& V) { CellEdited(C, R, V); };
  UDFGrid->OnDblClick = [this](TObject*) { EditCurrent(); };
  LocalCB = new TRadioButton(this);
  LocalCB->SetParent(AvailableGB);
  LocalCB->SetCaption(T::LocalDefines);
  LocalCB->SetBounds(12, 212, 150, 17);
  LocalCB->SetChecked(true);
  GlobalCB = new TRadioButton(this);
  GlobalCB->SetParent(AvailableGB);
  GlobalCB->SetCaption(T::GlobalDefines);
  GlobalCB->SetBounds(180, 212, 150, 17);
  LocalCB->OnClick = [this](TObject*) { FillGrid(); };
  GlobalCB->OnClick = [this](TObject*) { FillGrid(); };

  AddBtn = PlaceCaptioned<TButton>(this, this, T::Add, 8, 265, 75);
  AddBtn->OnClick = [this](TObject*) { AddEntry(); };
  EditBtn = PlaceCaptioned<TButton>(this, this, T::Edit, 90, 265, 75);
  EditBtn->OnClick = [this](TObject*) { EditCurrent(); };
  DeleteBtn = PlaceCaptioned<TButton>(this, this, T::Delete, 172, 265, 75);
  DeleteBtn->OnClick = [this](TObject*) { DeleteCurrent(); };
  VariableOKBtn = PlaceCaptioned<TButton>(this, this, T::Close, 298, 265, 75);
  VariableOKBtn->SetDefault(true);
  VariableOKBtn->SetModalResult(mrOk);
  DoCreate();
}

void TLXEnvironmentEditor::Execute(TLXEvEnvironment* Local, bool AllowGlobal) {
  if (!AllowGlobal) GlobalCB->SetEnabled(false);
  FLocal = Local;
  if (!Local) {
    LocalCB->SetEnabled(false);
    GlobalCB->SetChecked(true);
  }
  FillGrid();
  FClosing = false;
  ShowModal();
}

TLXEvEnvironment* TLXEnvironmentEditor::EditedEnvironment() const {
  return LocalCB->Checked() ? FLocal : SharedEnvironment();
}

void TLXEnvironmentEditor::FillGrid() {
  TLXEvEnvironment* E = EditedEnvironment();
  if (!E) return;
  UDFGrid->SetRowCount(E->Count() + 1);
  for (int I = 0; I < E->Count(); ++I) {
    TLXEvEmbeddedFunction* F = E->Entries(I);
    UDFGrid->SetCells(0, I + 1, E->Strings(I));
    UDFGrid->SetCells(1, I + 1, F ? F->ExpressionText() : std::string());
  }
}

void TLXEnvironmentEditor::CellEdited(int Col, int Row, const std::string& Value) {
  TLXEvEnvironment* E = EditedEnvironment();
  int Entry = Row - 1;
  if (!E || Entry < 0 || Entry >= E->Count()) return;
  if (Col == 0) {
    E->SetStrings(Entry, AnsiUpperCase(Value));
  } else if (E->IsCompiled()) {
    // A compiled entry keeps its expression while others may be using it.
    TLXEvEmbeddedFunction* F = E->Entries(Entry);
    UDFGrid->SetCells(1, Row, F ? F->ExpressionText() : std::string());
  } else {
    E->ReplaceEntry(Entry, Value);
  }
}

void TLXEnvironmentEditor::EditCurrent() {
  TLXEvEnvironment* E = EditedEnvironment();
  int Row = UDFGrid->Row();
  if (!E || Row < 1 || Row > E->Count()) return;
  TLXEvEmbeddedFunction* F = E->Entries(Row - 1);
  std::string Text = F ? F->ExpressionText() : std::string();
  if (EditExpression(UDFGrid->Cells(0, Row), Text, this, FLocal, this)) UDFGrid->EditCell(1, Row, Text);
}

void TLXEnvironmentEditor::ShowListButtons(bool V) {
  for (TButton* B : {AddBtn, EditBtn, DeleteBtn, VariableOKBtn}) B->SetVisible(V);
}

bool TLXEnvironmentEditor::AskNewEntry(std::string& NewName, std::string& NewExpression) {
  FNewAnswer = saWaiting;
  ShowListButtons(false);
  NewEntryGB->BringToFront();
  Name->SetFocus();
  if (!WaitForAnswer(this, FNewAnswer)) return false;
  ShowListButtons(true);
  AvailableGB->BringToFront();
  NewName = Name->Text();
  NewExpression = Expression->Text();
  return FNewAnswer == saOk;
}

void TLXEnvironmentEditor::AddEntry() {
  std::string N, X;
  if (!AskNewEntry(N, X)) return;
  if (TLXEvEnvironment* E = EditedEnvironment()) E->Define(N, X);
  FillGrid();
}

// Removes the current entry, except while the environment is compiled (expressions hold its entries).
void TLXEnvironmentEditor::DeleteCurrent() {
  TLXEvEnvironment* E = EditedEnvironment();
  int Row = UDFGrid->Row();
  if (!E || E->IsCompiled() || Row < 1 || Row > E->Count()) return;
  E->Delete(Row - 1);
  FillGrid();
}

void TLXEnvironmentEditor::DoClose(TCloseAction& Action) {
  FClosing = true;
  // A new entry still being asked for is cancelled with the dialog.
  if (FNewAnswer == saWaiting) FNewAnswer = saCancelled;
  TForm::DoClose(Action);
}

TModalResult ShowEnvironmentEditor(TLXEnvironmentRequest& Request) {
  std::unique_ptr<TLXEnvironmentEditor, TComponentDeleter> D(new TLXEnvironmentEditor(Request.Owner));
  D->Execute(Request.LocalEnvironment, Request.AllowGlobal);
  return mrOk;
}
