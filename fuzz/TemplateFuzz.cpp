// Feeds arbitrary bytes to a report template load (binary form; TEMPLATE_TEXT: text form). The
// report holds a definition before each load; a load either succeeds or leaves that definition
// exactly as it was, and never crashes or leaks.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/app/DialogService.h"
#include "platform/classes/Streams.h"
#include "ppreport/core/PPReport.h"
#include "ppreport/core/ppTemplate.h"
#include "tests/ppreport/core/ppTemplateTestSupport.h"

using namespace pptest;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializePPReport();
  static TTemplateClasses Classes;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
#ifdef TEMPLATE_TEXT
  const std::string Signature = "object";
#else
  const std::string Signature = "TPF0";
#endif
  // Most inputs get the signature, so the fuzzer spends its time inside the reader; the offset
  // probe still sees the rest as they come.
  std::string Bytes(reinterpret_cast<const char*>(Data), Size);
  if (Size > 0 && (Data[0] & 1)) Bytes = Signature + Bytes.substr(1);

  // Every reader question is answered "skip", then "skip all", then "abort".
  auto* Dialogs = new TScriptedDialogService;
  Dialogs->Answer(mrIgnore);
  Dialogs->Answer(mrAll);
  TDialogServiceScope Scope{std::unique_ptr<TDialogService>(Dialogs)};

  TComponent Form(nullptr);
  auto* Report = new TModelReport(&Form);
  Report->SetName("Report1");
  BuildTemplateReport(Report);
  const std::string Before = SaveTemplate(Report);
  const int Components = Form.ComponentCount();
  TMemoryStream M;
  M.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  M.SetPosition(0);
  try {
    Report->Template()->LoadFromStream(M);
    SaveTemplate(Report);  // what was loaded can be written
  } catch (const Exception&) {
    if (SaveTemplate(Report) != Before || Form.ComponentCount() != Components) std::abort();
  }
  return 0;
}
