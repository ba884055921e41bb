#pragma once
// TMains: the viewer's main window when it shows a saved report file: the page preview with a
// button panel for last, first, previous and next page and print, and the page labels. Its
// creation registers the program as the handler of ".lxp" files.
#include <string>

#include "lxreport/forms/LXPreview.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

// What the desktop shows of a file type where it differs from the registry's values: the program's
// name for its entry, the type's comment, and a theme icon name. Empty: the registry's Description
// (name and comment) and Icon (when it is a picture file).
struct TDesktopNames {
  std::string Name, Comment, Icon;
};

// Removes every "." from Extension and adds one leading "."; nothing is registered when that
// leaves nothing or Command is empty. Writes the four default values under HKEY_CLASSES_ROOT of
// the registry store (TypeName empty: the extension and "_auto_file"), then the desktop's MIME
// type and entry for the user. Registry failures raise ERegistryException; the desktop part
// never fails.
void RegisterFileType(std::string Extension, std::string TypeName, const std::string& Description,
                      const std::string& Command, const std::string& Icon, const TDesktopNames& Desktop = {});

class TMains : public TForm {
  DECLARE_CLASSINFO(TMains)
public:
  explicit TMains(TComponent* AOwner);

  void FormCreate(TObject* Sender);
  void UpdatePageLabels();
  void SpeedButton1Click(TObject* Sender);  // last page
  void SpeedButton2Click(TObject* Sender);  // first page
  void SpeedButton3Click(TObject* Sender);  // previous page
  void SpeedButton4Click(TObject* Sender);  // next page
  void SpeedButton5Click(TObject* Sender);  // print

  TLXPreview* LXPreview1;
  TPanel* Panel1;
  TSpeedButton *SpeedButton1, *SpeedButton2, *SpeedButton3, *SpeedButton4;
  TLabel *LPage, *LPageTotal;
  TSpeedButton* SpeedButton5;

protected:
  // The wheel scrolls the page, wherever the pointer is on the form.
  void WndProc(TMessage& Message) override;

private:
  int32_t PageCount() const;
};
