#pragma once
// Shared pieces of the reporter's tests.
#include <string>
#include <vector>

#include "exceptions/base/TarvikTrace.h"
#include "platform/classes/TempFiles.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/Process.h"

// 05/03/24 07:08:09, the clock of every trace line the tests read.
inline TDateTime FixedTraceTime() { return EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 0); }

// A file name in the temporary folder, unique to this process; removed when the test ends.
class TTempName {
public:
  explicit TTempName(const std::string& Name)
      : FPath(GetTempPath() + "mor-exc-" + std::to_string(ProcessId()) + "-" + Name) {
    DeleteFile(FPath);
  }
  ~TTempName() { DeleteFile(FPath); }
  const std::string& Path() const { return FPath; }

private:
  std::string FPath;
};

// The trace started with Params (the program's arguments), a fixed clock and its file in the
// temporary folder; the trace is off again afterwards.
class TTraceScope {
public:
  explicit TTraceScope(const std::vector<std::string>& Params) : FFile("trace.log") {
    InitializeTrace(Params);
    SetTraceClock(FixedTraceTime);
    SetTraceFileName(FFile.Path());
  }
  ~TTraceScope() {
    FinalizeTrace();
    InitializeTrace({});
    SetTraceClock(nullptr);
  }
  const std::string& File() const { return FFile.Path(); }

private:
  TTempName FFile;
};

inline std::string ReadFileBytes(const std::string& Path) {
  std::string R;
  if (FILE* F = std::fopen(Path.c_str(), "rb")) {
    char Buf[4096];
    size_t N;
    while ((N = std::fread(Buf, 1, sizeof Buf, F)) > 0) R.append(Buf, N);
    std::fclose(F);
  }
  return R;
}
