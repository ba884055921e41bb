#include "lxreport/forms/LXExprBuilder.h"

#include <memory>

#include "lxreport/LXConsts.h"
#include "lxreport/LXDataSetAdapter.h"
#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXEvFunctions.h"
#include "lxreport/LXEvaluator.h"
#include "lxreport/forms/LXFormDataSets.h"
#include "platform/app/Application.h"
#include "platform/app/Dialogs.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/data/DB.h"

namespace T = LXEditorText;

// ---- TWordWrapEdit

const TClassInfo& TWordWrapEdit::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TWordWrapEdit>("TWordWrapEdit", &TMemo::StaticClassInfo());
  return Info;
}

TWordWrapEdit::TWordWrapEdit(TComponent* AOwner) : TMemo(AOwner) { SetWordWrap(true); }

// ---- TLXExpressionBuilder

const TClassInfo& TLXExpressionBuilder::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXExpressionBuilder>("TLXExpressionBuilder", &TForm::StaticClassInfo());
  return Info;
}

TLXExpressionBuilder::TLXExpressionBuilder(TComponent* AOwner) : TForm(AOwner) {
  SetupFixedDialog(this, T::BuilderCaption, 381, 300);
  // The main page last, so that it starts in front.
  BuildDataFieldPage();
  BuildFunctionPage();
  BuildParamsPage();
  BuildVariablePage();
  BuildMainPage();
  ListFunctions(0);
  DoCreate();
}

TPanel* TLXExpressionBuilder::NewPage() {
  auto* P = new TPanel(this);
  P->SetParent(this);
  P->SetBevelOuter(bvNone);
  P->SetAlign(alClient);
  P->SetEnabled(false);
  return P;
}

TButton* TLXExpressionBuilder::NewButton(TWinControl* Parent, const char* Caption, int Left, int Top, int Width,
                                         TLXStepAnswer* Answer, TLXStepAnswer Value) {
  auto* B = PlaceCaptioned<TButton>(this, Parent, Caption, Left, Top, Width);
  if (Answer) B->OnClick = [Answer, Value](TObject*) { *Answer = Value; };
  return B;
}

namespace {
TListBox* NewList(TComponent* Owner, TWinControl* Parent, int Left, int Top, int Width, int Height) {
  return PlaceControl<TListBox>(Owner, Parent, Left, Top, Width, Height);
}
}  // namespace

void TLXExpressionBuilder::BuildMainPage() {
  MainPage = NewPage();
  MainPage->SetEnabled(true);
  Heading = PlaceLabel(this, MainPage, T::Heading, 20, 16);
  Expr = new TWordWrapEdit(this);
  Expr->SetParent(MainPage);
  Expr->SetBounds(20, 36, 341, 91);
  TGroupBox* G = PlaceCaptioned<TGroupBox>(this, MainPage, T::InsertGroup, 20, 134, 341, 115);
  InsertDataFieldBtn = NewButton(G, T::DatabaseField, 8, 20, 105, nullptr, saWaiting);
  InsertFunctionBtn = NewButton(G, T::Function, 118, 20, 105, nullptr, saWaiting);
  InsertVariableBtn = NewButton(G, T::Variable, 228, 20, 105, nullptr, saWaiting);
  InsertDataFieldBtn->OnClick = [this](TObject*) { RunInsert(&TLXExpressionBuilder::PickDataField, true); };
  InsertFunctionBtn->OnClick = [this](TObject*) { RunInsert(&TLXExpressionBuilder::PickFunction, true); };
  InsertVariableBtn->OnClick = [this](TObject*) { RunInsert(&TLXExpressionBuilder::PickVariable, false); };
  struct TOp {
    TButton** Button;
    const char* Caption;
  };
  const TOp Ops[] = {{&AddPlus, "+"},        {&AddMinus, "-"},     {&AddMul, "*"},           {&AddDiv, "/"},
                     {&AddEqual, "="},       {&AddSmaller, "<"},   {&AddLarger, ">"},        {&AddNotEqual, "<>"},
                     {&AddLessEqual, "<="},  {&AddGreaterEqual, ">="}, {&AddNot, "Not"},     {&AddAnd, "And"},
                     {&AddOr, "Or"}};
  int I = 0;
  for (const TOp& Op : Ops) {
    TButton* B = NewButton(G, Op.Caption, 8 + (I % 7) * 47, 52 + (I / 7) * 29, 43, nullptr, saWaiting);
    std::string Text = std::string(" ") + Op.Caption + " ";
    B->OnClick = [this, Text](TObject*) { InsertAtCaret(Text); };
    *Op.Button = B;
    ++I;
  }
  ValidateBtn = NewButton(MainPage, T::Validate, 20, 262, 80, nullptr, saWaiting);
  ValidateBtn->OnClick = [this](TObject*) { Validate(); };
  Clear = NewButton(MainPage, T::Clear, 106, 262, 80, nullptr, saWaiting);
  Clear->OnClick = [this](TObject*) { Expr->Clear(); };
  OK = NewButton(MainPage, T::OK, 200, 262, 75, &FExprAnswer, saOk);
  OK->SetDefault(true);
  OK->SetModalResult(mrOk);
  Cancel = NewButton(MainPage, T::Cancel, 286, 262, 75, &FExprAnswer, saCancelled);
  Cancel->SetCancel(true);
  Cancel->SetModalResult(mrCancel);
}

