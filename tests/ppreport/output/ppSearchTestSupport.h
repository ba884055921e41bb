#pragma once
// What the text search tests (and the search benchmark) share: a report whose test engine fills
// its pages with texts of the test's own, and a viewer without widgets that shows its pages on a
// screen device, as the page viewer does, for the search engines to search.
#include <functional>
#include <string>

#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/generation/ppRichTxDrwCmd.h"
#include "ppreport/output/ppTextSearchRichTextHighlighter.h"
#include "ppreport/output/ppTextSearchCustomEngine.h"
#include "ppreport/output/ppViewr.h"
#include "tests/ppreport/core/ppPageTestSupport.h"

namespace ppsearchtest {

// The highlighters of text and rich text commands, for the life of the object (the search panel's
// start-up registers them in the program).
struct THighlighters {
  THighlighters() {
    TppTextSearchDrawCommandHighlightRegistry::Register<TppDrawText, TppTextSearchSelectionHighlighter>();
    TppTextSearchDrawCommandHighlightRegistry::Register<TppDrawRichText, TppTextSearchRichTextHighlighter>();
  }
  ~THighlighters() {
    TppTextSearchDrawCommandHighlightRegistry::UnRegister<TppDrawRichText, TppTextSearchRichTextHighlighter>();
    TppTextSearchDrawCommandHighlightRegistry::UnRegister<TppDrawText, TppTextSearchSelectionHighlighter>();
  }
};

// A text command at a place on the page.
inline TppDrawText* AddText(TppPage& Page, const std::string& S, int32_t Left, int32_t Top) {
  auto* T = new TppDrawText(nullptr);
  T->SetText(S);
  T->SetLeft(Left);
  T->SetTop(Top);
  T->SetWidth(80000);
  T->SetHeight(5000);
  T->SetPage(&Page);
  return T;
}

// A report of Pages pages; Fill adds each page's commands as the engine makes it. Pages are cached
// by the publisher unless Cache is false.
struct TSearchReport {
  using TFill = std::function<void(int PageNo, TppPage& Page)>;
  pptest::TTestReport* Report = new pptest::TTestReport(nullptr);
  TFill Fill;
  TSearchReport(int Pages, TFill F, bool Cache = true) : Fill(std::move(F)) {
    Report->Engine->PageCount = Pages;
    Report->Engine->OnEndPage = [this](TObject*) {
      if (Fill) Fill(Report->Engine->AbsolutePageNo(), *Report->Engine->Page());
    };
    Report->Publisher()->SetCachePages(Cache);
  }
  ~TSearchReport() { Report->Free(); }
  TSearchReport(const TSearchReport&) = delete;
  TSearchReport& operator=(const TSearchReport&) = delete;
  TppPublisher& Publisher() { return *Report->Publisher(); }
  int Generated() const { return Report->Engine->Generated; }
};

// A viewer as the screen device and the search engines see it: its own screen device on the
// report's publisher, at 100 %, and a walkie-talkie that goes first when it is freed.
class TSearchView : public IppScreenView, public IppSearchViewer {
public:
  explicit TSearchView(TSearchReport& R) : FDevice(new TppScreenDevice(nullptr)), FTalkie(new TppCommunicator(nullptr)) {
    FDevice->SetViewer(this);
    FDevice->SetPublisher(&R.Publisher());
    FDevice->RequestPages();  // the first page
  }
  ~TSearchView() {
    if (FTalkie) FTalkie->Free();
    FDevice->SetPublisher(nullptr);
    FDevice->Free();
  }
  TSearchView(const TSearchView&) = delete;
  TSearchView& operator=(const TSearchView&) = delete;

  // ---- the screen device's view
  TppZoomSettingType ZoomSetting() const override { return zs100Percent; }
  int ZoomPercentage() const override { return 100; }
  TSize ViewSize() const override { return TSize{900, 1200}; }
  TColor PageColor() const override { return clWhite; }
  bool ViewEnabled() const override { return true; }
  TppProducer* ViewReport() const override { return nullptr; }
  void ClearViewReport() override {}
  void DeviceStatusChanged() override {}
  void DevicePageShown() override { ++PagesShown; }
  void DeviceRepaint() override {}
  void DeviceRectChanged(const TRect&) override {}
  void DeviceReportGone() override {}

  // ---- the search engines' viewer
  TppScreenDevice* ScreenDevice() const override { return FDevice; }
  TppCommunicator* WalkieTalkie() const override { return FTalkie; }
  TppPage* GetCurrentPage() const override { return FDevice->Page(); }
  void GotoPage(int PageNo) override { FDevice->GotoPage(PageNo); }
  TSize SearchViewerSize() const override { return TSize{900, 1200}; }

  int PageNo() const { return FDevice->GetAbsolutePageNo(); }
  // The walkie-talkie goes as the viewer's does when the viewer is freed.
  void FreeWalkieTalkie() {
    FTalkie->Free();
    FTalkie = nullptr;
  }
  int PagesShown = 0;

private:
  TppScreenDevice* FDevice;
  TppCommunicator* FTalkie;
};

}  // namespace ppsearchtest
