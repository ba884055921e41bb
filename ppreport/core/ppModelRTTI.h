#pragma once
// Descriptors of the model's base classes: printable, component, band, group, report.
#include "ppreport/core/ppRTTI.h"

// Bounds (in Units, microns "mm…" and screen pixels "sp…"), appearance, data binding, generation
// flags; events OnPrint, OnDrawCommandCreate and OnDrawCommandClick ("aDrawCommand").
const TraRTTI& TraTppPrintableRTTI();
// Band, BandType, Index, NextSibling, ParentIndex, GroupNo, Parent, ParentDataPipeline, Region,
// ResetGroup and the anchor names (reading tells whether Anchors equals the set, writing sets it).
const TraRTTI& TraTppComponentRTTI();
// Band events, lengths, counts and the indexed Objects, Saves and Variables; Rank is the sort key.
const TraRTTI& TraTppBandRTTI();
// Break state, page numbers, bands, thresholds; events 27 to 31 (OnGetBreakValue: "BreakValue").
const TraRTTI& TraTppGroupRTTI();
// Engine state, page numbers, counts, the tree (MainReport, ParentReport), column widths; methods
// Bands, Groups, Stop, PageLimitReached, GetBand; the report events (OnNoData with its four).
const TraRTTI& TraTppCustomReportRTTI();
