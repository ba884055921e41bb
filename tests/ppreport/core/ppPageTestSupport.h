#pragma once
// What the tests of pages, the publisher, devices, the producer and the engine share: a device that
// keeps what it receives, an engine that makes N pages of draw commands, and a report that asks that
// engine for pages the way a real report asks its own.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppProd.h"

namespace pptest {

// Keeps the absolute numbers of the pages it output, and the texts of their first command.
class TTestDevice : public TppDevice {
  DECLARE_CLASSINFO(TTestDevice)
public:
  using TppDevice::TppDevice;
  static std::string DeviceName() { return "TestDevice"; }
  std::vector<int> Received;      // requested, non-message pages, in order
  std::vector<int> Messages;      // message pages
  std::vector<std::string> Texts;  // the first text command of each output page
  int Started = 0, Ended = 0, Cancels = 0;
  void StartJob() override {
    if (!Busy()) ++Started;
    TppDevice::StartJob();
  }
  void EndJob() override {
    if (Busy()) ++Ended;
    TppDevice::EndJob();
  }
  void CancelJob() override {
    ++Cancels;
    TppDevice::CancelJob();
  }
  void ReceivePage(TppPage* Page) override {
    TppDevice::ReceivePage(Page);
    if (IsMessagePage()) {
      Messages.push_back(Page->AbsolutePageNo());
      return;
    }
    if (!IsRequestedPage()) return;
    Received.push_back(Page->AbsolutePageNo());
    for (int I = 0; I < Page->GetDrawCommandCount(); ++I)
      if (auto* T = dynamic_cast<TppDrawText*>(Page->GetDrawCommand(I))) {
        Texts.push_back(T->Text());
        break;
      }
  }
};

// A printer device of the tests: a stackable raster device without a printer.
class TTestPrinterDevice : public TTestDevice {
  DECLARE_CLASSINFO(TTestPrinterDevice)
public:
  using TTestDevice::TTestDevice;
  static std::string DeviceName() { return ppPrinterDeviceName; }
};

// A text-file device of the tests: takes the save-text handler and file type it is given.
class TTestFileDevice : public TppFileDevice {
  DECLARE_CLASSINFO(TTestFileDevice)
public:
  using TppFileDevice::TppFileDevice;
  static std::string DeviceName() { return ppTextFileDeviceName; }
  void SetTextFileType(TppFileType V) override { FileType = V; }
  void SetSaveTextHandler(TppSaveTextEvent H) override { SaveText = std::move(H); }
  TppFileType FileType = ftTab;
  TppSaveTextEvent SaveText;
  std::vector<int> Received;
  void ReceivePage(TppPage* Page) override {
    TppDevice::ReceivePage(Page);
    if (IsMessagePage() || !IsRequestedPage()) return;
    Received.push_back(Page->AbsolutePageNo());
    std::string Line = "page " + std::to_string(Page->AbsolutePageNo());
    if (SaveText) SaveText(this, Line);
  }
};

// An engine of the tests: makes the pages of a report of PageCount pages, each holding a text
// "Page n", a page-of-pages system variable and a shape, from page 1 up to the last page the request
// needs, through the hooks a real engine fires (the report hands each finished page on).
class TTestEngine : public TppCustomEngine {
  DECLARE_CLASSINFO(TTestEngine)
public:
  explicit TTestEngine(TComponent* AOwner, int Pages = 5) : TppCustomEngine(AOwner), PageCount(Pages) { Reset(); }
  ~TTestEngine() override { BeforeDestruction(); }
  int PageCount;
  int Generated = 0;  // pages made over all runs
  bool Calculation = false;
  TComponent* Component = nullptr;  // the text component the commands name

  // Finished pages go to Publisher (what a report does in its page-finished handler).
  void SendTo(TppPublisher& Publisher) {
    OnPageFinished = [this, &Publisher](TObject*) { Publisher.ReceivePage(Page()); };
  }
  // The last page Request needs.
  int LastNeeded(const TppPageRequest& Request) const {
    switch (Request.PageSetting()) {
      case psSinglePage: return std::min(std::max(Request.PageRequested(), 1), PageCount);
      case psFirstPage: return 1;
      case psPageList: {
        int Last = 0;
        for (int I = 0; I < Request.PageList()->Count(); ++I)
          Last = std::max(Last, static_cast<int>(StrToIntDef(Trim(Request.PageList()->Get(I)), 0)));
        return std::min(Last, PageCount);
      }
      default: return PageCount;  // all, the last page, and a range (generated as all pages)
    }
  }
  void MakePage(int No, TppPage& Page) {
    Page.Reset();
    Page.SetAbsolutePageNo(No);
    Page.SetAbsolutePageCount(PageCount);
    Page.SetPageNo(No);
    Page.SetPageCount(PageCount);
    Page.SetFirstPage(No == 1);
    Page.SetLastPage(No == PageCount);
    Page.SetFinal(true);
    Page.SetCalculation(Calculation);
    auto* Text = new TppDrawText(nullptr);
    Text->SetText("Page " + std::to_string(No));
    Text->SetLeft(1000 * No);
    Text->SetComponent(Component);
    Text->SetPage(&Page);
    auto* Var = new TppDrawVar(nullptr);
    Var->SetVarType(vtPageSetDesc);
    Var->SetComponent(Component);
    Var->SetPage(&Page);
    auto* Shape = new TppDrawShape(nullptr);
    Shape->SetWidth(2000);
    Shape->SetPage(&Page);
    ++Generated;
  }

