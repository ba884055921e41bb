#include "ppreport/descriptors/ppSubRptRTTI.h"

#include "platform/classes/StringList.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/descriptors/ppStrtchRTTI.h"
#include "ppreport/generation/ppReport.h"
#include "ppreport/generation/ppSubRpt.h"

namespace {
// The expansion key at an index, an indexed property.
TraEntry ExpansionsEntry() {
  TraEntry E;
  E.Name = "Expansions";
  E.Form = TraForm::Indexed;
  E.Kind = vkMethod;
  E.ReadOnly = true;
  E.HasParams = E.RecordParams = true;
  E.Params = {TraParamSpec("Index", vkInteger), TraParamSpec("Result", vkString)};
  E.Call = [](TPersistent& O, TraParamList* P, bool) {
    auto* S = dynamic_cast<TppSubReport*>(&O);
    if (!S || !P || P->Count() < 2) return false;
    P->SetValue(1, S->Expansions().Get(P->Value<int>(0)));
    return true;
  };
  return E;
}
}  // namespace

const TraRTTI& TraTppSubReportRTTI() {
  using S = TppSubReport;
  static const TraRTTI Info =
      TraRTTIDef<S>("TraTppSubReportRTTI", TraTppStretchableRTTI())
          .Prop("Report", &S::Report)
          .Listed()
          .Method("CreateReport", {TraParamSpec("MasterReport", vkClass, &TppReport::StaticClassInfo)},
                  [](S& O, TraParamList* P) { O.CreateReport(P->Value<TppCustomReport*>(0)); })
          .Listed()
          .Prop("DrillDownExpanded", &S::DrillDownExpanded)
          .Listed()
          .Prop("Count", &S::Count)
          .Prop("ExpansionCount", &S::ExpansionCount)
          .Prop("CurrentReportKey", &S::CurrentReportKey)
          .Prop("CurrentExpansionKey", &S::CurrentExpansionKey)
          .Prop("DrillDownComponent", [](const S& O) { return const_cast<S&>(O).DrillDownComponent(); },
                &S::SetDrillDownComponent)
          .Prop("ExpandAll", &S::ExpandAll, &S::SetExpandAll)
          .Prop("NewPrintJob", &S::NewPrintJob, &S::SetNewPrintJob)
          .Prop("ParentPrinterSetup", &S::ParentPrinterSetup, &S::SetParentPrinterSetup)
          .Prop("ResetPageNo", &S::ResetPageNo, &S::SetResetPageNo)
          .Prop("TraverseAllData", &S::TraverseAllData, &S::SetTraverseAllData)
          .Prop("PrintBehavior", &S::PrintBehavior, &S::SetPrintBehavior)
          .Entry(ExpansionsEntry());
  return Info;
}

void InitializeSubRptRTTIUnit() { TraRTTIClassRegistry::RegisterRTTIClass(TraTppSubReportRTTI()); }

void FinalizeSubRptRTTIUnit() { TraRTTIClassRegistry::UnregisterRTTIClass(TraTppSubReportRTTI()); }
