#pragma once
// The one vocabulary of communicator traffic in the pp library: the free-notice operations that
// SendNotify passes to Notify, and the event numbers (0..255) that SendEventNotify broadcasts.
// Names read sender, then moment; the scripting event a descriptor maps to the number is given
// where there is one. Numbers not listed are unused.
#include "ppreport/core/ppTypes.h"

enum TppNotifyOperation : int {
  ppopRemove = 0,                // the sender is being destroyed: drop every reference to it
  ppopDataChange = 2,            // the data behind the sender changed (pipelines, a report's pipeline)
  ppopUserNameChange = 3,        // the sender's user name changed
  ppopReportPropertyChange = 4,  // a report property changed
  ppopLanguageChange = 5,        // the report's language changed
};

enum TppEventID : int {
  ciProducerAfterPrint = 0,                  // AfterPrint
  ciProducerBeforePrint = 1,                 // BeforePrint
  ciProducerCancel = 2,                      // OnCancel
  ciProducerCancelDialogCreate = 3,          // OnCancelDialogCreate
  ciProducerCancelDialogClose = 4,           // OnCancelDialogClose
  ciProducerPreviewFormCreate = 5,           // OnPreviewFormCreate
  ciProducerPreviewFormClose = 6,            // OnPreviewFormClose
  ciProducerPrintDialogCreate = 7,           // OnPrintDialogCreate
  ciProducerPrintDialogClose = 8,            // OnPrintDialogClose
  ciProducerSaveText = 9,                    // OnSaveText ("Text")
  ciReportAfterAutoSearchDialogCreate = 10,  // AfterAutoSearchDialogCreate
  ciReportAutoSearchDialogClose = 11,        // OnAutoSearchDialogClose
  ciReportGetAutoSearchValues = 12,          // OnGetAutoSearchValues
  ciEngineReportStart = 13,                  // a page starts and it is absolute page 1
  ciEngineReportEnd = 14,                    // all data traversed and the last band generated
  ciReportEndColumn = 15,                    // OnEndColumn
  ciReportEndFirstPass = 16,                 // OnEndFirstPass
  ciReportEndPage = 17,                      // OnEndPage
  ciReportEndSecondPass = 18,                // OnEndSecondPass
  ciReportStartColumn = 19,                  // OnStartColumn
  ciReportStartFirstPass = 20,               // OnStartFirstPass
  ciReportStartPage = 21,                    // OnStartPage
  ciReportStartSecondPass = 22,              // OnStartSecondPass
  ciBandAfterPrint = 23,                     // AfterPrint
  ciBandBeforePrint = 24,                    // BeforePrint
  ciBandAfterGenerate = 25,                  // AfterGenerate
  ciBandBeforeGenerate = 26,                 // BeforeGenerate
  ciGroupAfterBreak = 27,                    // AfterGroupBreak
  ciGroupBeforeBreak = 28,                   // BeforeGroupBreak
  ciGroupBeforeHeader = 29,                  // BeforeHeader
  ciGroupBeforeFooter = 30,                  // BeforeFooter
  ciGroupGetBreakValue = 31,                 // OnGetBreakValue
  ciPrintablePrint = 32,                     // OnPrint
  ciVariableCalc = 33,                       // OnCalc (calculations and variables)
  ciVariableReset = 34,                      // OnReset
  ciEngineTraversal = 35,                    // a record traversal, counted by the master and detail pipelines
  ciPipelineRecordPositionChange = 37,       // OnRecordPositionChange
  ciPipelineMasterRecordPositionChange = 38, // OnMasterRecordPositionChange
  ciPipelineTraversal = 39,                  // OnTraversal
  ciPipelineGotoBookmark = 40,               // OnGotoBookmark
  ciPipelineDataChange = 41,                 // OnDataChange
  ciPipelineFirst = 42,                      // OnFirst
  ciPipelineNext = 43,                       // OnNext
  ciPipelinePrior = 44,                      // OnPrior
  ciPipelineLast = 45,                       // OnLast
  ciPipelineEngineNotice = 47,               // listened for by the engine, never sent
  ciCacheWriteFailed = 48,                   // switch to file caching
  ciCacheWriteFailedAgain = 49,
  ciTextGetText = 53,                        // OnGetText, OnGetRichText
  ciReportAutoSearchFieldCreate = 66,        // "aAutoSearchField"
  ciLookAheadValue = 67,                     // "aLookAheadKey", "aTraversalCount", "aText"
  ciGroupBreakStart = 68,                    // a break starts, and when a break is initialised
  ciDBImageGetPicture = 69,                  // OnGetPicture
  ciProducerEndOfPrinting = 70,
  ciProducerPrintingReset = 71,
  ciReportBeforeAutoSearchDialogCreate = 72, // BeforeAutoSearchDialogCreate
  ciReportPipelineNotice = 73,               // listened for by the report, never sent
  ciPrintableDrawCommandCreate = 84,         // OnDrawCommandCreate
  ciPrintableDrawCommandClick = 85,          // OnDrawCommandClick
  ciDBMemoGetMemo = 86,                      // OnGetMemo
  ciReportNoData = 87,                       // OnNoData ("aDialog", "aShowDialog", "aDrawCommand", "aAddDrawCommand")
  ciReportOutlineNodeCreate = 88,            // OnOutlineNodeCreate
  ciProducerPrintRunFinished = 89,
  ciEnginePageSent = 90,
  ciReportGenerationStart = 91,
  ciScreenDeviceBeforePageDraw = 92,
  ciScreenDeviceAfterPageDraw = 93,
  ciViewerPageChange = 94,
  ciViewerPrintStateChange = 95,
  ciViewerStatusChange = 96,
  ciViewerReset = 97,
  ciDevicePageReceive = 98,                  // "Page"
  ciPublisherPageReceive = 99,               // "Page"
  ciPublisherPagesPending = 100,             // requested pages not yet available
  ciOutlineViewerVisibleChange = 101,        // "Visible"
  ciSearchToolbarVisibleChange = 102,
  ciSearchStateChange = 103,
  ciSearchEnginePageResults = 104,
  ciProducerAssignPreviewFormSettings = 105, // OnAssignPreviewFormSettings
  ciPublisherReset = 109,
  ciCommunicatorNameChange = 111,            // SetName
  ciPrintableBoundsChange = 113,
  ciPrintableDesignRedraw = 114,
  ciBandObjectBringToFront = 115,            // an object moved or brought to front
  ciBandObjectSendToBack = 116,
  ciComponentParentWidth = 117,
  ciComponentParentHeight = 118,
  ciBandHeightChanging = 119,                // "NewHeight", "IsValid" (var)
  ciBandHeightChange = 120,                  // "OldHeight"
  ciBandGetScreenTop = 121,                  // "Value" (var), design time
  ciBandSetScreenTop = 122,                  // "Value", design time
  ciReportBandAdd = 123,                     // sender: the band
  ciReportBandRemove = 124,                  // sender: the band
  ciBandSizeChange = 125,
  ciBandObjectAdd = 126,                     // sender: the object
  ciBandObjectRemove = 127,                  // sender: the object
  ciBandCaptionChange = 128,
  ciViewerMouseDown = 129,
  ciPipelineBeforeOpen = 130,                // BeforeOpen
  ciPipelineAfterOpen = 131,                 // AfterOpen
  ciPipelineBeforeClose = 132,               // BeforeClose
  ciPipelineAfterClose = 133,                // AfterClose
  ciEngineBeforeOpenDataPipelines = 134,     // BeforeOpenDataPipelines
  ciEngineAfterOpenDataPipelines = 135,      // AfterOpenDataPipelines
  ciReportInitializeParameters = 136,        // OnInitializeParameters
  ciEngineDynamicBandOverflow = 139,         // a dynamic band overflowed the page
  ciProducerPageRequest = 140,               // OnPageRequest
};

// The event a variable listens to for a calculation or reset moment.
constexpr TppEventID VarEventToEventID(TppVarEventType Moment) {
  switch (Moment) {
    case veTraversal: return ciEngineTraversal;
    case veDataPipelineTraversal: return ciPipelineTraversal;
    case vePageStart: return ciReportStartPage;
    case vePageEnd: return ciReportEndPage;
    case veColumnStart: return ciReportStartColumn;
    case veColumnEnd: return ciReportEndColumn;
    case veReportStart: return ciEngineReportStart;
    case veReportEnd: return ciEngineReportEnd;
    case veGroupStart: return ciGroupBeforeBreak;
    case veGroupEnd: return ciGroupAfterBreak;
    case veGroupBeforeHeader: return ciGroupBeforeHeader;
    case veGroupBeforeFooter: return ciGroupBeforeFooter;
  }
  return ciEngineTraversal;
}
