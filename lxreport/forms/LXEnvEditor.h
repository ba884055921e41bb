#pragma once
// The variables dialog ("User Defined Functions Edtor"): the entries of a
// report's environment or of the shared one in a grid whose edits reach the
// environment at once, a new-entry step, and the expression builder for an
// entry's expression.
#include <string>

#include "lxreport/LXExprDialogs.h"
#include "lxreport/forms/LXFormSteps.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/Grids.h"
#include "platform/forms/StdCtrls.h"

class TLXEvEnvironment;

class TLXEnvironmentEditor : public TForm {
  DECLARE_CLASSINFO(TLXEnvironmentEditor)
public:
  explicit TLXEnvironmentEditor(TComponent* AOwner);

  // The dialog on Local (may be null: the shared environment then, "Local" disabled)
  // until it is closed.
  void Execute(TLXEvEnvironment* Local, bool AllowGlobal);
  // The local environment with "&Local defines" selected, else the shared one.
  TLXEvEnvironment* EditedEnvironment() const;
  void FillGrid();
  // The new-entry step: false when cancelled.
  bool AskNewEntry(std::string& Name, std::string& Expression);
  bool Closing() const { return FClosing; }

  TGroupBox* NewEntryGB;
  TEdit *Name, *Expression;
  TSpeedButton* SpeedButton1;
  TButton *NewOKBtn, *NewCancelBtn;
  TGroupBox* AvailableGB;
  TStringGrid* UDFGrid;
  TRadioButton *LocalCB, *GlobalCB;
  TButton *VariableOKBtn, *DeleteBtn, *EditBtn, *AddBtn;

protected:
  void DoClose(TCloseAction& Action) override;

private:
  void CellEdited(int Col, int Row, const std::string& Value);
  void EditCurrent();
  void AddEntry();
  void DeleteCurrent();
  void ShowListButtons(bool V);
  TLXEvEnvironment* FLocal = nullptr;
  bool FClosing = false;
  TLXStepAnswer FNewAnswer = saWaiting;
};

// The Qt dialog service's handler of the variables dialog (InitializeLXReportForms registers it).
TModalResult ShowEnvironmentEditor(TLXEnvironmentRequest& Request);