  void Generate(TppPageRequest* Request) override {
    if (Printing() || !Request) return;
    SetPrinting(true);
    SetStopPrinting(false);
    TFinally Done([this] { SetPrinting(false); });
    DoOnInitialize();
    const int Last = LastNeeded(*Request);
    for (int No = 1; No <= Last && !StopPrinting(); ++No) {
      SetAbsolutePageNo(No);
      SetAbsolutePageCount(PageCount);
      DoOnPageStart();
      SetPageStarted(true);
      MakePage(No, *Page());
      DoOnEndPage();
      DoBeforeSendPage();
      DoOnPageFinished();
      DoAfterSendPage();
      SetPageStarted(false);
    }
    SetDonePrinting(true);
  }
  void Reset() override {
    if (Printing()) return;
    Page()->Reset();
    SetAbsolutePageNo(0);
    SetAbsolutePageCount(0);
    ExcludeEngineState(0xFFFF);
    ExcludePrintCondition(0xFFFF);
    SetDonePrinting(false);
    SetStopPrinting(false);
  }
  void Stop() override { SetStopPrinting(true); }
  bool IsFirstUncachedPage() override { return LastPageCached() + 1 == AbsolutePageNo(); }
  bool GetColumnFinished(int) override { return false; }
  bool GetColumnStarted(int) override { return false; }
  TppCustomBand* GetCurrentBand() override { return nullptr; }
  int GetBandListIndex() override { return 0; }
  int32_t GetPageBottom() override { return Page()->PageDef()->mmHeight() - Page()->PageDef()->mmMarginBottom(); }
  void SetColumnFinished(int, bool) override {}
  void SetColumnStarted(int, bool) override {}
  bool IsPageToGenerate() override {
    DoOnGetLastPageCached();
    return AbsolutePageNo() == 0 || AbsolutePageNo() > LastPageCached();
  }
  void ReleaseDataPipelines() override {}
  void Initialize() override { DoOnInitialize(); }
  void ResetPageNumbers(int Count) override { SetAbsolutePageCount(Count); }
  void RestoreDataPipelineStates() override {}
  void AdvanceRecord() override {}
  void NextRecord() override {}
};

// A report in miniature: publishes the producer's settings and generates with a test engine.
class TTestReport : public TppProducer {
  DECLARE_CLASSINFO(TTestReport)
public:
  explicit TTestReport(TComponent* AOwner) : TppProducer(AOwner), Engine(new TTestEngine(this)) {
    Engine->SendTo(*Publisher());
  }
  ~TTestReport() override { BeforeDestruction(); }
  TTestEngine* Engine;  // owned (the report is its owner)
  int Requests = 0;
  // As a report does: the producer's step, then the engine generates while Printing.
  void PageRequestEvent(TObject* Sender, TppPageRequest* Request) override {
    TppProducer::PageRequestEvent(Sender, Request);
    ++Requests;
    SetPrinting(true);
    TFinally Done([this] { SetPrinting(false); });
    Engine->Generate(Request);
  }
  using TppProducer::SetPrinting;
};

inline const TClassInfo& TTestDevice::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TTestDevice>("TTestDevice", &TppDevice::StaticClassInfo());
  return Info;
}

inline const TClassInfo& TTestPrinterDevice::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TTestPrinterDevice>("TTestPrinterDevice", &TTestDevice::StaticClassInfo());
  return Info;
}

inline const TClassInfo& TTestFileDevice::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TTestFileDevice>("TTestFileDevice", &TppFileDevice::StaticClassInfo());
  return Info;
}

inline const TClassInfo& TTestEngine::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TTestEngine>("TTestEngine", &TppCustomEngine::StaticClassInfo());
  return Info;
}

inline const TClassInfo& TTestReport::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassDef<TTestReport> D("TTestReport", &TppProducer::StaticClassInfo());
    PublishProducerProperties(D);
    return TClassInfo(D);
  }();
  return Info;
}

// Registers the test device classes for the life of the object.
struct TTestDeviceClasses {
  TTestDeviceClasses() {
    RegisterDeviceClass<TTestPrinterDevice>();
    RegisterDeviceClass<TTestFileDevice>();
    RegisterClass(TTestReport::StaticClassInfo());
  }
  ~TTestDeviceClasses() {
    UnRegisterClass(TTestReport::StaticClassInfo());
    UnregisterDeviceClass(TTestFileDevice::StaticClassInfo());
    UnregisterDeviceClass(TTestPrinterDevice::StaticClassInfo());
  }
};

}  // namespace pptest
