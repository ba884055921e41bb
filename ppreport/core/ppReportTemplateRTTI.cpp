#include "ppreport/core/ppReportTemplateRTTI.h"

#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppRTTI.h"
#include "ppreport/core/ppTemplate.h"

TppTemplate* TppReportTemplateRTTI::GetTemplate(TPersistent* Producer) {
  if (!Producer) return nullptr;
  const TraRTTI* Descriptor = TraRTTIClassRegistry::GetRTTIClass(*Producer);
  if (!Descriptor) return nullptr;
  TraPropRec Rec;
  if (!Descriptor->GetPropRec(*Producer->ClassInfo(), "Template", Rec)) return nullptr;
  TraValue Value;
  if (!Descriptor->GetPropValue(Producer, "Template", Value)) return nullptr;
  return dynamic_cast<TppTemplate*>(Value.Obj);
}

namespace {
// The template's second set of notifications (new, locate, load end, save end) stays quiet
// while a definition moves: nobody is designing the copy.
template <class F>
void WithQuietTemplate(TPersistent* Producer, F&& Transfer) {
  TppTemplate* T = TppReportTemplateRTTI::GetTemplate(Producer);
  if (!T) return;
  T->SetBroadcastEvents(false);
  TFinally Loud([T] { T->SetBroadcastEvents(true); });
  Transfer(*T);
}
}  // namespace

void TppReportTemplateRTTI::SaveToStream(TPersistent* Producer, TStream& Stream) {
  WithQuietTemplate(Producer, [&Stream](TppTemplate& T) { T.SaveToStream(Stream); });
}

void TppReportTemplateRTTI::LoadFromStream(TPersistent* Producer, TStream& Stream) {
  WithQuietTemplate(Producer, [&Stream](TppTemplate& T) { T.LoadFromStream(Stream); });
}
