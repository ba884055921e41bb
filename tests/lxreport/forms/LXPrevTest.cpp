#include "lxreport/forms/LXPrev.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "lxreport/LXConsts.h"
#include "lxreport/LXExport.h"
#include "lxreport/LXGridFilters.h"
#include "lxreport/LXPDFFilter.h"
#include "lxreport/forms/LXProgress.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/app/Application.h"
#include "platform/app/Dialogs.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/Printers.h"
#include "tests/TestTemp.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace {
std::vector<char> ReadAll(const std::string& F) {
  std::ifstream In(F, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), {}};
}

class LXStandardPreviewTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetSystemPrintersEnabled(false);
    auto Service = std::make_unique<TScriptedDialogService>();
    Dialogs = Service.get();
    Scope = std::make_unique<TDialogServiceScope>(std::move(Service));
  }
  void TearDown() override {
    Window.reset();
    Scope.reset();
    FreeGlobalPrinter();
  }
  // A finished printer of Pages pages (page N black over N cm at the top), and a window on it.
  void Open(int Pages) {
    Printer.BeginDoc();
    for (int N = 1; N <= Pages; ++N) {
      Printer.NewPage();
      Printer.Canvas()->Brush().SetColor(clBlack);
      Printer.Canvas()->FillRect(Rect(0, 0, Printer.XPos(N * 100), Printer.YPos(100)));
    }
    Printer.EndDoc();
    Window.reset(new TLXStandardPreview(nullptr, &Printer));
    Window->UpdateStatus();
  }
  std::string StatusText() const { return Window->StatusBar->Panels()[1]->Text(); }
  std::string SaveFile(int Pages, const std::string& Name) {
    TLXPrinter P;
    P.BeginDoc();
    for (int N = 0; N < Pages; ++N) P.NewPage();
    P.EndDoc();
    std::string F = Temp.Path(Name);
    P.Save(F);
    return F;
  }

  TTestTempFiles Temp;
  TScriptedDialogService* Dialogs = nullptr;
  std::unique_ptr<TDialogServiceScope> Scope;
  TLXPrinter Printer;
  std::unique_ptr<TLXStandardPreview, TComponentDeleter> Window;
};
}  // namespace

TEST_F(LXStandardPreviewTest, BuildsTheToolBarStatusAndZoomAsCreated) {
  Open(3);
  EXPECT_EQ(Window->Caption(), SLXPreviewCaption);
  EXPECT_EQ(Window->ToolBar1->ButtonCount(), 13);
  EXPECT_EQ(Window->ZoomFit->Caption(), "Ajustar");
  EXPECT_EQ(Window->LoadReport->Hint(), "Abrir ");
  EXPECT_EQ(Window->ToolButton1->ImageIndex(), -1);
  EXPECT_EQ(Window->Images->Count(), 12) << "every button but Fechar has its picture";
  EXPECT_TRUE(Window->ZoomToWidth->Down());
  EXPECT_EQ(Window->LXPreview->ZoomState(), lxzFitPage) << "fits the page while Largura shows pressed";
  EXPECT_FALSE(Window->PrintSetup->Enabled());
  EXPECT_TRUE(Window->Print->Enabled());
  EXPECT_EQ(Window->StatusBar->Panels()[0]->Text(), "0%");
  EXPECT_EQ(StatusText(), "Page 1 of 3");
  EXPECT_EQ(Window->WindowState(), wsMaximized);
  Printer.SetTitle("Vendas");
  std::unique_ptr<TLXStandardPreview, TComponentDeleter> Titled(new TLXStandardPreview(nullptr, &Printer));
  EXPECT_EQ(Titled->Caption(), "Vendas");
  // A report's pages finished before the window opened: no page will be announced any more, so
  // "Configurar" comes with "Imprimir" at once.
  Printer.OnPrintSetup = [] {};
  std::unique_ptr<TLXStandardPreview, TComponentDeleter> OfAReport(new TLXStandardPreview(nullptr, &Printer));
  EXPECT_TRUE(OfAReport->Print->Enabled());
  EXPECT_TRUE(OfAReport->PrintSetup->Enabled());
}

