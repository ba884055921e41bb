#include "lxreport/forms/LXPrev.h"

#include <QFile>
#include <QImage>

#include "lxreport/LXConsts.h"
#include "lxreport/LXExport.h"
#include "lxreport/LXGridFilters.h"
#include "lxreport/LXMetafileFilter.h"
#include "lxreport/LXPDFPages.h"
#include "lxreport/LXTextFilters.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/Application.h"
#include "platform/app/Dialogs.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/TypInfo.h"

TPixelImage LXIcon(const std::string& Name) {
  QImage I(QString::fromStdString(":/mivo/icons/" + Name + ".png"));
  if (I.isNull()) return {};
  I = I.convertToFormat(QImage::Format_ARGB32);
  TPixelImage P;
  P.Width = I.width(), P.Height = I.height();
  P.Pixels.resize(static_cast<size_t>(P.Width) * P.Height);
  for (int Y = 0; Y < P.Height; ++Y) {
    const auto* Row = reinterpret_cast<const uint32_t*>(I.constScanLine(Y));
    std::copy(Row, Row + P.Width, P.Pixels.begin() + static_cast<ptrdiff_t>(Y) * P.Width);
  }
  return P;
}

std::vector<uint8_t> LXIconPng(const std::string& Name, int& Width) {
  QString Path = QString::fromStdString(":/mivo/icons/" + Name + ".png");
  QFile F(Path);
  QImage I(Path);
  Width = I.isNull() ? 0 : I.width();
  if (I.isNull() || !F.open(QIODevice::ReadOnly)) return {};
  QByteArray B = F.readAll();
  return {B.begin(), B.end()};
}

namespace {
// A published property of the report, read by name: its preview settings join this window
// once the report publishes them.
bool GetOrdProp(const TPersistent* Obj, std::string_view Name, int64_t& Value) {
  const TPropInfo* P = Obj->ClassInfo()->FindProp(Name);
  if (!P || !P->GetOrd) return false;
  Value = P->GetOrd(Obj);
  return true;
}
}  // namespace

const TClassInfo& TLXStandardPreview::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXStandardPreview>("TLXStandardPreview", &TForm::StaticClassInfo())
                                     .Method("ZoomToFitClick", &TLXStandardPreview::ZoomToFitClick)
                                     .Method("PrintClick", &TLXStandardPreview::PrintClick);
  return Info;
}

