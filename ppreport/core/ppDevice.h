#pragma once
// The road of pp pages from the engine to their destinations. One publisher per report keeps the
// attached devices, takes the union of what they request, serves it from its page cache when it
// can and otherwise asks its owner (the producer) to generate; every finished page comes back
// through ReceivePage, is cached (a deep copy) and handed to every device still waiting.
//
// Devices (TppDevice) run a job protocol: StartJob, pages, EndJob (or CancelJob). Device classes
// are registered by device-type name ("Screen", "Printer", "TextFile", "ReportTextFile",
// "ArchiveFile"); the producer creates its devices through that registry.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/classes/SafeFileStream.h"
#include "platform/classes/SyncObjs.h"
#include "ppreport/core/ppComm.h"
#include "ppreport/core/ppPage.h"

class TppPrinter;
class TppPublisher;

using TppPageReceiveEvent = TEvent<void(TObject* Sender, TObject* aPage)>;

class TppDevice : public TppCommunicator {
  DECLARE_CLASSINFO(TppDevice)
public:
  explicit TppDevice(TComponent* AOwner);
  ~TppDevice() override;

  // The device-type name of the class (registry key); here the class name.
  static std::string DeviceName() { return "TppDevice"; }

  bool Active() const { return FActive; }
  void SetActive(bool Value);  // ignored while busy
  bool Busy() const { return FBusy; }
  bool Cancelled() const { return FCancelled; }
  // The dialog showing the device's progress (not owned).
  TComponent* CancelDialog() const { return FCancelDialog; }
  void SetCancelDialog(TComponent* Value);
  bool IsRequestedPage() const { return FIsRequestedPage; }
  bool IsMessagePage() const { return FIsMessagePage; }
  int LanguageIndex() const { return FLanguageIndex; }
  void SetLanguageIndex(int V) { FLanguageIndex = V; }
  TppPageRequest* PageRequest() const { return FPageRequest.get(); }
  void SetPageRequest(const TppPageRequest* Request);  // copies
  TppPublisher* Publisher() const { return FPublisher; }
  // Leaves the old publisher, joins the new one (null: none), fires OnSetPublisher.
  void SetPublisher(TppPublisher* Value);
  bool Stackable() const { return FStackable; }
  const std::string& StackName() const { return FStackName; }
  const std::string& Status() const { return FStatus; }
  bool WaitingForPage() const { return FWaitingForPage; }
  // The printer a printer device prints on; none for other devices.
  virtual TppPrinter* Printer() const { return nullptr; }

  // ---- the virtual operations
  // Both ignored while the device has a publisher or is busy.
  virtual void SetStackable(bool Value);
  virtual void SetStackName(const std::string& Value);
  virtual void SetStatus(const std::string& Text);
  // Not busy, cancelled; fires OnCancelJob (also when not busy).
  virtual void CancelJob();
  // False here; a raster device draws the command and answers True.
  virtual bool RenderDrawCommand(TppDrawCommand* DrawCommand);
  // False here; the screen device redraws a command whose value came after the page was shown.
  virtual bool RedrawDrawCommand(TppDrawCommand* DrawCommand);
  // When busy: not busy, waiting again; fires OnEndJob.
  virtual void EndJob();
  // Whether pages that are not final count as message pages (True here).
  virtual bool FinalPagesOnly() const { return true; }
  // Classifies the page (IsRequestedPage, IsMessagePage), fires OnPageReceive and the event
  // ciDevicePageReceive ("Page"), and stops waiting after the last requested final page.
  // Descendants call it first and output the page when it is requested and not a message page.
  virtual void ReceivePage(TppPage* Page);
  // The request back to all pages, not cancelled, waiting.
  virtual void Reset();
  // When not busy: busy, not cancelled; fires OnStartJob.
  virtual void StartJob();

  // Asks the publisher for the pages of the device's own request: the publisher's job runs until
  // this device has its last page (ended also when generation fails).
  void RequestPages();
  // Draws every command of Page whose position lies on the page definition, in page order.
  void DrawPage(TppPage* Page);
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