void TLXExpressionBuilder::BuildDataFieldPage() {
  DataFieldPage = NewPage();
  TGroupBox* G = PlaceCaptioned<TGroupBox>(this, DataFieldPage, T::DataFieldGroup, 20, 12, 341, 237);
  PlaceLabel(this, G, T::SelectDataset, 10, 20);
  PlaceLabel(this, G, T::AvailableFields, 172, 20);
  AvailableDatasets = NewList(this, G, 10, 38, 155, 188);
  AvailableFields = NewList(this, G, 172, 38, 159, 188);
  AvailableDatasets->OnClick = [this](TObject*) { ListFields(); };
  AvailableFields->OnDblClick = [this](TObject*) { FDataFieldAnswer = saOk; };
  DataFieldOKBtn = NewButton(DataFieldPage, T::OK, 200, 262, 75, &FDataFieldAnswer, saOk);
  DataFieldCancelBtn = NewButton(DataFieldPage, T::Cancel, 286, 262, 75, &FDataFieldAnswer, saCancelled);
}

void TLXExpressionBuilder::BuildFunctionPage() {
  FunctionPage = NewPage();
  TGroupBox* G = PlaceCaptioned<TGroupBox>(this, FunctionPage, T::FunctionGroup, 20, 12, 341, 237);
  PlaceLabel(this, G, T::Category, 10, 20);
  PlaceLabel(this, G, T::AvailableFunctions, 132, 20);
  Categories = NewList(this, G, 10, 38, 115, 120);
  for (const char* C : T::Categories) Categories->Items().Add(C);
  AvailableFunc = NewList(this, G, 132, 38, 199, 120);
  FuncName = PlaceLabel(this, G, "", 10, 166);
  FuncDescription = PlaceLabel(this, G, "", 10, 184);
  FuncDescription->SetAutoSize(false);
  FuncDescription->SetWordWrap(true);
  FuncDescription->SetBounds(10, 184, 321, 46);
  Categories->OnClick = [this](TObject*) { ListFunctions(Categories->ItemIndex()); };
  AvailableFunc->OnClick = [this](TObject*) { ShowFunctionInfo(AvailableFunc->ItemIndex()); };
  AvailableFunc->OnDblClick = [this](TObject*) { FFunctionAnswer = saOk; };
  FunctionOKBtn = NewButton(FunctionPage, T::Continue, 200, 262, 75, &FFunctionAnswer, saOk);
  FunctionCancelBtn = NewButton(FunctionPage, T::Cancel, 286, 262, 75, &FFunctionAnswer, saCancelled);
}

