#pragma once
// Descriptor of the report parameter list.
#include "ppreport/core/ppRTTI.h"

// "Count" (read-only), "InsertMode"; indexed "Items" and "Values" (by "Name"; "Values" is
// written too) and "ItemsByIndex" (by "Index"); methods "Assign", "EqualTo" ("Source"),
// "AddName", "InList", "Remove" ("Name"), "Add" ("Name", "DataType", "Value"), "Clear".
const TraRTTI& TraTppParameterListRTTI();
