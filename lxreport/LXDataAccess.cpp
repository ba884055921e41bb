#include "lxreport/LXDataAccess.h"

#include "platform/rtl/LocaleCase.h"

int TLXDataSetAccess::FindFieldIndex(const std::string& FieldName) const {
  std::string Wanted = AnsiUpperCase(FieldName);
  for (int I = 0, N = FieldCount(); I < N; ++I)
    if (TLXFieldAccess* F = Fields(I); F && AnsiUpperCase(F->FieldName()) == Wanted) return I;
  return -1;
}
