#include "ppreport/descriptors/ppRichTxRTTI.h"

#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/descriptors/ppStrtchRTTI.h"
#include "ppreport/generation/ppRichTx.h"

namespace {
// A method described with its stream parameter and served by no one.
TraEntry StreamMethod(const char* Name) {
  TraEntry E;
  E.Name = Name;
  E.Form = TraForm::Method;
  E.Kind = vkMethod;
  E.ReadOnly = true;
  E.HasParams = E.RecordParams = true;
  E.Params = {TraParamSpec("aStream", vkClass)};
  E.Listed = true;
  return E;
}
}  // namespace

const TraRTTI& TraTppCustomRichTextRTTI() {
  using R = TppCustomRichText;
  auto Mutable = [](const R& O) -> R& { return const_cast<R&>(O); };
  static const TraRTTI Info =
      TraRTTIDef<R>("TraTppCustomRichTextRTTI", TraTppStretchableRTTI())
          .Prop("PlainText", [Mutable](const R& O) { return Mutable(O).GetPlainText(); })
          .Listed()
          .Method("FindText", &R::FindText, {"SearchStr", "StartPos", "Length", "WholeWord", "MatchCase"})
          .Listed()
          .Method("LoadFromFile", &R::LoadFromFile, {"aFileName"})
          .Listed()
          .Entry(StreamMethod("LoadFromRTFStream"))
          .Method("SaveToFile", &R::SaveToFile, {"aFileName"})
          .Listed()
          .Entry(StreamMethod("SaveToRTFStream"))
          .Event("OnGetRichText", ciTextGetText, {TraParamSpec("Text", vkString, nullptr, {}, true)})
          .Prop("EndCharPos", &R::EndCharPos)
          .Prop("StartCharPos", &R::StartCharPos)
          .DescribeClass("RichTextStream", nullptr, true)
          .Prop("RichTextStrings", [Mutable](const R& O) -> TStrings* { return Mutable(O).GetRichTextStrings(); })
          .Prop("Paragraph", &R::GetParagraph)
          .Prop("SelAttributes", &R::GetSelAttributes)
          .Prop("RichText", [Mutable](const R& O) { return Mutable(O).GetRichText(); }, &R::SetRichText)
          .Prop("SelText", &R::GetSelText, &R::SetSelText)
          .Prop("SelLength", &R::GetSelLength, &R::SetSelLength)
          .Prop("SelStart", &R::GetSelStart, &R::SetSelStart);
  return Info;
}

const TraRTTI& TraTppDBRichTextRTTI() {
  using R = TppDBRichText;
  static const TraRTTI Info = TraRTTIDef<R>("TraTppDBRichTextRTTI", TraTppCustomRichTextRTTI())
                                  .Prop("AutoDisplay", &R::AutoDisplay, &R::SetAutoDisplay);
  return Info;
}

void InitializeRichTxRTTIUnit() {
  for (const TraRTTI* D : {&TraTppCustomRichTextRTTI(), &TraTppDBRichTextRTTI()})
    TraRTTIClassRegistry::RegisterRTTIClass(*D);
}

void FinalizeRichTxRTTIUnit() {
  for (const TraRTTI* D : {&TraTppCustomRichTextRTTI(), &TraTppDBRichTextRTTI()})
    TraRTTIClassRegistry::UnregisterRTTIClass(*D);
}
