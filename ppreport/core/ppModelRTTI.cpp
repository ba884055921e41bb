#include "ppreport/core/ppModelRTTI.h"

#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppCacheRTTI.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppComponent.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppProdRTTI.h"
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
    auto* C = dynamic_cast<TppComponent*>(&O);
    auto* R = dynamic_cast<TppCustomRegion*>(In.Obj);
    if (!C || (In.Obj && !R)) return false;
    C->SetRegion(R);
    return true;
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
          .Prop("DrawPage", &B::DrawPage, &B::SetDrawPage)
          .Prop("Height", &B::GetHeight, &B::SetHeight)
          .Prop("Index", &B::GetIndex)
          .Prop("LastBand", &B::LastBand, &B::SetLastBand)
          .Prop("mmBottomOffset", &B::mmBottomOffset)
          .Prop("mmHeight", &B::mmHeight, &B::ChangeHeight)
          .Prop("mmPrintPosition", &B::mmPrintPosition)
          .Prop("mmTop", [](const B& O) { return const_cast<B&>(O).GetmmTop(); })
          .Prop("mmWidth", &B::GetmmWidth)
          .Prop("ObjectCount", &B::GetObjectCount)
          .Indexed("Objects", &B::GetObjects, {"Index"})
          .GetOnly()
          .Prop("PrintHeight", &B::PrintHeight, &B::SetPrintHeight)
          .Prop("Report", &B::Report)
          .Prop("Save", &B::Save, &B::SetSave)
          .Prop("SaveCount", &B::GetSaveCount)
          .Indexed("Saves", &B::GetSaves, {"Index"})
          .GetOnly()
          .Prop("spHeight", &B::GetspHeight, &B::SetspHeight)
          .Prop("spTop", [](const B& O) { return const_cast<B&>(O).GetspTop(); }, &B::SetspTop)
          .Prop("spWidth", &B::GetspWidth)
          .Prop("Rank", &B::GetBandSortKey)
          .Prop("Units", &B::Units, &B::SetUnits)
          .Prop("VariableCount", &B::GetVariableCount)
          .Indexed("Variables", &B::GetVariables, {"Index"})
          .GetOnly()
          .Prop("Visible", &B::Visible, &B::SetVisible);
  return Info;
}

const TraRTTI& TraTppGroupRTTI() {
  using G = TppGroup;
  static const TraRTTI Info =
      TraRTTIDef<G>("TraTppGroupRTTI", TraTppCacheableRTTI())
          .Prop("BreakComponent", [](const G& O) { return const_cast<G&>(O).GetBreakComponent(); })
          .Prop("Breaking", &G::Breaking)
          .Prop("BreakNo", &G::BreakNo)
          .Prop("BreakValue", &G::BreakValue)
          .Prop("CurrentValue", [](const G& O) { return const_cast<G&>(O).GetCurrentValue(); })
          .Prop("Description", &G::GetDescription)
          .Prop("FirstColumn", &G::FirstColumn)
          .Prop("FirstPage", &G::GetFirstPage)
          .Prop("FirstPageNo", &G::FirstPageNo)
          .Prop("FooterBand", &G::FooterBand)
          .Prop("GroupNo", &G::GetGroupNo)
          .Prop("HeaderBand", &G::HeaderBand)
          .Prop("Index", &G::GetIndex)
          .Prop("KeptTogether", &G::KeptTogether)
          .Prop("LastPageNo", &G::LastPageNo)
          .Prop("mmNewColumnThreshold", &G::mmNewColumnThreshold)
          .Prop("mmNewPageThreshold", &G::mmNewPageThreshold)
          .Prop("Position", &G::Position)
          .Prop("PageNo", &G::GetPageNo)
          .Prop("PageCount", &G::GetPageCount)
          .Prop("PriorValue", &G::PriorValue)
          .Prop("Report", &G::Report)
          .Prop("Units", &G::Units)
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
          .Prop("AbsolutePage", &R::AbsolutePageNo)
          .Prop("AbsolutePageNo", &R::AbsolutePageNo)
          .Prop("AbsolutePageCount", &R::AbsolutePageCount)
          .Prop("BandCount", &R::BandCount)
          .Prop("CurrentColumn", &R::CurrentColumn)
          .Prop("DonePrinting", &R::DonePrinting)
          .Prop("Engine", [](const R& O) { return O.Engine(); })
          .Prop("FirstPass", &R::FirstPass)
          .Prop("GroupCount", &R::GroupCount)
          .Prop("MainReport", [Mutable](const R& O) { return Mutable(O).GetMainReport(); })
          .Prop("mmColumnWidth", &R::mmColumnWidth, &R::SetmmColumnWidth)
          .Prop("Modified", &R::Modified, &R::SetModified)
          .Prop("Page", &R::PageNo)
          .Prop("PageNo", &R::PageNo)
          .Prop("PageBandCount", &R::PageBandCount)
          .Prop("PageCount", &R::PageCount)
          .Prop("ParentReport", &R::ParentReport, &R::SetParentReport)
          .Prop("ReportDesigner", [](const R& O) { return O.GetReportDesigner(); })
          .Prop("PrintDateTime", &R::PrintDateTime)
          .AsKind(vkDateTime)
          .Prop("PrintingAsSubReport", &R::PrintingAsSubReport, &R::SetPrintingAsSubReport)
          .Prop("ReportBandCount", &R::ReportBandCount)
          .Prop("SecondPass", &R::SecondPass)
          .Prop("spColumnWidth", &R::GetspColumnWidth)
          .Method("Bands", &R::GetBands, {"Index"})
          .Method("Groups", &R::GetGroups, {"Index"})
          .Method("Stop", &R::StopEngine)
          .Method("PageLimitReached", &R::PageLimitReached)
          .Method("GetBand", &R::GetBand, {"BandType", "GroupIndex"})
          .Event("OnEndColumn", ciReportEndColumn)
          .Event("OnEndFirstPass", ciReportEndFirstPass)
          .Event("OnEndPage", ciReportEndPage)
          .Event("OnEndSecondPass", ciReportEndSecondPass)
          .Event("OnNoData", ciReportNoData,
                 {TraParamSpec("aDialog", vkClass, &TComponent::StaticClassInfo),
                  TraParamSpec("aShowDialog", vkBoolean, nullptr, {}, true),
                  TraParamSpec("aDrawCommand", vkClass, &TppDrawCommand::StaticClassInfo),
                  TraParamSpec("aAddDrawCommand", vkBoolean, nullptr, {}, true)})
          .Event("OnStartColumn", ciReportStartColumn)
          .Event("OnStartFirstPass", ciReportStartFirstPass)
          .Event("OnStartPage", ciReportStartPage)
          .Event("OnStartSecondPass", ciReportStartSecondPass);
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
