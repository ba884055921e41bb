#include "ppreport/descriptors/ppBandsRTTI.h"

#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppModelRTTI.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppGroupBands.h"
#include "ppreport/generation/ppPageBands.h"
#include "ppreport/generation/ppStrtch.h"

const TraRTTI& TraTppCustomBandRTTI() {
  using B = TppCustomBand;
  static const TraRTTI Info =
      TraRTTIDef<B>("TraTppCustomBandRTTI", TraTppBandRTTI())
          .Prop("Count", &B::GetCount)
          .Listed()
          .Prop("OverFlow", &B::GetOverFlow)
          .Listed()
          .Prop("AllObjectsPrinted", &B::GetAllObjectsPrinted)
          .Prop("Generating", &B::GetGenerating)
          .Prop("GenerationComplete", &B::GetGenerationComplete)
          .Prop("OutOfSpace", &B::GetOutOfSpace)
          .Prop("PartialGeneration", &B::GetPartialGeneration)
          .Prop("PrintingSection", &B::GetPrintingSection)
          .Prop("PrintPositionBreak", &B::GetPrintPositionBreak)
          .Prop("CurrentPosition", &B::GetCurrentPosition)
          .Prop("CumulativeCurrentPosition", &B::GetCumulativeCurrentPosition)
          .Prop("PageBottom", &B::GetPageBottom)
          .Prop("PartialAdjustment", &B::GetPartialAdjustment)
          .Prop("SpaceUsed", &B::GetSpaceUsed)
          .Prop("StartingPosition", &B::GetStartingPosition)
          .Prop("MaxStretchable", [](const B& O) { return dynamic_cast<TppStretchable*>(O.GetMaxStretchable()); })
          .Prop("CurrentObject", &B::CurrentObject);
  return Info;
}

namespace {
// "PrintHeight" described read-only here; reading and writing go on to the band descriptor.
template <class T>
const TraRTTI& PrintHeightReadOnly(const char* Name, const TraRTTI& Parent) {
  static const TraRTTI Info =
      TraRTTIDef<T>(Name, Parent).DescribeEnum("PrintHeight", EnumInfo<TppPrintHeightType>().Name, true);
  return Info;
}
}  // namespace

const TraRTTI& TraTppPageBandRTTI() { return PrintHeightReadOnly<TppPageBand>("TraTppPageBandRTTI", TraTppCustomBandRTTI()); }

const TraRTTI& TraTppFooterBandRTTI() {
  return PrintHeightReadOnly<TppFooterBand>("TraTppFooterBandRTTI", TraTppPageBandRTTI());
}

const TraRTTI& TraTppColumnFooterBandRTTI() {
  return PrintHeightReadOnly<TppColumnFooterBand>("TraTppColumnFooterBandRTTI", TraTppCustomBandRTTI());
}

const TraRTTI& TraTppReportBandRTTI() {
  using B = TppReportBand;
  static const TraRTTI Info =
      TraRTTIDef<B>("TraTppReportBandRTTI", TraTppCustomBandRTTI()).Prop("NewPage", &B::NewPage, &B::SetNewPage);
  return Info;
}

const TraRTTI& TraTppDetailBandRTTI() {
  using B = TppDetailBand;
  static const TraRTTI Info = TraRTTIDef<B>("TraTppDetailBandRTTI", TraTppCustomBandRTTI())
                                  .Prop("BandsPerRecordCount", &B::BandsPerRecordCount)
                                  .Listed()
                                  .Prop("BandsPerRecord", &B::BandsPerRecord, &B::SetBandsPerRecord)
                                  .Prop("PrintCount", &B::PrintCount, &B::SetPrintCount)
                                  .Prop("DataPipeline", &B::DataPipeline, &B::SetDataPipeline);
  return Info;
}

const TraRTTI& TraTppGroupBandRTTI() {
  using B = TppGroupBand;
  static const TraRTTI Info = TraRTTIDef<B>("TraTppGroupBandRTTI", TraTppCustomBandRTTI())
                                  .Prop("Group", &B::Group, &B::SetGroup)
                                  .Listed()
                                  .Prop("Description", &B::GetDefaultCaption)
                                  .Prop("Generation", &B::Generation)
                                  .Prop("SaveGeneration", &B::SaveGeneration);
  return Info;
}

const TraRTTI& TraTppGroupHeaderBandRTTI() {
  using B = TppGroupHeaderBand;
  static const TraRTTI Info = TraRTTIDef<B>("TraTppGroupHeaderBandRTTI", TraTppGroupBandRTTI())
                                  .Prop("AlreadyPageBreak", &B::AlreadyPageBreak)
                                  .Listed();
  return Info;
}

namespace {
const TraRTTI* const* BandDescriptors(size_t& Count) {
  static const TraRTTI* const List[] = {&TraTppCustomBandRTTI(),       &TraTppPageBandRTTI(),
                                        &TraTppReportBandRTTI(),       &TraTppFooterBandRTTI(),
                                        &TraTppDetailBandRTTI(),       &TraTppColumnFooterBandRTTI(),
                                        &TraTppGroupBandRTTI(),        &TraTppGroupHeaderBandRTTI()};
  Count = std::size(List);
  return List;
}
}  // namespace

void InitializeBandsRTTIUnit() {
  size_t N;
  const TraRTTI* const* L = BandDescriptors(N);
  for (size_t I = 0; I < N; ++I) TraRTTIClassRegistry::RegisterRTTIClass(*L[I]);
}

void FinalizeBandsRTTIUnit() {
  size_t N;
  const TraRTTI* const* L = BandDescriptors(N);
  for (size_t I = 0; I < N; ++I) TraRTTIClassRegistry::UnregisterRTTIClass(*L[I]);
}
