#pragma once
// The shared vocabulary of the pp library: its exceptions, the enumerated and set
// types of properties, events and streams, the event-handler signatures, and the
// enumeration registry that tools working by name read.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variants.h"

class TStrings;
class TPicture;

// ---- Exceptions. Programmer errors read "TClass.Operation: text" (English); errors
// meant for users carry language strings.
DECLARE_EXCEPTION(ETalvorError, Exception)
DECLARE_EXCEPTION(EPrintError, ETalvorError)
DECLARE_EXCEPTION(EDataError, ETalvorError)
DECLARE_EXCEPTION(EDesignError, ETalvorError)
DECLARE_EXCEPTION(EInvalidPropertyError, ETalvorError)
DECLARE_EXCEPTION(ETemplateLoadError, ETalvorError)
DECLARE_EXCEPTION(ETemplateSaveError, ETalvorError)
DECLARE_EXCEPTION(EInvalidTemplateError, ETalvorError)
DECLARE_EXCEPTION(EOutlineError, ETalvorError)
DECLARE_EXCEPTION(EBackgroundPrintError, ETalvorError)
DECLARE_EXCEPTION(EBackgroundPrintTimeoutError, EBackgroundPrintError)
DECLARE_EXCEPTION(EParameterError, ETalvorError)
// Text search (settings here; pages, toolbox and highlighters in the output library).
DECLARE_EXCEPTION(ESearchError, ETalvorError)
DECLARE_EXCEPTION(ESearchPreviewError, ESearchError)
DECLARE_EXCEPTION(ESearchEngineError, ESearchError)
DECLARE_EXCEPTION(ESearchHighlightError, ESearchError)
DECLARE_EXCEPTION(ERichTextHighlightError, ESearchError)

// "TClass.Operation: Text", the form of every programmer error of the library.
std::string ppErrorText(std::string_view ClassName, std::string_view Operation, std::string_view Text);

// ---- Enumerations. The value order is the stored ordinal; each value name is its stream text.
enum TppCollationType { ctANSI, ctASCII, ctVariant };
DEFINE_ENUM_INFO(TppCollationType, "ctANSI", "ctASCII", "ctVariant")
enum TppAnchorType { atLeft, atTop, atRight, atBottom };
DEFINE_ENUM_INFO(TppAnchorType, "atLeft", "atTop", "atRight", "atBottom")
enum TppBorderPositionType { bpLeft, bpTop, bpRight, bpBottom };
DEFINE_ENUM_INFO(TppBorderPositionType, "bpLeft", "bpTop", "bpRight", "bpBottom")
enum TppBarCodeType { bcUPC_A, bcUPC_E, bcEAN_13, bcEAN_8, bcInt2of5, bcCode128, bcCode39, bcPostnet, bcFIM,
                      bcCodabar, bcMSI };
DEFINE_ENUM_INFO(TppBarCodeType, "bcUPC_A", "bcUPC_E", "bcEAN_13", "bcEAN_8", "bcInt2of5", "bcCode128", "bcCode39",
                 "bcPostnet", "bcFIM", "bcCodabar", "bcMSI")
enum TppBarCodeOrientation { orLeftToRight, orRightToLeft, orTopToBottom, orBottomToTop };
DEFINE_ENUM_INFO(TppBarCodeOrientation, "orLeftToRight", "orRightToLeft", "orTopToBottom", "orBottomToTop")
enum TppBreakType { btDataField, btCustomField };
DEFINE_ENUM_INFO(TppBreakType, "btDataField", "btCustomField")
enum TppCalcType { ctDate, ctDateTime, ctPrintDateTime, ctPageCount, ctPageSet, ctPageSetDesc, ctPageNo, ctPageNoDesc,
                   ctTime, ctCustom };
DEFINE_ENUM_INFO(TppCalcType, "ctDate", "ctDateTime", "ctPrintDateTime", "ctPageCount", "ctPageSet", "ctPageSetDesc",
                 "ctPageNo", "ctPageNoDesc", "ctTime", "ctCustom")
