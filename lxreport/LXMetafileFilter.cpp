#include "lxreport/LXMetafileFilter.h"

#include <memory>
#include <vector>

#include "lxreport/LXConsts.h"
#include "lxreport/LXError.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/VexaRpt.h"
#include "platform/classes/SafeFileStream.h"
#include "platform/rtl/SysUtils.h"

bool LXWMFEnhanced = false;

std::string TLXWMFExportFilter::GetDescription() const { return "WMF Export filter"; }
std::string TLXWMFExportFilter::GetExtension() const { return "WMF"; }
std::string TLXWMFExportFilter::GetFilterName() const { return "WMF File"; }

std::string MetafileExportBase(const std::string& FileName) {
  // The extension is what follows the last dot of the file's own name, never a folder's.
  const size_t Slash = FileName.rfind('/'), Dot = FileName.rfind('.');
  if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash)) return FileName;
  return FileName.substr(0, Dot);
}

void TLXWMFExportFilter::Start(int PaperWidth, int PaperHeight, const TFont* Font) {
  FBase = MetafileExportBase(FileName());
  // The pages saved are those the report held before this run: a report never prepared has none,
  // and an export that would write nothing must say so.
  TLXPrinter* Source = SourcePrinter();
  if (dynamic_cast<TCustomVexaRep*>(Owner()) && (!Source || Source->Status() != lxsFinished || Source->PageCount() < 1))
    throw ELXError(SLXExportNoPreparedPages);
  TLXExportFilter::Start(PaperWidth, PaperHeight, Font);
}

void TLXWMFExportFilter::Finish() {
  TLXPrinter* Source = SourcePrinter();
  if (dynamic_cast<TCustomVexaRep*>(Owner()) && Source) {
    // All pages or none: each is written beside its name, and they all take their names at the end.
    std::vector<std::unique_ptr<TSafeFileStream>> Files;
    // Every stored page: the page count, not the number of the page on show.
    for (int32_t N = 1; N <= Source->PageCount(); ++N) {
      auto Page = Source->GetPage(N);
      if (!Page) continue;
      Page->SetEnhanced(LXWMFEnhanced);
      auto& File = Files.emplace_back(
          std::make_unique<TSafeFileStream>(FBase + Format("%3.3d", {N}) + (LXWMFEnhanced ? ".emf" : ".wmf")));
      Page->SaveToStream(*File);
      File->Close();
    }
    for (auto& File : Files) File->Commit();
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