TLXStandardPreview::TLXStandardPreview(TComponent* AOwner, TLXPrinter* APrinter) : TForm(AOwner), FPrinter(APrinter) {
  SetCaption(SLXPreviewCaption);
  SetBorderStyle(bsSingle);
  SetBorderIcons(biSystemMenu | biMinimize);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetShowHint(true);
  SetClientWidth(644);
  SetClientHeight(536);

  Images = new TImageList(this);
  Images->SetName("Images");
  Images->SetWidth(22);
  Images->SetHeight(22);

  StatusBar = new TStatusBar(this);
  StatusBar->SetName("StatusBar");
  StatusBar->SetParent(this);
  StatusBar->SetAlign(alBottom);
  TStatusPanel* P0 = StatusBar->Panels().Add();
  P0->SetAlignment(taRightJustify);
  P0->SetWidth(40);
  P0->SetText(SLXProgressStart);
  TStatusPanel* P1 = StatusBar->Panels().Add();
  P1->SetWidth(50);
  P1->SetText(SLXPageText);

  ToolBar1 = new TToolBar(this);
  ToolBar1->SetName("ToolBar1");
  ToolBar1->SetParent(this);
  ToolBar1->SetAlign(alLeft);
  ToolBar1->SetFlat(true);
  ToolBar1->SetShowCaptions(true);
  ToolBar1->SetButtonWidth(59);
  ToolBar1->SetButtonHeight(36);
  ToolBar1->SetWidth(63);
  ToolBar1->SetImages(Images);

  struct Spec {
    TToolButton** Field;
    const char* Name;
    const char* Icon;  // null: no picture
    void (TLXStandardPreview::*Handler)(TObject*);
  };
  const Spec Buttons[] = {
      {&ZoomFit, "ZoomFit", "zoom-fit", &TLXStandardPreview::ZoomToFitClick},
      {&Zoom100, "Zoom100", "zoom-100", &TLXStandardPreview::ZoomTo100Click},
      {&ZoomToWidth, "ZoomToWidth", "zoom-width", &TLXStandardPreview::ZoomToWidthClick},
      {&FirstPage, "FirstPage", "first-page", &TLXStandardPreview::FirstPageClick},
      {&PreviousPage, "PreviousPage", "previous-page", &TLXStandardPreview::PrevPageClick},
      {&ToolButton2, "ToolButton2", "next-page", &TLXStandardPreview::NextPageClick},
      {&LastPage, "LastPage", "last-page", &TLXStandardPreview::LastPageClick},
      {&ToolButton3, "ToolButton3", "go-to-page", &TLXStandardPreview::ToolButton3Click},
      {&PrintSetup, "PrintSetup", "print-setup", &TLXStandardPreview::PrintSetupClick},
      {&Print, "Print", "print", &TLXStandardPreview::PrintClick},
      {&SaveReport, "SaveReport", "save", &TLXStandardPreview::SaveClick},
      {&LoadReport, "LoadReport", "open", &TLXStandardPreview::LoadClick},
      {&ToolButton1, "ToolButton1", nullptr, &TLXStandardPreview::ToolButton1Click},
  };
  for (size_t I = 0; I < std::size(Buttons); ++I) {
    const Spec& S = Buttons[I];
    auto* B = new TToolButton(this);
    B->SetName(S.Name);
    B->SetParent(ToolBar1);
    B->SetCaption(LXPreviewButtons[I][0]);
    B->SetHint(LXPreviewButtons[I][1]);
    B->SetWrap(true);  // one button per row
    if (S.Icon) {
      TPixelImage Picture = LXIcon(S.Icon);
      if (!Picture.Empty()) B->SetImageIndex(Images->Add(Picture));
    }
    if (I < 3) {
      B->SetStyle(tbsCheck);
      B->SetGrouped(true);
    }
    B->OnClick = [this, H = S.Handler](TObject* Sender) { (this->*H)(Sender); };
    *S.Field = B;
  }
  PrintSetup->SetEnabled(false);

  LXPreview = new TLXPreview(this);
  LXPreview->SetName("LXPreview");
  LXPreview->SetParent(this);
  LXPreview->SetAlign(alClient);
  LXPreview->HorzScrollBar()->SetTracking(true);
  LXPreview->VertScrollBar()->SetTracking(true);
  LXPreview->OnPageAvailable = [this](TObject* Sender, int N) { LXPreviewPageAvailable(Sender, N); };
  LXPreview->OnProgressUpdate = [this](TObject* Sender, int N) { LXPreviewProgressUpdate(Sender, N); };

  CreateFilterComponents();

  OnKeyDown = [this](TObject* Sender, uint16_t& Key, TShiftState Shift) { FormKeyDown(Sender, Key, Shift); };
  OnClose = [this](TObject* Sender, TCloseAction& Action) { FormClose(Sender, Action); };

  // FormCreate: the form's own bars track; the wheel is Qt's, its delta in 120ths of a notch.
  HorzScrollBar()->SetTracking(true);
  VertScrollBar()->SetTracking(true);
  FWheelPresent = true;
  FWheelMessage = WM_MOUSEWHEEL;
  FScrollLines = TLXPreview::DesktopScrollLines();

  // The report's preview settings, when the printer belongs to a report that has them.
  if (TComponent* Report = FPrinter ? FPrinter->OwnerReport() : nullptr) {
    int64_t V;
    if (GetOrdProp(Report, "PrevFormStyle", V)) SetFormStyle(static_cast<TFormStyle>(V));
    if (GetOrdProp(Report, "PreviewWidth", V) && V > 0) SetWidth(static_cast<int>(V));
    if (GetOrdProp(Report, "PreviewHeight", V) && V > 0) SetHeight(static_cast<int>(V));
    if (GetOrdProp(Report, "PreviewInitialState", V)) SetWindowState(static_cast<TWindowState>(V));
    else SetWindowState(wsMaximized);
  } else {
    SetWindowState(wsMaximized);
  }

  LXPreview->SetLXPrinter(FPrinter);
  if (FPrinter && !FPrinter->Title().empty()) SetCaption(FPrinter->Title());
  FLastProgress = 0;
  ZoomToWidth->SetDown(true);
  // Fits the page while ZoomToWidth shows pressed, until the user picks a zoom.
  LXPreview->ZoomToFit();
  LXPreview->UpdateZoom();
  // Pages finished before the window opened announce nothing more: the buttons follow the
  // finished printer now, print setup where there is a report to set up.
  bool Finished = FPrinter && FPrinter->Status() == lxsFinished;
  Print->SetEnabled(Finished);
  PrintSetup->SetEnabled(Finished && FPrinter->OnPrintSetup);
  DoCreate();
}

