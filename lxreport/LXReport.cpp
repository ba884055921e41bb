#include "lxreport/LXReport.h"

#include "lxreport/LXEvFunctions.h"
#include "lxreport/LXRegister.h"
#include "platform/app/Application.h"

namespace {
int InitCount = 0;
}  // namespace

void InitializeLXReport() {
  if (InitCount++ > 0) return;
  InitializeLXExpressions(Application ? Application->Title() : std::string());
  RegisterLXReportClasses();
}

void FinalizeLXReport() {
  if (InitCount == 0 || --InitCount > 0) return;
  UnRegisterLXReportClasses();
  FinalizeLXExpressions();
}
