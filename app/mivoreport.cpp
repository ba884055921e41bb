// The report viewer: mivoreport [file.lxp]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Viewer.h"
#include "app/ViewerConsts.h"
#include "exceptions/ExceptionLog.h"
#include "exceptions/deliver/TarvikDialogClient.h"
#include "lxreport/forms/LXReportForms.h"
#include "platform/forms/FormsApplication.h"

int main(int argc, char** argv) {
  InitializeExceptions();
  if (!DisplayAvailable() && !std::getenv("QT_QPA_PLATFORM")) {
    std::fprintf(stderr, "%s\n", SNeedsDesktop);
    return 1;
  }
  InitializeForms(argc, argv, TDisplayMode::Screen);
  InitializeLXReportForms();
  InstallDialogProgramHooks();
  std::vector<std::string> Args;
  for (int I = 1; I < argc; ++I) Args.emplace_back(argv[I]);
  int Status = RunViewer(Args);
  RemoveDialogProgramHooks();
  FinalizeLXReportForms();
  FinalizeForms();
  FinalizeExceptions();
  return Status;
}