TEST_F(LXStandardPreviewTest, FilterComponentsJoinTheLibraryWhileTheWindowExists) {
  size_t Before = ExportFilterLibrary->FilterList().size();
  Open(1);
  std::vector<std::string> Names;
  for (size_t I = Before; I < ExportFilterLibrary->FilterList().size(); ++I)
    Names.push_back(ExportFilterLibrary->FilterList()[I].Extension);
  EXPECT_EQ(Names, (std::vector<std::string>{"XLS", "RTF", "WMF", "CSV", "TXT", "HTM"}));
  ASSERT_TRUE(Window->LXCSVFilter1);
  EXPECT_EQ(static_cast<TLXCSVFilter*>(Window->LXCSVFilter1)->Separator(), ',');
  Window.reset();
  EXPECT_EQ(ExportFilterLibrary->FilterList().size(), Before);
}

TEST_F(LXStandardPreviewTest, KeysAndButtonsNavigate) {
  Open(5);
  struct Step {
    int Key;
    Qt::KeyboardModifiers Mods;
    int Page;
  } Steps[] = {{Qt::Key_PageDown, Qt::ControlModifier, 5},
               {Qt::Key_Home, Qt::NoModifier, 1},
               {Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier, 2},  // not Ctrl alone: next
               {Qt::Key_End, Qt::NoModifier, 5},
               {Qt::Key_PageDown, Qt::NoModifier, 5},  // past the end: stays
               {Qt::Key_PageUp, Qt::NoModifier, 4},
               {Qt::Key_PageUp, Qt::ControlModifier, 1},
               {Qt::Key_PageUp, Qt::NoModifier, 1}};
  for (const Step& S : Steps) {
    SendKey(Window.get(), S.Key, S.Mods);
    EXPECT_EQ(Window->LXPreview->PageNumber(), S.Page) << S.Key;
    EXPECT_EQ(StatusText(), "Page " + std::to_string(S.Page) + " of 5");
  }
  Window->ToolButton2->Click();
  Window->ToolButton2->Click();
  EXPECT_EQ(Window->LXPreview->PageNumber(), 3);
  Window->PreviousPage->Click();
  Window->LastPage->Click();
  EXPECT_EQ(Window->LXPreview->PageNumber(), 5);
  Window->FirstPage->Click();
  EXPECT_EQ(Window->LXPreview->PageNumber(), 1);

  // Esc closes the window, which tells the printer and frees itself.
  Window->Show();
  HWND H = Window->Handle();
  SendKey(Window.get(), Qt::Key_Escape);
  Application->ProcessMessages();
  EXPECT_FALSE(IsWindow(H));
  Window.release();
  EXPECT_FALSE(Printer.ShowingPreview());
}

TEST_F(LXStandardPreviewTest, GoToPromptTakesOnlyPagesOfTheReport) {
  Open(4);
  struct Case {
    const char* Typed;  // null: cancelled
    int Page;
  } Cases[] = {{"3", 3}, {"0", 1}, {"5", 1}, {nullptr, 1}, {"abc", 1}, {" 4 ", 4}};
  for (const Case& C : Cases) {
    Window->GoToPage(2);
    if (C.Typed)
      Dialogs->Accept<TInputRequest>([&](TInputRequest& R) { R.Value = C.Typed; });
    else
      Dialogs->Cancel();
    Window->ToolButton3->Click();
    EXPECT_EQ(Window->LXPreview->PageNumber(), C.Page) << (C.Typed ? C.Typed : "cancelled");
  }
  const auto& R = Dialogs->LastCall<TInputRequest>();
  EXPECT_EQ(R.Caption, "Selecione pagina de 1 para 4");
  EXPECT_EQ(R.Prompt, "Ir para pagina >>");
  EXPECT_EQ(R.Value, "1");
}

