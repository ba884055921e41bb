#include "ppreport/output/forms/ppPrvDlg.h"

#include <QWidget>

#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppProd.h"

const TClassInfo& TppPrintPreview::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppPrintPreview>("TppPrintPreview", &TppCustomPreviewer::StaticClassInfo());
  return Info;
}

TppPrintPreview::TppPrintPreview(TComponent* AOwner) : TppCustomPreviewer(AOwner) {
  SetCaption(SppPrintPreviewCaption);
  SetClientWidth(547);
  SetClientHeight(323);
  SetColor(clBtnFace);
  TFont F = Font();
  F.SetName("MS Sans Serif");
  F.SetHeight(-11);
  F.SetColor(clWindowText);
  SetFont(F);
  SetPosition(poScreenCenter);
  FStatusBar = new TStatusBar(this);
  FStatusBar->SetParent(this);
  FStatusBar->SetSimplePanel(false);
  FStatusBar->SetAlign(alBottom);
  FStatusBar->Panels().Add()->SetWidth(275);
  FPreview = TppPreviewPlugIn::CreatePreview(this);
  FPreview->SetStatusBar(FStatusBar);
  FPreview->OnClose = [this](TObject*) { Close(); };
  DoCreate();
}

TppPrintPreview::~TppPrintPreview() { BeforeDestruction(); }

// The preview goes first: it listens to the viewer and the controls the form still holds.
void TppPrintPreview::Destroying() {
  if (FPreview) {
    TppCustomPreview* P = FPreview;
    FPreview = nullptr;
    P->Free();
  }
  TppCustomPreviewer::Destroying();
}

TControl* TppPrintPreview::GetViewer() { return Viewer(); }

void TppPrintPreview::Init() {
  if (!FPreview) return;
  if (TppProducer* R = Report()) FPreview->Viewer()->SetReport(R);
  FPreview->BeforePreview();
}

void TppPrintPreview::LanguageChanged() {
  SetCaption(LanguageString(23));
  if (FPreview) FPreview->LanguageChanged();
}

void TppPrintPreview::Activate() {
  if (UseDocumentNameAsCaption() && Report()) SetCaption(Report()->PrinterSetup()->DocumentName());
  TppCustomPreviewer::Activate();
}

bool TppPrintPreview::MakingPages() const {
  return (Viewer() && Viewer()->GetBusy()) || (Report() && Report()->Printing());
}

// A window closed while its pages are made is released by a message that the engine's own message
// processing delivers at once: freeing it then would pull the viewer from under the page request.
// The release waits (the close has cancelled the report) and comes once the request has unwound.
void TppPrintPreview::WndProc(TMessage& Message) {
  if (Message.Msg != CM_RELEASE || !MakingPages()) {
    TppCustomPreviewer::WndProc(Message);
    return;
  }
  if (!FReleaseTimer) {
    FReleaseTimer = new TTimer(this);
    FReleaseTimer->SetInterval(10);
    FReleaseTimer->OnTimer = [this](TObject*) {
      if (MakingPages()) return;
      FReleaseTimer->SetEnabled(false);
      Release();
    };
  }
  FReleaseTimer->SetEnabled(true);
}

void TppPrintPreview::DoClose(TCloseAction& Action) {
  TppCustomPreviewer::DoClose(Action);
  Action = caFree;
}

// Only keys no control of the window took: the window has the focus itself, or none of its
// controls has it (a focused control that was disabled or hidden leaves none). A key that a
// focused control left unhandled comes up here too, and the preview has heard it already.
void TppPrintPreview::KeyDown(uint16_t& Key, TShiftState Shift) {
  TppCustomPreviewer::KeyDown(Key, Shift);
  const QWidget* Focus = Widget()->focusWidget();
  if (FPreview && (!Focus || Focus == Widget())) FPreview->KeyDown(Key, Shift);
}