// The filter components put their filter class into the export filter library while they exist.
void TLXStandardPreview::CreateFilterComponents() {
  auto Named = [this](TComponent* C, const char* Name) {
    C->SetName(Name);
    return C;
  };
  LXExcelFilter1 = Named(new TLXExcelFilter(this), "LXExcelFilter1");
  LXRTFFilter1 = Named(new TLXRTFFilter(this), "LXRTFFilter1");
  auto* Wmf = new TLXWMFFilter(this);
  Wmf->SetEnhanced(false);
  LXWMFFilter1 = Named(Wmf, "LXWMFFilter1");
  auto* Csv = new TLXCSVFilter(this);
  Csv->SetSeparator(',');
  LXCSVFilter1 = Named(Csv, "LXCSVFilter1");
  LXTextFilter1 = Named(new TLXTextFilter(this), "LXTextFilter1");
  LXHTMLFilter1 = Named(new TLXHTMLFilter(this), "LXHTMLFilter1");
}

void TLXStandardPreview::ShowAndUpdate() {
  Show();
  UpdateStatus();
}

void TLXStandardPreview::UpdateStatus() {
  int32_t Count = FPrinter ? FPrinter->PageCount() : 0;
  StatusBar->Panels()[1]->SetText(std::string(SLXPageText) + " " + std::to_string(LXPreview->PageNumber()) + " " +
                                  SLXPageOf + " " + std::to_string(Count));
}

void TLXStandardPreview::GoToPage(int32_t N) {
  LXPreview->SetPageNumber(N);
  UpdateStatus();
}

void TLXStandardPreview::ZoomToFitClick(TObject*) {
  Application->ProcessMessages();
  LXPreview->ZoomToFit();
  LXPreview->UpdateZoom();
}

void TLXStandardPreview::ZoomTo100Click(TObject*) {
  Application->ProcessMessages();
  LXPreview->SetZoom(100);
}

void TLXStandardPreview::ZoomToWidthClick(TObject*) {
  Application->ProcessMessages();
  LXPreview->ZoomToWidth();
}

void TLXStandardPreview::FirstPageClick(TObject*) { GoToPage(1); }
void TLXStandardPreview::PrevPageClick(TObject*) { GoToPage(LXPreview->PageNumber() - 1); }
void TLXStandardPreview::NextPageClick(TObject*) { GoToPage(LXPreview->PageNumber() + 1); }
void TLXStandardPreview::LastPageClick(TObject*) { GoToPage(FPrinter ? FPrinter->PageCount() : 1); }