  TNotifyEvent OnStartJob, OnEndJob, OnCancelJob, OnPageRequest, OnSetPublisher;
  TppPageReceiveEvent OnPageReceive;

protected:
  void Destroying() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TppPublisher;
  void UpdateWaitingForPage(const TppPage& Page);

  bool FActive = true, FBusy = false, FCancelled = false;
  TComponent* FCancelDialog = nullptr;
  bool FIsRequestedPage = false, FIsMessagePage = false;
  int FLanguageIndex = 0;
  std::unique_ptr<TppPageRequest> FPageRequest;
  TppPublisher* FPublisher = nullptr;
  bool FStackable = false;
  std::string FStackName;
  std::string FStatus;
  bool FWaitingForPage = true;
};

// Devices that draw on a canvas (the printer and the screen). Draw commands that draw themselves
// (rich text, barcodes) do it through the hooks below; a raster device that keeps the defaults is
// neither kind, and such commands draw nothing on it.
enum TppRasterKind { rkOther, rkPrinter, rkScreen };

class TppRasterDevice : public TppDevice {
  DECLARE_CLASSINFO(TppRasterDevice)
public:
  using TppDevice::TppDevice;

  virtual TppRasterKind RasterKind() const { return rkOther; }
  // The canvas commands draw on: the printer's during a job, the page bitmap's on the screen; null
  // when there is none.
  virtual TCanvas* DeviceCanvas() { return nullptr; }
  // The resolution commands draw at: the printer's (Printer()), else the screen's.
  virtual TPoint DevicePixelsPerInch() const;
  // Device pixels per screen pixel of the page at 100 % (the screen's zoom); 1 elsewhere.
  virtual double ScaleX() const { return 1; }
  // Stores the command's rectangle in device pixels (SetDrawRect) from its position and size.
  virtual void ComputeDrawRect(TppDrawCommand& Command) { (void)Command; }
  // The command's border around Rect, when it has a visible one.
  virtual void DrawBorder(TppDrawCommand& Command, const TRect& Rect) { (void)Command, (void)Rect; }
};

// Devices that write bytes to an output stream: one a caller hands in (kept for every job until
// replaced, never freed here), or one the descendant makes for each job. A write that comes short
// raises EWriteError; it never passes for a complete job.
class TppStreamDevice : public TppDevice {
  DECLARE_CLASSINFO(TppStreamDevice)
public:
  using TppDevice::TppDevice;
  TStream* OutputStream() const { return FOutputStream; }
  // The stream held before is released first.
  virtual void SetOutputStream(TStream* Stream);
  // Nothing for 0 bytes or without a stream.
  virtual void WriteBuffer(const void* Buffer, int64_t Count);
  // Takes a stream from CreateOutputStream when none is held.
  void StartJob() override;
  // Releases the stream after the job has ended.
  void EndJob() override;

protected:
  // The stream for a job (null: the job writes nothing), and its release.
  virtual TStream* CreateOutputStream() { return nullptr; }
  virtual void FreeOutputStream() {}
  void ClearOutputStream() { FOutputStream = nullptr; }
  void Destroying() override;

private:
  void ReleaseOutputStream();
  TStream* FOutputStream = nullptr;
  bool FFreeing = false;
};

// Devices that write a file. The file is written beside its name and takes the name only when the
// job ends whole: a failed write, a cancel or a device freed mid-job leaves an earlier file as it
// was and no cut file. FileName is ignored while a job runs; the text-file devices take the
// producer's save-text handler and file type (ignored by the other file devices).
class TppFileDevice : public TppStreamDevice {
  DECLARE_CLASSINFO(TppFileDevice)
public:
  explicit TppFileDevice(TComponent* AOwner);
  ~TppFileDevice() override;
  const std::string& FileName() const { return FFileName; }
  virtual void SetFileName(const std::string& Value);
  bool CreateFile() const { return FCreateFile; }
  virtual void SetCreateFile(bool Value) { FCreateFile = Value; }
  virtual void SetTextFileType(TppFileType) {}
  virtual void SetSaveTextHandler(TppSaveTextEvent) {}

