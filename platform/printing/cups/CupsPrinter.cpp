#include "platform/printing/cups/CupsPrinter.h"

#include <cups/cups.h>

#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/classes/ScopeGuard.h"
#include "platform/classes/SyncObjs.h"
#include "platform/classes/TempFiles.h"
#include "platform/graphics/QtPainterDC.h"
#include "platform/printing/PaperSizes.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/Printers.h"
#include "platform/printing/PrintingConsts.h"
#include "platform/printing/cups/QtPrinterMode.h"

namespace {
int BinCodeForKeyword(const std::string& K, int& NextUser) {
  if (K == "auto") return DMBIN_AUTO;
  if (K == "manual") return DMBIN_MANUAL;
  if (K == "top" || K == "tray-1" || K == "main") return DMBIN_UPPER;
  if (K == "bottom" || K == "tray-2") return DMBIN_LOWER;
  if (K == "middle") return DMBIN_MIDDLE;
  if (K == "envelope") return DMBIN_ENVELOPE;
  if (K == "large-capacity") return DMBIN_LARGECAPACITY;
  return NextUser++;
}

int Tenths(double Millimetres) { return static_cast<int>(std::lround(Millimetres * 10.0)); }

// One driver per queue, shared by every thread that prints to it (a background job beside the
// foreground): its cached lists and capabilities and Qt's printer information, which loads lazily,
// are used under the driver's lock.
class TCupsPrinter : public TPrinterDriver {
public:
  explicit TCupsPrinter(const QPrinterInfo& Info) : FInfo(Info), FName(Info.printerName().toStdString()) {}

  std::string Name() const override { return FName; }
  std::string DriverName() const override {
    TLock Guard(FLock);
    return FInfo.makeAndModel().toStdString();
  }
  std::string PortName() const override { return DestOption("device-uri"); }

  TDeviceMode DefaultDeviceMode() override {
    TLock Guard(FLock);
    TDeviceMode M;
    M.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_COLLATE | DM_COLOR;
    M.PaperSize = static_cast<int16_t>(CodeOf(FInfo.defaultPageSize()));
    auto Modes = FInfo.supportedDuplexModes();
    if (Modes.contains(QPrinter::DuplexLongSide) || Modes.contains(QPrinter::DuplexShortSide)) M.Fields |= DM_DUPLEX;
    switch (FInfo.defaultDuplexMode()) {
      case QPrinter::DuplexLongSide: M.Duplex = DMDUP_VERTICAL; break;
      case QPrinter::DuplexShortSide: M.Duplex = DMDUP_HORIZONTAL; break;
      default: M.Duplex = DMDUP_SIMPLEX; break;
    }
    auto B = Bins();
    if (!B.empty()) {
      M.Fields |= DM_DEFAULTSOURCE;
      M.DefaultSource = static_cast<int16_t>(B.front().Code);
    }
    M.Color = IsColor() ? 2 : 1;
    return M;
  }

  std::vector<TPaperInfo> Papers() override {
    TLock Guard(FLock);
    if (FPapers) return *FPapers;
    std::vector<TPaperInfo> L;
    for (const QPageSize& S : FInfo.supportedPageSizes()) {
      int Code = CodeOf(S);
      bool Seen = false;
      for (const auto& P : L) Seen = Seen || P.Code == Code;
      if (Seen) continue;
      QSizeF Mm = S.size(QPageSize::Millimeter);
      L.push_back({Code, S.name().toStdString(), Tenths(Mm.width()), Tenths(Mm.height())});
    }
    FPapers = L;
    return L;
  }

  std::vector<TBinInfo> Bins() override {
    TLock Guard(FLock);
    if (FBins) return *FBins;
    std::vector<TBinInfo> L;
    cups_dest_t* Dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, FName.c_str(), nullptr);
    cups_dinfo_t* Info = Dest ? cupsCopyDestInfo(CUPS_HTTP_DEFAULT, Dest) : nullptr;
    TFinally Free([&] {
      if (Info) cupsFreeDestInfo(Info);
      if (Dest) cupsFreeDests(1, Dest);
    });
    if (Info) {
      if (ipp_attribute_t* A = cupsFindDestSupported(CUPS_HTTP_DEFAULT, Dest, Info, "media-source")) {
        int NextUser = DMBIN_USER + 1;
        for (int I = 0; I < ippGetCount(A); ++I) {
          const char* K = ippGetString(A, I, nullptr);
          if (!K) continue;
          L.push_back({BinCodeForKeyword(K, NextUser), K});
        }
      }
    }
    FBins = L;
    return L;
  }

