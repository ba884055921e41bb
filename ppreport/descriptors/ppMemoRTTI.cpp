#include "ppreport/descriptors/ppMemoRTTI.h"

#include "platform/classes/StringList.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/descriptors/ppStrtchRTTI.h"
#include "ppreport/generation/ppMemo.h"

const TraRTTI& TraTppCustomMemoRTTI() {
  using M = TppCustomMemo;
  auto Mutable = [](const M& O) -> M& { return const_cast<M&>(O); };
  static const TraRTTI Info =
      TraRTTIDef<M>("TraTppCustomMemoRTTI", TraTppStretchableRTTI())
          // Listed here, served by the printable's descriptor.
          .Describe("Text", vkString, false)
          .Undescribed()
          .Listed()
          // The stream is no object a value can carry: described only, as the cache stream is.
          .DescribeClass("MemoStream", nullptr, true)
          .Prop("PrintLines", [Mutable](const M& O) { return Mutable(O).GetPrintLines(); })
          .Prop("mmLeading", &M::mmLeading)
          .Prop("spLeading",
                [](const M& O) {
                  return static_cast<int32_t>(ConvertFromMicrons(O.mmLeading(), utScreenPixels, ppVertical, nullptr));
                })
          .Prop("CharWrap", &M::CharWrap, &M::SetCharWrap)
          .Prop("Color", &M::Color, &M::SetColor)
          .AsEnum("TColor")
          .Prop("Leading", &M::GetLeading, &M::SetLeading)
          .Prop("Lines", [Mutable](const M& O) { return Mutable(O).GetLines(); }, &M::SetLines)
          .Prop("TabStopPositions", [Mutable](const M& O) { return Mutable(O).GetTabStopPositions(); },
                &M::SetTabStopPositions);
  return Info;
}

const TraRTTI& TraTppDBMemoRTTI() {
  using M = TppDBMemo;
  static const TraRTTI Info =
      TraRTTIDef<M>("TraTppDBMemoRTTI", TraTppCustomMemoRTTI())
          .Event("OnGetMemo", ciDBMemoGetMemo, {TraParamSpec("Lines", vkClass, &TStrings::StaticClassInfo)})
          .Prop("AutoDisplay", &M::AutoDisplay, &M::SetAutoDisplay);
  return Info;
}

void InitializeMemoRTTIUnit() {
  for (const TraRTTI* D : {&TraTppCustomMemoRTTI(), &TraTppDBMemoRTTI()}) TraRTTIClassRegistry::RegisterRTTIClass(*D);
}

void FinalizeMemoRTTIUnit() {
  for (const TraRTTI* D : {&TraTppCustomMemoRTTI(), &TraTppDBMemoRTTI()}) TraRTTIClassRegistry::UnregisterRTTIClass(*D);
}