void TLXExpressionBuilder::BuildParamsPage() {
  FuncParamsPage = NewPage();
  TGroupBox* G = PlaceCaptioned<TGroupBox>(this, FuncParamsPage, T::ParamsGroup, 20, 12, 341, 237);
  CopyFuncName = PlaceLabel(this, G, "", 10, 20);
  CopyFuncDescription = PlaceLabel(this, G, "", 10, 38);
  CopyFuncDescription->SetAutoSize(false);
  CopyFuncDescription->SetWordWrap(true);
  CopyFuncDescription->SetBounds(10, 38, 321, 46);
  FuncParamSB = new TScrollBox(this);
  FuncParamSB->SetParent(G);
  FuncParamSB->SetBorderStyle(bsNone);
  FuncParamSB->SetBounds(10, 88, 321, 140);
  FuncParamOkBtn = NewButton(FuncParamsPage, T::OK, 200, 262, 75, &FParamsAnswer, saOk);
  FuncArgCancelBtn = NewButton(FuncParamsPage, T::Cancel, 286, 262, 75, &FParamsAnswer, saCancelled);
}

void TLXExpressionBuilder::BuildVariablePage() {
  VariablePage = NewPage();
  TGroupBox* G = PlaceCaptioned<TGroupBox>(this, VariablePage, T::VariableGroup, 20, 12, 341, 237);
  AvailableVariables = NewList(this, G, 10, 20, 321, 150);
  PlaceLabel(this, G, T::ValueLabel, 10, 178);
  VariableValue = PlaceLabel(this, G, "", 60, 178);
  VariableValue->SetAutoSize(false);
  VariableValue->SetWordWrap(true);
  VariableValue->SetBounds(60, 178, 271, 50);
  AvailableVariables->OnClick = [this](TObject*) { ShowVariableValue(); };
  AvailableVariables->OnDblClick = [this](TObject*) { FVariableAnswer = saOk; };
  VariableOKBtn = NewButton(VariablePage, T::OK, 200, 262, 75, &FVariableAnswer, saOk);
  VariableCancelBtn = NewButton(VariablePage, T::Cancel, 286, 262, 75, &FVariableAnswer, saCancelled);
  ModifyVariables = NewButton(VariablePage, T::ModifyVariables, 20, 262, 120, nullptr, saWaiting);
  ModifyVariables->OnClick = [this](TObject*) {
    EditEnvironment(FLocal, true, this);
    LoadVariables();
  };
}

// ---- running

bool TLXExpressionBuilder::Execute(TLXExpressionRequest& Request) {
  FDataSetForm = Request.DataSetForm;
  FLocal = Request.LocalEnvironment;
  auto* Host = dynamic_cast<TWinControl*>(Request.HostForm);
  if (Host) {
    SetBorderStyle(bsNone);
    // Inside a host the buttons answer this builder only: a modal result would end the host.
    OK->SetModalResult(mrNone);
    Cancel->SetModalResult(mrNone);
    SetParent(Host);
    SetLeft(0);
    SetTop(0);
    LoadLists();
  }
  if (!Request.Heading.empty()) Heading->SetCaption(Request.Heading);
  Expr->SetText(Request.Expression);
  Expr->SelectAll();
  FExprAnswer = saWaiting;
  ShowPage(MainPage);
  if (Host) {
    Show();
    BringToFront();
    Expr->SetFocus();
    WaitForAnswer(this, FExprAnswer);
  } else {
    LoadLists();
    ShowModal();
  }
  if (FExprAnswer != saOk) return false;
  Request.Expression = StripLineBreaks(Expr->Text());
  return true;
}

