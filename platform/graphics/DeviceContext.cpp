#include "platform/graphics/DeviceContext.h"

#include "platform/graphics/FontEngine.h"

TXForm TXForm::Then(const TXForm& B) const {
  TXForm R;
  R.M11 = M11 * B.M11 + M12 * B.M21;
  R.M12 = M11 * B.M12 + M12 * B.M22;
  R.M21 = M21 * B.M11 + M22 * B.M21;
  R.M22 = M21 * B.M12 + M22 * B.M22;
  R.Dx = Dx * B.M11 + Dy * B.M21 + B.Dx;
  R.Dy = Dx * B.M12 + Dy * B.M22 + B.Dy;
  return R;
}

TSize TDeviceContext::TextExtent(const std::u16string& Text) const {
  int W = 0;
  for (int A : CharAdvances(Text)) W += A;
  return TSize{W, TextMetrics().Height};
}