enum TppGuidCollationType { gcMSSQLServer, gcMSAccess, gcGuid, gcString };
DEFINE_ENUM_INFO(TppGuidCollationType, "gcMSSQLServer", "gcMSAccess", "gcGuid", "gcString")
enum TppDataType { dtBoolean, dtDate, dtTime, dtDateTime, dtInteger, dtSingle, dtDouble, dtExtended, dtCurrency, dtChar,
                   dtString, dtVariant, dtLongint, dtBLOB, dtMemo, dtGraphic, dtNotKnown, dtLargeInt, dtGUID };
DEFINE_ENUM_INFO(TppDataType, "dtBoolean", "dtDate", "dtTime", "dtDateTime", "dtInteger", "dtSingle", "dtDouble",
                 "dtExtended", "dtCurrency", "dtChar", "dtString", "dtVariant", "dtLongint", "dtBLOB", "dtMemo",
                 "dtGraphic", "dtNotKnown", "dtLargeInt", "dtGUID")
enum TppDBCalcType { dcCount, dcSum, dcMinimum, dcMaximum, dcAverage };
DEFINE_ENUM_INFO(TppDBCalcType, "dcCount", "dcSum", "dcMinimum", "dcMaximum", "dcAverage")
enum TppDuplexType { dpNone, dpHorizontal, dpVertical };
DEFINE_ENUM_INFO(TppDuplexType, "dpNone", "dpHorizontal", "dpVertical")
enum TppFileType { ftComma, ftTab, ftFixedLength, ftCustom };
DEFINE_ENUM_INFO(TppFileType, "ftComma", "ftTab", "ftFixedLength", "ftCustom")
enum TppFormatType { ftBinary, ftASCII };
DEFINE_ENUM_INFO(TppFormatType, "ftBinary", "ftASCII")
enum TppLanguageType { lgDefault, lgDanish, lgDutch, lgEnglish, lgFrench, lgGerman, lgItalian, lgPortugueseBrazil,
                       lgPortuguese, lgSpanish, lgSpanishMexico, lgSwedish, lgNorwegian, lgCustom };
DEFINE_ENUM_INFO(TppLanguageType, "lgDefault", "lgDanish", "lgDutch", "lgEnglish", "lgFrench", "lgGerman",
                 "lgItalian", "lgPortugueseBrazil", "lgPortuguese", "lgSpanish", "lgSpanishMexico", "lgSwedish",
                 "lgNorwegian", "lgCustom")
enum TppLinePositionType { lpTop, lpBottom, lpLeft, lpRight };
DEFINE_ENUM_INFO(TppLinePositionType, "lpTop", "lpBottom", "lpLeft", "lpRight")
enum TppLineStyleType { lsSingle, lsDouble };
DEFINE_ENUM_INFO(TppLineStyleType, "lsSingle", "lsDouble")
enum TppNoDataBehaviorType { ndMessageDialog, ndMessageOnPage, ndBlankPage, ndBlankReport };
DEFINE_ENUM_INFO(TppNoDataBehaviorType, "ndMessageDialog", "ndMessageOnPage", "ndBlankPage", "ndBlankReport")
enum TppOutlineNodeType { ntRoot, ntReport, ntSubReport, ntGroup, ntPage, ntNoOutline, ntOther };
DEFINE_ENUM_INFO(TppOutlineNodeType, "ntRoot", "ntReport", "ntSubReport", "ntGroup", "ntPage", "ntNoOutline",
                 "ntOther")
enum TppPageSettingType { psAll, psPageList, psSinglePage, psFirstPage, psLastPage, psPageRange };
DEFINE_ENUM_INFO(TppPageSettingType, "psAll", "psPageList", "psSinglePage", "psFirstPage", "psLastPage",
                 "psPageRange")
