#pragma once
// The print dialog: printer, pages, copies and collation, a file device and file name instead of
// the printer, and printing in the background. It writes its choices straight into the page
// request and the printer setup it was given; a close other than OK puts them back as they were.
#include <memory>
#include <string>
#include <vector>

#include "platform/app/Dialogs.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/ImgList.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/output/forms/ppForms.h"

class TppPrintDialog : public TppCustomPrintDialog {
  DECLARE_CLASSINFO(TppPrintDialog)
public:
  explicit TppPrintDialog(TComponent* AOwner);
  ~TppPrintDialog() override;

  TppBackgroundPrintSettings* GetBackgroundPrintSettings() override { return FBackgroundPrintSettings.get(); }
  void SetPageRequest(TppPageRequest* Request) override;
  void SetBackgroundPrintActive(bool Value) override { FBackgroundPrintSettings->SetActive(Value); }
  void SetBackgroundPrintSettings(TppBackgroundPrintSettings* Settings) override;
  void Init() override {}
  void LanguageChanged() override;
  void DialogClosed(TModalResult Result) override;

  // The controls are loaded from the page request and the printer on the first activation only:
  // a message box in front of the dialog must not undo what the user chose.
  void Activate() override;
  void InitDialog();
  bool Initialised() const { return FInitialised; }

  // Picture shown by imgCollate: 0 collated, 1 not.
  int CollationPicture() const { return FCollationPicture; }
  // 0 local, 1 network: the printer's port is a network address.
  static int PrinterPicture(const std::string& PrinterName);
  // The file device class of the selected file type, null when none.
  const TClassInfo* SelectedFileClass() const;

  TPanel* pnlPrint;
  TBevel* bvlPrinter;
  TLabel* lblPrinter;
  TLabel* lblPrinterName;
  TComboBox* cbxPrinters;
  TLabel* lblNoPrintersInstalled;
  TButton* btnPrinterProperties;
  TLabel* lblPrinterType;
  TLabel* lblPrinterTypeDesc;
  TLabel* lblPrinterWhere;
  TLabel* lblPrinterWhereDesc;
  TBevel* bvlPageRange;
  TLabel* lblPageRange;
  TRadioButton* rdbAll;
  TRadioButton* rdbCurrentPage;
  TRadioButton* rdbPages;
  TEdit* edtPageRange;
  TLabel* lblPageRangeDescription;
  TBevel* bvlCopies;
  TLabel* lblCopies;
  TLabel* lblNumberOfCopies;
  TEdit* edtCopies;
  TppUpDown* udCopies;
  TPaintBox* imgCollate;
  TCheckBox* cbxCollate;
  TLabel* lblCollate;
  TCheckBox* cbxBackgroundPrinting;
  TLabel* lblPrintWhat;
  TComboBox* cbxPrintWhat;
  TPanel* pnlPrintToFile;
  TBevel* bvlPrintToFile;
  TCheckBox* cbxPrintToFile;
  TLabel* lblPrintToFile;
  TLabel* lblPrintToFileType;
  TComboBox* cbxPrintToFileTypes;
  TLabel* lblPrintToFileWhere;
  TEdit* edtPrintToFileName;
  TSpeedButton* spbPrintToFile;
  TPanel* pnlBottom;
  TButton* btnOK;
  TButton* btnCancel;
  TSaveDialog* SaveDialog1;
  TImageList* imlPrinterTypes;
  TImageList* imlCollation;

protected:
  // Also on showing: a window system may activate the form late, or not at all.
  void DoShow() override;

private:
  void BuildPrinterPanel();
  void BuildPagesAndCopies();
  void BuildPrintToFilePanel();
  void BuildButtons();
  void AdjustWidths();
  void AdjustLayout();

  void InitPrinters();
  void UpdatePrinterInfo();
  void LoadPageRequest();
  void InitPrintToFile();
  void SelectFileType(const TClassInfo* DeviceClass);
  void UpdatePrintToFileControls();
  void StoreFileName();
  // The file name with the file type's extension added when it has none (or just ".").
  std::string CompletedFileName() const;
  void CompleteFileExtension();
  // The file choice at OK: a name is given, and an existing file is replaced only when confirmed.
  bool CheckFileName();
  void InitBackgroundPrinting();
  void UpdateCollationPicture();
  void SetCopiesText(int Copies);
  int CopiesValue() const;

  void cbxPrintersChange();
  void btnPrinterPropertiesClick();
  void udCopiesClick(TUDBtnType Button);
  void cbxPrintWhatChange();
  void btnPrintToFileClick();
  void edtPrintToFileNameChange();
  void btnOKClick();
  bool PrintToFileChosen() const;
  // The printer gives a device context of its own (not the screen's in its place).
  bool PrinterUsable();

  // What the dialog found on its first activation, put back by a close other than OK.
  struct TSavedChoices {
    bool Valid = false;
    std::unique_ptr<TppPageRequest> Request;
    std::string PrinterName;
    int Copies = 1;
    bool Collation = true;
    bool BackgroundActive = false;
    std::string ArchiveFileName, TextFileName, DeviceType;
  };
  void SaveChoices();
  void RestoreChoices();

  std::unique_ptr<TppPageRequest> FOwnPageRequest;
  std::unique_ptr<TppBackgroundPrintSettings> FBackgroundPrintSettings;
  TppPageRequest* FWorkRequest = nullptr;
  TppPrinter* FWorkPrinter = nullptr;
  std::vector<const TClassInfo*> FFileClasses;  // the class of each file type listed
  bool FInitialising = false;
  bool FUpdatingFileControls = false;
  bool FInitialised = false;
  int FCollationPicture = 0;
  TSavedChoices FSaved;
};