TEST_F(LXStandardPreviewTest, ProgressPanelAndWheel) {
  Open(2);
  TStatusPanel* P = Window->StatusBar->Panels()[0];
  std::vector<std::pair<int, std::string>> Steps = {{3, "0%"}, {4, "0%"}, {5, "5%"}, {9, "5%"}, {12, "12%"}, {100, ""}};
  for (auto& [Progress, Text] : Steps) {
    PostMessage(Window->LXPreview->Handle(), WM_LXPROGRESS, static_cast<WPARAM>(Progress), 0);
    Application->ProcessMessages();
    EXPECT_EQ(P->Text(), Text) << Progress;
  }
  EXPECT_EQ(Window->LastProgress(), 100);

  Window->SetBounds(0, 0, 500, 400);
  Window->LXPreview->SetZoom(200);
  TControlScrollBar* Bar = Window->LXPreview->VertScrollBar();
  Bar->SetPosition(500);
  // A notch: the desktop's scroll lines, each a line of the bar as the desktop counts it.
  int Step = Window->ScrollLines() * Bar->Increment();
  EXPECT_EQ(Window->ScrollLines(), TLXPreview::DesktopScrollLines());
  EXPECT_GE(Step, 3 * 20);
  struct Case {
    int Delta, Moved;
  } Cases[] = {{240, -2 * Step}, {100, 0}, {-120, Step}, {-359, 2 * Step}};
  for (const Case& C : Cases) {
    int Before = Bar->Position();
    SendWheel(Window->LXPreview, C.Delta);
    EXPECT_EQ(Bar->Position() - Before, C.Moved) << C.Delta;
  }
}

TEST_F(LXStandardPreviewTest, SavesTheReportFileOnceAndByteForByte) {
  std::string Source = SaveFile(3, "source.lxp");
  Open(1);
  Printer.Load(Source);
  std::string Copy = Temp.Path("copy.LXP");
  Dialogs->Accept<TFileDialogData>([&](TFileDialogData& D) {
    D.FileName = Copy;
    D.FilterIndex = 1;
  });
  Window->SaveReport->Click();
  EXPECT_EQ(ReadAll(Copy), ReadAll(Source));
  const auto& D = Dialogs->LastCall<TFileDialogData>();
  EXPECT_TRUE(D.Save);
  EXPECT_EQ(D.Title, "Save report");
  EXPECT_EQ(D.DefaultExt, "LXP");
  EXPECT_EQ(D.Filter.rfind("VexaReport file(*.LXP)|*.LXP", 0), 0u);
}

TEST_F(LXStandardPreviewTest, OpensASavedFileAtTheZoomModeChosen) {
  std::string Landscape;
  {
    TLXPrinter P;
    P.SetPaperSize(TLXPaperSize::A4);
    P.SetOrientation(1);
    P.BeginDoc();
    P.NewPage();
    P.NewPage();
    P.EndDoc();
    Landscape = Temp.Path("landscape.lxp");
    P.Save(Landscape);
  }
  Open(3);
  Window->SetBounds(0, 0, 700, 500);
  Window->ZoomToWidth->Click();
  Window->GoToPage(3);
  int PortraitZoom = Window->LXPreview->Zoom();
  Dialogs->Accept<TFileDialogData>([&](TFileDialogData& D) { D.FileName = Landscape; });
  Window->LoadReport->Click();
  EXPECT_EQ(Dialogs->LastCall<TFileDialogData>().Filter, "VexaReport file (*.LXP)|*.LXP");
  EXPECT_EQ(Window->LXPreview->PageNumber(), 1);
  EXPECT_TRUE(Window->LXPreview->PreviewImage()->ImageOK());
  EXPECT_EQ(StatusText(), "Page 1 of 2");
  EXPECT_FALSE(Window->PrintSetup->Enabled());
  EXPECT_TRUE(Window->Print->Enabled());
  EXPECT_EQ(Window->LXPreview->ZoomState(), lxzFitWidth);
  EXPECT_LT(Window->LXPreview->Zoom(), PortraitZoom) << "the wider paper is fitted again";

  Dialogs->Accept<TFileDialogData>([&](TFileDialogData& D) { D.FileName = Temp.Path("none.lxp"); });
  Dialogs->Answer(mrOk);
  Window->LoadReport->Click();
  EXPECT_EQ(Dialogs->LastCall<TMessageRequest>().Text, "File does not exist");
  EXPECT_EQ(StatusText(), "Page 1 of 2");
}

