#pragma once
// Descriptor of the page-state cache's objects.
#include "ppreport/core/ppRTTI.h"

// "CacheCount", "CachePageCount", "CachePosition", "CacheRecordSize" (read-only integers),
// "CacheStream" (described; a stream is no scripting object, so it is not read), method
// "SaveToCache" ("aCachePageNo").
const TraRTTI& TraTppCacheableRTTI();
