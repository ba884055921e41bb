#include "app/Main.h"

#include "app/ViewerConsts.h"
#include "lxreport/forms/LXPrev.h"
#include "platform/app/Application.h"
#include "platform/app/DesktopFileTypes.h"
#include "platform/app/Registry.h"

namespace {
bool IsImageFile(const std::string& Path) {
  for (const char* Ext : {".png", ".svg", ".xpm"})
    if (Path.size() > 4 && Path.compare(Path.size() - 4, 4, Ext) == 0) return true;
  return false;
}
}  // namespace

void RegisterFileType(std::string Extension, std::string TypeName, const std::string& Description,
                      const std::string& Command, const std::string& Icon, const TDesktopNames& Names) {
  std::erase(Extension, '.');
  if (Extension.empty() || Command.empty()) return;
  std::string Bare = Extension;
  Extension = "." + Extension;
  TRegistry Reg;
  Reg.SetRootKey(HKEY_CLASSES_ROOT);
  if (TypeName.empty()) TypeName = Bare + SAutoFileSuffix;
  Reg.OpenKey(Extension, true);
  Reg.WriteString("", TypeName);
  Reg.OpenKey(TypeName, true);
  Reg.WriteString("", Description);
  if (!Icon.empty()) {
    Reg.OpenKey(TypeName + "\\DefaultIcon", true);
    Reg.WriteString("", Icon);
  }
  Reg.OpenKey(TypeName + "\\shell\\open\\command", true);
  Reg.WriteString("", Command + " \"%1\"");
  Reg.CloseKey();

  TDesktopFileType Desktop;
  Desktop.Id = "mivoreport-" + Bare;
  Desktop.Extension = Extension;
  Desktop.MimeType = "application/x-" + Bare;
  Desktop.Description = Names.Comment.empty() ? Description : Names.Comment;
  Desktop.Name = Names.Name;
  Desktop.Command = Command;
  if (!Names.Icon.empty()) Desktop.Icon = Names.Icon;
  else if (IsImageFile(Icon)) Desktop.Icon = Icon;
  RegisterDesktopFileType(Desktop);
}

const TClassInfo& TMains::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TMains>("TMains", &TForm::StaticClassInfo())
                                     .Method("FormCreate", &TMains::FormCreate)
                                     .Method("SpeedButton1Click", &TMains::SpeedButton1Click)
                                     .Method("SpeedButton2Click", &TMains::SpeedButton2Click)
                                     .Method("SpeedButton3Click", &TMains::SpeedButton3Click)
                                     .Method("SpeedButton4Click", &TMains::SpeedButton4Click)
                                     .Method("SpeedButton5Click", &TMains::SpeedButton5Click);
  return Info;
}