void TLXStandardPreview::ToolButton3Click(TObject*) {
  int32_t Count = FPrinter ? FPrinter->PageCount() : 0;
  std::string Value = "1";
  InputQuery(Format(SLXGoToCaption, {Count}), SLXGoToPrompt, Value);
  int64_t N = StrToIntDef(Trim(Value), 1);
  if (N < 1 || N > Count) N = 1;
  GoToPage(static_cast<int32_t>(N));
}

void TLXStandardPreview::PrintSetupClick(TObject*) {
  if (FPrinter) FPrinter->PrintSetup();
}

void TLXStandardPreview::PrintClick(TObject* Sender) {
  if (!FPrinter) return;
  auto* Report = dynamic_cast<TCustomVexaRep*>(FindMessageTarget(FPrinter->ParentReport()));
  if (!FPrinter->ParentReport() || !Report || !Report->ActivePrinter() ||
      Report->ActivePrinter()->Status() != lxsBusy)
    FPrinter->Print();
  // The report's after-print event, printed or not.
  if (Report) {
    if (const TPropInfo* P = Report->ClassInfo()->FindProp("DepoisEnviarImprimir"); P && P->GetMethod) {
      TMethod M = P->GetMethod(Report);
      if (auto* Fn = std::any_cast<std::function<void(TObject*)>>(&M.Code); Fn && *Fn) (*Fn)(Sender);
    }
  }
}

void TLXStandardPreview::ToolButton1Click(TObject*) { Close(); }

void TLXStandardPreview::LXPreviewPageAvailable(TObject*, int) {
  UpdateStatus();
  if (FPrinter && FPrinter->Status() == lxsFinished) {
    PrintSetup->SetEnabled(true);
    Print->SetEnabled(true);
  }
}

void TLXStandardPreview::LXPreviewProgressUpdate(TObject*, int Progress) {
  if (Progress >= FLastProgress + 5) {
    StatusBar->Panels()[0]->SetText(std::to_string(Progress) + "%");
    FLastProgress = Progress;
  }
  if (Progress == 0 || Progress == 100) StatusBar->Panels()[0]->SetText("");
}

void TLXStandardPreview::FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  const TShiftState Keys = Shift & (ssShift | ssAlt | ssCtrl);
  bool CtrlOnly = Keys == ssCtrl;
  switch (Key) {
    case VK_ESCAPE: Close(); break;
    case VK_PRIOR: CtrlOnly ? FirstPageClick(this) : PrevPageClick(this); break;
    case VK_NEXT: CtrlOnly ? LastPageClick(this) : NextPageClick(this); break;
    case VK_HOME: FirstPageClick(this); break;
    case VK_END: LastPageClick(this); break;
    case VK_UP: LXPreview->VertScrollBar()->SetPosition(LXPreview->VertScrollBar()->Position() - 3); break;
    case VK_DOWN: LXPreview->VertScrollBar()->SetPosition(LXPreview->VertScrollBar()->Position() + 3); break;
    default: return;
  }
  Key = 0;
}

void TLXStandardPreview::FormClose(TObject*, TCloseAction& Action) {
  if (FPrinter) FPrinter->ClosePreview(this);
  Action = caFree;
}

void TLXStandardPreview::MouseWheel(int Delta) { LXPreview->WheelScroll(Delta, FScrollLines); }

void TLXStandardPreview::WndProc(TMessage& Message) {
  if (Message.Msg == WM_MOUSEWHEEL && FWheelPresent) {
    MouseWheel(static_cast<int16_t>(static_cast<uint16_t>(Message.WParam >> 16)));
    Message.Result = 1;
    return;
  }
  TForm::WndProc(Message);
}

void TLXStandardPreview::BoundsChanged() {
  TForm::BoundsChanged();
  if (LXPreview) LXPreview->UpdateZoom();
}

