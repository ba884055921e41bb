#pragma once
// The autosearch dialog: one panel per search criterion, checked on OK and written back into the
// criteria. Descendants may change a field's panel class or adjust a created panel.
#include <memory>

#include "platform/classes/Classes.h"
#include "ppreport/output/forms/ppASCtrl.h"
#include "ppreport/output/forms/ppForms.h"

class TppAutoSearchDialog : public TppCustomAutoSearchDialog {
  DECLARE_CLASSINFO(TppAutoSearchDialog)
public:
  explicit TppAutoSearchDialog(TComponent* AOwner);
  ~TppAutoSearchDialog() override;

  TppAutoSearchGroups* GetAutoSearchGroups() override { return FGroups; }
  void SetAutoSearchGroups(TppAutoSearchGroups* Groups) override;
  void Init() override;
  void SetAutoSearchFields(const std::vector<TppAutoSearchField*>& Fields) override;
  void LanguageChanged() override;

  virtual void GetPanelClass(TppAutoSearchField* Field, TppAutoSearchPanelClass& PanelClass);
  virtual void PanelCreated(TppAutoSearchField* Field, TppAutoSearchPanel* Panel);

  TppAutoSearchNotebook* Notebook() const { return FNotebook.get(); }

  TPanel* pnlBottom;
  TppBullet* shpMandatory;
  TLabel* lblMandatory;
  TPanel* pnlButtons;
  TButton* btnOK;
  TButton* btnCancel;

protected:
  void Activate() override;
  void Destroying() override;

private:
  void btnOKClick(TObject* Sender);
  TppAutoSearchGroups* FGroups;
  std::unique_ptr<TppAutoSearchNotebook> FNotebook;
};
