#include "ppreport/output/forms/ppASDlg.h"

#include <algorithm>

#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppProd.h"

const TClassInfo& TppAutoSearchDialog::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppAutoSearchDialog>("TppAutoSearchDialog", &TppCustomAutoSearchDialog::StaticClassInfo());
  return Info;
}

TppAutoSearchDialog::TppAutoSearchDialog(TComponent* AOwner)
    : TppCustomAutoSearchDialog(AOwner), FGroups(new TppAutoSearchGroups(nullptr)) {
  SetBorderStyle(bsSizeable);
  SetBounds(Left(), Top(), 532, 500);
  TFont F = Font();
  F.SetName("MS Sans Serif");
  F.SetHeight(-11);
  SetFont(F);
  SetPosition(poScreenCenter);
  SetCaption("Search");

  pnlBottom = new TPanel(this);
  pnlBottom->SetParent(this);
  pnlBottom->SetBevelOuter(bvNone);
  pnlBottom->SetHeight(42);
  pnlBottom->SetAlign(alBottom);
  shpMandatory = new TppBullet(this);
  shpMandatory->SetParent(pnlBottom);
  shpMandatory->SetBounds(12, 15, 5, 7);
  lblMandatory = new TLabel(this);
  lblMandatory->SetParent(pnlBottom);
  lblMandatory->SetCaption("indicates that this search value is required.");
  lblMandatory->SetBounds(21, 15, 200, lblMandatory->Height());
  pnlButtons = new TPanel(this);
  pnlButtons->SetParent(pnlBottom);
  pnlButtons->SetBevelOuter(bvNone);
  pnlButtons->SetWidth(172);
  pnlButtons->SetAlign(alRight);
  btnOK = new TButton(this);
  btnOK->SetParent(pnlButtons);
  btnOK->SetBounds(5, 12, 75, 23);
  btnOK->SetCaption("OK");
  btnOK->SetDefault(true);
  btnOK->OnClick = [this](TObject* Sender) { btnOKClick(Sender); };
  btnCancel = new TButton(this);
  btnCancel->SetParent(pnlButtons);
  btnCancel->SetBounds(87, 12, 75, 23);
  btnCancel->SetCaption("Cancel");
  btnCancel->SetCancel(true);
  btnCancel->SetModalResult(mrCancel);
  DoCreate();
}

TppAutoSearchDialog::~TppAutoSearchDialog() {
  BeforeDestruction();
  if (FGroups) FGroups->Free();
}

void TppAutoSearchDialog::Destroying() {
  // The panels go with the form; the notebook lets go of them first.
  FNotebook.reset();
  TppCustomAutoSearchDialog::Destroying();
}

void TppAutoSearchDialog::SetAutoSearchGroups(TppAutoSearchGroups* Groups) {
  if (Groups) FGroups->Assign(Groups);
}

void TppAutoSearchDialog::SetAutoSearchFields(const std::vector<TppAutoSearchField*>& Fields) {
  FGroups->CreateGroups(Fields);
}

void TppAutoSearchDialog::GetPanelClass(TppAutoSearchField*, TppAutoSearchPanelClass&) {}

void TppAutoSearchDialog::PanelCreated(TppAutoSearchField*, TppAutoSearchPanel*) {}

void TppAutoSearchDialog::Init() {
  if (!FNotebook) {
    FNotebook = std::make_unique<TppAutoSearchNotebook>(this);
    FNotebook->OnGetPanelClass = [this](TppAutoSearchField* F, TppAutoSearchPanelClass& C) { GetPanelClass(F, C); };
    FNotebook->OnPanelCreated = [this](TppAutoSearchField* F, TppAutoSearchPanel* P) { PanelCreated(F, P); };
    FNotebook->Groups = GetAutoSearchGroups();
    FNotebook->AllowTabReorder = Report() && Report()->HasState(csDesigning);
    FNotebook->Build();
    shpMandatory->SetVisible(FNotebook->HasMandatory());
    lblMandatory->SetVisible(FNotebook->HasMandatory());
  }
  if (FNotebook->Height() < ClientHeight() - pnlButtons->Height())
    SetClientHeight(pnlButtons->Height() + FNotebook->Height());
  SetClientWidth(1000);
  if (FNotebook->Width() < ClientWidth()) SetClientWidth(std::max(FNotebook->Width(), 438));
}

void TppAutoSearchDialog::Activate() {
  if (FNotebook) FNotebook->FocusFirst();
  TppCustomAutoSearchDialog::Activate();
}

void TppAutoSearchDialog::btnOKClick(TObject*) {
  if (FNotebook && FNotebook->ValidateAll()) SetModalResult(mrOk);
}

void TppAutoSearchDialog::LanguageChanged() {
  SetCaption(LanguageString(65));
  lblMandatory->SetCaption(LanguageString(66));
  btnOK->SetCaption(LanguageString(17));
  btnCancel->SetCaption(LanguageString(5));
}
