#include "lxreport/forms/LXReportForms.h"

#include "lxreport/LXReport.h"
#include "lxreport/forms/LXPreview.h"

namespace {
int InitCount = 0;
}  // namespace

void InitializeLXReportForms() {
  if (InitCount++ > 0) return;
  InitializeLXReport();
  InitializeLXPreview();
}

void FinalizeLXReportForms() {
  if (InitCount == 0 || --InitCount > 0) return;
  FinalizeLXPreview();
  FinalizeLXReport();
}