void TLXExpressionBuilder::DoClose(TCloseAction& Action) {
  // Closing in any way ends every page still waiting; an expression already confirmed stays so.
  if (FExprAnswer != saOk) FExprAnswer = saCancelled;
  FFunctionAnswer = FParamsAnswer = FDataFieldAnswer = FVariableAnswer = saCancelled;
  TForm::DoClose(Action);
}

void TLXExpressionBuilder::Activate() {
  TForm::Activate();
  // Not while a page runs: its lists are what the user is choosing from.
  if (!MainPage->Enabled()) return;
  LoadLists();
  Expr->SetFocus();
}

void TLXExpressionBuilder::LoadLists() {
  LoadDataSets();
  LoadVariables();
}

void TLXExpressionBuilder::ShowPage(TPanel* Page) {
  Page->SetEnabled(true);
  Page->BringToFront();
}

void TLXExpressionBuilder::RunInsert(void (TLXExpressionBuilder::*Step)(), bool FocusExpr) {
  MainPage->SetEnabled(false);
  HWND Self = Handle();
  (this->*Step)();
  if (!IsWindow(Self)) return;
  ShowPage(MainPage);
  if (FocusExpr) Expr->SetFocus();
}

void TLXExpressionBuilder::InsertAtCaret(const std::string& Text) {
  Expr->SetSelText(Text);
  Expr->SetFocus();
}

// ---- data fields

void TLXExpressionBuilder::LoadDataSets() {
  FDataSets.clear();
  AvailableDatasets->Items().Clear();
  std::unique_ptr<TStringList> List = ListDataSets(FDataSetForm, true);
  for (int I = 0; I < List->Count(); ++I) {
    auto* D = static_cast<TDataSet*>(List->Objects(I));
    FDataSets.push_back({List->Strings(I), D});
    // A closed data set has no fields to offer; it says so instead of failing to list them.
    AvailableDatasets->Items().Add(D->Active() ? List->Strings(I) : Format(T::ClosedDataSet, {List->Strings(I)}));
  }
  AvailableDatasets->SetItemIndex(FDataSets.empty() ? -1 : 0);
  ListFields();
}

void TLXExpressionBuilder::ListFields() {
  AvailableFields->Items().Clear();
  int I = AvailableDatasets->ItemIndex();
  if (I < 0 || I >= static_cast<int>(FDataSets.size())) return;
  TDataSet* D = FDataSets[static_cast<size_t>(I)].DataSet;
  if (!D->Active()) return;
  for (int F = 0; F < D->FieldCount(); ++F) AvailableFields->Items().Add(D->Fields()[F]->FieldName());
}

void TLXExpressionBuilder::PickDataField() {
  FDataFieldAnswer = saWaiting;
  ShowPage(DataFieldPage);
  if (!WaitForAnswer(this, FDataFieldAnswer)) return;
  DataFieldPage->SetEnabled(false);
  int D = AvailableDatasets->ItemIndex(), F = AvailableFields->ItemIndex();
  if (FDataFieldAnswer != saOk || D < 0 || F < 0 || D >= static_cast<int>(FDataSets.size())) return;
  InsertAtCaret(FDataSets[static_cast<size_t>(D)].ListName + "." + AvailableFields->Items().Strings(F));
}

// ---- functions

void TLXExpressionBuilder::ListFunctions(int Category) {
  FFunctions.clear();
  AvailableFunc->Items().Clear();
  TLXFunctionLibrary* Lib = ExpressionFunctions();
  for (int I = 0; Lib && I < Lib->Count(); ++I) {
    TLXLibraryEntry* E = Lib->EntryAt(I);
    if (Category != 0 && (E->ArgumentCode.empty() || E->ArgumentCode[0] != static_cast<char>('0' + Category)))
      continue;
    FFunctions.push_back(E);
    AvailableFunc->Items().Add(E->Name);
  }
  AvailableFunc->SetItemIndex(FFunctions.empty() ? -1 : 0);
  ShowFunctionInfo(0);
}

