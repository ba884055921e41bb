#include "ppreport/descriptors/ppCtrlsImageRTTI.h"

#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppGraphics.h"
#include "ppreport/core/ppModelRTTI.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/generation/ppCtrlsImage.h"

namespace {
// "Picture" travels as a pointer kind without a class: the image's picture object itself.
TraEntry PictureEntry() {
  TraEntry E;
  E.Name = "Picture";
  E.Form = TraForm::Plain;
  E.Kind = vkPointer;
  E.Listed = true;
  E.Get = [](TPersistent& O, TraValueKind, TraValue& Out) {
    auto* I = dynamic_cast<TppCustomImage*>(&O);
    if (!I) return false;
    Out.Obj = I->GetPicture();
    return true;
  };
  E.Set = [](TPersistent& O, TraValueKind, const TraValue& In) {
    auto* I = dynamic_cast<TppCustomImage*>(&O);
    auto* P = dynamic_cast<TppPicture*>(In.Obj);
    if (!I || !P) return false;  // only a picture is taken
    I->SetPicture(P);
    return true;
  };
  return E;
}
}  // namespace

const TraRTTI& TraTppCustomImageRTTI() {
  using I = TppCustomImage;
  static const TraRTTI Info = TraRTTIDef<I>("TraTppCustomImageRTTI", TraTppComponentRTTI())
                                  .Prop("Center", &I::Center, &I::SetCenter)
                                  .Prop("DirectDraw", &I::DirectDraw, &I::SetDirectDraw)
                                  .Prop("MaintainAspectRatio", &I::MaintainAspectRatio, &I::SetMaintainAspectRatio)
                                  .Prop("Stretch", &I::Stretch, &I::SetStretch)
                                  .Prop("Transparent", &I::Transparent, &I::SetTransparent);
  return Info;
}

const TraRTTI& TraTppDBImageRTTI() {
  static const TraRTTI Info =
      TraRTTIDef<TppDBImage>("TraTppDBImageRTTI", TraTppCustomImageRTTI())
          .Entry(PictureEntry())
          .Event("OnGetPicture", ciDBImageGetPicture, {TraParamSpec("aPicture", vkClass, &TppPicture::StaticClassInfo)});
  return Info;
}

void InitializeCtrlsImageRTTIUnit() {
  for (const TraRTTI* D : {&TraTppCustomImageRTTI(), &TraTppDBImageRTTI()}) TraRTTIClassRegistry::RegisterRTTIClass(*D);
}

void FinalizeCtrlsImageRTTIUnit() {
  for (const TraRTTI* D : {&TraTppCustomImageRTTI(), &TraTppDBImageRTTI()})
    TraRTTIClassRegistry::UnregisterRTTIClass(*D);
}
