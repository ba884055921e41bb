#pragma once
// The expression builder ("Expression Wizard"): an expression typed or put
// together from data fields, functions with their arguments, variables and
// operators, and checked by evaluating it once. Its pages are sub-steps that
// run their own message loop until answered; the main page is disabled
// meanwhile. It runs as its own modal window or inside a host window (the
// builder of a function argument runs inside the builder that asked).
#include <string>
#include <vector>

#include "lxreport/LXExprDialogs.h"
#include "lxreport/forms/LXFormSteps.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

class TDataSet;
class TLXEvEnvironment;
struct TLXLibraryEntry;

// The expression edit: a long expression wraps inside it instead of scrolling sideways.
class TWordWrapEdit : public TMemo {
  DECLARE_CLASSINFO(TWordWrapEdit)
public:
  explicit TWordWrapEdit(TComponent* AOwner);
};

class TLXExpressionBuilder : public TForm {
  DECLARE_CLASSINFO(TLXExpressionBuilder)
public:
  explicit TLXExpressionBuilder(TComponent* AOwner);

  // Steps 2 to 6 of EditExpression on a new builder: true on OK, Request's
  // expression then the edited one. The caller frees the builder.
  bool Execute(TLXExpressionRequest& Request);

  void ListFunctions(int Category);
  void ShowFunctionInfo(int Index);
  void LoadDataSets();
  void LoadVariables();
  void InsertAtCaret(const std::string& Text);
  // Evaluates the expression once and says what came out in a message box.
  void Validate();

  // Pages and controls, for the designer's eye and for tests.
  TPanel *MainPage, *DataFieldPage, *FunctionPage, *FuncParamsPage, *VariablePage;
  TLabel* Heading;
  TWordWrapEdit* Expr;
  TButton *InsertDataFieldBtn, *InsertFunctionBtn, *InsertVariableBtn;
  TButton *AddPlus, *AddMinus, *AddMul, *AddDiv, *AddEqual, *AddSmaller, *AddLarger, *AddNotEqual, *AddLessEqual,
      *AddGreaterEqual, *AddNot, *AddAnd, *AddOr;
  TButton *ValidateBtn, *Clear, *OK, *Cancel;
  TListBox *AvailableDatasets, *AvailableFields;
  TButton *DataFieldOKBtn, *DataFieldCancelBtn;
  TListBox *Categories, *AvailableFunc;
  TLabel *FuncName, *FuncDescription;
  TButton *FunctionOKBtn, *FunctionCancelBtn;
  TLabel *CopyFuncName, *CopyFuncDescription;
  TScrollBox* FuncParamSB;
  TButton *FuncParamOkBtn, *FuncArgCancelBtn;
  TListBox* AvailableVariables;
  TLabel* VariableValue;
  TButton *VariableOKBtn, *VariableCancelBtn, *ModifyVariables;

protected:
  void DoClose(TCloseAction& Action) override;
  void Activate() override;

private:
  struct TDataSetItem {
    std::string ListName;
    TDataSet* DataSet;
  };
  void BuildMainPage();
  void BuildDataFieldPage();
  void BuildFunctionPage();
  void BuildParamsPage();
  void BuildVariablePage();
  TButton* NewButton(TWinControl* Parent, const char* Caption, int Left, int Top, int Width, TLXStepAnswer* Answer,
                     TLXStepAnswer Value);
  TPanel* NewPage();
  void ShowPage(TPanel* Page);
  // Disables the main page around one of its insert steps.
  void RunInsert(void (TLXExpressionBuilder::*Step)(), bool FocusExpr);
  void PickDataField();
  void PickFunction();
  // Empty on cancel; the arguments joined by "," otherwise.
  bool AskArguments(const std::string& Letters, std::string& Joined);
  void EditArgument(TObject* Button);
  void PickVariable();
  void ListFields();
  void ShowVariableValue();
  void LoadLists();

  TComponent* FDataSetForm = nullptr;
  TLXEvEnvironment* FLocal = nullptr;
  std::vector<TDataSetItem> FDataSets;
  std::vector<TLXLibraryEntry*> FFunctions;
  std::vector<TEdit*> FArgEdits;
  // Closing the builder cancels every page still waiting.
  TLXStepAnswer FExprAnswer = saWaiting, FFunctionAnswer = saWaiting, FParamsAnswer = saWaiting,
                FDataFieldAnswer = saWaiting, FVariableAnswer = saWaiting;
};

// The Qt dialog service's handler of the builder (InitializeLXReportForms registers it).
TModalResult ShowExpressionBuilder(TLXExpressionRequest& Request);