void TLXExpressionBuilder::ShowFunctionInfo(int Index) {
  if (Index < 0 || Index >= static_cast<int>(FFunctions.size())) {
    FuncName->SetCaption("");
    FuncDescription->SetCaption("");
    return;
  }
  const std::string& D = FFunctions[static_cast<size_t>(Index)]->Description;
  size_t Bar = D.find('|');
  FuncName->SetCaption(D.substr(0, Bar));
  FuncDescription->SetCaption(Bar == std::string::npos ? std::string() : D.substr(Bar + 1));
}

void TLXExpressionBuilder::PickFunction() {
  FFunctionAnswer = saWaiting;
  ShowPage(FunctionPage);
  if (!WaitForAnswer(this, FFunctionAnswer)) return;
  int I = AvailableFunc->ItemIndex();
  if (FFunctionAnswer != saOk || I < 0 || I >= static_cast<int>(FFunctions.size())) {
    FunctionPage->SetEnabled(false);
    return;
  }
  const TLXLibraryEntry& E = *FFunctions[static_cast<size_t>(I)];
  std::string Text = E.Name;
  if (E.ArgumentCode.size() > 1) {
    FunctionPage->SetEnabled(false);
    std::string Joined;
    if (!AskArguments(E.ArgumentCode.substr(1), Joined)) return;
    Text += "(" + Joined + ")";
  }
  FunctionPage->SetEnabled(false);
  InsertAtCaret(Text);
}

bool TLXExpressionBuilder::AskArguments(const std::string& Letters, std::string& Joined) {
  FParamsAnswer = saWaiting;
  ShowPage(FuncParamsPage);
  CopyFuncName->SetCaption(FuncName->Caption());
  CopyFuncDescription->SetCaption(FuncDescription->Caption());
  FArgEdits.clear();
  int W = FuncParamSB->Width();
  for (size_t I = 0; I < Letters.size(); ++I) {
    char L = Letters[I];
    const char* Pattern = L == 'B' ? T::ArgumentLogical : L == 'N' ? T::ArgumentNumeric : L == 'S' ? T::ArgumentText
                                                                                                    : T::ArgumentValue;
    int Top = 40 * static_cast<int>(I);
    auto* Label = new TLabel(nullptr);
    Label->SetParent(FuncParamSB);
    Label->SetCaption(Format(Pattern, {static_cast<int>(I) + 1}));
    Label->SetLeft(10);
    Label->SetTop(Top);
    auto* Edit = new TEdit(nullptr);
    Edit->SetParent(FuncParamSB);
    Edit->SetBounds(10, Top + 15, W - 60, 21);
    Edit->SetTag(static_cast<intptr_t>(I));
    FArgEdits.push_back(Edit);
    auto* Button = new TSpeedButton(nullptr);
    Button->SetParent(FuncParamSB);
    Button->SetCaption(T::Ellipsis);
    Button->SetBounds(W - 40, Top + 15, 20, 20);
    Button->SetTag(static_cast<intptr_t>(I));
    Button->OnClick = [this](TObject* Sender) { EditArgument(Sender); };
  }
  FuncParamSB->VertScrollBar()->SetRange(40 * static_cast<int>(Letters.size()));
  FuncParamSB->VertScrollBar()->SetIncrement(40);
  if (!WaitForAnswer(this, FParamsAnswer)) return false;
  bool Ok = FParamsAnswer == saOk;
  if (Ok) {
    Joined.clear();
    for (size_t I = 0; I < FArgEdits.size(); ++I) Joined += (I ? "," : "") + FArgEdits[I]->Text();
  }
  FArgEdits.clear();
  while (FuncParamSB->ControlCount() > 0) FuncParamSB->Controls(FuncParamSB->ControlCount() - 1)->Free();
  FuncParamsPage->SetEnabled(false);
  return Ok;
}

