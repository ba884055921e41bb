#include "lxreport/LXMetafileFilter.h"

#include "lxreport/LXPrntr.h"
#include "lxreport/VexaRpt.h"
#include "platform/rtl/SysUtils.h"

bool LXWMFEnhanced = false;

std::string TLXWMFExportFilter::GetDescription() const { return "WMF Export filter"; }
std::string TLXWMFExportFilter::GetExtension() const { return "WMF"; }
std::string TLXWMFExportFilter::GetFilterName() const { return "WMF File"; }

void TLXWMFExportFilter::Start(int PaperWidth, int PaperHeight, const TFont* Font) {
  const std::string& F = FileName();
  const size_t Dot = F.rfind('.');
  FBase = Dot == std::string::npos ? F : F.substr(0, Dot);
  TLXExportFilter::Start(PaperWidth, PaperHeight, Font);
}

void TLXWMFExportFilter::Finish() {
  TLXPrinter* Source = SourcePrinter();
  if (dynamic_cast<TCustomVexaRep*>(Owner()) && Source) {
    // Every stored page: the page count, not the number of the page on show.
    for (int32_t N = 1; N <= Source->PageCount(); ++N) {
      auto Page = Source->GetPage(N);
      if (!Page) continue;
      Page->SetEnhanced(LXWMFEnhanced);
      Page->SaveToFile(FBase + Format("%3.3d", {N}) + (LXWMFEnhanced ? ".emf" : ".wmf"));
    }
  }
  TLXExportFilter::Finish();
}

const TClassInfo& TLXWMFFilter::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXWMFFilter>("TLXWMFFilter", &TComponent::StaticClassInfo())
                                     .Prop("Enhanced", &TLXWMFFilter::Enhanced, &TLXWMFFilter::SetEnhanced);
  return Info;
}
TLXWMFFilter::TLXWMFFilter(TComponent* AOwner) : TComponent(AOwner) {
  LXWMFEnhanced = false;
  AddExportFilter(ExportFilterClassOf<TLXWMFExportFilter>());
}
TLXWMFFilter::~TLXWMFFilter() { RemoveExportFilter(ExportFilterClassOf<TLXWMFExportFilter>()); }
