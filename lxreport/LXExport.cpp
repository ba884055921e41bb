#include "lxreport/LXExport.h"

#include "lxreport/LXConsts.h"

TLXExportFilterLibrary* ExportFilterLibrary = nullptr;
std::function<void(const std::string&)> LXProgressCaption;

std::string TLXExportFilter::GetDescription() const { return SLXAbstractFilterDescription; }
std::string TLXExportFilter::GetExtension() const { return {}; }
std::string TLXExportFilter::GetFilterName() const { return SLXAbstractFilterName; }
std::string TLXExportFilter::GetVendorName() const { return SLXFilterVendor; }
bool TLXExportFilter::GetStreaming() const { return false; }
void TLXExportFilter::Start(int, int, const TFont*) { FActive = true; }
void TLXExportFilter::EndPage() {}
void TLXExportFilter::Finish() { FActive = false; }
void TLXExportFilter::NewPage() {}
void TLXExportFilter::AcceptGraphic(long double, long double, TLXPrintable*) {}
void TLXExportFilter::AcceptBand(TLXCustomBand*, long double, long double, long double) {}
void TLXExportFilter::TextOut(long double, long double, const TFont*, TColor, TAlignment, const std::string&) {}

void TLXExportFilterLibrary::AddFilter(TLXExportFilterClass FilterClass) {
  auto Filter = FilterClass->Create(std::string());
  FFilterList.push_back({FilterClass, Filter->GetFilterName(), Filter->GetExtension()});
}

void TLXExportFilterLibrary::RemoveFilter(TLXExportFilterClass FilterClass) {
  const std::string Name = FilterClass->Create(std::string())->GetFilterName();
  for (auto It = FFilterList.begin(); It != FFilterList.end(); ++It)
    if (It->Name == Name) {
      FFilterList.erase(It);
      return;
    }
}

std::string TLXExportFilterLibrary::GetSaveDialogFilter() const {
  const std::string Ext = SLXReportFileExtension;
  std::string S = std::string(SLXReportFileFilterName) + "(*." + Ext + ")|*." + Ext;
  for (const auto& E : FFilterList) S += "|" + E.Name + " (*." + E.Extension + ")|*." + E.Extension;
  return S;
}

void AddExportFilter(TLXExportFilterClass FilterClass) {
  if (ExportFilterLibrary) ExportFilterLibrary->AddFilter(FilterClass);
}

void RemoveExportFilter(TLXExportFilterClass FilterClass) {
  if (ExportFilterLibrary) ExportFilterLibrary->RemoveFilter(FilterClass);
}
