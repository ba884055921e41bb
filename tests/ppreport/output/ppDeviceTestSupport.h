#pragma once
// What the device tests share: pages made of draw commands handed to a publisher the way a report
// hands them, a cancel dialog that only keeps its status line, virtual printers of the test's own,
// and pixel probes of the pages they print.
#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/ScopeGuard.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppPrinterList.h"
#include "ppreport/core/ppDeviceStatus.h"

namespace ppdevtest {

// A publisher with the pages of a report of Count pages; Fill draws each page's commands. The
// pages come in order up to the last one the request needs, as an engine makes them.
class TPageSource {
public:
  using TFill = std::function<void(int PageNo, TppPage& Page)>;
  TPageSource(int Count, TppPrinterSetup* Setup, TFill Fill)
      : FPublisher(new TppPublisher(nullptr)), FCount(Count), FFill(std::move(Fill)) {
    if (Setup) FSetup.Assign(Setup);
    FPublisher->OnPageRequest = [this](TObject*, TppPageRequest* Request) { Generate(*Request); };
  }
  ~TPageSource() { FPublisher->Free(); }
  TppPublisher& Publisher() { return *FPublisher; }
  // Setups per page (e.g. a turned middle page); else the common setup.
  std::function<void(int PageNo, TppPrinterSetup& Setup)> AdjustSetup;
  // Runs after each page has been handed over (a cancel in the middle, say).
  std::function<void(int PageNo)> AfterPage;
  int Generated = 0;
  // With 2, every page comes first as a page that is not final (a first pass), then final.
  int Passes = 1;

private:
  void Generate(const TppPageRequest& Request) {
    int Last = FCount;
    if (Request.PageSetting() == psSinglePage) Last = std::min(FCount, std::max(1, Request.PageRequested()));
    if (Request.PageSetting() == psFirstPage) Last = 1;
    for (int Pass = 1; Pass <= Passes; ++Pass)
      for (int No = 1; No <= Last; ++No) MakePage(No, Pass == Passes);
  }
  void MakePage(int No, bool Final) {
    {
      TppPage* Page = new TppPage(nullptr);
      TppPrinterSetup S;
      S.Assign(&FSetup);
      if (AdjustSetup) AdjustSetup(No, S);
      Page->SetPrinterSetup(&S);
      Page->SetAbsolutePageNo(No);
      Page->SetAbsolutePageCount(FCount);
      Page->SetPageNo(No);
      Page->SetPageCount(FCount);
      Page->SetFirstPage(No == 1);
      Page->SetLastPage(No == FCount);
      Page->SetFinal(Final);
      Page->SetPassSetting(Passes > 1 ? psTwoPass : psOnePass);
      Page->SetDocumentName(S.DocumentName());
      if (FFill) FFill(No, *Page);
      ++Generated;
      auto Free = TFinally([Page] { Page->Free(); });
      FPublisher->ReceivePage(Page);
      if (AfterPage && Final) AfterPage(No);
    }
  }
  TppPublisher* FPublisher;
  TppPrinterSetup FSetup;
  int FCount;
  TFill FFill;
};

// Device's pages requested from Source's publisher, which the device then lets go of.
inline void RequestPagesFrom(TppDevice& Device, TPageSource& Source) {
  Device.SetPublisher(&Source.Publisher());
  Device.RequestPages();
  Device.SetPublisher(nullptr);
}

// A cancel dialog's status line.
class TStatusDialog : public TComponent, public IppCancelDialogStatus {
public:
  TStatusDialog() : TComponent(nullptr) {}
  std::string StatusText() const override { return Text; }
  void SetStatusText(const std::string& T) override {
    Text = T;
    History.push_back(T);
  }
  std::string Text;
  std::vector<std::string> History;
};

inline bool Dark(const QImage& I, int X, int Y) {
  return X >= 0 && Y >= 0 && X < I.width() && Y < I.height() && qGray(I.pixel(X, Y)) < 128;
}
// The dark pixels of a row from X0 on, up to the first light one after them.
inline int DarkRunX(const QImage& I, int X0, int Y) {
  int X = X0;
  while (X < I.width() && !Dark(I, X, Y)) ++X;
  int N = 0;
  while (Dark(I, X + N, Y)) ++N;
  return N;
}
inline int DarkRunY(const QImage& I, int X, int Y0) {
  int Y = Y0;
  while (Y < I.height() && !Dark(I, X, Y)) ++Y;
  int N = 0;
  while (Dark(I, X, Y + N)) ++N;
  return N;
}
// The bounding box of the pixels that Pick says yes to (empty when none).
inline TRect BoxOf(const QImage& I, const std::function<bool(QRgb)>& Pick) {
  TRect R{I.width(), I.height(), -1, -1};
  for (int Y = 0; Y < I.height(); ++Y) {
    const QRgb* Line = reinterpret_cast<const QRgb*>(I.constScanLine(Y));
    for (int X = 0; X < I.width(); ++X)
      if (Pick(Line[X])) {
        R.Left = std::min(R.Left, X);
        R.Top = std::min(R.Top, Y);
        R.Right = std::max(R.Right, X + 1);
        R.Bottom = std::max(R.Bottom, Y + 1);
      }
  }
  return R.Right < 0 ? TRect{} : R;
}
inline bool IsRed(QRgb P) { return qRed(P) > 200 && qGreen(P) < 60 && qBlue(P) < 60; }

}  // namespace ppdevtest
