#include "ppreport/core/ppModelRTTI.h"

#include "platform/classes/StringList.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppCacheRTTI.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppComponent.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppProdRTTI.h"
#include "ppreport/core/ppTemplate.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/core/ppUnits.h"

namespace {
const std::vector<TraParamSpec> DrawCommandParam() {
  return {TraParamSpec("aDrawCommand", vkClass, &TppDrawCommand::StaticClassInfo)};
}
}  // namespace

const TraRTTI& TraTppPrintableRTTI() {
  using P = TppPrintable;
  static const TraRTTI Info =
      TraRTTIDef<P>("TraTppPrintableRTTI", TraTppCacheableRTTI())
          .Prop("Alignment", &P::Alignment, &P::SetAlignment)
          .Prop("AutoSize", &P::AutoSize, &P::SetAutoSize)
          .Prop("Caption", [](const P& O) { return O.Caption(); }, &P::SetCaption)
          .Prop("DataField", &P::DataField, &P::SetDataField)
          .Prop("DataPipeline", &P::GetDataPipeline, &P::SetDataPipeline)
          .Prop("DefaultPropHint", &P::GetDefaultPropHint)
          .Prop("DefaultPropName", &P::DefaultPropName)
          .Prop("DefaultPropEditType", &P::DefaultPropEditType)
          .AsEnum("TppPropEditType")
          .Prop("Description", &P::GetDescription)
          .Prop("DrawComponent", &P::DrawComponent)
          .Prop("Font", [](const P& O) -> TFont* { return O.Font(); }, [](P& O, TFont* F) { O.SetFont(F); })
          .Prop("GenerationComplete", &P::GenerationComplete)
          .Prop("Height", &P::GetHeight, &P::SetHeight)
          .Prop("Left", &P::GetLeft, &P::SetLeft)
          .Prop("LookupPipeline", &P::LookupPipeline)
          .Prop("mmHeight", &P::mmHeight)
          .Prop("mmLeft", &P::mmLeft)
          .Prop("mmTop", &P::mmTop)
          .Prop("mmWidth", &P::mmWidth)
          .Prop("OutOfSpace", &P::OutOfSpace)
          .Prop("OverFlow", &P::OverFlow)
          .Prop("ParentHeight", &P::ParentHeight, &P::SetParentHeight)
          .Prop("ParentWidth", &P::ParentWidth, &P::SetParentWidth)
          .Prop("ReprintOnOverFlow", &P::ReprintOnOverFlow, &P::SetReprintOnOverFlow)
          .Prop("ResetOnCompute", &P::ResetOnCompute)
          .Prop("ShiftWithParent", &P::GetShiftWithParent, &P::SetShiftWithParent)
          .Prop("SpaceUsed", &P::SpaceUsed)
          .Prop("spHeight", &P::GetspHeight, &P::SetspHeight)
          .Prop("spLeft", &P::GetspLeft, &P::SetspLeft)
          .Prop("spTop", &P::GetspTop, &P::SetspTop)
          .Prop("spWidth", &P::GetspWidth, &P::SetspWidth)
          .Prop("StretchWithParent", &P::StretchWithParent, &P::SetStretchWithParent)
          .Prop("Text", &P::GetText, &P::SetText)
          .Prop("Top", &P::GetTop, &P::SetTop)
          .Prop("Units", &P::Units, &P::SetUnits)
          .Prop("Visible", &P::Visible, &P::SetVisible)
          .Prop("Width", &P::GetWidth, &P::SetWidth)
          .Prop("WordWrap", &P::WordWrap, &P::SetWordWrap)
          .Prop("ZOrder", &P::ZOrder)
          .Event("OnPrint", ciPrintablePrint)
          .Event("OnDrawCommandCreate", ciPrintableDrawCommandCreate, DrawCommandParam())
          .Event("OnDrawCommandClick", ciPrintableDrawCommandClick, DrawCommandParam());
  return Info;
}

namespace {
template <class F>
struct FirstArg;
template <class C, class A>
struct FirstArg<void (C::*)(A)> {
  using Type = A;
};

// "Region" is described as a component: only a region (or nil) is written, anything else answers False.
TraEntry RegionEntry() {
  TraEntry E;
  E.Name = "Region";
  E.Form = TraForm::Class;
  E.Kind = vkClass;
  E.ClassType = &TppComponent::StaticClassInfo;
  E.Get = [](TPersistent& O, TraValueKind, TraValue& Out) {
    auto* C = dynamic_cast<TppComponent*>(&O);
    if (!C) return false;
    Out.Obj = C->Region();
    return true;
  };
  E.Set = [](TPersistent& O, TraValueKind, const TraValue& In) {
    using RegionPtr = FirstArg<decltype(&TppComponent::SetRegion)>::Type;
    auto* C = dynamic_cast<TppComponent*>(&O);
    auto* R = dynamic_cast<RegionPtr>(In.Obj);
    if (!C || (In.Obj && !R)) return false;
    C->SetRegion(R);
    return C->Region() == R;  // the component refuses what is no region
  };
  return E;
}
}  // namespace

