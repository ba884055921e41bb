// Every name each descriptor describes: kind, read-only flag, class or enumeration type, event
// number and parameter count; and the names each appends to the name list, in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classes/StringList.h"
#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppAutoSearchRTTI.h"
#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppCacheRTTI.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppCommRTTI.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppDBRTTI.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppDrwCmdRTTI.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppModelRTTI.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppParameter.h"
#include "ppreport/core/ppParameterRTTI.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/core/ppPrinterSetupRTTI.h"
#include "ppreport/core/ppProd.h"
#include "ppreport/core/ppProdRTTI.h"
#include "ppreport/core/ppTemplate.h"
#include "ppreport/core/ppTemplateRTTI.h"
#include "ppreport/core/ppTreeNode.h"
#include "ppreport/descriptors/ppBandsRTTI.h"
#include "ppreport/descriptors/ppReportRTTI.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppGroupBands.h"
#include "ppreport/generation/ppPageBands.h"
#include "ppreport/generation/ppReport.h"

namespace {

constexpr int NoList = -1;  // the record carries no parameter list

// One described name. Type: the record's class name (vkClass) or enumeration type name (vkEnum).
struct NameRow {
  const char* Name;
  TraValueKind Kind;
  bool ReadOnly;
  const char* Type = "";
  int EventId = -1;
  int Params = NoList;
  bool IsArray = false;
};

NameRow RO(const char* N, TraValueKind K, const char* T = "") { return {N, K, true, T}; }
NameRow RW(const char* N, TraValueKind K, const char* T = "") { return {N, K, false, T}; }
NameRow Ev(const char* N, int Id, int Params = NoList) { return {N, vkMethod, true, "", Id, Params}; }
NameRow Meth(const char* N, int Params = NoList, const char* ResultClass = "") {
  return {N, vkMethod, true, ResultClass, -1, Params};
}
NameRow Idx(const char* N, int Params, const char* ResultClass = "") {
  return {N, vkMethod, true, ResultClass, -1, Params, true};
}

struct DescriptorCase {
  const TraRTTI& (*Descriptor)();
  const TClassInfo& (*Described)();
  std::vector<std::string> Listed;  // appended after the parent's list
  std::vector<NameRow> Names;
};

std::vector<DescriptorCase> Cases() {
  return {
      {&TraTppCommunicatorRTTI, &TppCommunicator::StaticClassInfo, {}, {RW("UserName", vkString)}},
      {&TraTppRelativeRTTI,
       &TppRelative::StaticClassInfo,
       {},
       {RO("AllChildCount", vkInteger), RO("ChildCount", vkInteger), RO("Index", vkInteger),
        RO("FreeingChildren", vkBoolean), RO("OrderedChildren", vkBoolean), RW("ChildType", vkInteger),
        RW("Position", vkInteger), RW("Parent", vkClass, "TppRelative")}},
      {&TraTppCacheableRTTI,
       &TppCacheable::StaticClassInfo,
       {},
       {RO("CacheCount", vkInteger), RO("CachePageCount", vkInteger), RO("CachePosition", vkInteger),
        RO("CacheRecordSize", vkInteger), RO("CacheStream", vkClass)}},
      {&TraTppTreeNodeRTTI,
       &TppTreeNode::StaticClassInfo,
       {"AbsoluteChildNodeCount", "ChildNodeCount", "ChildNodes", "Level", "ParentNode", "Add", "Assign", "CloneNode",
        "GetFirstChild", "GetLastChild", "GetLastChildDescendent", "GetNext", "GetNextSibling", "GetPrevious",
        "GetPreviousSibling"},
       {RO("AbsoluteChildNodeCount", vkInteger), RO("ChildNodeCount", vkInteger), RO("Level", vkInteger),
        RW("ParentNode", vkClass, "TppTreeNode"), Idx("ChildNodes", 2, "TppTreeNode"), Meth("Add"),
        Meth("GetFirstChild"), Meth("GetNextSibling"), Meth("GetPreviousSibling"), Meth("Assign", 1),
        Meth("CloneNode", 3, "TppTreeNode")}},
      {&TraTppAutoSearchFieldRTTI,
       &TppAutoSearchField::StaticClassInfo,
       {"DisableCriteria", "Value", "Values", "ValueCount"},
       {RO("Value", vkVariant), RO("ValueCount", vkInteger), Idx("Values", 2), Meth("DisableCriteria")}},
      {&TraTppParameterListRTTI,
       &TppParameterList::StaticClassInfo,
       {"Assign", "EqualTo", "AddName", "Add", "Clear", "InList", "Remove", "Count", "InsertMode", "Items",
        "ItemsByIndex", "Values"},
       {RO("Count", vkInteger), RW("InsertMode", vkBoolean), Idx("Values", 2), Idx("", 2),
        Idx("Items", 2, "TppParameter"), Idx("ItemsByIndex", 2, "TppParameter"), Meth("AddName", 2, "TppParameter"),
        Meth("Add", 4, "TppParameter"), Meth("InList", 2), Meth("Remove", 1), Meth("Clear"), Meth("Assign", 1),
        Meth("EqualTo", 2)}},
      {&TraTppPrinterSetupRTTI,
       &TppPrinterSetup::StaticClassInfo,
       {},
       {RO("Active", vkBoolean), RO("PrinterDescription", vkString), RO("PrintableHeight", vkSingle),
        RO("PrintableWidth", vkSingle), RO("BinNames", vkClass, "TStrings"), RO("PaperNames", vkClass, "TStrings"),
        RO("PrinterNames", vkClass, "TStrings"), RO("PrinterInfo", vkClass),
        RO("PageDef", vkClass, "TppPageDef"), RW("BinName", vkString), RW("DocumentName", vkString),
        RW("PaperName", vkString), RW("PrinterName", vkString), RW("Collation", vkBoolean), RW("Copies", vkInteger),
        RW("MarginBottom", vkSingle), RW("MarginLeft", vkSingle), RW("MarginRight", vkSingle),
        RW("MarginTop", vkSingle), RW("PaperHeight", vkSingle), RW("PaperWidth", vkSingle),
        RW("Duplex", vkEnum, "TppDuplexType"), RW("Orientation", vkEnum, "TPrinterOrientation"),
        RW("Units", vkEnum, "TppUnitType")}},
      {&TraTppTemplateDBSettingsRTTI,
       &TppTemplateDBSettings::StaticClassInfo,
       {},
       {RW("DataPipeline", vkClass, "TppDataPipeline"), RW("Name", vkString), RW("NameField", vkString),
        RW("TemplateField", vkString)}},
      {&TraTppCustomTemplateRTTI,
       &TppCustomTemplate::StaticClassInfo,
       {},
       {RO("DatabaseSettings", vkClass, "TppTemplateDBSettings"), RO("Description", vkString),
        RO("Owner", vkClass, "TComponent"), RW("FileName", vkString), RW("Format", vkEnum, "TppFormatType"),
        RW("Offset", vkInteger), RW("SaveTo", vkEnum, "TppSaveToType")}},
      {&TraTppTemplateRTTI,
       &TppTemplate::StaticClassInfo,
       {"LoadFromDatabase", "LoadFromFile", "New", "SaveToDatabase", "SaveToFile"},
       {RO("Root", vkClass, "TComponent"), RO("ReadOnly", vkBoolean), RW("FileExtension", vkString),
        RW("FileFilter", vkString), Meth("LoadFromDatabase"), Meth("LoadFromFile"), Meth("New"),
        Meth("SaveToDatabase"), Meth("SaveToFile")}},
      {&TraTppReportTemplateRTTI, &TppReportTemplate::StaticClassInfo, {}, {RO("Report", vkClass, "TComponent")}},
      {&TraTppDataPipelineRTTI,
       &TppDataPipeline::StaticClassInfo,
       {"FieldObjects", "FieldValues", "GetFieldValue", "FirstRecord", "LastRecord", "NoRecords", "IsLinked",
        "AddLink", "FreeLinks"},
       {Ev("BeforeOpen", 130), Ev("AfterOpen", 131), Ev("BeforeClose", 132), Ev("AfterClose", 133),
        Ev("OnRecordPositionChange", 37), Ev("OnMasterRecordPositionChange", 38), Ev("OnTraversal", 39),
        Ev("OnGotoBookmark", 40), Ev("OnDataChange", 41), Ev("OnFirst", 42), Ev("OnNext", 43), Ev("OnPrior", 44),
        Ev("OnLast", 45), RO("Active", vkBoolean), RO("BOF", vkBoolean), RO("DataTraversed", vkBoolean),
        RO("EOF", vkBoolean), RO("FirstRecord", vkBoolean), RO("LastRecord", vkBoolean), RO("NoRecords", vkBoolean),
        RO("TraversalCount", vkInteger), RO("FieldCount", vkInteger), RO("LinkCount", vkInteger),
        RO("DataView", vkClass, "TComponent"), RO("CurrentField", vkClass, "TppField"),
        RW("SkipWhenNoRecords", vkBoolean), RW("Visible", vkBoolean),
        RW("MasterDataPipeline", vkClass, "TppDataPipeline"), Idx("FieldValues", 2), Idx("", 2),
        Idx("FieldObjects", 2, "TppField"), Idx("Fields", 2, "TppField"), Idx("Links", 2, "TppMasterFieldLink"),
        Meth("GetFieldValue", 2), Meth("AddLink", 4, "TppMasterFieldLink"), Meth("IsLinked", 1),
        Meth("FreeLinks")}},
      {&TraTppFieldRTTI,
       &TppField::StaticClassInfo,
       {"AsDouble", "AsPicture", "AsString", "IsNull", "DataPipeline", "Value"},
       {RO("AsDouble", vkDouble), RO("AsPicture", vkClass), RO("AsString", vkString), RO("IsNull", vkBoolean),
        RO("DataPipeline", vkClass, "TppDataPipeline"), RO("Value", vkVariant)}},
      {&TraTppPageRTTI, &TppPage::StaticClassInfo, {"RemoveDrawCommand"}, {Meth("RemoveDrawCommand", 1)}},
      {&TraTppDrawCommandRTTI,
       &TppDrawCommand::StaticClassInfo,
       {"Page", "Clickable", "RedrawPage"},
       {RO("Clickable", vkBoolean), RW("Page", vkClass, "TppPage"), RW("RedrawPage", vkBoolean)}},
      {&TraTppDrawTextRTTI, &TppDrawText::StaticClassInfo, {}, {RW("RedrawPage", vkBoolean)}},
      {&TraTppProducerRTTI,
       &TppProducer::StaticClassInfo,
       {},
       {Ev("AfterPrint", 0), Ev("BeforePrint", 1), Ev("OnCancel", 2), Ev("OnCancelDialogCreate", 3),
        Ev("OnCancelDialogClose", 4), Ev("OnAssignPreviewFormSettings", 105), Ev("OnPageRequest", 140),
        Ev("OnPreviewFormCreate", 5), Ev("OnPreviewFormClose", 6), Ev("OnPrintDialogCreate", 7),
        Ev("OnPrintDialogClose", 8), Ev("OnSaveText", 9, 1), RO("Converted", vkBoolean),
        RO("ConvertedFromPre40", vkBoolean), RO("Printing", vkBoolean), RO("Producing", vkBoolean),
        RO("CurrentPage", vkInteger), RO("LanguageIndex", vkInteger), RO("VersionNo", vkInteger),
        RO("Version", vkString), RO("Language", vkEnum, "TppLanguageType"),
        RO("CancelDialog", vkClass, "TComponent"), RO("FileDevice", vkClass, "TppFileDevice"),
        RO("PreviewForm", vkClass, "TComponent"),
        RO("PreviewFormSettings", vkClass, "TppPreviewFormSettings"),
        RO("PrinterSetup", vkClass, "TppPrinterSetup"), RO("Printer", vkClass),
        RO("PrintDialog", vkClass, "TComponent"), RO("PrinterDevice", vkClass, "TppDevice"),
        RO("Publisher", vkClass, "TppPublisher"), RO("TextSearchSettings", vkClass, "TppTextSearchSettings"),
        RW("AllowPrintToArchive", vkBoolean), RW("AllowPrintToFile", vkBoolean),
        RW("EnableProcessMessages", vkBoolean), RW("ModalCancelDialog", vkBoolean), RW("ModalPreview", vkBoolean),
        RW("SavePrinterSetup", vkBoolean), RW("ShowAutoSearchDialog", vkBoolean), RW("ShowCancelDialog", vkBoolean),
        RW("ShowPrintDialog", vkBoolean), RW("ArchiveFileName", vkString), RW("DeviceType", vkString),
        RW("TextFileName", vkString), RW("TextFileType", vkEnum, "TppFileType"), RW("Icon", vkClass),
        Meth("Cancel")}},
      {&TraTppCustomReportRTTI,
       &TppCustomReport::StaticClassInfo,
       {"AbsolutePageNo", "AbsolutePageCount", "Bands", "BandCount", "CurrentColumn", "FirstPass", "Groups",
        "GroupCount", "MainReport", "PageNo", "PageBandCount", "PageCount", "PrintDateTime", "ReportBandCount",
        "SecondPass", "Stop", "PageLimitReached"},
       {Ev("OnEndColumn", 15), Ev("OnEndFirstPass", 16), Ev("OnEndPage", 17), Ev("OnEndSecondPass", 18),
        Ev("OnStartColumn", 19), Ev("OnStartFirstPass", 20), Ev("OnStartPage", 21), Ev("OnStartSecondPass", 22),
        Ev("OnNoData", 87, 4), RO("AbsolutePage", vkInteger), RO("AbsolutePageNo", vkInteger),
        RO("AbsolutePageCount", vkInteger), RO("BandCount", vkInteger), RO("CurrentColumn", vkInteger),
        RO("GroupCount", vkInteger), RO("mmColumnWidth", vkInteger), RO("Page", vkInteger), RO("PageNo", vkInteger),
        RO("pageno", vkInteger), RO("PAGENO", vkInteger), RO("PageBandCount", vkInteger),
        RO("PageCount", vkInteger), RO("ReportBandCount", vkInteger), RO("spColumnWidth", vkInteger),
        RO("DonePrinting", vkBoolean), RO("FirstPass", vkBoolean), RO("SecondPass", vkBoolean),
        RO("PrintingAsSubReport", vkBoolean), RO("PrintDateTime", vkDateTime),
        RO("Engine", vkClass, "TppCustomEngine"), RO("MainReport", vkClass, "TppCustomReport"),
        RO("ParentReport", vkClass, "TppCustomReport"), RO("ReportDesigner", vkClass, "TComponent"),
        RW("Modified", vkBoolean), RW("AutoStop", vkBoolean), RW("SaveAsTemplate", vkBoolean),
        RW("Columns", vkInteger), RW("PageLimit", vkInteger), RW("ColumnWidth", vkSingle),
        RW("ColumnPositions", vkClass, "TStrings"), RW("DataPipeline", vkClass, "TppDataPipeline"),
        RW("PassSetting", vkEnum, "TppPassSettingType"), RW("Units", vkEnum, "TppUnitType"),
        RW("Template", vkClass, "TppReportTemplate"), Idx("Bands", 2, "TppBand"), Idx("Groups", 2, "TppGroup"),
        Meth("GetBand", 3, "TppBand"), Meth("Stop"), Meth("PageLimitReached")}},
      {&TraTppBandRTTI,
       &TppBand::StaticClassInfo,
       {"Objects", "ObjectCount", "Report", "Variables", "VariableCount"},
       {Ev("AfterPrint", 23), Ev("BeforePrint", 24), Ev("AfterGenerate", 25), Ev("BeforeGenerate", 26),
        RO("CaptionIndex", vkInteger), RO("Index", vkInteger), RO("ObjectCount", vkInteger),
        RO("SaveCount", vkInteger), RO("VariableCount", vkInteger), RO("DrawPage", vkBoolean),
        RO("LastBand", vkBoolean), RO("Rank", vkString), RW("Caption", vkString), RW("Height", vkSingle),
        RW("mmBottomOffset", vkInteger), RW("mmHeight", vkInteger), RW("mmPrintPosition", vkInteger),
        RW("mmTop", vkInteger), RW("mmWidth", vkInteger), RW("spHeight", vkInteger), RW("spTop", vkInteger),
        RW("spWidth", vkInteger), RW("Save", vkBoolean), RW("Visible", vkBoolean),
        RW("PrintHeight", vkEnum, "TppPrintHeightType"), RW("Units", vkEnum, "TppUnitType"),
        RW("Report", vkClass, "TppCustomReport"), Idx("Objects", 2, "TppComponent"),
        Idx("Saves", 2, "TppComponent"), Idx("Variables", 2, "TppComponent")}},
      {&TraTppGroupRTTI,
       &TppGroup::StaticClassInfo,
       {"BreakNo", "FirstPage", "FooterBand", "HeaderBand", "Report"},
       {Ev("AfterGroupBreak", 27), Ev("BeforeGroupBreak", 28), Ev("BeforeHeader", 29), Ev("BeforeFooter", 30),
        Ev("OnGetBreakValue", 31, 1), RO("Breaking", vkBoolean), RO("FirstPage", vkBoolean),
        RO("KeptTogether", vkBoolean), RO("NewColumn", vkBoolean), RO("BreakNo", vkInteger),
        RO("FirstColumn", vkInteger), RO("FirstPageNo", vkInteger), RO("GroupNo", vkInteger), RO("Index", vkInteger),
        RO("LastPageNo", vkInteger), RO("mmNewColumnThreshold", vkInteger), RO("mmNewPageThreshold", vkInteger),
        RO("Position", vkInteger), RO("PageNo", vkInteger), RO("PageCount", vkInteger), RO("BreakValue", vkString),
        RO("CurrentValue", vkString), RO("Description", vkString), RO("PriorValue", vkString),
        RO("FooterBand", vkClass, "TppBand"), RO("HeaderBand", vkClass, "TppBand"), RW("BreakName", vkString),
        RW("BreakType", vkEnum, "TppBreakType"), RW("HeaderForOrphanedFooter", vkBoolean),
        RW("KeepTogether", vkBoolean), RW("NewPage", vkBoolean), RW("ReprintOnSubsequentColumn", vkBoolean),
        RW("ReprintOnSubsequentPage", vkBoolean), RW("ResetPageNo", vkBoolean), RW("NewColumnThreshold", vkSingle),
        RW("NewPageThreshold", vkSingle), RW("BreakComponent", vkClass, "TppComponent"),
        RW("DataPipeline", vkClass, "TppDataPipeline"), RW("Report", vkClass, "TppCustomReport"),
        RW("Units", vkEnum, "TppUnitType")}},
      {&TraTppCustomBandRTTI,
       &TppCustomBand::StaticClassInfo,
       {"Count", "OverFlow"},
       {RO("AllObjectsPrinted", vkBoolean), RO("Generating", vkBoolean), RO("GenerationComplete", vkBoolean),
        RO("OutOfSpace", vkBoolean), RO("OverFlow", vkBoolean), RO("PartialGeneration", vkBoolean),
        RO("PrintingSection", vkBoolean), RO("PrintPositionBreak", vkBoolean), RO("Count", vkInteger),
        RO("CurrentPosition", vkInteger), RO("CumulativeCurrentPosition", vkInteger), RO("PageBottom", vkInteger),
        RO("PartialAdjustment", vkInteger), RO("SpaceUsed", vkInteger), RO("StartingPosition", vkInteger),
        RO("MaxStretchable", vkClass, "TppStretchable"), RO("CurrentObject", vkClass, "TppComponent")}},
      {&TraTppPageBandRTTI, &TppPageBand::StaticClassInfo, {}, {RO("PrintHeight", vkEnum, "TppPrintHeightType")}},
      {&TraTppFooterBandRTTI, &TppFooterBand::StaticClassInfo, {}, {RO("PrintHeight", vkEnum, "TppPrintHeightType")}},
      {&TraTppColumnFooterBandRTTI,
       &TppColumnFooterBand::StaticClassInfo,
       {},
       {RO("PrintHeight", vkEnum, "TppPrintHeightType")}},
      {&TraTppReportBandRTTI, &TppReportBand::StaticClassInfo, {}, {RW("NewPage", vkBoolean)}},
      {&TraTppDetailBandRTTI,
       &TppDetailBand::StaticClassInfo,
       {"BandsPerRecordCount"},
       {RO("BandsPerRecordCount", vkInteger), RW("BandsPerRecord", vkInteger), RW("PrintCount", vkInteger),
        RW("DataPipeline", vkClass, "TppDataPipeline")}},
      {&TraTppGroupBandRTTI,
       &TppGroupBand::StaticClassInfo,
       {"Group"},
       {RO("Description", vkString), RO("Generation", vkBoolean), RO("SaveGeneration", vkBoolean),
        RW("Group", vkClass, "TppGroup")}},
      {&TraTppBandedReportRTTI,
       &TppBandedReport::StaticClassInfo,
       {"ColumnHeader", "ColumnFooter", "Title", "Header", "Detail", "Footer", "Summary", "GroupHeader",
        "GroupFooter"},
       {RO("Title", vkClass, "TppTitleBand"), RO("TitleBand", vkClass, "TppTitleBand"),
        RO("Header", vkClass, "TppHeaderBand"), RO("HeaderBand", vkClass, "TppHeaderBand"),
        RO("ColumnHeader", vkClass, "TppColumnHeaderBand"), RO("ColumnHeaderBand", vkClass, "TppColumnHeaderBand"),
        RO("Detail", vkClass, "TppDetailBand"), RO("DetailBand", vkClass, "TppDetailBand"),
        RO("ColumnFooter", vkClass, "TppColumnFooterBand"), RO("ColumnFooterBand", vkClass, "TppColumnFooterBand"),
        RO("Footer", vkClass, "TppFooterBand"), RO("FooterBand", vkClass, "TppFooterBand"),
        RO("Summary", vkClass, "TppSummaryBand"), RO("SummaryBand", vkClass, "TppSummaryBand"),
        Idx("GroupHeader", 2, "TppGroupHeaderBand"), Idx("GroupHeaderBand", 2, "TppGroupHeaderBand"),
        Idx("GroupFooter", 2, "TppGroupFooterBand"), Idx("GroupFooterBand", 2, "TppGroupFooterBand")}},
      {&TraTppReportRTTI,
       &TppReport::StaticClassInfo,
       {"PreviewForm", "Parameters", "AutoSearchCriteriaByName", "CreateAutoSearchCriteria",
        "GetAutoSearchDescriptionLines", "DisplayAutoSearchDialog"},
       {Ev("AfterOpenDataPipelines", 135), Ev("BeforeOpenDataPipelines", 134),
        Ev("BeforeAutoSearchDialogCreate", 72), Ev("AfterAutoSearchDialogCreate", 10),
        Ev("OnAutoSearchDialogClose", 11), Ev("OnGetAutoSearchValues", 12), Ev("OnInitializeParameters", 136, 1),
        Ev("OnOutlineNodeCreate", 88, 2), RO("ActiveReport", vkClass, "TppCustomReport"),
        RO("AutoSearchDialog", vkClass, "TComponent"), RO("CacheManager", vkClass, "TppCacheManager"),
        RO("AutoSearchDescription", vkString), RO("AutoSearchFieldCount", vkInteger), RW("CachePages", vkBoolean),
        RW("Parameters", vkClass, "TppParameterList"), RO("PreviewForm", vkClass, "TComponent"),
        Idx("AutoSearchFields", 2, "TppAutoSearchField"), Meth("AutoSearchCriteriaByName", 3, "TppAutoSearchField"),
        Meth("CreateAutoSearchCriteria", 6, "TppAutoSearchField"), Meth("DisplayAutoSearchDialog", 1),
        Meth("GetAutoSearchDescriptionLines", 1)}},
      {&TraTppGroupHeaderBandRTTI,
       &TppGroupHeaderBand::StaticClassInfo,
       {"AlreadyPageBreak"},
       {RO("AlreadyPageBreak", vkBoolean)}},
  };
}

std::vector<std::string> Names(const TStrings& L) {
  std::vector<std::string> R;
  for (int I = 0; I < L.Count(); ++I) R.push_back(L.Get(I));
  return R;
}

TEST(DescriptorTable, EveryDescribedName) {
  for (const DescriptorCase& C : Cases()) {
    const TraRTTI& D = C.Descriptor();
    const TClassInfo& Class = C.Described();
    SCOPED_TRACE(D.Name());
    EXPECT_EQ(&Class, &D.DescribedClass());
    EXPECT_EQ(&D, TraRTTIClassRegistry::GetRTTIClass(Class)) << "registered";
    for (const NameRow& Row : C.Names) {
      SCOPED_TRACE(Row.Name);
      TraPropRec Rec;
      ASSERT_TRUE(D.GetPropRec(Class, Row.Name, Rec));
      EXPECT_EQ(Row.Kind, Rec.DataType);
      EXPECT_EQ(Row.ReadOnly, Rec.ReadOnly);
      EXPECT_FALSE(Rec.IsPublished);
      EXPECT_EQ(Row.EventId, Rec.EventId);
      EXPECT_EQ(Row.IsArray, Rec.IsArray);
      EXPECT_EQ(Row.Params, Rec.Params ? Rec.Params->Count() : NoList);
      if (Row.Kind == vkEnum) EXPECT_EQ(Row.Type, Rec.TypeName);
      if (Row.Kind == vkClass || Row.Kind == vkMethod) {
        // Classes without a class record (streams, pictures, icons, the printer) describe as nil;
        // the dialogs and devices of the output library as their base class here.
        const std::string Type = Rec.ClassType ? Rec.ClassType->Name : "";
        EXPECT_EQ(Row.Type, Type);
      }
    }
    TStringList Mine, Parents;
    D.GetPropList(Class, Mine);
    D.Parent()->GetPropList(Class, Parents);
    std::vector<std::string> Expected = Names(Parents);
    Expected.insert(Expected.end(), C.Listed.begin(), C.Listed.end());
    EXPECT_EQ(Expected, Names(Mine));
  }
}

// Plain objects to scripts: no "Assign" and nothing appended but the object's own names.
TEST(DescriptorTable, PlainObjectsOfferNoAssign) {
  for (const TraRTTI* D : {&TraTppPrinterSetupRTTI(), &TraTppTemplateDBSettingsRTTI(), &TraTppCustomTemplateRTTI()}) {
    SCOPED_TRACE(D->Name());
    TraPropRec Rec;
    EXPECT_FALSE(D->GetPropRec(D->DescribedClass(), "Assign", Rec));
    EXPECT_TRUE(D->InheritsFrom(TraTObjectRTTI()));
    EXPECT_FALSE(D->InheritsFrom(TraTPersistentRTTI()));
  }
  // The page descriptor departs from the page's own line.
  EXPECT_TRUE(TraTppPageRTTI().InheritsFrom(TraTComponentRTTI()));
  EXPECT_FALSE(TraTppPageRTTI().InheritsFrom(TraTppRelativeRTTI()));
}

// The library's units add exactly their descriptors and take them away again; a band is then
// served by its nearest described ancestor.
TEST(DescriptorTable, UnitsRegisterAndRemoveTheirDescriptors) {
  const int Before = TraRTTIClassRegistry::Count();
  FinalizeReportRTTIUnit();
  FinalizeBandsRTTIUnit();
  EXPECT_EQ(Before - 10, TraRTTIClassRegistry::Count());
  EXPECT_EQ(&TraTppBandRTTI(), TraRTTIClassRegistry::GetRTTIClass(TppDetailBand::StaticClassInfo()));
  EXPECT_EQ(&TraTppCustomReportRTTI(), TraRTTIClassRegistry::GetRTTIClass(TppReport::StaticClassInfo()));
  InitializeBandsRTTIUnit();
  InitializeReportRTTIUnit();
  EXPECT_EQ(Before, TraRTTIClassRegistry::Count());
  EXPECT_EQ(&TraTppDetailBandRTTI(), TraRTTIClassRegistry::GetRTTIClass(TppDetailBand::StaticClassInfo()));
}

}  // namespace
