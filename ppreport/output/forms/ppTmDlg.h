#pragma once
// The template dialogs: TppTemplateDialog picks the name of a template stored in a database table
// (to open it or to save the report under it) and TppTemplateErrorDialog asks what to do with a
// reader error while a template loads (ignore it, ignore all of this load, or cancel the load).
#include "ppreport/core/ppTemplate.h"
#include "ppreport/output/forms/ppForms.h"

class TppTemplateDialog : public TppCustomTemplateDialog {
  DECLARE_CLASSINFO(TppTemplateDialog)
public:
  explicit TppTemplateDialog(TComponent* AOwner);
  ~TppTemplateDialog() override;

  void SetDataPipeline(TppDataPipeline* Value) override;
  std::string GetTemplateName() override;
  void SetTemplateName(const std::string& Name) override;
  void GetTemplateNames(std::vector<std::string>& Names) override;
  void SetTemplateNames(const std::vector<std::string>& Names) override;

  // Refills the list from the pipeline (cleared first; without one the list stays); true when a
  // name was added.
  bool LoadTemplateNames();
  // Whether the pipeline has a record of the template name (case-insensitive).
  bool LocateTemplate();
  bool CloseQuery() override;
  // Runs each time the form becomes active: names reloaded, captions by the dialog kind.
  void Activate() override;

  TPanel* hdrList;
  TListBox* lbxTemplates;
  TLabel* lblTemplateName;
  TEdit* edtTemplateName;
  TButton* btnOK;
  TButton* btnCancel;

private:
  void lbxTemplatesClick(TObject* Sender);
  void lbxTemplatesDblClick(TObject* Sender);
  TppDataPipeline* FDataPipeline = nullptr;
};

class TppTemplateErrorDialog : public TppCustomTemplateErrorDialog {
  DECLARE_CLASSINFO(TppTemplateErrorDialog)
public:
  explicit TppTemplateErrorDialog(TComponent* AOwner);
  ~TppTemplateErrorDialog() override;

  std::string GetErrorMessage() override;
  void SetErrorMessage(const std::string& Text) override;
  void LanguageChanged() override;

  TBevel* Bevel1;
  TLabel* lblMessage;
  TButton* btnIgnore;
  TButton* btnCancel;
  TButton* btnIgnoreAll;

private:
  void LayoutButtons();
};

// Answers a template's reader-error request with the form registered for the error-dialog kind,
// shown through the dialog service: mrCancel stops the load, mrAll ignores the rest of it.
TModalResult ExecuteTemplateErrorDialog(TppTemplateErrorRequest& Request);
