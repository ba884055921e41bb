#include "ppreport/descriptors/ppReportRTTI.h"

#include "platform/classes/StringList.h"
#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppModelRTTI.h"
#include "ppreport/core/ppOutlineNode.h"
#include "ppreport/core/ppParameter.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppGroupBands.h"
#include "ppreport/generation/ppPageBands.h"
#include "ppreport/generation/ppReport.h"

namespace {
using BR = TppBandedReport;

// The report's band of one kind, nil when it has none (reading never makes one).
template <class B, TppBandType Kind>
B* BandOf(const BR& R) {
  return dynamic_cast<B*>(R.FindBand(Kind));
}

template <class B, TppBandType Kind>
void BandPair(TraRTTIDef<BR>& D, const char* Name, const char* LongName, bool ListName) {
  D.Prop(Name, &BandOf<B, Kind>);
  if (ListName) D.Listed();
  D.Prop(LongName, &BandOf<B, Kind>);
}

// The header or footer band of the group at Index; an index outside the groups raises the list's error.
template <class B>
void GroupBand(TraRTTIDef<BR>& D, const char* Name, bool Header) {
  D.Indexed(Name, {{"Index", vkInteger}, {"Result", vkClass, &B::StaticClassInfo}}, [Header](BR& R, TraParamList* P) {
    TppGroup* G = R.GetGroups(P->Value<int32_t>(0));
    P->SetValue<TppBand*>(1, dynamic_cast<B*>(Header ? G->HeaderBand() : G->FooterBand()));
  });
}
}  // namespace

const TraRTTI& TraTppBandedReportRTTI() {
  static const TraRTTI Info = [] {
    TraRTTIDef<BR> D("TraTppBandedReportRTTI", TraTppCustomReportRTTI());
    BandPair<TppColumnHeaderBand, btColumnHeader>(D, "ColumnHeader", "ColumnHeaderBand", true);
    BandPair<TppColumnFooterBand, btColumnFooter>(D, "ColumnFooter", "ColumnFooterBand", true);
    BandPair<TppTitleBand, btTitle>(D, "Title", "TitleBand", true);
    BandPair<TppHeaderBand, btHeader>(D, "Header", "HeaderBand", true);
    BandPair<TppDetailBand, btDetail>(D, "Detail", "DetailBand", true);
    BandPair<TppFooterBand, btFooter>(D, "Footer", "FooterBand", true);
    BandPair<TppSummaryBand, btSummary>(D, "Summary", "SummaryBand", true);
    GroupBand<TppGroupHeaderBand>(D, "GroupHeader", true);
    D.Listed();
    GroupBand<TppGroupFooterBand>(D, "GroupFooter", false);
    D.Listed();
    GroupBand<TppGroupHeaderBand>(D, "GroupHeaderBand", true);
    GroupBand<TppGroupFooterBand>(D, "GroupFooterBand", false);
    return TraRTTI(D);
  }();
  return Info;
}

const TraRTTI& TraTppReportRTTI() {
  using R = TppReport;
  static const TraRTTI Info =
      TraRTTIDef<R>("TraTppReportRTTI", TraTppBandedReportRTTI())
          .Prop("PreviewForm", [](const R& O) { return O.PreviewForm(); })
          .Undescribed()  // described by the producer's descriptor
          .Listed()
          .Prop("Parameters", [](const R& O) { return const_cast<R&>(O).GetParameters(); },
                [](R& O, TppParameterList* V) { O.SetParameters(V); })
          .Listed()
          .Method("AutoSearchCriteriaByName",
                  {{"aDataPipelineName", vkString},
                   {"aFieldName", vkString},
                   {"Result", vkClass, &TppAutoSearchField::StaticClassInfo}},
                  [](R& O, TraParamList* P) {
                    P->SetValue(2, O.AutoSearchCriteriaByName(P->Value<std::string>(0), P->Value<std::string>(1)));
                  })
          .Listed()
          .Method("CreateAutoSearchCriteria", &R::CreateAutoSearchCriteria,
                  {"aDataPipelineName", "aFieldName", "aOperator", "aExpression", "aMandatory"})
          .Listed()
          .Method("GetAutoSearchDescriptionLines", {{"aLines", vkClass, &TStrings::StaticClassInfo}},
                  [](R& O, TraParamList* P) {
                    TStrings* Lines = P->Value<TStrings*>(0);
                    if (!Lines) return;
                    O.GetAutoSearchDescriptionLines(*Lines);
                    P->SetValue(0, Lines);
                  })
          .Listed()
          .Method("DisplayAutoSearchDialog", &R::DisplayAutoSearchDialog)
          .Listed()
          // The report generating now, not the preview form.
          .Prop("ActiveReport", &R::ActiveReport)
          .Prop("AutoSearchDialog", &R::AutoSearchDialog)
          .Prop("CacheManager", &R::CacheManager)
          .Prop("AutoSearchDescription", [](const R& O) { return const_cast<R&>(O).GetAutoSearchDescriptionAsString(); })
          .Prop("GetAutoSearchDescriptionAsString",
                [](const R& O) { return const_cast<R&>(O).GetAutoSearchDescriptionAsString(); })
          .Undescribed()
          .Prop("AutoSearchFieldCount", &R::GetAutoSearchFieldCount)
          .Prop("CachePages", &R::CachePages, &R::SetCachePages)
          .Indexed("AutoSearchFields", {{"Index", vkInteger}, {"Result", vkClass, &TppAutoSearchField::StaticClassInfo}},
                  [](R& O, TraParamList* P) {
                    P->SetValue<TppAutoSearchField*>(
                        1, O.GetAutoSearchFieldCount() == 0 ? nullptr : O.GetAutoSearchField(P->Value<int32_t>(0)));
                  })
          .Event("AfterOpenDataPipelines", ciEngineAfterOpenDataPipelines)
          .Event("BeforeOpenDataPipelines", ciEngineBeforeOpenDataPipelines)
          .Event("BeforeAutoSearchDialogCreate", ciReportBeforeAutoSearchDialogCreate)
          .Event("AfterAutoSearchDialogCreate", ciReportAfterAutoSearchDialogCreate)
          .Event("OnAutoSearchDialogClose", ciReportAutoSearchDialogClose)
          .Event("OnGetAutoSearchValues", ciReportGetAutoSearchValues)
          .Event("OnInitializeParameters", ciReportInitializeParameters,
                 {TraParamSpec("aCancel", vkBoolean, nullptr, {}, true)})
          .Event("OnOutlineNodeCreate", ciReportOutlineNodeCreate,
                 {TraParamSpec("Node", vkClass, &TppOutlineNode::StaticClassInfo),
                  TraParamSpec("Accept", vkBoolean, nullptr, {}, true)});
  return Info;
}

void InitializeReportRTTIUnit() {
  TraRTTIClassRegistry::RegisterRTTIClass(TraTppBandedReportRTTI());
  TraRTTIClassRegistry::RegisterRTTIClass(TraTppReportRTTI());
}

void FinalizeReportRTTIUnit() {
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppBandedReportRTTI());
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppReportRTTI());
}