  TDeviceCaps DeviceCaps(const TDeviceMode& Mode) override {
    TLock Guard(FLock);
    if (FCapsMode && *FCapsMode == Mode) return FCaps;
    QPrinter P(FInfo, QPrinter::HighResolution);
    Configure(P, Mode);
    int Res = P.resolution();
    QPageLayout L = P.pageLayout();
    QRect Full = L.fullRectPixels(Res), Paint = L.paintRectPixels(Res);
    TDeviceCaps C;
    C.PixelsPerInchX = C.PixelsPerInchY = Res;
    C.PhysicalWidth = Full.width();
    C.PhysicalHeight = Full.height();
    C.PhysicalOffsetX = Paint.left();
    C.PhysicalOffsetY = Paint.top();
    C.PageWidth = Paint.width();
    C.PageHeight = Paint.height();
    C.IsColor = IsColor();
    FCapsMode = Mode;
    FCaps = C;
    return C;
  }

  std::unique_ptr<TPrintJob> StartDoc(const TDeviceMode& Mode, const std::string& Title) override;

  // Applies a device mode to a Qt printer set up for this queue: the sheet as this queue resolves
  // it (its papers, its defaults) and the mode's other fields but the bin, which is not passed to
  // CUPS jobs (README); between pages only the sheet.
  void Configure(QPrinter& P, const TDeviceMode& Mode, bool SheetOnly = false) {
    TLock Guard(FLock);
    TDeviceMode Defaults = DefaultDeviceMode();
    int W, H;
    ResolveSheet(Mode, Papers(), Defaults, W, H);
    TDeviceMode Sheet = Mode;
    Sheet.Orientation = Mode.Has(DM_ORIENTATION) ? Mode.Orientation : Defaults.Orientation;
    if (Sheet.Orientation == DMORIENT_LANDSCAPE) std::swap(W, H);  // the paper itself, portrait
    Sheet.PaperWidth = static_cast<int16_t>(W);
    Sheet.PaperLength = static_cast<int16_t>(H);
    Sheet.Fields |= DM_ORIENTATION | DM_PAPERWIDTH | DM_PAPERLENGTH;
    Sheet.Fields &= ~DM_DEFAULTSOURCE;
    if (SheetOnly) Sheet.Fields &= DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
    DeviceModeToQPrinter(Sheet, P);
  }

private:
  // Qt knows the Windows number of most sizes; others get numbers from 257 on.
  int CodeOf(const QPageSize& S) {
    if (int Id = S.windowsId(); Id > 0 && Id < DMPAPER_USER) return Id;
    QSizeF Mm = S.size(QPageSize::Millimeter);
    if (int Code = PaperCodeForSize(Tenths(Mm.width()), Tenths(Mm.height()), 2)) return Code;
    auto Key = S.key().toStdString();
    for (size_t I = 0; I < FUserPapers.size(); ++I)
      if (FUserPapers[I] == Key) return DMPAPER_USER + 1 + static_cast<int>(I);
    FUserPapers.push_back(Key);
    return DMPAPER_USER + static_cast<int>(FUserPapers.size());
  }

  std::string DestOption(const char* Name) const {
    std::string V;
    if (cups_dest_t* D = cupsGetNamedDest(CUPS_HTTP_DEFAULT, FName.c_str(), nullptr)) {
      if (const char* T = cupsGetOption(Name, D->num_options, D->options)) V = T;
      cupsFreeDests(1, D);
    }
    return V;
  }

  bool IsColor() {
    TLock Guard(FLock);
    if (!FColor) {
      std::string T = DestOption("printer-type");
      FColor = T.empty() || (std::strtoul(T.c_str(), nullptr, 10) & CUPS_PRINTER_COLOR) != 0;
    }
    return *FColor;
  }

  mutable TCriticalSection FLock;  // re-entrant: the operations call one another
  QPrinterInfo FInfo;
  std::string FName;
  std::optional<std::vector<TPaperInfo>> FPapers;
  std::optional<std::vector<TBinInfo>> FBins;
  std::optional<bool> FColor;
  std::vector<std::string> FUserPapers;
  std::optional<TDeviceMode> FCapsMode;
  TDeviceCaps FCaps;
};