  // The file type as the print dialog lists it; the descendants give their own.
  static std::string GetDefaultExt() { return {}; }
  static std::string GetFileFilter() { return {}; }
  static std::string GetFileDescription(TppLanguageType) { return {}; }

  void StartJob() override;
  void EndJob() override;
  // The file is dropped: nothing of a cancelled job takes the file's name.
  void CancelJob() override;
  void WriteBuffer(const void* Buffer, int64_t Count) override;
  void WriteToFile(const void* Buffer, int64_t Count) { WriteBuffer(Buffer, Count); }
  // The cancel dialog's status line for Page (null: accessing the data).
  virtual void UpdateStatus(TppPage* Page);

protected:
  TStream* CreateOutputStream() override { return CreateFileStream(); }
  // Raises EPrintError (language string 67) when the file cannot be made.
  virtual TStream* CreateFileStream();
  void FreeOutputStream() override;
  void Destroying() override;
  // Whether a write of this job failed; and the job's failure from a descendant's own check: the
  // bytes written are dropped and the job never becomes the file.
  bool WriteFailed() const { return FFailed; }
  void FailJob();

private:
  std::string FFileName;
  bool FCreateFile = true;
  std::unique_ptr<TSafeFileStream> FFileStream;
  bool FCommit = false;  // the job ended whole: the file takes its name
  bool FFailed = false;  // a write of this job failed
};

// The operations of NotifyDevices, applied to every active device in list order.
enum TppDeviceOperation { doCancel, doEnd, doCollect, doPage, doStart, doReset };

using TppPublisherPageRequestEvent = std::function<void(TObject* Sender, TppPageRequest* aPageRequest)>;

class TppPublisher : public TppCommunicator {
  DECLARE_CLASSINFO(TppPublisher)
public:
  explicit TppPublisher(TComponent* AOwner);
  ~TppPublisher() override;

  // ---- jobs
  void StartJob();  // every active device starts
  // Collects the requests of the waiting devices, then serves the union from the cache or asks
  // OnPageRequest for generation (and sends ciPublisherPagesPending).
  void Publish();
  void EndJob();    // devices end; the union goes back to all pages
  void CancelJob(); // waiting devices cancel
  void ResetDevices();
  // A finished page: cached, handed to every waiting device, checked against the union request,
  // and announced (ciPublisherPageReceive with "Page").
  void ReceivePage(TppPage* Page);

  // ---- the cache and the request
  void ResetPageCache();
  // ResetPageCache, the union request back to all pages, and ciPublisherReset.
  void Reset();
  void ResetPageRequest();
  void FreeCachedPages();
  bool CachePages() const { return FCachePages; }
  void SetCachePages(bool Value) { FCachePages = Value; }
  int AbsolutePageCount() const { return FAbsolutePageCount; }
  bool ReportCompleted() const { return FReportCompleted; }
  bool PageRequestsGranted() const { return FPageRequestsGranted; }
  bool GeneratingPages() const { return FGeneratingPages; }
  bool RequestingPages() const { return FRequestingPages; }
  bool ReadingCache() const { return FReadingCache; }
  TppPageRequest* PageRequest() const { return FPageRequest.get(); }
  int GetCachedPageCount() const { return static_cast<int>(FPageCache.size()); }
  // In page order.
  TppPage* GetCachedPage(int Index) const;
  // The cached page of that absolute number, null when none.
  TppPage* FindCachedPage(int AbsolutePageNo) const;

  // ---- devices
  int GetDeviceCount() const { return static_cast<int>(FDevices.size()); }
  TppDevice* GetDevice(int Index) const;
  // Called by the device's SetPublisher. Of the stackable devices sharing a stack name only the
  // one attached last is in the list; when it leaves, the one before comes back.
  void AddDevice(TppDevice* Device);
  void RemoveDevice(TppDevice* Device);
  // The status of the first device that has one.
  std::string GetStatus() const;
  // Told to every device, active or not.
  void SetStatus(const std::string& Text);
  // Every device is a screen device (also when there is none).
  bool HasOnlyScreenDevices() const;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

