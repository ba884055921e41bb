#include "ppreport/core/ppDrwCmdRTTI.h"

#include "ppreport/core/ppCommRTTI.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppRTTIDef.h"

const TraRTTI& TraTppDrawCommandRTTI() {
  using C = TppDrawCommand;
  static const TraRTTI Info = TraRTTIDef<C>("TraTppDrawCommandRTTI", TraTppRelativeRTTI())
                                  .Prop("Page", &C::Page, &C::SetPage).Listed()
                                  .Prop("Clickable", &C::Clickable).Listed()
                                  .Prop("RedrawPage", &C::RedrawPage, &C::SetRedrawPage).Listed();
  return Info;
}

const TraRTTI& TraTppDrawTextRTTI() {
  static TraRTTIDef<TppDrawText> Def("TraTppDrawTextRTTI", TraTppDrawCommandRTTI());
  static const TraRTTI Info = Def;
  return Info;
}

const TraRTTI& TraTppPageRTTI() {
  static const TraRTTI Info = TraRTTIDef<TppPage>("TraTppPageRTTI", TraTComponentRTTI())
                                  .Method("RemoveDrawCommand", {{"aDrawCommand", vkClass, &TObjectClassInfo}},
                                          [](TppPage& Page, TraParamList* P) {
                                            if (auto* C = dynamic_cast<TppDrawCommand*>(P->Value<TObject*>(0)))
                                              Page.RemoveDrawCommand(C);
                                          })
                                  .Listed();
  return Info;
}
