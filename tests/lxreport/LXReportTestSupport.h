#pragma once
// Reports made by the tests: the screen at 96 pixels per inch and a metric locale unless a test
// says otherwise, put back afterwards.
#include <memory>

#include "lxreport/LXUnits.h"
#include "lxreport/VexaRpt.h"

namespace lxtest {

class TGeometryScope {
public:
  explicit TGeometryScope(bool Inches = false, int Ppi = 96)
      : FInches(LocaleUsesInches()), FPpi(LXScreenPixelsPerInch()) {
    SetLocaleUsesInches(Inches);
    SetLXScreenPixelsPerInch(Ppi);
  }
  ~TGeometryScope() {
    SetLocaleUsesInches(FInches);
    SetLXScreenPixelsPerInch(FPpi);
  }
  TGeometryScope(const TGeometryScope&) = delete;
  TGeometryScope& operator=(const TGeometryScope&) = delete;

private:
  bool FInches;
  int FPpi;
};

using TReportPtr = std::unique_ptr<TVexaRep, TComponentDeleter>;
inline TReportPtr NewReport(TComponent* Owner = nullptr) { return TReportPtr(new TVexaRep(Owner)); }

}  // namespace lxtest