// A job is drawn into a spool file of its own and handed to CUPS only when it has ended whole:
// Qt's CUPS engine cannot abort a job, and ending its painter would send whatever was drawn.
// So a job that fails or is cancelled half-way never reaches the queue.
class TCupsJob : public TPrintJob {
public:
  TCupsJob(TCupsPrinter& Driver, const QPrinterInfo& Info, const TDeviceMode& Mode, const std::string& Title)
      : FDriver(Driver), FPrinter(Info, QPrinter::HighResolution), FQueue(Info.printerName().toStdString()),
        FTitle(Title) {
    FDriver.Configure(FPrinter, Mode);
    FPrinter.setDocName(QString::fromStdString(Title));
    FPrinter.setFullPage(false);
    // A name without ".pdf" keeps Qt's CUPS engine (the queue's margins and papers), writing to the file.
    FSpool = GetTempFileName(GetTempPath(), "mivo-print-");
    TOnException Drop([this] { std::remove(FSpool.c_str()); });
    FPrinter.setOutputFileName(QString::fromStdString(FSpool));
    FOptions = JobOptions(FPrinter);
    if (!FPainter.begin(&FPrinter)) throw EPrinter(SInvalidPrinter);
    StartPage(Mode);
  }
  ~TCupsJob() override {
    if (FPainter.isActive()) Abort();
    if (!FSpool.empty()) std::remove(FSpool.c_str());
  }
  TDeviceContext& DeviceContext() override { return *FDC; }
  void NewPage(const TDeviceMode& Mode) override {
    FDC.reset();
    FDriver.Configure(FPrinter, Mode, true);
    FPrinter.newPage();
    StartPage(Mode);
  }
  void End() override {
    FDC.reset();
    TFinally Drop([this] {
      std::remove(FSpool.c_str());
      FSpool.clear();
    });
    bool Ended = FPainter.end();
    if (!Ended || !SpoolComplete()) throw EPrinter(Format(SPrintSpoolFailed, {FQueue}));
    Submit();
  }
  void Abort() override {
    FDC.reset();
    if (FPainter.isActive()) FPainter.end();  // only closes the spool file
    std::remove(FSpool.c_str());
    FSpool.clear();
  }

private:
  // The options Qt's CUPS engine would give the job, taken from the job's first page.
  static std::vector<std::pair<std::string, std::string>> JobOptions(const QPrinter& P) {
    std::vector<std::pair<std::string, std::string>> O;
    QPageLayout Layout = P.pageLayout();
    O.emplace_back("media", Layout.pageSize().key().toStdString());
    if (P.copyCount() > 1) {
      O.emplace_back("copies", std::to_string(P.copyCount()));
      if (P.collateCopies()) O.emplace_back("Collate", "True");
    }
    switch (P.duplex()) {
      case QPrinter::DuplexLongSide: O.emplace_back("sides", "two-sided-long-edge"); break;
      case QPrinter::DuplexShortSide: O.emplace_back("sides", "two-sided-short-edge"); break;
      case QPrinter::DuplexAuto:
        O.emplace_back("sides", Layout.orientation() == QPageLayout::Portrait ? "two-sided-long-edge"
                                                                               : "two-sided-short-edge");
        break;
      default: O.emplace_back("sides", "one-sided"); break;
    }
    if (Layout.orientation() == QPageLayout::Landscape) O.emplace_back("landscape", "");
    return O;
  }

  // A PDF cut short (a full disk) has no end-of-file mark in its last bytes.
  bool SpoolComplete() const {
    std::FILE* F = std::fopen(FSpool.c_str(), "rb");
    if (!F) return false;
    TFinally Close([F] { std::fclose(F); });
    char Tail[1024];
    if (std::fseek(F, 0, SEEK_END) != 0) return false;
    long Size = std::ftell(F);
    if (Size <= 0) return false;
    long From = std::max(0L, Size - static_cast<long>(sizeof Tail));
    if (std::fseek(F, From, SEEK_SET) != 0) return false;
    size_t N = std::fread(Tail, 1, static_cast<size_t>(Size - From), F);
    return std::string_view(Tail, N).find("%%EOF") != std::string_view::npos;
  }