enum TppPageRangeType { prAll, prOddPages, prEvenPages };
DEFINE_ENUM_INFO(TppPageRangeType, "prAll", "prOddPages", "prEvenPages")
enum TppPassSettingType { psOnePass, psTwoPass };
DEFINE_ENUM_INFO(TppPassSettingType, "psOnePass", "psTwoPass")
enum TppPrintBehaviorType { pbChild, pbSection, pbFixed };
DEFINE_ENUM_INFO(TppPrintBehaviorType, "pbChild", "pbSection", "pbFixed")
enum TppPrintHeightType { phStatic, phDynamic };
DEFINE_ENUM_INFO(TppPrintHeightType, "phStatic", "phDynamic")
enum TppRangeBeginType { rbFirstRecord, rbLastRecord, rbCurrentRecord };
DEFINE_ENUM_INFO(TppRangeBeginType, "rbFirstRecord", "rbLastRecord", "rbCurrentRecord")
enum TppRangeEndType { reFirstRecord, reLastRecord, reCurrentRecord, reCount };
DEFINE_ENUM_INFO(TppRangeEndType, "reFirstRecord", "reLastRecord", "reCurrentRecord", "reCount")
enum TppSaveToType { stDatabase, stFile };
DEFINE_ENUM_INFO(TppSaveToType, "stDatabase", "stFile")
enum TppSearchOperatorType { soEqual, soNotEqual, soLessThan, soLessThanOrEqualTo, soGreaterThan,
                             soGreaterThanOrEqualTo, soLike, soNotLike, soBetween, soNotBetween, soInList,
                             soNotInList, soBlank, soNotBlank };
DEFINE_ENUM_INFO(TppSearchOperatorType, "soEqual", "soNotEqual", "soLessThan", "soLessThanOrEqualTo",
                 "soGreaterThan", "soGreaterThanOrEqualTo", "soLike", "soNotLike", "soBetween", "soNotBetween",
                 "soInList", "soNotInList", "soBlank", "soNotBlank")
enum TppSortOrderType { soAscending, soDescending };
DEFINE_ENUM_INFO(TppSortOrderType, "soAscending", "soDescending")
enum TppUnitType { utScreenPixels, utInches, utMillimeters, utPrinterPixels, utMMThousandths };
DEFINE_ENUM_INFO(TppUnitType, "utScreenPixels", "utInches", "utMillimeters", "utPrinterPixels", "utMMThousandths")
enum TppVarEventType { veTraversal, veDataPipelineTraversal, vePageStart, vePageEnd, veColumnStart, veColumnEnd,
                       veReportStart, veReportEnd, veGroupStart, veGroupEnd, veGroupBeforeHeader,
                       veGroupBeforeFooter };
DEFINE_ENUM_INFO(TppVarEventType, "veTraversal", "veDataPipelineTraversal", "vePageStart", "vePageEnd",
                 "veColumnStart", "veColumnEnd", "veReportStart", "veReportEnd", "veGroupStart", "veGroupEnd",
                 "veGroupBeforeHeader", "veGroupBeforeFooter")
enum TppVarType { vtDate, vtDateTime, vtDocumentName, vtPrintDateTime, vtPageCount, vtPageSet, vtPageSetDesc,
                  vtPageNo, vtPageNoDesc, vtTime };
DEFINE_ENUM_INFO(TppVarType, "vtDate", "vtDateTime", "vtDocumentName", "vtPrintDateTime", "vtPageCount", "vtPageSet",
                 "vtPageSetDesc", "vtPageNo", "vtPageNoDesc", "vtTime")
enum TppTextAlignment { taLeftJustified, taRightJustified, taCentered, taFullJustified };
DEFINE_ENUM_INFO(TppTextAlignment, "taLeftJustified", "taRightJustified", "taCentered", "taFullJustified")
enum TppZoomSettingType { zsWholePage, zsPageWidth, zs100Percent, zsPercentage };
DEFINE_ENUM_INFO(TppZoomSettingType, "zsWholePage", "zsPageWidth", "zs100Percent", "zsPercentage")
enum TppVerticalScrollEventType { vsLineUp, vsLineDown, vsPageUp, vsPageDown, vsThumbPos, vsThumbTrack, vsTop,
                                  vsBottom, vsEndScroll };
