#include "lxreport/LXReport.h"

#include "lxreport/LXDesign.h"
#include "lxreport/LXEvFunctions.h"
#include "lxreport/LXExport.h"
#include "lxreport/LXRegister.h"
#include "lxreport/LXUnits.h"
#include "platform/app/Application.h"

namespace {
int InitCount = 0;
}  // namespace

void InitializeLXReport() {
  if (InitCount++ > 0) return;
  InitializeLXExpressions(Application ? Application->Title() : std::string());
  // The platform's screen is true colour (its colour count reads -1, as on any deep display).
  ChooseColourScheme(-1);
  SetLocaleUsesInches(SystemMeasuresInInches());
  RegisterLXReportClasses();
  ExportFilterLibrary = new TLXExportFilterLibrary;
}

void FinalizeLXReport() {
  if (InitCount == 0 || --InitCount > 0) return;
  delete ExportFilterLibrary;
  ExportFilterLibrary = nullptr;
  UnRegisterLXReportClasses();
  FinalizeLXExpressions();
}