  // Hands the spool file to CUPS. A queue that refuses it (not accepting jobs, gone, no
  // rights) leaves no job; that is the caller's error, with CUPS's reason.
  void Submit() {
    // A job of several sheets goes as a PDF already laid out for the printer: CUPS's PDF filter
    // would put every page on the first page's sheet. The page sizes then travel page by page
    // (one copy: making copies is that filter's work too).
    bool PageSizes = FMixedSheets && FPrinter.copyCount() <= 1;
    std::vector<cups_option_t> Options;
    for (auto& [Name, Value] : FOptions)
      if (!PageSizes || Name != "landscape")
        Options.push_back({const_cast<char*>(Name.c_str()), const_cast<char*>(Value.c_str())});
    // CUPS takes the queue's own name; an instance ("queue/instance") only chose the options.
    std::string Queue = FQueue.substr(0, FQueue.find('/'));
    auto Refused = [this] {
      const char* Why = cupsLastErrorString();
      return EPrinter(Format(SPrintJobRefused, {FQueue, std::string(Why ? Why : "")}));
    };
    int Count = static_cast<int>(Options.size());
    cups_option_t* List = Options.empty() ? nullptr : Options.data();
    if (!PageSizes) {
      if (cupsPrintFile2(CUPS_HTTP_DEFAULT, Queue.c_str(), FSpool.c_str(), FTitle.c_str(), Count, List) <= 0)
        throw Refused();
      return;
    }
    int Id = cupsCreateJob(CUPS_HTTP_DEFAULT, Queue.c_str(), FTitle.c_str(), Count, List);
    if (Id <= 0) throw Refused();
    // A job that cannot be sent whole is cancelled, so nothing of it prints.
    TOnException Cancel([&] { cupsCancelJob2(CUPS_HTTP_DEFAULT, Queue.c_str(), Id, 0); });
    std::FILE* F = std::fopen(FSpool.c_str(), "rb");
    if (!F) throw EPrinter(Format(SPrintSpoolFailed, {FQueue}));
    TFinally Close([F] { std::fclose(F); });
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, Queue.c_str(), Id, FTitle.c_str(), "application/vnd.cups-pdf", 1) !=
        HTTP_STATUS_CONTINUE)
      throw Refused();
    char Buf[65536];
    bool Sent = true;
    for (size_t N; Sent && (N = std::fread(Buf, 1, sizeof Buf, F)) > 0;)
      Sent = cupsWriteRequestData(CUPS_HTTP_DEFAULT, Buf, N) == HTTP_STATUS_CONTINUE;
    ipp_status_t Status = cupsFinishDocument(CUPS_HTTP_DEFAULT, Queue.c_str());
    if (!Sent || std::ferror(F) || Status > IPP_STATUS_OK_CONFLICTING) throw Refused();
  }

  // Each page gets a device context of its own (GDI state does not carry over), at the mode's resolution.
  void StartPage(const TDeviceMode& Mode) {
    QPageLayout Layout = FPrinter.pageLayout();
    std::pair<std::string, int> Sheet{Layout.pageSize().key().toStdString(), static_cast<int>(Layout.orientation())};
    if (!FFirstSheet) FFirstSheet = Sheet;
    FMixedSheets = FMixedSheets || Sheet != *FFirstSheet;
    TDeviceCaps C = FDriver.DeviceCaps(Mode);
    FDC = std::make_unique<TQtPainterDC>(&FPainter, C.PixelsPerInchX, C.PixelsPerInchY);
  }

  TCupsPrinter& FDriver;
  QPrinter FPrinter;
  QPainter FPainter;
  std::unique_ptr<TQtPainterDC> FDC;
  std::string FQueue, FTitle, FSpool;
  std::vector<std::pair<std::string, std::string>> FOptions;
  std::optional<std::pair<std::string, int>> FFirstSheet;
  bool FMixedSheets = false;  // pages of more than one size or orientation
};

std::unique_ptr<TPrintJob> TCupsPrinter::StartDoc(const TDeviceMode& Mode, const std::string& Title) {
  TLock Guard(FLock);
  return std::make_unique<TCupsJob>(*this, FInfo, Mode, Title);
}
}  // namespace

std::vector<std::shared_ptr<TPrinterDriver>> EnumerateCupsPrinters(std::string& DefaultName) {
  std::vector<std::shared_ptr<TPrinterDriver>> L;
  DefaultName.clear();
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return L;
  for (const QPrinterInfo& I : QPrinterInfo::availablePrinters()) L.push_back(std::make_shared<TCupsPrinter>(I));
  DefaultName = QPrinterInfo::defaultPrinterName().toStdString();
  return L;
}

void InitializeCupsPrinters() { SetSystemPrinterSource(EnumerateCupsPrinters); }

void FinalizeCupsPrinters() { SetSystemPrinterSource(nullptr); }