TMains::TMains(TComponent* AOwner) : TForm(AOwner) {
  SetCaption(std::string(SMainsCaption) + SContactPhone);
  SetClientWidth(696);
  SetClientHeight(480);
  SetWindowState(wsMaximized);
  Font().SetName("MS Sans Serif");
  Font().SetHeight(-11);

  Panel1 = new TPanel(this);
  Panel1->SetName("Panel1");
  Panel1->SetParent(this);
  Panel1->SetAlign(alLeft);
  Panel1->SetWidth(65);
  Panel1->SetCaption("");

  LXPreview1 = new TLXPreview(this);
  LXPreview1->SetName("LXPreview1");
  LXPreview1->SetParent(this);
  LXPreview1->SetAlign(alClient);
  LXPreview1->HorzScrollBar()->SetTracking(true);
  LXPreview1->VertScrollBar()->SetTracking(true);

  struct Spec {
    TSpeedButton** Field;
    const char* Name;
    const char* Icon;
    void (TMains::*Handler)(TObject*);
  };
  const Spec Buttons[] = {{&SpeedButton1, "SpeedButton1", "last-page", &TMains::SpeedButton1Click},
                          {&SpeedButton2, "SpeedButton2", "first-page", &TMains::SpeedButton2Click},
                          {&SpeedButton3, "SpeedButton3", "previous-page", &TMains::SpeedButton3Click},
                          {&SpeedButton4, "SpeedButton4", "next-page", &TMains::SpeedButton4Click},
                          {&SpeedButton5, "SpeedButton5", "print", &TMains::SpeedButton5Click}};
  for (size_t I = 0; I < std::size(Buttons); ++I) {
    auto* B = new TSpeedButton(this);
    B->SetName(Buttons[I].Name);
    B->SetParent(Panel1);
    B->SetBounds(4, 8 + 56 * static_cast<int>(I), 57, 57);
    B->SetLayout(blGlyphTop);
    B->SetCaption(SMainsButtons[I][0]);
    B->SetHint(SMainsButtons[I][1]);
    B->SetGlyph(LXIcon(Buttons[I].Icon));
    B->OnClick = [this, H = Buttons[I].Handler](TObject* Sender) { (this->*H)(Sender); };
    *Buttons[I].Field = B;
  }
  SetShowHint(true);

  LPage = new TLabel(this);
  LPage->SetName("LPage");
  LPage->SetParent(Panel1);
  LPage->SetAutoSize(false);
  LPage->SetBounds(2, 288, 62, 17);
  LPageTotal = new TLabel(this);
  LPageTotal->SetName("LPageTotal");
  LPageTotal->SetParent(Panel1);
  LPageTotal->SetAutoSize(false);
  LPageTotal->SetBounds(2, 304, 62, 17);

  OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
  DoCreate();
}

// The registry keeps its description as ever ("Mivo Report File" and the title joined); the desktop
// shows the program under its one name, the file type under its own, and the program's picture
// installed in the user's icon folder.
void TMains::FormCreate(TObject*) {
  std::string Program = Application ? Application->ExeName() : std::string();
  std::string Title = Application ? Application->Title() : std::string();
  int Size = 0;
  std::vector<uint8_t> Png = LXIconPng(SProgramIcon, Size);
  TDesktopNames Desktop{Title, SReportFileDescription, InstallDesktopIcon(SProgramIcon, Png, Size)};
  RegisterFileType(SReportFileExtension, "", std::string(SReportFileDescription) + Title, Program, Program, Desktop);
}

int32_t TMains::PageCount() const {
  return LXPreview1->LXPrinter() ? LXPreview1->LXPrinter()->PageCount() : 0;
}

void TMains::UpdatePageLabels() {
  LPage->SetCaption(SPageLabel + std::to_string(LXPreview1->PageNumber()));
  LPageTotal->SetCaption(SPageTotalLabel + std::to_string(PageCount()));
}

void TMains::SpeedButton1Click(TObject*) {
  LXPreview1->SetPageNumber(PageCount());
  UpdatePageLabels();
}

void TMains::SpeedButton2Click(TObject*) {
  LXPreview1->SetPageNumber(1);
  UpdatePageLabels();
}

void TMains::SpeedButton3Click(TObject*) {
  if (LXPreview1->PageNumber() > 0) {
    LXPreview1->SetPageNumber(LXPreview1->PageNumber() - 1);
    UpdatePageLabels();
  }
}

void TMains::SpeedButton4Click(TObject*) {
  if (LXPreview1->PageNumber() + 1 <= PageCount()) {
    LXPreview1->SetPageNumber(LXPreview1->PageNumber() + 1);
    UpdatePageLabels();
  }
}

void TMains::SpeedButton5Click(TObject*) {
  if (TLXPrinter* P = LXPreview1->LXPrinter()) P->Print();
}

void TMains::WndProc(TMessage& Message) {
  if (Message.Msg == WM_MOUSEWHEEL) {
    LXPreview1->WheelScroll(static_cast<int16_t>(static_cast<uint16_t>(Message.WParam >> 16)),
                            TLXPreview::DesktopScrollLines());
    Message.Result = 1;
    return;
  }
  TForm::WndProc(Message);
}
