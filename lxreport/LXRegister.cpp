#include "lxreport/LXRegister.h"

#include "lxreport/LXController.h"
#include "lxreport/LXExpr.h"
#include "lxreport/LXGraphics.h"
#include "lxreport/LXLabel.h"
#include "lxreport/LXPrintable.h"
#include "lxreport/VexaRpt.h"
#include "platform/data/DBTables.h"

namespace {
// In the registration order of the report library, then the other printables, so that every
// stored report that uses them loads.
const TClassInfo* const kClasses[] = {
    &TVexaRep::StaticClassInfo(),  &TLXBand::StaticClassInfo(),    &TLXGroup::StaticClassInfo(),
    &TLXSubDetail::StaticClassInfo(), &TLXExpr::StaticClassInfo(),   &TLXShape::StaticClassInfo(),
    &TTable::StaticClassInfo(),    &TQuery::StaticClassInfo(),     &TLXChildBand::StaticClassInfo(),
    &TLXLabel::StaticClassInfo(),  &TLXHRule::StaticClassInfo(),   &TLXPDFShape::StaticClassInfo(),
    &TLXDBImage::StaticClassInfo(), &TLXGrDBImage::StaticClassInfo(),
};
}  // namespace

void RegisterLXReportClasses() {
  for (const TClassInfo* C : kClasses) RegisterClass(*C);
}

void UnRegisterLXReportClasses() {
  for (const TClassInfo* C : kClasses) UnRegisterClass(*C);
}