std::string TLXStandardPreview::SaveDialogFilter(int& PDFIndex) const {
  const std::string Ext = SLXReportFileExtension;
  std::string F = ExportFilterLibrary ? ExportFilterLibrary->GetSaveDialogFilter()
                                      : std::string(SLXReportFileFilterName) + "(*." + Ext + ")|*." + Ext;
  F += std::string(";*.pdf|") + SLXPDFFilterEntry;
  // The last entry of the text as shown, however many filters the library holds.
  PDFIndex = static_cast<int>(ParseFileFilter(F).size());
  return F;
}

void TLXStandardPreview::ExportThrough(TLXExportFilter* Filter) {
  if (FPrinter->OnExportToFilter) {
    FPrinter->ExportToFilter(Filter);
  } else if (auto* Stored = dynamic_cast<ILXStoredPagesExport*>(Filter)) {
    WithPageProgress([&] { Stored->ExportStoredPages(FPrinter); });
  } else {
    MessageDlg(SLXExportNeedsReport, mtWarning, MsgButton(mbOK));
  }
}

// The report's own runs show the progress form; a loaded file's pages are walked by the export
// itself, so the printer follows that walk with the same form and its cancel. A cancel leaves no
// file (the exports remove what they had begun) and is no error.
void TLXStandardPreview::WithPageProgress(const std::function<void()>& Export) {
  HWND Status = 0;
  TComponent* Progress = LXProgressWindowFactory ? LXProgressWindowFactory(FPrinter, true, Status) : nullptr;
  TFinally FreeProgress([Progress] {
    if (Progress) Progress->Free();
  });
  HWND Previous = FPrinter->StatusWindow();
  FPrinter->SetStatusWindow(Status);
  TFinally Back([&] { FPrinter->SetStatusWindow(Previous); });
  FPrinter->BeginPageWalk();
  TFinally End([this] { FPrinter->EndPageWalk(); });
  try {
    Export();
  } catch (const EAbort&) {
  }
}

void TLXStandardPreview::SaveClick(TObject*) {
  if (!FPrinter) return;
  TSaveDialog Dialog(nullptr);
  Dialog.SetTitle(SLXSaveTitle);
  int PDFIndex = 0;
  Dialog.SetFilter(SaveDialogFilter(PDFIndex));
  Dialog.SetDefaultExt(SLXReportFileExtension);
  if (!Dialog.Execute()) return;
  // One writer per file: the entry the user picked.
  int Index = Dialog.FilterIndex();
  const std::string& Name = Dialog.FileName();
  if (Index == PDFIndex) {
    // A report that can run again goes through the PDF filter; a loaded file plays its pages.
    std::string Pdf = ChangeFileExt(Name, ".pdf");
    if (FPrinter->OnExportToFilter) ExportToPDF(*FPrinter, Pdf);
    else WithPageProgress([&] { ExportToPDF(*FPrinter, Pdf); });
    return;
  }
  size_t Entry = static_cast<size_t>(Index - 2);
  if (Index >= 2 && ExportFilterLibrary && Entry < ExportFilterLibrary->FilterList().size()) {
    std::unique_ptr<TLXExportFilter> Filter = ExportFilterLibrary->FilterList()[Entry].ExportFilterClass->Create(Name);
    ExportThrough(Filter.get());
    return;
  }
  FPrinter->Save(Name);
}

void TLXStandardPreview::LoadClick(TObject*) {
  if (!FPrinter) return;
  TOpenDialog Dialog(nullptr);
  Dialog.SetTitle(SLXLoadTitle);
  Dialog.SetFilter(std::string(SLXReportFileFilterName) + " (*." + SLXReportFileExtension + ")|*." + SLXReportFileExtension);
  if (!Dialog.Execute()) return;
  if (!FileExists(Dialog.FileName())) {
    ShowMessage(SLXFileDoesNotExist);
    return;
  }
  FPrinter->Load(Dialog.FileName());
  // Page 1 of the new file, on its paper at the zoom mode chosen before.
  LXPreview->PagesReplaced();
  UpdateStatus();
  PrintSetup->SetEnabled(false);
  Print->SetEnabled(true);
}
