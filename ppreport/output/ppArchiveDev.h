#pragma once
// The archive device ("ArchiveFile", ".raf"): generated pages kept unrendered, to be shown or
// printed later without the report (ppArchiveReader.h reads them back). All integers are 32-bit
// little-endian:
//
//   0           page area offset P = 4 + 8 N
//   4 + 8 i     offset of page i's stream from P (the first is 0), then its AbsolutePageNo
//   P           the page streams ("TPF0" component streams of TppPage), in arrival order
//
// Index entries go to the archive as pages arrive, page streams to a temporary file ("arc...")
// that is appended at the end. A cancelled, failed or abandoned job leaves neither the temporary
// file nor a cut archive (an earlier archive of that name stays as it was).
#include <cstdint>
#include <memory>
#include <string>

#include "platform/classes/Streams.h"
#include "ppreport/core/ppDevice.h"

class TppArchiveDevice : public TppFileDevice {
  DECLARE_CLASSINFO(TppArchiveDevice)
public:
  explicit TppArchiveDevice(TComponent* AOwner);
  ~TppArchiveDevice() override;

  static std::string DeviceName() { return ppArchiveDeviceName; }
  static std::string GetDefaultExt() { return "raf"; }
  static std::string GetFileFilter() { return "Archive files|*.RAF|All files|*.*"; }
  static std::string GetFileDescription(TppLanguageType);

  // On (the default): only the last page keeps its outline command in the archive.
  bool KeepOutlineOnLastPageOnly() const { return FKeepOutlineOnLastPageOnly; }
  void SetKeepOutlineOnLastPageOnly(bool V) { FKeepOutlineOnLastPageOnly = V; }
  // The temporary page file of the running job (empty otherwise).
  const std::string& TempFileName() const { return FTempName; }

  // Raises EPrintError (language string 67) naming the archive or the temporary file.
  void StartJob() override;
  void ReceivePage(TppPage* Page) override;
  // Appends the page area and writes P; the archive takes its name when everything was written.
  void EndJob() override;
  void CancelJob() override;

protected:
  virtual void WritePage(TppPage& Page);
  void Destroying() override;

private:
  void FinishArchive();
  void FreeTempStream();

  bool FKeepOutlineOnLastPageOnly = true;
  std::unique_ptr<TFileStream> FTempStream;
  std::string FTempName;
  int64_t FTempSize = 0;  // bytes of page streams so far
  int64_t FStart = 0;     // where the archive begins in the output stream
  TMemoryStream FPageBytes;
};