const TraRTTI& TraTppComponentRTTI() {
  using C = TppComponent;
  auto Anchor = [](TraRTTIDef<C>& D, const char* Name, TppAnchors Set) -> TraRTTIDef<C>& {
    return D.Prop(Name, [Set](const C& O) { return O.Anchors() == Set; }, [Set](C& O, bool) { O.SetAnchors(Set); })
        .Listed();
  };
  static const TraRTTI Info = [&] {
    TraRTTIDef<C> D("TraTppComponentRTTI", TraTppPrintableRTTI());
    D.Prop("Band", &C::Band, &C::SetBand)
        .Listed()
        .Prop("BandType", [](const C& O) { return static_cast<int32_t>(O.BandType()); })
        .AsEnum("TppBandType")
        .Prop("Index", &C::GetIndex)
        .Prop("NextSibling", &C::GetNextSibling)
        .Prop("ParentIndex", &C::GetParentIndex)
        .Prop("GroupNo", &C::GroupNo)
        .Prop("Parent", &C::GetParent)
        .Prop("ParentDataPipeline", &C::ParentDataPipeline, &C::SetParentDataPipeline)
        .Entry(RegionEntry())
        .Prop("ResetGroup", &C::ResetGroup, &C::SetResetGroup)
        .ReadOnly();
    Anchor(D, "AnchorNone", ppAnchorNone);
    Anchor(D, "AnchorLeft", ppAnchorLeft);
    Anchor(D, "AnchorTop", ppAnchorTop);
    Anchor(D, "AnchorRight", ppAnchorRight);
    Anchor(D, "AnchorBottom", ppAnchorBottom);
    Anchor(D, "AnchorLeftTop", ppAnchorLeft | ppAnchorTop);
    Anchor(D, "AnchorRightTop", ppAnchorRight | ppAnchorTop);
    Anchor(D, "AnchorLeftBottom", ppAnchorLeft | ppAnchorBottom);
    Anchor(D, "AnchorRightBottom", ppAnchorRight | ppAnchorBottom);
    return TraRTTI(D);
  }();
  return Info;
}

// Names described writable without a writer here ("mmHeight", "Units", "Modified", ...) are written
// only where the object's class publishes them; elsewhere the write answers False.
const TraRTTI& TraTppBandRTTI() {
  using B = TppBand;
  static const TraRTTI Info =
      TraRTTIDef<B>("TraTppBandRTTI", TraTppCacheableRTTI())
          .Event("AfterPrint", ciBandAfterPrint)
          .Event("BeforePrint", ciBandBeforePrint)
          .Event("AfterGenerate", ciBandAfterGenerate)
          .Event("BeforeGenerate", ciBandBeforeGenerate)
          .Prop("Caption", &B::Caption, &B::SetCaption)
          .Prop("CaptionIndex", &B::CaptionIndex, &B::SetCaptionIndex)
          .ReadOnly()
          .Prop("DrawPage", &B::DrawPage, &B::SetDrawPage)
          .ReadOnly()
          .Prop("Height", &B::GetHeight, &B::SetHeight)
          .Prop("Index", &B::GetIndex)
          .Prop("LastBand", &B::LastBand)
          .Prop("mmBottomOffset", &B::mmBottomOffset)
          .ReadOnly(false)
          .Prop("mmHeight", &B::mmHeight)
          .ReadOnly(false)
          .Prop("mmPrintPosition", &B::mmPrintPosition)
          .ReadOnly(false)
          .Prop("mmTop", [](const B& O) { return const_cast<B&>(O).GetmmTop(); })
          .ReadOnly(false)
          .Prop("mmWidth", &B::GetmmWidth)
          .ReadOnly(false)
          .Indexed("Objects", &B::GetObjects, {"Index"})
          .Listed()
          .Prop("ObjectCount", &B::GetObjectCount)
          .Listed()
          .Prop("PrintHeight", &B::PrintHeight, &B::SetPrintHeight)
          .Prop("Report", &B::Report, &B::SetReport)
          .Listed()
          .Prop("Save", &B::Save, &B::SetSave)
          .Prop("SaveCount", &B::GetSaveCount)
          .Indexed("Saves", &B::GetSaves, {"Index"})
          .Prop("spHeight", &B::GetspHeight, &B::SetspHeight)
          .Prop("spTop", [](const B& O) { return const_cast<B&>(O).GetspTop(); }, &B::SetspTop)
          .Prop("spWidth", &B::GetspWidth)
          .ReadOnly(false)
          .Prop("Rank", &B::GetBandSortKey)
          .Prop("Units", &B::Units)
          .ReadOnly(false)
          .Indexed("Variables", &B::GetVariables, {"Index"})
          .Listed()
          .Prop("VariableCount", &B::GetVariableCount)
          .Listed()
          .Prop("Visible", &B::Visible, &B::SetVisible);
  return Info;
}

