#include "ppreport/core/ppDBRTTI.h"

#include "ppreport/core/ppCommRTTI.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/core/ppUnits.h"

const TraRTTI& TraTppDataPipelineRTTI() {
  using P = TppDataPipeline;
  static const TraRTTI Info =
      TraRTTIDef<P>("TraTppDataPipelineRTTI", TraTppRelativeRTTI())
          .Prop("Active", &P::GetActive)
          .Prop("BOF", [](const P& D) { return const_cast<P&>(D).GetBOF(); })
          .Prop("EOF", [](const P& D) { return const_cast<P&>(D).GetEOF(); })
          .Prop("CurrentField", &P::GetCurrentField)
          .Prop("DataTraversed", &P::DataTraversed)
          .Prop("DataView", [](const P&) -> TComponent* { return nullptr; })  // no data-view class here
          .Prop("FieldCount", &P::GetFieldCount)
          .Prop("FirstRecord", &P::FirstRecord)
          .Prop("LastRecord", &P::LastRecord)
          .Prop("LinkCount", &P::GetLinkCount)
          .Prop("MasterDataPipeline", &P::MasterDataPipeline, &P::SetMasterDataPipeline)
          .Prop("NoRecords", &P::NoRecords)
          .Prop("SkipWhenNoRecords", &P::SkipWhenNoRecords, &P::SetSkipWhenNoRecords)
          .Prop("TraversalCount", &P::TraversalCount)
          .Prop("Visible", &P::Visible, &P::SetVisible)
          .Event("AfterClose", ciPipelineAfterClose)
          .Event("AfterOpen", ciPipelineAfterOpen)
          .Event("BeforeClose", ciPipelineBeforeClose)
          .Event("BeforeOpen", ciPipelineBeforeOpen)
          .Event("OnDataChange", ciPipelineDataChange)
          .Event("OnFirst", ciPipelineFirst)
          .Event("OnGotoBookmark", ciPipelineGotoBookmark)
          .Event("OnLast", ciPipelineLast)
          .Event("OnMasterRecordPositionChange", ciPipelineMasterRecordPositionChange)
          .Event("OnNext", ciPipelineNext)
          .Event("OnPrior", ciPipelinePrior)
          .Event("OnRecordPositionChange", ciPipelineRecordPositionChange)
          .Event("OnTraversal", ciPipelineTraversal)
          .Method("AddLink", &P::AddLink, {"MasterPipeline", "MasterFieldAlias", "DetailFieldAlias"})
          .Indexed("FieldValues", &P::GetFieldValues, {"FieldName"}).GetOnly()
          .Indexed("FieldObjects", &P::GetFieldObjects, {"FieldName"}).GetOnly()
          .Method("GetFieldValue", &P::GetFieldValue, {"FieldName"})
          .Indexed("Fields", &P::GetFieldAt, {"Index"}).GetOnly()
          .Indexed("Links", &P::GetLinkAt, {"Index"}).GetOnly()
          .Method("IsLinked", &P::IsLinked)
          .Method("FreeLinks", &P::FreeLinks);
  return Info;
}

const TraRTTI& TraTppFieldRTTI() {
  using F = TppField;
  static const TraRTTI Info = TraRTTIDef<F>("TraTppFieldRTTI", TraTppRelativeRTTI())
                                  .Prop("AsDouble", &F::GetAsDouble)
                                  .DescribeClass("AsPicture", nullptr, true)
                                  .Prop("AsString", &F::GetAsString)
                                  .Prop("IsNull", &F::GetIsNull)
                                  .Prop("DataPipeline", &F::GetDataPipeline)
                                  .Prop("Value", &F::GetValue);
  return Info;
}

// ---- the unit

void InitializeDBUnit() {
  RegisterPPClasses({&TppField::StaticClassInfo(), &TppMasterFieldLink::StaticClassInfo()});
  TraRTTIClassRegistry::RegisterRTTIClass(TraTppDataPipelineRTTI());
  TraRTTIClassRegistry::RegisterRTTIClass(TraTppFieldRTTI());
}

void FinalizeDBUnit() {
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppFieldRTTI());
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppDataPipelineRTTI());
  UnregisterPPClasses({&TppField::StaticClassInfo(), &TppMasterFieldLink::StaticClassInfo()});
}
