#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppDeviceStatus.h"
#include "ppreport/core/ppLanguage.h"

// ---- TppStreamDevice

const TClassInfo& TppStreamDevice::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppStreamDevice>("TppStreamDevice", &TppDevice::StaticClassInfo());
  return Info;
}

void TppStreamDevice::ReleaseOutputStream() {
  if (FFreeing) return;
  FFreeing = true;
  auto Done = TFinally([this] { FFreeing = false; });
  FreeOutputStream();
}

void TppStreamDevice::SetOutputStream(TStream* Stream) {
  if (FOutputStream) ReleaseOutputStream();
  FOutputStream = Stream;
}

void TppStreamDevice::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count <= 0 || !FOutputStream) return;
  if (FOutputStream->Write(Buffer, Count) != Count) throw EWriteError("Erro gravando canal");
}

void TppStreamDevice::StartJob() {
  TppDevice::StartJob();
  if (!FOutputStream) FOutputStream = CreateOutputStream();
}

void TppStreamDevice::EndJob() {
  TppDevice::EndJob();
  if (FOutputStream) ReleaseOutputStream();
}

void TppStreamDevice::Destroying() {
  if (Busy()) {
    try {
      EndJob();
    } catch (...) {
    }
  }
  TppDevice::Destroying();
}

// ---- TppFileDevice

const TClassInfo& TppFileDevice::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppFileDevice>("TppFileDevice", &TppStreamDevice::StaticClassInfo());
  return Info;
}

TppFileDevice::TppFileDevice(TComponent* AOwner) : TppStreamDevice(AOwner) {}

TppFileDevice::~TppFileDevice() = default;

void TppFileDevice::Destroying() {
  // A job still running when the device goes is not complete: its file goes too.
  FCommit = false;
  if (Busy()) {
    TppDevice::CancelJob();
    FreeOutputStream();
  }
  TppStreamDevice::Destroying();
}

void TppFileDevice::SetFileName(const std::string& Value) {
  if (!Busy()) FFileName = Value;
}

TStream* TppFileDevice::CreateFileStream() {
  if (!FCreateFile) return nullptr;
  try {
    FFileStream = std::make_unique<TSafeFileStream>(FFileName);
  } catch (const Exception&) {
    throw EPrintError(FormatLanguageString(67, {FFileName}));
  }
  return FFileStream.get();
}

void TppFileDevice::FreeOutputStream() {
  if (!FFileStream) return;
  if (OutputStream() == FFileStream.get()) ClearOutputStream();
  std::unique_ptr<TSafeFileStream> Stream = std::move(FFileStream);
  const bool Commit = FCommit;
  FCommit = false;
  // Without Commit the written bytes are dropped with the stream.
  if (Commit) Stream->Commit();
}

void TppFileDevice::StartJob() {
  if (Busy()) return;
  FCommit = FFailed = false;
  try {
    TppStreamDevice::StartJob();
  } catch (...) {
    // The file could not be made: the job does not run.
    TppDevice::CancelJob();
    throw;
  }
  UpdateStatus(nullptr);
}

void TppFileDevice::EndJob() {
  if (!Busy()) {
    TppStreamDevice::EndJob();
    return;
  }
  FCommit = !Cancelled() && !FFailed;
  TppStreamDevice::EndJob();
}

void TppFileDevice::CancelJob() {
  FCommit = false;
  TppStreamDevice::CancelJob();
  FreeOutputStream();
}

void TppFileDevice::WriteBuffer(const void* Buffer, int64_t Count) {
  try {
    TppStreamDevice::WriteBuffer(Buffer, Count);
  } catch (...) {
    // A job whose bytes did not all arrive never becomes the file.
    FailJob();
    throw;
  }
}

void TppFileDevice::FailJob() {
  FCommit = false;
  FFailed = true;
  if (FFileStream) FFileStream->Discard();
}

void TppFileDevice::UpdateStatus(TppPage* Page) {
  const TppPageRequest* R = PageRequest();
  const bool CountKnown = Page && R->PageSetting() == psAll && Page->PassSetting() == psTwoPass;
  ShowDeviceStatus(*this, DevicePageStatus(*this, Page, CountKnown, FFileName));
}