  TppPublisherPageRequestEvent OnPageRequest;

protected:
  void Destroying() override;

private:
  void NotifyDevices(TppDeviceOperation Operation, TppPage* Page = nullptr);
  void AddDevicePageRequest(const TppPageRequest& Request);
  void ProcessPageRequest();
  void CachePage(const TppPage& Page);
  void UpdateCachedPageCounts(const TppPage& Page);
  bool ServeFromCache();
  bool ServePages(int From, int To);

  std::vector<TppDevice*> FDevices;
  std::vector<std::pair<std::string, std::vector<TppDevice*>>> FStacks;  // stack name, devices first to last
  std::map<int, TppPage*> FPageCache;  // by absolute page number; the pages are owned
  std::unique_ptr<TppPageRequest> FPageRequest;
  bool FCachePages = false;
  int FAbsolutePageCount = 0;
  bool FFirstPageRequest = false, FRequestingPages = false, FGeneratingPages = false;
  bool FPageRequestsGranted = false, FReadingCache = false, FReportCompleted = false;
  TCriticalSection FLock;
};

// ---- the device class registry (process-wide; freed when the library shuts down)

// The class methods of a file device class (its file type as the print dialog lists it), kept
// with its registration: a class record alone cannot call them.
struct TppFileTypeInfo {
  std::string (*DefaultExt)() = &TppFileDevice::GetDefaultExt;
  std::string (*FileFilter)() = &TppFileDevice::GetFileFilter;
  std::string (*FileDescription)(TppLanguageType) = &TppFileDevice::GetFileDescription;
};
struct TppDeviceClassEntry {
  std::string DeviceName;
  const TClassInfo* Class;
  TppFileTypeInfo FileType;
};
// Registers Class under DeviceName (also for streaming) unless it is registered already.
void RegisterDeviceClass(const TClassInfo& Class, const std::string& DeviceName, const TppFileTypeInfo& FileType = {});
// Under T::DeviceName(), or the class name when T does not give its own; a file device class
// brings its file type.
template <class T>
void RegisterDeviceClass() {
  const bool Own = &T::DeviceName != &TppDevice::DeviceName;
  TppFileTypeInfo FileType;
  if constexpr (std::is_base_of_v<TppFileDevice, T>) {
    FileType.DefaultExt = [] { return std::string(T::GetDefaultExt()); };
    FileType.FileFilter = [] { return std::string(T::GetFileFilter()); };
    FileType.FileDescription = [](TppLanguageType L) { return std::string(T::GetFileDescription(L)); };
  }
  RegisterDeviceClass(T::StaticClassInfo(), Own ? T::DeviceName() : std::string(T::StaticClassInfo().Name), FileType);
}
// The file type of a registered class (TppFileDevice's, all empty, for any other class).
TppFileTypeInfo DeviceClassFileType(const TClassInfo& Class);
// Whether Class is the archive device class (the one registered as ppArchiveDeviceName) or
// descends from it.
bool IsArchiveDeviceClass(const TClassInfo& Class);
void UnregisterDeviceClass(const TClassInfo& Class);
// Registration order.
std::vector<TppDeviceClassEntry> GetDeviceClasses();
// Appends the device names, in registration order.
void GetDeviceClassNames(TStrings& List);
// The class registered under Name (ASCII case ignored; the first), null when none.
const TClassInfo* DeviceClassForName(std::string_view Name);
// The device-type names of the library's devices.
inline constexpr char ppScreenDeviceName[] = "Screen";
inline constexpr char ppPrinterDeviceName[] = "Printer";
inline constexpr char ppTextFileDeviceName[] = "TextFile";
inline constexpr char ppArchiveDeviceName[] = "ArchiveFile";

// Fonts a device uses instead of screen-only and bitmap fonts (exact, case-sensitive names).
struct TppDeviceSubstitutions {
  static std::string SubstituteFont(const std::string& FontName);
};
