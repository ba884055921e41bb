#include "lxreport/LXRegister.h"

#include "platform/data/DBTables.h"

namespace {
// In the registration order of the report library. The band, group, sub-detail,
// printable and child-band classes join this list as they are built.
const TClassInfo* const kClasses[] = {
    &TTable::StaticClassInfo(),
    &TQuery::StaticClassInfo(),
};
}  // namespace

void RegisterLXReportClasses() {
  for (const TClassInfo* C : kClasses) RegisterClass(*C);
}

void UnRegisterLXReportClasses() {
  for (const TClassInfo* C : kClasses) UnRegisterClass(*C);
}