DEFINE_ENUM_INFO(TppVerticalScrollEventType, "vsLineUp", "vsLineDown", "vsPageUp", "vsPageDown", "vsThumbPos",
                 "vsThumbTrack", "vsTop", "vsBottom", "vsEndScroll")
enum TppHorizontalScrollEventType { hsLineLeft, hsLineRight, hsPageLeft, hsPageRight, hsThumbPos, hsThumbTrack,
                                    hsLeft, hsRight, hsEndScroll };
DEFINE_ENUM_INFO(TppHorizontalScrollEventType, "hsLineLeft", "hsLineRight", "hsPageLeft", "hsPageRight",
                 "hsThumbPos", "hsThumbTrack", "hsLeft", "hsRight", "hsEndScroll")

// ---- Sets: bits by the ordinal of their element type (as published set properties hold them).
using TppAnchors = uint8_t;          // of TppAnchorType
using TppBorderPositions = uint8_t;  // of TppBorderPositionType
using TppNoDataBehaviors = uint8_t;  // of TppNoDataBehaviorType
template <class E>
constexpr uint32_t ppSetBit(E Element) {
  return 1u << static_cast<unsigned>(Element);
}

// ---- Event-handler signatures. Sender is the object that fires; a reference marks a value the
// handler may change.
using TppDrawCommandEvent = TEvent<void(TObject* Sender, TObject* aDrawCommand)>;
using TppFormatEvent = TEvent<void(TObject* Sender, const std::string& DisplayFormat, TppDataType DataType,
                                   const Variant& Value, std::string& Text)>;
using TppGetBreakValueEvent = TEvent<void(TObject* Sender, std::string& aBreakValue)>;
using TppGetTextEvent = TEvent<void(TObject* Sender, std::string& Text)>;
using TppHorizontalScrollEvent =
    TEvent<void(TObject* Sender, int16_t aPosition, TppHorizontalScrollEventType aEventType)>;
using TppNoDataEvent = TEvent<void(TObject* Sender, TObject* aDialog, bool& aShowDialog, TObject* aDrawCommand,
                                   bool& aAddDrawCommand)>;
using TppMemoEvent = TEvent<void(TObject* Sender, TStrings* aLines)>;
using TppPageRequestEvent = TEvent<void(TObject* Sender, TObject* aPageRequest)>;
using TppPictureEvent = TEvent<void(TObject* Sender, TPicture* aPicture)>;
using TppSaveTextEvent = TEvent<void(TObject* Sender, std::string& Text)>;
using TppVarCalcEvent = TEvent<void(TObject* Sender, Variant& Value)>;
using TppVerticalScrollEvent =
    TEvent<void(TObject* Sender, int16_t aPosition, TppVerticalScrollEventType aEventType)>;
using TppReportInitializeEvent = TEvent<void(TObject* Sender, bool& aCancel)>;

// ---- Enumeration registry: enumerated types by name (ASCII case ignored), for tools that work by
// name. Registration runs at start-up and shutdown on the main thread.
struct TppEnumTypeEntry {
  std::string Name;
  const TEnumInfo* TypeInfo = nullptr;
};
// Adds the name, or replaces the description of the entry of that name (in any letter case).
void RegisterEnumType(std::string_view Name, const TEnumInfo& TypeInfo);
// Removes the name when present.
void UnregisterEnumType(std::string_view Name);
// The registered types in registration order; empty before the first registration and after the
// last removal.
const std::vector<TppEnumTypeEntry>& GetEnumTypeList();
// The description registered under Name, or null.
const TEnumInfo* FindEnumType(std::string_view Name);

// The record of the class library's Boolean type ("False", "True").
const TEnumInfo& BooleanEnumInfo();
