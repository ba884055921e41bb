#pragma once
// Descriptors of the foundation classes: the communicator, the relative and the tree node.
#include "ppreport/core/ppRTTI.h"

// "UserName" (text) through the communicator's user-name getter and setter.
const TraRTTI& TraTppCommunicatorRTTI();
// The tree: "AllChildCount", "ChildCount", "Index", "FreeingChildren", "OrderedChildren" (read
// only), "ChildType", "Position", "Parent".
const TraRTTI& TraTppRelativeRTTI();
// Node counts, "ChildNodes", "ParentNode", and the navigation, "Add", "Assign", "CloneNode".
const TraRTTI& TraTppTreeNodeRTTI();
