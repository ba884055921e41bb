#include "lxreport/LXRegister.h"

#include "lxreport/LXController.h"
#include "lxreport/LXPrintable.h"
#include "lxreport/VexaRpt.h"
#include "platform/data/DBTables.h"

namespace {
// In the registration order of the report library. The printables join this list as they
// are built.
const TClassInfo* const kClasses[] = {
    &TVexaRep::StaticClassInfo(),    &TLXBand::StaticClassInfo(),      &TLXGroup::StaticClassInfo(),
    &TLXSubDetail::StaticClassInfo(), &TLXChildBand::StaticClassInfo(), &TTable::StaticClassInfo(),
    &TQuery::StaticClassInfo(),
};
}  // namespace

void RegisterLXReportClasses() {
  for (const TClassInfo* C : kClasses) RegisterClass(*C);
}

void UnRegisterLXReportClasses() {
  for (const TClassInfo* C : kClasses) UnRegisterClass(*C);
}
