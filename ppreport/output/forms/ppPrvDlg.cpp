#include "ppreport/output/forms/ppPrvDlg.h"

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

void TppPrintPreview::DoClose(TCloseAction& Action) {
  TppCustomPreviewer::DoClose(Action);
  Action = caFree;
}

// Only keys the window itself has: a key a control left unhandled comes up here too, and the
// preview has heard it already from its keyboard sink.
void TppPrintPreview::KeyDown(uint16_t& Key, TShiftState Shift) {
  TppCustomPreviewer::KeyDown(Key, Shift);
  if (FPreview && Focused()) FPreview->KeyDown(Key, Shift);
}
