#include "ppreport/core/ppCacheRTTI.h"

#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppCommRTTI.h"
#include "ppreport/core/ppRTTIDef.h"

const TraRTTI& TraTppCacheableRTTI() {
  using C = TppCacheable;
  static const TraRTTI Info = TraRTTIDef<C>("TraTppCacheableRTTI", TraTppRelativeRTTI())
                                  .Prop("CacheCount", &C::CacheCount)
                                  .Prop("CachePageCount", &C::CachePageCount)
                                  .Prop("CachePosition", &C::CachePosition)
                                  .Prop("CacheRecordSize", &C::CacheRecordSize)
                                  .DescribeClass("CacheStream", nullptr, true)
                                  .Method("SaveToCache", &C::SaveToCache, {"aCachePageNo"});
  return Info;
}
