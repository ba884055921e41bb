#pragma once
// Descriptors of the pipeline unit: the data pipeline and its fields.
#include "ppreport/core/ppRTTI.h"

// The pipeline's state ("Active", "BOF", "EOF", "FirstRecord", "LastRecord", "NoRecords",
// "DataTraversed", "TraversalCount", "FieldCount", "LinkCount", "CurrentField", "DataView",
// "MasterDataPipeline"), its thirteen events with their numbers, the indexed "FieldValues",
// "FieldObjects" (by "FieldName"), "Fields", "Links" (by "Index"), and the methods "AddLink",
// "GetFieldValue", "IsLinked", "FreeLinks".
const TraRTTI& TraTppDataPipelineRTTI();
// "AsDouble", "AsPicture" (described only: a picture is no scripting object), "AsString",
// "IsNull", "DataPipeline", "Value", all read-only.
const TraRTTI& TraTppFieldRTTI();
