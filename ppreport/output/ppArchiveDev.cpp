#include "ppreport/output/ppArchiveDev.h"

#include <unistd.h>

#include <climits>
#include <vector>

#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/TempFiles.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/output/ppFileDevConsts.h"

namespace {
void PutLE32(uint8_t* P, int32_t V) {
  const uint32_t U = static_cast<uint32_t>(V);
  for (int I = 0; I < 4; ++I) P[I] = static_cast<uint8_t>(U >> (8 * I));
}
}  // namespace

const TClassInfo& TppArchiveDevice::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppArchiveDevice>("TppArchiveDevice", &TppFileDevice::StaticClassInfo())
                                     .Prop("KeepOutlineOnLastPageOnly", &TppArchiveDevice::KeepOutlineOnLastPageOnly,
                                           &TppArchiveDevice::SetKeepOutlineOnLastPageOnly)
                                     .Default(true);
  return Info;
}

TppArchiveDevice::TppArchiveDevice(TComponent* AOwner) : TppFileDevice(AOwner) {}

TppArchiveDevice::~TppArchiveDevice() { FreeTempStream(); }

std::string TppArchiveDevice::GetFileDescription(TppLanguageType) { return LanguageString(34); }

void TppArchiveDevice::Destroying() {
  FreeTempStream();
  TppFileDevice::Destroying();
}

void TppArchiveDevice::FreeTempStream() {
  FTempStream.reset();
  if (!FTempName.empty()) ::unlink(FTempName.c_str());
  FTempName.clear();
  FTempSize = 0;
}

void TppArchiveDevice::StartJob() {
  if (Busy()) return;
  TppFileDevice::StartJob();
  // Without an output stream there is nothing to archive into.
  if (!OutputStream()) return;
  try {
    FTempName = GetTempFileName(GetTempPath(), "arc");
    FTempStream = std::make_unique<TFileStream>(FTempName, fmCreate);
  } catch (const Exception&) {
    const std::string Name = FTempName.empty() ? GetTempPath() + "arc" : FTempName;
    CancelJob();
    throw EPrintError(FormatLanguageString(67, {Name}));
  }
  auto Undo = TOnException([this] { CancelJob(); });
  FStart = OutputStream()->Position();
  const uint8_t Room[4] = {};
  WriteToFile(Room, 4);
}

void TppArchiveDevice::ReceivePage(TppPage* Page) {
  TppFileDevice::ReceivePage(Page);
  if (!Page || !Busy() || Cancelled() || !IsRequestedPage()) return;
  UpdateStatus(Page);
  if (!IsMessagePage()) WritePage(*Page);
}

void TppArchiveDevice::WritePage(TppPage& Page) {
  if (!OutputStream() || !FTempStream) return;
  // The outline goes from a copy: the page handed in is the publisher's, other devices see it.
  TppPage* Stored = &Page;
  std::unique_ptr<TppPage, TComponentDeleter> Copy;
  if (FKeepOutlineOnLastPageOnly && !Page.LastPage() && Page.GetOutlineDrawCommand()) {
    Copy.reset(new TppPage(nullptr));
    Copy->Assign(&Page);
    Copy->GetOutlineDrawCommand()->Free();
    Stored = Copy.get();
  }
  auto Fail = TOnException([this] {
    // Neither a cut archive nor the temporary file stays.
    FailJob();
    FreeTempStream();
  });
  // Page offsets are signed 32-bit numbers.
  if (FTempSize > INT32_MAX) throw EWriteError(SppArchiveTooLarge);
  FPageBytes.Clear();
  WriteComponentToStream(FPageBytes, Stored);
  uint8_t Entry[8];
  PutLE32(Entry, static_cast<int32_t>(FTempSize));
  PutLE32(Entry + 4, Page.AbsolutePageNo());
  WriteToFile(Entry, 8);
  FTempStream->WriteBuffer(FPageBytes.Memory(), FPageBytes.Size());
  FTempSize += FPageBytes.Size();
}

void TppArchiveDevice::FinishArchive() {
  TStream& Out = *OutputStream();
  const int64_t P = Out.Position() - FStart;
  if (P > INT32_MAX) throw EWriteError(SppArchiveTooLarge);
  FTempStream->SetPosition(0);
  std::vector<uint8_t> Buffer(1 << 16);
  for (int64_t Left = FTempSize; Left > 0;) {
    const int64_t N = std::min<int64_t>(Left, static_cast<int64_t>(Buffer.size()));
    FTempStream->ReadBuffer(Buffer.data(), N);
    WriteToFile(Buffer.data(), N);
    Left -= N;
  }
  uint8_t Header[4];
  PutLE32(Header, static_cast<int32_t>(P));
  Out.SetPosition(FStart);
  WriteToFile(Header, 4);
  Out.Seek(0, soEnd);
}

void TppArchiveDevice::EndJob() {
  if (Busy() && !Cancelled() && !WriteFailed() && OutputStream() && FTempStream) {
    try {
      FinishArchive();
    } catch (...) {
      FailJob();
      FreeTempStream();
      TppFileDevice::EndJob();
      throw;
    }
  }
  FreeTempStream();
  TppFileDevice::EndJob();
}

void TppArchiveDevice::CancelJob() {
  FreeTempStream();
  TppFileDevice::CancelJob();
}