const TraRTTI& TraTppGroupRTTI() {
  using G = TppGroup;
  static const TraRTTI Info =
      TraRTTIDef<G>("TraTppGroupRTTI", TraTppCacheableRTTI())
          .Prop("BreakNo", &G::BreakNo)
          .Listed()
          .Prop("FirstPage", &G::GetFirstPage)
          .Listed()
          .Prop("FooterBand", &G::FooterBand)
          .Listed()
          .Prop("HeaderBand", &G::HeaderBand)
          .Listed()
          .Prop("Report", &G::Report, &G::SetReport)
          .Listed()
          .Prop("BreakComponent", [](const G& O) { return const_cast<G&>(O).GetBreakComponent(); })
          .ReadOnly(false)
          .Prop("BreakName", &G::BreakName, &G::SetBreakName)
          .Prop("BreakType", &G::BreakType, &G::SetBreakType)
          .Prop("Breaking", &G::Breaking)
          .Prop("BreakValue", &G::BreakValue)
          .Prop("CurrentValue", [](const G& O) { return const_cast<G&>(O).GetCurrentValue(); })
          .Prop("DataPipeline", &G::DataPipeline, &G::SetDataPipeline)
          .Prop("Description", &G::GetDescription)
          .Prop("FirstColumn", &G::FirstColumn)
          .Prop("FirstPageNo", &G::FirstPageNo)
          .Prop("GroupNo", &G::GetGroupNo)
          .Prop("HeaderForOrphanedFooter", &G::HeaderForOrphanedFooter, &G::SetHeaderForOrphanedFooter)
          .Prop("Index", &G::GetIndex)
          .Prop("KeepTogether", &G::KeepTogether, &G::SetKeepTogether)
          .Prop("KeptTogether", &G::KeptTogether)
          .Prop("LastPageNo", &G::LastPageNo)
          .Prop("mmNewColumnThreshold", &G::mmNewColumnThreshold)
          .Prop("mmNewPageThreshold", &G::mmNewPageThreshold)
          .Prop("NewColumn", &G::NewColumn, &G::SetNewColumn)
          .ReadOnly()
          .Prop("NewColumnThreshold", &G::GetNewColumnThreshold, &G::SetNewColumnThreshold)
          .Prop("NewPage", &G::NewPage, &G::SetNewPage)
          .Prop("NewPageThreshold", &G::GetNewPageThreshold, &G::SetNewPageThreshold)
          .Prop("Position", [](const G& O) { return static_cast<int32_t>(O.Position()); })
          .Prop("PageNo", &G::GetPageNo)
          .Prop("PageCount", &G::GetPageCount)
          .Prop("PriorValue", &G::PriorValue)
          .Prop("ReprintOnSubsequentColumn", &G::ReprintOnSubsequentColumn, &G::SetReprintOnSubsequentColumn)
          .Prop("ReprintOnSubsequentPage", &G::ReprintOnSubsequentPage, &G::SetReprintOnSubsequentPage)
          .Prop("ResetPageNo", &G::ResetPageNo, &G::SetResetPageNo)
          .Prop("Units", &G::Units)
          .ReadOnly(false)
          .Event("AfterGroupBreak", ciGroupAfterBreak)
          .Event("BeforeGroupBreak", ciGroupBeforeBreak)
          .Event("BeforeHeader", ciGroupBeforeHeader)
          .Event("BeforeFooter", ciGroupBeforeFooter)
          .Event("OnGetBreakValue", ciGroupGetBreakValue, {TraParamSpec("BreakValue", vkString, nullptr, {}, true)});
  return Info;
}