void TLXExpressionBuilder::EditArgument(TObject* Button) {
  auto Tag = static_cast<size_t>(static_cast<TComponent*>(Button)->Tag());
  if (Tag >= FArgEdits.size()) return;
  TEdit* Edit = FArgEdits[Tag];
  std::string Text = Edit->Text();
  HWND Self = Handle();
  if (EditExpression(Format(T::ParameterHeading, {static_cast<int>(Tag) + 1, FuncName->Caption()}), Text,
                     FDataSetForm, FLocal, this) &&
      IsWindow(Self))
    Edit->SetText(Text);
  if (!IsWindow(Self)) return;
  FuncParamsPage->BringToFront();
  Edit->SetFocus();
  Edit->SetSelStart(static_cast<int>(Edit->Text().size()));
}

// ---- variables

void TLXExpressionBuilder::LoadVariables() {
  AvailableVariables->Items().Clear();
  for (TLXEvEnvironment* E : {FLocal, SharedEnvironment()})
    if (E)
      for (int I = 0; I < E->Count(); ++I) AvailableVariables->Items().Add(E->Strings(I));
  AvailableVariables->SetItemIndex(AvailableVariables->Items().Count() ? 0 : -1);
  ShowVariableValue();
}

void TLXExpressionBuilder::ShowVariableValue() {
  int I = AvailableVariables->ItemIndex();
  std::string Value;
  if (I >= 0) {
    std::string Name = AvailableVariables->Items().Strings(I);
    for (TLXEvEnvironment* E : {FLocal, SharedEnvironment()}) {
      int K = E ? E->IndexOf(Name) : -1;
      if (K < 0) continue;
      if (TLXEvEmbeddedFunction* F = E->Entries(K)) Value = F->ExpressionText();
      break;
    }
  }
  VariableValue->SetCaption(Value);
}

void TLXExpressionBuilder::PickVariable() {
  FVariableAnswer = saWaiting;
  ShowPage(VariablePage);
  if (!WaitForAnswer(this, FVariableAnswer)) return;
  VariablePage->SetEnabled(false);
  int I = AvailableVariables->ItemIndex();
  if (FVariableAnswer == saOk && I >= 0) InsertAtCaret(AvailableVariables->Items().Strings(I));
}

// ---- validation

void TLXExpressionBuilder::Validate() {
  std::string Message;
  // A data set may refuse to be read (a closed one, a lost connection): that is a
  // message in the box, never the end of the builder.
  try {
    TLXEvEnvironment* Shared = SharedEnvironment();
    if (Shared) Shared->Compile();
    TFinally DiscardShared([&] {
      if (Shared) Shared->Discard();
    });
    if (FLocal) FLocal->Compile();
    TFinally DiscardLocal([&] {
      if (FLocal) FLocal->Discard();
    });
    std::vector<std::unique_ptr<TLXDataSetAdapter>> Adapters;
    TLXDataSetList List;
    for (const TDataSetItem& D : FDataSets) {
      Adapters.push_back(std::make_unique<TLXDataSetAdapter>(D.DataSet));
      List.push_back(Adapters.back().get());
    }
    TLXEvaluator Evaluator;
    Evaluator.AssignDataSets(&List);
    Evaluator.SetEnvironment(FLocal);
    TLXEvValue V;
    Evaluator.EvaluateOnce(StripLineBreaks(Expr->Text()), V);
    Message = V.Kind == evError ? T::ErrorPrefix + V.Text() : T::NoErrors + ValueToText(V);
  } catch (const std::exception& E) {
    Message = Format(T::ReadFailed, {std::string(E.what())});
  }
  ShowMessage(Message);
}

// ---- the dialog service's handler

TModalResult ShowExpressionBuilder(TLXExpressionRequest& Request) {
  std::unique_ptr<TLXExpressionBuilder, TComponentDeleter> B(new TLXExpressionBuilder(nullptr));
  return B->Execute(Request) ? mrOk : mrCancel;
}
