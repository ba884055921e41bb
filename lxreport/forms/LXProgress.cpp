#include "lxreport/forms/LXProgress.h"

#include "lxreport/LXConsts.h"
#include "platform/app/Application.h"

const TClassInfo& TLXProgressForm::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXProgressForm>("TLXProgressForm", &TForm::StaticClassInfo());
  return Info;
}

TLXProgressForm::TLXProgressForm(TComponent* AOwner) : TForm(AOwner) {
  SetCaption(SLXProgressCaption);
  SetBorderStyle(bsDialog);
  SetFormStyle(fsStayOnTop);
  SetPosition(poScreenCenter);
  SetClientWidth(149);
  SetClientHeight(97);

  Info = new TLabel(this);
  Info->SetName("Info");
  Info->SetParent(this);
  Info->SetAutoSize(false);
  Info->SetAlignment(taCenter);
  Info->SetBounds(2, 44, 145, 13);

  CancelButton = new TButton(this);
  CancelButton->SetName("CancelButton");
  CancelButton->SetParent(this);
  CancelButton->SetBounds(36, 60, 75, 25);
  CancelButton->SetCaption(SLXCancel);
  CancelButton->OnClick = [this](TObject* Sender) { CancelButtonClick(Sender); };

  Gauge = new TProgressBar(this);
  Gauge->SetName("Gauge");
  Gauge->SetParent(this);
  Gauge->SetBounds(16, 18, 114, 16);
  Gauge->SetMin(0);
  Gauge->SetMax(100);
  DoCreate();
}

void TLXProgressForm::CancelButtonClick(TObject*) {
  if (FPrinter) FPrinter->Cancel();
}

void TLXProgressForm::WndProc(TMessage& Message) {
  if (Message.Msg != WM_LXPROGRESS) {
    TForm::WndProc(Message);
    return;
  }
  // The printer's progress as it is now, not the one the message was posted with.
  if (!FPrinter) return;
  int32_t V = FPrinter->Progress();
  if (V % 5 != 0) return;
  Gauge->SetPosition(V);
  Info->SetCaption(Format(SLXProgressCompleted, {V}));
  if (Application) Application->ProcessMessages();
}