// The window attached while the report runs: pages and progress arrive as the printer posts them.
TEST_F(LXStandardPreviewTest, FollowsAReportWhileItIsGenerated) {
  Window.reset(new TLXStandardPreview(nullptr, &Printer));
  EXPECT_FALSE(Window->Print->Enabled());
  Printer.BeginDoc();
  Printer.NewPage();
  Printer.NewPage();  // page 1 finished
  Printer.SetProgress(40);
  Application->ProcessMessages();
  EXPECT_EQ(Window->StatusBar->Panels()[0]->Text(), "40%");
  EXPECT_TRUE(Window->LXPreview->PreviewImage()->ImageOK()) << "page 1 shows as soon as it is there";
  EXPECT_FALSE(Window->Print->Enabled());
  EXPECT_FALSE(Window->PrintSetup->Enabled());
  Printer.EndDoc();
  Application->ProcessMessages();
  EXPECT_TRUE(Window->Print->Enabled());
  EXPECT_TRUE(Window->PrintSetup->Enabled());
  EXPECT_EQ(StatusText(), "Page 1 of 2");
}

namespace {
// Filters that only record what happened to them.
struct TExportLog {
  static inline std::vector<std::string> Events;
};
class TAlphaFilter : public TLXExportFilter {
public:
  using TLXExportFilter::TLXExportFilter;
  std::string GetFilterName() const override { return "Alpha"; }
  std::string GetExtension() const override { return "aaa"; }
};
class TBetaFilter : public TLXExportFilter, public ILXStoredPagesExport {
public:
  using TLXExportFilter::TLXExportFilter;
  std::string GetFilterName() const override { return "Beta"; }
  std::string GetExtension() const override { return "bbb"; }
  void ExportStoredPages(TLXPrinter* P) override {
    TExportLog::Events.push_back("stored " + std::to_string(P->PageCount()) + " " + FileName());
  }
};
}  // namespace

// Each file is written once, by the entry picked; the PDF entry is wherever the text puts it; a loaded
// file is exported only by filters that can write stored pages.
TEST_F(LXStandardPreviewTest, ExportsThroughTheEntryPickedOnce) {
  AddExportFilter(ExportFilterClassOf<TAlphaFilter>());
  AddExportFilter(ExportFilterClassOf<TBetaFilter>());
  TFinally Remove([] {
    RemoveExportFilter(ExportFilterClassOf<TAlphaFilter>());
    RemoveExportFilter(ExportFilterClassOf<TBetaFilter>());
  });
  TExportLog::Events.clear();
  Open(2);
  Printer.OnExportToFilter = [](TLXExportFilter* F) {
    TExportLog::Events.push_back("run " + F->GetFilterName() + " " + F->FileName());
  };
  int PDFIndex = 0;
  std::string Filter = Window->SaveDialogFilter(PDFIndex);
  EXPECT_EQ(Filter.rfind("VexaReport file(*.LXP)|*.LXP|Alpha (*.aaa)|*.aaa|Beta (*.bbb)|*.bbb|", 0), 0u) << Filter;
  const std::string PdfTail = ";*.pdf|Formato de Documento portavel (PDF)";
  EXPECT_EQ(Filter.substr(Filter.size() - PdfTail.size()), PdfTail);
  // The report file, every library entry (the window's filter components among them), then PDF.
  EXPECT_EQ(PDFIndex, 2 + static_cast<int>(ExportFilterLibrary->FilterList().size()));
  std::string Dir = Temp.Path("out");
  struct Case {
    int Index;
    std::string Name, Event;
  } Cases[] = {{2, Dir + ".bbb", "run Alpha " + Dir + ".bbb"},  // the index decides, not the extension
               {3, Dir + ".bbb", "run Beta " + Dir + ".bbb"},
               {PDFIndex, Dir + ".LXP", "run " + TLXPDFDocumentFilter("").GetFilterName() + " " + Dir + ".pdf"}};
  for (const Case& C : Cases) {
    TExportLog::Events.clear();
    Dialogs->Accept<TFileDialogData>([&](TFileDialogData& D) {
      D.FileName = C.Name;
      D.FilterIndex = C.Index;
    });
    Window->SaveReport->Click();
    EXPECT_EQ(TExportLog::Events, std::vector<std::string>{C.Event}) << C.Index;
    EXPECT_FALSE(FileExists(C.Name)) << "no report file besides the export";
  }

  // A loaded file: its report is not there to run again.
  std::string Loaded = SaveFile(3, "loaded.lxp");
  Dialogs->Accept<TFileDialogData>([&](TFileDialogData& D) { D.FileName = Loaded; });
  Window->LoadReport->Click();
  ASSERT_FALSE(Printer.OnExportToFilter);
  TExportLog::Events.clear();
  Dialogs->Accept<TFileDialogData>([&](TFileDialogData& D) {
    D.FileName = Dir + ".aaa";
    D.FilterIndex = 2;
  });
  Dialogs->Answer(mrOk);
  Window->SaveReport->Click();
  EXPECT_EQ(Dialogs->LastCall<TMessageRequest>().Text, SLXExportNeedsReport);
  EXPECT_FALSE(FileExists(Dir + ".aaa"));
  Dialogs->Accept<TFileDialogData>([&](TFileDialogData& D) {
    D.FileName = Dir + ".bbb";
    D.FilterIndex = 3;
  });
  Window->SaveReport->Click();
  EXPECT_EQ(TExportLog::Events, std::vector<std::string>{"stored 3 " + Dir + ".bbb"});
  Dialogs->Accept<TFileDialogData>([&](TFileDialogData& D) {
    D.FileName = Dir + ".LXP";
    D.FilterIndex = PDFIndex;
  });
  Window->SaveReport->Click();
  Temp.Adopt(Dir + ".pdf");
  EXPECT_TRUE(FileExists(Dir + ".pdf")) << "the loaded file's pages played into the PDF";
}

