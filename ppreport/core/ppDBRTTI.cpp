#include "ppreport/core/ppDBRTTI.h"

#include "platform/graphics/Picture.h"
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
          .Prop("LinkCount", &P::GetLinkCount)
          .Prop("MasterDataPipeline", &P::MasterDataPipeline)
          .ReadOnly(false)
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
          .Indexed("FieldObjects", &P::GetFieldObjects, {"FieldName"})
          .Listed()
          .Indexed("FieldValues", &P::GetFieldValues, {"FieldName"})
          .DefaultProp()
          .Listed()
          .Method("GetFieldValue", &P::GetFieldValue, {"FieldName"})
          .Listed()
          .Prop("FirstRecord", &P::FirstRecord)
          .Listed()
          .Prop("LastRecord", &P::LastRecord)
          .Listed()
          .Prop("NoRecords", &P::NoRecords)
          .Listed()
          .Method("IsLinked", &P::IsLinked)
          .Listed()
          .Method("AddLink", &P::AddLink, {"MasterPipeline", "MasterFieldAlias", "DetailFieldAlias"})
          .Listed()
          .Method("FreeLinks", &P::FreeLinks)
          .Listed()
          .Indexed("Fields", &P::GetFieldAt, {"Index"})
          .Indexed("Links", &P::GetLinkAt, {"Index"});
  return Info;
}

const TraRTTI& TraTppFieldRTTI() {
  using F = TppField;
  static const TraRTTI Info = TraRTTIDef<F>("TraTppFieldRTTI", TraTppRelativeRTTI())
                                  .Prop("AsDouble", &F::GetAsDouble).Listed()
                                  .Prop("AsPicture", &F::GetAsPicture).Listed()
                                  .Prop("AsString", &F::GetAsString).Listed()
                                  .Prop("IsNull", &F::GetIsNull).Listed()
                                  .Prop("DataPipeline", &F::GetDataPipeline).Listed()
                                  .Prop("Value", &F::GetValue).Listed();
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