const TraRTTI& TraTppCustomReportRTTI() {
  using R = TppCustomReport;
  auto Mutable = [](const R& O) -> R& { return const_cast<R&>(O); };
  static const TraRTTI Info =
      TraRTTIDef<R>("TraTppCustomReportRTTI", TraTppProducerRTTI())
          .Prop("AbsolutePageNo", &R::AbsolutePageNo)
          .Listed()
          .Prop("AbsolutePageCount", &R::AbsolutePageCount)
          .Listed()
          .Indexed("Bands", &R::GetBands, {"Index"})
          .Listed()
          .Prop("BandCount", &R::BandCount)
          .Listed()
          .Prop("CurrentColumn", &R::CurrentColumn)
          .Listed()
          .Prop("FirstPass", &R::FirstPass)
          .Listed()
          .Indexed("Groups", &R::GetGroups, {"Index"})
          .Listed()
          .Prop("GroupCount", &R::GroupCount)
          .Listed()
          .Prop("MainReport", [Mutable](const R& O) { return Mutable(O).GetMainReport(); })
          .Listed()
          .Prop("PageNo", &R::PageNo)
          .Listed()
          .Prop("PageBandCount", &R::PageBandCount)
          .Listed()
          .Prop("PageCount", &R::PageCount)
          .Listed()
          .Prop("PrintDateTime", &R::PrintDateTime)
          .AsKind(vkDateTime)
          .Listed()
          .Prop("ReportBandCount", &R::ReportBandCount)
          .Listed()
          .Prop("SecondPass", &R::SecondPass)
          .Listed()
          .Method("Stop", &R::StopEngine)
          .Listed()
          .Method("PageLimitReached", &R::PageLimitReached)
          .Listed()
          .Prop("AbsolutePage", &R::AbsolutePageNo)
          .Prop("DonePrinting", &R::DonePrinting)
          .Prop("Engine", [](const R& O) { return O.Engine(); })
          .Prop("mmColumnWidth", &R::mmColumnWidth)
          .Prop("Modified", &R::Modified)
          .ReadOnly(false)
          .Prop("Page", &R::PageNo)
          .Prop("ParentReport", &R::ParentReport)
          .Prop("ReportDesigner", [](const R& O) { return O.GetReportDesigner(); })
          .Prop("PrintingAsSubReport", &R::PrintingAsSubReport)
          .Prop("spColumnWidth", &R::GetspColumnWidth)
          .Prop("AutoStop", &R::AutoStop, &R::SetAutoStop)
          .Prop("SaveAsTemplate", &R::SaveAsTemplate, &R::SetSaveAsTemplate)
          .Prop("Columns", &R::Columns, &R::SetColumns)
          .Prop("PageLimit", &R::PageLimit, &R::SetPageLimit)
          .Prop("ColumnWidth", [Mutable](const R& O) { return Mutable(O).GetColumnWidth(); }, &R::SetColumnWidth)
          .Prop("ColumnPositions", [Mutable](const R& O) { return Mutable(O).GetColumnPositions(); },
                [](R& O, TStrings* V) { O.SetColumnPositions(V); })
          .Prop("DataPipeline", &R::DataPipeline, &R::SetDataPipeline)
          .Prop("PassSetting", &R::PassSetting, &R::SetPassSetting)
          .Prop("Units", &R::Units, &R::SetUnits)
          .Prop("Template", &R::Template)
          .ReadOnly(false)
          .Method("GetBand",
                  {TraParamSpec("BandType", vkEnum, nullptr, "TppBandType"), TraParamSpec("GroupIndex", vkInteger),
                   TraParamSpec("Result", vkClass, &TppBand::StaticClassInfo)},
                  [](R& O, TraParamList* P) {
                    P->SetValue<TppBand*>(2, O.GetBand(P->Value<int32_t>(0), P->Value<int32_t>(1)));
                  })
          .Event("OnEndColumn", ciReportEndColumn)
          .Event("OnEndFirstPass", ciReportEndFirstPass)
          .Event("OnEndPage", ciReportEndPage)
          .Event("OnEndSecondPass", ciReportEndSecondPass)
          .Event("OnNoData", ciReportNoData,
                 {TraParamSpec("aDialog", vkClass, &TObjectClassInfo),
                  TraParamSpec("aShowDialog", vkBoolean, nullptr, {}, true),
                  TraParamSpec("aDrawCommand", vkClass, &TObjectClassInfo),
                  TraParamSpec("aAddDrawCommand", vkBoolean, nullptr, {}, true)})
          .Event("OnStartColumn", ciReportStartColumn)
          .Event("OnStartFirstPass", ciReportStartFirstPass)
          .Event("OnStartPage", ciReportStartPage)
          .Event("OnStartSecondPass", ciReportStartSecondPass)
          .HideEvent("OnPrintingComplete");
  return Info;
}

// ---- the unit

void InitializeModelUnit() {
  RegisterPPClasses({&TppGroup::StaticClassInfo()});
  for (const TraRTTI* D : {&TraTppPrintableRTTI(), &TraTppCustomReportRTTI(), &TraTppComponentRTTI(), &TraTppBandRTTI(),
                           &TraTppGroupRTTI()})
    TraRTTIClassRegistry::RegisterRTTIClass(*D);
}

void FinalizeModelUnit() {
  for (const TraRTTI* D : {&TraTppGroupRTTI(), &TraTppBandRTTI(), &TraTppComponentRTTI(), &TraTppCustomReportRTTI(),
                           &TraTppPrintableRTTI()})
    TraRTTIClassRegistry::UnregisterRTTIClass(*D);
  UnregisterPPClasses({&TppGroup::StaticClassInfo()});
}