namespace {
// Looks at the open progress form whenever the export processes messages (it posts itself again),
// and presses its cancel button when asked to.
class TProgressWatcher : public TMessageTarget {
public:
  TLXPrinter* Printer = nullptr;
  bool CancelIt = false, Seen = false;
  int Highest = -1;
  void Start() { PostMessage(Handle(), WM_USER + 7, 0, 0); }

protected:
  void WndProc(TMessage&) override {
    for (int I = 0; I < Screen().FormCount(); ++I)
      if (auto* F = dynamic_cast<TLXProgressForm*>(Screen().Forms(I)); F && F->Printer() == Printer) {
        Seen = true;
        Highest = std::max(Highest, F->Gauge->Position());
        if (CancelIt) {
          F->CancelButton->Click();
          return;
        }
      }
    Start();
  }
};
}  // namespace

// A loaded file's pages played into a PDF show the progress form with its cancel, as the report's
// runs do; a cancel leaves no file and no message.
TEST_F(LXStandardPreviewTest, ExportingALoadedFileShowsProgressAndCanBeCancelled) {
  std::string Loaded = SaveFile(40, "forty.lxp");
  Open(1);
  Printer.Load(Loaded);
  int PDFIndex = 0;
  Window->SaveDialogFilter(PDFIndex);
  std::string Pdf = Temp.Path("forty.pdf");
  for (bool Cancel : {true, false}) {
    Dialogs->Calls.clear();
    Dialogs->Accept<TFileDialogData>([&](TFileDialogData& D) {
      D.FileName = Pdf;
      D.FilterIndex = PDFIndex;
    });
    TProgressWatcher Watcher;
    Watcher.Printer = &Printer;
    Watcher.CancelIt = Cancel;
    Watcher.Start();
    Window->SaveReport->Click();
    EXPECT_TRUE(Watcher.Seen) << Cancel;
    EXPECT_EQ(Dialogs->Calls.size(), 1u) << "the save dialog only: a cancel is no error";
    EXPECT_EQ(FileExists(Pdf), !Cancel);
    if (!Cancel) EXPECT_GE(Watcher.Highest, 50);
    EXPECT_EQ(Printer.StatusWindow(), Window->LXPreview->Handle()) << "the preview hears the printer again";
    for (int I = 0; I < Screen().FormCount(); ++I)
      EXPECT_EQ(dynamic_cast<TLXProgressForm*>(Screen().Forms(I)), nullptr) << "the progress form is gone";
  }
}
